// krlcmd's checking of a batch script: the whole script is read and every
// line parsed before anything runs, and a line that is not one the control
// centre writes refuses the script. The input is the script's text; a line
// that is always refused follows it, so krlcmd's own entry point checks
// every line and never runs one.
//
// Input: the script's text.

#include <unistd.h>

#include <string>

#include "FuzzSupport.h"
#include "platform/FileSys.h"

// krlcmd's entry point, compiled under this name into the target.
int KrlcmdMain(int argc, char** argv);

int FuzzOne(const uint8_t* Data, size_t Size) {
  std::string Script(reinterpret_cast<const char*>(Data), Size);
  Script += "\nkrlcmd fuzz: end of script\n";
  std::string Name = FuzzWrite("scripts/run.bat", Script);
  TFileSnapshot Snap;
  Snap.Add(Name);
  const std::string Cwd = GetCurrentDir();

  char Prog[] = "krlcmd";
  char* Argv[] = {Prog, Name.data(), nullptr};
  const int Result = KrlcmdMain(2, Argv);
  FUZZ_CHECK(Result == 3);
  FUZZ_CHECK(GetCurrentDir() == Cwd);
  Snap.Check();
  return 0;
}
