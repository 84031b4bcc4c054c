// Starting a program with its output in a log, as the batch interpreter runs
// the model line and a study starts the model.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "support/TestSupport.h"

TEST(StartWithLog, StartsTheProgramOfTheCurrentDirectoryWithItsOutputInTheLog) {
  TTempDir Dir;
  TCurrentDirGuard Cwd;
  Dir.Write("prog.exe", "#!/bin/sh\necho \"$0 $# $PWD\"\n");
  chmod((Dir / "prog.exe").c_str(), 0755);
  Dir.MakeDir("log");
  Dir.Write("log/run.log", "old text that goes\n");
  Dir.Write("plain.exe", "not a program\n");
  SetCurrentDir(Dir.Path());

  int Pid = 0;
  std::string Message;
  // The name in another letter case and the log's directory with a backslash,
  // as the script writes them.
  ASSERT_EQ(StartWithLog("PROG.EXE", "LOG\\RUN.LOG", Pid, Message), TLoggedStart::Started) << Message;
  int Status = 0;
  ASSERT_EQ(waitpid(Pid, &Status, 0), Pid);
  EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
  const std::string Here = Dir.Path().substr(0, Dir.Path().size() - 1);
  EXPECT_EQ(Dir.Read("log/run.log"), "./prog.exe 0 " + Here + "\n");

  struct TCase {
    const char* Program;
    const char* Log;
    TLoggedStart Expected;
    const char* MessageStart;
  };
  const TCase Cases[] = {
      {"none.exe", "log\\x.log", TLoggedStart::NoProgram, "'none.exe' is not recognized as a program."},
      {"prog.exe", "nodir\\x.log", TLoggedStart::NoLog, "The log 'nodir\\x.log' cannot be written: "},
      {"plain.exe", "log\\x.log", TLoggedStart::NotStarted, "'plain.exe' cannot be started: "},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Program);
    EXPECT_EQ(StartWithLog(C.Program, C.Log, Pid, Message), C.Expected);
    EXPECT_EQ(Message.rfind(C.MessageStart, 0), 0u) << Message;
    EXPECT_EQ(Pid, -1);
  }
}

// The wait for children answers once one of them has ended, reaping none.
TEST(WaitForChildEnd, AnswersWhetherOneOfTheChildrenHasEnded) {
  const pid_t Quick = fork();
  if (Quick == 0) _exit(0);
  const pid_t Slow = fork();
  if (Slow == 0) {
    pause();
    _exit(0);
  }
  EXPECT_TRUE(WaitForChildEnd({Slow, Quick}, 60000));
  EXPECT_EQ(waitpid(Quick, nullptr, WNOHANG), Quick);
  EXPECT_FALSE(WaitForChildEnd({Slow}, 50));
  kill(Slow, SIGKILL);
  EXPECT_TRUE(WaitForChildEnd({Slow}, 60000));
  EXPECT_EQ(waitpid(Slow, nullptr, 0), Slow);
}
