#pragma once
// What a kept run was and how two kept runs differ: a short summary of each
// run, the inputs that differ field by field in the words of the main
// window, and the season results of both runs per year side by side.
// Everything is read from the run's own folder (see session/RunHistory.h).

#include <string>
#include <vector>

#include "session/RunHistory.h"

class TKvFileManager;

// The lines of a kept file, without their line ends; none when it is gone.
std::vector<std::string> LinesOf(const std::string& File);

// What a kept run was, in short; texts as the run's files give them, "" when
// a file did not say. The yields are the means over the years of the
// summary files, averaged over the reruns.
struct TRunSummary {
  std::string Crop;     // crop file
  std::string Soil;     // soil file
  std::string Station;  // weather station file
  std::string FirstYear;
  std::string Years;
  std::string Reruns;          // the number of reruns in the rerun file
  std::string PotentialYield;  // kg/ha, potential production
  std::string WaterYield;      // kg/ha, water-limited production
};

// Reads the summary of a kept run from its input and summary output files.
// Files that are missing leave their parts empty.
TRunSummary ReadRunSummary(const TKvFileManager& Fm, const std::string& Folder);

// The summary of a kept run: read from its files once and then kept beside
// them in summary.txt, so that a long history opens fast. A summary that
// cannot be kept is read again next time.
TRunSummary RunSummary(const TKvFileManager& Fm, const TRunRecord& Run);

// "Run 12, 10-12-2026 14:18:34": how the windows name a kept run.
std::string RunTitle(const TRunRecord& Run);

// One input that differs: the page and caption of its field (for the rerun
// table "Reruns" and the line), the keyword, and the value in each run
// ("" when the run lacks it).
struct TInputDifference {
  std::string Page;
  std::string Caption;
  std::string Keyword;
  std::string ValueA;
  std::string ValueB;
};

// The inputs in which B differs from A: every field a page shows (data files
// included), in the order of the field table, then the rerun table line by
// line.
std::vector<TInputDifference> CompareRunInputs(const TKvFileManager& Fm, const TRunRecord& A,
                                               const TRunRecord& B);

// A table of texts, first the column captions.
struct TTextTable {
  std::vector<std::string> Columns;
  std::vector<std::vector<std::string>> Rows;
};

// The season results per production level, rerun and year of both runs
// with the difference B - A of each result: rows in the order of run A,
// then the rows only run B has. A result only one run has gives no
// difference.
TTextTable CompareRunResults(const TKvFileManager& Fm, const TRunRecord& A, const TRunRecord& B);

// The differences as a table: page, field, keyword, run A, run B.
TTextTable InputDifferenceTable(const std::vector<TInputDifference>& Differences);
