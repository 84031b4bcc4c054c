#include "model/Output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>

#include "foundations/Numbers.h"
#include "foundations/TextCase.h"

char* FixedToChars(char* First, char* Last, double V, int Prec) {
  static const double Scale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double S = Prec >= 0 && Prec <= 9 ? std::fabs(V) * Scale[Prec] : HUGE_VAL;
  if (S < 4e15) {
    // The product, rounded once, lies within 2^-53 of itself from the exact
    // product of V and the scale; so unless its fraction lies that near one
    // half, the exact product rounds to the same whole number.
    const double Whole = std::floor(S);
    const double Frac = S - Whole;
    if (std::fabs(Frac - 0.5) > 1e-15 * (S + 1.0)) {
      uint64_t N = static_cast<uint64_t>(Whole) + (Frac > 0.5 ? 1 : 0);
      // The digits backwards, at least one before the point.
      const int P = Prec;
      char Digits[32];
      int Count = 0;
      do {
        Digits[Count++] = static_cast<char>('0' + N % 10);
        N /= 10;
      } while (N != 0 || Count <= P);
      const bool Minus = std::signbit(V);
      if (Last - First < Minus + Count + (P > 0)) return nullptr;
      char* Out = First;
      if (Minus) *Out++ = '-';
      for (int i = Count - 1; i >= 0; --i) {
        *Out++ = Digits[i];
        if (i == P && P > 0) *Out++ = '.';
      }
      return Out;
    }
  }
  const auto R = std::to_chars(First, Last, V, std::chars_format::fixed, Prec);
  return R.ec == std::errc() ? R.ptr : nullptr;
}

namespace {

class TText {
 public:
  // A line without its trailing blanks: names taken from the input files may
  // end in blanks or be empty, and no output line ends in a blank.
  void Line(const std::string& S) {
    size_t End = S.size();
    while (End > 0 && static_cast<unsigned char>(S[End - 1]) <= ' ') --End;
    FText.append(S, 0, End);
    FText += "\r\n";
  }
  void Blank() { FText += "\r\n"; }
  std::string& Str() { return FText; }
  void Reserve(size_t Bytes) { FText.reserve(Bytes); }

  // A line of numbers, each after a blank, written as printf writes
  // " %*d" and " %*.*f" but without reading a format each time: the daily
  // rows are most of the output. The row is built apart and added whole;
  // it ends in a number, so it never ends in a blank.
  TText& Int(long V, int Width) {
    char Buf[24];
    const auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
    return Field(Buf, R.ptr, Width);
  }
  TText& Fix(double V, int Width, int Prec) {
    char Buf[64];
    if (char* End = FixedToChars(Buf, Buf + sizeof Buf, V, Prec)) return Field(Buf, End, Width);
    // Too many digits for the buffer: a value no crop reaches, written all the same.
    std::string Long(static_cast<size_t>(std::snprintf(nullptr, 0, "%.*f", Prec, V)) + 1, '\0');
    Long.resize(static_cast<size_t>(std::snprintf(&Long[0], Long.size(), "%.*f", Prec, V)));
    return Field(Long.data(), Long.data() + Long.size(), Width);
  }
  void EndLine() {
    if (FRowLen + 2 > sizeof FRow) Flush();
    FRow[FRowLen++] = '\r';
    FRow[FRowLen++] = '\n';
    Flush();
  }

