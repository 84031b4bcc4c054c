#pragma once
// The working session of the manual's getting-started chapter: spring barley
// sown on day 90 on loam at station north, 1980 to 1982, two production
// levels, both water balances. The screenshot program and the install test
// set it up the same way through this one function.

#include "catalogue/KvMenu.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"

// Chooses the session on S (reset, with the data catalogue built) and writes
// its input files into the run directory.
inline void WriteGettingStartedSession(TKvSession& S) {
  S.Reset();
  BuildDataCatalogue();
  S.Crop().SetCropFile("SBARLEY.CRP");
  S.Crop().SetCropDescription("Spring barley");
  S.Crop().SetStartDay(1);
  S.Crop().SetFixedSowingDate(90);
  S.Crop().SetEndDay(2);
  S.Soil().SetSoilFile("LOAM.SOL");
  S.Soil().SetSoilDescription("Loam, medium");
  S.Weather().SetStationFile("NLD1.");
  S.Weather().SetStationDescription("Station north, daily data (synthetic)");
  S.Weather().SetYear(1980);
  S.Weather().SetConsecutiveYears(3);
  S.General().SetProductionLevels(2);
  S.General().SetSummarySeasonalSoilWaterBalance(3);
  S.SetMinMaxSMLIM();
  S.WriteInputFiles();
}
