#include "session/Kvfm.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"

namespace {
const char* const WerkName = "KRL";
// The session's own companion file: the name of its observation file.
const char* const ObsSuffix = "ob.obs";
}  // namespace

TKvFileManager::TKvFileManager() {
  try {
    FExecPath = GetExecPath();
    SetCurrentDir(FExecPath);
    TBusyCursor Busy;
    LoadSettings();
    RemoveStaleTemporaries();
  } catch (const std::exception& E) {
    HandleAppException(E);
  }
  Reset();
}

void TKvFileManager::LoadSettings() {
  const std::string Ini = FExecPath + IniFileName;
  if (!FileExists(Ini)) {
    try {
      throw EKvError("File not found " + Ini);
    } catch (const std::exception& E) {
      HandleAppException(E);
    }
    return;
  }
  FOutPath = ReadIniString(Ini, IniSection, "OUTDIR", "..\\output\\");
  FCropPath = ReadIniString(Ini, IniSection, "CRPDIR", "..\\cropd\\");
  FWeatherPath = ReadIniString(Ini, IniSection, "WTRDIR", "..\\meteo\\merawe\\");
  FClimatePath = ReadIniString(Ini, IniSection, "CLMDIR", "..\\meteo\\climd\\");
  FRepairedPath = ReadIniString(Ini, IniSection, "DBRDIR", "..\\meteo\\dbmrep\\");
  FSoilPath = ReadIniString(Ini, IniSection, "SOLDIR", "..\\soild\\");
  FRunioPath = ReadIniString(Ini, IniSection, "RUNDIR", "..\\runio\\");
  FSettingsLoaded = true;
  const std::string Mb = ReadIniString(Ini, IniSection, "RUNSMB", "1024");
  char* End = nullptr;
  const unsigned long long Limit = std::strtoull(Mb.c_str(), &End, 10);
  if (End && *End == '\0' && !Mb.empty() && Limit < (1ull << 40)) FRunHistoryLimit = Limit * 1024 * 1024;
}

void TKvFileManager::RemoveStaleTemporaries() const {
  ::RemoveStaleTemporaries(FExecPath);
  if (!FSettingsLoaded) return;
  ::RemoveStaleTemporaries(FRunioPath);
  ::RemoveStaleTemporaries(FOutPath);
  // The kept runs (output/runs/NAME/) have their own summary files.
  std::error_code Ec;
  const std::filesystem::path Runs = std::filesystem::path(MapFileName(FOutPath)) / "runs";
  for (std::filesystem::directory_iterator It(Runs, Ec), End; !Ec && It != End; It.increment(Ec))
    if (It->is_directory(Ec)) ::RemoveStaleTemporaries(It->path().string() + "/");
}

std::string TKvFileManager::MissingSettingsText() const {
  return "The directory settings " + FExecPath + IniFileName +
         " were not found when the program started, so it does not know where the session's files, the data "
         "and the results belong. Nothing can be run without them: put " +
         IniFileName + " back into " + FExecPath + " and start the program again.";
}

void TKvFileManager::Reset() { SetKRLFullName(FOutPath + WerkName); }

void TKvFileManager::SetKRLFullName(const std::string& Value) {
  const std::string Dir = ExtractFilePath(Value);
  std::string Name = ExtractFileName(Value);
  const size_t Dot = Name.find('.');
  if (Dot != std::string::npos) Name.erase(Dot, 4);
  if (Name.size() > 6) Name.resize(6);
  FKRLFullName = UpperCase(Dir + Name);
}

std::string TKvFileManager::KRLName() const { return ExtractFileName(FKRLFullName); }

