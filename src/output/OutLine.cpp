#include "output/OutLine.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "foundations/DxLine.h"
#include "foundations/Errors.h"

// ---------------------------------------------------------------- Str16

Str16::Str16(const char* S) { Assign(S, S ? std::strlen(S) : 0); }

void Str16::Assign(const char* S, size_t Len) {
  FLen = static_cast<uint8_t>(std::min(Len, MaxLen));
  if (FLen) std::memcpy(FText, S, FLen);
  FText[FLen] = '\0';
}

bool Str16::Equals(const char* S, size_t Len) const {
  return Len == FLen && (Len == 0 || std::memcmp(FText, S, Len) == 0);
}

bool operator==(const Str16& A, const char* B) { return A.Equals(B, B ? std::strlen(B) : 0); }

// ---------------------------------------------------------------- TOutputLine
//
// Layout of FData: [n] [len 1] ... [len n] [text 1] ... [text n], where n is
// the number of slots stored and each length byte holds the text's length
// (0..16) and PadMark when the value is shown right-aligned in 8 characters.

TOutputLine::TOutputLine(const TOutputLine& Other) { *this = Other; }

TOutputLine& TOutputLine::operator=(const TOutputLine& Other) {
  if (this == &Other) return *this;
  if (!Other.FData) {
    Clear();
  } else {
    const size_t N = Other.DataSize();
    std::unique_ptr<uint8_t[]> Copy(new uint8_t[N]);
    std::memcpy(Copy.get(), Other.FData, N);
    Own(std::move(Copy));
  }
  return *this;
}

TOutputLine::TOutputLine(TOutputLine&& Other) noexcept { *this = std::move(Other); }

TOutputLine& TOutputLine::operator=(TOutputLine&& Other) noexcept {
  if (this == &Other) return *this;
  if (Other.FOwn || !Other.FData) {
    FOwn = std::move(Other.FOwn);
    FData = FOwn.get();
  } else {
    // A block that follows the other row in its allocation goes with it:
    // this row takes a copy.
    const size_t N = Other.DataSize();
    std::unique_ptr<uint8_t[]> Copy(new (std::nothrow) uint8_t[N]);
    if (Copy) std::memcpy(Copy.get(), Other.FData, N);
    Own(std::move(Copy));
  }
  Other.Clear();
  return *this;
}

size_t TOutputLine::DataSize() const {
  if (!FData) return 0;
  const int N = FData[0];
  size_t Size = 1 + N;
  for (int i = 1; i <= N; ++i) Size += FData[i] & LenMask;
  return Size;
}

Str16 TOutputLine::Value(int k) const {
  if (k < 1 || k > MaxValues) throw ERangeError();
  if (!FData || k > FData[0]) return Str16();
  const int N = FData[0];
  size_t Pos = 1 + N;
  for (int i = 1; i < k; ++i) Pos += FData[i] & LenMask;
  const size_t Len = FData[k] & LenMask;
  const char* Text = reinterpret_cast<const char*>(FData + Pos);
  if ((FData[k] & PadMark) && Len < PadWidth) {
    char Buf[PadWidth];
    std::memset(Buf, ' ', PadWidth - Len);
    std::memcpy(Buf + PadWidth - Len, Text, Len);
    return Str16(Buf, PadWidth);
  }
  return Str16(Text, Len);
}

void TOutputLine::SetValue(int k, const std::string& S) {
  if (k < 1 || k > MaxValues) throw ERangeError();
  Store(k, S, false);
}

void TOutputLine::SetPaddedValue(int k, const std::string& S) {
  if (k < 1 || k > MaxValues) throw ERangeError();
  Store(k, S, true);
}

void TOutputLine::Store(int k, const std::string& S, bool Padded) {
  // Rebuild the block with slot k replaced (and empty slots added up to k).
  const int OldN = Count();
  const int N = std::max(OldN, k);
  uint8_t Lens[MaxValues + 1] = {};
  const char* Texts[MaxValues + 1] = {};
  size_t Pos = 1 + OldN;
  for (int i = 1; i <= OldN; ++i) {
    Lens[i] = FData[i];
    Texts[i] = reinterpret_cast<const char*>(FData + Pos);
    Pos += FData[i] & LenMask;
  }
  const size_t NewLen = std::min(S.size(), Str16::MaxLen);
  Lens[k] = static_cast<uint8_t>(NewLen | (Padded ? PadMark : 0));
  Texts[k] = S.data();
  size_t Size = 1 + N;
  for (int i = 1; i <= N; ++i) Size += Lens[i] & LenMask;
  std::unique_ptr<uint8_t[]> Data(new uint8_t[Size]);
  Data[0] = static_cast<uint8_t>(N);
  size_t Out = 1 + N;
  for (int i = 1; i <= N; ++i) {
    Data[i] = Lens[i];
    const size_t L = Lens[i] & LenMask;
    if (L) std::memcpy(Data.get() + Out, Texts[i], L);
    Out += L;
  }
  Own(std::move(Data));
}

