#pragma once
// One line of text cut into words on a single separator character.
//
// Words are numbered from 1; word 0 is the whole line. With an empty
// separator setting the line is split on blanks in collapsing mode
// (runs of blanks separate, leading and trailing blanks make no word); any
// other setting selects one separator character in explicit mode, where
// every separator separates and words may be empty. A caret followed by an
// upper-case letter or '[' names a control character ("^I" is the tab).
//
// Splitting records only where each word starts and how long it is; a word's
// text is copied out of the line when it is asked for.

#include <cstdint>
#include <string>
#include <vector>

class TDxLine {
 public:
  static constexpr int MaxWords = 255;

  TDxLine() = default;

  const std::string& Str() const { return FLine; }
  void SetStr(const std::string& S);
  void SetStr(const char* Data, size_t Len);

  const std::string& WordSep() const { return FWordSeparator; }
  void SetWordSep(const std::string& S) { FWordSeparator = S; }
  const std::string& CommentChar() const { return FCommentChar; }
  void SetCommentChar(const std::string& S) { FCommentChar = S; }

  int NoOfWords() const { return FNoOfWords; }
  std::string FirstWord() const { return GetWord(1); }
  std::string LastWord() const { return GetWord(FNoOfWords); }
  std::vector<std::string> WordList() const;

  std::string Words(int No) const { return GetWord(No); }
  std::string WordsFrom(int No) const { return GetWordsFrom(No); }
  int WordNo(const std::string& Word) const { return GetNo(Word); }

  // Word No; 0 the whole line; past the last word the empty string.
  std::string GetWord(int No) const;
  // The rest of the line from the first character of word No, unchanged.
  std::string GetWordsFrom(int No) const;
  // Number of the first word equal to Word (exact case), 0 when none.
  int GetNo(const std::string& Word) const;
  // Number of the first word equal to Word without regard to case, -1 when none.
  int IndexOf(const std::string& Word) const;
  // Word i equals Words[i-1] for every element; an empty list matches.
  bool Match(const std::vector<std::string>& Words) const;
  // Word No (0 the whole line) equals Word exactly; No must lie in 0..255.
  bool MatchNo(const std::string& Word, int No) const;
  // Word WordNo has a ChNo-th character (from 1) and it is Ch; ChNo >= 1.
  bool HasCh(int WordNo, int ChNo, char Ch) const;
  // Cuts the line before the first occurrence of the comment marker; the
  // word table is left as it was.
  void CutComment();

  // Length of word No without copying it (0 past the last word).
  size_t WordLength(int No) const;
  // Compares word No with Word without copying (exact case).
  bool WordIs(int No, const char* Word, size_t Len) const;

 private:
  struct TWordPos {
    int32_t Start = 0;  // 1-based position in FLine; 0: the word has no text
    int32_t Length = 0;
  };

  void Split();
  // Start and length of word No clipped to the current line.
  bool Span(int No, size_t& Pos, size_t& Len) const;

  std::string FWordSeparator;
  std::string FCommentChar;
  std::string FLine;
  int FNoOfWords = 0;
  TWordPos FWords[MaxWords + 1];
};
