// Reading and checking study tables, and the factorial shorthand.
#include <gtest/gtest.h>

#include "StudyHome.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "foundations/Errors.h"
#include "session/Kvses.h"
#include "study/StudyTable.h"

namespace {
// The catalogues of the sample home and a session of two weather years
// (1980 and 1981 at station NLD1., which has 1971 to 2000).
class StudyTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadVarCatalogue(Home.Bin() + "KRL_VAR.csv");
    Session = std::make_unique<TKvSession>();
    Session->Reset();
    ChooseSampleSession(*Session);
    BuildDataCatalogue(Session->FileManager());
  }
  void TearDown() override {
    Session.reset();
    FreeDataCatalogue();
    FreeVarCatalogue();
  }
  std::vector<TStudyProblem> Check(const std::string& Text) {
    return CheckStudyTable(ParseStudyTable(Text), *Session);
  }

  TStudyHome Home;
  std::unique_ptr<TKvSession> Session;
};

TEST_F(StudyTableTest, ASoundTableHasNoProblems) {
  // File names in any letter case, a table variable in quotes, an ID column
  // anywhere, keywords and variables mixed.
  const std::string Text =
      "CRFILE,ID,TSUM1,AMAXTB,ISYR,INYEAR\r\n"
      "wwheat.crp,north,900,\"0,30,1.5,40\",1998,2\r\n"
      "SBARLEY.CRP,south,1200,\"0,35,2,45\",1971,29\r\n";
  EXPECT_TRUE(Check(Text).empty());
  const TStudyTable T = ParseStudyTable(Text);
  ASSERT_EQ(T.Rows.size(), 2u);
  EXPECT_EQ(T.Rows[1].Id, "south");
  EXPECT_EQ(T.Rows[0].Values[2], "0,30,1.5,40");
  // Written back, the table reads the same.
  const TStudyTable Again = ParseStudyTable(StudyTableText(T));
  EXPECT_EQ(Again.Columns, T.Columns);
  EXPECT_EQ(Again.Rows[0].Values, T.Rows[0].Values);
}

TEST_F(StudyTableTest, BadTablesAreRefusedWithRowColumnAndRule) {
  struct TCase {
    const char* Name;
    const char* Text;
    int Row;
    const char* Column;
    const char* Rule;
  };
  const TCase Cases[] = {
      {"unknown column", "IDSOW,FOO\n80,1\n", 0, "FOO", "unknown column"},
      {"run name column", "RUNNAM\nA\n", 0, "RUNNAM", "run names are given by the study"},
      {"column twice", "IDSOW,idsow\n80,90\n", 0, "idsow", "appears twice"},
      {"out of range keyword", "IDSOW\n80\n400\n", 2, "IDSOW", "allowed range 1 to 366 (value 400)"},
      {"not a whole number", "IDSOW\n80.5\n", 1, "IDSOW", "a whole number is needed"},
      {"out of range variable", "TSUM1\n5000\n", 1, "TSUM1", "within 50 to 2500"},
      {"missing crop file", "CRFILE\nNOPE.CRP\n", 1, "CRFILE", "no crop file NOPE.CRP"},
      {"missing soil file", "SOFILE\nLOAM.SOL\nPEAT.SOL\n", 2, "SOFILE", "no soil file PEAT.SOL"},
      {"odd table value", "AMAXTB\n\"0,30,1\"\n", 1, "AMAXTB", "malformed table value"},
      {"word in table value", "AMAXTB\n\"0,30,x,40\"\n", 1, "AMAXTB", "malformed table value"},
      {"table value out of range", "AMAXTB\n\"0,30,5,40\"\n", 1, "AMAXTB", "every x within 0 to 3"},
      {"empty cell", "IDSOW,WAV\n80,\n", 1, "WAV", "the cell is empty"},
      {"line break in a text", "ID,TBASE\nx,\"1\n2\"\n", 1, "TBASE", "control characters are not allowed"},
      {"empty table", "IDSOW\n\n", 0, "", "the table has no rows"},
      {"no columns", "ID\n1\n", 0, "", "no columns"},
      {"duplicate IDs", "ID,IDSOW\na,80\nb,90\na,100\n", 3, "ID", "duplicate ID a (also row 1)"},
      {"short row", "IDSOW,WAV\n80,10\n90\n", 2, "", "another number of cells"},
      {"weather years beyond the station", "ISYR\n2000\n", 1, "ISYR", "weather years 2000 to 2001"},
      {"weather years of another station", "CLFILE,INYEAR\nNLD1.,5\nNOPE.,5\n", 2, "CLFILE",
       "no weather station NOPE."},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::vector<TStudyProblem> P = Check(C.Text);
    ASSERT_FALSE(P.empty());
    EXPECT_EQ(P[0].Row, C.Row);
    EXPECT_EQ(P[0].Column, C.Column);
    EXPECT_NE(P[0].Rule.find(C.Rule), std::string::npos) << P[0].Rule;
  }
  // The text names all three.
  EXPECT_EQ(StudyProblemText({2, "IDSOW", "allowed range 1 to 366 (value 400)"}),
            "row 2, column IDSOW: allowed range 1 to 366 (value 400)");
}

