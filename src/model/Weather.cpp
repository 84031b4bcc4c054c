#include "model/Weather.h"

#include <algorithm>
#include <cmath>

#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "model/InputLines.h"
#include "model/ModelInput.h"
#include "platform/FileSys.h"

namespace {
constexpr double Pi = 3.14159265358979323846;
}  // namespace

double DayLength(double Lat, int Doy) {
  const double Dec = -std::asin(std::sin(23.45 * Pi / 180) * std::cos(2 * Pi * (Doy + 10) / 365.0));
  const double L = Lat * Pi / 180;
  const double SinLD = std::sin(L) * std::sin(Dec), CosLD = std::cos(L) * std::cos(Dec);
  const double Aob = std::clamp(SinLD / std::max(CosLD, 1e-9), -1.0, 1.0);
  return 12.0 * (1.0 + 2.0 * std::asin(Aob) / Pi);
}

namespace {

// Penman-Monteith evaporation of a day, cm/d, with the aerodynamic resistance
// of the reference grass (208 / wind speed at 2 m s/m) and no soil heat flux:
// a short grass cover with its surface resistance of 70 s/m (WetSurface false)
// or a wet surface that offers the vapour no resistance (WetSurface true).
double PenmanMonteith(const TDayWeather& W, double Lat, double Alt, int Doy, double Albedo, bool WetSurface) {
  auto Saturated = [](double T) { return 0.6108 * std::exp(17.27 * T / (T + 237.3)); };  // kPa
  const double T = 0.5 * (W.TMin + W.TMax);
  const double Es = 0.5 * (Saturated(W.TMin) + Saturated(W.TMax));
  const double Ea = std::min(W.Vap, Es);
  const double Delta = 4098.0 * Saturated(T) / ((T + 237.3) * (T + 237.3));
  const double Pressure = 101.3 * std::pow((293.0 - 0.0065 * Alt) / 293.0, 5.26);
  const double Gamma = 0.000665 * Pressure;
  // Net radiation, MJ/m2/d: shortwave after the albedo, longwave from the
  // temperatures, the vapour pressure and the cloudiness.
  const double Phi = Lat * Pi / 180.0;
  const double Dr = 1.0 + 0.033 * std::cos(2.0 * Pi * Doy / 365.0);
  const double Dec = 0.409 * std::sin(2.0 * Pi * Doy / 365.0 - 1.39);
  const double Ws = std::acos(std::clamp(-std::tan(Phi) * std::tan(Dec), -1.0, 1.0));
  const double Ra = 24.0 * 60.0 / Pi * 0.0820 * Dr *
                    (Ws * std::sin(Phi) * std::sin(Dec) + std::cos(Phi) * std::cos(Dec) * std::sin(Ws));
  const double Rs = W.Irrad / 1000.0;
  const double Rso = (0.75 + 2e-5 * Alt) * Ra;
  const double Cloud = Rso > 0 ? std::clamp(Rs / Rso, 0.25, 1.0) : 0.5;
  const double Sigma = 4.903e-9;
  const double Rnl = Sigma * 0.5 * (std::pow(W.TMax + 273.16, 4) + std::pow(W.TMin + 273.16, 4)) *
                     (0.34 - 0.14 * std::sqrt(std::max(0.0, Ea))) * (1.35 * Cloud - 0.35);
  const double Rn = (1.0 - Albedo) * Rs - Rnl;
  const double U2 = W.Wind;
  // The surface resistance enters as 1 + rs / ra = 1 + 0.34 u2 for the grass.
  const double Resistance = WetSurface ? 1.0 : 1.0 + 0.34 * U2;
  const double Mm =
      (0.408 * Delta * Rn + Gamma * 900.0 / (T + 273.0) * U2 * (Es - Ea)) / (Delta + Gamma * Resistance);
  return std::max(0.0, Mm) / 10.0;
}

}  // namespace

double ReferenceEvaporation(const TDayWeather& W, double Lat, double Alt, int Doy) {
  return PenmanMonteith(W, Lat, Alt, Doy, 0.23, false);
}

double WetSoilEvaporation(const TDayWeather& W, double Lat, double Alt, int Doy) {
  return PenmanMonteith(W, Lat, Alt, Doy, BareSoilAlbedo, true);
}

int DaysInYear(int Year) {
  const bool Leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
  return Leap ? 366 : 365;
}

