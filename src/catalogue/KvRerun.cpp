// The rerun variable catalogue and the rules of one rerun variable.
#include "catalogue/KvRerun.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "foundations/DxLine.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"

TRerunVarList VarCatalogue;

// ---------------------------------------------------------------- TRerunVar

namespace {

char TypeChar(const std::string& VarType, size_t Pos) { return Pos < VarType.size() ? VarType[Pos] : '\0'; }

// A number against the variable's bounds, inclusive and without tolerance.
// The bounds are 64-bit numbers; the value is taken to the same precision, so
// that a bound written as 0.1 admits the value 0.1.
bool WithinBounds(long double Value, double Min, double Max) {
  const double V = static_cast<double>(Value);
  return Min <= V && V <= Max;
}

}  // namespace

bool TRerunVar::Valid() const {
  if (IsEmpty()) return false;
  switch (TypeChar(FVarType, 0)) {
    case 'C': return FValue.size() <= (SameText(FDescription, "RUNNAM") ? 6u : 12u);
    case 'I': {
      int V;
      return TryStrToInt(FValue, V) && WithinBounds(V, FMin, FMax);
    }
    case 'R': {
      long double V;
      return TryStrToFloat(FValue, V) && WithinBounds(V, FMin, FMax);
    }
    case 'S': return ValidSet();
    default: return true;
  }
}

bool TRerunVar::ValidSet() const {
  long double XMin = 0, XMax = 0;
  switch (TypeChar(FVarType, 1)) {
    case 'D': XMax = 3; break;
    case 'P': XMax = 4.2L; break;
    case 'T':
      XMin = -10;
      XMax = 50;
      break;
    default: break;
  }
  TDxLine Line;
  Line.SetWordSep(",");
  Line.SetStr(FValue);
  const int Pairs = Line.NoOfWords() / 2;
  for (int i = 1; i <= Pairs; ++i) {
    const long double X = FloatOrZero(Line.GetWord(2 * i - 1));
    const long double Y = FloatOrZero(Line.GetWord(2 * i));
    if (CompareFloat(X, XMin) < 0 || CompareFloat(X, XMax) > 0) return false;
    if (CompareFloat(Y, FMin) < 0 || CompareFloat(Y, FMax) > 0) return false;
  }
  return true;
}

void TRerunVar::FormatValue() {
  switch (TypeChar(FVarType, 0)) {
    case 'I': FValue = Format("%d", StrToInt(FValue)); break;
    case 'R': {
      int V;
      if (TryStrToInt(FValue, V)) FValue = Format("%.1f", static_cast<double>(V));
      break;
    }
    default: break;
  }
}

std::string TRerunVar::GetFormatValue() const {
  switch (TypeChar(FVarType, 0)) {
    case 'C': return "'" + FValue + "'";
    case 'I':
    case 'R': return FValue;
    default: return std::string();
  }
}

std::unique_ptr<TRerunVar> TRerunVar::GetCopy() const { return std::make_unique<TRerunVar>(*this); }

// ---------------------------------------------------------------- the catalogue

std::vector<std::string> SplitCsvLine(const std::string& Line) {
  std::vector<std::string> Fields;
  if (Line.empty()) return Fields;
  size_t Start = 0;
  for (;;) {
    const size_t Comma = Line.find(',', Start);
    if (Comma == std::string::npos) {
      // One trailing empty field (the line ends in a comma) is dropped.
      if (Start < Line.size()) Fields.push_back(Line.substr(Start));
      break;
    }
    Fields.push_back(Line.substr(Start, Comma - Start));
    Start = Comma + 1;
  }
  return Fields;
}

