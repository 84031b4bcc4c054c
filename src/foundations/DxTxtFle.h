#pragma once
// Forward reader of a text file whose current line is a TDxLine.
//
// A line is the text up to the first carriage return or line feed; reading
// then moves on past the next line feed, so CR LF and LF alone both end a
// line and a lone CR cuts the rest of its line off. A final line without a
// break is read like any other; a break at the very end makes no extra line.
//
// The file is read either through a buffer of 256 KiB (Buffered, the default:
// memory stays small whatever the file's size) or whole into memory when it
// is opened (Whole: for a reader that walks its file several times, like the
// detailed output reader). Both give the same lines and the same current line
// everywhere, also at the end of the file.
//
// In Whole mode SkipUntil passes over short lines that do not contain the
// keyword anywhere without splitting them: no word of such a line can equal
// the keyword, and a line that short cannot hold more words than a line can
// count, so splitting it could not fail either. Longer lines are always
// split.

#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "foundations/DxLine.h"

// An allocator whose resize leaves new characters as they are: a buffer that
// read() fills at once is not first filled with zeros.
template <class T>
struct TUninitAlloc : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = TUninitAlloc<U>;
  };
  TUninitAlloc() = default;
  template <class U>
  TUninitAlloc(const TUninitAlloc<U>&) noexcept {}
  template <class U>
  void construct(U* P) noexcept {
    ::new (static_cast<void*>(P)) U;
  }
  template <class U, class... A>
  void construct(U* P, A&&... Args) {
    ::new (static_cast<void*>(P)) U(std::forward<A>(Args)...);
  }
};

class TDxTextFile {
 public:
  enum class TReading { Buffered, Whole };

  // The file must exist (and not be a directory): else EDxError
  // "File '<FileName>' not found". One that cannot be opened or read, or is
  // not a regular file: EInOutError.
  explicit TDxTextFile(const std::string& FileName, TReading Reading = TReading::Buffered);
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
  // Reads until a line without words; false at the end. In memory, with
  // blank-separated words and no comments, the lines passed over are not
  // split.
  bool SkipToBlankLine();

 private:
  bool Fill();
  void ReadWhole();
  // Whole mode: the next line's text (up to its first CR or LF); moves past
  // its LF.
  void TakeLine(const char*& Text, size_t& Len);
  void Load(const char* Text, size_t Len);
  bool SkipUntilInMemory(const std::vector<std::string>& Words);

  std::string FFileName;
  int FFile = -1;  // the open file's descriptor; closed after a whole read
  bool FWhole = false;
  std::vector<char, TUninitAlloc<char>> FBuf;  // Buffered: the buffer; Whole: the file's text
  size_t FPos = 0;
  size_t FEnd = 0;
  bool FAtEnd = false;   // nothing more to read from the descriptor
  std::string FPending;  // a line that runs across buffer fills
  TDxLine FLine;
};
