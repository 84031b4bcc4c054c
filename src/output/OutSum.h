#pragma once
// Reader of the model's three summary files, named after the detailed output
// file: the potential-production summary (.pps) and the water-limited
// summary (.wps), each with one table of year rows and three statistics rows
// per run, and the long-term summary (.sum) with one table.
//
// Values stay the texts the model wrote; table values are kept right-aligned
// in 8 characters and cut to 16, as the detailed reader keeps them.

#include <string>

#include "foundations/StrList.h"
#include "output/OutLine.h"

class TDxTextFile;

// One run of a summary file. Only the first run of a file has the header
// texts: the model writes the header once per file.
class TPotentialOutputSum {
 public:
  virtual ~TPotentialOutputSum() = default;

  // Empties the ten texts, the year rows and the three summary lines.
  virtual void Clear();
  // ReadHeader, ReadYears, ReadSummary.
  virtual void ReadData(TDxTextFile& OutFile);
  virtual void ReadHeader(TDxTextFile& OutFile);
  // The year rows from the next line whose first word is an integer on.
  virtual void ReadYears(TDxTextFile& OutFile);
  // The statistics after the "**" line that ended the year rows.
  virtual void ReadSummary(TDxTextFile& OutFile);

  std::string RunName;
  std::string WeatherName;
  std::string WeatherFile;
  std::string RainName;
  std::string RainFile;
  std::string CropName;
  std::string CropFile;
  std::string SoilName;
  std::string SoilFile;
  std::string Groundwater;
  // The year rows in file order; an entry's text is the row's first word.
  TObjList<TOutputLine> Years;
  // The number of distinct first words among the year rows.
  int FNrOfYears = 0;
  // 0: means, 1: standard deviations, 2: variation coefficients.
  TOutputLine Summary[3];
};

// One run of the water-limited summary file, whose statistics rows follow the
// year rows after a blank line, up to the next run's "**KORVAL" line.
class TWaterLimitedOutputSum : public TPotentialOutputSum {
 public:
  void ReadData(TDxTextFile& OutFile) override;
  void ReadSummary(TDxTextFile& OutFile) override;
};

// The long-term summary table.
class TOutputSum {
 public:
  virtual ~TOutputSum() = default;
  // Fills Years from the summary file named after the detailed output file
  // OutFileName. A file that cannot be opened leaves Years empty; a row of
  // more than 25 values fails with ERangeError.
  void ReadRunsYears(const std::string& OutFileName);
  void Clear() { Years.Clear(); }

  // The table rows in file order; an entry's text is the row's first word.
  TObjList<TOutputLine> Years;
};

class TSummaryOutput {
 public:
  TSummaryOutput() = default;
  TSummaryOutput(const TSummaryOutput&) = delete;
  TSummaryOutput& operator=(const TSummaryOutput&) = delete;

  // Reads the three summary files named after the detailed output file.
  // Never fails for a missing or unreadable .pps or .wps file.
  void ReadOutputFiles(const std::string& OutputFile);
  // Fill their list; any error leaves it empty and is not reported.
  void ReadRunsPotential(const std::string& OutputFile);
  void ReadRunsWater(const std::string& OutputFile);

  TObjList<TPotentialOutputSum> PotentialOutputList;
  TObjList<TWaterLimitedOutputSum> WaterLimitedOutputList;
  TOutputSum Summary;
};

// The name of a summary file: OutputFile without its last three characters,
// followed by Ext ("pps", "wps" or "sum").
std::string SummaryFileName(const std::string& OutputFile, const std::string& Ext);