std::string TKvFileManager::KRLWerkFullName() const { return UpperCase(FOutPath + WerkName); }
std::string TKvFileManager::KRLWerkName() const { return ExtractFileName(KRLWerkFullName()); }
std::string TKvFileManager::TimerFullName() const { return UpperCase(FRunioPath + WerkName + "ti.tim"); }
std::string TKvFileManager::TimerName() const { return ExtractFileName(TimerFullName()); }
std::string TKvFileManager::SiteFullName() const { return UpperCase(FRunioPath + WerkName + "si.sit"); }
std::string TKvFileManager::SiteName() const { return ExtractFileName(SiteFullName()); }
std::string TKvFileManager::ReRunFullName() const { return UpperCase(FRunioPath + WerkName + "rr.rer"); }
std::string TKvFileManager::ReRunName() const { return ExtractFileName(ReRunFullName()); }
std::string TKvFileManager::RunFullName() const { return UpperCase(FRunioPath + "runopt.dat"); }
std::string TKvFileManager::RunName() const { return ExtractFileName(RunFullName()); }
std::string TKvFileManager::LogFullName() const { return UpperCase(FRunioPath + WerkName + ".log"); }
std::string TKvFileManager::LogName() const { return ExtractFileName(LogFullName()); }
std::string TKvFileManager::BatFullName() const { return UpperCase(FRunioPath + "run.bat"); }
std::string TKvFileManager::BatName() const { return ExtractFileName(BatFullName()); }
std::string TKvFileManager::TempRunFileName() const { return UpperCase(FRunioPath + "KRL$$$.tmp"); }
std::string TKvFileManager::ModelFullName() const { return UpperCase(FExecPath + "korval.exe"); }
std::string TKvFileManager::ModelName() const { return ExtractFileName(ModelFullName()); }
std::string TKvFileManager::OutFullName() const { return UpperCase(FOutPath + WerkName + ".out"); }
std::string TKvFileManager::OutName() const { return ExtractFileName(OutFullName()); }
std::string TKvFileManager::OutPotFullName() const { return UpperCase(FOutPath + WerkName + ".pps"); }
std::string TKvFileManager::OutPotName() const { return ExtractFileName(OutPotFullName()); }
std::string TKvFileManager::OutWaterFullName() const { return UpperCase(FOutPath + WerkName + ".wps"); }
std::string TKvFileManager::OutWaterName() const { return ExtractFileName(OutWaterFullName()); }
std::string TKvFileManager::OutSumFullName() const { return UpperCase(FOutPath + WerkName + ".sum"); }
std::string TKvFileManager::OutSumName() const { return ExtractFileName(OutSumFullName()); }
std::string TKvFileManager::ObsFullName() const { return UpperCase(FRunioPath + WerkName + ObsSuffix); }

void TKvFileManager::RemoveInputFiles() {
  RemoveFile(KRLWerkFullName() + ".log", true);
  RemoveFile(RunFullName(), true);
  RemoveFile(FRunioPath + WerkName + "rr.rer", true);
  RemoveFile(FRunioPath + WerkName + "si.sit", true);
  RemoveFile(FRunioPath + WerkName + "ti.tim", true);
}

void TKvFileManager::RemoveOutputFiles() {
  for (const char* Ext : {".out", ".pps", ".wps", ".sum"}) RemoveFile(FOutPath + WerkName + Ext, true);
}

void TKvFileManager::MakeTempRunFile() {
  TDxTextWriter W(TempRunFileName());
  W.WriteLn(ApplicationTitle);
  W.WriteLn("Created: " + CurrentDateTimeText());
  W.Close();
}

bool TKvFileManager::RemoveTempRunFile() {
  const std::string Name = TempRunFileName();
  return FileExists(Name) && DeleteFileName(Name);
}

bool TKvFileManager::DetailedOutputAvailable() const { return FileExists(OutFullName()); }

bool TKvFileManager::SummaryOutputAvailable() const {
  return FileExists(OutWaterFullName()) || FileExists(OutPotFullName());
}

