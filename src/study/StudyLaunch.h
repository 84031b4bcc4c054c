#pragma once
// Where the rows of a study run: a pool of worker processes on this machine,
// or one job array of a Slurm cluster whose tasks each run a slice of the
// rows. Either way a worker is the program itself, started as
//   krlstudy worker DIR [--slice K --slices N]
// and the study directory is the only thing the workers share.

#include <functional>
#include <string>
#include <vector>

#include "study/StudyRun.h"

// Starts Jobs workers on this machine (standard input /dev/null, standard
// output discarded) and waits until all have ended. Progress is called about
// twice a second and once at the end with the rows done and failed since the
// start; when it answers false the study stops: the workers and the models
// they run are ended (their rows stay without a result) and RunStudyLocal
// answers false. Scratch homes that workers on this machine left behind when
// they were killed are removed first.
using TStudyProgress = std::function<bool(size_t Done, size_t Failed, double Seconds)>;
bool RunStudyLocal(const TStudy& Study, const std::string& Program, int Jobs, const TStudyProgress& Progress);

// Reads the lines the workers added to the journal since Offset (a byte
// offset, moved past them): rows done and failed. A line still being written
// is left for the next look.
void ReadStudyJournal(const std::string& FileName, long& Offset, size_t& Done, size_t& Failed);

// The time left, estimated from the rows finished so far: Seconds for
// Finished rows, Todo rows in all; 0 before the first has finished.
double StudyTimeLeft(size_t Finished, size_t Todo, double Seconds);

// Ends every process of this machine that works in one of the study's
// scratch homes (the models that the workers started, also those a worker
// ended hard left behind): politely first, then for good after a second.
// Their rows are left without a result.
void EndStudyProcesses(const TStudy& Study);

struct TSlurmOptions {
  int Tasks = 0;                   // array tasks; 0: one per row, at most 1000
  std::string Partition;           // sbatch --partition, when given
  std::string TimePerTask;         // sbatch --time, when given
  std::vector<std::string> Extra;  // further sbatch options, as given
  bool Wait = false;               // sbatch --wait: return when the job has ended
};

// Writes the job script slurm/job.sh into the study directory and submits
// it with sbatch. Answers the job's id; EKvError with sbatch's own message
// when the submission fails.
std::string SubmitStudy(const TStudy& Study, const std::string& Program, size_t Rows,
                        const TSlurmOptions& Options);

// The study's Slurm job (its id, empty when it has none) and, while it is
// known to the cluster, the states of its tasks as squeue gives them
// ("RUNNING 3, PENDING 10"); empty when it has ended.
std::string StudyJobId(const TStudy& Study);
std::string StudyJobState(const std::string& JobId);

// Runs Argv (no shell) and answers its exit status (127 when it could not be
// started, 128 + the signal when one ended it); its standard output, and
// with WithErrors its standard error too, goes to Output.
int RunProgram(const std::vector<std::string>& Argv, std::string& Output, bool WithErrors = false);
