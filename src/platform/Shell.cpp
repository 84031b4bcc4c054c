#include "platform/Shell.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "foundations/TextCase.h"
#include "platform/FileSys.h"

namespace {
bool& WindowlessFlag() {
  static bool Flag = false;
  return Flag;
}

int CodeFromErrno(int E) {
  switch (E) {
    case ENOENT: return ShellCode::FileNotFound;
    case ENOTDIR: return ShellCode::PathNotFound;
    case EACCES:
    case EPERM: return ShellCode::AccessDenied;
    case ENOEXEC: return ShellCode::NoAssociation;
    default: return ShellCode::AccessDenied;
  }
}

// Splits a parameter text into words on blanks; double quotes group.
std::vector<std::string> SplitParams(const std::string& Params) {
  std::vector<std::string> Out;
  std::string Cur;
  bool InQuote = false, Have = false;
  for (char C : Params) {
    if (C == '"') {
      InQuote = !InQuote;
      Have = true;
    } else if (C == ' ' && !InQuote) {
      if (Have) Out.push_back(Cur);
      Cur.clear();
      Have = false;
    } else {
      Cur += C;
      Have = true;
    }
  }
  if (Have) Out.push_back(Cur);
  return Out;
}

bool IsExecutableFile(const std::string& Path) {
  struct stat St;
  return stat(Path.c_str(), &St) == 0 && S_ISREG(St.st_mode) && access(Path.c_str(), X_OK) == 0;
}
}  // namespace

void SetShellWindowless(bool Windowless) { WindowlessFlag() = Windowless; }
bool ShellWindowless() { return WindowlessFlag(); }

std::string FindOnPath(const std::string& Program) {
  if (Program.find('/') != std::string::npos) return IsExecutableFile(Program) ? Program : std::string();
  const char* Path = std::getenv("PATH");
  if (!Path) return {};
  std::string P = Path;
  size_t i = 0;
  while (i <= P.size()) {
    size_t j = P.find(':', i);
    if (j == std::string::npos) j = P.size();
    std::string Dir = P.substr(i, j - i);
    if (Dir.empty()) Dir = ".";
    const std::string Full = Dir + "/" + Program;
    if (IsExecutableFile(Full)) return Full;
    i = j + 1;
  }
  return {};
}

std::string BatchInterpreter() {
  const std::string Beside = ExtractFilePath(GetExecFileName()) + "krlcmd";
  if (IsExecutableFile(Beside)) return Beside;
  const std::string Home = GetExecPath() + "krlcmd";
  if (IsExecutableFile(Home)) return Home;
  return FindOnPath("krlcmd");
}

