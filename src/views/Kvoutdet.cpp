#include "Kvoutdet.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

#include "Commands.h"
#include "DxGrid.h"
#include "KvGraphOpen.h"
#include "OLEExcel.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

// ================================================================ the window

namespace {
const char* const PotentialNames[] = {"YEAR", "DAY",  "IDSEM", "DVS", "TSUM", "WLV",  "WST",
                                      "WSO",  "TAGP", "LAI",   "TRA", "GASS", "MRES", "DMI"};
const char* const PotentialUnits[] = {"",      "",      "",      "",     "degrd", "kg/ha", "kg/ha",
                                      "kg/ha", "kg/ha", "m2/m2", "mm/d", "CH2O",  "CH2O",  "kg/ha/d"};
const char* const GroundwaterNames[] = {"YEAR", "DAY",  "WLV", "WST", "WSO", "LAI", "RD", "RAIN",
                                        "TRA",  "EVAP", "SM",  "SS",  "ZT",  "wet", "dry"};
const char* const GroundwaterUnits[] = {"",     "",     "kg/ha",  "kg/ha", "kg/ha", "m2/m2", "cm",  "mm",
                                        "mm/d", "mm/d", "vol.fr", "cm",    "cm",    "days",  "days"};
const char* const FreeDrainageNames[] = {"YEAR", "DAY",   "WLV",   "WST",  "WSO", "TAGP", "LAI", "RD",
                                         "SM",   "RESRV", "AVAIL", "RAIN", "TRA", "EVA",  "wet", "dry"};
const char* const FreeDrainageUnits[] = {"",       "",   "kg/ha", "kg/ha", "kg/ha", "kg/ha", "m2/m2", "cm",
                                         "vol.fr", "cm", "cm",    "mm",    "mm/d",  "mm/d",  "days",  "days"};

template <size_t N>
QStringList Texts(const char* const (&A)[N]) {
  QStringList L;
  for (const char* S : A) L << QString::fromLatin1(S);
  return L;
}

QLineEdit* NewField(QWidget* Parent, const char* Name) {
  auto* E = new QLineEdit(Parent);
  E->setObjectName(QString::fromLatin1(Name));
  E->setReadOnly(true);
  E->setAlignment(Qt::AlignRight);
  E->setFocusPolicy(Qt::ClickFocus);
  E->setMinimumWidth(E->fontMetrics().horizontalAdvance(QStringLiteral("-00000.00")) + 12);
  E->setMaximumWidth(E->fontMetrics().horizontalAdvance(QStringLiteral("-00000.00")) * 2);
  SetReadOnlyFieldStyle(E);
  return E;
}

// The summary group: captions above their values, in one row.
QGroupBox* NewSummaryGroup(QWidget* Parent, const char* const* Captions, const char* const* Names, int Count,
                           std::vector<QLabel*>& Values) {
  auto* G = new QGroupBox(QStringLiteral(" SUMMARY "), Parent);
  auto* L = new QGridLayout(G);
  L->setHorizontalSpacing(4);
  L->setVerticalSpacing(2);
  for (int i = 0; i < Count; ++i) {
    L->addWidget(NewLabel(G, QString::fromLatin1(Captions[i])), 0, i, Qt::AlignHCenter);
    QLabel* V = NewValue(G, Names[i]);
    V->setAlignment(Qt::AlignHCenter);
    V->setMinimumWidth(V->fontMetrics().horizontalAdvance(QStringLiteral("000000")));
    L->addWidget(V, 1, i);
    L->setColumnStretch(i, 1);
    Values.push_back(V);
  }
  return G;
}

// The selector's item: its text as shown, and the output's own bytes.
std::string SelectorText(const QComboBox* C) {
  if (C->currentIndex() < 0) return {};
  return C->currentData().toByteArray().toStdString();
}

// Appends S unless the selector holds it already in any letter case.
void AddToSelector(QComboBox* C, const Str16& S) {
  const QString Text = FromCore(S.Str());
  for (int i = 0; i < C->count(); ++i)
    if (C->itemText(i).compare(Text, Qt::CaseInsensitive) == 0) return;
  C->addItem(Text, QByteArray(S.data(), static_cast<qsizetype>(S.size())));
}

void ClearLabels(std::initializer_list<QLabel*> Labels) {
  for (QLabel* L : Labels) {
    L->clear();
    L->setToolTip(QString());
    L->setStatusTip(QString());
  }
}
}  // namespace

TFormDetailedOutput::TFormDetailedOutput(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormDetailedOutput");
  setWindowTitle("Detailed output - krl.out");
  setSizeGripEnabled(true);

  QHBoxLayout* Top = BuildSelectorRow();
  pcOutputDet = new TResultPages(100, this);
  pcOutputDet->setObjectName("pcOutputDet");
  pcOutputDet->addTab(BuildPotentialPage(), "&Potential");
  pcOutputDet->addTab(BuildWaterLimitedPage(), "&Water-limited");
  pcOutputDet->addTab(BuildWaterBalancePage(), "Water &balance");
  pcOutputDet->addTab(BuildNutrientsPage(), "&Nutrients");
  QHBoxLayout* Bottom = BuildCommandRow();

  auto* Main = new QVBoxLayout;
  Main->addLayout(Top);
  Main->addWidget(pcOutputDet, 1);
  Main->addLayout(Bottom);
  LayOutResultWindow(this, Main, QSize(655, 525), QSize(780, 620));

  OLEExcel1 = new TOLEExcel(this);
  OLEExcel1->setObjectName("OLEExcel1");

  FormCreate();
  SetMinimumRows(SgPotential, 6);
  SetMinimumRows(SgWaterLimited, 6);
  ConnectControls();
}

