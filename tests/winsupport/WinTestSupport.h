#pragma once
// Support of the window tests: the offscreen application (WinTestMain.cpp),
// scripted modal windows and file dialogs, and a fresh sample program home.
//
// Every message box, modal window and file dialog that a test did not script
// fails it: the test program installs failing handlers for the whole run, and
// TScriptedMessages / TScriptedDialogs put their scripts on top.

#include <QDialog>
#include <QString>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "WinSupport.h"
#include "support/TestSupport.h"

class QWidget;

// What the failing handlers do with a modal window or file dialog that no
// test scripted: fail the running test, naming it, and answer as the user who
// cancels (Rejected, no file).
int FailUnscriptedModal(QDialog& D);
QString FailUnscriptedFileDialog(const TFileDialogRequest& R);

class TScriptedDialogs {
 public:
  using TModalAnswer = std::function<int(QDialog&)>;
  TScriptedDialogs();
  ~TScriptedDialogs();

  // The next modal window must have this objectName; it is shown (without
  // blocking), Answer runs on it and its result is what exec() would give.
  TScriptedDialogs& ExpectModal(const QString& ObjectName, TModalAnswer Answer);
  // The next file dialog answers Path (empty: the user cancelled).
  TScriptedDialogs& ExpectFile(const QString& Path);

  const std::vector<TFileDialogRequest>& FileRequests() const { return FFileRequests; }
  size_t Pending() const { return FModal.size() + FFiles.size(); }

 private:
  struct TModal {
    QString Name;
    TModalAnswer Answer;
  };
  std::deque<TModal> FModal;
  std::deque<QString> FFiles;
  std::vector<TFileDialogRequest> FFileRequests;
  TModalHandler FOldModal;
  TFileDialogHandler FOldFile;
};

// Answers for ExpectModal.
int AcceptDialog(QDialog& D);
int RejectDialog(QDialog& D);

// A fresh copy of the sample program home (data/ with the built model and
// krlcmd) in a temporary directory; its bin/ is the program directory and the
// working directory, restored afterwards.
class TSampleHome {
 public:
  TSampleHome();
  ~TSampleHome();
  const TTempDir& Dir() const { return FDir; }
  std::string Bin() const { return FDir / "bin/"; }
  std::string Path(const std::string& Rel) const { return FDir / Rel; }

 private:
  TTempDir FDir;
  TCurrentDirGuard FCwd;
};

// Finds a child widget by objectName; fails the test when there is none.
template <class T>
T* Find(const QWidget* Parent, const char* Name) {
  T* W = Parent->findChild<T*>(QString::fromLatin1(Name));
  EXPECT_NE(W, nullptr) << "no widget named " << Name;
  return W;
}

// ---- what a person does: real mouse and key events on widgets found by name

class QComboBox;
// Shows the window and makes it the active one, as a person's click would;
// false when it does not become active.
bool ShowActive(QWidget* W);
// A left click in the middle of W, which must be visible.
void Click(QWidget* W);
// A click on the tab of the main window's session page that holds W.
void ShowPageOf(QWidget* Main, QWidget* W);
// A click on row Row of the list named Name, its page brought up first.
void ClickRow(QWidget* Main, const char* Name, int Row);
// A click on the entry of the list named Name that reads Text.
void ClickEntry(QWidget* Main, const char* Name, const QString& Text);
// A click into the field named Name, its text selected and Text typed over it.
void TypeInto(QWidget* Main, const char* Name, const QString& Text);
// Opens the combo box's list and clicks the entry with Text.
void ChooseEntry(QComboBox* Box, const QString& Text);

// The child of Parent with this object name and type; a test that does not
// find it fails.
template <class T>
T* FindChild(const QObject* Parent, const char* Name) {
  T* Child = Parent ? Parent->findChild<T*>(Name) : nullptr;
  EXPECT_NE(Child, nullptr) << "no " << Name;
  return Child;
}
