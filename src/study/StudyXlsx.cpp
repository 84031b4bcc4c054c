#include "study/StudyXlsx.h"

#include "foundations/DxTxtWrt.h"
#include "foundations/Numbers.h"

namespace {
// The spreadsheet takes UTF-8; other bytes are read as Latin-1.
std::string Utf8(const std::string& S) {
  bool Ascii = true;
  for (const unsigned char C : S) Ascii = Ascii && C < 0x80;
  if (Ascii) return S;
  std::string R;
  size_t i = 0;
  bool Valid = true;
  while (i < S.size() && Valid) {
    const unsigned char C = static_cast<unsigned char>(S[i]);
    const size_t N = C < 0x80 ? 1 : (C >> 5) == 6 ? 2 : (C >> 4) == 14 ? 3 : (C >> 3) == 30 ? 4 : 0;
    if (N == 0 || i + N > S.size()) Valid = false;
    for (size_t k = 1; Valid && k < N; ++k) Valid = (static_cast<unsigned char>(S[i + k]) >> 6) == 2;
    i += N;
  }
  if (Valid) return S;
  for (const unsigned char C : S) {
    if (C < 0x80) {
      R += static_cast<char>(C);
    } else {
      R += static_cast<char>(0xC0 | (C >> 6));
      R += static_cast<char>(0x80 | (C & 0x3F));
    }
  }
  return R;
}
}  // namespace

TStudyXlsx::TStudyXlsx(const std::string& FileName, const std::vector<std::string>& Header)
    : FFileName(FileName) {
  // The fastest compression: a sheet of many thousand rows is made in a
  // fraction of the time, for a file about a third larger.
  FBook.StartSheet(0, "results", 1);
  FRow = 1;
  AddRow(Header, {});
}

void TStudyXlsx::Put(const std::string& Text) {
  ++FCol;
  if (Text.empty()) return;
  if (FUsed == FCells.size()) FCells.emplace_back();
  TXlsxCell& C = FCells[FUsed++];
  C.Row = FRow;
  C.Col = FCol;
  long double X = 0;
  C.IsNumber = TryStrToFloat(Text, X) && Text.find_first_of(" \t") == std::string::npos;
  if (C.IsNumber) {
    C.Number = static_cast<double>(X);
    C.Text.clear();
  } else {
    C.Text = Utf8(Text);
  }
}

void TStudyXlsx::AddRow(const std::vector<std::string>& First, const std::vector<std::string>& Second) {
  for (const std::string& S : First) Put(S);
  for (const std::string& S : Second) Put(S);
  FBook.AddRow(FCells.data(), FUsed);
  FUsed = 0;
  FCol = 0;
  ++FRow;
}

void TStudyXlsx::Close() {
  FBook.FinishSheet();
  TDxTextWriter Out(FFileName);
  FBook.Save([&Out](const std::string& Bytes) { Out.Write(Bytes); });
  Out.Close();
}