 private:
  TText& Field(const char* First, const char* Last, int Width) {
    const size_t Len = static_cast<size_t>(Last - First);
    const size_t Pad = 1 + (Len < static_cast<size_t>(Width) ? static_cast<size_t>(Width) - Len : 0);
    if (FRowLen + Pad + Len > sizeof FRow) {
      // A row longer than the buffer: its start goes ahead.
      Flush();
      if (Pad + Len > sizeof FRow) {
        FText.append(Pad, ' ');
        FText.append(First, Len);
        return *this;
      }
    }
    std::fill_n(FRow + FRowLen, Pad, ' ');
    std::copy(First, Last, FRow + FRowLen + Pad);
    FRowLen += Pad + Len;
    return *this;
  }
  std::string FText;
  void Flush() {
    FText.append(FRow, FRowLen);
    FRowLen = 0;
  }
  char FRow[512];  // the row being built
  size_t FRowLen = 0;
};

void WeatherLines(TText& T, const THeaderInfo& H, int Year, int RainYear) {
  T.Line("WEATHER-> name: " + H.WeatherName);
  T.Line(" file: " + H.WeatherFile + Format(" start year %d", Year));
  if (H.RainFromFile) {
    T.Line("RAIN-> station name: " + H.RainName);
    T.Line(" file: " + H.RainFile);
    T.Line(Format(" year: %d", RainYear));
  } else {
    T.Line(Format("RAIN-> from: weather data file, rain year %d", RainYear));
  }
  T.Line("CROP     name : " + H.CropName);
  T.Line(" file: " + H.CropFile);
  T.Line("SOIL     name : " + H.SoilName);
  T.Line(" file: " + H.SoilFile);
}

void RunHeader(TText& T, const TRunResult& R, const TYearResult& Y, const TOutputOptions& O) {
  T.Line("RUNNAM -> " + R.Name);
  T.Line(std::string("RERUNS -> ") + (O.Reruns ? "yes" : "no"));
  WeatherLines(T, Y.Header, Y.Year, Y.RainYear);
  T.Line("START-> crop: " + Y.Header.StartText);
  T.Blank();
}

void PotentialBlock(TText& T, const TRunResult& R, const TYearResult& Y, const TOutputOptions& O) {
  const TSeasonResult& S = Y.Pot;
  RunHeader(T, R, Y, O);
  T.Line(Format("start waterbalance day %d sowing date day %d emergence date day %d", S.WbStartDoy, S.SowDoy,
                S.EmDoy));
  T.Blank();
  T.Line("POTENTIAL CROP PRODUCTION");
  T.Line(
      " YEAR DAY  IDSEM   DVS    TSUM     WLV     WST     WSO    TAGP    LAI    TRA   GASS   MRES      DMI");
  T.Line(
      "                          degrd   kg/ha   kg/ha   kg/ha   kg/ha  m2/m2   mm/d   CH2O   CH2O  kg/ha/d");
  // " %4d %3d %6d %5.2f %7.1f %7.1f %7.1f %7.1f %7.1f %6.2f %6.2f %6.1f %6.1f %8.1f"
  for (const TDailyRow& D : S.Rows) {
    T.Int(D.Year, 4).Int(D.Doy, 3).Int(D.Idsem, 6).Fix(D.DVS, 5, 2).Fix(D.TSUM, 7, 1).Fix(D.WLV, 7, 1);
    T.Fix(D.WST, 7, 1).Fix(D.WSO, 7, 1).Fix(D.TAGP, 7, 1).Fix(D.LAI, 6, 2).Fix(D.TRA, 6, 2);
    T.Fix(D.GASS, 6, 1).Fix(D.MRES, 6, 1).Fix(D.DMI, 8, 1).EndLine();
  }
  T.Blank();
  T.Line("   HALT   ANTH    TWRT    TWLV    TWST    TWSO    TAGP HINDEX  TRANSP     TRC    GASST    MREST");
  T.Line(Format("   %4d   %4d %7.0f %7.0f %7.0f %7.0f %7.0f %6.3f %7.1f %7.1f %8.0f %8.0f", S.HarvDoy,
                S.AnthDoy, S.TWRT, S.TWLV, S.TWST, S.TWSO, S.TAGP, S.HINDEX, S.TRANSP, S.TRC, S.GASST,
                S.MREST));
  T.Blank();
}

// A difference as the balances show it with two decimals: one that rounds to
// zero is shown as 0.00, never as -0.00.
double Diff(double V) { return std::fabs(V) < 0.005 ? 0.0 : V; }

void BalanceBlocks(TText& T, const TSeasonResult& S, const TOutputOptions& O) {
  const TBalance& B = S.Bal;
  const bool Gw = O.IZT == 1;
  if (O.IBAL == 1 || O.IBAL == 3 || Gw) {
    T.Line("WATER BALANCE WHOLE SYSTEM (one-dimensional soil column, cm)");
    if (Gw)
      T.Line(Format("init within top 10m %8.2f  final within top 10m %8.2f  change: %8.2f", B.InitWhole,
                    B.FinalWhole, Diff(B.FinalWhole - B.InitWhole)));
    else
      T.Line(Format("init max root zone %8.2f  final max root zone %8.2f  change: %8.2f", B.InitWhole,
                    B.FinalWhole, Diff(B.FinalWhole - B.InitWhole)));
    T.Line(Format("init surf storage %8.2f  final surf storage %8.2f  change: %8.2f", B.InitSS, B.FinalSS,
                  Diff(B.FinalSS - B.InitSS)));
    T.Line(Format("irrigation %8.2f  evap water surface %8.2f", B.Irrigation, B.EvW));
    T.Line(Format("rainfall %8.2f  evap soil surface %8.2f", B.Rain, B.EvS));
    T.Line(Format("transpiration %8.2f  to atmos %8.2f", B.Tra, B.EvW + B.EvS + B.Tra));
    T.Line(Format("surface runoff %8.2f", B.RunOff));
    if (Gw)
      T.Line(Format("lost through drains %8.2f", B.Loss));
    else
      T.Line(Format("lost to deep soil %8.2f", B.Loss));
    T.Line(Format("TOTAL INIT + IN %8.2f  TOTAL FINAL + OUT %8.2f  checksum: %8.2f", B.InWhole(),
                  B.OutWhole(), Diff(B.InWhole() - B.OutWhole())));
    T.Blank();
  }
  if (O.IBAL == 2 || O.IBAL == 3) {
    T.Line("WATER BALANCE ROOT ZONE (cm)");
    T.Line(Format("init water stock %8.2f  final water stock %8.2f", B.InitRoot, B.FinalRoot));
    T.Line(Format("infiltration %8.2f  evap soil surface %8.2f", B.Infil, B.EvS));
    T.Line(Format("added by root growth %8.2f  transpiration %8.2f", B.AddRoot, B.Tra));
    if (Gw)
      T.Line(Format("capillary rise %8.2f  percolation %8.2f", B.CapRise, B.Perc));
    else
      T.Line(Format("percolation %8.2f", B.Perc));
    T.Line(Format("TOTAL INIT + IN %8.2f  FINAL + OUT %8.2f  checksum: %8.2f", B.InRoot(), B.OutRoot(),
                  Diff(B.InRoot() - B.OutRoot())));
    T.Blank();
  }
}

void WaterBlock(TText& T, const TRunResult& R, const TYearResult& Y, const TOutputOptions& O) {
  const TSeasonResult& S = Y.Wat;
  const bool Gw = O.IZT == 1;
  RunHeader(T, R, Y, O);
  T.Line(Format("start waterbalance day %d , sowing date day %d emergence date day %d", S.WbStartDoy,
                S.SowDoy, S.EmDoy));
  T.Blank();
  T.Line(Gw ? "WATER LIMITED CROP PRODUCTION   (groundwater)"
            : "WATER LIMITED CROP PRODUCTION   (free drainage)");
  T.Line(Format(" production level water-limited, water balance from day %d", S.WbStartDoy));
  T.Line(Gw ? " rooted zone over a groundwater table, daily values"
            : " rooted-zone water balance, daily values");
  T.Line(" depth in cm, water in cm, rates in mm/d");
  if (Gw) {
    T.Line(
        " YEAR DAY     WLV     WST     WSO    LAI     RD     RAIN    TRA   EVAP     SM      SS      ZT  wet  "
        "dry");
    T.Line(
        "            kg/ha   kg/ha   kg/ha  m2/m2     cm       mm   mm/d   mm/d vol.fr      cm      cm days "
        "days");
    // " %4d %3d %7.1f %7.1f %7.1f %6.2f %6.1f %8.1f %6.2f %6.2f %6.3f %7.2f %7.1f %4d %4d"
    for (const TDailyRow& D : S.Rows) {
      T.Int(D.Year, 4).Int(D.Doy, 3).Fix(D.WLV, 7, 1).Fix(D.WST, 7, 1).Fix(D.WSO, 7, 1).Fix(D.LAI, 6, 2);
      T.Fix(D.RD, 6, 1).Fix(D.RAIN, 8, 1).Fix(D.TRA, 6, 2).Fix(D.EVA, 6, 2).Fix(D.SM, 6, 3);
      T.Fix(D.SS, 7, 2).Fix(D.ZT, 7, 1).Int(D.Wet, 4).Int(D.Dry, 4).EndLine();
    }
  } else {
    T.Line(
        " YEAR DAY     WLV     WST     WSO    TAGP    LAI     RD     SM   RESRV   AVAIL     RAIN    TRA    "
        "EVA  wet  dry");
    T.Line(
        "            kg/ha   kg/ha   kg/ha   kg/ha  m2/m2     cm vol.fr      cm      cm       mm   mm/d   "
        "mm/d days days");
    // " %4d %3d %7.1f %7.1f %7.1f %7.1f %6.2f %6.1f %6.3f %7.2f %7.2f %8.1f %6.2f %6.2f %4d %4d"
    for (const TDailyRow& D : S.Rows) {
      T.Int(D.Year, 4).Int(D.Doy, 3).Fix(D.WLV, 7, 1).Fix(D.WST, 7, 1).Fix(D.WSO, 7, 1).Fix(D.TAGP, 7, 1);
      T.Fix(D.LAI, 6, 2).Fix(D.RD, 6, 1).Fix(D.SM, 6, 3).Fix(D.RESRV, 7, 2).Fix(D.AVAIL, 7, 2);
      T.Fix(D.RAIN, 8, 1).Fix(D.TRA, 6, 2).Fix(D.EVA, 6, 2).Int(D.Wet, 4).Int(D.Dry, 4).EndLine();
    }
  }
  T.Blank();
  T.Line("   HALT   ANTH    TWRT    TWLV    TWST    TWSO    TAGP HINDEX     TRC    GASST    MREST  wet  dry");
  T.Line(Format("   %4d   %4d %7.0f %7.0f %7.0f %7.0f %7.0f %6.3f %7.1f %8.0f %8.0f %4d %4d", S.HarvDoy,
                S.AnthDoy, S.TWRT, S.TWLV, S.TWST, S.TWSO, S.TAGP, S.HINDEX, S.TRC, S.GASST, S.MREST, S.Wet,
                S.Dry));
  T.Blank();
  BalanceBlocks(T, S, O);
}

std::string Fert(double V) { return V < 0 ? std::string("n.a.") : Format("%.0f", V); }

void NutrientBlock(TText& T, const TRunResult& R, const std::vector<const TYearResult*>& Years) {
  TNutrientColumn C[3];
  NutrientColumns(R, Years, C);
  T.Line("SUMMARY CROP PRODUCTION AND NUTRIENT REQUIREMENTS");
  T.Line(Format("Nbas = %.1f,Pbas = %.1f,Kbas = %.1f", R.Site.NBASE, R.Site.PBASE, R.Site.KBASE));
  T.Line(Format("Nrec = %.2f,Prec = %.2f,Krec = %.2f", R.Site.NREC, R.Site.PREC, R.Site.KREC));
  T.Line(Format("Leaves : %.0f | %.0f | %.0f", C[0].Leaves, C[1].Leaves, C[2].Leaves));
  T.Line(Format("Stems : %.0f | %.0f | %.0f", C[0].Stems, C[1].Stems, C[2].Stems));
  T.Line(Format("Storage organ : %.0f | %.0f | %.0f", C[0].Storage, C[1].Storage, C[2].Storage));
  auto Ratio = [](const TNutrientColumn& X) {
    const double Straw = X.Leaves + X.Stems;
    return Straw > 0 ? X.Storage / Straw : 0.0;
  };
  auto Hi = [](const TNutrientColumn& X) {
    const double All = X.Leaves + X.Stems + X.Storage;
    return All > 0 ? X.Storage / All : 0.0;
  };
  T.Line(Format("Ratio SO/straw : %.2f | %.2f | %.2f", Ratio(C[0]), Ratio(C[1]), Ratio(C[2])));
  T.Line(Format("Harvest index : %.2f | %.2f | %.2f", Hi(C[0]), Hi(C[1]), Hi(C[2])));
  const char* Names[3] = {"Fertilizer N : ", "Fertilizer P : ", "Fertilizer K : "};
  for (int n = 0; n < 3; ++n)
    T.Line(Names[n] + Fert(C[0].Fert[n]) + " | " + Fert(C[1].Fert[n]) + " | " + Fert(C[2].Fert[n]));
  T.Blank();
}

// Runs grouped by name without regard to case, in the order names first appear.
std::vector<std::pair<const TRunResult*, std::vector<const TYearResult*>>> GroupByName(
    const std::vector<TRunResult>& Runs) {
  std::vector<std::pair<const TRunResult*, std::vector<const TYearResult*>>> Groups;
  for (const TRunResult& R : Runs) {
    auto It = Groups.begin();
    while (It != Groups.end() && !SameText(It->first->Name, R.Name)) ++It;
    if (It == Groups.end()) {
      Groups.push_back({&R, {}});
      It = Groups.end() - 1;
    }
    for (const TYearResult& Y : R.Years) It->second.push_back(&Y);
  }
  return Groups;
}

struct TStat {
  double Mean = 0, Sd = 0, Cv = 0;
};

TStat Stats(const std::vector<double>& V) {
  TStat S;
  if (V.empty()) return S;
  for (double X : V) S.Mean += X;
  S.Mean /= static_cast<double>(V.size());
  if (V.size() > 1) {
    double Q = 0;
    for (double X : V) Q += (X - S.Mean) * (X - S.Mean);
    S.Sd = std::sqrt(Q / static_cast<double>(V.size() - 1));
  }
  S.Cv = std::fabs(S.Mean) > 1e-12 ? 100.0 * S.Sd / std::fabs(S.Mean) : 0.0;
  return S;
}

void SummaryHeader(TText& T, const TRunResult& R, const TOutputOptions& O) {
  const TYearResult& Y = R.Years.front();
  WeatherLines(T, Y.Header, Y.Year, Y.RainYear);
  T.Line(O.IZT == 1 ? "groundwater: yes, groundwater table" : "groundwater: no, free drainage");
}

// Writes a statistics line: label, then the values' formatted statistics.
std::string StatLine(const std::string& Label, const std::vector<std::vector<double>>& Cols, int Which,
                     const std::vector<const char*>& Fmts) {
  std::string S = Label;
  for (size_t c = 0; c < Cols.size(); ++c) {
    const TStat St = Stats(Cols[c]);
    const double V = Which == 0 ? St.Mean : Which == 1 ? St.Sd : St.Cv;
    S += " " + Format(Which == 2 ? "%.1f" : Fmts[c], V);
  }
  return S;
}

double Ratio(double A, double B) { return B > 0 ? A / B : 0.0; }

}  // namespace

