// The sample results against published figures: the sessions of the table in
// docs/formats.md ("What the sample results are"), 30 years of sample weather
// (29 seasons for winter wheat, whose last harvest falls in the year after),
// means over the years. A change of the model or the sample data that leaves
// a range fails here.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "ModelHome.h"
#include "model/Model.h"
#include "model/Weather.h"

namespace {

struct TSession {
  const char* Name;
  const char* Crop;
  const char* Station;
  int Sow, WaterBalanceStart, Seasons;
};

// The sessions of the table: loam, potential and water-limited production,
// sowing at a fixed date, the end at maturity within the maximum duration.
const TSession Sessions[] = {
    {"winter wheat NLD1", "WWHEAT.CRP", "NLD1.", 290, 250, 29},
    {"winter wheat EST1", "WWHEAT.CRP", "EST1.", 250, 200, 29},
    {"winter wheat STH1", "WWHEAT.CRP", "STH1.", 345, 250, 29},
    {"grain maize STH1", "GMAIZE.CRP", "STH1.", 110, 1, 30},
    {"spring barley NLD1", "SBARLEY.CRP", "NLD1.", 80, 1, 30},
    {"potato NLD1", "POTATO.CRP", "NLD1.", 110, 1, 30},
};

std::vector<TYearResult> RunSession(TModelHome& H, const TSession& S, const char* Soil) {
  H.Timer["CRFILE"] = std::string("'") + S.Crop + "'";
  H.Timer["CLFILE"] = std::string("'") + S.Station + "'";
  H.Timer["ISYR"] = "1971";
  H.Timer["INYEAR"] = std::to_string(S.Seasons);
  H.Timer["IDSOW"] = std::to_string(S.Sow);
  H.Timer["ISDAY"] = std::to_string(S.WaterBalanceStart);
  H.Timer["IENCHO"] = "2";
  H.Timer["IDURMX"] = "365";
  H.Site["SOFILE"] = std::string("'") + Soil + "'";
  H.Opt["IPRODL"] = "2";
  std::string Log;
  std::vector<TRunResult> R;
  EXPECT_EQ(H.Run(Log, &R), 0) << Log;
  if (R.size() != 1) return {};
  EXPECT_EQ(R[0].Years.size(), static_cast<size_t>(S.Seasons));
  return R[0].Years;
}

double Mean(const std::vector<TYearResult>& Y, const std::function<double(const TYearResult&)>& F) {
  double Sum = 0;
  for (const TYearResult& X : Y) Sum += F(X);
  return Y.empty() ? 0.0 : Sum / static_cast<double>(Y.size());
}

double Median(const std::vector<TYearResult>& Y, const std::function<double(const TYearResult&)>& F) {
  std::vector<double> V;
  for (const TYearResult& X : Y) V.push_back(F(X));
  if (V.empty()) return 0.0;
  std::sort(V.begin(), V.end());
  return V[V.size() / 2];
}

double Twso(const TYearResult& Y) { return Y.Pot.TWSO / 1000.0; }  // t/ha
double Hindex(const TYearResult& Y) { return Y.Pot.HINDEX; }

}  // namespace

