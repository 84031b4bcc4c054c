// The kept runs: their summaries, the inputs and season results in which two
// runs differ, deleting a run and restoring a run's inputs as the working
// session.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "../session/SessionFixture.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "output/OutSum.h"
#include "output/RerunCompare.h"
#include "output/RunCompare.h"
#include "session/RunHistory.h"

namespace fs = std::filesystem;

namespace {
struct TSeason {
  int Year;
  int Sow;
  int Yield;  // TWSO, kg/ha
};

std::string Header() {
  return "WEATHER-> name: Station north\n"
         " file: ..\\meteo\\merawe\\NLD1. start year 1987\n"
         "RAIN-> from: weather data file\n"
         "CROP     name : Barley\n"
         " file: ..\\cropd\\BARLEY.CAB\n"
         "SOIL     name : Clay\n"
         " file: ..\\soild\\CLAY.SOL\n"
         "groundwater: no, free drainage\n";
}

// A potential summary of one rerun with these seasons.
std::string Pps(const std::vector<TSeason>& Seasons, const std::string& Run = "KRL1", bool First = true) {
  std::string S =
      (First ? "**KORVAL test\nOUTPUT potential production per year\n" + Header() : "**KORVAL next\n") +
      " YR RUNNAM SET SOW --> EM ANT FLWR DUR HALT TWRT TWLV TWST TWSO TAGP LAIM HINDEX TRC GASST "
      "MREST TRANSP EVSOL\n";
  double Sum = 0;
  for (const TSeason& T : Seasons) {
    S += Format(
        " %d %s 1 %d --> %d 190 195 133 245 1200 2100 3400 %d 12600 5.8 0.56 245. 25000 10000 310.2 "
        "45.2\n",
        T.Year, Run.c_str(), T.Sow, T.Sow + 12, T.Yield);
    Sum += T.Yield;
  }
  S += "**\n** MEANS over  2 years :  133 2100 3400 " + Format("%.0f", Sum / Seasons.size()) +
       " 12600 5.8 0.56 245. 310.2 45.2\n";
  S += "** standard deviation :  0 0 0 0 0 0 0 0 0 0\n** variation coefficient :  0 0 0 0 0 0 0 0 0 0\n";
  return S;
}

// A water-limited summary of one rerun: each season yields 2000 kg/ha less.
std::string Wps(const std::vector<TSeason>& Seasons) {
  std::string S =
      "**KORVAL test\nOUTPUT water-limited production per year\n" + Header() +
      " YEAR RUNNAM SET SOW EM DUR TWLV TWST TWSO TAGP LAIM HINDEX TRC RAINT DELWAT TRAT EVSOL LOSST "
      "TSR RYLD RAGP\n";
  double Sum = 0;
  for (const TSeason& T : Seasons) {
    S += Format(" %d KRL1 1 %d %d 133 2100 3400 %d 9000 5.0 0.55 200. 300 5 250.5 40 10 0 0.7 0.7\n", T.Year,
                T.Sow, T.Sow + 12, T.Yield - 2000);
    Sum += T.Yield - 2000;
  }
  S += "\nMEANS over  2 years :  133 2100 3400 " + Format("%.0f", Sum / Seasons.size()) +
       " 9000 5.0 0.55 200. 300 5 250.5 40 10 0.7 0.7\n";
  S += "standard deviation :  0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\nvariation coefficient :  0 0 0 0 0 0 0 0 0 0 0 "
       "0 0 0 0\n";
  return S;
}

class TRunCompareTest : public TSessionTest {
 protected:
  void SetUp() override {
    TSessionTest::SetUp();
    AddCropAndSoil();
    Dir().Write("soild/SAND.SOL", "SOLNAM='Sand'\r\n");
    Session->Weather().SetStationFile("NLD1.");
    Session->Weather().SetYear(1987);
    Session->Weather().SetConsecutiveYears(2);
  }
  TKvFileManager& Fm() { return Session->FileManager(); }
  void WriteOutput(const std::string& Name, const std::string& Text) {
    std::ofstream(MapFileName(Name), std::ios::binary) << Text;
    InvalidateDirCache();
  }
  // Changes the session, writes its files and an output of these seasons,
  // and keeps the run.
  TRunRecord KeepRun(const std::function<void(TKvSession&)>& Change = {},
                     const std::vector<TSeason>& Seasons = {{1987, 100, 7000}, {1988, 100, 6000}}) {
    if (Change) Change(*Session);
    Session->WriteInputFiles();
    WriteOutput(Fm().OutPotFullName(), Pps(Seasons));
    WriteOutput(Fm().OutWaterFullName(), Wps(Seasons));
    TRunHistory History(Fm());
    const TRunRecord R = History.Keep();
    History.SetOutcome(R, "successful");
    return History.Runs().back();
  }
};
}  // namespace

