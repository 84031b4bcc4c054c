// The main window's session pages: their controls, filling them from the
// session and storing them back, the enabling rules and the page handlers.

#include "KvmainPages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "Commands.h"
#include "DxGrid.h"
#include "DxInpMemo.h"
#include "FormParts.h"
#include "Kvedtrun.h"
#include "Kvmain.h"
#include "Kvrain.h"
#include "Kvselect.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "foundations/Kvutil.h"
#include "output/Observations.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"
#include "session/Kvses.h"
#include "session/SessionFields.h"

// ---- the radio group

TRadioGroup::TRadioGroup(const QString& Caption, const QStringList& Items, int Columns, QWidget* Parent)
    : QGroupBox(Caption, Parent), FGroup(new QButtonGroup(this)) {
  auto* L = new QGridLayout(this);
  const int PerColumn = (static_cast<int>(Items.size()) + Columns - 1) / Columns;
  for (int I = 0; I < Items.size(); ++I) {
    auto* B = new QRadioButton(Items[I]);
    FGroup->addButton(B, I);
    L->addWidget(B, I % PerColumn, I / PerColumn);
  }
  connect(FGroup, &QButtonGroup::idClicked, this, &TRadioGroup::Click);
}

int TRadioGroup::ItemIndex() const { return FGroup->checkedId(); }
int TRadioGroup::Count() const { return static_cast<int>(FGroup->buttons().size()); }
QRadioButton* TRadioGroup::Button(int Index) const {
  return qobject_cast<QRadioButton*>(FGroup->button(Index));
}

void TRadioGroup::SetItemIndex(int Index) {
  if (QAbstractButton* B = FGroup->button(Index)) {
    B->setChecked(true);
    return;
  }
  FGroup->setExclusive(false);
  for (QAbstractButton* B : FGroup->buttons()) B->setChecked(false);
  FGroup->setExclusive(true);
}

