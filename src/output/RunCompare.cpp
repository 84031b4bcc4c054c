#include "output/RunCompare.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "output/OutSum.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/SessionFields.h"

std::vector<std::string> LinesOf(const std::string& File) {
  std::vector<std::string> Lines;
  if (!FileExists(File)) return Lines;
  std::ifstream In(MapFileName(File), std::ios::binary);
  for (std::string L; std::getline(In, L);) {
    if (!L.empty() && L.back() == '\r') L.pop_back();
    Lines.push_back(L);
  }
  return Lines;
}

namespace {

// The values of an input file's "KEY = value" lines by upper-case keyword:
// the text after the first '=' without blanks, for the run-options file
// without its "! comment". The first line of a keyword counts.
std::map<std::string, std::string> ValuesOf(const std::string& File, bool HasComments) {
  std::map<std::string, std::string> Values;
  for (const std::string& L : LinesOf(File)) {
    const size_t Eq = L.find('=');
    if (Eq == std::string::npos || L.compare(0, 2, "**") == 0) continue;
    std::string Value = L.substr(Eq + 1);
    if (HasComments) {
      const size_t Bang = Value.find(" !");
      if (Bang != std::string::npos) Value.erase(Bang);
    }
    Values.emplace(UpperCase(TrimBlanks(L.substr(0, Eq))), TrimBlanks(Value));
  }
  return Values;
}

struct TKeptInputs {
  std::map<std::string, std::string> Of[3];  // by TFieldFile
  std::vector<std::string> Reruns;           // the rerun file's lines after its header
};

TKeptInputs ReadKeptInputs(const TKvFileManager& Fm, const std::string& Folder) {
  TKeptInputs K;
  K.Of[static_cast<int>(TFieldFile::Timer)] = ValuesOf(Folder + Fm.TimerName(), false);
  K.Of[static_cast<int>(TFieldFile::Site)] = ValuesOf(Folder + Fm.SiteName(), false);
  K.Of[static_cast<int>(TFieldFile::RunOptions)] = ValuesOf(Folder + Fm.RunName(), true);
  for (const std::string& L : LinesOf(Folder + Fm.ReRunName()))
    if (L.compare(0, 2, "**") != 0 && !TrimBlanks(L).empty()) K.Reruns.push_back(L);
  return K;
}

std::string Get(const std::map<std::string, std::string>& Values, const std::string& Key) {
  const auto It = Values.find(Key);
  return It == Values.end() ? std::string() : It->second;
}

// The mean yield over the reruns of a summary file's runs ("" without any).
template <class TList>
std::string MeanYield(const TList& Runs) {
  long double Sum = 0;
  int N = 0;
  for (const auto& E : Runs) {
    // The means row starts with DUR, TWLV, TWST, then TWSO.
    const std::string V = TrimBlanks(E.Obj->Summary[0].Value(4).Str());
    if (!IsFloat(V)) continue;
    Sum += FloatOrZero(V);
    ++N;
  }
  return N ? Format("%.0f", static_cast<double>(Sum / N)) : std::string();
}

// A season result and its slot in a year row of each summary file.
struct TSeasonResult {
  const char* Caption;
  int PotentialSlot;
  int WaterSlot;
};
const TSeasonResult SeasonResults[] = {
    {"Sowing SOW", 4, 4},     {"Duration DUR", 9, 6},           {"Yield TWSO", 14, 9},
    {"Biomass TAGP", 15, 10}, {"Harvest index HINDEX", 17, 12}, {"Transpiration", 21, 16},
};

int DecimalsOf(const std::string& V) {
  const size_t Dot = V.find('.');
  return Dot == std::string::npos ? 0 : static_cast<int>(V.size() - Dot - 1);
}

std::string Difference(const std::string& A, const std::string& B) {
  if (!IsFloat(A) || !IsFloat(B)) return {};
  return Format("%.*f", std::max(DecimalsOf(A), DecimalsOf(B)),
                static_cast<double>(FloatOrZero(B) - FloatOrZero(A)));
}

// One year row of one rerun of one production level.
struct TSeasonRow {
  std::string Level, Rerun, Year;
  const TOutputLine* Line = nullptr;
  bool IsPotential = true;
};

template <class TList>
void AddRows(const TList& Runs, const char* Level, bool IsPotential, std::vector<TSeasonRow>& Rows) {
  for (const auto& E : Runs)
    for (const auto& Y : E.Obj->Years) Rows.push_back({Level, E.Str, Y.Str, Y.Obj.get(), IsPotential});
}

std::vector<TSeasonRow> SeasonRows(const TSummaryOutput& Out) {
  std::vector<TSeasonRow> Rows;
  AddRows(Out.PotentialOutputList, "Potential", true, Rows);
  AddRows(Out.WaterLimitedOutputList, "Water-limited", false, Rows);
  return Rows;
}

std::string ValueOf(const TSeasonRow* Row, const TSeasonResult& R) {
  if (!Row) return {};
  return TrimBlanks(Row->Line->Value(Row->IsPotential ? R.PotentialSlot : R.WaterSlot).Str());
}
}  // namespace

