#include "Kvoutsum.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "ChartExport.h"
#include "Commands.h"
#include "DxGrid.h"
#include "FormParts.h"
#include "KvChart.h"
#include "KvTable.h"
#include "Kvoutdet.h"
#include "OLEExcel.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "output/Observations.h"
#include "output/OutSum.h"
#include "output/RerunCompare.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"

namespace {
// The session's observations; none when it has no observation file or the
// file cannot be read (the evaluation window tells why).
std::vector<TObservation> SessionObservations() {
  const std::string Name = SessionObservationFile(SessionFiles());
  if (Name.empty() || !FileExists(Name)) return {};
  try {
    TObservationFile File;
    File.Read(Name);
    return std::move(File.Observations);
  } catch (const std::exception&) {
    // The table shows the simulation alone.
    return {};
  }
}

// Below each year row that has measured season results, a row of them.
void AddMeasuredRows(std::vector<QStringList>& Rows, const std::vector<TObservation>& Observations) {
  if (Observations.empty() || Rows.empty()) return;
  std::vector<std::string> Columns;
  for (const QString& C : Rows[0]) Columns.push_back(ToCore(C.trimmed()));
  std::vector<QStringList> All{Rows[0]};
  for (size_t r = 1; r < Rows.size(); ++r) {
    All.push_back(Rows[r]);
    int Year = 0;
    if (Rows[r].size() < 2 || !TryStrToInt(ToCore(Rows[r][0].trimmed()), Year)) continue;
    const std::vector<std::string> Measured =
        MeasuredSeasonRow(Observations, Columns, ToCore(Rows[r][1].trimmed()), Year);
    if (Measured.empty()) continue;
    QStringList Row;
    for (const std::string& M : Measured) Row << QString("%1").arg(FromCore(M), 8);
    All.push_back(Row);
  }
  Rows = std::move(All);
}

const char* const CorruptOutput = "Error reading output information. Maybe output-file is corrupt.";

const char* const PotentialHeader[] = {"YR",     "RUNNAM", "SET",   "SOW",   "-->",    "EM",   "ANT",  "FLWR",
                                       "DUR",    "HALT",   "TWRT",  "TWLV",  "TWST",   "TWSO", "TAGP", "LAIM",
                                       "HINDEX", "TRC",    "GASST", "MREST", "TRANSP", "EVSOL"};
const char* const PotentialMeanHeader[] = {"DUR",  "TWLV",   "TWST", "TWSO",   "TAGP",
                                           "LAIM", "HINDEX", "TRC",  "TRANSP", "EVSOL"};
const char* const WaterHeader[] = {"YEAR",   "RUNNAM", "SET",   "SOW",   "EM",     "DUR",  "TWLV",
                                   "TWST",   "TWSO",   "TAGP",  "LAIM",  "HINDEX", "TRC",  "RAINT",
                                   "DELWAT", "TRAT",   "EVSOL", "LOSST", "TSR",    "RYLD", "RAGP"};
const char* const WaterMeanHeader[] = {"DUR",   "TWLV",   "TWST", "TWSO",  "TAGP",  "LAIM", "HINDEX", "TRC",
                                       "RAINT", "DELWAT", "TRAT", "EVSOL", "LOSST", "RYLD", "RAGP"};
const char* const Summary1Header[] = {"PS",   "RUNNAM", "IZT",  "SOW",  "EM",   "DUR",
                                      "TWLV", "TWST",   "TWSO", "var%", "TAGP", "var%"};
const char* const Summary2Header[] = {"PS",     "RUNNAM", "IZT",  "SOW", "EM",    "LAIM",
                                      "HINDEX", "RYLD",   "RAGP", "TRC", "RDMSOL"};

template <size_t N>
QStringList Texts(const char* const (&A)[N]) {
  QStringList L;
  for (const char* S : A) L << QString::fromLatin1(S);
  return L;
}
template <size_t N>
constexpr int Count(const char* const (&)[N]) {
  return static_cast<int>(N);
}

// A statistics table: its header and three rows, always with the horizontal
// scroll bar, so that its height never changes.
TDxStringGrid* NewStatsTable(QWidget* Parent, const char* Name, int ColWidth) {
  TDxStringGrid* G = NewTable(Parent, Name, ColWidth, 1);
  G->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  G->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  return G;
}

void FitStatsTable(TDxStringGrid* G) {
  const int Height = G->horizontalHeader()->sizeHint().height() +
                     3 * G->verticalHeader()->defaultSectionSize() +
                     G->horizontalScrollBar()->sizeHint().height() + 2 * G->frameWidth();
  G->setFixedHeight(Height);
}

// The captions beside the three rows of a statistics table, each level with
// its row whatever the font.
class TRowCaptions : public QWidget {
 public:
  TRowCaptions(TDxStringGrid* Grid, const std::vector<QLabel*>& Labels, QWidget* Parent)
      : QWidget(Parent), FGrid(Grid), FViewport(Grid->viewport()), FLabels(Labels) {
    for (QLabel* L : FLabels) {
      L->setParent(this);
      L->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    // The rows move when the table or its header changes size.
    FGrid->installEventFilter(this);
    FViewport->installEventFilter(this);
    // The grid may go before the captions when the window is destroyed:
    // from then on nothing of it is touched.
    connect(FGrid, &QObject::destroyed, this, [this] { FGrid = nullptr; });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  }
  QSize sizeHint() const override {
    int W = 0;
    for (const QLabel* L : FLabels) W = std::max(W, L->sizeHint().width());
    return {W + 4, FGrid->sizeHint().height()};
  }
  QSize minimumSizeHint() const override { return {sizeHint().width(), 0}; }

 protected:
  bool eventFilter(QObject* Watched, QEvent* E) override {
    if (FGrid && (Watched == FGrid || Watched == FViewport) &&
        (E->type() == QEvent::Resize || E->type() == QEvent::Move || E->type() == QEvent::Show))
      PlaceSoon();
    return QWidget::eventFilter(Watched, E);
  }
  void resizeEvent(QResizeEvent* E) override {
    QWidget::resizeEvent(E);
    PlaceSoon();
  }
  void moveEvent(QMoveEvent* E) override {
    QWidget::moveEvent(E);
    PlaceSoon();
  }
  void showEvent(QShowEvent* E) override {
    QWidget::showEvent(E);
    Place();
  }

 private:
  // The layout moves the table and the captions one after the other: the
  // captions are placed once both have their new places.
  void PlaceSoon() {
    if (FPlacing) return;
    FPlacing = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          FPlacing = false;
          Place();
        },
        Qt::QueuedConnection);
  }
  void Place() {
    if (!FGrid) return;
    const int Offset = FGrid->geometry().y() - geometry().y() + FGrid->viewport()->geometry().y();
    for (size_t r = 0; r < FLabels.size(); ++r) {
      const int Row = static_cast<int>(r);
      FLabels[r]->setGeometry(0, Offset + FGrid->rowViewportPosition(Row), width(), FGrid->rowHeight(Row));
    }
  }
  TDxStringGrid* FGrid;
  QWidget* FViewport;
  std::vector<QLabel*> FLabels;
  bool FPlacing = false;
};

