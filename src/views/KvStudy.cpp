#include "KvStudy.h"

#include <signal.h>
#include <unistd.h>

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "Commands.h"
#include "FormParts.h"
#include "KvStudyResults.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/DxUtil.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "study/StudyCsv.h"
#include "study/StudyLaunch.h"
#include "study/StudyRun.h"

namespace fs = std::filesystem;

namespace {
// krlstudy's exit status for a refused command or table.
constexpr int StudyRefused = 2;

QLabel* CountLabel(const char* Name) {
  auto* L = new QLabel;
  L->setObjectName(Name);
  L->setMinimumWidth(L->fontMetrics().horizontalAdvance("00:00:00 "));
  return L;
}

std::string StudyDirOfSession(const std::string& TableFile) {
  return StudyDirOf(ExpandFileName(MapFileName(TheSession->FileManager().OutPath())), TableFile);
}
}  // namespace

std::string StudyDirOf(const std::string& OutDir, const std::string& TableFile) {
  std::string Dir = OutDir;
  if (Dir.empty() || Dir.back() != '/') Dir += '/';
  return Dir + fs::path(TableFile).stem().string() + "/";
}

QStringList StudyRunArguments(const QString& TableFile, const QString& StudyDir, int Cores, bool OnSlurm) {
  QStringList A = {"run", TableFile, "--out", StudyDir};
  if (OnSlurm)
    A << "--on"
      << "slurm"
      << "--wait";
  else
    A << "-j" << QString::number(std::max(Cores, 1));
  return A;
}

QString StudyClock(double Seconds) {
  const long S = static_cast<long>(Seconds + 0.5);
  return QString::asprintf("%02ld:%02ld:%02ld", S / 3600, S / 60 % 60, S % 60);
}

TFormStudy::TFormStudy(QWidget* Owner) : QDialog(Owner) {
  setObjectName("FormStudy");
  setWindowTitle("Study");
  setMinimumSize(560, 480);
  auto* Main = new QVBoxLayout(this);
  Main->addLayout(BuildChoices());
  Main->addLayout(BuildRunRow());
  Main->addWidget(new QLabel("Problems of the table:"));
  LbProblems = new QListWidget;
  LbProblems->setObjectName("LbProblems");
  Main->addWidget(LbProblems, 1);
  Main->addWidget(BuildProgressPanel());
  PnlProgress->hide();
  BtnClose = NewButton("Close", "BtnClose");
  Main->addLayout(NewButtonRow({}, BtnClose));
  ConnectControls();
  UpdateCommands();
}

// The table, where the rows run and on how many cores.
QFormLayout* TFormStudy::BuildChoices() {
  auto* Form = new QFormLayout;
  auto* TableRow = new QHBoxLayout;
  EdTable = new QLineEdit;
  EdTable->setObjectName("EdTable");
  SetHint(EdTable, "|The study table: one row per simulation, one column per keyword or variable it changes");
  BtnTable = NewButton("Choose...", "BtnTable");
  SetHint(BtnTable, "|Choose the study table (a .csv file)");
  TableRow->addWidget(EdTable, 1);
  TableRow->addWidget(BtnTable);
  Form->addRow("Study table:", TableRow);
  Form->addRow("Run on:", BuildWhere());
  SeCores = new QSpinBox;
  SeCores->setObjectName("SeCores");
  const int Cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
  SeCores->setRange(1, std::max(256, Cores));
  SeCores->setValue(Cores);
  SetHint(SeCores, "|How many rows run at the same time on this computer");
  Form->addRow("Cores:", SeCores);
  return Form;
}

QGroupBox* TFormStudy::BuildWhere() {
  auto* GbWhere = new QGroupBox;
  GbWhere->setObjectName("GbWhere");
  auto* WhereLayout = new QHBoxLayout(GbWhere);
  RgWhere = new QButtonGroup(this);
  RgWhere->setObjectName("RgWhere");
  auto* RbLocal = new QRadioButton("This computer");
  RbLocal->setObjectName("RbLocal");
  auto* RbSlurm = new QRadioButton("Slurm cluster");
  RbSlurm->setObjectName("RbSlurm");
  SetHint(RbSlurm,
          "|One job array of the Slurm cluster runs the rows; the program home must be on a "
          "file system the nodes share");
  RgWhere->addButton(RbLocal, 0);
  RgWhere->addButton(RbSlurm, 1);
  RbLocal->setChecked(true);
  WhereLayout->addWidget(RbLocal);
  WhereLayout->addWidget(RbSlurm);
  WhereLayout->addStretch(1);
  return GbWhere;
}

