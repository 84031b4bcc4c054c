#include "KvHistory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ChartExport.h"
#include "Commands.h"
#include "DxGrid.h"
#include "FormParts.h"
#include "KvChart.h"
#include "KvTable.h"
#include "Kvoutdet.h"
#include "Kvoutsum.h"
#include "OLEExcel.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
#include "output/OutDet.h"
#include "output/RunCompare.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"

namespace {
// The columns of the list of runs.
enum TRunColumn {
  ColRun,
  ColTime,
  ColOutcome,
  ColSession,
  ColCrop,
  ColSoil,
  ColStation,
  ColYears,
  ColReruns,
  ColPotential,
  ColWater,
  ColSize,
  RunColumns
};

QTableWidgetItem* Item(const QString& Text) {
  auto* I = new QTableWidgetItem(Text);
  I->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return I;
}
// A number sorts as a number; "" (unknown) before every number.
QTableWidgetItem* NumberItem(const std::string& Text) {
  QTableWidgetItem* I = Item(QString());
  bool Ok = false;
  const double V = QString::fromStdString(Text).toDouble(&Ok);
  if (Ok) I->setData(Qt::DisplayRole, V);
  return I;
}

// The year of a comparison curve named "<rerun>,<year>, run A".
QString CurveYear(const QString& Name) { return Name.section(',', 1, 1).trimmed(); }

std::vector<QStringList> GridRows(const TTextTable& T) {
  std::vector<QStringList> Rows;
  QStringList Header;
  for (const std::string& C : T.Columns) Header << FromCore(C);
  Rows.push_back(Header);
  for (const std::vector<std::string>& R : T.Rows) {
    QStringList Row;
    for (const std::string& C : R) Row << FromCore(C);
    Rows.push_back(Row);
  }
  return Rows;
}

TDxStringGrid* NewTable(const char* Name, const TTextTable& T) {
  auto* G = new TDxStringGrid;
  G->setObjectName(Name);
  G->SetAll(static_cast<int>(T.Columns.size()), GridRows(T));
  G->SetFixedRows(1);
  G->resizeColumnsToContents();
  return G;
}

}  // namespace

// ---------------------------------------------------------------- the list

TFormHistory::TFormHistory(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormHistory");
  setWindowTitle("Run history");
  setSizeGripEnabled(true);

  GridRuns = new QTableWidget(this);
  GridRuns->setObjectName("GridRuns");
  GridRuns->setColumnCount(RunColumns);
  GridRuns->setHorizontalHeaderLabels({"Run", "Time", "Outcome", "Session", "Crop", "Soil", "Station",
                                       "Years", "Reruns", "Potential yield", "Water-limited yield",
                                       "Size (kB)"});
  GridRuns->setSelectionBehavior(QAbstractItemView::SelectRows);
  GridRuns->setSelectionMode(QAbstractItemView::ExtendedSelection);
  GridRuns->setEditTriggers(QAbstractItemView::NoEditTriggers);
  GridRuns->verticalHeader()->hide();
  GridRuns->horizontalHeader()->setStretchLastSection(true);

  BtnDetailed = NewButton("&Detailed results...", "BtnDetailed");
  BtnSummary = NewButton("&Summary results...", "BtnSummary");
  BtnCompare = NewButton("&Compare...", "BtnCompare");
  BtnRestore = NewButton("&Restore inputs", "BtnRestore");
  BtnDelete = NewButton("De&lete", "BtnDelete");
  auto* BtnClose = NewButton("Close", "BtnClose");
  SetHint(BtnDetailed, "|The detailed results of the selected run");
  SetHint(BtnSummary, "|The summary results of the selected run");
  SetHint(BtnCompare, "|The inputs and season results of the two selected runs side by side");
  SetHint(BtnRestore, "|The inputs of the selected run become the working session");
  SetHint(BtnDelete, "|Removes the selected runs and their files");
  const std::pair<QPushButton*, void (TFormHistory::*)()> Handlers[] = {
      {BtnDetailed, &TFormHistory::BtnDetailedClick},
      {BtnSummary, &TFormHistory::BtnSummaryClick},
      {BtnCompare, &TFormHistory::BtnCompareClick},
      {BtnRestore, &TFormHistory::BtnRestoreClick},
      {BtnDelete, &TFormHistory::BtnDeleteClick}};
  for (const auto& [Button, Handler] : Handlers)
    connect(Button, &QPushButton::clicked, this,
            [this, Handler = Handler] { GuardedCall([&] { (this->*Handler)(); }); });
  connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
  connect(GridRuns, &QTableWidget::itemSelectionChanged, this, &TFormHistory::UpdateButtons);

  auto* Buttons = NewButtonRow({BtnDetailed, BtnSummary, BtnCompare, BtnRestore, BtnDelete}, BtnClose);
  auto* Layout = new QVBoxLayout(this);
  Layout->addWidget(GridRuns, 1);
  Layout->addLayout(Buttons);
  FillRuns();
  // Wide enough for every column, as far as the screen allows.
  const int Wanted = GridRuns->horizontalHeader()->length() + 2 * GridRuns->frameWidth() + 40;
  const int Screen = screen() ? screen()->availableGeometry().width() * 9 / 10 : Wanted;
  resize(std::min(std::max(Wanted, sizeHint().width()), std::max(Screen, sizeHint().width())), 420);
}

