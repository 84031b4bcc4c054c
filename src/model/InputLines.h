#pragma once
// The lines of a model input file, read whole before they are parsed, so that
// every complaint about a file can name the line it concerns and no line is
// too long or has too many words.
//
// A line ends in a line feed, optionally preceded by a carriage return; the
// last line needs no end. A carriage return anywhere else (a file with old
// line ends) and any other control character but the tab (binary data) make
// the file unreadable for the model: EModelError naming the file and line.

#include <string>
#include <vector>

struct TInputLine {
  int No = 0;        // from 1
  std::string Text;  // without its line end
};

// Reads every line of FileName; a missing file is reported as "file not
// found" with the key NamedBy that names the file.
std::vector<TInputLine> ReadInputLines(const std::string& FileName, const std::string& NamedBy);

// The words of S: runs of characters other than blanks and tabs.
std::vector<std::string> SplitWords(const std::string& S);

// "FILE, line N": where an error lies, for the ERROR line.
std::string AtLine(const std::string& FileName, int LineNo);
