#pragma once
// Shared helpers of the fuzz targets.
//
// Every target writes its input into files of one scratch directory per
// process (the readers take file names, as the program gives them), runs the
// reader the program uses, and lets the fuzzer know about anything that is
// not a reported error: a crash or sanitizer report, an exception that is not
// one of the program's own, a broken invariant (FUZZ_CHECK aborts), or a file
// the reader changed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

// Each target defines FuzzOne; the fuzzer's entry point runs it and counts
// an input that takes more than FuzzCpuBudget seconds of processor time as a
// hang (a finding). Processor time, not the clock: the fuzzers run at the
// lowest priority on a shared machine, where the clock says little; a real
// endless loop still meets the fuzzer's own clock time-out.
int FuzzOne(const uint8_t* Data, size_t Size);
constexpr double FuzzCpuBudget = 1.0;

// The scratch directory of this process: absolute, with a trailing '/';
// created on first use below $TMPDIR (or /tmp), removed at exit.
const std::string& FuzzDir();
// Writes Bytes to FuzzDir() + Rel, creating directories; answers the path.
std::string FuzzWrite(const std::string& Rel, const std::string& Bytes);
std::string FuzzReadFile(const std::string& Path);
// Removes FuzzDir() + Rel when it exists.
void FuzzRemove(const std::string& Rel);

// Message boxes answer their default button without showing anything, the
// cursor and the application's error handler do nothing visible. Every text
// shown is counted, so a target can tell that an error was reported.
void FuzzQuietHandlers();
size_t FuzzMessagesShown();

// The input cut into at most Max parts at the record separator byte 0x1E;
// the last part takes the rest (separators included).
std::vector<std::string> FuzzParts(const uint8_t* Data, size_t Size, size_t Max);
constexpr char FuzzPartSep = '\x1E';

// The bytes of files, taken before a reader runs and compared afterwards:
// reading never changes what it reads.
class TFileSnapshot {
 public:
  void Add(const std::string& Path);
  // Aborts naming the first file whose bytes (or existence) changed.
  void Check() const;

 private:
  std::map<std::string, std::pair<bool, std::string>> FFiles;
};

[[noreturn]] void FuzzFail(const char* Expr, const char* File, int Line, const std::string& Detail);
#define FUZZ_CHECK(Cond)                                             \
  do {                                                               \
    if (!(Cond)) FuzzFail(#Cond, __FILE__, __LINE__, std::string()); \
  } while (0)
#define FUZZ_CHECK_MSG(Cond, Detail)                            \
  do {                                                          \
    if (!(Cond)) FuzzFail(#Cond, __FILE__, __LINE__, (Detail)); \
  } while (0)
