#pragma once
// Writes a text file line by line, each line ended by CR LF, 8-bit text as
// given. The name is mapped onto the file system like every other access, so
// an existing file of another letter case is overwritten, not doubled.
//
// Nothing is lost when writing fails half way (a full disk, a kill): the text
// goes to a temporary file beside the target, and only a complete, closed
// file takes the target's place. Until then the old file stays as it was.

#include <cstdio>
#include <string>
#include <vector>

// A set of files replaced all or nothing. Each new file is first written
// under a temporary name beside its target (TDxTextWriter with the set, or
// Copy); Commit then puts every one in its target's place and removes the
// targets that the new set no longer has. Destroyed before Commit, the set
// removes its temporary files and every old file stays as it was.
//
// InPlace: every file is written straight over its target and Commit only
// removes; for a directory no other process reads while it is written (a
// scratch directory of one worker), where a failure half way costs only
// writing the files again.
class TFileReplacement {
 public:
  TFileReplacement() = default;
  explicit TFileReplacement(bool InPlace) : FInPlace(InPlace) {}
  ~TFileReplacement();
  TFileReplacement(const TFileReplacement&) = delete;
  TFileReplacement& operator=(const TFileReplacement&) = delete;

  // Registers Target and answers the temporary name to write it under.
  // EInOutError when a directory or another non-file stands in its place.
  std::string Add(const std::string& Target);
  // Copies Source completely to the temporary of Target; EInOutError naming
  // the file that could not be read or written, with the reason.
  void Copy(const std::string& Source, const std::string& Target);
  // Target is removed at Commit.
  void Remove(const std::string& Target);
  // Replaces the targets; EInOutError when one cannot be replaced.
  void Commit();
  bool InPlace() const { return FInPlace; }

 private:
  struct TEntry {
    std::string Target;  // as named by the program
    std::string Real;    // on the file system
    std::string Temp;
  };
  std::vector<TEntry> FEntries;
  std::vector<std::string> FRemovals;
  bool FInPlace = false;
};

// The temporary a file Base in directory Dir (empty or ending in '/') is
// written under by process Pid: hidden, with the writer's process id.
std::string TemporaryName(const std::string& Dir, const std::string& Base, int Pid);

// Removes from directory Dir (not below it) the temporaries that writers
// killed half way left behind: regular files named as TemporaryName names
// them whose process is not a live process of this user. Anything else stays.
// Answers how many were removed.
int RemoveStaleTemporaries(const std::string& Dir);

class TDxTextWriter {
 public:
  // Creates the temporary file beside FileName; EInOutError when it cannot,
  // or when a directory, pipe or device stands in the file's place. With a
  // set, Close leaves the replacing to the set's Commit.
  explicit TDxTextWriter(const std::string& FileName, TFileReplacement* Set = nullptr);
  // Without a successful Close, the temporary file is removed and the old
  // file stays; errors on this path are swallowed.
  ~TDxTextWriter();
  TDxTextWriter(const TDxTextWriter&) = delete;
  TDxTextWriter& operator=(const TDxTextWriter&) = delete;

  // Writes S and a line break.
  void WriteLn(const std::string& S);
  // Writes S without a line break.
  void Write(const std::string& S);
  // Flushes and closes, then puts the file in its target's place (or leaves
  // that to the set); EInOutError when any write, the close or the
  // replacing failed, and then the old file stays.
  void Close();
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
  std::string FTemp;
  TFileReplacement FOwnSet;
  TFileReplacement* FSet;
  std::FILE* FFile = nullptr;
};
