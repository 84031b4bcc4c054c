#include "output/Observations.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "foundations/DxLine.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "output/OutSum.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"

namespace {

// The columns of the model's daily tables (potential, water-limited with and
// without groundwater) and of its summary files, as they spell them.
// clang-format off
const char* const DailyNames[] = {
    "IDSEM", "DVS", "TSUM", "WLV", "WST", "WSO", "TAGP", "LAI", "TRA", "GASS", "MRES", "DMI",
    "RD", "SM", "RESRV", "AVAIL", "RAIN", "EVA", "EVAP", "SS", "ZT", "wet", "dry"};
const char* const SeasonNames[] = {
    "SOW", "EM", "ANT", "FLWR", "DUR", "HALT", "TWRT", "TWLV", "TWST", "TWSO", "TAGP", "LAIM",
    "HINDEX", "TRC", "GASST", "MREST", "TRANSP", "EVSOL", "RAINT", "DELWAT", "TRAT", "LOSST",
    "TSR", "RYLD", "RAGP"};
// clang-format on

template <size_t N>
std::string Spelt(const char* const (&Names)[N], const std::string& Var) {
  for (const char* Name : Names)
    if (SameText(Var, Name)) return Name;
  return std::string();
}

bool ToNumber(const std::string& S, double& Value) {
  long double V = 0;
  if (!TryStrToFloat(S, V) || !std::isfinite(static_cast<double>(V))) return false;
  Value = static_cast<double>(V);
  return true;
}

bool ToInt(const std::string& S, int& Value) { return TryStrToInt(TrimBlanks(S), Value); }

// Day of year of an ISO date YYYY-MM-DD; false for anything else.
bool IsoDate(const std::string& S, int& Year, int& Day) {
  if (S.size() != 10 || S[4] != '-' || S[7] != '-') return false;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (S[i] < '0' || S[i] > '9') return false;
  const int Y = std::stoi(S.substr(0, 4)), M = std::stoi(S.substr(5, 2)), D = std::stoi(S.substr(8, 2));
  static const int Lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (M < 1 || M > 12) return false;
  const int MonthLen = Lengths[M - 1] + (M == 2 && IsLeapYear(Y) ? 1 : 0);
  if (D < 1 || D > MonthLen) return false;
  int Doy = D;
  for (int k = 0; k < M - 1; ++k) Doy += Lengths[k] + (k == 1 && IsLeapYear(Y) ? 1 : 0);
  Year = Y;
  Day = Doy;
  return true;
}

std::string Field(const TDxLine& Line, int No) {
  return No > 0 ? Unquoted(TrimBlanks(Line.GetWord(No))) : "";
}

struct TColumns {
  int Run = 0, Year = 0, Day = 0, Date = 0, Var = 0, Value = 0, SD = 0;
};

TColumns HeaderColumns(const TDxLine& Line) {
  TColumns C;
  for (int i = 1; i <= Line.NoOfWords(); ++i) {
    const std::string Name = UpperCase(Field(Line, i));
    int* Slot = Name == "RUNNAM"  ? &C.Run
                : Name == "YEAR"  ? &C.Year
                : Name == "DAY"   ? &C.Day
                : Name == "DATE"  ? &C.Date
                : Name == "VAR"   ? &C.Var
                : Name == "VALUE" ? &C.Value
                : Name == "SD"    ? &C.SD
                                  : nullptr;
    if (Slot && *Slot == 0) *Slot = i;
  }
  return C;
}

// One data line into Obs; the reason it cannot be used otherwise.
std::string ReadObservation(const TDxLine& Line, const TColumns& C, TObservation& Obs) {
  Obs.RunName = Field(Line, C.Run);
  const std::string VarText = Field(Line, C.Var);
  const std::string Date = Field(Line, C.Date);
  const std::string DayText = Field(Line, C.Day);
  if (!Date.empty()) {
    if (!IsoDate(Date, Obs.Year, Obs.Day)) return "date not valid (YYYY-MM-DD): " + Date;
  } else {
    const std::string YearText = Field(Line, C.Year);
    if (!ToInt(YearText, Obs.Year) || Obs.Year < 1) return "year not valid: " + YearText;
    if (DayText.empty()) {
      Obs.Day = 0;
    } else if (!ToInt(DayText, Obs.Day) || Obs.Day < 1 || Obs.Day > (IsLeapYear(Obs.Year) ? 366 : 365)) {
      return "day outside the year: " + DayText;
    }
  }
  const std::string Daily = DailyVariable(VarText), Season = SeasonVariable(VarText);
  if (Daily.empty() && Season.empty()) return "unknown variable: " + VarText;
  // A name of both kinds (TAGP) is a daily value when a day is given.
  Obs.Season = Daily.empty() || Obs.Day == 0;
  Obs.Var = Obs.Season ? Season : Daily;
  if (Obs.Var.empty()) return "no day given for the daily variable " + Daily;
  if (Obs.Season) Obs.Day = 0;
  const std::string ValueText = Field(Line, C.Value);
  if (!ToNumber(ValueText, Obs.Value)) return "value not a number: " + ValueText;
  const std::string SDText = Field(Line, C.SD);
  Obs.SD.reset();
  if (!SDText.empty()) {
    double SD = 0;
    if (!ToNumber(SDText, SD) || SD < 0) return "SD not a number of 0 or more: " + SDText;
    Obs.SD = SD;
  }
  return std::string();
}

// One number for a year and a day of it.
int DayKey(int Year, int Day) { return Year * 367 + Day; }

bool IntWord(const TDxLine& Line, int No, int& Value) {
  const size_t Len = Line.WordLength(No);
  return Len > 0 && Len < 12 && TryStrToInt(Line.GetWord(No), Value);
}

// The values read before they are kept, by run number, year, day (0 for a
// season result) and variable: a water-limited value replaces a potential one.
struct TReadValue {
  double Value;
  bool Water;
};
using TReadValues = std::map<std::tuple<int, int, int, std::string>, TReadValue>;

void Keep(TReadValues& Values, int Run, int Year, int Day, const std::string& Var, double Value, bool Water) {
  auto [It, New] = Values.try_emplace({Run, Year, Day, Var}, TReadValue{Value, Water});
  if (!New && Water) It->second = {Value, true};
}

// Runs are told apart by their names (letter case ignored): the model writes
// a run block per run, year and production level under the run's name.
int RunNumber(std::vector<std::string>& Names, const std::string& Name) {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Name)) return static_cast<int>(i);
  Names.push_back(Name);
  return static_cast<int>(Names.size()) - 1;
}