void NutrientColumns(const TRunResult& Run, const std::vector<const TYearResult*>& Years,
                     TNutrientColumn Col[3]) {
  const TNutrientUse& U = Run.Nutrients;
  const TSiteParams& S = Run.Site;
  const double Base[3] = {S.NBASE, S.PBASE, S.KBASE};
  const double Rec[3] = {S.NREC, S.PREC, S.KREC};
  const double CSo[3] = {U.NCSO, U.PCSO, U.KCSO};
  const double CSt[3] = {U.NCST, U.PCST, U.KCST};
  for (int c = 0; c < 3; ++c) Col[c] = TNutrientColumn();
  if (Years.empty()) return;
  const double N = static_cast<double>(Years.size());
  for (const TYearResult* Y : Years) {
    const TSeasonResult& W = Y->HasWater ? Y->Wat : Y->Pot;
    Col[0].Leaves += Y->Pot.TWLV / N;
    Col[0].Stems += Y->Pot.TWST / N;
    Col[0].Storage += Y->Pot.TWSO / N;
    Col[2].Leaves += W.TWLV / N;
    Col[2].Stems += W.TWST / N;
    Col[2].Storage += W.TWSO / N;
    // The nutrient-limited crop: the water-limited crop scaled down by the
    // scarcest nutrient's supply relative to its need.
    double F = 1;
    for (int n = 0; n < 3; ++n) {
      const double Need = CSo[n] * W.TWSO + CSt[n] * (W.TWLV + W.TWST);
      if (Need > 0) F = std::min(F, Base[n] / Need);
    }
    Col[1].Leaves += F * W.TWLV / N;
    Col[1].Stems += F * W.TWST / N;
    Col[1].Storage += F * W.TWSO / N;
  }
  for (int c = 0; c < 3; ++c)
    for (int n = 0; n < 3; ++n) {
      const double Need = CSo[n] * Col[c].Storage + CSt[n] * (Col[c].Leaves + Col[c].Stems);
      const double Short = Need - Base[n];
      if (Short <= 1e-9)
        Col[c].Fert[n] = 0;
      else
        Col[c].Fert[n] = Rec[n] > 0 ? Short / Rec[n] : -1;
    }
}

