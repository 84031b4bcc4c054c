#pragma once
// The window side of the check before a run: the problems in one list, each
// with its page and field; "Go to" opens the page and puts the focus into the
// field. Errors stop the run; with warnings only the user may run anyway.
// And after a failed run, the way to the field or the line at fault.

class QWidget;
class TKvSession;

// Checks the session; true when the run may go on (no problems, or warnings
// the user chose to run with).
bool RunCheckPasses(QWidget* Main, const TKvSession& S);

// The one box of a failed run: the system's message, the model's own error
// text (or the reason), "Show log" that opens the log in the text viewer
// while the box stays, and "Go to field" or "Open file" when the error is
// traced to a field or a data file.
struct TRunFailure;
void ShowRunFailure(QWidget* Main, const TRunFailure& Failure);
