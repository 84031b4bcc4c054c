// Reading a session back: the round trip through the files, opening a saved
// session, the positional readers and what bad files give.

#include <filesystem>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "session/SessionFixture.h"

class ReadSession : public TSessionTest {
 protected:
  TKvRerun& Rerun() { return Session->Rerun(); }
  // A hand-made working file set; an empty text leaves that file out.
  void WriteWorkingFiles(const std::string& RunOpt, const std::string& Timer, const std::string& Site,
                         const std::string& Reruns) {
    for (const char* F : {"runio/RUNOPT.DAT", "runio/KRLTI.TIM", "runio/KRLSI.SIT", "runio/KRLRR.RER"})
      std::filesystem::remove(Dir() / F);
    if (!RunOpt.empty()) Dir().Write("runio/RUNOPT.DAT", RunOpt);
    if (!Timer.empty()) Dir().Write("runio/KRLTI.TIM", Timer);
    if (!Site.empty()) Dir().Write("runio/KRLSI.SIT", Site);
    if (!Reruns.empty()) Dir().Write("runio/KRLRR.RER", Reruns);
    InvalidateDirCache();
  }
  void ReadWorking() {
    Session->Reset();
    Session->Read(Session->FileManager().KRLWerkFullName());
  }
};

TEST_F(ReadSession, WriteResetReadWriteGivesTheSameFiles) {
  for (bool Option2 : {true, false}) {
    Session->Reset();
    FillSession(Option2);
    Session->WriteInputFiles();
    const std::vector<std::string> First = AllFiles();
    ReadWorking();
    EXPECT_TRUE(Rerun().UseReRuns());
    EXPECT_EQ(static_cast<double>(Session->Hydrology().InitialSurfaceStorage()), 1.5);
    EXPECT_NEAR(static_cast<double>(Session->Hydrology().MaximumMoisture()), 0.3, 1e-12);
    EXPECT_NEAR(static_cast<double>(Session->Hydrology().MinMaximumMoisture()), 0.1, 1e-12);
    EXPECT_EQ(Session->Crop().CropDescription(), "Spring barley, early");
    EXPECT_EQ(Rerun().RerunList.Count(), 2);
    Session->WriteInputFiles();
    const std::vector<std::string> Second = AllFiles();
    for (size_t i = 0; i < First.size(); ++i) EXPECT_EQ(First[i], Second[i]) << "option 2: " << Option2;
  }
  // The table value went over two lines and came back whole.
  EXPECT_EQ(Rerun().GetSelectedVar(1, 4)->Value().size(), 129u);
}

TEST_F(ReadSession, DefaultsComeBackAsWritten) {
  Session->WriteInputFiles();
  const std::vector<std::string> First = AllFiles();
  ReadWorking();
  EXPECT_FALSE(Rerun().UseReRuns());
  EXPECT_EQ(Session->Weather().RainfallYear(), -999);
  EXPECT_EQ(Session->Weather().RainfallStationFile(), "<none>");
  EXPECT_EQ(Session->Weather().RainfallStationDescription(), "<none>");
  Session->WriteInputFiles();
  EXPECT_EQ(AllFiles(), First);
}

TEST_F(ReadSession, OpeningASavedSessionReplacesTheWorkingFiles) {
  FillSession(false);
  Session->FileManager().SetKRLFullName("WHEAT");
  Session->WriteInputFiles();
  Session->FileManager().CopyInputFiles("KRL", "WHEAT");
  const std::string SavedTimer = RunFile("KRLTI.TIM");
  // The working files now hold another session.
  Session->Reset();
  Session->WriteInputFiles();
  Session->Reset();
  Session->Read(Session->FileManager().RunioPath() + "wheat.krl");
  EXPECT_EQ(Session->FileManager().KRLName(), "WHEAT");
  EXPECT_EQ(RunFile("KRLTI.TIM"), SavedTimer);
  EXPECT_EQ(Session->Weather().Year(), 1987);
  EXPECT_EQ(Session->Weather().NoOfRunsWithRandomizedRain(), 4);
  EXPECT_EQ(Session->Soil().SoilFile(), "CLAY.SOL");
  EXPECT_EQ(Rerun().GetSelectedVar(2, 2)->Value(), "4");
}

TEST_F(ReadSession, RunOptionsFileMissing) {
  Session->WriteInputFiles();
  std::filesystem::remove(Dir() / "runio/RUNOPT.DAT");
  InvalidateDirCache();
  Session->Reset();
  Msgs.Expect(TMsgKind::Error, "File not found: ..\\RUNIO\\RUNOPT.DAT");
  Session->Read("..\\runio\\WHEAT.krl");
  EXPECT_EQ(Session->FileManager().KRLName(), "KRL");
}

TEST_F(ReadSession, WorkingTimerMissingEndsSilentlyWithTheNewName) {
  Session->General().SetProductionLevels(3);
  Session->WriteInputFiles();
  std::filesystem::remove(Dir() / "runio/KRLTI.TIM");
  InvalidateDirCache();
  Session->Reset();
  Session->Read("..\\runio\\WHEAT.krl");
  EXPECT_EQ(Session->FileManager().KRLName(), "WHEAT");
  EXPECT_EQ(Session->General().ProductionLevels(), 2);
}