void TFormHistory::FillRuns() {
  TBusyCursor Busy;
  const TKvFileManager& Fm = SessionFiles();
  FRuns = TRunHistory(Fm).Runs();
  GridRuns->setSortingEnabled(false);
  GridRuns->clearContents();
  GridRuns->setRowCount(static_cast<int>(FRuns.size()));
  for (size_t i = 0; i < FRuns.size(); ++i) {
    const TRunRecord& R = FRuns[i];
    const TRunSummary S = RunSummary(Fm, R);
    const int Row = static_cast<int>(i);
    QTableWidgetItem* Number = NumberItem(std::to_string(R.Number));
    Number->setData(Qt::UserRole, static_cast<int>(i));
    GridRuns->setItem(Row, ColRun, Number);
    GridRuns->setItem(Row, ColTime, Item(FromCore(R.Time)));
    GridRuns->setItem(Row, ColOutcome, Item(FromCore(R.Outcome)));
    GridRuns->setItem(Row, ColSession, Item(FromCore(R.Session)));
    GridRuns->setItem(Row, ColCrop, Item(FromCore(S.Crop)));
    GridRuns->setItem(Row, ColSoil, Item(FromCore(S.Soil)));
    GridRuns->setItem(Row, ColStation, Item(FromCore(S.Station)));
    GridRuns->setItem(
        Row, ColYears,
        Item(S.Years.empty() ? FromCore(S.FirstYear) : FromCore(S.FirstYear + " (" + S.Years + ")")));
    GridRuns->setItem(Row, ColReruns, NumberItem(S.Reruns));
    GridRuns->setItem(Row, ColPotential, NumberItem(S.PotentialYield));
    GridRuns->setItem(Row, ColWater, NumberItem(S.WaterYield));
    GridRuns->setItem(Row, ColSize, NumberItem(std::to_string((R.Bytes + 1023) / 1024)));
  }
  GridRuns->setSortingEnabled(true);
  // Newest first.
  GridRuns->sortByColumn(ColRun, Qt::DescendingOrder);
  GridRuns->resizeColumnsToContents();
  UpdateButtons();
}

std::vector<TRunRecord> TFormHistory::Selected() const {
  std::vector<TRunRecord> Runs;
  for (const QModelIndex& Index : GridRuns->selectionModel()->selectedRows(ColRun)) {
    const int i = Index.data(Qt::UserRole).toInt();
    if (i >= 0 && i < static_cast<int>(FRuns.size())) Runs.push_back(FRuns[static_cast<size_t>(i)]);
  }
  std::sort(Runs.begin(), Runs.end(),
            [](const TRunRecord& A, const TRunRecord& B) { return A.Number < B.Number; });
  return Runs;
}

void TFormHistory::UpdateButtons() {
  const size_t N = Selected().size();
  for (QPushButton* B : {BtnDetailed, BtnSummary, BtnRestore}) B->setEnabled(N == 1);
  BtnCompare->setEnabled(N == 2);
  BtnDelete->setEnabled(N >= 1);
}