QPushButton* NewExportAllButton(QWidget* Parent, const char* Name) {
  auto* B = new QPushButton("Export all tables", Parent);
  B->setObjectName(Name);
  B->setAutoDefault(false);
  SetHint(B, "Export all tables|Export the year tables of every run of both pages to one spreadsheet");
  return B;
}

QPushButton* NewExcelButton(QWidget* Parent, const char* Name) {
  auto* B = new QPushButton("Excel", Parent);
  B->setObjectName(QString::fromLatin1(Name));
  B->setAutoDefault(false);
  SetHint(B, "Excel|Export the year table of this run to a spreadsheet");
  return B;
}

}  // namespace

TFormOutputSummary::TFormOutputSummary(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormOutputSummary");
  setWindowTitle("Output summary");
  setSizeGripEnabled(true);

  pcOutputSummary = new TResultPages(100, this);
  pcOutputSummary->setObjectName("pcOutputSummary");
  pcOutputSummary->addTab(BuildPotentialPage(), "&Potential");
  pcOutputSummary->addTab(BuildWaterLimitedPage(), "&Water-limited");
  pcOutputSummary->addTab(BuildSummaryPage(), "&Summary");
  pcOutputSummary->addTab(BuildRerunPage(), "&Reruns");

  auto* OKBtn = NewButton("Close", "OKBtn");
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  auto* Main = new QVBoxLayout;
  Main->addWidget(pcOutputSummary, 1);
  Main->addLayout(NewButtonRow({}, OKBtn));

  OLEExcel = new TOLEExcel(this);
  OLEExcel->setObjectName("OLEExcel");

  FormCreate();
  SetMinimumRows(SgPotential, 5);
  SetMinimumRows(SgWaterLimited, 5);
  SetMinimumRows(SgSummary1, 3);
  SetMinimumRows(SgSummary2, 3);
  LayOutResultWindow(this, Main, QSize(602, 507), QSize(780, 580));

  ConnectGuarded(CbRunNamePotential, &QComboBox::activated, this,
                 &TFormOutputSummary::CbRunNamePotentialClick);
  ConnectGuarded(CbRunNameWater, &QComboBox::activated, this, &TFormOutputSummary::CbRunNameWaterChange);
  for (QComboBox* C : {CbRerunLevel, CbRerunResult})
    ConnectGuarded(C, &QComboBox::activated, static_cast<QObject*>(this), [this] { ShowRerunComparison(); });
}

