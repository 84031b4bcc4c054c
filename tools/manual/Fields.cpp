#include "Fields.h"

#include <QMap>
#include <memory>
#include <vector>

#include "Markup.h"
#include "catalogue/KvRange.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvwthr.h"
#include "platform/Handlers.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"

namespace {

// The session's parts after a reset: their defaults and ranges are what the
// pages show and accept.
struct TSessionParts {
  TKvGeneral General;
  TKvCrop Crop;
  TKvWeather Weather;
  TKvHydrology Hydrology;
  TKvNutrients Nutrients;
};
std::unique_ptr<TSessionParts> Parts;

QString Num(long double V) { return QString::number(double(V), 'g', 6); }
QString Range(long double Min, long double Max) { return Num(Min) + "\u2009\u2013\u2009" + Num(Max); }

const TRerunVar& Var(const char* Name) {
  const int i = VarCatalogue.IndexOf(Name);
  if (i < 0) throw EManualError{QString("the variable catalogue has no %1").arg(Name)};
  return *VarCatalogue.Objects(i);
}

QString Meaning(const char* Name) { return QString::fromStdString(Var(Name).Meaning()); }

// The unit a catalogue meaning gives in its last brackets, when they hold one.
QString UnitOf(const char* Name) {
  const QString M = Meaning(Name);
  if (!M.endsWith(')')) return QString();
  const QString U = M.mid(M.lastIndexOf('(') + 1).chopped(1);
  if (U.contains(':') || U.contains("option")) return QString();
  return U;
}

// The catalogue's range of a keyword, as the session rounds it.
QString CatalogueRange(const char* Name) { return Range(RangeMin(Name), RangeMax(Name)); }

struct TRow {
  QString Field;    // the caption on the page
  QString Keyword;  // the model's name; the input file it goes to is said in the text
  QString Unit;     // empty: from the catalogue's meaning, "-": none
  QString Range;
  QString Default;
};

// Checks that a range the session gives a field is the catalogue's.
QString Checked(const char* Name, long double Min, long double Max) {
  const QString R = Range(Min, Max);
  if (R != CatalogueRange(Name))
    throw EManualError{
        QString("%1: the session's range %2 is not the catalogue's %3").arg(Name, R, CatalogueRange(Name))};
  return R;
}

std::vector<TRow> Rows(const QString& Page) {
  const TKvGeneral& G = Parts->General;
  const TKvCrop& C = Parts->Crop;
  const TKvWeather& W = Parts->Weather;
  const TKvHydrology& H = Parts->Hydrology;
  const TKvNutrients& N = Parts->Nutrients;
  static const char* const Levels[] = {"", "1 (potential)", "2 (and water-limited)",
                                       "3 (and nutrient-limited)"};
  static const char* const Balances[] = {"0 (no summary)", "1 (whole system)", "2 (root zone)", "3 (both)"};
  static const char* const StartDays[] = {"0 (fixed emergence)", "1 (fixed sowing)", "2 (variable sowing)"};
  static const char* const EndDays[] = {"", "1 (fixed end date)", "2 (maturity)", "3 (earliest of both)"};
  static const char* const RainOptions[] = {"0", "1", "2 (rainfall file)", "3 (weather file)"};
  auto Day = [](int V) { return QString::number(V); };
  if (Page == "General")
    return {
        {"Number of successive production levels", "IPRODL", "-", "1\u2009\u2013\u20093",
         Levels[G.ProductionLevels()]},
        {"Summary seasonal soil water balance", "IBAL", "-", "0\u2009\u2013\u20093",
         Balances[G.SummarySeasonalSoilWaterBalance()]},
        {"WATER-LIMITED crop growth", "IOXWL", "-", "0\u2009\u2013\u20091",
         G.TypeOfWaterLimitedCropGrowth() ? "1 (drought and oxygen shortage)" : "0 (drought only)"},
    };
  if (Page == "Crop")
    return {{"Available crops", "CRFILE", "file name", "the crop files of cropd/", "the first crop"}};
  if (Page == "Weather")
    return {{"Weather format", "IWEATH", "-", "2 (daily weather files)", QString::number(W.WeatherFormat())},
            {"Available stations", "CLFILE", "file stem", "the stations of the format", "the first station"}};
  if (Page == "Timer")
    return {
        {"Output interval in days", "PRDEL", "",
         Checked("PRDEL", G.OutputIntervalMin(), G.OutputIntervalMax()), Num(G.OutputInterval())},
        {"Start date water balance", "ISDAY", "",
         Checked("ISDAY", G.WaterbalanceStartDayMin(), G.WaterbalanceStartDayMax()),
         Day(G.WaterbalanceStartDay())},
        {"Start year", "ISYR", "year", CatalogueRange("ISYR") + ", within the station's years",
         Num(W.Year()) + ", else the station's first year"},
        {"Consecutive years", "INYEAR", "years", CatalogueRange("INYEAR") + ", up to the station's last year",
         Num(W.ConsecutiveYears())},
        {"Start Day", "ISTCHO", "-", CatalogueRange("ISTCHO"), StartDays[C.StartDay()]},
        {"Fixed Emergence", "IDEM", "", Checked("IDEM", C.MinFixedEmergenceDate(), C.MaxFixedEmergenceDate()),
         Day(C.FixedEmergenceDate())},
        {"Fixed Sowing", "IDSOW", "", Checked("IDSOW", C.MinFixedSowingDate(), C.MaxFixedSowingDate()),
         Day(C.FixedSowingDate())},
        {"Earliest Sowing", "IDESOW", "",
         Checked("IDESOW", C.MinEarliestSowingDate(), C.MaxEarliestSowingDate()),
         Day(C.EarliestSowingDate())},
        {"Ultimate Sowing", "IDLSOW", "",
         Checked("IDLSOW", C.MinUltimateSowingDate(), C.MaxUltimateSowingDate()),
         Day(C.UltimateSowingDate())},
        {"End Day", "IENCHO", "-", CatalogueRange("IENCHO"), EndDays[C.EndDay()]},
        {"Fixed end date", "IDAYEN", "", Checked("IDAYEN", C.MinFixedEndDate(), C.MaxFixedEndDate()),
         Day(C.FixedEndDate())},
        {"Maximum duration", "IDURMX", "", Checked("IDURMX", C.MinMaximumDuration(), C.MaxMaximumDuration()),
         Day(C.MaximumDuration())},
    };
  if (Page == "Soil")
    return {
        {"Available soil types", "SOFILE", "file name", "the soil files of soild/", "the first soil"},
        {"Initial surface storage", "SSI", "",
         Checked("SSI", H.MinInitialSurfaceStorage(), H.MaxInitialSurfaceStorage()),
         Num(H.InitialSurfaceStorage())},
        {"Maximum surface storage", "SSMAX", "",
         Checked("SSMAX", H.MinMaximumSurfaceStorage(), H.MaxMaximumSurfaceStorage()),
         Num(H.MaximumSurfaceStorage())},
        {"Groundwater", "IZT", "-", "0\u2009\u2013\u20091",
         H.Groundwater() ? "1 (checked)" : "0 (not checked)"},
        {"Initial available soil water", "WAV", "",
         Checked("WAV", H.MinInitialAvailableSoilWater(), H.MaxInitialAvailableSoilWater()),
         Num(H.InitialAvailableSoilWater())},
        {"Maximum initial moisture content in initial rooting depth", "SMLIM", "volume fraction",
         CatalogueRange("SMLIM") + ", narrowed to the soil's SMW\u2009\u2013\u2009SM0", "the soil's SMW"},
        {"Initial groundwater table", "ZTI", "",
         Checked("ZTI", H.MinInitialGroundWaterTable(), H.MaxInitialGroundWaterTable()),
         Num(H.InitialGroundWaterTable())},
        {"Drainage", "IDRAIN", "-", CatalogueRange("IDRAIN"),
         H.Drainage() ? "1 (checked)" : "0 (not checked)"},
        {"Drainage depth", "DD", "", Checked("DD", H.MinDrainageDepth(), H.MaxDrainageDepth()),
         Num(H.DrainageDepth())},
        {"Maximum rooting depth of soil", "RDMSOL", "",
         Checked("RDMSOL", H.MinMaximumRootDepthOfSoil(), H.MaxMaximumRootDepthOfSoil()),
         Num(H.MaximumRootDepthOfSoil())},
        {"Non-infiltration fraction", "IFUNRN", "-", CatalogueRange("IFUNRN"),
         H.TypeOfNonInfiltratingFractionOfRain() ? "1 (function of storm size)" : "0 (fixed)"},
        {"Maximum non-infiltrating factor of rain storm", "NOTINF", "fraction",
         Checked("NOTINF", H.MinMaxNonInfiltratingFractionOfRain(), H.MaxMaxNonInfiltratingFractionOfRain()),
         Num(H.MaxNonInfiltratingFractionOfRain())},
    };
  if (Page == "Nutrients")
    return {
        {"Nitrogen (N), basic soil supply", "NBASE", "", Checked("NBASE", N.NBaseMin(), N.NBaseMax()),
         Num(N.NBase())},
        {"Phosphorus (P), basic soil supply", "PBASE", "", Checked("PBASE", N.PBaseMin(), N.PBaseMax()),
         Num(N.PBase())},
        {"Potassium (K), basic soil supply", "KBASE", "", Checked("KBASE", N.KBaseMin(), N.KBaseMax()),
         Num(N.KBase())},
        {"Nitrogen (N), apparent recovery fraction", "NREC", "fraction",
         Checked("NREC", N.NRecMin(), N.NRecMax()), Num(N.Nrec())},
        {"Phosphorus (P), apparent recovery fraction", "PREC", "fraction",
         Checked("PREC", N.PRecMin(), N.PRecMax()), Num(N.Prec())},
        {"Potassium (K), apparent recovery fraction", "KREC", "fraction",
         Checked("KREC", N.KRecMin(), N.KRecMax()), Num(N.Krec())},
    };
  if (Page == "Rainfall")
    return {
        {"Rainfall data option", "IRNDAT", "-", CatalogueRange("IRNDAT") + " with daily weather",
         RainOptions[W.RainfallDataOptions()]},
        {"Rainfall station", "RAFILE", "file name", "the rainfall stations of climd/",
         QString::fromStdString(W.RainfallStationFile())},
        {"Start year", "ISYRR", "year", CatalogueRange("ISYRR") + ", within the station's years",
         "the station's first year"},
        {"Consecutive years", "INYRG", "years", CatalogueRange("INYRG") + ", up to the station's last year",
         Num(W.RainfallConsecutiveYears())},
        {"Runs with randomized rain", "INYRG", "runs",
         Checked("INYRG", W.MinNoOfRunsWithRandomizedRain(), W.MaxNoOfRunsWithRandomizedRain()),
         Num(W.NoOfRunsWithRandomizedRain())},
    };
  if (Page == "Reruns")
    return {{"Run name (first column)", "RUNNAM", "text", "at most 6 characters, different in every rerun",
             "the session name (up to 5 characters) and the rerun's number"}};
  throw EManualError{"@fields: no page " + Page};
}

QString Cell(const QString& S) { return "<td>" + Escape(S) + "</td>"; }

}  // namespace

