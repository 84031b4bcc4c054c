#include <gtest/gtest.h>

#include "foundations/Errors.h"
#include "output/Observations.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "support/TestSupport.h"

namespace {

// Two runs of one year, a block for each run and production level: KRL1
// with a potential and a water-limited table (the water-limited values
// differ), KRL2 (spelt in lower case) with a water-limited table only; the
// tables are written every 10 days.
const char* const DetailedOutput = R"(**KORVAL  replacement crop model
RUNNAM -> KRL1
RERUNS -> yes
WEATHER-> name: Station north
 file: ..\meteo\merawe\NLD1. start 1987
start waterbalance day 1 sowing date day 100 emergence date day 112
POTENTIAL CROP PRODUCTION
 YEAR DAY IDSEM  DVS   TSUM    WLV    WST    WSO   TAGP    LAI   TRA  GASS  MRES     DMI
                      degrd  kg/ha  kg/ha  kg/ha  kg/ha  m2/m2  mm/d  CH2O  CH2O kg/ha/d
 1987 112     12 0.00    0.0   20.0   10.0    0.0   30.0   0.04  0.1   2.0   0.5     1.2
 1987 122     22 0.10   90.0  200.0  100.0    0.0  300.0   0.50  1.1   2.0   0.5     1.2

   HALT  ANTH  TWRT  TWLV  TWST  TWSO  TAGP HINDEX TRANSP  TRC  GASST  MREST
    245   190  1200  2100  3400  7100 12600  0.56   310.2  245. 25000  10000
RUNNAM -> KRL1
RERUNS -> yes
WEATHER-> name: Station north
 file: ..\meteo\merawe\NLD1. start 1987
start waterbalance day 1 , sowing date day 100 emergence date day 112
WATER LIMITED CROP PRODUCTION   (free drainage)
 -
 rooted-zone water balance
 depth in cm
 YEAR DAY WLV WST WSO TAGP LAI RD SM RESRV AVAIL RAIN TRA EVA wet dry
 kg/ha kg/ha kg/ha kg/ha m2/m2 cm vol.fr cm cm mm mm/d mm/d days days
 1987 112 19.0 9.0 0.0 28.0 0.03 10 0.30 1.0 2.0 0.0 0.1 0.2 0 0
 1987 122 150.0 80.0 0.0 230.0 0.40 20 0.25 1.0 2.0 3.0 0.9 0.2 0 1

RUNNAM -> krl2
RERUNS -> yes
WEATHER-> name: Station north
 file: ..\meteo\merawe\NLD1. start 1987
start waterbalance day 1 , sowing date day 100 emergence date day 112
WATER LIMITED CROP PRODUCTION   (free drainage)
 -
 rooted-zone water balance
 depth in cm
 YEAR DAY WLV WST WSO TAGP LAI RD SM RESRV AVAIL RAIN TRA EVA wet dry
 kg/ha kg/ha kg/ha kg/ha m2/m2 cm vol.fr cm cm mm mm/d mm/d days days
 1987 112 18.0 9.0 0.0 27.0 0.02 10 0.31 1.0 2.0 0.0 0.1 0.2 0 0
 1987 122 140.0 70.0 0.0 210.0 0.30 20 0.22 1.0 2.0 3.0 0.9 0.2 0 1
)";

const char* const WaterSummary = R"(**KORVAL
OUTPUT water-limited production per year
 YEAR RUNNAM SET SOW EM DUR TWLV TWST TWSO TAGP LAIM HINDEX TRC RAINT DELWAT TRAT EVSOL LOSST TSR RYLD RAGP
 1987 KRL1 1 100 112 133 2000 3000 6100 11100 5.0 0.55 240. 300 -3 250 45 18 0 0.86 0.88

MEANS over 1 years : 133
**KORVAL
 YEAR RUNNAM SET SOW EM DUR TWLV TWST TWSO TAGP LAIM HINDEX TRC RAINT DELWAT TRAT EVSOL LOSST TSR RYLD RAGP
 1987 KRL2 1 100 112 130 1900 2900 5500 10300 4.6 0.53 240. 300 -3 250 45 18 0 0.77 0.82

MEANS over 1 years : 130
)";

}  // namespace

