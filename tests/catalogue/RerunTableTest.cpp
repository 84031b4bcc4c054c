// The rerun table: run names, adding and removing reruns and variables with
// their refusals and confirmations, starting values read from the files.

#include "foundations/DxTxtFle.h"
#include "foundations/Errors.h"
#include "session/SessionFixture.h"

class RerunTable : public TSessionTest {
 protected:
  TKvRerun& R() { return Session->Rerun(); }
  std::vector<std::string> RunNames() {
    std::vector<std::string> Names;
    for (int i = 1; i <= R().RerunList.Count(); ++i) Names.push_back(R().GetSelectedVar(i, 0)->Value());
    return Names;
  }
  // Catalogue entries of these names, as the selection dialog hands them over.
  TRerunVarList Selection(std::initializer_list<const char*> Names) {
    TRerunVarList L;
    for (const char* N : Names) L.Add(N, FindCatalogueVar(N)->GetCopy());
    return L;
  }
};

TEST_F(RerunTable, ResetNamesTheFirstRunAfterTheSession) {
  Session->FileManager().SetKRLFullName("FIELD7");
  R().SetUseReRuns(true);
  R().Reset();
  EXPECT_FALSE(R().UseReRuns());
  EXPECT_EQ(R().StartStopOptions(), 2);
  ASSERT_EQ(R().RerunList.Count(), 1);
  const TRerunVar* Run = R().GetSelectedVar(1, 0);
  EXPECT_EQ(Run->Description(), "RUNNAM");
  EXPECT_EQ(Run->Value(), "FIELD1");
  EXPECT_EQ(Run->VarType(), "C");
  EXPECT_EQ(Run->FileType(), "");
  EXPECT_EQ(Run->Max(), 0.0);
  R().SetUseReRuns(true);
  EXPECT_EQ(R().StartStopOptions(), 4);

  // Without a session the name is the working one.
  TKvSession* Keep = TheSession;
  TheSession = nullptr;
  TKvRerun Alone;
  Alone.Reset();
  EXPECT_EQ(Alone.GetSelectedVar(1, 0)->Value(), "KRL1");
  TheSession = Keep;
}

TEST_F(RerunTable, AddingRerunsCopiesTheLastOne) {
  ASSERT_TRUE(R().AddRerunVar(0, "IDEM=35"));
  R().AddRerun();
  R().GetSelectedVar(2, 1)->SetValue("40");
  R().AddRerun();
  EXPECT_EQ(RunNames(), (std::vector<std::string>{"KRL1", "KRL2", "KRL3"}));
  EXPECT_EQ(R().GetSelectedVar(1, 1)->Value(), "35");
  EXPECT_EQ(R().GetSelectedVar(3, 1)->Value(), "40");
  EXPECT_NE(R().GetSelectedVar(2, 1), R().GetSelectedVar(3, 1));

  // Removing the second and adding one repeats a run name.
  Msgs.Expect(TMsgKind::Confirmation, "Are you sure you want to delete rerun: KRL2", TMsgResult::Ok);
  R().RemoveRerun(1);
  R().AddRerun();
  EXPECT_EQ(RunNames(), (std::vector<std::string>{"KRL1", "KRL3", "KRL3"}));
  EXPECT_EQ(ErrorOf([&] { Session->CheckReruns(); }), "same RUNNAM not allowed: KRL3");
}

