#pragma once
// The one place that knows where things live: the configured directories and
// every file name the program and the model exchange, the name of the current
// session, and the copying and removal of a saved session's file set.
//
// Names are formed by plain concatenation of a directory (ending in a
// backslash) and a name, and upper-cased as a whole. They are mapped onto the
// file system only when a file is touched (platform/FileSys.h).

#include <cstdint>
#include <string>

class TKvFileManager {
 public:
  static constexpr const char* IniFileName = "DIRECT.INI";
  static constexpr const char* IniSection = "Directory settings for KORVAL";

  // Makes the program directory current and reads DIRECT.INI there. An error
  // on the way is handed to the application's error handler.
  TKvFileManager();

  void Reset();
  // Removes the temporaries that saving and writing left when the program
  // was killed half way, from the program, working, output and kept-run
  // directories (see RemoveStaleTemporaries); done at start-up.
  void RemoveStaleTemporaries() const;
  void RemoveInputFiles();
  void RemoveOutputFiles();
  void MakeTempRunFile();
  bool RemoveTempRunFile();
  bool DetailedOutputAvailable() const;
  bool SummaryOutputAvailable() const;
  bool ValidSessionName(std::string& SessionName) const;
  // Sessions live in the folder of the working files (runio): a session file
  // chosen in another folder is refused with a box that says where sessions
  // are and what to do; a name without a folder is taken as one there.
  bool InSessionFolder(const std::string& Chosen, bool Opening) const;
  void CopyOutputFiles(const std::string& SrcName, const std::string& DestName);
  void CopyInputFiles(const std::string& SrcName, const std::string& DestName);
  void RemoveSessionFiles(const std::string& SessionName);
  // Puts the files of session SrcName (input and output files) in the place
  // of those of session DestName, all or nothing: every file is copied
  // beside its target and checked first, and only then are the old files
  // replaced (and those the source has no counterpart of removed). On
  // failure an error names the file and the reason, and every file of
  // DestName stays as it was.
  void ReplaceSessionFiles(const std::string& SrcName, const std::string& DestName);

  // Whether DIRECT.INI was read at start-up. Without it the directories are
  // unknown (empty), and nothing may be run: the program's files and the
  // model's would end up in different places.
  bool SettingsLoaded() const { return FSettingsLoaded; }
  // How many bytes the kept runs (output\runs\) may take before the oldest
  // go: RUNSMB in DIRECT.INI, in megabytes, 1024 when not set.
  std::uintmax_t RunHistoryLimit() const { return FRunHistoryLimit; }
  // The message that refuses a run without the settings.
  std::string MissingSettingsText() const;

  const std::string& OutPath() const { return FOutPath; }
  const std::string& CropPath() const { return FCropPath; }
  const std::string& WeatherPath() const { return FWeatherPath; }
  const std::string& ClimatePath() const { return FClimatePath; }
  const std::string& RepairedPath() const { return FRepairedPath; }
  const std::string& SoilPath() const { return FSoilPath; }
  const std::string& ExecPath() const { return FExecPath; }
  const std::string& RunioPath() const { return FRunioPath; }

  const std::string& KRLFullName() const { return FKRLFullName; }
  void SetKRLFullName(const std::string& Value);
  std::string KRLName() const;

  std::string KRLWerkFullName() const;
  std::string KRLWerkName() const;
  std::string TimerFullName() const;
  std::string TimerName() const;
  std::string SiteFullName() const;
  std::string SiteName() const;
  std::string ReRunFullName() const;
  std::string ReRunName() const;
  std::string RunFullName() const;
  std::string RunName() const;
  std::string LogFullName() const;
  std::string LogName() const;
  std::string BatFullName() const;
  std::string BatName() const;
  std::string TempRunFileName() const;
  std::string ModelFullName() const;
  std::string ModelName() const;
  std::string OutFullName() const;
  std::string OutName() const;
  std::string OutPotFullName() const;
  std::string OutPotName() const;
  std::string OutWaterFullName() const;
  std::string OutWaterName() const;
  std::string OutSumFullName() const;
  std::string OutSumName() const;
  // The working session's companion file naming its observation file.
  std::string ObsFullName() const;

 private:
  void LoadSettings();

  std::string FOutPath;
  std::string FCropPath;
  std::string FWeatherPath;
  std::string FClimatePath;
  std::string FRepairedPath;
  std::string FSoilPath;
  std::string FExecPath;
  std::string FRunioPath;
  std::string FKRLFullName;
  bool FSettingsLoaded = false;
  std::uintmax_t FRunHistoryLimit = 1024ull * 1024 * 1024;
};