TEST_F(ReadSession, SavedTimerMissingIsReportedAndTheOthersAreRead) {
  FillSession(false);
  Session->WriteInputFiles();
  Session->FileManager().CopyInputFiles("KRL", "WHEAT");
  std::filesystem::remove(Dir() / "runio/WHEATti.tim");
  InvalidateDirCache();
  Session->Reset();
  Msgs.Expect(TMsgKind::Information, "File not found: ..\\runio\\\\WHEATti.tim");
  Session->Read("..\\runio\\WHEAT.krl");
  EXPECT_EQ(Session->Weather().Year(), 1980);
  EXPECT_EQ(Session->Soil().SoilFile(), "CLAY.SOL");
  EXPECT_EQ(Rerun().RerunList.Count(), 2);
}

TEST_F(ReadSession, TimerValues) {
  const std::string RunOpt = "IOPT2  = 2\r\nIPRODL = 1\r\nIOXWL  = 1\r\n";
  const std::string Site = "SOFILE = 'X.SOL'\r\n";
  struct {
    const char *Prdel, *Isyr;
    int Interval, Year;
  } Cases[] = {{"2.5", "1980", 2, 1980},
               {"3.5", "abc", 4, 0},
               {"4", "1e3", 4, 0},
               {"x", "", 0, 0},
               {"1e30", "99999999999", 0, 0}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::string("PRDEL ") + C.Prdel + ", ISYR " + C.Isyr);
    WriteWorkingFiles(RunOpt, CrLf(R"(** header
RUNNAM  = 'X'
IWEATH  = 2
CLFILE  = 'NLD1.'
ISYR    = )") + C.Isyr + CrLf(R"(
INYEAR  = 2
IRNDAT  = 1
RAFILE  = '<none>'
ISYRR   = -999
INYRG   = 6
CRFILE  = 'A.CAB'
ISTCHO  = 0
IDEM    = 1
IDSOW   = 1
IDESOW  = 1
IDLSOW  = 1
IENCHO  = 1
IDAYEN  = 1
IDURMX  = 1
IBAL    = 0
PRDEL   = )") + C.Prdel + CrLf(R"(
CRPNAM  = 'Spring barley, early'
SOLNAM  = ''
CLMNAM  = 'North'
RAINAM  = '<none>'
ISDAY   = 7)"),
                      Site, "");
    Msgs.Expect(TMsgKind::Information, "File not found: ..\\runio\\\\KRLrr.rer");
    ReadWorking();
    EXPECT_EQ(Session->General().OutputInterval(), C.Interval);
    EXPECT_EQ(Session->Weather().Year(), C.Year);
    EXPECT_EQ(Session->Weather().NoOfRunsWithRandomizedRain(), 6);
    EXPECT_EQ(Session->Weather().RainfallYear(), -999);
    EXPECT_EQ(Session->Crop().CropDescription(), "Spring barley, early");
    EXPECT_EQ(Session->General().WaterbalanceStartDay(), 7);  // last line without a line break
    EXPECT_EQ(Session->General().ProductionLevels(), 1);
    EXPECT_EQ(Rerun().StartStopOptions(), 2);
    EXPECT_FALSE(Rerun().UseReRuns());
  }
}

