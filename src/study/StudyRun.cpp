#include "study/StudyRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "output/OutDet.h"
#include "output/OutSum.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "platform/Handlers.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"
#include "session/Kvses.h"
#include "session/RunCheck.h"
#include "study/StudyCsv.h"
#include "study/StudyKeywords.h"
#include "study/StudyXlsx.h"

namespace fs = std::filesystem;

namespace {
const char* const Section = "study";
// The base session's files under their working names, in the order of
// SessionFiles.
const char* const BaseNames[] = {"RUNOPT.DAT", "KRLTI.TIM", "KRLSI.SIT", "KRLRR.RER"};

std::string WithSlash(std::string Dir) {
  if (Dir.empty() || Dir.back() != '/') Dir += '/';
  return Dir;
}

std::string StateText(TRowState S) {
  switch (S) {
    case TRowState::Ok: return "ok";
    case TRowState::Failed: return "failed";
    case TRowState::NotRun: break;
  }
  return "not run";
}

// A lock on a row's lock file, released when it goes (or the process ends).
class TRowLock {
 public:
  explicit TRowLock(const std::string& FileName) {
    FFd = open(FileName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (FFd >= 0 && flock(FFd, LOCK_EX | LOCK_NB) != 0) {
      close(FFd);
      FFd = -1;
    }
  }
  ~TRowLock() {
    if (FFd >= 0) close(FFd);
  }
  TRowLock(const TRowLock&) = delete;
  TRowLock& operator=(const TRowLock&) = delete;
  bool Held() const { return FFd >= 0; }

 private:
  int FFd = -1;
};

void AppendLine(const std::string& FileName, const std::string& Line) {
  const int Fd = open(FileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (Fd < 0) return;
  const ssize_t N = write(Fd, Line.data(), Line.size());
  (void)N;  // the journal is a record for people; the result file is what counts
  close(Fd);
}

std::string HostName() {
  char Name[256] = {};
  gethostname(Name, sizeof Name - 1);
  return Name;
}

std::string Trimmed(const Str16& S) { return TrimBlanks(S.Str()); }

// The text of the row's values applied to the session: keywords into their
// members, catalogue variables into every rerun of the rerun file.
void ApplyRow(TKvSession& S, const TStudyTable& Table, const TStudyRow& Row) {
  std::string Smlim;
  for (size_t c = 0; c < Table.Columns.size(); ++c) {
    const std::string& Name = Table.Columns[c];
    const std::string& Value = Row.Values[c];
    if (const TStudyKeyword* K = FindStudyKeyword(Name)) {
      StoreKeywordValue(S, *K, Value);
      if (UpperCase(Name) == "SMLIM") Smlim = Value;
      // A rerun of the base session that holds the keyword would override
      // the row's value: the row's value goes there too.
      for (const auto& Run : S.Rerun().RerunList)
        if (const int i = IndexOfVar(*Run.Obj, Name); i >= 0) Run.Obj->Objects(i)->SetValue(Value);
      continue;
    }
    TKvRerun& R = S.Rerun();
    for (const auto& Run : R.RerunList) {
      const int i = IndexOfVar(*Run.Obj, Name);
      if (i >= 0) {
        Run.Obj->Objects(i)->SetValue(Value);
      } else {
        auto V = std::make_unique<TRerunVar>();
        R.GetVarInfo(UpperCase(Name), *V);
        V->SetValue(Value);
        const std::string VarName = V->Description();
        Run.Obj->Add(VarName, std::move(V));
      }
    }
    R.SetUseReRuns(true);
  }
  // The soil's moisture range may have clamped the row's own SMLIM.
  if (!Smlim.empty()) StoreKeywordValue(S, *FindStudyKeyword("SMLIM"), Smlim);
}

// The season results of a finished run, one CSV record per run and year.
std::vector<std::string> SeasonResults(const TKvFileManager& Fm) {
  TSummaryOutput Sum;
  Sum.ReadRunsPotential(Fm.OutFullName());
  Sum.ReadRunsWater(Fm.OutFullName());
  TDetailedOutput Det;
  try {
    Det.ReadOutputFile(Fm.OutFullName(), TDailyRows::Skip);
  } catch (const std::exception&) {
    // Without the detailed file the flowering and maturity days of the
    // water-limited level and the water balance stay empty.
  }
  // The water-limited sections and balances by run and year, in file order.
  std::map<std::pair<std::string, std::string>, std::vector<int>> WaterAt, BalanceAt;
  for (int i = Det.Data.WaterList.Count(); i-- > 0;) {
    const THeader& H = *Det.Data.WaterList.Objects(i)->Header;
    WaterAt[{Trimmed(H.RunName), Trimmed(H.RunYear)}].push_back(i);
  }
  for (int i = Det.Data.BalanceList.Count(); i-- > 0;) {
    const TWaterBalance& B = *Det.Data.BalanceList.Objects(i);
    BalanceAt[{Trimmed(B.RunName), Trimmed(B.RunYear)}].push_back(i);
  }
  const auto Take = [](auto& Map, const std::pair<std::string, std::string>& Key) {
    auto It = Map.find(Key);
    if (It == Map.end() || It->second.empty()) return -1;
    const int i = It->second.back();
    It->second.pop_back();
    return i;
  };
  std::vector<std::string> Lines;
  const int Runs = std::max(Sum.PotentialOutputList.Count(), Sum.WaterLimitedOutputList.Count());
  for (int r = 0; r < Runs; ++r) {
    const TPotentialOutputSum* P =
        r < Sum.PotentialOutputList.Count() ? Sum.PotentialOutputList.Objects(r) : nullptr;
    const TPotentialOutputSum* W =
        r < Sum.WaterLimitedOutputList.Count() ? Sum.WaterLimitedOutputList.Objects(r) : nullptr;
    const int Years = std::max(P ? P->Years.Count() : 0, W ? W->Years.Count() : 0);
    for (int y = 0; y < Years; ++y) {
      const TOutputLine* PL = P && y < P->Years.Count() ? P->Years.Objects(y) : nullptr;
      const TOutputLine* WL = W && y < W->Years.Count() ? W->Years.Objects(y) : nullptr;
      const TOutputLine* Any = PL ? PL : WL;
      const std::string Run = TrimBlanks(Any->Value(2).Str()), Year = TrimBlanks(Any->Value(1).Str());
      std::vector<std::string> F = {Run, Year};
      const auto Put = [&F](const TOutputLine* L, std::initializer_list<int> Slots) {
        for (const int k : Slots) F.push_back(L ? TrimBlanks(L->Value(k).Str()) : std::string());
      };
      // yield, biomass, harvest index, max LAI, emergence, flowering, maturity, season length
      Put(PL, {14, 15, 17, 16, 6, 7, 10, 9});
      const int Wi = WL ? Take(WaterAt, {Run, Year}) : -1;
      const TOutputLine* WS = Wi >= 0 ? &Det.Data.WaterList.Objects(Wi)->Summary : nullptr;
      Put(WL, {9, 10, 12, 11, 5});
      Put(WS, {2, 1});
      Put(WL, {6});
      const int Bi = Take(BalanceAt, {Run, Year});
      const TWaterBalance* B = Bi >= 0 ? Det.Data.BalanceList.Objects(Bi) : nullptr;
      for (const Str16 TWaterBalance::*M :
           {&TWaterBalance::Rainfall, &TWaterBalance::Irrigation, &TWaterBalance::Transpiration,
            &TWaterBalance::EvapSoilSurface, &TWaterBalance::EvapWaterSurface, &TWaterBalance::SurfaceRunoff,
            &TWaterBalance::LostToDeepSoil, &TWaterBalance::CapillaryRise})
        F.push_back(B ? Trimmed(B->*M) : std::string());
      std::string Line = CsvRecord(F);
      Line.pop_back();
      Lines.push_back(std::move(Line));
    }
  }
  return Lines;
}

// Whether the model's log reports an error (also when it wrote no output);
// its text is then the last box shown, as the log check tells the user.
bool LogReportsError(const std::string& LogName, std::vector<TMessage>& Shown) {
  Shown.clear();
  return FileExists(LogName) && CheckLogFile(LogName) && !Shown.empty();
}

std::string OutcomeText(const TRowOutcome& O) {
  std::string Text = CsvRecord({StateText(O.State), Format("%.3f", O.Seconds), O.Error});
  for (const std::string& L : O.ResultLines) Text += L + '\n';
  return Text;
}

// The first line of a message, without the log's name that the error box adds.
std::string FirstLine(const std::string& Text) {
  const size_t End = Text.find_first_of("\r\n");
  return TrimBlanks(Text.substr(0, End));
}
}  // namespace

// ---------------------------------------------------------------- the study directory

TStudy::TStudy(const std::string& Dir) : FDir(WithSlash(fs::absolute(Dir).lexically_normal().string())) {}

std::string TStudy::RowFile(size_t Row) const { return FDir + Format("rows/%06zu.res", Row + 1); }
std::string TStudy::LockFile(size_t Row) const { return FDir + Format("rows/%06zu.lock", Row + 1); }

TStudySettings TStudy::LoadSettings() const {
  if (!fs::is_regular_file(SettingsFile())) throw EKvError("Not a study directory: " + FDir);
  const std::string F = SettingsFile();
  TStudySettings S;
  S.ProgramDir = ReadIniString(F, Section, "PROGRAM", "");
  S.CropDir = ReadIniString(F, Section, "CRPDIR", "");
  S.SoilDir = ReadIniString(F, Section, "SOLDIR", "");
  S.ClimateDir = ReadIniString(F, Section, "CLMDIR", "");
  S.WeatherDir = ReadIniString(F, Section, "WTRDIR", "");
  S.RepairedDir = ReadIniString(F, Section, "DBRDIR", "");
  S.TimeoutSeconds = IntOrZero(ReadIniString(F, Section, "TIMEOUT", "600"));
  if (S.TimeoutSeconds <= 0) S.TimeoutSeconds = 600;
  return S;
}

void TStudy::SaveSettings(const TStudySettings& S) const {
  std::string Text = "[study]\n";
  Text += "PROGRAM=" + S.ProgramDir + "\n";
  Text += "CRPDIR=" + S.CropDir + "\n";
  Text += "SOLDIR=" + S.SoilDir + "\n";
  Text += "CLMDIR=" + S.ClimateDir + "\n";
  Text += "WTRDIR=" + S.WeatherDir + "\n";
  Text += "DBRDIR=" + S.RepairedDir + "\n";
  Text += Format("TIMEOUT=%d\n", S.TimeoutSeconds);
  WriteFileAtomically(SettingsFile(), Text);
}

TStudyTable TStudy::LoadTable() const { return ReadStudyTable(TableFile()); }

TRowOutcome TStudy::LoadOutcome(size_t Row) const {
  TRowOutcome O;
  std::string Text;
  try {
    Text = ReadWholeFile(RowFile(Row));
  } catch (const EInOutError&) {
    return O;  // no result yet
  }
  size_t Pos = 0;
  int Line = 0;
  std::vector<std::string> F;
  if (!NextCsvRecord(Text, Pos, Line, F) || F.size() < 3) return O;
  O.State = F[0] == "ok" ? TRowState::Ok : TRowState::Failed;
  O.Seconds = static_cast<double>(FloatOrZero(F[1]));
  O.Error = F[2];
  while (Pos < Text.size()) {
    const size_t End = Text.find('\n', Pos);
    O.ResultLines.push_back(Text.substr(Pos, End - Pos));
    Pos = End == std::string::npos ? Text.size() : End + 1;
  }
  return O;
}

TRowState TStudy::LoadState(size_t Row) const {
  // The outcome's record is the file's first line; an error of a failed row
  // may be long or hold line breaks in quotes, and then the whole file tells.
  char Buf[4096];
  const int Fd = open(RowFile(Row).c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return TRowState::NotRun;
  ssize_t N;
  do N = pread(Fd, Buf, sizeof Buf, 0);
  while (N < 0 && errno == EINTR);
  close(Fd);
  if (N < 0) return LoadOutcome(Row).State;
  const std::string_view Head(Buf, static_cast<size_t>(N));
  const size_t End = Head.find('\n');
  if (End == std::string_view::npos || Head.substr(0, End).find('"') != std::string_view::npos)
    return LoadOutcome(Row).State;
  const std::string_view First = Head.substr(0, End);
  const size_t Comma = First.find(',');
  if (Comma == std::string_view::npos || First.find(',', Comma + 1) == std::string_view::npos)
    return TRowState::NotRun;
  return First.substr(0, Comma) == "ok" ? TRowState::Ok : TRowState::Failed;
}

bool TStudy::RowRunning(size_t Row) const {
  if (!fs::exists(LockFile(Row))) return false;
  const TRowLock Lock(LockFile(Row));
  return !Lock.Held();
}

std::vector<std::string> SessionFiles(const TKvFileManager& Fm, const std::string& SessionName) {
  std::vector<std::string> Files;
  const std::string Name = UpperCase(SessionName);
  if (Name.empty() || Name == Fm.KRLWerkName())
    Files = {Fm.RunFullName(), Fm.TimerFullName(), Fm.SiteFullName(), Fm.ReRunFullName()};
  else
    Files = {Fm.RunioPath() + Name + ".krl", Fm.RunioPath() + Name + "ti.tim",
             Fm.RunioPath() + Name + "si.sit", Fm.RunioPath() + Name + "rr.rer"};
  for (std::string& F : Files) {
    if (!FileExists(F))
      throw EKvError("The session " + (Name.empty() ? std::string("KRL") : Name) + " has no file " +
                     ExpandFileName(F));
    F = ExpandFileName(MapFileName(F));
  }
  return Files;
}

TStudyStart PrepareStudy(const TStudy& Study, const std::string& TableText, const TStudySettings& Settings,
                         const std::vector<std::string>& BaseFiles) {
  if (fs::exists(Study.TableFile())) {
    if (ReadWholeFile(Study.TableFile()) != TableText)
      throw EKvError("The study directory " + Study.Dir() +
                     " holds another table; give another directory with --out, or remove it");
    // Going on: the base session and the directories stay as they were
    // started; only the time-out follows the new command.
    TStudySettings Kept = Study.LoadSettings();
    Kept.TimeoutSeconds = Settings.TimeoutSeconds;
    Study.SaveSettings(Kept);
    return TStudyStart::Resumed;
  }
  const bool Made = !fs::exists(Study.Dir());
  fs::create_directories(Study.Dir() + "rows");
  fs::create_directories(Study.BaseDir());
  for (size_t i = 0; i < BaseFiles.size() && i < 4; ++i)
    fs::copy_file(BaseFiles[i], Study.BaseDir() + BaseNames[i], fs::copy_options::overwrite_existing);
  Study.SaveSettings(Settings);
  return Made ? TStudyStart::NewDirectory : TStudyStart::InDirectory;
}

void AcceptStudyTable(const TStudy& Study, const std::string& TableText) {
  if (!fs::exists(Study.TableFile())) WriteFileAtomically(Study.TableFile(), TableText);
}

void AbandonStudy(const TStudy& Study, TStudyStart Start) {
  std::error_code Ec;
  if (Start == TStudyStart::NewDirectory) {
    fs::remove_all(Study.Dir(), Ec);
  } else if (Start == TStudyStart::InDirectory) {
    for (const std::string& P :
         {Study.SettingsFile(), Study.BaseDir(), Study.Dir() + "rows", Study.ScratchDir()})
      fs::remove_all(P, Ec);
  }
}

std::string MakeScratchHome(const TStudy& Study, const TStudySettings& Settings, const std::string& Name) {
  const std::string Home = Study.ScratchDir() + Name + "/";
  const std::string Bin = Home + "BIN/";
  fs::remove_all(Home);
  fs::create_directories(Bin);
  fs::create_directories(Home + "RUNIO");
  fs::create_directories(Home + "OUTPUT");
  const std::pair<const char*, const std::string*> Data[] = {{"CRPDIR", &Settings.CropDir},
                                                             {"SOLDIR", &Settings.SoilDir},
                                                             {"CLMDIR", &Settings.ClimateDir},
                                                             {"WTRDIR", &Settings.WeatherDir},
                                                             {"DBRDIR", &Settings.RepairedDir}};
  // The rows' results go into the study; a scratch home keeps no runs.
  std::string Ini = "[" + std::string(TKvFileManager::IniSection) +
                    "]\r\nOUTDIR=..\\OUTPUT\\\r\nRUNDIR=..\\RUNIO\\\r\nRUNSMB=0\r\n";
  for (const auto& [Key, Dir] : Data) {
    std::error_code Ec;
    fs::create_directory_symlink(*Dir, Home + Key, Ec);
    Ini += std::string(Key) + "=..\\" + Key + "\\\r\n";
  }
  WriteFileAtomically(Bin + TKvFileManager::IniFileName, Ini);
  for (const char* P : {"korval.exe", VarCatalogueFileName}) {
    std::error_code Ec;
    fs::create_symlink(Settings.ProgramDir + P, Bin + P, Ec);
  }
  return Bin;
}

namespace {
// The base session's files copied into the run directory of the scratch home
// whose bin/ is Bin and read as the working session there.
std::unique_ptr<TKvSession> ReadBase(const TStudy& Study, const std::string& Bin) {
  for (const char* N : BaseNames)
    fs::copy_file(Study.BaseDir() + N, Bin + "../RUNIO/" + N, fs::copy_options::overwrite_existing);
  InvalidateDirCache();
  SetExecPath(Bin);
  auto S = std::make_unique<TKvSession>();
  TheSession = S.get();
  S->Reset();
  S->Read(S->FileManager().KRLWerkFullName());
  return S;
}

std::unique_ptr<TKvSession>& BaseSession() {
  static std::unique_ptr<TKvSession> S;
  return S;
}

// The catalogues of a process: the variables from the program directory,
// the data from the shared directories, each read once.
void LoadCatalogues(const TStudySettings& Settings) {
  static bool Loaded = false;
  if (Loaded) return;
  LoadVarCatalogue(Settings.ProgramDir + VarCatalogueFileName);
  Loaded = true;
}

// The weather choice without the window's format list, which a row never
// changes.
struct TWeatherChoice {
  int32_t Format, Year, Years, RandomRuns, RandomRunsMax, RandomRunsMin, RainOptions, RainYear, RainYears,
      RainYearsMax, RainYearsMin;
  std::string Station, StationFile, RainStation, RainStationFile;

  explicit TWeatherChoice(const TKvWeather& W)
      : Format(W.WeatherFormat()),
        Year(W.Year()),
        Years(W.ConsecutiveYears()),
        RandomRuns(W.NoOfRunsWithRandomizedRain()),
        RandomRunsMax(W.MaxNoOfRunsWithRandomizedRain()),
        RandomRunsMin(W.MinNoOfRunsWithRandomizedRain()),
        RainOptions(W.RainfallDataOptions()),
        RainYear(W.RainfallYear()),
        RainYears(W.RainfallConsecutiveYears()),
        RainYearsMax(W.MaxRainfallConsecutiveYears()),
        RainYearsMin(W.MinRainfallConsecutiveYears()),
        Station(W.StationDescription()),
        StationFile(W.StationFile()),
        RainStation(W.RainfallStationDescription()),
        RainStationFile(W.RainfallStationFile()) {}

  void PutInto(TKvWeather& W) const {
    W.SetWeatherFormatNumber(Format);
    W.SetYear(Year);
    W.SetConsecutiveYears(Years);
    W.SetNoOfRunsWithRandomizedRain(RandomRuns);
    W.SetMaxNoOfRunsWithRandomizedRain(RandomRunsMax);
    W.SetMinNoOfRunsWithRandomizedRain(RandomRunsMin);
    W.SetRainfallDataOptions(RainOptions);
    W.SetRainfallYear(RainYear);
    W.SetRainfallConsecutiveYears(RainYears);
    W.SetMaxRainfallConsecutiveYears(RainYearsMax);
    W.SetMinRainfallConsecutiveYears(RainYearsMin);
    W.SetStationDescription(Station);
    W.SetStationFile(StationFile);
    W.SetRainfallStationDescription(RainStation);
    W.SetRainfallStationFile(RainStationFile);
  }
};

// The base session of a worker, read once: each row's values are applied to
// it, and Restore takes them back before the next row, member by member as
// the base was read (the rerun table as copies of its variables).
class TStudyBase {
 public:
  TStudyBase(const TStudy& Study, const std::string& Bin)
      : FSession(ReadBase(Study, Bin)),
        FFileManager(FSession->FileManager()),
        FGeneral(FSession->General()),
        FCrop(FSession->Crop()),
        FWeather(FSession->Weather()),
        FNutrients(FSession->Nutrients()),
        FSoil(FSession->Soil()),
        FHydrology(FSession->Hydrology()),
        FStartStop(FSession->Rerun().StartStopOptions()),
        FUseReruns(FSession->Rerun().UseReRuns()),
        FSelectedType(FSession->Rerun().SelectedType()) {
    CopyReruns(FSession->Rerun().RerunList, FReruns);
  }
  TKvSession& Session() const { return *FSession; }

  void Restore() {
    TKvSession& S = *FSession;
    S.FileManager() = FFileManager;
    S.General() = FGeneral;
    S.Crop() = FCrop;
    FWeather.PutInto(S.Weather());
    S.Nutrients() = FNutrients;
    S.Soil() = FSoil;
    S.Hydrology() = FHydrology;
    TKvRerun& R = S.Rerun();
    CopyReruns(FReruns, R.RerunList);
    R.SetUseReRuns(FUseReruns);
    R.SetStartStopOptions(FStartStop);
    R.SetSelectedType(FSelectedType);
  }

 private:
  static void CopyReruns(const TObjList<TRerunVarList>& From, TObjList<TRerunVarList>& To) {
    To.Clear();
    for (const auto& Run : From) {
      auto Copy = std::make_unique<TRerunVarList>();
      TKvRerun::CopyStringList(*Run.Obj, *Copy);
      To.Add(Run.Str, std::move(Copy));
    }
  }

  std::unique_ptr<TKvSession> FSession;
  TKvFileManager FFileManager;
  TKvGeneral FGeneral;
  TKvCrop FCrop;
  TWeatherChoice FWeather;
  TKvNutrients FNutrients;
  TKvSoil FSoil;
  TKvHydrology FHydrology;
  TObjList<TRerunVarList> FReruns;
  int FStartStop;
  bool FUseReruns;
  std::string FSelectedType;
};

using TClock = std::chrono::steady_clock;

// The model a worker runs now, for the signal that ends the worker.
volatile sig_atomic_t RunningModel = 0;

// Waits until the model Pid has ended or Deadline has passed; false then,
// and the model is ended: politely first, then for good after a second.
bool WaitForModel(int Pid, TClock::time_point Deadline) {
  bool Ended = false;
  while (!Ended) {
    const auto Left =
        std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - TClock::now()).count() + 1;
    if (Left <= 0) break;
    WaitForChildEnd({Pid}, static_cast<int>(std::min<long long>(Left, 1000)));
    int Status = 0;
    Ended = waitpid(Pid, &Status, WNOHANG) == Pid;
  }
  if (!Ended) {
    kill(Pid, SIGTERM);
    for (int Tries = 0; Tries < 100 && waitpid(Pid, nullptr, WNOHANG) != Pid; ++Tries) {
      if (Tries == 99) {
        kill(Pid, SIGKILL);
        waitpid(Pid, nullptr, 0);
      }
      usleep(10 * 1000);
    }
  }
  return Ended;
}

// Empties the scratch home's output directory before a row: whatever the
// model wrote for the row before goes, so that a failed run cannot pass for
// a successful one. Only the model writes there.
void EmptyOutputDirectory(const TKvFileManager& Fm) {
  const std::string Dir = MapFileName(Fm.OutPath());
  std::error_code Ec;
  for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec))
    fs::remove(It->path(), Ec);
}

// Runs one row on the base session: its values, the input files in the
// scratch home, the model started directly as the run script starts it,
// the outcome judged from the log as after a run from the window, and the
// season results from the scratch output. Never throws: every failure is the
// row's outcome.
TRowOutcome RunStudyRow(TStudyBase* Base, const std::string& BaseError, const TStudyTable& Table, size_t Row,
                        int TimeoutSeconds) {
  const TClock::time_point Start = TClock::now();
  TRowOutcome O;
  O.State = TRowState::Failed;
  // What the outcome tells the user becomes the row's error.
  std::vector<TMessage> Shown;
  std::string AppError;
  const TScopedHandler<TMessageHandler> Boxes(SetMessageHandler, [&Shown](const TMessage& M) {
    Shown.push_back(M);
    return M.Buttons == TMsgButtons::Ok ? TMsgResult::Ok : TMsgResult::No;
  });
  const TScopedHandler<TAppErrorHandler> Errors(
      SetAppErrorHandler, [&AppError](const std::exception& E) { AppError = E.what(); });
  try {
    if (!Base) throw EKvError(BaseError);
    Base->Restore();
    TKvSession& S = Base->Session();
    TheSession = &S;
    ApplyRow(S, Table, Table.Rows[Row]);
    // What cannot work is refused as the window refuses it, without a run.
    if (const std::vector<TRunProblem> Errors = CheckBeforeRun(S, TCheckScope::ErrorsOnly); !Errors.empty())
      throw EKvError("the check before the run: " + Errors.front().Text());
    TKvFileManager& Fm = S.FileManager();
    // The scratch home is this worker's alone: its files are written in place.
    S.WriteInputFiles(true);
    EmptyOutputDirectory(Fm);
    // The model's name in bin/, the current directory.
    if (!FileExists(Fm.ModelName())) throw EKvError(Format("'%s' not found!", Fm.ModelName().c_str()));
    int Pid = -1;
    std::string Why;
    if (StartWithLog(Fm.ModelName(), Fm.LogFullName(), Pid, Why) != TLoggedStart::Started)
      throw EKvError(Why);
    RunningModel = Pid;
    const bool Ended = WaitForModel(Pid, Start + std::chrono::seconds(TimeoutSeconds));
    RunningModel = 0;
    if (!Ended) {
      Fm.RemoveOutputFiles();
      O.Error = Format("time-out: the row ran longer than %d s", TimeoutSeconds);
    } else {
      Shown.clear();
      const TRunOutcome Outcome = DecideRunOutcome(Fm);
      if (Outcome == TRunOutcome::Successful) {
        O.ResultLines = SeasonResults(Fm);
        O.State = O.ResultLines.empty() ? TRowState::Failed : TRowState::Ok;
        if (O.ResultLines.empty()) O.Error = "the model wrote no season results";
      } else if ((Outcome == TRunOutcome::ModelError && !Shown.empty()) ||
                 LogReportsError(Fm.LogFullName(), Shown)) {
        O.Error = FirstLine(Shown.back().Text);
      } else if (!AppError.empty()) {
        O.Error = FirstLine(AppError);
      } else {
        O.Error = "the model wrote no output";
        const std::string Last = LastLogLine(Fm.LogFullName());
        if (!Last.empty()) O.Error += "; last line of its log: " + Last;
      }
    }
  } catch (const std::exception& E) {
    O.Error = FirstLine(E.what());
  }
  TheSession = nullptr;
  O.Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
  return O;
}

// Puts a worker's finished rows in place in groups, on a thread of its own:
// five times a second the rows finished since are written, flushed to the disk
// together, renamed into place and journalled, and only then are their locks
// released. One flush of the file system's journal serves the whole group
// instead of each row paying for its own while the next model runs. A row
// counts as done once its file is in place; a worker that ends before that
// leaves the row to run again. A group that cannot be written stops the
// worker at its next row.
class TRowCommitter {
 public:
  explicit TRowCommitter(const TStudy& Study) : FJournal(Study.JournalFile()), FThread([this] { Run(); }) {}
  ~TRowCommitter() {
    try {
      Finish();
    } catch (const std::exception&) {
      // Left by a worker that is failing already; its rows run again.
    }
  }
  TRowCommitter(const TRowCommitter&) = delete;
  TRowCommitter& operator=(const TRowCommitter&) = delete;

