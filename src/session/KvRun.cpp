#include "session/KvRun.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "foundations/DxTxtFle.h"
#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "foundations/ScopedValue.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "platform/Shell.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "session/ModelErrorPlace.h"
#include "session/RunHistory.h"

const char* const ReleaseText = "2.1.2 (February 2014)";

namespace {
const std::string Stars = "echo " + std::string(72, '*');

THandlerSlot<TShowLogHandler>& ShowLogSlot() {
  static THandlerSlot<TShowLogHandler> S;
  return S;
}

THandlerSlot<TRunFailureHandler>& FailureSlot() {
  static THandlerSlot<TRunFailureHandler> S;
  return S;
}

bool DefaultWaiter() {
  usleep(10 * 1000);
  return true;
}

THandlerSlot<TRunWaiter>& WaiterSlot() {
  static THandlerSlot<TRunWaiter> S(DefaultWaiter);
  return S;
}

bool& RunningFlag() {
  static bool Running = false;
  return Running;
}

// ---- what the wait knows about the run
using TClock = std::chrono::steady_clock;

struct TWaitState {
  TClock::time_point Start = TClock::now();
  TClock::time_point LastLook{};
  TRunProgress Progress;
  bool StopWaiting = false;  // requests of the user
  bool StopRun = false;
  bool Stopped = false;  // the user's stop ended a running model
  bool Waiting = false;  // inside WaitForRunEnd
};

// Where the run being judged was kept, for the box that reports its failure.
std::string& KeptRunFolder() {
  static std::string Folder;
  return Folder;
}

TWaitState& Wait() {
  static TWaitState W;
  return W;
}

// The processes below Pid, children before grandchildren, read from /proc.
std::vector<int> Descendants(int Pid) {
  std::multimap<int, int> Children;
  std::error_code Ec;
  for (std::filesystem::directory_iterator It("/proc", Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (Name.empty() || !std::all_of(Name.begin(), Name.end(), [](char C) { return C >= '0' && C <= '9'; }))
      continue;
    std::ifstream Stat(It->path() / "stat");
    std::string Line;
    if (!std::getline(Stat, Line)) continue;
    // "pid (comm) state ppid ...": the name may hold blanks and brackets.
    const size_t Close = Line.rfind(')');
    if (Close == std::string::npos) continue;
    char State = 0;
    int Parent = 0;
    if (std::sscanf(Line.c_str() + Close + 1, " %c %d", &State, &Parent) == 2 && State != 'Z')
      Children.emplace(Parent, std::atoi(Name.c_str()));
  }
  std::vector<int> Result;
  std::vector<int> Todo{Pid};
  while (!Todo.empty()) {
    const int P = Todo.back();
    Todo.pop_back();
    const auto Range = Children.equal_range(P);
    for (auto It = Range.first; It != Range.second; ++It) {
      Result.push_back(It->second);
      Todo.push_back(It->second);
    }
  }
  return Result;
}

std::string ProcessName(int Pid) {
  std::ifstream Comm("/proc/" + std::to_string(Pid) + "/comm");
  std::string Name;
  std::getline(Comm, Name);
  return Name;
}

// Whether the model (any process below the script other than the batch
// interpreter itself, which runs in a terminal window below Pid) still runs.
bool ModelAlive(int Pid) {
  for (const int P : Descendants(Pid))
    if (ProcessAlive(P) && ProcessName(P) != "krlcmd") return true;
  return false;
}

// Whether a process of the group (not yet ended) is left.
bool GroupAlive(int Group) {
  if (Group <= 0 || kill(-Group, 0) != 0) return false;
  // Ended processes not yet reaped still count for the system.
  std::error_code Ec;
  for (std::filesystem::directory_iterator It("/proc", Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (Name.empty() || Name[0] < '0' || Name[0] > '9') continue;
    const int P = std::atoi(Name.c_str());
    if (getpgid(P) == Group && ProcessAlive(P)) return true;
  }
  return false;
}

// Ends the script's process and everything below it: politely first, then
// for good after a second.
void EndProcessTree(int Pid) {
  // The script first, so that it cannot go on to remove the marker once the
  // model has gone.
  std::vector<int> All{Pid};
  for (const int P : Descendants(Pid)) All.push_back(P);
  for (const int P : All) kill(P, SIGTERM);
  for (int Tries = 0; Tries < 100; ++Tries) {
    if (std::none_of(All.begin(), All.end(), ProcessAlive)) return;
    usleep(10 * 1000);
  }
  for (const int P : All)
    if (ProcessAlive(P)) kill(P, SIGKILL);
}

}  // namespace

std::string LastLogLine(const std::string& LogName) {
  const int Fd = OpenPlainFile(LogName, O_RDONLY);
  if (Fd < 0) return {};
  const off_t Size = lseek(Fd, 0, SEEK_END);
  const off_t From = Size > 4096 ? Size - 4096 : 0;
  std::string Tail(static_cast<size_t>(Size - From), '\0');
  const ssize_t Got = Size > 0 ? pread(Fd, Tail.data(), Tail.size(), From) : 0;
  close(Fd);
  Tail.resize(Got > 0 ? static_cast<size_t>(Got) : 0);
  size_t End = Tail.size();
  while (End > 0) {
    const size_t Begin = Tail.find_last_of('\n', End - 1);
    const size_t First = Begin == std::string::npos ? 0 : Begin + 1;
    std::string Line = TrimBlanks(Tail.substr(First, End - First));
    if (!Line.empty()) return Line.substr(0, 200);
    if (Begin == std::string::npos) break;
    End = Begin;
  }
  return {};
}

namespace {
// A look at the run, a few times a second: the log's latest line and
// whether the model still runs.
void LookAtRun(const TKvFileManager& Fm, int Pid, bool Now = false) {
  TWaitState& W = Wait();
  const TClock::time_point T = TClock::now();
  W.Progress.Seconds = std::chrono::duration<double>(T - W.Start).count();
  if (!Now && T - W.LastLook < std::chrono::milliseconds(200)) return;
  W.LastLook = T;
  W.Progress.LastLogLine = LastLogLine(Fm.LogFullName());
  W.Progress.ModelRunning = Pid > 0 && ModelAlive(Pid);
}
}  // namespace

namespace {
THandlerSlot<TRunWaitEndedHandler>& WaitEndedSlot() {
  static THandlerSlot<TRunWaitEndedHandler> S;
  return S;
}
}  // namespace

TRunWaitEndedHandler SetRunWaitEndedHandler(TRunWaitEndedHandler Handler) {
  return WaitEndedSlot().Set(std::move(Handler));
}

TRunProgress RunProgress() {
  TRunProgress P = Wait().Progress;
  P.Running = RunInProgress() || Wait().Waiting;
  if (!Wait().Waiting) P.ModelRunning = false;
  return P;
}

void StopWaitingForRun() { Wait().StopWaiting = true; }
void StopModelRun() { Wait().StopRun = true; }

namespace {
// A name the script carries on one of its lines: a line break would start a
// line of its own (a command the program never meant), and a double quote
// would end a name the script quotes early. Such a name is refused before
// the script is written.
void CheckScriptName(const std::string& Name, bool InQuotes) {
  for (const char Ch : Name) {
    const unsigned char C = static_cast<unsigned char>(Ch);
    if (C < 0x20 || C == 0x7f || (InQuotes && C == '"'))
      throw EKvError("The run cannot be started: the name\r\n" + Name +
                     "\r\nholds a line break, another control character or a double quote, which the run's "
                     "batch script cannot carry. Rename it, or move the program to a directory whose path "
                     "has none of them.");
  }
}
}  // namespace

void WriteBatchFile(const TKvFileManager& Fm) {
  for (const std::string& Name : {Fm.BatFullName(), GetExecFileName(), Fm.ExecPath(), Fm.ModelName()})
    CheckScriptName(Name, false);
  for (const std::string& Name : {Fm.LogFullName(), Fm.TempRunFileName()}) CheckScriptName(Name, true);
  TDxTextWriter W(Fm.BatFullName());
  W.WriteLn("@echo off");
  W.WriteLn(Stars);
  W.WriteLn(std::string("echo ") + ApplicationTitle + ", Release: " + ReleaseText);
  W.WriteLn(Stars);
  W.WriteLn("echo:");
  W.WriteLn(Stars);
  W.WriteLn("echo File        : " + Fm.BatFullName());
  W.WriteLn("echo Generated by: " + GetExecFileName());
  W.WriteLn("echo Date        : " + CurrentDateTimeText());
  W.WriteLn(Stars);
  W.WriteLn("echo:");
  W.WriteLn("echo Running the simulation. Please wait... ");
  W.WriteLn("echo:");
  W.WriteLn("");  // the drive line: there are no drive letters here
  W.WriteLn("cd " + Fm.ExecPath());
  W.WriteLn(Fm.ModelName() + " > \"" + Fm.LogFullName() + "\"");
  W.WriteLn("pause");
  W.WriteLn("del \"" + Fm.TempRunFileName() + "\"");
  W.WriteLn("@echo off");
  W.WriteLn(Stars);
  W.WriteLn("echo *** CLOSE THIS WINDOW BEFORE GOING ON WITH THE KORVAL CONTROL CENTER ***");
  W.WriteLn(Stars);
  W.WriteLn("exit");
  W.Close();
}

void TKvSession::Run() { StartModelRun(FileManager()); }

void StartModelRun(const TKvFileManager& Fm) {
  if (!FileExists(Fm.RunFullName())) throw EKvError(Format("'%s' not found!", Fm.RunFullName().c_str()));
  if (!FileExists(Fm.ModelFullName())) throw EKvError(Format("'%s' not found!", Fm.ModelName().c_str()));
  WriteBatchFile(Fm);
  if (!StartProgram(Fm.BatFullName(), "", Fm.ExecPath()))
    throw EKvError("Unable to execute '" + Fm.BatFullName() + "'");
}

std::string TRunFailure::Text() const { return Headline + "\r\n" + Details(); }

std::string TRunFailure::Details() const {
  const std::string Explained = ExplainModelErrorPlace(Place);
  return Report + "\r\n" + (Explained.empty() ? std::string() : Explained + "\r\n") + "(See also " + LogName +
         ")" +
         (Folder.empty() ? std::string()
                         : "\r\nThe files of this run, its partial output too, are kept in " + Folder);
}

TRunFailureHandler SetRunFailureHandler(TRunFailureHandler Handler) {
  return FailureSlot().Set(std::move(Handler));
}

namespace {
// The window's one box, or the boxes of old one after another.
void ReportRunFailure(const TRunFailure& F) {
  if (FailureSlot().Get()) {
    FailureSlot().Get()(F);
    return;
  }
  if (F.Outcome == TRunOutcome::ModelError) {
    ShowErrorBox(F.Headline);
    ShowInfoBox(F.Details());
  } else if (F.Outcome != TRunOutcome::Stopped && ConfirmYesNo(F.Headline)) {
    ShowLogFile(F.LogName);
  }
}

// Why a run that reported no error failed, from the last line of its log.
std::string SilentFailureReason(const TKvFileManager& Fm, bool Output) {
  // The model's own last word, not the prompt of the script that follows it.
  std::string Last;
  try {
    if (FileExists(Fm.LogFullName())) {
      TDxTextFile Log(Fm.LogFullName());
      while (Log.NextLine())
        if (Log.Line().NoOfWords() > 0 && !Log.Line().Match({"Press"})) Last = TrimBlanks(Log.Line().Str());
    }
  } catch (const std::exception&) {
    // An unreadable log gives no last line; "Show log" names what is wrong.
  }
  const std::string Said = Last.empty() ? std::string("The model wrote nothing into its log.")
                                        : "The last line of the model's log: " + Last;
  if (Wait().Stopped)
    return "The run was stopped while the model was at work; what it had written is removed.\r\n" + Said;
  if (Output)
    return "The model left output, but the run did not end properly: its window was closed, or the run "
           "stopped, while the model was at work. The output may be incomplete and is removed.\r\n" +
           Said;
  return "The model wrote no output and reported no error: it did not start, or stopped before it wrote "
         "anything.\r\n" +
         Said;
}
}  // namespace

namespace {
// The error text of the log: from the first word "ERROR" up to the line
// that starts with "Press", or to the end of the log, its last line
// included. False when the log reports no error.
bool LogErrorText(const std::string& LogName, std::string& Message) {
  TDxTextFile Log(LogName);
  bool Found = false;
  int No = 0;
  while (!Found && Log.NextLine()) {
    const TDxLine& L = Log.Line();
    for (int i = 1; i <= L.NoOfWords(); ++i)
      if (L.MatchNo("ERROR", i)) {
        Found = true;
        No = i;
        break;
      }
  }
  if (!Found) return false;
  Message = Log.Line().GetWordsFrom(No);
  while (Log.NextLine()) {
    if (Log.Line().Match({"Press"})) break;
    Message += "\r\n" + Log.Line().Str();
  }
  return true;
}

// A failed run's box; the model's own error text when its log has one
// (also when it left no output), else the reason.
void ReportFailure(TRunOutcome Outcome, const std::string& Headline, const std::string& LogName,
                   const std::string& Reason) {
  TRunFailure F;
  F.Outcome = Outcome;
  F.Headline = Headline;
  F.LogName = LogName;
  F.Folder = KeptRunFolder();
  F.Report = Reason;
  std::string Message;
  if (Outcome != TRunOutcome::ModelError && FileExists(LogName)) {
    try {
      if (LogErrorText(LogName, Message)) F.Report = Message;
    } catch (const std::exception&) {
      // An unreadable log leaves the reason; "Show log" names what is wrong.
    }
  }
  // The place of the error in the window's words, when the model names it.
  if (TheSession) F.Place = FindModelErrorPlace(F.Report, *TheSession);
  ReportRunFailure(F);
}
}  // namespace

bool CheckLogFile(const std::string& LogName) {
  std::string Message;
  if (!LogErrorText(LogName, Message)) return false;
  ReportFailure(TRunOutcome::ModelError, "Simulation failed.", LogName, Message);
  return true;
}

TShowLogHandler SetShowLogHandler(TShowLogHandler Handler) { return ShowLogSlot().Set(std::move(Handler)); }

void ShowLogFile() {
  if (TheSession) ShowLogFile(TheSession->FileManager().LogFullName());
}

void ShowLogFile(const std::string& Log) {
  if (ShowLogSlot().Get())
    ShowLogSlot().Get()(Log);
  else
    std::fprintf(stderr, "The log of the run is %s\n", ExpandFileName(Log).c_str());
}

TRunWaiter SetRunWaiter(TRunWaiter Waiter) { return WaiterSlot().Set(std::move(Waiter)); }

bool RunInProgress() { return RunningFlag(); }

bool WaitForRunEnd(TKvFileManager& Fm, int Pid) {
  TWaitState& W = Wait();
  W = TWaitState();
  W.Progress.ModelKnown = Pid > 0;
  const TScopedValue<bool> Waiting(W.Waiting, true);
  // Ends a wait that the script did not end: a model that was still running
  // leaves the marker for the judgement (a run that never got to its end);
  // otherwise the marker goes as the script would have removed it.
  const auto GiveUp = [&](bool ModelWasRunning) {
    if (!ModelWasRunning) Fm.RemoveTempRunFile();
    return false;
  };
  // The script and the model it starts share one process group, which
  // outlives the script when only the script is ended.
  const int Group = Pid > 0 ? getpgid(Pid) : -1;
  while (FileExists(Fm.TempRunFileName())) {
    const bool KeepWaiting = WaiterSlot().Get()();
    // The script's process ended and left the marker. A model that still
    // runs in its group is waited for; one that has ended and left its
    // output (written whole at its end) is judged by that output and its
    // log, as if the script had ended normally. Otherwise (the script's
    // window closed mid-run) it is judged by whether the model ran at the
    // last look.
    if (Pid && !ProcessAlive(Pid) && FileExists(Fm.TempRunFileName())) {
      if (GroupAlive(Group) && !W.StopRun && KeepWaiting && !W.StopWaiting) {
        W.Progress.ModelRunning = true;
        continue;
      }
      if (!GroupAlive(Group) && Fm.DetailedOutputAvailable()) return GiveUp(false);
      return GiveUp(W.Progress.ModelRunning);
    }
    LookAtRun(Fm, Pid);
    if (W.StopRun) {
      // Stopping with the model unknown: it may still run.
      const bool Running = Pid <= 0 || ModelAlive(Pid);
      if (Pid > 0) EndProcessTree(Pid);
      W.Stopped = Running;
      W.Progress.ModelRunning = false;
      return GiveUp(Running);
    }
    if (!KeepWaiting || W.StopWaiting) return GiveUp(Pid > 0 && ModelAlive(Pid));
  }
  return true;
}

TRunOutcome DecideRunOutcome(TKvFileManager& Fm) {
  TRunOutcome Outcome = TRunOutcome::Abandoned;
  GuardedCall([&] {
    const bool Detailed = Fm.DetailedOutputAvailable();
    const bool MarkerBack = Fm.RemoveTempRunFile();
    if (Detailed && !MarkerBack) {
      if (CheckLogFile(Fm.LogFullName())) {
        Fm.RemoveOutputFiles();
        Outcome = TRunOutcome::ModelError;
      } else {
        ShowInfoBox("Simulation successful");
        Outcome = TRunOutcome::Successful;
      }
    } else if (Detailed) {
      Fm.RemoveOutputFiles();
      Outcome = TRunOutcome::RuntimeError;
      ReportFailure(Outcome, "Runtime error while running the simulaton.\r\nShow Log-file?", Fm.LogFullName(),
                    SilentFailureReason(Fm, true));
    } else if (!MarkerBack) {
      Outcome = TRunOutcome::NoOutput;
      ReportFailure(Outcome, "Simulation failed.\r\nShow log-file?", Fm.LogFullName(),
                    SilentFailureReason(Fm, false));
    } else if (Wait().Stopped) {
      ReportFailure(TRunOutcome::Stopped, "The run was stopped before the model had finished.",
                    Fm.LogFullName(), SilentFailureReason(Fm, false));
    }
  });
  return Outcome;
}

std::string RunOutcomeText(TRunOutcome Outcome) {
  switch (Outcome) {
    case TRunOutcome::Successful: return "successful";
    case TRunOutcome::ModelError: return "model error";
    case TRunOutcome::RuntimeError: return "runtime error";
    case TRunOutcome::NoOutput: return "no output";
    case TRunOutcome::Stopped: return "stopped";
    case TRunOutcome::NotStarted: return "not started";
    default: return "abandoned";
  }
}

TRunOutcome RunSession() {
  if (RunInProgress() || !TheSession) return TRunOutcome::NotStarted;
  // The running flag is cleared however the run ends.
  const TScopedValue<bool> Running(RunningFlag(), true);
  TKvFileManager& Fm = TheSession->FileManager();
  try {
    if (!Fm.SettingsLoaded()) throw EKvError(Fm.MissingSettingsText());
    // The directories the settings name must be there: the run says which
    // one is missing instead of failing on its first file.
    for (const auto& [Key, Dir] : {std::pair<const char*, std::string>{"RUNDIR", Fm.RunioPath()},
                                   std::pair<const char*, std::string>{"OUTDIR", Fm.OutPath()}})
      if (!Dir.empty() && !DirectoryExists(Dir))
        throw EKvError("The directory " + Dir + " (" + ExpandFileName(Dir) +
                       ") does not exist, so the run has " + "nowhere to put its files. Create it, or set " +
                       Key + " in " + Fm.ExecPath() + TKvFileManager::IniFileName +
                       " to an existing directory.");
    // The input files replace the old ones all or nothing: none is removed
    // first, so a failure or a kill leaves the working session whole.
    RemoveFile(Fm.KRLWerkFullName() + ".log", true);
    TheSession->WriteInputFiles();
    Fm.RemoveOutputFiles();
    Fm.MakeTempRunFile();
    TakeStartedProcess();  // forget any earlier start
    try {
      TheSession->Run();
    } catch (...) {
      // Nothing started: the marker of a running model goes again.
      Fm.RemoveTempRunFile();
      throw;
    }
  } catch (const std::exception& E) {
    HandleAppException(E);
    return TRunOutcome::NotStarted;
  }
  WaitForRunEnd(Fm, TakeStartedProcess());
  if (WaitEndedSlot().Get()) GuardedCall(WaitEndedSlot().Get());
  // Kept before it is judged: a failed run's output is removed from the
  // working files, never from its record.
  TRunHistory History(Fm);
  const TRunRecord Kept = History.Keep();
  TRunOutcome Outcome = TRunOutcome::Abandoned;
  {
    const TScopedValue<std::string> Note(KeptRunFolder(), Kept.Folder);
    Outcome = DecideRunOutcome(Fm);
  }
  if (Wait().Stopped) Outcome = TRunOutcome::Stopped;
  History.SetOutcome(Kept, RunOutcomeText(Outcome));
  History.Prune(Fm.RunHistoryLimit());
  return Outcome;
}