TFormOutputSummary::~TFormOutputSummary() = default;

// ---------------------------------------------------------------- pages

QWidget* TFormOutputSummary::BuildPotentialPage() {
  using F = TFormOutputSummary;
  static const THeadCell Head[] = {
      {"WEATHER:", "lblWeatherp", "lblWeatherNamep", &F::lblWeatherNamep, 0, false},
      {"CROP:", "lblCropp", "lblCropNamep", &F::lblCropNamep, 1, false},
      {"SOIL:", "lblSoilp", "lblSoilNamep", &F::lblSoilNamep, 2, false},
      {"RAIN:", "lblRain", "lblRainp", &F::lblRainp, 3, true},
  };
  static const TRunPage Parts{"tsPotential",
                              Head,
                              static_cast<int>(std::size(Head)),
                              "lblRunnamp",
                              &F::lblRunnamp,
                              "CbRunNamePotential",
                              &F::CbRunNamePotential,
                              "btnExcelPotential",
                              &F::btnExcelPotentialClick,
                              false,
                              "btnExcelAllPotential",
                              "SgPotential",
                              &F::SgPotential,
                              "SgPotentialMean",
                              48,
                              &F::SgPotentialMean,
                              "lblMeansp",
                              &F::lblMeansp,
                              "SUMMARY POTENTIAL PRODUCTION"};
  return BuildRunPage(Parts);
}

QWidget* TFormOutputSummary::BuildWaterLimitedPage() {
  using F = TFormOutputSummary;
  static const THeadCell Head[] = {
      {"WEATHER:", "lblWeatherw", "lblWeatherNamew", &F::lblWeatherNamew, 0, false},
      {"RAIN:", "lblRain1", "lblRainw", &F::lblRainw, 1, false},
      {"CROP:", "lblCropw", "lblCropNamew", &F::lblCropNamew, 2, false},
      {"SOIL:", "lblSoilw", "lblSoilNamew", &F::lblSoilNamew, 3, false},
  };
  static const TRunPage Parts{"tsWaterlimited",
                              Head,
                              static_cast<int>(std::size(Head)),
                              "lblRunnamw",
                              &F::lblRunnamw,
                              "CbRunNameWater",
                              &F::CbRunNameWater,
                              "btnExcelWaterlimited",
                              &F::btnExcelWaterlimitedClick,
                              true,
                              "btnExcelAllWaterlimited",
                              "SgWaterLimited",
                              &F::SgWaterLimited,
                              "SgWaterLimitedMean",
                              50,
                              &F::SgWaterLimitedMean,
                              "lblMeansw",
                              &F::lblMeansw,
                              "SUMMARY WATER-LIMITED PRODUCTION"};
  return BuildRunPage(Parts);
}

