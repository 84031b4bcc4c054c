// The data catalogue: the annotation lines of the data files and the three
// process-wide lists built from the data directories.
#include "catalogue/KvMenu.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "catalogue/Controls.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

TMenuList CropList;
TMenuList SoilList;
TMenuList StationList;

namespace {

const char* const KeyCropName = "CRPNAM";
const char* const KeySoilName = "SOLNAM";
const char* const KeyDescription = "** KRLDESCRIPTION";
const char* const KeyFormat = "** KRLFORMAT";
const char* const KeyYearNr = "** KRLYEARNR";
const char* const KeyYears = "** KRLYEARS";

// The value of one key, found on the first line whose text before its first
// "=" is the key.
struct TKeyValue {
  const char* Key;
  size_t KeyLen;
  bool Found = false;
  std::string Value;

  explicit TKeyValue(const char* K) : Key(K), KeyLen(std::char_traits<char>::length(K)) {}
  // Takes the current line when it is the first key line of this key.
  void Take(const TDxLine& Line) {
    if (Found || !Line.WordIs(1, Key, KeyLen)) return;
    Found = true;
    Value = TrimBlanks(Line.GetWordsFrom(2));
  }
};

void ApplyYears(TKorMenuItem& Item, const TKeyValue& YearNr, const TKeyValue& Years) {
  if (Item.Format == FormatYearlyWeather) {
    if (!YearNr.Value.empty()) Item.YearBegin = IntOrZero(YearNr.Value);
    Item.YearEnd = Item.YearBegin;
    return;
  }
  const std::string& V = Years.Value;
  if (V.empty()) return;
  if (V.compare(0, 4, "1000") == 0) {
    Item.YearBegin = 1000;
    Item.YearEnd = 1000;
    return;
  }
  Item.YearBegin = IntOrZero(V.substr(0, 4));
  Item.YearEnd = IntOrZero(V.size() > 4 ? V.substr(V.size() - 4) : V);
}

// Reads the file's lines once, up to the point where every key it needs has
// been seen. Every key takes its first key line wherever it stands, so the
// result equals looking each key up from the top of the file.
void ReadKeys(TDxTextFile& File, TKorMenuItem& Item, int Kind) {
  if (Kind == KindCrop || Kind == KindSoil) {
    TKeyValue Name(Kind == KindCrop ? KeyCropName : KeySoilName);
    while (!Name.Found && File.NextLine()) Name.Take(File.Line());
    Item.Description = Unquoted(Name.Value);
    return;
  }
  if (Kind != KindWeather) return;
  TKeyValue Description(KeyDescription), Fmt(KeyFormat), YearNr(KeyYearNr), Years(KeyYears);
  auto AllSeen = [&] {
    if (!Description.Found || !Fmt.Found) return false;
    // The format decides which year key counts; an empty format value keeps
    // the item's own format.
    const int32_t Format = Fmt.Value.empty() ? Item.Format : IntOrZero(Fmt.Value);
    return Format == FormatYearlyWeather ? YearNr.Found : Years.Found;
  };
  while (!AllSeen() && File.NextLine()) {
    const TDxLine& Line = File.Line();
    Description.Take(Line);
    Fmt.Take(Line);
    YearNr.Take(Line);
    Years.Take(Line);
  }
  Item.Description = Description.Value;
  if (!Fmt.Value.empty()) Item.Format = IntOrZero(Fmt.Value);
  ApplyYears(Item, YearNr, Years);
}

}  // namespace

bool ReadDataFileInfo(const std::string& FileName, TKorMenuItem& Item, int Kind) {
  // A file that cannot be opened or read, or that holds a line of more than
  // 255 words, is passed over; one broken file must not empty the catalogue.
  // Only plain files are opened: a named pipe or a device could keep the
  // reader waiting for ever.
  std::error_code Ec;
  if (!std::filesystem::is_regular_file(MapFileName(FileName), Ec)) return false;
  try {
    TDxTextFile File(FileName);
    File.SetWordSep("=");
    ReadKeys(File, Item, Kind);
  } catch (const std::exception&) {
    return false;  // passed over, as said above
  }
  Item.FileName = ExtractFileName(FileName);
  return !Item.Description.empty();
}

