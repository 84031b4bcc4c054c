#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundations/DxTxtFle.h"
#include "foundations/Errors.h"
#include "output/OutDet.h"
#include "output/OutputDump.h"
#include "output/OutputLayout.h"
#include "support/TestSupport.h"

namespace {
// One run block in the model's layout, with the parts a test varies.
struct TRunText {
  std::string RunName = "KRL1";
  std::string Weather = " file: ..\\meteo\\NLD1. start year 1987";
  std::string Rain = "RAIN-> from: weather data file, rain year 1987";
  std::string Section = "POTENTIAL CROP PRODUCTION";
  std::string Rows = " 1987 112 12.5 1234567890 12345678901234567890\n 1987 113 0.1\n";
  std::string Summary = " 245 12.5 abc";
  std::string After;  // water balances and the like

  std::string Text() const {
    const bool Water = Section.compare(0, 5, "WATER") == 0;
    return "**KORVAL test\nRUNNAM -> " + RunName + "\nRERUNS -> no\nWEATHER-> name: Station  north\n" +
           Weather + "\n" + Rain +
           "\nCROP     name : Winter wheat\n file: ..\\cropd\\WWHEAT.CRP\nSOIL     name : Loam\n"
           " file: ..\\soild\\LOAM.SOL\nSTART-> crop: fixed sowing date\n\n" +
           (Water ? "start waterbalance day 1 , sowing date day 100 emergence date day 112\n"
                  : "start waterbalance day 1 sowing date day 100 emergence date day 112\n") +
           "\n" + Section + (Water ? "\n skipped\n info one\n info two\n" : "\n") + " YEAR DAY X\n" + Rows +
           "\n HALT\n" + Summary + "\n" + After;
  }
};

const char* Balance(bool Gw) {
  return Gw ? "WATER BALANCE WHOLE SYSTEM\n"
              "init within top 10m 25.3 final within top 10m 22.1 change: -3.2\n"
              "init surf storage 0.1 final surf storage 0.2 change: 0.3\n"
              "irrigation 1.0 evap water surface 2.0\n"
              "rainfall 310.5 evap soil surface 45.2\n"
              "transpiration 250.1 to atmos 295.3\n"
              "surface runoff 0.4\n"
              "lost through drains 18.4\n"
              "TOTAL INIT + IN 335.8 TOTAL FINAL + OUT 335.9 checksum: 0.5\n"
              "WATER BALANCE ROOT ZONE\n"
              "init water stock 12.0 final water stock 10.0\n"
              "infiltration 300.0 evap soil surface 45.3\n"
              "added by root growth 3.0 transpiration 250.2\n"
              "capillary rise 1.5 percolation 2.5\n"
              "TOTAL INIT + IN 315.0 FINAL + OUT 315.1 checksum: 0.6\n"
            : "WATER BALANCE WHOLE SYSTEM\n"
              "init max root zone 25.3 final max root zone 22.1 change: -3.2\n"
              "init surf storage 0.1 final surf storage 0.2 change: 0.3\n"
              "irrigation 1.0 evap water surface 2.0\n"
              "rainfall 310.5 evap soil surface 45.2\n"
              "transpiration 250.1 to atmos 295.3\n"
              "surface runoff 0.4\n"
              "lost to deep soil 18.4\n"
              "TOTAL INIT + IN 335.8 TOTAL FINAL + OUT 335.9 checksum: 0.5\n"
              "WATER BALANCE ROOT ZONE\n"
              "init water stock 12.0 final water stock 10.0\n"
              "infiltration 300.0 evap soil surface 45.3\n"
              "added by root growth 3.0 transpiration 250.2\n"
              "percolation 9.7 (capillary rise none)\n"
              "TOTAL INIT + IN 315.0 FINAL + OUT 315.1 checksum: 0.6\n";
}

const char* Nutrients =
    "SUMMARY CROP PRODUCTION AND NUTRIENT REQUIREMENTS\n"
    "Nbas = 60.0,Pbas = 10.0,Kbas = 60.0\n"
    "a, b\n"
    "Leaves : 1500 | 1200 | 1300\n"
    "Stems : 2000 | 1800 | 1700\n"
    "Storage organ : 6000 | 5000 | 4500\n"
    "Ratio SO/straw : 1.7 | 1.6 | 1.5\n"
    "Harvest index : 0.50 | 0.48 | 0.45\n"
    "Fertilizer N : 120 | 90 | 80\n"
    "Fertilizer P : 20 | 15 | 12\n"
    "Fertilizer K : 100 | 80 | 70\n";

std::string Pad8(const std::string& W) {
  const std::string P = W.size() < 8 ? std::string(8 - W.size(), ' ') + W : W;
  return P.substr(0, 16);
}

// The reading as ReadOutputFile does it and as the plain text file reader
// does it, or the error that stopped it.
std::string ReadMemory(const std::string& Path, TDailyRows Rows = TDailyRows::Keep) {
  try {
    TDetailedOutput D;
    D.ReadOutputFile(Path, Rows);
    return Dump(D.Data);
  } catch (const std::exception& E) {
    return std::string("error: ") + E.what();
  }
}

std::string ReadPlain(const std::string& Path) {
  try {
    TRunOutput R;
    TDxTextFile F(Path);
    R.ReadAll(F);
    return Dump(R);
  } catch (const std::exception& E) {
    return std::string("error: ") + E.what();
  }
}
// A dump without its daily rows: what a reading that passes over the daily
// tables must hold.
std::string WithoutDays(const std::string& Dumped) {
  std::istringstream In(Dumped);
  std::string Out, Line;
  while (std::getline(In, Line))
    if (Line.compare(0, 4, "day ") != 0) Out += Line + "\n";
  return Out;
}
}  // namespace

