#include "output/RerunCompare.h"

#include <cmath>

#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "output/OutSum.h"

namespace {
// A result and its slots in a year row of each summary file; a maturity day
// of the water-limited file is emergence plus duration.
struct TRerunResult {
  const char* Name;
  int PotentialSlot;
  int WaterSlot;  // 0: emergence (slot 5) + duration (slot 6)
};
const TRerunResult Results[] = {
    {"Yield (TWSO, kg/ha)", 14, 9}, {"Biomass (TAGP, kg/ha)", 15, 10}, {"Harvest index (HINDEX)", 17, 12},
    {"Maturity day (HALT)", 10, 0}, {"Transpiration (mm)", 21, 16},
};

std::string Slot(const TOutputLine& L, int k) { return TrimBlanks(L.Value(k).Str()); }

std::string ValueOf(const TOutputLine& L, const TRerunResult& R, bool Water) {
  if (!Water) return Slot(L, R.PotentialSlot);
  if (R.WaterSlot) return Slot(L, R.WaterSlot);
  const std::string Em = Slot(L, 5), Dur = Slot(L, 6);
  if (!IsFloat(Em) || !IsFloat(Dur)) return {};
  return Format("%.0f", static_cast<double>(FloatOrZero(Em) + FloatOrZero(Dur)));
}

int DecimalsOf(const std::string& V) {
  const size_t Dot = V.find('.');
  return Dot == std::string::npos ? 0 : static_cast<int>(V.size() - Dot - 1);
}

template <class TList>
TTextTable Table(const TList& Runs, bool Water, const TRerunResult& R) {
  TTextTable T;
  T.Columns.push_back("Year");
  size_t Seasons = 0;
  for (const auto& E : Runs) {
    T.Columns.push_back(E.Str);
    Seasons = std::max(Seasons, static_cast<size_t>(E.Obj->Years.Count()));
  }
  const size_t Cols = T.Columns.size();
  T.Rows.assign(Seasons, std::vector<std::string>(Cols));
  std::vector<std::string> Mean(Cols), Sd(Cols);
  Mean[0] = "Mean";
  Sd[0] = "Standard deviation";
  size_t c = 1;
  for (const auto& E : Runs) {
    std::vector<double> Values;
    int Decimals = 0;
    int i = 0;
    for (const auto& Y : E.Obj->Years) {
      std::vector<std::string>& Row = T.Rows[static_cast<size_t>(i++)];
      if (Row[0].empty()) Row[0] = Y.Str;
      Row[c] = ValueOf(*Y.Obj, R, Water);
      if (IsFloat(Row[c])) {
        Values.push_back(static_cast<double>(FloatOrZero(Row[c])));
        Decimals = std::max(Decimals, DecimalsOf(Row[c]));
      }
    }
    if (!Values.empty()) {
      double Sum = 0;
      for (double V : Values) Sum += V;
      const double M = Sum / static_cast<double>(Values.size());
      double Q = 0;
      for (double V : Values) Q += (V - M) * (V - M);
      const double S = Values.size() > 1 ? std::sqrt(Q / static_cast<double>(Values.size() - 1)) : 0.0;
      // One decimal more than the values have, so that a mean of whole days
      // still tells.
      Mean[c] = Format("%.*f", Decimals + 1, M);
      Sd[c] = Format("%.*f", Decimals + 1, S);
    }
    ++c;
  }
  T.Rows.push_back(Mean);
  T.Rows.push_back(Sd);
  return T;
}
}  // namespace

const std::vector<std::string>& RerunResultNames() {
  static const std::vector<std::string> Names = [] {
    std::vector<std::string> N;
    for (const TRerunResult& R : Results) N.push_back(R.Name);
    return N;
  }();
  return Names;
}

TTextTable RerunComparison(const TSummaryOutput& Out, bool Water, const std::string& Result) {
  for (const TRerunResult& R : Results)
    if (Result == R.Name)
      return Water ? Table(Out.WaterLimitedOutputList, true, R) : Table(Out.PotentialOutputList, false, R);
  return {};
}

std::map<std::string, std::string> RerunCaptions(const std::string& RerunFile) {
  // The statements: a value list wrapped after a comma goes on in the next
  // line; "**" lines are the header.
  std::vector<std::string> Statements;
  bool Continued = false;
  for (const std::string& Line : LinesOf(RerunFile)) {
    if (Line.compare(0, 2, "**") == 0) continue;
    const std::string L = TrimBlanks(Line);
    if (Continued && !Statements.empty())
      Statements.back() += L;
    else if (!L.empty())
      Statements.push_back(L);
    Continued = !L.empty() && L.back() == ',';
  }
  std::map<std::string, std::string> Captions;
  std::string Name, Settings;
  const auto Finish = [&] {
    if (!Name.empty()) Captions[UpperCase(Name)] = Settings.empty() ? Name : Name + ": " + Settings;
  };
  for (std::string S : Statements) {
    if (!S.empty() && S.back() == ';') S.pop_back();
    const size_t Eq = S.find('=');
    if (Eq == std::string::npos) continue;
    const std::string Key = UpperCase(TrimBlanks(S.substr(0, Eq)));
    std::string Value = TrimBlanks(S.substr(Eq + 1));
    if (Key == "RUNNAM") {
      Finish();
      if (Value.size() >= 2 && (Value.front() == '\'' || Value.front() == '"'))
        Value = Value.substr(1, Value.size() - 2);
      Name = TrimBlanks(Value);
      Settings.clear();
      continue;
    }
    if (Key.size() > 3 && Key.compare(Key.size() - 3, 3, "NAM") == 0) continue;
    if (Value.size() > 24) Value = Value.substr(0, 21) + "...";
    Settings += (Settings.empty() ? "" : ", ") + Key + "=" + Value;
  }
  Finish();
  return Captions;
}

void NameRerunColumns(TTextTable& Table, const std::map<std::string, std::string>& Captions) {
  for (size_t c = 1; c < Table.Columns.size(); ++c) {
    const auto It = Captions.find(UpperCase(TrimBlanks(Table.Columns[c])));
    if (It != Captions.end()) Table.Columns[c] = It->second;
  }
}