TEST_F(RerunTable, RefusalsAndConfirmations) {
  Msgs.Expect(TMsgKind::Information, "It is not allowed to remove the last rerun.");
  R().RemoveRerun(0);
  EXPECT_EQ(R().RerunList.Count(), 1);
  R().RemoveRerun(-1);  // nothing, no box

  Msgs.Expect(TMsgKind::Information, "It is not allowed to remove the variable RUNNAM.");
  R().RemoveRerunVar(0);

  R().AddRerunVar(0, "IDEM=35");
  R().AddRerunVar(0, "TBASE=1.5");
  R().AddRerun();
  Msgs.Expect(TMsgKind::Confirmation, "Are you sure you want to delete rerun: KRL2", TMsgResult::Cancel);
  R().RemoveRerun(1);
  EXPECT_EQ(R().RerunList.Count(), 2);
  Msgs.Expect(TMsgKind::Confirmation, "Are you sure you want to delete variable: IDEM", TMsgResult::Cancel);
  R().RemoveRerunVar(1);
  EXPECT_EQ(R().GetVarType(1), "I");
  Msgs.Expect(TMsgKind::Confirmation, "Are you sure you want to delete variable: IDEM", TMsgResult::Ok);
  R().RemoveRerunVar(1);
  for (int Run = 1; Run <= 2; ++Run) {
    ASSERT_EQ(R().RerunList.Objects(Run - 1)->Count(), 2);
    EXPECT_EQ(R().GetSelectedVar(Run, 1)->Description(), "TBASE");
  }
  R().RemoveRerunVar(7);  // out of range: nothing
  EXPECT_EQ(R().GetVarType(1), "R");
  EXPECT_EQ(R().GetVarType(2), " ");
  EXPECT_EQ(R().GetVarType(-1), " ");
  EXPECT_EQ(R().GetSelectedVar(0, 0), nullptr);
  EXPECT_EQ(R().GetSelectedVar(3, 0), nullptr);
  EXPECT_EQ(R().GetSelectedVar(1, 2), nullptr);
}

TEST_F(RerunTable, AddRerunVarTakesNameAndValue) {
  EXPECT_TRUE(R().AddRerunVar(0, "RUNNAM='ABC1'"));
  EXPECT_EQ(R().GetSelectedVar(1, 1)->Value(), "ABC1");
  EXPECT_EQ(R().GetSelectedVar(1, 1)->Meaning(), "run name");  // from the catalogue
  EXPECT_FALSE(R().AddRerunVar(0, "IDEM"));
  EXPECT_FALSE(R().AddRerunVar(1, "IDEM=1"));
  EXPECT_FALSE(R().AddRerunVar(-1, "IDEM=1"));
  EXPECT_TRUE(R().AddRerunVar(0, "NOTINCATALOGUE='a b'=c"));
  const TRerunVar* V = R().GetSelectedVar(1, 2);
  EXPECT_EQ(V->Description(), "NOTINC");
  EXPECT_EQ(V->Value(), "'a b'=c");
  EXPECT_EQ(V->VarType(), "C");
  EXPECT_EQ(V->FileType(), "");
  EXPECT_EQ(V->Min(), 0.0);
  EXPECT_EQ(R().RerunList.Objects(0)->Strings(2), "NOTINC");
}

TEST_F(RerunTable, SingleValuesFromAFile) {
  Dir().Write("runio/T.TIM",
              "* IDEM = 40\r\n"
              "TIDEM = 50\r\n"
              "IDEM = 35\r\n"
              "IDSOW =36\r\n"
              "IDESOW    =   '37'   \r\n"
              "CRPNAM = 'Spring wheat'\r\n"
              "X = 1 * IENCHO = 2\r\n"
              "IDAYEN=270\r\n");
  struct {
    const char *Name, *Value;
  } Cases[] = {{"IDEM", "35"}, {"IDSOW", "36"}, {"IDESOW", "37"}, {"CRPNAM", "'Spring"},
               {"IENCHO", ""}, {"IDAYEN", ""},  {"idem", ""},     {"NOSUCH", ""}};
  for (const auto& C : Cases) {
    TDxTextFile F(Dir() / "runio/T.TIM");
    EXPECT_EQ(TKvRerun::ReadVarValue(F, "I", C.Name), C.Value) << C.Name;
  }
}

