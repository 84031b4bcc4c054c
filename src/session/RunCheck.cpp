#include "session/RunCheck.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/Numbers.h"
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

// The catalogue's entry for a data file, null when it has none.
const TKorMenuItem* Entry(const TMenuList& List, const std::string& FileName, int Format = -1) {
  const TMenuFileMatch Wanted(FileName);
  for (int i = 0; i < List.Count(); ++i) {
    const TKorMenuItem* Item = List.Objects(i);
    if (Wanted(Item) && (Format < 0 || Item->Format == Format)) return Item;
  }
  return nullptr;
}

class TChecker {
 public:
  explicit TChecker(const TKvSession& S) : FS(S) {}

  std::vector<TRunProblem> Run() {
    Ranges();
    DataFiles();
    WeatherYears();
    RainYears();
    OutputRoom();
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

std::vector<TRunProblem> CheckBeforeRun(const TKvSession& S) { return TChecker(S).Run(); }
