#include "OLEExcel.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

#include "DxGrid.h"
#include "QtHandlers.h"
#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"

namespace {
const QString DateTimeFormat = QStringLiteral("dd-MM-yyyy HH:mm:ss");
// The longest text a cell of the file holds.
constexpr qsizetype MaxCellText = 32767;

// A cell text as a number: the text without blanks around it is a decimal
// number with a full stop (an exponent allowed) that a cell can hold.
// Decimals: the number of digits after the full stop, -1 with an exponent.
bool CellNumber(const QString& Text, double& Value, int& Decimals) {
  const std::string S = TrimBlanks(ToCore(Text));
  long double V;
  if (S.empty() || !TryStrToFloat(S, V)) return false;
  Value = static_cast<double>(V);
  if (!std::isfinite(Value)) return false;
  Decimals = 0;
  if (S.find_first_of("eE") != std::string::npos) {
    Decimals = -1;
  } else {
    const size_t Dot = S.find('.');
    if (Dot != std::string::npos) Decimals = static_cast<int>(S.size() - Dot - 1);
  }
  return true;
}
}  // namespace

bool TExcelFont::operator==(const TExcelFont& O) const {
  return Name == O.Name && Size == O.Size && Color == O.Color && Bold == O.Bold && Italic == O.Italic &&
         UnderLine == O.UnderLine && Strikethrough == O.Strikethrough;
}

TOLEExcel::TOLEExcel(QObject* AOwner) : QObject(AOwner) { FTitleFont.Bold = true; }

TOLEExcel::~TOLEExcel() = default;

void TOLEExcel::CreateExcelInstance() {
  FSheets.clear();
  FFonts.clear();
  FBook.Clear();
  FStyles.clear();
  FExcelCreated = true;
}

// ---------------------------------------------------------------- sheets

QString TOLEExcel::NumberedSheetName(const QString& aName, int No) {
  static const QString Forbidden = QStringLiteral("[]:*?/\\");
  QString Base;
  Base.reserve(aName.size());
  for (const QChar C : aName)
    Base += (Forbidden.contains(C) || C.unicode() < 32 || C.unicode() == 127) ? QChar('_') : C;
  while (Base.startsWith('\'')) Base.remove(0, 1);
  if (Base.isEmpty()) Base = QStringLiteral("Sheet");
  const QString Number = QString::number(No);
  // The length counts characters, not UTF-16 units.
  QList<uint> Chars = Base.toUcs4();
  const qsizetype Room = MaxSheetNameLength - Number.size();
  if (Chars.size() > Room) Chars.resize(std::max<qsizetype>(Room, 0));
  return QString::fromUcs4(reinterpret_cast<const char32_t*>(Chars.constData()), Chars.size()) + Number;
}

bool TOLEExcel::SheetNameInUse(const QString& Name) const {
  for (const TSheet& S : FSheets)
    if (S.Name.compare(Name, Qt::CaseInsensitive) == 0) return true;
  return false;
}

void TOLEExcel::CreateNewSheet(const QString& aName) {
  if (!FExcelCreated) CreateExcelInstance();
  // Every number gives a valid name and only names in use are refused, so
  // a free one is found within one more try than there are sheets.
  for (int No = 1;; ++No) {
    const QString Name = NumberedSheetName(aName, No);
    if (!SheetNameInUse(Name)) {
      FSheets.push_back(TSheet{Name, {}});
      return;
    }
  }
}

// ---------------------------------------------------------------- cells

int TOLEExcel::FontIndex(const TExcelFont& Font) {
  for (size_t i = 0; i < FFonts.size(); ++i)
    if (FFonts[i] == Font) return static_cast<int>(i);
  FFonts.push_back(Font);
  return static_cast<int>(FFonts.size()) - 1;
}

void TOLEExcel::PutCell(int ACol, int ARow, const QString& Value, bool Title) {
  if (!FExcelCreated) return;
  if (ACol < 1 || ACol > MaxCols || ARow < 1 || ARow > MaxRows)
    throw EKvError(Format("Cell (row %d, column %d) lies outside a worksheet", ARow, ACol));
  if (FSheets.empty()) CreateNewSheet(QStringLiteral("Sheet"));
  FSheets.back().InBook = false;
  auto& Cells = FSheets.back().Cells;
  const std::pair<int, int> Key(ARow, ACol);
  if (Value.isEmpty()) {
    Cells.erase(Key);
    return;
  }
  TCell& C = Cells[Key];
  C.Text = Value;
  C.Title = Title;
  C.Font = FIgnoreFont ? -1 : FontIndex(Title ? FTitleFont : FCellFont);
}

void TOLEExcel::SetCell(int ACol, int ARow, const QString& Value) { PutCell(ACol, ARow, Value, false); }

QString TOLEExcel::GetCell(int ACol, int ARow) const {
  if (!FExcelCreated || FSheets.empty()) return {};
  const auto& Cells = FSheets.back().Cells;
  const auto It = Cells.find({ARow, ACol});
  return It == Cells.end() ? QString() : It->second.Text;
}

void TOLEExcel::SetDateCell(int ACol, int ARow, const QDateTime& Value) {
  PutCell(ACol, ARow, "'" + Value.toString(DateTimeFormat), false);
}

QDateTime TOLEExcel::GetDateCell(int ACol, int ARow) const {
  if (!FExcelCreated) return {};
  QString Text = GetCell(ACol, ARow).trimmed();
  if (Text.startsWith('\'')) Text.remove(0, 1);
  return QDateTime::fromString(Text, DateTimeFormat);
}