QHBoxLayout* TFormStudy::BuildRunRow() {
  BtnRun = NewButton("Check and run", "BtnRun");
  SetHint(BtnRun, "|Check every cell of the table, then run the rows that have no result yet");
  auto* RunRow = new QHBoxLayout;
  RunRow->addWidget(BtnRun);
  RunRow->addStretch(1);
  return RunRow;
}

// Done, failed, remaining, elapsed and left, the outcome, Stop and Results.
QFrame* TFormStudy::BuildProgressPanel() {
  PnlProgress = new QFrame;
  PnlProgress->setObjectName("PnlProgress");
  PnlProgress->setFrameShape(QFrame::StyledPanel);
  auto* P = new QGridLayout(PnlProgress);
  PbRows = new QProgressBar;
  PbRows->setObjectName("PbRows");
  P->addWidget(PbRows, 0, 0, 1, 4);
  LblDone = CountLabel("LblDone");
  LblFailed = CountLabel("LblFailed");
  LblRemaining = CountLabel("LblRemaining");
  LblElapsed = CountLabel("LblElapsed");
  LblLeft = CountLabel("LblLeft");
  P->addWidget(new QLabel("Done:"), 1, 0);
  P->addWidget(LblDone, 1, 1);
  P->addWidget(new QLabel("Elapsed:"), 1, 2);
  P->addWidget(LblElapsed, 1, 3);
  P->addWidget(new QLabel("Failed:"), 2, 0);
  P->addWidget(LblFailed, 2, 1);
  P->addWidget(new QLabel("Time left:"), 2, 2);
  P->addWidget(LblLeft, 2, 3);
  P->addWidget(new QLabel("Remaining:"), 3, 0);
  P->addWidget(LblRemaining, 3, 1);
  LblOutcome = new QLabel;
  LblOutcome->setObjectName("LblOutcome");
  LblOutcome->setWordWrap(true);
  P->addWidget(LblOutcome, 4, 0, 1, 4);
  auto* PanelButtons = new QHBoxLayout;
  BtnStop = NewButton("Stop", "BtnStop");
  SetHint(BtnStop,
          "|Stop the study; finished rows keep their results, and running the same table again "
          "goes on with the rest");
  BtnResults = NewButton("Results...", "BtnResults");
  SetHint(BtnResults, "|Show the study's results: the table and box plots");
  PanelButtons->addWidget(BtnStop);
  PanelButtons->addWidget(BtnResults);
  PanelButtons->addStretch(1);
  P->addLayout(PanelButtons, 5, 0, 1, 4);
  P->setColumnStretch(3, 1);
  return PnlProgress;
}

void TFormStudy::ConnectControls() {
  FTimer = new QTimer(this);
  FTimer->setInterval(500);
  ConnectGuarded(FTimer, &QTimer::timeout, this, &TFormStudy::ShowProgress);
  ConnectGuarded(BtnTable, &QPushButton::clicked, this, &TFormStudy::BtnTableClick);
  ConnectGuarded(BtnRun, &QPushButton::clicked, this, &TFormStudy::BtnRunClick);
  ConnectGuarded(BtnStop, &QPushButton::clicked, this, &TFormStudy::BtnStopClick);
  ConnectGuarded(BtnResults, &QPushButton::clicked, this, &TFormStudy::BtnResultsClick);
  ConnectGuarded(BtnClose, &QPushButton::clicked, static_cast<QObject*>(this), [this] { reject(); });
  connect(RgWhere, &QButtonGroup::idClicked, this, [this] { UpdateCommands(); });
}

TFormStudy::~TFormStudy() { EndProcess(); }

void TFormStudy::UpdateCommands() {
  const bool Free = !Running();
  for (QWidget* W : {static_cast<QWidget*>(EdTable), static_cast<QWidget*>(BtnTable),
                     static_cast<QWidget*>(BtnRun), static_cast<QWidget*>(BtnClose)})
    W->setEnabled(Free);
  for (QAbstractButton* B : RgWhere->buttons()) B->setEnabled(Free);
  SeCores->setEnabled(Free && RgWhere->checkedId() == 0);
  BtnStop->setEnabled(!Free);
  BtnResults->setEnabled(Free && FStudy && fs::is_regular_file(FStudy->Dir() + "results.csv"));
}