TRunSummary ReadRunSummary(const TKvFileManager& Fm, const std::string& Folder) {
  TRunSummary S;
  const TKeptInputs K = ReadKeptInputs(Fm, Folder);
  const auto& Timer = K.Of[static_cast<int>(TFieldFile::Timer)];
  S.Crop = Unquoted(Get(Timer, "CRFILE"));
  S.Station = Unquoted(Get(Timer, "CLFILE"));
  S.FirstYear = Get(Timer, "ISYR");
  S.Years = Get(Timer, "INYEAR");
  S.Soil = Unquoted(Get(K.Of[static_cast<int>(TFieldFile::Site)], "SOFILE"));
  if (FileExists(Folder + Fm.ReRunName())) {
    int Reruns = 0;
    for (const std::string& L : K.Reruns)
      if (UpperCase(TrimBlanks(L.substr(0, L.find('=')))) == "RUNNAM") ++Reruns;
    S.Reruns = std::to_string(Reruns);
  }
  TSummaryOutput Out;
  Out.ReadRunsPotential(Folder + Fm.OutName());
  Out.ReadRunsWater(Folder + Fm.OutName());
  S.PotentialYield = MeanYield(Out.PotentialOutputList);
  S.WaterYield = MeanYield(Out.WaterLimitedOutputList);
  return S;
}

namespace {
// The summary's lines of summary.txt, key and member.
struct TSummaryKey {
  const char* Key;
  std::string TRunSummary::*Member;
};
const TSummaryKey SummaryKeys[] = {
    {"CROP", &TRunSummary::Crop},
    {"SOIL", &TRunSummary::Soil},
    {"STATION", &TRunSummary::Station},
    {"FIRSTYEAR", &TRunSummary::FirstYear},
    {"YEARS", &TRunSummary::Years},
    {"RERUNS", &TRunSummary::Reruns},
    {"POTENTIALYIELD", &TRunSummary::PotentialYield},
    {"WATERYIELD", &TRunSummary::WaterYield},
};
constexpr const char* SummaryFile = "summary.txt";
}  // namespace

TRunSummary RunSummary(const TKvFileManager& Fm, const TRunRecord& Run) {
  const std::string Kept = Run.Folder + SummaryFile;
  std::ifstream In(Kept, std::ios::binary);
  if (In) {
    TRunSummary S;
    for (std::string L; std::getline(In, L);) {
      if (!L.empty() && L.back() == '\r') L.pop_back();
      const size_t Eq = L.find('=');
      for (const TSummaryKey& K : SummaryKeys)
        if (Eq != std::string::npos && L.compare(0, Eq, K.Key) == 0) S.*K.Member = L.substr(Eq + 1);
    }
    return S;
  }
  const TRunSummary S = ReadRunSummary(Fm, Run.Folder);
  try {
    TDxTextWriter W(Kept);
    for (const TSummaryKey& K : SummaryKeys) W.WriteLn(std::string(K.Key) + "=" + S.*K.Member);
    W.Close();
  } catch (const std::exception&) {
    // Without its file the summary is read from the run's files again next
    // time: slower, never wrong.
  }
  return S;
}

std::string RunTitle(const TRunRecord& Run) {
  return "Run " + std::to_string(Run.Number) + (Run.Time.empty() ? std::string() : ", " + Run.Time);
}