  void Add(std::unique_ptr<const TRowLock> Lock, TFileText Result, std::string JournalLine) {
    std::lock_guard<std::mutex> Hold(FMutex);
    if (FFailure) std::rethrow_exception(FFailure);
    FPending.push_back({std::move(Lock), std::move(Result), std::move(JournalLine)});
  }

  // Puts every row added in place and ends the thread; throws what stopped a group.
  void Finish() {
    {
      std::lock_guard<std::mutex> Hold(FMutex);
      FClosing = true;
    }
    FWake.notify_one();
    if (FThread.joinable()) FThread.join();
    if (FFailure) std::rethrow_exception(std::exchange(FFailure, nullptr));
  }

 private:
  struct TRow {
    std::unique_ptr<const TRowLock> Lock;
    TFileText Result;
    std::string JournalLine;
  };

  void Run() {
    std::unique_lock<std::mutex> Hold(FMutex);
    for (;;) {
      FWake.wait_for(Hold, std::chrono::milliseconds(200), [this] { return FClosing; });
      std::vector<TRow> Group;
      Group.swap(FPending);
      const bool Last = FClosing;
      Hold.unlock();
      if (!Group.empty()) {
        try {
          std::vector<TFileText> Files;
          std::string Lines;
          for (TRow& R : Group) {
            Files.push_back(std::move(R.Result));
            Lines += R.JournalLine;
          }
          WriteFilesAtomically(Files);
          AppendLine(FJournal, Lines);
        } catch (const std::exception&) {
          Hold.lock();
          FFailure = std::current_exception();
          return;
        }
      }
      Group.clear();  // the locks go only now
      Hold.lock();
      if (Last) return;
    }
  }