// The header block of a run's page: the run's weather, crop, soil and rain
// on the left; the run selector and the export buttons on the right.
QGridLayout* TFormOutputSummary::BuildRunHead(QWidget* Page, const TRunPage& Parts) {
  auto* Head = new QGridLayout;
  Head->setHorizontalSpacing(8);
  Head->setVerticalSpacing(2);
  for (int i = 0; i < Parts.HeadCount; ++i) {
    const THeadCell& C = Parts.Head[i];
    QLabel* Caption = NewLabel(Page, C.Caption, C.CaptionName);
    QLabel* Value = NewValue(Page, C.ValueName, true);
    this->*C.Value = Value;
    if (C.Hidden) {
      Caption->hide();
      Value->hide();
    }
    Head->addWidget(Caption, C.Row, 0);
    Head->addWidget(Value, C.Row, 1);
  }
  QLabel* RunCaption = NewLabel(Page, "RUNNAM:", Parts.RunCaptionName);
  Head->addWidget(this->*Parts.RunCaption = RunCaption, 0, 2);
  QComboBox* Selector = NewSelector(Page, Parts.SelectorName);
  Head->addWidget(this->*Parts.Selector = Selector, 0, 3);
  RunCaption->setBuddy(Selector);
  QPushButton* Excel = NewExcelButton(Page, Parts.ExcelName);
  Head->addWidget(Excel, 2, 3, Qt::AlignRight);
  if (Parts.Groundwater) {
    lblGroundwater = NewValue(Page, "lblGroundwater", true);
    lblGroundwater->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Head->addWidget(lblGroundwater, 4, 0, 1, 4);
  }
  Head->setColumnStretch(1, 1);
  const auto Click = Parts.ExcelClick;
  connect(Excel, &QPushButton::clicked, this,
          [this, Click] { GuardedCall([this, Click] { (this->*Click)(); }); });
  QPushButton* All = NewExportAllButton(Page, Parts.AllName);
  Head->addWidget(All, 3, 3, Qt::AlignRight);
  ConnectGuarded(All, &QPushButton::clicked, this, &TFormOutputSummary::ExportAllTables);
  return Head;
}

QWidget* TFormOutputSummary::BuildRunPage(const TRunPage& Parts) {
  auto* Page = new QWidget;
  Page->setObjectName(Parts.Name);
  QGridLayout* Head = BuildRunHead(Page, Parts);

  TDxStringGrid* Table = this->*Parts.Table = NewTable(Page, Parts.TableName, 50, 1);
  TDxStringGrid* Mean = this->*Parts.Mean = NewStatsTable(Page, Parts.MeanName, Parts.MeanColWidth);
  QLabel* Means = this->*Parts.Means = NewLabel(Page, "Means over:", Parts.MeansName);

  auto* Stats = new QHBoxLayout;
  Stats->setSpacing(4);
  Stats->addWidget(new TRowCaptions(
      Mean, {Means, NewLabel(Page, "Standard deviation:"), NewLabel(Page, "Variation coëfficients:")}, Page));
  Stats->addWidget(Mean, 1);

  auto* L = new QVBoxLayout(Page);
  L->addLayout(Head);
  L->addWidget(NewLabel(Page, Parts.Title));
  L->addWidget(Table, 1);
  L->addLayout(Stats);
  return Page;
}

QWidget* TFormOutputSummary::BuildSummaryPage() {
  auto* Page = new QWidget;
  Page->setObjectName("tsSummary");
  auto* G = new QGroupBox(
      " SUMMARY OF LONG TERM SIMULATED YIELD STATISTICS, POTENTIAL AND WATER-LIMITED PRODUCTION ", Page);
  G->setObjectName("GbSummary");
  SgSummary1 = NewTable(G, "SgSummary1", 47, 1);
  SgSummary2 = NewTable(G, "SgSummary2", 51, 1);
  auto* L = new QVBoxLayout(G);
  L->addWidget(SgSummary1, 1);
  L->addWidget(SgSummary2, 1);
  auto* V = new QVBoxLayout(Page);
  V->addWidget(G);
  return Page;
}

