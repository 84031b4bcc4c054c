#pragma once
// Shared helpers of the core tests.
//
// TTempDir: a fresh directory, removed with everything in it afterwards.
// TFailOnUnscripted: the test program's handlers (see below).
// TScriptedMessages: installs a message handler that records every box and
// answers from a script; a box that the test did not script fails the test.
// TCurrentDirGuard: restores the working directory a test changed.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/Handlers.h"

class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // Absolute path with a trailing '/'.
  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& Rel) const { return FPath + Rel; }
  // Writes a file (and its directories) below the directory, bytes as given.
  std::string Write(const std::string& Rel, const std::string& Content) const;
  std::string Read(const std::string& Rel) const;
  bool Exists(const std::string& Rel) const;
  void MakeDir(const std::string& Rel) const;

 private:
  std::string FPath;
};

std::string ReadFileBytes(const std::string& Path);
void WriteFileBytes(const std::string& Path, const std::string& Content);

// Text written with LF line ends as the CR LF text of the program's files, so
// that a fixture of several lines can be a raw string literal.
std::string CrLf(const std::string& Text);

// The tolerance for numbers the model prints rounded to Decimals decimals:
// HalfUnits half units in the last place (one for each rounded number in the
// comparison) and Tenths tenths of a unit more (what a balance that the model
// closes only nearly leaves). The same double as the decimal written out:
// PrintedTolerance(2, 2, 1) == 0.011.
double PrintedTolerance(int Decimals, int HalfUnits = 1, int Tenths = 0);

class TCurrentDirGuard {
 public:
  TCurrentDirGuard();
  ~TCurrentDirGuard();

 private:
  std::string FDir;
};

// The handlers of the whole test program (registered by the test programs'
// main): a message box, an error that reaches the application's error
// handler, or a document handed to the desktop fails the running test unless
// the test installed its own handler on top (TScriptedMessages for boxes).
// Batch files and programs still start, always without a terminal window.
class TFailOnUnscripted : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;
};

// Fails the running test, naming the box, and answers the button that
// changes nothing: OK on a box that has only OK, else Cancel or No.
TMsgResult FailUnscriptedBox(const TMessage& M);

struct TScriptedAnswer {
  TMsgKind Kind;
  std::string Text;  // the whole text expected; empty: any text
  TMsgResult Answer = TMsgResult::Ok;
};

class TScriptedMessages {
 public:
  TScriptedMessages();
  ~TScriptedMessages();

  // The next box must be of this kind (and text, when given) and is answered so.
  TScriptedMessages& Expect(TMsgKind Kind, const std::string& Text = "", TMsgResult Answer = TMsgResult::Ok);
  // Every box shown so far.
  const std::vector<TMessage>& Shown() const { return FShown; }
  // Boxes still expected: the test fails at destruction when any are left.
  size_t Pending() const { return FScript.size(); }

 private:
  std::deque<TScriptedAnswer> FScript;
  std::vector<TMessage> FShown;
  TMessageHandler FOld;
  TAppErrorHandler FOldApp;
};

// A program home below a temporary directory: bin/ with DIRECT.INI (unless
// WithIni is false) and the data, run and output directories; ExecPath points
// at bin/ and the working directory is restored afterwards.
class TProgramHome {
 public:
  explicit TProgramHome(bool WithIni = true);
  ~TProgramHome();
  const TTempDir& Dir() const { return FDir; }
  std::string Bin() const { return FDir / "bin/"; }

 private:
  TTempDir FDir;
  TCurrentDirGuard FCwd;
};
