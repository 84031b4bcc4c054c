#include "catalogue/KvRerunTable.h"

#include <algorithm>

#include "foundations/DxLine.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
const char* const RunNamName = "RUNNAM";

bool IsNumber(const std::string& S) { return IsFloat(S) || IsInteger(S); }

// Appends ",<piece>" for each piece of Line from word First on, up to the
// first piece that is not a number.
void AppendNumbers(const TDxLine& Line, int First, std::string& Result) {
  for (int i = First; i <= Line.NoOfWords(); ++i) {
    const std::string W = Line.GetWord(i);
    if (!IsNumber(W)) break;
    Result += ',';
    Result += TrimBlanks(W);
  }
}
}  // namespace

TKvRerun::TKvRerun(const TKvSession* Owner) : FOwner(Owner) {}

const TKvSession* TKvRerun::Session() const { return FOwner ? FOwner : TheSession; }

std::string TKvRerun::RunNameBase() const {
  const TKvSession* S = Session();
  if (!S) return "KRL";
  return S->FileManager().KRLName().substr(0, 5);
}

std::unique_ptr<TRerunVarList> TKvRerun::NewFirstRerun() const {
  auto Var = std::make_unique<TRerunVar>();
  Var->SetDescription(RunNamName);
  Var->SetVarType("C");
  Var->SetFileType("");
  Var->SetMin(0);
  Var->SetMax(0);
  Var->SetMeaning("");
  Var->SetValue(RunNameBase() + "1");
  auto List = std::make_unique<TRerunVarList>();
  List->Add(RunNamName, std::move(Var));
  return List;
}

void TKvRerun::SetUseReRuns(bool Use) {
  FUseReRuns = Use;
  FStartStopOptions = Use ? 4 : 2;
}

void TKvRerun::Reset() {
  FStartStopOptions = 2;
  FUseReRuns = false;
  RerunList.Clear();
  RerunList.Add("", NewFirstRerun());
}

void TKvRerun::AddRerun() {
  if (RerunList.Empty()) {
    RerunList.Add("", NewFirstRerun());
    return;
  }
  auto Copy = std::make_unique<TRerunVarList>();
  CopyStringList(*RerunList.Objects(RerunList.Count() - 1), *Copy);
  if (Copy->Count() > 0) Copy->Objects(0)->SetValue(RunNameBase() + std::to_string(RerunList.Count() + 1));
  RerunList.Add("", std::move(Copy));
}

void TKvRerun::RemoveRerun(int ARerun) {
  if (ARerun < 0) return;
  if (RerunList.Count() == 1) {
    ShowInfoBox("It is not allowed to remove the last rerun.");
    return;
  }
  if (ARerun >= RerunList.Count()) return;
  const TRerunVarList& Run = *RerunList.Objects(ARerun);
  const std::string Name = Run.Count() > 0 ? Run.Objects(0)->Value() : std::string();
  if (ConfirmOkCancel("Are you sure you want to delete rerun: " + Name)) RerunList.Delete(ARerun);
}

void TKvRerun::RemoveRerunVar(int AVar) {
  if (AVar == 0) {
    ShowInfoBox("It is not allowed to remove the variable RUNNAM.");
    return;
  }
  if (AVar < 0 || RerunList.Empty() || AVar >= RerunList.Objects(0)->Count()) return;
  if (!ConfirmOkCancel("Are you sure you want to delete variable: " + RerunList.Objects(0)->Strings(AVar)))
    return;
  for (const auto& Run : RerunList)
    if (AVar < Run.Obj->Count()) Run.Obj->Delete(AVar);
}

void TKvRerun::AddRerunVarList(const TRerunVarList& VarList) {
  TRerunVarList NewVars;
  StringToStringList(VarList, NewVars);  // may fail: nothing has changed yet
  for (const auto& Run : RerunList) {
    TRerunVarList Copy;
    CopyStringList(NewVars, Copy);
    for (const auto& Entry : Copy) Run.Obj->Add(Entry.Str, Entry.Obj->GetCopy());
  }
}

bool TKvRerun::AddRerunVar(int RunNo, const std::string& VarString) {
  const size_t Eq = VarString.find('=');
  if (Eq == std::string::npos) return false;
  if (RunNo < 0 || RunNo >= RerunList.Count()) return false;
  auto Var = std::make_unique<TRerunVar>();
  GetVarInfo(VarString.substr(0, Eq), *Var);
  Var->SetValue(Unquoted(VarString.substr(Eq + 1)));
  const std::string Name = Var->Description();
  RerunList.Objects(RunNo)->Add(Name, std::move(Var));
  return true;
}

void TKvRerun::GetVarInfo(const std::string& VDesc, TRerunVar& aVar) const {
  aVar.SetDescription(VDesc);
  if (const TRerunVar* Cat = FindCatalogueVar(aVar.Description())) {
    aVar.SetMeaning(Cat->Meaning());
    aVar.SetVarType(Cat->VarType());
    aVar.SetFileType(Cat->FileType());
    aVar.SetMax(Cat->Max());
    aVar.SetMin(Cat->Min());
  } else {
    aVar.SetMeaning("");
    aVar.SetVarType("C");
    aVar.SetFileType("");
    aVar.SetMax(0);
    aVar.SetMin(0);
  }
}