TEST(DetailedOutput, ReadsHeaderTableAndSummary) {
  TTempDir Dir;
  TRunText Pot;
  TRunText Wat;
  Wat.RunName = "RUN2   ";
  Wat.Section = "WATER LIMITED CROP PRODUCTION (free drainage)";
  Wat.Rain = "RAIN-> station name: Rain  north\n file: ..\\meteo\\RAIN N.DAT\n year: 1980 x";
  Wat.Weather = " file: C:\\a b\\w.dat start y 1990";
  const std::string Path = Dir.Write("krl.out", Pot.Text() + Wat.Text());
  TDetailedOutput D(Path);
  EXPECT_EQ(D.FileName, Path);
  EXPECT_TRUE(D.Data.PotentialList.Empty());
  ASSERT_TRUE(D.ReadOutputFile(Path));
  const TRunOutput& R = D.Data;
  EXPECT_TRUE(R.HasWaterLimited);
  EXPECT_FALSE(R.HasWaterBalance || R.HasRootZone || R.HasGroundwater || R.HasNutrients);
  EXPECT_TRUE(R.BalanceList.Empty());
  ASSERT_EQ(R.PotentialList.Count(), 1);
  ASSERT_EQ(R.WaterList.Count(), 1);

  const TPotentialOutput& P = *R.PotentialList.Objects(0);
  EXPECT_EQ(R.PotentialList.Strings(0), "KRL1");
  const THeader& H = *P.Header;
  EXPECT_EQ(H.RunName, "KRL1");
  EXPECT_EQ(H.RunYear, "1987");
  EXPECT_EQ(H.RainYear, "1987");
  EXPECT_EQ(H.WeatherName, "Station  north");
  EXPECT_EQ(H.WeatherFile, "..\\meteo\\NLD1.");
  EXPECT_EQ(H.RainName, "weather data file, rain year 1987");
  EXPECT_EQ(H.RainFile, "");
  EXPECT_EQ(H.CropName, "Winter wheat");
  EXPECT_EQ(H.CropFile, "..\\cropd\\WWHEAT.CRP");
  EXPECT_EQ(H.SoilName, "Loam");
  EXPECT_EQ(H.SoilFile, "..\\soild\\LOAM.SOL");
  EXPECT_EQ(H.Start, "fixed sowing date");
  EXPECT_EQ(H.StartDay, "1");
  EXPECT_EQ(H.SowingDate, "100");
  EXPECT_EQ(H.EmergenceDate, "112");
  ASSERT_EQ(P.Days.Count(), 2);
  EXPECT_EQ(P.Days.Strings(0), "1987");
  const TOutputLine& Day = *P.Days.Objects(0);
  EXPECT_EQ(Day.Value(1), "    1987");
  EXPECT_EQ(Day.Value(3), "    12.5");
  EXPECT_EQ(Day.Value(4), "1234567890");
  EXPECT_EQ(Day.Value(5), "1234567890123456");
  EXPECT_EQ(Day.Value(6), "");
  EXPECT_EQ(P.Summary.Value(1), "245");
  EXPECT_EQ(P.Summary.Value(2), "12.5");
  EXPECT_EQ(P.Summary.Value(3), "abc");

  const TWaterLimitedOutput& W = *R.WaterList.Objects(0);
  EXPECT_EQ(R.WaterList.Strings(0), "RUN2");
  EXPECT_EQ(W.Header->RunName, "RUN2");
  EXPECT_EQ(W.Header->WeatherFile, "C:\\a b\\w.dat");
  EXPECT_EQ(W.Header->RunYear, "1990");
  EXPECT_EQ(W.Header->RainName, "Rain  north");
  EXPECT_EQ(W.Header->RainFile, "..\\meteo\\RAIN N.DAT");
  EXPECT_EQ(W.Header->RainYear, "1980");
  EXPECT_EQ(W.Header->SowingDate, "100");
  EXPECT_EQ(W.Header->EmergenceDate, "112");
  EXPECT_EQ(W.Info[0], "WATER LIMITED CROP PRODUCTION (free drainage)");
  EXPECT_EQ(W.Info[1], " info one");
  EXPECT_EQ(W.Info[2], " info two");
  EXPECT_EQ(W.Days.Count(), 2);
}

