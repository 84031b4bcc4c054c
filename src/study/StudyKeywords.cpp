#include "study/StudyKeywords.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"
#include "session/Kvses.h"

namespace {
using K = TStudyValueKind;

int Int(const std::string& V) { return StrToInt(TrimBlanks(V)); }
long double Real(const std::string& V) { return StrToFloat(TrimBlanks(V)); }

// The entry of a data catalogue list whose file name is FileName (any case).
const TKorMenuItem* FindFile(const TMenuList& List, const std::string& FileName, int Format = -2) {
  const TMenuFileMatch Match(TrimBlanks(FileName));
  for (const auto& Item : List)
    if (Match(Item.Obj.get()) && (Format == -2 || Item.Obj->Format == Format)) return Item.Obj.get();
  return nullptr;
}

// The same for storing: a file the data catalogue lacks is an error.
const TKorMenuItem& NeedFile(const TMenuList& List, const std::string& FileName, int Format = -2) {
  if (const TKorMenuItem* I = FindFile(List, FileName, Format)) return *I;
  throw EKvError("'" + TrimBlanks(FileName) + "' not found in the data catalogue");
}

// clang-format off
const std::vector<TStudyKeyword>& Keywords() {
  static const std::vector<TStudyKeyword> Table = {
    // timer file
    {"CLFILE", K::StationFile, 0, 0, [](TKvSession& S, const std::string& V) {
       const TKorMenuItem& I = NeedFile(StationList, V);
       S.Weather().SetStationFile(I.FileName);
       S.Weather().SetStationDescription(I.Description);
       S.Weather().SetWeatherFormatNumber(I.Format); }},
    {"ISYR",   K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Weather().SetYear(Int(V)); }},
    {"INYEAR", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Weather().SetConsecutiveYears(Int(V)); }},
    {"IRNDAT", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Weather().SetRainfallDataOptions(Int(V)); }},
    {"RAFILE", K::RainFile, 0, 0, [](TKvSession& S, const std::string& V) {
       const TKorMenuItem& I = NeedFile(StationList, V, FormatRainfall);
       S.Weather().SetRainfallStationFile(I.FileName);
       S.Weather().SetRainfallStationDescription(I.Description); }},
    {"ISYRR",  K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Weather().SetRainfallYear(Int(V)); }},
    // The writer takes the one its rainfall option asks for.
    {"INYRG",  K::Integer, 0, 0, [](TKvSession& S, const std::string& V) {
       S.Weather().SetRainfallConsecutiveYears(Int(V));
       S.Weather().SetNoOfRunsWithRandomizedRain(Int(V)); }},
    {"CRFILE", K::CropFile, 0, 0, [](TKvSession& S, const std::string& V) {
       const TKorMenuItem& I = NeedFile(CropList, V);
       S.Crop().SetCropFile(I.FileName);
       S.Crop().SetCropDescription(I.Description); }},
    {"ISTCHO", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetStartDay(Int(V)); }},
    {"IDEM",   K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetFixedEmergenceDate(Int(V)); }},
    {"IDSOW",  K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetFixedSowingDate(Int(V)); }},
    {"IDESOW", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetEarliestSowingDate(Int(V)); }},
    {"IDLSOW", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetUltimateSowingDate(Int(V)); }},
    {"IENCHO", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetEndDay(Int(V)); }},
    {"IDAYEN", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetFixedEndDate(Int(V)); }},
    {"IDURMX", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Crop().SetMaximumDuration(Int(V)); }},
    {"IBAL",   K::Integer, 0, 3, [](TKvSession& S, const std::string& V) { S.General().SetSummarySeasonalSoilWaterBalance(Int(V)); }},
    // The session keeps the output interval in whole days.
    {"PRDEL",  K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.General().SetOutputInterval(Int(V)); }},
    {"ISDAY",  K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.General().SetWaterbalanceStartDay(Int(V)); }},
    // site file
    {"SOFILE", K::SoilFile, 0, 0, [](TKvSession& S, const std::string& V) {
       const TKorMenuItem& I = NeedFile(SoilList, V);
       S.Soil().SetSoilFile(I.FileName);
       S.Soil().SetSoilDescription(I.Description); }},
    {"IZT",    K::Integer, 0, 1, [](TKvSession& S, const std::string& V) { S.Hydrology().SetGroundwater(Int(V)); }},
    {"IFUNRN", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetTypeOfNonInfiltratingFractionOfRain(Int(V)); }},
    {"IDRAIN", K::Integer, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetDrainage(Int(V)); }},
    {"SSMAX",  K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetMaximumSurfaceStorage(Real(V)); }},
    {"WAV",    K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetInitialAvailableSoilWater(Real(V)); }},
    {"ZTI",    K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetInitialGroundWaterTable(Real(V)); }},
    {"DD",     K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetDrainageDepth(Real(V)); }},
    {"RDMSOL", K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetMaximumRootDepthOfSoil(Real(V)); }},
    {"NOTINF", K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetMaxNonInfiltratingFractionOfRain(Real(V)); }},
    {"NBASE",  K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Nutrients().SetNBase(Real(V)); }},
    {"NREC",   K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Nutrients().SetNrec(Real(V)); }},
    {"PBASE",  K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Nutrients().SetPBase(Real(V)); }},
    {"PREC",   K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Nutrients().SetPrec(Real(V)); }},
    {"KBASE",  K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Nutrients().SetKBase(Real(V)); }},
    {"KREC",   K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Nutrients().SetKrec(Real(V)); }},
    {"SSI",    K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetInitialSurfaceStorage(Real(V)); }},
    {"SMLIM",  K::Real, 0, 0, [](TKvSession& S, const std::string& V) { S.Hydrology().SetMaximumMoisture(Real(V)); }},
    // run options
    {"IPRODL", K::Integer, 1, 3, [](TKvSession& S, const std::string& V) { S.General().SetProductionLevels(Int(V)); }},
    {"IOXWL",  K::Integer, 0, 1, [](TKvSession& S, const std::string& V) { S.General().SetTypeOfWaterLimitedCropGrowth(Int(V)); }},
  };
  return Table;
}
// clang-format on

