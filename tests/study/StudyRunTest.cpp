// Studies run through krlstudy as a user runs them: the results against the
// same sessions run one at a time, a row the model refuses, a refused
// table, and a study killed midway and run again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <thread>

#include "StudyHome.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "foundations/Errors.h"
#include "output/OutSum.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvhyd.h"
#include "session/Kvses.h"
#include "study/StudyTable.h"

namespace {
// 2 crops x 2 soils x 5 sowing days x 2 initial water contents.
const std::vector<std::string> FortyRows = {"CRFILE=WWHEAT.CRP,SBARLEY.CRP", "SOFILE=LOAM.SOL,SAND.SOL",
                                            "IDSOW=80:120:10", "WAV=10,30"};

std::string ExpandToFile(const TStudyHome& Home, const std::vector<std::string>& Args,
                         const std::string& Name) {
  std::vector<std::string> A = {"expand"};
  A.insert(A.end(), Args.begin(), Args.end());
  std::string Table;
  EXPECT_EQ(Home.Krlstudy(A, Table), 0) << Table;
  return Home.Write(Name, Table);
}

// The rows of results.csv by row number: each row's lines in order.
std::map<std::string, std::vector<std::vector<std::string>>> ResultsByRow(const std::string& Text) {
  std::map<std::string, std::vector<std::vector<std::string>>> R;
  const auto Rows = CsvRows(Text);
  for (size_t i = 1; i < Rows.size(); ++i) R[Rows[i][0]].push_back(Rows[i]);
  return R;
}

size_t Column(const std::string& Results, const std::string& Name) {
  const auto Head = CsvRows(Results.substr(0, Results.find('\n') + 1))[0];
  return static_cast<size_t>(std::find(Head.begin(), Head.end(), Name) - Head.begin());
}

std::string Trim(const std::string& S) {
  const size_t B = S.find_first_not_of(' ');
  return B == std::string::npos ? "" : S.substr(B);
}
}  // namespace

TEST(StudyRun, FortyRowsOnTwoWorkersEqualTheSameSessionsRunOneAtATime) {
  TStudyHome Home;
  const std::string Table = ExpandToFile(Home, FortyRows, "forty.csv");
  std::string Out;
  ASSERT_EQ(Home.Krlstudy({"run", Table, "-j", "2", "--out", Home.Root() + "study"}, Out), 0) << Out;
  const std::string Results = ReadFileBytes(Home.Root() + "study/results.csv");
  const auto ByRow = ResultsByRow(Results);
  ASSERT_EQ(ByRow.size(), 40u);
  const std::string Status = ReadFileBytes(Home.Root() + "study/status.csv");
  EXPECT_EQ(CsvRows(Status).size(), 41u);
  EXPECT_EQ(Status.find(",failed,"), std::string::npos);
  // The spreadsheet, read back by an independent reader (openpyxl of the
  // system's Python, when it is installed): the same cells, numbers as
  // numbers.
  const auto All = CsvRows(Results);
  for (const char* Python : {"/usr/bin/python3", "python3"}) {
    std::string Sheet;
    if (RunProgram({Python, "-c",
                    "import openpyxl, sys\n"
                    "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                    "print(ws.max_row, ws.max_column, ws.cell(2, 3).value, repr(ws.cell(2, 11).value))",
                    Home.Root() + "study/results.xlsx"},
                   Sheet, true) != 0)
      continue;
    EXPECT_EQ(Sheet, std::to_string(All.size()) + " " + std::to_string(All[0].size()) + " " + All[1][2] +
                         " " + All[1][10] + "\n");
    break;
  }

  // Each row again, alone, through the window's run of the working session.
  LoadVarCatalogue(Home.Bin() + "KRL_VAR.csv");
  SetShellWindowless(true);
  const TStudyTable T = ReadStudyTable(Table);
  const size_t Yield = Column(Results, "pot_yield"), WlYield = Column(Results, "wl_yield"),
               WlLai = Column(Results, "wl_max_lai"), Year = Column(Results, "year");
  for (size_t r = 0; r < T.Rows.size(); ++r) {
    SCOPED_TRACE("row " + std::to_string(r + 1));
    TKvSession S;
    TheSession = &S;
    S.Reset();
    S.Read(S.FileManager().KRLWerkFullName());
    if (CropList.Empty()) BuildDataCatalogue(S.FileManager());
    const auto Entry = [](const TMenuList& L, const std::string& File) {
      for (const auto& I : L)
        if (I.Obj->FileName == File) return I.Obj.get();
      return static_cast<TKorMenuItem*>(nullptr);
    };
    S.Crop().SetCropFile(T.Rows[r].Values[0]);
    S.Crop().SetCropDescription(Entry(CropList, T.Rows[r].Values[0])->Description);
    S.Soil().SetSoilFile(T.Rows[r].Values[1]);
    S.Soil().SetSoilDescription(Entry(SoilList, T.Rows[r].Values[1])->Description);
    S.SetMinMaxSMLIM();
    S.Crop().SetFixedSowingDate(std::stoi(T.Rows[r].Values[2]));
    S.Hydrology().SetInitialAvailableSoilWater(std::stold(T.Rows[r].Values[3]));
    {
      TScriptedMessages Boxes;
      Boxes.Expect(TMsgKind::Information, "Simulation successful");
      ASSERT_EQ(RunSession(), TRunOutcome::Successful);
    }
    TSummaryOutput Alone;
    Alone.ReadRunsPotential(S.FileManager().OutFullName());
    Alone.ReadRunsWater(S.FileManager().OutFullName());
    ASSERT_EQ(Alone.PotentialOutputList.Count(), 1);
    const auto& Pot = Alone.PotentialOutputList.Objects(0)->Years;
    const auto& Wat = Alone.WaterLimitedOutputList.Objects(0)->Years;
    const auto& Lines = ByRow.at(std::to_string(r + 1));
    ASSERT_EQ(Lines.size(), static_cast<size_t>(Pot.Count()));
    for (int y = 0; y < Pot.Count(); ++y) {
      EXPECT_EQ(Lines[y][Year], Trim(Pot.Objects(y)->Value(1).Str()));
      EXPECT_EQ(Lines[y][Yield], Trim(Pot.Objects(y)->Value(14).Str()));
      EXPECT_EQ(Lines[y][WlYield], Trim(Wat.Objects(y)->Value(9).Str()));
      EXPECT_EQ(Lines[y][WlLai], Trim(Wat.Objects(y)->Value(11).Str()));
    }
    TheSession = nullptr;
  }
  FreeDataCatalogue();
  FreeVarCatalogue();
}