// The example of fit statistics worked out by hand:
//   O = 78 110 92 75 110 108 113 155 150 (sum 991), S = 126 126 126 105 105 105 147 147 147 (sum 1134)
//   mean O = 991 / 9 = 110.111, mean S = 1134 / 9 = 126
//   S - O = 48 16 34 30 -5 -3 34 -8 -3, sum 143: mean bias = 143 / 9 = 15.889
//   squares 2304 256 1156 900 25 9 1156 64 9, sum 5879: RMSE = sqrt(5879 / 9) = 25.558
//   relative RMSE = 100 x 25.558 / 110.111 = 23.211 %
//   sum (O - mean O)^2 = sum O^2 - 991^2 / 9 = 115331 - 109120.111 = 6210.889
//   EF = 1 - 5879 / 6210.889 = 0.05344
//   |S - mean O| + |O - mean O| = 48 16 34 40.222 5.222 7.222 39.778 81.778 76.778,
//   their squares sum to 19577.963: d = 1 - 5879 / 19577.963 = 0.69971
TEST(FitStatisticsTest, WorkedExample) {
  const TFitStatistics S = FitStatistics({78, 110, 92, 75, 110, 108, 113, 155, 150},
                                         {126, 126, 126, 105, 105, 105, 147, 147, 147});
  EXPECT_EQ(S.N, 9);
  EXPECT_NEAR(*S.MeanObserved, 110.111, 5e-4);
  EXPECT_NEAR(*S.MeanSimulated, 126.0, 1e-12);
  EXPECT_NEAR(*S.MeanBias, 15.889, 5e-4);
  EXPECT_NEAR(*S.Rmse, 25.558, 5e-4);
  EXPECT_NEAR(*S.RelativeRmse, 23.211, 5e-4);
  EXPECT_NEAR(*S.EF, 0.05344, 5e-6);
  EXPECT_NEAR(*S.D, 0.69971, 5e-6);
  const std::vector<std::string> Row = EvaluationRow(S);
  EXPECT_EQ(Row, (std::vector<std::string>{"", "9", "110.11", "126.00", "15.89", "25.56", "23.2", "0.053",
                                           "0.700"}));
}

