#include "session/Kvhyd.h"

#include "catalogue/KvRange.h"

TKvHydrology::TKvHydrology() { Reset(); }

void TKvHydrology::Reset() {
  FInitialSurfaceStorage = 0;
  FMaxInitialSurfaceStorage = RangeMaxInt("SSI");
  FMinInitialSurfaceStorage = RangeMinInt("SSI");
  FMaximumSurfaceStorage = 0;
  FMaxMaximumSurfaceStorage = RangeMaxInt("SSMAX");
  FMinMaximumSurfaceStorage = RangeMinInt("SSMAX");
  // Replaced from the selected soil by the session's SetMinMaxSMLIM.
  FMaximumMoisture = 0;
  FMaxMaximumMoisture = RangeMax("SMLIM");
  FMinMaximumMoisture = RangeMin("SMLIM");
  FGroundwater = 0;
  FInitialAvailableSoilWater = 20;
  FMaxInitialAvailableSoilWater = RangeMaxInt("WAV");
  FMinInitialAvailableSoilWater = RangeMinInt("WAV");
  FInitialGroundWaterTable = 999;
  FMaxInitialGroundWaterTable = RangeMaxInt("ZTI");
  FMinInitialGroundWaterTable = RangeMinInt("ZTI");
  FDrainage = 0;
  FDrainageDepth = 20;
  FMaxDrainageDepth = RangeMaxInt("DD");
  FMinDrainageDepth = RangeMinInt("DD");
  FMaximumRootDepthOfSoil = 120;
  FMaxMaximumRootDepthOfSoil = RangeMaxInt("RDMSOL");
  FMinMaximumRootDepthOfSoil = RangeMinInt("RDMSOL");
  FTypeOfNonInfiltratingFractionOfRain = 0;
  FMaxNonInfiltratingFractionOfRain = 0;
  FMaxMaxNonInfiltratingFractionOfRain = RangeMaxInt("NOTINF");
  FMinMaxNonInfiltratingFractionOfRain = RangeMinInt("NOTINF");
}
