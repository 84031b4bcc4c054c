#include "session/Kvses.h"

#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"

TKvSession* TheSession = nullptr;

TKvSession::TKvSession() {
  FFileManager = std::make_unique<TKvFileManager>();
  FGeneral = std::make_unique<TKvGeneral>();
  FCrop = std::make_unique<TKvCrop>();
  FWeather = std::make_unique<TKvWeather>();
  FNutrients = std::make_unique<TKvNutrients>();
  FSoil = std::make_unique<TKvSoil>();
  FHydrology = std::make_unique<TKvHydrology>();
  FRerun = std::make_unique<TKvRerun>(this);
  // The table always holds at least one rerun.
  FRerun->Reset();
}

TKvSession::~TKvSession() {
  // Members go in the reverse order of their creation.
  FRerun.reset();
  FHydrology.reset();
  FSoil.reset();
  FNutrients.reset();
  FWeather.reset();
  FCrop.reset();
  FGeneral.reset();
  FFileManager.reset();
}

void TKvSession::Reset() {
  FFileManager->Reset();
  FGeneral->Reset();
  FCrop->Reset();
  FWeather->Reset();
  FNutrients->Reset();
  FSoil->Reset();
  FHydrology->Reset();
  FRerun->Reset();
  try {
    SetMinMaxSMLIM();
  } catch (const std::exception&) {
    // No soil chosen yet (or its file gone): the catalogue's range stays.
  }
}

void TKvSession::SetMinMaxSMLIM() {
  FHydrology->SetMinMaximumMoisture(FloatOrZero(FRerun->GetDefaultVarValue("SMW", "R", "SF")));
  FHydrology->SetMaxMaximumMoisture(FloatOrZero(FRerun->GetDefaultVarValue("SM0", "R", "SF")));
  if (FHydrology->MaximumMoisture() < FHydrology->MinMaximumMoisture())
    FHydrology->SetMaximumMoisture(FHydrology->MinMaximumMoisture());
  if (!(FHydrology->MaximumMoisture() <= FHydrology->MaxMaximumMoisture()))
    FHydrology->SetMaximumMoisture(FHydrology->MaxMaximumMoisture());
}

std::string TKvSession::GetFileNameType(const std::string& FileType) const {
  if (FileType == "TD") return FFileManager->TimerFullName();
  if (FileType == "SD") return FFileManager->SiteFullName();
  // The crop and soil names are formed from this session's own directories
  // (the selection members go through TheSession, which may not be this
  // session yet while it is being set up).
  if (FileType == "CF") return FFileManager->CropPath() + "\\" + FCrop->CropFile();
  if (FileType == "SF") return FFileManager->SoilPath() + "\\" + FSoil->SoilFile();
  return std::string();
}