std::string WeatherFileName(const std::string& Dir, const std::string& Station, int Year) {
  std::string Stem = Station;
  if (Stem.empty() || Stem.back() != '.') {
    const size_t Dot = Stem.rfind('.');
    Stem = Dot == std::string::npos ? Stem + "." : Stem.substr(0, Dot + 1);
  }
  return Dir + Stem + Format("%03d", ((Year % 1000) + 1000) % 1000);
}

namespace {

bool Number(const std::vector<std::string>& W, size_t No, double& V) {
  long double X;
  if (No > W.size() || !TryStrToFloat(W[No - 1], X) || !std::isfinite(static_cast<double>(X))) return false;
  V = static_cast<double>(X);
  return true;
}

// A year or day column: a whole number the model can count with (a text such
// as 1e60 passes the number test but fits no counter).
bool WholeNumber(double V, int& Out) {
  if (!(V >= -1e9 && V <= 1e9) || V != std::floor(V)) return false;
  Out = static_cast<int>(V);
  return true;
}

[[noreturn]] void BadLine(const std::string& File, int LineNo, const std::string& Why) {
  throw EModelError(File, Format("line %d", LineNo), {"ERROR in file " + AtLine(File, LineNo) + ": " + Why});
}

std::string Annotation(const std::string& S, const std::string& Key) {
  if (S.compare(0, Key.size(), Key) == 0) return TrimBlanks(S.substr(Key.size()));
  return std::string();
}

// Comment lines (a '*' first) and blank lines carry no data; the first
// description annotation among the comments is kept in Description.
bool IsDataLine(const TInputLine& L, const std::vector<std::string>& Words, std::string& Description) {
  if (!L.Text.empty() && L.Text[0] == '*') {
    const std::string D = Annotation(L.Text, "** KRLDESCRIPTION=");
    if (!D.empty() && Description.empty()) Description = D;
    return false;
  }
  return !Words.empty();
}
}  // namespace

TWeatherYear ReadWeatherYear(const std::string& FileName, int Year) {
  if (!FileExists(FileName))
    throw EWeatherMissing(FileName, "CLFILE", Year,
                          {"ERROR in file " + FileName + ", key CLFILE: weather file not found",
                           Format("  Year %d of the weather station is needed and has no file.", Year)});
  TWeatherYear W;
  W.Year = Year;
  W.FileName = FileName;
  bool HaveSite = false;
  int LastLine = 0;
  for (const TInputLine& L : ReadInputLines(FileName, "CLFILE")) {
    LastLine = L.No;
    const bool Comment = !L.Text.empty() && L.Text[0] == '*';
    const std::vector<std::string> Words = Comment ? std::vector<std::string>() : SplitWords(L.Text);
    if (!IsDataLine(L, Words, W.Description)) continue;
    if (!HaveSite) {
      if (!Number(Words, 1, W.Lon) || !Number(Words, 2, W.Lat) || !Number(Words, 3, W.Alt))
        BadLine(FileName, L.No, "longitude, latitude and altitude expected");
      if (std::fabs(W.Lat) > 90 || std::fabs(W.Lon) > 360)
        BadLine(FileName, L.No, "latitude or longitude out of range");
      // From the shores of the lowest lakes to the highest fields.
      if (!(W.Alt >= -500 && W.Alt <= 6000))
        BadLine(FileName, L.No, "altitude out of range (-500 to 6000 m)");
      HaveSite = true;
      continue;
    }
    double V[9];
    if (Words.size() < 9)
      BadLine(FileName, L.No,
              "nine values expected (station year day irradiation tmin tmax vapour wind rain)");
    for (size_t i = 0; i < 9; ++i)
      if (!Number(Words, i + 1, V[i])) BadLine(FileName, L.No, "'" + Words[i] + "' is not a number");
    int LineYear = 0, Day = 0;
    if (!WholeNumber(V[1], LineYear) || !WholeNumber(V[2], Day))
      BadLine(FileName, L.No, "year and day must be whole numbers");
    if (LineYear != Year) BadLine(FileName, L.No, Format("year %d expected", Year));
    if (Day != static_cast<int>(W.Days.size()) + 1)
      BadLine(FileName, L.No, Format("day %d expected", static_cast<int>(W.Days.size()) + 1));
    TDayWeather D{V[3], V[4], V[5], V[6], V[7], V[8]};
    if (D.Irrad < 0 || D.Irrad > 50000) BadLine(FileName, L.No, "irradiation outside 0 - 50000 kJ/m2/d");
    if (D.TMin < -70 || D.TMax > 70 || D.TMin > D.TMax + 1e-9)
      BadLine(FileName, L.No, "temperatures outside -70 - 70 C or minimum above maximum");
    if (D.Rain < 0 || D.Rain > 1000) BadLine(FileName, L.No, "rain outside 0 - 1000 mm/d");
    if (D.Vap < 0 || D.Wind < 0) BadLine(FileName, L.No, "negative vapour pressure or wind speed");
    W.Days.push_back(D);
  }
  if (!HaveSite)
    BadLine(FileName, std::max(1, LastLine), "the file holds no longitude, latitude and altitude line");
  if (static_cast<int>(W.Days.size()) != DaysInYear(Year))
    BadLine(
        FileName, LastLine + 1,
        Format("day %d: the file holds %d days of the %d of year %d (truncated file?)",
               static_cast<int>(W.Days.size()) + 1, static_cast<int>(W.Days.size()), DaysInYear(Year), Year));
  for (size_t i = 0; i < W.Days.size(); ++i) {
    TDayWeather& D = W.Days[i];
    const int Doy = static_cast<int>(i) + 1;
    D.DayL = DayLength(W.Lat, Doy);
    D.ET0 = ReferenceEvaporation(D, W.Lat, W.Alt, Doy);
    D.ES0 = WetSoilEvaporation(D, W.Lat, W.Alt, Doy);
  }
  return W;
}

