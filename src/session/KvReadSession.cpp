// Reading a saved session back: the saved files are copied over the working
// files, then the run-options, timer, site and rerun files are parsed
// positionally: each reader finds its key line and takes the following
// lines in the order the writer (KvInputFiles.cpp) puts them.

#include <climits>
#include <functional>
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

namespace {
// The value conversions of the positional readers, on the reader's current
// line: word 1 the key, word 2 "=", word 3 the value.
int IntegerOf(const TDxLine& L) { return IntOrZero(L.GetWord(3)); }
long double DecimalOf(const TDxLine& L) { return FloatOrZero(L.GetWord(3)); }
std::string NameOf(const TDxLine& L) { return Unquoted(L.GetWord(3)); }
std::string TextOf(const TDxLine& L) { return Unquoted(L.GetWordsFrom(3)); }

// A decimal rounded to a whole number, halves to even; 0 when it does not fit.
int RoundedOf(const TDxLine& L) {
  const long double R = RoundHalfEven(DecimalOf(L));
  return R >= INT_MIN && R <= INT_MAX ? static_cast<int>(R) : 0;
}

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

void TKvSession::ReadRunOptions() {
  ReadSessionFile(FFileManager->RunFullName(), [this](TDxTextFile& File) {
    if (!File.SkipUntil({"IOPT2"})) return;
    const int StartStop = IntegerOf(File.Line());
    FRerun->SetStartStopOptions(StartStop);
    // Reruns were in use when the model was told so: restore the flag too.
    if (StartStop == 4) FRerun->SetUseReRuns(true);
    if (!File.NextLine()) return;
    FGeneral->SetProductionLevels(IntegerOf(File.Line()));
    if (!File.NextLine()) return;
    FGeneral->SetTypeOfWaterLimitedCropGrowth(IntegerOf(File.Line()));
  });
}

void TKvSession::ReadTimerFile() {
  ReadSessionFile(SessionTimerFile(), [this](TDxTextFile& File) {
    if (!File.SkipUntil({"RUNNAM"})) return;
    TKvWeather& Wt = *FWeather;
    TKvCrop& C = *FCrop;
    const TDxLine& L = File.Line();
    // One entry per line after RUNNAM, in the writer's order; a file that
    // ends early leaves the rest at their values.
    const std::vector<std::function<void()>> Steps = {
        [&] { Wt.SetWeatherFormatNumber(IntegerOf(L)); },
        [&] { Wt.SetStationFile(NameOf(L)); },
        [&] { Wt.SetYear(IntegerOf(L)); },
        [&] { Wt.SetConsecutiveYears(IntegerOf(L)); },
        [&] { Wt.SetRainfallDataOptions(IntegerOf(L)); },
        [&] { Wt.SetRainfallStationFile(NameOf(L)); },
        [&] { Wt.SetRainfallYear(IntegerOf(L)); },
        [&] {
          if (Wt.RainfallDataOptions() == 2)
            Wt.SetRainfallConsecutiveYears(IntegerOf(L));
          else
            Wt.SetNoOfRunsWithRandomizedRain(IntegerOf(L));
        },
        [&] { C.SetCropFile(NameOf(L)); },
        [&] { C.SetStartDay(IntegerOf(L)); },
        [&] { C.SetFixedEmergenceDate(IntegerOf(L)); },
        [&] { C.SetFixedSowingDate(IntegerOf(L)); },
        [&] { C.SetEarliestSowingDate(IntegerOf(L)); },
        [&] { C.SetUltimateSowingDate(IntegerOf(L)); },
        [&] { C.SetEndDay(IntegerOf(L)); },
        [&] { C.SetFixedEndDate(IntegerOf(L)); },
        [&] { C.SetMaximumDuration(IntegerOf(L)); },
        [&] { FGeneral->SetSummarySeasonalSoilWaterBalance(IntegerOf(L)); },
        [&] { FGeneral->SetOutputInterval(RoundedOf(L)); },
        [&] { C.SetCropDescription(TextOf(L)); },
        [&] { FSoil->SetSoilDescription(TextOf(L)); },
        [&] { Wt.SetStationDescription(TextOf(L)); },
        [&] { Wt.SetRainfallStationDescription(TextOf(L)); },
        [&] { FGeneral->SetWaterbalanceStartDay(IntegerOf(L)); },
    };
    for (const auto& Step : Steps) {
      if (!File.NextLine()) return;
      Step();
    }
  });
}

void TKvSession::ReadSiteFile() {
  ReadSessionFile(SessionSiteFile(), [this](TDxTextFile& File) {
    if (!File.SkipUntil({"SOFILE"})) return;
    TKvHydrology& H = *FHydrology;
    TKvNutrients& N = *FNutrients;
    const TDxLine& L = File.Line();
    FSoil->SetSoilFile(NameOf(L));
    const std::vector<std::function<void()>> Steps = {
        [&] { H.SetGroundwater(IntegerOf(L)); },
        [&] { H.SetTypeOfNonInfiltratingFractionOfRain(IntegerOf(L)); },
        [&] { H.SetDrainage(IntegerOf(L)); },
        [&] { H.SetMaximumSurfaceStorage(DecimalOf(L)); },
        [&] { H.SetInitialAvailableSoilWater(DecimalOf(L)); },
        [&] { H.SetInitialGroundWaterTable(DecimalOf(L)); },
        [&] { H.SetDrainageDepth(DecimalOf(L)); },
        [&] { H.SetMaximumRootDepthOfSoil(DecimalOf(L)); },
        [&] { H.SetMaxNonInfiltratingFractionOfRain(DecimalOf(L)); },
        // The checked setters: a value out of range stops the reading here.
        [&] { N.SetNBase(DecimalOf(L)); },
        [&] { N.SetNrec(DecimalOf(L)); },
        [&] { N.SetPBase(DecimalOf(L)); },
        [&] { N.SetPrec(DecimalOf(L)); },
        [&] { N.SetKBase(DecimalOf(L)); },
        [&] { N.SetKrec(DecimalOf(L)); },
        // Written last, so files without them still read.
        [&] { H.SetInitialSurfaceStorage(DecimalOf(L)); },
        [&] { H.SetMaximumMoisture(DecimalOf(L)); },
    };
    for (const auto& Step : Steps) {
      if (!File.NextLine()) break;
      Step();
    }
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
