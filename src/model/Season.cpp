#include "model/Season.h"

#include <algorithm>
#include <cmath>

void DayOfIndex(int StartYear, int Index, int& Year, int& Doy) {
  Year = StartYear;
  while (Index >= DaysInYear(Year)) {
    Index -= DaysInYear(Year);
    ++Year;
  }
  Doy = Index + 1;
}

namespace {

struct TDay {
  int Year, Doy;
  TDayWeather W;
  double TAvg, TDay, IrradJ, DayL, ET0, ES0;
};

TDay GetDay(const TSeasonInput& In, int Index) {
  TDay D;
  DayOfIndex(In.Year, Index, D.Year, D.Doy);
  D.W = In.Weather(D.Year, D.Doy);
  D.TAvg = 0.5 * (D.W.TMin + D.W.TMax);
  D.TDay = 0.5 * (D.W.TMax + D.TAvg);
  D.IrradJ = D.W.Irrad * 1000.0;
  D.DayL = D.W.DayL >= 0 ? D.W.DayL : DayLength(In.Lat, D.Doy);
  D.ET0 = D.W.ET0 >= 0 ? D.W.ET0 : ReferenceEvaporation(D.W, In.Lat, In.Alt, D.Doy);
  D.ES0 = D.W.ES0 >= 0 ? D.W.ES0 : WetSoilEvaporation(D.W, In.Lat, In.Alt, D.Doy);
  return D;
}

// Index of day number Doy on or after index From.
int IndexOfDoyFrom(int StartYear, int From, int Doy) {
  int Y, D;
  DayOfIndex(StartYear, From, Y, D);
  int Index = From - (D - 1);  // 1 January of that year
  for (;;) {
    const int Cand = Index + std::min(Doy, DaysInYear(Y)) - 1;
    if (Cand >= From) return Cand;
    Index += DaysInYear(Y);
    ++Y;
  }
}

}  // namespace

namespace {

// Variable sowing: the first day from the earliest date on when the top soil
// of the bare field is moist enough, at the latest on the ultimate date.
int VariableSowingDay(const TSeasonInput& In, int WbStart, int Earliest) {
  const TCropParams& CP = *In.Crop;
  const int Last = std::max(Earliest, In.IDLSOW - 1);
  TSoilWater Bare(*In.Soil, *In.Site, CP.RDI, std::min(CP.RDMCR, In.Site->RDMSOL));
  const double Moist = In.Soil->SMW + 0.5 * (In.Soil->SMFCF - In.Soil->SMW);
  for (int t = WbStart; t <= Last; ++t) {
    const TDay D = GetDay(In, t);
    if (t >= Earliest && Bare.SM() >= Moist) return t;
    Bare.Day(D.W.Rain / 10, D.ES0, 0);
  }
  return Last;
}

// Emergence after a temperature sum from sowing, at the latest on day Limit;
// -1 when the sum is not reached by then.
int EmergenceDay(const TSeasonInput& In, int Sow, int Limit) {
  const TCropParams& CP = *In.Crop;
  double Sum = 0;
  for (int t = Sow + 1; t <= Limit; ++t) {
    const TDay D = GetDay(In, t);
    Sum += std::clamp(D.TAvg - CP.TBASEM, 0.0, CP.TEFFMX - CP.TBASEM);
    if (Sum >= CP.TSUMEM) return t;
  }
  return -1;
}

// Development from emergence decides anthesis and maturity; the end is the
// fixed day, maturity within the maximum duration, or the earlier of both.
// A hard frost (TKILL) kills the emerged crop: the season ends that day,
// whatever end was chosen, and the crop does not grow on it.
void PlanDevelopment(const TSeasonInput& In, int FixEnd, TCalendar& C) {
  TCrop Dev(*In.Crop);
  Dev.Emerge();
  const int MaxEnd = C.Em + In.IDURMX;
  int End = In.IENCHO == 1 ? FixEnd : In.IENCHO == 3 ? std::min(FixEnd, MaxEnd) : MaxEnd;
  for (int t = C.Em; t < End; ++t) {
    const TDay D = GetDay(In, t);
    if (D.W.TMin <= In.Crop->TKILL) {
      End = t;
      break;
    }
    if (!Dev.Mature()) Dev.Develop(D.TAvg, D.DayL);
    if (C.Anth < 0 && Dev.DVS >= 1) C.Anth = t + 1;
    if (Dev.Mature() && In.IENCHO != 1) {
      End = t + 1;
      break;
    }
  }
  C.End = End;
}

}  // namespace