  const std::string FJournal;
  std::mutex FMutex;
  std::condition_variable FWake;
  std::vector<TRow> FPending;
  bool FClosing = false;
  std::exception_ptr FFailure;
  std::thread FThread;  // last: started once the rest is in place
};

// A worker asked to end ends the model it runs, then itself as asked.
void EndWorker(int Signal) {
  const int Pid = RunningModel;
  if (Pid > 0) kill(Pid, SIGKILL);
  signal(Signal, SIG_DFL);
  raise(Signal);
}
}  // namespace

TKvSession& OpenBaseSession(const TStudy& Study, const std::string& Bin) {
  LoadCatalogues(Study.LoadSettings());
  TheSession = nullptr;
  BaseSession().reset();
  BaseSession() = ReadBase(Study, Bin);
  static bool Built = false;
  if (!Built) BuildDataCatalogue(BaseSession()->FileManager());
  Built = true;
  return *BaseSession();
}

int RunStudyWorker(const TStudy& Study, int Slice, int Slices) {
  const TStudySettings Settings = Study.LoadSettings();
  const TStudyTable Table = Study.LoadTable();
  const std::string Me = HostName() + Format("-%d", static_cast<int>(getpid()));
  const std::string Bin = MakeScratchHome(Study, Settings, Me);
  for (const int Signal : {SIGTERM, SIGINT, SIGHUP}) signal(Signal, EndWorker);
  // The base session once for all rows; when it cannot be read, every row
  // says why.
  std::unique_ptr<TStudyBase> Base;
  std::string BaseError;
  try {
    LoadCatalogues(Settings);
    Base = std::make_unique<TStudyBase>(Study, Bin);
    if (CropList.Empty() && SoilList.Empty() && StationList.Empty())
      BuildDataCatalogue(Base->Session().FileManager());
    TheSession = nullptr;
  } catch (const std::exception& E) {
    TheSession = nullptr;
    Base.reset();
    BaseError = E.what();
  }
  int Ran = 0;
  TRowCommitter Committer(Study);
  for (size_t r = 0; r < Table.Rows.size(); ++r) {
    if (Slices > 1 && static_cast<int>(r % static_cast<size_t>(Slices)) != Slice) continue;
    if (Study.LoadState(r) == TRowState::Ok) continue;
    auto Lock = std::make_unique<const TRowLock>(Study.LockFile(r));
    if (!Lock->Held()) continue;  // another worker runs it
    // Done by another worker between the first look and the lock.
    if (Study.LoadState(r) == TRowState::Ok) continue;
    const TRowOutcome O = RunStudyRow(Base.get(), BaseError, Table, r, Settings.TimeoutSeconds);
    Committer.Add(std::move(Lock), {Study.RowFile(r), OutcomeText(O)},
                  Format("%zu\t%s\t%.3f\t%s\n", r + 1, StateText(O.State).c_str(), O.Seconds, Me.c_str()));
    ++Ran;
  }
  Committer.Finish();
  Base.reset();
  SetCurrentDir(Study.Dir());
  std::error_code Ec;
  fs::remove_all(Study.ScratchDir() + Me, Ec);
  return Ran;
}

