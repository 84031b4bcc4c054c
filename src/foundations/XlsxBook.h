#pragma once
// A spreadsheet workbook written as an .xlsx file (a zip container of XML
// parts), made to be saved again and again as sheets are added.
//
// Each sheet's part is made and compressed once, when the sheet is set; a
// save makes only the small parts anew (content types, relations, the
// workbook with its sheet names, the styles) and copies every sheet's
// compressed bytes as they are. Saving a book of many sheets after adding one
// thus costs about what the one sheet costs.
//
// Styles are only ever added, never changed or removed, so a style number
// inside a kept sheet part stays valid for the book's whole life.
//
// Texts are UTF-8. Cells are numbers or texts (written inline in the sheet,
// so a sheet part needs nothing of the others).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A cell font.
struct TXlsxFont {
  std::string Name = "Calibri";
  double Size = 11;
  int32_t Color = -1;  // 0xRRGGBB; -1: the automatic colour
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;
  bool operator==(const TXlsxFont& O) const;
};

// A cell of a sheet: row and column from 1, a number or a text, and a style
// of TXlsxBook::Style (0: the default font, General number format).
struct TXlsxCell {
  int Row = 1;
  int Col = 1;
  bool IsNumber = false;
  double Number = 0;
  std::string Text;
  int Style = 0;
};

// Where a saved workbook's bytes go, piece by piece.
using TXlsxSink = std::function<void(const std::string& Bytes)>;

class TXlsxBook {
 public:
  static constexpr int MaxRows = 1048576;
  static constexpr int MaxCols = 16384;

  // The style of cells in Font whose number shows Decimals digits after the
  // point (0 or less: the General format). The same font and decimals give
  // the same style for the book's whole life.
  int Style(const TXlsxFont& Font, int Decimals);

  // Makes sheet Index (from 0; Index == SheetCount() adds one) with its name
  // and cells, and keeps its compressed part for every later save. Cells are
  // taken in row and column order whatever their order here; a later cell at
  // the same place wins. EKvError for a name that is empty, longer than 31
  // characters, has one of []:*?/\ or is in use (letter case aside), for a
  // cell outside a sheet, and for a style the book does not have.
  void SetSheet(size_t Index, const std::string& Name, std::vector<TXlsxCell> Cells);
  size_t SheetCount() const { return FSheets.size(); }
  const std::string& SheetName(size_t Index) const { return FSheets.at(Index).Name; }

  // Writes the whole file to Out: the first sheet is the one shown when the
  // file is opened. What Out raises passes through.
  void Save(const TXlsxSink& Out) const;
  // The file's bytes (Save into a string).
  std::string Bytes() const;

  // How many sheet parts the book has made since it was created or cleared:
  // one per SetSheet. Saving makes none.
  int SheetPartsMade() const { return FSheetPartsMade; }

  // Starts an empty book: no sheets, no styles but the default.
  void Clear();

  // A large sheet built row by row, its part compressed as the rows come, so
  // that the book holds only the compressed bytes and one row's text:
  // StartSheet (name and Index as SetSheet; Level is zlib's compression level,
  // 1 the fastest, -1 its default), AddRow for each row from the top, then
  // FinishSheet. A row's cells come in column order, and a row lies below the
  // row before it; EKvError otherwise, and for what SetSheet refuses. Another
  // StartSheet or a Clear drops a sheet not yet finished.
  void StartSheet(size_t Index, const std::string& Name, int Level = -1);
  void AddRow(const TXlsxCell* Cells, size_t Count);
  void AddRow(const std::vector<TXlsxCell>& Cells) { AddRow(Cells.data(), Cells.size()); }
  void FinishSheet();

 private:
  // A part of the container, compressed.
  struct TPart {
    std::string Name;
    std::string Data;  // raw deflate
    uint32_t Crc = 0;
    uint64_t Size = 0;  // uncompressed
  };
  struct TSheet {
    std::string Name;
    TPart Part;
  };
  struct TStyle {
    int Font = 0;
    int Decimals = 0;
  };

  std::string StylesXml() const;
  std::string WorkbookXml() const;
  std::string ContentTypesXml() const;
  std::string WorkbookRelsXml() const;

  std::vector<TXlsxFont> FFonts{TXlsxFont()};
  std::vector<TStyle> FStyles{TStyle()};
  std::vector<TSheet> FSheets;
  int FSheetPartsMade = 0;

  // The sheet being built row by row.
  struct TSheetStream;
  struct TSheetStreamEnd {
    void operator()(TSheetStream* S) const;
  };
  std::unique_ptr<TSheetStream, TSheetStreamEnd> FStream;
  void CheckSheetName(size_t Index, const std::string& Name) const;
  void CheckCell(const TXlsxCell& C) const;
};
