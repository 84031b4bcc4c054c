#pragma once
// One description per session field: every line of the timer, site and
// run-options files is one entry of SessionFields(), with its keyword, its
// file and place, the session member it is read from and written to, its
// type, range, decimals and unit, and the page, caption and control it has
// in the main window. The writer (KvInputFiles.cpp), the readers
// (KvReadSession.cpp), the pages and the manual's field tables all work from
// this table; adding a field is one entry here plus its session member.

#include <string>
#include <vector>

class TDxLine;
class TKvSession;

// The input file a field is written to.
enum class TFieldFile { Timer, Site, RunOptions };

// How a value is written and read back:
//   Integer       "%d", read as a whole number;
//   Decimal       "%.6f", read as a decimal number;
//   WholeDecimal  a whole number written "%d.0", read back rounded, halves to even;
//   Name          between single quotes, read as one word without the quotes;
//   Text          between single quotes, read as the rest of the line (it may hold blanks).
enum class TFieldType { Integer, Decimal, WholeDecimal, Name, Text };

struct TFieldRange {
  long double Min = 0;
  long double Max = 0;
};

struct TSessionField {
  const char* Keyword;
  TFieldFile File;
  int Place;  // the line in its file, counted from 1 after the three header lines
  TFieldType Type;
  int Decimals;         // as written to the file
  const char* Unit;     // "-": a choice or a plain number; "": none (texts)
  const char* Name;     // what the field is, in a sentence or a list
  const char* Page;     // the page (tab caption without "&") or dialog; "": none
  const char* Caption;  // the caption it has there, as the window shows it
  const char* Control;  // the object name of its control
  int HelpContext;      // the help topic of its page; 0: none
  const char* Comment;  // the comment after the value (run-options file)

  // The session member. A number field has Number (and SetNumber when it is
  // read back), a text field Text (and SetText); a field without a setter is
  // derived again when the files are next written and is not read.
  long double (*Number)(const TKvSession&) = nullptr;
  void (*SetNumber)(TKvSession&, long double) = nullptr;
  std::string (*Text)(const TKvSession&) = nullptr;
  void (*SetText)(TKvSession&, const std::string&) = nullptr;
  // The allowed range: the session's own limits or the catalogue's; null
  // for texts and derived values.
  TFieldRange (*Range)(const TKvSession&) = nullptr;
  // The keyword's width in its line when it differs from the file's usual.
  int (*KeyWidth)(const TKvSession&) = nullptr;

  bool IsText() const { return Type == TFieldType::Name || Type == TFieldType::Text; }
  // Read back from the file into the session.
  bool IsRead() const { return SetNumber || SetText; }
  // The value as it stands after "= " (quoted texts with their quotes).
  std::string ValueText(const TKvSession& S) const;
  // The whole line the writer puts into the file.
  std::string LineText(const TKvSession& S) const;
  // Takes the value of a line of the file (word 3 on) into the session; a
  // field that is not read leaves the session as it is.
  void ReadFrom(TKvSession& S, const TDxLine& L) const;
  // The caption without its access key and its closing colon.
  std::string PlainCaption() const;
};

// Every field of the input files, each file's fields in their order there.
const std::vector<TSessionField>& SessionFields();
// The fields of one file, in their order there.
std::vector<const TSessionField*> SessionFieldsOf(TFieldFile File);
// The field of a keyword (letter case does not matter); null when none.
const TSessionField* FindSessionField(const std::string& Keyword);
// The field a page shows under this caption (exact, or without its access
// key and colon); null when none.
const TSessionField* FindSessionField(const std::string& Page, const std::string& Caption);
