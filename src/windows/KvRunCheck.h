#pragma once
// The window side of the check before a run: the problems in one list, each
// with its page and field; "Go to" opens the page and puts the focus into the
// field. Errors stop the run; with warnings only the user may run anyway.

class QWidget;
class TKvSession;

// Checks the session; true when the run may go on (no problems, or warnings
// the user chose to run with).
bool RunCheckPasses(QWidget* Main, const TKvSession& S);
