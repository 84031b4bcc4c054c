#include "session/Kvgen.h"

#include "catalogue/KvRange.h"

TKvGeneral::TKvGeneral() {
  FOutputIntervalMin = RangeMinInt("PRDEL");
  FOutputIntervalMax = RangeMaxInt("PRDEL");
  FWaterbalanceStartDayMin = RangeMinInt("ISDAY");
  FWaterbalanceStartDayMax = RangeMaxInt("ISDAY");
  Reset();
}

void TKvGeneral::Reset() {
  FProductionLevels = 2;
  FTypeOfWaterLimitedCropGrowth = 0;
  FSummarySeasonalSoilWaterBalance = 1;
  FOutputInterval = 1;
  FWaterbalanceStartDay = 1;
}
