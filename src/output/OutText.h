#pragma once
// The detailed output file held in memory and read line by line.
//
// The detailed output reader walks its file several times (presence scans,
// the runs, the nutrient summaries). TOutTextFile reads the file once and
// then offers the operations of TDxTextFile with the same results: the same
// line breaks (text up to the first CR or LF, reading moves past the next
// LF), the same current line at the end of the file, and every line it stops
// on split by its TDxLine.
//
// A search for lines whose first word is a given keyword passes over short
// lines that do not contain the keyword anywhere without splitting them: no
// word of such a line can equal the keyword, and a line that short cannot
// hold more words than a line can count, so splitting it could not fail
// either. Longer lines are always split, exactly as TDxTextFile does.

#include <string>
#include <vector>

#include "foundations/DxLine.h"

class TOutTextFile {
public:
  // The file must exist (and not be a directory): else EDxError
  // "File '<FileName>' not found". One that cannot be opened or read, or is
  // not a regular file: EInOutError.
  explicit TOutTextFile(const std::string& FileName);
  TOutTextFile(const TOutTextFile&) = delete;
  TOutTextFile& operator=(const TOutTextFile&) = delete;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Name) { FFileName = Name; }
  bool Eof() const { return FPos >= FText.size(); }
  TDxLine& Line() { return FLine; }
  const TDxLine& Line() const { return FLine; }
  void SetWordSep(const std::string& S) { FLine.SetWordSep(S); }
  void SetCommentChar(const std::string& S) { FLine.SetCommentChar(S); }
  // Size of the text held.
  size_t Size() const { return FText.size(); }

  void ResetFile() { FPos = 0; }
  bool NextLine();
  bool SkipUntil(const std::vector<std::string>& Words);
  bool SkipUntilFloat();
  bool SkipUntilInt();
  void SkipBlankLines();

private:
  // The next line's text (up to its first CR or LF); moves past its LF.
  void TakeLine(const char*& Text, size_t& Len);
  void Load(const char* Text, size_t Len);

  std::string FFileName;
  std::string FText;
  size_t FPos = 0;
  TDxLine FLine;
};
