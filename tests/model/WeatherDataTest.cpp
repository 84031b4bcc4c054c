// The committed sample weather data (data/meteo): complete stations, exact
// annotation lines, rows in order and values in plausible ranges.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string MeteoDir = std::string(KRL_SOURCE_DIR) + "/data/meteo/";

bool IsLeap(int Y) { return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0; }

// One data file: its comment lines (first character '*') and its other lines
// split into words on blanks.
struct TDataFile {
  std::vector<std::string> Comments;
  std::vector<std::vector<std::string>> Rows;
};

TDataFile ReadDataFile(const std::string& Path) {
  TDataFile F;
  TDxTextFile T(Path);
  while (T.NextLine()) {
    const std::string& S = T.Line().Str();
    if (!S.empty() && S[0] == '*')
      F.Comments.push_back(S);
    else
      F.Rows.push_back(T.Line().WordList());
  }
  return F;
}

bool Num(const std::string& S, double& V) {
  long double L;
  if (!TryStrToFloat(S, L)) return false;
  V = static_cast<double>(L);
  return true;
}

// Every line break of the file is CR LF.
bool OnlyCrLf(const std::string& Path) {
  const std::string B = ReadFileBytes(Path);
  for (size_t I = 0; I < B.size(); ++I)
    if (B[I] == '\n' && (I == 0 || B[I - 1] != '\r')) return false;
  return !B.empty() && B.back() == '\n';
}

std::string AnnotationValue(const TDataFile& F, const std::string& Key) {
  for (const std::string& C : F.Comments)
    if (C.rfind(Key + "=", 0) == 0) return C.substr(Key.size() + 1);
  return "";
}

// The coordinate line: longitude, latitude, altitude.
std::string CheckCoordinates(const std::vector<std::string>& Row) {
  double Lon, Lat, Alt;
  if (Row.size() != 3 || !Num(Row[0], Lon) || !Num(Row[1], Lat) || !Num(Row[2], Alt))
    return "coordinate line is not three numbers";
  if (Lon < -180 || Lon > 180 || Lat < -66 || Lat > 66 || Alt < -100 || Alt > 5000)
    return "coordinates out of range";
  return "";
}

struct TYearSums {
  double Rain = 0, TMean = 0;
};

// A yearly weather file of the given year; "" when it is good.
std::string CheckYearlyFile(const std::string& Path, const std::string& Description, int Year,
                            TYearSums& Sums) {
  if (!OnlyCrLf(Path)) return "line ends are not all CR LF";
  const TDataFile F = ReadDataFile(Path);
  if (F.Comments.size() < 3 || F.Comments[0] != "** KRLDESCRIPTION=" + Description ||
      F.Comments[1] != "** KRLFORMAT=2" || F.Comments[2] != "** KRLYEARNR=" + std::to_string(Year))
    return "annotation lines differ";
  if (F.Rows.empty()) return "no data";
  const std::string Coord = CheckCoordinates(F.Rows[0]);
  if (!Coord.empty()) return Coord;
  const size_t Days = IsLeap(Year) ? 366 : 365;
  if (F.Rows.size() != Days + 1) return "not one row per day of the year";
  std::string Station;
  for (size_t I = 1; I < F.Rows.size(); ++I) {
    const auto& R = F.Rows[I];
    const std::string Where = "row of day " + std::to_string(I) + ": ";
    double V[9];
    if (R.size() != 9) return Where + "not 9 words";
    for (int K = 0; K < 9; ++K)
      if (!Num(R[K], V[K])) return Where + "word " + std::to_string(K + 1) + " is not a number";
    if (I == 1) Station = R[0];
    if (R[0] != Station) return Where + "station number changes";
    if (V[1] != Year || V[2] != static_cast<double>(I)) return Where + "year or day number out of order";
    if (R[3].back() != '.' || V[3] != static_cast<long>(V[3]))
      return Where + "irradiation not whole with '.'";
    const double Irrad = V[3], TMin = V[4], TMax = V[5], Vap = V[6], Wind = V[7], Rain = V[8];
    if (Irrad <= 0 || Irrad > 35000) return Where + "irradiation out of range";
    if (TMin > TMax || TMin < -45 || TMax > 50) return Where + "temperatures out of range";
    if (Vap <= 0 || Vap > 5) return Where + "vapour pressure out of range";
    if (Wind < 0 || Wind > 40) return Where + "wind out of range";
    if (Rain < 0 || Rain > 250) return Where + "rain out of range";
    Sums.Rain += Rain;
    Sums.TMean += (TMin + TMax) / 2 / Days;
  }
  if (Sums.Rain < 150 || Sums.Rain > 2000) return "annual rain out of range";
  return "";
}

