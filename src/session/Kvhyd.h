#pragma once
// Site hydrology of the session. Lengths and depths in cm; the maximum
// initial moisture is a dimensionless moisture content. The ranges come from
// the variable catalogue at every Reset; the range of the maximum initial
// moisture is then replaced from the selected soil (TKvSession::SetMinMaxSMLIM).

class TKvHydrology {
 public:
  TKvHydrology();
  void Reset();

  long double InitialSurfaceStorage() const { return FInitialSurfaceStorage; }
  void SetInitialSurfaceStorage(long double V) { FInitialSurfaceStorage = V; }
  int MaxInitialSurfaceStorage() const { return FMaxInitialSurfaceStorage; }
  void SetMaxInitialSurfaceStorage(int V) { FMaxInitialSurfaceStorage = V; }
  int MinInitialSurfaceStorage() const { return FMinInitialSurfaceStorage; }
  void SetMinInitialSurfaceStorage(int V) { FMinInitialSurfaceStorage = V; }

  long double MaximumSurfaceStorage() const { return FMaximumSurfaceStorage; }
  void SetMaximumSurfaceStorage(long double V) { FMaximumSurfaceStorage = V; }
  int MaxMaximumSurfaceStorage() const { return FMaxMaximumSurfaceStorage; }
  void SetMaxMaximumSurfaceStorage(int V) { FMaxMaximumSurfaceStorage = V; }
  int MinMaximumSurfaceStorage() const { return FMinMaximumSurfaceStorage; }
  void SetMinMaximumSurfaceStorage(int V) { FMinMaximumSurfaceStorage = V; }

  long double MaximumMoisture() const { return FMaximumMoisture; }
  void SetMaximumMoisture(long double V) { FMaximumMoisture = V; }
  long double MaxMaximumMoisture() const { return FMaxMaximumMoisture; }
  void SetMaxMaximumMoisture(long double V) { FMaxMaximumMoisture = V; }
  long double MinMaximumMoisture() const { return FMinMaximumMoisture; }
  void SetMinMaximumMoisture(long double V) { FMinMaximumMoisture = V; }

  int Groundwater() const { return FGroundwater; }
  void SetGroundwater(int V) { FGroundwater = V; }

  long double InitialAvailableSoilWater() const { return FInitialAvailableSoilWater; }
  void SetInitialAvailableSoilWater(long double V) { FInitialAvailableSoilWater = V; }
  int MaxInitialAvailableSoilWater() const { return FMaxInitialAvailableSoilWater; }
  void SetMaxInitialAvailableSoilWater(int V) { FMaxInitialAvailableSoilWater = V; }
  int MinInitialAvailableSoilWater() const { return FMinInitialAvailableSoilWater; }
  void SetMinInitialAvailableSoilWater(int V) { FMinInitialAvailableSoilWater = V; }

  long double InitialGroundWaterTable() const { return FInitialGroundWaterTable; }
  void SetInitialGroundWaterTable(long double V) { FInitialGroundWaterTable = V; }
  int MaxInitialGroundWaterTable() const { return FMaxInitialGroundWaterTable; }
  void SetMaxInitialGroundWaterTable(int V) { FMaxInitialGroundWaterTable = V; }
  int MinInitialGroundWaterTable() const { return FMinInitialGroundWaterTable; }
  void SetMinInitialGroundWaterTable(int V) { FMinInitialGroundWaterTable = V; }

  int Drainage() const { return FDrainage; }
  void SetDrainage(int V) { FDrainage = V; }

  long double DrainageDepth() const { return FDrainageDepth; }
  void SetDrainageDepth(long double V) { FDrainageDepth = V; }
  int MaxDrainageDepth() const { return FMaxDrainageDepth; }
  void SetMaxDrainageDepth(int V) { FMaxDrainageDepth = V; }
  int MinDrainageDepth() const { return FMinDrainageDepth; }
  void SetMinDrainageDepth(int V) { FMinDrainageDepth = V; }

  long double MaximumRootDepthOfSoil() const { return FMaximumRootDepthOfSoil; }
  void SetMaximumRootDepthOfSoil(long double V) { FMaximumRootDepthOfSoil = V; }
  int MaxMaximumRootDepthOfSoil() const { return FMaxMaximumRootDepthOfSoil; }
  void SetMaxMaximumRootDepthOfSoil(int V) { FMaxMaximumRootDepthOfSoil = V; }
  int MinMaximumRootDepthOfSoil() const { return FMinMaximumRootDepthOfSoil; }
  void SetMinMaximumRootDepthOfSoil(int V) { FMinMaximumRootDepthOfSoil = V; }

  // 0 fixed, 1 function of storm size.
  int TypeOfNonInfiltratingFractionOfRain() const { return FTypeOfNonInfiltratingFractionOfRain; }
  void SetTypeOfNonInfiltratingFractionOfRain(int V) { FTypeOfNonInfiltratingFractionOfRain = V; }

  long double MaxNonInfiltratingFractionOfRain() const { return FMaxNonInfiltratingFractionOfRain; }
  void SetMaxNonInfiltratingFractionOfRain(long double V) { FMaxNonInfiltratingFractionOfRain = V; }
  int MaxMaxNonInfiltratingFractionOfRain() const { return FMaxMaxNonInfiltratingFractionOfRain; }
  void SetMaxMaxNonInfiltratingFractionOfRain(int V) { FMaxMaxNonInfiltratingFractionOfRain = V; }
  int MinMaxNonInfiltratingFractionOfRain() const { return FMinMaxNonInfiltratingFractionOfRain; }
  void SetMinMaxNonInfiltratingFractionOfRain(int V) { FMinMaxNonInfiltratingFractionOfRain = V; }

 private:
  long double FInitialSurfaceStorage = 0;
  int FMaxInitialSurfaceStorage = 0;
  int FMinInitialSurfaceStorage = 0;
  long double FMaximumSurfaceStorage = 0;
  int FMaxMaximumSurfaceStorage = 0;
  int FMinMaximumSurfaceStorage = 0;
  long double FMaximumMoisture = 0;
  long double FMaxMaximumMoisture = 0;
  long double FMinMaximumMoisture = 0;
  int FGroundwater = 0;
  long double FInitialAvailableSoilWater = 20;
  int FMaxInitialAvailableSoilWater = 0;
  int FMinInitialAvailableSoilWater = 0;
  long double FInitialGroundWaterTable = 999;
  int FMaxInitialGroundWaterTable = 0;
  int FMinInitialGroundWaterTable = 0;
  int FDrainage = 0;
  long double FDrainageDepth = 20;
  int FMaxDrainageDepth = 0;
  int FMinDrainageDepth = 0;
  long double FMaximumRootDepthOfSoil = 120;
  int FMaxMaximumRootDepthOfSoil = 0;
  int FMinMaximumRootDepthOfSoil = 0;
  int FTypeOfNonInfiltratingFractionOfRain = 0;
  long double FMaxNonInfiltratingFractionOfRain = 0;
  int FMaxMaxNonInfiltratingFractionOfRain = 0;
  int FMinMaxNonInfiltratingFractionOfRain = 0;
};
