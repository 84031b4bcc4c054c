// weathergen: a seeded synthetic weather generator for the sample program home.
//
// Writes, from a fixed seed and a handful of climate parameters:
//   --format=2   yearly daily weather files  <dir>/<STEM>.<yyy>   (default)
//   --format=99  one daily rainfall file     <dir>/<STEM>.DAT
//   --format=1   one monthly climate file    <dir>/<STEM>.DAT (means over the years)
//
// The same arguments always give the same files, byte for byte: the random
// numbers come from our own generator and our own transforms, never from the
// standard library's distributions. docs/weather.md explains the equations.

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

// ---------------------------------------------------------------- random numbers

// splitmix64: a small, well-mixed 64-bit generator; one instance per stream.
class TRandom {
 public:
  explicit TRandom(uint64_t Seed) : FState(Seed) {}

  uint64_t Next() {
    uint64_t Z = (FState += 0x9E3779B97F4A7C15ULL);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBULL;
    return Z ^ (Z >> 31);
  }
  // Uniform on the open interval (0, 1): 53 random bits, never 0 or 1.
  double Uniform() { return (static_cast<double>(Next() >> 11) + 0.5) / 9007199254740992.0; }
  // Standard normal by the Box-Muller transform (the second value is dropped
  // so that every call consumes exactly two uniforms).
  double Normal() {
    const double U1 = Uniform();
    const double U2 = Uniform();
    return std::sqrt(-2.0 * std::log(U1)) * std::cos(2.0 * Pi * U2);
  }
  // Gamma with the given shape and scale 1 (Marsaglia and Tsang's squeeze
  // method; a shape below 1 is raised by one and scaled back by U^(1/shape)).
  double Gamma(double Shape) {
    if (Shape < 1.0) {
      const double G = Gamma(Shape + 1.0);
      return G * std::pow(Uniform(), 1.0 / Shape);
    }
    const double D = Shape - 1.0 / 3.0;
    const double C = 1.0 / std::sqrt(9.0 * D);
    for (;;) {
      double X, V;
      do {
        X = Normal();
        V = 1.0 + C * X;
      } while (V <= 0.0);
      V = V * V * V;
      const double U = Uniform();
      if (U < 1.0 - 0.0331 * X * X * X * X) return D * V;
      if (std::log(U) < 0.5 * X * X + D * (1.0 - V + std::log(V))) return D * V;
    }
  }

 private:
  uint64_t FState;
};

// A stream's seed: the run's seed mixed with the stream's number, so that the
// streams (rain, temperature, ...) do not share draws.
uint64_t StreamSeed(uint64_t Seed, uint64_t Stream) {
  TRandom R(Seed ^ (Stream * 0xD1B54A32D192ED03ULL));
  R.Next();
  return R.Next();
}

// ---------------------------------------------------------------- climate

struct TClimate {
  double TMean = 10.0;     // annual mean of the daily mean temperature, C
  double TAmp = 7.0;       // half the difference between warmest and coldest day, C
  double TColdDay = 20;    // day of year of the coldest day (northern hemisphere)
  double TSd = 2.5;        // day-to-day spread of the daily mean temperature, C
  double TCorr = 0.75;     // lag-one autocorrelation of that spread
  double Dtr = 8.0;        // mean diurnal range tmax - tmin, C
  double DtrAmp = 2.0;     // half the seasonal swing of the range (larger in summer), C
  double WetCool = 1.5;    // wet days are this much cooler than dry days, C
  double DewDep = 1.0;     // dew point below tmin on dry days, C (negative: above)
  double DewDepAmp = 0.0;  // half the seasonal swing of DewDep
  double DewDepPeak = 0;   // day of the year of the largest DewDep (0: the warmest day)
  double Rain = 750.0;     // mean annual rain, mm
  double WetDays = 180.0;  // mean number of wet days a year
  double RainAmp = 0.1;    // seasonality of rain, 0 (none) .. 0.95
  double RainPeak = 300;   // day of year of the rainiest season
  double Persist = 0.3;    // persistence of wet and dry spells (Markov chain)
  double Shape = 0.75;     // shape of the gamma distribution of wet-day amounts
  double Sunshine = 0.35;  // mean relative sunshine duration on dry days
  double SunAmp = 0.08;    // half the seasonal swing of it (sunnier in summer)
  double Wind = 4.0;       // mean wind speed, m/s
  double WindAmp = 0.15;   // relative seasonal swing of wind (windier in winter)
};