const std::vector<std::string>& ResultColumns() {
  static const std::vector<std::string> C = {"run",
                                             "year",
                                             "pot_yield",
                                             "pot_biomass",
                                             "pot_harvest_index",
                                             "pot_max_lai",
                                             "pot_emergence",
                                             "pot_flowering",
                                             "pot_maturity",
                                             "pot_season_days",
                                             "wl_yield",
                                             "wl_biomass",
                                             "wl_harvest_index",
                                             "wl_max_lai",
                                             "wl_emergence",
                                             "wl_flowering",
                                             "wl_maturity",
                                             "wl_season_days",
                                             "rain",
                                             "irrigation",
                                             "transpiration",
                                             "evaporation_soil",
                                             "evaporation_water",
                                             "runoff",
                                             "drainage",
                                             "capillary_rise"};
  return C;
}

TStudyCounts CountStudy(const TStudy& Study, const TStudyTable& Table) {
  TStudyCounts C;
  for (size_t r = 0; r < Table.Rows.size(); ++r) {
    switch (Study.LoadState(r)) {
      case TRowState::Ok: ++C.Ok; break;
      case TRowState::Failed: ++C.Failed; break;
      case TRowState::NotRun: ++C.NotRun; break;
    }
    if (Study.RowRunning(r)) ++C.Running;
  }
  return C;
}