TCalendar PlanSeason(const TSeasonInput& In) {
  TCalendar C;
  const int CropStart = (In.ISTCHO == 0 ? In.IDEM : In.ISTCHO == 1 ? In.IDSOW : In.IDESOW) - 1;
  C.WbStart = std::min(In.ISDAY - 1, CropStart);
  if (In.ISTCHO == 0)
    C.Em = CropStart;
  else
    C.Sow = In.ISTCHO == 1 ? CropStart : VariableSowingDay(In, C.WbStart, CropStart);
  const int FixEnd = IndexOfDoyFrom(In.Year, (C.Sow >= 0 ? C.Sow : C.Em) + 1, In.IDAYEN);
  const bool UseFix = In.IENCHO == 1 || In.IENCHO == 3;
  if (C.Sow >= 0) {
    const int Limit = UseFix ? FixEnd : C.Sow + 365;
    C.Em = EmergenceDay(In, C.Sow, Limit);
    if (C.Em < 0) {
      C.Emerged = false;
      C.Em = C.End = Limit;
      return C;
    }
  }
  if (In.ISTCHO == 0 && UseFix && FixEnd <= C.Em) C.Emerged = false;
  PlanDevelopment(In, FixEnd, C);
  return C;
}

namespace {

// The daily loop of one season, potential or water-limited: the crop grows
// from emergence; the water-limited run keeps the soil water balance from its
// start and reduces growth by water shortage.
class TSeasonRun {
 public:
  TSeasonRun(const TSeasonInput& In, const TCalendar& Cal, const TSeasonResult* Potential)
      : FIn(In),
        FCal(Cal),
        FCP(*In.Crop),
        FPotential(Potential),
        FWater(Potential != nullptr),
        FRootMax(std::min(FCP.RDMCR, In.Site->RDMSOL)),
        FCrop(FCP),
        FSoil(*In.Soil, *In.Site, FCP.RDI, FRootMax),
        FFirst(FWater ? Cal.WbStart : Cal.Em),
        FStep(std::max(1, In.PRDEL)) {}

  TSeasonResult Run();

 private:
  void Dates();
  void StartBalance();
  double Reduction(bool Growing);
  void Grow(int t, const TDay& D, bool Growing, double Reduction);
  void Record(int t, const TDay& D, double Tra);
  void CropTotals();
  void WaterTotals();

