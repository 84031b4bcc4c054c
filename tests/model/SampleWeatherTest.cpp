// The sample weather against the climates it imitates: the reference
// evapotranspiration of every month and of the year, worked out here from the
// weather files by the grass-reference Penman-Monteith equation on its own
// (not by the model's code), lies within 10 % of the climatological figures
// listed in docs/weather.md.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Daily grass reference evapotranspiration, mm/d, from the daily values of a
// yearly weather file (irradiation kJ/m2/d, temperatures C, vapour pressure
// kPa, wind m/s at 2 m).
double GrassReference(double Lat, double Alt, int Doy, int DaysInYear, double IrradKj, double TMin,
                      double TMax, double Vap, double Wind) {
  const double Pi = std::acos(-1.0);
  auto Sat = [](double T) { return 0.6108 * std::exp(17.27 * T / (T + 237.3)); };
  const double T = (TMin + TMax) / 2, Es = (Sat(TMin) + Sat(TMax)) / 2, Ea = std::min(Vap, Es);
  const double Slope = 4098 * Sat(T) / std::pow(T + 237.3, 2);
  const double Psy = 0.665e-3 * 101.3 * std::pow((293 - 0.0065 * Alt) / 293, 5.26);
  const double Phi = Lat * Pi / 180, Angle = 2 * Pi * Doy / DaysInYear;
  const double Dr = 1 + 0.033 * std::cos(Angle), Dec = 0.409 * std::sin(Angle - 1.39);
  const double Ws = std::acos(std::max(-1.0, std::min(1.0, -std::tan(Phi) * std::tan(Dec))));
  const double Ra = 1440 / Pi * 0.082 * Dr *
                    (Ws * std::sin(Phi) * std::sin(Dec) + std::cos(Phi) * std::cos(Dec) * std::sin(Ws));
  const double Rs = IrradKj / 1000, Rso = (0.75 + 2e-5 * Alt) * Ra;
  const double Relative = Rso > 0 ? std::min(1.0, Rs / Rso) : 0.5;
  const double Rnl = 4.903e-9 * (std::pow(TMax + 273.16, 4) + std::pow(TMin + 273.16, 4)) / 2 *
                     (0.34 - 0.14 * std::sqrt(Ea)) * (1.35 * Relative - 0.35);
  const double Rn = 0.77 * Rs - Rnl;
  const double Et =
      (0.408 * Slope * Rn + Psy * 900 / (T + 273) * Wind * (Es - Ea)) / (Slope + Psy * (1 + 0.34 * Wind));
  return std::max(0.0, Et);
}

}  // namespace

TEST(SampleWeather, ReferenceEvapotranspirationOfTheImitatedClimates) {
  struct TStation {
    const char* Stem;
    double Monthly[12];  // mm, January to December
  };
  const TStation Stations[] = {
      {"NLD1", {9, 16, 35, 59, 87, 95, 99, 86, 56, 31, 13, 8}},
      {"EST1", {9, 13, 32, 68, 108, 122, 132, 115, 70, 36, 14, 8}},
      {"STH1", {44, 58, 92, 118, 160, 190, 212, 190, 135, 87, 53, 41}},
  };
  const int MonthEnds[] = {31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
  for (const TStation& S : Stations) {
    SCOPED_TRACE(S.Stem);
    double Month[12] = {};
    int Years = 0;
    for (int Year = 1971; Year <= 2000; ++Year, ++Years) {
      char Ext[8];
      std::snprintf(Ext, sizeof Ext, ".%03d", Year % 1000);
      std::ifstream In(std::string(KRL_SOURCE_DIR) + "/data/meteo/merawe/" + S.Stem + Ext);
      ASSERT_TRUE(In) << Year;
      std::string Line;
      double Lon = 0, Lat = 0, Alt = 0;
      bool Site = false;
      const int Days = (Year % 4 == 0) ? 366 : 365;
      while (std::getline(In, Line)) {
        if (Line.empty() || Line[0] == '*') continue;
        std::istringstream W(Line);
        if (!Site) {
          W >> Lon >> Lat >> Alt;
          Site = true;
          continue;
        }
        int Station = 0, Y = 0, Doy = 0;
        double Irrad = 0, TMin = 0, TMax = 0, Vap = 0, Wind = 0;
        W >> Station >> Y >> Doy >> Irrad >> TMin >> TMax >> Vap >> Wind;
        // Months by the days of a common year; the leap day counts to February.
        const int Common = Days == 366 && Doy > 59 ? Doy - 1 : Doy;
        const int M = static_cast<int>(std::lower_bound(MonthEnds, MonthEnds + 12, Common) - MonthEnds);
        Month[std::min(M, 11)] += GrassReference(Lat, Alt, Doy, Days, Irrad, TMin, TMax, Vap, Wind);
      }
    }
    double Annual = 0, Target = 0;
    for (int M = 0; M < 12; ++M) {
      const double Mean = Month[M] / Years;
      Annual += Mean;
      Target += S.Monthly[M];
      // Within 10 %, and within 3 mm in the winter months of a few mm.
      EXPECT_NEAR(Mean, S.Monthly[M], std::max(0.1 * S.Monthly[M], 3.0)) << "month " << M + 1;
    }
    EXPECT_NEAR(Annual, Target, 0.1 * Target);
  }
}
