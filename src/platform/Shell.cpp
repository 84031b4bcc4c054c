#include "platform/Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

int SpawnDetached(const std::vector<std::string>& Argv, const std::string& Dir, bool StdinNull) {
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
  int Err = 0;
  ssize_t N;
  do {
    N = read(Pipe[0], &Err, sizeof Err);
  } while (N < 0 && errno == EINTR);
  close(Pipe[0]);
  if (N == static_cast<ssize_t>(sizeof Err)) return CodeFromErrno(Err);
  if (WIFEXITED(Status) && WEXITSTATUS(Status) != 0) return ShellCode::AccessDenied;
  return ShellCode::Ok;
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
    if (!ShellWindowless()) {
      std::vector<std::string> Term = TerminalCommand(Interp, InterpArgs);
      if (!Term.empty()) return SpawnDetached(Term, Dir, false);
    }
    std::vector<std::string> Cmd{Interp};
    Cmd.insert(Cmd.end(), InterpArgs.begin(), InterpArgs.end());
    return SpawnDetached(Cmd, Dir, true);
  }
  if (IsExecutableFile(Real)) {
    std::vector<std::string> Cmd{Real};
    Cmd.insert(Cmd.end(), Args.begin(), Args.end());
    return SpawnDetached(Cmd, Dir, true);
  }
  return PosixOpenDocument(FileName);
}

int PosixOpenDocument(const std::string& FileName) {
  const bool IsAddress = FileName.find("://") != std::string::npos;
  std::string Target = FileName;
  if (!IsAddress) {
    if (!FileExists(FileName) && !DirectoryExists(FileName)) return ShellCode::FileNotFound;
    Target = ExpandFileName(FileName);
  }
  const std::string Opener = FindOnPath("xdg-open");
  if (Opener.empty()) return ShellCode::NoAssociation;
  return SpawnDetached({Opener, Target}, std::string(), true);
}
