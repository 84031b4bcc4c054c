#pragma once
// A program home for model tests in a fresh temporary directory: DIRECT.INI,
// a small crop file, two soils, a synthetic weather station (TST1., years
// 1988 to 1993, 1991 a dry year), a rainfall file, and the four input files
// the control centre writes, from editable key tables.

#include <map>
#include <string>
#include <vector>

#include "model/Output.h"
#include "support/TestSupport.h"

class TModelHome {
public:
  TModelHome();

  // Values as they stand in the files (text values with their quotes).
  std::map<std::string, std::string> Timer, Site, Opt;
  // Lines of the rerun file after its header; used when IOPT2 is 4.
  std::vector<std::string> RerunLines;

  // Writes the timer, site, run options and rerun files.
  void WriteInputs() const;
  // Writes the inputs and runs the model in this process from bin/.
  int Run(std::string& Log, std::vector<TRunResult>* Results = nullptr) const;
  // Writes the inputs and runs the built korval.exe from bin/.
  int RunExe(std::string& Log) const;

  std::string Path(const std::string& Rel) const { return FDir / Rel; }
  void Write(const std::string& Rel, const std::string& Text) const { FDir.Write(Rel, Text); }
  std::string Read(const std::string& Rel) const { return FDir.Read(Rel); }
  bool Exists(const std::string& Rel) const { return FDir.Exists(Rel); }

  static std::string WeatherYear(const std::string& Station, int Year, bool Dry, int Days = -1);

private:
  TTempDir FDir;
};

// The words of every line of a file, split at blanks.
std::vector<std::vector<std::string>> FileWords(const std::string& Path);
// The lines of a file as they stand.
std::vector<std::string> FileLines(const std::string& Path);
