// The whole model run on the sample program home with one of its inputs
// replaced: the timer, site, run-options or rerun file, the crop or soil
// file, a yearly weather file or the rainfall file. The model either writes
// its output files, which the control centre's readers then read, or
// reports an input error in its log, by the word ERROR, and writes nothing.
//
// Input: one byte choosing the file to replace, then the file.

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/Errors.h"
#include "model/Model.h"
#include "output/OutDet.h"
#include "output/OutSum.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"

namespace {
const char* const Inputs[] = {"home/runio/KRLTI.TIM",       "home/runio/KRLSI.SIT",
                              "home/runio/RUNOPT.DAT",      "home/runio/KRLRR.RER",
                              "home/cropd/SBARLEY.CRP",     "home/soild/LOAM.SOL",
                              "home/meteo/merawe/NLD1.980", "home/meteo/climd/RAINN.DAT"};
const char* const Outputs[] = {"home/output/KRL.OUT", "home/output/KRL.pps", "home/output/KRL.wps",
                               "home/output/KRL.sum"};
std::string Original[8];
std::string RerunOptions;  // runopt.dat telling the model to use the rerun file
std::string RainTimer;     // the timer file of a session with a rainfall file
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  namespace fs = std::filesystem;
  FuzzQuietHandlers();
  const fs::path Home = FuzzDir() + "home";
  fs::copy(fs::path(KRL_SOURCE_DIR) / "data", Home, fs::copy_options::recursive);
  fs::create_directories(Home / "runio");
  fs::create_directories(Home / "output");
  SetExecPath((Home / "bin").string() + "/");
  InvalidateDirCache();
  LoadVarCatalogue((Home / "bin" / "KRL_VAR.csv").string());
  {
    TKvSession S;
    TheSession = &S;
    S.Reset();
    S.Crop().SetCropFile("SBARLEY.CRP");
    S.Soil().SetSoilFile("LOAM.SOL");
    S.Weather().SetStationFile("NLD1.");
    S.Weather().SetYear(1980);
    S.Weather().SetConsecutiveYears(1);
    S.General().SetProductionLevels(2);
    S.WriteInputFiles();
    for (int i = 0; i < 8; ++i) Original[i] = FuzzReadFile(FuzzDir() + Inputs[i]);
    S.Weather().SetRainfallDataOptions(2);
    S.Weather().SetRainfallStationFile("RAINN.DAT");
    S.Weather().SetRainfallYear(1980);
    S.WriteTimerFile();
    RainTimer = FuzzReadFile(FuzzDir() + Inputs[0]);
    S.Rerun().SetUseReRuns(true);
    S.WriteRunOptionsFile();
    RerunOptions = FuzzReadFile(FuzzDir() + Inputs[2]);
    TheSession = nullptr;
  }
  FreeVarCatalogue();
  SetCurrentDir(FuzzDir() + "home/bin");
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const int Kind = Data[0] % 8;
  for (int i = 0; i < 8; ++i) FuzzWrite(Inputs[i], Original[i]);
  if (Kind == 3) FuzzWrite(Inputs[2], RerunOptions);
  if (Kind == 7) FuzzWrite(Inputs[0], RainTimer);
  FuzzWrite(Inputs[Kind], std::string(reinterpret_cast<const char*>(Data + 1), Size - 1));
  for (const char* O : Outputs) FuzzRemove(O);
  TFileSnapshot Snap;
  for (const char* I : Inputs) Snap.Add(FuzzDir() + I);

  std::ostringstream Log;
  const int Result = RunModel(Log);
  Snap.Check();
  const std::string Text = Log.str();
  // The control centre judges the run by the word ERROR in the log.
  FUZZ_CHECK_MSG((Result != 0) == (Text.find("ERROR") != std::string::npos), Text);
  // Every input error is the model's own report (file, key, explanation);
  // any other exception that reached the model's entry point is a fault.
  FUZZ_CHECK_MSG(Text.find("ERROR while running the model") == std::string::npos, Text);
  InvalidateDirCache();
  // The run-options file names the detailed output; the readers take the
  // one the sample session names.
  if (Result == 0 && FileExists(FuzzDir() + Outputs[0])) {
    TDetailedOutput D;
    D.ReadOutputFile(FuzzDir() + Outputs[0]);
    FUZZ_CHECK(D.Data.PotentialList.Count() + D.Data.WaterList.Count() > 0);
    TSummaryOutput S;
    S.ReadOutputFiles(FuzzDir() + Outputs[0]);
  }
  return 0;
}
