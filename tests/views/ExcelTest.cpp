// Spreadsheet export: sheets numbered per name, cells placed as the result
// windows rely on, the workbook written as a new .xlsx file each time it is
// shown and read back with an independent reader.

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "DxGrid.h"
#include "ExcelSupport.h"
#include "OLEExcel.h"
#include "WinTestSupport.h"
#include "foundations/Errors.h"

namespace fs = std::filesystem;

// A cell read back holds a number or a text as expected.
void ExpectValue(const TReadCell& C, const std::string& Type, const std::string& Value) {
  EXPECT_EQ(C.Type, Type);
  if (C.Type == "n")
    EXPECT_DOUBLE_EQ(std::stod(C.Value), std::stod(Value));
  else
    EXPECT_EQ(C.Value, Value);
}

TEST(Excel, SheetNamesAreNumberedAndAlwaysValid) {
  TOLEExcel X;
  X.CreateExcelInstance();
  const QString Long = QString(40, 'L');
  struct {
    QString Given, Named;
  } Cases[] = {
      {"Potential", "Potential1"},
      {"Potential", "Potential2"},
      {"potential", "potential3"},  // names are compared without regard to case
      {"Water-limited", "Water-limited1"},
      {"a[b]:c*?/\\d", "a_b__c____d1"},
      {"'quoted'", "quoted'1"},
      {"", "Sheet1"},
      {"tab\there", "tab_here1"},
      {Long, QString(30, 'L') + "1"},
      {Long, QString(30, 'L') + "2"},
  };
  for (const auto& C : Cases) {
    X.CreateNewSheet(C.Given);
    EXPECT_EQ(X.SheetName(X.SheetCount() - 1), C.Named) << C.Given.toStdString();
  }
  // More sheets of a name cut to the limit than one digit can count: the
  // numbering goes on and the names keep within 31 characters.
  for (int i = 3; i <= 12; ++i) X.CreateNewSheet(Long);
  EXPECT_EQ(X.SheetName(X.SheetCount() - 1), QString(29, 'L') + "12");
  EXPECT_EQ(X.SheetName(X.SheetCount() - 1).size(), 31);
}

TEST(Excel, CellsGoWhereTheWindowsPutThem) {
  TOLEExcel X;
  X.CreateExcelInstance();
  X.CreateNewSheet("Potential");

  TDxStringGrid G;
  G.SetAll(3, {{"", "DAY", "LAI"}, {"r1", "1", "0.5"}, {"r2", "2", "0.7"}});
  G.SetFixedRows(1);
  G.SetFixedCols(1);
  X.StringGridToExcelAt(G, 13);
  EXPECT_EQ(X.GetCell(1, 14), "");  // the corner cell is empty
  EXPECT_EQ(X.GetCell(2, 14), "DAY");
  EXPECT_EQ(X.GetCell(1, 15), "r1");
  EXPECT_EQ(X.GetCell(2, 15), "1");  // body cell (1, 1)
  EXPECT_EQ(X.GetCell(3, 16), "0.7");

  X.StringListToExcelAt({"i0", "i1", "i2", "i3", "i4"}, 1, 1);
  EXPECT_EQ(X.GetCell(1, 1), "i0");
  EXPECT_EQ(X.GetCell(2, 1), "i1");
  EXPECT_EQ(X.GetCell(1, 2), "i2");
  EXPECT_EQ(X.GetCell(2, 2), "i3");
  EXPECT_EQ(X.GetCell(1, 3), "i4");
  EXPECT_EQ(X.GetCell(2, 3), "");

  const QDateTime When(QDate(2024, 2, 29), QTime(13, 5, 9));
  X.SetDateCell(4, 2, When);
  EXPECT_EQ(X.GetCell(4, 2), "'29-02-2024 13:05:09");
  EXPECT_EQ(X.GetDateCell(4, 2), When);

  EXPECT_THROW(X.SetCell(0, 1, "x"), EKvError);
  EXPECT_THROW(X.SetCell(1, TOLEExcel::MaxRows + 1, "x"), EKvError);
}

