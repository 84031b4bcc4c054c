#include "model/SoilWater.h"

#include <algorithm>
#include <cmath>

#include "foundations/Numbers.h"

namespace {
constexpr double CapillaryScale = 50.0;   // cm: capillary rise fades with the distance to the table
constexpr double DrainFraction = 0.2;     // part of the water above drain level removed per day
constexpr double TopLayer = 3.0;          // cm: the layer soil evaporation may dry to air-dry
constexpr double Stage1Water = 1.0;       // cm: evaporated at the demand after a wetting
constexpr double StageTwoRate = 0.4;      // cm per square root of a day: evaporation after that
constexpr double RetentionSlack = 0.005;  // the soil moisture table may pass SMW and SM0 by this much
}  // namespace

TSoilParams LoadSoilParams(const TParams& P) {
  TSoilParams S;
  S.Name = P.Has("SOLNAM") ? P.Text("SOLNAM") : std::string();
  S.SMW = P.Real("SMW");
  S.SMFCF = P.Real("SMFCF");
  S.SM0 = P.Real("SM0");
  S.SMTAB = P.Table("SMTAB");
  S.CRAIRC = P.Real("CRAIRC");
  S.K0 = P.Real("K0");
  S.SOPE = P.Real("SOPE");
  S.KSUB = P.Real("KSUB");
  S.CRMX = P.Real("CRMX");
  if (!(S.SMW < S.SMFCF && S.SMFCF < S.SM0))
    P.Contradiction(
        {"SMFCF", "SMW", "SM0"},
        Format("wilting point %.3f, field capacity %.3f and saturation %.3f", S.SMW, S.SMFCF, S.SM0),
        {"  must increase in this order (SMW < SMFCF < SM0)."});
  // The retention curve runs from saturation at pF 0 down to the wilting
  // point at pF 4.2; a curve outside those limits would put the soil above a
  // water table below the wilting point or above saturation.
  const std::vector<double>&Pf = S.SMTAB.Xs(), &Sm = S.SMTAB.Ys();
  for (size_t i = 0; i < Pf.size(); ++i)
    if (Sm[i] < S.SMW - RetentionSlack || Sm[i] > S.SM0 + RetentionSlack)
      P.Contradiction({"SMTAB", "SMW", "SM0"},
                      Format("the soil moisture table gives %.3f at pF %.2f, outside wilting point %.3f and "
                             "saturation %.3f",
                             Sm[i], Pf[i], S.SMW, S.SM0),
                      {"  The soil moisture over pF runs from saturation (pF 0) down to the wilting point "
                       "(pF 4.2)."});
  return S;
}

TSiteParams LoadSiteParams(const TParams& P) {
  TSiteParams S;
  S.IZT = P.Int("IZT");
  S.IFUNRN = P.Int("IFUNRN");
  S.IDRAIN = P.Int("IDRAIN");
  S.SSMAX = P.Real("SSMAX");
  S.WAV = P.Real("WAV");
  S.ZTI = P.Real("ZTI");
  S.DD = P.Real("DD");
  S.RDMSOL = P.Real("RDMSOL");
  S.NOTINF = P.Real("NOTINF");
  S.NBASE = P.Real("NBASE");
  S.NREC = P.Real("NREC");
  S.PBASE = P.Real("PBASE");
  S.PREC = P.Real("PREC");
  S.KBASE = P.Real("KBASE");
  S.KREC = P.Real("KREC");
  S.SSI = P.Real("SSI");
  S.SMLIM = P.Real("SMLIM");
  return S;
}

TSoilWater::TSoilWater(const TSoilParams& S, const TSiteParams& Site, double RootDepth, double MaxRootDepth)
    : FP(S), FSite(Site), FRD(std::max(1.0, RootDepth)), FRDM(std::max(FRD, MaxRootDepth)) {
  FSS = std::min(Site.SSI, std::max(Site.SSMAX, Site.SSI));
  if (Site.IZT == 1) {
    FRDM = std::min(FRDM, Bottom - 1);
    FRD = std::min(FRD, FRDM);
    FCum.resize(static_cast<size_t>(Bottom) + 1);
    FCum[0] = 0;
    for (size_t h = 1; h < FCum.size(); ++h)
      FCum[h] =
          FCum[h - 1] + 0.5 * (Equilibrium(static_cast<double>(h - 1)) + Equilibrium(static_cast<double>(h)));
    FZT = std::clamp(Site.ZTI, FRD, Bottom);
    const double SMI = FZT > FRD ? Equilibrium(FZT - FRD / 2) : FP.SM0;
    FW = SMI * FRD;
    FLow = Stored(FRD, FZT);
  } else {
    const double Lim = std::clamp(Site.SMLIM, FP.SMW, FP.SM0);
    const double SMI = std::min(Lim, FP.SMW + Site.WAV / FRDM);
    FW = SMI * FRD;
    const double Thick = FRDM - FRD;
    FLow = std::min(FP.SMFCF * Thick, FP.SMW * Thick + std::max(0.0, Site.WAV - (SMI - FP.SMW) * FRD));
  }
}

