#pragma once
// The simulation session: everything the model needs for one job, one owned
// object per topic. Exactly one exists while the program runs, reached
// through TheSession.
//
// The session's storage format is the set of the model's four input files
// (timer, site, run options, reruns): WriteInputFiles writes them, Read
// parses them back positionally, in the order the writer puts the lines.

#include <memory>
#include <string>

class TKvFileManager;
class TKvGeneral;
class TKvCrop;
class TKvWeather;
class TKvNutrients;
class TKvSoil;
class TKvHydrology;
class TKvRerun;
class TDxTextWriter;
class TFileReplacement;
class TDxTextFile;
enum class TFieldFile;

class TKvSession {
 public:
  // Creates the members in this order: file manager, general options, crop,
  // weather, nutrients, soil, hydrology, rerun table. The variable catalogue
  // must be loaded first (the members take their ranges from it).
  TKvSession();
  ~TKvSession();
  TKvSession(const TKvSession&) = delete;
  TKvSession& operator=(const TKvSession&) = delete;

  TKvFileManager& FileManager() const { return *FFileManager; }
  TKvGeneral& General() const { return *FGeneral; }
  TKvCrop& Crop() const { return *FCrop; }
  TKvWeather& Weather() const { return *FWeather; }
  TKvNutrients& Nutrients() const { return *FNutrients; }
  TKvSoil& Soil() const { return *FSoil; }
  TKvHydrology& Hydrology() const { return *FHydrology; }
  TKvRerun& Rerun() const { return *FRerun; }

  // Every member back to its defaults, then the soil's moisture range
  // (an error there, such as no soil chosen, is passed over silently).
  void Reset();
  // The range of the maximum initial moisture from the selected soil file
  // (its SMW and SM0), and the value clamped into it. EKvError
  // "'<file>' not found!" when the soil file does not exist.
  void SetMinMaxSMLIM();
  // The full name of the file a file code stands for: "TD" the timer file,
  // "SD" the site file, "CF" the selected crop file, "SF" the selected soil
  // file; any other code gives the empty text.
  std::string GetFileNameType(const std::string& FileType) const;

  // ---- the model input files
  // Writes the timer, site, run-options and rerun files, in this order. The
  // rerun table is checked (and completed) first; a faulty table fails with
  // EKvError and leaves the rerun file with its header only.
  // InPlace: each file written straight over the old one (see
  // TFileReplacement), for a home no other process reads meanwhile.
  void WriteInputFiles(bool InPlace = false);
  void WriteTimerFile();
  void WriteSiteFile();
  void WriteRunOptionsFile();
  void WriteRerunFile();
  // Refuses equal run names, empty values in the first rerun and invalid
  // values (EKvError); fills empty values from the rerun before and
  // normalises every value. Answers the number of reruns.
  int CheckReruns();

  // ---- running the model (session/KvRun.cpp)
  // Checks that the run-options file and the model exist, writes the batch
  // script and starts it. EKvError "'%s' not found!" or "Unable to execute".
  void Run();

  // ---- reading a session
  // Copies the saved files of SesFile over the working files and reads
  // them into the session (which is expected to be freshly reset).
  void Read(const std::string& SesFile);
  // Makes SesFile the session name when its run-options file exists (else
  // shows "File not found: " and keeps the name); answers whether the
  // working site and timer files exist as well.
  bool SessionFilesExist(const std::string& SesFile);
  void ReadRunOptions();
  void ReadTimerFile();
  void ReadSiteFile();
  void ReadRerunFile();
  // What the catalogue no longer has of the session's crop, soil and weather
  // station, and what is chosen instead; empty when every file is there.
  std::string MissingDataFilesNotice() const;

  // The names the readers take the session's files from.
  std::string SessionTimerFile() const;
  std::string SessionSiteFile() const;
  std::string SessionRerunFile() const;

 private:
  void WriteHeader(TDxTextWriter& W) const;
  void WriteFieldFile(const std::string& Name, TFieldFile File);
  bool ReadFieldFile(TDxTextFile& File, TFieldFile Of);
  void WriteDescriptionLine(TDxTextWriter& W, const std::string& Name, const std::string& Value,
                            const std::string& Sep) const;

  std::unique_ptr<TKvFileManager> FFileManager;
  // The set the input files join while WriteInputFiles writes all four.
  TFileReplacement* FPendingFiles = nullptr;
  std::unique_ptr<TKvGeneral> FGeneral;
  std::unique_ptr<TKvCrop> FCrop;
  std::unique_ptr<TKvWeather> FWeather;
  std::unique_ptr<TKvNutrients> FNutrients;
  std::unique_ptr<TKvSoil> FSoil;
  std::unique_ptr<TKvHydrology> FHydrology;
  std::unique_ptr<TKvRerun> FRerun;
};

// The one session; null before the main window creates it and after it closes.
extern TKvSession* TheSession;