void TFormStudy::BtnTableClick() {
  TFileDialogRequest R;
  R.Title = "Study table";
  R.Filter = "Study tables (*.csv)|*.csv";
  R.MustExist = true;
  R.InitialDir =
      EdTable->text().isEmpty() ? FromCore(GetExecPath()) : QFileInfo(EdTable->text()).absolutePath();
  const QString File = AskFileName(R);
  if (!File.isEmpty()) EdTable->setText(File);
}

// Reads and checks the table; its problems are listed and refuse it.
bool TFormStudy::TableIsSound(const std::string& Table, const TKvSession& S) {
  std::vector<TStudyProblem> Problems;
  {
    TBusyCursor Busy;
    FTable = ReadStudyTable(Table);
    Problems = CheckStudyTable(FTable, S);
  }
  if (Problems.empty()) return true;
  for (const TStudyProblem& P : Problems) LbProblems->addItem(FromCore(StudyProblemText(P)));
  LbProblems->setCurrentRow(0);
  ShowErrorBox(Format("The table is refused (%zu %s); nothing was run.", Problems.size(),
                      Problems.size() == 1 ? "problem" : "problems"));
  return false;
}

void TFormStudy::BtnRunClick() {
  if (Running() || !TheSession) return;
  const QString TableName = EdTable->text().trimmed();
  if (TableName.isEmpty()) {
    ShowErrorBox("Choose the study table first.");
    return;
  }
  TKvSession& S = *TheSession;
  SetCurrentDir(S.FileManager().ExecPath());
  LbProblems->clear();
  LblOutcome->clear();
  PnlProgress->hide();
  // Names typed relative are taken from the program directory, as krlstudy
  // takes them from where it was started.
  const std::string Table = fs::absolute(ToCore(TableName)).string();
  if (!TableIsSound(Table, S)) return;
  const std::string Program = GetExecPath() + "krlstudy";
  if (!FileExists(Program)) {
    ShowErrorBox("The study program " + Program + " was not found.");
    return;
  }
  // The base of the study is the working session as the window shows it.
  S.WriteInputFiles();
  StartStudy(Table, Program);
}

// Starts krlstudy on the checked table and shows its progress.
void TFormStudy::StartStudy(const std::string& Table, const std::string& Program) {
  FOnSlurm = RgWhere->checkedId() == 1;
  FStudy = std::make_unique<TStudy>(StudyDirOfSession(Table));
  const TStudyCounts Before = CountStudy(*FStudy, FTable);
  FTodo = Before.Failed + Before.NotRun;
  FDone = FFailed = 0;
  std::error_code Ec;
  const auto Size = fs::file_size(FStudy->JournalFile(), Ec);
  FJournalOffset = Ec ? 0 : static_cast<long>(Size);
  FErrors.clear();
  FStopped = false;

  FProcess = new QProcess(this);
  FProcess->setProgram(FromCore(Program));
  FProcess->setArguments(
      StudyRunArguments(FromCore(Table), FromCore(FStudy->Dir()), SeCores->value(), FOnSlurm));
  FProcess->setWorkingDirectory(FromCore(GetExecPath()));
  FProcess->setStandardOutputFile(QProcess::nullDevice());
  // krlstudy and its workers form a process group of their own, which Stop ends.
  FProcess->setChildProcessModifier([] { setpgid(0, 0); });
  connect(FProcess, &QProcess::readyReadStandardError, this,
          [this] { FErrors += QString::fromLocal8Bit(FProcess->readAllStandardError()); });
  connect(FProcess, &QProcess::finished, this, [this](int Code, QProcess::ExitStatus Status) {
    GuardedCall([this, Code, Status] { ProcessFinished(Code, Status); });
  });
  FProcess->start();
  if (!FProcess->waitForStarted()) {
    const QString Why = FProcess->errorString();
    delete FProcess;
    FProcess = nullptr;
    ShowErrorBox("The study program " + Program + " cannot be started: " + ToCore(Why));
    return;
  }
  FClock.start();
  PnlProgress->show();
  ShowProgress();
  FTimer->start();
  UpdateCommands();
}

