// The sample program home: the variable catalogue against the session and the
// model, the crop and soil files against the rerun rules, a round trip of the
// model's output through the output readers, and runs on the sample data.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <sstream>

#include "ModelHome.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "foundations/DxTxtFle.h"
#include "foundations/Numbers.h"
#include "model/Crop.h"
#include "model/Model.h"
#include "model/SoilWater.h"
#include "output/OutDet.h"
#include "output/OutSum.h"
#include "platform/FileSys.h"

namespace {

const std::string Data = std::string(KRL_SOURCE_DIR) + "/data/";

double Num(const std::string& S) {
  long double V = 0;
  EXPECT_TRUE(TryStrToFloat(S, V)) << "'" << S << "'";
  return static_cast<double>(V);
}

struct TCatalogueGuard {
  ~TCatalogueGuard() { FreeVarCatalogue(); }
};

}  // namespace

TEST(SampleHome, VariableCatalogueServesTheSessionAndMatchesTheModel) {
  TCatalogueGuard Guard;
  ASSERT_TRUE(LoadVarCatalogue(Data + "bin/KRL_VAR.csv"));
  {
    TScriptedMessages NoBox;  // any "not found: " box fails the test
    for (const char* K : {"PRDEL",  "ISDAY",  "SSI",    "SSMAX",  "SMLIM",  "WAV",    "ZTI",   "DD",
                          "RDMSOL", "NOTINF", "NBASE",  "NREC",   "PBASE",  "PREC",   "KBASE", "KREC",
                          "IDEM",   "IDSOW",  "IDESOW", "IDLSOW", "IDAYEN", "IDURMX", "INYRG"}) {
      SCOPED_TRACE(K);
      EXPECT_LE(GetVarMin(K), GetVarMax(K));
    }
    EXPECT_TRUE(NoBox.Shown().empty());
  }
  std::set<std::string> Types, Files;
  for (const auto& Item : VarCatalogue) {
    const TRerunVar& V = *Item.Obj;
    SCOPED_TRACE(V.Description());
    EXPECT_NE(V.Description(), "IZT");
    EXPECT_NE(V.Description(), "IBAL");
    const TParDef* D = FindParDef(V.Description());
    ASSERT_NE(D, nullptr) << "the model does not know it";
    if (std::string(D->File) != V.FileType()) D = nullptr;
    for (const TParDef& Other : ModelParameters())
      if (V.Description() == Other.Name && V.FileType() == Other.File) D = &Other;
    ASSERT_NE(D, nullptr) << "the model keeps it in another file";
    EXPECT_TRUE(D->Rerunnable);
    EXPECT_EQ(V.VarType(), D->Type);
    if (V.VarType() != "C") {
      EXPECT_GE(V.Min(), D->Min);
      EXPECT_LE(V.Max(), D->Max);
      EXPECT_LE(V.Min(), V.Max());
    }
    Types.insert(V.VarType());
    Files.insert(V.FileType());
  }
  EXPECT_EQ(Types, (std::set<std::string>{"C", "I", "R", "SD", "SP", "ST"}));
  EXPECT_EQ(Files, (std::set<std::string>{"TD", "SD", "CF", "SF"}));
}

TEST(SampleHome, CropAndSoilFilesReadTheSameByTheRerunRulesAndTheModel) {
  TCatalogueGuard Guard;
  ASSERT_TRUE(LoadVarCatalogue(Data + "bin/KRL_VAR.csv"));
  int Crops = 0, Soils = 0;
  for (const auto& Dir : {std::string("cropd/"), std::string("soild/")})
    for (const auto& E : std::filesystem::directory_iterator(Data + Dir)) {
      const std::string Path = E.path().string();
      SCOPED_TRACE(Path);
      const bool Crop = Dir == "cropd/";
      (Crop ? Crops : Soils)++;
      const TValueSet Set = ReadDataFile(Path, Crop ? "CRFILE" : "SOFILE");
      const TParams P(Set, nullptr, "");
      EXPECT_NO_THROW(Crop ? (void)LoadCropParams(P) : (void)LoadSoilParams(P));
      for (const auto& Item : VarCatalogue) {
        const TRerunVar& V = *Item.Obj;
        if (V.FileType() != (Crop ? "CF" : "SF")) continue;
        SCOPED_TRACE(V.Description());
        TDxTextFile F(Path);
        const std::string Value = TKvRerun::ReadVarValue(F, V.VarType(), V.Description());
        ASSERT_FALSE(Value.empty());
        // The value the control centre reads is the one the model uses, and
        // lies within the catalogue's range.
        TRerunVar Copy(V);
        Copy.SetValue(Value);
        EXPECT_TRUE(Copy.Valid()) << Value;
        if (V.VarType()[0] == 'S') {
          const TTable T = P.Table(V.Description());
          std::string Joined;
          for (size_t i = 0; i < T.Xs().size(); ++i)
            Joined += (i ? "," : "") + Format("%g,%g", T.Xs()[i], T.Ys()[i]);
          std::string Theirs;
          std::stringstream Ss(Value);
          for (std::string Piece; std::getline(Ss, Piece, ',');)
            Theirs += (Theirs.empty() ? "" : ",") + Format("%g", Num(Piece));
          EXPECT_EQ(Theirs, Joined);
        } else if (V.VarType() == "R") {
          EXPECT_DOUBLE_EQ(Num(Value), P.Real(V.Description()));
        }
      }
      // The soil's moisture range for the session.
      if (!Crop) {
        TDxTextFile F1(Path), F2(Path);
        EXPECT_LT(Num(TKvRerun::ReadVarValue(F1, "R", "SMW")), Num(TKvRerun::ReadVarValue(F2, "R", "SM0")));
      }
    }
  EXPECT_GE(Crops, 4);
  EXPECT_GE(Soils, 3);
}

