#pragma once
// The session's soil choice: the chosen soil data file and its description.
#include <string>

#include "catalogue/Controls.h"

class TKvSoil {
 public:
  // Runs Reset.
  TKvSoil();

  void Reset();
  // As TKvCrop::FetchCropData, with SoilList and SoilFile.
  void FetchSoilData(TListBoxControl& ListBox);
  // As TKvCrop::SetCropFile, with SoilList and without a label.
  void SetSoilFile(const TListBoxControl& ListBox);
  // The FileName of the SoilList entry at Index; empty when there is none.
  std::string SoilFileFromListbox(int Index) const;
  // The soil directory, a backslash and SoilFile.
  std::string GetSelectedSoilFileName() const;

  const std::string& SoilDescription() const { return FSoilDescription; }
  void SetSoilDescription(const std::string& Value) { FSoilDescription = Value; }
  const std::string& SoilFile() const { return FSoilFile; }
  void SetSoilFile(const std::string& Value) { FSoilFile = Value; }

 private:
  std::string FSoilDescription;
  std::string FSoilFile;
};
