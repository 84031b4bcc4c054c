#pragma once
// A program home with a variable catalogue and a session on it, for the
// tests of the session and of the rerun table. Header-only: both test
// programs include it.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"
#include "session/Kvses.h"
#include "support/TestSupport.h"

// Every keyword the session asks for, and the rerun variables the tests use.
inline const std::string TestCatalogue = CrLf(R"(name,min,max,type,file,meaning
RUNNAM,0,0,C,,run name
PRDEL,0,30,I,TD,output interval
ISDAY,1,366,I,TD,water balance start day
IDEM,1,365,I,TD,day of emergence
IDSOW,1,365,I,TD,day of sowing
IDESOW,1,365,I,TD,earliest sowing
IDLSOW,1,365,I,TD,ultimate sowing
IDAYEN,1,365,I,TD,end day
IDURMX,1,365,I,TD,maximum duration
INYEAR,1,40,I,TD,number of years
INYRG,1,40,I,TD,rainfall years
CLFILE,0,0,C,TD,weather station
RAFILE,0,0,C,TD,rainfall station
CRFILE,0,0,C,TD,crop file
SOFILE,0,0,C,SD,soil file
SSI,0,10,R,SD,initial surface storage
SSMAX,0,10,R,SD,maximum surface storage
SMLIM,0,1,R,SD,maximum initial moisture
WAV,0,100,R,SD,initial available soil water
ZTI,0,999,R,SD,initial groundwater table
DD,0,200,R,SD,drainage depth
RDMSOL,10,150,R,SD,maximum rooting depth
NOTINF,0,1,R,SD,non-infiltrating fraction
NBASE,0,100,R,SD,nitrogen base
NREC,0,1,R,SD,nitrogen recovery
PBASE,0,100,R,SD,phosphorus base
PREC,0,1,R,SD,phosphorus recovery
KBASE,0,100,R,SD,potassium base
KREC,0,1,R,SD,potassium recovery
AMAXTB,0,100,SD,CF,maximum assimilation
TBASE,-10,10,R,CF,base temperature
SMW,0,1,R,SF,wilting point
SM0,0,1,R,SF,porosity
)");

inline const std::string TestCropFile = CrLf(R"(** a crop for the tests
CRPNAM='Spring barley, early'
TBASE = 0.0
AMAXTB = 0.00, 35.0,
     1.00, 40.0,
     2.00, 45.0 ! end of table
IDSL = 0
)");

inline const std::string TestSoilFile = CrLf(R"(SOLNAM='Clay loam'
SMW = 0.100
SM0 = 0.400
)");

class TSessionTest : public ::testing::Test {
 protected:
  // Catalogue: the text of KRL_VAR.csv to load.
  void SetUpSession(const std::string& Catalogue = TestCatalogue) {
    Home = std::make_unique<TProgramHome>();
    Home->Dir().Write("bin/KRL_VAR.csv", Catalogue);
    LoadVarCatalogue(Home->Bin() + "KRL_VAR.csv");
    Session = std::make_unique<TKvSession>();
    TheSession = Session.get();
    Session->Reset();
  }
  void SetUp() override { SetUpSession(); }
  void TearDown() override {
    TheSession = nullptr;
    Session.reset();
    FreeVarCatalogue();
    Home.reset();
  }

  const TTempDir& Dir() const { return Home->Dir(); }
  // A file of the run exchange directory, bytes as they stand.
  std::string RunFile(const std::string& Name) const { return Dir().Read("runio/" + Name); }
  // The lines of a file, CR LF removed; header lines 2 and 3 (program and
  // date) replaced by "#".
  std::vector<std::string> Lines(const std::string& Content) const {
    std::vector<std::string> Out;
    size_t Pos = 0;
    while (Pos < Content.size()) {
      size_t End = Content.find("\r\n", Pos);
      if (End == std::string::npos) End = Content.size();
      Out.push_back(Content.substr(Pos, End - Pos));
      Pos = End + 2;
    }
    if (Out.size() >= 3) Out[1] = Out[2] = "#";
    return Out;
  }
  std::string Masked(const std::string& Name) const {
    std::string S;
    for (const std::string& L : Lines(RunFile(Name))) S += L + "\n";
    return S;
  }
  void AddCropAndSoil() {
    Dir().Write("cropd/BARLEY.CAB", TestCropFile);
    Dir().Write("soild/CLAY.SOL", TestSoilFile);
    Session->Crop().SetCropFile("BARLEY.CAB");
    Session->Soil().SetSoilFile("CLAY.SOL");
  }

