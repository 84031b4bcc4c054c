// Writes the working session of the manual's getting-started chapter into a
// program home, as the program itself would after the user set it up:
// spring barley sown on day 90 on loam at station north, 1980 to 1982.
//
//   krl_write_session PROGRAM_DIR

#include <cstdio>
#include <exception>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "manual/GettingStarted.h"
#include "platform/FileSys.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: krl_write_session PROGRAM_DIR\n");
    return 2;
  }
  try {
    SetExecPath(argv[1]);
    LoadVarCatalogue(GetExecPath() + VarCatalogueFileName);
    TKvSession S;  // makes the program directory current and reads DIRECT.INI
    TheSession = &S;
    WriteGettingStartedSession(S);
    TheSession = nullptr;
    FreeDataCatalogue();
    FreeVarCatalogue();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "krl_write_session: %s\n", E.what());
    return 1;
  }
  return 0;
}
