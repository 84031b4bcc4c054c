// The session's crop, soil and weather station as the data catalogue has
// them: a file that is gone is replaced by the first entry of its list when
// the pages are filled; this says so, once, in words the user can act on.

#include "catalogue/KvMenu.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
// The entry the list falls back on: the first one (of the station's format
// for a station), or none.
const TKorMenuItem* FirstEntry(const TMenuList& List, int Format = -1) {
  for (int i = 0; i < List.Count(); ++i) {
    const TKorMenuItem* Item = List.Objects(i);
    if (Item && (Format < 0 || Item->Format == Format)) return Item;
  }
  return nullptr;
}

bool Listed(const TMenuList& List, const std::string& FileName) {
  const TMenuFileMatch Wanted(FileName);
  for (int i = 0; i < List.Count(); ++i)
    if (Wanted(List.Objects(i))) return true;
  return false;
}

void Check(std::string& Notice, const char* What, const std::string& FileName, const std::string& Dir,
           const TMenuList& List, int Format = -1) {
  if (FileName.empty() || Listed(List, FileName)) return;
  const TKorMenuItem* Instead = FirstEntry(List, Format);
  Notice += std::string("The ") + What + " " + FileName + " of the session was not found in " + Dir + "; " +
            (Instead ? Instead->Description + " (" + Instead->FileName + ") is chosen instead."
                     : std::string("there is none to choose instead.")) +
            "\r\n";
}
}  // namespace

std::string TKvSession::MissingDataFilesNotice() const {
  std::string Notice;
  Check(Notice, "crop file", FCrop->CropFile(), FFileManager->CropPath(), CropList);
  Check(Notice, "soil file", FSoil->SoilFile(), FFileManager->SoilPath(), SoilList);
  Check(Notice, "weather station", FWeather->StationFile(), FFileManager->ClimatePath(), StationList,
        FWeather->WeatherFormat());
  if (!Notice.empty()) Notice += "Choose the one you want on its page before the next run.";
  return Notice;
}