void LoadFieldSources(const QString& CatalogueFile) {
  // No message box can be answered here: any message is a fault of the inputs.
  SetMessageHandler([](const TMessage& M) -> TMsgResult {
    throw EManualError{"message while reading the catalogue: " + QString::fromStdString(M.Text)};
  });
  try {
    LoadVarCatalogue(CatalogueFile.toStdString());
  } catch (const std::exception& E) {
    throw EManualError{CatalogueFile + ": " + QString::fromStdString(E.what())};
  }
  Parts = std::make_unique<TSessionParts>();
}

QString FieldTableHtml(const QString& Page) {
  QString H =
      "<table class=\"fields\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
      "<thead><tr><th width=\"36%\">Field</th><th width=\"11%\">Keyword</th><th width=\"14%\">Unit</th>"
      "<th width=\"21%\">Range</th><th width=\"18%\">Default</th></tr></thead>\n<tbody>\n";
  for (const TRow& R : Rows(Page)) {
    const QByteArray K = R.Keyword.toLatin1();
    QString Unit = R.Unit;
    if (Unit.isEmpty()) Unit = UnitOf(K.constData());
    if (Unit.isEmpty() || Unit == "-") Unit = "\u2013";
    H += "<tr>" + Cell(R.Field) + "<td><code>" + Escape(R.Keyword) + "</code></td>" + Cell(Unit) +
         Cell(R.Range) + Cell(R.Default) + "</tr>\n";
  }
  return H + "</tbody></table>\n";
}