struct TStation {
  std::string Dir, Stem, Description;
  double Lat = 0, Lon = 0, Alt = 0;
  int FirstYear = 0, LastYear = 0;
  uint64_t Seed = 0;
  int Format = 2;
  int Number = 1;
  TClimate Climate;
};

struct TDay {
  int Year, Day;
  double Irrad;  // kJ/m2/d
  double TMin, TMax, Vapour, Wind, Rain;
};

bool IsLeap(int Y) { return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0; }
int DaysIn(int Y) { return IsLeap(Y) ? 366 : 365; }

// Extraterrestrial radiation (kJ/m2/d) for a latitude and a day of the year:
// the solar declination gives the sunset hour angle, that is half the day
// length as an angle (day length in hours = 24 / pi * angle), and the
// radiation is integrated over that day length.
double Extraterrestrial(double LatDeg, int Day, int YearDays) {
  const double Phi = LatDeg * Pi / 180.0;
  const double Angle = 2.0 * Pi * Day / YearDays;
  const double Decl = 0.409 * std::sin(Angle - 1.39);
  const double Dr = 1.0 + 0.033 * std::cos(Angle);  // inverse relative sun distance squared
  double X = -std::tan(Phi) * std::tan(Decl);
  if (X > 1.0) X = 1.0;    // polar night
  if (X < -1.0) X = -1.0;  // midnight sun
  const double Ws = std::acos(X);
  const double SolarConstant = 118080.0;  // kJ/m2/d (1367 W/m2)
  const double Ra = SolarConstant / Pi * Dr *
                    (Ws * std::sin(Phi) * std::sin(Decl) + std::cos(Phi) * std::cos(Decl) * std::sin(Ws));
  return Ra < 0.0 ? 0.0 : Ra;
}

// Saturated vapour pressure over water, kPa, at T (C).
double SatVapour(double T) { return 0.6108 * std::exp(17.27 * T / (T + 237.3)); }

double Clamp(double V, double Lo, double Hi) { return V < Lo ? Lo : (V > Hi ? Hi : V); }

// A seasonal wave: 1 on day Peak, -1 half a year later.
double Wave(int Day, int YearDays, double Peak) { return std::cos(2.0 * Pi * (Day - Peak) / YearDays); }

