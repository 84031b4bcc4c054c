#pragma once
// The session's weather choice: the weather format, the station with its
// years and the rainfall options. Fills the main window's weather format and
// station lists from the data catalogue and takes the choice back from them.
#include <cstdint>
#include <string>

#include "catalogue/Controls.h"
#include "foundations/StrList.h"

// One entry of the weather format list.
class TWeatherFormat {
 public:
  TWeatherFormat(int32_t aFormatNr, const std::string& aDescription)
      : FormatNo(aFormatNr), Description(aDescription) {}
  int32_t FormatNo = 0;
  std::string Description;
};

// Rainfall data options.
constexpr int RainGeneratedFromMonthly = 0;
constexpr int RainMonthlyOverRainyDays = 1;
constexpr int RainFromRainfallFile = 2;
constexpr int RainFromWeatherFile = 3;

class TKvWeather {
 public:
  // Runs Reset, then creates the empty format list.
  TKvWeather();

  // Defaults; the range of "INYRG" from the variable catalogue (maximum asked
  // first, then minimum), rounded to the nearest integer, halves to even.
  void Reset();
  // Adapts the rainfall option to the weather format number aWeatherFormat.
  void ResetRainfall(int32_t aWeatherFormat);
  // Fills the format list and selects the session's format (else position 0).
  void FetchWeatherFormatData(TListBoxControl& ListBox);
  // Takes the selected format and fills the station list with the stations of
  // that format, selecting the session's station (else position 0).
  void UpdateWeatherFormat(TListBoxControl& ListBox1, TListBoxControl& ListBox2);
  // Shows the selected station's years in First/First2 and Last/Last2 and
  // sets the label to "Selected station: " CR LF + description; "0" in the
  // four fields when no station is selected or found.
  void UpdateStations(const TListBoxControl& ListBox, TEditControl& First, TEditControl& Last,
                      TEditControl& First2, TEditControl& Last2, TLabelControl& station);
  // Selection by list position: WeatherFormat := FormatNo of the format list
  // entry at Index (0 when there is none, as before the list is filled); a
  // negative Index changes nothing. To store a format number, use
  // SetWeatherFormatNumber.
  void SetWeatherFormat(int32_t Index);
  // Takes the StationList entry with this description and format; none: the
  // station's description and file become empty.
  void SetStation(const std::string& aDescription, int32_t aFormat);
  // Number of years the weather settings ask the model to simulate.
  int32_t GetNrOfSimulationYears() const;

  // The weather format list: text = description, object = its format.
  const TObjList<TWeatherFormat>& SlFormat() const { return FSlFormat; }

  int32_t WeatherFormat() const { return FWeatherFormat; }
  // The WeatherFormat property's setter (a format number, as read from a
  // timer file). Not SetWeatherFormat: that one takes a list position.
  void SetWeatherFormatNumber(int32_t Value) { FWeatherFormat = Value; }
  const std::string& StationDescription() const { return FStationDescription; }
  void SetStationDescription(const std::string& Value) { FStationDescription = Value; }
  const std::string& StationFile() const { return FStationFile; }
  void SetStationFile(const std::string& Value) { FStationFile = Value; }
  int32_t Year() const { return FYear; }
  void SetYear(int32_t Value) { FYear = Value; }
  int32_t ConsecutiveYears() const { return FConsecutiveYears; }
  void SetConsecutiveYears(int32_t Value) { FConsecutiveYears = Value; }
  int32_t NoOfRunsWithRandomizedRain() const { return FNoOfRunsWithRandomizedRain; }
  void SetNoOfRunsWithRandomizedRain(int32_t Value) { FNoOfRunsWithRandomizedRain = Value; }
  int32_t MaxNoOfRunsWithRandomizedRain() const { return FMaxNoOfRunsWithRandomizedRain; }
  void SetMaxNoOfRunsWithRandomizedRain(int32_t Value) { FMaxNoOfRunsWithRandomizedRain = Value; }
  int32_t MinNoOfRunsWithRandomizedRain() const { return FMinNoOfRunsWithRandomizedRain; }
  void SetMinNoOfRunsWithRandomizedRain(int32_t Value) { FMinNoOfRunsWithRandomizedRain = Value; }
  int32_t RainfallDataOptions() const { return FRainfallDataOptions; }
  void SetRainfallDataOptions(int32_t Value) { FRainfallDataOptions = Value; }
  const std::string& RainfallStationDescription() const { return FRainfallStationDescription; }
  void SetRainfallStationDescription(const std::string& Value) { FRainfallStationDescription = Value; }
  const std::string& RainfallStationFile() const { return FRainfallStationFile; }
  void SetRainfallStationFile(const std::string& Value) { FRainfallStationFile = Value; }
  int32_t RainfallYear() const { return FRainfallYear; }
  void SetRainfallYear(int32_t Value) { FRainfallYear = Value; }
  int32_t RainfallConsecutiveYears() const { return FRainfallConsecutiveYears; }
  void SetRainfallConsecutiveYears(int32_t Value) { FRainfallConsecutiveYears = Value; }
  int32_t MaxRainfallConsecutiveYears() const { return FMaxRainfallConsecutiveYears; }
  void SetMaxRainfallConsecutiveYears(int32_t Value) { FMaxRainfallConsecutiveYears = Value; }
  int32_t MinRainfallConsecutiveYears() const { return FMinRainfallConsecutiveYears; }
  void SetMinRainfallConsecutiveYears(int32_t Value) { FMinRainfallConsecutiveYears = Value; }

 private:
  // Builds SlFormat from the format table and shows it in ListBox.
  void FillWeatherFormats(TListBoxControl& ListBox);

  TObjList<TWeatherFormat> FSlFormat;
  int32_t FWeatherFormat = 0;
  std::string FStationDescription;
  std::string FStationFile;
  int32_t FYear = 0;
  int32_t FConsecutiveYears = 0;
  int32_t FNoOfRunsWithRandomizedRain = 0;
  int32_t FMaxNoOfRunsWithRandomizedRain = 0;
  int32_t FMinNoOfRunsWithRandomizedRain = 0;
  int32_t FRainfallDataOptions = 0;
  std::string FRainfallStationDescription;
  std::string FRainfallStationFile;
  int32_t FRainfallYear = 0;
  int32_t FRainfallConsecutiveYears = 0;
  int32_t FMaxRainfallConsecutiveYears = 0;
  int32_t FMinRainfallConsecutiveYears = 0;
};
