#include "study/StudyXlsx.h"

#include <xlsxwriter.h>

#include <cerrno>

#include "foundations/Errors.h"
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
  lxw_workbook_options Options = {};
  Options.constant_memory = LXW_TRUE;
  FBook = workbook_new_opt(FileName.c_str(), &Options);
  if (!FBook) throw EInOutError(errno, FileName);
  FSheet = workbook_add_worksheet(FBook, "results");
  for (unsigned c = 0; c < Header.size(); ++c)
    worksheet_write_string(FSheet, 0, static_cast<lxw_col_t>(c), Utf8(Header[c]).c_str(), nullptr);
  FRow = 1;
}

TStudyXlsx::~TStudyXlsx() {
  if (FBook) workbook_close(FBook);
}

void TStudyXlsx::Put(unsigned Col, const std::string& Text) {
  if (Text.empty()) return;
  long double X = 0;
  if (TryStrToFloat(Text, X) && Text.find_first_of(" \t") == std::string::npos)
    worksheet_write_number(FSheet, FRow, static_cast<lxw_col_t>(Col), static_cast<double>(X), nullptr);
  else
    worksheet_write_string(FSheet, FRow, static_cast<lxw_col_t>(Col), Utf8(Text).c_str(), nullptr);
}

void TStudyXlsx::AddRow(const std::vector<std::string>& First, const std::vector<std::string>& Second) {
  unsigned Col = 0;
  for (const std::string& S : First) Put(Col++, S);
  for (const std::string& S : Second) Put(Col++, S);
  ++FRow;
}

void TStudyXlsx::Close() {
  if (!FBook) return;
  const lxw_error E = workbook_close(FBook);
  FBook = nullptr;
  if (E != LXW_NO_ERROR) throw EKvError("Cannot write " + FFileName + ": " + lxw_strerror(E));
}
