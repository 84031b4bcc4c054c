#include "model/Crop.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "foundations/Numbers.h"

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr double RootWarmth = 20.0;           // C above TBASE at which the roots deepen by RRI a day
constexpr double TranspirationWarmth = 10.0;  // C above TBASE from which the crop transpires fully
constexpr double PartitionSlack = 0.01;       // the partitioning fractions may miss 1 by this much

// A table whose x values are development stages must cover 0 to 2.
void CheckDvsTable(const TTable& T, const std::string& Name, const TParams& P) {
  if (T.Xs().front() > 0.0 + 1e-9 || T.Xs().back() < 2.0 - 1e-9)
    throw EModelError(P.Source(Name), Name,
                      {"ERROR in file " + P.Source(Name) + ", key " + Name +
                       ": the table does not cover the development stages 0 to 2"});
}
// Leaves, stems and storage organs share the dry matter that does not go to
// the roots: their fractions add up to one (within PartitionSlack) at every
// development stage where the roots leave anything above the ground.
// Between the tables' points the sum is a straight line, so it is checked at
// every point of any of them. A sum of 0 would divide the growth by zero,
// any other sum would create or lose dry matter.
void CheckPartitioning(const TCropParams& C, const TParams& P) {
  std::vector<double> Stages;
  for (const TTable* T : {&C.FRTB, &C.FLTB, &C.FSTB, &C.FOTB})
    Stages.insert(Stages.end(), T->Xs().begin(), T->Xs().end());
  std::sort(Stages.begin(), Stages.end());
  for (const double Dvs : Stages) {
    if (Dvs < 0 || Dvs > 2 || C.FRTB(Dvs) >= 1.0) continue;
    const double Sum = C.FLTB(Dvs) + C.FSTB(Dvs) + C.FOTB(Dvs);
    if (std::fabs(Sum - 1.0) <= PartitionSlack) continue;
    P.Contradiction(
        {"FLTB", "FSTB", "FOTB"},
        Format("the fractions to leaves, stems and storage organs add up to %.3f at development "
               "stage %.2f",
               Sum, Dvs),
        {"  They share the dry matter above the ground and add up to 1 at every development stage."});
  }
}
}  // namespace

TCropParams LoadCropParams(const TParams& P) {
  TCropParams C;
  C.Name = P.Has("CRPNAM") ? P.Text("CRPNAM") : std::string();
  C.TBASEM = P.Real("TBASEM");
  C.TEFFMX = P.Real("TEFFMX");
  C.TSUMEM = P.Real("TSUMEM");
  C.TBASE = P.Real("TBASE");
  C.TSUM1 = P.Real("TSUM1");
  C.TSUM2 = P.Real("TSUM2");
  C.TDWI = P.Real("TDWI");
  C.LAIEM = P.Real("LAIEM");
  C.RGRLAI = P.Real("RGRLAI");
  C.SPAN = P.Real("SPAN");
  C.KDIF = P.Real("KDIF");
  C.EFF = P.Real("EFF");
  C.CVL = P.Real("CVL");
  C.CVS = P.Real("CVS");
  C.CVO = P.Real("CVO");
  C.CVR = P.Real("CVR");
  C.RML = P.Real("RML");
  C.RMS = P.Real("RMS");
  C.RMO = P.Real("RMO");
  C.RMR = P.Real("RMR");
  C.Q10 = P.Real("Q10");
  C.RDI = P.Real("RDI");
  C.RRI = P.Real("RRI");
  C.RDMCR = P.Real("RDMCR");
  C.CFET = P.Real("CFET");
  C.PDEPL = P.Real("PDEPL");
  C.IAIRDU = P.Int("IAIRDU");
  C.NCSO = P.Real("NCSO");
  C.NCST = P.Real("NCST");
  C.PCSO = P.Real("PCSO");
  C.PCST = P.Real("PCST");
  C.KCSO = P.Real("KCSO");
  C.KCST = P.Real("KCST");
  C.SLATB = P.Table("SLATB");
  C.AMAXTB = P.Table("AMAXTB");
  C.TMPFTB = P.Table("TMPFTB");
  C.FRTB = P.Table("FRTB");
  C.FLTB = P.Table("FLTB");
  C.FSTB = P.Table("FSTB");
  C.FOTB = P.Table("FOTB");
  // Vernalisation and day length: a crop file without VERNSA or DLO (or
  // with 0) develops by temperature alone, and the other keys are not needed.
  if (P.Has("VERNSA")) C.VERNSA = P.Real("VERNSA");
  if (C.VERNSA > 0) {
    C.VERNBA = P.Real("VERNBA");
    C.VERNDV = P.Real("VERNDV");
    C.VERNTB = P.Table("VERNTB");
    if (C.VERNBA >= C.VERNSA)
      P.Contradiction({"VERNBA", "VERNSA"},
                      "the base vernalisation requirement must lie below the saturated one");
  }
  if (P.Has("DLO")) C.DLO = P.Real("DLO");
  if (C.DLO > 0) {
    C.DLC = P.Real("DLC");
    if (C.DLC >= C.DLO) P.Contradiction({"DLC", "DLO"}, "the critical day length must lie below the optimum");
  }
  if (P.Has("TKILL")) C.TKILL = P.Real("TKILL");
  for (const char* N : {"SLATB", "AMAXTB", "FRTB", "FLTB", "FSTB", "FOTB"}) CheckDvsTable(P.Table(N), N, P);
  CheckPartitioning(C, P);
  if (C.TEFFMX <= C.TBASEM || C.TEFFMX <= C.TBASE)
    throw EModelError(
        P.Source("TEFFMX"), "TEFFMX",
        {"ERROR in file " + P.Source("TEFFMX") +
         ", key TEFFMX: the maximum effective temperature must lie above the base temperatures"});
  return C;
}

