#pragma once
// Spreadsheet export of the result windows.
//
// A window owns one TOLEExcel. On the first export it creates the workbook,
// each export adds a worksheet and fills it cell by cell (rows and columns
// counted from 1), and making the workbook visible shows it to the user.
//
// The workbook is kept in memory. Showing it writes every sheet so far as an
// .xlsx file in the workbook's directory, under a new name each time (a file
// written before, which the user may have open, is never replaced), and opens
// it with the desktop's spreadsheet application; when no application can open
// it, a box says where the file is. In the file a cell text that is a number
// is a number (with the decimals it was written with), any other text a text;
// title cells are bold.
//
// A sheet goes into the file's form (compressed) once, at the first save
// after it was filled; later saves copy it, so showing the workbook after
// the 60th export costs about what the one new sheet costs.

#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "foundations/XlsxBook.h"

class TDxStringGrid;

// A font as the spreadsheet cells take it.
struct TExcelFont {
  QString Name = QStringLiteral("Arial");
  int Size = 10;
  QColor Color = Qt::black;
  bool Bold = false;
  bool Italic = false;
  bool UnderLine = false;
  bool Strikethrough = false;
  bool operator==(const TExcelFont& O) const;
};

class TOLEExcel : public QObject {
  Q_OBJECT
 public:
  static constexpr int MaxSheetNameLength = 31;
  static constexpr int MaxRows = 1048576;
  static constexpr int MaxCols = 16384;

  explicit TOLEExcel(QObject* AOwner = nullptr);
  ~TOLEExcel() override;

  // Creates the (empty) workbook; from then on IsCreated. Calling it again
  // starts a new workbook.
  void CreateExcelInstance();
  bool IsCreated() const { return FExcelCreated; }

  // Adds a worksheet (creating the workbook when there is none) and makes it
  // the one every cell operation writes into. Its name is aName made valid
  // for a sheet name (the characters []:*?/\ and control characters become
  // "_", apostrophes at either end go, an empty name becomes "Sheet") and cut
  // so that a number fits, followed by the first number from 1 on that no
  // sheet of the workbook has yet ("Potential1", "Potential2").
  void CreateNewSheet(const QString& aName);

  // Cell (row ARow, column ACol) of the last sheet, both from 1. Nothing
  // happens (empty text, null date) before the workbook is created. A cell
  // outside a worksheet fails with EKvError.
  void SetCell(int ACol, int ARow, const QString& Value);
  QString GetCell(int ACol, int ARow) const;
  // The cell gets "'" + the date and time as the program writes them
  // ("dd-mm-yyyy hh:mm:ss"): a text, never a number.
  void SetDateCell(int ACol, int ARow, const QDateTime& Value);
  QDateTime GetDateCell(int ACol, int ARow) const;

  // Grid cell (column c, row r), counted from 0, goes to the cell in row
  // r + StartRow + 1, column c + 1, in three passes: the fixed columns and the
  // fixed rows with the title font, then the other cells with the cell font.
  void StringGridToExcel(const TDxStringGrid& StringGrid) { StringGridToExcelAt(StringGrid, 0); }
  void StringGridToExcelAt(const TDxStringGrid& StringGrid, int StartRow);
  // Item i (from 0) goes to row Row + i / 2, column Col + i % 2: a list of
  // label, value, label, value ... fills a two-column block.
  void StringListToExcelAt(const QStringList& StringList, int Row, int Col);

  // Visible(true) shows the workbook (writes the file and opens it); it does
  // nothing before the workbook is created or while it has no sheet.
  // Visible(false) leaves a shown workbook to the user. The value read is
  // the one the component was created with.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  const TExcelFont& TitleFont() const { return FTitleFont; }
  void SetTitleFont(const TExcelFont& Font) { FTitleFont = Font; }
  const TExcelFont& CellFont() const { return FCellFont; }
  void SetCellFont(const TExcelFont& Font) { FCellFont = Font; }
  // When true (after creation) no font goes with the cells: title cells are
  // then bold and the others plain.
  bool IgnoreFont() const { return FIgnoreFont; }
  void SetIgnoreFont(bool Value) { FIgnoreFont = Value; }

  // Where the workbook is written: the directory (as the program names
  // files) and the start of the file name, which says whose tables it holds
  // ("KRL-detailed"). The file is Dir + Stem + "-" + the last sheet's name +
  // ".xlsx", or with " (2)", " (3)" ... before ".xlsx" when that exists.
  void SetWorkbookPlace(const QString& Dir, const QString& Stem);
  // The file the workbook was last written to; empty before.
  const QString& LastFileName() const { return FLastFileName; }
  // Writes the workbook to a new file as described and answers its name
  // (SetVisible(true) does this before it opens the file); a workbook without
  // sheets gets an empty "Sheet1" first. EKvError when the file cannot be
  // written, and then no file is left.
  QString SaveWorkbook();

  // The workbook's sheets in the order they were added.
  int SheetCount() const { return static_cast<int>(FSheets.size()); }
  QString SheetName(int Index) const { return FSheets.at(static_cast<size_t>(Index)).Name; }
  // How many sheets have been put into the file's form since the workbook was
  // created: each sheet once, and again only when it changed after a save.
  int SheetPartsMade() const { return FBook.SheetPartsMade(); }

  // A valid sheet name for aName with the number No after it.
  static QString NumberedSheetName(const QString& aName, int No);

 private:
  struct TCell {
    QString Text;
    bool Title = false;
    int Font = -1;  // index into FFonts; -1: no font sent
  };
  struct TSheet {
    QString Name;
    std::map<std::pair<int, int>, TCell> Cells;  // (row, column) from 1
    bool InBook = false;                         // FBook holds it as it is
  };

  void PutCell(int ACol, int ARow, const QString& Value, bool Title);
  int FontIndex(const TExcelFont& Font);
  bool SheetNameInUse(const QString& Name) const;
  // Puts every sheet that is new or changed into FBook.
  void UpdateBook();
  int CellStyle(const TCell& C, int Decimals);

  bool FExcelCreated = false;
  bool FVisible = false;
  std::vector<TSheet> FSheets;  // the workbook; the last is the work sheet
  TExcelFont FCellFont;
  TExcelFont FTitleFont;
  bool FIgnoreFont = true;
  std::vector<TExcelFont> FFonts;                     // fonts sent with cells
  TXlsxBook FBook;                                    // the sheets in the file's form
  std::map<std::tuple<bool, int, int>, int> FStyles;  // (title, font, decimals) -> style of FBook
  QString FDir;
  QString FStem = QStringLiteral("Export");
  QString FLastFileName;
};