QString VariableTableHtml(const QString& FileCode) {
  static const QMap<QString, QString> Types = {
      {"C", "text"},           {"I", "whole number"},
      {"R", "decimal"},        {"SD", "table over development stage"},
      {"SP", "table over pF"}, {"ST", "table over temperature"}};
  QString H =
      "<table class=\"fields\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
      "<thead><tr><th width=\"11%\">Name</th><th width=\"17%\">Range</th><th width=\"17%\">Type</th>"
      "<th width=\"55%\">Meaning</th></tr></thead>\n<tbody>\n";
  int Count = 0;
  for (int i = 0; i < VarCatalogue.Count(); ++i) {
    const TRerunVar& V = *VarCatalogue.Objects(i);
    if (QString::fromStdString(V.FileType()) != FileCode) continue;
    const QString Type = QString::fromStdString(V.VarType());
    const bool Text = Type == "C";
    // The catalogue's own bounds, unrounded: they check rerun values.
    const QString R = Text ? QString("\u2013") : Num(V.Min()) + "\u2009\u2013\u2009" + Num(V.Max());
    H += "<tr><td><code>" + Escape(QString::fromStdString(V.Description())) + "</code></td>" + Cell(R) +
         Cell(Types.value(Type, Type)) + Cell(QString::fromStdString(V.Meaning())) + "</tr>\n";
    ++Count;
  }
  if (Count == 0)
    throw EManualError{"@variables: the catalogue has no variable of the file code " + FileCode};
  return H + "</tbody></table>\n";
}