QWidget* TFormOutputSummary::BuildRerunPage() {
  auto* Page = new QWidget;
  Page->setObjectName("tsReruns");
  auto* Head = new QHBoxLayout;
  CbRerunLevel = NewSelector(Page, "CbRerunLevel");
  CbRerunLevel->addItems({"Potential", "Water-limited"});
  CbRerunResult = NewSelector(Page, "CbRerunResult");
  for (const std::string& N : RerunResultNames()) CbRerunResult->addItem(FromCore(N));
  CbRerunResult->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  QLabel* Level = NewLabel(Page, "&Production:", "lblRerunLevel");
  Level->setBuddy(CbRerunLevel);
  QLabel* Result = NewLabel(Page, "R&esult:", "lblRerunResult");
  Result->setBuddy(CbRerunResult);
  QPushButton* Excel = NewExcelButton(Page, "btnExcelReruns");
  connect(Excel, &QPushButton::clicked, this, [this] {
    GuardedCall([this] {
      Export(SgReruns, {"RESULT:", CbRerunLevel->currentText() + ", " + CbRerunResult->currentText()});
    });
  });
  auto* Image = new QPushButton("Save &image...", Page);
  Image->setObjectName("btnImageReruns");
  Image->setAutoDefault(false);
  Image->setToolTip("Save the chart of the means as a PNG, SVG or PDF file");
  ConnectGuarded(Image, &QPushButton::clicked, this, &TFormOutputSummary::SaveRerunImage);
  for (QWidget* W : std::initializer_list<QWidget*>{Level, CbRerunLevel, Result, CbRerunResult})
    Head->addWidget(W);
  Head->addStretch(1);
  Head->addWidget(Image);
  Head->addWidget(Excel);
  SgReruns = NewTable(Page, "SgReruns", 64, 1);
  FRerunChart = new TKvCurveChart;
  auto* ChartView = new TKvChartView(FRerunChart, false);
  ChartView->setObjectName("ChartReruns");
  auto* Split = new QSplitter(Qt::Vertical, Page);
  Split->setObjectName("SplitReruns");
  Split->addWidget(SgReruns);
  Split->addWidget(ChartView);
  // Table and chart share the height alike.
  Split->setStretchFactor(0, 1);
  Split->setStretchFactor(1, 1);
  auto* V = new QVBoxLayout(Page);
  V->addLayout(Head);
  V->addWidget(Split, 1);
  return Page;
}

bool TFormOutputSummary::ShowRerunComparison() {
  const bool Water = CbRerunLevel->currentIndex() == 1;
  TTextTable T = RerunComparison(*FOutputData, Water, ToCore(CbRerunResult->currentText()));
  // Each rerun's column says what the rerun sets, from the rerun file the
  // model was given beside the output shown.
  const TKvFileManager& Fm = SessionFiles();
  NameRerunColumns(
      T, RerunCaptions(FOutFile.empty() ? Fm.ReRunFullName() : ExtractFilePath(FOutFile) + Fm.ReRunName()));
  DrawRerunChart(T);
  std::vector<QStringList> Rows;
  QStringList Header;
  for (const std::string& C : T.Columns) Header << FromCore(C);
  Rows.push_back(Header);
  for (const std::vector<std::string>& R : T.Rows) {
    QStringList Row;
    for (const std::string& C : R) Row << FromCore(C);
    Rows.push_back(Row);
  }
  FillTable(SgReruns, static_cast<int>(T.Columns.size()), Rows);
  SgReruns->resizeColumnsToContents();
  return T.Columns.size() > 1;
}

void TFormOutputSummary::DrawRerunChart(const TTextTable& T) {
  FRerunChart->ClearCurves();
  FRerunChart->SetTitle(CbRerunLevel->currentText() + ": " + CbRerunResult->currentText());
  if (T.Rows.size() < 2) return;
  const std::vector<std::string>& Mean = T.Rows[T.Rows.size() - 2];
  const std::vector<std::string>& Sd = T.Rows.back();
  QList<QPointF> Points;
  QList<qreal> Deviations;
  double Low = 0, High = 0;
  for (size_t c = 1; c < Mean.size(); ++c) {
    if (!IsFloat(Mean[c])) continue;
    const double M = static_cast<double>(FloatOrZero(Mean[c]));
    const double S = c < Sd.size() && IsFloat(Sd[c]) ? static_cast<double>(FloatOrZero(Sd[c])) : 0.0;
    Points.append(QPointF(static_cast<double>(c), M));
    Deviations.append(S);
    Low = std::min(Low, M - S);
    High = std::max(High, M + S);
  }
  TKvCurve* Bars = FRerunChart->AddCurve("Mean", TKvCurve::Bars, Qt::AlignLeft);
  Bars->replace(Points);
  TKvCurve* Marks = FRerunChart->AddCurve("Standard deviation", TKvCurve::Marks, Qt::AlignLeft);
  Marks->replace(Points);
  Marks->SetDeviations(Deviations);
  FRerunChart->AxisX()->setTitleText("Rerun (column)");
  FRerunChart->AxisLeft()->setTitleText(AxisTitleText(CbRerunResult->currentText()));
  FRerunChart->AxisRight()->setVisible(false);
  const TSpan X{0.5, static_cast<double>(Mean.size()) - 0.5};
  FRerunChart->SetWholeRanges(X, VertAxisSpan(Low, High), VertAxisSpan(Low, High));
  // A tick and a label at every rerun's column.
  FRerunChart->AxisX()->setTickType(QValueAxis::TicksDynamic);
  FRerunChart->AxisX()->setTickAnchor(1);
  FRerunChart->AxisX()->setTickInterval(1);
  FRerunChart->AxisX()->setLabelFormat("%.0f");
  FRerunChart->CurvesChanged();
}