TEST(Excel, NothingHappensBeforeTheWorkbookIsCreated) {
  TTempDir Dir;
  TOpenRecorder Opener;
  TOLEExcel X;
  X.SetWorkbookPlace(QString::fromStdString(Dir.Path()), "KRL-detailed");
  EXPECT_FALSE(X.IsCreated());
  X.SetCell(1, 1, "x");
  EXPECT_EQ(X.GetCell(1, 1), "");
  EXPECT_FALSE(X.GetDateCell(1, 1).isValid());
  TDxStringGrid G;
  G.SetAll(1, {{"a"}});
  X.StringGridToExcelAt(G, 0);
  X.SetVisible(true);
  EXPECT_TRUE(Opener.Opened.empty());
  EXPECT_TRUE(fs::is_empty(Dir.Path()));

  // A new sheet creates the workbook.
  X.CreateNewSheet("Potential");
  EXPECT_TRUE(X.IsCreated());
  X.SetCell(1, 1, "x");
  EXPECT_EQ(X.GetCell(1, 1), "x");
}

TEST(Excel, EachShowingWritesANewFileAndNeverReplacesOne) {
  TTempDir Dir;
  TOLEExcel X;
  X.SetWorkbookPlace(QString::fromStdString(Dir.Path()), "KRL-detailed");
  X.CreateExcelInstance();
  X.CreateNewSheet("Potential");
  X.SetCell(1, 1, "first");
  // A workbook of that name from an earlier export, in other letter case.
  Dir.Write("krl-detailed-potential1.xlsx", "the user's own");
  {
    TOpenRecorder Opener;
    X.SetVisible(true);
    ASSERT_EQ(Opener.Opened.size(), 1u);
    EXPECT_EQ(Opener.Opened[0], Dir / "KRL-detailed-Potential1 (2).xlsx");
  }
  EXPECT_EQ(Dir.Read("krl-detailed-potential1.xlsx"), "the user's own");

  X.CreateNewSheet("Potential");
  X.SetCell(1, 1, "second");
  {
    // No application opens it: a box says where the file is.
    TScriptedMessages Boxes;
    const std::string File = Dir / "KRL-detailed-Potential2.xlsx";
    Boxes.Expect(TMsgKind::Information,
                 "No application was found to open the workbook. It has been saved as " + File);
    TOpenRecorder Opener(ShellCode::NoAssociation);
    X.SetVisible(true);
    EXPECT_EQ(X.LastFileName().toStdString(), File);
  }
  X.SetVisible(false);
  EXPECT_TRUE(Dir.Exists("KRL-detailed-Potential1 (2).xlsx"));

  // The directory is gone: the export fails with a message and leaves nothing.
  X.SetWorkbookPlace(QString::fromStdString(Dir / "gone/"), "KRL-detailed");
  try {
    X.SaveWorkbook();
    ADD_FAILURE() << "no error";
  } catch (const EKvError& E) {
    EXPECT_EQ(std::string(E.what()).rfind("The workbook could not be written to " + Dir / "gone/", 0), 0u)
        << E.what();
  }
}