TEST(PublishedRanges, SampleResultsOnLoam) {
  TModelHome H(TModelHome::SampleData);
  std::map<std::string, std::vector<TYearResult>> R;
  for (const TSession& S : Sessions) R[S.Name] = RunSession(H, S, "LOAM.SOL");

  // Winter wheat, potential: Dutch fields 10.9-12.8 t, harvest index up to 0.55.
  const auto& Wwn = R["winter wheat NLD1"];
  EXPECT_GE(Mean(Wwn, Twso), 9.0);
  EXPECT_LE(Mean(Wwn, Twso), 13.0);
  EXPECT_GE(Mean(Wwn, Hindex), 0.45);
  EXPECT_LE(Mean(Wwn, Hindex), 0.55);
  // A continental climate: a harvest index of at least 0.40 in a normal year.
  EXPECT_GE(Median(R["winter wheat EST1"], Hindex), 0.40);
  // Dry summers: ripe from late May into June (days 145 to 181).
  const double Ripe = Mean(R["winter wheat STH1"], [](const TYearResult& Y) { return Y.Pot.HarvDoy; });
  EXPECT_GE(Ripe, 145);
  EXPECT_LE(Ripe, 181);
  // Grain maize, potential: irrigated in the south about 15 t, harvest index
  // 0.45-0.55.
  const auto& Gm = R["grain maize STH1"];
  EXPECT_GE(Mean(Gm, Twso), 12.0);
  EXPECT_LE(Mean(Gm, Twso), 16.0);
  EXPECT_GE(Mean(Gm, Hindex), 0.45);
  EXPECT_LE(Mean(Gm, Hindex), 0.55);
  // Grain maize of such climates: silking about 65-80 days after emergence,
  // ripe after about 130-150.
  const double Silking = Mean(Gm, [](const TYearResult& Y) { return Y.Pot.FlwrDays; });
  EXPECT_GE(Silking, 65);
  EXPECT_LE(Silking, 80);
  const double Season = Mean(Gm, [](const TYearResult& Y) { return Y.Pot.Dur; });
  EXPECT_GE(Season, 130);
  EXPECT_LE(Season, 150);
  // Spring barley, potential: 6-9 t, harvest index 0.45-0.55.
  const auto& Sb = R["spring barley NLD1"];
  EXPECT_GE(Mean(Sb, Twso), 6.0);
  EXPECT_LE(Mean(Sb, Twso), 9.0);
  EXPECT_GE(Mean(Sb, Hindex), 0.45);
  EXPECT_LE(Mean(Sb, Hindex), 0.55);
  // Potato, potential: 13-20 t tubers; the roots grow on after tuber
  // initiation to the lesser of the crop's (50 cm) and the soil's depth.
  const auto& Po = R["potato NLD1"];
  EXPECT_GE(Mean(Po, Twso), 13.0);
  EXPECT_LE(Mean(Po, Twso), 20.0);
  for (const TYearResult& Y : Po) {
    double Deepest = 0;
    for (const TDailyRow& D : Y.Wat.Rows) Deepest = std::max(Deepest, D.RD);
    EXPECT_DOUBLE_EQ(Deepest, 50.0) << Y.Year;
  }
  // Water productivity: above-ground dry matter per unit of transpiration
  // normalised by the reference evapotranspiration, 15-20 g/m2 for C3
  // crops, 30-35 for C4 crops such as maize.
  auto Productivity = [&](const char* Name) {
    double Tagp = 0, Normalised = 0;
    for (const TYearResult& Y : R[Name]) {
      Tagp += Y.Pot.TAGP / 10.0;  // g/m2
      Normalised += Y.Pot.TRNORM;
    }
    return Normalised > 0 ? Tagp / Normalised : 0.0;
  };
  for (const char* C3 : {"winter wheat NLD1", "winter wheat EST1", "spring barley NLD1", "potato NLD1"}) {
    EXPECT_GE(Productivity(C3), 15.0) << C3;
    EXPECT_LE(Productivity(C3), 20.0) << C3;
  }
  EXPECT_GE(Productivity("grain maize STH1"), 30.0);
  EXPECT_LE(Productivity("grain maize STH1"), 35.0);
  // Soil evaporation, water-limited, from emergence to the end of the
  // season: 25-45 % of the evapotranspiration, every crop and site; in the
  // temperate winter wheat season 100-150 mm.
  for (const TSession& S : Sessions) {
    double Evaporation = 0, Transpiration = 0;
    for (const TYearResult& Y : R[S.Name]) {
      bool Emerged = false;
      for (const TDailyRow& D : Y.Wat.Rows) {
        Emerged = Emerged || D.Doy == Y.Wat.EmDoy;
        if (!Emerged) continue;
        Evaporation += D.EVA;
        Transpiration += D.TRA;
      }
    }
    const double Share = Evaporation / (Evaporation + Transpiration);
    EXPECT_GE(Share, 0.25) << S.Name;
    EXPECT_LE(Share, 0.45) << S.Name;
    if (std::string(S.Name) == "winter wheat NLD1") {
      EXPECT_GE(Evaporation / static_cast<double>(R[S.Name].size()), 100.0);
      EXPECT_LE(Evaporation / static_cast<double>(R[S.Name].size()), 150.0);
    }
  }
  // Transpiration efficiency, above ground: at least 30 kg dry matter per mm
  // transpired, every crop and site; at most 55 in the drier air of the
  // continental and the Mediterranean station, up to 65 in the humid air of
  // the north-west European one (it goes with the inverse of the vapour
  // pressure deficit).
  for (const TSession& S : Sessions) {
    double Tagp = 0, Transp = 0;
    for (const TYearResult& Y : R[S.Name]) {
      Tagp += Y.Pot.TAGP;
      Transp += Y.Pot.TRANSP;
    }
    ASSERT_GT(Transp, 0) << S.Name;
    const double Cap = std::string(S.Station) == "NLD1." ? 65.0 : 55.0;
    EXPECT_GE(Tagp / Transp, 30.0) << S.Name;
    EXPECT_LE(Tagp / Transp, Cap) << S.Name;
  }
}

