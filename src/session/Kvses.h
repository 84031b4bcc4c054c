#pragma once
// The simulation session: everything the model needs for one job, one owned
// object per topic. Exactly one exists while the program runs, reached
// through TheSession.

#include <memory>
#include <string>

class TKvFileManager;
class TKvGeneral;
class TKvCrop;
class TKvWeather;
class TKvNutrients;
class TKvSoil;
class TKvHydrology;
class TKvRerun;

class TKvSession {
public:
  // Creates the members in this order: file manager, general options, crop,
  // weather, nutrients, soil, hydrology, rerun table. The variable catalogue
  // must be loaded first (the members take their ranges from it).
  TKvSession();
  ~TKvSession();
  TKvSession(const TKvSession&) = delete;
  TKvSession& operator=(const TKvSession&) = delete;

  TKvFileManager& FileManager() const { return *FFileManager; }
  TKvGeneral& General() const { return *FGeneral; }
  TKvCrop& Crop() const { return *FCrop; }
  TKvWeather& Weather() const { return *FWeather; }
  TKvNutrients& Nutrients() const { return *FNutrients; }
  TKvSoil& Soil() const { return *FSoil; }
  TKvHydrology& Hydrology() const { return *FHydrology; }
  TKvRerun& Rerun() const { return *FRerun; }

  // The remaining operations (reset, writing and reading the input files,
  // running the model) are declared with their implementations.
  void Reset();

private:
  std::unique_ptr<TKvFileManager> FFileManager;
  std::unique_ptr<TKvGeneral> FGeneral;
  std::unique_ptr<TKvCrop> FCrop;
  std::unique_ptr<TKvWeather> FWeather;
  std::unique_ptr<TKvNutrients> FNutrients;
  std::unique_ptr<TKvSoil> FSoil;
  std::unique_ptr<TKvHydrology> FHydrology;
  std::unique_ptr<TKvRerun> FRerun;
};

// The one session; null before the main window creates it and after it closes.
extern TKvSession* TheSession;
