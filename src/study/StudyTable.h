#pragma once
// The study table: a comma-separated file, one row per simulation, whose
// columns name what the row changes in the base session. A column is a
// keyword of the session's input files (StudyKeywords.h) or a variable of
// the variable catalogue (a table variable written as x1,y1,x2,y2,...); an
// optional column ID names the rows, which are otherwise numbered from 1.
//
// The whole table is checked before anything runs, against the base
// session and the data catalogue: every faulty cell is named with its row,
// its column and the rule it breaks.

#include <string>
#include <vector>

class TKvSession;

struct TStudyRow {
  std::string Id;                   // the ID cell, or the row's number
  std::vector<std::string> Values;  // one per column of TStudyTable::Columns
  int Line = 0;                     // line of the file where the row starts
  bool Complete = true;             // as many cells as the header has
};

struct TStudyTable {
  std::vector<std::string> Columns;  // the columns a row changes, ID left out
  bool HasId = false;
  std::vector<TStudyRow> Rows;
};

struct TStudyProblem {
  int Row = 0;         // 1-based; 0: the table as a whole or its header
  std::string Column;  // empty: no one column
  std::string Rule;
};
// "row 3, column IDSOW: allowed range 1 to 366 (value 400)" and shorter forms.
std::string StudyProblemText(const TStudyProblem& Problem);

// Reads a table; EInOutError when the file cannot be read, EKvError for a
// quote that is never closed. The rows' cells are kept as written; a row
// with a different number of cells than the header is kept as it is and
// refused by the check.
TStudyTable ReadStudyTable(const std::string& FileName);
TStudyTable ParseStudyTable(const std::string& Text);
// The table as comma-separated text, ID column first when it has one.
std::string StudyTableText(const TStudyTable& Table);

// Every problem of the table, in row and column order; empty when the table
// is sound. Base is the session the rows change (for the weather years of a
// row that changes only some of station, first year and number of years).
// The variable and data catalogues must be loaded.
std::vector<TStudyProblem> CheckStudyTable(const TStudyTable& Table, const TKvSession& Base);

// Whether the column is a table variable (type S), whose values hold commas.
bool IsTableColumn(const std::string& Column);

// The factorial shorthand: every combination of the given values, the first
// column changing slowest. Each argument is COLUMN=VALUES with VALUES one of
//   a,b,c      the values listed (for a table variable: separated by ';')
//   *          every entry of the data catalogue (CRFILE, SOFILE, CLFILE)
//   a:b:step   from a to b in steps of step
// EKvError with the argument named when one cannot be read.
TStudyTable ExpandStudyTable(const std::vector<std::string>& Arguments);