// The requested columns of a table header: word number and variable.
std::vector<std::pair<int, std::string>> WantedColumns(const TDxLine& Header, int From,
                                                       const std::set<std::string>& Vars) {
  std::vector<std::pair<int, std::string>> Wanted;
  for (int i = From; i <= Header.NoOfWords(); ++i) {
    const std::string Name = Header.GetWord(i);
    if (Vars.count(Name)) Wanted.emplace_back(i, Name);
  }
  return Wanted;
}
}  // namespace

std::string DailyVariable(const std::string& Var) { return Spelt(DailyNames, Var); }
std::string SeasonVariable(const std::string& Var) { return Spelt(SeasonNames, Var); }

// ---------------------------------------------------------------- the file

void TObservationFile::Clear() {
  FileName.clear();
  Observations.clear();
  Problems.clear();
}

void TObservationFile::Read(const std::string& aFileName) {
  TDxTextFile File(aFileName);
  File.SetWordSep(",");
  std::vector<TObservation> Obs;
  std::vector<TObservationProblem> Bad;
  TColumns C;
  bool HaveHeader = false;
  int LineNo = 0;
  while (File.NextLine()) {
    ++LineNo;
    // A spreadsheet may put a byte order mark in front of the file.
    if (LineNo == 1 && File.Line().Str().rfind("\xEF\xBB\xBF", 0) == 0)
      File.Line().SetStr(File.Line().Str().substr(3));
    const std::string Text = TrimBlanks(File.Line().Str());
    if (Text.empty() || Text[0] == '#') continue;
    if (!HaveHeader) {
      // Spreadsheets of a decimal-comma locale separate by semicolons.
      if (Text.find(',') == std::string::npos && Text.find(';') != std::string::npos) {
        File.SetWordSep(";");
        File.Line().SetStr(File.Line().Str());
      }
      C = HeaderColumns(File.Line());
      if (!C.Var || !C.Value || (!C.Date && (!C.Year || !C.Day)))
        throw EKvError("The observation file " + aFileName +
                       " needs a header line with the columns YEAR and DAY (or DATE), VAR and VALUE");
      HaveHeader = true;
      continue;
    }
    TObservation O;
    O.LineNo = LineNo;
    const std::string Reason = ReadObservation(File.Line(), C, O);
    if (Reason.empty())
      Obs.push_back(std::move(O));
    else
      Bad.push_back({LineNo, Reason});
  }
  if (!HaveHeader) throw EKvError("The observation file " + aFileName + " has no header line");
  FileName = aFileName;
  Observations = std::move(Obs);
  Problems = std::move(Bad);
}

