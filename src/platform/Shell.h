#pragma once
// Starting programs on Linux in place of the Windows shell.
//
// A batch file (".bat") is run by the program's own interpreter "krlcmd"
// (found beside the running executable, else on PATH), in a terminal window
// when there is a display and a known terminal emulator, else without a
// window and with standard input from /dev/null. An executable file is started
// directly. Any other document is handed to the desktop's opener.
//
// Result codes follow the Windows shell: above 32 on success (42 here), 2 file
// not found, 3 path not found, 5 access denied, 31 no application associated.

#include <string>
#include <vector>

namespace ShellCode {
constexpr int Ok = 42;
constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int AccessDenied = 5;
constexpr int NoAssociation = 31;
}  // namespace ShellCode

// The default handlers (see platform/Handlers.h).
int PosixShellExecute(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                      int ShowCmd);
int PosixOpenDocument(const std::string& FileName);

// Forces batch files to run without a terminal window, also when a display
// is set. Tests use it.
void SetShellWindowless(bool Windowless);
bool ShellWindowless();

// Starts Argv[0] (a path, or a name looked up on PATH) with the argument
// vector, never through a shell, in Dir (empty: the current directory),
// detached from this process. StdinNull gives it /dev/null as standard
// input. Answers a shell result code.
// Pid, when given, receives the started process's id.
int SpawnDetached(const std::vector<std::string>& Argv, const std::string& Dir, bool StdinNull,
                  int* Pid = nullptr);

// The process that the last successful start of a batch file or program
// began, for watching whether it still runs; 0 when it cannot be watched (a
// terminal emulator that hands its window to a server process and returns)
// or when nothing was started since the last call. Each call forgets it.
int TakeStartedProcess();
// Whether the process still runs.
bool ProcessAlive(int Pid);
// Waits until one of Pids, children of this process, has ended or TimeoutMs
// has passed, and wakes the moment one ends; true when one has. Reaps none.
bool WaitForChildEnd(const std::vector<int>& Pids, int TimeoutMs);

// Starts Program as the batch interpreter runs a script line
// "PROGRAM > LOG": the name mapped like every file name and found in the
// current directory, started directly (never through a shell) with no
// arguments, its standard output in Log (created or emptied), standard
// input, standard error and the environment as this process has them. The
// model of a run from the window and of a study's row is started by this one
// function. Pid receives the started process, which the caller waits for;
// Message says what went wrong when it answers anything but Started.
enum class TLoggedStart { Started, NoProgram, NoLog, NotStarted };
TLoggedStart StartWithLog(const std::string& Program, const std::string& Log, int& Pid, std::string& Message);

// The full path of a program found on PATH, or empty.
std::string FindOnPath(const std::string& Program);

// The interpreter of batch files: beside the running executable, else on PATH.
std::string BatchInterpreter();

// The terminal emulator command that runs Program with Args in a window, or an
// empty vector when there is no display or no known emulator.
std::vector<std::string> TerminalCommand(const std::string& Program, const std::vector<std::string>& Args);