TEST(DetailedOutput, WeatherFileLineAndRunName) {
  struct Case {
    std::string Line, File, Year;
  };
  const Case Cases[] = {
      {" x C:\\a b\\w.dat start y 1990", "C:\\a b\\w.dat", "1990"},
      {" x C:\\a b\\w.dat y 1990", "C:\\a b\\w.dat y 1990", "9999"},
      {" x w.dat start", "w.dat", "9999"},
      {" x w.dat start 1990", "w.dat", "9999"},
      {" x w.dat start year 1990 more", "w.dat", "1990"},
      {" x", "", "9999"},
  };
  TTempDir Dir;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Line);
    TRunText T;
    T.Weather = C.Line;
    T.RunName = "  ABCDEFGHIJ KLMNOPQRSTUV   ";
    const std::string Path = Dir.Write("w.out", T.Text());
    TDetailedOutput D;
    D.ReadOutputFile(Path);
    ASSERT_EQ(D.Data.PotentialList.Count(), 1);
    const THeader& H = *D.Data.PotentialList.Objects(0)->Header;
    EXPECT_EQ(H.WeatherFile, C.File);
    EXPECT_EQ(H.RunYear, C.Year);
    EXPECT_EQ(H.RunName, "ABCDEFGHIJ KLMNO");
  }
}

TEST(DetailedOutput, RunsEndAtAnUnknownSectionOrInsideAHeader) {
  TTempDir Dir;
  TRunText Good, Odd;
  Odd.RunName = "ODD";
  Odd.Section = "NUTRIENT LIMITED";
  struct Case {
    std::string Text;
    int Potential;
  };
  const Case Cases[] = {
      {Good.Text() + Odd.Text() + Good.Text(), 1},              // the unknown section stops the reading
      {Good.Text() + "RUNNAM -> CUT\nWEATHER-> name: x\n", 1},  // ends inside a header
      {Good.Text() + "RUNNAM -> CUT\nPOTENTIAL", 2},            // ... on a line that reads as a section line
      {"no run at all\nWATER here\n", 0},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(::testing::PrintToString(C.Text));
    const std::string Path = Dir.Write("e.out", C.Text);
    TDetailedOutput D;
    D.ReadOutputFile(Path);
    EXPECT_EQ(D.Data.PotentialList.Count(), C.Potential);
    EXPECT_EQ(D.Data.WaterList.Count(), 0);
    EXPECT_EQ(ReadMemory(Path), ReadPlain(Path));
  }
  // The file without runs still tells that it holds a "WATER" line.
  TDetailedOutput D;
  D.ReadOutputFile(Dir / "e.out");
  EXPECT_TRUE(D.Data.HasWaterLimited);
  // A run cut inside its header takes the rest from the last line.
  D.ReadOutputFile(Dir.Write("e.out", Good.Text() + "RUNNAM -> CUT\nPOTENTIAL"));
  const TPotentialOutput& Cut = *D.Data.PotentialList.Objects(1);
  EXPECT_EQ(Cut.Header->RunName, "CUT");
  EXPECT_EQ(Cut.Header->Start, "");
  EXPECT_EQ(Cut.Days.Count(), 0);
}

