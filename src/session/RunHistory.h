#pragma once
// Every run is kept: its input files, its output files (also the partial
// ones of a failed or stopped run, before the failed run's working output is
// removed), its log and its outcome, in a folder of its own below the output
// directory (runs\NNNNNN\). The working files stay where the result windows
// expect them. The oldest runs go first when the kept runs outgrow a limit,
// never the latest successful one.

#include <cstdint>
#include <string>
#include <vector>

class TKvFileManager;

struct TRunRecord {
  std::string Folder;   // on the file system, with a trailing '/'
  int Number = 0;       // 1, 2, ... in the order of the runs
  std::string Time;     // when it was kept
  std::string Outcome;  // "successful", "model error", ...
  std::string Session;  // the session's name
  std::uintmax_t Bytes = 0;
};

class TRunHistory {
 public:
  explicit TRunHistory(const TKvFileManager& Fm);

  // The folder of the kept runs.
  const std::string& Dir() const { return FDir; }
  // Keeps the working files of the run that has just ended; the record's
  // outcome is set by SetOutcome once it is judged. Failures to keep a run
  // never stop the program: they give an empty record.
  TRunRecord Keep();
  void SetOutcome(const TRunRecord& Run, const std::string& Outcome);
  // The kept runs, oldest first.
  std::vector<TRunRecord> Runs() const;
  // Removes a kept run's folder; EKvError when it cannot.
  void Delete(const TRunRecord& Run);
  // The run's input files become the working session's files, all or
  // nothing; EKvError when the run lacks one, EInOutError when one cannot be
  // copied (the working files then stay as they were). The caller reads the
  // session again.
  void Restore(const TRunRecord& Run);
  // Removes the oldest runs until the rest take at most Limit bytes; the
  // latest successful run stays whatever its size.
  void Prune(std::uintmax_t Limit);

  static constexpr std::uintmax_t DefaultLimit = 1024ull * 1024 * 1024;

 private:
  const TKvFileManager& FFm;
  std::string FDir;
};
