#pragma once
// Writes model output files in the layout the bundled model uses (docs of the
// output files): the detailed output with its run blocks, water balances and
// nutrient summaries, and the potential, water-limited and long-term summary
// files. The values are kept in plain structures, so that a test can compare
// what the readers return with what was written. Used by the output tests and
// the output benchmark.

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace layout {

using TWords = std::vector<std::string>;

inline std::string Fmt(const char* F, double V) {
  char Buf[64];
  std::snprintf(Buf, sizeof Buf, F, V);
  return Buf;
}

// A small deterministic generator of values.
class TValues {
 public:
  explicit TValues(uint32_t Seed) : FState(Seed * 2654435761u + 1) {}
  double Next(double Max) {
    FState = FState * 1664525u + 1013904223u;
    return Max * static_cast<double>(FState >> 8) / static_cast<double>(1u << 24);
  }

 private:
  uint32_t FState;
};

// A line of words joined by two blanks, with a leading blank.
inline std::string Join(const TWords& W) {
  std::string S;
  for (const std::string& X : W) S += "  " + X;
  return S;
}

// ---------------------------------------------------------------- detailed output

struct TBalance {
  // Whole system.
  std::string Title = "WATER BALANCE WHOLE SYSTEM (one-dimensional soil column, cm)";
  std::string InitMaxRootZone, FinalMaxRootZone, Change1, InitSurfStorage, FinalSurfStorage, Change2,
      Irrigation, EvapWaterSurface, Rainfall, EvapSoilSurface, Transpiration, ToAtmos, SurfaceRunoff,
      LostToDeepSoil, TotalInitIn, TotalFinalOut, CheckSum1;
  // Root zone.
  std::string InitialWaterStock, FinalWaterStock, Infiltration, EvapSoilSurfaceRoot, AddedByRootGrowth,
      TranspirationRoot, CapillaryRise, Perculation, TotalInitInRoot, FinalOut, Checksum2;
};

struct TBlock {
  std::string RunName = "KRL1";
  bool Water = false;
  bool Groundwater = false;
  bool Whole = false;  // a whole-system water balance follows (water blocks)
  bool Root = false;   // a root-zone water balance follows (water blocks)
  std::string Year = "1987";
  std::string RainYear = "1987";
  bool ThreeLineRain = false;
  std::string WeatherName = "Station north, daily data (synthetic)";
  std::string WeatherFile = "..\\meteo\\merawe\\NLD1.";
  std::string RainName;  // as the reader gives it
  std::string RainFile = "..\\meteo\\climd\\RAINN.DAT";
  std::string CropName = "Winter wheat, north";
  std::string CropFile = "..\\cropd\\WWHEAT.CRP";
  std::string SoilName = "Loam, medium";
  std::string SoilFile = "..\\soild\\LOAM.SOL";
  std::string Start = "fixed sowing date";  // after "START-> crop:"
  std::string StartDay = "1", Sowing = "100", Emergence = "112";
  std::string Info[3];
  std::vector<TWords> Rows;
  TWords Summary;
  TBalance Balance;
};

struct TNutrientBlock {
  std::string bas[3], rec[3];
  std::string Rows[8][3];  // Leaves, Stems, StorageOrgan, Ratio, HarvestIndex, FertilizerN, P, K
};

struct TOptions {
  int Days = 30;     // daily rows per section
  int Interval = 1;  // days between rows
  bool Groundwater = false;
  int Balance = 3;  // 0 none, 1 whole system, 2 root zone, 3 both
  bool ThreeLineRain = false;
};

inline TBlock MakeBlock(const std::string& RunName, int RunNo, int Year, bool Water, const TOptions& O) {
  TValues V(static_cast<uint32_t>(RunNo * 7919 + Year * 31 + (Water ? 1 : 0)));
  TBlock B;
  B.RunName = RunName;
  B.Water = Water;
  B.Groundwater = O.Groundwater;
  B.Year = std::to_string(Year);
  B.ThreeLineRain = O.ThreeLineRain;
  if (O.ThreeLineRain) {
    B.RainYear = std::to_string(1970 + (Year + RunNo) % 20);
    B.RainName = "Rain station north";
  } else {
    B.RainYear = B.Year;
    B.RainName = "weather data file, rain year " + B.Year;
  }
  B.Sowing = std::to_string(90 + RunNo % 20);
  B.Emergence = std::to_string(100 + RunNo % 20 + Year % 5);
  const int Emergence = std::stoi(B.Emergence);
  if (Water) {
    B.Info[0] = std::string("WATER LIMITED CROP PRODUCTION   ") +
                (O.Groundwater ? "(groundwater)" : "(free drainage)");
    B.Info[1] = " rooted-zone water balance, daily values";
    B.Info[2] = " depth in cm, water in cm, rates in mm/d";
  }
  const int Cols = !Water ? 14 : O.Groundwater ? 15 : 16;
  for (int d = 0; d < O.Days; ++d) {
    TWords Row;
    Row.push_back(B.Year);
    Row.push_back(std::to_string(Emergence + d * O.Interval));
    for (int c = 2; c < Cols; ++c) {
      const double X = V.Next(c < 5 ? 2.0 : 9000.0);
      Row.push_back(c % 3 == 0   ? Fmt("%.2f", X)
                    : c % 3 == 1 ? Fmt("%.1f", X)
                                 : std::to_string(static_cast<int>(X)));
    }
    B.Rows.push_back(Row);
  }
  const int SumCols = Water ? 13 : 12;
  B.Summary.push_back(std::to_string(200 + static_cast<int>(V.Next(100))));  // HALT, an integer
  for (int c = 1; c < SumCols; ++c) B.Summary.push_back(Fmt("%.1f", V.Next(20000.0)));
  TBalance& W = B.Balance;
  B.Whole = Water && (O.Balance & 1);
  B.Root = Water && (O.Balance & 2);
  for (std::string* S : {&W.InitMaxRootZone,   &W.FinalMaxRootZone,  &W.Change1,
                         &W.InitSurfStorage,   &W.FinalSurfStorage,  &W.Change2,
                         &W.Irrigation,        &W.EvapWaterSurface,  &W.Rainfall,
                         &W.EvapSoilSurface,   &W.Transpiration,     &W.ToAtmos,
                         &W.SurfaceRunoff,     &W.LostToDeepSoil,    &W.TotalInitIn,
                         &W.TotalFinalOut,     &W.CheckSum1,         &W.InitialWaterStock,
                         &W.FinalWaterStock,   &W.Infiltration,      &W.EvapSoilSurfaceRoot,
                         &W.AddedByRootGrowth, &W.TranspirationRoot, &W.CapillaryRise,
                         &W.Perculation,       &W.TotalInitInRoot,   &W.FinalOut,
                         &W.Checksum2})
    *S = Fmt("%.1f", V.Next(400.0));
  return B;
}

inline void WriteBlock(std::ostream& Os, const TBlock& B, const char* Eol = "\r\n") {
  Os << "**KORVAL  simplified crop model, detailed output" << Eol;
  Os << "RUNNAM -> " << B.RunName << Eol;
  Os << "RERUNS -> yes" << Eol;
  Os << "WEATHER-> name: " << B.WeatherName << Eol;
  Os << " file: " << B.WeatherFile << " start year " << B.Year << Eol;
  if (B.ThreeLineRain) {
    Os << "RAIN-> station name: " << B.RainName << Eol;
    Os << " file: " << B.RainFile << Eol;
    Os << " year: " << B.RainYear << Eol;
  } else {
    Os << "RAIN-> from: " << B.RainName << Eol;
  }
  Os << "CROP     name : " << B.CropName << Eol;
  Os << " file: " << B.CropFile << Eol;
  Os << "SOIL     name : " << B.SoilName << Eol;
  Os << " file: " << B.SoilFile << Eol;
  Os << "START-> crop: " << B.Start << Eol;
  Os << Eol;
  Os << "start waterbalance day " << B.StartDay << (B.Water ? " , " : " ") << "sowing date day " << B.Sowing
     << " emergence date day " << B.Emergence << Eol;
  Os << Eol;
  if (!B.Water) {
    Os << "POTENTIAL CROP PRODUCTION" << Eol;
    Os << " YEAR DAY IDSEM  DVS   TSUM    WLV    WST    WSO   TAGP    LAI   TRA  GASS  MRES     DMI" << Eol;
    Os << "                      degrd  kg/ha  kg/ha  kg/ha  kg/ha  m2/m2  mm/d  CH2O  CH2O kg/ha/d" << Eol;
  } else {
    Os << B.Info[0] << Eol;
    Os << " (daily values)" << Eol;
    Os << B.Info[1] << Eol;
    Os << B.Info[2] << Eol;
    if (B.Groundwater) {
      Os << " YEAR DAY WLV WST WSO LAI RD RAIN TRA EVAP SM SS ZT wet dry" << Eol;
      Os << "          kg/ha kg/ha kg/ha m2/m2 cm mm mm/d mm/d vol.fr cm cm days days" << Eol;
    } else {
      Os << " YEAR DAY WLV WST WSO TAGP LAI RD SM RESRV AVAIL RAIN TRA EVA wet dry" << Eol;
      Os << "          kg/ha kg/ha kg/ha kg/ha m2/m2 cm vol.fr cm cm mm mm/d mm/d days days" << Eol;
    }
  }
  for (const TWords& R : B.Rows) Os << Join(R) << Eol;
  Os << Eol;
  Os << (B.Water ? "   HALT  ANTH  TWRT  TWLV  TWST  TWSO  TAGP HINDEX  TRC  GASST  MREST  wet  dry"
                 : "   HALT  ANTH  TWRT  TWLV  TWST  TWSO  TAGP HINDEX TRANSP  TRC  GASST  MREST")
     << Eol;
  Os << Join(B.Summary) << Eol;
  const TBalance& W = B.Balance;
  if (B.Whole) {
    Os << Eol << W.Title << Eol;
    if (B.Groundwater)
      Os << "init within top 10m  " << W.InitMaxRootZone << "  final within top 10m  " << W.FinalMaxRootZone
         << "  change:  " << W.Change1 << Eol;
    else
      Os << "init max root zone  " << W.InitMaxRootZone << "  final max root zone  " << W.FinalMaxRootZone
         << "  change:  " << W.Change1 << Eol;
    Os << "init surf storage  " << W.InitSurfStorage << "  final surf storage  " << W.FinalSurfStorage
       << "  change:  " << W.Change2 << Eol;
    Os << "irrigation  " << W.Irrigation << "  evap water surface  " << W.EvapWaterSurface << Eol;
    Os << "rainfall  " << W.Rainfall << "  evap soil surface  " << W.EvapSoilSurface << Eol;
    Os << "transpiration  " << W.Transpiration << "  to atmos  " << W.ToAtmos << Eol;
    Os << "surface runoff  " << W.SurfaceRunoff << Eol;
    if (B.Groundwater)
      Os << "lost through drains  " << W.LostToDeepSoil << Eol;
    else
      Os << "lost to deep soil  " << W.LostToDeepSoil << Eol;
    Os << "TOTAL INIT + IN  " << W.TotalInitIn << "  TOTAL FINAL + OUT  " << W.TotalFinalOut
       << "  checksum:  " << W.CheckSum1 << Eol;
  }
  if (B.Root) {
    Os << Eol << "WATER BALANCE ROOT ZONE" << Eol;
    Os << "init water stock  " << W.InitialWaterStock << "  final water stock  " << W.FinalWaterStock << Eol;
    Os << "infiltration  " << W.Infiltration << "  evap soil surface  " << W.EvapSoilSurfaceRoot << Eol;
    Os << "added by root growth  " << W.AddedByRootGrowth << "  transpiration  " << W.TranspirationRoot
       << Eol;
    if (B.Groundwater)
      Os << "capillary rise  " << W.CapillaryRise << "  percolation  " << W.Perculation << Eol;
    else
      Os << "percolation  " << W.Perculation << Eol;
    Os << "TOTAL INIT + IN  " << W.TotalInitInRoot << "  FINAL + OUT  " << W.FinalOut
       << "  checksum:  " << W.Checksum2 << Eol;
  }
  Os << Eol;
}

inline TNutrientBlock MakeNutrients(int No) {
  TValues V(static_cast<uint32_t>(9001 + No));
  TNutrientBlock N;
  const char* Names[3] = {"N", "P", "K"};
  for (int i = 0; i < 3; ++i) {
    N.bas[i] = std::string(Names[i]) + "bas = " + Fmt("%.1f", V.Next(100));
    N.rec[i] = std::string(Names[i]) + "rec = " + Fmt("%.2f", V.Next(1));
  }
  for (auto& Row : N.Rows)
    for (std::string& S : Row) S = Fmt("%.0f", V.Next(9000));
  return N;
}

inline void WriteNutrients(std::ostream& Os, const TNutrientBlock& N, const char* Eol = "\r\n") {
  static const char* Labels[8] = {"Leaves :",        "Stems :",        "Storage organ :", "Ratio SO/straw :",
                                  "Harvest index :", "Fertilizer N :", "Fertilizer P :",  "Fertilizer K :"};
  Os << "SUMMARY CROP PRODUCTION AND NUTRIENT REQUIREMENTS" << Eol;
  Os << N.bas[0] << ',' << N.bas[1] << ',' << N.bas[2] << Eol;
  Os << N.rec[0] << ',' << N.rec[1] << ',' << N.rec[2] << Eol;
  for (int r = 0; r < 8; ++r)
    Os << Labels[r] << ' ' << N.Rows[r][0] << " | " << N.Rows[r][1] << " | " << N.Rows[r][2] << Eol;
  Os << Eol;
}

// A whole session: for every run and year a potential and a water block,
// then one nutrient summary per run.
struct TSession {
  std::vector<TBlock> Blocks;
  std::vector<TNutrientBlock> Nutrients;
};

inline TSession MakeSession(const std::vector<std::string>& Runs, int FirstYear, int Years, const TOptions& O,
                            bool WithNutrients = true) {
  TSession S;
  for (size_t r = 0; r < Runs.size(); ++r)
    for (int y = 0; y < Years; ++y) {
      S.Blocks.push_back(MakeBlock(Runs[r], static_cast<int>(r), FirstYear + y, false, O));
      S.Blocks.push_back(MakeBlock(Runs[r], static_cast<int>(r), FirstYear + y, true, O));
    }
  if (WithNutrients)
    for (size_t r = 0; r < Runs.size(); ++r) S.Nutrients.push_back(MakeNutrients(static_cast<int>(r)));
  return S;
}

inline void WriteSession(std::ostream& Os, const TSession& S, const char* Eol = "\r\n") {
  for (const TBlock& B : S.Blocks) WriteBlock(Os, B, Eol);
  for (const TNutrientBlock& N : S.Nutrients) WriteNutrients(Os, N, Eol);
}

// ---------------------------------------------------------------- summary files

struct TSumRun {
  std::string RunName;
  std::vector<TWords> Rows;
  TWords Means, Deviations, Variations;  // the values only, without label words
};

struct TSumFile {
  bool Water = false;
  bool ThreeLineRain = false;
  std::vector<TSumRun> Runs;
};

inline TSumFile MakeSumFile(bool Water, const std::vector<std::string>& Runs, int FirstYear, int Years) {
  TSumFile F;
  F.Water = Water;
  TValues V(Water ? 77 : 55);
  const int Cols = Water ? 21 : 22;
  const int Stats = Water ? 15 : 10;
  for (const std::string& Name : Runs) {
    TSumRun R;
    R.RunName = Name;
    for (int y = 0; y < Years; ++y) {
      TWords Row = {std::to_string(FirstYear + y), Name, "1", "100"};
      if (!Water) Row.push_back("-->");
      while (static_cast<int>(Row.size()) < Cols) Row.push_back(Fmt("%.1f", V.Next(9000)));
      R.Rows.push_back(Row);
    }
    for (TWords* W : {&R.Means, &R.Deviations, &R.Variations})
      for (int i = 0; i < Stats; ++i) W->push_back(Fmt("%.2f", V.Next(900)));
    F.Runs.push_back(R);
  }
  return F;
}

inline void WriteSumFile(std::ostream& Os, const TSumFile& F, const char* Eol = "\r\n") {
  const TBlock H;  // the header texts
  Os << "**KORVAL  simplified crop model" << Eol;
  Os << (F.Water ? "OUTPUT water-limited production per year" : "OUTPUT potential production per year")
     << Eol;
  Os << "WEATHER-> name: " << H.WeatherName << Eol;
  Os << " file: " << H.WeatherFile << " start year " << H.Year << Eol;
  if (F.ThreeLineRain) {
    Os << "RAIN-> station name: Rain station north" << Eol;
    Os << " file: " << H.RainFile << Eol;
    Os << " year: 1980" << Eol;
  } else {
    Os << "RAIN-> from: weather data file" << Eol;
  }
  Os << "CROP     name : " << H.CropName << Eol;
  Os << " file: " << H.CropFile << Eol;
  Os << "SOIL     name : " << H.SoilName << Eol;
  Os << " file: " << H.SoilFile << Eol;
  Os << "groundwater: no, free drainage" << Eol;
  for (size_t r = 0; r < F.Runs.size(); ++r) {
    const TSumRun& R = F.Runs[r];
    if (r > 0) Os << "**KORVAL  simplified crop model" << Eol;
    Os << (F.Water
               ? " YEAR RUNNAM SET SOW EM DUR TWLV TWST TWSO TAGP LAIM HINDEX TRC RAINT DELWAT TRAT EVSOL "
                 "LOSST "
                 "TSR RYLD RAGP"
               : " YR RUNNAM SET SOW --> EM ANT FLWR DUR HALT TWRT TWLV TWST TWSO TAGP LAIM HINDEX TRC GASST "
                 "MREST TRANSP EVSOL")
       << Eol;
    for (const TWords& Row : R.Rows) Os << Join(Row) << Eol;
    const std::string Years = std::to_string(R.Rows.size());
    if (F.Water) {
      Os << Eol;
      Os << "MEANS over  " << Years << " years :" << Join(R.Means) << Eol;
      Os << "standard deviation :" << Join(R.Deviations) << Eol;
      Os << "variation coefficient :" << Join(R.Variations) << Eol;
    } else {
      Os << "**" << Eol;
      Os << "** MEANS over  " << Years << " years :" << Join(R.Means) << Eol;
      Os << "** standard deviation :" << Join(R.Deviations) << Eol;
      Os << "** variation coefficient :" << Join(R.Variations) << Eol;
    }
  }
}

inline std::vector<TWords> MakeLongTerm(const std::vector<std::string>& Runs) {
  TValues V(99);
  std::vector<TWords> Rows;
  for (int Situation = 1; Situation <= 2; ++Situation)
    for (const std::string& Name : Runs) {
      TWords Row = {std::to_string(Situation), Name, "0"};
      while (Row.size() < 18) Row.push_back(Fmt("%.1f", V.Next(9000)));
      Rows.push_back(Row);
    }
  return Rows;
}

inline void WriteLongTerm(std::ostream& Os, const std::vector<TWords>& Rows, const char* Eol = "\r\n") {
  Os << "**KORVAL  simplified crop model" << Eol;
  Os << "**PS RUNNAM IZT SOW EM DUR TWLV TWST TWSO var% TAGP var% LAIM HINDEX RYLD RAGP TRC RDMSOL" << Eol;
  for (const TWords& Row : Rows) Os << Join(Row) << Eol;
  Os << Eol;
}

}  // namespace layout
