#include "model/Weather.h"

#include <cmath>

#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "model/InputLines.h"
#include "model/ModelInput.h"
#include "platform/FileSys.h"

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
      if (std::fabs(W.Lat) > 90 || std::fabs(W.Lon) > 360) BadLine(FileName, L.No, "latitude or longitude out of range");
      HaveSite = true;
      continue;
    }
    double V[9];
    if (Words.size() < 9) BadLine(FileName, L.No, "nine values expected (station year day irradiation tmin tmax vapour wind rain)");
    for (size_t i = 0; i < 9; ++i)
      if (!Number(Words, i + 1, V[i])) BadLine(FileName, L.No, "'" + Words[i] + "' is not a number");
    if (static_cast<int>(V[1]) != Year) BadLine(FileName, L.No, Format("year %d expected", Year));
    const int Day = static_cast<int>(V[2]);
    if (Day != static_cast<int>(W.Days.size()) + 1) BadLine(FileName, L.No, Format("day %d expected", static_cast<int>(W.Days.size()) + 1));
    TDayWeather D{V[3], V[4], V[5], V[6], V[7], V[8]};
    if (D.Irrad < 0 || D.Irrad > 50000) BadLine(FileName, L.No, "irradiation outside 0 - 50000 kJ/m2/d");
    if (D.TMin < -70 || D.TMax > 70 || D.TMin > D.TMax + 1e-9) BadLine(FileName, L.No, "temperatures outside -70 - 70 C or minimum above maximum");
    if (D.Rain < 0 || D.Rain > 1000) BadLine(FileName, L.No, "rain outside 0 - 1000 mm/d");
    if (D.Vap < 0 || D.Wind < 0) BadLine(FileName, L.No, "negative vapour pressure or wind speed");
    W.Days.push_back(D);
  }
  if (!HaveSite) BadLine(FileName, std::max(1, LastLine), "the file holds no longitude, latitude and altitude line");
  if (static_cast<int>(W.Days.size()) != DaysInYear(Year))
    BadLine(FileName, LastLine + 1,
            Format("day %d: the file holds %d days of the %d of year %d (truncated file?)", static_cast<int>(W.Days.size()) + 1,
                   static_cast<int>(W.Days.size()), DaysInYear(Year), Year));
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
    const int Year = static_cast<int>(V[0]), Day = static_cast<int>(V[1]);
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