void TFormHistory::BtnDetailedClick() {
  const std::vector<TRunRecord> Runs = Selected();
  if (Runs.size() != 1) return;
  const std::string File = Runs[0].Folder + SessionFiles().OutName();
  if (!FileExists(File)) {
    ShowInfoBox(RunTitle(Runs[0]) + " has no detailed results.");
    return;
  }
  TFormDetailedOutput Form(this);
  Form.ShowKeptRun(File, FromCore(RunTitle(Runs[0])));
  ExecModal(Form);
}

void TFormHistory::BtnSummaryClick() {
  const std::vector<TRunRecord> Runs = Selected();
  if (Runs.size() != 1) return;
  const TKvFileManager& Fm = SessionFiles();
  if (!FileExists(Runs[0].Folder + Fm.OutPotName()) && !FileExists(Runs[0].Folder + Fm.OutWaterName())) {
    ShowInfoBox(RunTitle(Runs[0]) + " has no summary results.");
    return;
  }
  TFormOutputSummary Form(this);
  Form.ShowKeptRun(Runs[0].Folder + Fm.OutName(), FromCore(RunTitle(Runs[0])));
  ExecModal(Form);
}

void TFormHistory::BtnDeleteClick() {
  const std::vector<TRunRecord> Runs = Selected();
  if (Runs.empty()) return;
  const std::string What = Runs.size() == 1 ? RunTitle(Runs[0]) : std::to_string(Runs.size()) + " runs";
  if (!ConfirmYesNo("Delete " + What + " with all its files?")) return;
  TRunHistory History(SessionFiles());
  try {
    for (const TRunRecord& R : Runs) History.Delete(R);
  } catch (...) {
    // The list shows what is left before the error is told.
    FillRuns();
    throw;
  }
  FillRuns();
}

void TFormHistory::BtnRestoreClick() {
  const std::vector<TRunRecord> Runs = Selected();
  if (Runs.size() != 1) return;
  if (!ConfirmYesNo("The working session is replaced by the inputs of " + RunTitle(Runs[0]) +
                    ". Changes not saved are lost. Go on?"))
    return;
  TRunHistory(SessionFiles()).Restore(Runs[0]);
  FRestored = true;
  // The main window shows the restored session once this window is gone.
  accept();
}

void TFormHistory::BtnCompareClick() {
  const std::vector<TRunRecord> Runs = Selected();
  if (Runs.size() != 2) return;
  TFormRunComparison Form(this, Runs[0], Runs[1]);
  ExecModal(Form);
}

// ---------------------------------------------------------------- the comparison

TFormRunComparison::TFormRunComparison(QWidget* aOwner, const TRunRecord& A, const TRunRecord& B)
    : QDialog(aOwner), FTitleA(FromCore(RunTitle(A))), FTitleB(FromCore(RunTitle(B))) {
  setObjectName("FormRunComparison");
  setWindowTitle("Comparison of runs " + QString::number(A.Number) + " and " + QString::number(B.Number));
  setSizeGripEnabled(true);
  TBusyCursor Busy;
  const TKvFileManager& Fm = SessionFiles();
  const std::vector<TInputDifference> Inputs = CompareRunInputs(Fm, A, B);

  auto* Runs = new QLabel("A: " + FTitleA + "    B: " + FTitleB);
  Runs->setObjectName("LblRuns");
  auto* Note = new QLabel(
      Inputs.empty()
          ? QStringLiteral("The two runs have the same inputs.")
          : QString("The runs differ in %1 input%2.").arg(Inputs.size()).arg(Inputs.size() == 1 ? "" : "s"));
  Note->setObjectName("LblInputs");
  SgInputs = NewTable("SgInputs", InputDifferenceTable(Inputs));
  SgResults = NewTable("SgResults", CompareRunResults(Fm, A, B));
  auto* Pages = new QTabWidget;
  Pages->setObjectName("pcComparison");
  auto* InputPage = new QWidget;
  auto* InputLayout = new QVBoxLayout(InputPage);
  InputLayout->addWidget(Note);
  InputLayout->addWidget(SgInputs, 1);
  Pages->addTab(InputPage, "&Inputs");
  Pages->addTab(SgResults, "&Season results");
  Pages->addTab(NewGraphPage(A, B), "&Graph");

  OLEExcel = new TOLEExcel(this);
  OLEExcel->setObjectName("OLEExcel");
  auto* BtnExcel = NewButton("&Excel", "BtnExcel");
  SetHint(BtnExcel, "|Both tables into a spreadsheet");
  ConnectGuarded(BtnExcel, &QPushButton::clicked, this, &TFormRunComparison::BtnExcelClick);
  auto* BtnClose = NewButton("Close", "BtnClose");
  connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
  auto* Bottom = NewButtonRow({BtnExcel}, BtnClose);
  auto* Layout = new QVBoxLayout(this);
  Layout->addWidget(Runs);
  Layout->addWidget(Pages, 1);
  Layout->addLayout(Bottom);
  // Wide enough for the results, as far as the screen allows.
  const int Wanted = SgResults->horizontalHeader()->length() + 60;
  const int Screen = screen() ? screen()->availableGeometry().width() * 9 / 10 : Wanted;
  resize(std::max(800, std::min(Wanted, Screen)), 520);
}