double CanopyAssimilation(const TCropParams& P, double LAI, double DVS, double TDay, double IrradJ,
                          double DayL) {
  if (LAI <= 0 || DayL <= 0 || IrradJ <= 0) return 0.0;
  const double AMax = P.AMAXTB(DVS) * P.TMPFTB(TDay);
  if (AMax <= 0) return 0.0;
  // Mean photosynthetically active radiation during daylight, J/m2/s.
  const double Par = 0.5 * IrradJ / (DayL * 3600.0);
  static const double XG[3] = {0.1127017, 0.5, 0.8872983};
  static const double WG[3] = {0.2777778, 0.4444444, 0.2777778};
  double Rate = 0;  // kg CO2/ha leaf/h, averaged over the canopy
  for (int i = 0; i < 3; ++i) {
    const double Depth = LAI * XG[i];
    const double Absorbed = (1 - 0.08) * P.KDIF * Par * std::exp(-P.KDIF * Depth);
    Rate += WG[i] * AMax * (1 - std::exp(-P.EFF * Absorbed / AMax));
  }
  return Rate * LAI * DayL * 30.0 / 44.0;
}

void TCrop::Emerge() {
  FEmerged = true;
  DVS = 0;
  TSUM = 0;
  VERN = 0;
  const double Fr = FP.FRTB(0);
  const double Above = FP.TDWI * (1 - Fr);
  WRT = FP.TDWI * Fr;
  WLV = Above * FP.FLTB(0);
  WST = Above * FP.FSTB(0);
  WSO = Above * FP.FOTB(0);
  WLVD = 0;
  LAI = FP.LAIEM;
  LAIM = LAI;
  FLeaves.clear();
  if (WLV > 0) FLeaves.push_back({WLV, LAI / WLV, 0.0});
  RD = FP.RDI;
  GASS = MRES = DMI = 0;
}

void TCrop::Rates(double TAvg, double TDay, double IrradJ, double DayL, double Reduction, double MaxGrowth) {
  FGRT = FGLV = FGST = FGSO = 0;
  GASS = MRES = DMI = 0;
  if (!FEmerged || Mature()) return;
  GASS = CanopyAssimilation(FP, LAI, DVS, TDay, IrradJ, DayL) * std::clamp(Reduction, 0.0, 1.0);
  const double TeFac = std::pow(FP.Q10, (TAvg - 25.0) / 10.0);
  MRES = std::min(GASS, (FP.RML * WLV + FP.RMS * WST + FP.RMO * WSO + FP.RMR * WRT) * TeFac);
  const double Fr = FP.FRTB(DVS);
  double Fl = FP.FLTB(DVS), Fs = FP.FSTB(DVS), Fo = FP.FOTB(DVS);
  const double Sum = Fl + Fs + Fo;
  if (Sum > 0) {
    Fl /= Sum;
    Fs /= Sum;
    Fo /= Sum;
  }
  const double Cvf = 1.0 / (Fr / FP.CVR + (1 - Fr) * (Fl / FP.CVL + Fs / FP.CVS + Fo / FP.CVO));
  DMI = std::min(Cvf * (GASS - MRES), std::max(0.0, MaxGrowth));
  FGRT = Fr * DMI;
  const double Admi = (1 - Fr) * DMI;
  FGLV = Fl * Admi;
  FGST = Fs * Admi;
  FGSO = Fo * Admi;
}

