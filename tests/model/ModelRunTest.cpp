// Whole model runs on a small fixture home: the output layout word by word,
// the error reports on bad input, and the plausibility of the results.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "ModelHome.h"
#include "model/Model.h"
#include "platform/FileSys.h"
#include <sstream>
#include "foundations/DxLine.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"

namespace {

using TWords = std::vector<std::string>;

double Num(const std::string& S) {
  long double V = 0;
  EXPECT_TRUE(TryStrToFloat(S, V)) << "'" << S << "' is not a number";
  return static_cast<double>(V);
}

bool StartsWith(const TWords& W, const TWords& Prefix) {
  if (W.size() < Prefix.size()) return false;
  for (size_t i = 0; i < Prefix.size(); ++i)
    if (W[i] != Prefix[i]) return false;
  return true;
}

const TWords PotHeader = {"YEAR", "DAY", "IDSEM", "DVS", "TSUM", "WLV", "WST", "WSO", "TAGP", "LAI", "TRA", "GASS", "MRES", "DMI"};
const TWords WatHeader = {"YEAR", "DAY", "WLV", "WST", "WSO", "TAGP", "LAI", "RD", "SM", "RESRV", "AVAIL", "RAIN", "TRA", "EVA", "wet", "dry"};
const TWords GwHeader = {"YEAR", "DAY", "WLV", "WST", "WSO", "LAI", "RD", "RAIN", "TRA", "EVAP", "SM", "SS", "ZT", "wet", "dry"};

struct TBlockCheck {
  int Potential = 0, Water = 0, Whole = 0, Root = 0, Nutrient = 0;
  std::vector<double> PotTwso, WatTwso;
};

// Walks the detailed output by the layout: every run block, its daily table,
// its summary row, the balances and the nutrient summaries.
TBlockCheck CheckDetailed(const std::string& Path, bool Gw) {
  TBlockCheck C;
  const auto L = FileWords(Path);
  const auto Raw = FileLines(Path);
  for (size_t i = 0; i < L.size(); ++i) {
    const TWords& W = L[i];
    if (StartsWith(W, {"RUNNAM", "->"})) {
      EXPECT_EQ(W.size(), 3u);
      EXPECT_LE(W[2].size(), 6u);
      EXPECT_TRUE(StartsWith(L[i + 1], {"RERUNS", "->"}));
      EXPECT_TRUE(StartsWith(L[i + 2], {"WEATHER->", "name:"}));
      const TWords& F = L[i + 3];
      const auto St = std::find(F.begin(), F.end(), "start");
      EXPECT_TRUE(St != F.end() && St + 2 < F.end() + 0 && *(St + 2) == F.back());
      size_t j = i + 4;
      if (L[j].size() > 2 && L[j][2] == "name:") j += 2;  // three-line rain form
      EXPECT_EQ(L[j + 1][0], "CROP");
      EXPECT_EQ(L[j + 3][0], "SOIL");
      EXPECT_EQ(L[j + 5][0], "START->");
      j += 6;
      while (L[j].empty()) ++j;
      const TWords& D = L[j];
      EXPECT_TRUE(StartsWith(D, {"start", "waterbalance", "day"}));
      const bool Water = D.size() > 4 && D[4] == ",";
      const size_t EmPos = Water ? 12 : 11;
      EXPECT_EQ(D.at(EmPos - 3), "emergence");
      const int Em = static_cast<int>(Num(D.at(EmPos)));
      EXPECT_GT(Em, 0);
      ++j;
      while (L[j].empty()) ++j;
      EXPECT_EQ(L[j][0], Water ? "WATER" : "POTENTIAL");
      const TWords& Want = Water ? (Gw ? GwHeader : WatHeader) : PotHeader;
      while (L[j] != Want && j + 1 < L.size()) ++j;
      EXPECT_EQ(L[j], Want);
      EXPECT_EQ(L[j + 1].size(), Want.size() - (Water ? 2 : 4)) << "units line";
      EXPECT_FALSE(IsFloat(L[j + 1][0]));
      j += 2;
      bool SawEm = false;
      for (; j < L.size() && !L[j].empty(); ++j) {
        EXPECT_EQ(L[j].size(), Want.size());
        EXPECT_TRUE(IsInteger(L[j][0]));
        if (static_cast<int>(Num(L[j][1])) == Em) SawEm = true;
      }
      EXPECT_TRUE(SawEm) << "no row for emergence day " << Em;
      while (!(L[j].size() > 0 && IsInteger(L[j][0]))) ++j;
      EXPECT_EQ(L[j].size(), Water ? 13u : 12u) << "summary row";
      (Water ? C.WatTwso : C.PotTwso).push_back(Num(L[j][5]));
      (Water ? C.Water : C.Potential)++;
    } else if (StartsWith(W, {"WATER", "BALANCE", "WHOLE"})) {
      ++C.Whole;
      EXPECT_EQ(L[i + 1][1], Gw ? "within" : "max");
      EXPECT_EQ(L[i + 1].size(), 12u);
      const TWords& T8 = L[i + 8];
      EXPECT_EQ(T8[0], "TOTAL");
      EXPECT_NEAR(Num(T8[4]), Num(T8[9]), 0.011);
      EXPECT_NEAR(Num(T8[11]), 0.0, 0.006);
      EXPECT_EQ(L[i + 7][0], "lost");
      EXPECT_EQ(L[i + 7].size(), Gw ? 4u : 5u);
    } else if (StartsWith(W, {"WATER", "BALANCE", "ROOT", "ZONE"})) {
      ++C.Root;
      EXPECT_EQ(L[i + 4][0], Gw ? "capillary" : "percolation");
      const TWords& R5 = L[i + 5];
      EXPECT_NEAR(Num(R5[4]), Num(R5[8]), 0.011);
      EXPECT_NEAR(Num(R5[10]), 0.0, 0.006);
    } else if (StartsWith(W, {"SUMMARY", "CROP", "PRODUCTION", "AND", "NUTRIENT"})) {
      ++C.Nutrient;
      // "Nbas = 60.0,Pbas = 10.0,Kbas = 60.0": three comma-separated fields
      for (size_t k : {1u, 2u}) {
        TDxLine Fields;
        Fields.SetWordSep(",");
        Fields.SetStr(Raw[i + k]);
        EXPECT_EQ(Fields.NoOfWords(), 3);
        for (int f = 1; f <= 3; ++f) EXPECT_LE(Fields.GetWord(f).size(), 16u);
        EXPECT_NE(Fields.GetWord(2)[0], ' ');
      }
      EXPECT_EQ(L[i + 3][0], "Leaves");
      EXPECT_EQ(L[i + 5][0], "Storage");
      EXPECT_EQ(L[i + 10][1], "K");
      for (size_t k : {2u, 4u, 6u}) EXPECT_TRUE(IsFloat(L[i + 3][k]));
    }
  }
  return C;
}

int CountRowsAfter(const std::vector<TWords>& L, const std::string& First, size_t Words) {
  int N = 0;
  for (const TWords& W : L)
    if (!W.empty() && IsInteger(W[0]) && W.size() == Words && W.size() > 1) ++N;
  (void)First;
  return N;
}

}  // namespace

