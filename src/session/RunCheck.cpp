#include "session/RunCheck.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvses.h"
#include "session/SessionFields.h"

namespace {
bool Is(const TSessionField& F, const char* Keyword) { return std::strcmp(F.Keyword, Keyword) == 0; }

bool OneOf(const TSessionField& F, std::initializer_list<const char*> Keywords) {
  return std::any_of(Keywords.begin(), Keywords.end(), [&F](const char* K) { return Is(F, K); });
}

std::string Number(long double V) {
  std::string S = Format("%.6Lf", V);
  S.erase(S.find_last_not_of('0') + 1);
  if (!S.empty() && S.back() == '.') S.pop_back();
  return S;
}

// The sowing days of spring and autumn in the northern hemisphere.
constexpr int SpringFirst = 60, SpringLast = 150, AutumnFirst = 230, AutumnLast = 335;

// The catalogue's entry for a data file, null when it has none.
const TKorMenuItem* Entry(const TMenuList& List, const std::string& FileName, int Format = -1) {
  const TMenuFileMatch Wanted(FileName);
  for (int i = 0; i < List.Count(); ++i) {
    const TKorMenuItem* Item = List.Objects(i);
    if (Wanted(Item) && (Format < 0 || Item->Format == Format)) return Item;
  }
  return nullptr;
}

// The station's mean year: the mean daily temperature (the mean of minimum
// and maximum) of each day, day 366 counted with day 365, over the years
// read; and the station's latitude.
struct TMeanYear {
  int Years = 0;  // years read; 0: nothing known
  int First = 0, Last = 0;
  double Lat = 0;
  double T[365] = {};
};

// The site line (longitude, latitude, altitude) and the day lines of a
// weather file: a yearly file of daily weather (station year day
// irradiation tmin tmax ...) or a file of monthly means (month irradiation
// tmin tmax ...). Sums and Counts gather per day of the year.
bool ReadWeatherTemperatures(const std::string& FileName, bool Monthly, double& Lat, double* Sums,
                             int* Counts) {
  if (!FileExists(FileName)) return false;
  static const int MonthStart[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
  bool Site = false, Days = false;
  try {
    TDxTextFile F(FileName);
    while (F.NextLine()) {
      const TDxLine& L = F.Line();
      if (L.NoOfWords() < 3 || !IsFloat(L.GetWord(1))) continue;
      if (!Site) {
        Lat = static_cast<double>(FloatOrZero(L.GetWord(2)));
        Site = true;
        continue;
      }
      const int TMin = Monthly ? 3 : 5;
      if (L.NoOfWords() < TMin + 1 || !IsFloat(L.GetWord(TMin)) || !IsFloat(L.GetWord(TMin + 1))) continue;
      const double T =
          static_cast<double>(FloatOrZero(L.GetWord(TMin)) + FloatOrZero(L.GetWord(TMin + 1))) / 2;
      const int No = static_cast<int>(FloatOrZero(L.GetWord(Monthly ? 1 : 3)));
      if (Monthly) {
        if (No < 1 || No > 12) continue;
        for (int d = MonthStart[No - 1]; d < MonthStart[No]; ++d) Sums[d] += T, ++Counts[d];
      } else if (No >= 1 && No <= 366) {
        Sums[std::min(No, 365) - 1] += T;
        ++Counts[std::min(No, 365) - 1];
      }
      Days = true;
    }
  } catch (const std::exception&) {
    // An unreadable weather file only costs the crop warnings; the model
    // names what is wrong with it.
    return false;
  }
  return Site && Days;
}

TMeanYear StationMeanYear(const TKvSession& S) {
  TMeanYear M;
  const TKvWeather& W = S.Weather();
  const TKvFileManager& Fm = S.FileManager();
  double Sums[365] = {};
  int Counts[365] = {};
  if (W.WeatherFormat() == 1) {
    if (ReadWeatherTemperatures(Fm.ClimatePath() + "\\" + W.StationFile(), true, M.Lat, Sums, Counts))
      M.Years = 1;
  } else if (W.WeatherFormat() == FormatYearlyWeather) {
    for (int Y = W.Year(); Y < W.Year() + W.ConsecutiveYears() && Y < W.Year() + 100; ++Y)
      if (ReadWeatherTemperatures(
              Fm.WeatherPath() + "\\" + W.StationFile() + Format("%03d", ((Y % 1000) + 1000) % 1000), false,
              M.Lat, Sums, Counts)) {
        if (!M.Years++) M.First = Y;
        M.Last = Y;
      }
  }
  for (int d = 0; d < 365; ++d) {
    if (!Counts[d])
      M.Years = 0;  // a year with gaps tells nothing sure
    else
      M.T[d] = Sums[d] / Counts[d];
  }
  return M;
}

// The crop file's values the crop warnings need; a key the file lacks is
// not Has.
struct TCropFacts {
  std::string Name;
  bool HasVern = false;
  double VERNSA = 0, TBASEM = 0, TEFFMX = 0, TSUMEM = 0, TBASE = 0, TSUM1 = 0, TSUM2 = 0;
  bool HasSums = false;
};

TCropFacts ReadCropFacts(const TKvSession& S) {
  TCropFacts C;
  const std::string File = S.GetFileNameType("CF");
  const auto Value = [&File](const char* Key, double& V) {
    TDxTextFile F(File);
    const std::string Text = TKvRerun::ReadVarValue(F, "R", Key);
    if (Text.empty() || !IsFloat(Text)) return false;
    V = static_cast<double>(FloatOrZero(Text));
    return true;
  };
  try {
    if (!FileExists(File)) return C;
    C.HasVern = Value("VERNSA", C.VERNSA);
    C.HasSums = Value("TSUMEM", C.TSUMEM) && Value("TBASEM", C.TBASEM) && Value("TBASE", C.TBASE) &&
                Value("TSUM1", C.TSUM1) && Value("TSUM2", C.TSUM2) && Value("TEFFMX", C.TEFFMX);
  } catch (const std::exception&) {
    // An unreadable crop file only costs the crop warnings; the model names
    // what is wrong with it.
    C.HasVern = C.HasSums = false;
  }
  return C;
}

class TChecker {
 public:
  TChecker(const TKvSession& S, TCheckScope Scope) : FS(S), FScope(Scope) {}

  std::vector<TRunProblem> Run() {
    Ranges();
    DataFiles();
    WeatherYears();
    RainYears();
    // The crop warnings read the station's weather: the costly part of the check.
    if (FScope == TCheckScope::ErrorsAndWarnings) CropSeason();
    OutputRoom();
    if (FScope == TCheckScope::ErrorsOnly)
      FProblems.erase(std::remove_if(FProblems.begin(), FProblems.end(),
                                     [](const TRunProblem& P) { return P.Kind == TRunProblem::Warning; }),
                      FProblems.end());
    std::stable_sort(FProblems.begin(), FProblems.end(),
                     [](const TRunProblem& A, const TRunProblem& B) { return A.Kind < B.Kind; });
    return std::move(FProblems);
  }

 private:
  void Add(TRunProblem::TKind Kind, const char* Keyword, const std::string& What) {
    FProblems.push_back({Kind, Keyword ? FindSessionField(Keyword) : nullptr, What});
  }

  // Every number field in use within its range.
  void Ranges() {
    for (const TSessionField& F : SessionFields()) {
      if (!F.Number || !F.Range || !*F.Page || !FieldInUse(F, FS)) continue;
      // The rainfall years are checked against the rainfall station below.
      if (OneOf(F, {"ISYRR", "INYRG"})) continue;
      const TFieldRange R = F.Range(FS);
      const long double V = F.Number(FS);
      // Values pass through double fields: a bound is met within their precision.
      const long double Slack = 1e-9L * std::max(1.0L, std::max(fabsl(R.Min), fabsl(R.Max)));
      if (R.Min <= R.Max && (V < R.Min - Slack || V > R.Max + Slack))
        FProblems.push_back(
            {TRunProblem::Error, &F, Number(V) + " is outside " + Number(R.Min) + " - " + Number(R.Max)});
    }
  }

  void DataFiles() {
    const TKvFileManager& Fm = FS.FileManager();
    if (!Entry(CropList, FS.Crop().CropFile()))
      Add(TRunProblem::Error, "CRFILE",
          "the crop file " + FS.Crop().CropFile() + " is not in " + Fm.CropPath());
    if (!Entry(SoilList, FS.Soil().SoilFile()))
      Add(TRunProblem::Error, "SOFILE",
          "the soil file " + FS.Soil().SoilFile() + " is not in " + Fm.SoilPath());
    if (!Entry(StationList, FS.Weather().StationFile(), FS.Weather().WeatherFormat()))
      Add(TRunProblem::Error, "CLFILE",
          "the weather station " + FS.Weather().StationFile() + " is not in " + Fm.ClimatePath());
  }

  // The day of the year the season starts at the latest, and whether a
  // season started then ends in the following year.
  bool SeasonCrossesYearEnd() const {
    const TKvCrop& C = FS.Crop();
    const int Start = C.StartDay() == 0   ? C.FixedEmergenceDate()
                      : C.StartDay() == 1 ? C.FixedSowingDate()
                                          : C.UltimateSowingDate();
    const int End = C.EndDay() - 1;  // 0 fixed end date, 1 maximum duration, 2 whichever first
    const bool ByDate = End == 0 || End == 2, ByDuration = End == 1 || End == 2;
    const bool DateCrosses = ByDate && C.FixedEndDate() < Start;
    const bool DurationCrosses = ByDuration && Start + C.MaximumDuration() > 365;
    return End == 2 ? DateCrosses && DurationCrosses : DateCrosses || DurationCrosses;
  }

  void WeatherYears() {
    const TKvWeather& W = FS.Weather();
    if (W.WeatherFormat() == 1) return;  // no years to choose
    // A year outside its field's range has been named already.
    for (const TRunProblem& P : FProblems)
      if (P.Field && OneOf(*P.Field, {"ISYR", "INYEAR"})) return;
    const TKorMenuItem* Station = Entry(StationList, W.StationFile(), W.WeatherFormat());
    if (!Station || Station->YearBegin <= 0 || Station->YearEnd < Station->YearBegin) return;
    const int First = W.Year(), Last = W.Year() + W.ConsecutiveYears() - 1;
    const std::string Has = "the station " + Station->Description + " has the years " +
                            std::to_string(Station->YearBegin) + " - " + std::to_string(Station->YearEnd);
    if (First < Station->YearBegin || First > Station->YearEnd) {
      Add(TRunProblem::Error, "ISYR", std::to_string(First) + " is not one of the station's years: " + Has);
      return;
    }
    if (Last > Station->YearEnd) {
      Add(TRunProblem::Error, "INYEAR",
          std::to_string(W.ConsecutiveYears()) + " years from " + std::to_string(First) + " end in " +
              std::to_string(Last) + ", but " + Has);
      return;
    }
    if (SeasonCrossesYearEnd() && Last + 1 > Station->YearEnd)
      Add(TRunProblem::Error, "INYEAR",
          "the season of " + std::to_string(Last) + " ends in " + std::to_string(Last + 1) +
              " and needs its weather, but " + Has + "; take one year fewer or start a year earlier");
  }

  void RainYears() {
    const TKvWeather& W = FS.Weather();
    if (W.RainfallDataOptions() != RainFromRainfallFile) return;
    const TKorMenuItem* Rain = Entry(StationList, W.RainfallStationFile(), FormatRainfall);
    if (!Rain) {
      Add(TRunProblem::Error, "RAFILE",
          "the rainfall station " + W.RainfallStationFile() + " is not in " + FS.FileManager().ClimatePath());
      return;
    }
    if (Rain->YearBegin <= 0 || Rain->YearEnd < Rain->YearBegin) return;
    const int First = W.RainfallYear(), Last = First + W.RainfallConsecutiveYears() - 1;
    const std::string Has = "the rainfall station " + Rain->Description + " has the years " +
                            std::to_string(Rain->YearBegin) + " - " + std::to_string(Rain->YearEnd);
    if (First < Rain->YearBegin || Last > Rain->YearEnd) {
      Add(TRunProblem::Error, "ISYRR",
          "the rainfall years " + std::to_string(First) + " - " + std::to_string(Last) +
              " are not all there: " + Has);
      return;
    }
    if (W.WeatherFormat() != 1 && W.RainfallConsecutiveYears() < W.ConsecutiveYears())
      Add(TRunProblem::Warning, "INYRG",
          std::to_string(W.RainfallConsecutiveYears()) + " years of rainfall for " +
              std::to_string(W.ConsecutiveYears()) + " years of weather: the rainfall years will repeat");
  }

  // The crop against the station: a winter crop sown in spring or a spring
  // crop sown in autumn, and a maximum duration too short for the crop to
  // mature at the station's mean temperatures.
  void CropSeason() {
    const TKvCrop& C = FS.Crop();
    if (!Entry(CropList, C.CropFile())) return;
    const TMeanYear M = StationMeanYear(FS);
    if (M.Years == 0) return;
    const TCropFacts F = ReadCropFacts(FS);
    const TKorMenuItem* Item = Entry(CropList, C.CropFile());
    const std::string Name = Item && !Item->Description.empty() ? Item->Description : C.CropFile();
    const char* StartKey = C.StartDay() == 0 ? "IDEM" : C.StartDay() == 1 ? "IDSOW" : "IDESOW";
    const int Start = C.StartDay() == 0   ? C.FixedEmergenceDate()
                      : C.StartDay() == 1 ? C.FixedSowingDate()
                                          : C.EarliestSowingDate();
    if (Start < 1 || Start > 366) return;  // named as out of range already
    SowingSeason(F, Name, StartKey, Start, M.Lat);
    if (FieldInUse(*FindSessionField("IDURMX"), FS) && F.HasSums) Duration(F, Name, C, Start, M);
  }

  void SowingSeason(const TCropFacts& F, const std::string& Name, const char* StartKey, int Start,
                    double Lat) {
    // Winter crops need a cold spell before they flower; without a
    // vernalisation requirement in the file the crop's name tells.
    const std::string Lower = LowerCase(Name);
    const bool Winter = F.HasVern ? F.VERNSA > 0 : Lower.find("winter") != std::string::npos;
    const bool Spring = F.HasVern ? F.VERNSA <= 0 : Lower.find("spring") != std::string::npos;
    // The day as in the northern hemisphere: south of the equator the
    // seasons come half a year later.
    const int Day = Lat < 0 ? (Start - 1 + 182) % 365 + 1 : Start;
    const std::string Sown = std::string(std::strcmp(StartKey, "IDEM") == 0 ? "emerges" : "is sown") +
                             " on day " + std::to_string(Start);
    const std::string Why = F.HasVern ? " (VERNSA " + Number(F.VERNSA) + " in " + FS.Crop().CropFile() + ")"
                                      : " (by its name; " + FS.Crop().CropFile() + " has no VERNSA)";
    if (Winter && Day >= SpringFirst && Day <= SpringLast)
      Add(TRunProblem::Warning, StartKey,
          Name + " is a winter crop" + Why + " and " + Sown +
              ", in spring at this station: without the cold of a winter it may flower late or never");
    else if (Spring && Day >= AutumnFirst && Day <= AutumnLast)
      Add(TRunProblem::Warning, StartKey,
          Name + " is a spring crop" + Why + " and " + Sown +
              ", in autumn at this station: it has to come through the winter");
  }

  void Duration(const TCropFacts& F, const std::string& Name, const TKvCrop& C, int Start,
                const TMeanYear& M) {
    const auto Effective = [&M](int Index, double Base, double Max) {
      return std::clamp(M.T[Index % 365] - Base, 0.0, std::max(0.0, Max - Base));
    };
    // From sowing to emergence, then development over the maximum duration.
    int Em = Start - 1;
    if (C.StartDay() != 0) {
      double Sum = 0;
      for (Em = Start; Em < Start - 1 + 365 && Sum < F.TSUMEM; ++Em) Sum += Effective(Em, F.TBASEM, F.TEFFMX);
      if (Sum < F.TSUMEM) return;  // never emerges: the model says so itself
      --Em;
    }
    const double Needed = F.TSUM1 + F.TSUM2;
    double Sum = 0;
    int Days = 0;
    for (; Days < 730 && Sum < Needed; ++Days) {
      if (Days == C.MaximumDuration() && Sum < Needed) break;
      Sum += Effective(Em + Days, F.TBASE, F.TEFFMX);
    }
    if (Sum >= Needed) return;
    double Within = Sum;
    for (; Days < 730 && Within < Needed; ++Days) Within += Effective(Em + Days, F.TBASE, F.TEFFMX);
    const std::string Years =
        M.First == M.Last ? std::string() : " of " + std::to_string(M.First) + " - " + std::to_string(M.Last);
    Add(TRunProblem::Warning, "IDURMX",
        Name + " needs " + Number(std::round(Needed)) + " C d from emergence to maturity (TSUM1 + TSUM2 in " +
            C.CropFile() + "), but the " + std::to_string(C.MaximumDuration()) +
            " days from emergence on day " + std::to_string(Em % 365 + 1) + " give about " +
            Number(std::round(Sum)) + " C d at the station's mean temperatures" + Years +
            ": the crop will not mature" +
            (Within >= Needed ? "; it needs about " + std::to_string(Days) + " days" : std::string()));
  }

  void OutputRoom() {
    const std::string Dir = MapFileName(ExpandFileName(FS.FileManager().OutPath()));
    if (Dir.empty() || !DirectoryExists(Dir)) return;  // the run names a missing directory itself
    if (access(Dir.c_str(), W_OK) != 0) {
      Add(TRunProblem::Error, nullptr,
          "The output directory " + Dir +
              " cannot be written to: the run would have nowhere to put its results");
      return;
    }
    struct statvfs Fs {};
    if (statvfs(Dir.c_str(), &Fs) != 0) return;
    const unsigned long long Free = static_cast<unsigned long long>(Fs.f_bavail) * Fs.f_frsize;
    const unsigned long long Needed = ExpectedRunBytes(FS);
    if (Free < Needed)
      Add(TRunProblem::Error, nullptr,
          "The run needs about " + std::to_string(Needed / 1048576 + 1) + " MB in " + Dir + ", which has " +
              std::to_string(Free / 1048576) + " MB free");
  }

  const TKvSession& FS;
  const TCheckScope FScope;
  std::vector<TRunProblem> FProblems;
};
}  // namespace

std::string TRunProblem::Text() const {
  if (!Field) return What;
  return std::string(Field->Page) + " page, " + Field->PlainCaption() + ": " + What;
}

bool FieldInUse(const TSessionField& F, const TKvSession& S) {
  const TKvCrop& C = S.Crop();
  const TKvHydrology& H = S.Hydrology();
  const int Level = S.General().ProductionLevels();
  const int End = C.EndDay() - 1;
  if (Is(F, "IDEM")) return C.StartDay() == 0;
  if (Is(F, "IDSOW")) return C.StartDay() == 1;
  if (OneOf(F, {"IDESOW", "IDLSOW"})) return C.StartDay() == 2;
  if (Is(F, "IDAYEN")) return End == 0 || End == 2;
  if (Is(F, "IDURMX")) return End == 1 || End == 2;
  if (OneOf(F, {"WAV", "SMLIM"})) return H.Groundwater() == 0;
  if (Is(F, "ZTI")) return H.Groundwater() == 1;
  if (Is(F, "DD")) return H.Groundwater() == 1 && H.Drainage() == 1;
  if (OneOf(F, {"IOXWL", "IBAL", "ISDAY", "PRDEL"})) return Level > 1;
  if (OneOf(F, {"NBASE", "NREC", "PBASE", "PREC", "KBASE", "KREC"})) return Level > 2;
  if (OneOf(F, {"ISYR", "INYEAR"})) return S.Weather().WeatherFormat() != 1;
  if (OneOf(F, {"RAFILE", "ISYRR"})) return S.Weather().RainfallDataOptions() == RainFromRainfallFile;
  return true;
}

unsigned long long ExpectedRunBytes(const TKvSession& S) {
  // A season's section holds a daily row of about 130 bytes per output
  // interval, a potential and a water-limited section per season; the
  // summaries and balances add a few kilobytes. The run history keeps a copy.
  const unsigned long long Years = static_cast<unsigned long long>(
      std::max(1, std::max(S.Weather().GetNrOfSimulationYears(), S.Rerun().GetNrOfSimulationYears())));
  const unsigned long long Runs =
      S.Rerun().UseReRuns() ? static_cast<unsigned long long>(std::max(1, S.Rerun().RerunList.Count())) : 1;
  const unsigned long long Interval =
      static_cast<unsigned long long>(std::max(1, S.General().OutputInterval()));
  const unsigned long long Sections = S.General().ProductionLevels() > 1 ? 2 : 1;
  const unsigned long long PerSeason = Sections * (366 / Interval + 1) * 130 + 4096;
  return 2 * Years * Runs * PerSeason;
}

std::vector<TRunProblem> CheckBeforeRun(const TKvSession& S, TCheckScope Scope) {
  return TChecker(S, Scope).Run();
}