TFormRunComparison::~TFormRunComparison() { delete FTable; }

QWidget* TFormRunComparison::NewGraphPage(const TRunRecord& A, const TRunRecord& B) {
  auto* Page = new QWidget;
  auto* Layout = new QVBoxLayout(Page);
  const std::string OutA = A.Folder + SessionFiles().OutName(), OutB = B.Folder + SessionFiles().OutName();
  FOutA = FileExists(OutA) ? OutA : std::string();
  FOutB = FileExists(OutB) ? OutB : std::string();
  if (FOutA.empty() || FOutB.empty()) {
    auto* None = new QLabel("Both runs need detailed results for a graph.");
    None->setObjectName("LblNoGraph");
    Layout->addWidget(None);
    Layout->addStretch(1);
    return Page;
  }
  // The water-limited tables have other columns with groundwater. A file
  // that cannot be read whole still offers what it has; drawing tells why.
  TDetailedOutput Output(FOutA);
  try {
    Output.ReadOutputFile(FOutA);
  } catch (const std::exception&) {
    // The flags read before the break stand.
  }
  FGroundwater = Output.Data.HasGroundwater;

  CbLevel = new QComboBox;
  CbLevel->setObjectName("CbLevel");
  CbLevel->addItems({"Potential production", "Water-limited production"});
  if (Output.Data.HasWaterLimited) CbLevel->setCurrentIndex(1);
  CbVariable = new QComboBox;
  CbVariable->setObjectName("CbVariable");
  CbYear = new QComboBox;
  CbYear->setObjectName("CbYear");
  auto* BtnSaveImage = NewButton("Save image...", "BtnSaveImage");
  SetHint(BtnSaveImage, "|Save the graph as a PNG, SVG or PDF file");
  auto* Choice = new QHBoxLayout;
  Choice->addWidget(CbLevel);
  Choice->addWidget(CbVariable, 1);
  Choice->addWidget(CbYear);
  Choice->addWidget(BtnSaveImage);
  BuildGraph(*Layout, *Choice, A, B);

  ConnectGuarded(CbLevel, &QComboBox::currentIndexChanged, this, &TFormRunComparison::CbLevelChange);
  ConnectGuarded(CbVariable, &QComboBox::currentIndexChanged, this, &TFormRunComparison::DrawGraph);
  ConnectGuarded(CbYear, &QComboBox::currentIndexChanged, this, &TFormRunComparison::CbYearChange);
  ConnectGuarded(BtnSaveImage, &QPushButton::clicked, this, &TFormRunComparison::BtnSaveImageClick);
  // A file that breaks off is told; the window opens all the same.
  GuardedCall([this] { CbLevelChange(); });
  return Page;
}

// The chart of both runs' curves on one axis, with its legend beside it.
void TFormRunComparison::BuildGraph(QVBoxLayout& Layout, QHBoxLayout& Choice, const TRunRecord& A,
                                    const TRunRecord& B) {
  FChart = new TKvCurveChart;
  auto* View = new TKvChartView(FChart, true);
  View->setObjectName("ChartRuns");
  FTable = new TKvTable(this, FChart);
  FTable->SetTitle("Run " + std::to_string(A.Number) + " and run " + std::to_string(B.Number));
  FTable->ChangeVertAxis(2);
  Layout.addLayout(&Choice);
  LbLegend = new QListWidget;
  LbLegend->setObjectName("LbLegend");
  LbLegend->setFixedWidth(200);
  auto* Graph = new QHBoxLayout;
  Graph->addWidget(View, 1);
  Graph->addWidget(LbLegend);
  Layout.addLayout(Graph, 1);
}

