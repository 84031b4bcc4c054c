// The run-script interpreter, run as the program runs it: a separate process
// with standard input from /dev/null.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace {
const std::string Krlcmd = std::string(KRL_BUILD_DIR) + "/bin/krlcmd";

struct TResult {
  int Exit;
  std::string Out;
};

// Runs krlcmd on Script with stdin from /dev/null; captures stdout+stderr.
TResult RunKrlcmd(const TTempDir& T, const std::string& Script) {
  const std::string Bat = T.Write("run.bat", Script);
  const std::string Out = T / "krlcmd.out";
  const pid_t Pid = fork();
  if (Pid == 0) {
    freopen("/dev/null", "r", stdin);
    freopen(Out.c_str(), "w", stdout);
    dup2(fileno(stdout), 2);
    execl(Krlcmd.c_str(), Krlcmd.c_str(), Bat.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int Status = 0;
  waitpid(Pid, &Status, 0);
  return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, ReadFileBytes(Out)};
}

std::string Crlf(const std::vector<std::string>& Lines) {
  std::string S;
  for (const auto& L : Lines) S += L + "\r\n";
  return S;
}
}  // namespace

TEST(Krlcmd, RunsTheScriptWithoutAShell) {
  TTempDir T;
  // Every character a shell would act on, in the directory names.
  const std::string Home = "odd dir \"q\" $HOME ; `x` 'y'/";
  T.MakeDir(Home + "bin");
  T.MakeDir(Home + "runio");
  const std::string Prog =
      T.Write(Home + "bin/model.exe", "#!/bin/sh\necho \"model ran in $(pwd)\"\necho \"ERROR none\" >&2\n");
  chmod(Prog.c_str(), 0755);
  T.Write(Home + "runio/krl$$$.tmp", "marker");
  const std::string Bin = T.Path() + Home + "bin/";
  const TResult R =
      RunKrlcmd(T, Crlf({"@echo off", "echo " + std::string(72, '*'), "echo Running. Please wait... ",
                         "echo:", "", "cd " + Bin, "MODEL.EXE > \"..\\RUNIO\\KRL.LOG\"", "pause",
                         "del \"..\\RUNIO\\KRL$$$.TMP\"", "@echo off", "exit", "echo not reached"}));
  EXPECT_EQ(R.Exit, 0) << R.Out;
  EXPECT_NE(R.Out.find("Running. Please wait... \n\n"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("Press any key to continue"), std::string::npos);
  EXPECT_EQ(R.Out.find("not reached"), std::string::npos);
  // The model's standard output went to the log (found without regard to
  // case), its error output did not; the marker is gone.
  EXPECT_EQ(T.Read(Home + "runio/KRL.LOG"), "model ran in " + T.Path() + Home + "bin\n");
  EXPECT_FALSE(T.Exists(Home + "runio/krl$$$.tmp"));
}

TEST(Krlcmd, RefusesAnyOtherLineBeforeRunningAnything) {
  TTempDir T;
  T.Write("keep.tmp", "x");
  // A program is a bare name found in the script's current directory.
  for (const std::string Bad :
       {"rm -rf /", "echo", "del keep.tmp", "cd", "MODEL.EXE > LOG", "start x.exe",
        "model.exe > \"log\" & evil", "@echo on", "/bin/sh > \"LOG\"", "..\\bin\\model.exe > \"LOG\"",
        "bin/model.exe > \"LOG\"", "C:MODEL.EXE > \"LOG\"", ".. > \"LOG\""}) {
    const TResult R = RunKrlcmd(T, Crlf({"@echo off", "del \"" + T.Path() + "keep.tmp\"", Bad}));
    EXPECT_EQ(R.Exit, 3) << Bad;
    EXPECT_NE(R.Out.find("line 3: refused"), std::string::npos) << R.Out;
    EXPECT_NE(R.Out.find(Bad), std::string::npos) << R.Out;
    EXPECT_TRUE(T.Exists("keep.tmp")) << Bad;
  }
}

TEST(Krlcmd, MissingProgramOrDirectoryIsReportedAndTheScriptGoesOn) {
  TTempDir T;
  T.Write("m.tmp", "x");
  const TResult R = RunKrlcmd(T, Crlf({"@echo off", "cd " + T.Path() + "nowhere", "cd " + T.Path(),
                                       "NONE.EXE > \"x.log\"", "pause", "del \"M.TMP\"", "exit"}));
  EXPECT_EQ(R.Exit, 0);
  EXPECT_NE(R.Out.find("cannot find the path"), std::string::npos) << R.Out;
  EXPECT_NE(R.Out.find("NONE.EXE"), std::string::npos) << R.Out;
  EXPECT_FALSE(T.Exists("m.tmp"));
}

// Lines that end in a carriage return alone would read as one line: the
// script is refused before anything runs.
TEST(Krlcmd, RefusesAScriptWithCarriageReturnLineEnds) {
  TTempDir T;
  T.Write("keep.tmp", "x");
  const TResult R = RunKrlcmd(T, "@echo off\rdel \"" + T.Path() + "keep.tmp\"\rexit\r");
  EXPECT_EQ(R.Exit, 3) << R.Out;
  EXPECT_NE(R.Out.find("line 1: refused"), std::string::npos) << R.Out;
  EXPECT_TRUE(T.Exists("keep.tmp"));
}

// A name with a quote or a control character inside could end a quoted name
// early or hide a second command: the script is refused as a whole.
TEST(Krlcmd, RefusesControlCharactersAndQuotesInsideNames) {
  TTempDir T;
  T.Write("keep.tmp", "x");
  for (const std::string& Bad : {std::string("cd a\tb"), std::string("echo \x1b[2J"),
                                 std::string("del \"a\"b\""), std::string("MODEL.EXE > \"lo\"g\"")}) {
    SCOPED_TRACE(Bad);
    const TResult R = RunKrlcmd(T, Crlf({"@echo off", "del \"" + T.Path() + "keep.tmp\"", Bad}));
    EXPECT_EQ(R.Exit, 3) << R.Out;
    EXPECT_NE(R.Out.find("line 3: refused"), std::string::npos) << R.Out;
    EXPECT_TRUE(T.Exists("keep.tmp"));
  }
}
