#include "model/ModelInput.h"

#include <algorithm>
#include <cmath>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "model/InputLines.h"
#include "platform/FileSys.h"
#include "platform/IniFile.h"

EModelError::EModelError(const std::string& File, const std::string& Key,
                         const std::vector<std::string>& Lines)
    : std::runtime_error(Lines.empty() ? Key : Lines.front()), FFile(File), FKey(Key), FLines(Lines) {}

TParKind TParDef::Kind() const {
  switch (Type[0]) {
    case 'C': return TParKind::Text;
    case 'I': return TParKind::Int;
    case 'R': return TParKind::Real;
    default: return TParKind::Table;
  }
}

double TParDef::XMin() const { return Type[0] == 'S' && Type[1] == 'T' ? -10.0 : 0.0; }

double TParDef::XMax() const {
  if (Type[0] != 'S') return 0.0;
  switch (Type[1]) {
    case 'D': return 3.0;
    case 'P': return 4.2;
    case 'T': return 50.0;
    default: return 0.0;
  }
}

const std::vector<TParDef>& ModelParameters() {
  static const std::vector<TParDef> Defs = {
      // timer file
      {"RUNNAM", "TD", "C", 0, 0, true, "name of the run"},
      {"IWEATH", "TD", "I", 1, 2, false, "weather format (2: yearly daily files)"},
      {"CLFILE", "TD", "C", 0, 0, true, "weather station (file stem with full stop)"},
      {"ISYR", "TD", "I", 1000, 2999, true, "first year to simulate"},
      {"INYEAR", "TD", "I", 1, 200, true, "number of consecutive weather years"},
      {"IRNDAT", "TD", "I", 0, 3, true, "rainfall data option"},
      {"RAFILE", "TD", "C", 0, 0, true, "rainfall file (option 2)"},
      {"ISYRR", "TD", "I", -999, 2999, true, "first rainfall year (option 2)"},
      {"INYRG", "TD", "I", 1, 200, true, "number of rainfall years (option 2)"},
      {"CRFILE", "TD", "C", 0, 0, true, "crop data file"},
      {"ISTCHO", "TD", "I", 0, 2, true, "crop start: 0 emergence, 1 sowing, 2 variable sowing"},
      {"IDEM", "TD", "I", 1, 366, true, "day of emergence"},
      {"IDSOW", "TD", "I", 1, 366, true, "day of sowing"},
      {"IDESOW", "TD", "I", 1, 366, true, "earliest day of sowing"},
      {"IDLSOW", "TD", "I", 1, 366, true, "ultimate day of sowing"},
      {"IENCHO", "TD", "I", 1, 3, true, "crop end: 1 fixed date, 2 maturity, 3 the earlier"},
      {"IDAYEN", "TD", "I", 1, 366, true, "fixed end day of the crop"},
      {"IDURMX", "TD", "I", 1, 400, true, "maximum duration from emergence (days)"},
      {"IBAL", "TD", "I", 0, 3, false, "water balance summary: 0 none, 1 whole, 2 root zone, 3 both"},
      {"PRDEL", "TD", "R", 0, 366, true, "output interval (days)"},
      {"CRPNAM", "TD", "C", 0, 0, false, "crop description"},
      {"SOLNAM", "TD", "C", 0, 0, false, "soil description"},
      {"CLMNAM", "TD", "C", 0, 0, false, "weather station description"},
      {"RAINAM", "TD", "C", 0, 0, false, "rainfall station description"},
      {"ISDAY", "TD", "I", 1, 366, true, "first day of the water balance"},
      // site file
      {"SOFILE", "SD", "C", 0, 0, true, "soil data file"},
      {"IZT", "SD", "I", 0, 1, false, "groundwater: 0 free drainage, 1 groundwater table"},
      {"IFUNRN", "SD", "I", 0, 1, true, "non-infiltrating rain: 0 fixed fraction, 1 by storm size"},
      {"IDRAIN", "SD", "I", 0, 1, true, "drains present (with groundwater)"},
      {"SSMAX", "SD", "R", 0, 100, true, "maximum surface storage (cm)"},
      {"WAV", "SD", "R", 0, 500, true, "initial available soil water in the potential root zone (cm)"},
      {"ZTI", "SD", "R", 0, 1000, true, "initial groundwater depth (cm)"},
      {"DD", "SD", "R", 0, 1000, true, "drain depth (cm)"},
      {"RDMSOL", "SD", "R", 1, 500, true, "maximum rooting depth allowed by the soil (cm)"},
      {"NOTINF", "SD", "R", 0, 1, true, "maximum non-infiltrating fraction of rain"},
      {"NBASE", "SD", "R", 0, 1000, true, "basic soil supply of nitrogen (kg/ha)"},
      {"NREC", "SD", "R", 0, 1, true, "recovery fraction of nitrogen fertilizer"},
      {"PBASE", "SD", "R", 0, 1000, true, "basic soil supply of phosphorus (kg/ha)"},
      {"PREC", "SD", "R", 0, 1, true, "recovery fraction of phosphorus fertilizer"},
      {"KBASE", "SD", "R", 0, 1000, true, "basic soil supply of potassium (kg/ha)"},
      {"KREC", "SD", "R", 0, 1, true, "recovery fraction of potassium fertilizer"},
      {"SSI", "SD", "R", 0, 100, true, "initial surface storage (cm)"},
      {"SMLIM", "SD", "R", 0, 1, true, "maximum initial moisture content of the rooted zone"},
      // crop file
      {"CRPNAM", "CF", "C", 0, 0, false, "crop description"},
      {"TBASEM", "CF", "R", -10, 30, true, "base temperature for emergence (C)"},
      {"TEFFMX", "CF", "R", 0, 50, true, "maximum effective temperature (C)"},
      {"TSUMEM", "CF", "R", 0, 2000, true, "temperature sum from sowing to emergence (C d)"},
      {"TBASE", "CF", "R", -10, 30, true, "base temperature for development and leaf ageing (C)"},
      {"TSUM1", "CF", "R", 1, 5000, true, "temperature sum from emergence to anthesis (C d)"},
      {"TSUM2", "CF", "R", 1, 5000, true, "temperature sum from anthesis to maturity (C d)"},
      {"TDWI", "CF", "R", 0, 2000, true, "initial total crop dry weight (kg/ha)"},
      {"LAIEM", "CF", "R", 0, 5, true, "leaf area index at emergence"},
      {"RGRLAI", "CF", "R", 0, 0.1, true, "maximum relative increase of leaf area (per C d)"},
      {"SLATB", "CF", "SD", 0, 0.01, true, "specific leaf area (ha/kg) over development stage"},
      {"SPAN", "CF", "R", 1, 200, true, "life span of leaves (physiological days)"},
      {"AMAXTB", "CF", "SD", 0, 100, true,
       "maximum leaf assimilation (kg CO2/ha leaf/h) over development stage"},
      {"TMPFTB", "CF", "ST", 0, 1, true, "reduction of maximum assimilation over day temperature"},
      {"KDIF", "CF", "R", 0.1, 1.5, true, "extinction coefficient for diffuse light"},
      {"EFF", "CF", "R", 0, 1, true, "initial light use efficiency (kg CO2/ha/h per J/m2/s)"},
      {"CVL", "CF", "R", 0.1, 1, true, "conversion efficiency of assimilates into leaves"},
      {"CVS", "CF", "R", 0.1, 1, true, "conversion efficiency of assimilates into stems"},
      {"CVO", "CF", "R", 0.1, 1, true, "conversion efficiency of assimilates into storage organs"},
      {"CVR", "CF", "R", 0.1, 1, true, "conversion efficiency of assimilates into roots"},
      {"RML", "CF", "R", 0, 0.1, true, "maintenance respiration of leaves (kg CH2O/kg/d)"},
      {"RMS", "CF", "R", 0, 0.1, true, "maintenance respiration of stems (kg CH2O/kg/d)"},
      {"RMO", "CF", "R", 0, 0.1, true, "maintenance respiration of storage organs (kg CH2O/kg/d)"},
      {"RMR", "CF", "R", 0, 0.1, true, "maintenance respiration of roots (kg CH2O/kg/d)"},
      {"Q10", "CF", "R", 1, 4, true, "increase of respiration per 10 C"},
      {"FRTB", "CF", "SD", 0, 1, true, "fraction of dry matter to roots over development stage"},
      {"FLTB", "CF", "SD", 0, 1, true, "fraction of above-ground dry matter to leaves"},
      {"FSTB", "CF", "SD", 0, 1, true, "fraction of above-ground dry matter to stems"},
      {"FOTB", "CF", "SD", 0, 1, true, "fraction of above-ground dry matter to storage organs"},
      {"RDI", "CF", "R", 0, 100, true, "initial rooting depth (cm)"},
      {"RRI", "CF", "R", 0, 10, true, "maximum daily increase of rooting depth (cm/d)"},
      {"RDMCR", "CF", "R", 1, 500, true, "maximum rooting depth of the crop (cm)"},
      {"CFET", "CF", "R", 0, 2, true, "crop factor of potential transpiration at full cover"},
      {"PDEPL", "CF", "R", 0, 1, true, "fraction of available soil water taken up without stress"},
      {"IAIRDU", "CF", "I", 0, 1, true, "air ducts in the roots (0 no, 1 yes)"},
      {"VERNSA", "CF", "R", 0, 100, true, "saturated vernalisation requirement (d; 0: none)"},
      {"VERNBA", "CF", "R", 0, 100, true, "base vernalisation requirement (d)"},
      {"VERNDV", "CF", "R", 0, 2, true, "development stage after which vernalisation no longer counts"},
      {"VERNTB", "CF", "ST", 0, 1, true, "vernalisation per day over mean temperature (d/d)"},
      {"DLO", "CF", "R", 0, 24, true, "optimum day length for development (h; 0: no photoperiod effect)"},
      {"DLC", "CF", "R", 0, 24, true, "critical day length for development (h)"},
      {"TKILL", "CF", "R", -100, 10, true,
       "minimum temperature at or below which frost kills the crop (C; -99: never)"},
      {"NCSO", "CF", "R", 0, 0.1, true, "nitrogen fraction in storage organs"},
      {"NCST", "CF", "R", 0, 0.1, true, "nitrogen fraction in leaves and stems"},
      {"PCSO", "CF", "R", 0, 0.1, true, "phosphorus fraction in storage organs"},
      {"PCST", "CF", "R", 0, 0.1, true, "phosphorus fraction in leaves and stems"},
      {"KCSO", "CF", "R", 0, 0.1, true, "potassium fraction in storage organs"},
      {"KCST", "CF", "R", 0, 0.1, true, "potassium fraction in leaves and stems"},
      // soil file
      {"SOLNAM", "SF", "C", 0, 0, false, "soil description"},
      {"SMW", "SF", "R", 0.01, 0.7, true, "soil moisture content at wilting point"},
      {"SMFCF", "SF", "R", 0.01, 0.8, true, "soil moisture content at field capacity"},
      {"SM0", "SF", "R", 0.05, 0.9, true, "soil moisture content at saturation"},
      {"SMTAB", "SF", "SP", 0, 0.9, true, "soil moisture content over pF"},
      {"CRAIRC", "SF", "R", 0, 0.5, true, "critical air content for root aeration"},
      {"K0", "SF", "R", 0, 1000, true, "maximum infiltration rate (cm/d)"},
      {"SOPE", "SF", "R", 0, 1000, true, "maximum percolation rate out of the root zone (cm/d)"},
      {"KSUB", "SF", "R", 0, 1000, true, "maximum percolation rate of the subsoil (cm/d)"},
      {"CRMX", "SF", "R", 0, 10, true, "maximum capillary rise next to the groundwater (cm/d)"},
  };
  return Defs;
}