double TCrop::VernalisationFactor() const {
  if (FP.VERNSA <= 0 || DVS >= FP.VERNDV) return 1.0;
  return std::clamp((VERN - FP.VERNBA) / (FP.VERNSA - FP.VERNBA), 0.0, 1.0);
}

double TCrop::PhotoperiodFactor(double DayL) const {
  if (FP.DLO <= 0) return 1.0;
  return std::clamp((DayL - FP.DLC) / (FP.DLO - FP.DLC), 0.0, 1.0);
}

void TCrop::Develop(double TAvg, double DayL) {
  const double DTEff = std::clamp(TAvg - FP.TBASE, 0.0, FP.TEFFMX - FP.TBASE);
  TSUM += DTEff;
  if (DVS < 1) {
    const double Step = DTEff * VernalisationFactor() * PhotoperiodFactor(DayL) / FP.TSUM1;
    if (FP.VERNSA > 0 && DVS < FP.VERNDV) VERN += FP.VERNTB(TAvg);
    DVS = std::min(1.0, DVS + Step) + std::max(0.0, DVS + Step - 1.0) * FP.TSUM1 / FP.TSUM2;
  } else {
    DVS = std::min(2.0, DVS + DTEff / FP.TSUM2);
  }
}

void TCrop::Integrate(double TAvg, double DayL, double Stress, double RootLimit) {
  if (!FEmerged) return;
  GASST += GASS;
  MREST += MRES;
  if (Mature()) return;
  const double DTEff = std::clamp(TAvg - FP.TBASE, 0.0, FP.TEFFMX - FP.TBASE);
  // Leaf death: by age, by drought and by self-shading, oldest leaves first.
  const double LaiCrit = 3.2 / FP.KDIF;
  const double RdrShade = LAI > LaiCrit ? std::min(0.03, 0.03 * (LAI - LaiCrit) / LaiCrit) : 0.0;
  const double RdrDry = 0.03 * (1 - std::clamp(Stress, 0.0, 1.0));
  double Kill = WLV * std::max(RdrShade, RdrDry);
  const double AgeStep = DTEff / std::max(1.0, 35.0 - FP.TBASE);
  for (TLeafClass& C : FLeaves) C.Age += AgeStep;
  while (!FLeaves.empty() && FLeaves.front().Age > FP.SPAN) {
    WLVD += FLeaves.front().W;
    FLeaves.pop_front();
  }
  while (Kill > 0 && !FLeaves.empty()) {
    TLeafClass& C = FLeaves.front();
    const double D = std::min(Kill, C.W);
    C.W -= D;
    WLVD += D;
    Kill -= D;
    if (C.W <= 1e-9) FLeaves.pop_front();
  }
  // New leaves; in the young crop the leaf area grows no faster than the
  // temperature allows.
  double Sla = FP.SLATB(DVS);
  if (FGLV > 0 && DVS < 0.3 && LAI < 0.75) {
    const double MaxNew = LAI * (std::exp(FP.RGRLAI * DTEff) - 1);
    if (FGLV * Sla > MaxNew) Sla = MaxNew / FGLV;
  }
  if (FGLV > 0) FLeaves.push_back({FGLV, Sla, 0.0});
  WLV = 0;
  LAI = 0;
  for (const TLeafClass& C : FLeaves) {
    WLV += C.W;
    LAI += C.W * C.SLA;
  }
  LAIM = std::max(LAIM, LAI);
  WST += FGST;
  WSO += FGSO;
  WRT += FGRT;
  // Development and rooting.
  Develop(TAvg, DayL);
  // The roots deepen while they receive dry matter, faster the warmer the
  // day (RRI at 20 C above the base temperature).
  if (FP.FRTB(DVS) > 0 && RD < RootLimit)
    RD = std::min(RootLimit, RD + FP.RRI * std::min(1.0, DTEff / RootWarmth));
}

double TCrop::TraMax(double ET0, double TAvg) const {
  if (!FEmerged) return 0.0;
  const double Warmth = std::clamp((TAvg - FP.TBASE) / TranspirationWarmth, 0.0, 1.0);
  return FP.CFET * ET0 * (1 - std::exp(-FP.KDIF * LAI)) * Warmth;
}

double TCrop::EvsMax(double ES0) const {
  if (!FEmerged) return ES0;
  return ES0 * std::exp(-FP.KDIF * LAI);
}
