#pragma once
// A program home for model tests in a fresh temporary directory: DIRECT.INI,
// a small crop file, two soils, a synthetic weather station (TST1., years
// 1988 to 1993, 1991 a dry year), a rainfall file, and the four input files
// the control centre writes, from editable key tables. With the sample data,
// the home is the project's data/ instead (crops, soils, stations NLD1.,
// EST1., STH1. 1971 to 2000, rainfall RAINN.DAT), the session spring barley
// on loam at NLD1. from 1980.

#include <map>
#include <string>
#include <vector>

#include "model/Output.h"
#include "support/TestSupport.h"

class TModelHome {
 public:
  enum TData { Fixture, SampleData };
  explicit TModelHome(TData Data = Fixture);

  // Values as they stand in the files (text values with their quotes).
  std::map<std::string, std::string> Timer, Site, Opt;
  // Lines of the rerun file after its header; used when IOPT2 is 4.
  std::vector<std::string> RerunLines;
  // Files written as given after the inputs (path below the home, bytes),
  // and files removed then.
  std::map<std::string, std::string> Replace;
  std::vector<std::string> Remove;

  // Writes the timer, site, run options and rerun files, then Replace.
  void WriteInputs() const;
  // Writes the inputs and runs the model in this process from bin/.
  int Run(std::string& Log, std::vector<TRunResult>* Results = nullptr) const;
  // Writes the inputs and runs the built korval.exe from bin/, after the
  // shell commands Before (a resource limit, say).
  int RunExe(std::string& Log, const std::string& Before = std::string()) const;

  std::string Path(const std::string& Rel) const { return FDir / Rel; }
  void Write(const std::string& Rel, const std::string& Text) const { FDir.Write(Rel, Text); }
  std::string Read(const std::string& Rel) const { return FDir.Read(Rel); }
  bool Exists(const std::string& Rel) const { return FDir.Exists(Rel); }
  // Names of the entries of a directory below the home, sorted.
  std::vector<std::string> List(const std::string& Rel) const;

  static std::string WeatherYear(const std::string& Station, int Year, bool Dry, int Days = -1);

 private:
  void MakeFixture();
  TTempDir FDir;
};

// The words of every line of a file, split at blanks.
std::vector<std::vector<std::string>> FileWords(const std::string& Path);
// The lines of a file as they stand.
std::vector<std::string> FileLines(const std::string& Path);
