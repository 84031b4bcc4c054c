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
inline const char* const TestCatalogue =
    "name,min,max,type,file,meaning\r\n"
    "RUNNAM,0,0,C,,run name\r\n"
    "PRDEL,0,30,I,TD,output interval\r\n"
    "ISDAY,1,366,I,TD,water balance start day\r\n"
    "IDEM,1,365,I,TD,day of emergence\r\n"
    "IDSOW,1,365,I,TD,day of sowing\r\n"
    "IDESOW,1,365,I,TD,earliest sowing\r\n"
    "IDLSOW,1,365,I,TD,ultimate sowing\r\n"
    "IDAYEN,1,365,I,TD,end day\r\n"
    "IDURMX,1,365,I,TD,maximum duration\r\n"
    "INYEAR,1,40,I,TD,number of years\r\n"
    "INYRG,1,40,I,TD,rainfall years\r\n"
    "CLFILE,0,0,C,TD,weather station\r\n"
    "RAFILE,0,0,C,TD,rainfall station\r\n"
    "CRFILE,0,0,C,TD,crop file\r\n"
    "SOFILE,0,0,C,SD,soil file\r\n"
    "SSI,0,10,R,SD,initial surface storage\r\n"
    "SSMAX,0,10,R,SD,maximum surface storage\r\n"
    "SMLIM,0,1,R,SD,maximum initial moisture\r\n"
    "WAV,0,100,R,SD,initial available soil water\r\n"
    "ZTI,0,999,R,SD,initial groundwater table\r\n"
    "DD,0,200,R,SD,drainage depth\r\n"
    "RDMSOL,10,150,R,SD,maximum rooting depth\r\n"
    "NOTINF,0,1,R,SD,non-infiltrating fraction\r\n"
    "NBASE,0,100,R,SD,nitrogen base\r\n"
    "NREC,0,1,R,SD,nitrogen recovery\r\n"
    "PBASE,0,100,R,SD,phosphorus base\r\n"
    "PREC,0,1,R,SD,phosphorus recovery\r\n"
    "KBASE,0,100,R,SD,potassium base\r\n"
    "KREC,0,1,R,SD,potassium recovery\r\n"
    "AMAXTB,0,100,SD,CF,maximum assimilation\r\n"
    "TBASE,-10,10,R,CF,base temperature\r\n"
    "SMW,0,1,R,SF,wilting point\r\n"
    "SM0,0,1,R,SF,porosity\r\n";

inline const char* const TestCropFile =
    "** a crop for the tests\r\n"
    "CRPNAM='Spring barley, early'\r\n"
    "TBASE = 0.0\r\n"
    "AMAXTB = 0.00, 35.0,\r\n"
    "     1.00, 40.0,\r\n"
    "     2.00, 45.0 ! end of table\r\n"
    "IDSL = 0\r\n";

inline const char* const TestSoilFile =
    "SOLNAM='Clay loam'\r\n"
    "SMW = 0.100\r\n"
    "SM0 = 0.400\r\n";

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
