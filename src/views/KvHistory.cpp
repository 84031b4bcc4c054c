#include "KvHistory.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "DxGrid.h"
#include "Kvoutdet.h"
#include "Kvoutsum.h"
#include "OLEExcel.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
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

QPushButton* NewButton(const QString& Caption, const char* Name) {
  auto* B = new QPushButton(Caption);
  B->setObjectName(Name);
  B->setAutoDefault(false);
  return B;
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

  auto* Buttons = new QHBoxLayout;
  for (QPushButton* B : {BtnDetailed, BtnSummary, BtnCompare, BtnRestore, BtnDelete}) Buttons->addWidget(B);
  Buttons->addStretch(1);
  Buttons->addWidget(BtnClose);
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

  OLEExcel = new TOLEExcel(this);
  OLEExcel->setObjectName("OLEExcel");
  auto* BtnExcel = NewButton("&Excel", "BtnExcel");
  SetHint(BtnExcel, "|Both tables into a spreadsheet");
  connect(BtnExcel, &QPushButton::clicked, this, [this] { GuardedCall([this] { BtnExcelClick(); }); });
  auto* BtnClose = NewButton("Close", "BtnClose");
  connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
  auto* Bottom = new QHBoxLayout;
  Bottom->addWidget(BtnExcel);
  Bottom->addStretch(1);
  Bottom->addWidget(BtnClose);
  auto* Layout = new QVBoxLayout(this);
  Layout->addWidget(Runs);
  Layout->addWidget(Pages, 1);
  Layout->addLayout(Bottom);
  // Wide enough for the results, as far as the screen allows.
  const int Wanted = SgResults->horizontalHeader()->length() + 60;
  const int Screen = screen() ? screen()->availableGeometry().width() * 9 / 10 : Wanted;
  resize(std::max(800, std::min(Wanted, Screen)), 520);
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