const TParDef* FindParDef(const std::string& Name) {
  for (const TParDef& D : ModelParameters())
    if (SameText(D.Name, Name)) return &D;
  return nullptr;
}

std::string TValueSet::Where(const std::string& Key) const {
  auto It = LineOf.find(Key);
  return It == LineOf.end() ? FileName : AtLine(FileName, It->second);
}

TValueSet ReadKeyFile(const std::string& FileName, bool CutComments, const std::string& NamedBy) {
  TValueSet Set;
  Set.FileName = FileName;
  for (const TInputLine& L : ReadInputLines(FileName, NamedBy)) {
    std::string Text = L.Text;
    if (CutComments) Text = Text.substr(0, Text.find('!'));
    const size_t Eq = Text.find('=');
    if (Eq == std::string::npos) continue;
    const std::string Key = UpperCase(TrimBlanks(Text.substr(0, Eq)));
    if (Key.empty() || Key[0] == '*' || Set.Has(Key)) continue;
    Set.Values[Key] = Unquoted(TrimBlanks(Text.substr(Eq + 1)));
    Set.LineOf[Key] = L.No;
  }
  return Set;
}

TValueSet ReadDataFile(const std::string& FileName, const std::string& NamedBy) {
  TValueSet Set;
  Set.FileName = FileName;
  std::string Key, Value;
  int KeyLine = 0;
  bool Continued = false;
  auto Store = [&] {
    if (!Key.empty() && !Set.Has(Key)) {
      Set.Values[Key] = Value;
      Set.LineOf[Key] = KeyLine;
    }
    Key.clear();
    Value.clear();
  };
  for (const TInputLine& L : ReadInputLines(FileName, NamedBy)) {
    const std::string Text = TrimBlanks(L.Text.substr(0, L.Text.find('!')));
    if (!Text.empty() && Text[0] == '*') continue;
    if (Continued) {
      // A table goes on: the whole line is values.
      Value += Text;
      Continued = !Text.empty() && Text.back() == ',';
      if (!Continued) Store();
      continue;
    }
    const size_t Eq = Text.find('=');
    if (Eq == std::string::npos) continue;
    Key = UpperCase(TrimBlanks(Text.substr(0, Eq)));
    KeyLine = L.No;
    Value = TrimBlanks(Text.substr(Eq + 1));
    Continued = !Value.empty() && Value.back() == ',';
    if (!Continued) {
      Value = Unquoted(Value);
      Store();
    }
  }
  if (Continued) {
    // A table whose last line still ended in a comma.
    Store();
  }
  return Set;
}

