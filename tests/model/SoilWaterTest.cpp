// The soil water balance on its own: drains, groundwater and the closure of
// both balances.

#include <gtest/gtest.h>

#include "model/SoilWater.h"

namespace {

TSoilParams HeavyClay() {
  TSoilParams S;
  S.SMW = 0.26;
  S.SMFCF = 0.43;
  S.SM0 = 0.52;
  S.CRAIRC = 0.05;
  S.K0 = 5;
  S.SOPE = 0.5;
  S.KSUB = 0.3;
  S.CRMX = 0.2;
  S.SMTAB = TTable({0.0, 1.0, 1.5, 2.0, 3.0, 4.2}, {0.52, 0.51, 0.48, 0.43, 0.35, 0.26});
  return S;
}

}  // namespace

TEST(SoilWater, DrainsEmptyTheSoilAboveTheirDepthWhereverTheRootsReach) {
  struct TCase {
    const char* Name;
    double RootDepth, DrainDepth;
    int Drains;
  };
  const TCase Cases[] = {
      {"drains below the rooted zone", 30, 60, 1},
      {"drains within the rooted zone", 80, 40, 1},
      {"no drains", 80, 40, 0},
  };
  const TSoilParams Soil = HeavyClay();
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSiteParams Site;
    Site.IZT = 1;
    Site.ZTI = 10;  // the table near the surface: the whole rooted zone is saturated
    Site.IDRAIN = C.Drains;
    Site.DD = C.DrainDepth;
    TSoilWater W(Soil, Site, C.RootDepth, C.RootDepth);
    const double InitWhole = W.RootWater() + W.LowerWater(), InitRoot = W.RootWater();
    EXPECT_NEAR(W.SM(), Soil.SM0, 1e-9);
    for (int Day = 0; Day < 60; ++Day) W.Day(0, 0, 0);
    const TWaterTotals& T = W.Totals();
    if (C.Drains == 1) {
      EXPECT_GT(T.Loss, 0.5) << "the drains remove water";
      EXPECT_LT(W.SM(), Soil.SM0 - 0.005) << "the rooted zone is no longer saturated";
      EXPECT_GE(W.WaterTable(), C.DrainDepth - 1.0) << "the table falls at least to drain depth";
    } else {
      EXPECT_EQ(T.Loss, 0.0);
    }
    // Nothing comes in, nothing evaporates: what is gone went through the drains.
    EXPECT_NEAR(InitWhole - W.RootWater() - W.LowerWater(), T.Loss, 1e-9);
    EXPECT_NEAR(InitRoot + T.CapRise + T.AddRoot - W.RootWater() - T.Perc, 0.0, 1e-9);
  }
}

// A retention curve that contradicts the soil's limits (a curve of another
// soil, or one that is 0 throughout) never puts the rooted zone below
// wilting point: the equilibrium with the groundwater stays within the
// soil's limits.
TEST(SoilWater, AContradictingRetentionCurveKeepsTheRootZoneWithinTheSoilsLimits) {
  struct TCase {
    const char* Name;
    TTable Curve;
    double TableDepth;
  };
  const TCase Cases[] = {
      {"a sand's curve on a clay", TTable({0.0, 2.0, 4.2}, {0.36, 0.10, 0.03}), 999},
      {"a curve of zeros", TTable({0.0, 4.2}, {0.0, 0.0}), 250},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TSoilParams Soil = HeavyClay();
    Soil.SMTAB = C.Curve;
    TSiteParams Site;
    Site.IZT = 1;
    Site.ZTI = C.TableDepth;
    TSoilWater W(Soil, Site, 30, 120);
    EXPECT_GE(W.SM(), Soil.SMW - 1e-9);
    for (int Day = 0; Day < 30; ++Day) W.Day(0, 0, 0);
    EXPECT_GE(W.SM(), Soil.SMW - 1e-9);
  }
}
