#pragma once
// The soil water balance of the crop model, in cm of water.
//
// Without groundwater the soil is a rooted zone (from the surface to the
// rooting depth) over a lower zone down to the maximum rooting depth: rain
// infiltrates into the rooted zone, water above field capacity percolates into
// the lower zone and from there out of the profile, roots take the lower
// zone's water with them as they grow. With groundwater the lower zone reaches
// down to 10 m and holds a water table: above the table the soil is in
// equilibrium with it (moisture from the soil's pF table), so the stored water
// fixes the table depth; the rooted zone loses water to it above field
// capacity (or above equilibrium) and gains it by capillary rise when drier
// than equilibrium; drains remove water from above the drain depth.

#include <array>
#include <string>
#include <vector>

#include "model/ModelInput.h"

struct TSoilParams {
  std::string Name;
  double SMW = 0.1, SMFCF = 0.3, SM0 = 0.4, CRAIRC = 0.05, K0 = 10, SOPE = 10, KSUB = 10, CRMX = 0.5;
  TTable SMTAB;
};

struct TSiteParams {
  int IZT = 0, IFUNRN = 0, IDRAIN = 0;
  double SSMAX = 0, WAV = 20, ZTI = 999, DD = 20, RDMSOL = 120, NOTINF = 0, SSI = 0, SMLIM = 0;
  double NBASE = 60, NREC = 0.5, PBASE = 10, PREC = 0.1, KBASE = 60, KREC = 0.5;
};

TSoilParams LoadSoilParams(const TParams& P);
TSiteParams LoadSiteParams(const TParams& P);

// Totals of the water balance since its start, cm.
struct TWaterTotals {
  double Rain = 0, Infil = 0, RunOff = 0, EvW = 0, EvS = 0, Tra = 0, Perc = 0, CapRise = 0, AddRoot = 0,
         Loss = 0;
};

class TSoilWater {
 public:
  static constexpr double Bottom = 1000.0;  // depth of the column with groundwater, cm

  TSoilWater(const TSoilParams& S, const TSiteParams& Site, double RootDepth, double MaxRootDepth);

  double SM() const { return FW / FRD; }
  double RootDepth() const { return FRD; }
  // Reduction of transpiration by drought (1: none).
  double DryFactor(double PDepl) const;
  // Reduction by oxygen shortage (1: none) and whether the soil is too wet.
  double WetFactor() const;
  bool TooWet() const { return FP.SM0 - SM() < FP.CRAIRC; }

  // One day: rain, potential evaporation of the soil and of open water,
  // actual transpiration (cm/d).
  void Day(double RainCm, double EvsMax, double Tra);
  // The roots reach a new depth; the rooted zone takes the water of the layer.
  void SetRootDepth(double RD);

  // Water above wilting point in the rooted zone and in the lower zone, cm.
  double Avail() const { return std::max(0.0, FW - FP.SMW * FRD); }
  double Reserve() const;
  double SurfaceStorage() const { return FSS; }
  double WaterTable() const { return FZT; }  // cm, with groundwater
  double RootWater() const { return FW; }
  double LowerWater() const { return FLow; }
  double LastEvaporation() const { return FLastEv; }  // cm/d of the last day
  const TWaterTotals& Totals() const { return FTot; }

  // Equilibrium moisture content at a height above the water table (cm).
  double Equilibrium(double Height) const;

  // The least water soil evaporation leaves in the rooted zone, cm: the top
  // layer dried to air-dry (a third of the wilting point), the rest at the
  // wilting point. Evaporation draws on the soil near the surface; only
  // roots take the deeper soil down to the wilting point.
  double EvaporationFloor() const;

 private:
  double Stored(double RD, double ZT) const;  // water between RD and Bottom
  double TableFor(double RD, double W) const;
  double Cumulative(double H) const;  // integral of Equilibrium from 0 to H

  const TSoilParams& FP;
  const TSiteParams& FSite;
  double FRD, FRDM;
  double FW = 0, FLow = 0, FSS = 0, FZT = Bottom;
  double FEvSince = 0;  // soil evaporation since the last wetting, cm
  double FLastEv = 0;
  std::vector<double> FCum;  // Cumulative at whole cm
  TWaterTotals FTot;
};
