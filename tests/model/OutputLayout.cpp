#include "OutputLayout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ModelHome.h"
#include "foundations/DxLine.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "support/TestSupport.h"

namespace {

const TWords PotHeader = {"YEAR", "DAY",  "IDSEM", "DVS", "TSUM", "WLV",  "WST",
                          "WSO",  "TAGP", "LAI",   "TRA", "GASS", "MRES", "DMI"};
const TWords WatHeader = {"YEAR", "DAY",   "WLV",   "WST",  "WSO", "TAGP", "LAI", "RD",
                          "SM",   "RESRV", "AVAIL", "RAIN", "TRA", "EVA",  "wet", "dry"};
const TWords GwHeader = {"YEAR", "DAY",  "WLV", "WST", "WSO", "LAI", "RD", "RAIN",
                         "TRA",  "EVAP", "SM",  "SS",  "ZT",  "wet", "dry"};

// A table row: at most 25 values of at most 16 characters.
void CheckRow(const TWords& W) {
  EXPECT_LE(W.size(), 25u);
  for (const std::string& V : W) EXPECT_LE(V.size(), 16u) << V;
}

}  // namespace

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
        CheckRow(L[j]);
        if (static_cast<int>(Num(L[j][1])) == Em) SawEm = true;
      }
      EXPECT_TRUE(SawEm) << "no row for emergence day " << Em;
      while (!(L[j].size() > 0 && IsInteger(L[j][0]))) ++j;
      EXPECT_EQ(L[j].size(), Water ? 13u : 12u) << "summary row";
      CheckRow(L[j]);
      (Water ? C.WatTwso : C.PotTwso).push_back(Num(L[j][5]));
      (Water ? C.Water : C.Potential)++;
    } else if (StartsWith(W, {"WATER", "BALANCE", "WHOLE"})) {
      ++C.Whole;
      EXPECT_LE(Raw[i].size(), 80u);
      EXPECT_EQ(L[i + 1][1], Gw ? "within" : "max");
      EXPECT_EQ(L[i + 1].size(), 12u);
      const TWords& T8 = L[i + 8];
      EXPECT_EQ(T8[0], "TOTAL");
      EXPECT_NEAR(Num(T8[4]), Num(T8[9]), PrintedTolerance(2, 2, 1));
      EXPECT_NEAR(Num(T8[11]), 0.0, PrintedTolerance(2, 1, 1));
      EXPECT_EQ(L[i + 7][0], "lost");
      EXPECT_EQ(L[i + 7].size(), Gw ? 4u : 5u);
    } else if (StartsWith(W, {"WATER", "BALANCE", "ROOT", "ZONE"})) {
      ++C.Root;
      EXPECT_EQ(L[i + 4][0], Gw ? "capillary" : "percolation");
      const TWords& R5 = L[i + 5];
      EXPECT_NEAR(Num(R5[4]), Num(R5[8]), PrintedTolerance(2, 2, 1));
      EXPECT_NEAR(Num(R5[10]), 0.0, PrintedTolerance(2, 1, 1));
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

void CheckSummaries(const std::string& Dir, int Runs, int Years, bool Water, bool LongTerm) {
  const auto P = FileWords(Dir + "KRL.pps");
  ASSERT_GT(P.size(), 2u);
  EXPECT_EQ(P[0][0].rfind("**KORVAL", 0), 0u);
  EXPECT_EQ(P[1][0], "OUTPUT");
  int Rows = 0, Means = 0;
  for (size_t i = 0; i < P.size(); ++i) {
    const TWords& W = P[i];
    if (!W.empty() && IsInteger(W[0])) {
      ++Rows;
      EXPECT_EQ(W.size(), 22u);
      EXPECT_EQ(W[4], "-->");
      CheckRow(W);
    }
    if (StartsWith(W, {"**", "MEANS", "over"})) {
      ++Means;
      EXPECT_EQ(P[i - 1], TWords{"**"});
      EXPECT_EQ(W.size(), 6u + 10u);
      EXPECT_EQ(P[i + 1].size(), 4u + 10u);
      EXPECT_EQ(P[i + 2].size(), 4u + 10u);
    }
  }
  EXPECT_EQ(Rows, Runs * Years);
  EXPECT_EQ(Means, Runs);

  if (Water) {
    const auto Wp = FileWords(Dir + "KRL.wps");
    ASSERT_GT(Wp.size(), 2u);
    EXPECT_EQ(Wp[1][0], "OUTPUT");
    Rows = Means = 0;
    for (size_t i = 0; i < Wp.size(); ++i) {
      if (!Wp[i].empty() && IsInteger(Wp[i][0])) {
        ++Rows;
        EXPECT_EQ(Wp[i].size(), 21u);
        CheckRow(Wp[i]);
      }
      if (StartsWith(Wp[i], {"MEANS", "over"})) {
        ++Means;
        EXPECT_TRUE(Wp[i - 1].empty());
        EXPECT_EQ(Wp[i].size(), 5u + 15u);
        EXPECT_EQ(Wp[i + 1].size(), 3u + 15u);
        EXPECT_EQ(Wp[i + 2].size(), 3u + 15u);
        if (i + 3 < Wp.size()) {
          EXPECT_EQ(Wp[i + 3][0].rfind("**KORVAL", 0), 0u);
        }
      }
    }
    EXPECT_EQ(Rows, Runs * Years);
    EXPECT_EQ(Means, Runs);
  }

  if (LongTerm) {
    const auto S = FileWords(Dir + "KRL.sum");
    size_t Ps = 0;
    while (Ps < S.size() && (S[Ps].empty() || S[Ps][0] != "**PS")) ++Ps;
    ASSERT_LT(Ps, S.size());
    EXPECT_EQ(S[Ps].size(), 18u);
    const size_t N = static_cast<size_t>(Runs * (Water ? 2 : 1));
    ASSERT_GT(S.size(), Ps + N);
    for (size_t i = Ps + 1; i <= Ps + N; ++i) {
      EXPECT_EQ(S[i].size(), 18u);
      CheckRow(S[i]);
    }
    EXPECT_TRUE(S[Ps + N + 1].empty());
  }
}

void CheckNoTrailingBlanks(const std::string& Path) {
  for (const std::string& L : FileLines(Path))
    EXPECT_TRUE(L.empty() || static_cast<unsigned char>(L.back()) > ' ') << Path << ": '" << L << "'";
}