// Bare soil under evaporation: evaporation draws on a shallow top layer, and
// the rooted zone, bare from the water balance start to emergence, does not
// fall far below the wilting point (sand: 0.05).
TEST(PublishedRanges, EvaporationLeavesTheRootedZoneNearWiltingPoint) {
  TModelHome H(TModelHome::SampleData);
  for (const TSession& S : Sessions) {
    SCOPED_TRACE(S.Name);
    double Driest = 1;
    for (const TYearResult& Y : RunSession(H, S, "SAND.SOL"))
      for (const TDailyRow& D : Y.Wat.Rows) Driest = std::min(Driest, D.SM);
    EXPECT_GE(Driest, 0.8 * 0.05 - 1e-9);
  }
}

// The winter wheat's calendar follows the weather: vernalisation and day
// length hold development back over winter, so that anthesis and maturity
// fall in the published windows for autumn sowings at all three stations,
// and a crop sown in spring, without the cold it needs, flowers weeks late.
// By 1 January the roots of the autumn-sown crop reach 20-40 cm.
TEST(PublishedRanges, WinterWheatCalendarFollowsTheWeather) {
  struct TWindow {
    TSession Session;
    int AnthFrom, AnthTo, RipeFrom, RipeTo;
  };
  const TWindow Windows[] = {
      // The Netherlands: anthesis early to mid June, ripe late July to mid August.
      {{"NLD1 sown 17 October", "WWHEAT.CRP", "NLD1.", 290, 250, 29}, 150, 172, 200, 228},
      // Estonia: anthesis mid to late June, ripe late July to mid August.
      {{"EST1 sown 7 September", "WWHEAT.CRP", "EST1.", 250, 200, 29}, 158, 185, 200, 230},
      // Southern Spain: anthesis April to early May, ripe late May into June.
      {{"STH1 sown 11 December", "WWHEAT.CRP", "STH1.", 345, 250, 29}, 95, 130, 145, 181},
      {{"STH1 sown 15 October", "WWHEAT.CRP", "STH1.", 288, 250, 29}, 95, 130, 140, 181},
  };
  TModelHome H(TModelHome::SampleData);
  for (const TWindow& W : Windows) {
    SCOPED_TRACE(W.Session.Name);
    const auto Y = RunSession(H, W.Session, "LOAM.SOL");
    const double Anth = Mean(Y, [](const TYearResult& X) { return X.Pot.AnthDoy; });
    const double Ripe = Mean(Y, [](const TYearResult& X) { return X.Pot.HarvDoy; });
    EXPECT_GE(Anth, W.AnthFrom);
    EXPECT_LE(Anth, W.AnthTo);
    EXPECT_GE(Ripe, W.RipeFrom);
    EXPECT_LE(Ripe, W.RipeTo);
    // Grain filling: 40-55 days in the Netherlands, shorter in the heat of the south.
    const double Filling = Mean(Y, [](const TYearResult& X) { return X.Pot.Dur - X.Pot.FlwrDays; });
    EXPECT_GE(Filling, 30);
    EXPECT_LE(Filling, 55);
    if (std::string(W.Session.Station) == "NLD1.") {
      EXPECT_GE(Filling, 40);
      for (const TYearResult& X : Y)
        for (const TDailyRow& D : X.Wat.Rows)
          if (D.Year == X.Year + 1 && D.Doy == 1) {
            EXPECT_GE(D.RD, 20.0) << X.Year;
            EXPECT_LE(D.RD, 40.0) << X.Year;
          }
    }
  }
  // Sown in spring the crop is not vernalised: it flowers in July, a month
  // after the autumn-sown crop, when it flowers at all.
  const auto Spring = RunSession(H, {"NLD1 sown 21 March", "WWHEAT.CRP", "NLD1.", 80, 1, 30}, "LOAM.SOL");
  for (const TYearResult& X : Spring) EXPECT_TRUE(X.Pot.AnthDoy == 0 || X.Pot.AnthDoy >= 182) << X.Year;
}

