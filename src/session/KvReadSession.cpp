// Reading a saved session back: the saved files are copied over the working
// files, then the run-options, timer, site and rerun files are parsed
// positionally: each reader finds its key line and takes the following
// lines in the order the writer (KvInputFiles.cpp) puts them.

#include <memory>
#include <vector>

#include "catalogue/KvRange.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxLine.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvnut.h"
#include "session/Kvses.h"
#include "session/SessionFields.h"

namespace {
// Runs Parse on the opened file between the busy and the normal cursor; a
// missing file is reported and read no further.
template <class F>
void ReadSessionFile(const std::string& FileName, F Parse) {
  if (!FileExists(FileName)) {
    ShowInfoBox("File not found: " + FileName);
    return;
  }
  TBusyCursor Busy;
  TDxTextFile File(FileName);
  Parse(File);
}
}  // namespace

std::string TKvSession::SessionTimerFile() const {
  return FFileManager->RunioPath() + "\\" + FFileManager->KRLName() + "ti.tim";
}
std::string TKvSession::SessionSiteFile() const {
  return FFileManager->RunioPath() + "\\" + FFileManager->KRLName() + "si.sit";
}
std::string TKvSession::SessionRerunFile() const {
  return FFileManager->RunioPath() + "\\" + FFileManager->KRLName() + "rr.rer";
}

bool TKvSession::SessionFilesExist(const std::string& SesFile) {
  const std::string Old = FFileManager->KRLFullName();
  FFileManager->SetKRLFullName(SesFile);
  if (!FileExists(FFileManager->RunFullName())) {
    ShowErrorBox("File not found: " + FFileManager->RunFullName());
    FFileManager->SetKRLFullName(Old);
    return false;
  }
  return FileExists(FFileManager->SiteFullName()) && FileExists(FFileManager->TimerFullName());
}

void TKvSession::Read(const std::string& SesFile) {
  if (!SessionFilesExist(SesFile)) return;
  FFileManager->ReplaceSessionFiles(SesFile, FFileManager->KRLWerkName());
  FFileManager->SetKRLFullName(SesFile);
  ReadRunOptions();
  ReadTimerFile();
  ReadSiteFile();
  ReadRerunFile();
}

// The lines of a file of the field table, from its first field's line on,
// in the table's order; a file that ends early leaves the rest as they are.
// False when the file has no line of the first field.
bool TKvSession::ReadFieldFile(TDxTextFile& File, TFieldFile Of) {
  const std::vector<const TSessionField*> Fields = SessionFieldsOf(Of);
  if (Fields.empty() || !File.SkipUntil({Fields.front()->Keyword})) return false;
  for (size_t i = 0; i < Fields.size(); ++i) {
    if (i > 0 && !File.NextLine()) break;
    Fields[i]->ReadFrom(*this, File.Line());
  }
  return true;
}

void TKvSession::ReadRunOptions() {
  ReadSessionFile(FFileManager->RunFullName(),
                  [this](TDxTextFile& File) { ReadFieldFile(File, TFieldFile::RunOptions); });
}

void TKvSession::ReadTimerFile() {
  ReadSessionFile(SessionTimerFile(), [this](TDxTextFile& File) { ReadFieldFile(File, TFieldFile::Timer); });
}

void TKvSession::ReadSiteFile() {
  ReadSessionFile(SessionSiteFile(), [this](TDxTextFile& File) {
    if (!ReadFieldFile(File, TFieldFile::Site)) return;
    // The moisture value meets the range of the soil just read, as after a
    // soil choice; without a readable soil file the value stays as read.
    try {
      SetMinMaxSMLIM();
    } catch (const std::exception&) {
      // No readable soil file: the value read above stays, unchecked.
    }
  });
}

void TKvSession::ReadRerunFile() {
  ReadSessionFile(SessionRerunFile(), [this](TDxTextFile& File) {
    File.SetWordSep("=");
    if (!File.SkipUntil({"RUNNAM"})) return;
    TObjList<TRerunVarList>& Runs = FRerun->RerunList;
    Runs.Clear();
    int R = 0;
    TDxLine Line;  // split at blanks: one assignment per word
    for (;;) {
      bool AtEnd = File.Eof();
      Line.SetStr(File.Line().Str());
      const std::string& S = Line.Str();
      const size_t Eq = S.find('=');
      const std::string Key = UpperCase(Eq == std::string::npos ? std::string() : S.substr(0, Eq));
      const bool Description = Key.find("NAM") != std::string::npos && Key != "RUNNAM";
      if (!S.empty() && !Description) {
        // A value list wrapped by the writer: join its first continuation line.
        if (S.back() == ',' && !AtEnd && File.NextLine()) {
          Line.SetStr(S + File.Line().Str());
          AtEnd = File.Eof();
        }
        if (Line.NoOfWords() > 0) {
          bool Ok = true;
          if (Runs.Count() <= R) {
            try {
              Runs.Add("new", std::make_unique<TRerunVarList>());
            } catch (const std::exception&) {
              ShowErrorBox("Failed to create new rerun.");
              Ok = false;
            }
          }
          if (Ok) {
            for (int i = 1; i <= Line.NoOfWords(); ++i) {
              std::string Word = Line.GetWord(i);
              if (!Word.empty() && Word.back() == ';') Word.pop_back();
              FRerun->AddRerunVar(R, Word);
            }
            const std::string Last = Line.LastWord();
            if (Last.empty() || Last.back() != ';') ++R;
          }
        }
      }
      if (AtEnd || !File.NextLine()) break;
    }
  });
}