struct TDetailedText::TImpl {
  TOutputOptions O;
  size_t Seasons = 0, Added = 0;
  TText T;
};

TDetailedText::TDetailedText(const TOutputOptions& O, size_t Seasons) : F(new TImpl) {
  F->O = O;
  F->Seasons = Seasons;
  F->T.Line(O.Banner);
  F->T.Line("** detailed output: per run and year potential and water-limited production");
  F->T.Blank();
}

TDetailedText::~TDetailedText() = default;

void TDetailedText::Add(const TRunResult& R, const TYearResult& Y) {
  const size_t Before = F->T.Str().size();
  PotentialBlock(F->T, R, Y, F->O);
  if (F->O.IPRODL >= 2 && Y.HasWater) WaterBlock(F->T, R, Y, F->O);
  // The text in one piece: room for every season expected, a quarter more
  // than the first took (untouched room costs no memory), and the nutrient
  // summaries. Later seasons that need more let the text grow.
  if (F->Added++ == 0 && F->Seasons > 1) {
    const size_t Season = F->T.Str().size() - Before;
    F->T.Reserve(F->T.Str().size() + (F->Seasons - 1) * (Season + Season / 4) + 4096);
  }
}

std::string TDetailedText::Finish(const std::vector<TRunResult>& Runs) {
  if (F->O.IPRODL == 3)
    for (const auto& G : GroupByName(Runs)) NutrientBlock(F->T, *G.first, G.second);
  return std::move(F->T.Str());
}

