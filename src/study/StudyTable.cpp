#include "study/StudyTable.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "session/Kvses.h"
#include "study/StudyCsv.h"
#include "study/StudyKeywords.h"

namespace {
bool IsIdColumn(const std::string& Name) { return UpperCase(TrimBlanks(Name)) == "ID"; }

// A table value: numbers separated by commas, an even count of at least two.
bool WellFormedTableValue(const std::string& Value) {
  std::vector<std::string> Words;
  size_t From = 0;
  for (;;) {
    const size_t Comma = Value.find(',', From);
    Words.push_back(Value.substr(From, Comma == std::string::npos ? std::string::npos : Comma - From));
    if (Comma == std::string::npos) break;
    From = Comma + 1;
  }
  if (Words.size() < 2 || Words.size() % 2 != 0) return false;
  for (const std::string& W : Words) {
    long double X = 0;
    if (!TryStrToFloat(W, X)) return false;
  }
  return true;
}

std::string VariableRule(const TRerunVar& C) {
  const std::string Range = Format("%g to %g", C.Min(), C.Max());
  switch (C.VarType().empty() ? ' ' : C.VarType()[0]) {
    case 'I': return "a whole number within " + Range + " is needed";
    case 'R': return "a number within " + Range + " is needed";
    case 'C': return "a text of 1 to 12 characters is needed";
    case 'S': {
      const char X = C.VarType().size() > 1 ? C.VarType()[1] : ' ';
      const char* XRange = X == 'D' ? "0 to 3" : X == 'P' ? "0 to 4.2" : X == 'T' ? "-10 to 50" : "0 to 0";
      return std::string("every x within ") + XRange + " and every y within " + Range + " is needed";
    }
    default: return "a value is needed";
  }
}

// The rule a variable's value breaks, or empty.
std::string CheckVariableValue(const TRerunVar& Catalogue, const std::string& Value) {
  if (IsTableColumn(Catalogue.Description()) && !WellFormedTableValue(Value))
    return "malformed table value: x1,y1,x2,y2,... of numbers is needed";
  TRerunVar V;
  V.SetDescription(Catalogue.Description());
  V.SetVarType(Catalogue.VarType());
  V.SetMin(Catalogue.Min());
  V.SetMax(Catalogue.Max());
  V.SetValue(Value);
  return V.Valid() ? "" : VariableRule(Catalogue);
}

const TKorMenuItem* FindStation(const std::string& FileName) {
  const TMenuFileMatch Match(TrimBlanks(FileName));
  for (const auto& Item : StationList)
    if (Match(Item.Obj.get())) return Item.Obj.get();
  return nullptr;
}

// The weather years of a row: the station, first year and number of years
// from the row where it has them, else from the base session.
void CheckWeatherYears(const TStudyTable& Table, size_t Row, const TKvSession& Base,
                       std::vector<TStudyProblem>& Problems) {
  std::string Station = Base.Weather().StationFile();
  int First = Base.Weather().Year(), Count = Base.Weather().ConsecutiveYears();
  std::string Column;
  for (size_t c = 0; c < Table.Columns.size(); ++c) {
    const std::string Name = UpperCase(Table.Columns[c]);
    const std::string& V = Table.Rows[Row].Values[c];
    if (Name == "CLFILE") Station = V;
    if (Name == "ISYR" && TryStrToInt(V, First)) Column = Name;
    if (Name == "INYEAR" && TryStrToInt(V, Count) && Column.empty()) Column = Name;
    if (Name == "CLFILE" && Column.empty()) Column = Name;
  }
  if (Column.empty()) return;  // the base session's own years
  const TKorMenuItem* S = FindStation(Station);
  if (!S || S->YearBegin < 0) return;
  const int Last = First + std::max(Count, 1) - 1;
  if (First < S->YearBegin || Last > S->YearEnd)
    Problems.push_back({static_cast<int>(Row) + 1, Column,
                        Format("weather years %d to %d are not all available at station %s (%d to %d)", First,
                               Last, S->FileName.c_str(), S->YearBegin, S->YearEnd)});
}

std::vector<std::string> SplitAt(const std::string& S, char Sep) {
  std::vector<std::string> R;
  size_t From = 0;
  for (;;) {
    const size_t P = S.find(Sep, From);
    R.push_back(S.substr(From, P == std::string::npos ? std::string::npos : P - From));
    if (P == std::string::npos) return R;
    From = P + 1;
  }
}

std::string NumberText(long double X) {
  if (std::fabs(static_cast<double>(X - std::llround(static_cast<double>(X)))) < 1e-9)
    return std::to_string(std::llround(static_cast<double>(X)));
  return Format("%.10g", static_cast<double>(X));
}
}  // namespace

