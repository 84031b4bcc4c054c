// The run from the main window: the window stays responsive while the model
// runs, shows the time and the model's latest log line, and offers to stop
// waiting or to stop the run. Commands that would disturb the run are
// refused until it has ended.

#include <QAction>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "Commands.h"
#include "KvRunCheck.h"
#include "Kvmain.h"
#include "KvmainPages.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/ScopedValue.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "platform/Handlers.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "session/RunHistory.h"

void TFormMain::BuildRunPanel() {
  PnlRun = new QFrame;
  PnlRun->setObjectName("PnlRun");
  static_cast<QFrame*>(PnlRun)->setFrameShape(QFrame::StyledPanel);
  auto* L = new QHBoxLayout(PnlRun);
  LblRunTime = new QLabel;
  LblRunTime->setObjectName("LblRunTime");
  LblRunLog = new QLabel;
  LblRunLog->setObjectName("LblRunLog");
  LblRunLog->setMinimumWidth(80);
  LblRunLog->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  BtnStopWaiting = new QPushButton("Stop waiting");
  BtnStopWaiting->setObjectName("BtnStopWaiting");
  SetHint(BtnStopWaiting, "|Stop waiting for the end of the run and judge what the model has left");
  BtnStopRun = new QPushButton("Stop the run");
  BtnStopRun->setObjectName("BtnStopRun");
  SetHint(BtnStopRun, "|End the model now; the results of an unfinished run are not kept");
  L->addWidget(LblRunTime);
  L->addWidget(LblRunLog, 1);
  L->addWidget(BtnStopWaiting);
  L->addWidget(BtnStopRun);
  ConnectGuarded(BtnStopWaiting, &QPushButton::clicked, this, &TFormMain::StopWaitingClick);
  ConnectGuarded(BtnStopRun, &QPushButton::clicked, this, &TFormMain::StopRunClick);
  PnlRun->hide();
}

void TFormMain::UpdateRunCommands() {
  const bool Free = HasSession() && !FRunning;
  for (QAction* A : {Run1, Reset1, Open1, Save1, Saveas1}) A->setEnabled(Free);
  Exit1->setEnabled(!FRunning);
  FReruns->btnSelectVar->setEnabled(!FRunning);
}

void TFormMain::Run1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  SetCurrentDir(TheSession->FileManager().ExecPath());
  CommitActiveEdit();
  StorePages();
  // What cannot work is said before any file is written.
  if (!RunCheckPasses(this, *TheSession)) return;

  TRunOutcome Outcome = TRunOutcome::NotStarted;
  {
    // The flag and the handlers are the run's only while it lasts.
    const TScopedValue<bool> Running(FRunning, true);
    UpdateRunCommands();
    PnlRun->show();
    ShowRunProgress();
    StatusBar->showMessage("Running the simulation...");
    const TScopedHandler<TRunWaiter> Waiter(SetRunWaiter, [this] { return RunWaiter(); });
    // A failed run, whichever way it failed, is told in one box.
    const TScopedHandler<TRunFailureHandler> Failure(SetRunFailureHandler, [this](const TRunFailure& F) {
      // A run stopped because the user closes the window needs no box.
      if (!(FCloseAfterRun && F.Outcome == TRunOutcome::Stopped)) ShowRunFailure(this, F);
    });
    // The wait is over: the window takes the focus back for the outcome.
    const TScopedHandler<TRunWaitEndedHandler> Ended(SetRunWaitEndedHandler, [this] {
      PnlRun->hide();
      StatusBar->clearMessage();
      activateWindow();
    });
    try {
      Outcome = RunSession();
    } catch (...) {
      // RunSession hands the errors it meets to the error handler itself;
      // what could still escape (running out of memory) ends this as a run
      // that was not started, and the window stays usable.
      Outcome = TRunOutcome::NotStarted;
    }
  }
  PnlRun->hide();
  UpdateRunCommands();

  switch (Outcome) {
    case TRunOutcome::Successful: StatusBar->showMessage("Simulation successful"); break;
    case TRunOutcome::Stopped:
      StatusBar->showMessage("The run was stopped before the model had finished; its files are kept in " +
                             LastRunFolder());
      break;
    case TRunOutcome::NotStarted: StatusBar->clearMessage(); break;
    default:
      StatusBar->showMessage(
          "The simulation failed; the log-file tells why (File, View log-file). Its files are "
          "kept in " +
          LastRunFolder());
      break;
  }
  if (FCloseAfterRun) QTimer::singleShot(0, this, &QWidget::close);
}

QString TFormMain::LastRunFolder() const {
  if (!TheSession) return {};
  const std::vector<TRunRecord> Runs = TRunHistory(TheSession->FileManager()).Runs();
  return Runs.empty() ? QString() : FromCore(Runs.back().Folder);
}

bool TFormMain::RunWaiter() {
  // The window keeps handling the user's input between two looks at the
  // run marker.
  QEventLoop Loop;
  QTimer::singleShot(40, &Loop, &QEventLoop::quit);
  Loop.exec();
  ShowRunProgress();
  return true;
}

void TFormMain::ShowRunProgress() {
  const TRunProgress P = RunProgress();
  const int S = static_cast<int>(P.Seconds);
  LblRunTime->setText(QString("Running the model: %1:%2").arg(S / 60).arg(S % 60, 2, 10, QChar('0')));
  const QString Line = FromCore(P.LastLogLine);
  LblRunLog->setText(LblRunLog->fontMetrics().elidedText(Line, Qt::ElideRight, LblRunLog->width()));
  LblRunLog->setToolTip(Line);
  // While the model runs, only stopping it ends the wait.
  BtnStopWaiting->setEnabled(!P.ModelRunning);
}

void TFormMain::StopWaitingClick() {
  if (FRunning) StopWaitingForRun();
}

void TFormMain::StopRunClick() {
  if (FRunning) StopModelRun();
}