namespace {
// The words of a row as Assign takes them: at most 25, each cut to 16.
struct TRowWords {
  TRowWords(const TDxLine& Line, int From) {
    if (From < 1) From = 1;
    Words = Line.NoOfWords() - From + 1;
    N = std::max(0, std::min(Words, TOutputLine::MaxValues));
    Size = N > 0 ? 1 + static_cast<size_t>(N) : 0;
    for (int i = 0; i < N; ++i) {
      Text[i] = Line.GetWord(From + i);
      if (Text[i].size() > Str16::MaxLen) Text[i].resize(Str16::MaxLen);
      Size += Text[i].size();
    }
  }
  // Writes the block (Size bytes) to Data.
  void Write(uint8_t* Data, bool Padded, uint8_t PadMark) const {
    Data[0] = static_cast<uint8_t>(N);
    size_t Out = 1 + N;
    for (int i = 0; i < N; ++i) {
      const size_t L = Text[i].size();
      Data[1 + i] = static_cast<uint8_t>(L | (Padded ? PadMark : 0));
      if (L) std::memcpy(Data + Out, Text[i].data(), L);
      Out += L;
    }
  }
  int Words = 0, N = 0;
  size_t Size = 0;
  std::string Text[TOutputLine::MaxValues];
};
}  // namespace

void TOutputLine::Assign(const TDxLine& Line, int From, bool Padded) {
  Clear();
  const TRowWords W(Line, From);
  if (W.N == 0) return;
  std::unique_ptr<uint8_t[]> Data(new uint8_t[W.Size]);
  W.Write(Data.get(), Padded, PadMark);
  Own(std::move(Data));
  // The row holds 25 values; storing one more is a range error.
  if (W.Words > MaxValues) throw ERangeError();
}

std::unique_ptr<TOutputLine> TOutputLine::FromLine(const TDxLine& Line, int From, bool Padded) {
  const TRowWords W(Line, From);
  std::unique_ptr<TOutputLine> Row(::new (::operator new(sizeof(TOutputLine) + W.Size)) TOutputLine);
  if (W.N > 0) {
    uint8_t* Data = reinterpret_cast<uint8_t*>(Row.get()) + sizeof(TOutputLine);
    W.Write(Data, Padded, PadMark);
    Row->FData = Data;
  }
  if (W.Words > MaxValues) throw ERangeError();
  return Row;
}

// ---------------------------------------------------------------- TDailyTable

void TDailyTable::Clear() {
  FText.reset();
  FRows.reset();
  FTextSize = FTextCap = FCount = FRowCap = 0;
  FLongKeys.clear();
}

void TDailyTable::Reserve(size_t Rows, size_t Bytes) {
  if (Bytes > FTextCap) {
    // The rows point into the buffer: they move with it.
    std::unique_ptr<uint8_t[]> Text(new uint8_t[Bytes]);
    if (FTextSize) std::memcpy(Text.get(), FText.get(), FTextSize);
    for (size_t i = 0; i < FCount; ++i)
      if (FRows[i].FData) FRows[i].FData = Text.get() + (FRows[i].FData - FText.get());
    FText = std::move(Text);
    FTextCap = Bytes;
  }
  if (Rows > FRowCap) {
    std::unique_ptr<TOutputLine[]> New(new TOutputLine[Rows]);
    for (size_t i = 0; i < FCount; ++i) New[i].FData = FRows[i].FData;
    FRows = std::move(New);
    FRowCap = Rows;
  }
}

void TDailyTable::Add(const TDxLine& Line) {
  const TRowWords W(Line, 1);
  if (W.Words > TOutputLine::MaxValues) throw ERangeError();
  Reserve(FCount < FRowCap ? FRowCap : std::max<size_t>(64, FRowCap * 2),
          FTextSize + W.Size <= FTextCap ? FTextCap : std::max<size_t>(4096, (FTextSize + W.Size) * 2));
  if (W.N > 0) {
    uint8_t* Data = FText.get() + FTextSize;
    W.Write(Data, true, TOutputLine::PadMark);
    FRows[FCount].FData = Data;
    FTextSize += W.Size;
  }
  if (W.N > 0 && Line.GetWord(1).size() > Str16::MaxLen)
    FLongKeys.emplace_back(static_cast<int>(FCount), Line.GetWord(1));
  ++FCount;
}

void TDailyTable::Shrink() {
  if (FTextCap == FTextSize && FRowCap == FCount) return;
  if (FCount == 0) {
    Clear();
    return;
  }
  TDailyTable Exact;
  Exact.Reserve(FCount, std::max<size_t>(FTextSize, 1));
  if (FTextSize) std::memcpy(Exact.FText.get(), FText.get(), FTextSize);
  for (size_t i = 0; i < FCount; ++i)
    if (FRows[i].FData) Exact.FRows[i].FData = Exact.FText.get() + (FRows[i].FData - FText.get());
  FText = std::move(Exact.FText);
  FRows = std::move(Exact.FRows);
  FTextCap = Exact.FTextCap;
  FRowCap = Exact.FRowCap;
}

void TDailyTable::Check(int Index) const {
  if (Index < 0 || static_cast<size_t>(Index) >= FCount) throw std::out_of_range("TDailyTable: row index");
}

const TOutputLine* TDailyTable::Objects(int Index) const {
  Check(Index);
  return &FRows[static_cast<size_t>(Index)];
}

std::string TDailyTable::Strings(int Index) const {
  Check(Index);
  const auto Long = std::lower_bound(FLongKeys.begin(), FLongKeys.end(), Index,
                                     [](const std::pair<int, std::string>& K, int I) { return K.first < I; });
  if (Long != FLongKeys.end() && Long->first == Index) return Long->second;
  // The first value as written: its text without the blanks it is shown with.
  const uint8_t* D = FRows[static_cast<size_t>(Index)].FData;
  if (!D || D[0] == 0) return {};
  return std::string(reinterpret_cast<const char*>(D + 1 + D[0]), D[1] & TOutputLine::LenMask);
}

Str16 WordStr16(const TDxLine& Line, int No) { return Str16(Line.GetWord(No)); }
