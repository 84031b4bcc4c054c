// A whole run as the user starts it: a fresh program home with the sample
// data, the session written, run.bat run by krlcmd (without a terminal
// window), the bundled model, the marker gone, the outcome reported.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"
#include "session/RunHistory.h"
#include "support/SampleHome.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;

namespace {
class TRunHome : public ::testing::Test {
 protected:
  void SetUp() override {
    // The program home, in a directory whose name a shell would act on: the
    // sample data, and the programs beside DIRECT.INI.
    Dir.MakeDir(Home);
    LaySampleHome(Dir / Home);
    SetShellWindowless(true);
    ASSERT_TRUE(LoadVarCatalogue(Dir / (Home + "bin/KRL_VAR.csv")));
    Session = std::make_unique<TKvSession>();
    TheSession = Session.get();
    Session->Reset();
    BuildDataCatalogue();
    ChooseSampleSession(*Session);
  }
  void TearDown() override {
    TheSession = nullptr;
    Session.reset();
    FreeDataCatalogue();
    FreeVarCatalogue();
    SetShellWindowless(false);
    SetExecPath("");
  }

  bool Exists(const std::string& Rel) const { return Dir.Exists(Home + Rel); }

  const std::string Home = "home with \"quotes\" $HOME ; `x` 'y'/";
  TTempDir Dir;
  TCurrentDirGuard Cwd;
  TScriptedMessages Boxes;
  std::unique_ptr<TKvSession> Session;
};
}  // namespace

TEST_F(TRunHome, ASessionRunsToResults) {
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  EXPECT_EQ(RunSession(), TRunOutcome::Successful);
  EXPECT_FALSE(Exists("runio/KRL$$$.TMP"));
  EXPECT_TRUE(Session->FileManager().DetailedOutputAvailable());
  EXPECT_TRUE(Session->FileManager().SummaryOutputAvailable());
  const std::string Log = Dir.Read(Home + "runio/KRL.LOG");
  EXPECT_NE(Log.find("Simulation finished."), std::string::npos) << Log;
  EXPECT_EQ(Log.find("ERROR"), std::string::npos);
  EXPECT_FALSE(RunInProgress());
}

TEST_F(TRunHome, AModelErrorShowsTheLogAndRemovesTheOutput) {
  // The second rerun starts in a year without weather: the model stops
  // after the first and reports the error.
  TKvRerun& R = Session->Rerun();
  R.SetUseReRuns(true);
  R.AddRerun();
  ASSERT_TRUE(R.AddRerunVar(1, "ISYR=1960"));
  Boxes.Expect(TMsgKind::Error, "Simulation failed.");
  Boxes.Expect(TMsgKind::Information);
  EXPECT_EQ(RunSession(), TRunOutcome::ModelError);
  const std::string Shown = Boxes.Shown().back().Text;
  EXPECT_EQ(Shown.rfind("ERROR", 0), 0u) << Shown;
  EXPECT_NE(Shown.find("NLD1.960"), std::string::npos) << Shown;
  EXPECT_NE(Shown.find("(See also ..\\RUNIO\\KRL.LOG)"), std::string::npos) << Shown;
  EXPECT_EQ(Shown.find("Press"), std::string::npos) << Shown;
  EXPECT_FALSE(Session->FileManager().DetailedOutputAvailable());
  EXPECT_FALSE(Exists("runio/KRL$$$.TMP"));
  // The working output goes, as a failed run's must; the run's own record
  // keeps the seasons finished before the error, and the box says where.
  const TRunHistory History(Session->FileManager());
  const std::vector<TRunRecord> Runs = History.Runs();
  ASSERT_EQ(Runs.size(), 1u);
  EXPECT_EQ(Runs[0].Outcome, "model error");
  EXPECT_NE(Shown.find("kept in " + Runs[0].Folder), std::string::npos) << Shown;
  EXPECT_GT(fs::file_size(Runs[0].Folder + "KRL.OUT"), 0u);
  EXPECT_TRUE(fs::exists(Runs[0].Folder + "KRL.LOG"));
  EXPECT_TRUE(fs::exists(Runs[0].Folder + "KRLTI.TIM"));
}

