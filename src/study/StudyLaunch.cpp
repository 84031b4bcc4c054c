#include "study/StudyLaunch.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <thread>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "platform/Shell.h"
#include "study/StudyCsv.h"

extern char** environ;
namespace fs = std::filesystem;

namespace {
std::string ThisHost() {
  char Name[256] = {};
  gethostname(Name, sizeof Name - 1);
  return Name;
}

pid_t Spawn(const std::vector<std::string>& Argv, posix_spawn_file_actions_t* Actions) {
  std::vector<char*> Args;
  for (const std::string& A : Argv) Args.push_back(const_cast<char*>(A.c_str()));
  Args.push_back(nullptr);
  pid_t Pid = 0;
  if (posix_spawnp(&Pid, Args[0], Actions, nullptr, Args.data(), environ) != 0) return -1;
  return Pid;
}

// Scratch homes named host-pid of this host whose process has gone.
void RemoveLeftScratch(const TStudy& Study) {
  std::error_code Ec;
  const std::string Prefix = ThisHost() + "-";
  for (fs::directory_iterator It(Study.ScratchDir(), Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (Name.compare(0, Prefix.size(), Prefix) != 0) continue;
    const int Pid = IntOrZero(Name.substr(Prefix.size()));
    if (Pid > 0 && !ProcessAlive(Pid)) fs::remove_all(It->path(), Ec);
  }
}

std::string Quoted(const std::string& S) {
  std::string R = "'";
  for (const char C : S) R += C == '\'' ? std::string("'\\''") : std::string(1, C);
  return R + "'";
}
}  // namespace

void ReadStudyJournal(const std::string& FileName, long& Offset, size_t& Done, size_t& Failed) {
  std::FILE* F = std::fopen(FileName.c_str(), "rb");
  if (!F) return;
  std::fseek(F, Offset, SEEK_SET);
  char Line[512];
  while (std::fgets(Line, sizeof Line, F)) {
    const size_t Len = std::strlen(Line);
    if (Len == 0 || Line[Len - 1] != '\n') break;  // a line still being written
    Offset += static_cast<long>(Len);
    const char* Tab = std::strchr(Line, '\t');
    if (Tab && std::strncmp(Tab + 1, "ok\t", 3) == 0)
      ++Done;
    else
      ++Failed;
  }
  std::fclose(F);
}

void EndStudyProcesses(const TStudy& Study) {
  std::error_code Ec;
  std::string Scratch = fs::weakly_canonical(Study.ScratchDir(), Ec).string();
  if (Ec || Scratch.empty()) return;
  if (Scratch.back() != '/') Scratch += '/';
  std::vector<int> Found;
  for (fs::directory_iterator It("/proc", Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (Name.empty() || Name[0] < '0' || Name[0] > '9') continue;
    const int Pid = std::atoi(Name.c_str());
    if (Pid == static_cast<int>(getpid())) continue;
    std::error_code LinkEc;
    const std::string Cwd = fs::read_symlink(It->path() / "cwd", LinkEc).string() + "/";
    if (!LinkEc && Cwd.compare(0, Scratch.size(), Scratch) == 0) Found.push_back(Pid);
  }
  for (const int P : Found) kill(P, SIGTERM);
  for (int Tries = 0; Tries < 100; ++Tries) {
    if (std::none_of(Found.begin(), Found.end(), ProcessAlive)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (const int P : Found)
    if (ProcessAlive(P)) kill(P, SIGKILL);
}

double StudyTimeLeft(size_t Finished, size_t Todo, double Seconds) {
  return Finished
             ? Seconds / static_cast<double>(Finished) * static_cast<double>(Todo - std::min(Finished, Todo))
             : 0;
}

int RunProgram(const std::vector<std::string>& Argv, std::string& Output, bool WithErrors) {
  Output.clear();
  int Pipe[2];
  if (pipe(Pipe) != 0) return 127;
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_adddup2(&Actions, Pipe[1], 1);
  if (WithErrors) posix_spawn_file_actions_adddup2(&Actions, Pipe[1], 2);
  posix_spawn_file_actions_addclose(&Actions, Pipe[0]);
  const pid_t Pid = Spawn(Argv, &Actions);
  posix_spawn_file_actions_destroy(&Actions);
  close(Pipe[1]);
  char Buf[4096];
  ssize_t N;
  while ((N = read(Pipe[0], Buf, sizeof Buf)) > 0 || (N < 0 && errno == EINTR))
    if (N > 0) Output.append(Buf, static_cast<size_t>(N));
  close(Pipe[0]);
  if (Pid < 0) return 127;
  int Status = 0;
  while (waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
  }
  if (WIFSIGNALED(Status)) return 128 + WTERMSIG(Status);
  return WEXITSTATUS(Status);
}

bool RunStudyLocal(const TStudy& Study, const std::string& Program, int Jobs,
                   const TStudyProgress& Progress) {
  RemoveLeftScratch(Study);
  long Offset = 0;
  {
    std::error_code Ec;
    const auto Size = fs::file_size(Study.JournalFile(), Ec);
    if (!Ec) Offset = static_cast<long>(Size);
  }
  // What the workers print is of no use here; errors still show. The models
  // they start read nothing from the terminal.
  posix_spawn_file_actions_t Quiet;
  posix_spawn_file_actions_init(&Quiet);
  posix_spawn_file_actions_addopen(&Quiet, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Quiet, 1, "/dev/null", O_WRONLY, 0);
  std::vector<pid_t> Workers;
  for (int i = 0; i < std::max(Jobs, 1); ++i) {
    const pid_t P = Spawn({Program, "worker", Study.Dir()}, &Quiet);
    if (P < 0) throw EKvError("Cannot start the worker " + Program);
    Workers.push_back(P);
  }
  posix_spawn_file_actions_destroy(&Quiet);
  const auto Start = std::chrono::steady_clock::now();
  size_t Done = 0, Failed = 0;
  bool GoOn = true;
  while (!Workers.empty()) {
    for (auto It = Workers.begin(); It != Workers.end();) {
      int Status = 0;
      if (waitpid(*It, &Status, WNOHANG) == *It)
        It = Workers.erase(It);
      else
        ++It;
    }
    ReadStudyJournal(Study.JournalFile(), Offset, Done, Failed);
    if (Progress && GoOn)
      GoOn = Progress(Done, Failed,
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count());
    if (!GoOn) {
      // The workers first, so that none takes another row; each ends its
      // model, and whatever still works in a scratch home goes after them.
      for (const pid_t P : Workers) kill(P, SIGTERM);
      EndStudyProcesses(Study);
      for (const pid_t P : Workers)
        while (waitpid(P, nullptr, 0) < 0 && errno == EINTR) {
        }
      return false;
    }
    // Progress every half second, and at once when a worker ends.
    if (!Workers.empty()) WaitForChildEnd(Workers, 500);
  }
  return true;
}

std::string SubmitStudy(const TStudy& Study, const std::string& Program, size_t Rows,
                        const TSlurmOptions& O) {
  const size_t Tasks =
      std::max<size_t>(1, std::min<size_t>(O.Tasks > 0 ? static_cast<size_t>(O.Tasks) : 1000, Rows));
  const std::string Dir = Study.Dir() + "slurm/";
  fs::create_directories(Dir);
  std::string Script = "#!/bin/sh\n";
  Script += "#SBATCH --job-name=krlstudy\n";
  Script += Format("#SBATCH --array=0-%zu\n", Tasks - 1);
  Script += "#SBATCH --output=" + Dir + "task-%A_%a.log\n";
  Script += "#SBATCH --chdir=" + Study.Dir() + "\n";
  if (!O.Partition.empty()) Script += "#SBATCH --partition=" + O.Partition + "\n";
  if (!O.TimePerTask.empty()) Script += "#SBATCH --time=" + O.TimePerTask + "\n";
  Script += "exec " + Quoted(Program) + " worker " + Quoted(Study.Dir()) +
            Format(" --slice \"$SLURM_ARRAY_TASK_ID\" --slices %zu\n", Tasks);
  WriteFileAtomically(Dir + "job.sh", Script);
  std::vector<std::string> Argv = {"sbatch", "--parsable"};
  if (O.Wait) Argv.push_back("--wait");
  Argv.insert(Argv.end(), O.Extra.begin(), O.Extra.end());
  Argv.push_back(Dir + "job.sh");
  std::string Out;
  const int Rc = RunProgram(Argv, Out);
  const std::string Id = TrimBlanks(Out.substr(0, Out.find_first_of(";\n")));
  if (!Id.empty()) WriteFileAtomically(Dir + "job", Id + "\n");
  if (Id.empty())
    throw EKvError(Rc == 127 ? "sbatch cannot be started: is Slurm installed here?"
                             : Format("sbatch failed (exit status %d)", Rc));
  return Id;
}

std::string StudyJobId(const TStudy& Study) {
  try {
    return TrimBlanks(ReadWholeFile(Study.Dir() + "slurm/job"));
  } catch (const EInOutError&) {
    return {};  // the study never went to Slurm
  }
}

std::string StudyJobState(const std::string& JobId) {
  if (JobId.empty()) return {};
  std::string Out;
  if (RunProgram({"squeue", "-h", "-r", "-j", JobId, "-o", "%T"}, Out) != 0) return {};
  std::map<std::string, int> States;
  size_t Pos = 0;
  while (Pos < Out.size()) {
    const size_t End = Out.find('\n', Pos);
    const std::string S = TrimBlanks(Out.substr(Pos, End - Pos));
    if (!S.empty()) ++States[S];
    Pos = End == std::string::npos ? Out.size() : End + 1;
  }
  std::string Text;
  for (const auto& [S, N] : States) Text += (Text.empty() ? "" : ", ") + S + " " + std::to_string(N);
  return Text;
}