// Every day from the first to the last year, in order.
std::vector<TDay> Generate(const TStation& S) {
  const TClimate& C = S.Climate;
  // In the southern hemisphere the seasons come half a year later.
  const double Shift = S.Lat < 0 ? 182.5 : 0.0;
  const double ColdDay = C.TColdDay + Shift;
  const double WarmDay = ColdDay + 182.5;
  const double RainPeak = C.RainPeak + Shift;
  const double DryAirDay = C.DewDepPeak > 0 ? C.DewDepPeak + Shift : WarmDay;

  TRandom RRainOcc(StreamSeed(S.Seed, 1)), RRainAmt(StreamSeed(S.Seed, 2)), RTemp(StreamSeed(S.Seed, 3)),
      RRange(StreamSeed(S.Seed, 4)), RSun(StreamSeed(S.Seed, 5)), RVap(StreamSeed(S.Seed, 6)),
      RWind(StreamSeed(S.Seed, 7));

  // Wet-day probability and mean amount over the year; the mean amount is
  // scaled so that the expected annual total is the wanted rain.
  const double P0 = C.WetDays / 365.0;
  const double AmtAmp = C.RainAmp / 2.0;
  auto WetProb = [&](int Day, int N) {
    return Clamp(P0 * (1.0 + C.RainAmp * Wave(Day, N, RainPeak)), 0.005, 0.9);
  };
  double Expected = 0.0;
  for (int D = 1; D <= 365; ++D) Expected += WetProb(D, 365) * (1.0 + AmtAmp * Wave(D, 365, RainPeak));
  const double Amount0 = C.Rain / Expected;  // mean amount on a wet day at the mean of the wave

  std::vector<TDay> Days;
  bool Wet = RRainOcc.Uniform() < P0;
  double TNoise = 0.0, RangeNoise = 0.0, WindNoise = 0.0;
  const double RangeCorr = 0.4, RangeSd = 1.2, WindCorr = 0.6, WindSd = 0.35;
  const double WetRange = 0.65;  // a wet day's diurnal range relative to the season's

  for (int Y = S.FirstYear; Y <= S.LastYear; ++Y) {
    const int N = DaysIn(Y);
    for (int D = 1; D <= N; ++D) {
      TDay Out{};
      Out.Year = Y;
      Out.Day = D;

      // Rain: two-state Markov chain, gamma amounts.
      const double P = WetProb(D, N);
      const double P01 = P * (1.0 - C.Persist);              // dry -> wet
      const double P11 = C.Persist + P * (1.0 - C.Persist);  // wet -> wet
      Wet = RRainOcc.Uniform() < (Wet ? P11 : P01);
      const double MeanAmount = Amount0 * (1.0 + AmtAmp * Wave(D, N, RainPeak));
      const double Gamma = RRainAmt.Gamma(C.Shape);  // drawn every day: the amount stream stays in step
      Out.Rain = Wet ? 0.1 + (MeanAmount - 0.1 > 0.05 ? MeanAmount - 0.1 : 0.05) * Gamma / C.Shape : 0.0;

      // Temperature: annual sine, autocorrelated noise, cooler on wet days
      // (dry days a little warmer, so that the season's mean stays put).
      TNoise = C.TCorr * TNoise + std::sqrt(1.0 - C.TCorr * C.TCorr) * C.TSd * RTemp.Normal();
      const double TSeason = C.TMean - C.TAmp * Wave(D, N, ColdDay);
      const double TWet = Wet ? -C.WetCool * (1.0 - P) : C.WetCool * P;
      const double TDay = TSeason + TWet + TNoise;
      RangeNoise =
          RangeCorr * RangeNoise + std::sqrt(1.0 - RangeCorr * RangeCorr) * RangeSd * RRange.Normal();
      const double RangeSeason = C.Dtr + C.DtrAmp * Wave(D, N, WarmDay);
      const double RangeFactor = Wet ? WetRange : (1.0 - WetRange * P) / (1.0 - P);
      const double Range = std::max(1.0, RangeSeason * RangeFactor + RangeNoise);
      Out.TMin = TDay - Range / 2.0;
      Out.TMax = TDay + Range / 2.0;

      // Irradiation: extraterrestrial radiation times an Angstrom factor of
      // the relative sunshine duration, which is low on wet days.
      const double Ra = Extraterrestrial(S.Lat, D, N);
      const double SunDry = C.Sunshine + C.SunAmp * Wave(D, N, WarmDay);
      const double SunMean = Wet ? 0.3 * SunDry : std::min(0.95, SunDry * (1.0 + 0.3 * P));
      const double Sun = Clamp(SunMean + 0.15 * RSun.Normal(), 0.0, 1.0);
      Out.Irrad = std::max(50.0, (0.25 + 0.50 * Sun) * Ra);

      // Vapour pressure: saturated at a dew point below tmin (on wet days
      // closer to it); in a humid season the dew point may lie above tmin,
      // but never above the daily mean.
      const double DepSeason = C.DewDep + C.DewDepAmp * Wave(D, N, DryAirDay);
      const double DepFloor = DepSeason >= 0 ? 0.0 : -Range / 2.0;
      const double Dep =
          std::max(DepFloor, (Wet && DepSeason > 0 ? 0.3 : 1.0) * DepSeason + 0.7 * RVap.Normal());
      Out.Vapour = SatVapour(Out.TMin - Dep);

      // Wind: seasonal mean with log-normal autocorrelated noise, windier when wet.
      WindNoise = WindCorr * WindNoise + std::sqrt(1.0 - WindCorr * WindCorr) * RWind.Normal();
      const double WindMean = C.Wind * (1.0 + C.WindAmp * Wave(D, N, ColdDay)) * (Wet ? 1.15 : 1.0);
      Out.Wind = std::max(0.3, WindMean * std::exp(WindSd * WindNoise - WindSd * WindSd / 2.0));

      Days.push_back(Out);
    }
  }
  return Days;
}

// ---------------------------------------------------------------- writing

