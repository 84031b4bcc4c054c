#pragma once
// The rerun table: one row per rerun, one column per variable, the same
// variables in every rerun, the first always the run name RUNNAM. Each rerun
// has its own TRerunVar objects, so values differ per rerun. A variable
// added to the table starts from the value the session would use anyway,
// read from the data or input file its file code names.

#include <memory>
#include <string>

#include "catalogue/KvRerun.h"
#include "foundations/StrList.h"

class TDxTextFile;
class TKvSession;

class TKvRerun {
 public:
  // The empty table; the owning session resets it. Owner gives the session
  // name and the files of the file codes; without one, TheSession does.
  explicit TKvRerun(const TKvSession* Owner = nullptr);
  TKvRerun(const TKvRerun&) = delete;
  TKvRerun& operator=(const TKvRerun&) = delete;

  // 2 when reruns are not used, 4 when they are (the model's start/stop option).
  int StartStopOptions() const { return FStartStopOptions; }
  void SetStartStopOptions(int Value) { FStartStopOptions = Value; }
  bool UseReRuns() const { return FUseReRuns; }
  void SetUseReRuns(bool Use);
  // Type code of the grid column the user selected last; at most 2 characters.
  const std::string& SelectedType() const { return FSelectedType; }
  void SetSelectedType(const std::string& Value) { FSelectedType = Value.substr(0, 2); }

  // The table, one entry per rerun in rerun order; the entry texts carry no
  // information. Each entry's list holds the variables under their names.
  TObjList<TRerunVarList> RerunList;

  // One rerun holding RUNNAM = first five characters of the session name + "1".
  void Reset();
  // Appends a copy of the last rerun, named after its new position.
  void AddRerun();
  // Removes rerun ARerun (0-based) after confirmation; the last one is refused.
  void RemoveRerun(int ARerun);
  // Appends the catalogue variables of VarList to every rerun with their
  // starting values. When a starting value cannot be read nothing changes.
  void AddRerunVarList(const TRerunVarList& VarList);
  // Removes variable AVar (0-based) from every rerun after confirmation;
  // RUNNAM is refused.
  void RemoveRerunVar(int AVar);
  // Appends "name=value" to rerun RunNo; false when there is no "=" or no
  // such rerun.
  bool AddRerunVar(int RunNo, const std::string& VarString);
  // Gives aVar the name VDesc and the catalogue's meaning, type, file code
  // and range for it (type "C", nothing else, for a name the catalogue lacks).
  void GetVarInfo(const std::string& VDesc, TRerunVar& aVar) const;
  // New variables for the catalogue entries of VarStrings, each with its
  // starting value, appended to VarStringlist.
  void StringToStringList(const TRerunVarList& VarStrings, TRerunVarList& VarStringlist) const;
  // slDest becomes a list of new copies of slSrc's variables.
  static void CopyStringList(const TRerunVarList& slSrc, TRerunVarList& slDest);
  // The full name of the file a file code ("TD", "SD", "CF", "SF") stands
  // for; empty for any other code.
  std::string GetFileNameType(const std::string& FileType) const;

  // Reads on until a line holding the word VarName (exact case) before any
  // word starting with "*"; No is its word number and that line current.
  static bool FindVar(TDxTextFile& aFile, const std::string& VarName, int& No);
  // The value of a single variable in the rest of aFile; empty when absent.
  static std::string ReadVarValue(TDxTextFile& aFile, const std::string& VarType, const std::string& VarName);
  // The value of a table variable whose line is current (VarName is word
  // Start): its numbers joined by commas, continuation lines included.
  static std::string ReadSetVarValue(TDxTextFile& aFile, const std::string& VarName, int Start);
  // The value of VarName in the file of FileType; EKvError
  // "'<file>' not found!" when that file does not exist.
  std::string GetDefaultVarValue(const std::string& VarName, const std::string& VarType,
                                 const std::string& FileType) const;

  // Type code of variable aVar of the first rerun; " " when there is none.
  std::string GetVarType(int aVar) const;
  // Variable aVar (0-based) of rerun aRun (1-based); null when out of range.
  TRerunVar* GetSelectedVar(int aRun, int aVar) const;
  // The number of years the reruns ask for (INYEAR, INYRG), at least 1.
  int GetNrOfSimulationYears() const;

 private:
  const TKvSession* Session() const;
  // The first five characters of the session name, "KRL" without a session.
  std::string RunNameBase() const;
  std::unique_ptr<TRerunVarList> NewFirstRerun() const;

  const TKvSession* FOwner;
  int FStartStopOptions = 2;
  bool FUseReRuns = false;
  std::string FSelectedType;
};