// The moisture in equilibrium with a groundwater table Height cm below,
// held between wilting point and saturation: a retention curve (a rerun of
// SMTAB, say) that contradicts the soil's own limits never dries the root
// zone below wilting point or to nothing.
double TSoilWater::Equilibrium(double Height) const {
  const double Curve = FP.SMTAB(Height <= 1.0 ? 0.0 : std::log10(Height));
  return std::clamp(Curve, std::min(FP.SMW, FP.SM0), FP.SM0);
}

double TSoilWater::Cumulative(double H) const {
  H = std::clamp(H, 0.0, Bottom);
  const size_t i = static_cast<size_t>(H);
  if (i + 1 >= FCum.size()) return FCum.back();
  return FCum[i] + (FCum[i + 1] - FCum[i]) * (H - static_cast<double>(i));
}

double TSoilWater::Stored(double RD, double ZT) const {
  ZT = std::clamp(ZT, RD, Bottom);
  return Cumulative(ZT - RD) + FP.SM0 * (Bottom - ZT);
}

double TSoilWater::TableFor(double RD, double W) const {
  if (W >= Stored(RD, RD)) return RD;
  if (W <= Stored(RD, Bottom)) return Bottom;
  double Lo = RD, Hi = Bottom;  // Stored falls as the table goes down
  for (int i = 0; i < 50; ++i) {
    const double Mid = 0.5 * (Lo + Hi);
    if (Stored(RD, Mid) > W)
      Lo = Mid;
    else
      Hi = Mid;
  }
  return 0.5 * (Lo + Hi);
}

double TSoilWater::DryFactor(double PDepl) const {
  const double Crit = FP.SMW + (1 - PDepl) * (FP.SMFCF - FP.SMW);
  if (Crit <= FP.SMW) return SM() > FP.SMW ? 1.0 : 0.0;
  return std::clamp((SM() - FP.SMW) / (Crit - FP.SMW), 0.0, 1.0);
}

double TSoilWater::WetFactor() const {
  if (FP.CRAIRC <= 0) return 1.0;
  return std::clamp((FP.SM0 - SM()) / FP.CRAIRC, 0.0, 1.0);
}

double TSoilWater::EvaporationFloor() const {
  const double AirDry = FP.SMW / 3;
  return FP.SMW * FRD - (FP.SMW - AirDry) * std::min(FRD, TopLayer);
}

double TSoilWater::Reserve() const {
  if (FSite.IZT == 1) return 0.0;
  return std::max(0.0, FLow - FP.SMW * (FRDM - FRD));
}

