// The wait for a run as a window drives it: the progress it reports (time,
// the log's latest line, whether the model runs), stopping the wait and
// stopping the run, and what each leaves for the judgement of the outcome.
// The "script" is a shell whose child plays the model.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <functional>

#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "support/TestSupport.h"

namespace {
class TRunWait : public ::testing::Test {
 protected:
  TProgramHome Home;
  TKvFileManager Fm;
  TScriptedMessages Boxes;

  // Starts Command as the run's script; answers its process.
  int StartScript(const std::string& Command) {
    int Pid = 0;
    EXPECT_GT(SpawnDetached({"/bin/sh", "-c", Command}, "", true, &Pid), 32);
    return Pid;
  }
  // Waits with a waiter that calls Act with the progress once the model has
  // been seen in the state Running and the log line has been read; gives up
  // after five seconds.
  bool WaitAndAct(int Pid, bool Running, const std::function<void()>& Act) {
    int Calls = 0;
    bool Acted = false;
    auto Old = SetRunWaiter([&] {
      usleep(10 * 1000);
      const TRunProgress P = RunProgress();
      if (!Acted && P.ModelRunning == Running && !P.LastLogLine.empty()) {
        Seen = P;
        Acted = true;
        Act();
      }
      return ++Calls < 500;
    });
    const bool Ended = WaitForRunEnd(Fm, Pid);
    SetRunWaiter(Old);
    EXPECT_TRUE(Acted);
    return Ended;
  }
  bool Marker() const { return Home.Dir().Exists("runio/KRL$$$.TMP"); }
  TRunProgress Seen;
};
}  // namespace

TEST_F(TRunWait, StoppingARunningModelEndsItAndLeavesTheRunUnfinished) {
  Home.Dir().Write("runio/KRL.LOG", "Simulation started\r\nYear 1980 day 120   \r\n\r\n");
  Fm.MakeTempRunFile();
  const int Pid = StartScript("sleep 30; true");
  EXPECT_FALSE(WaitAndAct(Pid, true, StopModelRun));
  EXPECT_TRUE(Seen.ModelKnown);
  EXPECT_EQ(Seen.LastLogLine, "Year 1980 day 120");
  EXPECT_GT(Seen.Seconds, 0.0);
  EXPECT_FALSE(ProcessAlive(Pid));
  EXPECT_FALSE(RunProgress().ModelRunning);
  // The marker stays: the unfinished output is judged as a run that never
  // got to its end, not as a success.
  EXPECT_TRUE(Marker());
  Home.Dir().Write("output/KRL.OUT", "half");
  Boxes.Expect(TMsgKind::Confirmation, "Runtime error while running the simulaton.\r\nShow Log-file?",
               TMsgResult::No);
  EXPECT_EQ(DecideRunOutcome(Fm), TRunOutcome::RuntimeError);
  EXPECT_FALSE(Home.Dir().Exists("output/KRL.OUT"));
}

TEST_F(TRunWait, StoppingAfterTheModelHasFinishedKeepsItsOutput) {
  // The script waits for its key after the model: nothing runs below it.
  Home.Dir().Write("runio/KRL.LOG", "Simulation finished.\r\n");
  Home.Dir().Write("output/KRL.OUT", "out");
  Fm.MakeTempRunFile();
  const int Pid = StartScript("exec sleep 30");
  EXPECT_FALSE(WaitAndAct(Pid, false, StopModelRun));
  EXPECT_FALSE(ProcessAlive(Pid));
  EXPECT_FALSE(Marker());
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  EXPECT_EQ(DecideRunOutcome(Fm), TRunOutcome::Successful);
  EXPECT_TRUE(Home.Dir().Exists("output/KRL.OUT"));
}

TEST_F(TRunWait, AScriptThatEndsWhileTheModelRunsLeavesTheMarker) {
  // Its window closed mid-run: script and model go together.
  Home.Dir().Write("runio/KRL.LOG", "Simulation started\r\n");
  Fm.MakeTempRunFile();
  const int Pid = StartScript("sleep 30; true");
  EXPECT_FALSE(WaitAndAct(Pid, true, [&] {
    kill(-getpgid(Pid), SIGKILL);
    while (ProcessAlive(Pid)) usleep(1000);
  }));
  EXPECT_TRUE(Marker());
}

TEST_F(TRunWait, StoppingTheWaitLeavesARunningModelAloneButUnjudgedAsSuccess) {
  Home.Dir().Write("runio/KRL.LOG", "Simulation started\r\n");
  Fm.MakeTempRunFile();
  const int Pid = StartScript("sleep 30; true");
  EXPECT_FALSE(WaitAndAct(Pid, true, StopWaitingForRun));
  EXPECT_TRUE(ProcessAlive(Pid));
  EXPECT_TRUE(Marker());
  kill(-getpgid(Pid), SIGKILL);
}

TEST_F(TRunWait, AKilledScriptLeavesTheRunToItsModel) {
  // Only the interpreter is ended: the model goes on in its group, and the
  // run ends when the model has ended, judged on what it left.
  Home.Dir().Write("runio/KRL.LOG", "Simulation started\r\n");
  Fm.MakeTempRunFile();
  const std::string Out = Home.Dir() / "output/KRL.OUT";
  const int Pid = StartScript("(sleep 0.5; echo out > '" + Out + "'; echo 'Simulation finished.' >> '" +
                              (Home.Dir() / "runio/KRL.LOG") + "') & wait");
  EXPECT_FALSE(WaitAndAct(Pid, true, [&] { kill(Pid, SIGKILL); }));
  EXPECT_TRUE(Home.Dir().Exists("output/KRL.OUT"));
  EXPECT_FALSE(Marker());
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  EXPECT_EQ(DecideRunOutcome(Fm), TRunOutcome::Successful);
}