std::string RangeText(long double Min, long double Max) {
  return Format("%g to %g", double(Min), double(Max));
}
}  // namespace

const TStudyKeyword* FindStudyKeyword(const std::string& Name) {
  const std::string Upper = UpperCase(TrimBlanks(Name));
  for (const TStudyKeyword& K : Keywords())
    if (Upper == K.Name) return &K;
  return nullptr;
}

std::string CheckKeywordValue(const TStudyKeyword& Keyword, const std::string& Value) {
  const std::string V = TrimBlanks(Value);
  switch (Keyword.Kind) {
    case K::CropFile: return FindFile(CropList, V) ? "" : "no crop file " + V + " in the crop directory";
    case K::SoilFile: return FindFile(SoilList, V) ? "" : "no soil file " + V + " in the soil directory";
    case K::StationFile:
      return FindFile(StationList, V) ? "" : "no weather station " + V + " in the weather directories";
    case K::RainFile:
      return FindFile(StationList, V, FormatRainfall)
                 ? ""
                 : "no rainfall station " + V + " in the climate directory";
    case K::Integer:
    case K::Real: break;
  }
  long double Min = Keyword.Min, Max = Keyword.Max;
  if (const TRerunVar* C = FindCatalogueVar(Keyword.Name); C && (C->Min() != 0 || C->Max() != 0)) {
    Min = C->Min();
    Max = C->Max();
  }
  long double X = 0;
  if (Keyword.Kind == K::Integer) {
    int I = 0;
    if (!TryStrToInt(V, I) || V.find_first_of("$xX") != std::string::npos) return "a whole number is needed";
    X = I;
  } else if (!TryStrToFloat(V, X) || !std::isfinite(static_cast<double>(X))) {
    return "a number is needed";
  }
  if (X < Min || X > Max) return "allowed range " + RangeText(Min, Max);
  return {};
}

void StoreKeywordValue(TKvSession& Session, const TStudyKeyword& Keyword, const std::string& Value) {
  Keyword.Store(Session, Value);
  // A choice of soil sets the range of the initial moisture, as the soil
  // list does in the main window.
  if (Keyword.Kind == K::SoilFile) Session.SetMinMaxSMLIM();
}
