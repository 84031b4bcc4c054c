#include "model/Model.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "model/InputLines.h"
#include "platform/FileSys.h"

namespace {

// A file named in an input file: relative to the given directory unless it
// carries a directory of its own.
std::string InDir(const std::string& Dir, const std::string& Name) {
  if (Name.find('\\') != std::string::npos || Name.find('/') != std::string::npos) return Name;
  return Dir + Name;
}

// ---- the run options

int RunOption(const TValueSet& Opt, const std::string& Key, int Min, int Max) {
  auto It = Opt.Values.find(Key);
  if (It == Opt.Values.end())
    throw EModelError(Opt.FileName, Key,
                      {"ERROR in file " + Opt.FileName + ", key " + Key + ": key not found"});
  int V = 0;
  if (!TryStrToInt(It->second, V) || V < Min || V > Max)
    throw EModelError(
        Opt.FileName, Key,
        {"ERROR in file " + Opt.Where(Key) + ", key " + Key + ": value '" + It->second + "' not allowed",
         Format("  Allowed: a whole number from %d to %d.", Min, Max)});
  return V;
}

std::string RunText(const TValueSet& Opt, const std::string& Key) {
  auto It = Opt.Values.find(Key);
  if (It == Opt.Values.end() || It->second.empty())
    throw EModelError(Opt.FileName, Key,
                      {"ERROR in file " + Opt.Where(Key) + ", key " + Key + ": key not found or empty"});
  return It->second;
}

TRunOptions ReadRunOptions(const TDirectories& Dirs) {
  const TValueSet Opt = ReadKeyFile(Dirs.Runio + "runopt.dat", true, "RUNDIR");
  TRunOptions O;
  O.IOPT2 = RunOption(Opt, "IOPT2", 0, 9);
  O.IPRODL = RunOption(Opt, "IPRODL", 1, 3);
  O.IOXWL = RunOption(Opt, "IOXWL", 0, 1);
  O.RQUIRD = RunOption(Opt, "RQUIRD", 0, 1);
  O.TimerFile = InDir(Dirs.Runio, RunText(Opt, "TIMFIL"));
  O.SiteFile = InDir(Dirs.Runio, RunText(Opt, "SITFIL"));
  O.RerunFile = InDir(Dirs.Runio, RunText(Opt, "KORRER"));
  O.OutFile = InDir(Dirs.Out, RunText(Opt, "KOROUT"));
  O.FixName = InDir(Dirs.Out, RunText(Opt, "FIXNAM"));
  return O;
}

// ---- the reruns

void CheckRerun(const TRerun& R, const std::string& File) {
  auto Where = [&](const std::string& Key) {
    auto It = R.LineOf.find(Key);
    return It == R.LineOf.end() ? File : AtLine(File, It->second);
  };
  if (R.Name.empty() || R.Name.size() > 6 || R.Name.find_first_of(" \t") != std::string::npos)
    throw EModelError(
        File, "RUNNAM",
        {"ERROR in file " + Where("RUNNAM") + ", key RUNNAM: run name '" + R.Name + "' not allowed",
         "  A run name is one word of 1 to 6 characters."});
  for (const auto& V : R.Values) {
    const std::string& Name = V.first;
    if (Name == "RUNNAM" || Name == "CRPNAM" || Name == "SOLNAM" || Name == "CLMNAM" || Name == "RAINAM")
      continue;
    const TParDef* D = FindParDef(Name);
    if (!D)
      throw EModelError(File, Name,
                        {"ERROR in file " + Where(Name) + ", key " + Name + ": rerun " + R.Name +
                         " changes a variable the model does not know"});
    if (!D->Rerunnable)
      throw EModelError(
          File, Name,
          {"ERROR in file " + Where(Name) + ", key " + Name + ": rerun " + R.Name + " changes " + Name,
           "  This variable is the same for the whole session and cannot be changed in a rerun."});
  }
}

// ---- one run's inputs

// The session's files as read, and the data and rainfall files read so far.
struct TInputFiles {
  TDirectories Dirs;
  TRunOptions Options;
  TValueSet Timer, Site;
  std::map<std::string, TValueSet> Data;
  std::map<std::string, std::shared_ptr<const TRainFile>> Rain;

