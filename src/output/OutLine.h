#pragma once
// Values of the model's output files as the readers keep them: short texts
// of at most 16 characters, and table rows of at most 25 such values.
//
// Values are never converted to numbers; they stay the texts the model wrote.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

class TDxLine;
class TDailyTable;

// A text of at most 16 characters (bytes). Storing a longer text keeps its
// first 16 characters.
class Str16 {
 public:
  static constexpr size_t MaxLen = 16;

  Str16() noexcept { FText[0] = '\0'; }
  Str16(const std::string& S) { Assign(S.data(), S.size()); }
  Str16(const char* S);
  Str16(const char* S, size_t Len) { Assign(S, Len); }
  Str16& operator=(const std::string& S) {
    Assign(S.data(), S.size());
    return *this;
  }
  Str16& operator=(const char* S) { return *this = Str16(S); }

  std::string Str() const { return std::string(FText, FLen); }
  operator std::string() const { return Str(); }
  const char* c_str() const { return FText; }
  const char* data() const { return FText; }
  size_t size() const { return FLen; }
  size_t length() const { return FLen; }
  bool empty() const { return FLen == 0; }

  friend bool operator==(const Str16& A, const Str16& B) { return A.Equals(B.FText, B.FLen); }
  friend bool operator==(const Str16& A, const std::string& B) { return A.Equals(B.data(), B.size()); }
  friend bool operator==(const std::string& A, const Str16& B) { return B.Equals(A.data(), A.size()); }
  friend bool operator==(const Str16& A, const char* B);
  friend bool operator==(const char* A, const Str16& B) { return B == A; }
  template <class T>
  friend bool operator!=(const Str16& A, const T& B) {
    return !(A == B);
  }
  friend std::ostream& operator<<(std::ostream& Os, const Str16& S) { return Os.write(S.FText, S.FLen); }

 private:
  void Assign(const char* S, size_t Len);
  bool Equals(const char* S, size_t Len) const;

  char FText[MaxLen + 1];  // zero-terminated
  uint8_t FLen = 0;
};

// One row of an output table: value slots numbered 1 to 25; slots beyond the
// row's last value are empty.
//
// A row keeps its values back to back in one small block: the number of
// slots, one length byte per slot, then the texts. A value read from a table
// of the model is shown right-aligned in 8 characters ("%8s"); such a value
// is stored as the word itself with a mark, and the leading blanks are put in
// front when it is asked for, so that a row costs little more than its text.
class TOutputLine {
 public:
  static constexpr int MaxValues = 25;
  static constexpr size_t PadWidth = 8;

  TOutputLine() = default;
  TOutputLine(const TOutputLine& Other);
  TOutputLine& operator=(const TOutputLine& Other);
  TOutputLine(TOutputLine&& Other) noexcept;
  TOutputLine& operator=(TOutputLine&& Other) noexcept;

  // A row of Line's words from word From on, as Assign stores them, in one
  // allocation with its values.
  static std::unique_ptr<TOutputLine> FromLine(const TDxLine& Line, int From, bool Padded);
  static void* operator new(size_t Size) { return ::operator new(Size); }
  static void operator delete(void* P) { ::operator delete(P); }

  // Slot k (1..25); any other number fails with ERangeError.
  Str16 Value(int k) const;
  // Slot k := S cut to 16 characters.
  void SetValue(int k, const std::string& S);
  // Slot k := S right-aligned in 8 characters, then cut to 16.
  void SetPaddedValue(int k, const std::string& S);
  // Number of the last slot that has been set (0 for an empty row).
  int Count() const { return FData ? FData[0] : 0; }
  void Clear() {
    FOwn.reset();
    FData = nullptr;
  }

  // Slot k := word (From + k - 1) of Line, for every word from word From on,
  // padded or as it is. A 26th value fails with ERangeError after the first
  // 25 have been stored.
  void Assign(const TDxLine& Line, int From, bool Padded);

 private:
  friend class TDailyTable;
  static constexpr uint8_t PadMark = 0x80;
  static constexpr uint8_t LenMask = 0x1f;

  void Store(int k, const std::string& S, bool Padded);
  size_t DataSize() const;
  void Own(std::unique_ptr<uint8_t[]> Data) {
    FOwn = std::move(Data);
    FData = FOwn.get();
  }

  std::unique_ptr<uint8_t[]> FOwn;  // the block, unless it follows the row in its allocation
  const uint8_t* FData = nullptr;   // the block in use
};

// A daily table of the model's output: its rows in file order, each keyed by
// its first word as written (not cut). The rows' blocks lie back to back in
// one buffer, and each row's TOutputLine only points at its block, so that a
// table of many rows costs little more than the texts of its values.
// Objects(i) stays valid until the next Add or Clear.
class TDailyTable {
 public:
  struct TItem {
    std::string Str;         // the row's first word
    const TOutputLine* Obj;  // the row
  };
  class const_iterator {
   public:
    const_iterator(const TDailyTable* Table, int Index) : FTable(Table), FIndex(Index) {}
    TItem operator*() const { return {FTable->Strings(FIndex), FTable->Objects(FIndex)}; }
    const_iterator& operator++() {
      ++FIndex;
      return *this;
    }
    bool operator==(const const_iterator& O) const { return FIndex == O.FIndex; }
    bool operator!=(const const_iterator& O) const { return FIndex != O.FIndex; }

   private:
    const TDailyTable* FTable;
    int FIndex;
  };

  TDailyTable() = default;
  TDailyTable(const TDailyTable&) = delete;
  TDailyTable& operator=(const TDailyTable&) = delete;

  int Count() const { return static_cast<int>(FCount); }
  bool Empty() const { return FCount == 0; }
  void Clear();
  // Appends the row of Line's words, padded (see TOutputLine::Assign). A row
  // of more than 25 values fails with ERangeError and is not added.
  void Add(const TDxLine& Line);
  // Gives back the room kept for further rows; done when a table is read.
  void Shrink();

  // The first word of row Index (0-based); std::out_of_range outside.
  std::string Strings(int Index) const;
  const TOutputLine* Objects(int Index) const;

  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, Count()); }

 private:
  void Check(int Index) const;
  void Reserve(size_t Rows, size_t Bytes);

  std::unique_ptr<uint8_t[]> FText;                    // the rows' blocks, back to back
  size_t FTextSize = 0, FTextCap = 0;                  // bytes used and allocated
  std::unique_ptr<TOutputLine[]> FRows;                // each points at its block in FText
  size_t FCount = 0, FRowCap = 0;                      // rows used and allocated
  std::vector<std::pair<int, std::string>> FLongKeys;  // first words over 16 characters, by row
};

// Text of word No of Line as stored in a Str16.
Str16 WordStr16(const TDxLine& Line, int No);