// Rounds to the given decimals and turns -0 into 0, so that "-0.0" is never written.
double Rounded(double V, int Decimals) {
  const double F = std::pow(10.0, Decimals);
  double R = std::round(V * F) / F;
  if (R == 0.0) R = 0.0;
  return R;
}

std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* Fmt, ...) {
  char Buf[512];
  va_list Args;
  va_start(Args, Fmt);
  std::vsnprintf(Buf, sizeof Buf, Fmt, Args);
  va_end(Args);
  return Buf;
}

const char* Eol = "\r\n";

void WriteFile(const std::string& Path, const std::string& Text) {
  FILE* F = std::fopen(Path.c_str(), "wb");
  if (!F) throw std::runtime_error("cannot write " + Path);
  const bool Ok = std::fwrite(Text.data(), 1, Text.size(), F) == Text.size();
  if (std::fclose(F) != 0 || !Ok) throw std::runtime_error("cannot write " + Path);
}

std::string Header(const TStation& S, const std::string& YearLine, const std::string& Columns) {
  std::string T;
  T += "** KRLDESCRIPTION=" + S.Description + Eol;
  T += Format("** KRLFORMAT=%d", S.Format) + Eol;
  T += YearLine + Eol;
  T += std::string("** synthetic weather from the project's seeded generator; not measured data") + Eol;
  T += "** columns: " + Columns + Eol;
  return T;
}

std::string CoordinateLine(const TStation& S) {
  return Format("%6.2f %6.2f %6.1f", Rounded(S.Lon, 2), Rounded(S.Lat, 2), Rounded(S.Alt, 1)) + Eol;
}

void WriteYearly(const TStation& S, const std::vector<TDay>& Days) {
  size_t I = 0;
  for (int Y = S.FirstYear; Y <= S.LastYear; ++Y) {
    std::string T = Header(S, Format("** KRLYEARNR=%d", Y),
                           "station year day irradiation(kJ/m2/d) tmin(C) tmax(C) vapour(kPa) "
                           "wind(m/s) rain(mm/d)");
    T += CoordinateLine(S);
    for (; I < Days.size() && Days[I].Year == Y; ++I) {
      const TDay& D = Days[I];
      T += Format("%2d %4d %3d %5.0f. %5.1f %5.1f %5.2f %4.1f %4.1f", S.Number, D.Year, D.Day,
                  Rounded(D.Irrad, 0), Rounded(D.TMin, 1), Rounded(D.TMax, 1), Rounded(D.Vapour, 2),
                  Rounded(D.Wind, 1), Rounded(D.Rain, 1)) +
           Eol;
    }
    WriteFile(S.Dir + "/" + S.Stem + Format(".%03d", Y % 1000), T);
  }
}

std::string YearsLine(const TStation& S) { return Format("** KRLYEARS=%d-%d", S.FirstYear, S.LastYear); }

void WriteRainfall(const TStation& S, const std::vector<TDay>& Days) {
  std::string T;
  T += "** KRLDESCRIPTION=" + S.Description + Eol;
  T += "** KRLFORMAT=99" + std::string(Eol);
  T += YearsLine(S) + Eol;
  T += std::string("** synthetic rainfall from the project's seeded generator; not measured data") + Eol;
  T += "** columns: year day rain(mm/d)" + std::string(Eol);
  for (const TDay& D : Days) T += Format("%4d %3d %5.1f", D.Year, D.Day, Rounded(D.Rain, 1)) + Eol;
  WriteFile(S.Dir + "/" + S.Stem + ".DAT", T);
}