TEST(ModelRun, WritesEveryFileInTheLayout) {
  TModelHome H;
  H.Opt["IOPT2"] = "4";
  H.RerunLines = {"RUNNAM='R1';", "IDSOW=90 ", "RUNNAM='R2';", "SOLNAM='Sand, test';", "SOFILE='SAND.SOL';",
                  "IDSOW=110 "};
  std::string Log;
  ASSERT_EQ(H.RunExe(Log), 0) << Log;
  EXPECT_EQ(Log.find("ERROR"), std::string::npos);
  const TBlockCheck C = CheckDetailed(H.Path("output/KRL.OUT"), false);
  EXPECT_EQ(C.Potential, 4);  // 2 reruns x 2 years
  EXPECT_EQ(C.Water, 4);
  EXPECT_EQ(C.Whole, 4);
  EXPECT_EQ(C.Root, 4);
  EXPECT_EQ(C.Nutrient, 2);

  const auto P = FileWords(H.Path("output/KRL.pps"));
  EXPECT_EQ(P[1][0], "OUTPUT");
  int Rows = 0, Means = 0;
  for (const TWords& W : P) {
    if (W.size() == 22 && IsInteger(W[0])) {
      ++Rows;
      EXPECT_EQ(W[4], "-->");
      EXPECT_TRUE(W[1] == "R1" || W[1] == "R2");
    }
    if (StartsWith(W, {"**", "MEANS", "over"})) {
      ++Means;
      EXPECT_EQ(W.size(), 6u + 10u);
    }
    if (StartsWith(W, {"**", "standard"}) || StartsWith(W, {"**", "variation"})) {
      EXPECT_EQ(W.size(), 4u + 10u);
    }
  }
  EXPECT_EQ(Rows, 4);
  EXPECT_EQ(Means, 2);

  const auto Wp = FileWords(H.Path("output/KRL.wps"));
  EXPECT_EQ(Wp[1][0], "OUTPUT");
  Rows = Means = 0;
  for (size_t i = 0; i < Wp.size(); ++i) {
    if (Wp[i].size() == 21 && IsInteger(Wp[i][0])) ++Rows;
    if (StartsWith(Wp[i], {"MEANS", "over"})) {
      ++Means;
      EXPECT_TRUE(Wp[i - 1].empty());
      EXPECT_EQ(Wp[i].size(), 5u + 15u);
      EXPECT_EQ(Wp[i + 1].size(), 3u + 15u);
    }
  }
  EXPECT_EQ(Rows, 4);
  EXPECT_EQ(Means, 2);

  const auto S = FileWords(H.Path("output/KRL.sum"));
  size_t Ps = 0;
  while (Ps < S.size() && (S[Ps].empty() || S[Ps][0] != "**PS")) ++Ps;
  ASSERT_LT(Ps, S.size());
  EXPECT_EQ(S[Ps].size(), 18u);
  for (size_t i = Ps + 1; i < Ps + 5; ++i) EXPECT_EQ(S[i].size(), 18u);
  EXPECT_TRUE(S[Ps + 5].empty());
  EXPECT_EQ(CountRowsAfter(S, "**PS", 18), 4);
}

