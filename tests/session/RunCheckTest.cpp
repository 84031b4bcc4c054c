// The check before a run on the sample home: a table of sessions, each
// changed from the sample session in one way, and the problems each gives.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvwthr.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"
#include "session/ModelErrorPlace.h"
#include "session/RunCheck.h"
#include "session/SessionFields.h"
#include "support/SampleHome.h"
#include "support/TestSupport.h"

namespace {
class TRunCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    Session = OpenSampleSession(Dir / "");
    ASSERT_NE(Session, nullptr);
    SetCurrentDir(Dir / "bin");
  }
  void TearDown() override {
    TheSession = nullptr;
    Session.reset();
    FreeDataCatalogue();
    FreeVarCatalogue();
    SetExecPath("");
  }

  // The problems of the sample session after Change, as "E:KEYWORD" or
  // "W:KEYWORD" followed by a blank and what is wrong; each says what.
  std::vector<std::string> ProblemsAfter(const std::function<void(TKvSession&)>& Change) {
    Session->Reset();
    ChooseSampleSession(*Session);
    Change(*Session);
    std::vector<std::string> Got;
    for (const TRunProblem& P : CheckBeforeRun(*Session)) {
      EXPECT_FALSE(P.What.empty());
      Got.push_back(std::string(P.Kind == TRunProblem::Error ? "E:" : "W:") +
                    (P.Field ? P.Field->Keyword : "-") + " " + P.What);
    }
    return Got;
  }
  // The same without what is wrong.
  static std::vector<std::string> Kinds(const std::vector<std::string>& Problems) {
    std::vector<std::string> K;
    for (const std::string& P : Problems) K.push_back(P.substr(0, P.find(' ')));
    return K;
  }

  TTempDir Dir;
  TCurrentDirGuard Cwd;
  std::unique_ptr<TKvSession> Session;
};

// Winter wheat sown on day 290 with at most 300 days to grow.
void SownInAutumn(TKvSession& S) {
  S.Crop().SetCropFile("WWHEAT.CRP");
  S.Crop().SetStartDay(1);
  S.Crop().SetFixedSowingDate(290);
  S.Crop().SetEndDay(2);
  S.Crop().SetMaximumDuration(300);
}
}  // namespace

