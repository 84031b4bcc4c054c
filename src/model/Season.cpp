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
  double TAvg, TDay, IrradJ, DayL, ET0;
};

TDay GetDay(const TSeasonInput& In, int Index) {
  TDay D;
  DayOfIndex(In.Year, Index, D.Year, D.Doy);
  D.W = In.Weather(D.Year, D.Doy);
  D.TAvg = 0.5 * (D.W.TMin + D.W.TMax);
  D.TDay = 0.5 * (D.W.TMax + D.TAvg);
  D.IrradJ = D.W.Irrad * 1000.0;
  D.DayL = DayLength(In.Lat, D.Doy);
  D.ET0 = ReferenceEvaporation(D.W, In.Lat, In.Alt, D.Doy);
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

TCalendar PlanSeason(const TSeasonInput& In) {
  const TCropParams& CP = *In.Crop;
  TCalendar C;
  int CropStart = 0;
  switch (In.ISTCHO) {
    case 0: CropStart = In.IDEM - 1; break;
    case 1: CropStart = In.IDSOW - 1; break;
    default: CropStart = In.IDESOW - 1; break;
  }
  C.WbStart = std::min(In.ISDAY - 1, CropStart);
  if (In.ISTCHO == 0) {
    C.Em = CropStart;
  } else if (In.ISTCHO == 1) {
    C.Sow = CropStart;
  } else {
    // Variable sowing: the first day from the earliest date on when the top
    // soil is moist enough, at the latest on the ultimate date.
    const int Last = std::max(CropStart, In.IDLSOW - 1);
    TSoilWater Bare(*In.Soil, *In.Site, CP.RDI, std::min(CP.RDMCR, In.Site->RDMSOL));
    const double Moist = In.Soil->SMW + 0.5 * (In.Soil->SMFCF - In.Soil->SMW);
    C.Sow = Last;
    for (int t = C.WbStart; t <= Last; ++t) {
      const TDay D = GetDay(In, t);
      if (t >= CropStart && Bare.SM() >= Moist) {
        C.Sow = t;
        break;
      }
      Bare.Day(D.W.Rain / 10, D.ET0, 0);
    }
  }
  const int Start = C.Sow >= 0 ? C.Sow : C.Em;
  const int FixEnd = IndexOfDoyFrom(In.Year, Start + 1, In.IDAYEN);
  const bool UseFix = In.IENCHO == 1 || In.IENCHO == 3;
  if (C.Sow >= 0) {
    // Emergence after a temperature sum from sowing.
    const int Limit = UseFix ? FixEnd : C.Sow + 365;
    double Sum = 0;
    C.Emerged = false;
    for (int t = C.Sow + 1; t <= Limit; ++t) {
      const TDay D = GetDay(In, t);
      Sum += std::clamp(D.TAvg - CP.TBASEM, 0.0, CP.TEFFMX - CP.TBASEM);
      if (Sum >= CP.TSUMEM) {
        C.Em = t;
        C.Emerged = true;
        break;
      }
    }
    if (!C.Emerged) {
      C.Em = C.End = Limit;
      return C;
    }
  }
  if (In.ISTCHO == 0 && UseFix && FixEnd <= C.Em) C.Emerged = false;
  // Development decides maturity; the end follows from the end choice.
  TCrop Dev(CP);
  Dev.Emerge();
  const int MaxEnd = C.Em + In.IDURMX;
  int End = UseFix ? FixEnd : MaxEnd;
  if (In.IENCHO == 3) End = std::min(FixEnd, MaxEnd);
  for (int t = C.Em; t < End; ++t) {
    const TDay D = GetDay(In, t);
    Dev.Rates(D.TAvg, D.TDay, 0, D.DayL, 0);
    Dev.Integrate(D.TAvg, 1, 0);
    if (C.Anth < 0 && Dev.DVS >= 1) C.Anth = t + 1;
    if (Dev.Mature() && In.IENCHO != 1) {
      End = t + 1;
      break;
    }
  }
  C.End = End;
  return C;
}

TSeasonResult SimulateSeason(const TSeasonInput& In, const TCalendar& Cal, const TSeasonResult* Potential) {
  const TCropParams& CP = *In.Crop;
  const bool Water = Potential != nullptr;
  TSeasonResult R;
  R.Year = In.Year;
  R.Emerged = Cal.Emerged;
  int Y;
  DayOfIndex(In.Year, Cal.WbStart, Y, R.WbStartDoy);
  if (Cal.Sow >= 0) DayOfIndex(In.Year, Cal.Sow, Y, R.SowDoy);
  DayOfIndex(In.Year, Cal.Em, Y, R.EmDoy);
  DayOfIndex(In.Year, Cal.End, Y, R.HarvDoy);
  if (Cal.Anth >= 0 && Cal.Emerged) {
    DayOfIndex(In.Year, Cal.Anth, Y, R.AnthDoy);
    R.FlwrDays = Cal.Anth - Cal.Em;
  }
  R.Dur = Cal.End - Cal.Em;

  const double RootMax = std::min(CP.RDMCR, In.Site->RDMSOL);
  TCrop Crop(CP);
  TSoilWater Soil(*In.Soil, *In.Site, CP.RDI, RootMax);
  R.Bal.Groundwater = In.Site->IZT == 1;
  R.Bal.InitWhole = Soil.RootWater() + Soil.LowerWater();
  R.Bal.InitSS = Soil.SurfaceStorage();
  R.Bal.InitRoot = Soil.RootWater();
  const int Step = std::max(1, In.PRDEL);
  const int First = Water ? Cal.WbStart : Cal.Em;
  int Wet = 0, Dry = 0;
  double TraSum = 0, EvsSum = 0;
  for (int t = First; t <= Cal.End; ++t) {
    const TDay D = GetDay(In, t);
    if (t == Cal.Em && Cal.Emerged) Crop.Emerge();
    const bool Growing = Crop.Emerged() && t < Cal.End;
    const double TraMax = Crop.TraMax(D.ET0);
    double Reduction = 1, Tra = TraMax;
    if (Water) {
      const double Dry1 = Soil.DryFactor(CP.PDEPL);
      const double Wet1 = (In.IOXWL == 1 && CP.IAIRDU == 0) ? Soil.WetFactor() : 1.0;
      Reduction = std::min(Dry1, Wet1);
      Tra = TraMax * Reduction;
      if (Growing) {
        if (Dry1 < 1) ++Dry;
        if (Soil.TooWet()) ++Wet;
      }
    }
    if (Growing) {
      const size_t Day = static_cast<size_t>(t - Cal.Em);
      const double Bound = !Water ? HUGE_VAL : Day < Potential->Growth.size() ? Potential->Growth[Day] : 0.0;
      Crop.Rates(D.TAvg, D.TDay, D.IrradJ, D.DayL, Reduction, Bound);
      if (!Water) R.Growth.push_back(Crop.DMI);
    } else {
      Crop.Rates(D.TAvg, D.TDay, 0, D.DayL, 0);
    }
    if (!Growing) Tra = 0;
    const double EvsMax = Crop.EvsMax(D.ET0);
    if (Water) Soil.Day(D.W.Rain / 10.0, EvsMax, Tra);
    if (Crop.Emerged() && t < Cal.End) {
      TraSum += Tra;
      if (!Water) EvsSum += EvsMax;
    }
    // The row shows the state at the start of the day with the day's rates.
    const bool Out = t == Cal.Em || t == Cal.End || (t - First) % Step == 0;
    if (Out && (Water || t >= Cal.Em)) {
      TDailyRow Row;
      Row.Year = D.Year;
      Row.Doy = D.Doy;
      Row.Idsem = Cal.Sow >= 0 ? std::max(0, t - Cal.Sow) : std::max(0, t - Cal.Em);
      Row.DVS = Crop.DVS;
      Row.TSUM = Crop.TSUM;
      Row.WLV = Crop.WLV;
      Row.WST = Crop.WST;
      Row.WSO = Crop.WSO;
      Row.TAGP = Crop.WLV + Crop.WLVD + Crop.WST + Crop.WSO;
      Row.LAI = Crop.LAI;
      Row.TRA = Tra * 10;
      Row.GASS = Crop.GASS;
      Row.MRES = Crop.MRES;
      Row.DMI = Crop.DMI;
      Row.RD = Crop.Emerged() ? Crop.RD : CP.RDI;
      Row.SM = Soil.SM();
      Row.RESRV = Soil.Reserve();
      Row.AVAIL = Soil.Avail();
      Row.RAIN = Soil.Totals().Rain * 10;
      Row.EVA = Soil.LastEvaporation() * 10;
      Row.SS = Soil.SurfaceStorage();
      Row.ZT = Soil.WaterTable();
      Row.Wet = Wet;
      Row.Dry = Dry;
      R.Rows.push_back(Row);
    }
    if (t == Cal.End) break;
    Crop.Integrate(D.TAvg, Water ? Reduction : 1.0, RootMax);
    if (Water && Crop.Emerged()) Soil.SetRootDepth(Crop.RD);
  }
  R.TWRT = Crop.WRT;
  R.TWLV = Crop.WLV + Crop.WLVD;
  R.TWST = Crop.WST;
  R.TWSO = Crop.WSO;
  R.TAGP = R.TWLV + R.TWST + R.TWSO;
  R.LAIM = Crop.LAIM;
  R.HINDEX = R.TAGP > 0 ? R.TWSO / R.TAGP : 0;
  R.GASST = Crop.GASST;
  R.MREST = Crop.MREST;
  R.Wet = Wet;
  R.Dry = Dry;
  const TWaterTotals& T = Soil.Totals();
  if (Water) {
    R.TRANSP = T.Tra * 10;
    R.EVSOL = (T.EvS + T.EvW) * 10;
    R.RAINT = T.Rain * 10;
    R.LOSST = T.Loss * 10;
    R.TSR = T.RunOff * 10;
    TBalance& B = R.Bal;
    B.FinalWhole = Soil.RootWater() + Soil.LowerWater();
    B.FinalSS = Soil.SurfaceStorage();
    B.FinalRoot = Soil.RootWater();
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
    R.DELWAT = (B.FinalWhole + B.FinalSS - B.InitWhole - B.InitSS) * 10;
  } else {
    R.TRANSP = TraSum * 10;
    R.EVSOL = EvsSum * 10;
  }
  R.TRC = R.TAGP > 0 ? R.TRANSP * 10000.0 / R.TAGP : 0;
  return R;
}
