#include "KvStudyResults.h"

#include <QAbstractTableModel>
#include <QBarCategoryAxis>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "ChartExport.h"
#include "Commands.h"
#include "FormParts.h"
#include "KvChart.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "study/StudyCsv.h"

namespace fs = std::filesystem;

namespace {
bool AsNumber(const std::string& Text, double& Value) {
  long double V = 0;
  if (Text.empty() || !TryStrToFloat(Text, V)) return false;
  Value = static_cast<double>(V);
  return std::isfinite(Value);
}

// The interpolated quantile P of sorted values.
double Quantile(const std::vector<double>& Sorted, double P) {
  const double At = P * static_cast<double>(Sorted.size() - 1);
  const size_t Below = static_cast<size_t>(std::floor(At));
  const size_t Above = std::min(Below + 1, Sorted.size() - 1);
  return Sorted[Below] + (At - static_cast<double>(Below)) * (Sorted[Above] - Sorted[Below]);
}
}  // namespace

TBoxStats BoxStats(std::vector<double> Values) {
  TBoxStats B;
  B.Count = Values.size();
  if (Values.empty()) return B;
  std::sort(Values.begin(), Values.end());
  B.Min = Values.front();
  B.Max = Values.back();
  B.Q1 = Quantile(Values, 0.25);
  B.Median = Quantile(Values, 0.5);
  B.Q3 = Quantile(Values, 0.75);
  return B;
}

std::vector<TBoxGroup> GroupByLevel(const std::vector<std::string>& Levels,
                                    const std::vector<std::string>& Values) {
  std::vector<TBoxGroup> Groups;
  std::map<std::string, size_t> Index;
  for (size_t i = 0; i < Levels.size() && i < Values.size(); ++i) {
    double V = 0;
    if (!AsNumber(Values[i], V)) continue;
    auto [It, New] = Index.emplace(Levels[i], Groups.size());
    if (New) Groups.push_back({Levels[i], {}});
    Groups[It->second].Values.push_back(V);
  }
  const bool AllNumbers = std::all_of(Groups.begin(), Groups.end(), [](const TBoxGroup& G) {
    double V = 0;
    return AsNumber(G.Level, V);
  });
  if (AllNumbers)
    std::stable_sort(Groups.begin(), Groups.end(), [](const TBoxGroup& A, const TBoxGroup& B) {
      double X = 0, Y = 0;
      AsNumber(A.Level, X);
      AsNumber(B.Level, Y);
      return X < Y;
    });
  return Groups;
}

// results.csv as read: the header and the lines, each cell the file's text.
class TStudyResultsModel : public QAbstractTableModel {
 public:
  explicit TStudyResultsModel(QObject* Parent) : QAbstractTableModel(Parent) {}

  void Load(const std::string& FileName) {
    const std::string Text = ReadWholeFile(FileName);
    size_t Pos = 0;
    int Line = 0;
    std::vector<std::string> Fields;
    beginResetModel();
    Header.clear();
    Rows.clear();
    if (NextCsvRecord(Text, Pos, Line, Fields)) Header = Fields;
    while (NextCsvRecord(Text, Pos, Line, Fields)) {
      Fields.resize(Header.size());
      Rows.push_back(Fields);
    }
    endResetModel();
  }
  int Column(const std::string& Name) const {
    const auto It = std::find(Header.begin(), Header.end(), Name);
    return It == Header.end() ? -1 : static_cast<int>(It - Header.begin());
  }

  int rowCount(const QModelIndex& Parent) const override {
    return Parent.isValid() ? 0 : static_cast<int>(Rows.size());
  }
  int columnCount(const QModelIndex& Parent) const override {
    return Parent.isValid() ? 0 : static_cast<int>(Header.size());
  }
  QVariant data(const QModelIndex& Index, int Role) const override {
    if (!Index.isValid()) return {};
    const std::string& Cell = Rows[static_cast<size_t>(Index.row())][static_cast<size_t>(Index.column())];
    if (Role == Qt::DisplayRole) return FromCore(Cell);
    if (Role == Qt::TextAlignmentRole) {
      double V = 0;
      return AsNumber(Cell, V) ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    }
    return {};
  }
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override {
    if (Role != Qt::DisplayRole) return {};
    if (Orientation == Qt::Horizontal)
      return Section < static_cast<int>(Header.size()) ? FromCore(Header[static_cast<size_t>(Section)])
                                                       : QVariant();
    return Section + 1;
  }

  std::vector<std::string> Header;
  std::vector<std::vector<std::string>> Rows;
};

namespace {
// Sorts numbers as numbers, texts as texts, numbers before texts.
class TStudySortProxy : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool lessThan(const QModelIndex& Left, const QModelIndex& Right) const override {
    const std::string A = ToCore(Left.data().toString()), B = ToCore(Right.data().toString());
    double X = 0, Y = 0;
    const bool NX = AsNumber(A, X), NY = AsNumber(B, Y);
    if (NX && NY) return X < Y;
    if (NX != NY) return NX;
    return A < B;
  }
};

QComboBox* NamedCombo(const char* Name) {
  auto* C = new QComboBox;
  C->setObjectName(Name);
  C->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return C;
}
}  // namespace

