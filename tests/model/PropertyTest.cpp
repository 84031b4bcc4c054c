// What holds for every valid session, tried on many random sessions over the
// sample data (crops, soils, stations, years, rainfall files, groundwater and
// drains, reruns): water shortage only takes away, the water balances close,
// soil moisture stays within its physical bounds, the storage organs never
// lose weight, and every output file keeps its layout.

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>

#include "ModelHome.h"
#include "OutputLayout.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "model/Model.h"

namespace {

class TSessionMaker {
 public:
  explicit TSessionMaker(unsigned Seed) : FRng(Seed) {}

  // Fills the home's input tables with a random valid session.
  void Make(TModelHome& H) {
    const char* Crops[] = {"WWHEAT.CRP", "SBARLEY.CRP", "GMAIZE.CRP", "POTATO.CRP"};
    const char* Soils[] = {"'SAND.SOL'", "'LOAM.SOL'", "'CLAY.SOL'"};
    const char* Stations[] = {"'NLD1.'", "'EST1.'", "'STH1.'"};
    const std::string Crop = Crops[Int(0, 3)];
    const bool Winter = Crop == "WWHEAT.CRP";
    H.Timer["CRFILE"] = "'" + Crop + "'";
    H.Timer["CLFILE"] = Stations[Int(0, 2)];
    // A season may run into the year after the last: every year it can
    // reach has its weather (1971 to 2000).
    const int Years = Int(1, 3);
    H.Timer["INYEAR"] = std::to_string(Years);
    H.Timer["ISYR"] = std::to_string(Int(1971, 2000 - Years));
    const int Sow = Winter ? Int(270, 320) : Int(60, 160);
    H.Timer["ISTCHO"] = std::to_string(Int(0, 2));
    H.Timer["IDSOW"] = std::to_string(Sow);
    H.Timer["IDEM"] = std::to_string(Sow + Int(5, 25));
    H.Timer["IDESOW"] = std::to_string(Sow);
    H.Timer["IDLSOW"] = std::to_string(std::min(366, Sow + Int(0, 40)));
    H.Timer["ISDAY"] = std::to_string(Int(Winter ? 200 : 1, Sow));
    H.Timer["IENCHO"] = std::to_string(Int(1, 3));
    H.Timer["IDAYEN"] = std::to_string(Winter ? Int(170, 240) : std::min(366, Sow + Int(90, 200)));
    H.Timer["IDURMX"] = std::to_string(Int(100, 365));
    H.Timer["PRDEL"] = Format("%d.0", Int(1, 10));
    H.Timer["IBAL"] = std::to_string(Int(0, 3));
    H.Timer["IRNDAT"] = "3";
    if (Int(0, 3) == 0) {
      const int RainYears = Int(1, 2);
      H.Timer["IRNDAT"] = "2";
      H.Timer["RAFILE"] = "'RAINN.DAT'";
      H.Timer["INYRG"] = std::to_string(RainYears);
      H.Timer["ISYRR"] = std::to_string(Int(1971, 2000 - RainYears));
    }
    H.Site["SOFILE"] = Soils[Int(0, 2)];
    const bool Gw = Int(0, 1) == 1;
    H.Site["IZT"] = Gw ? "1" : "0";
    H.Site["ZTI"] = Real(40, 300);
    H.Site["IDRAIN"] = std::to_string(Int(0, 1));
    H.Site["DD"] = Real(20, 150);
    H.Site["WAV"] = Real(0, 50);
    H.Site["SMLIM"] = Format("%.2f", Int(0, 50) / 100.0);
    H.Site["RDMSOL"] = Real(30, 200);
    H.Site["SSMAX"] = Real(0, 3);
    H.Site["SSI"] = Real(0, 1);
    H.Site["NOTINF"] = Format("%.2f", Int(0, 40) / 100.0);
    H.Site["IFUNRN"] = std::to_string(Int(0, 1));
    H.Opt["IPRODL"] = std::to_string(Int(2, 3));
    H.Opt["IOXWL"] = std::to_string(Int(0, 1));
    H.Opt["IOPT2"] = "2";
    H.RerunLines.clear();
    if (Int(0, 2) == 0) {
      H.Opt["IOPT2"] = "4";
      const int N = Int(2, 3);
      for (int r = 1; r <= N; ++r) {
        H.RerunLines.push_back(Format("RUNNAM='RR%d';", r));
        H.RerunLines.push_back("SOFILE=" + std::string(Soils[Int(0, 2)]) + ";");
        H.RerunLines.push_back("RDMSOL=" + Real(30, 200) + ";");
        H.RerunLines.push_back(Format("IDSOW=%d ", std::min(366, Sow + Int(-20, 20))));
      }
    }
  }

