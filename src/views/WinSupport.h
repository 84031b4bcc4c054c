#pragma once
// What every window of the program shares: hints, help contexts, modal
// showing, file dialogs. Each service goes through one replaceable handler,
// so that the window tests can script dialogs instead of waiting on them.

#include <QString>
#include <functional>

class QAction;
class QDialogButtonBox;
class QPushButton;
class QApplication;
class QDialog;
class QHideEvent;
class QObject;
class QShowEvent;
class QWidget;

// ---- hints
// A hint "short|long" gives the tool tip "short" (none when empty) and the
// status tip "long", which the main window's status bar shows while the mouse
// is over the control. A hint without a bar is both.
void SetHint(QWidget* Widget, const QString& Hint);
void SetHint(QAction* Action, const QString& Hint);
// The long part of a hint: the text after the first "|", or the whole hint.
QString LongHint(const QString& Hint);
QString ShortHint(const QString& Hint);

// ---- help contexts
// A control (or menu item) carries its help context; F1 opens the topic of
// the focused control's context, else of the nearest parent that has one.
void SetHelpContext(QObject* Object, int Context);
int HelpContext(const QObject* Object);  // 0: none
int HelpContextOf(const QWidget* Widget);
// The topic's file: ExecPath + "help/" + number + ".html"; 0 gives the index.
QString HelpTopicFile(int Context);
// Opens the topic with the desktop's browser; a missing topic is said in a box.
void ShowHelpTopic(int Context);
// Installs the F1 key on the application.
void InstallHelpKey(QApplication& App);

// ---- modal windows
// Every dialog and result window is shown through this: the program runs
// exec(), tests answer from a script. Answers QDialog::Accepted or Rejected.
using TModalHandler = std::function<int(QDialog&)>;
TModalHandler SetModalHandler(TModalHandler Handler);
int ExecModal(QDialog& Dialog);

// ---- file dialogs
struct TFileDialogRequest {
  bool Save = false;
  QString Title;
  QString InitialDir;
  // The filter as "Text (*.ext)|*.ext[|Text2|*.e2...]".
  QString Filter;
  QString FileName;
  bool MustExist = true;
  // Ask before replacing an existing file (save dialogs).
  bool ConfirmOverwrite = false;
};
// Answers the chosen file's path, or an empty text when the user cancelled.
using TFileDialogHandler = std::function<QString(const TFileDialogRequest&)>;
TFileDialogHandler SetFileDialogHandler(TFileDialogHandler Handler);
QString AskFileName(const TFileDialogRequest& Request);
// "Input Files (*.krl)|*.krl" as Qt name filters; the patterns ignore letter case.
QStringList QtNameFilters(const QString& Filter);

// ---- dialog buttons
// The OK and Cancel buttons of a dialog ("OKBtn", "CancelBtn", with the
// standard icons) in a button box that accepts and rejects the dialog; OK is
// the default button.
QDialogButtonBox* MakeOkCancelButtons(QDialog* Dialog, QPushButton*& OKBtn, QPushButton*& CancelBtn);

// ---- activation once per showing
// A window that fills itself when the program shows it, and not again at
// every activation (after a message box or a file dialog, say): call Shown
// from showEvent and Hidden from hideEvent. Shows and hides that come from the
// window system (minimising, another desktop) do not count. Errors of the
// activation go to the application's error handler.
class TOncePerShowing {
 public:
  void Shown(const QShowEvent& Event, const std::function<void()>& Activate);
  void Hidden(const QHideEvent& Event);

 private:
  bool FDone = false;
};