namespace {
// A label whose access key moves the focus to Buddy.
QLabel* Caption(const QString& Text, QWidget* Buddy = nullptr) {
  auto* L = new QLabel(Text);
  if (Buddy) L->setBuddy(Buddy);
  return L;
}

template <class T>
T* Named(T* W, const char* Name) {
  W->setObjectName(Name);
  return W;
}

QListWidget* NewList(const char* Name) {
  auto* L = Named(new QListWidget, Name);
  L->setSelectionMode(QAbstractItemView::SingleSelection);
  // The list hints: the file of the chosen entry, in the status bar only.
  SetHint(L, "|");
  return L;
}

// The read-only year fields: disabled, light cyan.
QLineEdit* YearEdit(const char* Name) {
  auto* E = Named(new QLineEdit, Name);
  E->setReadOnly(true);
  E->setEnabled(false);
  E->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  E->setMaximumWidth(E->fontMetrics().horizontalAdvance("000000") + 16);
  SetReadOnlyFieldStyle(E);
  return E;
}

// Enable: enabled, in the window colour; disable: disabled, in the
// button-face colour (fields only).
void EnableField(TDxNumberMemo* M, bool On) {
  M->setEnabled(On);
  QPalette P = M->palette();
  const QColor C =
      On ? QApplication::palette().color(QPalette::Base) : QApplication::palette().color(QPalette::Button);
  for (QPalette::ColorGroup G : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    P.setColor(G, QPalette::Base, C);
  M->setPalette(P);
}

// A row of a form: the captioned field, with its access key.
void AddRow(QGridLayout* L, int Row, const QString& Text, QWidget* Field, int Col = 0) {
  L->addWidget(Caption(Text, Field), Row, Col);
  L->addWidget(Field, Row, Col + 1);
}

// The caption the field table gives a keyword's control.
QString FieldCaption(const char* Keyword) {
  const TSessionField* F = FindSessionField(Keyword);
  return QString::fromUtf8(F ? F->Caption : Keyword);
}

TDxIntMemo* IntField(const char* Name) { return Named(new TDxIntMemo, Name); }
TDxFloatMemo* FloatField(const char* Name) { return Named(new TDxFloatMemo, Name); }

// The whole text of a program file, for display.
QString FileText(const std::string& Name) {
  QFile F(QFile::decodeName(QByteArray::fromStdString(MapFileName(Name))));
  if (!F.open(QIODevice::ReadOnly)) throw EDxError("File '" + Name + "' not found");
  const QByteArray B = F.readAll();
  return FromCore(B.toStdString());
}

std::string FileHint(const std::string& FileName) { return "|File: " + FileName; }

int YearOf(const QLineEdit* E) { return IntOrZero(ToCore(E->text())); }
}  // namespace

// ---- building the pages

void TFormMain::BuildPages() {
  FGeneral = new TGeneralPage;
  FTimer = new TTimerPage;
  FCrop = new TCropPage(FTimer);
  FWeather = new TWeatherPage(FTimer);
  FSoil = new TSoilPage;
  FNutrients = new TNutrientsPage;
  FReruns = new TReRunsPage;
  // Each page in a scroll area, so that it stays usable at the minimum size
  // with a large font.
  const struct {
    TSessionPage* Page;
    const char* Name;
    const char* Tab;
  } Pages[] = {{FGeneral, "tbsGeneral", "&General"}, {FCrop, "tbsCrop", "&Crop"},
               {FWeather, "tbsWeather", "&Weather"}, {FTimer, "TbsTimer", "&Timer"},
               {FSoil, "tbsSoil", "&Soil"},          {FNutrients, "tbsNutrients", "&Nutrients"},
               {FReruns, "tbsReruns", "&Reruns"}};
  for (const auto& P : Pages) {
    P.Page->setObjectName(P.Name);
    auto* Scroll = new QScrollArea;
    Scroll->setWidget(P.Page);
    Scroll->setWidgetResizable(true);
    Scroll->setFrameShape(QFrame::NoFrame);
    pgcSession->addTab(Scroll, P.Tab);
    FPages.push_back(P.Page);
  }
  ConnectPageHandlers();
}

// ---- the pages

void TSessionPage::BindFields() {
  for (const TSessionField& F : SessionFields()) {
    // The years follow the station's years (FillPages, CheckYears).
    if (!*F.Control || !F.Range || F.Keyword == std::string("ISYR") || F.Keyword == std::string("INYEAR"))
      continue;
    QWidget* W = findChild<QWidget*>(F.Control);
    if (qobject_cast<TDxNumberMemo*>(W) || qobject_cast<TRadioGroup*>(W) || qobject_cast<QCheckBox*>(W)) {
      FFields.push_back({&F, W});
      if (const int Help = F.HelpContext) SetHelpContext(W, Help);
    }
  }
}

void TSessionPage::Fill(const TKvSession& S) {
  for (const TFieldControl& C : FFields) {
    const long double V = C.Field->Number(S);
    const TFieldRange R = C.Field->Range(S);
    if (auto* Int = qobject_cast<TDxIntMemo*>(C.Control))
      Int->Reset(int(V), int(R.Min), int(R.Max));
    else if (auto* Float = qobject_cast<TDxFloatMemo*>(C.Control))
      Float->Reset(double(V), double(R.Min), double(R.Max));
    else if (auto* Group = qobject_cast<TRadioGroup*>(C.Control))
      Group->SetItemIndex(int(V - R.Min));
    else if (auto* Box = qobject_cast<QCheckBox*>(C.Control))
      Box->setChecked(V == 1);
  }
}

void TSessionPage::Store(TKvSession& S) {
  for (const TFieldControl& C : FFields) {
    long double V = 0;
    if (auto* Int = qobject_cast<TDxIntMemo*>(C.Control))
      V = Int->iValue();
    else if (auto* Float = qobject_cast<TDxFloatMemo*>(C.Control))
      V = Float->fValue();
    else if (auto* Group = qobject_cast<TRadioGroup*>(C.Control))
      V = Group->ItemIndex() + C.Field->Range(S).Min;
    else if (auto* Box = qobject_cast<QCheckBox*>(C.Control))
      V = Box->isChecked() ? 1 : 0;
    C.Field->SetNumber(S, V);
  }
}

TGeneralPage::TGeneralPage() {
  auto* L = new QVBoxLayout(this);
  RgProductionLevels = Named(
      new TRadioGroup(" Number of successive production levels ",
                      {"Simulation of &potential crop growth", "and s&imulation of water-limited crop growth",
                       "and ca&lculation of nutrient-limited crop growth"}),
      "RgProductionLevels");
  RgSoilWaterBalance = Named(
      new TRadioGroup(" Summary seasonal soil water balance ", {"No s&ummary", "Whole s&ystem (1-D column)",
                                                                "Root &zone", "Whole system &and root zone"}),
      "RgSoilWaterBalance");
  RgTypeOfWaterLimitedCropGrowth =
      Named(new TRadioGroup(" WATER-LIMITED crop growth ",
                            {"Effects of &drought only", "Effects of &both drought and oxygen shortage"}),
            "RgTypeOfWaterLimitedCropGrowth");
  L->addWidget(RgProductionLevels);
  L->addWidget(RgSoilWaterBalance);
  L->addWidget(RgTypeOfWaterLimitedCropGrowth);
  auto* Obs = new QGroupBox(" Measured data ");
  auto* OL = new QHBoxLayout(Obs);
  BtnObservations = Named(new QPushButton("O&bservations..."), "BtnObservations");
  SetHint(BtnObservations, "Observations|Choose a file of measurements to compare with the simulation");
  LblObservations = Named(new QLabel, "LblObservations");
  LblObservations->setTextInteractionFlags(Qt::TextSelectableByMouse);
  BtnClearObservations = Named(new QPushButton("Clea&r"), "BtnClearObservations");
  SetHint(BtnClearObservations, "Clear|The session keeps no observation file");
  OL->addWidget(BtnObservations);
  OL->addWidget(LblObservations, 1);
  OL->addWidget(BtnClearObservations);
  L->addWidget(Obs);
  L->addStretch(1);
  BindFields();
}

TCropPage::TCropPage(TTimerPage* Timer) : FTimer(Timer) {
  auto* L = new QHBoxLayout(this);
  auto* G1 = new QGroupBox(" Available crops ");
  auto* L1 = new QVBoxLayout(G1);
  L1->addWidget(LbCropNo = NewList("LbCropNo"));
  auto* G2 = new QGroupBox(" Selected crop file ");
  auto* L2 = new QVBoxLayout(G2);
  mmCropInfo = Named(new QPlainTextEdit, "mmCropInfo");
  mmCropInfo->setReadOnly(true);
  mmCropInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
  mmCropInfo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  mmCropInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mmCropInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  L2->addWidget(mmCropInfo);
  L->addWidget(G1, 1);
  L->addWidget(G2, 2);
  BindFields();
}

TWeatherPage::TWeatherPage(TTimerPage* Timer) : FTimer(Timer) {
  auto* L = new QVBoxLayout(this);
  auto* Lists = new QHBoxLayout;
  auto* G1 = new QGroupBox(" Weather format ");
  (new QVBoxLayout(G1))->addWidget(LbWeatherFormat = NewList("LbWeatherFormat"));
  auto* G2 = new QGroupBox(" Available stations ");
  (new QVBoxLayout(G2))->addWidget(LbStation = NewList("LbStation"));
  Lists->addWidget(G1, 1);
  Lists->addWidget(G2, 1);
  L->addLayout(Lists, 1);
  auto* Years = new QHBoxLayout;
  Years->addWidget(new QLabel("Available years:"));
  Years->addWidget(EditFirstYear = YearEdit("EditFirstYear"));
  Years->addWidget(new QLabel(" _ "));
  Years->addWidget(EditLastYear = YearEdit("EditLastYear"));
  Years->addStretch(1);
  BtnRainfall = Named(new QPushButton("Rainfall data &options..."), "BtnRainfall");
  Years->addWidget(BtnRainfall);
  L->addLayout(Years);
  BindFields();
}

TTimerPage::TTimerPage() {
  auto* L = new QGridLayout(this);
  L->addWidget(BuildGeneralTimer(), 0, 0);
  L->addWidget(BuildWeatherTimer(), 0, 1);
  L->addWidget(BuildCropTimer(), 1, 0, 1, 2);
  L->setRowStretch(2, 1);
  L->setColumnStretch(1, 1);
  BindFields();
}

QGroupBox* TTimerPage::BuildGeneralTimer() {
  auto* General = new QGroupBox(" General timer ");
  auto* GL = new QGridLayout(General);
  mmOutputInterval = IntField("mmOutputInterval");
  mmStartDay = IntField("mmStartDay");
  AddRow(GL, 0, FieldCaption("PRDEL"), mmOutputInterval);
  lblStartday = Named(Caption(FieldCaption("ISDAY"), mmStartDay), "lblStartday");
  GL->addWidget(lblStartday, 1, 0);
  GL->addWidget(mmStartDay, 1, 1);
  GL->setColumnStretch(2, 1);
  GL->setRowStretch(2, 1);
  return General;
}

QGroupBox* TTimerPage::BuildWeatherTimer() {
  auto* Weather = new QGroupBox(" Weather timer ");
  auto* WL = new QGridLayout(Weather);
  Lbweather = Named(new QLabel("Selected station: "), "Lbweather");
  Lbweather->setWordWrap(true);
  WL->addWidget(Lbweather, 0, 0, 1, 4);
  WL->addWidget(new QLabel("Available years:"), 1, 0);
  WL->addWidget(EditFirstYear2 = YearEdit("EditFirstYear2"), 1, 1);
  WL->addWidget(new QLabel(" _ "), 1, 2);
  WL->addWidget(EditLastYear2 = YearEdit("EditLastYear2"), 1, 3);
  mmYear = IntField("mmYear");
  mmConsecutiveYears = IntField("mmConsecutiveYears");
  WL->addWidget(Caption(FieldCaption("ISYR"), mmYear), 2, 0);
  WL->addWidget(mmYear, 2, 1, 1, 3);
  WL->addWidget(Caption(FieldCaption("INYEAR"), mmConsecutiveYears), 3, 0);
  WL->addWidget(mmConsecutiveYears, 3, 1, 1, 3);
  WL->setColumnStretch(4, 1);
  return Weather;
}

QGroupBox* TTimerPage::BuildCropTimer() {
  auto* Crop = new QGroupBox(" Crop timer ");
  auto* CL = new QGridLayout(Crop);
  lbcrop = Named(new QLabel("Selected crop: "), "lbcrop");
  lbcrop->setWordWrap(true);
  CL->addWidget(lbcrop, 0, 0, 1, 3);
  RgStartDay = Named(new TRadioGroup(FieldCaption("ISTCHO"), {"Fixed &emergence date", "Fixed s&owing date",
                                                              "&Variable sowing date"}),
                     "RgStartDay");
  RgEndDay = Named(new TRadioGroup(FieldCaption("IENCHO"), {"F&ixed end date", "Mat&urity (<= max duration)",
                                                            "Earliest of &both dates"}),
                   "RgEndDay");
  const struct {
    TDxIntMemo** Field;
    const char* Name;
    const char* Keyword;
  } Dates[] = {{&mmFixedEmergenceDate, "mmFixedEmergenceDate", "IDEM"},
               {&mmFixedSowingDate, "mmFixedSowingDate", "IDSOW"},
               {&mmEarliestSowingDate, "mmEarliestSowingDate", "IDESOW"},
               {&mmUltimateSowingDate, "mmUltimateSowingDate", "IDLSOW"},
               {&mmFixedEndDate, "mmFixedEndDate", "IDAYEN"},
               {&mmMaximumDuration, "mmMaximumDuration", "IDURMX"}};
  // Each choice beside the dates it enables, in this order from the keyboard.
  CL->addWidget(RgStartDay, 1, 0, 4, 1);
  int Row = 1;
  for (const auto& D : Dates) {
    if (Row == 5) CL->addWidget(RgEndDay, 5, 0, 3, 1);
    AddRow(CL, Row++, FieldCaption(D.Keyword), *D.Field = IntField(D.Name), 1);
  }
  CL->setRowStretch(7, 1);
  CL->setColumnStretch(3, 1);
  return Crop;
}

TSoilPage::TSoilPage() {
  auto* L = new QHBoxLayout(this);
  auto* G1 = new QGroupBox(" Available soil types ");
  (new QVBoxLayout(G1))->addWidget(LbSoilNo = NewList("LbSoilNo"));
  auto* G2 = new QGroupBox(" Hydrology ");
  auto* HL = new QGridLayout(G2);
  mmInitialSurfaceStorage = FloatField("mmInitialSurfaceStorage");
  mmMaximumSurfaceStorage = FloatField("mmMaximumSurfaceStorage");
  CbGroundwater = Named(new QCheckBox("Gr&oundwater"), "CbGroundwater");
  mmInitialAvailableSoilWater = FloatField("mmInitialAvailableSoilWater");
  mmMaximumMoisture = FloatField("mmMaximumMoisture");
  mmInitialGroundWaterTable = FloatField("mmInitialGroundWaterTable");
  CbDrainage = Named(new QCheckBox("&Drainage"), "CbDrainage");
  mmDrainageDepth = FloatField("mmDrainageDepth");
  mmMaximumRootDepthOfSoil = FloatField("mmMaximumRootDepthOfSoil");
  RgTypeOfNonInfiltratingFractionOfRain =
      Named(new TRadioGroup(" Non-infiltration fraction ", {"Fix&ed", "Function of storm si&ze"}, 2),
            "RgTypeOfNonInfiltratingFractionOfRain");
  mmMaxNonInfiltratingFractionOfRain = FloatField("mmMaxNonInfiltratingFractionOfRain");

  int Row = 0;
  AddRow(HL, Row++, "Initial surface s&torage (cm):", mmInitialSurfaceStorage);
  AddRow(HL, Row++, "&Maximum surface storage (cm):", mmMaximumSurfaceStorage);
  HL->addWidget(CbGroundwater, Row++, 0, 1, 2);
  AddRow(HL, Row++, "&Initial available soil water (cm):", mmInitialAvailableSoilWater);
  auto* Moisture =
      Caption("M&aximum initial moisture content in initial rooting depth (-):", mmMaximumMoisture);
  Moisture->setWordWrap(true);
  HL->addWidget(Moisture, Row, 0);
  HL->addWidget(mmMaximumMoisture, Row++, 1);
  AddRow(HL, Row++, "Initial groundwater ta&ble (cm):", mmInitialGroundWaterTable);
  auto* Drain = new QHBoxLayout;
  Drain->addWidget(CbDrainage);
  Drain->addStretch(1);
  Drain->addWidget(Caption("de&pth (cm):", mmDrainageDepth));
  HL->addLayout(Drain, Row, 0);
  HL->addWidget(mmDrainageDepth, Row++, 1);
  AddRow(HL, Row++, "Ma&ximum rooting depth of soil (cm):", mmMaximumRootDepthOfSoil);
  HL->addWidget(RgTypeOfNonInfiltratingFractionOfRain, Row++, 0, 1, 2);
  auto* NonInf =
      Caption("Maxim&um non-infiltrating factor of rain storm:", mmMaxNonInfiltratingFractionOfRain);
  NonInf->setWordWrap(true);
  HL->addWidget(NonInf, Row, 0);
  HL->addWidget(mmMaxNonInfiltratingFractionOfRain, Row++, 1);
  HL->setRowStretch(Row, 1);
  HL->setColumnStretch(0, 1);
  L->addWidget(G1, 2);
  L->addWidget(G2, 3);
  BindFields();
}

TNutrientsPage::TNutrientsPage() {
  auto* Outer = new QVBoxLayout(this);
  auto* L = new QGridLayout;
  mmNBase = FloatField("mmNBase");
  mmPBase = FloatField("mmPBase");
  mmKBase = FloatField("mmKBase");
  mmNRec = FloatField("mmNRec");
  mmPRec = FloatField("mmPRec");
  mmKRec = FloatField("mmKRec");
  L->addWidget(Caption("&Basic soil supply (0-100 kg/ha)", mmNBase), 0, 1);
  L->addWidget(Caption("&Apparent recovery fraction (0-1)", mmNRec), 0, 2);
  L->addWidget(Caption("N&itrogen (N):", mmNBase), 1, 0);
  L->addWidget(Caption("Phosphorus (&P):", mmPBase), 2, 0);
  L->addWidget(Caption("Potassium (&K):", mmKBase), 3, 0);
  L->addWidget(mmNBase, 1, 1);
  L->addWidget(mmPBase, 2, 1);
  L->addWidget(mmKBase, 3, 1);
  L->addWidget(mmNRec, 1, 2);
  L->addWidget(mmPRec, 2, 2);
  L->addWidget(mmKRec, 3, 2);
  L->setColumnStretch(3, 1);
  L->setHorizontalSpacing(24);
  Outer->addLayout(L);
  Outer->addStretch(1);
  BindFields();
}

TReRunsPage::TReRunsPage() {
  auto* L = new QVBoxLayout(this);
  L->addWidget(CbUseReRuns = Named(new QCheckBox("&Use reruns"), "CbUseReRuns"));
  GridReRun = Named(new TDxStringGrid, "GridReRun");
  GridReRun->SetFixedRows(1);
  GridReRun->SetDefaultColWidth(80);
  GridReRun->SetDefaultRowHeight(20);
  GridReRun->SetEditing(true);
  L->addWidget(GridReRun, 1);
  auto* Buttons = new QHBoxLayout;
  Buttons->addWidget(btnAddRerun = Named(new QPushButton("&Add rerun"), "btnAddRerun"));
  Buttons->addWidget(btnRemoveRerun = Named(new QPushButton("Re&move rerun"), "btnRemoveRerun"));
  Buttons->addWidget(btnSelectVar = Named(new QPushButton("Select &variables..."), "btnSelectVar"));
  Buttons->addWidget(btnRemoveVar = Named(new QPushButton("R&emove variable"), "btnRemoveVar"));
  Buttons->addStretch(1);
  L->addLayout(Buttons);
  BindFields();
}

void TFormMain::ConnectPageHandlers() {
  const auto On = [this](auto* Sender, auto Signal, void (TFormMain::*Handler)()) {
    ConnectGuarded(Sender, Signal, this, [this, Handler] {
      if (TheSession) (this->*Handler)();
    });
  };
  On(FGeneral->RgProductionLevels, &TRadioGroup::Click, &TFormMain::RgProductionLevelsClick);
  On(FTimer->RgStartDay, &TRadioGroup::Click, &TFormMain::RgStartDayClick);
  On(FTimer->RgEndDay, &TRadioGroup::Click, &TFormMain::RgEndDayClick);
  On(FSoil->CbGroundwater, &QCheckBox::clicked, &TFormMain::CbGroundwaterClick);
  On(FSoil->CbDrainage, &QCheckBox::clicked, &TFormMain::CbDrainageClick);
  On(FCrop->LbCropNo, &QListWidget::itemSelectionChanged, &TFormMain::LbCropNoClick);
  On(FSoil->LbSoilNo, &QListWidget::itemSelectionChanged, &TFormMain::LbSoilNoClick);
  On(FWeather->LbWeatherFormat, &QListWidget::itemSelectionChanged, &TFormMain::LbWeatherFormatClick);
  On(FWeather->LbStation, &QListWidget::itemSelectionChanged, &TFormMain::LbStationClick);
  On(FTimer->mmYear, &TDxNumberMemo::Exit, &TFormMain::mmYearExit);
  On(FReruns->btnAddRerun, &QPushButton::clicked, &TFormMain::btnAddRerunClick);
  On(FReruns->btnRemoveRerun, &QPushButton::clicked, &TFormMain::btnRemoveRerunClick);
  On(FReruns->btnRemoveVar, &QPushButton::clicked, &TFormMain::btnRemoveVarClick);
  On(FReruns->btnSelectVar, &QPushButton::clicked, &TFormMain::btnSelectVarClick);
  On(FWeather->BtnRainfall, &QPushButton::clicked, &TFormMain::BtnRainfallClick);
  On(FGeneral->BtnObservations, &QPushButton::clicked, &TFormMain::BtnObservationsClick);
  On(FGeneral->BtnClearObservations, &QPushButton::clicked, &TFormMain::BtnClearObservationsClick);
  connect(FReruns->GridReRun, &TDxStringGrid::SelectCell, this, [this](int Col, int Row) {
    if (TheSession) GuardedCall([&] { GridReRunSelectCell(Col, Row); });
  });
  connect(FReruns->GridReRun, &TDxStringGrid::MouseDown, this, [this](Qt::MouseButton B, int Col, int Row) {
    if (TheSession) GuardedCall([&] { GridReRunMouseDown(B, Col, Row); });
  });
}

// ---- filling and storing

void TCropPage::Fill(const TKvSession& S) {
  TSessionPage::Fill(S);
  TQtListBox CropBox(LbCropNo);
  S.Crop().FetchCropData(CropBox);
}

void TCropPage::Store(TKvSession& S) {
  TSessionPage::Store(S);
  TQtListBox CropBox(LbCropNo);
  TQtLabel CropLabel(FTimer->lbcrop);
  S.Crop().SetCropFile(CropBox, CropLabel);
}

// The station's years and the simulation years of the Timer page.
void TWeatherPage::Fill(const TKvSession& S) {
  TSessionPage::Fill(S);
  TKvWeather& W = S.Weather();
  TQtListBox FormatBox(LbWeatherFormat), StationBox(LbStation);
  W.FetchWeatherFormatData(FormatBox);
  W.UpdateWeatherFormat(FormatBox, StationBox);
  UpdateStationsAndYears(S);
  const int F = FirstYear(), L = LastYear();
  // A session saved for another station may ask for years this one lacks:
  // the fields take the nearest years the station has, never an empty range.
  const int Year = F <= L ? std::clamp(W.Year(), F, L) : W.Year();
  FTimer->mmYear->Reset(Year, F, L);
  FTimer->mmConsecutiveYears->Reset(
      F <= L ? std::clamp(W.ConsecutiveYears(), 1, L - Year + 1) : W.ConsecutiveYears(), 1, L - Year + 1);
  CheckYears();
}

// The weather page alone (step 3 of StorePages).
void TWeatherPage::Store(TKvSession& S) {
  TSessionPage::Store(S);
  TKvWeather& W = S.Weather();
  TQtListBox FormatBox(LbWeatherFormat), StationBox(LbStation);
  W.SetWeatherFormat(FormatBox.ItemIndex());
  // Without a selected station (an empty list) the station becomes empty.
  W.SetStation(StationBox.Item(StationBox.ItemIndex()), W.WeatherFormat());
  W.SetYear(FTimer->mmYear->iValue());
  W.SetConsecutiveYears(FTimer->mmConsecutiveYears->iValue());
}

void TWeatherPage::UpdateStationsAndYears(const TKvSession& S) {
  TQtListBox StationBox(LbStation);
  TQtEdit First(EditFirstYear), Last(EditLastYear), First2(FTimer->EditFirstYear2),
      Last2(FTimer->EditLastYear2);
  TQtLabel Station(FTimer->Lbweather);
  S.Weather().UpdateStations(StationBox, First, Last, First2, Last2, Station);
}

int TWeatherPage::FirstYear() const { return YearOf(EditFirstYear); }
int TWeatherPage::LastYear() const { return YearOf(EditLastYear); }

void TWeatherPage::CheckYears() {
  TDxIntMemo* const Year = FTimer->mmYear;
  TDxIntMemo* const Years = FTimer->mmConsecutiveYears;
  try {
    const int F = FirstYear(), L = LastYear();
    if (Year->iValue() < F || Year->iValue() > L) Year->SetiValue(F);
    const int First = Year->iValue();
    Year->Reset(First, F, L);
    if (L - First + 1 < Years->iValue()) Years->SetiValue(L - First + 1);
    // A field that never had a value of this station's range starts at one year.
    if (Years->iValue() < 1) Years->SetiValue(1);
    Years->Reset(Years->iValue(), 1, L - First + 1);
  } catch (const std::exception&) {
    // A station without usable years: the two fields keep what they had.
  }
}

void TWeatherPage::LimitConsecutiveYears() {
  TDxIntMemo* const Years = FTimer->mmConsecutiveYears;
  const int L = LastYear();
  const int Year = FTimer->mmYear->iValue();
  if (L - Year + 1 < Years->iValue()) Years->SetiValue(L - Year + 1);
  Years->Reset(Years->iValue(), 1, L - Year + 1);
}

void TSoilPage::Fill(const TKvSession& S) {
  TQtListBox SoilBox(LbSoilNo);
  S.Soil().FetchSoilData(SoilBox);
  TSessionPage::Fill(S);
}

void TSoilPage::Store(TKvSession& S) {
  TSessionPage::Store(S);
  TQtListBox SoilBox(LbSoilNo);
  S.Soil().SetSoilFile(SoilBox);
}

void TReRunsPage::Fill(const TKvSession& S) {
  const TKvRerun& R = S.Rerun();
  CbUseReRuns->setChecked(R.UseReRuns());
  const int Cols = R.RerunList.Empty() ? 0 : R.RerunList.Objects(0)->Count();
  std::vector<QStringList> Rows;
  QStringList Names;
  for (int K = 0; K < Cols; ++K) Names << FromCore(R.RerunList.Objects(0)->Objects(K)->Description());
  Rows.push_back(Names);
  for (const auto& Run : R.RerunList) {
    QStringList Values;
    for (int K = 0; K < Cols && K < Run.Obj->Count(); ++K) Values << FromCore(Run.Obj->Objects(K)->Value());
    Rows.push_back(Values);
  }
  GridReRun->SetAll(Cols, Rows);
  GridReRun->SetFixedRows(1);
  if (GridReRun->isVisible()) GridReRun->setFocus();
  btnAddRerun->setEnabled(R.RerunList.Count() < 9);
}

void TReRunsPage::Store(TKvSession& S) {
  GridReRun->CommitEditor();
  TKvRerun& R = S.Rerun();
  R.SetUseReRuns(CbUseReRuns->isChecked());
  for (int Run = 0; Run < R.RerunList.Count() && Run + 1 < GridReRun->RowCount(); ++Run) {
    TRerunVarList& Vars = *R.RerunList.Objects(Run);
    for (int K = 0; K < Vars.Count() && K < GridReRun->ColCount(); ++K)
      Vars.Objects(K)->SetValue(ToCore(GridReRun->Cells(K, Run + 1)));
  }
}

void TFormMain::FillPages() {
  if (!TheSession) return;
  TBusyCursor Busy;
  for (TSessionPage* Page : FPages) Page->Fill(*TheSession);
  ShowObservationFile();
  // The enabling rules hold for the values just shown.
  UpdateControls();
}

void TFormMain::StorePages() {
  if (!TheSession) return;
  TBusyCursor Busy;
  for (TSessionPage* Page : FPages) Page->Store(*TheSession);
}

int TFormMain::SelectedWeatherFormatNo() const {
  if (!TheSession) return -1;
  const auto& Formats = TheSession->Weather().SlFormat();
  const int I = TQtListBox(FWeather->LbWeatherFormat).ItemIndex();
  return I >= 0 && I < Formats.Count() && Formats.Objects(I) ? Formats.Objects(I)->FormatNo : -1;
}

void TFormMain::FillReruns() {
  if (TheSession) FReruns->Fill(*TheSession);
}

void TFormMain::StoreReruns() {
  if (TheSession) FReruns->Store(*TheSession);
}

void TFormMain::CheckYears() { FWeather->CheckYears(); }

TPageRules PageRules(int P, int StartDay, int EndDay, bool Groundwater, bool Drainage, int WeatherFormatNo) {
  TPageRules R;
  R.WaterLimited = P > 0;
  R.NutrientsTab = P > 1;
  R.StartDays = StartDay >= 0 && StartDay <= 2;
  R.FixedEmergenceDate = StartDay == 0;
  R.FixedSowingDate = StartDay == 1;
  R.EarliestSowingDate = R.UltimateSowingDate = StartDay == 2;
  R.FixedEndDate = EndDay == 0 || EndDay == 2;
  R.MaximumDuration = EndDay == 1 || EndDay == 2;
  R.InitialAvailableSoilWater = R.MaximumMoisture = !Groundwater;
  R.InitialGroundWaterTable = R.Drainage = Groundwater;
  R.DrainageChecked = Groundwater && Drainage;
  R.DrainageDepth = R.DrainageChecked;
  R.Years = WeatherFormatNo != 1;
  return R;
}

void TFormMain::UpdateControls() {
  const TPageRules R = PageRules(FGeneral->RgProductionLevels->ItemIndex(), FTimer->RgStartDay->ItemIndex(),
                                 FTimer->RgEndDay->ItemIndex(), FSoil->CbGroundwater->isChecked(),
                                 FSoil->CbDrainage->isChecked(), SelectedWeatherFormatNo());
  for (QWidget* W :
       {static_cast<QWidget*>(FGeneral->RgTypeOfWaterLimitedCropGrowth),
        static_cast<QWidget*>(FGeneral->RgSoilWaterBalance), static_cast<QWidget*>(FTimer->mmStartDay),
        static_cast<QWidget*>(FTimer->mmOutputInterval), static_cast<QWidget*>(FTimer->lblStartday)})
    W->setEnabled(R.WaterLimited);
  for (int I = 0; I < pgcSession->count(); ++I)
    if (pgcSession->widget(I)->isAncestorOf(FNutrients)) pgcSession->setTabVisible(I, R.NutrientsTab);
  if (R.StartDays) {
    EnableField(FTimer->mmFixedEmergenceDate, R.FixedEmergenceDate);
    EnableField(FTimer->mmFixedSowingDate, R.FixedSowingDate);
    EnableField(FTimer->mmEarliestSowingDate, R.EarliestSowingDate);
    EnableField(FTimer->mmUltimateSowingDate, R.UltimateSowingDate);
  }
  EnableField(FTimer->mmFixedEndDate, R.FixedEndDate);
  EnableField(FTimer->mmMaximumDuration, R.MaximumDuration);
  EnableField(FSoil->mmInitialAvailableSoilWater, R.InitialAvailableSoilWater);
  EnableField(FSoil->mmMaximumMoisture, R.MaximumMoisture);
  EnableField(FSoil->mmInitialGroundWaterTable, R.InitialGroundWaterTable);
  FSoil->CbDrainage->setEnabled(R.Drainage);
  FSoil->CbDrainage->setChecked(R.DrainageChecked);
  EnableField(FSoil->mmDrainageDepth, R.DrainageDepth);
  EnableField(FTimer->mmYear, R.Years);
  EnableField(FTimer->mmConsecutiveYears, R.Years);
}

// ---- page handlers

void TFormMain::RgProductionLevelsClick() { UpdateControls(); }
void TFormMain::RgStartDayClick() { UpdateControls(); }
void TFormMain::RgEndDayClick() { UpdateControls(); }
void TFormMain::CbGroundwaterClick() { UpdateControls(); }
void TFormMain::CbDrainageClick() { UpdateControls(); }

void TFormMain::LbCropNoClick() {
  try {
    const int I = TQtListBox(FCrop->LbCropNo).ItemIndex();
    if (I < 0 || I >= CropList.Count()) throw EPlainError("no crop");
    const TKorMenuItem& E = *CropList.Objects(I);
    SetHint(FCrop->LbCropNo, FromCore(FileHint(E.FileName)));
    TQtLabel(FTimer->lbcrop).SetCaption("Selected crop: \r\n" + E.Description);
    std::string Dir = TheSession->FileManager().CropPath();
    if (!Dir.empty() && Dir.back() != '\\' && Dir.back() != '/') Dir += '\\';
    FCrop->mmCropInfo->setPlainText(FileText(Dir + E.FileName));
  } catch (const std::exception&) {
    // No crop at that position (or a failure on the way): the list shows no hint.
    SetHint(FCrop->LbCropNo, "|");
  }
}

void TFormMain::LbSoilNoClick() {
  StorePages();
  // Without a soil to choose (an empty list) there is no range to take.
  if (TQtListBox(FSoil->LbSoilNo).ItemIndex() < 0) {
    SetHint(FSoil->LbSoilNo, "|");
    return;
  }
  TheSession->SetMinMaxSMLIM();
  const TKvHydrology& H = TheSession->Hydrology();
  FSoil->mmMaximumMoisture->Reset(double(H.MaximumMoisture()), double(H.MinMaximumMoisture()),
                                  double(H.MaxMaximumMoisture()));
  const std::string File = TheSession->Soil().SoilFileFromListbox(TQtListBox(FSoil->LbSoilNo).ItemIndex());
  SetHint(FSoil->LbSoilNo, File.empty() ? QString("|") : FromCore(FileHint(File)));
}

void TFormMain::LbWeatherFormatClick() {
  TKvWeather& W = TheSession->Weather();
  TQtListBox FormatBox(FWeather->LbWeatherFormat), StationBox(FWeather->LbStation);
  W.UpdateWeatherFormat(FormatBox, StationBox);
  FWeather->UpdateStationsAndYears(*TheSession);
  W.ResetRainfall(SelectedWeatherFormatNo());
  LbStationClick();
  UpdateControls();
}

void TFormMain::LbStationClick() {
  FWeather->UpdateStationsAndYears(*TheSession);
  CheckYears();
  FWeather->Store(*TheSession);
  SetHint(FWeather->LbStation, FromCore(FileHint(TheSession->Weather().StationFile())));
}

void TFormMain::mmYearExit() { FWeather->LimitConsecutiveYears(); }

void TFormMain::GridReRunSelectCell(int Col, int /*Row*/) {
  TKvRerun& R = TheSession->Rerun();
  R.SetSelectedType(R.GetVarType(Col));
  if (!R.SelectedType().empty() && R.SelectedType()[0] == 'S') {
    FReruns->GridReRun->SetEditing(false);
    SetHint(FReruns->GridReRun, "Use right mousebutton to change values.");
  } else {
    FReruns->GridReRun->SetEditing(true);
    SetHint(FReruns->GridReRun, "");
  }
}

void TFormMain::GridReRunMouseDown(Qt::MouseButton Button, int Col, int Row) {
  if (Button != Qt::RightButton) return;
  // A right click makes the cell under the mouse the current one first.
  if (Col >= 0 && Row >= FReruns->GridReRun->FixedRows() &&
      (Col != FReruns->GridReRun->Col() || Row != FReruns->GridReRun->Row()))
    FReruns->GridReRun->SetCurrentCell(Col, Row);
  TKvRerun& R = TheSession->Rerun();
  if (R.SelectedType().empty() || R.SelectedType()[0] != 'S') return;
  TRerunVar* V = R.GetSelectedVar(FReruns->GridReRun->Row(), FReruns->GridReRun->Col());
  if (!V) return;
  TFormEditRerun Editor(this);
  StoreReruns();
  Editor.SetValue(V);
  if (ExecModal(Editor) == QDialog::Accepted) FillReruns();
  FormActivate();
}

void TFormMain::btnAddRerunClick() {
  StoreReruns();
  TheSession->Rerun().AddRerun();
  FillReruns();
}

void TFormMain::btnRemoveRerunClick() {
  StoreReruns();
  TheSession->Rerun().RemoveRerun(FReruns->GridReRun->Row() - 1);
  FillReruns();
}

void TFormMain::btnRemoveVarClick() {
  StoreReruns();
  TheSession->Rerun().RemoveRerunVar(FReruns->GridReRun->Col());
  FillReruns();
}

void TFormMain::btnSelectVarClick() {
  if (RefusedWhileRunning()) return;
  TFormSelect Select(this, "reruns");
  const int Result = ExecModal(Select);
  if (Result == QDialog::Accepted) {
    StorePages();
    TheSession->WriteInputFiles();
    // The dialog hands back the catalogue's own entries; the table takes
    // copies of them.
    TRerunVarList Chosen;
    for (const TRerunVar* V : Select.DstVars())
      if (V) Chosen.Add(V->Description(), V->GetCopy());
    TheSession->Rerun().AddRerunVarList(Chosen);
    FillPages();
  }
  FormActivate();
}

void TFormMain::BtnRainfallClick() {
  TFormRainfall Rainfall(this);
  Rainfall.InitRbOptions(SelectedWeatherFormatNo());
  Rainfall.LoadRainfall();
  if (ExecModal(Rainfall) == QDialog::Accepted) Rainfall.StoreRainfall();
  FormActivate();
}

// ---- measured data

void TFormMain::ShowObservationFile() {
  const std::string Name = TheSession ? SessionObservationFile(TheSession->FileManager()) : std::string();
  FGeneral->LblObservations->setText(Name.empty() ? QString("No observation file")
                                                  : FromCore(ExtractFileName(Name)));
  FGeneral->LblObservations->setToolTip(FromCore(Name));
  FGeneral->BtnClearObservations->setEnabled(!Name.empty());
}

void TFormMain::BtnObservationsClick() {
  if (!TheSession) return;
  const TKvFileManager& Fm = TheSession->FileManager();
  TFileDialogRequest R;
  R.Title = "Observation file";
  R.Filter = "Observation files (*.csv)|*.csv|All files (*)|*";
  R.MustExist = true;
  const std::string Old = SessionObservationFile(Fm);
  R.InitialDir = FromCore(MapFileName(Old.empty() ? Fm.ExecPath() : ExtractFilePath(Old)));
  const QString Chosen = AskFileName(R);
  if (Chosen.isEmpty()) return;
  const std::string Path = ToCore(Chosen);
  // Read once now, so that a file that cannot be used is refused here and
  // its bad lines are told while the user still knows which file it was.
  TObservationFile File;
  File.Read(Path);
  SetSessionObservationFile(Fm, Path);
  ShowObservationFile();
  if (!File.Problems.empty()) {
    std::string Text = std::to_string(File.Problems.size()) + " line(s) of " + ExtractFileName(Path) +
                       " cannot be used; the other " + std::to_string(File.Observations.size()) +
                       " observations are used:";
    const size_t Shown = std::min<size_t>(File.Problems.size(), 10);
    for (size_t i = 0; i < Shown; ++i) Text += "\r\n" + ProblemText(File.Problems[i]);
    if (Shown < File.Problems.size()) Text += "\r\n...";
    ShowInfoBox(Text);
  }
}

void TFormMain::BtnClearObservationsClick() {
  if (!TheSession) return;
  SetSessionObservationFile(TheSession->FileManager(), std::string());
  ShowObservationFile();
}
