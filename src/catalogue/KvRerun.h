#pragma once
// The rerun variable catalogue: which model variables may change from run to
// run, the file each belongs to, its type and its allowed range, read once at
// start-up from "KRL_VAR.csv". TRerunVar is one variable, either a catalogue
// entry or a variable of a rerun, with its validation and formatting rules.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundations/StrList.h"

class TRerunVar {
 public:
  static constexpr size_t DescriptionLength = 6;
  static constexpr size_t TypeLength = 2;

  TRerunVar() = default;

  // The variable's name as the model knows it; cut to 6 characters.
  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& Value) { FDescription = Value.substr(0, DescriptionLength); }
  const std::string& Meaning() const { return FMeaning; }
  void SetMeaning(const std::string& Value) { FMeaning = Value; }
  // Type code (C, I, R, SD, SP, ST, ...); cut to 2 characters.
  const std::string& VarType() const { return FVarType; }
  void SetVarType(const std::string& Value) { FVarType = Value.substr(0, TypeLength); }
  // File code ("CF", "SF", "TD", "SD"); cut to 2 characters.
  const std::string& FileType() const { return FFileType; }
  void SetFileType(const std::string& Value) { FFileType = Value.substr(0, TypeLength); }
  // The value as text; empty in catalogue entries.
  const std::string& Value() const { return FValue; }
  void SetValue(const std::string& Value) { FValue = Value; }
  double Max() const { return FMax; }
  void SetMax(double Value) { FMax = Value; }
  double Min() const { return FMin; }
  void SetMin(double Value) { FMin = Value; }

  bool IsEmpty() const { return FValue.empty(); }
  // False when empty; else the rule of the type code (tables by ValidSet).
  bool Valid() const;
  // Table rule: every pair x,y with x in the range of the type's second
  // character and y within Min to Max (tolerance 0.000001).
  bool ValidSet() const;
  // Normalises the value before it goes to the model: type I to the decimal
  // form of its integer (EConvertError when it is not one), type R integer
  // texts to one decimal ("5" -> "5.0").
  void FormatValue();
  // The value as the model's input file needs it: C quoted, I and R
  // unchanged, every other type empty.
  std::string GetFormatValue() const;
  // A new object with all seven fields copied; the caller owns it.
  std::unique_ptr<TRerunVar> GetCopy() const;

 private:
  std::string FDescription;
  std::string FMeaning;
  std::string FVarType;
  std::string FFileType;
  std::string FValue;
  double FMax = 0;
  double FMin = 0;
};

using TRerunVarList = TObjList<TRerunVar>;

// The process-wide catalogue, in file order, not sorted; each entry's text is
// the variable's stored name. Empty until LoadVarCatalogue.
extern TRerunVarList VarCatalogue;

// The name of the catalogue file, read from the current directory.
constexpr const char* VarCatalogueFileName = "KRL_VAR.csv";

// Reads "KRL_VAR.csv" from the current directory into a fresh VarCatalogue;
// the normal cursor is set afterwards, also on failure. True when read; a
// missing or unreadable file raises EInOutError, a faulty line EPlainError
// "error in csv-file line %d: %s " (entries before that line stay).
bool LoadVarCatalogue();
// The same from a named file.
bool LoadVarCatalogue(const std::string& FileName);
void FreeVarCatalogue();

// Position of the first entry named Name without regard to letter case, -1
// when none. The search of the catalogue and of every rerun's variable list.
int IndexOfVar(const TRerunVarList& List, const std::string& Name);
// The first catalogue entry named Name (any letter case), null when none.
TRerunVar* FindCatalogueVar(const std::string& Name);

// Minimum of the first catalogue entry named Name; when there is none, shows
// "not found: " + Name in a plain box and answers 0.
long double GetVarMin(const std::string& Name);
// Maximum of the first entry named Name; 0 without a message when none.
long double GetVarMax(const std::string& Name);

// The fields of a comma-separated line: the text cut at every comma, one
// trailing empty field dropped; the empty line gives no field.
std::vector<std::string> SplitCsvLine(const std::string& Line);
