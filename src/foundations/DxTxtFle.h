#pragma once
// Forward reader of a text file whose current line is a TDxLine.
//
// A line is the text up to the first carriage return or line feed; reading
// then moves on past the next line feed, so CR LF and LF alone both end a
// line and a lone CR cuts the rest of its line off. A final line without a
// break is read like any other; a break at the very end makes no extra line.

#include <memory>
#include <string>
#include <vector>

#include "foundations/DxLine.h"

class TDxTextFile {
public:
  // The file must exist (and not be a directory): else EDxError
  // "File '<FileName>' not found". One that cannot be opened: EInOutError.
  explicit TDxTextFile(const std::string& FileName);
  ~TDxTextFile();
  TDxTextFile(const TDxTextFile&) = delete;
  TDxTextFile& operator=(const TDxTextFile&) = delete;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Name) { FFileName = Name; }
  bool Eof();
  TDxLine& Line() { return FLine; }
  const TDxLine& Line() const { return FLine; }
  void SetWordSep(const std::string& S) { FLine.SetWordSep(S); }
  void SetCommentChar(const std::string& S) { FLine.SetCommentChar(S); }

  // Back to the start of the file; Line keeps its text until the next read.
  void ResetFile();
  // Reads the next line into Line (split, comment cut); false at the end.
  bool NextLine();
  // Reads until the current line's first words are Words; false at the end.
  bool SkipUntil(const std::vector<std::string>& Words);
  // Reads until a line whose first word is a decimal number / an integer.
  bool SkipUntilFloat();
  bool SkipUntilInt();
  // Reads at least one line, then on while the line has no words.
  void SkipBlankLines();

private:
  bool Fill();

  std::string FFileName;
  int FFile = -1;  // the open file's descriptor
  std::vector<char> FBuf;
  size_t FPos = 0;
  size_t FEnd = 0;
  bool FAtEnd = false;  // nothing more to read from the descriptor
  std::string FPending;  // a line that runs across buffer fills
  TDxLine FLine;
};