TEST(ModelRun, GroundwaterBalancesCloseWithAndWithoutDrains) {
  for (const char* Drain : {"0", "1"})
    for (const char* Ibal : {"0", "2", "3"}) {
      SCOPED_TRACE(std::string("IDRAIN ") + Drain + ", IBAL " + Ibal);
      TModelHome H;
      H.Site["IZT"] = "1";
      H.Site["ZTI"] = "80.000000";
      H.Site["IDRAIN"] = Drain;
      H.Site["DD"] = "60.000000";
      H.Timer["IBAL"] = Ibal;
      H.Opt["IPRODL"] = "2";
      std::string Log;
      ASSERT_EQ(H.Run(Log), 0) << Log;
      const TBlockCheck C = CheckDetailed(H.Path("output/KRL.OUT"), true);
      EXPECT_EQ(C.Whole, 2) << "the whole system is always written with groundwater";
      EXPECT_EQ(C.Root, std::string(Ibal) == "0" ? 0 : 2);
      EXPECT_EQ(C.Nutrient, 0);
    }
}

TEST(ModelRun, ResultsRespondToWeatherSowingSoilAndReruns) {
  TModelHome H;
  H.Timer["ISYR"] = "1990";
  H.Timer["INYEAR"] = "2";  // 1991 is dry
  H.Site["WAV"] = "5.000000";
  H.Opt["IOPT2"] = "4";
  H.RerunLines = {"RUNNAM='EARLY';", "IDSOW=80 ", "RUNNAM='LATE';", "IDSOW=150 ", "RUNNAM='SAND';",
                  "IDSOW=80;", "SOFILE='SAND.SOL' "};
  std::string Log;
  std::vector<TRunResult> R;
  ASSERT_EQ(H.Run(Log, &R), 0) << Log;
  ASSERT_EQ(R.size(), 3u);
  const TYearResult &Wet = R[0].Years[0], &Dry = R[0].Years[1];
  EXPECT_EQ(Dry.Year, 1991);
  EXPECT_GT(Dry.Pot.TWSO, 1.2 * Dry.Wat.TWSO) << "the dry year limits growth";
  EXPECT_GT(Dry.Wat.Dry, 0);
  EXPECT_NEAR(Wet.Wat.TWSO, Wet.Pot.TWSO, 0.15 * Wet.Pot.TWSO) << "the wet year hardly does";
  EXPECT_NE(R[1].Years[0].Pot.TWSO, Wet.Pot.TWSO) << "sowing date";
  EXPECT_EQ(R[1].Years[0].Pot.SowDoy, 150);
  EXPECT_GT(R[1].Years[0].Pot.EmDoy, R[0].Years[0].Pot.EmDoy);
  EXPECT_GT(std::fabs(R[2].Years[1].Wat.TWSO - Dry.Wat.TWSO), 0.05 * Dry.Pot.TWSO) << "the soil changes water-limited growth";
  EXPECT_DOUBLE_EQ(R[2].Years[1].Pot.TWSO, Dry.Pot.TWSO) << "the soil does not change potential growth";
  for (const TRunResult& Run : R)
    for (const TYearResult& Y : Run.Years) {
      const TBalance& B = Y.Wat.Bal;
      EXPECT_NEAR(B.InWhole(), B.OutWhole(), 1e-9);
      EXPECT_NEAR(B.InRoot(), B.OutRoot(), 1e-9);
      EXPECT_GT(Y.Pot.TAGP, Y.Pot.TWSO);
      EXPECT_GT(Y.Pot.HINDEX, 0.2);
      EXPECT_LT(Y.Pot.HINDEX, 0.8);
    }
}