namespace {

// Splits a logical rerun line into its assignments; blanks separate them
// except inside quotes.
std::vector<std::string> SplitAssignments(const std::string& S) {
  std::vector<std::string> Out;
  std::string Cur;
  char Quote = 0;
  for (char C : S) {
    if (Quote) {
      Cur += C;
      if (C == Quote) Quote = 0;
    } else if (C == '\'' || C == '"') {
      Quote = C;
      Cur += C;
    } else if (static_cast<unsigned char>(C) <= ' ') {
      if (!Cur.empty()) Out.push_back(Cur);
      Cur.clear();
    } else {
      Cur += C;
    }
  }
  if (!Cur.empty()) Out.push_back(Cur);
  return Out;
}

}  // namespace

std::vector<TRerun> ReadRerunFile(const std::string& FileName, const std::string& NamedBy) {
  const std::vector<TInputLine> Lines = ReadInputLines(FileName, NamedBy);
  std::vector<TRerun> Runs;
  bool Open = false;  // the last rerun is still taking variables
  std::string Logical;
  int LogicalLine = 0;  // where the logical line starts
  auto Handle = [&](const std::string& Line, int LineNo) {
    const std::vector<std::string> Parts = SplitAssignments(Line);
    if (Parts.empty()) return;
    bool LastHadSemicolon = false;
    bool OnlyDescriptions = true;
    for (std::string A : Parts) {
      const bool Semicolon = !A.empty() && A.back() == ';';
      if (Semicolon) A.pop_back();
      const size_t Eq = A.find('=');
      if (Eq == std::string::npos || Eq == 0)
        throw EModelError(
            FileName, A,
            {"ERROR in file " + AtLine(FileName, LineNo) + ": '" + A + "' is not of the form NAME=value"});
      const std::string Name = UpperCase(A.substr(0, Eq));
      // A data file's description stands before the file's name and carries
      // the separator of the name's line: it neither goes on with the rerun
      // nor ends it.
      if (Name != "CRPNAM" && Name != "SOLNAM" && Name != "CLMNAM" && Name != "RAINAM") {
        LastHadSemicolon = Semicolon;
        OnlyDescriptions = false;
      }
      const std::string Value = Unquoted(A.substr(Eq + 1));
      if (!Open) {
        Runs.emplace_back();
        Open = true;
      }
      TRerun& R = Runs.back();
      if (R.Values.count(Name))
        throw EModelError(FileName, Name,
                          {"ERROR in file " + AtLine(FileName, LineNo) + ", key " + Name +
                               Format(": rerun %d", static_cast<int>(Runs.size())) +
                               (R.Name.empty() ? std::string() : " (" + R.Name + ")") + " sets " + Name +
                               Format(" a second time; the first is in line %d", R.LineOf[Name]),
                           "  Each rerun sets a variable once. A rerun ends with a value followed by a blank",
                           "  instead of ';'; a ';' in its place joins two reruns into one."});
      if (Name == "RUNNAM") R.Name = Value;
      R.Values[Name] = Value;
      R.LineOf[Name] = LineNo;
    }
    if (!LastHadSemicolon && !OnlyDescriptions) Open = false;
  };
  for (const TInputLine& L : Lines) {
    const std::string Text = TrimBlanks(L.Text);
    if (Logical.empty() && (Text.empty() || Text[0] == '*')) continue;
    if (Logical.empty()) LogicalLine = L.No;
    Logical += Text;
    if (!Logical.empty() && Logical.back() == ',') continue;  // a wrapped table goes on
    Handle(Logical, LogicalLine);
    Logical.clear();
  }
  if (!Logical.empty()) Handle(Logical, LogicalLine);
  for (size_t i = 0; i < Runs.size(); ++i)
    if (Runs[i].Name.empty()) {
      const int First =
          Runs[i].LineOf.empty()
              ? 0
              : std::min_element(Runs[i].LineOf.begin(), Runs[i].LineOf.end(),
                                 [](const auto& A, const auto& B) { return A.second < B.second; })
                    ->second;
      throw EModelError(FileName, "RUNNAM",
                        {"ERROR in file " + AtLine(FileName, First) + ", key RUNNAM: rerun " +
                         std::to_string(i + 1) + " has no run name"});
    }
  return Runs;
}