TFormDetailedOutput::~TFormDetailedOutput() = default;

QHBoxLayout* TFormDetailedOutput::BuildSelectorRow() {
  auto* Top = new QHBoxLayout;
  auto* lblRunName = NewLabel(this, "RUNNAM:", "lblRunName");
  cbRunName = NewSelector(this, "cbRunName");
  auto* lblYear = NewLabel(this, "YEAR:", "lblYear");
  cbYear = NewSelector(this, "cbYear");
  auto* lblRain = NewLabel(this, "RAIN:", "lblRain");
  cbRain = NewSelector(this, "cbRain");
  lblRunName->setBuddy(cbRunName);
  lblYear->setBuddy(cbYear);
  lblRain->setBuddy(cbRain);
  for (QWidget* W : std::initializer_list<QWidget*>{lblRunName, cbRunName, lblYear, cbYear, lblRain, cbRain})
    Top->addWidget(W);
  Top->addStretch(1);
  return Top;
}

QHBoxLayout* TFormDetailedOutput::BuildCommandRow() {
  BtnOpen = new QPushButton("&Open...", this);
  BtnOpen->setObjectName("BtnOpen");
  SetHint(BtnOpen, "Open|Show another detailed output file");
  BtnGraph = new QPushButton("Graph...", this);
  BtnGraph->setObjectName("BtnGraph");
  SetHint(BtnGraph, "Graph|A graph of the table on this page, or the water balance chart");
  SetHelpContext(BtnGraph, 211);
  OKBtn = new QPushButton("&Close", this);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setAutoDefault(false);
  BtnOpen->setAutoDefault(false);
  BtnGraph->setAutoDefault(false);
  return NewButtonRow({BtnOpen, BtnGraph}, OKBtn);
}

