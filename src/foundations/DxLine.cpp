#include "foundations/DxLine.h"

#include <algorithm>
#include <cstring>

#include "foundations/Errors.h"
#include "foundations/TextCase.h"

namespace {
struct TSeparator {
  char Ch;
  bool Collapsing;
};

TSeparator ResolveSeparator(const std::string& Setting) {
  if (Setting.empty()) return {' ', true};
  if (Setting.size() >= 2 && Setting[0] == '^') {
    const unsigned char C = static_cast<unsigned char>(Setting[1]);
    if ((C >= 'A' && C <= 'Z') || C == '[' || (C >= 'a' && C <= 'z'))
      return {static_cast<char>(C - 64), false};
    return {'^', false};
  }
  return {Setting[0], false};
}
}  // namespace

void TDxLine::SetStr(const std::string& S) {
  FLine = S;
  Split();
}

void TDxLine::SetStr(const char* Data, size_t Len) {
  FLine.assign(Data, Len);
  Split();
}

void TDxLine::Split() {
  const TSeparator Sep = ResolveSeparator(FWordSeparator);
  const char* P = FLine.data();
  const size_t N = FLine.size();
  int n = 0;
  bool Inside = false;
  FWords[0] = TWordPos();
  auto Advance = [&]() {
    if (n >= MaxWords) throw ERangeError();
    ++n;
    FWords[n] = TWordPos();
  };
  if (Sep.Collapsing) {
    size_t i = 0;
    for (;;) {
      while (i < N && P[i] == ' ') ++i;
      if (i >= N) break;
      if (Inside) Advance();
      const size_t Start = i;
      while (i < N && P[i] != ' ') ++i;
      FWords[n].Start = static_cast<int32_t>(Start + 1);
      FWords[n].Length = static_cast<int32_t>(i - Start);
      Inside = true;
    }
    // Each word after the first opened its entry only once it was found, so
    // trailing separators leave no extra entry behind.
  } else {
    for (size_t i = 0; i < N; ++i) {
      if (P[i] == Sep.Ch) {
        if (!Inside) FWords[n] = TWordPos{static_cast<int32_t>(i + 1), 0};
        Inside = false;
        Advance();
      } else if (!Inside) {
        Inside = true;
        FWords[n] = TWordPos{static_cast<int32_t>(i + 1), 1};
      } else {
        ++FWords[n].Length;
      }
    }
  }
  if (FWords[0].Start > 0 && n + 1 > MaxWords) throw ERangeError();
  FNoOfWords = FWords[0].Start > 0 ? n + 1 : 0;
}

bool TDxLine::Span(int No, size_t& Pos, size_t& Len) const {
  if (No < 1 || No > FNoOfWords) return false;
  const TWordPos& W = FWords[No - 1];
  if (W.Start <= 0) return false;
  Pos = static_cast<size_t>(W.Start - 1);
  if (Pos >= FLine.size()) {
    Len = 0;
    return true;
  }
  Len = std::min(static_cast<size_t>(W.Length), FLine.size() - Pos);
  return true;
}

std::string TDxLine::GetWord(int No) const {
  if (No == 0) return FLine;
  size_t Pos, Len;
  if (!Span(No, Pos, Len) || Len == 0) return std::string();
  return FLine.substr(Pos, Len);
}

std::string TDxLine::GetWordsFrom(int No) const {
  if (No == 0) return FLine;
  size_t Pos, Len;
  if (!Span(No, Pos, Len) || Pos >= FLine.size()) return std::string();
  return FLine.substr(Pos);
}

size_t TDxLine::WordLength(int No) const {
  if (No == 0) return FLine.size();
  size_t Pos, Len;
  return Span(No, Pos, Len) ? Len : 0;
}

bool TDxLine::WordIs(int No, const char* Word, size_t Len) const {
  if (No == 0) return FLine.size() == Len && std::memcmp(FLine.data(), Word, Len) == 0;
  size_t Pos, WLen;
  if (!Span(No, Pos, WLen)) return Len == 0;
  return WLen == Len && std::memcmp(FLine.data() + Pos, Word, Len) == 0;
}

std::vector<std::string> TDxLine::WordList() const {
  std::vector<std::string> List;
  List.reserve(FNoOfWords);
  for (int i = 1; i <= FNoOfWords; ++i) List.push_back(GetWord(i));
  return List;
}

int TDxLine::GetNo(const std::string& Word) const {
  for (int i = 1; i <= FNoOfWords; ++i)
    if (WordIs(i, Word.data(), Word.size())) return i;
  return 0;
}

int TDxLine::IndexOf(const std::string& Word) const {
  for (int i = 1; i <= FNoOfWords; ++i)
    if (SameText(GetWord(i), Word)) return i;
  return -1;
}

bool TDxLine::Match(const std::vector<std::string>& Words) const {
  if (static_cast<int>(Words.size()) > FNoOfWords) return false;
  for (size_t i = 0; i < Words.size(); ++i)
    if (!WordIs(static_cast<int>(i + 1), Words[i].data(), Words[i].size())) return false;
  return true;
}

bool TDxLine::MatchNo(const std::string& Word, int No) const {
  if (No < 0 || No > MaxWords) throw ERangeError();
  return WordIs(No, Word.data(), Word.size());
}

bool TDxLine::HasCh(int WordNo, int ChNo, char Ch) const {
  if (ChNo < 1) throw ERangeError();
  if (WordNo < 0) return false;
  const std::string W = GetWord(WordNo);
  return static_cast<int>(W.size()) >= ChNo && W[ChNo - 1] == Ch;
}

void TDxLine::CutComment() {
  if (FCommentChar.empty()) return;
  const size_t P = FLine.find(FCommentChar);
  if (P != std::string::npos) FLine.resize(P);
}