  const TValueSet& DataFile(const std::string& Name, const std::string& NamedBy) {
    auto It = Data.find(Name);
    if (It != Data.end()) return It->second;
    return Data.emplace(Name, ReadDataFile(Name, NamedBy)).first->second;
  }
  std::shared_ptr<const TRainFile> RainFile(const std::string& Name) {
    auto It = Rain.find(Name);
    if (It != Rain.end()) return It->second;
    return Rain.emplace(Name, std::make_shared<const TRainFile>(ReadRainFile(Name))).first->second;
  }
};

[[noreturn]] void Refuse(const TParams& P, const std::string& Key, const std::string& Why,
                         const std::vector<std::string>& More = {}) {
  std::vector<std::string> Lines = {"ERROR in file " + P.Source(Key) + ", key " + Key + ": " + Why};
  Lines.insert(Lines.end(), More.begin(), More.end());
  throw EModelError(P.Source(Key), Key, Lines);
}

// A name for the headers from the timer file, else a stand-in; a blank name
// counts as none.
std::string TimerName(const TParams& Tim, const char* Key, const std::string& Otherwise) {
  if (Tim.Has(Key) && !IsBlank(Tim.Text(Key))) return TrimBlanks(Tim.Text(Key));
  return Otherwise;
}

void ReadRainfall(TInputFiles& F, const TParams& Tim, TRunSetup& S) {
  if (S.IRNDAT == 0 || S.IRNDAT == 1)
    Refuse(Tim, "IRNDAT", Format("rainfall option %d cannot be handled", S.IRNDAT),
           {"  Options 0 and 1 need monthly weather data, which this model does not read.",
            "  Use option 2 (a rainfall file) or 3 (rain of the weather files)."});
  if (S.IRNDAT != 2) return;
  S.ISYRR = Tim.Int("ISYRR");
  S.INYRG = Tim.Int("INYRG");
  S.RainFileKey = Tim.Text("RAFILE");
  const std::string RainName = InDir(F.Dirs.Climate, S.RainFileKey);
  const int Fmt = ReadWeatherFormat(RainName);
  if (FileExists(RainName) && Fmt != 99)
    throw EModelError(
        RainName, "RAFILE",
        {"ERROR in file " + RainName + Format(", key RAFILE: format %d is not a rainfall file", Fmt),
         "  A rainfall file carries the line ** KRLFORMAT=99."});
  S.Rain = F.RainFile(RainName);
  for (int k = 0; k < S.INYRG; ++k)
    if (!S.Rain->Years.count(S.ISYRR + k))
      throw EModelError(RainName, "ISYRR",
                        {"ERROR in file " + RainName +
                         Format(", key ISYRR: rain year %d is not in the file", S.ISYRR + k)});
}

TSeasonSettings ReadSeasonSettings(const TParams& Tim, int Ioxwl) {
  TSeasonSettings C;
  C.ISTCHO = Tim.Int("ISTCHO");
  C.IDEM = Tim.Int("IDEM");
  C.IDSOW = Tim.Int("IDSOW");
  C.IDESOW = Tim.Int("IDESOW");
  C.IDLSOW = Tim.Int("IDLSOW");
  C.IENCHO = Tim.Int("IENCHO");
  C.IDAYEN = Tim.Int("IDAYEN");
  C.IDURMX = Tim.Int("IDURMX");
  C.ISDAY = Tim.Int("ISDAY");
  C.PRDEL = static_cast<int>(std::lround(Tim.Real("PRDEL")));
  C.IOXWL = Ioxwl;
  if (C.ISTCHO == 2 && C.IDLSOW < C.IDESOW)
    Refuse(Tim, "IDLSOW", "the ultimate sowing day lies before the earliest");
  return C;
}

TRunSetup ReadRunSetup(TInputFiles& F, const TRerun* Rerun, int Set) {
  const std::string& RerunFile = F.Options.RerunFile;
  const TParams Tim(F.Timer, Rerun, RerunFile), Sit(F.Site, Rerun, RerunFile);
  TRunSetup S;
  S.Set = Set;
  S.Name = Rerun ? Rerun->Name : Tim.Text("RUNNAM");
  if (S.Name.empty() || S.Name.size() > 6 || S.Name.find(' ') != std::string::npos)
    Refuse(Tim, "RUNNAM", "run name '" + S.Name + "' must be one word of 1 to 6 characters");
  const int Iweath = Tim.Int("IWEATH");
  if (Iweath != 2)
    Refuse(Tim, "IWEATH", Format("weather format %d cannot be handled", Iweath),
           {"  This model reads yearly files of daily weather (format 2) only."});
  S.IRNDAT = Tim.Int("IRNDAT");
  S.Station = Tim.Text("CLFILE");
  S.ISYR = Tim.Int("ISYR");
  S.INYEAR = Tim.Int("INYEAR");
  ReadRainfall(F, Tim, S);
  S.Season = ReadSeasonSettings(Tim, F.Options.IOXWL);
  S.CropFile = InDir(F.Dirs.Crop, Tim.Text("CRFILE"));
  S.SoilFile = InDir(F.Dirs.Soil, Sit.Text("SOFILE"));
  S.Crop = LoadCropParams(TParams(F.DataFile(S.CropFile, "CRFILE"), Rerun, RerunFile));
  S.Soil = LoadSoilParams(TParams(F.DataFile(S.SoilFile, "SOFILE"), Rerun, RerunFile));
  S.Site = LoadSiteParams(Sit);
  S.CropName = IsBlank(S.Crop.Name) ? TimerName(Tim, "CRPNAM", "crop") : TrimBlanks(S.Crop.Name);
  S.SoilName = IsBlank(S.Soil.Name) ? TimerName(Tim, "SOLNAM", "soil") : TrimBlanks(S.Soil.Name);
  S.WeatherName = TimerName(Tim, "CLMNAM", S.Station);
  if (S.Rain)
    S.RainName = IsBlank(S.Rain->Description) ? TimerName(Tim, "RAINAM", S.RainFileKey)
                                              : TrimBlanks(S.Rain->Description);
  return S;
}

// ---- the simulation

const char* StartText(int IstCho) {
  switch (IstCho) {
    case 0: return "fixed emergence date";
    case 1: return "fixed sowing date";
    default: return "variable sowing date";
  }
}

const char* EndText(int IenCho) {
  switch (IenCho) {
    case 1: return "fixed end date";
    case 2: return "maturity within the maximum duration";
    default: return "the earlier of the fixed end date and maturity";
  }
}

// The weather ran out: the season that needed the missing year, and what was
// finished before it.
class EWeatherRanOut : public EModelError {
 public:
  using EModelError::EModelError;
};

class TSimulation {
 public:
  TSimulation(const TModelInputs& In, std::ostream& Log) : FIn(In), FLog(Log) {}

