// Whole model runs on a small fixture home: the output layout word by word,
// the error reports on bad input, and the plausibility of the results.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "ModelHome.h"
#include "OutputLayout.h"
#include "foundations/DxLine.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "model/Model.h"
#include "platform/FileSys.h"

TEST(ModelRun, WritesEveryFileInTheLayout) {
  TModelHome H;
  H.Opt["IOPT2"] = "4";
  H.RerunLines = {"RUNNAM='R1';",         "IDSOW=90 ",          "RUNNAM='R2';",
                  "SOLNAM='Sand, test';", "SOFILE='SAND.SOL';", "IDSOW=110 "};
  std::string Log;
  ASSERT_EQ(H.RunExe(Log), 0) << Log;
  EXPECT_EQ(Log.find("ERROR"), std::string::npos);
  const TBlockCheck C = CheckDetailed(H.Path("output/KRL.OUT"), false);
  EXPECT_EQ(C.Potential, 4);  // 2 reruns x 2 years
  EXPECT_EQ(C.Water, 4);
  EXPECT_EQ(C.Whole, 4);
  EXPECT_EQ(C.Root, 4);
  EXPECT_EQ(C.Nutrient, 2);

  CheckSummaries(H.Path("output/"), 2, 2, true, true);
  EXPECT_EQ(H.List("output"), (std::vector<std::string>{"KRL.OUT", "KRL.pps", "KRL.sum", "KRL.wps"}));
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
  H.RerunLines = {"RUNNAM='EARLY';", "IDSOW=80 ", "RUNNAM='LATE';",    "IDSOW=150 ",
                  "RUNNAM='SAND';",  "IDSOW=80;", "SOFILE='SAND.SOL' "};
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
  // In the dry year the crop fails on both soils; with some rain the sand
  // holds less of it.
  EXPECT_GT(std::fabs(R[2].Years[0].Wat.TWSO - Wet.Wat.TWSO), 0.05 * Wet.Pot.TWSO)
      << "the soil changes water-limited growth";
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

namespace {

// The first line of a log that holds the word ERROR, and its last line.
void ErrorAndLastLine(const std::string& Log, std::string& ErrorLine, std::string& Last) {
  ErrorLine.clear();
  std::istringstream In(Log);
  for (std::string L; std::getline(In, L);) {
    if (ErrorLine.empty() && (" " + L + " ").find(" ERROR ") != std::string::npos) ErrorLine = L;
    if (!L.empty()) Last = L;
  }
}

std::string Words(const std::string& First, int N, const std::string& Word) {
  std::string S = First;
  for (int i = 0; i < N; ++i) S += " " + Word;
  return S;
}

// Each case spoils one input; the model must report it, naming the file and
// (where the fault lies in a line) the line, and write nothing.
struct TBadCase {
  const char* Name;
  std::function<void(TModelHome&)> Spoil;
  const char* File;  // a part of the file name the error line names
  const char* Key;   // what the error line says next: the line and key
};

}  // namespace

TEST(ModelRun, BadInputGivesAnErrorReportAndNoOutput) {
  auto Reruns = [](TModelHome& H, std::vector<std::string> Lines) {
    H.Opt["IOPT2"] = "4";
    H.RerunLines = std::move(Lines);
  };
  auto RerunBytes = [](TModelHome& H, const std::string& Bytes) {
    H.Opt["IOPT2"] = "4";
    H.Replace["runio/KRLRR.RER"] = Bytes;
  };
  auto EditFile = [](TModelHome& H, const std::string& Rel, const std::string& From, const std::string& To) {
    std::string C = H.Read(Rel);
    ASSERT_NE(C.find(From), std::string::npos) << From;
    C.replace(C.find(From), From.size(), To);
    H.Replace[Rel] = C;
  };
  const std::vector<TBadCase> Cases = {
      {"run options missing", [](TModelHome& H) { H.Remove.push_back("runio/runopt.dat"); }, "runopt.dat",
       "RUNDIR"},
      {"run option key missing", [](TModelHome& H) { H.Opt.erase("IPRODL"); }, "runopt.dat", "IPRODL"},
      {"production level out of range", [](TModelHome& H) { H.Opt["IPRODL"] = "4"; }, "runopt.dat, line 5",
       "IPRODL"},
      {"binary run options",
       [](TModelHome& H) { H.Replace["runio/runopt.dat"] = std::string("\x01\x02\xff=\x00\x10 ==\r\n", 12); },
       "runopt.dat, line 1", "control character"},
      {"timer key missing", [](TModelHome& H) { H.Timer.erase("IDSOW"); }, "KRLTI.TIM", "IDSOW"},
      {"timer value out of range", [](TModelHome& H) { H.Timer["IDSOW"] = "400"; }, "KRLTI.TIM, line 16",
       "key IDSOW"},
      {"timer value not a number", [](TModelHome& H) { H.Timer["INYEAR"] = "two"; }, "KRLTI.TIM, line 8",
       "key INYEAR"},
      {"monthly weather format", [](TModelHome& H) { H.Timer["IWEATH"] = "1"; }, "KRLTI.TIM, line 5",
       "key IWEATH"},
      {"rainfall option 0", [](TModelHome& H) { H.Timer["IRNDAT"] = "0"; }, "KRLTI.TIM, line 9",
       "key IRNDAT"},
      {"site value out of range", [](TModelHome& H) { H.Site["NOTINF"] = "1.500000"; }, "KRLSI.SIT, line 13",
       "key NOTINF"},
      {"crop file missing", [](TModelHome& H) { H.Timer["CRFILE"] = "'NONE.CRP'"; }, "NONE.CRP", "CRFILE"},
      {"crop key missing", [&](TModelHome& H) { EditFile(H, "cropd/TEST.CRP", "TSUM1", "XSUM1"); },
       "TEST.CRP", "TSUM1"},
      {"crop value out of range",
       [&](TModelHome& H) { EditFile(H, "cropd/TEST.CRP", "TSUM1  = 800.", "TSUM1  = 9000"); },
       "TEST.CRP, line 7", "key TSUM1"},
      {"crop table not increasing",
       [&](TModelHome& H) { EditFile(H, "cropd/TEST.CRP", "2.0, 5.0", "0.5, 5.0"); }, "TEST.CRP, line 39",
       "key AMAXTB"},
      {"soil out of order",
       [&](TModelHome& H) { EditFile(H, "soild/LOAM.SOL", "SMW    = 0.12", "SMW    = 0.40"); },
       "LOAM.SOL, line 3", "key SMFCF"},
      {"truncated weather file",
       [](TModelHome& H) {
         H.Replace["meteo/merawe/TST1.990"] = TModelHome::WeatherYear("TST1", 1990, false, 200);
       },
       "TST1.990, line 205", "day 201"},
      {"weather year missing", [](TModelHome& H) { H.Timer["ISYR"] = "1987"; }, "TST1.987", "CLFILE"},
      {"station altitude beyond any field",
       [&](TModelHome& H) {
         EditFile(H, "meteo/merawe/TST1.990", "  5.00  52.00   10.0", "  5.00  52.00 50000");
       },
       "TST1.990, line 4", "altitude out of range"},
      {"a rerun's wilting point above field capacity names the rerun",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='A';", "SMW=0.5 "});
       },
       "KRLRR.RER", "key SMW"},
      {"an output directory that is none",
       [&](TModelHome& H) { EditFile(H, "bin/DIRECT.INI", "OUTDIR=..\\output\\", "OUTDIR=nan"); },
       "DIRECT.INI", "key OUTDIR"},
      {"control characters in a directory",
       [&](TModelHome& H) { EditFile(H, "bin/DIRECT.INI", "OUTDIR=..\\output\\", "OUTDIR=..\\o\x01ut\\"); },
       "DIRECT.INI", "key OUTDIR"},
      {"garbage weather line",
       [&](TModelHome& H) { EditFile(H, "meteo/merawe/TST1.990", " 1 1990  10 ", " 1 1990  1x "); },
       "TST1.990, line 14", "'1x' is not a number"},
      {"weather line of 300 words",
       [&](TModelHome& H) {
         EditFile(H, "meteo/merawe/TST1.990", " 1 1990  10 ",
                  Words(" 1 1990  10 x", 300, "9") + "\r\n 1 1990  10 ");
       },
       "TST1.990, line 14", "'x' is not a number"},
      {"rain year missing",
       [](TModelHome& H) {
         H.Timer["IRNDAT"] = "2";
         H.Timer["RAFILE"] = "'RAIN.DAT'";
         H.Timer["ISYRR"] = "1998";
         H.Timer["INYRG"] = "5";
       },
       "RAIN.DAT", "ISYRR"},
      {"rerun of the groundwater switch",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='A';", "IZT=1 "});
       },
       "KRLRR.RER, line 5", "key IZT"},
      {"rerun of an unknown variable",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='A';", "XYZ=1 "});
       },
       "KRLRR.RER, line 5", "key XYZ"},
      {"rerun value out of range",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='A';", "IDSOW=90 ", "RUNNAM='B';", "TSUM1=-5 "});
       },
       "KRLRR.RER, line 7 (rerun B)", "key TSUM1"},
      {"two reruns joined by a ';' too many",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='R1';", "IDSOW=80;", "RUNNAM='R2';", "IDSOW=110 "});
       },
       "KRLRR.RER, line 6", "key RUNNAM"},
      {"a rerun sets a variable twice",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='R1';", "IDSOW=80;", "IDSOW=90 "});
       },
       "KRLRR.RER, line 6", "key IDSOW"},
      {"partitioning above the ground that is 0 from some stage on (a NaN weight before)",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='A';", "FOTB=0,0,2,0 "});
       },
       "KRLRR.RER, line 5 (rerun A)", "key FOTB"},
      {"partitioning that adds up to more than one in the crop file",
       [&](TModelHome& H) { EditFile(H, "cropd/TEST.CRP", "1.2, 0.0, 2.0, 0.0", "1.2, 0.5, 2.0, 0.5"); },
       "TEST.CRP, line", "key FLTB"},
      {"a rerun's soil moisture table below the wilting point (moisture 0 under groundwater before)",
       [&](TModelHome& H) {
         H.Site["IZT"] = "1";
         H.Site["ZTI"] = "250";
         Reruns(H, {"RUNNAM='A';", "SMTAB=0,0,4.2,0 "});
       },
       "KRLRR.RER, line 5 (rerun A)", "key SMTAB"},
      {"soil moisture table above saturation",
       [&](TModelHome& H) { EditFile(H, "soild/LOAM.SOL", "SMTAB  = 0.0, 0.45,", "SMTAB  = 0.0, 0.60,"); },
       "LOAM.SOL, line", "key SMTAB"},
      {"a rerun's base vernalisation above the saturated one",
       [&](TModelHome& H) {
         Reruns(H, {"RUNNAM='A';", "VERNSA=20;", "VERNBA=30;", "VERNDV=0.3;", "VERNTB=-10,1,50,1 "});
       },
       "KRLRR.RER, line 6 (rerun A)", "key VERNBA"},
      {"rerun line of 300 words", [&](TModelHome& H) { Reruns(H, {Words("RUNNAM='A'", 300, "x")}); },
       "KRLRR.RER, line 4", "'x' is not of the form"},
      {"reruns asked for, the file holds none", [&](TModelHome& H) { Reruns(H, {}); }, "KRLRR.RER", "KORRER"},
      {"empty rerun file", [&](TModelHome& H) { RerunBytes(H, ""); }, "KRLRR.RER", "KORRER"},
      {"rerun file cut inside its header", [&](TModelHome& H) { RerunBytes(H, "** File        : ..\\RUN"); },
       "KRLRR.RER", "KORRER"},
      {"rerun file with CR-only line ends",
       [&](TModelHome& H) { RerunBytes(H, "** File\r** Date\rRUNNAM='R1';\rIDSOW=80 \r"); },
       "KRLRR.RER, line 1", "carriage return"},
      {"binary bytes in a rerun header line",
       [&](TModelHome& H) {
         RerunBytes(H, std::string("** Fi\x00\x01le\r\nRUNNAM='R1';\r\nIDSOW=80 \r\n", 32));
       },
       "KRLRR.RER, line 1", "control character"},
  };
  for (const TBadCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TModelHome H;
    Case.Spoil(H);
    std::string Log;
    EXPECT_EQ(H.Run(Log), 1) << Log;
    // The error line: the word ERROR, the file, where in it, and the key.
    std::string ErrorLine, Last;
    ErrorAndLastLine(Log, ErrorLine, Last);
    const size_t File = ErrorLine.find(Case.File);
    EXPECT_NE(File, std::string::npos) << Log;
    EXPECT_NE(ErrorLine.find(Case.Key, File), std::string::npos) << Log;
    EXPECT_NE(Log.find("no output has been written"), std::string::npos) << Log;
    EXPECT_EQ(Last.rfind("Press", 0), 0u) << Log;
    EXPECT_TRUE(H.List("output").empty());
  }
}