std::string DetailedOutputText(const std::vector<TRunResult>& Runs, const TOutputOptions& O) {
  size_t Seasons = 0;
  for (const TRunResult& R : Runs) Seasons += R.Years.size();
  TDetailedText D(O, Seasons);
  for (const TRunResult& R : Runs)
    for (const TYearResult& Y : R.Years) D.Add(R, Y);
  return D.Finish(Runs);
}

namespace {

// A summary per year and run: per run a banner (on the first run followed by
// the OUTPUT line and the header), the column line, a row per year, and the
// statistics of the columns chosen by Row, after a separator line.
struct TSummaryTable {
  const char* Output;  // the OUTPUT line
  const char* Columns;
  const char* Separator;                 // the line before the statistics
  const char* StatPrefix;                // the statistics labels start with it
  std::vector<const char*> StatFormats;  // of the means and deviations
  // The row of a year; Stats receives the values of the statistics.
  std::function<std::string(const TRunResult&, const TYearResult&, std::vector<double>& Stats)> Row;
};

std::string SummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O,
                        const TSummaryTable& S) {
  TText T;
  bool First = true;
  for (const TRunResult& R : Runs) {
    if (R.Years.empty()) continue;
    T.Line(O.Banner);
    if (First) {
      T.Line(S.Output);
      SummaryHeader(T, R, O);
      First = false;
    }
    T.Line(S.Columns);
    std::vector<std::vector<double>> Cols(S.StatFormats.size());
    for (const TYearResult& Y : R.Years) {
      std::vector<double> V;
      T.Line(S.Row(R, Y, V));
      for (size_t c = 0; c < Cols.size(); ++c) Cols[c].push_back(V.at(c));
    }
    const std::string P = S.StatPrefix;
    T.Line(S.Separator);
    T.Line(StatLine(P + Format("MEANS over %3d years :", static_cast<int>(R.Years.size())), Cols, 0,
                    S.StatFormats));
    T.Line(StatLine(P + "standard deviation :", Cols, 1, S.StatFormats));
    T.Line(StatLine(P + "variation coefficient :", Cols, 2, S.StatFormats));
  }
  return std::move(T.Str());
}

}  // namespace

