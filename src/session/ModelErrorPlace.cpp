#include "session/ModelErrorPlace.h"

#include <cstdlib>

#include "catalogue/KvRerun.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "session/SessionFields.h"

namespace {
// The meaning of a keyword in the variable catalogue; empty when it has none.
std::string Meaning(const std::string& Key) {
  for (int i = 0; i < VarCatalogue.Count(); ++i)
    if (SameText(VarCatalogue.Strings(i), Key)) return VarCatalogue.Objects(i)->Meaning();
  return {};
}

bool SameFile(const std::string& A, const std::string& B) {
  return !A.empty() && UpperCase(ExtractFileName(A)) == UpperCase(ExtractFileName(B));
}
}  // namespace

TModelErrorPlace FindModelErrorPlace(const std::string& ErrorText, const TKvSession& S) {
  TModelErrorPlace P;
  static const std::string Lead = "ERROR in file ";
  const size_t At = ErrorText.find(Lead);
  if (At == std::string::npos) return P;
  const size_t Eol = ErrorText.find_first_of("\r\n", At);
  const std::string First =
      ErrorText.substr(At + Lead.size(), Eol == std::string::npos ? Eol : Eol - At - Lead.size());
  const size_t LineAt = First.find(", line "), KeyAt = First.find(", key ");
  const size_t FileEnd = std::min(LineAt, std::min(KeyAt, First.find(": ")));
  P.File = First.substr(0, FileEnd);
  if (LineAt != std::string::npos) P.Line = std::atoi(First.c_str() + LineAt + 7);
  if (KeyAt != std::string::npos) {
    const size_t Colon = First.find(": ", KeyAt);
    P.Key = First.substr(KeyAt + 6, Colon == std::string::npos ? Colon : Colon - KeyAt - 6);
    if (Colon != std::string::npos) P.What = First.substr(Colon + 2);
  } else if (const size_t Colon = First.find(": "); Colon != std::string::npos) {
    P.What = First.substr(Colon + 2);
  }
  const TKvFileManager& Fm = S.FileManager();
  const bool InputFile = SameFile(P.File, Fm.TimerFullName()) || SameFile(P.File, Fm.SiteFullName()) ||
                         SameFile(P.File, Fm.RunFullName());
  if (InputFile && !P.Key.empty()) {
    const TSessionField* F = FindSessionField(P.Key);
    if (F && *F->Page) P.Field = F;
  }
  P.DataFile = !InputFile && !SameFile(P.File, Fm.ReRunFullName()) && !P.File.empty() && FileExists(P.File);
  return P;
}

std::string ExplainModelErrorPlace(const TModelErrorPlace& P) {
  if (P.Field)
    return "This is the field " + std::string(P.Field->Page) + " page, " + P.Field->PlainCaption() + ".";
  if (P.Key.empty() || P.File.empty()) return {};
  const std::string Means = Meaning(P.Key);
  const std::string Where = P.File + (P.Line > 0 ? ", line " + std::to_string(P.Line) : std::string());
  if (UpperCase(ExtractFileName(P.File)).find("RR.RER") != std::string::npos)
    return P.Key + " comes from the rerun table" + (Means.empty() ? "." : ": " + Means + ".");
  return P.Key + " in " + Where +
         (Means.empty() ? "." : std::string(P.Line > 0 ? "," : "") + " is the " + Means + ".");
}