bool ScanDataDirectory(TMenuList& List, const std::string& Directory, int Kind) {
  const std::string Dir = Directory + "\\";
  std::vector<TDirEntry> Entries;
  try {
    Entries = ListDirectory(Dir);
  } catch (const Exception&) {
    throw EPlainError("Error finding data info from directory " + Dir);
  }
  for (const TDirEntry& Entry : Entries) {
    if (Entry.IsDirectory) continue;  // not a file: would fail to open
    auto Item = std::make_unique<TKorMenuItem>();
    if (ReadDataFileInfo(Dir + Entry.Name, *Item, Kind)) {
      const std::string Text = Item->Description;
      List.Add(Text, std::move(Item));
    }
  }
  return true;
}

bool MergeWeatherStations(TMenuList& WeatherList, TMenuList& Stations) {
  for (int i = 0; i < WeatherList.Count(); ++i) {
    TKorMenuItem* Item = WeatherList.Objects(i);
    if (!Item) continue;
    const int Found = FindMenuItem(Item->Description, Item->Format, Stations);
    if (Found < 0) {
      Item->FileName = ChangeFileExt(Item->FileName, ".");
      const std::string Text = Item->Description;
      std::unique_ptr<TKorMenuItem> Owned(new TKorMenuItem(std::move(*Item)));
      WeatherList.SetObject(i, nullptr);
      Stations.Add(Text, std::move(Owned));
    } else {
      TKorMenuItem* Station = Stations.Objects(Found);
      if (Item->YearBegin < Station->YearBegin) Station->YearBegin = Item->YearBegin;
      if (Station->YearEnd < Item->YearBegin) Station->YearEnd = Item->YearBegin;
    }
  }
  return true;
}

int FindMenuItem(const std::string& Description, int Format, const TMenuList& List) {
  for (int i = 0; i < List.Count(); ++i) {
    const TKorMenuItem* Item = List.Objects(i);
    if (Item && Item->Description == Description && Item->Format == Format) return i;
  }
  return -1;
}

TMenuFileMatch::TMenuFileMatch(const std::string& FileName) : FWanted(UpperCase(FileName)) {}

bool TMenuFileMatch::operator()(const TKorMenuItem* Item) const {
  return Item && UpperCase(Item->FileName) == FWanted;
}

void BuildDataCatalogue() {
  if (!TheSession) throw EPlainError("There is no session: its directories are unknown");
  BuildDataCatalogue(TheSession->FileManager());
}

void BuildDataCatalogue(const TKvFileManager& FileManager) {
  TBusyCursor Busy;
  CropList.Clear();
  SoilList.Clear();
  StationList.Clear();
  TMenuList WeatherList;
  ScanDataDirectory(CropList, FileManager.CropPath(), KindCrop);
  ScanDataDirectory(SoilList, FileManager.SoilPath(), KindSoil);
  ScanDataDirectory(StationList, FileManager.ClimatePath(), KindWeather);
  ScanDataDirectory(WeatherList, FileManager.WeatherPath(), KindWeather);
  MergeWeatherStations(WeatherList, StationList);
}

void FreeDataCatalogue() {
  CropList.Clear();
  SoilList.Clear();
  StationList.Clear();
}

void FillMenuListBox(TListBoxControl& ListBox, const TMenuList& List, const std::string& FileName) {
  ListBox.Clear();
  TBusyCursor Busy;
  for (int i = 0; i < List.Count(); ++i) ListBox.Add(List.Strings(i));
  if (ListBox.Count() == 0) return;
  ListBox.SetItemIndex(0);
  const TMenuFileMatch Wanted(FileName);
  for (int i = 0; i < List.Count(); ++i) {
    if (Wanted(List.Objects(i))) {
      ListBox.SetItemIndex(i);
      break;
    }
  }
}
