#include "session/SessionFields.h"

#include <climits>

#include "catalogue/KvRange.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxLine.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"
#include "session/Kvses.h"

namespace {
using S_ = const TKvSession&;
using W_ = TKvSession&;
using N_ = long double;
using T_ = const std::string&;

constexpr TFieldFile Timer = TFieldFile::Timer;
constexpr TFieldFile Site = TFieldFile::Site;
constexpr TFieldFile RunOpt = TFieldFile::RunOptions;
constexpr TFieldType Int = TFieldType::Integer;
constexpr TFieldType Dec = TFieldType::Decimal;
constexpr TFieldType Whole = TFieldType::WholeDecimal;
constexpr TFieldType Name = TFieldType::Name;
constexpr TFieldType Text = TFieldType::Text;

// The help topics of the pages (the manual's sections of the same names;
// the docs check finds them by "Context = N;").
constexpr int GeneralContext = 4001;
constexpr int CropContext = 4002;
constexpr int WeatherContext = 4003;
constexpr int TimerContext = 4004;
constexpr int SoilContext = 4005;
constexpr int NutrientsContext = 4006;
constexpr int RerunsContext = 4007;
constexpr int RainfallContext = 4008;

TFieldRange Fixed(N_ Min, N_ Max) { return {Min, Max}; }
TFieldRange Catalogue(const char* Keyword) { return {RangeMin(Keyword), RangeMax(Keyword)}; }
int I(N_ V) { return static_cast<int>(V); }

// Daily rainfall from a rainfall file of its own: only then are the rainfall
// station, its year and description written as they are.
bool RainfallFile(S_ S) { return S.Weather().RainfallDataOptions() == RainFromRainfallFile; }
// The number of years the model is asked to simulate.
int SimulationYears(S_ S) {
  return MaxOf(S.Weather().GetNrOfSimulationYears(), S.Rerun().GetNrOfSimulationYears());
}

// clang-format off
const std::vector<TSessionField> Fields = {
  // ---- the timer file, after RUNNAM in the order the readers take the lines
  {"RUNNAM", Timer, 1, Name, 0, "", "Run name", "", "", "", 0, "",
   nullptr, nullptr, [](S_ S) { return S.FileManager().KRLName(); }, nullptr},
  {"IWEATH", Timer, 2, Int, 0, "-", "Weather format", "Weather", " Weather format ", "LbWeatherFormat", WeatherContext, "",
   [](S_ S) -> N_ { return S.Weather().WeatherFormat(); }, [](W_ S, N_ V) { S.Weather().SetWeatherFormatNumber(I(V)); }},
  {"CLFILE", Timer, 3, Name, 0, "file stem", "Weather station", "Weather", " Available stations ", "LbStation", WeatherContext, "",
   nullptr, nullptr, [](S_ S) { return S.Weather().StationFile(); }, [](W_ S, T_ V) { S.Weather().SetStationFile(V); }},
  {"ISYR", Timer, 4, Int, 0, "year", "Start year", "Timer", "Sta&rt year:", "mmYear", TimerContext, "",
   [](S_ S) -> N_ { return S.Weather().Year(); }, [](W_ S, N_ V) { S.Weather().SetYear(I(V)); },
   nullptr, nullptr, [](S_) { return Catalogue("ISYR"); }},
  {"INYEAR", Timer, 5, Int, 0, "years", "Consecutive years", "Timer", "Consecutive &years:", "mmConsecutiveYears", TimerContext, "",
   [](S_ S) -> N_ { return S.Weather().ConsecutiveYears(); }, [](W_ S, N_ V) { S.Weather().SetConsecutiveYears(I(V)); },
   nullptr, nullptr, [](S_) { return Catalogue("INYEAR"); }},
  {"IRNDAT", Timer, 6, Int, 0, "-", "Rainfall data option", "Rainfall", "Rainfall data &options...", "BtnRainfall", RainfallContext, "",
   [](S_ S) -> N_ { return S.Weather().RainfallDataOptions(); }, [](W_ S, N_ V) { S.Weather().SetRainfallDataOptions(I(V)); },
   nullptr, nullptr, [](S_) { return Fixed(RainGeneratedFromMonthly, RainFromWeatherFile); }},
  {"RAFILE", Timer, 7, Name, 0, "file name", "Rainfall station", "Rainfall", "Rainfall station:", "LbRainfallStation", RainfallContext, "",
   nullptr, nullptr, [](S_ S) { return RainfallFile(S) ? S.Weather().RainfallStationFile() : std::string("<none>"); },
   [](W_ S, T_ V) { S.Weather().SetRainfallStationFile(V); }},
  {"ISYRR", Timer, 8, Int, 0, "year", "Start year of the rainfall", "Rainfall", "&Start year:", "mmChooseYear", RainfallContext, "",
   [](S_ S) -> N_ { return RainfallFile(S) ? S.Weather().RainfallYear() : -999; },
   [](W_ S, N_ V) { S.Weather().SetRainfallYear(I(V)); }, nullptr, nullptr, [](S_) { return Catalogue("ISYRR"); }},
  // The rainfall years with a rainfall file, else the runs with randomized rain.
  {"INYRG", Timer, 9, Int, 0, "years", "Consecutive years of the rainfall", "Rainfall", "Consecutive &years:", "mmRainfallYears", RainfallContext, "",
   [](S_ S) -> N_ { return RainfallFile(S) ? S.Weather().RainfallConsecutiveYears() : S.Weather().NoOfRunsWithRandomizedRain(); },
   [](W_ S, N_ V) {
     if (RainfallFile(S)) S.Weather().SetRainfallConsecutiveYears(I(V));
     else S.Weather().SetNoOfRunsWithRandomizedRain(I(V));
   },
   nullptr, nullptr,
   [](S_ S) { return Fixed(S.Weather().MinNoOfRunsWithRandomizedRain(), S.Weather().MaxNoOfRunsWithRandomizedRain()); }},
  {"CRFILE", Timer, 10, Name, 0, "file name", "Crop", "Crop", " Available crops ", "LbCropNo", CropContext, "",
   nullptr, nullptr, [](S_ S) { return S.Crop().CropFile(); }, [](W_ S, T_ V) { S.Crop().SetCropFile(V); }},
  {"ISTCHO", Timer, 11, Int, 0, "-", "Start day of the crop", "Timer", " Start Day ", "RgStartDay", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().StartDay(); }, [](W_ S, N_ V) { S.Crop().SetStartDay(I(V)); },
   nullptr, nullptr, [](S_) { return Fixed(0, 2); }},
  {"IDEM", Timer, 12, Int, 0, "day of the year", "Fixed emergence date", "Timer", "Fi&xed Emergence:", "mmFixedEmergenceDate", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().FixedEmergenceDate(); }, [](W_ S, N_ V) { S.Crop().SetFixedEmergenceDate(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Crop().MinFixedEmergenceDate(), S.Crop().MaxFixedEmergenceDate()); }},
  {"IDSOW", Timer, 13, Int, 0, "day of the year", "Fixed sowing date", "Timer", "Fixe&d Sowing:", "mmFixedSowingDate", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().FixedSowingDate(); }, [](W_ S, N_ V) { S.Crop().SetFixedSowingDate(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Crop().MinFixedSowingDate(), S.Crop().MaxFixedSowingDate()); }},
  {"IDESOW", Timer, 14, Int, 0, "day of the year", "Earliest sowing date", "Timer", "E&arliest Sowing:", "mmEarliestSowingDate", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().EarliestSowingDate(); }, [](W_ S, N_ V) { S.Crop().SetEarliestSowingDate(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Crop().MinEarliestSowingDate(), S.Crop().MaxEarliestSowingDate()); }},
  {"IDLSOW", Timer, 15, Int, 0, "day of the year", "Ultimate sowing date", "Timer", "&Ultimate Sowing:", "mmUltimateSowingDate", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().UltimateSowingDate(); }, [](W_ S, N_ V) { S.Crop().SetUltimateSowingDate(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Crop().MinUltimateSowingDate(), S.Crop().MaxUltimateSowingDate()); }},
  {"IENCHO", Timer, 16, Int, 0, "-", "End day of the crop", "Timer", " End Day ", "RgEndDay", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().EndDay(); }, [](W_ S, N_ V) { S.Crop().SetEndDay(I(V)); },
   nullptr, nullptr, [](S_) { return Fixed(1, 3); }},
  {"IDAYEN", Timer, 17, Int, 0, "day of the year", "Fixed end date", "Timer", "Fixed end da&te:", "mmFixedEndDate", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().FixedEndDate(); }, [](W_ S, N_ V) { S.Crop().SetFixedEndDate(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Crop().MinFixedEndDate(), S.Crop().MaxFixedEndDate()); }},
  {"IDURMX", Timer, 18, Int, 0, "days", "Maximum duration", "Timer", "&Maximum duration:", "mmMaximumDuration", TimerContext, "",
   [](S_ S) -> N_ { return S.Crop().MaximumDuration(); }, [](W_ S, N_ V) { S.Crop().SetMaximumDuration(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Crop().MinMaximumDuration(), S.Crop().MaxMaximumDuration()); }},
  {"IBAL", Timer, 19, Int, 0, "-", "Summary seasonal soil water balance", "General", " Summary seasonal soil water balance ", "RgSoilWaterBalance", GeneralContext, "",
   [](S_ S) -> N_ { return S.General().SummarySeasonalSoilWaterBalance(); },
   [](W_ S, N_ V) { S.General().SetSummarySeasonalSoilWaterBalance(I(V)); }, nullptr, nullptr, [](S_) { return Fixed(0, 3); }},
  {"PRDEL", Timer, 20, Whole, 1, "days", "Output interval", "Timer", "&Output interval in days:", "mmOutputInterval", TimerContext, "",
   [](S_ S) -> N_ { return S.General().OutputInterval(); }, [](W_ S, N_ V) { S.General().SetOutputInterval(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.General().OutputIntervalMin(), S.General().OutputIntervalMax()); }},
  {"CRPNAM", Timer, 21, Text, 0, "", "Crop description", "", "", "", 0, "",
   nullptr, nullptr, [](S_ S) { return S.Crop().CropDescription(); }, [](W_ S, T_ V) { S.Crop().SetCropDescription(V); }},
  {"SOLNAM", Timer, 22, Text, 0, "", "Soil description", "", "", "", 0, "",
   nullptr, nullptr, [](S_ S) { return S.Soil().SoilDescription(); }, [](W_ S, T_ V) { S.Soil().SetSoilDescription(V); }},
  {"CLMNAM", Timer, 23, Text, 0, "", "Weather station description", "", "", "", 0, "",
   nullptr, nullptr, [](S_ S) { return S.Weather().StationDescription(); },
   [](W_ S, T_ V) { S.Weather().SetStationDescription(V); }},
  // With a rainfall file the keyword has always taken nine places here.
  {"RAINAM", Timer, 24, Text, 0, "", "Rainfall station description", "", "", "", 0, "",
   nullptr, nullptr, [](S_ S) { return RainfallFile(S) ? S.Weather().RainfallStationDescription() : std::string("<none>"); },
   [](W_ S, T_ V) { S.Weather().SetRainfallStationDescription(V); }, nullptr, [](S_ S) { return RainfallFile(S) ? 9 : 8; }},
  {"ISDAY", Timer, 25, Int, 0, "day of the year", "Start date water balance", "Timer", "S&tart date water balance:", "mmStartDay", TimerContext, "",
   [](S_ S) -> N_ { return S.General().WaterbalanceStartDay(); }, [](W_ S, N_ V) { S.General().SetWaterbalanceStartDay(I(V)); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.General().WaterbalanceStartDayMin(), S.General().WaterbalanceStartDayMax()); }},

  // ---- the site file, from SOFILE on
  {"SOFILE", Site, 1, Name, 0, "file name", "Soil", "Soil", " Available soil types ", "LbSoilNo", SoilContext, "",
   nullptr, nullptr, [](S_ S) { return S.Soil().SoilFile(); }, [](W_ S, T_ V) { S.Soil().SetSoilFile(V); }},
  {"IZT", Site, 2, Int, 0, "-", "Groundwater", "Soil", "Gr&oundwater", "CbGroundwater", SoilContext, "",
   [](S_ S) -> N_ { return S.Hydrology().Groundwater(); }, [](W_ S, N_ V) { S.Hydrology().SetGroundwater(I(V)); },
   nullptr, nullptr, [](S_) { return Fixed(0, 1); }},
  {"IFUNRN", Site, 3, Int, 0, "-", "Non-infiltration fraction", "Soil", " Non-infiltration fraction ", "RgTypeOfNonInfiltratingFractionOfRain", SoilContext, "",
   [](S_ S) -> N_ { return S.Hydrology().TypeOfNonInfiltratingFractionOfRain(); },
   [](W_ S, N_ V) { S.Hydrology().SetTypeOfNonInfiltratingFractionOfRain(I(V)); }, nullptr, nullptr, [](S_) { return Fixed(0, 1); }},
  {"IDRAIN", Site, 4, Int, 0, "-", "Drainage", "Soil", "&Drainage", "CbDrainage", SoilContext, "",
   [](S_ S) -> N_ { return S.Hydrology().Drainage(); }, [](W_ S, N_ V) { S.Hydrology().SetDrainage(I(V)); },
   nullptr, nullptr, [](S_) { return Fixed(0, 1); }},
  {"SSMAX", Site, 5, Dec, 6, "cm", "Maximum surface storage", "Soil", "&Maximum surface storage (cm):", "mmMaximumSurfaceStorage", SoilContext, "",
   [](S_ S) { return S.Hydrology().MaximumSurfaceStorage(); }, [](W_ S, N_ V) { S.Hydrology().SetMaximumSurfaceStorage(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinMaximumSurfaceStorage(), S.Hydrology().MaxMaximumSurfaceStorage()); }},
  {"WAV", Site, 6, Dec, 6, "cm", "Initial available soil water", "Soil", "&Initial available soil water (cm):", "mmInitialAvailableSoilWater", SoilContext, "",
   [](S_ S) { return S.Hydrology().InitialAvailableSoilWater(); }, [](W_ S, N_ V) { S.Hydrology().SetInitialAvailableSoilWater(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinInitialAvailableSoilWater(), S.Hydrology().MaxInitialAvailableSoilWater()); }},
  {"ZTI", Site, 7, Dec, 6, "cm", "Initial groundwater table", "Soil", "Initial groundwater ta&ble (cm):", "mmInitialGroundWaterTable", SoilContext, "",
   [](S_ S) { return S.Hydrology().InitialGroundWaterTable(); }, [](W_ S, N_ V) { S.Hydrology().SetInitialGroundWaterTable(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinInitialGroundWaterTable(), S.Hydrology().MaxInitialGroundWaterTable()); }},
  {"DD", Site, 8, Dec, 6, "cm", "Drainage depth", "Soil", "de&pth (cm):", "mmDrainageDepth", SoilContext, "",
   [](S_ S) { return S.Hydrology().DrainageDepth(); }, [](W_ S, N_ V) { S.Hydrology().SetDrainageDepth(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinDrainageDepth(), S.Hydrology().MaxDrainageDepth()); }},
  {"RDMSOL", Site, 9, Dec, 6, "cm", "Maximum rooting depth of soil", "Soil", "Ma&ximum rooting depth of soil (cm):", "mmMaximumRootDepthOfSoil", SoilContext, "",
   [](S_ S) { return S.Hydrology().MaximumRootDepthOfSoil(); }, [](W_ S, N_ V) { S.Hydrology().SetMaximumRootDepthOfSoil(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinMaximumRootDepthOfSoil(), S.Hydrology().MaxMaximumRootDepthOfSoil()); }},
  {"NOTINF", Site, 10, Dec, 6, "fraction", "Maximum non-infiltrating factor of rain storm", "Soil", "Maxim&um non-infiltrating factor of rain storm:", "mmMaxNonInfiltratingFractionOfRain", SoilContext, "",
   [](S_ S) { return S.Hydrology().MaxNonInfiltratingFractionOfRain(); }, [](W_ S, N_ V) { S.Hydrology().SetMaxNonInfiltratingFractionOfRain(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinMaxNonInfiltratingFractionOfRain(), S.Hydrology().MaxMaxNonInfiltratingFractionOfRain()); }},
  // The nutrients go through their checked setters: a value out of range stops the reading.
  {"NBASE", Site, 11, Dec, 6, "kg/ha", "Nitrogen (N), basic soil supply", "Nutrients", "N&itrogen (N):", "mmNBase", NutrientsContext, "",
   [](S_ S) { return S.Nutrients().NBase(); }, [](W_ S, N_ V) { S.Nutrients().SetNBase(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Nutrients().NBaseMin(), S.Nutrients().NBaseMax()); }},
  {"NREC", Site, 12, Dec, 6, "fraction", "Nitrogen (N), apparent recovery fraction", "Nutrients", "N&itrogen (N):", "mmNRec", NutrientsContext, "",
   [](S_ S) { return S.Nutrients().Nrec(); }, [](W_ S, N_ V) { S.Nutrients().SetNrec(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Nutrients().NRecMin(), S.Nutrients().NRecMax()); }},
  {"PBASE", Site, 13, Dec, 6, "kg/ha", "Phosphorus (P), basic soil supply", "Nutrients", "Phosphorus (&P):", "mmPBase", NutrientsContext, "",
   [](S_ S) { return S.Nutrients().PBase(); }, [](W_ S, N_ V) { S.Nutrients().SetPBase(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Nutrients().PBaseMin(), S.Nutrients().PBaseMax()); }},
  {"PREC", Site, 14, Dec, 6, "fraction", "Phosphorus (P), apparent recovery fraction", "Nutrients", "Phosphorus (&P):", "mmPRec", NutrientsContext, "",
   [](S_ S) { return S.Nutrients().Prec(); }, [](W_ S, N_ V) { S.Nutrients().SetPrec(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Nutrients().PRecMin(), S.Nutrients().PRecMax()); }},
  {"KBASE", Site, 15, Dec, 6, "kg/ha", "Potassium (K), basic soil supply", "Nutrients", "Potassium (&K):", "mmKBase", NutrientsContext, "",
   [](S_ S) { return S.Nutrients().KBase(); }, [](W_ S, N_ V) { S.Nutrients().SetKBase(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Nutrients().KBaseMin(), S.Nutrients().KBaseMax()); }},
  {"KREC", Site, 16, Dec, 6, "fraction", "Potassium (K), apparent recovery fraction", "Nutrients", "Potassium (&K):", "mmKRec", NutrientsContext, "",
   [](S_ S) { return S.Nutrients().Krec(); }, [](W_ S, N_ V) { S.Nutrients().SetKrec(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Nutrients().KRecMin(), S.Nutrients().KRecMax()); }},
  // Written last, so that files without them still read.
  {"SSI", Site, 17, Dec, 6, "cm", "Initial surface storage", "Soil", "Initial surface s&torage (cm):", "mmInitialSurfaceStorage", SoilContext, "",
   [](S_ S) { return S.Hydrology().InitialSurfaceStorage(); }, [](W_ S, N_ V) { S.Hydrology().SetInitialSurfaceStorage(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinInitialSurfaceStorage(), S.Hydrology().MaxInitialSurfaceStorage()); }},
  {"SMLIM", Site, 18, Dec, 6, "volume fraction", "Maximum initial moisture content in initial rooting depth", "Soil", "M&aximum initial moisture content in initial rooting depth (-):", "mmMaximumMoisture", SoilContext, "",
   [](S_ S) { return S.Hydrology().MaximumMoisture(); }, [](W_ S, N_ V) { S.Hydrology().SetMaximumMoisture(V); },
   nullptr, nullptr, [](S_ S) { return Fixed(S.Hydrology().MinMaximumMoisture(), S.Hydrology().MaxMaximumMoisture()); }},

  // ---- the run-options file, from IOPT2 on; the file names and the series
  // flags are derived again at every write
  {"IOPT2", RunOpt, 1, Int, 0, "-", "Start/stop options", "Reruns", "&Use reruns", "CbUseReRuns", RerunsContext, "Start/Stop options",
   [](S_ S) -> N_ { return S.Rerun().StartStopOptions(); },
   [](W_ S, N_ V) {
     S.Rerun().SetStartStopOptions(I(V));
     // Reruns were in use when the model was told so: the flag comes back too.
     if (I(V) == 4) S.Rerun().SetUseReRuns(true);
   }},
  {"IPRODL", RunOpt, 2, Int, 0, "-", "Number of successive production levels", "General", " Number of successive production levels ", "RgProductionLevels", GeneralContext, "Production levels",
   [](S_ S) -> N_ { return S.General().ProductionLevels(); }, [](W_ S, N_ V) { S.General().SetProductionLevels(I(V)); },
   nullptr, nullptr, [](S_) { return Fixed(1, 3); }},
  {"IOXWL", RunOpt, 3, Int, 0, "-", "WATER-LIMITED crop growth", "General", " WATER-LIMITED crop growth ", "RgTypeOfWaterLimitedCropGrowth", GeneralContext, "Type of water-linited crop growth",
   [](S_ S) -> N_ { return S.General().TypeOfWaterLimitedCropGrowth(); },
   [](W_ S, N_ V) { S.General().SetTypeOfWaterLimitedCropGrowth(I(V)); }, nullptr, nullptr, [](S_) { return Fixed(0, 1); }},
  {"TIMFIL", RunOpt, 4, Name, 0, "", "Timer file", "", "", "", 0, "Timer filename",
   nullptr, nullptr, [](S_ S) { return S.FileManager().TimerName(); }},
  {"SITFIL", RunOpt, 5, Name, 0, "", "Site file", "", "", "", 0, "Site filename",
   nullptr, nullptr, [](S_ S) { return S.FileManager().SiteName(); }},
  {"KORRER", RunOpt, 6, Name, 0, "", "Rerun file", "", "", "", 0, "Rerun filename",
   nullptr, nullptr, [](S_ S) { return S.FileManager().ReRunName(); }},
  {"KOROUT", RunOpt, 7, Name, 0, "", "Detailed output file", "", "", "", 0, "Filename detailed output",
   nullptr, nullptr, [](S_ S) { return S.FileManager().OutName(); }},
  {"SERIES", RunOpt, 8, Int, 0, "-", "Final results for series of years", "", "", "", 0, "Final results for series of years",
   [](S_ S) -> N_ { return SimulationYears(S) >= 2 ? 1 : 0; }},
  {"REPORT", RunOpt, 9, Int, 0, "-", "Report of one line per year", "", "", "", 0, "Report: one line per year and statist",
   [](S_) -> N_ { return 1; }},
  {"FIXNAM", RunOpt, 10, Name, 0, "", "Output file name", "", "", "", 0, "Output filename (max 8, no ext.)",
   nullptr, nullptr, [](S_ S) { return S.FileManager().KRLWerkName(); }},
  {"RQUIRD", RunOpt, 11, Int, 0, "-", "Long term means results", "", "", "", 0, "Long term means results",
   [](S_ S) -> N_ { return SimulationYears(S) > 1 && S.Rerun().UseReRuns() ? 1 : 0; }},
};
// clang-format on

