#include "model/Weather.h"

#include <cmath>

#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
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

bool Number(const TDxLine& L, int No, double& V) {
  long double X;
  if (!TryStrToFloat(L.GetWord(No), X) || !std::isfinite(static_cast<double>(X))) return false;
  V = static_cast<double>(X);
  return true;
}

[[noreturn]] void BadLine(const std::string& File, const std::string& Key, const std::string& Why) {
  throw EModelError(File, Key, {"ERROR in file " + File + ", " + Key + ": " + Why});
}

std::string Annotation(const TDxLine& L, const std::string& Key) {
  const std::string& S = L.Str();
  if (S.compare(0, Key.size(), Key) == 0) return TrimBlanks(S.substr(Key.size()));
  return std::string();
}


// Comment lines (a '*' first) and blank lines carry no data; the first
// description annotation among the comments is kept in Description.
bool IsDataLine(const TDxLine& L, std::string& Description) {
  if (!L.Str().empty() && L.Str()[0] == '*') {
    const std::string D = Annotation(L, "** KRLDESCRIPTION=");
    if (!D.empty() && Description.empty()) Description = D;
    return false;
  }
  return L.NoOfWords() > 0;
}
}  // namespace

TWeatherYear ReadWeatherYear(const std::string& FileName, int Year) {
  if (!FileExists(FileName))
    throw EModelError(FileName, "CLFILE",
                      {"ERROR in file " + FileName + ", key CLFILE: weather file not found",
                       Format("  Year %d of the weather station is needed and has no file.", Year)});
  TDxTextFile F(FileName);
  TWeatherYear W;
  W.Year = Year;
  W.FileName = FileName;
  bool HaveSite = false;
  int LineNo = 0;
  while (F.NextLine()) {
    ++LineNo;
    const TDxLine& L = F.Line();
    if (!IsDataLine(L, W.Description)) continue;
    const std::string Where = Format("line %d", LineNo);
    if (!HaveSite) {
      if (L.NoOfWords() < 3 || !Number(L, 1, W.Lon) || !Number(L, 2, W.Lat) || !Number(L, 3, W.Alt))
        BadLine(FileName, Where, "longitude, latitude and altitude expected");
      if (std::fabs(W.Lat) > 90 || std::fabs(W.Lon) > 360) BadLine(FileName, Where, "latitude or longitude out of range");
      HaveSite = true;
      continue;
    }
    double V[9];
    if (L.NoOfWords() < 9) BadLine(FileName, Where, "nine values expected (station year day irradiation tmin tmax vapour wind rain)");
    for (int i = 0; i < 9; ++i)
      if (!Number(L, i + 1, V[i])) BadLine(FileName, Where, "'" + L.GetWord(i + 1) + "' is not a number");
    if (static_cast<int>(V[1]) != Year) BadLine(FileName, Where, Format("year %d expected", Year));
    const int Day = static_cast<int>(V[2]);
    if (Day != static_cast<int>(W.Days.size()) + 1) BadLine(FileName, Where, Format("day %d expected", static_cast<int>(W.Days.size()) + 1));
    TDayWeather D{V[3], V[4], V[5], V[6], V[7], V[8]};
    if (D.Irrad < 0 || D.Irrad > 50000) BadLine(FileName, Where, "irradiation outside 0 - 50000 kJ/m2/d");
    if (D.TMin < -70 || D.TMax > 70 || D.TMin > D.TMax + 1e-9) BadLine(FileName, Where, "temperatures outside -70 - 70 C or minimum above maximum");
    if (D.Rain < 0 || D.Rain > 1000) BadLine(FileName, Where, "rain outside 0 - 1000 mm/d");
    if (D.Vap < 0 || D.Wind < 0) BadLine(FileName, Where, "negative vapour pressure or wind speed");
    W.Days.push_back(D);
  }
  if (!HaveSite) BadLine(FileName, "line 1", "the file holds no longitude, latitude and altitude line");
  if (static_cast<int>(W.Days.size()) != DaysInYear(Year))
    BadLine(FileName, Format("day %d", static_cast<int>(W.Days.size()) + 1),
            Format("the file holds %d days of the %d of year %d (truncated file?)", static_cast<int>(W.Days.size()),
                   DaysInYear(Year), Year));
  return W;
}

TRainFile ReadRainFile(const std::string& FileName) {
  if (!FileExists(FileName))
    throw EModelError(FileName, "RAFILE", {"ERROR in file " + FileName + ", key RAFILE: rainfall file not found"});
  TDxTextFile F(FileName);
  TRainFile R;
  R.FileName = FileName;
  int LineNo = 0;
  while (F.NextLine()) {
    ++LineNo;
    const TDxLine& L = F.Line();
    if (!IsDataLine(L, R.Description)) continue;
    const std::string Where = Format("line %d", LineNo);
    double V[3];
    if (L.NoOfWords() < 3) BadLine(FileName, Where, "year, day and rain expected");
    for (int i = 0; i < 3; ++i)
      if (!Number(L, i + 1, V[i])) BadLine(FileName, Where, "'" + L.GetWord(i + 1) + "' is not a number");
    const int Year = static_cast<int>(V[0]), Day = static_cast<int>(V[1]);
    std::vector<double>& Days = R.Years[Year];
    if (Day != static_cast<int>(Days.size()) + 1 || Day > DaysInYear(Year))
      BadLine(FileName, Where, Format("day %d of year %d expected", static_cast<int>(Days.size()) + 1, Year));
    if (V[2] < 0 || V[2] > 1000) BadLine(FileName, Where, "rain outside 0 - 1000 mm/d");
    Days.push_back(V[2]);
  }
  for (const auto& Y : R.Years)
    if (static_cast<int>(Y.second.size()) != DaysInYear(Y.first))
      BadLine(FileName, Format("year %d", Y.first),
              Format("the file holds %d days of year %d (truncated file?)", static_cast<int>(Y.second.size()), Y.first));
  return R;
}

int ReadWeatherFormat(const std::string& FileName) {
  if (!FileExists(FileName)) return -1;
  TDxTextFile F(FileName);
  while (F.NextLine()) {
    const std::string V = Annotation(F.Line(), "** KRLFORMAT=");
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
