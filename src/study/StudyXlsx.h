#pragma once
// The study's results as a spreadsheet file, written row by row (the
// workbook keeps one row in memory at a time). A cell whose text is a number
// is written as a number.

#include <string>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;

class TStudyXlsx {
 public:
  // Starts the file with one sheet "results" and its header row.
  TStudyXlsx(const std::string& FileName, const std::vector<std::string>& Header);
  ~TStudyXlsx();
  TStudyXlsx(const TStudyXlsx&) = delete;
  TStudyXlsx& operator=(const TStudyXlsx&) = delete;

  // One row: the cells of First, then those of Second.
  void AddRow(const std::vector<std::string>& First, const std::vector<std::string>& Second);
  // Finishes the file; EInOutError when it cannot be written.
  void Close();

 private:
  void Put(unsigned Col, const std::string& Text);

  std::string FFileName;
  lxw_workbook* FBook = nullptr;
  lxw_worksheet* FSheet = nullptr;
  unsigned FRow = 0;
};