void TFormOutputSummary::SaveRerunImage() {
  QList<TLegendEntry> Legend;
  for (const TKvCurve* C : FRerunChart->Curves())
    Legend.append({C->name(), C->Color(), C->Style() == TKvCurve::Bars, C->Style() == TKvCurve::Marks});
  const QString Name = ImageFileName(
      {"reruns", CbRerunLevel->currentText(), CbRerunResult->currentText().section(' ', 0, 0)}, "png");
  SaveImageCommand(
      Name, [this, Legend](QPainter& P, const QRectF& R) { PaintChartPage(P, R, *FRerunChart, Legend); },
      QSize(1800, 1100));
}

void TFormOutputSummary::SetheadersList() {
  FillTable(SgPotential, Count(PotentialHeader), {Texts(PotentialHeader)});
  FillTable(SgPotentialMean, Count(PotentialMeanHeader), {Texts(PotentialMeanHeader), {}, {}, {}});
  FillTable(SgWaterLimited, Count(WaterHeader), {Texts(WaterHeader)});
  FillTable(SgWaterLimitedMean, Count(WaterMeanHeader), {Texts(WaterMeanHeader), {}, {}, {}});
  FillTable(SgSummary1, Count(Summary1Header), {Texts(Summary1Header)});
  FillTable(SgSummary2, Count(Summary2Header), {Texts(Summary2Header)});
  for (TDxStringGrid* G : {SgPotential, SgWaterLimited, SgSummary1, SgSummary2})
    G->SetColWidths(1, TableColWidth(G, 53));
  // The run's set number is kept in the table but not shown.
  SgPotential->SetColHidden(2, true);
  SgWaterLimited->SetColHidden(2, true);
  FitStatsTable(SgPotentialMean);
  FitStatsTable(SgWaterLimitedMean);
}

// ---------------------------------------------------------------- opening

void TFormOutputSummary::FormCreate() {
  TBusyCursor Busy;
  SetheadersList();
  FOutputData = std::make_unique<TSummaryOutput>();
  pcOutputSummary->setCurrentIndex(0);
  TKvFileManager& Fm = SessionFiles();
  // A long-term table that cannot be read is reported; the rest is shown.
  GuardedCall([&] { FOutputData->ReadOutputFiles(FOutFile.empty() ? Fm.OutFullName() : FOutFile); });

  CbRunNamePotential->clear();
  for (const auto& E : FOutputData->PotentialOutputList) CbRunNamePotential->addItem(FromCore(E.Str));
  CbRunNamePotential->setCurrentIndex(CbRunNamePotential->count() > 0 ? 0 : -1);
  CbRunNameWater->clear();
  for (const auto& E : FOutputData->WaterLimitedOutputList) CbRunNameWater->addItem(FromCore(E.Str));
  CbRunNameWater->setCurrentIndex(CbRunNameWater->count() > 0 ? 0 : -1);

  ShowPotentialRun(0);
  pcOutputSummary->setTabVisible(1, ShowWaterRun(0));
  pcOutputSummary->setTabVisible(2, FillSummary());
  // Side by side only when there is more than one rerun.
  if (FOutputData->PotentialOutputList.Count() < 2 && FOutputData->WaterLimitedOutputList.Count() >= 2)
    CbRerunLevel->setCurrentIndex(1);
  ShowRerunComparison();
  pcOutputSummary->setTabVisible(
      3, std::max(FOutputData->PotentialOutputList.Count(), FOutputData->WaterLimitedOutputList.Count()) > 1);
  SetHeaderLabels();
  setWindowTitle("Summary output - " + FromCore(Fm.KRLFullName()));
  created = false;
}

void TFormOutputSummary::ShowKeptRun(const std::string& File, const QString& Run) {
  FOutFile = File;
  FormCreate();
  setWindowTitle("Summary output - " + Run);
}

