#include "KvEvaluation.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "Commands.h"
#include "DxGrid.h"
#include "FormParts.h"
#include "KvChart.h"
#include "Kvoutdet.h"
#include "OLEExcel.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"

TFormEvaluation::TFormEvaluation(QWidget* Owner, const std::string& ObsFile, const std::string& OutFile)
    : QDialog(Owner), FEvaluation(EvaluateObservations(ObsFile, OutFile)), FOutFile(OutFile) {
  setObjectName("FormEvaluation");
  SetHelpContext(this, 2003);
  setWindowTitle("Evaluation: simulated against observed");

  lblObservations = new QLabel(this);
  lblObservations->setObjectName("lblObservations");
  lblObservations->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lblObservations->setText(QString("Observations: %1    Output: %2")
                               .arg(FromCore(ExtractFileName(ObsFile)), FromCore(ExtractFileName(OutFile))));

  SgEvaluation = new TDxStringGrid(this);
  SgEvaluation->setObjectName("SgEvaluation");
  SgEvaluation->SetFixedRows(1);
  SgEvaluation->SetFixedCols(0);
  SgEvaluation->SetRowSelect(true);
  SetHint(SgEvaluation,
          "Statistics of fit per variable, all runs and years together; \"undefined\" where the pairs "
          "give no value (one pair, all observations equal, observed mean 0)");

  CbEvalVar = new QComboBox(this);
  CbEvalVar->setObjectName("CbEvalVar");
  auto* VarLabel = new QLabel("&Variable:", this);
  VarLabel->setBuddy(CbEvalVar);

  BuildChart();
  QSplitter* Lower = BuildLowerPart(VarLabel);
  QHBoxLayout* Bottom = BuildButtonRow();

  auto* Main = new QVBoxLayout(this);
  Main->addWidget(lblObservations);
  Main->addWidget(SgEvaluation, 1);
  Main->addWidget(Lower, 2);
  Main->addLayout(Bottom);
  resize(860, 640);

  OLEExcel = new TOLEExcel(this);
  OLEExcel->setObjectName("OLEExcel");

  FillTable();
  ConnectGuarded(CbEvalVar, &QComboBox::currentIndexChanged, this, &TFormEvaluation::CbEvalVarChange);
  CbEvalVarChange();
}

// The scatter of simulated against observed values with its 1:1 line.
void TFormEvaluation::BuildChart() {
  FChart = new TKvChart;
  FChart->legend()->setVisible(true);
  FChart->legend()->setAlignment(Qt::AlignBottom);
  FPairs = new QScatterSeries;
  FPairs->setObjectName("SeriesPairs");
  FPairs->setName("Pairs");
  FPairs->setMarkerSize(8);
  FOneToOne = new QLineSeries;
  FOneToOne->setObjectName("SeriesOneToOne");
  FOneToOne->setName("1:1");
  FOneToOne->setPen(QPen(Qt::gray, 1, Qt::DashLine));
  FChart->addSeries(FOneToOne);
  FChart->addSeries(FPairs);
  auto* AxisX = new QValueAxis;
  auto* AxisY = new QValueAxis;
  AxisX->setTitleText("Observed");
  AxisY->setTitleText("Simulated");
  FChart->addAxis(AxisX, Qt::AlignBottom);
  FChart->addAxis(AxisY, Qt::AlignLeft);
  for (QAbstractSeries* S :
       {static_cast<QAbstractSeries*>(FOneToOne), static_cast<QAbstractSeries*>(FPairs)}) {
    S->attachAxis(AxisX);
    S->attachAxis(AxisY);
  }
}

// The variable's chart beside the list of unused observation lines.
QSplitter* TFormEvaluation::BuildLowerPart(QLabel* VarLabel) {
  auto* ChartView = new TKvChartView(FChart, false, this);
  ChartView->setObjectName("ChartEvaluation");
  ChartView->setMinimumSize(320, 260);

  lstUnmatched = new QListWidget(this);
  lstUnmatched->setObjectName("lstUnmatched");
  SetHint(lstUnmatched, "Lines of the observation file that were not used");

  auto* ChartBox = new QWidget;
  auto* ChartLayout = new QVBoxLayout(ChartBox);
  ChartLayout->setContentsMargins(0, 0, 0, 0);
  auto* VarRow = new QHBoxLayout;
  VarRow->addWidget(VarLabel);
  VarRow->addWidget(CbEvalVar, 1);
  ChartLayout->addLayout(VarRow);
  ChartLayout->addWidget(ChartView, 1);
  auto* ListBox = new QWidget;
  auto* ListLayout = new QVBoxLayout(ListBox);
  ListLayout->setContentsMargins(0, 0, 0, 0);
  auto* ListLabel = new QLabel("&Not used:", ListBox);
  ListLabel->setObjectName("lblUnmatched");
  ListLabel->setBuddy(lstUnmatched);
  ListLayout->addWidget(ListLabel);
  ListLayout->addWidget(lstUnmatched, 1);
  auto* Lower = new QSplitter(Qt::Horizontal);
  Lower->addWidget(ChartBox);
  Lower->addWidget(ListBox);
  Lower->setStretchFactor(0, 3);
  Lower->setStretchFactor(1, 2);
  return Lower;
}