TEST(ModelRun, RainfallFileYearsAndVariableSowing) {
  TModelHome H;
  H.Timer["IRNDAT"] = "2";
  H.Timer["RAFILE"] = "'rain.dat'";  // the name's case does not matter
  H.Timer["ISYRR"] = "1985";
  H.Timer["INYRG"] = "3";
  H.Timer["INYEAR"] = "1";
  H.Timer["ISTCHO"] = "2";
  H.Timer["IDESOW"] = "100";
  H.Timer["IDLSOW"] = "130";
  std::string Log;
  std::vector<TRunResult> R;
  ASSERT_EQ(H.Run(Log, &R), 0) << Log;
  ASSERT_EQ(R.at(0).Years.size(), 3u) << "three rain years over one weather year";
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(R[0].Years[k].Year, 1990);
    EXPECT_EQ(R[0].Years[k].RainYear, 1985 + k);
    EXPECT_GE(R[0].Years[k].Pot.SowDoy, 100);
    EXPECT_LE(R[0].Years[k].Pot.SowDoy, 130);
  }
  EXPECT_NE(R[0].Years[0].Wat.RAINT, R[0].Years[1].Wat.RAINT);
  const auto L = FileWords(H.Path("output/KRL.OUT"));
  int Three = 0;
  for (size_t i = 0; i < L.size(); ++i)
    if (StartsWith(L[i], {"RAIN->", "station", "name:"})) {
      ++Three;
      EXPECT_EQ(L[i + 2][0], "year:");
    }
  EXPECT_EQ(Three, 6);
}