double TTable::operator()(double X) const {
  if (FX.empty()) return 0.0;
  if (X <= FX.front()) return FY.front();
  if (X >= FX.back()) return FY.back();
  const size_t i = std::upper_bound(FX.begin(), FX.end(), X) - FX.begin();
  const double X0 = FX[i - 1], X1 = FX[i];
  if (X1 <= X0) return FY[i];
  return FY[i - 1] + (FY[i] - FY[i - 1]) * (X - X0) / (X1 - X0);
}

void CheckRange(const TParDef& Def, double V, const std::string& File, const std::string& Text) {
  if (!(V >= Def.Min - 1e-9 && V <= Def.Max + 1e-9))
    throw EModelError(File, Def.Name,
                      {"ERROR in file " + File + ", key " + Def.Name + ": value " + Text + " out of range",
                       Format("  Allowed range: %g - %g (%s)", Def.Min, Def.Max, Def.Meaning)});
}

TParams::TParams(const TValueSet& Base, const TRerun* Rerun, const std::string& RerunFile)
    : FBase(Base), FRerun(Rerun), FRerunFile(RerunFile) {}

bool TParams::Has(const std::string& Name) const {
  const std::string K = UpperCase(Name);
  return (FRerun && FRerun->Values.count(K)) || FBase.Has(K);
}