bool TKvFileManager::ValidSessionName(std::string& SessionName) const {
  SessionName = UpperCase(ExtractFileBase(SessionName));
  // The name goes into the model's files and the run script, and makes four
  // file names: letters, digits, '_' and '-' only.
  const bool Usable = !SessionName.empty() && std::all_of(SessionName.begin(), SessionName.end(), [](char C) {
    return (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_' || C == '-';
  });
  if (!Usable) {
    ShowErrorBox(
        (SessionName.empty() ? std::string("An empty name") : "\"" + SessionName + "\"") +
        " cannot be the name of a session. A session name has up to 6 characters: the letters A-Z, the "
        "digits 0-9, '_' and '-', without blanks.");
    return false;
  }
  if (SessionName == KRLWerkName()) {
    ShowErrorBox(KRLWerkName() + " is not allowed as name for a session.");
    return false;
  }
  if (SessionName.size() <= 6) return true;
  if (ConfirmOkCancel("Only first 6 character are relevant.\r\nSave session as " + SessionName.substr(0, 6) +
                      "?")) {
    SessionName.resize(6);
    return true;
  }
  return false;
}

bool TKvFileManager::InSessionFolder(const std::string& Chosen, bool Opening) const {
  const std::string Dir = ExtractFileDir(Chosen);
  if (Dir.empty()) return true;
  const std::string Sessions = ExtractFileDir(MapFileName(ExpandFileName(FExecPath + FRunioPath)));
  std::error_code Ec;
  if (std::filesystem::equivalent(MapFileName(Dir), Sessions, Ec)) return true;
  const std::string Base = UpperCase(ExtractFileBase(Chosen));
  ShowErrorBox(Opening
                   ? Chosen + " is not in the folder of sessions, " + Sessions +
                         ", and a session opens only from there. Copy its files (" + Base + ".krl, " + Base +
                         "rr.rer, " + Base + "si.sit, " + Base + "ti.tim) into that folder and open it again."
                   : "Sessions are kept in the folder " + Sessions + "; " + Dir +
                         " is another folder. Choose a name in the folder of sessions.");
  return false;
}

void TKvFileManager::CopyOutputFiles(const std::string& SrcName, const std::string& DestName) {
  const std::string Src = ExtractFileBase(SrcName), Dst = ExtractFileBase(DestName);
  for (const char* Ext : {".out", ".pps", ".wps", ".sum"})
    CopyOneFile(FOutPath + Src + Ext, FOutPath + Dst + Ext, false);
}

void TKvFileManager::CopyInputFiles(const std::string& SrcName, const std::string& DestName) {
  const std::string Src = ExtractFileBase(SrcName), Dst = ExtractFileBase(DestName);
  if (UpperCase(Src) == WerkName)
    CopyOneFile(RunFullName(), FRunioPath + Dst + ".krl", false);
  else if (UpperCase(Dst) == WerkName)
    CopyOneFile(FRunioPath + Src + ".krl", RunFullName(), false);
  else
    CopyOneFile(FRunioPath + Src + ".krl", FRunioPath + Dst + ".krl", false);
  for (const char* Suffix : {"rr.rer", "si.sit", "ti.tim"})
    CopyOneFile(FRunioPath + Src + Suffix, FRunioPath + Dst + Suffix, false);
  // A session without observations leaves none of another session behind.
  if (FileExists(FRunioPath + Src + ObsSuffix))
    CopyOneFile(FRunioPath + Src + ObsSuffix, FRunioPath + Dst + ObsSuffix, false);
  else
    RemoveFile(FRunioPath + Dst + ObsSuffix, true);
}

void TKvFileManager::RemoveSessionFiles(const std::string& SessionName) {
  const std::string N = ExtractFileName(SessionName);
  RemoveFile(FExecPath + ChangeFileExt(N, ".log"), true);
  const std::string B = ExtractFileBase(SessionName);
  for (const char* Suffix : {"rr.rer", "si.sit", "ti.tim", ObsSuffix})
    RemoveFile(FRunioPath + B + Suffix, true);
  for (const char* Ext : {".out", ".pps", ".wps", ".sum"}) RemoveFile(FOutPath + B + Ext, true);
}

void TKvFileManager::ReplaceSessionFiles(const std::string& SrcName, const std::string& DestName) {
  const std::string Src = ExtractFileBase(SrcName), Dst = ExtractFileBase(DestName);
  if (UpperCase(Src) == UpperCase(Dst)) return;
  auto SessionFile = [this](const std::string& Base) {
    return UpperCase(Base) == WerkName ? RunFullName() : FRunioPath + Base + ".krl";
  };
  TFileReplacement Set;
  // Each file of the source is copied; a file the source lacks is removed
  // at the target, so that the target becomes the source's copy.
  auto Mirror = [&Set](const std::string& From, const std::string& To) {
    if (FileExists(From))
      Set.Copy(From, To);
    else
      Set.Remove(To);
  };
  Mirror(SessionFile(Src), SessionFile(Dst));
  for (const char* Suffix : {"rr.rer", "si.sit", "ti.tim", ObsSuffix})
    Mirror(FRunioPath + Src + Suffix, FRunioPath + Dst + Suffix);
  for (const char* Ext : {".out", ".pps", ".wps", ".sum"}) Mirror(FOutPath + Src + Ext, FOutPath + Dst + Ext);
  if (UpperCase(Dst) != WerkName) Set.Remove(FExecPath + Dst + ".log");
  Set.Commit();
}