std::string ProblemText(const TObservationProblem& Problem) {
  return "line " + std::to_string(Problem.LineNo) + ": " + Problem.Reason;
}

namespace {
const char* const ObsKey = "OBSERVATIONS=";
}  // namespace

std::string SessionObservationFile(const TKvFileManager& Files) {
  const std::string Name = Files.ObsFullName();
  if (!FileExists(Name)) return std::string();
  TDxTextFile File(Name);
  while (File.NextLine()) {
    const std::string& Text = File.Line().Str();
    if (Text.size() > 13 && SameText(Text.substr(0, 13), ObsKey)) return TrimBlanks(Text.substr(13));
  }
  return std::string();
}

void SetSessionObservationFile(const TKvFileManager& Files, const std::string& ObsFile) {
  const std::string Name = Files.ObsFullName();
  if (ObsFile.empty()) {
    RemoveFile(Name, true);
    return;
  }
  TDxTextWriter W(Name);
  W.WriteLn("; observation file of the session (measured data beside the simulation)");
  W.WriteLn(ObsKey + ObsFile);
  W.Close();
}

// ---------------------------------------------------------------- simulation

void TSimulatedValues::Clear() {
  FValues.clear();
  FCount = 0;
}

void TSimulatedValues::Add(const std::string& RunName, int Run, int Year, int Day, const std::string& Var,
                           bool Season, double Value) {
  FValues[{Year, Season ? 0 : Day, Var}].push_back({RunName, Run, Value});
  ++FCount;
}

void TSimulatedValues::Read(const std::string& OutFile, const std::vector<TObservation>& Observations) {
  std::set<std::string> Vars;
  std::unordered_set<int> Days;
  for (const TObservation& O : Observations) {
    Vars.insert(O.Var);
    if (!O.Season) Days.insert(DayKey(O.Year, O.Day));
  }
  Read(OutFile, Vars, &Days);
}