bool IsTableColumn(const std::string& Column) {
  const TRerunVar* C = FindStudyKeyword(Column) ? nullptr : FindCatalogueVar(TrimBlanks(Column));
  return C && !C->VarType().empty() && C->VarType()[0] == 'S';
}

std::string StudyProblemText(const TStudyProblem& P) {
  std::string Where;
  if (P.Row > 0) Where = "row " + std::to_string(P.Row);
  if (!P.Column.empty()) Where += (Where.empty() ? "" : ", ") + std::string("column ") + P.Column;
  return Where.empty() ? P.Rule : Where + ": " + P.Rule;
}

TStudyTable ParseStudyTable(const std::string& Text) {
  TStudyTable T;
  size_t Pos = 0;
  int Line = 0;
  std::vector<std::string> Fields;
  int IdAt = -1;
  // The header: the first line that is not empty.
  while (NextCsvRecord(Text, Pos, Line, Fields))
    if (!(Fields.size() == 1 && TrimBlanks(Fields[0]).empty())) break;
  for (size_t i = 0; i < Fields.size(); ++i) {
    if (IsIdColumn(Fields[i]) && IdAt < 0) {
      IdAt = static_cast<int>(i);
      continue;
    }
    T.Columns.push_back(TrimBlanks(Fields[i]));
  }
  T.HasId = IdAt >= 0;
  const size_t Width = Fields.size();
  while (NextCsvRecord(Text, Pos, Line, Fields)) {
    if (Fields.size() == 1 && TrimBlanks(Fields[0]).empty()) continue;
    TStudyRow R;
    R.Line = Line;
    for (size_t i = 0; i < Fields.size(); ++i) {
      if (static_cast<int>(i) == IdAt)
        R.Id = TrimBlanks(Fields[i]);
      else
        R.Values.push_back(TrimBlanks(Fields[i]));
    }
    // A row with too few or too many cells is refused by the check.
    R.Complete = Fields.size() == Width;
    R.Values.resize(T.Columns.size());
    T.Rows.push_back(std::move(R));
  }
  for (size_t i = 0; i < T.Rows.size(); ++i)
    if (!T.HasId) T.Rows[i].Id = std::to_string(i + 1);
  return T;
}

TStudyTable ReadStudyTable(const std::string& FileName) { return ParseStudyTable(ReadWholeFile(FileName)); }

std::string StudyTableText(const TStudyTable& Table) {
  std::vector<std::string> Header;
  if (Table.HasId) Header.push_back("ID");
  Header.insert(Header.end(), Table.Columns.begin(), Table.Columns.end());
  std::string Text = CsvRecord(Header);
  for (const TStudyRow& R : Table.Rows) {
    std::vector<std::string> F;
    if (Table.HasId) F.push_back(R.Id);
    F.insert(F.end(), R.Values.begin(), R.Values.end());
    Text += CsvRecord(F);
  }
  return Text;
}

std::vector<TStudyProblem> CheckStudyTable(const TStudyTable& Table, const TKvSession& Base) {
  std::vector<TStudyProblem> Problems;
  if (Table.Columns.empty()) Problems.push_back({0, "", "the table has no columns to change"});
  if (Table.Rows.empty()) Problems.push_back({0, "", "the table has no rows"});
  // The columns: each once, each a keyword or a catalogue variable.
  std::vector<bool> Usable(Table.Columns.size(), false);
  std::map<std::string, size_t> Seen;
  for (size_t c = 0; c < Table.Columns.size(); ++c) {
    const std::string& Name = Table.Columns[c];
    const std::string Upper = UpperCase(Name);
    if (Name.empty()) {
      Problems.push_back({0, Format("%zu", c + 1 + Table.HasId), "the column has no name"});
    } else if (!Seen.emplace(Upper, c).second || IsIdColumn(Name)) {
      Problems.push_back({0, Name, "the column appears twice"});
    } else if (Upper == "RUNNAM") {
      Problems.push_back({0, Name, "run names are given by the study; name rows in the column ID"});
    } else if (!FindStudyKeyword(Name) && !FindCatalogueVar(Name)) {
      Problems.push_back({0, Name,
                          "unknown column: neither a keyword of the input files nor a variable of " +
                              std::string(VarCatalogueFileName)});
    } else {
      Usable[c] = true;
    }
  }
  std::map<std::string, size_t> Ids;
  for (size_t r = 0; r < Table.Rows.size(); ++r) {
    const TStudyRow& R = Table.Rows[r];
    const int No = static_cast<int>(r) + 1;
    if (!R.Complete) {
      Problems.push_back(
          {No, "", Format("the row has another number of cells than the header (line %d)", R.Line)});
      continue;
    }
    if (Table.HasId) {
      if (R.Id.empty())
        Problems.push_back({No, "ID", "the ID is empty"});
      else if (auto [It, New] = Ids.emplace(R.Id, r); !New)
        Problems.push_back(
            {No, "ID", Format("duplicate ID %s (also row %zu)", R.Id.c_str(), It->second + 1)});
    }
    for (size_t c = 0; c < Table.Columns.size(); ++c) {
      if (!Usable[c]) continue;
      const std::string& V = R.Values[c];
      std::string Rule;
      if (V.empty())
        Rule = "the cell is empty";
      else if (std::any_of(V.begin(), V.end(),
                           [](char Ch) { return Ch == '\'' || Ch == '"' || (Ch >= 0 && Ch < ' '); }))
        // Such a value would break the line of the input file it goes into.
        Rule = "quotes and control characters are not allowed";
      else if (const TStudyKeyword* K = FindStudyKeyword(Table.Columns[c]))
        Rule = CheckKeywordValue(*K, V);
      else
        Rule = CheckVariableValue(*FindCatalogueVar(Table.Columns[c]), V);
      if (!Rule.empty()) Problems.push_back({No, Table.Columns[c], Rule + " (value " + V + ")"});
    }
    CheckWeatherYears(Table, r, Base, Problems);
  }
  return Problems;
}

