#pragma once
// Reading what the crop model is given: the directory settings, the run
// options, the timer, site and rerun files, and the crop and soil data files.
//
// Every value is kept as the text the file holds and converted only when the
// model asks for it, against the model's own table of parameters (name, file,
// kind, limits). A rerun value replaces the value of the same name, whatever
// file that name lives in. A missing file, a missing key or a value outside
// its limits raises EModelError, naming the file and the key.

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// An input error: the file and key that caused it and explanation lines.
class EModelError : public std::runtime_error {
 public:
  EModelError(const std::string& File, const std::string& Key, const std::vector<std::string>& Lines);
  const std::string& File() const { return FFile; }
  const std::string& Key() const { return FKey; }
  const std::vector<std::string>& Lines() const { return FLines; }

 private:
  std::string FFile, FKey;
  std::vector<std::string> FLines;
};

enum class TParKind { Text, Int, Real, Table };

// One parameter the model knows. File is the file code: "TD" timer, "SD"
// site, "CF" crop, "SF" soil. Type is "C" text, "I" whole number, "R"
// decimal number, or a table of x, y pairs whose x values lie within 0 to 3
// ("SD", development stage), 0 to 4.2 ("SP", pF) or -10 to 50 ("ST",
// temperature); Min..Max bound numbers and the y values of tables.
struct TParDef {
  const char* Name;
  const char* File;
  const char* Type;
  double Min, Max;
  bool Rerunnable;
  const char* Meaning;
  TParKind Kind() const;
  double XMin() const;
  double XMax() const;
};

// The model's parameter table, and a look-up by name (letter case ignored).
const std::vector<TParDef>& ModelParameters();
const TParDef* FindParDef(const std::string& Name);

// Named values of one file, as text; keys upper case. LineOf holds the line
// each value starts in.
struct TValueSet {
  std::string FileName;
  std::map<std::string, std::string> Values;
  std::map<std::string, int> LineOf;
  bool Has(const std::string& Key) const { return Values.count(Key) != 0; }
  // "FILE, line N" for a value of the file, the file name alone for a key it lacks.
  std::string Where(const std::string& Key) const;
};

// NamedBy is the key that names the file; a missing file is reported with it.
// A file of "KEY = value" lines (timer, site, run options). Lines starting
// with '*' are comments; with CutComments a '!' ends the line's content.
TValueSet ReadKeyFile(const std::string& FileName, bool CutComments, const std::string& NamedBy);

// A crop or soil data file: "NAME = value" entries, a table going on over the
// following lines while a line ends in a comma; '*' starts a comment line and
// '!' a comment. The first entry of a name counts.
TValueSet ReadDataFile(const std::string& FileName, const std::string& NamedBy);

// One rerun: its name and the values it sets (keys upper case), with the
// line each value stands in.
struct TRerun {
  std::string Name;
  std::map<std::string, std::string> Values;
  std::map<std::string, int> LineOf;
};

// The reruns of a rerun file, in file order. A rerun that sets a variable
// twice (two reruns joined by a missing end, or a plain double) is an error
// naming the line and the variable.
std::vector<TRerun> ReadRerunFile(const std::string& FileName, const std::string& NamedBy);

// A table of x, y pairs with linear interpolation, constant beyond its ends.
class TTable {
 public:
  TTable() = default;
  TTable(std::vector<double> X, std::vector<double> Y) : FX(std::move(X)), FY(std::move(Y)) {}
  double operator()(double X) const;
  const std::vector<double>& Xs() const { return FX; }
  const std::vector<double>& Ys() const { return FY; }
  bool Empty() const { return FX.empty(); }

 private:
  std::vector<double> FX, FY;
};

// The values of one file with a rerun's values laid over them; every getter
// checks the value against the parameter table.
class TParams {
 public:
  TParams(const TValueSet& Base, const TRerun* Rerun, const std::string& RerunFile);
  bool Has(const std::string& Name) const;
  std::string Text(const std::string& Name) const;
  int Int(const std::string& Name) const;
  double Real(const std::string& Name) const;
  TTable Table(const std::string& Name) const;
  // Where a value comes from: file and line (the rerun file and the rerun's
  // name for rerun values).
  std::string Source(const std::string& Name) const;
  bool FromRerun(const std::string& Name) const;
  // Values that contradict each other: an EModelError on the first of Keys
  // that a rerun sets (the first of Keys when none does), its first line
  // "ERROR in file <where>, key <key>: <Why>", then More, then each of Keys
  // with its value and where it comes from.
  [[noreturn]] void Contradiction(const std::vector<std::string>& Keys, const std::string& Why,
                                  const std::vector<std::string>& More = {}) const;

 private:
  const std::string& Raw(const std::string& Name) const;
  const TParDef& Def(const std::string& Name) const;
  const TValueSet& FBase;
  const TRerun* FRerun;
  std::string FRerunFile;
};

// Throws EModelError when V lies outside Def's limits.
void CheckRange(const TParDef& Def, double V, const std::string& File, const std::string& Text);

// Directories from DIRECT.INI in the current directory, with the defaults of
// the control centre.
struct TDirectories {
  std::string Out, Crop, Weather, Climate, Soil, Runio;
};
TDirectories ReadDirectories();