  // Simulates every run into Runs and each finished season into Detail.
  // When the weather runs out, Runs and Detail hold the runs and seasons
  // finished before, and EWeatherRanOut names the season. Without KeepRows
  // a season's daily rows are let go once it is in Detail.
  void Run(std::vector<TRunResult>& Runs, TDetailedText& Detail, bool KeepRows);

 private:
  TYearResult Season(const TRunSetup& S, int k);
  THeaderInfo Header(const TRunSetup& S, const TWeatherYear& First) const;
  void LogSeason(const TRunSetup& S, const TYearResult& Y);

  const TModelInputs& FIn;
  std::ostream& FLog;
  TWeatherStore FWeather;
};

void TSimulation::Run(std::vector<TRunResult>& Runs, TDetailedText& Detail, bool KeepRows) {
  for (const TRunSetup& S : FIn.Runs) {
    Runs.emplace_back();
    TRunResult& R = Runs.back();
    R.Name = S.Name;
    R.Set = S.Set;
    R.Site = S.Site;
    R.Nutrients = {S.Crop.NCSO, S.Crop.NCST, S.Crop.PCSO, S.Crop.PCST, S.Crop.KCSO, S.Crop.KCST};
    for (int k = 0; k < S.Years(); ++k) {
      try {
        R.Years.push_back(Season(S, k));
        TYearResult& Y = R.Years.back();
        Detail.Add(R, Y);
        if (!KeepRows)
          for (TSeasonResult* Sr : {&Y.Pot, &Y.Wat}) {
            Sr->Rows = std::vector<TDailyRow>();
            Sr->Growth = std::vector<double>();
          }
      } catch (const EWeatherMissing& E) {
        if (R.Years.empty()) Runs.pop_back();
        const bool Rain = E.Key() != "CLFILE";
        const int Year = S.ISYR + k % S.INYEAR;
        throw EWeatherRanOut(
            E.File(), E.Key(),
            {"ERROR in file " + E.File() + ", key " + E.Key() + ": run " + S.Name +
                 Format(", season %d (%d) needs ", k + 1, Year) + (Rain ? "rain" : "weather") +
                 Format(" year %d, ", E.Year()) + (Rain ? "which is not in the file" : "which has no file"),
             "  A season that runs into the next year needs that year's data too."});
      }
    }
  }
}

THeaderInfo TSimulation::Header(const TRunSetup& S, const TWeatherYear& First) const {
  THeaderInfo H;
  H.WeatherName = IsBlank(First.Description) ? S.WeatherName : TrimBlanks(First.Description);
  H.WeatherFile = FIn.Dirs.Weather + S.Station;
  H.RainFromFile = S.IRNDAT == 2;
  if (S.Rain) {
    H.RainName = S.RainName;
    H.RainFile = S.Rain->FileName;
  }
  H.CropName = S.CropName;
  H.CropFile = S.CropFile;
  H.SoilName = S.SoilName;
  H.SoilFile = S.SoilFile;
  H.StartText = std::string(StartText(S.Season.ISTCHO)) + ", end: " + EndText(S.Season.IENCHO);
  return H;
}

TYearResult TSimulation::Season(const TRunSetup& S, int k) {
  TYearResult Y;
  Y.Year = S.ISYR + k % S.INYEAR;
  Y.RainYear = S.IRNDAT == 2 ? S.ISYRR + k % S.INYRG : Y.Year;
  const std::string& WDir = FIn.Dirs.Weather;
  const TWeatherYear& First = FWeather.Year(WDir, S.Station, Y.Year);
  TSeasonInput In;
  static_cast<TSeasonSettings&>(In) = S.Season;
  In.Crop = &S.Crop;
  In.Soil = &S.Soil;
  In.Site = &S.Site;
  In.Year = Y.Year;
  In.Lat = First.Lat;
  In.Alt = First.Alt;
  const TRainFile* Rain = S.Rain.get();
  const int RainShift = Y.RainYear - Y.Year;
  // The year of the last day asked for is kept at hand: a season asks for
  // every day, and finding a year by its file name costs more than the day.
  const TWeatherYear* Last = &First;
  In.Weather = [this, &WDir, &S, &First, Rain, RainShift, Last](int Year, int Doy) mutable {
    if (Last->Year != Year) Last = &FWeather.Year(WDir, S.Station, Year);
    TDayWeather D = Last->Days[static_cast<size_t>(Doy - 1)];
    if (Last->Lat != First.Lat || Last->Alt != First.Alt) {
      // A year of the station at another site: its values are worked out
      // at the site of the season's first year.
      D.DayL = D.ET0 = D.ES0 = -1;
    }
    if (Rain) {
      auto It = Rain->Years.find(Year + RainShift);
      if (It == Rain->Years.end())
        throw EWeatherMissing(
            Rain->FileName, "INYRG", Year + RainShift,
            {"ERROR in file " + Rain->FileName +
             Format(", key INYRG: rain year %d is needed and not in the file", Year + RainShift)});
      D.Rain = It->second[std::min(static_cast<size_t>(Doy - 1), It->second.size() - 1)];
    }
    return D;
  };
  Y.Header = Header(S, First);
  const TCalendar Cal = PlanSeason(In);
  Y.Pot = SimulateSeason(In, Cal, nullptr);
  if (FIn.Options.IPRODL >= 2) {
    Y.HasWater = true;
    Y.Wat = SimulateSeason(In, Cal, &Y.Pot);
  }
  LogSeason(S, Y);
  return Y;
}

void TSimulation::LogSeason(const TRunSetup& S, const TYearResult& Y) {
  if (!Y.Pot.Emerged)
    FLog << "Warning: run " << S.Name << ", season " << Y.Year
         << ": the crop did not emerge; its tables hold day " << Y.Pot.EmDoy << " only\n";
  FLog << Format("Run %-6s season %d: emergence day %3d, end day %3d, potential yield %6.0f kg/ha",
                 S.Name.c_str(), Y.Year, Y.Pot.EmDoy, Y.Pot.HarvDoy, Y.Pot.TWSO);
  if (Y.HasWater) FLog << Format(", water-limited %6.0f kg/ha", Y.Wat.TWSO);
  FLog << "\n";
}

// ---- the output files

// An output file that could not be written, why, and the files that were
// put in place all the same (only when renaming failed halfway).
class EOutputFailed : public EModelError {
 public:
  EOutputFailed(const std::string& File, const std::string& Why, const std::vector<std::string>& Replaced)
      : EModelError(File, "KOROUT",
                    {"ERROR in file " + File + ": the output cannot be written (" + Why + ")"}),
        FWhy(Why),
        FReplaced(Replaced) {}
  const std::string& Why() const { return FWhy; }
  // What the output directory holds now, for the report.
  std::string State() const {
    if (FReplaced.empty())
      return "no output file has been written or changed; the output directory is as it was.";
    std::string Names;
    for (const std::string& N : FReplaced) Names += (Names.empty() ? "" : ", ") + N;
    return Names + " had been replaced before the failure; every other output file is as it was.";
  }

