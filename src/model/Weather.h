#pragma once
// Daily weather for the crop model: yearly weather files (one file per
// station and year, named by the station stem and the last three digits of the
// year) and rainfall files of many years. Files are read once and kept.

#include <map>
#include <string>
#include <vector>

#include "model/ModelInput.h"

struct TDayWeather {
  double Irrad = 0;           // kJ/m2/d
  double TMin = 0, TMax = 0;  // C
  double Vap = 0;             // kPa
  double Wind = 0;            // m/s
  double Rain = 0;            // mm/d
  // The day length (h), reference evapotranspiration and evaporation of a
  // wet bare soil (cm/d) at the station's own site, worked out once when the
  // file is read (a season asks for them several times, every rerun again);
  // below 0 when not known.
  double DayL = -1, ET0 = -1, ES0 = -1;
};

struct TWeatherYear {
  int Year = 0;
  double Lon = 0, Lat = 0, Alt = 0;
  std::string Description;  // the file's KRLDESCRIPTION, empty when none
  std::string FileName;
  std::vector<TDayWeather> Days;  // day 1 at index 0
};

// Astronomical day length (hours) at a latitude (degrees) on a day of the year.
double DayLength(double Lat, int Doy);

// Reference evapotranspiration of a day, cm/d: the evapotranspiration of a
// short, well-watered grass cover by the Penman-Monteith equation in the
// form of the FAO guidelines for crop water requirements (Allen et al. 1998),
// from the day's irradiation, temperatures, vapour pressure and wind speed
// (taken at 2 m) at a latitude (degrees) and altitude (m).
double ReferenceEvaporation(const TDayWeather& W, double Lat, double Alt, int Doy);

// The albedo of a moist bare soil.
constexpr double BareSoilAlbedo = 0.15;

// Evaporation of a day from a wet bare soil, cm/d: the Penman-Monteith
// equation of ReferenceEvaporation with the soil's albedo and no surface
// resistance (the surface is wet). A soil evaporates at this rate, under the
// share of the light its cover lets through, until its top has dried.
double WetSoilEvaporation(const TDayWeather& W, double Lat, double Alt, int Doy);

// Days in a year by the Gregorian rule.
int DaysInYear(int Year);

// The name of the yearly file of a station: directory, stem ending in a full
// stop, last three digits of the year.
std::string WeatherFileName(const std::string& Dir, const std::string& Station, int Year);

// A year of weather or rain that a season needs is not there: the weather
// data have run out. Seasons simulated before it are kept.
class EWeatherMissing : public EModelError {
 public:
  EWeatherMissing(const std::string& File, const std::string& Key, int Year,
                  const std::vector<std::string>& Lines)
      : EModelError(File, Key, Lines), FYear(Year) {}
  int Year() const { return FYear; }

 private:
  int FYear;
};

// Reads one yearly weather file: EWeatherMissing when there is none,
// EModelError naming the line on a bad line.
TWeatherYear ReadWeatherYear(const std::string& FileName, int Year);

// Rain of a rainfall file, by year.
struct TRainFile {
  std::string FileName;
  std::string Description;
  std::map<int, std::vector<double>> Years;  // mm/d, day 1 at index 0
};
TRainFile ReadRainFile(const std::string& FileName);

// Reads a file's "** KRLFORMAT=" value; -1 when it has none.
int ReadWeatherFormat(const std::string& FileName);

class TWeatherStore {
 public:
  const TWeatherYear& Year(const std::string& Dir, const std::string& Station, int Year);
  const TRainFile& Rain(const std::string& FileName);

 private:
  std::map<std::string, TWeatherYear> FYears;
  std::map<std::string, TRainFile> FRain;
};