std::string TParams::Source(const std::string& Name) const {
  const std::string K = UpperCase(Name);
  if (FRerun && FRerun->Values.count(K)) {
    auto It = FRerun->LineOf.find(K);
    const std::string File = It == FRerun->LineOf.end() ? FRerunFile : AtLine(FRerunFile, It->second);
    return File + " (rerun " + FRerun->Name + ")";
  }
  return FBase.Where(K);
}

bool TParams::FromRerun(const std::string& Name) const {
  return FRerun && FRerun->Values.count(UpperCase(Name)) != 0;
}

void TParams::Contradiction(const std::vector<std::string>& Keys, const std::string& Why,
                            const std::vector<std::string>& More) const {
  std::string Key = Keys.front();
  for (const std::string& K : Keys)
    if (FromRerun(K)) {
      Key = K;
      break;
    }
  std::vector<std::string> Lines = {"ERROR in file " + Source(Key) + ", key " + Key + ": " + Why};
  Lines.insert(Lines.end(), More.begin(), More.end());
  for (const std::string& K : Keys) {
    // A table read over several lines is shown as one list, x1, y1, x2, ...
    std::string Value;
    if (Has(K))
      for (const char C : Raw(K))
        if (C != ' ' && C != '\t') Value += C == ',' ? std::string(", ") : std::string(1, C);
    Lines.push_back("  " + K + (Has(K) ? " = " + TrimBlanks(Value) : std::string()) + " from " + Source(K));
  }
  throw EModelError(Source(Key), Key, Lines);
}

const std::string& TParams::Raw(const std::string& Name) const {
  const std::string K = UpperCase(Name);
  if (FRerun) {
    auto It = FRerun->Values.find(K);
    if (It != FRerun->Values.end()) return It->second;
  }
  auto It = FBase.Values.find(K);
  if (It == FBase.Values.end())
    throw EModelError(FBase.FileName, K,
                      {"ERROR in file " + FBase.FileName + ", key " + K + ": key not found",
                       "  The model needs this value and the file does not hold it."});
  return It->second;
}