TEST(FitStatisticsTest, DegenerateCasesAreUndefined) {
  struct TCase {
    const char* Name;
    std::vector<double> O, S;
    bool Means, RelRmse, Indexes;
  };
  const TCase Cases[] = {
      {"no pairs", {}, {}, false, false, false},
      {"one pair", {5}, {7}, true, true, false},
      {"all observations equal", {4, 4, 4}, {3, 5, 6}, true, true, false},
      {"observed mean zero", {-1, 1}, {0, 2}, true, false, true},
      {"perfect fit", {1, 2, 3}, {1, 2, 3}, true, true, true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TFitStatistics S = FitStatistics(C.O, C.S);
    EXPECT_EQ(S.MeanObserved.has_value(), C.Means);
    EXPECT_EQ(S.Rmse.has_value(), C.Means);
    EXPECT_EQ(S.RelativeRmse.has_value(), C.RelRmse);
    EXPECT_EQ(S.EF.has_value(), C.Indexes);
    EXPECT_EQ(S.D.has_value(), C.Indexes);
    if (!C.Indexes) {
      EXPECT_EQ(EvaluationRow(S)[7], "undefined");
    }
  }
  const TFitStatistics Perfect = FitStatistics({1, 2, 3}, {1, 2, 3});
  EXPECT_EQ(*Perfect.EF, 1.0);
  EXPECT_EQ(*Perfect.D, 1.0);
}

TEST(ObservationFileTest, BadLinesAreReportedAndTheRestIsUsed) {
  TTempDir Dir;
  const std::string Text = CrLf(R"(# made-up demonstration data
RUNNAM,YEAR,DAY,VAR,VALUE,SD

KRL1,1987,122,wso,0,
,1987,122,LAI,0.45,0.05
KRL1,1987,,TWSO,6500,400
KRL1,1987,,TAGP,11000,
KRL1,1987,122,FOO,1,
KRL1,1987,366,LAI,1,
KRL1,1988,366,LAI,1.5,
KRL1,1987,0,LAI,1,
KRL1,1987,122,LAI,n/a,
KRL1,1987,122,LAI,1,-2
KRL1,87x,122,LAI,1,
KRL1,1987,,LAI,1,
)");
  const std::string Name = Dir.Write("obs.csv", Text);
  TObservationFile F;
  F.Read(Name);
  ASSERT_EQ(F.Observations.size(), 5u);
  EXPECT_EQ(F.Observations[0].Var, "WSO");
  EXPECT_FALSE(F.Observations[0].Season);
  EXPECT_FALSE(F.Observations[0].SD.has_value());
  EXPECT_EQ(F.Observations[1].RunName, "");
  EXPECT_EQ(*F.Observations[1].SD, 0.05);
  EXPECT_TRUE(F.Observations[2].Season);
  EXPECT_TRUE(F.Observations[3].Season) << "TAGP without a day is the season result";
  EXPECT_EQ(F.Observations[4].Day, 366);
  EXPECT_EQ(F.Observations[4].LineNo, 10);

  std::vector<std::string> Problems;
  for (const TObservationProblem& P : F.Problems) Problems.push_back(ProblemText(P));
  EXPECT_EQ(Problems, (std::vector<std::string>{
                          "line 8: unknown variable: FOO",
                          "line 9: day outside the year: 366",
                          "line 11: day outside the year: 0",
                          "line 12: value not a number: n/a",
                          "line 13: SD not a number of 0 or more: -2",
                          "line 14: year not valid: 87x",
                          "line 15: no day given for the daily variable LAI",
                      }));
  EXPECT_EQ(Dir.Read("obs.csv"), Text) << "the file is never rewritten";
}

TEST(ObservationFileTest, DatesAndHeaders) {
  TTempDir Dir;
  TObservationFile F;
  F.Read(Dir.Write("d.csv", "Var,Date,Value\nLAI,2024-03-01,1\nLAI,2023-12-31,2\nLAI,2023-02-29,3\n"));
  ASSERT_EQ(F.Observations.size(), 2u);
  EXPECT_EQ(F.Observations[0].Year, 2024);
  EXPECT_EQ(F.Observations[0].Day, 61);
  EXPECT_EQ(F.Observations[1].Day, 365);
  ASSERT_EQ(F.Problems.size(), 1u);
  EXPECT_EQ(ProblemText(F.Problems[0]), "line 4: date not valid (YYYY-MM-DD): 2023-02-29");

  // A spreadsheet's byte order mark and semicolons.
  F.Read(Dir.Write("s.csv", "\xEF\xBB\xBFYEAR;DAY;VAR;VALUE\r\n1987;100;LAI;1.5\r\n"));
  ASSERT_EQ(F.Observations.size(), 1u);
  EXPECT_EQ(F.Observations[0].Value, 1.5);

  TObservationFile G;
  EXPECT_THROW(G.Read(Dir.Write("h.csv", "YEAR,VAR,VALUE\n1987,LAI,1\n")), EKvError);
  EXPECT_THROW(G.Read(Dir / "missing.csv"), Exception);
}

TEST(ObservationMatchTest, PairsBySameRunYearAndDayOnly) {
  TTempDir Dir;
  const std::string Out = Dir.Write("KRL.OUT", CrLf(DetailedOutput));
  Dir.Write("KRL.wps", CrLf(WaterSummary));
  const std::string Obs = Dir.Write("obs.csv", CrLf(R"(RUNNAM,YEAR,DAY,VAR,VALUE,SD
KRL1,1987,122,WLV,160,10
,1987,112,LAI,0.05,
KRL1,1987,117,WLV,90,
KRL3,1987,122,WLV,90,
KRL1,1988,122,WLV,90,
KRL1,1987,122,DVS,0.12,
KRL2,1987,,TWSO,5000,
KRL1,1987,,TWSO,6500,
KRL1,1987,,HALT,250,
)"));
  TObservationFile F;
  F.Read(Obs);
  ASSERT_TRUE(F.Problems.empty());
  TSimulatedValues Sim;
  Sim.Read(Out, F.Observations);
  const TMatchResult M = MatchObservations(F.Observations, Sim);

  std::vector<std::string> Got;
  for (const TObsPair& P : M.Pairs)
    Got.push_back(std::to_string(P.Obs.LineNo) + " " + P.RunName + " " + std::to_string(P.Run) + " " +
                  std::to_string(P.Simulated));
  EXPECT_EQ(Got, (std::vector<std::string>{
                     "2 KRL1 0 150.000000",  // the water-limited table, not the potential one
                     "3 KRL1 0 0.030000",    // an empty run name pairs with every run
                     "3 krl2 1 0.020000",
                     "7 KRL1 0 0.100000",  // a column of the potential table only
                     "8 krl2 1 5500.000000",
                     "9 KRL1 0 6100.000000",
                 }));
  std::vector<std::string> Unmatched;
  for (const TObservation& O : M.Unmatched) Unmatched.push_back(UnmatchedText(O));
  EXPECT_EQ(Unmatched, (std::vector<std::string>{
                           "line 4: KRL1 1987 day 117 WLV: no simulated value",  // never interpolated
                           "line 5: KRL3 1987 day 122 WLV: no simulated value",
                           "line 6: KRL1 1988 day 122 WLV: no simulated value",
                           "line 10: KRL1 1987 season HALT: no simulated value",  // only in the .pps
                       }));

  const std::vector<TFitStatistics> Stats = EvaluatePairs(M.Pairs);
  ASSERT_EQ(Stats.size(), 4u);
  EXPECT_EQ(Stats[0].Var, "WLV");
  EXPECT_EQ(Stats[1].Var, "LAI");
  EXPECT_EQ(Stats[1].N, 2);
  EXPECT_NEAR(*Stats[1].MeanBias, (0.03 + 0.02) / 2 - 0.05, 1e-12);
  EXPECT_EQ(Stats[3].Var, "TWSO (season)");
  EXPECT_EQ(Stats[3].N, 2);
}

// The observation file travels with the session: Save as copies the
// companion, opening a session without one leaves none of the last session.
TEST(SessionObservationsTest, SaveAsAndOpenCarryTheObservationFile) {
  TProgramHome H;
  TKvFileManager Fm;
  const TTempDir& D = H.Dir();
  EXPECT_EQ(SessionObservationFile(Fm), "");
  SetSessionObservationFile(Fm, "/data/field trial.csv");
  EXPECT_EQ(SessionObservationFile(Fm), "/data/field trial.csv");

  Fm.ReplaceSessionFiles("KRL", "WHEAT");  // Save as
  EXPECT_TRUE(FileExists(D / "runio/WHEATob.obs"));
  SetSessionObservationFile(Fm, "");
  EXPECT_FALSE(FileExists(Fm.ObsFullName()));
  Fm.ReplaceSessionFiles("WHEAT", "KRL");  // Open
  EXPECT_EQ(SessionObservationFile(Fm), "/data/field trial.csv");

  Fm.ReplaceSessionFiles("OTHER", "KRL");  // Open a session without observations
  EXPECT_EQ(SessionObservationFile(Fm), "");
  Fm.RemoveSessionFiles("WHEAT.krl");
  EXPECT_FALSE(FileExists(D / "runio/WHEATob.obs"));
}

TEST(MeasuredSeasonRowTest, ValuesUnderTheirColumnsForTheRowsRunAndYear) {
  std::vector<TObservation> Obs(4);
  Obs[0] = {"", 1981, 0, "TWSO", true, 6650, std::nullopt, 2};
  Obs[1] = {"KRL2", 1981, 0, "HALT", true, 210, std::nullopt, 3};
  Obs[2] = {"", 1981, 150, "LAI", false, 2, std::nullopt, 4};   // a daily value never shows here
  Obs[3] = {"", 1981, 0, "TWSO", true, 9999, std::nullopt, 5};  // the first of two counts
  const std::vector<std::string> Columns = {"YR", "RUNNAM", "SET", "HALT", "TWSO"};
  EXPECT_EQ(MeasuredSeasonRow(Obs, Columns, "krl2", 1981),
            (std::vector<std::string>{"1981", "measured", "", "210", "6650"}));
  EXPECT_EQ(MeasuredSeasonRow(Obs, Columns, "KRL1", 1981),
            (std::vector<std::string>{"1981", "measured", "", "", "6650"}));
  EXPECT_TRUE(MeasuredSeasonRow(Obs, Columns, "KRL1", 1982).empty());
}
