#pragma once
// The crop: its parameters and its daily growth.
//
// Development runs from 0 at emergence to 1 at anthesis and 2 at maturity by
// temperature sums. Before anthesis it is slowed by short days (photoperiod:
// none at the critical day length DLC or below, full speed at the optimum
// DLO) and, for a winter cereal, by the cold it still needs (vernalisation:
// days of vernalising temperatures, VERNTB, counted towards a saturated
// requirement VERNSA above a base VERNBA, until development stage VERNDV).
// Crop files without these keys develop by temperature alone. A frost-tender
// crop (TKILL) dies at the first hard frost after emergence. Roots deepen
// with the warmth of the day, at RRI on a day 20 C above TBASE. Each day the canopy's gross assimilation
// follows from the light it intercepts (three canopy depths, a saturating leaf light response whose maximum
// comes from the development stage and the day temperature); maintenance respiration is paid first, the rest
// is converted into dry matter and divided over roots, leaves, stems and storage organs by development stage.
// New leaves get their area from the specific leaf area; leaves die when their physiological age passes the
// life span, and faster under drought or heavy self-shading. A reduction factor (drought, oxygen shortage)
// scales the assimilation of water-limited growth.

#include <cmath>
#include <deque>
#include <string>

#include "model/ModelInput.h"

struct TCropParams {
  std::string Name;
  double TBASEM = 0, TEFFMX = 30, TSUMEM = 0, TBASE = 0, TSUM1 = 1000, TSUM2 = 1000;
  double TDWI = 50, LAIEM = 0.05, RGRLAI = 0.01, SPAN = 35, KDIF = 0.6, EFF = 0.45;
  double CVL = 0.7, CVS = 0.7, CVO = 0.7, CVR = 0.7, RML = 0.03, RMS = 0.015, RMO = 0.01, RMR = 0.015,
         Q10 = 2;
  double RDI = 10, RRI = 1.2, RDMCR = 120, CFET = 1, PDEPL = 0.5;
  int IAIRDU = 0;
  double NCSO = 0, NCST = 0, PCSO = 0, PCST = 0, KCSO = 0, KCST = 0;
  TTable SLATB, AMAXTB, TMPFTB, FRTB, FLTB, FSTB, FOTB;
  // Vernalisation (VERNSA 0: none) and photoperiod (DLO 0: none).
  double VERNSA = 0, VERNBA = 0, VERNDV = 0.3, DLO = 0, DLC = 0;
  TTable VERNTB;
  // Frost kill: the emerged crop dies on the first day whose minimum
  // temperature is TKILL or lower; the default lies below any weather's.
  double TKILL = -99;
};

// Reads and checks the crop parameters (EModelError on a bad value).
TCropParams LoadCropParams(const TParams& P);

// Gross CO2 assimilation of the canopy, kg CH2O/ha/d.
double CanopyAssimilation(const TCropParams& P, double LAI, double DVS, double TDay, double IrradJ,
                          double DayL);

class TCrop {
 public:
  explicit TCrop(const TCropParams& P) : FP(P) {}

  // Starts the crop on its day of emergence.
  void Emerge();
  // Rates of the day from the weather (TDay: daytime temperature, TAvg: mean)
  // and a reduction factor (1 for potential growth, 0..1 under stress); the
  // dry matter increase is at most MaxGrowth (kg/ha/d).
  void Rates(double TAvg, double TDay, double IrradJ, double DayL, double Reduction,
             double MaxGrowth = HUGE_VAL);
  // Moves the state one day on with the rates last computed; Stress is
  // 0..1 (1 none) and speeds up leaf death under drought; DayL (h) sets the
  // photoperiod.
  void Integrate(double TAvg, double DayL, double Stress, double RootLimit);
  // Development of one day alone (Integrate includes it): the calendar of
  // a season is planned with it.
  void Develop(double TAvg, double DayL);
  // How far development before anthesis runs at full speed, 0..1, by
  // vernalisation and by day length.
  double VernalisationFactor() const;
  double PhotoperiodFactor(double DayL) const;

  // Potential transpiration of the canopy, cm/d, from reference evaporation
  // and the day's mean temperature: a cold crop transpires less.
  double TraMax(double ET0, double TAvg) const;
  // Potential evaporation of the soil under the canopy, cm/d, from the
  // evaporation of a wet bare soil ES0.
  double EvsMax(double ES0) const;

  bool Emerged() const { return FEmerged; }
  bool Mature() const { return DVS >= 2.0; }

  double DVS = 0, TSUM = 0, VERN = 0;  // VERN: days of vernalisation
  double WLV = 0, WLVD = 0, WST = 0, WSO = 0, WRT = 0, LAI = 0, LAIM = 0, RD = 0;
  double GASS = 0, MRES = 0, DMI = 0;  // rates of the day
  double GASST = 0, MREST = 0;

 private:
  struct TLeafClass {
    double W, SLA, Age;
  };
  const TCropParams& FP;
  bool FEmerged = false;
  std::deque<TLeafClass> FLeaves;  // oldest first
  double FGRT = 0, FGLV = 0, FGST = 0, FGSO = 0;
};