std::string PotentialSummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O) {
  TSummaryTable S;
  S.Output = "OUTPUT potential production per year";
  S.Columns =
      " YR   RUNNAM SET SOW --> EM  ANT FLWR DUR HALT    TWRT    TWLV    TWST    TWSO    TAGP  LAIM HINDEX   "
      "  TRC    GASST    MREST  TRANSP   EVSOL";
  S.Separator = "**";
  S.StatPrefix = "** ";
  S.StatFormats = {"%.1f", "%.0f", "%.0f", "%.0f", "%.0f", "%.2f", "%.3f", "%.1f", "%.1f", "%.1f"};
  S.Row = [](const TRunResult& R, const TYearResult& Y, std::vector<double>& Stats) {
    const TSeasonResult& P = Y.Pot;
    Stats = {static_cast<double>(P.Dur),
             P.TWLV,
             P.TWST,
             P.TWSO,
             P.TAGP,
             P.LAIM,
             P.HINDEX,
             P.TRC,
             P.TRANSP,
             P.EVSOL};
    return Format(
        " %4d %-6s %3d %3d --> %3d %4d %4d %3d %4d %7.0f %7.0f %7.0f %7.0f %7.0f %5.2f %6.3f %7.1f %8.0f "
        "%8.0f %7.1f %7.1f",
        Y.Year, R.Name.c_str(), R.Set, P.SowDoy, P.EmDoy, P.AnthDoy, P.FlwrDays, P.Dur, P.HarvDoy, P.TWRT,
        P.TWLV, P.TWST, P.TWSO, P.TAGP, P.LAIM, P.HINDEX, P.TRC, P.GASST, P.MREST, P.TRANSP, P.EVSOL);
  };
  return SummaryText(Runs, O, S);
}