// Every run is kept in a folder of its own; beyond the limit the oldest go,
// never the latest successful one.
TEST_F(TRunHome, RunsAreKeptWithinTheirLimit) {
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  ASSERT_EQ(RunSession(), TRunOutcome::Successful);
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  ASSERT_EQ(RunSession(), TRunOutcome::Successful);
  TRunHistory History(Session->FileManager());
  std::vector<TRunRecord> Runs = History.Runs();
  ASSERT_EQ(Runs.size(), 2u);
  EXPECT_EQ(Runs[0].Number, 1);
  EXPECT_EQ(Runs[1].Outcome, "successful");
  EXPECT_EQ(fs::file_size(Runs[1].Folder + "KRL.OUT"), fs::file_size(Dir / (Home + "output/KRL.OUT")));
  History.Prune(1);
  Runs = History.Runs();
  ASSERT_EQ(Runs.size(), 1u);
  EXPECT_EQ(Runs[0].Number, 2);
}

TEST_F(TRunHome, NoDetailedOutputOffersTheLog) {
  // A session the model refuses before it simulates anything: no output.
  Session->Weather().SetStationFile("NONE.");
  std::string Viewed;
  auto Old = SetShowLogHandler([&](const std::string& Name) { Viewed = Name; });
  Boxes.Expect(TMsgKind::Confirmation, "Simulation failed.\r\nShow log-file?", TMsgResult::Yes);
  EXPECT_EQ(RunSession(), TRunOutcome::NoOutput);
  EXPECT_EQ(Viewed, "..\\RUNIO\\KRL.LOG");
  SetShowLogHandler(Old);
}

TEST_F(TRunHome, AMissingModelStopsTheRunBeforeTheScript) {
  fs::remove(Dir / (Home + "bin/korval.exe"));
  Boxes.Expect(TMsgKind::Error, "'KORVAL.EXE' not found!");
  EXPECT_EQ(RunSession(), TRunOutcome::NotStarted);
  EXPECT_FALSE(Exists("runio/RUN.BAT"));
}

// Without its directory settings the program would write the session into
// its own directory while the model read the old one: it runs nothing.
TEST_F(TRunHome, NoRunWithoutTheDirectorySettings) {
  fs::remove(Dir / (Home + "bin/DIRECT.INI"));
  Boxes.Expect(TMsgKind::Error, "File not found " + Dir / (Home + "bin/DIRECT.INI."));
  TheSession = nullptr;
  Session = std::make_unique<TKvSession>();
  TheSession = Session.get();
  Boxes.Expect(TMsgKind::Error, Session->FileManager().MissingSettingsText());
  EXPECT_EQ(RunSession(), TRunOutcome::NotStarted);
  EXPECT_FALSE(Exists("bin/RUNOPT.DAT"));
  EXPECT_FALSE(Exists("bin/RUN.BAT"));
}

// A run directory that has gone: the run names it and says what to do,
// instead of failing on its first file.
TEST_F(TRunHome, AMissingRunDirectoryIsNamed) {
  fs::remove_all(Dir / (Home + "runio"));
  InvalidateDirCache();
  Boxes.Expect(TMsgKind::Error);
  EXPECT_EQ(RunSession(), TRunOutcome::NotStarted);
  const std::string Text = Boxes.Shown().back().Text;
  EXPECT_EQ(Text.rfind("The directory ..\\runio\\ (", 0), 0u) << Text;
  EXPECT_NE(Text.find("set RUNDIR in"), std::string::npos) << Text;
}

// A program home too deep for the run script's directory: the run is refused
// before it starts, and no marker of a running model is left behind.
TEST_F(TRunHome, AHomeTooDeepToRunLeavesNoMarker) {
  const std::string Deep = std::string(130, 'd') + "/" + std::string(130, 'e') + "/";
  Dir.MakeDir(Deep);
  LaySampleHome(Dir / Deep);
  SetCurrentDir(Dir / (Deep + "bin"));
  TheSession = nullptr;
  Session = std::make_unique<TKvSession>();
  TheSession = Session.get();
  Session->Reset();
  ChooseSampleSession(*Session);
  Boxes.Expect(TMsgKind::Error);
  EXPECT_EQ(RunSession(), TRunOutcome::NotStarted);
  EXPECT_NE(Boxes.Shown().back().Text.find("too long"), std::string::npos) << Boxes.Shown().back().Text;
  EXPECT_FALSE(Dir.Exists(Deep + "runio/KRL$$$.TMP"));
}