TStudyTable ExpandStudyTable(const std::vector<std::string>& Arguments) {
  TStudyTable T;
  std::vector<std::vector<std::string>> Choices;
  for (const std::string& A : Arguments) {
    const size_t Eq = A.find('=');
    if (Eq == std::string::npos || Eq == 0 || Eq + 1 == A.size())
      throw EKvError("expand: " + A + ": COLUMN=VALUES is needed");
    const std::string Column = UpperCase(TrimBlanks(A.substr(0, Eq)));
    const std::string Spec = A.substr(Eq + 1);
    std::vector<std::string> Values;
    if (Spec == "*") {
      const TMenuList* List = Column == "CRFILE"   ? &CropList
                              : Column == "SOFILE" ? &SoilList
                              : Column == "CLFILE" ? &StationList
                                                   : nullptr;
      if (!List)
        throw EKvError("expand: " + A + ": * stands for the data files of CRFILE, SOFILE or CLFILE only");
      for (const auto& Item : *List)
        if (!(List == &StationList && Item.Obj->Format == FormatRainfall))
          Values.push_back(Item.Obj->FileName);
      if (Values.empty()) throw EKvError("expand: " + A + ": the data catalogue has no such files");
    } else if (!IsTableColumn(Column) && std::count(Spec.begin(), Spec.end(), ':') == 2) {
      const std::vector<std::string> P = SplitAt(Spec, ':');
      long double From = 0, To = 0, Step = 0;
      if (!TryStrToFloat(P[0], From) || !TryStrToFloat(P[1], To) || !TryStrToFloat(P[2], Step) ||
          !(Step > 0) || To < From)
        throw EKvError("expand: " + A + ": a:b:step with a <= b and a step above 0 is needed");
      const long double Count = std::floor((To - From) / Step + 1e-9L);
      if (Count > 1e6L) throw EKvError("expand: " + A + ": too many values");
      for (long k = 0; k <= static_cast<long>(Count); ++k) Values.push_back(NumberText(From + k * Step));
    } else {
      Values = SplitAt(Spec, IsTableColumn(Column) ? ';' : ',');
      for (std::string& V : Values) V = TrimBlanks(V);
    }
    T.Columns.push_back(Column);
    Choices.push_back(std::move(Values));
  }
  if (Choices.empty()) throw EKvError("expand: no COLUMN=VALUES given");
  size_t Total = 1;
  for (const auto& C : Choices) {
    Total *= C.size();
    if (Total > 10000000) throw EKvError("expand: the table would have more than 10000000 rows");
  }
  std::vector<size_t> At(Choices.size(), 0);
  for (size_t n = 0; n < Total; ++n) {
    TStudyRow R;
    R.Id = std::to_string(n + 1);
    R.Line = static_cast<int>(n) + 2;
    for (size_t c = 0; c < Choices.size(); ++c) R.Values.push_back(Choices[c][At[c]]);
    T.Rows.push_back(std::move(R));
    for (size_t c = Choices.size(); c-- > 0;) {
      if (++At[c] < Choices[c].size()) break;
      At[c] = 0;
    }
  }
  return T;
}