std::string WaterSummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O) {
  TSummaryTable S;
  S.Output = "OUTPUT water-limited production per year";
  S.Columns =
      " YEAR RUNNAM SET SOW  EM DUR    TWLV    TWST    TWSO    TAGP  LAIM HINDEX     TRC   RAINT  DELWAT    "
      "TRAT   EVSOL   LOSST     TSR  RYLD  RAGP";
  S.Separator = "";
  S.StatPrefix = "";
  S.StatFormats = {"%.1f", "%.0f", "%.0f", "%.0f", "%.0f", "%.2f", "%.3f", "%.1f",
                   "%.1f", "%.1f", "%.1f", "%.1f", "%.1f", "%.2f", "%.2f"};
  S.Row = [](const TRunResult& R, const TYearResult& Y, std::vector<double>& Stats) {
    const TSeasonResult& W = Y.Wat;
    const double Ryld = Ratio(W.TWSO, Y.Pot.TWSO), Ragp = Ratio(W.TAGP, Y.Pot.TAGP);
    Stats = {static_cast<double>(W.Dur),
             W.TWLV,
             W.TWST,
             W.TWSO,
             W.TAGP,
             W.LAIM,
             W.HINDEX,
             W.TRC,
             W.RAINT,
             W.DELWAT,
             W.TRANSP,
             W.EVSOL,
             W.LOSST,
             Ryld,
             Ragp};
    return Format(
        " %4d %-6s %3d %3d %3d %3d %7.0f %7.0f %7.0f %7.0f %5.2f %6.3f %7.1f %7.1f %7.1f %7.1f %7.1f %7.1f "
        "%7.1f %5.2f %5.2f",
        Y.Year, R.Name.c_str(), R.Set, W.SowDoy, W.EmDoy, W.Dur, W.TWLV, W.TWST, W.TWSO, W.TAGP, W.LAIM,
        W.HINDEX, W.TRC, W.RAINT, W.DELWAT, W.TRANSP, W.EVSOL, W.LOSST, W.TSR, Ryld, Ragp);
  };
  return SummaryText(Runs, O, S);
}