void TSoilWater::Day(double RainCm, double EvsMax, double Tra) {
  RainCm = std::max(0.0, RainCm);
  FTot.Rain += RainCm;
  // Open water evaporates first; a wet surface keeps the soil from drying.
  const double EvW = std::min(FSS, std::max(0.0, EvsMax));
  FSS -= EvW;
  // Uptake and soil evaporation.
  Tra = std::clamp(Tra, 0.0, std::max(0.0, FW - FP.SMW * FRD));
  double EvS = 0;
  if (EvW <= 0) {
    // Two stages since the last wetting: at the demand until Stage1Water has
    // evaporated, then as the soil lets it, StageTwoRate times the square
    // root of time in total; the time is that which the evaporated water
    // stands for, so that rain sets the soil back by as much as it wets it.
    double Want = std::max(0.0, EvsMax);
    if (FEvSince >= Stage1Water) {
      const double T = std::pow((FEvSince - Stage1Water) / StageTwoRate, 2);
      Want = std::min(Want, StageTwoRate * (std::sqrt(T + 1) - std::sqrt(T)));
    }
    EvS = std::clamp(Want, 0.0, std::max(0.0, FW - Tra - EvaporationFloor()));
    FEvSince += EvS;
  }
  FW -= Tra + EvS;
  // Rain: a part does not infiltrate today; the rest with the surface water
  // enters as far as rate and pore space allow.
  const double NotInf =
      FSite.IFUNRN == 0 ? FSite.NOTINF * RainCm : FSite.NOTINF * RainCm * (1 - std::exp(-RainCm / 2));
  const double Offered = RainCm - NotInf + FSS;
  const double Inf = std::clamp(std::min(Offered, FP.K0), 0.0, std::max(0.0, FP.SM0 * FRD - FW));
  FW += Inf;
  const double Surplus = Offered - Inf + NotInf;
  FSS = std::min(std::max(0.0, FSite.SSMAX), Surplus);
  const double RunOff = Surplus - FSS;
  FEvSince = std::max(0.0, FEvSince - Inf);
  // Exchange with the soil below the roots.
  double Perc = 0, Cap = 0, Loss = 0;
  if (FSite.IZT == 1) {
    const double SMEq = FZT > FRD ? Equilibrium(FZT - FRD / 2) : FP.SM0;
    const double Upper = std::max(FP.SMFCF, SMEq) * FRD;
    if (FW > Upper) {
      Perc = std::min({FP.SOPE, FW - Upper, std::max(0.0, Stored(FRD, FRD) - FLow)});
    } else if (FW < SMEq * FRD) {
      const double MaxRise = FP.CRMX * std::exp(-std::max(0.0, FZT - FRD) / CapillaryScale);
      Cap = std::min({SMEq * FRD - FW, MaxRise, std::max(0.0, FLow - Stored(FRD, Bottom))});
    }
    FW += Cap - Perc;
    FLow += Perc - Cap;
    if (FSite.IDRAIN == 1) {
      Loss = DrainFraction * std::max(0.0, FLow - Stored(FRD, std::max(FSite.DD, FRD)));
      FLow -= Loss;
      if (FSite.DD < FRD) {
        // The drains lie within the rooted zone: they take from it the water
        // above what it holds with the table at drain depth (equilibrium above
        // the drains, saturation below). That water leaves the rooted zone
        // downwards and the column through the drains.
        const double AtDrains = Cumulative(FSite.DD) + FP.SM0 * (FRD - FSite.DD);
        const double FromRoots = DrainFraction * std::max(0.0, FW - AtDrains);
        FW -= FromRoots;
        Perc += FromRoots;
        Loss += FromRoots;
      }
    }
    FZT = TableFor(FRD, FLow);
  } else {
    const double Thick = FRDM - FRD;
    const double Cand = std::min(FP.SOPE, std::max(0.0, FW - FP.SMFCF * FRD));
    Loss = std::min(FP.KSUB, std::max(0.0, FLow + Cand - FP.SMFCF * Thick));
    if (Thick <= 0) Loss = std::min(FP.KSUB, FLow + Cand);
    Perc = std::min(Cand, std::max(0.0, FP.SM0 * Thick - FLow + Loss));
    Loss = std::min(Loss, FLow + Perc);
    FW -= Perc;
    FLow += Perc - Loss;
  }
  FLastEv = EvW + EvS;
  FTot.Infil += Inf;
  FTot.RunOff += RunOff;
  FTot.EvW += EvW;
  FTot.EvS += EvS;
  FTot.Tra += Tra;
  FTot.Perc += Perc;
  FTot.CapRise += Cap;
  FTot.Loss += Loss;
}

void TSoilWater::SetRootDepth(double RD) {
  RD = std::min(RD, FRDM);
  if (RD <= FRD) return;
  double Add = 0;
  if (FSite.IZT == 1) {
    const double Theta = FZT > FRD ? Equilibrium(FZT - FRD) : FP.SM0;
    Add = std::clamp(Theta * (RD - FRD), 0.0, std::max(0.0, FLow - Stored(RD, Bottom)));
    FLow -= Add;
    FRD = RD;
    FZT = TableFor(FRD, FLow);
  } else {
    const double Thick = FRDM - FRD;
    Add = Thick > 0 ? FLow * (RD - FRD) / Thick : 0.0;
    FLow -= Add;
    FRD = RD;
  }
  FW += Add;
  FTot.AddRoot += Add;
}