TEST_F(TRunCompareTest, InputDifferencesNameTheFieldsTheWindowShows) {
  struct TCase {
    const char* Name;
    std::function<void(TKvSession&)> Change;
    std::vector<std::string> Keywords;
  };
  const std::vector<TCase> Cases = {
      {"nothing", [](TKvSession&) {}, {}},
      {"sowing day and soil",
       [](TKvSession& S) {
         S.Crop().SetFixedSowingDate(120);
         S.Soil().SetSoilFile("SAND.SOL");
       },
       {"IDSOW", "SOFILE"}},
      {"years, nutrients and the production levels",
       [](TKvSession& S) {
         S.Weather().SetConsecutiveYears(3);
         S.Nutrients().SetNBase(75.5);
         S.General().SetProductionLevels(3);
       },
       {"INYEAR", "NBASE", "IPRODL"}},
      {"a rerun",
       [](TKvSession& S) {
         S.Rerun().SetUseReRuns(true);
         S.Rerun().RerunList.Clear();
         S.Rerun().RerunList.Add("", std::make_unique<TRerunVarList>());
         S.Rerun().AddRerunVar(0, "RUNNAM=WET");
         S.Rerun().AddRerunVar(0, "WAV=30.0");
       },
       {"IOPT2", "RUNNAM", "WAV"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Session->Reset();
    AddCropAndSoil();
    const TRunRecord A = KeepRun();
    const TRunRecord B = KeepRun(C.Change);
    std::vector<std::string> Keywords;
    for (const TInputDifference& D : CompareRunInputs(Fm(), A, B)) Keywords.push_back(D.Keyword);
    EXPECT_EQ(Keywords, C.Keywords);
  }
}

TEST_F(TRunCompareTest, ADifferenceCarriesPageCaptionAndBothValues) {
  const TRunRecord A = KeepRun();
  const TRunRecord B = KeepRun([](TKvSession& S) {
    S.Crop().SetFixedSowingDate(120);
    S.Soil().SetSoilFile("SAND.SOL");
  });
  const std::vector<TInputDifference> D = CompareRunInputs(Fm(), A, B);
  ASSERT_EQ(D.size(), 2u);
  EXPECT_EQ(D[0].Page, "Timer");
  EXPECT_EQ(D[0].Caption, "Fixed Sowing");
  EXPECT_EQ(D[0].ValueA, "1");
  EXPECT_EQ(D[0].ValueB, "120");
  EXPECT_EQ(D[1].Page, "Soil");
  EXPECT_EQ(D[1].Caption, "Available soil types");
  EXPECT_EQ(D[1].ValueA, "'CLAY.SOL'");
  EXPECT_EQ(D[1].ValueB, "'SAND.SOL'");
  // A run whose files are gone differs in every value it had.
  fs::remove(MapFileName(B.Folder + "KRLTI.TIM"));
  InvalidateDirCache();
  bool SawSowing = false;
  for (const TInputDifference& X : CompareRunInputs(Fm(), A, B))
    if (X.Keyword == "IDSOW") SawSowing = X.ValueA == "1" && X.ValueB.empty();
  EXPECT_TRUE(SawSowing);
}

TEST_F(TRunCompareTest, TheSummaryIsReadOnceAndKeptBesideTheRun) {
  const TRunRecord R = KeepRun([](TKvSession& S) { S.Weather().SetConsecutiveYears(2); });
  const TRunSummary S = RunSummary(Fm(), R);
  EXPECT_EQ(S.Crop, "BARLEY.CAB");
  EXPECT_EQ(S.Soil, "CLAY.SOL");
  EXPECT_EQ(S.Station, "NLD1.");
  EXPECT_EQ(S.FirstYear, "1987");
  EXPECT_EQ(S.Years, "2");
  EXPECT_EQ(S.Reruns, "1");
  EXPECT_EQ(S.PotentialYield, "6500");
  EXPECT_EQ(S.WaterYield, "4500");
  // Once read, the history shows it without the files it came from.
  for (const char* F : {"KRLTI.TIM", "KRLSI.SIT", "KRLRR.RER", "KRL.PPS", "KRL.WPS"})
    fs::remove(MapFileName(R.Folder + F));
  InvalidateDirCache();
  const TRunSummary Again = RunSummary(Fm(), R);
  EXPECT_EQ(Again.PotentialYield, "6500");
  EXPECT_EQ(Again.Crop, "BARLEY.CAB");
  EXPECT_EQ(Again.Reruns, "1");
  // Without its kept summary it is read from the files again; what is gone
  // stays empty.
  fs::remove(R.Folder + "summary.txt");
  const TRunSummary Gone = RunSummary(Fm(), R);
  EXPECT_EQ(Gone.Crop, "");
  EXPECT_EQ(Gone.Reruns, "");
  EXPECT_EQ(Gone.PotentialYield, "");
}

TEST_F(TRunCompareTest, SeasonResultsStandSideBySideWithTheirDifference) {
  const TRunRecord A = KeepRun();
  const TRunRecord B = KeepRun({}, {{1987, 120, 7500}, {1988, 120, 5800}, {1989, 120, 6100}});
  const TTextTable T = CompareRunResults(Fm(), A, B);
  ASSERT_EQ(T.Columns.size(), 3u + 6 * 3);
  EXPECT_EQ(T.Columns[3], "Sowing SOW A");
  EXPECT_EQ(T.Columns[11], "Yield TWSO B-A");
  // Two levels; the third season only run B has comes after run A's rows.
  ASSERT_EQ(T.Rows.size(), 6u);
  const std::vector<std::vector<std::string>> Expected = {
      {"Potential", "KRL1", "1987", "100", "120", "20", "7000", "7500", "500"},
      {"Potential", "KRL1", "1988", "100", "120", "20", "6000", "5800", "-200"},
      {"Water-limited", "KRL1", "1987", "100", "120", "20", "5000", "5500", "500"},
      {"Water-limited", "KRL1", "1988", "100", "120", "20", "4000", "3800", "-200"},
      {"Potential", "KRL1", "1989", "", "120", "", "", "6100", ""},
      {"Water-limited", "KRL1", "1989", "", "120", "", "", "4100", ""},
  };
  for (size_t i = 0; i < Expected.size(); ++i) {
    SCOPED_TRACE(i);
    const std::vector<std::string>& Row = T.Rows[i];
    const std::vector<std::string> Got = {Row[0], Row[1], Row[2],  Row[3], Row[4],
                                          Row[5], Row[9], Row[10], Row[11]};
    EXPECT_EQ(Got, Expected[i]);
  }
  // Decimals follow the values: transpiration has one.
  EXPECT_EQ(T.Rows[0][T.Columns.size() - 1], "0.0");
}

TEST_F(TRunCompareTest, RestoreTakesAllInputFilesOrNone) {
  const TRunRecord A = KeepRun([](TKvSession& S) { S.Crop().SetFixedSowingDate(120); });
  const TRunRecord B = KeepRun([](TKvSession& S) { S.Crop().SetFixedSowingDate(150); });
  const std::string Timer = RunFile("KRLTI.TIM");
  ASSERT_NE(Timer.find("IDSOW   = 150"), std::string::npos);
  // A run whose rerun file is gone cannot be restored, and nothing changes.
  fs::remove(MapFileName(A.Folder + "KRLRR.RER"));
  InvalidateDirCache();
  TRunHistory History(Fm());
  EXPECT_THROW(History.Restore(A), EKvError);
  EXPECT_EQ(RunFile("KRLTI.TIM"), Timer);

  std::ofstream(MapFileName(A.Folder + "KRLRR.RER"), std::ios::binary) << "RUNNAM='KRL1'\r\n";
  InvalidateDirCache();
  History.Restore(A);
  EXPECT_NE(RunFile("KRLTI.TIM").find("IDSOW   = 120"), std::string::npos);
  EXPECT_EQ(RunFile("KRLRR.RER"), "RUNNAM='KRL1'\r\n");
  Session->Reset();
  Session->Read(Fm().KRLWerkFullName());
  EXPECT_EQ(Session->Crop().FixedSowingDate(), 120);

  History.Delete(B);
  ASSERT_EQ(History.Runs().size(), 1u);
  EXPECT_EQ(History.Runs()[0].Number, A.Number);
}

// One season result of every rerun side by side, with each rerun's mean and
// standard deviation at the foot.
TEST_F(TRunCompareTest, RerunsSideBySide) {
  TTempDir Out;
  Out.Write("KRL.pps", Pps({{1987, 100, 7000}, {1988, 100, 6000}, {1989, 100, 8000}}) +
                           Pps({{1987, 120, 5000}, {1988, 120, 5000}}, "DRY", false));
  Out.Write("KRL.wps", Wps({{1987, 100, 7000}}));
  TSummaryOutput S;
  S.ReadRunsPotential(Out / "KRL.OUT");
  S.ReadRunsWater(Out / "KRL.OUT");
  ASSERT_EQ(S.PotentialOutputList.Count(), 2);
  const TTextTable Yield = RerunComparison(S, false, RerunResultNames()[0]);
  EXPECT_EQ(Yield.Columns, (std::vector<std::string>{"Year", "KRL1", "DRY"}));
  const std::vector<std::vector<std::string>> Expected = {{"1987", "7000", "5000"},
                                                          {"1988", "6000", "5000"},
                                                          {"1989", "8000", ""},
                                                          {"Mean", "7000.0", "5000.0"},
                                                          {"Standard deviation", "1000.0", "0.0"}};
  EXPECT_EQ(Yield.Rows, Expected);
  // The maturity day: HALT of the potential summary, emergence plus
  // duration in the water-limited one.
  struct TCase {
    bool Water;
    const char* Result;
    const char* First;
  };
  for (const TCase& C :
       {TCase{false, "Maturity day (HALT)", "245"}, TCase{true, "Maturity day (HALT)", "245"},
        TCase{false, "Harvest index (HINDEX)", "0.56"}, TCase{true, "Transpiration (mm)", "250.5"}}) {
    SCOPED_TRACE(C.Result);
    const TTextTable T = RerunComparison(S, C.Water, C.Result);
    ASSERT_GE(T.Rows.size(), 3u);
    EXPECT_EQ(T.Rows[0][1], C.First);
  }
  EXPECT_TRUE(RerunComparison(S, false, "no such result").Rows.empty());
}

// Each rerun's column is headed by what the rerun sets, as the rerun file
// the model was given has it: a wrapped value list joined, data file
// descriptions and the run name left out, long values cut.
TEST_F(TRunCompareTest, RerunColumnsNameWhatTheRerunSets) {
  TTempDir Dir;
  Dir.Write("RERUNS.DAT",
            "** header line\n"
            "RUNNAM='KRL1';\n"
            "IDSOW=100;\n"
            "SOLNAM='Clay soil';\n"
            "SOFILE='CLAY.SOL';\n"
            "AMAXTB=0.00,40.00,1.00,40.00,1.30,40.00,\n"
            "2.00,5.00 \n"
            "RUNNAM='dry';\r\n"
            "IDSOW=120;\n"
            "SOLNAM='Sand';\n"
            "SOFILE='SAND.SOL';\n"
            "AMAXTB=0.00,40.00 \n");
  const std::map<std::string, std::string> Captions = RerunCaptions(Dir / "RERUNS.DAT");
  const std::map<std::string, std::string> Expected = {
      {"KRL1", "KRL1: IDSOW=100, SOFILE='CLAY.SOL', AMAXTB=0.00,40.00,1.00,40.00..."},
      {"DRY", "dry: IDSOW=120, SOFILE='SAND.SOL', AMAXTB=0.00,40.00"}};
  EXPECT_EQ(Captions, Expected);
  TTextTable T;
  T.Columns = {"Year", "KRL1", "DRY", "KRL3"};
  NameRerunColumns(T, Captions);
  EXPECT_EQ(T.Columns, (std::vector<std::string>{"Year", Expected.at("KRL1"), Expected.at("DRY"), "KRL3"}));
  EXPECT_TRUE(RerunCaptions(Dir / "none.dat").empty());
}
