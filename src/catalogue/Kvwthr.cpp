// The session's weather choice: format, station, years and rainfall options.
#include "catalogue/Kvwthr.h"

#include <algorithm>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRange.h"
#include "catalogue/KvRerun.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"

namespace {

// The weather formats the program knows, in list order.
struct TFormatRow {
  int32_t FormatNo;
  const char* Description;
};
const TFormatRow WeatherFormats[] = {{2, "MERA format weather"}};

}  // namespace

TKvWeather::TKvWeather() { Reset(); }

void TKvWeather::Reset() {
  FWeatherFormat = 2;
  FStationDescription.clear();
  FStationFile.clear();
  FYear = 1980;
  FConsecutiveYears = 1;
  FNoOfRunsWithRandomizedRain = 1;
  // The maximum is asked first, then the minimum.
  FMaxNoOfRunsWithRandomizedRain = RangeMaxInt("INYRG");
  FMinNoOfRunsWithRandomizedRain = RangeMinInt("INYRG");
  FRainfallDataOptions = RainFromWeatherFile;
  FRainfallStationDescription = "<none>";
  FRainfallStationFile = "<none>";
  FRainfallYear = 0;
  FRainfallConsecutiveYears = 1;
  FMaxRainfallConsecutiveYears = FMaxNoOfRunsWithRandomizedRain;
  FMinRainfallConsecutiveYears = FMinNoOfRunsWithRandomizedRain;
}

void TKvWeather::ResetRainfall(int32_t aWeatherFormat) {
  int32_t& O = FRainfallDataOptions;
  switch (aWeatherFormat) {
    case 0:
      if (O == 0 || O == 3) O = 1;
      break;
    case 1:
      if (O == 3) O = 1;
      break;
    case 2:
    case 3:
      if (O == 0 || O == 1) O = 3;
      break;
    default: break;
  }
}

void TKvWeather::FillWeatherFormats(TListBoxControl& ListBox) {
  FSlFormat.Clear();
  ListBox.Clear();
  for (const TFormatRow& Row : WeatherFormats) {
    FSlFormat.Add(Row.Description, std::make_unique<TWeatherFormat>(Row.FormatNo, Row.Description));
    ListBox.Add(Row.Description);
  }
}

void TKvWeather::FetchWeatherFormatData(TListBoxControl& ListBox) {
  ListBox.Clear();
  TBusyCursor Busy;
  FillWeatherFormats(ListBox);
  if (ListBox.Count() == 0) return;
  ListBox.SetItemIndex(0);
  for (int i = 0; i < FSlFormat.Count(); ++i) {
    if (FSlFormat.Objects(i)->FormatNo == FWeatherFormat) {
      ListBox.SetItemIndex(i);
      break;
    }
  }
}

void TKvWeather::UpdateWeatherFormat(TListBoxControl& ListBox1, TListBoxControl& ListBox2) {
  const int Index = ListBox1.ItemIndex();
  if (Index < 0) return;
  // A failure on the way leaves the lists as far as they got.
  try {
    SetWeatherFormat(Index);
    if (Index >= FSlFormat.Count()) return;
    const int32_t F = FSlFormat.Objects(Index)->FormatNo;
    ListBox2.Clear();
    ListBox2.SetItemIndex(-1);
    const TMenuFileMatch Wanted(FStationFile);
    for (int i = 0; i < StationList.Count(); ++i) {
      const TKorMenuItem* Item = StationList.Objects(i);
      if (!Item || Item->Format != F) continue;
      const int Pos = ListBox2.Add(Item->Description);
      if (Wanted(Item)) ListBox2.SetItemIndex(Pos);
    }
    if (ListBox2.Count() > 0 && ListBox2.ItemIndex() < 0) ListBox2.SetItemIndex(0);
  } catch (const std::exception&) {
    // The lists stay as far as they got; the station is taken from them later.
  }
}

void TKvWeather::UpdateStations(const TListBoxControl& ListBox, TEditControl& First, TEditControl& Last,
                                TEditControl& First2, TEditControl& Last2, TLabelControl& station) {
  const int Index = ListBox.ItemIndex();
  const int Found = Index < 0 ? -1 : FindMenuItem(ListBox.Item(Index), FWeatherFormat, StationList);
  if (Found < 0) {
    First.SetText("0");
    Last.SetText("0");
    First2.SetText("0");
    Last2.SetText("0");
    return;
  }
  const TKorMenuItem* Item = StationList.Objects(Found);
  const std::string Begin = Format("%d", Item->YearBegin);
  const std::string End = Format("%d", Item->YearEnd);
  First.SetText(Begin);
  First2.SetText(Begin);
  Last.SetText(End);
  Last2.SetText(End);
  station.SetCaption("Selected station: \r\n" + Item->Description);
}

void TKvWeather::SetWeatherFormat(int32_t Index) {
  if (Index < 0) return;
  FWeatherFormat = Index < FSlFormat.Count() ? FSlFormat.Objects(Index)->FormatNo : 0;
}

void TKvWeather::SetStation(const std::string& aDescription, int32_t aFormat) {
  const int Found = FindMenuItem(aDescription, aFormat, StationList);
  if (Found < 0) {
    FStationFile.clear();
    FStationDescription.clear();
    return;
  }
  FStationFile = StationList.Objects(Found)->FileName;
  FStationDescription = aDescription;
}

int32_t TKvWeather::GetNrOfSimulationYears() const {
  const int32_t Y = FWeatherFormat == 1 ? 1 : FConsecutiveYears;
  switch (FRainfallDataOptions) {
    case 0:
    case 1: return std::max(Y, FNoOfRunsWithRandomizedRain);
    case 2: return std::max(Y, FRainfallConsecutiveYears);
    default: return Y;
  }
}
