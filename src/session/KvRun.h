#pragma once
// Running the model: the batch script that starts it, the wait for its end,
// and the judgement of the outcome from its log and output files.
//
// A run writes the input files, removes the old output, creates the run
// marker and starts the batch script; the script runs the model with its
// output going to the log, waits for a key, then deletes the marker. The
// control centre waits until the marker is gone and decides:
//   detailed output, no ERROR word in the log   -> "Simulation successful"
//   an ERROR word in the log                    -> the error, output removed
//   no detailed output                          -> offer the log

#include <functional>
#include <string>

#include "session/ModelErrorPlace.h"

class TKvFileManager;

// The application's release, as the batch script shows it.
extern const char* const ReleaseText;

// Writes the 23-line batch script BatFullName (CR LF) for the file manager's
// names.
void WriteBatchFile(const TKvFileManager& Fm);

// Checks that the run-options file and the model exist, writes the batch
// script and starts it. EKvError "'%s' not found!" or "Unable to execute '...'".
void StartModelRun(const TKvFileManager& Fm);

// Whether the log reports an error; when it does, shows "Simulation failed."
// and the error text with "(See also <LogName>)".
bool CheckLogFile(const std::string& LogName);

// Opens the log in the text viewer; replaceable so that the windows connect
// their viewer (the default writes the log to standard error).
using TShowLogHandler = std::function<void(const std::string& LogName)>;
TShowLogHandler SetShowLogHandler(TShowLogHandler Handler);
void ShowLogFile();
void ShowLogFile(const std::string& LogName);

// The wait for the run marker. The waiter is called between two looks at the
// marker; it keeps the program responsive (processing events, at most about
// 50 ms a call) and answers false when the user gives up waiting. The default
// sleeps 10 ms and never gives up.
using TRunWaiter = std::function<bool()>;
TRunWaiter SetRunWaiter(TRunWaiter Waiter);

enum class TRunOutcome {
  NotStarted,    // refused, or failed before the model was started
  Successful,    // output and a clean log
  ModelError,    // the log reported an error; output removed
  RuntimeError,  // output, and the marker came back
  NoOutput,      // the model wrote no detailed output
  Abandoned,     // the wait ended without the script finishing
  Stopped,       // the user ended the model before it had finished
};

// True while a run waits for its marker; a second run is refused then.
bool RunInProgress();

// What a window shows while a run waits. The wait looks at the log and at
// the started processes a few times a second.
struct TRunProgress {
  bool Running = false;       // a run waits for its marker
  double Seconds = 0;         // since the wait began
  std::string LastLogLine;    // the latest line in the model's log (bytes as written)
  bool ModelKnown = false;    // the script's process is known, so the model can be watched and ended
  bool ModelRunning = false;  // the model's process was running at the last look
};
TRunProgress RunProgress();
// The last line of the log that holds more than blanks, at most 200 bytes;
// empty when there is none.
std::string LastLogLine(const std::string& LogName);

// The user's requests while a run waits, taken up at the next look at the
// marker. Stopping the wait judges the outcome from what is there. Stopping
// the run ends the model's process and the script's when they are known. In
// both cases, and when the script's process ends early (its window closed),
// a model that was still running leaves the marker in place, so the outcome
// is judged as a run that never got to its end: never a success, and its
// unfinished output is removed. A model that had already finished is judged
// as usual, so its output is kept.
void StopWaitingForRun();
void StopModelRun();

// The two halves of a run after the start. WaitForRunEnd waits while the
// marker exists and answers false when the wait was given up (by the waiter,
// by a request above, or because the script's process Pid, when known, ended
// and left the marker behind). DecideRunOutcome judges the output and the
// log and tells the user.
bool WaitForRunEnd(TKvFileManager& Fm, int Pid = 0);
TRunOutcome DecideRunOutcome(TKvFileManager& Fm);

// Called when the wait has ended, before the outcome is judged: the window
// that started the run takes the focus back (and stops showing the wait).
using TRunWaitEndedHandler = std::function<void()>;
TRunWaitEndedHandler SetRunWaitEndedHandler(TRunWaitEndedHandler Handler);

// A failed run, for the one box that reports it whichever way the run
// failed: the system's message first, then the model's own error text (or
// the reason when the model said nothing), where the log is and where the
// run is kept.
struct TRunFailure {
  TRunOutcome Outcome = TRunOutcome::ModelError;
  std::string Headline;  // "Simulation failed.", "Runtime error ...", ...
  std::string Report;    // the model's error text, else the reason
  std::string LogName;
  std::string Folder;      // where the run's files are kept; empty when not known
  TModelErrorPlace Place;  // where the model's error points, when it names a place

  // The box's whole text: Headline, Report, "(See also LOG)", the folder.
  std::string Text() const;
  // The same without the headline.
  std::string Details() const;
};
// The window that starts runs shows the box with "Show log" beside it. The
// default shows the boxes of a failed run one after another: "Simulation
// failed." and the error text, or the question whether to show the log.
using TRunFailureHandler = std::function<void(const TRunFailure& Failure)>;
TRunFailureHandler SetRunFailureHandler(TRunFailureHandler Handler);

// The whole run for the current session (TheSession): input files, marker,
// batch script, wait, outcome. Errors before the wait reach the application's
// error handler. Answers what happened; Stopped when the user ended a model
// that was still running (after the outcome was judged and told).
// The outcome in words, as the run history records it.
std::string RunOutcomeText(TRunOutcome Outcome);
TRunOutcome RunSession();