void TFormDetailedOutput::ConnectControls() {
  ConnectGuarded(pcOutputDet, &QTabWidget::currentChanged, this, &TFormDetailedOutput::pcOutputDetChange);
  for (QComboBox* C : {cbRunName, cbYear, cbRain})
    ConnectGuarded(C, &QComboBox::activated, this, &TFormDetailedOutput::cbRunNameClick);
  ConnectGuarded(BtnOpen, &QPushButton::clicked, this, &TFormDetailedOutput::BtnOpenClick);
  ConnectGuarded(BtnGraph, &QPushButton::clicked, this, &TFormDetailedOutput::BtnGraphClick);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

// ---------------------------------------------------------------- pages

QWidget* TFormDetailedOutput::BuildPotentialPage() {
  using F = TFormDetailedOutput;
  static const THeadCell Head[] = {
      {"WEATHER:", "lblWeather", "lblWeatherNamep", &F::lblWeatherNamep},
      {"RAIN:", "lblRainHeader", "lblRainp", &F::lblRainp},
      {"CROP:", "lblCrop", "lblCropNamep", &F::lblCropNamep},
      {"SOIL:", "lblSoil", "lblSoilNamep", &F::lblSoilNamep},
      {"START:", "lblStart", "lblStartp", &F::lblStartp},
      {"sowing date:", "lblSowingDate", "lblSowingDatep", &F::lblSowingDatep},
      {"emergence date:", "lblEmergenceDate", "lblEmergenceDatep", &F::lblEmergenceDatep},
  };
  static const char* const Captions[] = {"HALT", "ANTH",   "TWRT",   "TWLV", "TWST",  "TWSO",
                                         "TAGP", "HINDEX", "TRANSP", "TRC",  "GASST", "MREST"};
  static const char* const Names[] = {"lblHALTp",   "lblANTHp", "lblTWRTp",  "lblTWLVp",
                                      "lblTWSTp",   "lblTWSOp", "lblTAGPp",  "lblHINDEXp",
                                      "lblTRANSPp", "lblTRCp",  "lblGASSTp", "lblMRESTp"};
  static const TRunPage Parts{"tsPotential",
                              Head,
                              static_cast<int>(std::size(Head)),
                              "btnExcelPotential",
                              &F::btnExcelPotentialClick,
                              false,
                              "POTENTIAL CROP PRODUCTION",
                              "SgPotential",
                              45,
                              &F::SgPotential,
                              Captions,
                              Names,
                              static_cast<int>(std::size(Captions)),
                              &F::FPotentialSummary};
  return BuildRunPage(Parts);
}

QWidget* TFormDetailedOutput::BuildWaterLimitedPage() {
  using F = TFormDetailedOutput;
  static const THeadCell Head[] = {
      {"WEATHER:", "lblWeatherw", "lblWeatherNamew", &F::lblWeatherNamew},
      {"RAIN:", "lblRainwl", "lblRainw", &F::lblRainw},
      {"CROP:", "lblCropwl", "lblCropNamew", &F::lblCropNamew},
      {"SOIL:", "lblSoilwl", "lblSoilNamew", &F::lblSoilNamew},
      {"START:", "lblStartwl", "lblStartw", &F::lblStartw},
      {"sowing date:", "lblSowingDatewl", "lblSowingDatew", &F::lblSowingDatew},
      {"emergence date:", "lblEmergenceDatewl", "lblEmergenceDatew", &F::lblEmergenceDatew},
      {"start date waterbalance:", "lblStartDay", "lblStartdayw", &F::lblStartdayw},
  };
  static const char* const Captions[] = {"HALT",   "ANTH", "TWRT",  "TWLV",  "TWST", "TWSO", "TAGP",
                                         "HINDEX", "TRC",  "GASST", "MREST", "wet",  "dry"};
  static const char* const Names[] = {"lblHaltw",  "lblANTHw", "lblTWRTw",   "lblTWLVw", "lblTWSTw",
                                      "lblTWSOw",  "lblTAGPw", "lblHINDEXw", "lblTRCw",  "lblGASSTw",
                                      "lblMRESTw", "lblwetw",  "lbldryw"};
  static const TRunPage Parts{"tsWaterLimited",
                              Head,
                              static_cast<int>(std::size(Head)),
                              "btnExcelWaterlimited",
                              &F::btnExcelWaterlimitedClick,
                              true,
                              nullptr,
                              "SgWaterLimited",
                              42,
                              &F::SgWaterLimited,
                              Captions,
                              Names,
                              static_cast<int>(std::size(Captions)),
                              &F::FWaterSummary};
  return BuildRunPage(Parts);
}

// The header block of a run: weather, rain, crop, soil and start in the
// first column (the long start text on a row of its own), the dates in the
// second, the Excel button below them.
QGridLayout* TFormDetailedOutput::BuildRunHead(QWidget* Page, const TRunPage& Parts) {
  auto* Head = new QGridLayout;
  Head->setHorizontalSpacing(12);
  Head->setVerticalSpacing(2);
  const int FirstColumn = 5;
  for (int i = 0; i < Parts.HeadCount; ++i) {
    const THeadCell& C = Parts.Head[i];
    const bool Left = i < FirstColumn;
    const int Row = Left ? i : i - FirstColumn;
    const int Col = Left ? 0 : 2;
    Head->addWidget(NewLabel(Page, C.Caption, C.CaptionName), Row, Col);
    QLabel* Value = NewValue(Page, C.ValueName, Left);
    this->*C.Value = Value;
    if (i == FirstColumn - 1)
      Head->addWidget(Value, Row, Col + 1, 1, 3);
    else
      Head->addWidget(Value, Row, Col + 1);
  }
  auto* Excel = new QPushButton("Excel", Page);
  Excel->setObjectName(Parts.ExcelName);
  Excel->setAutoDefault(false);
  SetHint(Excel, "Excel|Export the table of this run to a spreadsheet");
  Head->addWidget(Excel, 3, 2, 1, 2, Qt::AlignRight);
  Head->setColumnStretch(1, 1);
  const auto Click = Parts.ExcelClick;
  connect(Excel, &QPushButton::clicked, this,
          [this, Click] { GuardedCall([this, Click] { (this->*Click)(); }); });
  return Head;
}

QWidget* TFormDetailedOutput::BuildRunPage(const TRunPage& Parts) {
  auto* Page = new QWidget;
  Page->setObjectName(Parts.Name);
  QGridLayout* Head = BuildRunHead(Page, Parts);

  if (Parts.InfoLines) {
    QFont Fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Fixed.setPointSizeF(Page->font().pointSizeF());
    for (int i = 0; i < 3; ++i) {
      lblInfo[i] = NewValue(Page, i == 0 ? "lblInfo0" : i == 1 ? "lblInfo1" : "lblInfo2", true);
      if (i > 0) lblInfo[i]->setFont(Fixed);
    }
  }
  TDxStringGrid* Table = NewTable(Page, Parts.TableName, Parts.ColWidth, 2);
  this->*Parts.Table = Table;

  auto* L = new QVBoxLayout(Page);
  L->addLayout(Head);
  if (Parts.Title) L->addWidget(NewLabel(Page, Parts.Title));
  if (Parts.InfoLines) {
    L->addWidget(lblInfo[0]);
    L->setSpacing(4);
    auto* Info = new QVBoxLayout;
    Info->setSpacing(0);
    Info->addWidget(lblInfo[1]);
    Info->addWidget(lblInfo[2]);
    L->addLayout(Info);
  }
  L->addWidget(Table, 1);
  L->addWidget(NewSummaryGroup(Page, Parts.SummaryCaptions, Parts.SummaryNames, Parts.SummaryCount,
                               this->*Parts.Summary));
  return Page;
}

QWidget* TFormDetailedOutput::BuildWaterBalancePage() {
  auto* Page = new QWidget;
  Page->setObjectName("tsWaterBalance");

  using B = TWaterBalance;
  static const TBalanceCell Whole[] = {
      {0, 0, "init max root zone:", "lblInit", "mmInitMaxRootZone", &B::InitMaxRootZone},
      {0, 1, "final max root zone:", "lblFinal", "mmFinalMaxRootZone", &B::FinalMaxRootZone},
      {0, 2, "change: ", nullptr, "mmChange1", &B::Change1},
      {1, 0, "init surf storage:", nullptr, "mmInitSurfStorage", &B::InitSurfStorage},
      {1, 1, "final surf storage:", nullptr, "mmFinalSurfStorage", &B::FinalSurfStorage},
      {1, 2, "change: ", nullptr, "mmChange2", &B::Change2},
      {2, 0, "irrigation:", nullptr, "mmIrrigation", &B::Irrigation},
      {2, 1, "evap water surface:", nullptr, "mmEvapWaterSurface", &B::EvapWaterSurface},
      {3, 0, "rainfall:", nullptr, "mmRainfall", &B::Rainfall},
      {3, 1, "evap soil surface:", nullptr, "mmEvapSoilSurface", &B::EvapSoilSurface},
      {4, 1, "transpiration:", nullptr, "mmTranspiration", &B::Transpiration},
      {4, 2, "to atmos:", nullptr, "mmToAtmos", &B::ToAtmos},
      {5, 1, "surface runoff:", nullptr, "mmSurfaceRunoff", &B::SurfaceRunoff},
      {6, 1, "lost to deep soil:", "lblLost", "mmLostToDeepSoil", &B::LostToDeepSoil},
      {7, 0, "TOTAL INIT + IN:", nullptr, "mmTotalInitIn", &B::TotalInitIn},
      {7, 1, "TOTAL FINAL + OUT:", nullptr, "mmTotalFinalOut", &B::TotalFinalOut},
      {7, 2, "checksum:", nullptr, "mmCheckSum1", &B::CheckSum1},
  };
  static const TBalanceCell Root[] = {
      {0, 0, "init water stock:", nullptr, "mmInitWaterStock", &B::InitialWaterStock},
      {0, 1, "final water stock:", nullptr, "mmFinalWaterStock", &B::FinalWaterStock},
      {1, 0, "infiltration:", nullptr, "mmInfiltration", &B::Infiltration},
      {1, 1, "evap soil surface:", nullptr, "mmEvapSoilSurfaceRoot", &B::EvapSoilSurfaceRoot},
      {2, 0, "added by root growth:", nullptr, "mmAddedByRootGrowth", &B::AddedByRootGrowth},
      {2, 1, "transpiration:", nullptr, "mmTranspirationRoot", &B::TranspirationRoot},
      {3, 0, "capillary rise:", "lblCapillaryRise", "mmCapillaryRise", &B::CapillaryRise},
      {3, 1, "percolation:", nullptr, "mmPerculation", &B::Perculation},
      {4, 0, "TOTAL INIT + IN:", nullptr, "mmTotalInitInRoot", &B::TotalInitInRoot},
      {4, 1, "FINAL + OUT:", nullptr, "mmFinalOut", &B::FinalOut},
      {4, 2, "checksum:", nullptr, "mmCheckSum2", &B::Checksum2},
  };
  std::vector<QLabel*> CaptionColumns[3];
  GbWaterBalance = BuildBalanceGroup(Page, " WATER BALANCE WHOLE SYSTEM  (1 dimens. column; cm) ",
                                     "GbWaterBalance", Whole, std::size(Whole), CaptionColumns);
  QGroupBox* GbRoot = BuildBalanceGroup(Page, " WATER BALANCE ROOT ZONE ", "GbWaterBalanceRoot", Root,
                                        std::size(Root), CaptionColumns);
  AlignBalanceColumns(CaptionColumns);

  auto* L = new QVBoxLayout(Page);
  L->addWidget(GbWaterBalance);
  L->addWidget(GbRoot);
  L->addStretch(1);
  return Page;
}

QGroupBox* TFormDetailedOutput::BuildBalanceGroup(QWidget* Page, const char* Caption, const char* Name,
                                                  const TBalanceCell* Cells, size_t Count,
                                                  std::vector<QLabel*> (&CaptionColumns)[3]) {
  auto* G = new QGroupBox(Caption, Page);
  G->setObjectName(Name);
  auto* L = new QGridLayout(G);
  L->setHorizontalSpacing(6);
  L->setVerticalSpacing(3);
  for (size_t i = 0; i < Count; ++i) {
    const TBalanceCell& C = Cells[i];
    QLabel* CellCaption = NewLabel(G, QString::fromLatin1(C.Caption), C.CaptionName);
    QLineEdit* Field = NewField(G, C.Field);
    CellCaption->setBuddy(Field);
    CaptionColumns[C.Col].push_back(CellCaption);
    L->addWidget(CellCaption, C.Row, C.Col * 3);
    L->addWidget(Field, C.Row, C.Col * 3 + 1);
    FBalanceFields.emplace_back(Field, C.Member);
    const QString Named = CellCaption->objectName();
    if (Named == "lblInit") lblInit = CellCaption;
    if (Named == "lblFinal") lblFinal = CellCaption;
    if (Named == "lblLost") lblLost = CellCaption;
    if (Named == "lblCapillaryRise") {
      lblCapillaryRise = CellCaption;
      mmCapillaryRise = Field;
    }
  }
  // A little room between the three columns.
  L->setColumnMinimumWidth(2, 12);
  L->setColumnMinimumWidth(5, 12);
  L->setColumnStretch(8, 1);
  return G;
}

// The columns of both groups line up; the captions that change with
// groundwater fit in either form.
void TFormDetailedOutput::AlignBalanceColumns(std::vector<QLabel*> (&CaptionColumns)[3]) {
  const QFontMetrics Fm = lblInit->fontMetrics();
  const int Changing =
      std::max({Fm.horizontalAdvance("final max root zone"), Fm.horizontalAdvance("final within 10 m"),
                Fm.horizontalAdvance("lost through drains")});
  for (const auto& Column : CaptionColumns) {
    int Width = Changing;
    for (const QLabel* C : Column) Width = std::max(Width, C->sizeHint().width());
    for (QLabel* C : Column) C->setMinimumWidth(Width);
  }
}

QWidget* TFormDetailedOutput::BuildNutrientsPage() {
  auto* Page = new QWidget;
  Page->setObjectName("tsNutrients");
  auto* G = new QGroupBox(" SUMMARY CROP PRODUCTION AND NUTRIENT REQUIREMENTS ", Page);
  G->setObjectName("GbNutrients");
  auto* L = new QGridLayout(G);
  L->setHorizontalSpacing(8);
  L->setVerticalSpacing(3);
  BuildNutrientHeads(G, L);
  BuildNutrientRows(G, L);
  L->setColumnStretch(4, 1);

  auto* V = new QVBoxLayout(Page);
  V->addWidget(G);
  V->addStretch(1);
  return Page;
}

// The basic and recommended amounts, the ruler and the columns' captions.
void TFormDetailedOutput::BuildNutrientHeads(QGroupBox* G, QGridLayout* L) {
  static const char* const BasNames[] = {"lblBas0", "lblBas1", "lblBas2"};
  static const char* const BasCaptions[] = {"Nbas =", "Pbas =", "Kbas ="};
  static const char* const RecNames[] = {"lblRec0", "lblRec1", "lblRec2"};
  static const char* const RecCaptions[] = {"Nrec =", "Prec =", "Krec ="};
  for (int k = 0; k < 3; ++k) {
    QLabel* Bas = NewLabel(G, BasCaptions[k], BasNames[k]);
    QLabel* Rec = NewLabel(G, RecCaptions[k], RecNames[k]);
    Bas->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Rec->setTextInteractionFlags(Qt::TextSelectableByMouse);
    L->addWidget(Bas, 0, k + 1);
    L->addWidget(Rec, 1, k + 1);
    FNutrientShows.push_back({Bas, nullptr, &TNutrients::bas, k});
    FNutrientShows.push_back({Rec, nullptr, &TNutrients::rec, k});
  }

  // The ruler: "Crop production" in the middle of a line.
  auto* Ruler = new QHBoxLayout;
  const auto Line = [G] {
    auto* F = new QFrame(G);
    F->setFrameShape(QFrame::HLine);
    F->setFrameShadow(QFrame::Sunken);
    return F;
  };
  Ruler->addWidget(Line(), 1);
  Ruler->addWidget(NewLabel(G, "Crop production"));
  Ruler->addWidget(Line(), 1);
  L->addLayout(Ruler, 2, 0, 1, 4);
  L->setRowMinimumHeight(2, 24);

  L->addWidget(NewLabel(G, "Potential"), 3, 1, Qt::AlignRight);
  L->addWidget(NewLabel(G, "Nutrient limited"), 3, 2, Qt::AlignRight);
  L->addWidget(NewLabel(G, "Water limited"), 3, 3, Qt::AlignRight);
}

// The crop's production and the fertilizer, one row each, in three columns.
void TFormDetailedOutput::BuildNutrientRows(QGroupBox* G, QGridLayout* L) {
  struct TRow {
    const char* Caption;
    const char* Names[3];
    Str16 (TNutrients::*Row)[3];
  };
  static const TRow Rows[] = {
      {"Leaves:", {"mmLeaves0", "mmLeaves1", "mmLeaves2"}, &TNutrients::Leaves},
      {"Stems:", {"mmStems0", "mmStems1", "mmStems2"}, &TNutrients::Stems},
      {"Storage organ", {"mmStorageOrgan0", "mmStorageOrgan1", "mmStorageOrgan2"}, &TNutrients::StorageOrgan},
      {"Ratio SO/straw:", {"mmRatio0", "mmRatio1", "mmRatio2"}, &TNutrients::Ratio},
      {"Harvest index:",
       {"mmHarvestIndex0", "mmHarvestIndex1", "mmHarvestIndex2"},
       &TNutrients::HarvestIndex},
      {"Fertilizer N:", {"mmFertilizerN0", "mmFertilizerN1", "mmFertilizerN2"}, &TNutrients::FertilizerN},
      {"Fertilizer P:", {"mmFertilizerP0", "mmFertilizerP1", "mmFertilizerP2"}, &TNutrients::FertilizerP},
      {"Fertilizer K:", {"mmFertilizerK0", "mmFertilizerK1", "mmFertilizerK2"}, &TNutrients::FertilizerK},
  };
  int R = 4;
  for (const TRow& Row : Rows) {
    L->addWidget(NewLabel(G, Row.Caption), R, 0);
    for (int k = 0; k < 3; ++k) {
      QLineEdit* E = NewField(G, Row.Names[k]);
      L->addWidget(E, R, k + 1);
      FNutrientShows.push_back({nullptr, E, Row.Row, k});
    }
    ++R;
  }
}

// ---------------------------------------------------------------- opening

void TFormDetailedOutput::FormCreate() {
  TBusyCursor Busy;
  SetheaderListPotential();
  TKvFileManager& Fm = SessionFiles();
  FOutputData = std::make_unique<TDetailedOutput>(Fm.OutFullName());
  FSessionName = FromCore(Fm.KRLName());
  if (Fm.DetailedOutputAvailable()) {
    // A file that fails part way is shown as far as it was read.
    GuardedCall([&] { FOutputData->ReadOutputFile(Fm.OutFullName()); });
    SetTabVisibility();
    setWindowTitle("Detailed output - " + FSessionName);
  }
  SetheaderListWaterLimited();
  pcOutputDet->setCurrentIndex(0);
  pcOutputDetChange();
  FillSelectors();
  SelectFirstItems();
  ShowSelection();
  created = false;
}

void TFormDetailedOutput::SetTabVisibility() {
  const TRunOutput& D = FOutputData->Data;
  pcOutputDet->setTabVisible(0, true);
  pcOutputDet->setTabVisible(1, D.HasWaterLimited);
  pcOutputDet->setTabVisible(2, D.HasWaterBalance || D.HasRootZone);
  pcOutputDet->setTabVisible(3, D.HasNutrients);
}

void TFormDetailedOutput::SetheaderListPotential() {
  FillTable(SgPotential, 14, {Texts(PotentialNames), Texts(PotentialUnits)});
}

void TFormDetailedOutput::SetheaderListWaterLimited() {
  const bool Gw = FOutputData && FOutputData->Data.HasGroundwater;
  if (Gw)
    FillTable(SgWaterLimited, 15, {Texts(GroundwaterNames), Texts(GroundwaterUnits)});
  else
    FillTable(SgWaterLimited, 16, {Texts(FreeDrainageNames), Texts(FreeDrainageUnits)});
}

// ---------------------------------------------------------------- pages and selectors

void TFormDetailedOutput::pcOutputDetChange() {
  TBusyCursor Busy;
  const TRunOutput& D = FOutputData->Data;
  const int Page = pcOutputDet->currentIndex();
  BtnGraph->setEnabled(Page == 0 || (Page == 1 && D.HasWaterLimited) ||
                       (Page == 2 && (D.HasRootZone || D.HasWaterBalance)));
  SetHelpContext(BtnGraph, Page * 10 + 211);
  FillSelectors();
  ShowSelection();
}

void TFormDetailedOutput::FillSelectors() {
  const TRunOutput& D = FOutputData->Data;
  switch (pcOutputDet->currentIndex()) {
    case 0:
      for (const auto& E : D.PotentialList) {
        AddToSelector(cbRunName, E.Obj->Header->RunName);
        AddToSelector(cbYear, E.Obj->Header->RunYear);
      }
      cbYear->setEnabled(true);
      cbRain->setEnabled(false);
      break;
    case 1:
      for (const auto& E : D.WaterList) {
        AddToSelector(cbRunName, E.Obj->Header->RunName);
        AddToSelector(cbYear, E.Obj->Header->RunYear);
        AddToSelector(cbRain, E.Obj->Header->RainYear);
      }
      cbYear->setEnabled(true);
      cbRain->setEnabled(true);
      break;
    case 2:
      for (const auto& E : D.BalanceList) {
        AddToSelector(cbRunName, E.Obj->RunName);
        AddToSelector(cbYear, E.Obj->RunYear);
        AddToSelector(cbRain, E.Obj->RainYear);
      }
      cbYear->setEnabled(true);
      cbRain->setEnabled(true);
      break;
    case 3:
      for (const auto& E : D.NutrientsList) AddToSelector(cbRunName, Str16(E.Str));
      cbYear->setEnabled(false);
      cbRain->setEnabled(false);
      break;
    default: break;
  }
}

void TFormDetailedOutput::SelectFirstItems() {
  for (QComboBox* C : {cbRunName, cbYear, cbRain}) C->setCurrentIndex(C->count() > 0 ? 0 : -1);
}

void TFormDetailedOutput::cbRunNameClick() { ShowSelection(); }

void TFormDetailedOutput::ShowSelection() {
  const Str16 Run(SelectorText(cbRunName)), Year(SelectorText(cbYear)), Rain(SelectorText(cbRain));
  const TRunOutput& D = FOutputData->Data;
  switch (pcOutputDet->currentIndex()) {
    case 0: {
      const TPotentialOutput* Found = nullptr;
      for (const auto& E : D.PotentialList)
        if (E.Obj->Header->RunName == Run && E.Obj->Header->RunYear == Year) {
          Found = E.Obj.get();
          break;
        }
      ShowPotential(Found);
      break;
    }
    case 1: {
      const TWaterLimitedOutput* Found = nullptr;
      for (const auto& E : D.WaterList) {
        const THeader& H = *E.Obj->Header;
        if (H.RunName == Run && H.RunYear == Year && H.RainYear == Rain) {
          Found = E.Obj.get();
          break;
        }
      }
      ShowWaterLimited(Found);
      break;
    }
    case 2: {
      const TWaterBalance* Found = nullptr;
      for (const auto& E : D.BalanceList)
        if (E.Obj->RunName == Run && E.Obj->RunYear == Year && E.Obj->RainYear == Rain) {
          Found = E.Obj.get();
          break;
        }
      ShowBalance(Found);
      break;
    }
    case 3: {
      const TNutrients* Found = nullptr;
      for (const auto& E : D.NutrientsList)
        if (E.Obj->RunName == Run) {
          Found = E.Obj.get();
          break;
        }
      ShowNutrients(Found);
      break;
    }
    default: break;
  }
}

void TFormDetailedOutput::ShowPotential(const TPotentialOutput* P) {
  TBusyCursor Busy;
  std::vector<QStringList> Rows{Texts(PotentialNames), Texts(PotentialUnits)};
  if (!P) {
    ClearLabels({lblWeatherNamep, lblRainp, lblCropNamep, lblSoilNamep, lblStartp, lblSowingDatep,
                 lblEmergenceDatep});
    for (QLabel* L : FPotentialSummary) L->clear();
    FillTable(SgPotential, 14, Rows);
    return;
  }
  const THeader& H = *P->Header;
  ShowNameAndFile(lblWeatherNamep, H.WeatherName, H.WeatherFile);
  ShowNameAndFile(lblRainp, H.RainName, H.RainFile);
  ShowNameAndFile(lblCropNamep, H.CropName, H.CropFile);
  ShowNameAndFile(lblSoilNamep, H.SoilName, H.SoilFile);
  lblStartp->setText(FromCore(H.Start));
  lblSowingDatep->setText(FromCore(H.SowingDate));
  lblEmergenceDatep->setText(FromCore(H.EmergenceDate));
  Rows.reserve(static_cast<size_t>(P->Days.Count()) + 2);
  for (const auto& Day : P->Days) Rows.push_back(RowTexts(*Day.Obj, 1, 14));
  FillTable(SgPotential, 14, Rows);
  for (size_t i = 0; i < FPotentialSummary.size(); ++i)
    FPotentialSummary[i]->setText(FromCore(P->Summary.Value(static_cast<int>(i) + 1).Str()));
}

void TFormDetailedOutput::ShowWaterLimited(const TWaterLimitedOutput* W) {
  TBusyCursor Busy;
  if (!W) {
    ClearLabels({lblWeatherNamew, lblRainw, lblCropNamew, lblSoilNamew, lblStartw, lblSowingDatew,
                 lblEmergenceDatew, lblStartdayw, lblInfo[0], lblInfo[1], lblInfo[2]});
    for (QLabel* L : FWaterSummary) L->clear();
    // The table keeps its two header rows only.
    std::vector<QStringList> Rows(2);
    for (int R = 0; R < 2; ++R)
      for (int C = 0; C < SgWaterLimited->ColCount(); ++C)
        Rows[static_cast<size_t>(R)] << SgWaterLimited->Cells(C, R);
    FillTable(SgWaterLimited, SgWaterLimited->ColCount(), Rows);
    return;
  }
  SetheaderListWaterLimited();
  const THeader& H = *W->Header;
  ShowNameAndFile(lblWeatherNamew, H.WeatherName, H.WeatherFile);
  ShowNameAndFile(lblRainw, H.RainName, H.RainFile);
  ShowNameAndFile(lblCropNamew, H.CropName, H.CropFile);
  ShowNameAndFile(lblSoilNamew, H.SoilName, H.SoilFile);
  lblStartw->setText(FromCore(H.Start));
  lblSowingDatew->setText(FromCore(H.SowingDate));
  lblEmergenceDatew->setText(FromCore(H.EmergenceDate));
  lblStartdayw->setText(FromCore(H.StartDay));
  for (int i = 0; i < 3; ++i) lblInfo[i]->setText(FromCore(W->Info[i]));
  const int Cols = SgWaterLimited->ColCount();
  std::vector<QStringList> Rows(2);
  for (int R = 0; R < 2; ++R)
    for (int C = 0; C < Cols; ++C) Rows[static_cast<size_t>(R)] << SgWaterLimited->Cells(C, R);
  Rows.reserve(static_cast<size_t>(W->Days.Count()) + 2);
  for (const auto& Day : W->Days) Rows.push_back(RowTexts(*Day.Obj, 1, Cols));
  FillTable(SgWaterLimited, Cols, Rows);
  for (size_t i = 0; i < FWaterSummary.size(); ++i)
    FWaterSummary[i]->setText(FromCore(W->Summary.Value(static_cast<int>(i) + 1).Str()));
}

void TFormDetailedOutput::ShowBalance(const TWaterBalance* B) {
  const bool Gw = FOutputData->Data.HasGroundwater;
  lblInit->setText(Gw ? "init within 10 m" : "init max root zone");
  lblFinal->setText(Gw ? "final within 10 m" : "final max root zone");
  lblLost->setText(Gw ? "lost through drains" : "lost to deep soil");
  lblCapillaryRise->setVisible(Gw);
  mmCapillaryRise->setVisible(Gw);
  if (!B) {
    for (const auto& F : FBalanceFields) F.first->clear();
    return;
  }
  GbWaterBalance->setTitle(FromCore(B->Title) + " ");
  for (const auto& F : FBalanceFields) F.first->setText(FromCore((B->*F.second).Str()));
}

void TFormDetailedOutput::ShowNutrients(const TNutrients* N) {
  for (const TNutrientShow& S : FNutrientShows) {
    const QString Text = N ? FromCore((N->*S.Row)[S.Index].Str()) : QString();
    if (S.Label) S.Label->setText(Text);
    if (S.Edit) S.Edit->setText(Text);
  }
}

// ---------------------------------------------------------------- commands

void TFormDetailedOutput::BtnGraphClick() {
  const std::string& Name = FOutputData->FileName;
  if (!Name.empty() && !FileExists(Name)) throw EKvError("File '" + Name + "' not found");
  const int Page = pcOutputDet->currentIndex();
  const bool Gw = FOutputData->Data.HasGroundwater;
  const QString Run = cbRunName->currentText(), Year = cbYear->currentText(), Rain = cbRain->currentText();
  switch (Page) {
    case 0:
    case 1: try { DetailedGraph(this, Page, *FOutputData, Gw, Run, Year, Rain);
      } catch (...) {
        ShowErrorBox("Failed to create graph.");
      }
      break;
    case 2: DetailedGraph(this, Page, *FOutputData, Gw, Run, Year, Rain); break;
    default: break;
  }
}

void TFormDetailedOutput::BtnOpenClick() {
  TKvFileManager& Fm = SessionFiles();
  TFileDialogRequest R;
  R.Title = "Open File...";
  R.InitialDir = FromCore(ExpandFileName(Fm.OutPath()));
  R.Filter = "Output Files (*.out)|*.out";
  R.FileName = FromCore(Fm.KRLName());
  R.MustExist = true;
  const QString Chosen = AskFileName(R);
  if (Chosen.isEmpty()) return;
  std::string File = ToCore(Chosen);
  if (ExtractFileExt(File).empty() && !FileExists(File)) File += ".out";
  OpenOutputFile(File);
}

void TFormDetailedOutput::ShowKeptRun(const std::string& File, const QString& Run) {
  OpenOutputFile(File);
  setWindowTitle("Detailed output - " + Run);
}

void TFormDetailedOutput::OpenOutputFile(const std::string& File) {
  // Read into a new object: a file that cannot be read leaves the window as
  // it was.
  auto Read = std::make_unique<TDetailedOutput>(File);
  {
    TBusyCursor Busy;
    Read->ReadChosenOutputFile(File);
  }
  FOutputData = std::move(Read);
  FSessionName = FromCore(ExtractFileBase(File));
  setWindowTitle("Detailed output - " + FromCore(ExtractFileName(File)));
  for (QComboBox* C : {cbRunName, cbYear, cbRain}) C->clear();
  FillSelectors();
  SelectFirstItems();
  // Hiding the page on show makes another page current (and fills it).
  SetTabVisibility();
  ShowSelection();
}

QStringList TFormDetailedOutput::HeaderTexts(bool WaterLimited) const {
  if (!WaterLimited)
    return {"WEATHER:",        lblWeatherNamep->text(),  "RAIN:",        lblRainp->text(),
            "CROP:",           lblCropNamep->text(),     "SOIL:",        lblSoilNamep->text(),
            "START:",          lblStartp->text(),        "sowing date:", lblSowingDatep->text(),
            "emergence date:", lblEmergenceDatep->text()};
  return {"WEATHER:",
          lblWeatherNamew->text(),
          "RAIN:",
          lblRainw->text(),
          "CROP:",
          lblCropNamew->text(),
          "SOIL:",
          lblSoilNamew->text(),
          "START:",
          lblStartw->text(),
          "sowing date:",
          lblSowingDatew->text(),
          "emergence date:",
          lblEmergenceDatew->text(),
          "start date waterbalance:",
          lblStartdayw->text()};
}

void TFormDetailedOutput::Export(TDxStringGrid* Grid, const QStringList& Header) {
  TBusyCursor Busy;
  if (!created) {
    OLEExcel1->CreateExcelInstance();
    created = true;
  }
  OLEExcel1->CreateNewSheet(pcOutputDet->tabText(pcOutputDet->currentIndex()).remove('&'));
  OLEExcel1->StringListToExcelAt(
      {"RUNNAM:", cbRunName->currentText(), "YEAR:", cbYear->currentText(), "RAIN:", cbRain->currentText()},
      1, 1);
  OLEExcel1->StringListToExcelAt(Header, 5, 1);
  OLEExcel1->StringGridToExcelAt(*Grid, 13);
  OLEExcel1->SetWorkbookPlace(FromCore(SessionFiles().OutPath()), FSessionName + "-detailed");
  OLEExcel1->SetVisible(true);
}

void TFormDetailedOutput::btnExcelPotentialClick() { Export(SgPotential, HeaderTexts(false)); }

void TFormDetailedOutput::btnExcelWaterlimitedClick() { Export(SgWaterLimited, HeaderTexts(true)); }

// ---------------------------------------------------------------- closing

void TFormDetailedOutput::FormClose() { OLEExcel1->SetVisible(false); }

void TFormDetailedOutput::done(int Result) {
  FormClose();
  QDialog::done(Result);
}

void ShowDetailedOutput(QWidget* Owner) {
  GuardedCall([Owner] {
    SessionFiles();
    TFormDetailedOutput Form(Owner);
    ExecModal(Form);
  });
}