namespace {

void AppendUtf8(std::string& Out, unsigned long Code) {
  if (Code < 0x80) {
    Out += static_cast<char>(Code);
  } else if (Code < 0x800) {
    Out += static_cast<char>(0xC0 | (Code >> 6));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else if (Code < 0x10000) {
    Out += static_cast<char>(0xE0 | (Code >> 12));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (Code >> 18));
    Out += static_cast<char>(0x80 | ((Code >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (Code & 0x3F));
  }
}

// UTF-16 text after its byte-order mark, as the program's 8-bit text (UTF-8
// bytes). A lone surrogate becomes U+FFFD; an odd last byte is dropped.
std::string DecodeUtf16(const std::string& Bytes, size_t From, bool BigEndian) {
  std::string Out;
  Out.reserve(Bytes.size() / 2);
  auto Unit = [&](size_t i) -> unsigned long {
    const unsigned char A = static_cast<unsigned char>(Bytes[i]);
    const unsigned char B = static_cast<unsigned char>(Bytes[i + 1]);
    return BigEndian ? (A << 8 | B) : (B << 8 | A);
  };
  for (size_t i = From; i + 1 < Bytes.size(); i += 2) {
    unsigned long U = Unit(i);
    if (U >= 0xD800 && U < 0xDC00 && i + 3 < Bytes.size()) {
      const unsigned long L = Unit(i + 2);
      if (L >= 0xDC00 && L < 0xE000) {
        AppendUtf8(Out, 0x10000 + ((U - 0xD800) << 10) + (L - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (U >= 0xD800 && U < 0xE000) U = 0xFFFD;
    AppendUtf8(Out, U);
  }
  return Out;
}

// The whole file as 8-bit text: a byte-order mark selects UTF-8 or UTF-16,
// otherwise the bytes stand as they are.
std::string ReadCatalogueText(const std::string& FileName) {
  if (!FileExists(FileName)) throw EInOutError(ENOENT, FileName);
  std::ifstream In(MapFileName(FileName), std::ios::binary);
  if (!In) throw EInOutError(errno ? errno : EIO, FileName);
  std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  if (In.bad()) throw EInOutError(EIO, FileName);
  if (Bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Bytes.substr(3);
  if (Bytes.compare(0, 2, "\xFF\xFE") == 0) return DecodeUtf16(Bytes, 2, false);
  if (Bytes.compare(0, 2, "\xFE\xFF") == 0) return DecodeUtf16(Bytes, 2, true);
  return Bytes;
}

// Lines as a list of strings cuts them: CR LF, LF and CR each end a line; a
// break at the very end makes no further line.
std::vector<std::string> SplitLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Start = 0;
  const size_t N = Text.size();
  while (Start < N) {
    size_t End = Start;
    while (End < N && Text[End] != '\r' && Text[End] != '\n') ++End;
    Lines.push_back(Text.substr(Start, End - Start));
    if (End < N && Text[End] == '\r' && End + 1 < N && Text[End + 1] == '\n') ++End;
    Start = End + 1;
  }
  return Lines;
}

}  // namespace

bool LoadVarCatalogue() { return LoadVarCatalogue(VarCatalogueFileName); }

bool LoadVarCatalogue(const std::string& FileName) {
  struct TNormalCursorAtEnd {
    ~TNormalCursorAtEnd() { SetNormalCursor(); }
  } NormalCursorAtEnd;
  VarCatalogue.Clear();
  const std::vector<std::string> Lines = SplitLines(ReadCatalogueText(FileName));
  for (size_t i = 1; i < Lines.size(); ++i) {
    try {
      const std::vector<std::string> Fields = SplitCsvLine(Lines[i]);
      if (Fields.empty()) continue;
      if (Fields.size() < 6) throw ERangeError();
      auto Var = std::make_unique<TRerunVar>();
      Var->SetDescription(Fields[0]);
      Var->SetVarType(Fields[3]);
      Var->SetFileType(Fields[4]);
      Var->SetMeaning(Fields[5]);
      Var->SetMin(static_cast<double>(FloatOrZero(Fields[1])));
      Var->SetMax(static_cast<double>(FloatOrZero(Fields[2])));
      const std::string Name = Var->Description();
      VarCatalogue.Add(Name, std::move(Var));
    } catch (const std::exception& E) {
      throw EPlainError(Format("error in csv-file line %d: %s ", static_cast<int>(i + 1), E.what()));
    }
  }
  return true;
}

void FreeVarCatalogue() { VarCatalogue.Clear(); }

int IndexOfVar(const TRerunVarList& List, const std::string& Name) {
  for (int i = 0; i < List.Count(); ++i)
    if (SameText(List.Strings(i), Name)) return i;
  return -1;
}

TRerunVar* FindCatalogueVar(const std::string& Name) {
  const int i = IndexOfVar(VarCatalogue, Name);
  return i < 0 ? nullptr : VarCatalogue.Objects(i);
}

long double GetVarMin(const std::string& Name) {
  const TRerunVar* Var = FindCatalogueVar(Name);
  if (!Var) {
    ShowPlainBox("not found: " + Name);
    return 0;
  }
  return Var->Min();
}

long double GetVarMax(const std::string& Name) {
  const TRerunVar* Var = FindCatalogueVar(Name);
  return Var ? Var->Max() : 0;
}