TFormStudyResults::TFormStudyResults(QWidget* Owner, const std::string& Dir) : QDialog(Owner), FDir(Dir) {
  setObjectName("FormStudyResults");
  if (!FDir.empty() && FDir.back() != '/') FDir += '/';
  setWindowTitle("Study results - " + FromCore(FDir));
  setMinimumSize(720, 560);
  resize(960, 720);
  FModel = new TStudyResultsModel(this);
  {
    TBusyCursor Busy;
    FModel->Load(FDir + "results.csv");
  }
  FProxy = new TStudySortProxy(this);
  FProxy->setSourceModel(FModel);
  FProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);

  auto* Main = new QVBoxLayout(this);
  Main->addLayout(BuildFilterRow());
  auto* Split = new QSplitter(Qt::Vertical);
  Split->addWidget(BuildTable());
  Split->addWidget(BuildChartPane());
  Main->addWidget(Split, 1);
  BtnClose = NewButton("Close", "BtnClose");
  Main->addLayout(NewButtonRow({}, BtnClose));
  FillChoices();
  ConnectControls();
  ApplyFilter();
}

QHBoxLayout* TFormStudyResults::BuildFilterRow() {
  auto* FilterRow = new QHBoxLayout;
  CbFilterColumn = NamedCombo("CbFilterColumn");
  EdFilter = new QLineEdit;
  EdFilter->setObjectName("EdFilter");
  SetHint(EdFilter, "|Show only the lines whose cell in the chosen column holds this text");
  LblRows = new QLabel;
  LblRows->setObjectName("LblRows");
  FilterRow->addWidget(new QLabel("Filter:"));
  FilterRow->addWidget(CbFilterColumn);
  FilterRow->addWidget(EdFilter, 1);
  FilterRow->addWidget(LblRows);
  return FilterRow;
}

QTableView* TFormStudyResults::BuildTable() {
  GridResults = new QTableView;
  GridResults->setObjectName("GridResults");
  GridResults->setModel(FProxy);
  GridResults->setSortingEnabled(true);
  GridResults->sortByColumn(-1, Qt::AscendingOrder);
  GridResults->setSelectionBehavior(QAbstractItemView::SelectRows);
  GridResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
  GridResults->horizontalHeader()->setSectionsClickable(true);
  GridResults->verticalHeader()->hide();  // the column "row" numbers them
  return GridResults;
}

// The choice of result and levels, Save image and the chart.
QWidget* TFormStudyResults::BuildChartPane() {
  auto* ChartPane = new QWidget;
  auto* ChartLayout = new QVBoxLayout(ChartPane);
  ChartLayout->setContentsMargins(0, 0, 0, 0);
  auto* ChartRow = new QHBoxLayout;
  CbResult = NamedCombo("CbResult");
  CbLevels = NamedCombo("CbLevels");
  BtnSaveImage = NewButton("Save image...", "BtnSaveImage");
  SetHint(BtnSaveImage, "|Save the chart as a PNG, SVG or PDF file");
  ChartRow->addWidget(new QLabel("Result:"));
  ChartRow->addWidget(CbResult);
  ChartRow->addWidget(new QLabel("over the levels of:"));
  ChartRow->addWidget(CbLevels);
  ChartRow->addStretch(1);
  ChartRow->addWidget(BtnSaveImage);
  ChartLayout->addLayout(ChartRow);
  FChart = new QChart;
  FChart->legend()->hide();
  ChartView = new QChartView(FChart);
  ChartView->setObjectName("ChartStudy");
  ChartView->setRenderHint(QPainter::Antialiasing);
  ChartView->setMinimumHeight(240);
  ChartLayout->addWidget(ChartView, 1);
  return ChartPane;
}

void TFormStudyResults::FillChoices() {
  // The results follow the table's own columns ("run" is the first of
  // them); the levels are the row's number, ID, values, run and year.
  const int RunAt = FModel->Column("run");
  const int YearAt = FModel->Column("year");
  for (size_t c = 0; c < FModel->Header.size(); ++c) {
    const QString Name = FromCore(FModel->Header[c]);
    CbFilterColumn->addItem(Name);
    if (RunAt < 0 || static_cast<int>(c) <= std::max(RunAt, YearAt))
      CbLevels->addItem(Name);
    else
      CbResult->addItem(Name);
  }
  // By default: the yield over the levels of the table's first column.
  for (const char* Name : {"pot_yield", "wl_yield"})
    if (const int i = CbResult->findText(Name); i >= 0 && CbResult->currentIndex() <= 0) {
      CbResult->setCurrentIndex(i);
      if (Name == std::string("pot_yield")) break;
    }
  if (FModel->Header.size() > 2 && RunAt != 2) CbLevels->setCurrentIndex(2);
  if (CbFilterColumn->count() > 1) CbFilterColumn->setCurrentIndex(1);
}