namespace {
// A row's result file read whole into Buffer (kept between rows, so that
// reading allocates only while the buffer grows); false when there is none.
bool ReadRowFile(const std::string& FileName, std::string& Buffer) {
  const int Fd = open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return false;
  struct stat St {};
  size_t Got = 0;
  if (fstat(Fd, &St) == 0) {
    Buffer.resize(static_cast<size_t>(St.st_size) + 1);
    for (;;) {
      const ssize_t N = read(Fd, &Buffer[Got], Buffer.size() - Got);
      if (N < 0 && errno == EINTR) continue;
      if (N <= 0) break;
      Got += static_cast<size_t>(N);
      if (Got == Buffer.size()) Buffer.resize(Buffer.size() * 2);
    }
  }
  close(Fd);
  Buffer.resize(Got);
  return true;
}

// The fields of a result line into Fields, reusing its strings; a line
// without quotes is split at its commas in place.
void SplitResultLine(std::string_view Line, std::vector<std::string>& Fields) {
  if (Line.find('"') != std::string_view::npos) {
    size_t Pos = 0;
    int No = 0;
    NextCsvRecord(std::string(Line), Pos, No, Fields);
    return;
  }
  size_t n = 0;
  for (size_t From = 0;; ++n) {
    const size_t Comma = std::min(Line.find(',', From), Line.size());
    if (Fields.size() <= n) Fields.emplace_back();
    Fields[n].assign(Line.substr(From, Comma - From));
    if (Comma == Line.size()) break;
    From = Comma + 1;
  }
  Fields.resize(n + 1);
}
}  // namespace

