#pragma once
// Comma-separated text as the study reads and writes it: a field that holds
// a comma, a double quote, a line break or blanks at its ends is enclosed in
// double quotes, a quote inside doubled. Records end in LF or CR LF.

#include <string>
#include <vector>

// The field as it is written.
std::string CsvField(const std::string& Value);
// Fields joined by commas, each through CsvField, and a line end (LF).
std::string CsvRecord(const std::vector<std::string>& Fields);

// Reads the record that starts at Pos of Text into Fields and moves Pos past
// its line end. False at the end of the text. A quote that is never closed
// raises EKvError naming the line (Line counts the lines passed).
bool NextCsvRecord(const std::string& Text, size_t& Pos, int& Line, std::vector<std::string>& Fields);

// The whole file as bytes; EInOutError when it cannot be read.
std::string ReadWholeFile(const std::string& FileName);
// Writes the file so that a reader sees either the old or the whole new
// content, never a part: a temporary file beside it, flushed to the disk,
// then renamed over it. EInOutError on failure.
void WriteFileAtomically(const std::string& FileName, const std::string& Content);

// A file's name and its whole new content.
struct TFileText {
  std::string Name;
  std::string Content;
};
// As WriteFileAtomically for each file, with every file written and flushed
// before the first is renamed: the flushes after the first find the disk's
// journal written already, so a group costs little more than one file. On a
// failure the files not yet renamed keep their old content.
void WriteFilesAtomically(const std::vector<TFileText>& Files);
