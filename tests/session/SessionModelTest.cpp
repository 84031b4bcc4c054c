// The session aggregate and its parameter groups: defaults, catalogue
// ranges, the soil-dependent moisture range and the checked nutrient setters.

#include "catalogue/KvRange.h"
#include "foundations/Errors.h"
#include "session/SessionFixture.h"

TEST(SessionRange, RoundsHalvesToEven) {
  EXPECT_EQ(RoundToInt32(2.5L), 2);
  EXPECT_EQ(RoundToInt32(3.5L), 4);
  EXPECT_EQ(RoundToInt32(-2.5L), -2);
  EXPECT_EQ(RoundToInt32(2.6L), 3);
  EXPECT_THROW(RoundToInt32(3e9L), ERangeError);
  EXPECT_DOUBLE_EQ(static_cast<double>(RoundHalfEven(0.5L)), 0.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(RoundHalfEven(1.5L)), 2.0);
}

class SessionModel : public TSessionTest {};

TEST_F(SessionModel, ConstructionTakesCatalogueRanges) {
  const TKvGeneral& G = Session->General();
  EXPECT_EQ(G.OutputIntervalMin(), 0);
  EXPECT_EQ(G.OutputIntervalMax(), 30);
  EXPECT_EQ(G.OutputInterval(), 1);
  EXPECT_EQ(G.WaterbalanceStartDayMin(), 1);
  EXPECT_EQ(G.WaterbalanceStartDayMax(), 366);
  const TKvHydrology& H = Session->Hydrology();
  EXPECT_EQ(H.MinMaximumRootDepthOfSoil(), 10);
  EXPECT_EQ(H.MaxMaximumRootDepthOfSoil(), 150);
  EXPECT_EQ(H.MaxInitialGroundWaterTable(), 999);
  // No soil chosen: the reset passed over the soil silently, the catalogue's
  // range stays and the value 0.
  EXPECT_EQ(static_cast<double>(H.MaximumMoisture()), 0.0);
  EXPECT_EQ(static_cast<double>(H.MinMaximumMoisture()), 0.0);
  EXPECT_EQ(static_cast<double>(H.MaxMaximumMoisture()), 1.0);
  EXPECT_EQ(static_cast<double>(Session->Nutrients().NBaseMax()), 100.0);
  EXPECT_EQ(static_cast<double>(Session->Nutrients().NRecMax()), 1.0);
  ASSERT_EQ(Session->Rerun().RerunList.Count(), 1);
  EXPECT_EQ(Session->Rerun().GetSelectedVar(1, 0)->Value(), "KRL1");
}

TEST_F(SessionModel, CatalogueBoundsAreRoundedHalfToEven) {
  TearDown();
  std::string Cat = TestCatalogue;
  Cat += "XRANGE,0,0,R,SD,unused\r\n";
  // Later entries of the same name do not count: put the odd ranges first.
  Cat.insert(Cat.find("RUNNAM"),
             "PRDEL,0.5,2.5,I,TD,x\r\nISDAY,1.5,3.5,I,TD,x\r\nSMLIM,0.5,1.5,R,SD,x\r\n"
             "NBASE,2.5,99.5,R,SD,x\r\n");
  SetUpSession(Cat);
  EXPECT_EQ(Session->General().OutputIntervalMin(), 0);
  EXPECT_EQ(Session->General().OutputIntervalMax(), 2);
  EXPECT_EQ(Session->General().WaterbalanceStartDayMin(), 2);
  EXPECT_EQ(Session->General().WaterbalanceStartDayMax(), 4);
  EXPECT_EQ(static_cast<double>(Session->Hydrology().MinMaximumMoisture()), 0.0);
  EXPECT_EQ(static_cast<double>(Session->Hydrology().MaxMaximumMoisture()), 2.0);
  EXPECT_EQ(static_cast<double>(Session->Nutrients().NBaseMin()), 2.0);
  EXPECT_EQ(static_cast<double>(Session->Nutrients().NBaseMax()), 100.0);
}

TEST_F(SessionModel, MissingKeywordGivesEmptyRangeAndOneMessage) {
  Msgs.Expect(TMsgKind::Plain, "not found: NOSUCH");
  EXPECT_EQ(RangeMinInt("NOSUCH"), 0);
  EXPECT_EQ(RangeMaxInt("NOSUCH"), 0);
}

TEST_F(SessionModel, CatalogueValueBeyond32BitsFailsWithRangeError) {
  TearDown();
  std::string Cat = TestCatalogue;
  Cat.insert(Cat.find("RUNNAM"), "PRDEL,0,3000000000,I,TD,x\r\n");
  Home = std::make_unique<TProgramHome>();
  Home->Dir().Write("bin/KRL_VAR.csv", Cat);
  LoadVarCatalogue(Home->Bin() + "KRL_VAR.csv");
  EXPECT_EQ(ErrorOf([] { TKvGeneral G; }), "Range check error");
}

