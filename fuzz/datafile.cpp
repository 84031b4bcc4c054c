// The key lines of data files: the description, format and years the data
// catalogue takes from a crop, soil or weather file, the scan of a data
// directory and the merging of yearly weather files into stations.
//
// Input: up to three files separated by the byte 0x1E, read as crop, soil
// and weather files each, and scanned as one weather directory.

#include <string>

#include "FuzzSupport.h"
#include "catalogue/KvMenu.h"
#include "foundations/Errors.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  const std::vector<std::string> Parts = FuzzParts(Data, Size, 3);
  static const char* const Names[] = {"data/STN1.987", "data/STN1.988", "data/RAIN.DAT"};
  for (const char* N : Names) FuzzRemove(N);
  TFileSnapshot Snap;
  std::vector<std::string> Files;
  for (size_t i = 0; i < Parts.size(); ++i) {
    Files.push_back(FuzzWrite(Names[i], Parts[i]));
    Snap.Add(Files.back());
  }

  for (const std::string& F : Files)
    for (int Kind = KindCrop; Kind <= KindWeather + 1; ++Kind) {
      TKorMenuItem Item;
      const bool Usable = ReadDataFileInfo(F, Item, Kind);
      FUZZ_CHECK(Usable == !Item.Description.empty());
      if (Kind != KindWeather) FUZZ_CHECK(Item.Format == -1 && Item.YearBegin == -1 && Item.YearEnd == -1);
      if (Kind == KindWeather && Item.Format == FormatYearlyWeather)
        FUZZ_CHECK(Item.YearBegin == Item.YearEnd);
    }

  TMenuList Weather, Stations;
  try {
    FUZZ_CHECK(ScanDataDirectory(Weather, FuzzDir() + "data/", KindWeather));
  } catch (const Exception& E) {
    FUZZ_CHECK(!E.Message().empty());
  }
  FUZZ_CHECK(Weather.Count() <= static_cast<int>(Files.size()));
  const int Count = Weather.Count();
  MergeWeatherStations(Weather, Stations);
  FUZZ_CHECK(Stations.Count() <= Count);
  for (const auto& S : Stations) {
    FUZZ_CHECK(FindMenuItem(S.Obj->Description, S.Obj->Format, Stations) >= 0);
    FUZZ_CHECK(!S.Obj->FileName.empty() && S.Obj->FileName.back() == '.');
  }
  Snap.Check();
  return 0;
}