void TOLEExcel::StringGridToExcelAt(const TDxStringGrid& G, int StartRow) {
  if (!FExcelCreated) return;
  const int Cols = G.ColCount(), Rows = G.RowCount();
  const int FixedCols = std::min(G.FixedCols(), Cols), FixedRows = std::min(G.FixedRows(), Rows);
  for (int C = 0; C < FixedCols; ++C)
    for (int R = 0; R < Rows; ++R) PutCell(C + 1, R + StartRow + 1, G.Cells(C, R), true);
  for (int R = 0; R < FixedRows; ++R)
    for (int C = 0; C < Cols; ++C) PutCell(C + 1, R + StartRow + 1, G.Cells(C, R), true);
  for (int R = FixedRows; R < Rows; ++R)
    for (int C = FixedCols; C < Cols; ++C) PutCell(C + 1, R + StartRow + 1, G.Cells(C, R), false);
}

void TOLEExcel::StringListToExcelAt(const QStringList& StringList, int Row, int Col) {
  if (!FExcelCreated) return;
  for (qsizetype i = 0; i < StringList.size(); ++i)
    PutCell(Col + static_cast<int>(i % 2), Row + static_cast<int>(i / 2), StringList[i], false);
}

// ---------------------------------------------------------------- the file

void TOLEExcel::SetWorkbookPlace(const QString& Dir, const QString& Stem) {
  FDir = Dir;
  FStem = Stem;
}

QString TOLEExcel::SaveWorkbook() {
  // A workbook has at least one sheet.
  if (FSheets.empty()) CreateNewSheet(QStringLiteral("Sheet"));
  UpdateBook();
  std::string Dir = FDir.isEmpty() ? GetCurrentDir() : ExpandFileName(ToCore(FDir));
  if (Dir.empty() || !IsPathDelimiter(Dir.back())) Dir += '/';
  const std::string Base = Dir + ToCore(FStem + "-" + FSheets.back().Name);
  // A new file every time: the name is taken with an exclusive create (a
  // name that exists in another letter case counts as taken).
  std::string Name;
  for (int No = 1;; ++No) {
    Name = MapFileName(No == 1 ? Base + ".xlsx" : Base + " (" + std::to_string(No) + ").xlsx");
    const int Fd = OpenPlainFile(Name, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (Fd >= 0) {
      close(Fd);
      break;
    }
    if (errno != EEXIST && errno != EISDIR && errno != EINVAL && errno != ENXIO)
      throw EKvError("The workbook could not be written to " + Name + ": " + std::strerror(errno));
  }
  try {
    // Written beside the name taken and put in its place once complete.
    TDxTextWriter Out(Name);
    FBook.Save([&Out](const std::string& Bytes) { Out.Write(Bytes); });
    Out.Close();
  } catch (const EInOutError& E) {
    unlink(Name.c_str());
    throw EKvError("The workbook could not be written to " + Name + ": " + std::strerror(E.ErrorCode()));
  } catch (...) {
    unlink(Name.c_str());
    throw;
  }
  FLastFileName = FromCore(Name);
  return FLastFileName;
}

int TOLEExcel::CellStyle(const TCell& C, int Decimals) {
  Decimals = std::max(Decimals, 0);
  const auto Key = std::make_tuple(C.Title, C.Font, Decimals);
  const auto Known = FStyles.find(Key);
  if (Known != FStyles.end()) return Known->second;
  TXlsxFont Font;
  if (C.Font >= 0) {
    const TExcelFont& F = FFonts[static_cast<size_t>(C.Font)];
    Font.Name = F.Name.toStdString();
    Font.Size = F.Size;
    Font.Color = static_cast<int32_t>(F.Color.rgb() & 0xFFFFFF);
    Font.Bold = F.Bold;
    Font.Italic = F.Italic;
    Font.Underline = F.UnderLine;
    Font.Strikethrough = F.Strikethrough;
  } else {
    Font.Bold = C.Title;
  }
  const int Style = FBook.Style(Font, Decimals);
  FStyles.emplace(Key, Style);
  return Style;
}

void TOLEExcel::UpdateBook() {
  for (size_t i = 0; i < FSheets.size(); ++i) {
    TSheet& S = FSheets[i];
    if (S.InBook) continue;
    std::vector<TXlsxCell> Cells;
    Cells.reserve(S.Cells.size());
    for (const auto& [Pos, C] : S.Cells) {
      TXlsxCell X;
      X.Row = Pos.first;
      X.Col = Pos.second;
      int Decimals = 0;
      X.IsNumber = CellNumber(C.Text, X.Number, Decimals);
      if (!X.IsNumber) {
        // A leading apostrophe marks a text that is kept as text.
        QString Text = C.Text.startsWith('\'') ? C.Text.mid(1) : C.Text;
        if (Text.size() > MaxCellText) Text.truncate(MaxCellText);
        X.Text = Text.toStdString();
      }
      X.Style = CellStyle(C, Decimals);
      Cells.push_back(std::move(X));
    }
    FBook.SetSheet(i, S.Name.toStdString(), std::move(Cells));
    S.InBook = true;
  }
}

void TOLEExcel::SetVisible(bool Value) {
  // Hiding leaves a shown workbook to the user: it lives in its own file.
  if (!Value || !FExcelCreated || FSheets.empty()) return;
  const QString File = SaveWorkbook();
  if (ShellOpenDocument(ToCore(File)) <= 32)
    ShowInfoBox("No application was found to open the workbook. It has been saved as " + ToCore(File));
}
