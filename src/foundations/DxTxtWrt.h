#pragma once
// Writes a text file line by line, each line ended by CR LF, 8-bit text as
// given. The name is mapped onto the file system like every other access, so
// an existing file of another letter case is overwritten, not doubled.

#include <cstdio>
#include <string>

class TDxTextWriter {
 public:
  // Creates or empties the file; EInOutError when it cannot.
  explicit TDxTextWriter(const std::string& FileName);
  // Closes the file; errors on this path are swallowed (call Close to see them).
  ~TDxTextWriter();
  TDxTextWriter(const TDxTextWriter&) = delete;
  TDxTextWriter& operator=(const TDxTextWriter&) = delete;

  // Writes S and a line break.
  void WriteLn(const std::string& S);
  // Writes S without a line break.
  void Write(const std::string& S);
  // Flushes and closes; EInOutError when any write failed.
  void Close();
  const std::string& FileName() const { return FFileName; }

 private:
  std::string FFileName;
  std::FILE* FFile = nullptr;
};