void TKvRerun::StringToStringList(const TRerunVarList& VarStrings, TRerunVarList& VarStringlist) const {
  for (const auto& Entry : VarStrings) {
    auto Var = std::make_unique<TRerunVar>();
    Var->SetDescription(Entry.Str);
    if (Entry.Obj) {
      Var->SetMeaning(Entry.Obj->Meaning());
      Var->SetVarType(Entry.Obj->VarType());
      Var->SetFileType(Entry.Obj->FileType());
      Var->SetMax(Entry.Obj->Max());
      Var->SetMin(Entry.Obj->Min());
    } else {
      GetVarInfo(Entry.Str, *Var);
    }
    Var->SetValue(GetDefaultVarValue(Var->Description(), Var->VarType(), Var->FileType()));
    const std::string Name = Var->Description();
    VarStringlist.Add(Name, std::move(Var));
  }
}

void TKvRerun::CopyStringList(const TRerunVarList& slSrc, TRerunVarList& slDest) {
  slDest.Clear();
  for (const auto& Entry : slSrc) slDest.Add(Entry.Str, Entry.Obj ? Entry.Obj->GetCopy() : nullptr);
}

std::string TKvRerun::GetFileNameType(const std::string& FileType) const {
  const TKvSession* S = Session();
  return S ? S->GetFileNameType(FileType) : std::string();
}

bool TKvRerun::FindVar(TDxTextFile& aFile, const std::string& VarName, int& No) {
  while (aFile.NextLine()) {
    const TDxLine& L = aFile.Line();
    for (int i = 1; i <= L.NoOfWords(); ++i) {
      if (L.HasCh(i, 1, '*')) break;
      if (L.WordIs(i, VarName.data(), VarName.size())) {
        No = i;
        return true;
      }
    }
  }
  return false;
}

std::string TKvRerun::ReadVarValue(TDxTextFile& aFile, const std::string& VarType,
                                   const std::string& VarName) {
  int No = 0;
  if (!FindVar(aFile, VarName, No)) return std::string();
  if (!VarType.empty() && VarType[0] == 'S') return ReadSetVarValue(aFile, VarName, No);
  const TDxLine& L = aFile.Line();
  const std::string W = L.GetWord(No + 1);
  const std::string Value = W.size() < 2 ? L.GetWord(No + 2) : W.substr(1);
  return Unquoted(TrimBlanks(Value));
}

std::string TKvRerun::ReadSetVarValue(TDxTextFile& aFile, const std::string& /*VarName*/, int Start) {
  aFile.SetCommentChar("!");
  aFile.SetWordSep(",");
  TDxLine Pieces;
  Pieces.SetWordSep(",");
  Pieces.SetStr(aFile.Line().GetWordsFrom(Start + 2));
  if (Pieces.NoOfWords() < 1 || !IsNumber(Pieces.GetWord(1))) return std::string();
  std::string Result = TrimBlanks(Pieces.GetWord(1));
  AppendNumbers(Pieces, 2, Result);
  if (!aFile.NextLine()) return Result;
  while (IsNumber(aFile.Line().GetWord(1))) {
    AppendNumbers(aFile.Line(), 1, Result);
    if (aFile.Eof() || !aFile.NextLine()) break;
  }
  return Result;
}

std::string TKvRerun::GetDefaultVarValue(const std::string& VarName, const std::string& VarType,
                                         const std::string& FileType) const {
  const std::string FileName = GetFileNameType(FileType);
  if (!FileExists(FileName)) throw EKvError("'" + FileName + "' not found!");
  TDxTextFile File(FileName);
  return ReadVarValue(File, VarType, VarName);
}

std::string TKvRerun::GetVarType(int aVar) const {
  if (RerunList.Empty()) return " ";
  const TRerunVarList& First = *RerunList.Objects(0);
  if (aVar < 0 || aVar >= First.Count() || !First.Objects(aVar)) return " ";
  return First.Objects(aVar)->VarType();
}

TRerunVar* TKvRerun::GetSelectedVar(int aRun, int aVar) const {
  if (aRun < 1 || aRun > RerunList.Count()) return nullptr;
  const TRerunVarList& Run = *RerunList.Objects(aRun - 1);
  if (aVar < 0 || aVar >= Run.Count()) return nullptr;
  return Run.Objects(aVar);
}

int TKvRerun::GetNrOfSimulationYears() const {
  auto YearsOf = [this](const std::string& Name) {
    if (!FUseReRuns || RerunList.Empty() || IndexOfVar(*RerunList.Objects(0), Name) < 0) return 1;
    int Years = 1;
    for (const auto& Run : RerunList) {
      const int i = IndexOfVar(*Run.Obj, Name);
      if (i >= 0 && Run.Obj->Objects(i)) Years = std::max(Years, IntOrZero(Run.Obj->Objects(i)->Value()));
    }
    return Years;
  };
  return std::max(YearsOf("INYEAR"), YearsOf("INYRG"));
}