TEST_F(SessionModel, SetMinMaxSMLIMClampsIntoTheSoilsRange) {
  AddCropAndSoil();
  struct {
    double Before, After;
  } Cases[] = {{0, 0.1}, {0.6, 0.4}, {0.25, 0.25}, {0.1, 0.1}, {0.4, 0.4}};
  for (const auto& C : Cases) {
    Session->Hydrology().SetMaximumMoisture(C.Before);
    Session->SetMinMaxSMLIM();
    EXPECT_NEAR(static_cast<double>(Session->Hydrology().MaximumMoisture()), C.After, 1e-12) << C.Before;
  }
  EXPECT_NEAR(static_cast<double>(Session->Hydrology().MinMaximumMoisture()), 0.1, 1e-12);
  EXPECT_NEAR(static_cast<double>(Session->Hydrology().MaxMaximumMoisture()), 0.4, 1e-12);

  // A minimum above the maximum leaves the value at the maximum.
  Dir().Write("soild/ODD.SOL", "SMW = 0.5\r\nSM0 = 0.3\r\n");
  Session->Soil().SetSoilFile("ODD.SOL");
  Session->Hydrology().SetMaximumMoisture(0.1);
  Session->SetMinMaxSMLIM();
  EXPECT_NEAR(static_cast<double>(Session->Hydrology().MaximumMoisture()), 0.3, 1e-12);
}

TEST_F(SessionModel, ResetRestoresEveryDefault) {
  AddCropAndSoil();
  Session->Hydrology().SetMaximumMoisture(0.3);
  Session->Hydrology().SetDrainageDepth(50);
  Session->General().SetProductionLevels(3);
  Session->Weather().SetYear(1999);
  Session->Nutrients().SetNBase(10);
  Session->Rerun().SetUseReRuns(true);
  Session->Rerun().AddRerun();
  Session->FileManager().SetKRLFullName("WHEAT");
  Session->Reset();
  EXPECT_EQ(Session->Soil().SoilFile(), "");
  EXPECT_EQ(Session->Crop().CropFile(), "");
  EXPECT_EQ(static_cast<double>(Session->Hydrology().MaximumMoisture()), 0.0);
  EXPECT_EQ(static_cast<double>(Session->Hydrology().DrainageDepth()), 20.0);
  EXPECT_EQ(Session->General().ProductionLevels(), 2);
  EXPECT_EQ(Session->Weather().Year(), 1980);
  EXPECT_EQ(static_cast<double>(Session->Nutrients().NBase()), 60.0);
  EXPECT_FALSE(Session->Rerun().UseReRuns());
  EXPECT_EQ(Session->Rerun().StartStopOptions(), 2);
  EXPECT_EQ(Session->Rerun().RerunList.Count(), 1);
  EXPECT_EQ(Session->FileManager().KRLName(), "KRL");
}

TEST_F(SessionModel, SetMinMaxSMLIMWithoutSoilNamesTheMissingFile) {
  EXPECT_EQ(ErrorOf([&] { Session->SetMinMaxSMLIM(); }), "'..\\soild\\\\' not found!");
}

TEST_F(SessionModel, NutrientSettersRefuseValuesOutOfRange) {
  TKvNutrients& N = Session->Nutrients();
  EXPECT_EQ(ErrorOf([&] { N.SetNBase(150); }), "'NBase' should be in [0.000000 - 100.000000]");
  EXPECT_EQ(static_cast<double>(N.NBase()), 60.0);
  struct {
    void (TKvNutrients::*Set)(long double);
    long double (TKvNutrients::*Get)() const;
    const char* Message;
  } Cases[] = {
      {&TKvNutrients::SetNrec, &TKvNutrients::Nrec, "'NRec' should be in [0.000000 - 1.000000]"},
      {&TKvNutrients::SetPBase, &TKvNutrients::PBase, "'PBase' should be in [0.000000 - 100.000000]"},
      {&TKvNutrients::SetPrec, &TKvNutrients::Prec, "'PRec' should be in [0.000000 - 1.000000]"},
      {&TKvNutrients::SetKBase, &TKvNutrients::KBase, "'KBase' should be in [0.000000 - 100.000000]"},
      {&TKvNutrients::SetKrec, &TKvNutrients::Krec, "'KRec' should be in [0.000000 - 1.000000]"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Message);
    const long double Old = (N.*C.Get)();
    EXPECT_EQ(ErrorOf([&] { (N.*C.Set)(-0.5); }), C.Message);
    EXPECT_EQ((N.*C.Get)(), Old);
    (N.*C.Set)(1);  // the bounds are inclusive
    EXPECT_EQ(static_cast<double>((N.*C.Get)()), 1.0);
  }
  N.SetNBase(100);
  N.Reset();
  EXPECT_EQ(static_cast<double>(N.NBase()), 60.0);
  EXPECT_EQ(static_cast<double>(N.Prec()), static_cast<double>(0.1L));
}

TEST_F(SessionModel, FileNameOfAFileCode) {
  AddCropAndSoil();
  EXPECT_EQ(Session->GetFileNameType("TD"), "..\\RUNIO\\KRLTI.TIM");
  EXPECT_EQ(Session->GetFileNameType("SD"), "..\\RUNIO\\KRLSI.SIT");
  EXPECT_EQ(Session->GetFileNameType("CF"), "..\\cropd\\\\BARLEY.CAB");
  EXPECT_EQ(Session->GetFileNameType("SF"), "..\\soild\\\\CLAY.SOL");
  EXPECT_EQ(Session->GetFileNameType("XX"), "");
  EXPECT_EQ(Session->GetFileNameType("td"), "");
}

TEST_F(SessionModel, ASessionWorksBeforeItIsTheSession) {
  TheSession = nullptr;
  Dir().Write("soild/CLAY.SOL", TestSoilFile);
  TKvSession Other;
  Other.Reset();
  Other.Soil().SetSoilFile("CLAY.SOL");
  Other.SetMinMaxSMLIM();
  EXPECT_NEAR(static_cast<double>(Other.Hydrology().MaximumMoisture()), 0.1, 1e-12);
  EXPECT_EQ(Other.Rerun().GetSelectedVar(1, 0)->Value(), "KRL1");
  TheSession = Session.get();
}
