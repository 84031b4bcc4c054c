// The word-splitting line: every separator setting (blank collapsing mode,
// one character, caret notation), every word operation, the comment cut.
// Each result is compared with a plain transcription of the splitting rules
// that walks the line character by character.
//
// Input: separator setting (up to 3 bytes), comment marker (up to 3 bytes),
// the line before, the line (FuzzedDataProvider framing).

#include "foundations/DxLine.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "foundations/Errors.h"
#include "foundations/TextCase.h"

namespace {
struct TRefWord {
  int Start = 0;  // 1-based; 0: no text
  int Length = 0;
};

struct TRefLine {
  bool Collapsing = true;
  char Sep = ' ';
  std::vector<TRefWord> Words;  // entries 0..n
  int NoOfWords = 0;
  bool TooMany = false;
};

// The splitting rules as they are told: one character at a time.
TRefLine RefSplit(const std::string& Spec, const std::string& Line) {
  TRefLine R;
  if (Spec.empty()) {
    R.Sep = ' ';
  } else if (Spec.size() >= 2 && Spec[0] == '^') {
    const unsigned char C = static_cast<unsigned char>(Spec[1]);
    R.Sep = ((C >= 'A' && C <= 'Z') || C == '[' || (C >= 'a' && C <= 'z')) ? static_cast<char>(C - 64) : '^';
    R.Collapsing = false;
  } else {
    R.Sep = Spec[0];
    R.Collapsing = false;
  }
  long n = 0;
  bool Inside = false;
  R.Words.assign(1, TRefWord());
  auto Entry = [&](long i) -> TRefWord& {
    while (static_cast<long>(R.Words.size()) <= i) R.Words.emplace_back();
    return R.Words[static_cast<size_t>(i)];
  };
  for (size_t i = 1; i <= Line.size(); ++i) {
    if (Line[i - 1] == R.Sep) {
      if (Inside) {
        Inside = false;
        ++n;
        Entry(n) = TRefWord();
      } else if (!R.Collapsing) {
        Entry(n) = TRefWord{static_cast<int>(i), 0};
        ++n;
        Entry(n) = TRefWord();
      }
    } else if (!Inside) {
      Inside = true;
      Entry(n) = TRefWord{static_cast<int>(i), 1};
    } else {
      ++Entry(n).Length;
    }
  }
  if (R.Collapsing && !Inside) --n;
  const long Count = R.Words[0].Start > 0 ? n + 1 : 0;
  R.TooMany = Count > TDxLine::MaxWords;
  R.NoOfWords = R.TooMany ? 0 : static_cast<int>(Count);
  return R;
}

// Word No of the reference on the (possibly cut) line Text.
std::string RefWord(const TRefLine& R, const std::string& Text, int No) {
  if (No == 0) return Text;
  if (No < 1 || No > R.NoOfWords) return "";
  const TRefWord& W = R.Words[static_cast<size_t>(No - 1)];
  if (W.Start <= 0 || static_cast<size_t>(W.Start - 1) >= Text.size()) return "";
  return Text.substr(static_cast<size_t>(W.Start - 1), static_cast<size_t>(W.Length));
}

std::string RefWordsFrom(const TRefLine& R, const std::string& Text, int No) {
  if (No == 0) return Text;
  if (No < 1 || No > R.NoOfWords) return "";
  const TRefWord& W = R.Words[static_cast<size_t>(No - 1)];
  if (W.Start <= 0 || static_cast<size_t>(W.Start - 1) >= Text.size()) return "";
  return Text.substr(static_cast<size_t>(W.Start - 1));
}

// Every operation of the line against the reference.
void Compare(const TDxLine& L, const TRefLine& R, const std::string& Text) {
  FUZZ_CHECK(L.Str() == Text);
  FUZZ_CHECK(L.NoOfWords() == R.NoOfWords);
  FUZZ_CHECK(L.FirstWord() == RefWord(R, Text, 1));
  FUZZ_CHECK(L.LastWord() == RefWord(R, Text, R.NoOfWords));
  const std::vector<std::string> List = L.WordList();
  FUZZ_CHECK(static_cast<int>(List.size()) == R.NoOfWords);
  std::vector<std::string> Prefix;
  for (int No = 0; No <= R.NoOfWords + 1 && No <= TDxLine::MaxWords; ++No) {
    const std::string W = RefWord(R, Text, No);
    FUZZ_CHECK_MSG(L.GetWord(No) == W, "word " + std::to_string(No));
    FUZZ_CHECK_MSG(L.GetWordsFrom(No) == RefWordsFrom(R, Text, No), "words from " + std::to_string(No));
    FUZZ_CHECK(L.WordLength(No) == W.size());
    FUZZ_CHECK(L.MatchNo(W, No));
    if (No >= 1 && No <= R.NoOfWords) {
      FUZZ_CHECK(List[static_cast<size_t>(No - 1)] == W);
      const int First = L.GetNo(W);
      FUZZ_CHECK(First >= 1 && First <= No && RefWord(R, Text, First) == W);
      const int Any = L.IndexOf(W);
      FUZZ_CHECK(Any >= 1 && Any <= First && SameText(RefWord(R, Text, Any), W));
      Prefix.push_back(W);
      FUZZ_CHECK(L.Match(Prefix));
      for (int Ch = 1; Ch <= static_cast<int>(W.size()) + 1; ++Ch) {
        const bool Has = Ch <= static_cast<int>(W.size());
        FUZZ_CHECK(L.HasCh(No, Ch, Has ? W[static_cast<size_t>(Ch - 1)] : 'x') == (Has || false));
      }
    }
  }
  Prefix.push_back(std::string("\x01", 1));
  if (static_cast<int>(Prefix.size()) > R.NoOfWords) FUZZ_CHECK(!L.Match(Prefix));
  FUZZ_CHECK(L.Match({}));
  bool Threw = false;
  try {
    L.MatchNo("", TDxLine::MaxWords + 1);
  } catch (const ERangeError&) {
    Threw = true;
  }
  FUZZ_CHECK(Threw);
}
}  // namespace

int FuzzOne(const uint8_t* Data, size_t Size) {
  FuzzedDataProvider P(Data, Size);
  const std::string Spec = P.ConsumeRandomLengthString(3);
  const std::string Comment = P.ConsumeRandomLengthString(3);
  const std::string Before = P.ConsumeRandomLengthString(64);
  const std::string Line = P.ConsumeRemainingBytesAsString();

  TDxLine L;
  L.SetWordSep(Spec);
  L.SetCommentChar(Comment);
  const TRefLine RB = RefSplit(Spec, Before);
  try {
    L.SetStr(Before);
    FUZZ_CHECK(!RB.TooMany);
  } catch (const ERangeError&) {
    FUZZ_CHECK(RB.TooMany);
  }

  const TRefLine R = RefSplit(Spec, Line);
  try {
    L.SetStr(Line);
  } catch (const ERangeError&) {
    FUZZ_CHECK(R.TooMany);
    // The line that could not be split is still safe to ask about.
    for (int No = 0; No <= TDxLine::MaxWords; ++No) {
      (void)L.GetWord(No);
      (void)L.GetWordsFrom(No);
    }
    L.CutComment();
    (void)L.WordList();
    return 0;
  }
  FUZZ_CHECK(!R.TooMany);
  Compare(L, R, Line);

  // The comment cut shortens the line and keeps the word table.
  std::string Cut = Line;
  if (!Comment.empty()) {
    const size_t At = Cut.find(Comment);
    if (At != std::string::npos) Cut.resize(At);
  }
  L.CutComment();
  Compare(L, R, Cut);
  return 0;
}
