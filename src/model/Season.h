#pragma once
// One growing season: the crop calendar (water balance start, sowing,
// emergence, anthesis, end) and the daily loop for potential and for
// water-limited growth.

#include <functional>
#include <string>
#include <vector>

#include "model/Crop.h"
#include "model/SoilWater.h"
#include "model/Weather.h"

struct TDailyRow {
  int Year = 0, Doy = 0, Idsem = 0;
  double DVS = 0, TSUM = 0, WLV = 0, WST = 0, WSO = 0, TAGP = 0, LAI = 0;
  double TRA = 0;  // mm/d
  double GASS = 0, MRES = 0, DMI = 0;
  double RD = 0, SM = 0, RESRV = 0, AVAIL = 0, RAIN = 0 /* mm since the balance start */, EVA = 0 /* mm/d */;
  double SS = 0, ZT = 0;
  int Wet = 0, Dry = 0;
};

// The water balance of a season, cm.
struct TBalance {
  bool Groundwater = false;
  double InitWhole = 0, FinalWhole = 0, InitSS = 0, FinalSS = 0, Irrigation = 0, Rain = 0;
  double EvW = 0, EvS = 0, Tra = 0, RunOff = 0, Loss = 0;
  double InitRoot = 0, FinalRoot = 0, Infil = 0, AddRoot = 0, CapRise = 0, Perc = 0;
  double InWhole() const { return InitWhole + InitSS + Rain + Irrigation; }
  double OutWhole() const { return FinalWhole + FinalSS + EvW + EvS + Tra + RunOff + Loss; }
  double InRoot() const { return InitRoot + Infil + AddRoot + CapRise; }
  double OutRoot() const { return FinalRoot + EvS + Tra + Perc; }
};

struct TSeasonResult {
  int Year = 0;  // the weather year the season starts in
  int WbStartDoy = 1, SowDoy = 0, EmDoy = 0, AnthDoy = 0, HarvDoy = 0, Dur = 0, FlwrDays = 0;
  bool Emerged = true;
  double TWRT = 0, TWLV = 0, TWST = 0, TWSO = 0, TAGP = 0, LAIM = 0, HINDEX = 0, TRC = 0, GASST = 0,
         MREST = 0;
  double TRANSP = 0, EVSOL = 0, RAINT = 0, DELWAT = 0, LOSST = 0, TSR = 0;  // mm
  int Wet = 0, Dry = 0;
  // Transpiration normalised by the reference evapotranspiration, summed
  // over the crop's days: biomass over it is the water productivity.
  double TRNORM = 0;
  std::vector<TDailyRow> Rows;
  TBalance Bal;
  // Dry matter increase of each day from emergence on, kg/ha/d.
  std::vector<double> Growth;
};

// The crop calendar's settings and the output interval.
struct TSeasonSettings {
  int ISTCHO = 1, IDEM = 1, IDSOW = 1, IDESOW = 100, IDLSOW = 140, IENCHO = 2, IDAYEN = 270, IDURMX = 260;
  int ISDAY = 1, IOXWL = 0, PRDEL = 1;
};

struct TSeasonInput : TSeasonSettings {
  const TCropParams* Crop = nullptr;
  const TSoilParams* Soil = nullptr;
  const TSiteParams* Site = nullptr;
  int Year = 0;
  double Lat = 52, Alt = 0;  // of the weather station: degrees, m
  // Weather of a day given by year and day number; throws when missing.
  std::function<TDayWeather(int Year, int Doy)> Weather;
};

// Days of the season, counted from 1 January of the start year (index 0).
struct TCalendar {
  int WbStart = 0, Sow = -1, Em = 0, Anth = -1, End = 0;
  bool Emerged = true;
};

TCalendar PlanSeason(const TSeasonInput& In);

// Simulates the season: potential growth without Potential, water-limited
// growth with the potential season of the same inputs. Water shortage only
// takes away: each day the water-limited crop grows by its own assimilation,
// reduced by drought or oxygen shortage, but never by more than the potential
// crop grew that day. (Left alone, a smaller crop pays less maintenance and
// loses fewer leaves to self-shading, and late in the season could fill more
// storage organs than the potential crop whose assimilates all go into
// upkeep.) So no organ of the water-limited crop ever outweighs the potential
// crop's.
TSeasonResult SimulateSeason(const TSeasonInput& In, const TCalendar& Cal, const TSeasonResult* Potential);

// Year and day number of a season day index.
void DayOfIndex(int StartYear, int Index, int& Year, int& Doy);