void WriteMonthly(const TStation& S, const std::vector<TDay>& Days) {
  static const int MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  struct TSum {
    double Irrad = 0, TMin = 0, TMax = 0, Vapour = 0, Wind = 0, Rain = 0, WetDays = 0;
    int Count = 0;
  } Sums[12];
  for (const TDay& D : Days) {
    int M = 0, Left = D.Day;
    while (Left > MonthDays[M] + (M == 1 && IsLeap(D.Year) ? 1 : 0)) {
      Left -= MonthDays[M] + (M == 1 && IsLeap(D.Year) ? 1 : 0);
      ++M;
    }
    TSum& Sm = Sums[M];
    // Sums of the printed (rounded) values, as a reader of the daily files would form them.
    Sm.Irrad += Rounded(D.Irrad, 0);
    Sm.TMin += Rounded(D.TMin, 1);
    Sm.TMax += Rounded(D.TMax, 1);
    Sm.Vapour += Rounded(D.Vapour, 2);
    Sm.Wind += Rounded(D.Wind, 1);
    Sm.Rain += Rounded(D.Rain, 1);
    Sm.WetDays += Rounded(D.Rain, 1) > 0.0 ? 1 : 0;
    ++Sm.Count;
  }
  const double Years = S.LastYear - S.FirstYear + 1;
  std::string T = Header(S, YearsLine(S),
                         "month irradiation(kJ/m2/d) tmin(C) tmax(C) vapour(kPa) wind(m/s) "
                         "rain(mm/month) raindays(d/month); means over the years");
  T += CoordinateLine(S);
  for (int M = 0; M < 12; ++M) {
    const TSum& Sm = Sums[M];
    const double N = Sm.Count;
    T += Format("%2d %5.0f. %5.1f %5.1f %5.2f %4.1f %5.1f %4.1f", M + 1, Rounded(Sm.Irrad / N, 0),
                Rounded(Sm.TMin / N, 1), Rounded(Sm.TMax / N, 1), Rounded(Sm.Vapour / N, 2),
                Rounded(Sm.Wind / N, 1), Rounded(Sm.Rain / Years, 1), Rounded(Sm.WetDays / Years, 1)) +
         Eol;
  }
  WriteFile(S.Dir + "/" + S.Stem + ".DAT", T);
}

// ---------------------------------------------------------------- command line

void Usage() {
  std::fputs(
      "usage: weathergen DIR STEM DESCRIPTION LAT LON ALT FIRSTYEAR LASTYEAR SEED [--key=value ...]\n"
      "  --format=2|99|1  yearly daily files STEM.yyy (2), a rainfall file STEM.DAT (99),\n"
      "                   a monthly climate file STEM.DAT (1); default 2\n"
      "  --station=N      station number in the daily rows (default 1)\n"
      "  climate: --tmean --tamp --tcoldday --tsd --tcorr --dtr --dtramp --wetcool --dewdep\n"
      "           --dewdepamp --dewdeppeak --rain --wetdays --rainamp --rainpeak --persist --shape\n"
      "           --sunshine --sunamp --wind --windamp   (see docs/weather.md)\n",
      stderr);
}

double ToNumber(const std::string& Text, const std::string& What) {
  char* End = nullptr;
  const double V = std::strtod(Text.c_str(), &End);
  if (Text.empty() || *End != '\0' || !std::isfinite(V))
    throw std::runtime_error("not a number for " + What + ": '" + Text + "'");
  return V;
}

int ToInt(const std::string& Text, const std::string& What) {
  const double V = ToNumber(Text, What);
  if (V != std::floor(V) || std::fabs(V) > 1e9) throw std::runtime_error("not an integer for " + What);
  return static_cast<int>(V);
}

