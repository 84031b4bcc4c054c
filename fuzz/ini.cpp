// The settings file DIRECT.INI: the file manager reads it at start-up from
// the program directory and forms every file name from what it found; the
// model reads the same file from its working directory. Both must agree on
// the directories, and neither may change the file.
//
// Input: the whole file.

#include <string>

#include "FuzzSupport.h"
#include "foundations/Errors.h"
#include "model/ModelInput.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"
#include "session/Kvfm.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  FuzzWrite("bin/.keep", "");
  SetExecPath(FuzzDir() + "bin/");
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  const std::string Ini = FuzzWrite("bin/DIRECT.INI", std::string(reinterpret_cast<const char*>(Data), Size));
  TFileSnapshot Snap;
  Snap.Add(Ini);

  TKvFileManager Fm;
  for (const std::string& Name :
       {Fm.KRLFullName(), Fm.KRLName(), Fm.TimerFullName(), Fm.TimerName(), Fm.SiteFullName(),
        Fm.ReRunFullName(), Fm.RunFullName(), Fm.LogFullName(), Fm.BatFullName(), Fm.TempRunFileName(),
        Fm.ModelFullName(), Fm.OutFullName(), Fm.OutPotFullName(), Fm.OutWaterFullName(), Fm.OutSumFullName(),
        Fm.RepairedPath()})
    FUZZ_CHECK(Name.find_first_of("\r\n") == std::string::npos);
  (void)Fm.DetailedOutputAvailable();
  (void)Fm.SummaryOutputAvailable();

  // The model, started in the program directory, finds the same directories.
  const TDirectories D = ReadDirectories();
  FUZZ_CHECK(D.Out == Fm.OutPath());
  FUZZ_CHECK(D.Crop == Fm.CropPath());
  FUZZ_CHECK(D.Weather == Fm.WeatherPath());
  FUZZ_CHECK(D.Climate == Fm.ClimatePath());
  FUZZ_CHECK(D.Soil == Fm.SoilPath());
  FUZZ_CHECK(D.Runio == Fm.RunioPath());

  // A key of any name in any section.
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  const size_t Eq = Text.find('=');
  if (Eq != std::string::npos) {
    const size_t Start = Text.rfind('\n', Eq);
    const std::string Key = Text.substr(Start == std::string::npos ? 0 : Start + 1,
                                        Eq - (Start == std::string::npos ? 0 : Start + 1));
    const size_t Open = Text.find('[');
    const size_t Close = Text.find(']', Open == std::string::npos ? 0 : Open);
    const std::string Section = Open != std::string::npos && Close != std::string::npos
                                    ? Text.substr(Open + 1, Close - Open - 1)
                                    : "";
    (void)ReadIniString(Ini, Section, Key, "default");
  }
  Snap.Check();
  return 0;
}