TEST_F(TRunCheck, EachSessionGivesItsProblems) {
  struct TCase {
    const char* Name;
    std::function<void(TKvSession&)> Change;
    // "E:KEYWORD" or "W:KEYWORD" per problem, in order.
    std::vector<std::string> Problems;
  } Cases[] = {
      {"the sample session", [](TKvSession&) {}, {}},
      {"start year 0", [](TKvSession& S) { S.Weather().SetYear(0); }, {"E:ISYR"}},
      {"years beyond the station's",
       [](TKvSession& S) {
         S.Weather().SetYear(1998);
         S.Weather().SetConsecutiveYears(5);
       },
       {"E:INYEAR"}},
      {"an autumn sowing in the station's last year",
       [](TKvSession& S) {
         SownInAutumn(S);
         S.Weather().SetYear(2000);
         S.Weather().SetConsecutiveYears(1);
       },
       {"E:INYEAR"}},
      {"an autumn sowing with a year to grow into",
       [](TKvSession& S) {
         SownInAutumn(S);
         S.Weather().SetYear(1998);
         S.Weather().SetConsecutiveYears(2);
       },
       {}},
      {"a sowing day outside the year",
       [](TKvSession& S) {
         S.Crop().SetStartDay(1);
         S.Crop().SetFixedSowingDate(400);
       },
       {"E:IDSOW"}},
      {"a sowing day outside the year that is not used",
       [](TKvSession& S) {
         S.Crop().SetStartDay(0);
         S.Crop().SetFixedSowingDate(400);
       },
       {}},
      {"a crop file that is gone", [](TKvSession& S) { S.Crop().SetCropFile("GONE.CRP"); }, {"E:CRFILE"}},
      {"fewer rainfall years than weather years",
       [](TKvSession& S) {
         S.Weather().SetRainfallDataOptions(RainFromRainfallFile);
         S.Weather().SetRainfallStationFile("RAINN.DAT");
         S.Weather().SetRainfallYear(1980);
         S.Weather().SetRainfallConsecutiveYears(1);
       },
       {"W:INYRG"}},
      {"rainfall years the station lacks",
       [](TKvSession& S) {
         S.Weather().SetRainfallDataOptions(RainFromRainfallFile);
         S.Weather().SetRainfallStationFile("RAINN.DAT");
         S.Weather().SetRainfallYear(1999);
         S.Weather().SetRainfallConsecutiveYears(5);
       },
       {"E:ISYRR"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::vector<std::string> Got = ProblemsAfter(C.Change);
    EXPECT_EQ(Kinds(Got), C.Problems) << ::testing::PrintToString(Got);
  }
}

// A problem is named in the window's words: the page, the field's caption
// and the value against its range.
TEST_F(TRunCheck, AProblemNamesThePageTheCaptionAndTheRange) {
  Session->Crop().SetStartDay(1);
  Session->Crop().SetFixedSowingDate(400);
  const std::vector<TRunProblem> P = CheckBeforeRun(*Session);
  ASSERT_EQ(P.size(), 1u);
  const TFieldRange R = FindSessionField("IDSOW")->Range(*Session);
  EXPECT_EQ(P[0].Text(), "Timer page, Fixed Sowing: 400 is outside " + std::to_string(int(R.Min)) + " - " +
                             std::to_string(int(R.Max)));
}

// A model error that names a line and a key of the session's input files
// is traced to its field, for every field the windows show; one of a data
// file is named with the key's meaning and can be opened.
TEST_F(TRunCheck, AModelErrorIsTracedToItsFieldOrDataFile) {
  const TKvFileManager& Fm = Session->FileManager();
  for (const TSessionField& F : SessionFields()) {
    if (!*F.Page) continue;
    SCOPED_TRACE(F.Keyword);
    const std::string File = F.File == TFieldFile::Timer  ? Fm.TimerFullName()
                             : F.File == TFieldFile::Site ? Fm.SiteFullName()
                                                          : Fm.RunFullName();
    const std::string Text = "ERROR in file " + LowerCase(File) + ", line " + std::to_string(F.Place + 3) +
                             ", key " + F.Keyword + ": value 400 out of range\r\n  Allowed range: 1 - 366";
    const TModelErrorPlace P = FindModelErrorPlace(Text, *Session);
    EXPECT_EQ(P.Field, &F);
    EXPECT_EQ(P.Line, F.Place + 3);
    EXPECT_EQ(P.What, "value 400 out of range");
    EXPECT_EQ(ExplainModelErrorPlace(P),
              "This is the field " + std::string(F.Page) + " page, " + F.PlainCaption() + ".");
  }
  const TModelErrorPlace Soil = FindModelErrorPlace(
      "ERROR in file ..\\soild\\LOAM.SOL, line 8, key SMFCF: below wilting point", *Session);
  EXPECT_EQ(Soil.Field, nullptr);
  EXPECT_TRUE(Soil.DataFile);
  EXPECT_EQ(ExplainModelErrorPlace(Soil).rfind("SMFCF in ..\\soild\\LOAM.SOL, line 8, is the ", 0), 0u)
      << ExplainModelErrorPlace(Soil);
  const TModelErrorPlace Rerun =
      FindModelErrorPlace("ERROR in file ..\\runio\\KRLrr.rer, line 5, key SMW: out of range", *Session);
  EXPECT_FALSE(Rerun.DataFile);
  EXPECT_EQ(ExplainModelErrorPlace(Rerun).rfind("SMW comes from the rerun table", 0), 0u);
  EXPECT_TRUE(ExplainModelErrorPlace(FindModelErrorPlace("Simulation finished.", *Session)).empty());
}

namespace {
// A year of daily weather at a station south of the equator: warm in
// January, cool in July.
std::string SouthernYear(int Year) {
  std::string Text = Format(
      "** KRLDESCRIPTION=Station south (test)\n** KRLFORMAT=2\n** KRLYEARNR=%d\n 150.00 -35.00 100.0\n",
      Year);
  for (int Day = 1; Day <= (Year % 4 ? 365 : 366); ++Day) {
    const double T = 12 + 8 * std::cos(2 * 3.14159265 * (Day - 15) / 365.0);
    Text += Format(" 1 %d %3d 15000. %5.1f %5.1f 1.00 2.0 0.0\n", Year, Day, T - 5, T + 5);
  }
  return Text;
}
}  // namespace

// The crop against the station: the sowing season from the crop's need of a
// winter (its vernalisation, else its name) and the station's hemisphere,
// and the maximum duration against the crop's temperature sums at the
// station's mean temperatures (daily or monthly weather).
TEST_F(TRunCheck, TheCropIsCheckedAgainstTheStationsSeasons) {
  Dir.Write("cropd/WRYE.CRP",
            "CRPNAM='Winter rye'\nTBASEM = 0.0\nTEFFMX = 30.0\nTSUMEM = 100.\n"
            "TBASE = 0.0\nTSUM1 = 900.\nTSUM2 = 700.\n");
  Dir.Write("meteo/merawe/SOUTH1.980", SouthernYear(1980));
  Dir.Write("meteo/merawe/SOUTH1.981", SouthernYear(1981));
  FreeDataCatalogue();
  BuildDataCatalogue();
  const auto Sow = [](const char* Crop, int StartDay, int Day, int Duration = 260) {
    return [=](TKvSession& S) {
      S.Crop().SetCropFile(Crop);
      S.Crop().SetStartDay(StartDay);
      S.Crop().SetFixedEmergenceDate(Day);
      S.Crop().SetFixedSowingDate(Day);
      S.Crop().SetEarliestSowingDate(Day);
      S.Crop().SetUltimateSowingDate(std::min(366, Day + 20));
      S.Crop().SetEndDay(2);
      S.Crop().SetMaximumDuration(Duration);
    };
  };
  const auto South = [](std::function<void(TKvSession&)> Change) {
    return [=](TKvSession& S) {
      Change(S);
      S.Weather().SetStationFile("SOUTH1.");
      S.Weather().SetYear(1980);
      S.Weather().SetConsecutiveYears(1);
    };
  };
  const auto Monthly = [](std::function<void(TKvSession&)> Change) {
    return [=](TKvSession& S) {
      Change(S);
      S.Weather().SetWeatherFormatNumber(1);
      S.Weather().SetStationFile("CLIMN.DAT");
    };
  };
  struct TCase {
    const char* Name;
    std::function<void(TKvSession&)> Change;
    std::vector<std::string> Problems;
  } Cases[] = {
      {"winter wheat sown in spring", Sow("WWHEAT.CRP", 1, 80), {"W:IDSOW"}},
      {"winter wheat whose sowing window opens in spring", Sow("WWHEAT.CRP", 2, 100), {"W:IDESOW"}},
      {"winter wheat emerging in spring", Sow("WWHEAT.CRP", 0, 90), {"W:IDEM"}},
      {"winter wheat sown in autumn", Sow("WWHEAT.CRP", 1, 290, 300), {}},
      {"a winter crop by its name sown in spring", Sow("WRYE.CRP", 1, 100), {"W:IDSOW"}},
      {"spring barley sown in autumn", Sow("SBARLEY.CRP", 1, 290), {"W:IDSOW"}},
      {"spring barley sown in spring", Sow("SBARLEY.CRP", 1, 100), {}},
      {"spring barley with 60 days to grow", Sow("SBARLEY.CRP", 1, 100, 60), {"W:IDURMX"}},
      {"a short duration that is not used",
       [&](TKvSession& S) {
         Sow("SBARLEY.CRP", 1, 100, 60)(S);
         S.Crop().SetEndDay(1);
       },
       {}},
      {"winter wheat sown in the southern spring", South(Sow("WWHEAT.CRP", 1, 280)), {"W:IDSOW"}},
      {"winter wheat sown in the southern autumn", South(Sow("WWHEAT.CRP", 1, 120, 300)), {}},
      {"monthly means: spring barley with 60 days", Monthly(Sow("SBARLEY.CRP", 1, 100, 60)), {"W:IDURMX"}},
      {"monthly means: spring barley with 130 days", Monthly(Sow("SBARLEY.CRP", 1, 100, 130)), {}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::vector<std::string> Got = ProblemsAfter(C.Change);
    EXPECT_EQ(Kinds(Got), C.Problems) << ::testing::PrintToString(Got);
  }

  // The duration's warning says what the crop needs and what it gets.
  Sow("SBARLEY.CRP", 1, 100, 60)(*Session);
  const std::vector<TRunProblem> P = CheckBeforeRun(*Session);
  ASSERT_EQ(P.size(), 1u);
  EXPECT_NE(P[0].What.find("needs 1550 C d from emergence to maturity (TSUM1 + TSUM2 in SBARLEY.CRP), but "
                           "the 60 days from emergence"),
            std::string::npos)
      << P[0].What;
  EXPECT_NE(P[0].What.find("the crop will not mature; it needs about "), std::string::npos) << P[0].What;
}
