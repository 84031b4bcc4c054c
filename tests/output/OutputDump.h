#pragma once
// Everything a detailed output reader holds, as one text: lets a test compare
// two readings, or a reading with what it expects, in one step.

#include <sstream>
#include <string>

#include "output/OutDet.h"

inline std::string DumpLine(const TOutputLine& L) {
  std::string S;
  for (int k = 1; k <= TOutputLine::MaxValues; ++k) S += "|" + L.Value(k).Str();
  return S;
}

inline std::string DumpHeader(const THeader& H) {
  std::ostringstream S;
  S << H.RunName << "|" << H.RunYear << "|" << H.RainYear << "|" << H.WeatherName << "|" << H.WeatherFile
    << "|" << H.RainName << "|" << H.RainFile << "|" << H.CropName << "|" << H.CropFile << "|" << H.SoilName
    << "|" << H.SoilFile << "|" << H.Start << "|" << H.SowingDate << "|" << H.EmergenceDate << "|"
    << H.StartDay;
  return S.str();
}

inline std::string DumpSection(const TPotentialOutput& P) {
  std::ostringstream S;
  S << "header " << DumpHeader(*P.Header) << "\n";
  if (const auto* W = dynamic_cast<const TWaterLimitedOutput*>(&P))
    S << "info [" << W->Info[0] << "][" << W->Info[1] << "][" << W->Info[2] << "]\n";
  for (const auto& D : P.Days) S << "day " << D.Str << " " << DumpLine(*D.Obj) << "\n";
  S << "summary " << DumpLine(P.Summary) << "\n";
  return S.str();
}

inline std::string DumpBalance(const TWaterBalance& B) {
  std::ostringstream S;
  S << B.RunName << "|" << B.RunYear << "|" << B.RainYear << "|" << B.Title;
  for (const Str16* V : {&B.Change1,
                         &B.Change2,
                         &B.ToAtmos,
                         &B.CheckSum1,
                         &B.Checksum2,
                         &B.InitMaxRootZone,
                         &B.InitSurfStorage,
                         &B.Irrigation,
                         &B.Rainfall,
                         &B.TotalInitIn,
                         &B.FinalMaxRootZone,
                         &B.FinalSurfStorage,
                         &B.EvapWaterSurface,
                         &B.EvapSoilSurface,
                         &B.Transpiration,
                         &B.SurfaceRunoff,
                         &B.LostToDeepSoil,
                         &B.TotalFinalOut,
                         &B.InitialWaterStock,
                         &B.Infiltration,
                         &B.AddedByRootGrowth,
                         &B.CapillaryRise,
                         &B.TotalInitInRoot,
                         &B.FinalWaterStock,
                         &B.EvapSoilSurfaceRoot,
                         &B.TranspirationRoot,
                         &B.Perculation,
                         &B.FinalOut})
    S << "|" << *V;
  return S.str();
}

inline std::string DumpNutrients(const TNutrients& N) {
  std::ostringstream S;
  S << N.RunName;
  for (const Str16* Row : {N.bas, N.rec, N.Leaves, N.Stems, N.StorageOrgan, N.Ratio, N.HarvestIndex,
                           N.FertilizerN, N.FertilizerP, N.FertilizerK})
    S << "|" << Row[0] << "," << Row[1] << "," << Row[2];
  return S.str();
}

inline std::string Dump(const TRunOutput& R) {
  std::ostringstream S;
  S << "flags gw " << R.HasGroundwater << " water " << R.HasWaterLimited << " wb " << R.HasWaterBalance
    << " root " << R.HasRootZone << " nut " << R.HasNutrients << "\n";
  for (const auto& P : R.PotentialList) S << "potential " << P.Str << "\n" << DumpSection(*P.Obj);
  for (const auto& W : R.WaterList) S << "water " << W.Str << "\n" << DumpSection(*W.Obj);
  for (const auto& B : R.BalanceList) S << "balance " << B.Str << " " << DumpBalance(*B.Obj) << "\n";
  for (const auto& N : R.NutrientsList) S << "nutrients " << N.Str << " " << DumpNutrients(*N.Obj) << "\n";
  return S.str();
}