 private:
  std::string FWhy;
  std::vector<std::string> FReplaced;
};

// Writes every file under a temporary name beside it and renames them into
// place only when all are written, the detailed output last (its presence is
// the sign of results). On any failure the temporaries are removed and the
// files already in place are left as they were.
void WriteOutputFiles(const std::vector<std::pair<std::string, std::string>>& Files) {
  std::vector<std::pair<std::string, std::string>> Written;  // temporary, final
  std::vector<std::string> Replaced;
  auto Fail = [&](const std::string& Name, const std::string& Why) {
    for (const auto& W : Written) std::remove(W.first.c_str());
    InvalidateDirCache();
    throw EOutputFailed(Name, Why, Replaced);
  };
  for (const auto& F : Files) {
    const std::string& Name = F.first;
    ForceDirectories(ExtractFilePath(MapFileName(Name)));
    const std::string Final = MapFileName(Name);
    if (DirectoryExists(Name)) Fail(Name, "a directory stands in its place");
    const std::string Temp = Final + Format(".%d.tmp", static_cast<int>(getpid()));
    Written.push_back({Temp, Final});
    try {
      TDxTextWriter W(Temp);
      W.Write(F.second);
      W.Close();
    } catch (const EInOutError& E) {
      Fail(Name, std::strerror(E.ErrorCode()));
    }
  }
  // The targets are plain files or none, beside their temporaries: renaming
  // cannot fail but on a damaged file system.
  for (size_t i = 0; i < Written.size(); ++i) {
    if (std::rename(Written[i].first.c_str(), Written[i].second.c_str()) != 0) {
      const int E = errno;
      Written.erase(Written.begin(), Written.begin() + static_cast<long>(i));
      Fail(Files[i].first, std::strerror(E));
    }
    Replaced.push_back(Files[i].first);
  }
  InvalidateDirCache();
}

// The outcome of a run that stopped, as the last line before "Press".
struct TStopped {
  std::vector<std::string> Lines;
  std::string Outcome = "  The simulation has stopped; no output has been written.";
};

void Report(std::ostream& Log, const TStopped& S) {
  for (const std::string& L : S.Lines) Log << L << "\n";
  Log << S.Outcome << "\n";
  Log << "Press any key to continue\n";
}

int SeasonCount(const std::vector<TRunResult>& Runs) {
  int N = 0;
  for (const TRunResult& R : Runs) N += static_cast<int>(R.Years.size());
  return N;
}

// Writes what was finished before the weather ran out: the detailed output only.
std::string KeepFinished(const TModelInputs& In, const std::vector<TRunResult>& Runs, TDetailedText& Detail) {
  if (Runs.empty())
    return "  The simulation has stopped; no season was finished and no output has been written.";
  try {
    WriteOutputFiles({{In.Options.OutFile, Detail.Finish(Runs)}});
  } catch (const EOutputFailed& E) {
    return "  The simulation has stopped; the seasons finished before could not be written (" + E.File() +
           ": " + E.Why() + "); " + E.State();
  }
  return "  The simulation has stopped; " + In.Options.OutFile +
         Format(" holds only the %d seasons finished before;", SeasonCount(Runs)) +
         " the summaries are not written.";
}

int Run(std::ostream& Log, std::vector<TRunResult>* Results) {
  Log << "KORVAL simplified crop model: a small model for trying and testing the control centre\n";
  TModelInputs In;
  try {
    In = ReadModelInputs();
  } catch (const EModelError& E) {
    Report(Log, {E.Lines()});
    return 1;
  }
  const TRunOptions& O = In.Options;
  Log << "Run options " << In.Dirs.Runio << "runopt.dat: production level " << O.IPRODL
      << (In.Output.Reruns ? ", with reruns" : "") << "\n";

  std::vector<TRunResult> Runs;
  size_t Seasons = 0;
  for (const TRunSetup& S : In.Runs) Seasons += static_cast<size_t>(std::max(0, S.Years()));
  TDetailedText Detail(In.Output, Seasons);
  try {
    TSimulation(In, Log).Run(Runs, Detail, Results != nullptr);
  } catch (const EWeatherRanOut& E) {
    // The seasons finished before stay in the detailed output, as a model
    // that writes while it runs would leave them.
    Report(Log, {E.Lines(), KeepFinished(In, Runs, Detail)});
    return 1;
  } catch (const EModelError& E) {
    Report(Log, {E.Lines()});
    return 1;
  }

  std::vector<std::pair<std::string, std::string>> Files;
  Files.push_back({O.FixName + ".pps", PotentialSummaryText(Runs, In.Output)});
  if (O.IPRODL >= 2) Files.push_back({O.FixName + ".wps", WaterSummaryText(Runs, In.Output)});
  if (O.RQUIRD == 1) Files.push_back({O.FixName + ".sum", LongTermSummaryText(Runs, In.Output)});
  Files.push_back({O.OutFile, Detail.Finish(Runs)});
  try {
    WriteOutputFiles(Files);
  } catch (const EOutputFailed& E) {
    Report(Log, {E.Lines(),
                 "  The simulation has finished, but its output could not be written:\n  " + E.State()});
    return 1;
  }
  Log << "Output written: " << O.OutFile << " (" << Files.back().second.size() << " bytes), " << O.FixName
      << ".pps" << (O.IPRODL >= 2 ? ", .wps" : "") << (O.RQUIRD == 1 ? ", .sum" : "") << "\n";
  Log << "Simulation finished.\n";
  if (Results) *Results = std::move(Runs);
  return 0;
}

// Makes a directory current for its lifetime, when one is given.
class TInDirectory {
 public:
  explicit TInDirectory(const std::string& Dir) {
    if (Dir.empty()) return;
    FBefore = GetCurrentDir();
    SetCurrentDir(Dir);
  }
  ~TInDirectory() {
    if (FBefore.empty()) return;
    try {
      SetCurrentDir(FBefore);
    } catch (const std::exception&) {
      // The directory before has gone; stay where we are.
    }
  }
  TInDirectory(const TInDirectory&) = delete;
  TInDirectory& operator=(const TInDirectory&) = delete;

