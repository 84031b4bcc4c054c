// Reading a session back: the run-options, timer, site and rerun files of
// the working session, parsed into a freshly reset session on the sample
// program home, as at start-up. The files read must stay as they were; the
// session read must then be writable again (as a run would write it).
//
// Input: up to four files separated by the byte 0x1E, in the order
// RUNOPT.DAT, KRLTI.TIM, KRLSI.SIT, KRLRR.RER; the files the input does not
// reach are missing.

#include <filesystem>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
std::unique_ptr<TKvSession> Session;
}

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
  Session = std::make_unique<TKvSession>();
  TheSession = Session.get();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  static const char* const Names[] = {"home/runio/RUNOPT.DAT", "home/runio/KRLTI.TIM", "home/runio/KRLSI.SIT",
                                      "home/runio/KRLRR.RER"};
  const std::vector<std::string> Parts = FuzzParts(Data, Size, 4);
  TFileSnapshot Snap;
  for (size_t i = 0; i < 4; ++i) {
    if (i < Parts.size())
      FuzzWrite(Names[i], Parts[i]);
    else
      FuzzRemove(Names[i]);
    Snap.Add(FuzzDir() + Names[i]);
  }

  TKvSession& S = *Session;
  S.Reset();
  try {
    S.Read(S.FileManager().KRLFullName());
  } catch (const Exception& E) {
    FUZZ_CHECK(!E.Message().empty());
  }
  Snap.Check();

  // What was read can be written again.
  try {
    S.WriteInputFiles();
  } catch (const Exception& E) {
    FUZZ_CHECK(!E.Message().empty());
  }
  return 0;
}
