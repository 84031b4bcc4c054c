#pragma once
// The study window (File > Study...): a study table chosen, where its rows
// run and on how many cores; the table checked against the working session
// before anything runs, its problems listed with row and column; then the
// run by krlstudy, the same program the command line uses, with done,
// failed and remaining rows, the time so far and the time left, and Stop.
// The results window opens from it when the study has results.

#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <memory>
#include <string>
#include <vector>

#include "study/StudyTable.h"

class QButtonGroup;
class QFormLayout;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;
class TKvSession;
class TStudy;

// Where a table's study runs: a folder named after the table below the
// output directory, as krlstudy decides it.
std::string StudyDirOf(const std::string& OutDir, const std::string& TableFile);

// The arguments of krlstudy for a run: the table, its directory, the cores
// and where. A Slurm run waits for its job, so that the process's end is
// the study's end either way.
QStringList StudyRunArguments(const QString& TableFile, const QString& StudyDir, int Cores, bool OnSlurm);

// "00:01:05": the clock text of the progress panel.
QString StudyClock(double Seconds);

class TFormStudy : public QDialog {
 public:
  explicit TFormStudy(QWidget* Owner);
  ~TFormStudy() override;

  bool Running() const { return FProcess != nullptr; }

 protected:
  void closeEvent(QCloseEvent* Event) override;
  void reject() override;

 private:
  QFormLayout* BuildChoices();
  QGroupBox* BuildWhere();
  QHBoxLayout* BuildRunRow();
  QFrame* BuildProgressPanel();
  void ConnectControls();
  void BtnTableClick();
  void BtnRunClick();
  bool TableIsSound(const std::string& Table, const TKvSession& S);
  void StartStudy(const std::string& Table, const std::string& Program);
  void BtnStopClick();
  void BtnResultsClick();
  void ShowProgress();
  void ProcessFinished(int ExitCode, QProcess::ExitStatus Status);
  void ShowOutcome(int ExitCode);
  void UpdateCommands();
  void EndProcess();

  QLineEdit* EdTable = nullptr;
  QPushButton* BtnTable = nullptr;
  QButtonGroup* RgWhere = nullptr;
  QSpinBox* SeCores = nullptr;
  QPushButton* BtnRun = nullptr;
  QListWidget* LbProblems = nullptr;
  QFrame* PnlProgress = nullptr;
  QProgressBar* PbRows = nullptr;
  QLabel* LblDone = nullptr;
  QLabel* LblFailed = nullptr;
  QLabel* LblRemaining = nullptr;
  QLabel* LblElapsed = nullptr;
  QLabel* LblLeft = nullptr;
  QLabel* LblOutcome = nullptr;
  QPushButton* BtnStop = nullptr;
  QPushButton* BtnResults = nullptr;
  QPushButton* BtnClose = nullptr;

  // The run in progress.
  QProcess* FProcess = nullptr;
  QTimer* FTimer = nullptr;
  QElapsedTimer FClock;
  std::unique_ptr<TStudy> FStudy;
  TStudyTable FTable;
  QString FErrors;
  long FJournalOffset = 0;
  size_t FTodo = 0, FDone = 0, FFailed = 0;
  bool FStopped = false;
  bool FOnSlurm = false;
};

// Opens the study window over Owner (modal).
void ShowStudy(QWidget* Owner);