// Frost-tender crops die at the first hard frost: grain maize sown in spring
// at the north station with a whole year allowed does not ripen there, and
// ends on the first day after emergence whose minimum temperature is -2 C or
// lower, in autumn or early winter. A frost-hardy crop file (TKILL -99) lets
// the same crop grow on.
TEST(PublishedRanges, FrostKillsMaizeInAutumn) {
  TModelHome H(TModelHome::SampleData);
  const TSession Maize{"grain maize NLD1", "GMAIZE.CRP", "NLD1.", 110, 1, 10};
  const auto Killed = RunSession(H, Maize, "LOAM.SOL");
  ASSERT_EQ(Killed.size(), 10u);
  for (const TYearResult& Y : Killed) {
    SCOPED_TRACE(Y.Year);
    // The first hard frost after emergence, from the weather files.
    int FrostYear = Y.Year, FrostDoy = 0;
    for (int Doy = Y.Pot.EmDoy; FrostDoy == 0; ++Doy) {
      const TWeatherYear W =
          ReadWeatherYear(H.Path("meteo/merawe/") + WeatherFileName("", "NLD1.", FrostYear), FrostYear);
      if (Doy > static_cast<int>(W.Days.size())) {
        ++FrostYear;
        Doy = 0;
        continue;
      }
      if (W.Days[static_cast<size_t>(Doy - 1)].TMin <= -2.0) FrostDoy = Doy;
    }
    EXPECT_EQ(Y.Pot.HarvDoy, FrostDoy);
    EXPECT_EQ(Y.Wat.HarvDoy, FrostDoy);
    EXPECT_TRUE(FrostYear > Y.Year || FrostDoy >= 274) << FrostYear << " " << FrostDoy;
    EXPECT_LT(Y.Pot.Dur, 365);
  }
  std::string Crop = H.Read("cropd/GMAIZE.CRP");
  const size_t At = Crop.find("TKILL  = -2.0");
  ASSERT_NE(At, std::string::npos);
  H.Replace["cropd/GMAIZE.CRP"] = Crop.replace(At, 13, "TKILL  = -99.");
  const auto Hardy = RunSession(H, Maize, "LOAM.SOL");
  ASSERT_EQ(Hardy.size(), Killed.size());
  for (size_t I = 0; I < Hardy.size(); ++I) EXPECT_GT(Hardy[I].Pot.Dur, Killed[I].Pot.Dur) << Hardy[I].Year;
}
