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

// Starts Jobs workers on this machine and waits until all have ended.
// Progress is called about twice a second and once at the end with the rows
// done and failed since the start. Scratch homes that workers on this
// machine left behind when they were killed are removed first.
using TStudyProgress = std::function<void(size_t Done, size_t Failed, double Seconds)>;
void RunStudyLocal(const TStudy& Study, const std::string& Program, int Jobs, const TStudyProgress& Progress);

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
