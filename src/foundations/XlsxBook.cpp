#include "foundations/XlsxBook.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "foundations/Errors.h"

namespace {
const char* const XmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char* const MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const PackageRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr int MaxSheetName = 31;
// The first number format id a workbook may define for itself.
constexpr int FirstOwnNumFmt = 164;

// Text for XML element content or (Attr) an attribute value. Characters XML
// cannot hold (control characters other than tab and line breaks, U+FFFE and
// U+FFFF) are written as the spreadsheet's _xHHHH_ escapes.
void AppendXml(std::string& Out, const std::string& S, bool Attr = false) {
  for (size_t i = 0; i < S.size(); ++i) {
    const char Ch = S[i];
    const unsigned char C = static_cast<unsigned char>(Ch);
    if (C == 0xEF && i + 2 < S.size() && S[i + 1] == '\xBF' && (S[i + 2] == '\xBE' || S[i + 2] == '\xBF')) {
      Out += S[i + 2] == '\xBE' ? "_xFFFE_" : "_xFFFF_";
      i += 2;
      continue;
    }
    switch (C) {
      case '&': Out += "&amp;"; break;
      case '<': Out += "&lt;"; break;
      case '>': Out += "&gt;"; break;
      case '"':
        if (Attr)
          Out += "&quot;";
        else
          Out += Ch;
        break;
      case '\t':
      case '\n':
      case '\r':
        if (Attr) {
          Out += "&#";
          Out += std::to_string(C);
          Out += ';';
        } else {
          Out += Ch;
        }
        break;
      default:
        if (C < 0x20) {
          static const char Hex[] = "0123456789ABCDEF";
          Out += "_x00";
          Out += Hex[C >> 4];
          Out += Hex[C & 15];
          Out += '_';
        } else {
          Out += Ch;
        }
    }
  }
}

std::string Xml(const std::string& S, bool Attr = false) {
  std::string Out;
  Out.reserve(S.size());
  AppendXml(Out, S, Attr);
  return Out;
}

// A number as the file holds it: the shortest text of at most 16
// significant digits, without the C locale.
void AppendNumber(std::string& Out, double V) {
  char Buf[40];
  const auto R = std::to_chars(Buf, Buf + sizeof Buf, V, std::chars_format::general, 16);
  Out.append(Buf, R.ptr);
}

std::string NumberText(double V) {
  std::string S;
  AppendNumber(S, V);
  return S;
}

// "A1" for row 1, column 1.
void AppendCellRef(std::string& Out, int Row, int Col) {
  char Letters[4];
  int N = 0;
  for (int C = Col; C > 0; C = (C - 1) / 26) Letters[N++] = static_cast<char>('A' + (C - 1) % 26);
  while (N > 0) Out += Letters[--N];
  Out += std::to_string(Row);
}

// Characters, not bytes, of a UTF-8 text.
size_t Utf8Length(const std::string& S) {
  size_t N = 0;
  for (const char C : S) N += (static_cast<unsigned char>(C) & 0xC0) != 0x80;
  return N;
}

std::string AsciiUpper(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
  return S;
}

uint32_t Crc32(const std::string& S) {
  uLong Crc = crc32(0L, Z_NULL, 0);
  const char* P = S.data();
  size_t Left = S.size();
  while (Left > 0) {
    const uInt N = static_cast<uInt>(std::min<size_t>(Left, std::numeric_limits<uInt>::max()));
    Crc = crc32(Crc, reinterpret_cast<const Bytef*>(P), N);
    P += N;
    Left -= N;
  }
  return static_cast<uint32_t>(Crc);
}

// The text of the part Name compressed as raw deflate, as the zip container
// keeps it.
void Compress(const std::string& Name, const std::string& Text, std::string& Data, uint32_t& Crc,
              uint64_t& Size) {
  if (Text.size() >= 0xFFFFFFFFu) throw EKvError("A worksheet is too large to be written to a workbook");
  z_stream Z{};
  if (deflateInit2(&Z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw EKvError("The workbook could not be compressed (" + Name + ")");
  std::string Out(deflateBound(&Z, static_cast<uLong>(Text.size())), '\0');
  Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Text.data()));
  Z.avail_in = static_cast<uInt>(Text.size());
  Z.next_out = reinterpret_cast<Bytef*>(Out.data());
  Z.avail_out = static_cast<uInt>(Out.size());
  const int Rc = deflate(&Z, Z_FINISH);
  const uLong Made = Z.total_out;
  deflateEnd(&Z);
  if (Rc != Z_STREAM_END) throw EKvError("The workbook could not be compressed (" + Name + ")");
  Out.resize(Made);
  Data = std::move(Out);
  Crc = Crc32(Text);
  Size = Text.size();
}

void Put16(std::string& Out, uint32_t V) {
  Out += static_cast<char>(V & 0xFF);
  Out += static_cast<char>((V >> 8) & 0xFF);
}

void Put32(std::string& Out, uint32_t V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}

// Every part carries the same time stamp, the earliest a zip can hold
// (1 January 1980, midnight), so the same book gives the same bytes.
constexpr uint32_t ZipTime = 0;
constexpr uint32_t ZipDate = (0 << 9) | (1 << 5) | 1;
constexpr uint32_t ZipVersion = 20;
constexpr uint32_t Deflated = 8;

// The fields a part's local header and its directory entry share.
void PutPartFields(std::string& Out, const std::string& Name, uint32_t Crc, uint64_t Packed, uint64_t Size) {
  Put16(Out, ZipVersion);
  Put16(Out, 0);  // no flags
  Put16(Out, Deflated);
  Put16(Out, ZipTime);
  Put16(Out, ZipDate);
  Put32(Out, Crc);
  Put32(Out, static_cast<uint32_t>(Packed));
  Put32(Out, static_cast<uint32_t>(Size));
  Put16(Out, static_cast<uint32_t>(Name.size()));
  Put16(Out, 0);  // no extra field
}

std::string FontXml(const TXlsxFont& F) {
  std::string S = "<font>";
  if (F.Bold) S += "<b/>";
  if (F.Italic) S += "<i/>";
  if (F.Strikethrough) S += "<strike/>";
  if (F.Underline) S += "<u/>";
  S += "<sz val=\"" + NumberText(F.Size) + "\"/>";
  if (F.Color >= 0) {
    char Rgb[16];
    std::snprintf(Rgb, sizeof Rgb, "FF%06X", static_cast<unsigned>(F.Color & 0xFFFFFF));
    S += std::string("<color rgb=\"") + Rgb + "\"/>";
  }
  S += "<name val=\"" + Xml(F.Name, true) + "\"/>";
  if (F.Name == "Calibri") S += "<family val=\"2\"/>";
  return S + "</font>";
}

// The start of a sheet's XML up to its first row; Dimension is the range of
// its cells ("A1" for none).
std::string SheetHead(bool First, const std::string& Dimension) {
  std::string S = XmlHead;
  S += std::string("<worksheet xmlns=\"") + MainNs + "\" xmlns:r=\"" + RelNs + "\">";
  S += "<dimension ref=\"" + Dimension + "\"/><sheetViews><sheetView ";
  if (First) S += "tabSelected=\"1\" ";
  S += "workbookViewId=\"0\"/></sheetViews><sheetFormatPr defaultRowHeight=\"15\"/><sheetData>";
  return S;
}

const char* const SheetTail =
    "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
    "footer=\"0.3\"/></worksheet>";

// The range from the first cell's row and the leftmost column to the last
// cell's row and the rightmost column.
std::string Dimension(int FirstRow, int LastRow, int MinCol, int MaxCol, size_t Count) {
  std::string S;
  if (Count == 0) return "A1";
  AppendCellRef(S, FirstRow, MinCol);
  if (Count > 1) {
    S += ':';
    AppendCellRef(S, LastRow, MaxCol);
  }
  return S;
}

void AppendRowStart(std::string& S, int Row) {
  S += "<row r=\"";
  S += std::to_string(Row);
  S += "\">";
}

void AppendCell(std::string& S, const TXlsxCell& C) {
  S += "<c r=\"";
  AppendCellRef(S, C.Row, C.Col);
  S += '"';
  if (C.Style != 0) S += " s=\"" + std::to_string(C.Style) + "\"";
  if (C.IsNumber) {
    S += "><v>";
    AppendNumber(S, C.Number);
    S += "</v></c>";
  } else {
    const bool Keep = !C.Text.empty() && (std::isspace(static_cast<unsigned char>(C.Text.front())) ||
                                          std::isspace(static_cast<unsigned char>(C.Text.back())) ||
                                          C.Text.find_first_of("\t\r\n") != std::string::npos);
    S += Keep ? " t=\"inlineStr\"><is><t xml:space=\"preserve\">" : " t=\"inlineStr\"><is><t>";
    AppendXml(S, C.Text);
    S += "</t></is></c>";
  }
}

// A sheet's XML: the cells in row and column order, texts inline.
std::string SheetXml(bool First, const std::vector<TXlsxCell>& Cells) {
  int MinCol = Cells.empty() ? 1 : Cells.front().Col, MaxCol = MinCol;
  for (const TXlsxCell& C : Cells) {
    MinCol = std::min(MinCol, C.Col);
    MaxCol = std::max(MaxCol, C.Col);
  }
  std::string S =
      SheetHead(First, Dimension(Cells.empty() ? 1 : Cells.front().Row, Cells.empty() ? 1 : Cells.back().Row,
                                 MinCol, MaxCol, Cells.size()));
  S.reserve(S.size() + 256 + Cells.size() * 40);
  int Row = 0;
  for (const TXlsxCell& C : Cells) {
    if (C.Row != Row) {
      if (Row != 0) S += "</row>";
      Row = C.Row;
      AppendRowStart(S, Row);
    }
    AppendCell(S, C);
  }
  if (Row != 0) S += "</row>";
  S += SheetTail;
  return S;
}

// Raw deflate of a text that comes in pieces, into Data.
class TDeflater {
 public:
  TDeflater(const std::string& Name, int Level) : FName(Name) {
    if (deflateInit2(&FZ, Level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw EKvError("The workbook could not be compressed (" + Name + ")");
    FCrc = crc32(0L, Z_NULL, 0);
  }
  ~TDeflater() { deflateEnd(&FZ); }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;

  // Takes Text (and empties it); Flush is zlib's Z_NO_FLUSH, Z_SYNC_FLUSH or
  // Z_FINISH.
  void Put(std::string& Text, int Flush) {
    FSize += Text.size();
    if (FSize >= 0xFFFFFFFFu) throw EKvError("A worksheet is too large to be written to a workbook");
    FCrc = crc32(FCrc, reinterpret_cast<const Bytef*>(Text.data()), static_cast<uInt>(Text.size()));
    FZ.next_in = reinterpret_cast<Bytef*>(Text.data());
    FZ.avail_in = static_cast<uInt>(Text.size());
    for (;;) {
      if (Data.size() - FZ.total_out < 65536)
        Data.resize(std::max<size_t>(Data.size() * 3 / 2, FZ.total_out + 65536));
      FZ.next_out = reinterpret_cast<Bytef*>(Data.data() + FZ.total_out);
      FZ.avail_out = static_cast<uInt>(Data.size() - FZ.total_out);
      const int Rc = deflate(&FZ, Flush);
      if (Rc == Z_STREAM_END) break;
      if (Rc != Z_OK && Rc != Z_BUF_ERROR)
        throw EKvError("The workbook could not be compressed (" + FName + ")");
      if (FZ.avail_in == 0 && FZ.avail_out > 0 && Flush != Z_FINISH) break;
    }
    Text.clear();
    if (Flush != Z_NO_FLUSH) Data.resize(FZ.total_out);
  }
  uLong Crc() const { return FCrc; }
  uint64_t Size() const { return FSize; }

  std::string Data;

 private:
  std::string FName;
  z_stream FZ{};
  uLong FCrc = 0;
  uint64_t FSize = 0;
};
}  // namespace

bool TXlsxFont::operator==(const TXlsxFont& O) const {
  return Name == O.Name && Size == O.Size && Color == O.Color && Bold == O.Bold && Italic == O.Italic &&
         Underline == O.Underline && Strikethrough == O.Strikethrough;
}

// ---------------------------------------------------------------- content

int TXlsxBook::Style(const TXlsxFont& Font, int Decimals) {
  Decimals = std::max(Decimals, 0);
  const auto F = std::find(FFonts.begin(), FFonts.end(), Font);
  const int FontNo = static_cast<int>(F - FFonts.begin());
  if (F == FFonts.end()) FFonts.push_back(Font);
  for (size_t i = 0; i < FStyles.size(); ++i)
    if (FStyles[i].Font == FontNo && FStyles[i].Decimals == Decimals) return static_cast<int>(i);
  FStyles.push_back({FontNo, Decimals});
  return static_cast<int>(FStyles.size()) - 1;
}

void TXlsxBook::CheckSheetName(size_t Index, const std::string& Name) const {
  if (Index > FSheets.size()) throw EKvError("A workbook's sheets are added one after the other");
  if (Name.empty() || Utf8Length(Name) > MaxSheetName || Name.find_first_of("[]:*?/\\") != std::string::npos)
    throw EKvError("\"" + Name + "\" is not a valid worksheet name");
  for (size_t i = 0; i < FSheets.size(); ++i)
    if (i != Index && AsciiUpper(FSheets[i].Name) == AsciiUpper(Name))
      throw EKvError("The workbook has a worksheet named \"" + Name + "\" already");
}

void TXlsxBook::CheckCell(const TXlsxCell& C) const {
  if (C.Row < 1 || C.Row > MaxRows || C.Col < 1 || C.Col > MaxCols)
    throw EKvError("Cell (row " + std::to_string(C.Row) + ", column " + std::to_string(C.Col) +
                   ") lies outside a worksheet");
  if (C.Style < 0 || static_cast<size_t>(C.Style) >= FStyles.size())
    throw EKvError("The workbook has no cell style " + std::to_string(C.Style));
  if (C.IsNumber && !std::isfinite(C.Number))
    throw EKvError("A worksheet cell cannot hold the number " + NumberText(C.Number));
}

void TXlsxBook::SetSheet(size_t Index, const std::string& Name, std::vector<TXlsxCell> Cells) {
  CheckSheetName(Index, Name);
  for (const TXlsxCell& C : Cells) CheckCell(C);
  // In place order, the last of a place kept.
  std::stable_sort(Cells.begin(), Cells.end(), [](const TXlsxCell& A, const TXlsxCell& B) {
    return A.Row != B.Row ? A.Row < B.Row : A.Col < B.Col;
  });
  std::vector<TXlsxCell> Unique;
  Unique.reserve(Cells.size());
  for (TXlsxCell& C : Cells) {
    if (!Unique.empty() && Unique.back().Row == C.Row && Unique.back().Col == C.Col)
      Unique.back() = std::move(C);
    else
      Unique.push_back(std::move(C));
  }

  TSheet Sheet;
  Sheet.Name = Name;
  Sheet.Part.Name = "xl/worksheets/sheet" + std::to_string(Index + 1) + ".xml";
  Compress(Sheet.Part.Name, SheetXml(Index == 0, Unique), Sheet.Part.Data, Sheet.Part.Crc, Sheet.Part.Size);
  ++FSheetPartsMade;
  if (Index == FSheets.size())
    FSheets.push_back(std::move(Sheet));
  else
    FSheets[Index] = std::move(Sheet);
}

// ---------------------------------------------------------------- a sheet row by row

struct TXlsxBook::TSheetStream {
  TSheetStream(size_t I, const std::string& N, int L) : Index(I), Name(N), Level(L), Body(N, L) {}
  size_t Index;
  std::string Name;
  int Level;
  TDeflater Body;    // the rows and the end of the sheet
  std::string Text;  // rows not yet compressed
  int FirstRow = 0, LastRow = 0, MinCol = MaxCols + 1, MaxCol = 0;
  size_t Count = 0;
};

void TXlsxBook::TSheetStreamEnd::operator()(TSheetStream* S) const { delete S; }

void TXlsxBook::StartSheet(size_t Index, const std::string& Name, int Level) {
  FStream.reset();
  CheckSheetName(Index, Name);
  if (Level != Z_DEFAULT_COMPRESSION && (Level < 1 || Level > 9))
    throw EKvError("No compression level " + std::to_string(Level));
  FStream.reset(new TSheetStream(Index, Name, Level));
  FStream->Text.reserve(1 << 18);
}

void TXlsxBook::AddRow(const TXlsxCell* Cells, size_t Count) {
  if (!FStream) throw EKvError("A row was given to a workbook with no sheet started");
  if (Count == 0) return;
  const TXlsxCell* const End = Cells + Count;
  TSheetStream& S = *FStream;
  const int Row = Cells[0].Row;
  if (Row <= S.LastRow)
    throw EKvError("Row " + std::to_string(Row) + " comes after row " + std::to_string(S.LastRow));
  int Col = 0;
  for (const TXlsxCell* C = Cells; C != End; ++C) {
    CheckCell(*C);
    if (C->Row != Row || C->Col <= Col)
      throw EKvError("Cell (row " + std::to_string(C->Row) + ", column " + std::to_string(C->Col) +
                     ") is out of order");
    Col = C->Col;
  }
  if (S.Count == 0) S.FirstRow = Row;
  S.LastRow = Row;
  S.MinCol = std::min(S.MinCol, Cells[0].Col);
  S.MaxCol = std::max(S.MaxCol, End[-1].Col);
  S.Count += Count;
  AppendRowStart(S.Text, Row);
  for (const TXlsxCell* C = Cells; C != End; ++C) AppendCell(S.Text, *C);
  S.Text += "</row>";
  if (S.Text.size() >= (1 << 18)) S.Body.Put(S.Text, Z_NO_FLUSH);
}

void TXlsxBook::FinishSheet() {
  if (!FStream) throw EKvError("A workbook has no sheet started");
  const std::unique_ptr<TSheetStream, TSheetStreamEnd> S = std::move(FStream);
  S->Text += SheetTail;
  S->Body.Put(S->Text, Z_FINISH);
  // The head, known only now, is compressed on its own and ends on a byte
  // boundary without closing the stream, so the body's bytes follow it as
  // one deflate stream.
  std::string HeadText =
      SheetHead(S->Index == 0, Dimension(S->FirstRow, S->LastRow, S->MinCol, S->MaxCol, S->Count));
  TDeflater Head(S->Name, S->Level);
  Head.Put(HeadText, Z_SYNC_FLUSH);

  TSheet Sheet;
  Sheet.Name = S->Name;
  Sheet.Part.Name = "xl/worksheets/sheet" + std::to_string(S->Index + 1) + ".xml";
  Sheet.Part.Size = Head.Size() + S->Body.Size();
  if (Sheet.Part.Size >= 0xFFFFFFFFu) throw EKvError("A worksheet is too large to be written to a workbook");
  Sheet.Part.Crc =
      static_cast<uint32_t>(crc32_combine(Head.Crc(), S->Body.Crc(), static_cast<z_off_t>(S->Body.Size())));
  Sheet.Part.Data = std::move(Head.Data);
  Sheet.Part.Data += S->Body.Data;
  ++FSheetPartsMade;
  if (S->Index == FSheets.size())
    FSheets.push_back(std::move(Sheet));
  else
    FSheets[S->Index] = std::move(Sheet);
}

void TXlsxBook::Clear() {
  FStream.reset();
  FFonts.assign(1, TXlsxFont());
  FStyles.assign(1, TStyle());
  FSheets.clear();
  FSheetPartsMade = 0;
}

// ---------------------------------------------------------------- the small parts

std::string TXlsxBook::ContentTypesXml() const {
  std::string S = XmlHead;
  S +=
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
      "<Override PartName=\"/xl/styles.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
  for (const TSheet& Sh : FSheets)
    S += "<Override PartName=\"/" + Sh.Part.Name +
         "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
  return S + "</Types>";
}

std::string TXlsxBook::WorkbookXml() const {
  std::string S = XmlHead;
  S += std::string("<workbook xmlns=\"") + MainNs + "\" xmlns:r=\"" + RelNs +
       "\"><bookViews><workbookView activeTab=\"0\"/></bookViews><sheets>";
  for (size_t i = 0; i < FSheets.size(); ++i) {
    const std::string No = std::to_string(i + 1);
    S += "<sheet name=\"" + Xml(FSheets[i].Name, true) + "\" sheetId=\"" + No + "\" r:id=\"rId" + No + "\"/>";
  }
  return S + "</sheets></workbook>";
}

std::string TXlsxBook::WorkbookRelsXml() const {
  std::string S = XmlHead;
  S += std::string("<Relationships xmlns=\"") + PackageRelNs + "\">";
  for (size_t i = 0; i < FSheets.size(); ++i)
    S += "<Relationship Id=\"rId" + std::to_string(i + 1) + "\" Type=\"" + RelNs + "/worksheet\" Target=\"" +
         FSheets[i].Part.Name.substr(3) + "\"/>";
  S += "<Relationship Id=\"rId" + std::to_string(FSheets.size() + 1) + "\" Type=\"" + RelNs +
       "/styles\" Target=\"styles.xml\"/>";
  return S + "</Relationships>";
}

std::string TXlsxBook::StylesXml() const {
  // Number formats by the decimals they show, in the order styles use them.
  std::vector<int> Decimals;
  for (const TStyle& St : FStyles)
    if (St.Decimals > 0 && std::find(Decimals.begin(), Decimals.end(), St.Decimals) == Decimals.end())
      Decimals.push_back(St.Decimals);
  const auto NumFmtId = [&](int D) {
    if (D <= 0) return 0;
    return FirstOwnNumFmt +
           static_cast<int>(std::find(Decimals.begin(), Decimals.end(), D) - Decimals.begin());
  };

  std::string S = XmlHead;
  S += std::string("<styleSheet xmlns=\"") + MainNs + "\">";
  if (!Decimals.empty()) {
    S += "<numFmts count=\"" + std::to_string(Decimals.size()) + "\">";
    for (const int D : Decimals)
      S += "<numFmt numFmtId=\"" + std::to_string(NumFmtId(D)) + "\" formatCode=\"0." +
           std::string(static_cast<size_t>(D), '0') + "\"/>";
    S += "</numFmts>";
  }
  S += "<fonts count=\"" + std::to_string(FFonts.size()) + "\">";
  for (const TXlsxFont& F : FFonts) S += FontXml(F);
  S += "</fonts><fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
       "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
       "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
       "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
       "borderId=\"0\"/></cellStyleXfs>";
  S += "<cellXfs count=\"" + std::to_string(FStyles.size()) + "\">";
  for (const TStyle& St : FStyles) {
    const int Fmt = NumFmtId(St.Decimals);
    S += "<xf numFmtId=\"" + std::to_string(Fmt) + "\" fontId=\"" + std::to_string(St.Font) +
         "\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
    if (Fmt != 0) S += " applyNumberFormat=\"1\"";
    if (St.Font != 0) S += " applyFont=\"1\"";
    S += "/>";
  }
  S +=
      "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
      "</styleSheet>";
  return S;
}

// ---------------------------------------------------------------- the container

void TXlsxBook::Save(const TXlsxSink& Out) const {
  if (FSheets.size() + 5 > 0xFFFF) throw EKvError("A workbook holds too many worksheets to be written");
  std::vector<TPart> Small(5);
  const std::pair<const char*, std::string> Texts[] = {
      {"[Content_Types].xml", ContentTypesXml()},
      {"_rels/.rels", std::string(XmlHead) + "<Relationships xmlns=\"" + PackageRelNs +
                          "\"><Relationship Id=\"rId1\" Type=\"" + RelNs +
                          "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml", WorkbookXml()},
      {"xl/_rels/workbook.xml.rels", WorkbookRelsXml()},
      {"xl/styles.xml", StylesXml()},
  };
  for (size_t i = 0; i < Small.size(); ++i) {
    Small[i].Name = Texts[i].first;
    Compress(Small[i].Name, Texts[i].second, Small[i].Data, Small[i].Crc, Small[i].Size);
  }
  std::vector<const TPart*> Parts;
  for (const TPart& P : Small) Parts.push_back(&P);
  for (const TSheet& Sh : FSheets) Parts.push_back(&Sh.Part);

  std::string Directory;
  uint64_t Offset = 0;
  for (const TPart* P : Parts) {
    if (Offset > 0xFFFFFFFFu) throw EKvError("The workbook is too large to be written");
    std::string Header;
    Put32(Header, 0x04034b50);
    PutPartFields(Header, P->Name, P->Crc, P->Data.size(), P->Size);
    Header += P->Name;

    Put32(Directory, 0x02014b50);
    Put16(Directory, ZipVersion);  // made by: version 2.0, MS-DOS attributes
    PutPartFields(Directory, P->Name, P->Crc, P->Data.size(), P->Size);
    Put16(Directory, 0);  // no comment
    Put16(Directory, 0);  // disk 0
    Put16(Directory, 0);  // internal attributes
    Put32(Directory, 0);  // external attributes
    Put32(Directory, static_cast<uint32_t>(Offset));
    Directory += P->Name;

    Out(Header);
    Out(P->Data);
    Offset += Header.size() + P->Data.size();
  }
  if (Offset + Directory.size() > 0xFFFFFFFFu) throw EKvError("The workbook is too large to be written");
  std::string End;
  Put32(End, 0x06054b50);
  Put16(End, 0);  // this disk
  Put16(End, 0);  // the directory's disk
  Put16(End, static_cast<uint32_t>(Parts.size()));
  Put16(End, static_cast<uint32_t>(Parts.size()));
  Put32(End, static_cast<uint32_t>(Directory.size()));
  Put32(End, static_cast<uint32_t>(Offset));
  Put16(End, 0);  // no comment
  Out(Directory);
  Out(End);
}

std::string TXlsxBook::Bytes() const {
  std::string All;
  Save([&All](const std::string& Piece) { All += Piece; });
  return All;
}