TEST(StudyRun, ARowTheModelRefusesFailsAndTheOthersGoOn) {
  TStudyHome Home;
  // Both temperatures lie within the catalogue's ranges; the model refuses
  // a maximum effective temperature below the base temperature.
  const std::string Table =
      Home.Write("mixed.csv", "ID,TBASE,TEFFMX,IDSOW\ngood1,0,30,80\nbad,12,10,90\ngood2,0,30,100\n");
  std::string Out;
  EXPECT_EQ(Home.Krlstudy({"run", Table, "--out", Home.Root() + "mixed"}, Out), 1) << Out;
  const auto Status = CsvRows(ReadFileBytes(Home.Root() + "mixed/status.csv"));
  ASSERT_EQ(Status.size(), 4u);
  EXPECT_EQ(Status[0], (std::vector<std::string>{"row", "ID", "TBASE", "TEFFMX", "IDSOW", "status", "seconds",
                                                 "error"}));
  EXPECT_EQ(Status[1][5], "ok");
  EXPECT_EQ((std::vector<std::string>(Status[2].begin(), Status[2].begin() + 6)),
            (std::vector<std::string>{"2", "bad", "12", "10", "90", "failed"}));
  EXPECT_EQ(Status[2][7].rfind("ERROR in file", 0), 0u) << Status[2][7];
  EXPECT_NE(Status[2][7].find("TEFFMX"), std::string::npos);
  EXPECT_EQ(Status[3][5], "ok");
  const auto Results = ResultsByRow(ReadFileBytes(Home.Root() + "mixed/results.csv"));
  EXPECT_EQ(Results.count("1"), 1u);
  EXPECT_EQ(Results.count("2"), 0u);
  EXPECT_EQ(Results.count("3"), 1u);
}

TEST(StudyRun, ABadTableIsRefusedAndNothingRuns) {
  TStudyHome Home;
  const std::string Table =
      Home.Write("bad.csv", "IDSOW,CRFILE\n80,WWHEAT.CRP\n400,WWHEAT.CRP\n90,NONE.CRP\n");
  std::string Out;
  EXPECT_EQ(Home.Krlstudy({"run", Table, "--out", Home.Root() + "bad"}, Out), 2);
  EXPECT_NE(Out.find("row 2, column IDSOW: allowed range 1 to 366 (value 400)"), std::string::npos) << Out;
  EXPECT_NE(Out.find("row 3, column CRFILE: no crop file NONE.CRP"), std::string::npos) << Out;
  EXPECT_FALSE(std::filesystem::exists(Home.Root() + "bad"));
  EXPECT_FALSE(std::filesystem::exists(Home.Root() + "runio/RUN.BAT"));
}