TEST_F(RerunTable, TableValuesFromAFile) {
  Dir().Write("cropd/T.CAB", CrLf(R"(AMAXTB = 0.00, 35.0,
     1.00, 40.0,
     2.00, 45.0 ! end
TMPFTB = 0.0, 0.5, 10.0, 1.0 ! a comment on the first line
ABCDTB = a, 1, 2
EFGHTB = 1, 2, x, 3,
  4, 5

  6, 7
LASTTB = 1, 2,
  3, 4)"));
  struct {
    const char *Name, *Value;
  } Cases[] = {{"AMAXTB", "0.00,35.0,1.00,40.0,2.00,45.0"},
               {"TMPFTB", "0.0,0.5,10.0"},
               {"ABCDTB", ""},
               {"EFGHTB", "1,2,4,5"},
               {"LASTTB", "1,2,3,4"}};
  for (const auto& C : Cases) {
    TDxTextFile F(Dir() / "cropd/T.CAB");
    EXPECT_EQ(TKvRerun::ReadVarValue(F, "SD", C.Name), C.Value) << C.Name;
  }
}

TEST_F(RerunTable, StartingValuesAndAddingVariables) {
  AddCropAndSoil();
  Session->Crop().SetFixedEmergenceDate(35);
  Session->WriteInputFiles();
  EXPECT_EQ(R().GetDefaultVarValue("IDEM", "I", "TD"), "35");
  EXPECT_EQ(R().GetDefaultVarValue("WAV", "R", "SD"), "20.000000");
  EXPECT_EQ(R().GetDefaultVarValue("SMW", "R", "SF"), "0.100");
  EXPECT_EQ(ErrorOf([&] { R().GetDefaultVarValue("IDEM", "I", "XX"); }), "'' not found!");
  R().AddRerun();
  R().AddRerunVarList(Selection({"AMAXTB", "TBASE", "IDEM"}));
  for (int Run = 1; Run <= 2; ++Run) {
    EXPECT_EQ(R().GetSelectedVar(Run, 1)->Value(), "0.00,35.0,1.00,40.0,2.00,45.0");
    EXPECT_EQ(R().GetSelectedVar(Run, 2)->Value(), "0.0");
    EXPECT_EQ(R().GetSelectedVar(Run, 3)->Value(), "35");
    EXPECT_EQ(R().GetSelectedVar(Run, 3)->Meaning(), "day of emergence");
  }
  EXPECT_NE(R().GetSelectedVar(1, 1), R().GetSelectedVar(2, 1));

  // A soil variable while no soil is chosen: nothing changes.
  Session->Soil().SetSoilFile("");
  EXPECT_EQ(ErrorOf([&] { R().AddRerunVarList(Selection({"TBASE", "SMW"})); }), "'..\\soild\\\\' not found!");
  EXPECT_EQ(R().RerunList.Objects(0)->Count(), 4);
  EXPECT_EQ(R().RerunList.Objects(1)->Count(), 4);
}

TEST_F(RerunTable, YearsAskedFor) {
  R().AddRerunVar(0, "INYEAR=3");
  R().AddRerun();
  R().GetSelectedVar(2, 1)->SetValue("5");
  R().AddRerun();
  R().GetSelectedVar(3, 1)->SetValue("1");
  EXPECT_EQ(R().GetNrOfSimulationYears(), 1);  // reruns not used
  R().SetUseReRuns(true);
  EXPECT_EQ(R().GetNrOfSimulationYears(), 5);
  R().GetSelectedVar(2, 1)->SetValue("x");
  EXPECT_EQ(R().GetNrOfSimulationYears(), 3);
  // INYRG counts as well; names without regard to case.
  for (int Run = 0; Run < 3; ++Run) R().AddRerunVar(Run, "inyrg=8");
  EXPECT_EQ(R().GetNrOfSimulationYears(), 8);
  R().Reset();
  R().SetUseReRuns(true);
  EXPECT_EQ(R().GetNrOfSimulationYears(), 1);
}
