#pragma once
// Measured data beside the simulation.
//
// An observation file is a CSV file of one measurement a line, with a header
// line naming its columns (letter case ignored, any order): RUNNAM (optional;
// empty = every run), YEAR and DAY (day of year) or DATE (YYYY-MM-DD), VAR,
// VALUE and, optionally, SD. Blank lines and lines starting with '#' are
// skipped. VAR is a column of the model's daily tables (WSO, LAI, SM, ...)
// or a season result of the summary files (TWSO, HALT, ...). A line that
// cannot be used is reported with its number and the reason; the other lines
// are used. The program only ever reads the file.
//
// Matching pairs each observation with the simulated value of the same run,
// year and day: a daily observation with the row of that day in a daily
// table of the detailed output, a season result with the row of that year in
// a summary file. Runs are told apart by their names. Where a run has both a
// potential and a water-limited table, the water-limited one counts. An observation without a simulated
// value on its very day is unmatched; nothing is interpolated.

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

// ---------------------------------------------------------------- variables

// The variable's name as the output files spell it when Var (letter case
// ignored) is a daily table column; else empty.
std::string DailyVariable(const std::string& Var);
// The same for a season result of the summary files.
std::string SeasonVariable(const std::string& Var);

// ---------------------------------------------------------------- the file

struct TObservation {
  std::string RunName;  // empty: every run
  int Year = 0;
  int Day = 0;          // day of year; 0 for a season result given without a day
  std::string Var;      // as the output files spell it
  bool Season = false;  // a season result (summary files), else a daily value
  double Value = 0;
  std::optional<double> SD;
  int LineNo = 0;  // in the file, from 1
};

struct TObservationProblem {
  int LineNo = 0;
  std::string Reason;
};

class TObservationFile {
 public:
  // Reads FileName. A file that cannot be opened or read fails with the
  // file reader's error; a header without the VAR and VALUE columns, or
  // without YEAR and DAY or DATE, fails with EKvError. Bad lines go to
  // Problems.
  void Read(const std::string& FileName);
  void Clear();

  std::string FileName;
  std::vector<TObservation> Observations;
  std::vector<TObservationProblem> Problems;
};

// "line N: reason".
std::string ProblemText(const TObservationProblem& Problem);

// The observation file of the working session, kept in a companion file of
// the session's own (the model's input files stay as they are), so that
// saving and opening a session carry it. Empty when the session has none.
class TKvFileManager;
std::string SessionObservationFile(const TKvFileManager& Files);
// An empty name removes the companion file.
void SetSessionObservationFile(const TKvFileManager& Files, const std::string& ObsFile);

// ---------------------------------------------------------------- simulation

// The simulated values that observations ask for, by run, year and day.
class TSimulatedValues {
 public:
  struct TValue {
    std::string RunName;  // as the output file spells it
    int Run = 0;          // the run's number, from 0, in the order the names first appear
    double Value = 0;
  };

  // Reads the variables Vars (spelt as the output files spell them) from the
  // detailed output file OutFile and the season results from the summary
  // files named after it (.wps, .pps; either may be missing). A detailed
  // output that cannot be read fails with the file reader's error.
  // Days: only the daily values of these days (see DayKey in the source);
  // nullptr: every day.
  void Read(const std::string& OutFile, const std::set<std::string>& Vars,
            const std::unordered_set<int>* Days = nullptr);
  // Every observation's variable, and of the daily values only those of
  // the observations' days.
  void Read(const std::string& OutFile, const std::vector<TObservation>& Observations);
  void Clear();

  // The values of that run (letter case ignored; empty = every run), year,
  // day (0 for a season result) and variable, in the order of the runs.
  std::vector<TValue> Find(const std::string& RunName, int Year, int Day, const std::string& Var,
                           bool Season) const;
  // Adds a value (what reading does for every value it keeps).
  void Add(const std::string& RunName, int Run, int Year, int Day, const std::string& Var, bool Season,
           double Value);
  size_t Count() const { return FCount; }

 private:
  using TKey = std::tuple<int, int, std::string>;  // year, day (0: season), variable
  std::map<TKey, std::vector<TValue>> FValues;
  size_t FCount = 0;
};

// ---------------------------------------------------------------- pairs

struct TObsPair {
  TObservation Obs;
  std::string RunName;  // the simulated run
  int Run = 0;
  double Simulated = 0;
};

struct TMatchResult {
  std::vector<TObsPair> Pairs;
  std::vector<TObservation> Unmatched;
};

TMatchResult MatchObservations(const std::vector<TObservation>& Observations, const TSimulatedValues& Sim);

// "line N: RUN YEAR day D VAR: no simulated value" (or "every run", "season").
std::string UnmatchedText(const TObservation& Obs);

// The measured season results beside one row of a summary table whose
// column names are Columns (the year first, RUNNAM second): "measured" under
// RUNNAM, the year under the year, and each measured value under its
// variable (the first observation of it for that run and year). Empty when
// the run and year have none.
std::vector<std::string> MeasuredSeasonRow(const std::vector<TObservation>& Observations,
                                           const std::vector<std::string>& Columns,
                                           const std::string& RunName, int Year);

// ---------------------------------------------------------------- statistics

// The statistics of fit of one variable over all its pairs. A figure that is
// not defined for the pairs (no pairs; relative RMSE with an observed mean of
// 0; EF and d with fewer than two pairs or all observations equal) is empty.
struct TFitStatistics {
  std::string Var;
  int N = 0;
  std::optional<double> MeanObserved;
  std::optional<double> MeanSimulated;
  std::optional<double> MeanBias;  // simulated - observed
  std::optional<double> Rmse;
  std::optional<double> RelativeRmse;  // % of the observed mean
  std::optional<double> EF;            // modelling efficiency (Nash-Sutcliffe)
  std::optional<double> D;             // Willmott's index of agreement
};

TFitStatistics FitStatistics(const std::vector<double>& Observed, const std::vector<double>& Simulated);
// One entry per variable, in the order the variables first appear.
std::vector<TFitStatistics> EvaluatePairs(const std::vector<TObsPair>& Pairs);

// The figure with Decimals decimals, or "undefined".
std::string StatText(const std::optional<double>& Value, int Decimals);

// The column captions of the evaluation table, and one variable's row.
std::vector<std::string> EvaluationCaptions();
std::vector<std::string> EvaluationRow(const TFitStatistics& Stats);

// ---------------------------------------------------------------- evaluation

// An observation file evaluated against a detailed output and its summaries.
struct TEvaluation {
  TObservationFile File;
  TMatchResult Match;
  std::vector<TFitStatistics> Stats;
  // The bad lines and the unmatched observations, by line number.
  std::vector<std::string> Notes() const;
};

// Reads both and evaluates; the readers' errors pass.
TEvaluation EvaluateObservations(const std::string& ObsFile, const std::string& OutFile);
