// Builds the seed corpora of the fuzz targets:
//
//   fuzz_seeds OUTDIR
//
// writes OUTDIR/<target>/<seed> for every target, from the sample program
// home (data/: crop, soil, weather and rainfall files, DIRECT.INI,
// KRL_VAR.csv), from the input files a session writes, and from what the
// model really writes for a few sessions (detailed and summary output, its
// log, with and without an error), plus the batch script of a run. Each seed
// is framed as its target reads its input.

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "model/Model.h"
#include "platform/FileSys.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvses.h"

namespace fs = std::filesystem;

namespace {
fs::path Out;
int Count = 0;

void Seed(const std::string& Target, const std::string& Bytes) {
  fs::create_directories(Out / Target);
  std::ofstream(Out / Target / ("seed" + std::to_string(++Count)), std::ios::binary) << Bytes;
}

std::string Read(const fs::path& P) { return FuzzReadFile(P.string()); }

std::string Join(const std::vector<std::string>& Parts) {
  std::string S;
  for (size_t i = 0; i < Parts.size(); ++i) S += (i ? std::string(1, FuzzPartSep) : "") + Parts[i];
  return S;
}

std::string Utf16(const std::string& Ascii, bool BigEndian) {
  std::string S;
  for (char C : Ascii) {
    S += BigEndian ? std::string(1, '\0') + C : std::string(1, C) + '\0';
  }
  return S;
}

// The text's first lines, for the line and file reader targets.
std::vector<std::string> FirstLines(const std::string& Text, size_t Max) {
  std::vector<std::string> Lines;
  std::istringstream In(Text);
  std::string L;
  while (Lines.size() < Max && std::getline(In, L)) Lines.push_back(L);
  return Lines;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds OUTDIR\n";
    return 2;
  }
  Out = fs::absolute(argv[1]);
  FuzzQuietHandlers();
  const fs::path Data = fs::path(KRL_SOURCE_DIR) / "data";
  const fs::path Home = FuzzDir() + "home";
  fs::copy(Data, Home, fs::copy_options::recursive);
  fs::create_directories(Home / "runio");
  fs::create_directories(Home / "output");
  SetExecPath((Home / "bin").string() + "/");
  InvalidateDirCache();

  // ---- sample data files
  const std::string Ini = Read(Data / "bin" / "DIRECT.INI");
  const std::string Csv = Read(Data / "bin" / "KRL_VAR.csv");
  Seed("ini", Ini);
  Seed("varcat", "\x00" + Csv);
  Seed("varcat", "\x01" + Csv);
  Seed("varcat", "\x02" + Utf16(Csv, false));
  Seed("varcat", "\x03" + Utf16(Csv, true));
  std::vector<std::string> Crops, Soils;
  for (const auto& E : fs::directory_iterator(Data / "cropd")) Crops.push_back(Read(E.path()));
  for (const auto& E : fs::directory_iterator(Data / "soild")) Soils.push_back(Read(E.path()));
  const std::string Weather = Read(Data / "meteo" / "merawe" / "NLD1.980");
  const std::string Weather2 = Read(Data / "meteo" / "merawe" / "NLD1.981");
  const std::string Rain = Read(Data / "meteo" / "climd" / "RAINN.DAT");
  const std::string Clim = Read(Data / "meteo" / "climd" / "CLIMN.DAT");
  for (const std::string& C : Crops) {
    Seed("datafile", C);
    Seed("modelinput", "\x03" + C);
    Seed("modelrun", "\x04" + C);
  }
  for (const std::string& S : Soils) {
    Seed("datafile", S);
    Seed("modelinput", "\x04" + S);
    Seed("modelrun", "\x05" + S);
  }
  Seed("datafile", Join({Weather, Weather2, Clim}));
  Seed("datafile", Join({Weather.substr(0, 400), Rain.substr(0, 400)}));
  Seed("modelinput", "\x06" + Read(Data / "meteo" / "merawe" / "NLD1.981"));
  Seed("modelinput", "\x07" + Rain.substr(0, 20000));
  Seed("modelrun", "\x06" + Weather);
  Seed("modelrun", "\x07" + Rain);

  // Lines for the line and file readers: key lines with their separators.
  for (const std::string& Text : {Crops[0], Soils[0], Weather, Csv, Ini}) {
    for (const std::string& L : FirstLines(Text, 6)) {
      Seed("dxline", "\\x\\x\\x" + L);
      Seed("dxline", "=\\x!\\x\\x" + L);
      Seed("dxline", ",\\x\\x\\x" + L);
    }
    Seed("textfile",
         std::string("\x00\x01\x06\x05\x02\x03\x04", 7) + "\\x\\x\\x" + Text.substr(0, 3000) + "\x01");
    Seed("textfile", std::string("\x01\x00\x00\x07\x06", 5) + "\\x=\\x!\\x" + Text.substr(0, 3000) + "\x20");
  }
  Seed("dxline", "^I\\x\\x\\xa\tb\t\tc");