TEST(Excel, TheWrittenWorkbookReadsBackCellForCell) {
  SKIP_WITHOUT_OPENPYXL();
  TTempDir Dir;
  TOpenRecorder Opener;
  TOLEExcel X;
  X.SetWorkbookPlace(QString::fromStdString(Dir.Path()), "KRL-summary");
  X.CreateExcelInstance();
  X.CreateNewSheet("Potential");
  X.StringListToExcelAt({"RUNNAM:", "KRL1", "YEAR:", "1987", "RAIN:", ""}, 1, 1);
  TDxStringGrid G;
  G.SetAll(4, {{"YEAR", "RUNNAM", "LAI", "TWSO"},
               {"    1987", "    KRL1", "    0.50", "  7100.0"},
               {"    1988", "     -->", "   1e+03", "    245."}});
  G.SetFixedRows(1);
  X.StringGridToExcelAt(G, 8);
  X.SetDateCell(3, 1, QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));

  X.CreateNewSheet("Water-limited");
  X.SetIgnoreFont(false);
  TExcelFont Cell;
  Cell.Name = "Courier New";
  Cell.Italic = true;
  X.SetCellFont(Cell);
  X.SetCell(2, 3, "12");
  X.SetCell(1, 1, "Résumé ±");
  X.SetVisible(true);
  ASSERT_EQ(Opener.Opened.size(), 1u);

  TReadBook B;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[0]), B));
  EXPECT_EQ(B.Sheets, (std::vector<std::string>{"Potential1", "Water-limited1"}));
  const auto& P = B.Cells["Potential1"];
  struct {
    const char* At;
    const char* Type;
    const char* Value;
    bool Bold;
    const char* NumberFormat;
  } Expected[] = {
      {"A1", "s", "RUNNAM:", false, "General"}, {"B1", "s", "KRL1", false, "General"},
      {"A2", "s", "YEAR:", false, "General"},   {"B2", "n", "1987", false, "General"},
      {"A3", "s", "RAIN:", false, "General"},   {"C1", "s", "03-02-2001 04:05:06", false, "General"},
      {"A9", "s", "YEAR", true, "General"},     {"B9", "s", "RUNNAM", true, "General"},
      {"C9", "s", "LAI", true, "General"},      {"D9", "s", "TWSO", true, "General"},
      {"A10", "n", "1987", false, "General"},   {"B10", "s", "    KRL1", false, "General"},
      {"C10", "n", "0.5", false, "0.00"},       {"D10", "n", "7100", false, "0.0"},
      {"A11", "n", "1988", false, "General"},   {"B11", "s", "     -->", false, "General"},
      {"C11", "n", "1000", false, "General"},   {"D11", "n", "245", false, "General"},
  };
  for (const auto& E : Expected) {
    SCOPED_TRACE(E.At);
    ASSERT_EQ(P.count(E.At), 1u);
    const TReadCell& C = P.at(E.At);
    ExpectValue(C, E.Type, E.Value);
    EXPECT_EQ(C.Bold, E.Bold);
    EXPECT_EQ(C.NumberFormat, E.NumberFormat);
  }
  EXPECT_EQ(P.size(), std::size(Expected));  // the empty RAIN value wrote no cell

  const auto& W = B.Cells["Water-limited1"];
  ASSERT_EQ(W.count("B3"), 1u);
  EXPECT_EQ(W.at("B3").Type, "n");
  EXPECT_EQ(W.at("B3").Font, "Courier New");
  EXPECT_TRUE(W.at("B3").Italic);
  EXPECT_EQ(W.at("A1").Value, "Résumé ±");
}

