#pragma once
// General simulation options of the session. The ranges of the output
// interval and of the water balance start day come from the variable
// catalogue once, when the object is created; Reset restores the values only.

class TKvGeneral {
 public:
  TKvGeneral();
  void Reset();

  // 1 potential growth only, 2 also water-limited, 3 also nutrient-limited.
  int ProductionLevels() const { return FProductionLevels; }
  void SetProductionLevels(int V) { FProductionLevels = V; }
  // 0 effects of drought only, 1 drought and oxygen shortage.
  int TypeOfWaterLimitedCropGrowth() const { return FTypeOfWaterLimitedCropGrowth; }
  void SetTypeOfWaterLimitedCropGrowth(int V) { FTypeOfWaterLimitedCropGrowth = V; }
  // 0 none, 1 whole system, 2 root zone, 3 both.
  int SummarySeasonalSoilWaterBalance() const { return FSummarySeasonalSoilWaterBalance; }
  void SetSummarySeasonalSoilWaterBalance(int V) { FSummarySeasonalSoilWaterBalance = V; }
  int OutputInterval() const { return FOutputInterval; }
  void SetOutputInterval(int V) { FOutputInterval = V; }
  int OutputIntervalMin() const { return FOutputIntervalMin; }
  int OutputIntervalMax() const { return FOutputIntervalMax; }
  int WaterbalanceStartDay() const { return FWaterbalanceStartDay; }
  void SetWaterbalanceStartDay(int V) { FWaterbalanceStartDay = V; }
  int WaterbalanceStartDayMin() const { return FWaterbalanceStartDayMin; }
  int WaterbalanceStartDayMax() const { return FWaterbalanceStartDayMax; }

 private:
  int FProductionLevels = 2;
  int FTypeOfWaterLimitedCropGrowth = 0;
  int FSummarySeasonalSoilWaterBalance = 1;
  int FOutputInterval = 1;
  int FOutputIntervalMin = 0;
  int FOutputIntervalMax = 0;
  int FWaterbalanceStartDay = 1;
  int FWaterbalanceStartDayMin = 0;
  int FWaterbalanceStartDayMax = 0;
};
