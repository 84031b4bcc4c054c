#pragma once
// The study's results as a spreadsheet file, written row by row (the
// workbook keeps the compressed sheet and one row's text). A cell whose text
// is a number is written as a number.

#include <string>
#include <vector>

#include "foundations/XlsxBook.h"

class TStudyXlsx {
 public:
  // Starts the file with one sheet "results" and its header row.
  TStudyXlsx(const std::string& FileName, const std::vector<std::string>& Header);

  // One row: the cells of First, then those of Second.
  void AddRow(const std::vector<std::string>& First, const std::vector<std::string>& Second);
  // Writes the file whole (a new file renamed over the old); EInOutError
  // when it cannot be written, and no file then.
  void Close();

 private:
  void Put(const std::string& Text);

  std::string FFileName;
  TXlsxBook FBook;
  std::vector<TXlsxCell> FCells;  // the row being made, its strings reused
  size_t FUsed = 0;               // cells of FCells in the row
  int FRow = 0;
  int FCol = 0;
};