TStudyCounts CollectStudy(const TStudy& Study, const TStudyTable& Table) {
  TStudyCounts C;
  std::vector<std::string> Head = {"row", "ID"};
  Head.insert(Head.end(), Table.Columns.begin(), Table.Columns.end());
  std::vector<std::string> ResultHead = Head;
  ResultHead.insert(ResultHead.end(), ResultColumns().begin(), ResultColumns().end());
  std::vector<std::string> StatusHead = Head;
  StatusHead.insert(StatusHead.end(), {"status", "seconds", "error"});

  const std::string ResultsName = Study.Dir() + "results.csv", StatusName = Study.Dir() + "status.csv";
  const std::string Temp = Format(".%d.tmp", static_cast<int>(getpid()));
  std::FILE* Results = std::fopen((ResultsName + Temp).c_str(), "wb");
  std::FILE* Status = std::fopen((StatusName + Temp).c_str(), "wb");
  if (!Results || !Status) {
    if (Results) std::fclose(Results);
    if (Status) std::fclose(Status);
    throw EInOutError(errno, Study.Dir() + "results.csv");
  }
  std::setvbuf(Results, nullptr, _IOFBF, 1 << 20);
  TStudyXlsx Book(Study.Dir() + "results.xlsx", ResultHead);
  const auto Put = [](std::FILE* F, std::string_view S) { std::fwrite(S.data(), 1, S.size(), F); };
  Put(Results, CsvRecord(ResultHead));
  Put(Status, CsvRecord(StatusHead));
  // One read of each row's file; its result lines go out as they stand.
  std::string Text, Error;
  std::vector<std::string> Outcome, Fields, Prefix;
  for (size_t r = 0; r < Table.Rows.size(); ++r) {
    const TStudyRow& Row = Table.Rows[r];
    Prefix = {std::to_string(r + 1), Row.Id};
    Prefix.insert(Prefix.end(), Row.Values.begin(), Row.Values.end());
    std::string PrefixText = CsvRecord(Prefix);
    PrefixText.back() = ',';
    TRowState State = TRowState::NotRun;
    double Seconds = 0;
    size_t Pos = 0;
    Error.clear();
    int Line = 0;
    if (ReadRowFile(Study.RowFile(r), Text) && NextCsvRecord(Text, Pos, Line, Outcome) &&
        Outcome.size() >= 3) {
      State = Outcome[0] == "ok" ? TRowState::Ok : TRowState::Failed;
      const std::string& S = Outcome[1];
      std::from_chars(S.data(), S.data() + S.size(), Seconds);
      Error = Outcome[2];
    }
    switch (State) {
      case TRowState::Ok: ++C.Ok; break;
      case TRowState::Failed: ++C.Failed; break;
      case TRowState::NotRun: break;
    }
    if (State == TRowState::NotRun) ++C.NotRun;
    Put(Status, PrefixText);
    Put(Status,
        CsvRecord({StateText(State), State == TRowState::NotRun ? "" : Format("%.3f", Seconds), Error}));
    if (State != TRowState::Ok) continue;
    const std::string_view All(Text);
    while (Pos < All.size()) {
      const size_t End = std::min(All.find('\n', Pos), All.size());
      const std::string_view L = All.substr(Pos, End - Pos);
      Put(Results, PrefixText);
      Put(Results, L);
      Put(Results, "\n");
      SplitResultLine(L, Fields);
      Book.AddRow(Prefix, Fields);
      Pos = End + 1;
    }
  }
  const bool Written = std::fclose(Results) == 0 && std::fclose(Status) == 0;
  if (!Written || std::rename((ResultsName + Temp).c_str(), ResultsName.c_str()) != 0 ||
      std::rename((StatusName + Temp).c_str(), StatusName.c_str()) != 0)
    throw EInOutError(errno, Study.Dir() + "results.csv");
  Book.Close();
  return C;
}
