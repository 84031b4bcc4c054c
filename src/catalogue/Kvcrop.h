#pragma once
// The session's crop choice and crop calendar: the chosen crop data file and
// its description, the start and end choices and the calendar dates with the
// ranges the variable catalogue gives them. Fills the main window's crop list
// from the data catalogue and takes the choice back from it.
#include <cstdint>
#include <string>

#include "catalogue/Controls.h"

class TKvCrop {
 public:
  // Runs Reset (the variable catalogue must be loaded).
  TKvCrop();

  // Defaults; each range from the variable catalogue (minimum asked first,
  // then maximum), rounded to the nearest integer, halves to even.
  void Reset();
  // Fills ListBox with the descriptions of CropList and selects the entry
  // whose file name equals CropFile (any letter case), else position 0.
  void FetchCropData(TListBoxControl& ListBox);
  // Takes the list's selection into CropDescription and CropFile and sets the
  // label to "Selected crop: " CR LF + description. No entry at the selected
  // position empties both and leaves the label; no selection changes nothing.
  void SetCropFile(const TListBoxControl& ListBox, TLabelControl& lbcroptimer);
  // The crop directory, a backslash and CropFile.
  std::string GetSelectedCropFileName() const;

  int32_t StartDay() const { return FStartDay; }
  void SetStartDay(int32_t Value) { FStartDay = Value; }
  int32_t FixedEmergenceDate() const { return FFixedEmergenceDate; }
  void SetFixedEmergenceDate(int32_t Value) { FFixedEmergenceDate = Value; }
  int32_t MaxFixedEmergenceDate() const { return FMaxFixedEmergenceDate; }
  void SetMaxFixedEmergenceDate(int32_t Value) { FMaxFixedEmergenceDate = Value; }
  int32_t MinFixedEmergenceDate() const { return FMinFixedEmergenceDate; }
  void SetMinFixedEmergenceDate(int32_t Value) { FMinFixedEmergenceDate = Value; }
  int32_t FixedSowingDate() const { return FFixedSowingDate; }
  void SetFixedSowingDate(int32_t Value) { FFixedSowingDate = Value; }
  int32_t MaxFixedSowingDate() const { return FMaxFixedSowingDate; }
  void SetMaxFixedSowingDate(int32_t Value) { FMaxFixedSowingDate = Value; }
  int32_t MinFixedSowingDate() const { return FMinFixedSowingDate; }
  void SetMinFixedSowingDate(int32_t Value) { FMinFixedSowingDate = Value; }
  int32_t EarliestSowingDate() const { return FEarliestSowingDate; }
  void SetEarliestSowingDate(int32_t Value) { FEarliestSowingDate = Value; }
  int32_t MaxEarliestSowingDate() const { return FMaxEarliestSowingDate; }
  void SetMaxEarliestSowingDate(int32_t Value) { FMaxEarliestSowingDate = Value; }
  int32_t MinEarliestSowingDate() const { return FMinEarliestSowingDate; }
  void SetMinEarliestSowingDate(int32_t Value) { FMinEarliestSowingDate = Value; }
  int32_t UltimateSowingDate() const { return FUltimateSowingDate; }
  void SetUltimateSowingDate(int32_t Value) { FUltimateSowingDate = Value; }
  int32_t MaxUltimateSowingDate() const { return FMaxUltimateSowingDate; }
  void SetMaxUltimateSowingDate(int32_t Value) { FMaxUltimateSowingDate = Value; }
  int32_t MinUltimateSowingDate() const { return FMinUltimateSowingDate; }
  void SetMinUltimateSowingDate(int32_t Value) { FMinUltimateSowingDate = Value; }
  int32_t FixedEndDate() const { return FFixedEndDate; }
  void SetFixedEndDate(int32_t Value) { FFixedEndDate = Value; }
  int32_t MaxFixedEndDate() const { return FMaxFixedEndDate; }
  void SetMaxFixedEndDate(int32_t Value) { FMaxFixedEndDate = Value; }
  int32_t MinFixedEndDate() const { return FMinFixedEndDate; }
  void SetMinFixedEndDate(int32_t Value) { FMinFixedEndDate = Value; }
  int32_t EndDay() const { return FEndDay; }
  void SetEndDay(int32_t Value) { FEndDay = Value; }
  const std::string& CropDescription() const { return FCropDescription; }
  void SetCropDescription(const std::string& Value) { FCropDescription = Value; }
  const std::string& CropFile() const { return FCropFile; }
  void SetCropFile(const std::string& Value) { FCropFile = Value; }
  int32_t MaximumDuration() const { return FMaximumDuration; }
  void SetMaximumDuration(int32_t Value) { FMaximumDuration = Value; }
  int32_t MaxMaximumDuration() const { return FMaxMaximumDuration; }
  void SetMaxMaximumDuration(int32_t Value) { FMaxMaximumDuration = Value; }
  int32_t MinMaximumDuration() const { return FMinMaximumDuration; }
  void SetMinMaximumDuration(int32_t Value) { FMinMaximumDuration = Value; }

 private:
  int32_t FStartDay = 0;
  int32_t FFixedEmergenceDate = 0;
  int32_t FMaxFixedEmergenceDate = 0;
  int32_t FMinFixedEmergenceDate = 0;
  int32_t FFixedSowingDate = 0;
  int32_t FMaxFixedSowingDate = 0;
  int32_t FMinFixedSowingDate = 0;
  int32_t FEarliestSowingDate = 0;
  int32_t FMaxEarliestSowingDate = 0;
  int32_t FMinEarliestSowingDate = 0;
  int32_t FUltimateSowingDate = 0;
  int32_t FMaxUltimateSowingDate = 0;
  int32_t FMinUltimateSowingDate = 0;
  int32_t FFixedEndDate = 0;
  int32_t FMaxFixedEndDate = 0;
  int32_t FMinFixedEndDate = 0;
  int32_t FEndDay = 0;
  std::string FCropDescription;
  std::string FCropFile;
  int32_t FMaximumDuration = 0;
  int32_t FMaxMaximumDuration = 0;
  int32_t FMinMaximumDuration = 0;
};