bool TFormOutputSummary::ShowPotentialRun(int Index) {
  try {
    const auto& List = FOutputData->PotentialOutputList;
    std::vector<QStringList> Rows{Texts(PotentialHeader)};
    std::vector<QStringList> Stats{Texts(PotentialMeanHeader), {}, {}, {}};
    QString Means = QStringLiteral("Means over:");
    // Without potential runs (only a water-limited summary) the page stays empty.
    if (Index >= 0 && Index < List.Count()) {
      const TPotentialOutputSum& P = *List.Objects(Index);
      Rows.reserve(static_cast<size_t>(P.Years.Count()) + 1);
      for (const auto& Y : P.Years) Rows.push_back(RowTexts(*Y.Obj, 1, Count(PotentialHeader)));
      AddMeasuredRows(Rows, SessionObservations());
      for (int k = 0; k < 3; ++k)
        Stats[static_cast<size_t>(k) + 1] = RowTexts(P.Summary[k], 1, Count(PotentialMeanHeader));
      Means = QString::asprintf("Means over %d years:", P.FNrOfYears);
    }
    FillTable(SgPotential, Count(PotentialHeader), Rows);
    FillTable(SgPotentialMean, Count(PotentialMeanHeader), Stats);
    lblMeansp->setText(Means);
    return true;
  } catch (...) {
    ShowErrorBox(CorruptOutput);
    return false;
  }
}

bool TFormOutputSummary::ShowWaterRun(int Index) {
  try {
    const auto& List = FOutputData->WaterLimitedOutputList;
    if (List.Empty()) return false;
    const TWaterLimitedOutputSum& W = *List.Objects(std::clamp(Index, 0, List.Count() - 1));
    std::vector<QStringList> Rows{Texts(WaterHeader)};
    Rows.reserve(static_cast<size_t>(W.Years.Count()) + 1);
    for (const auto& Y : W.Years) Rows.push_back(RowTexts(*Y.Obj, 1, Count(WaterHeader)));
    AddMeasuredRows(Rows, SessionObservations());
    std::vector<QStringList> Stats{Texts(WaterMeanHeader), {}, {}, {}};
    for (int k = 0; k < 3; ++k)
      Stats[static_cast<size_t>(k) + 1] = RowTexts(W.Summary[k], 1, Count(WaterMeanHeader));
    FillTable(SgWaterLimited, Count(WaterHeader), Rows);
    FillTable(SgWaterLimitedMean, Count(WaterMeanHeader), Stats);
    lblMeansw->setText(QString::asprintf("Means over %d years:", W.FNrOfYears));
    return true;
  } catch (...) {
    ShowErrorBox(CorruptOutput);
    return false;
  }
}

bool TFormOutputSummary::FillSummary() {
  try {
    const auto& Years = FOutputData->Summary.Years;
    std::vector<QStringList> Rows1{Texts(Summary1Header)}, Rows2{Texts(Summary2Header)};
    for (const auto& Y : Years) {
      const TOutputLine& L = *Y.Obj;
      Rows1.push_back(RowTexts(L, 1, 12));
      // PS .. EM, then LAIM and HINDEX (values 13 and 14), RYLD .. RDMSOL.
      Rows2.push_back(RowTexts(L, 1, 5) + RowTexts(L, 13, 2) + RowTexts(L, 15, 4));
    }
    FillTable(SgSummary1, Count(Summary1Header), Rows1);
    FillTable(SgSummary2, Count(Summary2Header), Rows2);
    return !Years.Empty();
  } catch (...) {
    ShowErrorBox(CorruptOutput);
    return false;
  }
}

void TFormOutputSummary::SetHeaderLabels() {
  try {
    // The header is written once per file, with its first run; without
    // potential runs the water-limited file's first run has it.
    const TPotentialOutputSum* H = nullptr;
    if (!FOutputData->PotentialOutputList.Empty())
      H = FOutputData->PotentialOutputList.Objects(0);
    else if (!FOutputData->WaterLimitedOutputList.Empty())
      H = FOutputData->WaterLimitedOutputList.Objects(0);
    if (H) {
      for (QLabel* L : {lblWeatherNamep, lblWeatherNamew}) ShowNameAndFile(L, H->WeatherName, H->WeatherFile);
      for (QLabel* L : {lblCropNamep, lblCropNamew}) ShowNameAndFile(L, H->CropName, H->CropFile);
      for (QLabel* L : {lblSoilNamep, lblSoilNamew}) ShowNameAndFile(L, H->SoilName, H->SoilFile);
      for (QLabel* L : {lblRainp, lblRainw}) L->setText(NameAndFile(H->RainName, H->RainFile));
    }
    const auto& Water = FOutputData->WaterLimitedOutputList;
    lblGroundwater->setText(Water.Empty() ? QString() : FromCore(Water.Objects(0)->Groundwater));
  } catch (...) {
    ShowErrorBox(CorruptOutput);
  }
}