TEST(Excel, ExportAfterExportKeepsEverySheetAndMakesOnlyTheNewOne) {
  SKIP_WITHOUT_OPENPYXL();
  TTempDir Dir;
  TOpenRecorder Opener;
  TOLEExcel X;
  X.SetWorkbookPlace(QString::fromStdString(Dir.Path()), "KRL-detailed");
  X.CreateExcelInstance();
  TDxStringGrid G;
  G.SetFixedRows(1);
  const auto Export = [&](const QString& Tab, const QString& Day, const QString& Lai) {
    X.CreateNewSheet(Tab);
    G.SetAll(2, {{"DAY", "LAI"}, {Day, Lai}});
    X.StringGridToExcelAt(G, 2);
    X.SetVisible(true);
  };
  Export("Potential", "1", "0.50");
  X.SetIgnoreFont(false);
  TExcelFont Cell;
  Cell.Name = "Courier New";
  Cell.Italic = true;
  X.SetCellFont(Cell);
  Export("Potential", "2", "0.750");
  X.SetIgnoreFont(true);
  Export("Water-limited", "3", "1e+01");
  ASSERT_EQ(Opener.Opened.size(), 3u);
  EXPECT_EQ(X.SheetPartsMade(), 3);  // not 1 + 2 + 3

  TReadBook B;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[2]), B));
  EXPECT_EQ(B.Sheets, (std::vector<std::string>{"Potential1", "Potential2", "Water-limited1"}));
  struct {
    const char *Sheet, *At, *Type, *Value;
    bool Bold, Italic;
    const char *Font, *NumberFormat;
  } Expected[] = {
      {"Potential1", "A3", "s", "DAY", true, false, "Calibri", "General"},
      {"Potential1", "A4", "n", "1", false, false, "Calibri", "General"},
      {"Potential1", "B4", "n", "0.5", false, false, "Calibri", "0.00"},
      {"Potential2", "B3", "s", "LAI", true, false, "Arial", "General"},
      {"Potential2", "A4", "n", "2", false, true, "Courier New", "General"},
      {"Potential2", "B4", "n", "0.75", false, true, "Courier New", "0.000"},
      {"Water-limited1", "A3", "s", "DAY", true, false, "Calibri", "General"},
      {"Water-limited1", "B4", "n", "10", false, false, "Calibri", "General"},
  };
  for (const auto& E : Expected) {
    SCOPED_TRACE(std::string(E.Sheet) + "!" + E.At);
    ASSERT_EQ(B.Cells[E.Sheet].count(E.At), 1u);
    const TReadCell& C = B.Cells[E.Sheet].at(E.At);
    ExpectValue(C, E.Type, E.Value);
    EXPECT_EQ(C.Bold, E.Bold);
    EXPECT_EQ(C.Italic, E.Italic);
    EXPECT_EQ(C.Font, E.Font);
    EXPECT_EQ(C.NumberFormat, E.NumberFormat);
  }
  // The first file stays as it was written.
  TReadBook First;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[0]), First));
  EXPECT_EQ(First.Sheets, (std::vector<std::string>{"Potential1"}));

  // A cell changed after the save: that sheet alone is made again.
  X.SetCell(1, 1, "changed");
  X.SetVisible(true);
  EXPECT_EQ(X.SheetPartsMade(), 4);
  TReadBook Again;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[3]), Again));
  EXPECT_EQ(Again.Cells["Water-limited1"]["A1"].Value, "changed");
  EXPECT_EQ(Again.Cells["Potential2"].size(), 4u);
}

TEST(Excel, AWorkbookTheDiskCannotTakeLeavesNoFileBehind) {
  TTempDir Dir;
  TOLEExcel X;
  X.SetWorkbookPlace(QString::fromStdString(Dir.Path()), "KRL-detailed");
  X.CreateNewSheet("Potential");
  for (int R = 1; R <= 50; ++R) X.SetCell(1, R, QString::number(R * 7919 % 10007) + ".25");
  {
    // A disk that fills up: no file may grow beyond 2 KB (this holds for root too).
    rlimit Old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Old), 0);
    const rlimit Small{2048, Old.rlim_max};
    const auto OldSignal = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &Small);
    std::string Message;
    try {
      X.SaveWorkbook();
    } catch (const EKvError& E) {
      Message = E.what();
    }
    setrlimit(RLIMIT_FSIZE, &Old);
    std::signal(SIGXFSZ, OldSignal);
    EXPECT_EQ(Message, "The workbook could not be written to " + Dir / "KRL-detailed-Potential1.xlsx" + ": " +
                           std::strerror(EFBIG));
  }
  EXPECT_TRUE(fs::is_empty(Dir.Path()));
  // The workbook is whole: the next save writes it under the name freed.
  EXPECT_EQ(X.SaveWorkbook().toStdString(), Dir / "KRL-detailed-Potential1.xlsx");
  EXPECT_GT(fs::file_size(Dir / "KRL-detailed-Potential1.xlsx"), 2048u);
}
