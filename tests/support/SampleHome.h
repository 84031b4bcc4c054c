#pragma once
// The sample program home with the built programs, for the end-to-end tests
// and the run benchmark: header-only, so that a benchmark can use it without
// the test support library.

#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "platform/FileSys.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"

// Copies data/ of the source tree and the built korval.exe and krlcmd into
// Root (which must exist), adds the run and output directories, and makes
// Root/bin the program directory.
inline void LaySampleHome(const std::filesystem::path& Root) {
  namespace fs = std::filesystem;
  fs::copy(fs::path(KRL_SOURCE_DIR) / "data", Root, fs::copy_options::recursive);
  for (const char* P : {"korval.exe", "krlcmd"})
    fs::copy_file(fs::path(KRL_BUILD_DIR) / "bin" / P, Root / "bin" / P);
  fs::create_directories(Root / "runio");
  fs::create_directories(Root / "output");
  SetExecPath((Root / "bin").string() + "/");
  InvalidateDirCache();
}

// Spring barley on loam at station north, 1980 and 1981, production levels
// 1 and 2.
inline void ChooseSampleSession(TKvSession& S) {
  S.Crop().SetCropFile("SBARLEY.CRP");
  S.Soil().SetSoilFile("LOAM.SOL");
  S.Weather().SetStationFile("NLD1.");
  S.Weather().SetYear(1980);
  S.Weather().SetConsecutiveYears(2);
  S.General().SetProductionLevels(2);
}

// A session on the sample program home at Root as a run from the window has
// it: the home laid out, the variable and data catalogues loaded, the sample
// session chosen, and the session made TheSession. Null when the variable
// catalogue cannot be read.
inline std::unique_ptr<TKvSession> OpenSampleSession(const std::filesystem::path& Root) {
  LaySampleHome(Root);
  if (!LoadVarCatalogue((Root / "bin" / "KRL_VAR.csv").string())) return nullptr;
  auto Session = std::make_unique<TKvSession>();
  TheSession = Session.get();
  Session->Reset();
  BuildDataCatalogue();
  ChooseSampleSession(*Session);
  return Session;
}