void TFormStudy::ShowProgress() {
  if (!FStudy) return;
  ReadStudyJournal(FStudy->JournalFile(), FJournalOffset, FDone, FFailed);
  const size_t Finished = std::min(FDone + FFailed, FTodo);
  const double Seconds = FClock.isValid() ? static_cast<double>(FClock.elapsed()) / 1000 : 0;
  PbRows->setRange(0, static_cast<int>(std::max<size_t>(FTodo, 1)));
  PbRows->setValue(static_cast<int>(Finished));
  LblDone->setText(QString::number(FDone));
  LblFailed->setText(QString::number(FFailed));
  LblRemaining->setText(QString::number(FTodo - Finished));
  LblElapsed->setText(StudyClock(Seconds));
  LblLeft->setText(Finished ? StudyClock(StudyTimeLeft(Finished, FTodo, Seconds)) : QString("-"));
}

void TFormStudy::BtnStopClick() {
  if (!Running()) return;
  FStopped = true;
  if (FOnSlurm) {
    const std::string Id = StudyJobId(*FStudy);
    std::string Output;
    if (!Id.empty()) RunProgram({"scancel", Id}, Output, true);
  }
  EndProcess();
}

void TFormStudy::EndProcess() {
  if (!FProcess) return;
  const qint64 Pid = FProcess->processId();
  // krlstudy and its workers first, so that no worker takes another row,
  // then whatever still works in the study's scratch homes.
  if (Pid > 0) kill(-static_cast<pid_t>(Pid), SIGTERM);
  if (FStudy) EndStudyProcesses(*FStudy);
  if (!FProcess->waitForFinished(5000) && Pid > 0) {
    kill(-static_cast<pid_t>(Pid), SIGKILL);
    FProcess->waitForFinished(2000);
  }
}

void TFormStudy::ProcessFinished(int ExitCode, QProcess::ExitStatus Status) {
  FTimer->stop();
  if (FProcess) {
    FErrors += QString::fromLocal8Bit(FProcess->readAllStandardError());
    FProcess->deleteLater();
    FProcess = nullptr;
  }
  ShowProgress();
  if (Status != QProcess::NormalExit && !FStopped) {
    // krlstudy itself did not end as it should: what it said is all there is.
    for (const QString& Line : FErrors.split('\n', Qt::SkipEmptyParts)) LbProblems->addItem(Line);
    LblOutcome->setText(
        "The study program ended unexpectedly; running the same table again goes on "
        "with the rows that have no result.");
  } else {
    ShowOutcome(FStopped ? -1 : ExitCode);
  }
  UpdateCommands();
}

void TFormStudy::ShowOutcome(int ExitCode) {
  if (ExitCode == StudyRefused) {
    for (const QString& Line : FErrors.split('\n', Qt::SkipEmptyParts)) LbProblems->addItem(Line);
    LblOutcome->setText("The study was refused; nothing was run.");
    return;
  }
  if (!fs::is_regular_file(FStudy->TableFile())) {
    LblOutcome->setText("The study was stopped before its first row ran.");
    return;
  }
  // A stopped study's results are gathered from the rows finished so far,
  // as krlstudy collect gathers them.
  const TStudyCounts C = ExitCode < 0 ? CollectStudy(*FStudy, FTable) : CountStudy(*FStudy, FTable);
  QString Text = QString("ok %1, failed %2, not run %3.").arg(C.Ok).arg(C.Failed).arg(C.NotRun);
  if (ExitCode < 0)
    Text = "Stopped: " + Text + " Running the same table again goes on with the rows left.";
  else
    Text = "Finished: " + Text;
  if (C.Failed) Text += " status.csv names the error of each failed row.";
  Text += "\nResults: " + FromCore(FStudy->Dir());
  LblOutcome->setText(Text);
}

void TFormStudy::BtnResultsClick() {
  if (FStudy) ShowStudyResults(this, FStudy->Dir());
}

void TFormStudy::closeEvent(QCloseEvent* Event) {
  if (Running()) {
    Event->ignore();
    reject();
    return;
  }
  QDialog::closeEvent(Event);
}

void TFormStudy::reject() {
  // While the study runs, closing the window asks first whether to stop it.
  if (Running()) {
    if (!ConfirmYesNo("The study is still running. Stop it?")) return;
    BtnStopClick();
  }
  QDialog::reject();
}

void ShowStudy(QWidget* Owner) {
  GuardedCall([Owner] {
    TFormStudy Form(Owner);
    ExecModal(Form);
  });
}