TEST(StudyRun, AStudyKilledMidwayIsResumedWithoutRunningARowTwice) {
  TStudyHome Home;
  const std::string Table = ExpandToFile(Home, FortyRows, "forty.csv");
  const std::string Dir = Home.Root() + "killed/";
  const std::string Program = Home.Bin() + "krlstudy";
  // Each model a little slower than the real one, so that the kill comes
  // while rows are left however fast the machine runs them.
  std::filesystem::rename(Home.Bin() + "korval.exe", Home.Bin() + "korval.real");
  Home.Write("bin/korval.exe", "#!/bin/sh\nsleep 0.05\nexec " + Home.Bin() + "korval.real\n");
  std::filesystem::permissions(Home.Bin() + "korval.exe", std::filesystem::perms::owner_all);
  const pid_t Pid = fork();
  if (Pid == 0) {
    setpgid(0, 0);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(Program.c_str(), "krlstudy", "run", Table.c_str(), "-j", "2", "--out", Dir.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  setpgid(Pid, Pid);
  // Killed, with its workers and models, once a few rows are done.
  for (int i = 0; i < 6000; ++i) {
    std::string Journal;
    if (std::filesystem::exists(Dir + "journal.log")) Journal = ReadFileBytes(Dir + "journal.log");
    if (std::count(Journal.begin(), Journal.end(), '\n') >= 5) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(-Pid, SIGKILL);
  waitpid(Pid, nullptr, 0);
  std::string Out;
  EXPECT_EQ(Home.Krlstudy({"status", Dir}, Out), 1) << Out;
  EXPECT_EQ(Out.find("not run 0"), std::string::npos) << Out;

  ASSERT_EQ(Home.Krlstudy({"run", Table, "-j", "2", "--out", Dir}, Out), 0) << Out;
  // Every row ran to its end exactly once over both runs.
  const auto Journal = CsvRows(ReadFileBytes(Dir + "journal.log"));
  std::map<std::string, int> Ended;
  for (const auto& L : Journal) {
    const std::string Line = L[0];
    ++Ended[Line.substr(0, Line.find('\t'))];
    EXPECT_NE(Line.find("\tok\t"), std::string::npos) << Line;
  }
  EXPECT_EQ(Ended.size(), 40u);
  for (const auto& [Row, Times] : Ended) EXPECT_EQ(Times, 1) << "row " << Row;

  // The same bytes as a run that was never interrupted.
  ASSERT_EQ(Home.Krlstudy({"run", Table, "-j", "2", "--out", Home.Root() + "whole"}, Out), 0) << Out;
  EXPECT_EQ(ReadFileBytes(Dir + "results.csv"), ReadFileBytes(Home.Root() + "whole/results.csv"));
}

TEST(StudyRun, AModelThatHangsIsEndedAtTheTimeOutAndItsRowFails) {
  TStudyHome Home;
  // A model that never ends, named so that no other test's process is taken for it.
  const std::string Sleep = "sleep 600." + std::to_string(getpid());
  std::filesystem::remove(Home.Bin() + "korval.exe");
  Home.Write("bin/korval.exe", "#!/bin/sh\nexec " + Sleep + "\n");
  std::filesystem::permissions(Home.Bin() + "korval.exe", std::filesystem::perms::owner_all);
  const std::string Table = Home.Write("hang.csv", "IDSOW\n80\n90\n");
  std::string Out;
  EXPECT_EQ(Home.Krlstudy({"run", Table, "-j", "2", "--timeout", "1", "--out", Home.Root() + "hang"}, Out), 1)
      << Out;
  const auto Status = CsvRows(ReadFileBytes(Home.Root() + "hang/status.csv"));
  ASSERT_EQ(Status.size(), 3u);
  for (size_t r = 1; r < 3; ++r) {
    EXPECT_EQ(Status[r][3], "failed");
    EXPECT_EQ(Status[r][5], "time-out: the row ran longer than 1 s");
  }
  // No model is left behind.
  std::string Ps;
  RunProgram({"pgrep", "-f", Sleep}, Ps);
  EXPECT_EQ(Ps, "");
}

TEST(StudyRun, CtrlCEndsTheStudyWithItsWorkersAndTheirModels) {
  TStudyHome Home;
  // A model that never ends, named so that no other test's process is taken for it.
  const std::string Sleep = "sleep 601." + std::to_string(getpid());
  std::filesystem::remove(Home.Bin() + "korval.exe");
  Home.Write("bin/korval.exe", "#!/bin/sh\nexec " + Sleep + "\n");
  std::filesystem::permissions(Home.Bin() + "korval.exe", std::filesystem::perms::owner_all);
  const std::string Table = Home.Write("hang.csv", "IDSOW\n80\n90\n100\n");
  const std::string Dir = Home.Root() + "stopped/";
  const std::string Program = Home.Bin() + "krlstudy";
  const pid_t Pid = fork();
  if (Pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(Program.c_str(), "krlstudy", "run", Table.c_str(), "-j", "2", "--out", Dir.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto Count = [](const std::string& Pattern) {
    std::string Ps;
    RunProgram({"pgrep", "-f", Pattern}, Ps);
    return std::count(Ps.begin(), Ps.end(), '\n');
  };
  for (int i = 0; i < 2000 && Count(Sleep) < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(Count(Sleep), 2);
  // The interrupt reaches krlstudy alone, as kill -INT sends it.
  kill(Pid, SIGINT);
  int Status = 0;
  ASSERT_EQ(waitpid(Pid, &Status, 0), Pid);
  EXPECT_TRUE(WIFSIGNALED(Status) && WTERMSIG(Status) == SIGINT) << Status;
  EXPECT_EQ(Count(Sleep), 0);
  EXPECT_EQ(Count("krlstudy worker " + Dir), 0);
  // Nothing ran to its end; running the same command again would run every row.
  std::string Out;
  EXPECT_EQ(Home.Krlstudy({"status", Dir}, Out), 1);
  EXPECT_NE(Out.find("ok 0, failed 0, not run 3, running 0"), std::string::npos) << Out;
}

// The state read from the start of a row's file is the state of its whole
// outcome, also for errors quoted over several lines or longer than the
// start, and for files that are no outcome.
TEST(StudyRun, ARowsStateFromItsFirstLineIsItsOutcomesState) {
  TTempDir Dir;
  const TStudy Study(Dir.Path());
  std::filesystem::create_directories(Study.Dir() + "rows");
  const std::string Long(5000, 'x');
  const std::vector<std::string> Files = {
      "ok,0.120,\n1,1987,7100\n",
      "failed,0.050,the model stopped\n",
      "failed,0.050,\"two\nlines, and a comma\"\n",
      "ok,0.120,\"" + Long + "\"\n1,1987,7100\n",
      "failed,1.000," + Long + "\n",
      "ok,0.1\n",
      "",
      "\n",
      "ok,0.120,",
  };
  for (size_t r = 0; r < Files.size(); ++r) WriteFileBytes(Study.RowFile(r), Files[r]);
  for (size_t r = 0; r <= Files.size(); ++r) {  // the last one has no file
    SCOPED_TRACE("file " + std::to_string(r));
    EXPECT_EQ(Study.LoadState(r), Study.LoadOutcome(r).State);
  }
  EXPECT_EQ(Study.LoadState(0), TRowState::Ok);
  EXPECT_EQ(Study.LoadState(2), TRowState::Failed);
  EXPECT_EQ(Study.LoadState(5), TRowState::NotRun);
}

// Finished rows are put in place in groups: every file of a group is written
// before the first is renamed, so a file that cannot be written leaves every
// file of the group as it was, and no temporary behind.
TEST(StudyFiles, AGroupThatCannotBeWrittenLeavesEveryFileAsItWas) {
  TTempDir D;
  D.Write("a", "old a");
  D.Write("b", "old b");
  EXPECT_THROW(WriteFilesAtomically({{D / "a", "new a"}, {D / "b", "new b"}, {D / "none/c", "c"}}),
               EInOutError);
  EXPECT_EQ(D.Read("a"), "old a");
  EXPECT_EQ(D.Read("b"), "old b");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(D.Path()), {}), 2);
  WriteFilesAtomically({{D / "a", "new a"}, {D / "b", "new b"}});
  EXPECT_EQ(D.Read("a"), "new a");
  EXPECT_EQ(D.Read("b"), "new b");
}