void TFormStudyResults::ConnectControls() {
  ConnectGuarded(CbResult, &QComboBox::currentIndexChanged, this, &TFormStudyResults::DrawChart);
  ConnectGuarded(CbLevels, &QComboBox::currentIndexChanged, this, &TFormStudyResults::DrawChart);
  ConnectGuarded(CbFilterColumn, &QComboBox::currentIndexChanged, this, &TFormStudyResults::ApplyFilter);
  ConnectGuarded(EdFilter, &QLineEdit::textChanged, this, &TFormStudyResults::ApplyFilter);
  ConnectGuarded(BtnSaveImage, &QPushButton::clicked, this, &TFormStudyResults::BtnSaveImageClick);
  connect(BtnClose, &QPushButton::clicked, this, [this] { reject(); });
}

TFormStudyResults::~TFormStudyResults() = default;

void TFormStudyResults::ApplyFilter() {
  FProxy->setFilterKeyColumn(CbFilterColumn->currentIndex());
  FProxy->setFilterFixedString(EdFilter->text());
  LblRows->setText(QString("%1 of %2 lines").arg(FProxy->rowCount()).arg(FModel->rowCount({})));
  DrawChart();
}

void TFormStudyResults::DrawChart() {
  FChart->removeAllSeries();
  for (QAbstractAxis* A : FChart->axes()) {
    FChart->removeAxis(A);
    delete A;
  }
  const int Value = FModel->Column(ToCore(CbResult->currentText()));
  const int Level = FModel->Column(ToCore(CbLevels->currentText()));
  FChart->setTitle(CbResult->currentText() + " by " + CbLevels->currentText());
  if (Value < 0 || Level < 0) return;
  std::vector<std::string> Levels, Values;
  for (int r = 0; r < FProxy->rowCount(); ++r) {
    const auto& Row = FModel->Rows[static_cast<size_t>(FProxy->mapToSource(FProxy->index(r, 0)).row())];
    Levels.push_back(Row[static_cast<size_t>(Level)]);
    Values.push_back(Row[static_cast<size_t>(Value)]);
  }
  const std::vector<TBoxGroup> Groups = GroupByLevel(Levels, Values);
  auto* Series = new QBoxPlotSeries;
  Series->setName(CbResult->currentText());
  QStringList Categories;
  double Low = 0, High = 0;
  for (const TBoxGroup& G : Groups) {
    const TBoxStats B = BoxStats(G.Values);
    auto* Set = new QBoxSet(FromCore(G.Level));
    Set->setValue(QBoxSet::LowerExtreme, B.Min);
    Set->setValue(QBoxSet::LowerQuartile, B.Q1);
    Set->setValue(QBoxSet::Median, B.Median);
    Set->setValue(QBoxSet::UpperQuartile, B.Q3);
    Set->setValue(QBoxSet::UpperExtreme, B.Max);
    Series->append(Set);
    Categories << FromCore(G.Level);
    Low = Categories.size() == 1 ? B.Min : std::min(Low, B.Min);
    High = Categories.size() == 1 ? B.Max : std::max(High, B.Max);
  }
  FChart->addSeries(Series);
  auto* X = new QBarCategoryAxis;
  X->append(Categories);
  X->setTitleText(CbLevels->currentText());
  auto* Y = new QValueAxis;
  Y->setTitleText(CbResult->currentText());
  const double Margin = High > Low ? (High - Low) * 0.05 : std::max(1.0, std::fabs(High) * 0.05);
  // A result that cannot be below zero (a yield of nothing) keeps the axis at zero.
  Y->setRange(Low >= 0 ? std::max(0.0, Low - Margin) : Low - Margin, High + Margin);
  Y->applyNiceNumbers();
  FChart->addAxis(X, Qt::AlignBottom);
  FChart->addAxis(Y, Qt::AlignLeft);
  Series->attachAxis(X);
  Series->attachAxis(Y);
}

void TFormStudyResults::BtnSaveImageClick() {
  const QString Name =
      ImageFileName({QString::fromStdString(fs::path(FDir).parent_path().filename().string()),
                     CbResult->currentText(), CbLevels->currentText()},
                    "png");
  SaveImageCommand(
      Name, [this](QPainter& P, const QRectF& R) { PaintChartPage(P, R, *FChart, {}); }, QSize(1600, 1000));
}

void ShowStudyResults(QWidget* Owner, const std::string& Dir) {
  GuardedCall([Owner, Dir] {
    std::string D = Dir;
    if (!D.empty() && D.back() != '/') D += '/';
    if (!fs::is_regular_file(D + "results.csv")) {
      ShowInfoBox("The study in " + D + " has no results yet (results.csv).");
      return;
    }
    TFormStudyResults Form(Owner, D);
    ExecModal(Form);
  });
}

void OpenStudyResults(QWidget* Owner) {
  GuardedCall([Owner] {
    TFileDialogRequest R;
    R.Title = "Study results";
    R.Filter = "Study results (results.csv)|results.csv";
    R.MustExist = true;
    if (TheSession) R.InitialDir = FromCore(ExpandFileName(MapFileName(TheSession->FileManager().OutPath())));
    const QString File = AskFileName(R);
    if (File.isEmpty()) return;
    ShowStudyResults(Owner, fs::path(ToCore(File)).parent_path().string());
  });
}