TEST_F(ReadSession, RerunLines) {
  struct {
    const char* File;
    std::vector<std::vector<std::string>> Expected;  // name=value per rerun
  } Cases[] = {
      {"** header\r\nRUNNAM='A';\r\nIDEM=100 \r\nRUNNAM='B';\r\nCLMNAM='Station north, "
       "daily';\r\nIDEM=110\r\n\r\n",
       {{"RUNNAM=A", "IDEM=100"}, {"RUNNAM=B", "IDEM=110"}}},
      {"RUNNAM='A'; IDEM=100\r\nRUNNAM='B'; IDEM=110", {{"RUNNAM=A", "IDEM=100"}, {"RUNNAM=B", "IDEM=110"}}},
      {"x\r\nRUNNAM='A';\r\nAMAXTB=0,1,\r\n2,3,\r\n4,5 \r\n", {{"RUNNAM=A", "AMAXTB=0,1,2,3,"}, {"4,5=?"}}},
      {"RUNNAM='A';\r\nTBASE=1.5;\r\nLIST=a b\r\n", {{"RUNNAM=A", "TBASE=1.5", "LIST=a"}}},
      {"RUNNAM='A';\r\nAMAXTB=0,1,", {{"RUNNAM=A", "AMAXTB=0,1,"}}},
      {"no reruns here\r\n\r\n", {{"RUNNAM=KRL1"}}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(::testing::PrintToString(C.File));
    WriteWorkingFiles("IOPT2  = 4\r\n", "RUNNAM  = 'KRL'\r\n", "SOFILE = ''\r\n", C.File);
    ReadWorking();
    EXPECT_TRUE(Rerun().UseReRuns());
    EXPECT_EQ(Rerun().StartStopOptions(), 4);
    std::vector<std::vector<std::string>> Got;
    for (const auto& Run : Rerun().RerunList) {
      Got.emplace_back();
      for (const auto& V : *Run.Obj) Got.back().push_back(V.Obj->Description() + "=" + V.Obj->Value());
    }
    // A word without "=" adds nothing: the third case's last line gives an
    // empty rerun.
    std::vector<std::vector<std::string>> Expected = C.Expected;
    for (auto& Run : Expected)
      if (Run.size() == 1 && Run[0] == "4,5=?") Run.clear();
    EXPECT_EQ(Got, Expected);
  }
}

TEST_F(ReadSession, NutrientOutOfRangeStopsTheSiteReader) {
  FillSession(false);
  Session->WriteInputFiles();
  std::string Site = RunFile("KRLSI.SIT");
  Site.replace(Site.find("PBASE  = 12.000000"), 18, "PBASE  = 120.00000");
  Dir().Write("runio/KRLSI.SIT", Site);
  Session->Reset();
  EXPECT_EQ(ErrorOf([&] { Session->Read(Session->FileManager().KRLWerkFullName()); }),
            "'PBase' should be in [0.000000 - 100.000000]");
  EXPECT_EQ(static_cast<double>(Session->Nutrients().Nrec()), static_cast<double>(0.4L));
  EXPECT_EQ(static_cast<double>(Session->Nutrients().PBase()), 10.0);
  EXPECT_EQ(static_cast<double>(Session->Hydrology().InitialSurfaceStorage()), 0.0);
  // The rerun file was not read.
  EXPECT_EQ(Rerun().RerunList.Count(), 1);
}

TEST_F(ReadSession, SiteFileOfAnOlderKindWithoutTheLastTwoLines) {
  AddCropAndSoil();
  Session->WriteInputFiles();
  std::string Site = RunFile("KRLSI.SIT");
  Site.erase(Site.find("SSI"));
  Dir().Write("runio/KRLSI.SIT", Site);
  ReadWorking();
  EXPECT_EQ(static_cast<double>(Session->Hydrology().InitialSurfaceStorage()), 0.0);
  // The moisture value meets the soil's range, as after a soil choice.
  EXPECT_NEAR(static_cast<double>(Session->Hydrology().MaximumMoisture()), 0.1, 1e-12);
  EXPECT_NEAR(static_cast<double>(Session->Hydrology().MaxMaximumMoisture()), 0.4, 1e-12);
}

TEST_F(ReadSession, BadFilesGiveDefaults) {
  std::string LongWord(100000, 'x');
  std::string Binary;
  for (int i = 0; i < 4096; ++i) Binary += static_cast<char>((i * 37) % 256 == 10 ? 0 : (i * 37) % 256);
  struct {
    const char* What;
    std::string RunOpt, Timer, Site, Reruns;
  } Cases[] = {
      {"truncated", "IOPT2  = 4\r\nIPRODL = 3", "RUNNAM  = 'X'\r\nIWEATH  = 1\r\nCLFILE  = 'N",
       "SOFILE = 'S.SOL'\r\nIZT    = 1\r\n", "RUNNAM='A';\r\nIDEM="},
      {"another format", "[section]\r\nkey=value\r\n", Binary, "SOFILE", "RUNNAM"},
      {"long lines", "IOPT2  = " + LongWord + "\r\n", "RUNNAM  = " + LongWord + "\r\nIWEATH = " + LongWord,
       "SOFILE = '" + LongWord + "'\r\n", "RUNNAM='" + LongWord + "'\r\n"},
      {"empty", " ", " ", " ", " "},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    WriteWorkingFiles(C.RunOpt, C.Timer, C.Site, C.Reruns);
    ReadWorking();
    EXPECT_EQ(Session->Weather().Year(), 1980);
    EXPECT_EQ(Session->General().OutputInterval(), 1);
    EXPECT_EQ(static_cast<double>(Session->Nutrients().NBase()), 60.0);
    EXPECT_GE(Rerun().RerunList.Count(), 1);
  }
  // Something was read from the truncated and long-line files.
  WriteWorkingFiles(Cases[0].RunOpt, Cases[0].Timer, Cases[0].Site, Cases[0].Reruns);
  ReadWorking();
  EXPECT_EQ(Session->General().ProductionLevels(), 3);
  EXPECT_EQ(Session->Weather().WeatherFormat(), 1);
  EXPECT_EQ(Session->Weather().StationFile(), "'N");
  EXPECT_EQ(Session->Soil().SoilFile(), "S.SOL");
  EXPECT_EQ(Session->Hydrology().Groundwater(), 1);
  EXPECT_EQ(Rerun().GetSelectedVar(1, 1)->Value(), "");

  // A line of more than 255 words cannot be split: the reader's range error.
  std::string Words;
  for (int i = 0; i < 300; ++i) Words += " w";
  WriteWorkingFiles("IOPT2  = 2\r\n", "RUNNAM  = 'KRL'\r\nIWEATH  =" + Words + "\r\n", "SOFILE = ''\r\n", "");
  Session->Reset();
  EXPECT_EQ(ErrorOf([&] { Session->Read(Session->FileManager().KRLWerkFullName()); }), "Range check error");
}