TEST(SampleHome, OutputRoundTripsThroughTheReaders) {
  for (const char* Izt : {"0", "1"}) {
    SCOPED_TRACE(std::string("IZT ") + Izt);
    TModelHome H;
    H.Site["IZT"] = Izt;
    H.Site["ZTI"] = "120.000000";
    H.Opt["IOPT2"] = "4";
    H.Timer["PRDEL"] = "7.0";
    H.RerunLines = {"RUNNAM='A1';", "IDSOW=85 ", "RUNNAM='B2';", "SOFILE='SAND.SOL';", "IDSOW=100 "};
    std::string Log;
    std::vector<TRunResult> R;
    ASSERT_EQ(H.Run(Log, &R), 0) << Log;
    TDetailedOutput Out;
    ASSERT_TRUE(Out.ReadOutputFile(H.Path("output/KRL.OUT")));
    const TRunOutput& D = Out.Data;
    EXPECT_TRUE(D.HasWaterLimited);
    EXPECT_TRUE(D.HasWaterBalance);
    EXPECT_TRUE(D.HasRootZone);
    EXPECT_TRUE(D.HasNutrients);
    EXPECT_EQ(D.HasGroundwater, std::string(Izt) == "1");
    ASSERT_EQ(D.PotentialList.Count(), 4);
    ASSERT_EQ(D.WaterList.Count(), 4);
    ASSERT_EQ(D.BalanceList.Count(), 4);
    ASSERT_EQ(D.NutrientsList.Count(), 2);
    int k = 0;
    for (const TRunResult& Run : R)
      for (const TYearResult& Y : Run.Years) {
        const TPotentialOutput& P = *D.PotentialList.Objects(k);
        const TWaterLimitedOutput& W = *D.WaterList.Objects(k);
        const TWaterBalance& B = *D.BalanceList.Objects(k);
        ++k;
        EXPECT_EQ(P.Header->RunName.Str(), Run.Name);
        EXPECT_EQ(P.Header->RunYear.Str(), std::to_string(Y.Year));
        EXPECT_EQ(P.Header->EmergenceDate, std::to_string(Y.Pot.EmDoy));
        EXPECT_EQ(W.Header->SowingDate, std::to_string(Y.Wat.SowDoy));
        EXPECT_EQ(P.Header->CropName, "Test cereal");
        EXPECT_EQ(P.Days.Count(), static_cast<int>(Y.Pot.Rows.size()));
        EXPECT_EQ(W.Days.Count(), static_cast<int>(Y.Wat.Rows.size()));
        EXPECT_EQ(static_cast<int>(Num(P.Days.Objects(0)->Value(2).Str())), Y.Pot.EmDoy);
        EXPECT_NEAR(Num(P.Summary.Value(6).Str()), Y.Pot.TWSO, PrintedTolerance(0));
        EXPECT_NEAR(Num(P.Summary.Value(7).Str()), Y.Pot.TAGP, PrintedTolerance(0));
        EXPECT_NEAR(Num(W.Summary.Value(6).Str()), Y.Wat.TWSO, PrintedTolerance(0));
        EXPECT_EQ(W.Summary.Value(13).Str(), std::to_string(Y.Wat.Dry));
        EXPECT_NEAR(Num(B.Rainfall.Str()), Y.Wat.Bal.Rain, PrintedTolerance(2));
        EXPECT_NEAR(Num(B.Transpiration.Str()), Y.Wat.Bal.Tra, PrintedTolerance(2));
        EXPECT_NEAR(Num(B.CheckSum1.Str()), 0.0, PrintedTolerance(2, 1, 1));
        EXPECT_NEAR(Num(B.Checksum2.Str()), 0.0, PrintedTolerance(2, 1, 1));
        EXPECT_NEAR(Num(B.CapillaryRise.Str()), Y.Wat.Bal.CapRise, PrintedTolerance(2));
        EXPECT_NEAR(Num(B.Perculation.Str()), Y.Wat.Bal.Perc, PrintedTolerance(2));
      }
    EXPECT_EQ(D.NutrientsList.Strings(1), "B2");
    const TNutrients& N = *D.NutrientsList.Objects(0);
    EXPECT_NEAR(Num(N.StorageOrgan[0].Str()), 0.5 * (R[0].Years[0].Pot.TWSO + R[0].Years[1].Pot.TWSO),
                PrintedTolerance(0, 2));
    EXPECT_EQ(N.bas[0].Str(), "Nbas = 60.0");

    TSummaryOutput S;
    S.ReadOutputFiles(H.Path("output/KRL.OUT"));
    ASSERT_EQ(S.PotentialOutputList.Count(), 2);
    ASSERT_EQ(S.WaterLimitedOutputList.Count(), 2);
    for (int r = 0; r < 2; ++r) {
      const TPotentialOutputSum& Ps = *S.PotentialOutputList.Objects(r);
      const TWaterLimitedOutputSum& Ws = *S.WaterLimitedOutputList.Objects(r);
      EXPECT_EQ(Ps.RunName, R[r].Name);
      EXPECT_EQ(Ps.FNrOfYears, 2);
      EXPECT_EQ(Ws.Years.Count(), 2);
      const double MeanSo = 0.5 * (R[r].Years[0].Pot.TWSO + R[r].Years[1].Pot.TWSO);
      EXPECT_NEAR(Num(Ps.Summary[0].Value(4).Str()), MeanSo, PrintedTolerance(0));  // DUR TWLV TWST TWSO
      const double MeanW = 0.5 * (R[r].Years[0].Wat.TWSO + R[r].Years[1].Wat.TWSO);
      EXPECT_NEAR(Num(Ws.Summary[0].Value(4).Str()), MeanW, PrintedTolerance(0));
      EXPECT_NEAR(Num(Ws.Years.Objects(1)->Value(9).Str()), R[r].Years[1].Wat.TWSO, PrintedTolerance(0));
    }
    EXPECT_EQ(S.PotentialOutputList.Objects(0)->SoilName, "Loam, test");
    EXPECT_EQ(S.Summary.Years.Count(), 4);
  }
}