TRainFile ReadRainFile(const std::string& FileName) {
  TRainFile R;
  R.FileName = FileName;
  std::map<int, int> LastLineOf;  // per year
  for (const TInputLine& L : ReadInputLines(FileName, "RAFILE")) {
    const bool Comment = !L.Text.empty() && L.Text[0] == '*';
    const std::vector<std::string> Words = Comment ? std::vector<std::string>() : SplitWords(L.Text);
    if (!IsDataLine(L, Words, R.Description)) continue;
    double V[3];
    if (Words.size() < 3) BadLine(FileName, L.No, "year, day and rain expected");
    for (size_t i = 0; i < 3; ++i)
      if (!Number(Words, i + 1, V[i])) BadLine(FileName, L.No, "'" + Words[i] + "' is not a number");
    int Year = 0, Day = 0;
    if (!WholeNumber(V[0], Year) || !WholeNumber(V[1], Day))
      BadLine(FileName, L.No, "year and day must be whole numbers");
    std::vector<double>& Days = R.Years[Year];
    if (Day != static_cast<int>(Days.size()) + 1 || Day > DaysInYear(Year))
      BadLine(FileName, L.No, Format("day %d of year %d expected", static_cast<int>(Days.size()) + 1, Year));
    if (V[2] < 0 || V[2] > 1000) BadLine(FileName, L.No, "rain outside 0 - 1000 mm/d");
    Days.push_back(V[2]);
    LastLineOf[Year] = L.No;
  }
  for (const auto& Y : R.Years)
    if (static_cast<int>(Y.second.size()) != DaysInYear(Y.first))
      BadLine(FileName, LastLineOf[Y.first],
              Format("year %d ends here: the file holds %d days of year %d (truncated file?)", Y.first,
                     static_cast<int>(Y.second.size()), Y.first));
  return R;
}

int ReadWeatherFormat(const std::string& FileName) {
  if (!FileExists(FileName)) return -1;
  for (const TInputLine& L : ReadInputLines(FileName, "RAFILE")) {
    const std::string V = Annotation(L.Text, "** KRLFORMAT=");
    if (!V.empty()) return IntOrZero(V);
  }
  return -1;
}

const TWeatherYear& TWeatherStore::Year(const std::string& Dir, const std::string& Station, int Year) {
  const std::string Name = WeatherFileName(Dir, Station, Year);
  auto It = FYears.find(Name);
  if (It != FYears.end()) return It->second;
  return FYears.emplace(Name, ReadWeatherYear(Name, Year)).first->second;
}

const TRainFile& TWeatherStore::Rain(const std::string& FileName) {
  auto It = FRain.find(FileName);
  if (It != FRain.end()) return It->second;
  return FRain.emplace(FileName, ReadRainFile(FileName)).first->second;
}
