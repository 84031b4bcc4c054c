#pragma once
// Running a study: the study directory, the rows run one by one by worker
// processes, each in a scratch program home of its own, and the results
// gathered in the table's row order.
//
// The study directory (on a shared file system when a cluster runs it):
//   study.ini        where the programs and the shared data are, the time-out
//   table.csv        the checked table, as given
//   base/            the base session's four input files
//   rows/NNNNNN.res  one row's outcome and result lines, written at once
//   rows/NNNNNN.lock held by the worker that runs the row
//   journal.log      one line per row run to its end (row, status, seconds)
//   scratch/         the workers' scratch program homes
//   results.csv, results.xlsx, status.csv   gathered by Collect
//
// A row is done when its result file says ok. Running the study again runs
// only the rows that are not done; a row is run by one worker at a time
// (its lock), and its result file appears whole or not at all.

#include <string>
#include <vector>

#include "study/StudyTable.h"

class TKvFileManager;

struct TStudySettings {
  std::string ProgramDir;  // the program directory: korval.exe, KRL_VAR.csv
  std::string CropDir, SoilDir, ClimateDir, WeatherDir, RepairedDir;  // shared data, absolute
  int TimeoutSeconds = 600;                                           // per row
};

enum class TRowState { NotRun, Ok, Failed };

struct TRowOutcome {
  TRowState State = TRowState::NotRun;
  double Seconds = 0;
  std::string Error;                     // the model's error line, or why the row did not run
  std::vector<std::string> ResultLines;  // run, year and the season results, as CSV records
};

class TStudy {
 public:
  explicit TStudy(const std::string& Dir);
  const std::string& Dir() const { return FDir; }  // absolute, ending in '/'

  std::string SettingsFile() const { return FDir + "study.ini"; }
  std::string TableFile() const { return FDir + "table.csv"; }
  std::string BaseDir() const { return FDir + "base/"; }
  std::string RowFile(size_t Row) const;  // 0-based row
  std::string LockFile(size_t Row) const;
  std::string JournalFile() const { return FDir + "journal.log"; }
  std::string ScratchDir() const { return FDir + "scratch/"; }

  TStudySettings LoadSettings() const;
  void SaveSettings(const TStudySettings& Settings) const;
  TStudyTable LoadTable() const;
  // The row's outcome from its result file; NotRun when there is none.
  TRowOutcome LoadOutcome(size_t Row) const;
  // The state alone, as LoadOutcome gives it, from the start of the file.
  TRowState LoadState(size_t Row) const;
  // Whether a worker holds the row's lock now.
  bool RowRunning(size_t Row) const;

 private:
  std::string FDir;
};

// The files of a session in the run exchange directory of Fm: the working
// session ("KRL" or empty) or a saved one. EKvError when one is missing.
std::vector<std::string> SessionFiles(const TKvFileManager& Fm, const std::string& SessionName);

// Makes the study directory (or finds it again): the settings and the base
// session's files. A directory that holds another table is refused with
// EKvError. The table itself is written by AcceptStudyTable once it has
// passed its check; AbandonStudy removes what PrepareStudy made when it did
// not.
enum class TStudyStart { NewDirectory, InDirectory, Resumed };
TStudyStart PrepareStudy(const TStudy& Study, const std::string& TableText, const TStudySettings& Settings,
                         const std::vector<std::string>& BaseFiles);
void AcceptStudyTable(const TStudy& Study, const std::string& TableText);
void AbandonStudy(const TStudy& Study, TStudyStart Start);

// A scratch program home below the study for one process: bin/ with the
// directory settings and links to the model and the variable catalogue, its own run and output
// directories, links to the shared data. Answers its bin/ directory.
std::string MakeScratchHome(const TStudy& Study, const TStudySettings& Settings, const std::string& Name);

// The base session of the study, read in the scratch home whose bin/ is
// Bin, with the data catalogue built from it (once per process), for
// checking the table. TheSession is the answer afterwards.
class TKvSession;
TKvSession& OpenBaseSession(const TStudy& Study, const std::string& Bin);

// Worker mode: runs every row of the slice (row index mod Slices == Slice;
// Slices 1 for all rows) that is not done and not run by another worker,
// each under its lock, writing its result file and journal line. The base
// session is read once; each row's values go onto it, its input files into
// the worker's scratch home, and the model is started there directly, as
// the run script starts it (no script, no kept run). The model runs in the
// worker's process group, and a worker ended by SIGTERM, SIGINT or SIGHUP
// ends its model first. Answers the number of rows it ran.
int RunStudyWorker(const TStudy& Study, int Slice, int Slices);

// The columns of results.csv after the row's number, ID and values.
const std::vector<std::string>& ResultColumns();

struct TStudyCounts {
  size_t Ok = 0, Failed = 0, NotRun = 0, Running = 0;
};
TStudyCounts CountStudy(const TStudy& Study, const TStudyTable& Table);

// Writes results.csv, results.xlsx and status.csv in the table's row order.
// Answers the counts.
TStudyCounts CollectStudy(const TStudy& Study, const TStudyTable& Table);
