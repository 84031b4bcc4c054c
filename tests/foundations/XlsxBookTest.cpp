// The workbook writer: files an independent reader (Python's zipfile and
// openpyxl, skipped when missing) takes cell for cell, styles that stay
// right in kept sheets, and each sheet compressed once.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "foundations/Errors.h"
#include "foundations/XlsxBook.h"
#include "support/TestSupport.h"

namespace {
// Reads a workbook back: the container checked, then one line per sheet and
// per cell (coordinate, value, font, number format), values as Python
// writes them.
const char* const ReadBack = R"PY(
import sys, zipfile, openpyxl
z = zipfile.ZipFile(sys.argv[1])
print("bad part:", z.testzip())
wb = openpyxl.load_workbook(sys.argv[1])
for ws in wb.worksheets:
    print("sheet", repr(ws.title))
    for row in ws.iter_rows():
        for c in row:
            if c.value is None:
                continue
            f = c.font
            print(c.coordinate, repr(c.value), f.name, f.sz, "b" if f.b else "-", "i" if f.i else "-",
                  "u" if f.u else "-", "s" if f.strike else "-", f.color.rgb if f.color is not None else None,
                  c.number_format)
)PY";

bool HavePython() {
  static const bool Have = std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0;
  return Have;
}

std::string Read(const TTempDir& Dir, const TXlsxBook& Book, const std::string& Name) {
  WriteFileBytes(Dir / Name, Book.Bytes());
  Dir.Write("read.py", ReadBack);
  std::FILE* P = popen(("/usr/bin/python3 " + Dir / "read.py" + " " + Dir / Name + " 2>&1").c_str(), "r");
  std::string Out;
  char Buf[4096];
  for (size_t N; (N = std::fread(Buf, 1, sizeof Buf, P)) > 0;) Out.append(Buf, N);
  pclose(P);
  return Out;
}

TXlsxCell Text(int Row, int Col, const std::string& S, int Style = 0) {
  TXlsxCell C;
  C.Row = Row;
  C.Col = Col;
  C.Text = S;
  C.Style = Style;
  return C;
}

TXlsxCell Number(int Row, int Col, double V, int Style = 0) {
  TXlsxCell C;
  C.Row = Row;
  C.Col = Col;
  C.IsNumber = true;
  C.Number = V;
  C.Style = Style;
  return C;
}
}  // namespace

TEST(XlsxBook, AnIndependentReaderTakesEverySheetCellForCell) {
  if (!HavePython()) GTEST_SKIP() << "python3-openpyxl is not installed";
  TTempDir Dir;
  TXlsxBook Book;
  TXlsxFont Bold;
  Bold.Bold = true;
  const int Title = Book.Style(Bold, 0);
  TXlsxFont Odd;
  Odd.Name = "Courier New";
  Odd.Size = 9;
  Odd.Color = 0xC00000;
  Odd.Italic = Odd.Underline = Odd.Strikethrough = true;
  const int OddTwo = Book.Style(Odd, 2);
  EXPECT_EQ(Book.Style(Bold, 0), Title);
  EXPECT_EQ(Book.Style(TXlsxFont(), 0), 0);

  // Given out of order, one place twice (the later wins), texts that need
  // escaping or keep their blanks, columns past Z.
  Book.SetSheet(
      0, "Yields & <more>",
      {Number(2, 2, 7100.25, OddTwo), Text(1, 1, "YEAR", Title), Text(1, 28, "a\"b'c"), Number(2, 1, 1987),
       Text(2, 3, "  KRL1 & <x>  "), Text(1, 1, "YEAR!", Title), Text(3, 1, "Résumé ±\ttab"),
       Number(3, 2, -1e-7), Number(3, 3, 0.1), Text(4, 1, "bell\a, \xEF\xBF\xBF")});
  const std::string First = R"(bad part: None
sheet 'Yields & <more>'
A1 'YEAR!' Calibri 11.0 b - - - None General
AB1 'a"b\'c' Calibri 11.0 - - - - None General
A2 1987 Calibri 11.0 - - - - None General
B2 7100.25 Courier New 9.0 - i u s FFC00000 0.00
C2 '  KRL1 & <x>  ' Calibri 11.0 - - - - None General
A3 'Résumé ±\ttab' Calibri 11.0 - - - - None General
B3 -1e-07 Calibri 11.0 - - - - None General
C3 0.1 Calibri 11.0 - - - - None General
A4 'bell_x0007_, _xFFFF_' Calibri 11.0 - - - - None General
)";  // characters XML cannot hold go escaped (this reader shows the escapes)
  EXPECT_EQ(Read(Dir, Book, "one.xlsx"), First);

  // A style and a sheet added after the first save: the kept sheet's cells
  // keep their fonts and formats.
  TXlsxFont Big;
  Big.Size = 14;
  Book.SetSheet(1, "Second", {Number(1, 1, 3, Book.Style(Big, 3))});
  EXPECT_EQ(Read(Dir, Book, "two.xlsx"), First + R"(sheet 'Second'
A1 3 Calibri 14.0 - - - - None 0.000
)");
}

TEST(XlsxBook, EachSheetIsCompressedOnceAndSavesCopyIt) {
  TXlsxBook Book;
  Book.SetSheet(0, "One", {Number(1, 1, 1)});
  Book.SetSheet(1, "Two", {Number(1, 1, 2)});
  EXPECT_EQ(Book.SheetPartsMade(), 2);
  Book.SetSheet(2, "Three", {Number(1, 1, 3)});
  EXPECT_EQ(Book.Bytes(), Book.Bytes());  // the same book gives the same bytes
  EXPECT_EQ(Book.SheetPartsMade(), 3);
  // A sheet set again is made again, alone.
  Book.SetSheet(1, "Two", {Number(1, 1, 22)});
  EXPECT_EQ(Book.SheetPartsMade(), 4);
  EXPECT_EQ(Book.SheetCount(), 3u);

  Book.Clear();
  EXPECT_EQ(Book.SheetCount(), 0u);
  EXPECT_EQ(Book.SheetPartsMade(), 0);
}