 private:
  std::string FBefore;
};

}  // namespace

TModelInputs ReadModelInputs(const std::string& BinDir) {
  TInDirectory Cwd(BinDir);
  TInputFiles F;
  F.Dirs = ReadDirectories();
  F.Options = ReadRunOptions(F.Dirs);
  F.Timer = ReadKeyFile(F.Options.TimerFile, false, "TIMFIL");
  F.Site = ReadKeyFile(F.Options.SiteFile, false, "SITFIL");
  const TParams Tim(F.Timer, nullptr, ""), Sit(F.Site, nullptr, "");
  TModelInputs In;
  In.Dirs = F.Dirs;
  In.Options = F.Options;
  In.Output.IPRODL = F.Options.IPRODL;
  In.Output.IBAL = Tim.Int("IBAL");
  In.Output.IZT = Sit.Int("IZT");
  std::vector<TRerun> Reruns;
  if (F.Options.IOPT2 == 4) {
    const std::string& Name = F.Options.RerunFile;
    Reruns = ReadRerunFile(Name, "KORRER");
    if (Reruns.empty())
      throw EModelError(
          Name, "KORRER",
          {"ERROR in file " + Name + ", key KORRER: the file holds no rerun",
           "  The run options ask for reruns (IOPT2 = 4); each rerun starts with RUNNAM='name'."});
    for (const TRerun& R : Reruns) CheckRerun(R, Name);
  }
  In.Output.Reruns = !Reruns.empty();
  if (Reruns.empty())
    In.Runs.push_back(ReadRunSetup(F, nullptr, 1));
  else
    for (size_t i = 0; i < Reruns.size(); ++i)
      In.Runs.push_back(ReadRunSetup(F, &Reruns[i], static_cast<int>(i) + 1));
  return In;
}

int RunModel(std::ostream& Log, std::vector<TRunResult>* Results) {
  int Rc = 1;
  try {
    Rc = Run(Log, Results);
  } catch (const std::exception& E) {
    Report(Log, {{std::string("ERROR while running the model: ") + E.what()}});
  }
  Log.flush();
  return Rc;
}