std::vector<std::string> TerminalCommand(const std::string& Program, const std::vector<std::string>& Args) {
  const char* Display = std::getenv("DISPLAY");
  const char* Wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!Display || !*Display) && (!Wayland || !*Wayland)) return {};
  struct TTerm {
    const char* Name;
    const char* Sep;
  };
  static const TTerm Terms[] = {{"xterm", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"}};
  for (const TTerm& T : Terms) {
    const std::string Path = FindOnPath(T.Name);
    if (Path.empty()) continue;
    std::vector<std::string> Cmd{Path, T.Sep, Program};
    Cmd.insert(Cmd.end(), Args.begin(), Args.end());
    return Cmd;
  }
  return {};
}

int& LastPid() {
  static int Pid = 0;
  return Pid;
}

int TakeStartedProcess() {
  const int Pid = LastPid();
  LastPid() = 0;
  return Pid;
}

bool WaitForChildEnd(const std::vector<int>& Pids, int TimeoutMs) {
  std::vector<pollfd> Fds;
#ifdef SYS_pidfd_open
  // A descriptor of each process becomes readable when it ends.
  for (const int Pid : Pids) {
    const int Fd = static_cast<int>(syscall(SYS_pidfd_open, Pid, 0));
    if (Fd < 0) break;
    Fds.push_back({Fd, POLLIN, 0});
  }
#endif
  if (!Pids.empty() && Fds.size() == Pids.size()) {
    int N;
    do N = poll(Fds.data(), Fds.size(), TimeoutMs);
    while (N < 0 && errno == EINTR);
    for (const pollfd& P : Fds) close(P.fd);
    return N > 0;
  }
  for (const pollfd& P : Fds) close(P.fd);
  // Without process descriptors: looked at in short steps.
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
  for (int Pause = 1;; Pause = std::min(Pause * 2, 10)) {
    for (const int Pid : Pids) {
      siginfo_t Info{};
      if (waitid(P_PID, static_cast<id_t>(Pid), &Info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
          Info.si_pid == Pid)
        return true;
    }
    if (std::chrono::steady_clock::now() >= Deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(Pause));
  }
}

bool ProcessAlive(int Pid) {
  if (Pid <= 0) return false;
  if (kill(Pid, 0) != 0) return errno == EPERM;
  // A process that has ended but is not yet reaped is not alive.
  char Path[64];
  std::snprintf(Path, sizeof Path, "/proc/%d/stat", Pid);
  std::FILE* F = std::fopen(Path, "r");
  if (!F) return true;
  int P;
  char State = 0;
  char Comm[256];
  const int N = std::fscanf(F, "%d (%255[^)]) %c", &P, Comm, &State);
  std::fclose(F);
  return !(N == 3 && State == 'Z');
}

int SpawnDetached(const std::vector<std::string>& Argv, const std::string& Dir, bool StdinNull, int* Pid) {
  if (Pid) *Pid = 0;
  if (Argv.empty()) return ShellCode::FileNotFound;
  int Pipe[2];
  if (pipe2(Pipe, O_CLOEXEC) != 0) return ShellCode::AccessDenied;
  std::vector<char*> Args;
  for (const std::string& A : Argv) Args.push_back(const_cast<char*>(A.c_str()));
  Args.push_back(nullptr);
  const pid_t Child = fork();
  if (Child < 0) {
    close(Pipe[0]);
    close(Pipe[1]);
    return ShellCode::AccessDenied;
  }
  if (Child == 0) {
    // The child starts the program in a grandchild and leaves at once, so
    // the program is never a zombie of ours; the pipe reports exec failures.
    setsid();
    const pid_t Grand = fork();
    if (Grand != 0) _exit(Grand < 0 ? 1 : 0);
    // The program's own process reports its id first, then an exec failure.
    const int Self = static_cast<int>(getpid());
    if (write(Pipe[1], &Self, sizeof Self) < 0) {
    }
    int Err = 0;
    if (!Dir.empty() && chdir(Dir.c_str()) != 0) {
      Err = errno == ENOENT ? ENOTDIR : errno;
      if (write(Pipe[1], &Err, sizeof Err) < 0) {
      }
      _exit(127);
    }
    if (StdinNull) {
      const int Null = open("/dev/null", O_RDONLY);
      if (Null >= 0) {
        dup2(Null, 0);
        close(Null);
      }
    }
    if (Argv[0].find('/') != std::string::npos)
      execv(Args[0], Args.data());
    else
      execvp(Args[0], Args.data());
    Err = errno;
    if (write(Pipe[1], &Err, sizeof Err) < 0) {
    }
    _exit(127);
  }
  close(Pipe[1]);
  int Status = 0;
  while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
  }
  int Report[2] = {0, 0};
  size_t Got = 0;
  while (Got < sizeof Report) {
    const ssize_t N = read(Pipe[0], reinterpret_cast<char*>(Report) + Got, sizeof Report - Got);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) break;
    Got += static_cast<size_t>(N);
  }
  close(Pipe[0]);
  if (Got == sizeof Report) return CodeFromErrno(Report[1]);
  if (Got < sizeof(int) || (WIFEXITED(Status) && WEXITSTATUS(Status) != 0)) return ShellCode::AccessDenied;
  if (Pid) *Pid = Report[0];
  return ShellCode::Ok;
}

