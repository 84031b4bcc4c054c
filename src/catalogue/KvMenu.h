#pragma once
// The data catalogue: the crop, soil and weather data files that the data
// directories offer, each with the description, format and years read from
// its annotation lines. Built once at start-up into three process-wide lists.
#include <cstdint>
#include <string>

#include "foundations/StrList.h"

class TKvFileManager;
class TListBoxControl;

// One catalogue entry.
class TKorMenuItem {
 public:
  std::string Description;  // the text shown in lists
  std::string FileName;     // name without directory; a weather station's stem + "."
  int32_t Number = 0;       // not used by the catalogue
  int32_t Format = -1;      // from "** KRLFORMAT"; -1 when not given
  int32_t YearBegin = -1;
  int32_t YearEnd = -1;
};

using TMenuList = TObjList<TKorMenuItem>;

// Kinds of data file.
constexpr int KindCrop = 0;
constexpr int KindSoil = 1;
constexpr int KindWeather = 2;

// Weather format numbers met in the program.
constexpr int FormatYearlyWeather = 2;
constexpr int FormatRainfall = 99;

// The three lists; entry text = Description. Kept in the order found, never
// sorted; empty until BuildDataCatalogue.
extern TMenuList CropList;
extern TMenuList SoilList;
extern TMenuList StationList;

// Reads the annotation lines of one data file into Item: the description
// (kind 0 "CRPNAM", kind 1 "SOLNAM", quotes removed; kind 2
// "** KRLDESCRIPTION"), for kind 2 the format and the years. True when the
// file gave a non-empty description. A file that cannot be opened or read,
// or that holds a line of more than 255 words, gives false.
bool ReadDataFileInfo(const std::string& FileName, TKorMenuItem& Item, int Kind);

// Appends one entry per usable file of Directory to List, in the listing's
// order (by name without regard to case). A directory that cannot be listed
// raises EPlainError "Error finding data info from directory " + path.
bool ScanDataDirectory(TMenuList& List, const std::string& Directory, int Kind);

// Moves the entries of WeatherList into Stations (the file name's extension
// becomes ".") or, when Stations already holds an entry with the same
// description and format, widens that entry's years. Always true.
bool MergeWeatherStations(TMenuList& WeatherList, TMenuList& Stations);

// Index of the first entry with exactly this description and format; -1.
int FindMenuItem(const std::string& Description, int Format, const TMenuList& List);

// Whether an entry's FileName equals a file name without regard to letter
// case (both compared in upper case); no entry names no file. The session's
// choice of crop, soil and station is found in the lists this way.
class TMenuFileMatch {
 public:
  explicit TMenuFileMatch(const std::string& FileName);
  bool operator()(const TKorMenuItem* Item) const;

 private:
  std::string FWanted;
};

// Fills the three lists from the session's data directories.
void BuildDataCatalogue();
// The same from the directories of a given file manager.
void BuildDataCatalogue(const TKvFileManager& FileManager);
void FreeDataCatalogue();

// The session lists' shared steps: empties ListBox, adds every description of
// List in order, selects position 0 and then the first entry whose FileName
// equals FileName without regard to letter case.
void FillMenuListBox(TListBoxControl& ListBox, const TMenuList& List, const std::string& FileName);