std::string LongTermSummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O) {
  TText T;
  T.Line(O.Banner);
  T.Line("** long term statistics per production situation (1 potential, 2 water-limited) and run");
  T.Line("**PS RUNNAM IZT SOW EM DUR TWLV TWST TWSO var% TAGP var% LAIM HINDEX RYLD RAGP TRC RDMSOL");
  for (const TRunResult& R : Runs) {
    if (R.Years.empty()) continue;
    for (int Ps = 1; Ps <= (O.IPRODL >= 2 ? 2 : 1); ++Ps) {
      std::vector<double> Sow, Em, Dur, Lv, St, So, Ag, Lai, Hi, Ry, Ra, Trc;
      for (const TYearResult& Y : R.Years) {
        const TSeasonResult& S = Ps == 1 ? Y.Pot : Y.Wat;
        Sow.push_back(S.SowDoy);
        Em.push_back(S.EmDoy);
        Dur.push_back(S.Dur);
        Lv.push_back(S.TWLV);
        St.push_back(S.TWST);
        So.push_back(S.TWSO);
        Ag.push_back(S.TAGP);
        Lai.push_back(S.LAIM);
        Hi.push_back(S.HINDEX);
        Ry.push_back(Ps == 1 ? 1.0 : Ratio(S.TWSO, Y.Pot.TWSO));
        Ra.push_back(Ps == 1 ? 1.0 : Ratio(S.TAGP, Y.Pot.TAGP));
        Trc.push_back(S.TRC);
      }
      T.Line(
          Format(" %d %-6s %d %3.0f %3.0f %5.1f %7.0f %7.0f %7.0f %6.1f %7.0f %6.1f %5.2f %6.3f %5.2f %5.2f "
                 "%7.1f %6.1f",
                 Ps, R.Name.c_str(), O.IZT, Stats(Sow).Mean, Stats(Em).Mean, Stats(Dur).Mean, Stats(Lv).Mean,
                 Stats(St).Mean, Stats(So).Mean, Stats(So).Cv, Stats(Ag).Mean, Stats(Ag).Cv, Stats(Lai).Mean,
                 Stats(Hi).Mean, Stats(Ry).Mean, Stats(Ra).Mean, Stats(Trc).Mean, R.Site.RDMSOL));
    }
  }
  T.Blank();
  return std::move(T.Str());
}