TStation ParseArgs(int Argc, char** Argv) {
  std::vector<std::string> Pos;
  std::map<std::string, std::string> Opt;
  for (int I = 1; I < Argc; ++I) {
    const std::string A = Argv[I];
    if (A.rfind("--", 0) == 0) {
      const size_t Eq = A.find('=');
      if (Eq == std::string::npos) throw std::runtime_error("option without value: " + A);
      Opt[A.substr(2, Eq - 2)] = A.substr(Eq + 1);
    } else {
      Pos.push_back(A);
    }
  }
  if (Pos.size() != 9) throw std::runtime_error("expected 9 positional arguments");

  TStation S;
  S.Dir = Pos[0];
  S.Stem = Pos[1];
  S.Description = Pos[2];
  S.Lat = ToNumber(Pos[3], "latitude");
  S.Lon = ToNumber(Pos[4], "longitude");
  S.Alt = ToNumber(Pos[5], "altitude");
  S.FirstYear = ToInt(Pos[6], "first year");
  S.LastYear = ToInt(Pos[7], "last year");
  const std::string& SeedText = Pos[8];
  if (SeedText.empty() || SeedText.find_first_not_of("0123456789") != std::string::npos)
    throw std::runtime_error("the seed must be a non-negative integer");
  S.Seed = std::strtoull(SeedText.c_str(), nullptr, 10);

  if (S.Description.empty()) throw std::runtime_error("the description must not be empty");
  if (std::fabs(S.Lat) > 66.0) throw std::runtime_error("latitude must lie within -66 .. 66");
  if (S.FirstYear < 1000 || S.LastYear > 9999 || S.LastYear < S.FirstYear)
    throw std::runtime_error("years must satisfy 1000 <= first <= last <= 9999");

  TClimate& C = S.Climate;
  std::map<std::string, double*> Keys = {{"tmean", &C.TMean},           {"tamp", &C.TAmp},
                                         {"tcoldday", &C.TColdDay},     {"tsd", &C.TSd},
                                         {"tcorr", &C.TCorr},           {"dtr", &C.Dtr},
                                         {"dtramp", &C.DtrAmp},         {"wetcool", &C.WetCool},
                                         {"dewdep", &C.DewDep},         {"dewdepamp", &C.DewDepAmp},
                                         {"dewdeppeak", &C.DewDepPeak}, {"rain", &C.Rain},
                                         {"wetdays", &C.WetDays},       {"rainamp", &C.RainAmp},
                                         {"rainpeak", &C.RainPeak},     {"persist", &C.Persist},
                                         {"shape", &C.Shape},           {"sunshine", &C.Sunshine},
                                         {"sunamp", &C.SunAmp},         {"wind", &C.Wind},
                                         {"windamp", &C.WindAmp}};
  for (const auto& [Key, Value] : Opt) {
    if (Key == "format") {
      S.Format = ToInt(Value, Key);
    } else if (Key == "station") {
      S.Number = ToInt(Value, Key);
    } else {
      auto It = Keys.find(Key);
      if (It == Keys.end()) throw std::runtime_error("unknown option --" + Key);
      *It->second = ToNumber(Value, "--" + Key);
    }
  }
  if (S.Format != 2 && S.Format != 99 && S.Format != 1)
    throw std::runtime_error("--format must be 2, 99 or 1");
  if (S.Format == 2 &&
      (S.Stem.size() != 4 ||
       S.Stem.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string::npos))
    throw std::runtime_error("a yearly station stem is 4 upper-case letters or digits");
  if (S.Stem.empty() || S.Stem.find_first_of("/\\. ") != std::string::npos)
    throw std::runtime_error("the stem must be a plain file name without extension");
  if (S.Number < 0 || S.Number > 99) throw std::runtime_error("--station must lie within 0 .. 99");
  if (C.WetDays <= 0 || C.WetDays > 300 || C.Rain <= 0)
    throw std::runtime_error("--rain must be positive and --wetdays within 0 .. 300");
  if (C.RainAmp < 0 || C.RainAmp > 0.95) throw std::runtime_error("--rainamp must lie within 0 .. 0.95");
  if (C.Persist < 0 || C.Persist > 0.9) throw std::runtime_error("--persist must lie within 0 .. 0.9");
  if (C.TCorr < 0 || C.TCorr > 0.99) throw std::runtime_error("--tcorr must lie within 0 .. 0.99");
  if (C.Shape < 0.2 || C.Shape > 10) throw std::runtime_error("--shape must lie within 0.2 .. 10");
  if (C.Sunshine <= 0 || C.Sunshine > 1) throw std::runtime_error("--sunshine must lie within 0 .. 1");
  if (C.Wind <= 0 || C.Dtr <= 0 || C.TSd < 0)
    throw std::runtime_error("--wind and --dtr must be positive, --tsd not negative");
  if (C.DewDep < -5 || C.DewDep > 20 || C.DewDepAmp < 0 || C.DewDepAmp > 10 || C.DewDepPeak < 0 ||
      C.DewDepPeak > 366)
    throw std::runtime_error(
        "--dewdep must lie within -5 .. 20, --dewdepamp within 0 .. 10 and --dewdeppeak within 0 .. 366");
  return S;
}

}  // namespace

int main(int Argc, char** Argv) {
  try {
    const TStation S = ParseArgs(Argc, Argv);
    const std::vector<TDay> Days = Generate(S);
    switch (S.Format) {
      case 2: WriteYearly(S, Days); break;
      case 99: WriteRainfall(S, Days); break;
      default: WriteMonthly(S, Days); break;
    }
    return 0;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "weathergen: %s\n", E.what());
    Usage();
    return 2;
  }
}