  // ---- sessions: the input files written, the model run on them
  LoadVarCatalogue((Home / "bin" / "KRL_VAR.csv").string());
  struct TCase {
    const char* Name;
    std::function<void(TKvSession&)> Set;
  };
  const std::vector<TCase> Cases = {
      {"potential", [](TKvSession& S) { S.General().SetProductionLevels(1); }},
      {"water",
       [](TKvSession& S) {
         S.General().SetProductionLevels(2);
         S.General().SetSummarySeasonalSoilWaterBalance(1);
       }},
      {"groundwater",
       [](TKvSession& S) {
         S.General().SetProductionLevels(3);
         S.General().SetSummarySeasonalSoilWaterBalance(1);
         S.Hydrology().SetGroundwater(1);
         S.Weather().SetConsecutiveYears(3);
       }},
      {"rain",
       [](TKvSession& S) {
         S.General().SetProductionLevels(2);
         S.Weather().SetRainfallDataOptions(2);
         S.Weather().SetRainfallStationFile("RAINN.DAT");
         S.Weather().SetRainfallYear(1980);
       }},
      {"reruns",
       [](TKvSession& S) {
         S.General().SetProductionLevels(2);
         S.General().SetSummarySeasonalSoilWaterBalance(1);
         TKvRerun& R = S.Rerun();
         R.SetUseReRuns(true);
         R.AddRerun();
         R.AddRerunVar(0, "SOFILE=LOAM.SOL");
         R.AddRerunVar(0, "IDEM=100");
         R.AddRerunVar(1, "SOFILE=CLAY.SOL");
         R.AddRerunVar(1, "IDEM=120");
       }},
      {"error", [](TKvSession& S) { S.Crop().SetCropFile("MISSING.CRP"); }},
  };
  const fs::path Runio = Home / "runio", Output = Home / "output";
  for (const TCase& C : Cases) {
    TKvSession S;
    TheSession = &S;
    S.Reset();
    S.Crop().SetCropFile("SBARLEY.CRP");
    S.Soil().SetSoilFile("LOAM.SOL");
    S.Weather().SetStationFile("NLD1.");
    S.Weather().SetYear(1980);
    S.Weather().SetConsecutiveYears(2);
    // Ten-day output keeps the detailed output seeds small.
    S.General().SetOutputInterval(10);
    C.Set(S);
    S.FileManager().RemoveOutputFiles();
    S.WriteInputFiles();
    WriteBatchFile(S.FileManager());
    const std::string Opt = Read(Runio / "RUNOPT.DAT"), Tim = Read(Runio / "KRLTI.TIM"),
                      Sit = Read(Runio / "KRLSI.SIT"), Rer = Read(Runio / "KRLRR.RER");
    Seed("session", Join({Opt, Tim, Sit, Rer}));
    Seed("modelinput", "\x00" + Tim);
    Seed("modelinput", "\x01" + Sit);
    Seed("modelinput", "\x02" + Opt);
    Seed("modelinput", "\x05" + Rer);
    Seed("modelrun", "\x00" + Tim);
    Seed("modelrun", "\x01" + Sit);
    Seed("modelrun", "\x02" + Opt);
    Seed("modelrun", "\x03" + Rer);
    Seed("krlcmd", Read(Runio / "RUN.BAT"));

    std::ostringstream Log;
    SetCurrentDir((Home / "bin").string());
    const int Result = RunModel(Log);
    Seed("log", Log.str());
    std::cout << C.Name << ": model " << (Result == 0 ? "ran" : "reported an error") << "\n";
    InvalidateDirCache();
    if (Result != 0) continue;
    const std::string Det = Read(Output / "KRL.OUT");
    Seed("outdet", Det);
    Seed("outsum", Join({Read(Output / "KRL.pps"), Read(Output / "KRL.wps"), Read(Output / "KRL.sum")}));
    Seed("textfile",
         std::string("\x06\x05\x01\x09\x11\x19\x21\x03\x04", 9) + "\\x\\x\\x" + Det.substr(0, 6000) + "\x41");
    TheSession = nullptr;
  }
  FreeVarCatalogue();
  std::cout << Count << " seeds in " << Out.string() << "\n";
  return 0;
}
