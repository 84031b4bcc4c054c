// The text file reader with its skip operations. The same program of
// operations runs on the two ways TDxTextFile reads (through a buffer, and
// the whole file held in memory) and on a list of the file's lines cut by the line rules; all three must
// agree after every step. A filler line can put the read buffer's boundary
// anywhere into the text.
//
// Input: operations (up to 24 bytes), separator setting, comment marker,
// filler choice, the file's text.

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"

namespace {
// The read buffer of TDxTextFile.
constexpr size_t ReaderBuffer = size_t(1) << 18;

// Lines by the rules: the text up to the first CR or LF, then on past the
// next LF; a break at the very end makes no extra line.
std::vector<std::string> RefLines(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t Pos = 0;
  while (Pos < Text.size()) {
    size_t End = Pos;
    while (End < Text.size() && Text[End] != '\r' && Text[End] != '\n') ++End;
    Lines.push_back(Text.substr(Pos, End - Pos));
    const size_t Lf = Text.find('\n', End);
    Pos = Lf == std::string::npos ? Text.size() : Lf + 1;
  }
  return Lines;
}

struct TRef {
  std::vector<std::string> Lines;
  size_t Next = 0;   // index of the next line to read
  std::string Line;  // the current line's text as read (before the comment cut)
  bool Eof() const { return Next >= Lines.size(); }
  bool NextLine() {
    if (Eof()) return false;
    Line = Lines[Next++];
    return true;
  }
};

template <class A, class B>
void Same(A& X, B& Y, TRef& R, const std::string& Comment) {
  std::string Expect = R.Line;
  if (!Comment.empty()) {
    const size_t At = Expect.find(Comment);
    if (At != std::string::npos) Expect.resize(At);
  }
  FUZZ_CHECK(X.Eof() == R.Eof());
  FUZZ_CHECK(Y.Eof() == R.Eof());
  FUZZ_CHECK(X.Line().Str() == Y.Line().Str());
  FUZZ_CHECK(X.Line().Str() == Expect);
  FUZZ_CHECK(X.Line().NoOfWords() == Y.Line().NoOfWords());
  for (int i = 1; i <= X.Line().NoOfWords(); ++i) FUZZ_CHECK(X.Line().GetWord(i) == Y.Line().GetWord(i));
}

// 1 or 0 for the step's answer, -1 when it refused a line of too many words.
template <class F>
int Try(F Step) {
  try {
    return Step() ? 1 : 0;
  } catch (const ERangeError&) {
    return -1;
  }
}

TDxLine Split(const std::string& Text, const std::string& Sep, const std::string& Comment) {
  TDxLine L;
  L.SetWordSep(Sep);
  L.SetCommentChar(Comment);
  L.SetStr(Text);
  L.CutComment();
  return L;
}

const char* const Keywords[] = {"RUNNAM", "WATER", "**", "Leaves", "=", "", "a", "1"};
}  // namespace

int FuzzOne(const uint8_t* Data, size_t Size) {
  FuzzedDataProvider P(Data, Size);
  const std::string Ops = P.ConsumeRandomLengthString(24);
  const std::string Sep = P.ConsumeRandomLengthString(2);
  const std::string Comment = P.ConsumeRandomLengthString(2);
  const uint8_t Filler = P.ConsumeIntegral<uint8_t>();
  std::string Text = P.ConsumeRemainingBytesAsString();
  // One filler value in sixteen puts the buffer's boundary (Filler / 16)
  // bytes into the text; the long filler line makes such inputs slow.
  if (Filler % 16 == 1) Text = std::string(ReaderBuffer - 1 - Filler / 16, 'x') + "\n" + Text;

  const std::string Name = FuzzWrite("text.txt", Text);
  TFileSnapshot Snap;
  Snap.Add(Name);
  TRef R{RefLines(Text), 0, ""};
  {
    TDxTextFile X(Name);
    TDxTextFile Y(Name, TDxTextFile::TReading::Whole);
    X.SetWordSep(Sep);
    Y.SetWordSep(Sep);
    X.SetCommentChar(Comment);
    Y.SetCommentChar(Comment);
    Same(X, Y, R, Comment);
    bool Refused = false;
    for (unsigned char Op : Ops + '\0') {
      // The two readers do the same step; a line of more than 255 words must
      // stop both, and then the reading ends here.
      int A = 0, B = 0;
      switch (Op % 8) {
        case 0: {
          A = Try([&] { return X.NextLine(); });
          B = Try([&] { return Y.NextLine(); });
          if (A >= 0) FUZZ_CHECK(R.NextLine() == (A == 1));
          break;
        }
        case 1:
        case 7: {
          std::vector<std::string> Words;
          if (Op % 8 == 1) Words.push_back(Keywords[(Op / 8) % 8]);
          if (Op & 0x80) Words.push_back("=");
          A = Try([&] { return X.SkipUntil(Words); });
          B = Try([&] { return Y.SkipUntil(Words); });
          if (A >= 0) {
            bool Found = false;
            while (!Found && R.NextLine()) Found = Split(R.Line, Sep, Comment).Match(Words);
            FUZZ_CHECK(Found == (A == 1));
          }
          break;
        }
        case 2:
        case 3: {
          const bool Float = Op % 8 == 2;
          A = Try([&] { return Float ? X.SkipUntilFloat() : X.SkipUntilInt(); });
          B = Try([&] { return Float ? Y.SkipUntilFloat() : Y.SkipUntilInt(); });
          if (A >= 0) {
            bool Found = false;
            while (!Found && R.NextLine()) {
              const TDxLine L = Split(R.Line, Sep, Comment);
              Found = L.NoOfWords() > 0 && (Float ? IsFloat(L.FirstWord()) : IsInteger(L.FirstWord()));
            }
            FUZZ_CHECK(Found == (A == 1));
          }
          break;
        }
        case 4: {
          A = Try([&] {
            X.SkipBlankLines();
            return true;
          });
          B = Try([&] {
            Y.SkipBlankLines();
            return true;
          });
          if (A >= 0 && R.NextLine())
            while (Split(R.Line, Sep, Comment).NoOfWords() == 0 && R.NextLine()) {
            }
          break;
        }
        case 5:
          X.ResetFile();
          Y.ResetFile();
          R.Next = 0;
          break;
        case 6:
          // Reading to the end, line by line.
          for (;;) {
            A = Try([&] { return X.NextLine(); });
            B = Try([&] { return Y.NextLine(); });
            if (A != 1 || B != 1) break;
            FUZZ_CHECK(R.NextLine());
            Same(X, Y, R, Comment);
          }
          if (A == 0) FUZZ_CHECK(!R.NextLine());
          break;
      }
      FUZZ_CHECK(A == B);
      if (A < 0) {
        Refused = true;
        break;
      }
      Same(X, Y, R, Comment);
    }
    if (Refused) {
      bool TooMany = false;
      for (const std::string& Line : R.Lines)
        TooMany = TooMany || Try([&] {
                               Split(Line, Sep, "");
                               return true;
                             }) < 0;
      FUZZ_CHECK(TooMany);
    }
  }
  Snap.Check();
  return 0;
}