void TSimulatedValues::Read(const std::string& OutFile, const std::set<std::string>& Vars,
                            const std::unordered_set<int>* Days) {
  Clear();
  if (Vars.empty()) return;
  std::vector<std::string> Names;
  TReadValues Values;
  // The daily tables of the detailed output.
  {
    TDxTextFile File(OutFile, TDxTextFile::TReading::Whole);
    int Run = -1;
    bool Water = false;
    while (File.NextLine()) {
      const TDxLine& L = File.Line();
      if (L.WordIs(1, "RUNNAM", 6) && L.WordIs(2, "->", 2)) {
        Run = RunNumber(Names, L.GetWord(3));
      } else if (L.WordIs(1, "POTENTIAL", 9)) {
        Water = false;
      } else if (L.WordIs(1, "WATER", 5) && !L.WordIs(2, "BALANCE", 7)) {
        Water = true;
      } else if (Run >= 0 && L.WordIs(1, "YEAR", 4) && L.WordIs(2, "DAY", 3)) {
        const auto Wanted = WantedColumns(L, 3, Vars);
        if (Wanted.empty()) continue;
        bool Rows = false;
        while (File.NextLine()) {
          const TDxLine& R = File.Line();
          int Year = 0, Day = 0;
          if (R.NoOfWords() == 0 || !IntWord(R, 1, Year) || !IntWord(R, 2, Day)) {
            if (Rows) break;
            continue;  // the units line, blank lines before the rows
          }
          Rows = true;
          if (Days && !Days->count(DayKey(Year, Day))) continue;
          double V = 0;
          for (const auto& [No, Var] : Wanted)
            if (Day > 0 && ToNumber(R.GetWord(No), V)) Keep(Values, Run, Year, Day, Var, V, Water);
        }
      }
    }
  }
  // The season results: the potential summary, then the water-limited one.
  for (const char* Ext : {"pps", "wps"}) {
    const std::string Name = SummaryFileName(OutFile, Ext);
    if (!FileExists(Name)) continue;
    const bool IsWater = Ext[0] == 'w';
    TDxTextFile File(Name, TDxTextFile::TReading::Whole);
    std::vector<std::pair<int, std::string>> Wanted;
    while (File.NextLine()) {
      const TDxLine& L = File.Line();
      int Year = 0;
      if ((L.WordIs(1, "YEAR", 4) || L.WordIs(1, "YR", 2)) && L.WordIs(2, "RUNNAM", 6)) {
        Wanted = WantedColumns(L, 3, Vars);
      } else if (!Wanted.empty() && IntWord(L, 1, Year) && L.NoOfWords() >= 3) {
        const int Run = RunNumber(Names, L.GetWord(2));
        double V = 0;
        for (const auto& [No, Var] : Wanted)
          if (ToNumber(L.GetWord(No), V)) Keep(Values, Run, Year, 0, Var, V, IsWater);
      }
    }
  }
  for (const auto& [Key, V] : Values) {
    const auto& [Run, Year, Day, Var] = Key;
    Add(Names[Run], Run, Year, Day, Var, Day == 0, V.Value);
  }
}

std::vector<TSimulatedValues::TValue> TSimulatedValues::Find(const std::string& RunName, int Year, int Day,
                                                             const std::string& Var, bool Season) const {
  std::vector<TValue> Found;
  const auto It = FValues.find({Year, Season ? 0 : Day, Var});
  if (It == FValues.end()) return Found;
  for (const TValue& V : It->second)
    if (RunName.empty() || SameText(RunName, V.RunName)) Found.push_back(V);
  return Found;
}

// ---------------------------------------------------------------- pairs

TMatchResult MatchObservations(const std::vector<TObservation>& Observations, const TSimulatedValues& Sim) {
  TMatchResult Result;
  Result.Pairs.reserve(Observations.size());
  for (const TObservation& O : Observations) {
    const auto Found = Sim.Find(O.RunName, O.Year, O.Day, O.Var, O.Season);
    if (Found.empty()) Result.Unmatched.push_back(O);
    for (const TSimulatedValues::TValue& V : Found) Result.Pairs.push_back({O, V.RunName, V.Run, V.Value});
  }
  return Result;
}

std::string UnmatchedText(const TObservation& Obs) {
  return "line " + std::to_string(Obs.LineNo) + ": " + (Obs.RunName.empty() ? "every run" : Obs.RunName) +
         " " + std::to_string(Obs.Year) + (Obs.Season ? " season" : " day " + std::to_string(Obs.Day)) + " " +
         Obs.Var + ": no simulated value";
}

std::vector<std::string> MeasuredSeasonRow(const std::vector<TObservation>& Observations,
                                           const std::vector<std::string>& Columns,
                                           const std::string& RunName, int Year) {
  std::vector<std::string> Row(Columns.size());
  bool Any = false;
  for (size_t c = 2; c < Columns.size(); ++c) {
    for (const TObservation& O : Observations) {
      if (!O.Season || O.Year != Year || O.Var != Columns[c] ||
          !(O.RunName.empty() || SameText(O.RunName, RunName)))
        continue;
      Row[c] = Format("%g", O.Value);
      Any = true;
      break;
    }
  }
  if (!Any) return {};
  if (Row.size() >= 2) {
    Row[0] = std::to_string(Year);
    Row[1] = "measured";
  }
  return Row;
}

// ---------------------------------------------------------------- statistics