const TParDef& TParams::Def(const std::string& Name) const {
  const TParDef* D = FindParDef(Name);
  if (!D) throw std::logic_error("unknown parameter " + Name);
  return *D;
}

std::string TParams::Text(const std::string& Name) const { return Raw(Name); }

int TParams::Int(const std::string& Name) const {
  const std::string& S = Raw(Name);
  const TParDef& D = Def(Name);
  int V = 0;
  if (!TryStrToInt(S, V))
    throw EModelError(
        Source(Name), D.Name,
        {"ERROR in file " + Source(Name) + ", key " + D.Name + ": '" + S + "' is not a whole number"});
  CheckRange(D, V, Source(Name), S);
  return V;
}

double TParams::Real(const std::string& Name) const {
  const std::string& S = Raw(Name);
  const TParDef& D = Def(Name);
  long double V = 0;
  if (!TryStrToFloat(S, V) || !std::isfinite(static_cast<double>(V)))
    throw EModelError(
        Source(Name), D.Name,
        {"ERROR in file " + Source(Name) + ", key " + D.Name + ": '" + S + "' is not a number"});
  CheckRange(D, static_cast<double>(V), Source(Name), S);
  return static_cast<double>(V);
}

TTable TParams::Table(const std::string& Name) const {
  const std::string& S = Raw(Name);
  const TParDef& D = Def(Name);
  const std::string Src = Source(Name);
  auto Fail = [&](const std::string& Why) -> EModelError {
    return EModelError(Src, D.Name,
                       {"ERROR in file " + Src + ", key " + D.Name + ": " + Why,
                        "  A table is written as x1, y1, x2, y2, ... with x increasing."});
  };
  std::vector<double> Nums;
  size_t Pos = 0;
  while (Pos <= S.size()) {
    size_t Comma = S.find(',', Pos);
    if (Comma == std::string::npos) Comma = S.size();
    const std::string Piece = TrimBlanks(S.substr(Pos, Comma - Pos));
    if (!Piece.empty()) {
      long double V;
      if (!TryStrToFloat(Piece, V)) throw Fail("'" + Piece + "' is not a number");
      Nums.push_back(static_cast<double>(V));
    }
    Pos = Comma + 1;
  }
  if (Nums.size() < 2 || Nums.size() % 2 != 0) throw Fail("the table needs pairs of numbers");
  std::vector<double> X, Y;
  for (size_t i = 0; i < Nums.size(); i += 2) {
    const double x = Nums[i], y = Nums[i + 1];
    if (x < D.XMin() - 1e-6 || x > D.XMax() + 1e-6)
      throw Fail(Format("x value %g outside %g - %g", x, D.XMin(), D.XMax()));
    if (y < D.Min - 1e-6 || y > D.Max + 1e-6)
      throw Fail(Format("y value %g outside %g - %g", y, D.Min, D.Max));
    if (!X.empty() && x <= X.back()) throw Fail("x values do not increase");
    X.push_back(x);
    Y.push_back(y);
  }
  return TTable(std::move(X), std::move(Y));
}

TDirectories ReadDirectories() {
  const std::string Ini = "DIRECT.INI";
  const std::string Sec = "Directory settings for KORVAL";
  // A directory is a path ending in a separator, of printable characters:
  // anything else (a value "nan", control characters, binary bytes) would
  // put the files somewhere nobody looks for them.
  const auto Dir = [&](const char* Key, const char* Default) {
    const std::string V = ReadIniString(Ini, Sec, Key, Default);
    const bool Printable = std::none_of(V.begin(), V.end(), [](char C) {
      const unsigned char U = static_cast<unsigned char>(C);
      return U < 0x20 || U == 0x7f;
    });
    if (!Printable || V.empty() || (V.back() != '\\' && V.back() != '/'))
      throw EModelError(
          Ini, Key,
          {"ERROR in file " + Ini + ", key " + Key + ": '" + (Printable ? V : std::string("?")) +
           "' is no directory: a directory ends with a backslash and holds no control characters"});
    return V;
  };
  TDirectories D;
  D.Out = Dir("OUTDIR", "..\\output\\");
  D.Crop = Dir("CRPDIR", "..\\cropd\\");
  D.Weather = Dir("WTRDIR", "..\\meteo\\merawe\\");
  D.Climate = Dir("CLMDIR", "..\\meteo\\climd\\");
  D.Soil = Dir("SOLDIR", "..\\soild\\");
  D.Runio = Dir("RUNDIR", "..\\runio\\");
  return D;
}