TEST(DetailedOutput, FindsWaterBalancesAndGroundwater) {
  TTempDir Dir;
  const std::string Whole(Balance(true), std::string(Balance(true)).find("WATER BALANCE ROOT"));
  const std::string Root = std::string(Balance(true)).substr(Whole.size());
  const std::string RootNoGw =
      std::string(Balance(false)).substr(std::string(Balance(false)).find("WATER BALANCE ROOT"));
  struct Case {
    std::string Name, After;
    bool Wb, Rt, Gw;
  };
  const Case Cases[] = {
      {"both, groundwater", Balance(true), true, true, true},
      {"both, none", Balance(false), true, true, false},
      {"whole within, root without capillary rise", Whole + RootNoGw, true, true, false},
      {"whole only, within", Whole, true, false, true},
      {"root only, capillary rise", Root, false, true, true},
      {"no balance", "", false, false, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    TRunText T;
    T.Section = "WATER LIMITED";
    T.After = C.After;
    const std::string Path = Dir.Write("b.out", T.Text() + T.Text());
    TDetailedOutput D;
    D.ReadOutputFile(Path);
    const TRunOutput& R = D.Data;
    EXPECT_EQ(R.HasWaterBalance, C.Wb);
    EXPECT_EQ(R.HasRootZone, C.Rt);
    EXPECT_EQ(R.HasGroundwater, C.Gw);
    EXPECT_EQ(R.WaterList.Count(), 2);
    EXPECT_EQ(R.BalanceList.Count(), C.Wb || C.Rt ? 2 : 0);
    EXPECT_EQ(ReadMemory(Path), ReadPlain(Path));
  }
  // No line starts with "WATER": the balance flags stay false.
  TDetailedOutput D;
  TRunText T;
  T.After = "no WATER here\ncapillary rise 1.0\n";
  D.ReadOutputFile(Dir.Write("b.out", T.Text()));
  EXPECT_FALSE(D.Data.HasWaterLimited || D.Data.HasWaterBalance || D.Data.HasRootZone ||
               D.Data.HasGroundwater);
}

TEST(DetailedOutput, WaterBalanceValues) {
  TTempDir Dir;
  for (bool Gw : {false, true}) {
    const std::string Path = Dir.Write("wb.txt", std::string(100, 'W') + "\n" + Balance(Gw));
    TDxTextFile F(Path);
    F.NextLine();  // the search starts after the current line
    TWaterBalance B;
    B.RunName = "KEEP";
    B.ReadBalance(F, Gw, true, true);
    EXPECT_EQ(B.Title, "WATER BALANCE WHOLE SYSTEM");
    EXPECT_EQ(B.InitMaxRootZone, "25.3");
    EXPECT_EQ(B.FinalMaxRootZone, "22.1");
    EXPECT_EQ(B.Change1, "-3.2");
    EXPECT_EQ(B.InitSurfStorage, "0.1");
    EXPECT_EQ(B.FinalSurfStorage, "0.2");
    EXPECT_EQ(B.Change2, "0.3");
    EXPECT_EQ(B.Irrigation, "1.0");
    EXPECT_EQ(B.EvapWaterSurface, "2.0");
    EXPECT_EQ(B.Rainfall, "310.5");
    EXPECT_EQ(B.EvapSoilSurface, "45.2");
    EXPECT_EQ(B.Transpiration, "250.1");
    EXPECT_EQ(B.ToAtmos, "295.3");
    EXPECT_EQ(B.SurfaceRunoff, "0.4");
    EXPECT_EQ(B.LostToDeepSoil, "18.4");
    EXPECT_EQ(B.TotalInitIn, "335.8");
    EXPECT_EQ(B.TotalFinalOut, "335.9");
    EXPECT_EQ(B.CheckSum1, "0.5");
    EXPECT_EQ(B.InitialWaterStock, "12.0");
    EXPECT_EQ(B.FinalWaterStock, "10.0");
    EXPECT_EQ(B.Infiltration, "300.0");
    EXPECT_EQ(B.EvapSoilSurfaceRoot, "45.3");
    EXPECT_EQ(B.AddedByRootGrowth, "3.0");
    EXPECT_EQ(B.TranspirationRoot, "250.2");
    EXPECT_EQ(B.CapillaryRise, Gw ? "1.5" : "0.0");
    EXPECT_EQ(B.Perculation, Gw ? "2.5" : "9.7");
    EXPECT_EQ(B.TotalInitInRoot, "315.0");
    EXPECT_EQ(B.FinalOut, "315.1");
    EXPECT_EQ(B.Checksum2, "0.6");
    B.Clear();
    EXPECT_EQ(B.RunName, "KEEP");
    EXPECT_EQ(DumpBalance(B), DumpBalance(TWaterBalance()).replace(0, 0, "KEEP"));
  }
  // Only the root zone: the whole-system values stay empty. A long title is
  // cut to 80 characters.
  const std::string Long = "WATER BALANCE WHOLE " + std::string(80, 'x');
  const std::string Path = Dir.Write("wb.txt", Long + "\n" + std::string(Balance(false)).substr(26));
  TDxTextFile F(Path);
  TWaterBalance B;
  B.ReadBalance(F, false, false, true);
  EXPECT_EQ(B.Title, "");
  EXPECT_EQ(B.Rainfall, "");
  EXPECT_EQ(B.InitialWaterStock, "12.0");
  F.ResetFile();
  B.ReadBalance(F, false, true, false);
  EXPECT_EQ(B.Title, Long.substr(0, 80));
  EXPECT_EQ(B.InitialWaterStock, "");
}

TEST(DetailedOutput, NutrientSummariesForDistinctRunNames) {
  TTempDir Dir;
  TRunText A, B, C;
  B.RunName = "krl1";  // the same name in other letters
  C.RunName = "OTHER";
  const std::string Long =
      std::string(Nutrients).replace(std::string(Nutrients).find("Nbas"), 4, "Nbas is a very long text");
  const std::string Path = Dir.Write("n.out", A.Text() + B.Text() + C.Text() + Long + Nutrients);
  TDetailedOutput D;
  D.ReadOutputFile(Path);
  const TRunOutput& R = D.Data;
  ASSERT_EQ(R.PotentialList.Count(), 3);
  EXPECT_EQ(R.PotentialList.Strings(0), "KRL1");
  EXPECT_EQ(R.PotentialList.Strings(1), "krl1");
  ASSERT_EQ(R.NutrientsList.Count(), 2);
  EXPECT_EQ(R.NutrientsList.Strings(0), "KRL1");
  EXPECT_EQ(R.NutrientsList.Strings(1), "OTHER");
  const TNutrients& N = *R.NutrientsList.Objects(0);
  EXPECT_EQ(N.bas[0], "Nbas is a very l");
  EXPECT_EQ(N.bas[1], "Pbas = 10.0");
  EXPECT_EQ(N.rec[0], "a");
  EXPECT_EQ(N.rec[1], " b");
  EXPECT_EQ(N.rec[2], "");
  EXPECT_EQ(N.Leaves[2], "1300");
  EXPECT_EQ(N.Stems[0], "2000");
  EXPECT_EQ(N.StorageOrgan[1], "5000");
  EXPECT_EQ(N.Ratio[0], "1.7");
  EXPECT_EQ(N.HarvestIndex[2], "0.45");
  EXPECT_EQ(N.FertilizerN[0], "120");
  EXPECT_EQ(N.FertilizerP[1], "15");
  EXPECT_EQ(N.FertilizerK[2], "70");
  EXPECT_EQ(R.NutrientsList.Objects(1)->bas[0], "Nbas = 60.0");

  // A third summary after the last marker stays empty.
  TDxTextFile F(Path);
  TNutrients First, Second, Third;
  First.ReadNutrientsData(F);
  Second.ReadNutrientsData(F);
  Third.RunName = "X";
  Third.ReadNutrientsData(F);
  EXPECT_EQ(DumpNutrients(Third), "X|,,|,,|,,|,,|,,|,,|,,|,,|,,|,,");
}

TEST(DetailedOutput, RowsOfMoreThanTwentyFiveValuesFail) {
  TTempDir Dir;
  TRunText Good;
  std::string Row = " 1987";
  for (int i = 2; i <= 26; ++i) Row += " v" + std::to_string(i);
  for (bool InSummary : {false, true}) {
    TRunText Bad;
    Bad.RunName = "BAD";
    (InSummary ? Bad.Summary : Bad.Rows) = Row + "\n";
    const std::string Path = Dir.Write("r.out", Good.Text() + Bad.Text() + Good.Text());
    TDetailedOutput D("before");
    EXPECT_THROW(D.ReadOutputFile(Path), ERangeError);
    EXPECT_EQ(D.FileName, "before");
    ASSERT_EQ(D.Data.PotentialList.Count(), 1);
    EXPECT_EQ(D.Data.PotentialList.Strings(0), "KRL1");
  }
}

TEST(DetailedOutput, AFileThatCannotBeOpenedKeepsThePreviousContent) {
  TTempDir Dir;
  TRunText T;
  const std::string Path = Dir.Write("ok.out", T.Text());
  Dir.MakeDir("dir.out");
  TDetailedOutput D;
  D.ReadOutputFile(Path);
  for (const std::string& Bad : {Dir / "none.out", Dir / "dir.out"}) {
    try {
      D.ReadOutputFile(Bad);
      ADD_FAILURE() << Bad;
    } catch (const EKvError& E) {
      EXPECT_EQ(E.Message(), "Error reading outputfile: " + Bad);
    }
    EXPECT_EQ(D.FileName, Path);
    EXPECT_EQ(D.Data.PotentialList.Count(), 1);
  }
  // Reading another file replaces the content.
  D.ReadOutputFile(Dir.Write("empty.out", ""));
  EXPECT_EQ(D.Data.PotentialList.Count(), 0);
  EXPECT_EQ(D.FileName, Dir / "empty.out");
}

// Files laid out as the bundled model writes them read back into the values
// written, for every combination of water balances, groundwater, rain form
// and line ends.
TEST(DetailedOutput, RoundTripOverTheModelLayout) {
  TTempDir Dir;
  for (int Bal = 0; Bal <= 3; ++Bal)
    for (bool Gw : {false, true})
      for (bool Rain3 : {false, true})
        for (const char* Eol : {"\r\n", "\n"}) {
          layout::TOptions O;
          O.Days = 5;
          O.Balance = Bal;
          O.Groundwater = Gw;
          O.ThreeLineRain = Rain3;
          O.Interval = 3;
          const layout::TSession S = layout::MakeSession({"KRL1", "RUN2", "krl1"}, 1987, 2, O);
          std::ostringstream Os;
          layout::WriteSession(Os, S, Eol);
          const std::string Path = Dir.Write("KRL.OUT", Os.str());
          const std::string What = "balance " + std::to_string(Bal) + " gw " + std::to_string(Gw) +
                                   " rain3 " + std::to_string(Rain3) + (Eol[0] == '\r' ? " crlf" : " lf");
          TDetailedOutput D;
          ASSERT_TRUE(D.ReadOutputFile(Path));
          const TRunOutput& R = D.Data;
          EXPECT_TRUE(R.HasWaterLimited) << What;
          EXPECT_EQ(R.HasWaterBalance, (Bal & 1) != 0) << What;
          EXPECT_EQ(R.HasRootZone, (Bal & 2) != 0) << What;
          EXPECT_EQ(R.HasGroundwater, Gw && Bal != 0) << What;
          EXPECT_TRUE(R.HasNutrients) << What;
          ASSERT_EQ(R.PotentialList.Count(), 6) << What;
          ASSERT_EQ(R.WaterList.Count(), 6) << What;
          ASSERT_EQ(R.BalanceList.Count(), Bal ? 6 : 0) << What;
          ASSERT_EQ(R.NutrientsList.Count(), 2) << What;  // krl1 is KRL1
          int p = 0, w = 0;
          for (const layout::TBlock& B : S.Blocks) {
            const TPotentialOutput& Sec = B.Water
                                              ? static_cast<const TPotentialOutput&>(*R.WaterList.Objects(w))
                                              : *R.PotentialList.Objects(p);
            const THeader& H = *Sec.Header;
            EXPECT_EQ(H.RunName, B.RunName) << What;
            EXPECT_EQ(H.RunYear, B.Year) << What;
            EXPECT_EQ(H.RainYear, B.RainYear) << What;
            EXPECT_EQ(H.WeatherName, B.WeatherName) << What;
            EXPECT_EQ(H.WeatherFile, B.WeatherFile) << What;
            EXPECT_EQ(H.RainName, B.RainName) << What;
            EXPECT_EQ(H.RainFile, Rain3 ? B.RainFile : "") << What;
            EXPECT_EQ(H.CropName, B.CropName) << What;
            EXPECT_EQ(H.CropFile, B.CropFile) << What;
            EXPECT_EQ(H.SoilName, B.SoilName) << What;
            EXPECT_EQ(H.SoilFile, B.SoilFile) << What;
            EXPECT_EQ(H.Start, B.Start) << What;
            EXPECT_EQ(H.StartDay, B.StartDay) << What;
            EXPECT_EQ(H.SowingDate, B.Sowing) << What;
            EXPECT_EQ(H.EmergenceDate, B.Emergence) << What;
            ASSERT_EQ(Sec.Days.Count(), static_cast<int>(B.Rows.size())) << What;
            for (size_t d = 0; d < B.Rows.size(); ++d) {
              EXPECT_EQ(Sec.Days.Strings(static_cast<int>(d)), B.Rows[d][0]);
              const TOutputLine& L = *Sec.Days.Objects(static_cast<int>(d));
              for (size_t k = 0; k < 25; ++k)
                EXPECT_EQ(L.Value(static_cast<int>(k + 1)), k < B.Rows[d].size() ? Pad8(B.Rows[d][k]) : "");
            }
            for (size_t k = 0; k < 25; ++k)
              EXPECT_EQ(Sec.Summary.Value(static_cast<int>(k + 1)), k < B.Summary.size() ? B.Summary[k] : "");
            if (B.Water) {
              const TWaterLimitedOutput& WS = *R.WaterList.Objects(w);
              for (int i = 0; i < 3; ++i) EXPECT_EQ(WS.Info[i], B.Info[i]) << What;
              if (Bal) {
                const TWaterBalance& Wb = *R.BalanceList.Objects(w);
                const layout::TBalance& E = B.Balance;
                EXPECT_EQ(R.BalanceList.Strings(w), B.RunName);
                EXPECT_EQ(Wb.RunYear, B.Year);
                EXPECT_EQ(Wb.RainYear, B.RainYear);
                const bool Wh = Bal & 1, Rt = Bal & 2;
                const std::string None;
                EXPECT_EQ(Wb.Title, Wh ? E.Title : None) << What;
                EXPECT_EQ(Wb.InitMaxRootZone, Wh ? E.InitMaxRootZone : None) << What;
                EXPECT_EQ(Wb.FinalMaxRootZone, Wh ? E.FinalMaxRootZone : None) << What;
                EXPECT_EQ(Wb.Change1, Wh ? E.Change1 : None) << What;
                EXPECT_EQ(Wb.InitSurfStorage, Wh ? E.InitSurfStorage : None) << What;
                EXPECT_EQ(Wb.FinalSurfStorage, Wh ? E.FinalSurfStorage : None) << What;
                EXPECT_EQ(Wb.Change2, Wh ? E.Change2 : None) << What;
                EXPECT_EQ(Wb.Irrigation, Wh ? E.Irrigation : None) << What;
                EXPECT_EQ(Wb.EvapWaterSurface, Wh ? E.EvapWaterSurface : None) << What;
                EXPECT_EQ(Wb.Rainfall, Wh ? E.Rainfall : None) << What;
                EXPECT_EQ(Wb.EvapSoilSurface, Wh ? E.EvapSoilSurface : None) << What;
                EXPECT_EQ(Wb.Transpiration, Wh ? E.Transpiration : None) << What;
                EXPECT_EQ(Wb.ToAtmos, Wh ? E.ToAtmos : None) << What;
                EXPECT_EQ(Wb.SurfaceRunoff, Wh ? E.SurfaceRunoff : None) << What;
                EXPECT_EQ(Wb.LostToDeepSoil, Wh ? E.LostToDeepSoil : None) << What;
                EXPECT_EQ(Wb.TotalInitIn, Wh ? E.TotalInitIn : None) << What;
                EXPECT_EQ(Wb.TotalFinalOut, Wh ? E.TotalFinalOut : None) << What;
                EXPECT_EQ(Wb.CheckSum1, Wh ? E.CheckSum1 : None) << What;
                EXPECT_EQ(Wb.InitialWaterStock, Rt ? E.InitialWaterStock : None) << What;
                EXPECT_EQ(Wb.FinalWaterStock, Rt ? E.FinalWaterStock : None) << What;
                EXPECT_EQ(Wb.Infiltration, Rt ? E.Infiltration : None) << What;
                EXPECT_EQ(Wb.EvapSoilSurfaceRoot, Rt ? E.EvapSoilSurfaceRoot : None) << What;
                EXPECT_EQ(Wb.AddedByRootGrowth, Rt ? E.AddedByRootGrowth : None) << What;
                EXPECT_EQ(Wb.TranspirationRoot, Rt ? E.TranspirationRoot : None) << What;
                EXPECT_EQ(Wb.CapillaryRise, !Rt ? None : Gw ? E.CapillaryRise : "0.0") << What;
                EXPECT_EQ(Wb.Perculation, Rt ? E.Perculation : None) << What;
                EXPECT_EQ(Wb.TotalInitInRoot, Rt ? E.TotalInitInRoot : None) << What;
                EXPECT_EQ(Wb.FinalOut, Rt ? E.FinalOut : None) << What;
                EXPECT_EQ(Wb.Checksum2, Rt ? E.Checksum2 : None) << What;
              }
              ++w;
            } else {
              ++p;
            }
          }
          for (int n = 0; n < 2; ++n) {
            const TNutrients& N = *R.NutrientsList.Objects(n);
            const layout::TNutrientBlock& E = S.Nutrients[n];
            const Str16* Rows[8] = {N.Leaves,       N.Stems,       N.StorageOrgan, N.Ratio,
                                    N.HarvestIndex, N.FertilizerN, N.FertilizerP,  N.FertilizerK};
            for (int i = 0; i < 3; ++i) {
              EXPECT_EQ(N.bas[i], E.bas[i]);
              EXPECT_EQ(N.rec[i], E.rec[i]);
              for (int r = 0; r < 8; ++r) EXPECT_EQ(Rows[r][i], E.Rows[r][i]) << What;
            }
          }
          EXPECT_EQ(ReadMemory(Path), ReadPlain(Path)) << What;
          EXPECT_EQ(ReadMemory(Path, TDailyRows::Skip), WithoutDays(ReadMemory(Path))) << What;
        }
}

// Bad input never crashes or hangs: a model file cut after every line and
// inside lines, binary junk and lines of a megabyte give the same partial
// results or errors as a plain reading of the file.
TEST(DetailedOutput, BadInputReadsLikeThePlainReader) {
  TTempDir Dir;
  layout::TOptions O;
  O.Days = 3;
  O.Groundwater = true;
  const layout::TSession S = layout::MakeSession({"KRL1", "RUN2"}, 1990, 1, O);
  std::ostringstream Os;
  layout::WriteSession(Os, S, "\r\n");
  const std::string Full = Os.str();
  std::vector<std::string> Texts;
  for (size_t i = 0; i <= Full.size(); ++i)
    if (i == Full.size() || Full[i] == '\n' || i % 7 == 0) Texts.push_back(Full.substr(0, i));
  layout::TValues V(1);
  for (int j = 0; j < 8; ++j) {
    std::string Junk(4096 + j * 1000, '\0');
    for (char& C : Junk) C = static_cast<char>(static_cast<unsigned char>(V.Next(256)));
    Texts.push_back(Junk);
    Texts.push_back(Full.substr(0, Full.size() / 2) + Junk + Full.substr(Full.size() / 2));
  }
  const std::string Mega(1 << 20, '7');
  std::string MegaWords;
  for (int i = 0; i < (1 << 19); ++i) MegaWords += "1 ";
  Texts.push_back(Mega + "\n" + Full);
  Texts.push_back(Full + Mega);
  Texts.push_back(MegaWords + "\n" + Full);
  // Blank lines that hold blanks.
  std::string Blanks = Full;
  for (size_t At = 0; (At = Blanks.find("\r\n\r\n", At)) != std::string::npos; At += 6)
    Blanks.replace(At, 4, "\r\n  \r\n");
  Texts.push_back(Blanks);
  // A megabyte row in a daily table: one word, kept as its first 16
  // characters.
  const size_t RowEnd = Full.find("\r\n", Full.find("\r\n  1990") + 2) + 2;
  Texts.push_back(Full.substr(0, RowEnd) + Mega + "\r\n" + Full.substr(RowEnd));
  int Errors = 0;
  for (size_t i = 0; i < Texts.size(); ++i) {
    const std::string Path = Dir.Write("bad.out", Texts[i]);
    const std::string Memory = ReadMemory(Path);
    ASSERT_EQ(Memory, ReadPlain(Path)) << "text " << i << " of " << Texts.size();
    if (Memory.compare(0, 6, "error:") == 0) {
      EXPECT_EQ(Memory, "error: Range check error") << "text " << i;
      ++Errors;
    } else {
      // Passing over the daily tables, the rest reads the same.
      EXPECT_EQ(ReadMemory(Path, TDailyRows::Skip), WithoutDays(Memory)) << "text " << i;
    }
  }
  EXPECT_GE(Errors, 1);  // the megabyte of words
  TDetailedOutput D;
  D.ReadOutputFile(Dir.Write("bad.out", Texts.back()));
  const TPotentialOutput& First = *D.Data.PotentialList.Objects(0);
  ASSERT_EQ(First.Days.Count(), 4);
  EXPECT_EQ(First.Days.Objects(1)->Value(1), Mega.substr(0, 16));
  EXPECT_EQ(First.Days.Strings(1), Mega);
}

// A file larger than the memory the process may have: a message that says
// so and names the file, never a bare allocation failure.
TEST(DetailedOutput, AFileLargerThanTheFreeMemoryIsNamed) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than the limit leaves";
#else
  TTempDir Dir;
  {
    std::ofstream Out(Dir / "BIG.OUT", std::ios::binary);
    layout::TOptions O;
    O.Days = 240;
    for (int y = 0; y < 120; ++y)
      for (bool Water : {false, true})
        layout::WriteBlock(Out, layout::MakeBlock("KRL1", 0, 1900 + y, Water, O));
  }
  const pid_t Child = fork();
  ASSERT_GE(Child, 0);
  if (Child == 0) {
    // The address space in use now and a quarter of the file more: too
    // little for the rows, however compactly they are kept.
    long Pages = 0;
    std::ifstream("/proc/self/statm") >> Pages;
    const rlim_t Limit = static_cast<rlim_t>(Pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) +
                         static_cast<rlim_t>(std::filesystem::file_size(Dir / "BIG.OUT") / 4);
    const struct rlimit L = {Limit, Limit};
    setrlimit(RLIMIT_AS, &L);
    try {
      TDetailedOutput D;
      D.ReadOutputFile(Dir / "BIG.OUT");
      _exit(2);
    } catch (const EKvError& E) {
      const std::string Text = E.what();
      _exit(Text.find("not enough free memory to read the output file " + Dir / "BIG.OUT") !=
                    std::string::npos
                ? 0
                : 3);
    } catch (...) {
      _exit(4);
    }
  }
  int Status = 0;
  ASSERT_EQ(waitpid(Child, &Status, 0), Child);
  ASSERT_TRUE(WIFEXITED(Status));
  EXPECT_EQ(WEXITSTATUS(Status), 0) << "2: read whole, 3: another message, 4: another failure";
#endif
}