TEST(ModelRun, CropThatDoesNotEmergeKeepsItsBlocks) {
  TModelHome H;
  H.Timer["IDSOW"] = "330";
  H.Timer["IENCHO"] = "1";
  H.Timer["IDAYEN"] = "345";
  H.Timer["INYEAR"] = "1";
  std::string Log;
  std::vector<TRunResult> R;
  ASSERT_EQ(H.Run(Log, &R), 0) << Log;
  EXPECT_NE(Log.find("Warning"), std::string::npos);
  EXPECT_EQ(Log.find("ERROR"), std::string::npos);
  EXPECT_FALSE(R[0].Years[0].Pot.Emerged);
  EXPECT_EQ(R[0].Years[0].Pot.EmDoy, 345);
  EXPECT_EQ(R[0].Years[0].Pot.Rows.size(), 1u);
  const TBlockCheck C = CheckDetailed(H.Path("output/KRL.OUT"), false);
  EXPECT_EQ(C.Potential, 1);
  EXPECT_EQ(C.Water, 1);
}

TEST(ModelRun, WinterCropRunsIntoTheNextYear) {
  TModelHome H;
  H.Timer["ISYR"] = "1992";
  H.Timer["INYEAR"] = "1";
  H.Timer["IDSOW"] = "280";
  H.Timer["ISDAY"] = "250";
  std::string Log;
  std::vector<TRunResult> R;
  ASSERT_EQ(H.Run(Log, &R), 0) << Log;
  EXPECT_LT(R[0].Years[0].Pot.HarvDoy, 280);
  EXPECT_EQ(R[0].Years[0].Pot.Rows.back().Year, 1993);
  H.Timer["ISYR"] = "1993";  // 1994 has no weather file
  EXPECT_EQ(H.Run(Log), 1);
  EXPECT_NE(Log.find("TST1.994"), std::string::npos) << Log;
}

// Each case spoils one input; the model must report it and write nothing.
struct TBadCase {
  const char* Name;
  std::function<void(TModelHome&)> Spoil;
  const char* File;  // a part of the file name the error line names
  const char* Key;   // the key it names
};