TEST(XlsxBook, RefusesWhatWouldSpoilTheFile) {
  TXlsxBook Book;
  Book.SetSheet(0, "Potential1", {});
  struct {
    const char* What;
    size_t Index;
    std::string Name;
    TXlsxCell Cell;
  } Cases[] = {
      {"a gap in the sheets", 2, "Other", Number(1, 1, 1)},
      {"an empty name", 1, "", Number(1, 1, 1)},
      {"a name too long", 1, std::string(32, 'x'), Number(1, 1, 1)},
      {"a character names may not hold", 1, "a/b", Number(1, 1, 1)},
      {"a name in use", 1, "POTENTIAL1", Number(1, 1, 1)},
      {"row 0", 1, "Other", Number(0, 1, 1)},
      {"a column past the last", 1, "Other", Number(1, TXlsxBook::MaxCols + 1, 1)},
      {"a row past the last", 1, "Other", Number(TXlsxBook::MaxRows + 1, 1, 1)},
      {"a style the book lacks", 1, "Other", Number(1, 1, 1, 7)},
      {"no number", 1, "Other", Number(1, 1, std::nan(""))},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    EXPECT_THROW(Book.SetSheet(C.Index, C.Name, {C.Cell}), EKvError);
  }
  EXPECT_EQ(Book.SheetCount(), 1u);
  EXPECT_EQ(Book.SheetPartsMade(), 1);
  // The longest name counts characters, not bytes; a sheet keeps its own name.
  EXPECT_NO_THROW(Book.SetSheet(1, std::string(15, 'x') + "ééééééééééééééé" + "1", {}));
  EXPECT_NO_THROW(Book.SetSheet(0, "potential1", {}));
}

// A sheet built row by row, larger than one piece of compression: its part
// holds the same XML as the sheet set whole, at the fastest and the default
// level, and the container's checks (sizes, checksums) hold.
TEST(XlsxBook, ASheetBuiltRowByRowHoldsWhatTheWholeSheetHolds) {
  if (!HavePython()) GTEST_SKIP() << "python3-openpyxl is not installed";
  TTempDir Dir;
  std::vector<std::vector<TXlsxCell>> Rows;
  for (int r = 1; r <= 4000; ++r) {
    std::vector<TXlsxCell> Row;
    for (int c = 2; c <= 12; c += r % 3 == 0 ? 2 : 1)
      Row.push_back(c % 4 == 0 ? Text(r, c, "KRL" + std::to_string(r * c) + " & <x>")
                               : Number(r, c, r * 0.25 + c));
    Rows.push_back(Row);
  }
  TXlsxBook Whole;
  std::vector<TXlsxCell> All;
  for (const auto& Row : Rows) All.insert(All.end(), Row.begin(), Row.end());
  Whole.SetSheet(0, "results", All);
  WriteFileBytes(Dir / "whole.xlsx", Whole.Bytes());
  Dir.Write("parts.py", R"PY(
import sys, zipfile, hashlib
for name in sys.argv[1:]:
    z = zipfile.ZipFile(name)
    print(z.testzip(), [(i.filename, i.file_size, hashlib.md5(z.read(i)).hexdigest()) for i in z.infolist()])
)PY");
  for (const int Level : {1, -1}) {
    SCOPED_TRACE("level " + std::to_string(Level));
    TXlsxBook Book;
    Book.StartSheet(0, "results", Level);
    for (const auto& Row : Rows) Book.AddRow(Row);
    Book.FinishSheet();
    WriteFileBytes(Dir / "rows.xlsx", Book.Bytes());
    std::string Said[2];
    for (int i = 0; i < 2; ++i) {
      std::FILE* P = popen(
          ("/usr/bin/python3 " + Dir / "parts.py " + Dir / (i == 0 ? "whole.xlsx" : "rows.xlsx") + " 2>&1")
              .c_str(),
          "r");
      char Buf[4096];
      for (size_t N; (N = std::fread(Buf, 1, sizeof Buf, P)) > 0;) Said[i].append(Buf, N);
      pclose(P);
    }
    EXPECT_EQ(Said[1], Said[0]);
    EXPECT_EQ(Said[0].rfind("None [", 0), 0u) << Said[0];
  }

  // An empty sheet, and the refusals: rows out of order, cells out of order,
  // a row without a sheet started.
  TXlsxBook Book;
  Book.StartSheet(0, "empty");
  Book.FinishSheet();
  EXPECT_EQ(Book.SheetCount(), 1u);
  Book.StartSheet(1, "more");
  Book.AddRow({Number(3, 1, 1)});
  struct {
    const char* What;
    std::vector<TXlsxCell> Row;
  } Cases[] = {
      {"the same row again", {Number(3, 2, 1)}},
      {"a row above", {Number(2, 1, 1)}},
      {"columns backwards", {Number(4, 2, 1), Number(4, 1, 1)}},
      {"two rows in one", {Number(4, 1, 1), Number(5, 2, 1)}},
      {"a cell outside", {Number(4, TXlsxBook::MaxCols + 1, 1)}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    EXPECT_THROW(Book.AddRow(C.Row), EKvError);
  }
  Book.FinishSheet();
  EXPECT_THROW(Book.AddRow({Number(9, 1, 1)}), EKvError);
  EXPECT_THROW(Book.StartSheet(2, "MORE"), EKvError);
}