TEST_F(StudyTableTest, EveryFaultyCellIsReported) {
  const std::vector<TStudyProblem> P = Check("IDSOW,CRFILE\n400,WWHEAT.CRP\n80,X.CRP\n0,Y.CRP\n");
  ASSERT_EQ(P.size(), 4u);
  EXPECT_EQ(StudyProblemText(P[3]),
            "row 3, column CRFILE: no crop file Y.CRP in the crop directory (value Y.CRP)");
}

TEST_F(StudyTableTest, ExpandWritesEveryCombinationFirstColumnSlowest) {
  const TStudyTable T = ExpandStudyTable({"CRFILE=WWHEAT.CRP,SBARLEY.CRP", "SOFILE=*", "IDSOW=80:140:20"});
  EXPECT_EQ(T.Columns, (std::vector<std::string>{"CRFILE", "SOFILE", "IDSOW"}));
  ASSERT_EQ(T.Rows.size(), 2u * 3u * 4u);
  EXPECT_EQ(T.Rows[0].Values, (std::vector<std::string>{"WWHEAT.CRP", "CLAY.SOL", "80"}));
  EXPECT_EQ(T.Rows[1].Values, (std::vector<std::string>{"WWHEAT.CRP", "CLAY.SOL", "100"}));
  EXPECT_EQ(T.Rows[4].Values, (std::vector<std::string>{"WWHEAT.CRP", "LOAM.SOL", "80"}));
  EXPECT_EQ(T.Rows[23].Values, (std::vector<std::string>{"SBARLEY.CRP", "SAND.SOL", "140"}));
  EXPECT_TRUE(CheckStudyTable(T, *Session).empty());

  // Decimal steps stop at the end inclusive; table variables take ';' between values.
  const TStudyTable D = ExpandStudyTable({"WAV=0.5:1.5:0.5", "AMAXTB=0,30,1,40;0,35,1,45"});
  ASSERT_EQ(D.Rows.size(), 6u);
  EXPECT_EQ(D.Rows[2].Values, (std::vector<std::string>{"1", "0,30,1,40"}));
  EXPECT_EQ(D.Rows[5].Values, (std::vector<std::string>{"1.5", "0,35,1,45"}));
  EXPECT_NE(StudyTableText(D).find("0.5,\"0,30,1,40\"\n"), std::string::npos);

  // Stations: every weather station, no rainfall file.
  const TStudyTable S = ExpandStudyTable({"CLFILE=*"});
  for (const TStudyRow& R : S.Rows) EXPECT_NE(R.Values[0], "RAINN.DAT");
  EXPECT_GE(S.Rows.size(), 3u);

  for (const char* Bad : {"IDSOW", "IDSOW=", "IDSOW=140:80:20", "IDSOW=80:140:0", "WAV=*", "=1"}) {
    SCOPED_TRACE(Bad);
    EXPECT_THROW(ExpandStudyTable({Bad}), EKvError);
  }
}
}  // namespace