TFitStatistics FitStatistics(const std::vector<double>& Observed, const std::vector<double>& Simulated) {
  TFitStatistics S;
  const size_t N = std::min(Observed.size(), Simulated.size());
  S.N = static_cast<int>(N);
  if (N == 0) return S;
  double SumO = 0, SumS = 0, SumDiff = 0, SumSq = 0;
  for (size_t i = 0; i < N; ++i) {
    SumO += Observed[i];
    SumS += Simulated[i];
    SumDiff += Simulated[i] - Observed[i];
    SumSq += (Simulated[i] - Observed[i]) * (Simulated[i] - Observed[i]);
  }
  const double MeanO = SumO / N;
  S.MeanObserved = MeanO;
  S.MeanSimulated = SumS / N;
  S.MeanBias = SumDiff / N;
  S.Rmse = std::sqrt(SumSq / N);
  if (MeanO != 0) S.RelativeRmse = 100 * *S.Rmse / std::fabs(MeanO);
  double SumObsDev = 0, SumAgree = 0;
  for (size_t i = 0; i < N; ++i) {
    SumObsDev += (Observed[i] - MeanO) * (Observed[i] - MeanO);
    const double A = std::fabs(Simulated[i] - MeanO) + std::fabs(Observed[i] - MeanO);
    SumAgree += A * A;
  }
  // Both indexes measure the fit against the spread of the observations:
  // with one pair or all observations equal there is no spread.
  if (N >= 2 && SumObsDev > 0) {
    S.EF = 1 - SumSq / SumObsDev;
    S.D = 1 - SumSq / SumAgree;
  }
  return S;
}

std::vector<TFitStatistics> EvaluatePairs(const std::vector<TObsPair>& Pairs) {
  std::vector<std::string> Order;
  std::map<std::string, std::pair<std::vector<double>, std::vector<double>>> ByVar;
  for (const TObsPair& P : Pairs) {
    const std::string Key = P.Obs.Var + (P.Obs.Season ? " (season)" : "");
    auto [It, New] = ByVar.try_emplace(Key);
    if (New) Order.push_back(Key);
    It->second.first.push_back(P.Obs.Value);
    It->second.second.push_back(P.Simulated);
  }
  std::vector<TFitStatistics> All;
  for (const std::string& Var : Order) {
    const auto& [O, S] = ByVar[Var];
    All.push_back(FitStatistics(O, S));
    All.back().Var = Var;
  }
  return All;
}

std::string StatText(const std::optional<double>& Value, int Decimals) {
  return Value ? Format("%.*f", Decimals, *Value) : std::string("undefined");
}

std::vector<std::string> EvaluationCaptions() {
  return {"Variable", "n", "Mean observed", "Mean simulated", "Mean bias", "RMSE", "RRMSE (%)", "EF", "d"};
}

std::vector<std::string> EvaluationRow(const TFitStatistics& S) {
  return {S.Var,
          std::to_string(S.N),
          StatText(S.MeanObserved, 2),
          StatText(S.MeanSimulated, 2),
          StatText(S.MeanBias, 2),
          StatText(S.Rmse, 2),
          StatText(S.RelativeRmse, 1),
          StatText(S.EF, 3),
          StatText(S.D, 3)};
}

// ---------------------------------------------------------------- evaluation

std::vector<std::string> TEvaluation::Notes() const {
  std::vector<std::pair<int, std::string>> Lines;
  for (const TObservationProblem& P : File.Problems) Lines.emplace_back(P.LineNo, ProblemText(P));
  for (const TObservation& O : Match.Unmatched) Lines.emplace_back(O.LineNo, UnmatchedText(O));
  std::stable_sort(Lines.begin(), Lines.end(),
                   [](const auto& A, const auto& B) { return A.first < B.first; });
  std::vector<std::string> Texts;
  for (auto& L : Lines) Texts.push_back(std::move(L.second));
  return Texts;
}

TEvaluation EvaluateObservations(const std::string& ObsFile, const std::string& OutFile) {
  TEvaluation E;
  E.File.Read(ObsFile);
  TSimulatedValues Sim;
  Sim.Read(OutFile, E.File.Observations);
  E.Match = MatchObservations(E.File.Observations, Sim);
  E.Stats = EvaluatePairs(E.Match.Pairs);
  return E;
}