void TFormRunComparison::CbLevelChange() {
  const int OutType = CbLevel->currentIndex() == 0 ? 1 : FGroundwater ? 2 : 3;
  const QSignalBlocker Quiet(CbVariable);
  CbVariable->clear();
  for (int Nr : {1, 2}) {
    FTable->Reset(Nr == 1 ? FOutA : FOutB, Nr);
    FTable->SetActive(Nr, true);
    for (const TColumnDef& C : ColumnCatalogue(OutType)) {
      FTable->AddColumn(C.Name, C.Units, C.Desc, Nr);
      if (Nr == 1 && C.Listed) CbVariable->addItem(FromCore(C.Desc));
    }
  }
  DrawGraph();
}

void TFormRunComparison::DrawGraph() {
  if (CbVariable->count() == 0) return;
  const std::string Desc = ToCore(CbVariable->currentText());
  FTable->SetYColumnOnDesc(Desc, 1);
  FTable->SetYColumnOnDesc(Desc, 2);
  FTable->Draw();
  // Both runs plot the same column: its title once.
  const std::string Title = FTable->VertAxisTitle(TYAxis::Left);
  const std::string Once = FTable->ChartInfo(1).FAxisTitle;
  if (!Once.empty() && Title == JoinAxisTitles(Once, Once))
    FChart->AxisLeft()->setTitleText(AxisTitleText(FromCore(Once)));
  // A curve is named "<rerun>,<year>(<file>)": the file becomes the run's
  // letter, and the years are offered.
  QStringList Years;
  for (TKvCurve* C : FChart->Curves()) {
    QString Name = C->name();
    if (Name.endsWith("(1)") || Name.endsWith("(2)"))
      Name = Name.left(Name.size() - 3) + (Name.endsWith("(1)") ? ", run A" : ", run B");
    C->setName(Name);
    const QString Year = CurveYear(Name);
    if (!Year.isEmpty() && !Years.contains(Year)) Years.append(Year);
  }
  Years.sort();
  const QString Chosen = CbYear->currentText();
  {
    const QSignalBlocker Quiet(CbYear);
    CbYear->clear();
    CbYear->addItem("All years");
    CbYear->addItems(Years);
    CbYear->setCurrentIndex(std::max(0, CbYear->findText(Chosen)));
  }
  CbYearChange();
}

void TFormRunComparison::CbYearChange() {
  const QString Year = CbYear->currentIndex() > 0 ? CbYear->currentText() : QString();
  LbLegend->clear();
  for (TKvCurve* C : FChart->Curves()) {
    const bool Shown = Year.isEmpty() || CurveYear(C->name()) == Year;
    C->setVisible(Shown);
    if (!Shown) continue;
    auto* Entry = new QListWidgetItem(C->name(), LbLegend);
    Entry->setForeground(C->Color());
  }
  FChart->CurvesChanged();
}

void TFormRunComparison::BtnSaveImageClick() {
  if (!FTable) return;
  const TChartInfo& I = FTable->ChartInfo(1);
  const QString Name =
      GraphImageName(FromCore(I.FFullName), "comparison", FromCore(I.FYColumn), *FChart, "png");
  SaveImageCommand(
      Name, [this](QPainter& P, const QRectF& R) { FTable->PaintPage(P, R); }, QSize(1800, 1100));
}

void TFormRunComparison::BtnExcelClick() {
  TBusyCursor Busy;
  OLEExcel->CreateExcelInstance();
  for (TDxStringGrid* Grid : {SgInputs, SgResults}) {
    OLEExcel->CreateNewSheet(Grid == SgInputs ? "Inputs" : "Season results");
    OLEExcel->StringListToExcelAt({"A:", FTitleA, "B:", FTitleB}, 1, 1);
    OLEExcel->StringGridToExcelAt(*Grid, 3);
  }
  OLEExcel->SetWorkbookPlace(FromCore(SessionFiles().OutPath()), "comparison");
  OLEExcel->SetVisible(true);
}

bool ShowRunHistory(QWidget* Owner) {
  bool Restored = false;
  GuardedCall([&] {
    TFormHistory Form(Owner);
    ExecModal(Form);
    Restored = Form.Restored();
  });
  return Restored;
}