// ---------------------------------------------------------------- commands

void TFormOutputSummary::CbRunNamePotentialClick() { ShowPotentialRun(CbRunNamePotential->currentIndex()); }

void TFormOutputSummary::CbRunNameWaterChange() { ShowWaterRun(CbRunNameWater->currentIndex()); }

void TFormOutputSummary::Export(TDxStringGrid* Grid, const QStringList& Header, bool Show) {
  TBusyCursor Busy;
  if (!created) {
    created = true;
    OLEExcel->CreateExcelInstance();
  }
  OLEExcel->CreateNewSheet(pcOutputSummary->tabText(pcOutputSummary->currentIndex()).remove('&'));
  OLEExcel->StringListToExcelAt(Header, 1, 1);
  OLEExcel->StringGridToExcelAt(*Grid, 8);
  const TKvFileManager& Fm = SessionFiles();
  OLEExcel->SetWorkbookPlace(FromCore(Fm.OutPath()), FromCore(Fm.KRLName()) + "-summary");
  if (Show) OLEExcel->SetVisible(true);
}

void TFormOutputSummary::ExportAllTables() {
  TBusyCursor Busy;
  // Every run of both year pages, a sheet each, named as the single exports
  // name them; the workbook is written and shown once. The window shows
  // afterwards what it showed before.
  const int Page = pcOutputSummary->currentIndex();
  const int Potential = CbRunNamePotential->currentIndex(), Water = CbRunNameWater->currentIndex();
  const struct {
    QComboBox* Runs;
    int Tab;
    bool (TFormOutputSummary::*Show)(int);
    void (TFormOutputSummary::*Export)();
  } Pages[] = {
      {CbRunNamePotential, 0, &TFormOutputSummary::ShowPotentialRun,
       &TFormOutputSummary::btnExcelPotentialClick},
      {CbRunNameWater, 1, &TFormOutputSummary::ShowWaterRun, &TFormOutputSummary::btnExcelWaterlimitedClick}};
  FExportAll = true;
  for (const auto& P : Pages) {
    if (!pcOutputSummary->isTabVisible(P.Tab)) continue;
    pcOutputSummary->setCurrentIndex(P.Tab);
    for (int i = 0; i < P.Runs->count(); ++i) {
      P.Runs->setCurrentIndex(i);
      (this->*P.Show)(i);
      (this->*P.Export)();
    }
  }
  FExportAll = false;
  CbRunNamePotential->setCurrentIndex(Potential);
  if (Potential >= 0) ShowPotentialRun(Potential);
  CbRunNameWater->setCurrentIndex(Water);
  if (Water >= 0) ShowWaterRun(Water);
  pcOutputSummary->setCurrentIndex(Page);
  if (created) OLEExcel->SetVisible(true);
}

void TFormOutputSummary::btnExcelPotentialClick() {
  Export(SgPotential,
         {"WEATHER:", lblWeatherNamep->text(), "CROP:", lblCropNamep->text(), "SOIL:", lblSoilNamep->text(),
          "RUNNAM:", CbRunNamePotential->currentText(), "RAIN:", lblRainp->text()},
         !FExportAll);
}

void TFormOutputSummary::btnExcelWaterlimitedClick() {
  Export(SgWaterLimited,
         {"WEATHER:", lblWeatherNamew->text(), "CROP:", lblCropNamew->text(), "SOIL:", lblSoilNamew->text(),
          "RUNNAM:", CbRunNameWater->currentText(), "RAIN:", lblRainw->text(), QString(),
          lblGroundwater->text()},
         !FExportAll);
}

// ---------------------------------------------------------------- closing

void TFormOutputSummary::FormClose() { OLEExcel->SetVisible(false); }

void TFormOutputSummary::done(int Result) {
  FormClose();
  QDialog::done(Result);
}

void ShowSummaryOutput(QWidget* Owner) {
  GuardedCall([Owner] {
    if (!SessionFiles().SummaryOutputAvailable()) {
      ShowInfoBox("No Summary results available.");
      return;
    }
    TFormOutputSummary Form(Owner);
    ExecModal(Form);
  });
}