TEST(WeatherData, YearlyStationsAreCompleteAndPlausible) {
  // Files by station stem (the name before the full stop).
  std::map<std::string, std::vector<std::string>> Stations;
  for (const auto& E : fs::directory_iterator(MeteoDir + "merawe")) {
    const std::string Name = E.path().filename().string();
    ASSERT_EQ(8u, Name.size()) << Name;
    ASSERT_EQ('.', Name[4]) << Name;
    Stations[Name.substr(0, 4)].push_back(E.path().string());
  }
  ASSERT_GE(Stations.size(), 3u);

  std::set<std::string> Descriptions;
  for (auto& [Stem, Files] : Stations) {
    SCOPED_TRACE(Stem);
    EXPECT_EQ(Stem, UpperCase(Stem));
    const std::string Description = AnnotationValue(ReadDataFile(Files[0]), "** KRLDESCRIPTION");
    EXPECT_FALSE(Description.empty());
    EXPECT_TRUE(Descriptions.insert(Description).second) << "two stations share " << Description;

    // The years, each file named by the last three digits of its year.
    std::vector<int> Years;
    for (const std::string& Path : Files) {
      const int Year = IntOrZero(AnnotationValue(ReadDataFile(Path), "** KRLYEARNR"));
      char Ext[8];
      std::snprintf(Ext, sizeof Ext, ".%03d", Year % 1000);
      EXPECT_EQ(Stem + Ext, fs::path(Path).filename().string());
      Years.push_back(Year);
    }
    std::sort(Years.begin(), Years.end());
    ASSERT_EQ(30u, Years.size());
    for (size_t I = 1; I < Years.size(); ++I) EXPECT_EQ(Years[0] + static_cast<int>(I), Years[I]);

    double Rain = 0, TMean = 0;
    for (const std::string& Path : Files) {
      TYearSums Sums;
      const int Year = IntOrZero(AnnotationValue(ReadDataFile(Path), "** KRLYEARNR"));
      EXPECT_EQ("", CheckYearlyFile(Path, Description, Year, Sums)) << Path;
      Rain += Sums.Rain / Files.size();
      TMean += Sums.TMean / Files.size();
    }
    EXPECT_GT(Rain, 300);
    EXPECT_LT(Rain, 1500);
    EXPECT_GT(TMean, 0);
    EXPECT_LT(TMean, 25);
  }
}

TEST(WeatherData, ClimateDirectoryHoldsRainfallAndMonthlyFiles) {
  int RainFiles = 0, MonthlyFiles = 0;
  for (const auto& E : fs::directory_iterator(MeteoDir + "climd")) {
    const std::string Path = E.path().string();
    SCOPED_TRACE(Path);
    EXPECT_TRUE(OnlyCrLf(Path));
    const TDataFile F = ReadDataFile(Path);
    ASSERT_GE(F.Comments.size(), 3u);
    EXPECT_EQ(0u, F.Comments[0].rfind("** KRLDESCRIPTION=", 0));
    const std::string Years = AnnotationValue(F, "** KRLYEARS");
    ASSERT_EQ("** KRLYEARS=" + Years, F.Comments[2]);
    ASSERT_EQ(9u, Years.size());
    const int First = IntOrZero(Years.substr(0, 4)), Last = IntOrZero(Years.substr(5));
    ASSERT_LE(First, Last);

    if (F.Comments[1] == "** KRLFORMAT=99") {
      // year, day, rain: every day of every year of the range, in order.
      ++RainFiles;
      size_t I = 0;
      for (int Y = First; Y <= Last; ++Y) {
        double Annual = 0;
        for (int D = 1; D <= (IsLeap(Y) ? 366 : 365); ++D, ++I) {
          ASSERT_LT(I, F.Rows.size());
          const auto& R = F.Rows[I];
          double Rain;
          ASSERT_EQ(3u, R.size());
          ASSERT_EQ(std::to_string(Y), R[0]);
          ASSERT_EQ(std::to_string(D), R[1]);
          ASSERT_TRUE(Num(R[2], Rain));
          ASSERT_GE(Rain, 0);
          Annual += Rain;
        }
        EXPECT_GT(Annual, 150) << Y;
        EXPECT_LT(Annual, 2000) << Y;
      }
      EXPECT_EQ(F.Rows.size(), I);
    } else if (F.Comments[1] == "** KRLFORMAT=1") {
      // The coordinate line, then month, irradiation, tmin, tmax, vapour, wind,
      // monthly rain and rainy days for the twelve months.
      ++MonthlyFiles;
      ASSERT_EQ(13u, F.Rows.size());
      EXPECT_EQ("", CheckCoordinates(F.Rows[0]));
      for (int M = 1; M <= 12; ++M) {
        const auto& R = F.Rows[M];
        double V[8];
        ASSERT_EQ(8u, R.size());
        for (int K = 0; K < 8; ++K) ASSERT_TRUE(Num(R[K], V[K])) << R[K];
        EXPECT_EQ(M, V[0]);
        EXPECT_GT(V[1], 0);
        EXPECT_LE(V[2], V[3]);
        EXPECT_GE(V[6], 0);
        EXPECT_LE(V[7], 31);
      }
    }
  }
  EXPECT_GE(RainFiles, 1);
  EXPECT_GE(MonthlyFiles, 1);
}

}  // namespace