TEST(ModelRun, BadInputGivesAnErrorReportAndNoOutput) {
  const std::vector<TBadCase> Cases = {
      {"run options missing", [](TModelHome&) {}, "runopt.dat", "RUNDIR"},
      {"run option key missing", [](TModelHome& H) { H.Opt.erase("IPRODL"); }, "runopt.dat", "IPRODL"},
      {"production level out of range", [](TModelHome& H) { H.Opt["IPRODL"] = "4"; }, "runopt.dat", "IPRODL"},
      {"timer key missing", [](TModelHome& H) { H.Timer.erase("IDSOW"); }, "KRLTI.TIM", "IDSOW"},
      {"timer value out of range", [](TModelHome& H) { H.Timer["IDSOW"] = "400"; }, "KRLTI.TIM", "IDSOW"},
      {"timer value not a number", [](TModelHome& H) { H.Timer["INYEAR"] = "two"; }, "KRLTI.TIM", "INYEAR"},
      {"monthly weather format", [](TModelHome& H) { H.Timer["IWEATH"] = "1"; }, "KRLTI.TIM", "IWEATH"},
      {"rainfall option 0", [](TModelHome& H) { H.Timer["IRNDAT"] = "0"; }, "KRLTI.TIM", "IRNDAT"},
      {"site value out of range", [](TModelHome& H) { H.Site["NOTINF"] = "1.500000"; }, "KRLSI.SIT", "NOTINF"},
      {"crop file missing", [](TModelHome& H) { H.Timer["CRFILE"] = "'NONE.CRP'"; }, "NONE.CRP", "CRFILE"},
      {"crop key missing",
       [](TModelHome& H) {
         std::string C = H.Read("cropd/TEST.CRP");
         C.replace(C.find("TSUM1"), 5, "XSUM1");
         H.Write("cropd/TEST.CRP", C);
       },
       "TEST.CRP", "TSUM1"},
      {"crop value out of range",
       [](TModelHome& H) {
         std::string C = H.Read("cropd/TEST.CRP");
         C.replace(C.find("TSUM1  = 800."), 13, "TSUM1  = 9000");
         H.Write("cropd/TEST.CRP", C);
       },
       "TEST.CRP", "TSUM1"},
      {"crop table not increasing",
       [](TModelHome& H) {
         std::string C = H.Read("cropd/TEST.CRP");
         C.replace(C.find("2.0, 5.0"), 8, "0.5, 5.0");
         H.Write("cropd/TEST.CRP", C);
       },
       "TEST.CRP", "AMAXTB"},
      {"soil out of order",
       [](TModelHome& H) {
         std::string S = H.Read("soild/LOAM.SOL");
         S.replace(S.find("SMW    = 0.12"), 13, "SMW    = 0.40");
         H.Write("soild/LOAM.SOL", S);
       },
       "LOAM.SOL", "SMFCF"},
      {"truncated weather file",
       [](TModelHome& H) { H.Write("meteo/merawe/TST1.990", TModelHome::WeatherYear("TST1", 1990, false, 200)); },
       "TST1.990", "day 201"},
      {"weather year missing", [](TModelHome& H) { H.Timer["ISYR"] = "1987"; }, "TST1.987", "CLFILE"},
      {"garbage weather line",
       [](TModelHome& H) {
         std::string W = H.Read("meteo/merawe/TST1.991");
         W.replace(W.find(" 1 1991  10 "), 12, " 1 1991  1x ");
         H.Write("meteo/merawe/TST1.991", W);
       },
       "TST1.991", "line"},
      {"rain year missing",
       [](TModelHome& H) {
         H.Timer["IRNDAT"] = "2";
         H.Timer["RAFILE"] = "'RAIN.DAT'";
         H.Timer["ISYRR"] = "1998";
         H.Timer["INYRG"] = "5";
       },
       "RAIN.DAT", "ISYRR"},
      {"rerun of the groundwater switch",
       [](TModelHome& H) {
         H.Opt["IOPT2"] = "4";
         H.RerunLines = {"RUNNAM='A';", "IZT=1 "};
       },
       "KRLRR.RER", "IZT"},
      {"rerun of an unknown variable",
       [](TModelHome& H) {
         H.Opt["IOPT2"] = "4";
         H.RerunLines = {"RUNNAM='A';", "XYZ=1 "};
       },
       "KRLRR.RER", "XYZ"},
      {"rerun value out of range",
       [](TModelHome& H) {
         H.Opt["IOPT2"] = "4";
         H.RerunLines = {"RUNNAM='A';", "IDSOW=90 ", "RUNNAM='B';", "TSUM1=-5 "};
       },
       "KRLRR.RER", "TSUM1"},
      {"binary run options",
       [](TModelHome& H) { H.Write("runio/runopt.dat", std::string("\x01\x02\xff=\x00\x10 ==\r\n", 12)); },
       "runopt.dat", "IOPT2"},
  };
  for (const TBadCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TModelHome H;
    H.WriteInputs();
    Case.Spoil(H);
    const bool Overwritten = std::string(Case.Name) == "run options missing" || std::string(Case.Name) == "binary run options";
    std::string Log;
    int Rc;
    if (Overwritten) {
      // Keep the spoiled run options: run without writing the inputs again.
      TCurrentDirGuard Guard;
      if (std::string(Case.Name) == "run options missing") RemoveFile(H.Path("runio/runopt.dat"), true);
      SetCurrentDir(H.Path("bin"));
      std::ostringstream Os;
      Rc = RunModel(Os, nullptr);
      Log = Os.str();
    } else {
      Rc = H.Run(Log);
    }
    EXPECT_EQ(Rc, 1) << Log;
    // The error line: the word ERROR, the file and the key.
    std::string ErrorLine, Last;
    std::istringstream In(Log);
    for (std::string L; std::getline(In, L);) {
      if (ErrorLine.empty() && (" " + L + " ").find(" ERROR ") != std::string::npos) ErrorLine = L;
      if (!L.empty()) Last = L;
    }
    EXPECT_NE(ErrorLine.find(Case.File), std::string::npos) << Log;
    EXPECT_NE(ErrorLine.find(Case.Key), std::string::npos) << Log;
    EXPECT_EQ(Last.rfind("Press", 0), 0u) << Log;
    EXPECT_FALSE(H.Exists("output/KRL.OUT"));
    EXPECT_FALSE(H.Exists("output/KRL.pps"));
  }
}