TLoggedStart StartWithLog(const std::string& Program, const std::string& Log, int& Pid,
                          std::string& Message) {
  Pid = -1;
  Message.clear();
  if (!FileExists(Program)) {
    Message = "'" + Program + "' is not recognized as a program.";
    return TLoggedStart::NoProgram;
  }
  const std::string Real = MapFileName(Program);
  const std::string Path = Real.find('/') == std::string::npos ? "./" + Real : Real;
  const int Out = open(MapFileName(Log).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (Out < 0) {
    Message = "The log '" + Log + "' cannot be written: " + std::strerror(errno);
    return TLoggedStart::NoLog;
  }
  // Spawned rather than forked: the child shares the caller's memory until
  // its exec, so a caller with a large heap starts it as fast as a small one,
  // and a failed exec comes back as the call's own error.
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_adddup2(&Actions, Out, STDOUT_FILENO);
  char* Argv[] = {const_cast<char*>(Path.c_str()), nullptr};
  pid_t Child = -1;
  const int Err = posix_spawn(&Child, Path.c_str(), &Actions, nullptr, Argv, environ);
  posix_spawn_file_actions_destroy(&Actions);
  close(Out);
  if (Err != 0) {
    Message = "'" + Program + "' cannot be started: " + std::strerror(Err);
    return TLoggedStart::NotStarted;
  }
  Pid = Child;
  return TLoggedStart::Started;
}

int PosixShellExecute(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                      int /*ShowCmd*/) {
  std::string Dir;
  if (!DefaultDir.empty()) {
    if (!DirectoryExists(DefaultDir)) return ShellCode::PathNotFound;
    Dir = MapFileName(DefaultDir);
  }
  const std::string FileDir = ExtractFileDir(FileName);
  if (!FileDir.empty() && !DirectoryExists(FileDir)) return ShellCode::PathNotFound;
  if (!FileExists(FileName)) return ShellCode::FileNotFound;
  // A relative name is relative to the current directory, not to Dir.
  const std::string Real = ExpandFileName(FileName);
  std::vector<std::string> Args = SplitParams(Params);

  if (SameText(ExtractFileExt(FileName), ".bat")) {
    const std::string Interp = BatchInterpreter();
    if (Interp.empty()) return ShellCode::NoAssociation;
    std::vector<std::string> InterpArgs{Real};
    InterpArgs.insert(InterpArgs.end(), Args.begin(), Args.end());
    int Pid = 0;
    int Code;
    if (!ShellWindowless()) {
      std::vector<std::string> Term = TerminalCommand(Interp, InterpArgs);
      if (!Term.empty()) {
        Code = SpawnDetached(Term, Dir, false, &Pid);
        // gnome-terminal hands the window to its server and returns at once.
        if (Code > 32) LastPid() = ExtractFileName(Term[0]) == "gnome-terminal" ? 0 : Pid;
        return Code;
      }
    }
    std::vector<std::string> Cmd{Interp};
    Cmd.insert(Cmd.end(), InterpArgs.begin(), InterpArgs.end());
    Code = SpawnDetached(Cmd, Dir, true, &Pid);
    if (Code > 32) LastPid() = Pid;
    return Code;
  }
  if (IsExecutableFile(Real)) {
    std::vector<std::string> Cmd{Real};
    Cmd.insert(Cmd.end(), Args.begin(), Args.end());
    int Pid = 0;
    const int Code = SpawnDetached(Cmd, Dir, true, &Pid);
    if (Code > 32) LastPid() = Pid;
    return Code;
  }
  return PosixOpenDocument(FileName);
}

namespace {
// Hands Target to the desktop's opener and waits a few seconds for its
// verdict: an opener that ends with a failure (no application for the kind
// of file, or one that could not start) is a failure the user is told of; one
// that ends well or still runs (it waits for the application) is a success.
// An opener still running is reaped when it ends.
int RunOpener(const std::string& Opener, const std::string& Target) {
  const pid_t Pid = fork();
  if (Pid < 0) return ShellCode::AccessDenied;
  if (Pid == 0) {
    setsid();
    const int Null = open("/dev/null", O_RDWR);
    if (Null >= 0) {
      dup2(Null, 0);
      dup2(Null, 1);
      dup2(Null, 2);
    }
    execl(Opener.c_str(), Opener.c_str(), Target.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  for (int Waited = 0; Waited < 300; ++Waited) {
    int Status = 0;
    const pid_t Done = waitpid(Pid, &Status, WNOHANG);
    if (Done == Pid)
      return WIFEXITED(Status) && WEXITSTATUS(Status) == 0 ? ShellCode::Ok : ShellCode::NoAssociation;
    if (Done < 0 && errno != EINTR) return ShellCode::Ok;
    usleep(10 * 1000);
  }
  std::thread([Pid] { waitpid(Pid, nullptr, 0); }).detach();
  return ShellCode::Ok;
}
}  // namespace

int PosixOpenDocument(const std::string& FileName) {
  const bool IsAddress = FileName.find("://") != std::string::npos;
  std::string Target = FileName;
  if (!IsAddress) {
    if (!FileExists(FileName) && !DirectoryExists(FileName)) return ShellCode::FileNotFound;
    Target = ExpandFileName(FileName);
  }
  const std::string Opener = FindOnPath("xdg-open");
  if (Opener.empty()) return ShellCode::NoAssociation;
  return RunOpener(Opener, Target);
}