 private:
  int Int(int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(FRng); }
  std::string Real(int Lo, int Hi) { return Format("%d.000000", Int(Lo, Hi)); }
  std::mt19937 FRng;
};

std::string Describe(const TModelHome& H) {
  std::ostringstream S;
  for (const auto* M : {&H.Timer, &H.Site, &H.Opt})
    for (const auto& KV : *M) S << KV.first << "=" << KV.second << " ";
  for (const std::string& L : H.RerunLines) S << L;
  return S.str();
}

// Water shortage only takes away: no organ of the water-limited crop
// outweighs the potential crop's, at the end and on any day.
void CheckWaterLimitedBelowPotential(const TYearResult& Y) {
  const TSeasonResult &P = Y.Pot, &W = Y.Wat;
  const double Eps = 1e-6;
  EXPECT_LE(W.TWSO, P.TWSO + Eps);
  EXPECT_LE(W.TWST, P.TWST + Eps);
  EXPECT_LE(W.TWLV, P.TWLV + Eps);
  EXPECT_LE(W.TWRT, P.TWRT + Eps);
  EXPECT_LE(W.TAGP, P.TAGP + Eps);
  size_t i = 0;
  for (const TDailyRow& Wr : W.Rows) {
    while (i < P.Rows.size() &&
           (P.Rows[i].Year < Wr.Year || (P.Rows[i].Year == Wr.Year && P.Rows[i].Doy < Wr.Doy)))
      ++i;
    if (i == P.Rows.size() || P.Rows[i].Year != Wr.Year || P.Rows[i].Doy != Wr.Doy) continue;
    const TDailyRow& Pr = P.Rows[i];
    EXPECT_LE(Wr.WSO, Pr.WSO + Eps) << Wr.Year << " day " << Wr.Doy;
    EXPECT_LE(Wr.WST, Pr.WST + Eps) << Wr.Year << " day " << Wr.Doy;
    EXPECT_LE(Wr.TAGP, Pr.TAGP + Eps) << Wr.Year << " day " << Wr.Doy;
  }
}

void CheckStorageNeverFalls(const TSeasonResult& S) {
  for (size_t i = 1; i < S.Rows.size(); ++i)
    EXPECT_GE(S.Rows[i].WSO, S.Rows[i - 1].WSO) << "day " << S.Rows[i].Doy;
}

// The balances close; the rooted zone stays between air-dry (a third of the
// wilting point) and saturation.
void CheckWater(const TSeasonResult& W, const TSoilParams& Soil) {
  EXPECT_NEAR(W.Bal.InWhole(), W.Bal.OutWhole(), 1e-6);
  EXPECT_NEAR(W.Bal.InRoot(), W.Bal.OutRoot(), 1e-6);
  for (const TDailyRow& R : W.Rows) {
    EXPECT_GE(R.SM, Soil.SMW / 3 - 1e-9) << R.Year << " day " << R.Doy;
    EXPECT_LE(R.SM, Soil.SM0 + 1e-9) << R.Year << " day " << R.Doy;
  }
}

void CheckLayout(const TModelHome& H, const std::vector<TRunResult>& R) {
  const bool Gw = H.Site.at("IZT") == "1";
  const int Ibal = std::stoi(H.Timer.at("IBAL"));
  const int Iprodl = std::stoi(H.Opt.at("IPRODL"));
  int Seasons = 0;
  std::set<std::string> Names;
  for (const TRunResult& Run : R) {
    Seasons += static_cast<int>(Run.Years.size());
    Names.insert(UpperCase(Run.Name));
  }
  const TBlockCheck C = CheckDetailed(H.Path("output/KRL.OUT"), Gw);
  EXPECT_EQ(C.Potential, Seasons);
  EXPECT_EQ(C.Water, Seasons);
  EXPECT_EQ(C.Whole, Ibal == 1 || Ibal == 3 || Gw ? Seasons : 0);
  EXPECT_EQ(C.Root, Ibal >= 2 ? Seasons : 0);
  EXPECT_EQ(C.Nutrient, Iprodl == 3 ? static_cast<int>(Names.size()) : 0);
  CheckSummaries(H.Path("output/"), static_cast<int>(R.size()), static_cast<int>(R.front().Years.size()),
                 true, true);
  for (const char* F : {"output/KRL.OUT", "output/KRL.pps", "output/KRL.wps", "output/KRL.sum"})
    CheckNoTrailingBlanks(H.Path(F));
}

void CheckSession(const TModelHome& H) {
  std::string Log;
  std::vector<TRunResult> R;
  ASSERT_EQ(H.Run(Log, &R), 0) << Log;
  const TModelInputs In = ReadModelInputs(H.Path("bin"));
  ASSERT_EQ(In.Runs.size(), R.size());
  for (size_t r = 0; r < R.size(); ++r)
    for (const TYearResult& Y : R[r].Years) {
      SCOPED_TRACE(Format("run %s, season %d", R[r].Name.c_str(), Y.Year));
      ASSERT_TRUE(Y.HasWater);
      CheckWaterLimitedBelowPotential(Y);
      CheckStorageNeverFalls(Y.Pot);
      CheckStorageNeverFalls(Y.Wat);
      CheckWater(Y.Wat, In.Runs[r].Soil);
    }
  CheckLayout(H, R);
}

}  // namespace

// Grain maize on sand in a dry summer, beyond its maximum duration: the
// water-limited crop, smaller, paid less upkeep and filled more grain than
// the potential crop (RYLD 1.18) before water-limited growth was bounded.
TEST(ModelProperties, WaterLimitedMaizeStaysBelowPotential) {
  TModelHome H(TModelHome::SampleData);
  H.Timer["CRFILE"] = "'GMAIZE.CRP'";
  H.Site["SOFILE"] = "'SAND.SOL'";
  H.Timer["ISYR"] = "1989";
  H.Timer["INYEAR"] = "1";
  H.Timer["ISTCHO"] = "1";
  H.Timer["IDSOW"] = "120";
  H.Timer["IENCHO"] = "2";
  H.Timer["IDURMX"] = "200";
  H.Opt["IPRODL"] = "2";
  CheckSession(H);
}

TEST(ModelProperties, RandomSessionsKeepEveryPromise) {
  TModelHome H(TModelHome::SampleData);
  TSessionMaker Maker(16);
  for (int s = 0; s < 60 && !::testing::Test::HasFailure(); ++s) {
    Maker.Make(H);
    SCOPED_TRACE(Format("session %d: ", s) + Describe(H));
    CheckSession(H);
  }
}