  // Every field away from its default; a rerun table with every value type.
  void FillSession(bool Option2) {
    AddCropAndSoil();
    Dir().Write("meteo/climd/RAINN.DAT", "** KRLDESCRIPTION=Rain north\r\n** KRLFORMAT=99\r\n");
    TKvSession& S = *Session;
    S.General().SetProductionLevels(3);
    S.General().SetTypeOfWaterLimitedCropGrowth(1);
    S.General().SetSummarySeasonalSoilWaterBalance(3);
    S.General().SetOutputInterval(5);
    S.General().SetWaterbalanceStartDay(60);
    TKvCrop& C = S.Crop();
    C.SetCropDescription("Spring barley, early");
    C.SetStartDay(2);
    C.SetFixedEmergenceDate(35);
    C.SetFixedSowingDate(40);
    C.SetEarliestSowingDate(90);
    C.SetUltimateSowingDate(150);
    C.SetEndDay(3);
    C.SetFixedEndDate(250);
    C.SetMaximumDuration(200);
    TKvWeather& W = S.Weather();
    W.SetWeatherFormatNumber(2);
    W.SetStationFile("NLD1.");
    W.SetStationDescription("Station north, daily data");
    W.SetYear(1987);
    W.SetConsecutiveYears(3);
    if (Option2) {
      W.SetRainfallDataOptions(2);
      W.SetRainfallStationFile("RAINN.DAT");
      W.SetRainfallStationDescription("Rain north");
      W.SetRainfallYear(1988);
      W.SetRainfallConsecutiveYears(2);
    } else {
      W.SetRainfallDataOptions(0);
      W.SetNoOfRunsWithRandomizedRain(4);
    }
    S.Soil().SetSoilDescription("Clay loam");
    TKvHydrology& H = S.Hydrology();
    H.SetGroundwater(1);
    H.SetTypeOfNonInfiltratingFractionOfRain(1);
    H.SetDrainage(1);
    H.SetMaximumSurfaceStorage(2.5);
    H.SetInitialAvailableSoilWater(12.25);
    H.SetInitialGroundWaterTable(150);
    H.SetDrainageDepth(80);
    H.SetMaximumRootDepthOfSoil(100);
    H.SetMaxNonInfiltratingFractionOfRain(0.25);
    H.SetInitialSurfaceStorage(1.5);
    H.SetMaximumMoisture(0.3);
    TKvNutrients& N = S.Nutrients();
    N.SetNBase(50);
    N.SetNrec(0.4);
    N.SetPBase(12);
    N.SetPrec(0.2);
    N.SetKBase(70);
    N.SetKrec(0.6);
    TKvRerun& R = S.Rerun();
    R.SetUseReRuns(true);
    std::string Table;  // over two lines when written
    while (Table.size() < 120) Table += "1.00,22.5,";
    Table += "2.00,30.0";
    R.RerunList.Clear();
    R.RerunList.Add("", std::make_unique<TRerunVarList>());
    R.RerunList.Add("", std::make_unique<TRerunVarList>());
    for (const std::string& V : std::vector<std::string>{"RUNNAM=KRL1", "CRFILE=BARLEY.CAB", "INYEAR=2",
                                                         "TBASE=1.5", "AMAXTB=" + Table})
      R.AddRerunVar(0, V);
    for (const char* V : {"RUNNAM=KRL2", "CRFILE=BARLEY.CAB", "INYEAR=4", "TBASE=-2.0", "AMAXTB=0,10,3,20"})
      R.AddRerunVar(1, V);
  }
  std::vector<std::string> AllFiles() const {
    return {Masked("KRLTI.TIM"), Masked("KRLSI.SIT"), Masked("RUNOPT.DAT"), Masked("KRLRR.RER")};
  }
  // Scripted boxes: any box a test did not expect fails it.
  TScriptedMessages Msgs;
  std::unique_ptr<TProgramHome> Home;
  std::unique_ptr<TKvSession> Session;
};

// The message of the error F raises; "" when it raises none.
template <class F>
std::string ErrorOf(F&& Fn) {
  try {
    Fn();
  } catch (const std::exception& E) {
    return E.what();
  }
  return "";
}