// A decimal rounded to a whole number, halves to even; 0 when it does not fit.
int Rounded(long double V) {
  const long double R = RoundHalfEven(V);
  return R >= INT_MIN && R <= INT_MAX ? static_cast<int>(R) : 0;
}

std::string WithoutAccessKey(const std::string& Caption) {
  std::string S;
  for (size_t i = 0; i < Caption.size(); ++i) {
    if (Caption[i] == '&' && i + 1 < Caption.size()) ++i;  // "&&" keeps one
    S += Caption[i];
  }
  while (!S.empty() && (S.back() == ' ' || S.back() == ':')) S.pop_back();
  const size_t First = S.find_first_not_of(' ');
  return First == std::string::npos ? std::string() : S.substr(First);
}
}  // namespace

std::string TSessionField::ValueText(const TKvSession& S) const {
  switch (Type) {
    case TFieldType::Integer: return Format("%d", I(Number(S)));
    case TFieldType::Decimal: return Format("%.*f", Decimals, static_cast<double>(Number(S)));
    case TFieldType::WholeDecimal: return Format("%d.0", I(Number(S)));
    case TFieldType::Name:
    case TFieldType::Text: break;
  }
  return "'" + Text(S) + "'";
}

std::string TSessionField::LineText(const TKvSession& S) const {
  switch (File) {
    case TFieldFile::Timer: return Format("%-*s= ", KeyWidth ? KeyWidth(S) : 8, Keyword) + ValueText(S);
    case TFieldFile::Site: return Format("%-6s = ", Keyword) + ValueText(S);
    case TFieldFile::RunOptions: break;
  }
  // The value padded to 25 places, never cut, then the comment.
  return Format("%-6s = %-25s ! ", Keyword, ValueText(S).c_str()) + Comment;
}