TEST(SampleHome, EveryCropRunsOnTheSampleData) {
  TModelHome H(TModelHome::SampleData);
  for (const char* Crop : {"WWHEAT.CRP", "SBARLEY.CRP", "GMAIZE.CRP", "POTATO.CRP"}) {
    SCOPED_TRACE(Crop);
    const bool Winter = std::string(Crop) == "WWHEAT.CRP";
    // The sample grain maize is a late variety of the south: at NLD1 it
    // does not ripen.
    const bool South = std::string(Crop) == "GMAIZE.CRP";
    H.Timer["CLFILE"] = South ? "'STH1.'" : "'NLD1.'";
    H.Timer["CRFILE"] = std::string("'") + Crop + "'";
    H.Timer["INYEAR"] = "3";
    H.Timer["IDSOW"] = Winter ? "290" : "110";
    H.Timer["ISDAY"] = Winter ? "250" : "1";
    std::string Log;
    std::vector<TRunResult> R;
    ASSERT_EQ(H.Run(Log, &R), 0) << Log;
    for (const TYearResult& Y : R.at(0).Years) {
      EXPECT_GT(Y.Pot.TWSO, 3000);
      EXPECT_GT(Y.Pot.TAGP, Y.Pot.TWSO);
      EXPECT_LE(Y.Wat.TWSO, Y.Pot.TWSO);
      EXPECT_NEAR(Y.Wat.Bal.InWhole(), Y.Wat.Bal.OutWhole(), 1e-9);
    }
  }
}

// Every crop and soil file of the sample home is sound as the model reads it:
// the partitioning fractions above the ground add up to one at every
// development stage (checked here on a fine grid, tighter than the model's
// own check), and the soil moisture table keeps within wilting point and
// saturation.
TEST(SampleHome, EveryCropAndSoilFileIsConsistent) {
  int Crops = 0, Soils = 0;
  for (const auto& E : std::filesystem::directory_iterator(Data + "cropd")) {
    SCOPED_TRACE(E.path().filename().string());
    const TValueSet File = ReadDataFile(E.path().string(), "CRFILE");
    const TParams P(File, nullptr, "");
    TCropParams C;
    ASSERT_NO_THROW(C = LoadCropParams(P));
    for (int i = 0; i <= 200; ++i) {
      const double Dvs = i / 100.0;
      if (C.FRTB(Dvs) < 1) {
        EXPECT_NEAR(C.FLTB(Dvs) + C.FSTB(Dvs) + C.FOTB(Dvs), 1.0, 1e-6) << "at " << Dvs;
      }
    }
    ++Crops;
  }
  for (const auto& E : std::filesystem::directory_iterator(Data + "soild")) {
    SCOPED_TRACE(E.path().filename().string());
    const TValueSet File = ReadDataFile(E.path().string(), "SOFILE");
    TSoilParams S;
    ASSERT_NO_THROW(S = LoadSoilParams(TParams(File, nullptr, "")));
    for (const double Sm : S.SMTAB.Ys()) {
      EXPECT_GE(Sm, S.SMW - 1e-9);
      EXPECT_LE(Sm, S.SM0 + 1e-9);
    }
    ++Soils;
  }
  EXPECT_GE(Crops, 4);
  EXPECT_GE(Soils, 3);
}