// Lines of any length and any number of words are read; comments are only
// comments.
TEST(ModelRun, CommentsOfManyWordsAreRead) {
  const std::string Comment = Words("**", 300, "note");
  TModelHome H;
  H.Opt["IOPT2"] = "4";
  H.RerunLines = {Comment, "RUNNAM='A';", "IDSOW=90 "};
  H.Timer["IRNDAT"] = "2";
  H.Timer["RAFILE"] = "'RAIN.DAT'";
  H.Timer["ISYRR"] = "1985";
  for (const char* F : {"meteo/merawe/TST1.990", "meteo/merawe/TST1.991", "meteo/climd/RAIN.DAT"})
    H.Replace[F] = Comment + "\r\n" + H.Read(F);
  std::string Log;
  std::vector<TRunResult> R;
  ASSERT_EQ(H.Run(Log, &R), 0) << Log;
  EXPECT_EQ(R.at(0).Years.size(), 2u);
}

// The weather runs out in a season that reaches into a year without its
// file: the seasons finished before are kept in the detailed output, and the
// error names the season, the year and the file.
TEST(ModelRun, SeasonsFinishedBeforeTheWeatherRunsOutAreKept) {
  struct TCase {
    const char* Name;
    const char* Isyr;
    std::vector<std::string> Reruns;
    int Kept;  // potential blocks kept
    const char* Season;
  };
  const TCase Cases[] = {
      {"the second season ends in a year without weather", "1992", {}, 1, "run KRL, season 2 (1993)"},
      {"the first season does", "1993", {}, 0, "run KRL, season 1 (1993)"},
      {"in the second rerun",
       "1991",
       {"RUNNAM='R1';", "INYEAR=2 ", "RUNNAM='R2';", "ISYR=1992;", "INYEAR=2 "},
       3,
       "run R2, season 2 (1993)"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TModelHome H;
    H.Timer["ISYR"] = C.Isyr;
    H.Timer["INYEAR"] = "2";
    H.Timer["IDSOW"] = "280";
    H.Timer["ISDAY"] = "250";
    if (!C.Reruns.empty()) {
      H.Opt["IOPT2"] = "4";
      H.RerunLines = C.Reruns;
    }
    std::string Log;
    EXPECT_EQ(H.RunExe(Log), 1) << Log;
    std::string ErrorLine, Last;
    ErrorAndLastLine(Log, ErrorLine, Last);
    EXPECT_NE(ErrorLine.find("TST1.994"), std::string::npos) << Log;
    EXPECT_NE(ErrorLine.find(C.Season), std::string::npos) << Log;
    EXPECT_NE(ErrorLine.find("weather year 1994"), std::string::npos) << Log;
    EXPECT_EQ(Last.rfind("Press", 0), 0u) << Log;
    if (C.Kept == 0) {
      EXPECT_TRUE(H.List("output").empty());
      EXPECT_NE(Log.find("no output has been written"), std::string::npos) << Log;
      continue;
    }
    EXPECT_EQ(H.List("output"), std::vector<std::string>{"KRL.OUT"}) << "only the detailed output";
    EXPECT_NE(Log.find(Format("holds only the %d seasons finished before", C.Kept)), std::string::npos)
        << Log;
    const TBlockCheck B = CheckDetailed(H.Path("output/KRL.OUT"), false);
    EXPECT_EQ(B.Potential, C.Kept);
    EXPECT_EQ(B.Water, C.Kept);
  }
}

// The model program lets each season's daily rows go once the season is in
// the detailed output; a caller that asks for the results keeps them. Both
// write the same detailed output, also when the weather runs out halfway, and
// it is the text made from the results at once.
TEST(ModelRun, DetailedOutputIsTheSameWithTheDailyRowsKeptOrLetGo) {
  for (const char* Isyr : {"1990", "1991"}) {
    SCOPED_TRACE(Isyr);
    TModelHome H;
    H.Timer["ISYR"] = Isyr;
    H.Timer["INYEAR"] = "3";
    H.Timer["IDSOW"] = "280";
    H.Timer["ISDAY"] = "250";
    H.Opt["IOPT2"] = "4";
    H.RerunLines = {"RUNNAM='R1';", "IDSOW=270 ", "RUNNAM='R2';", "SOFILE='SAND.SOL' "};
    std::string Log;
    const int Rc = H.RunExe(Log);
    EXPECT_EQ(Rc, std::string(Isyr) == "1990" ? 0 : 1) << Log;
    const std::string LetGo = H.Read("output/KRL.OUT");
    ASSERT_FALSE(LetGo.empty());
    std::vector<TRunResult> R;
    EXPECT_EQ(H.Run(Log, &R), Rc) << Log;
    EXPECT_TRUE(H.Read("output/KRL.OUT") == LetGo);
    if (Rc != 0) continue;
    ASSERT_EQ(R.size(), 2u);
    TOutputOptions O;
    O.IPRODL = 3;
    O.IBAL = 3;
    O.Reruns = true;
    EXPECT_TRUE(DetailedOutputText(R, O) == LetGo);
  }
}

// A failed output write leaves the output directory as it was: all files are
// written under temporary names first and put in place together.
TEST(ModelRun, AFailedOutputWriteLeavesTheOutputAsItWas) {
  struct TCase {
    const char* Name;
    std::function<void(TModelHome&)> Spoil;
    const char* Shell;              // run before the model
    std::vector<std::string> Left;  // what the output directory holds afterwards
  };
  const TCase Cases[] = {
      {"a directory in the detailed output's place",
       [](TModelHome& H) { H.Replace["output/KRL.OUT/x"] = "x"; },
       "",
       {"KRL.OUT", "KRL.pps"}},
      // The summaries fit within 40 blocks of 512 bytes, the detailed output
      // does not.
      {"the disk full", [](TModelHome&) {}, "ulimit -f 40", {"KRL.pps"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TModelHome H;
    H.Replace["output/KRL.pps"] = "a summary of an earlier run\r\n";
    C.Spoil(H);
    std::string Log;
    EXPECT_EQ(H.RunExe(Log, C.Shell), 1) << Log;
    std::string ErrorLine, Last;
    ErrorAndLastLine(Log, ErrorLine, Last);
    EXPECT_NE(ErrorLine.find("KRL.OUT: the output cannot be written"), std::string::npos) << Log;
    EXPECT_NE(Log.find("could not be written:\n  no output file has been written or changed; the output "
                       "directory is as it was."),
              std::string::npos)
        << Log;
    EXPECT_EQ(Last.rfind("Press", 0), 0u) << Log;
    EXPECT_EQ(H.List("output"), C.Left);
    EXPECT_EQ(H.Read("output/KRL.pps"), "a summary of an earlier run\r\n");
  }
}

// Names come from the data and timer files as they stand: a name that ends in
// blanks or is empty still gives lines without trailing blanks, and an empty
// name falls back to the next source.
TEST(ModelRun, NoLineEndsInABlankWhateverTheNames) {
  struct TCase {
    const char* Name;
    const char* CropLine;   // replaces CRPNAM='Test cereal' in the crop file
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
      EXPECT_EQ(Crops, std::string(File) == "output/KRL.sum"   ? 0
                       : std::string(File) == "output/KRL.OUT" ? 2
                                                               : 1)
          << File;
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
