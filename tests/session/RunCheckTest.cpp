// The check before a run on the sample home: a table of sessions, each
// changed from the sample session in one way, and the problems each gives.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvwthr.h"
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
    Session->Reset();
    ChooseSampleSession(*Session);
    C.Change(*Session);
    std::vector<std::string> Got;
    for (const TRunProblem& P : CheckBeforeRun(*Session)) {
      Got.push_back(std::string(P.Kind == TRunProblem::Error ? "E:" : "W:") +
                    (P.Field ? P.Field->Keyword : "-"));
      EXPECT_FALSE(P.What.empty());
    }
    EXPECT_EQ(Got, C.Problems) << ::testing::PrintToString(Got);
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
