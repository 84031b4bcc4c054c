#pragma once
// The whole model run: reads DIRECT.INI in the current directory, the run
// options and the session's input files, simulates every run and year, and
// writes the output files. Progress and errors go to Log; an error is a line
// holding the word ERROR with the file (and line) and key, explanation lines
// and a line starting with "Press".
//
// Reading and checking every input comes first (ReadModelInputs); an error
// there leaves no output. The yearly weather files are read while the runs are
// simulated: when a season needs a year that has no file, the seasons finished
// before it are kept in the detailed output. The output files are written
// under temporary names and put in place only when all of them are written.

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/Crop.h"
#include "model/ModelInput.h"
#include "model/Output.h"
#include "model/Season.h"
#include "model/SoilWater.h"
#include "model/Weather.h"

// The run options file ("runopt.dat"); file names as the model opens them.
struct TRunOptions {
  int IOPT2 = 0, IPRODL = 2, IOXWL = 0, RQUIRD = 0;
  std::string TimerFile, SiteFile, RerunFile, OutFile, FixName;
};

// One run, the session itself or one of its reruns, with every value read
// and checked.
struct TRunSetup {
  std::string Name;
  int Set = 1;
  std::string Station;  // CLFILE: the stem of the yearly weather files
  int ISYR = 0, INYEAR = 1, IRNDAT = 3, ISYRR = 0, INYRG = 1;
  std::shared_ptr<const TRainFile> Rain;  // rainfall option 2
  TSeasonSettings Season;
  TCropParams Crop;
  TSoilParams Soil;
  TSiteParams Site;
  std::string CropFile, SoilFile, RainFileKey;
  // Names for the headers where the data files name none: from the timer
  // file, else a stand-in (the weather's from its yearly files comes first).
  std::string CropName, SoilName, WeatherName, RainName;
  // Simulated years: the larger of the weather and the rain years.
  int Years() const { return std::max(INYEAR, IRNDAT == 2 ? INYRG : 1); }
};

struct TModelInputs {
  TDirectories Dirs;
  TRunOptions Options;
  TOutputOptions Output;
  std::vector<TRunSetup> Runs;
};

// Reads and checks every input of a model run in the program home whose
// program directory is BinDir (empty: the current directory): DIRECT.INI, the
// run options, the timer, site and rerun files, the crop, soil and rainfall
// files. The yearly weather files are not read here. BinDir is the current
// directory while the files are read (the names in them are relative to it)
// and the one before is restored afterwards. EModelError on bad input, naming
// the file, and the line where the fault lies in one.
TModelInputs ReadModelInputs(const std::string& BinDir = std::string());

// 0 on success, 1 after an error. Results, when given, receives what was
// simulated.
int RunModel(std::ostream& Log, std::vector<TRunResult>* Results = nullptr);