std::vector<TInputDifference> CompareRunInputs(const TKvFileManager& Fm, const TRunRecord& A,
                                               const TRunRecord& B) {
  const TKeptInputs KA = ReadKeptInputs(Fm, A.Folder), KB = ReadKeptInputs(Fm, B.Folder);
  std::vector<TInputDifference> Differences;
  for (const TSessionField& F : SessionFields()) {
    // Fields no page shows are derived from the others (file names, the
    // descriptions of the data files) and say nothing of their own.
    if (!*F.Page) continue;
    const int File = static_cast<int>(F.File);
    const std::string VA = Get(KA.Of[File], F.Keyword), VB = Get(KB.Of[File], F.Keyword);
    if (VA != VB) Differences.push_back({F.Page, F.PlainCaption(), F.Keyword, VA, VB});
  }
  const size_t Lines = std::max(KA.Reruns.size(), KB.Reruns.size());
  for (size_t i = 0; i < Lines; ++i) {
    const std::string LA = i < KA.Reruns.size() ? KA.Reruns[i] : std::string();
    const std::string LB = i < KB.Reruns.size() ? KB.Reruns[i] : std::string();
    if (TrimBlanks(LA) == TrimBlanks(LB)) continue;
    const std::string& Any = LA.empty() ? LB : LA;
    Differences.push_back({"Reruns", "Rerun table, line " + std::to_string(i + 1),
                           UpperCase(TrimBlanks(Any.substr(0, Any.find('=')))), TrimBlanks(LA),
                           TrimBlanks(LB)});
  }
  return Differences;
}

TTextTable CompareRunResults(const TKvFileManager& Fm, const TRunRecord& A, const TRunRecord& B) {
  TSummaryOutput OutA, OutB;
  OutA.ReadRunsPotential(A.Folder + Fm.OutName());
  OutA.ReadRunsWater(A.Folder + Fm.OutName());
  OutB.ReadRunsPotential(B.Folder + Fm.OutName());
  OutB.ReadRunsWater(B.Folder + Fm.OutName());
  const std::vector<TSeasonRow> RowsA = SeasonRows(OutA), RowsB = SeasonRows(OutB);

  TTextTable T;
  T.Columns = {"Production", "Rerun", "Year"};
  for (const TSeasonResult& R : SeasonResults)
    for (const char* Which : {" A", " B", " B-A"}) T.Columns.push_back(R.Caption + std::string(Which));
  // Rows meet by production level, rerun name and their place among that
  // rerun's years: the n-th season of one run beside the n-th of the other.
  std::map<std::string, int> Seen;
  auto KeyOf = [&Seen](const TSeasonRow& R) {
    const std::string Base = R.Level + '\n' + UpperCase(R.Rerun);
    return Base + '\n' + std::to_string(Seen[Base]++);
  };
  std::map<std::string, const TSeasonRow*> OfB;
  for (const TSeasonRow& R : RowsB) OfB[KeyOf(R)] = &R;
  Seen.clear();
  auto AddRow = [&T](const TSeasonRow* RA, const TSeasonRow* RB) {
    const TSeasonRow& Any = RA ? *RA : *RB;
    std::string Year = Any.Year;
    if (RA && RB && RA->Year != RB->Year) Year = RA->Year + "/" + RB->Year;
    std::vector<std::string> Row = {Any.Level, Any.Rerun, Year};
    for (const TSeasonResult& R : SeasonResults) {
      const std::string VA = ValueOf(RA, R), VB = ValueOf(RB, R);
      Row.insert(Row.end(), {VA, VB, Difference(VA, VB)});
    }
    T.Rows.push_back(std::move(Row));
  };
  for (const TSeasonRow& R : RowsA) {
    const auto It = OfB.find(KeyOf(R));
    const TSeasonRow* RB = nullptr;
    if (It != OfB.end()) {
      RB = It->second;
      OfB.erase(It);
    }
    AddRow(&R, RB);
  }
  // Seasons only run B has, in its order.
  for (const TSeasonRow& R : RowsB)
    if (std::any_of(OfB.begin(), OfB.end(), [&R](const auto& E) { return E.second == &R; }))
      AddRow(nullptr, &R);
  return T;
}

TTextTable InputDifferenceTable(const std::vector<TInputDifference>& Differences) {
  TTextTable T;
  T.Columns = {"Page", "Field", "Keyword", "Run A", "Run B"};
  for (const TInputDifference& D : Differences)
    T.Rows.push_back({D.Page, D.Caption, D.Keyword, D.ValueA, D.ValueB});
  return T;
}