  const TSeasonInput& FIn;
  const TCalendar& FCal;
  const TCropParams& FCP;
  const TSeasonResult* FPotential;
  const bool FWater;
  const double FRootMax;
  TCrop FCrop;
  TSoilWater FSoil;
  const int FFirst, FStep;
  TSeasonResult FR;
  int FWet = 0, FDry = 0;
  double FTraSum = 0, FEvsSum = 0;  // potential transpiration and soil evaporation, cm
};

TSeasonResult TSeasonRun::Run() {
  Dates();
  StartBalance();
  FR.Rows.reserve(static_cast<size_t>(std::max(0, FCal.End - FFirst) / FStep + 2));
  for (int t = FFirst; t <= FCal.End; ++t) {
    const TDay D = GetDay(FIn, t);
    if (t == FCal.Em && FCal.Emerged) FCrop.Emerge();
    const bool Growing = FCrop.Emerged() && t < FCal.End;
    const double Factor = FWater ? Reduction(Growing) : 1.0;
    const double Tra = Growing ? FCrop.TraMax(D.ET0, D.TAvg) * Factor : 0.0;
    Grow(t, D, Growing, Factor);
    const double EvsMax = FCrop.EvsMax(D.ES0);
    if (FWater) FSoil.Day(D.W.Rain / 10.0, EvsMax, Tra);
    if (Growing) {
      FTraSum += Tra;
      FEvsSum += EvsMax;
      if (D.ET0 > 0) FR.TRNORM += Tra / D.ET0;
    }
    Record(t, D, Tra);
    if (t == FCal.End) break;
    FCrop.Integrate(D.TAvg, D.DayL, Factor, FRootMax);
    if (FWater && FCrop.Emerged()) FSoil.SetRootDepth(FCrop.RD);
  }
  CropTotals();
  WaterTotals();
  return std::move(FR);
}

// The calendar as days of the year, and the durations.
void TSeasonRun::Dates() {
  FR.Year = FIn.Year;
  FR.Emerged = FCal.Emerged;
  int Y;
  DayOfIndex(FIn.Year, FCal.WbStart, Y, FR.WbStartDoy);
  if (FCal.Sow >= 0) DayOfIndex(FIn.Year, FCal.Sow, Y, FR.SowDoy);
  DayOfIndex(FIn.Year, FCal.Em, Y, FR.EmDoy);
  DayOfIndex(FIn.Year, FCal.End, Y, FR.HarvDoy);
  if (FCal.Anth >= 0 && FCal.Emerged) {
    DayOfIndex(FIn.Year, FCal.Anth, Y, FR.AnthDoy);
    FR.FlwrDays = FCal.Anth - FCal.Em;
  }
  FR.Dur = FCal.End - FCal.Em;
}

void TSeasonRun::StartBalance() {
  TBalance& B = FR.Bal;
  B.Groundwater = FIn.Site->IZT == 1;
  B.InitWhole = FSoil.RootWater() + FSoil.LowerWater();
  B.InitSS = FSoil.SurfaceStorage();
  B.InitRoot = FSoil.RootWater();
}

// The reduction of the day's growth and transpiration by drought and, when
// asked for, oxygen shortage; counts the dry and the wet days of the crop.
double TSeasonRun::Reduction(bool Growing) {
  const double Dry = FSoil.DryFactor(FCP.PDEPL);
  const double Wet = (FIn.IOXWL == 1 && FCP.IAIRDU == 0) ? FSoil.WetFactor() : 1.0;
  if (Growing) {
    if (Dry < 1) ++FDry;
    if (FSoil.TooWet()) ++FWet;
  }
  return std::min(Dry, Wet);
}

// The crop's rates of the day. The water-limited crop grows by no more than
// the potential crop grew that day; the potential crop's growth is kept for it.
void TSeasonRun::Grow(int t, const TDay& D, bool Growing, double Reduction) {
  if (!Growing) {
    FCrop.Rates(D.TAvg, D.TDay, 0, D.DayL, 0);
    return;
  }
  const size_t Day = static_cast<size_t>(t - FCal.Em);
  const double Bound = !FWater ? HUGE_VAL : Day < FPotential->Growth.size() ? FPotential->Growth[Day] : 0.0;
  FCrop.Rates(D.TAvg, D.TDay, D.IrradJ, D.DayL, Reduction, Bound);
  if (!FWater) FR.Growth.push_back(FCrop.DMI);
}

// A row of the daily table: the state at the start of the day with the day's
// rates, every output interval, on the emergence day and on the last day.
void TSeasonRun::Record(int t, const TDay& D, double Tra) {
  const bool Due = t == FCal.Em || t == FCal.End || (t - FFirst) % FStep == 0;
  if (!Due || (!FWater && t < FCal.Em)) return;
  TDailyRow Row;
  Row.Year = D.Year;
  Row.Doy = D.Doy;
  Row.Idsem = FCal.Sow >= 0 ? std::max(0, t - FCal.Sow) : std::max(0, t - FCal.Em);
  Row.DVS = FCrop.DVS;
  Row.TSUM = FCrop.TSUM;
  Row.WLV = FCrop.WLV;
  Row.WST = FCrop.WST;
  Row.WSO = FCrop.WSO;
  Row.TAGP = FCrop.WLV + FCrop.WLVD + FCrop.WST + FCrop.WSO;
  Row.LAI = FCrop.LAI;
  Row.TRA = Tra * 10;
  Row.GASS = FCrop.GASS;
  Row.MRES = FCrop.MRES;
  Row.DMI = FCrop.DMI;
  Row.RD = FCrop.Emerged() ? FCrop.RD : FCP.RDI;
  Row.SM = FSoil.SM();
  Row.RESRV = FSoil.Reserve();
  Row.AVAIL = FSoil.Avail();
  Row.RAIN = FSoil.Totals().Rain * 10;
  Row.EVA = FSoil.LastEvaporation() * 10;
  Row.SS = FSoil.SurfaceStorage();
  Row.ZT = FSoil.WaterTable();
  Row.Wet = FWet;
  Row.Dry = FDry;
  FR.Rows.push_back(Row);
}

void TSeasonRun::CropTotals() {
  FR.TWRT = FCrop.WRT;
  FR.TWLV = FCrop.WLV + FCrop.WLVD;
  FR.TWST = FCrop.WST;
  FR.TWSO = FCrop.WSO;
  FR.TAGP = FR.TWLV + FR.TWST + FR.TWSO;
  FR.LAIM = FCrop.LAIM;
  FR.HINDEX = FR.TAGP > 0 ? FR.TWSO / FR.TAGP : 0;
  FR.GASST = FCrop.GASST;
  FR.MREST = FCrop.MREST;
  FR.Wet = FWet;
  FR.Dry = FDry;
}

// The season's water: the balance of the water-limited run, the demand of the
// potential one; mm, the balance in cm.
void TSeasonRun::WaterTotals() {
  if (!FWater) {
    FR.TRANSP = FTraSum * 10;
    FR.EVSOL = FEvsSum * 10;
  } else {
    const TWaterTotals& T = FSoil.Totals();
    FR.TRANSP = T.Tra * 10;
    FR.EVSOL = (T.EvS + T.EvW) * 10;
    FR.RAINT = T.Rain * 10;
    FR.LOSST = T.Loss * 10;
    FR.TSR = T.RunOff * 10;
    TBalance& B = FR.Bal;
    B.FinalWhole = FSoil.RootWater() + FSoil.LowerWater();
    B.FinalSS = FSoil.SurfaceStorage();
    B.FinalRoot = FSoil.RootWater();
    B.Rain = T.Rain;
    B.EvW = T.EvW;
    B.EvS = T.EvS;
    B.Tra = T.Tra;
    B.RunOff = T.RunOff;
    B.Loss = T.Loss;
    B.Infil = T.Infil;
    B.AddRoot = T.AddRoot;
    B.CapRise = T.CapRise;
    B.Perc = T.Perc;
    FR.DELWAT = (B.FinalWhole + B.FinalSS - B.InitWhole - B.InitSS) * 10;
  }
  FR.TRC = FR.TAGP > 0 ? FR.TRANSP * 10000.0 / FR.TAGP : 0;
}

}  // namespace

TSeasonResult SimulateSeason(const TSeasonInput& In, const TCalendar& Cal, const TSeasonResult* Potential) {
  return TSeasonRun(In, Cal, Potential).Run();
}