void TSessionField::ReadFrom(TKvSession& S, const TDxLine& L) const {
  switch (Type) {
    case TFieldType::Integer:
      if (SetNumber) SetNumber(S, IntOrZero(L.GetWord(3)));
      break;
    case TFieldType::Decimal:
      if (SetNumber) SetNumber(S, FloatOrZero(L.GetWord(3)));
      break;
    case TFieldType::WholeDecimal:
      if (SetNumber) SetNumber(S, Rounded(FloatOrZero(L.GetWord(3))));
      break;
    case TFieldType::Name:
      if (SetText) SetText(S, Unquoted(L.GetWord(3)));
      break;
    case TFieldType::Text:
      if (SetText) SetText(S, Unquoted(L.GetWordsFrom(3)));
      break;
  }
}

std::string TSessionField::PlainCaption() const { return WithoutAccessKey(Caption); }

const std::vector<TSessionField>& SessionFields() { return Fields; }

std::vector<const TSessionField*> SessionFieldsOf(TFieldFile File) {
  std::vector<const TSessionField*> Of;
  for (const TSessionField& F : Fields)
    if (F.File == File) Of.push_back(&F);
  return Of;
}

const TSessionField* FindSessionField(const std::string& Keyword) {
  const std::string Key = UpperCase(Keyword);
  for (const TSessionField& F : Fields)
    if (Key == F.Keyword) return &F;
  return nullptr;
}

const TSessionField* FindSessionField(const std::string& Page, const std::string& Caption) {
  for (const TSessionField& F : Fields)
    if (Page == F.Page && *F.Caption && (Caption == F.Caption || Caption == F.PlainCaption())) return &F;
  return nullptr;
}