QHBoxLayout* TFormEvaluation::BuildButtonRow() {
  auto* Excel = NewButton("Excel", "btnExcelEvaluation");
  SetHint(Excel, "Excel|Export the evaluation to a spreadsheet");
  auto* Close = NewButton("Close", "OKBtn");
  ConnectGuarded(Excel, &QPushButton::clicked, this, &TFormEvaluation::btnExcelEvaluationClick);
  connect(Close, &QPushButton::clicked, this, &QDialog::accept);
  return NewButtonRow({Excel}, Close);
}

TFormEvaluation::~TFormEvaluation() = default;

void TFormEvaluation::FillTable() {
  const std::vector<std::string> Captions = EvaluationCaptions();
  std::vector<QStringList> Rows;
  QStringList Head;
  for (const std::string& C : Captions) Head << FromCore(C);
  Rows.push_back(Head);
  for (const TFitStatistics& S : FEvaluation.Stats) {
    QStringList Row;
    for (const std::string& Cell : EvaluationRow(S)) Row << FromCore(Cell);
    Rows.push_back(Row);
    CbEvalVar->addItem(FromCore(S.Var));
  }
  SgEvaluation->SetAll(static_cast<int>(Captions.size()), Rows);
  SgEvaluation->resizeColumnsToContents();
  for (const std::string& Note : FEvaluation.Notes()) lstUnmatched->addItem(FromCore(Note));
}

void TFormEvaluation::CbEvalVarChange() { ShowPairs(CbEvalVar->currentIndex()); }

void TFormEvaluation::ShowPairs(int Index) {
  QList<QPointF> Points;
  double Lo = 0, Hi = 1;
  if (Index >= 0 && Index < static_cast<int>(FEvaluation.Stats.size())) {
    const std::string& Var = FEvaluation.Stats[Index].Var;
    bool First = true;
    for (const TObsPair& P : FEvaluation.Match.Pairs) {
      if (P.Obs.Var + (P.Obs.Season ? " (season)" : "") != Var) continue;
      Points.append(QPointF(P.Obs.Value, P.Simulated));
      const double A = std::min(P.Obs.Value, P.Simulated), B = std::max(P.Obs.Value, P.Simulated);
      Lo = First ? A : std::min(Lo, A);
      Hi = First ? B : std::max(Hi, B);
      First = false;
    }
    FChart->SetTitle(FromCore(Var));
  }
  // Both axes get the same range, so that the 1:1 line is the diagonal.
  const double Margin = Hi > Lo ? (Hi - Lo) * 0.05 : std::max(1.0, std::fabs(Hi) * 0.05);
  const TSpan Span{Lo - Margin, Hi + Margin};
  FPairs->replace(Points);
  FOneToOne->replace({QPointF(Span.Min, Span.Min), QPointF(Span.Max, Span.Max)});
  for (QAbstractAxis* A : FChart->axes()) SetAxisSpan(static_cast<QValueAxis*>(A), Span);
}

void TFormEvaluation::btnExcelEvaluationClick() {
  TBusyCursor Busy;
  if (!OLEExcel->IsCreated()) OLEExcel->CreateExcelInstance();
  OLEExcel->CreateNewSheet("Evaluation");
  OLEExcel->StringListToExcelAt(
      {"Observations:", FromCore(FEvaluation.File.FileName), "Output:", FromCore(FOutFile)}, 1, 1);
  OLEExcel->StringGridToExcelAt(*SgEvaluation, 3);
  const std::vector<std::string> Notes = FEvaluation.Notes();
  if (!Notes.empty()) {
    const int First = SgEvaluation->RowCount() + 5;
    OLEExcel->SetCell(1, First, "Not used:");
    for (size_t i = 0; i < Notes.size(); ++i)
      OLEExcel->SetCell(1, First + 1 + static_cast<int>(i), FromCore(Notes[i]));
  }
  const TKvFileManager& Fm = SessionFiles();
  OLEExcel->SetWorkbookPlace(FromCore(Fm.OutPath()), FromCore(Fm.KRLName()) + "-evaluation");
  OLEExcel->SetVisible(true);
}

void ShowEvaluation(QWidget* Owner) {
  GuardedCall([Owner] {
    const TKvFileManager& Fm = SessionFiles();
    const std::string ObsFile = SessionObservationFile(Fm);
    if (ObsFile.empty()) {
      ShowInfoBox("No observation file chosen. Choose one on the General page (Observations...).");
      return;
    }
    if (!Fm.DetailedOutputAvailable()) {
      ShowInfoBox("No Detailed results available.");
      return;
    }
    TFormEvaluation Form(Owner, ObsFile, Fm.OutFullName());
    ExecModal(Form);
  });
}