// Names come from the data and timer files as they stand: a name that ends in
// blanks or is empty still gives lines without trailing blanks, and an empty
// name falls back to the next source.
TEST(ModelRun, NoLineEndsInABlankWhateverTheNames) {
  struct TCase {
    const char* Name;
    const char* CropLine;  // replaces CRPNAM='Test cereal' in the crop file
    const char* TimerName;  // the timer file's CRPNAM
    const char* Shown;      // the crop name the headers show
  };
  const TCase Cases[] = {
      {"blanks inside the quotes", "CRPNAM='Test cereal   '", "'Test cereal'", "Test cereal"},
      {"empty in the crop file", "CRPNAM=''", "'Cereal of the timer  '", "Cereal of the timer"},
      {"empty everywhere", "CRPNAM=''", "''", "crop"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TModelHome H;
    std::string Crop = H.Read("cropd/TEST.CRP");
    Crop.replace(Crop.find("CRPNAM='Test cereal'"), 20, C.CropLine);
    H.Write("cropd/TEST.CRP", Crop);
    H.Timer["CRPNAM"] = C.TimerName;
    H.Timer["INYEAR"] = "1";
    std::string Log;
    ASSERT_EQ(H.Run(Log), 0) << Log;
    for (const char* File : {"output/KRL.OUT", "output/KRL.pps", "output/KRL.wps", "output/KRL.sum"}) {
      int Crops = 0;
      for (const std::string& L : FileLines(H.Path(File))) {
        EXPECT_TRUE(L.empty() || static_cast<unsigned char>(L.back()) > ' ') << File << ": '" << L << "'";
        if (L.rfind("CROP ", 0) == 0) {
          ++Crops;
          TDxLine Words;
          Words.SetStr(L);
          EXPECT_EQ(Words.GetWordsFrom(4), C.Shown) << File;
        }
      }
      EXPECT_EQ(Crops, std::string(File) == "output/KRL.sum" ? 0 : std::string(File) == "output/KRL.OUT" ? 2 : 1) << File;
    }
  }
}

// Differences of the balances that round to zero read 0.00, not -0.00,
// with and without groundwater.
TEST(ModelRun, BalanceDifferencesThatRoundToZeroShowNoSign) {
  TRunResult R;
  R.Name = "A";
  TYearResult Y;
  Y.Year = Y.RainYear = 1990;
  Y.HasWater = true;
  TBalance& B = Y.Wat.Bal;
  B.InitWhole = 30.0;
  B.FinalWhole = 30.0 + 1e-12;  // in - out is a rounding error below zero
  B.InitSS = 0.3;
  B.FinalSS = 0.3 - 1e-12;
  B.InitRoot = 10.0;
  B.FinalRoot = 10.0 + 1e-12;
  R.Years.push_back(Y);
  for (int Izt : {0, 1}) {
    SCOPED_TRACE(Izt);
    TOutputOptions O;
    O.IBAL = 3;
    O.IZT = Izt;
    const std::string Text = DetailedOutputText({R}, O);
    EXPECT_NE(Text.find("checksum:     0.00"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("-0.00"), std::string::npos) << Text;
  }
}
