#include "output/OutText.h"

#include <gtest/gtest.h>

#include <functional>

#include "foundations/DxTxtFle.h"
#include "foundations/Errors.h"
#include "support/TestSupport.h"

namespace {
// Runs the same operations on both readers and records what each saw: the
// results, the current line, its word count and the end-of-file state, or
// the error that stopped it.
template <class TFile>
std::string Trace(const std::string& Path, const std::vector<std::string>& Ops) {
  std::string T;
  try {
    TFile F(Path);
    for (const std::string& Op : Ops) {
      const char Kind = Op[0];
      const std::string Arg = Op.size() > 2 ? Op.substr(2) : std::string();
      bool R = true;
      switch (Kind) {
        case 'N': R = F.NextLine(); break;
        case 'I': R = F.SkipUntilInt(); break;
        case 'F': R = F.SkipUntilFloat(); break;
        case 'B': F.SkipBlankLines(); break;
        case 'R': F.ResetFile(); break;
        case 'W': F.SetWordSep(Arg); break;
        case 'S': {
          TDxLine Words;
          Words.SetStr(Arg);
          R = F.SkipUntil(Words.WordList());
          break;
        }
      }
      T += Op + " -> " + (R ? "1" : "0") + " eof " + (F.Eof() ? "1" : "0") + " [" + F.Line().Str() + "] " +
           std::to_string(F.Line().NoOfWords()) + "\n";
    }
  } catch (const std::exception& E) {
    T += std::string("error: ") + E.what() + "\n";
  }
  return T;
}

std::string Words(int N, const std::string& First = "w") {
  std::string S = First;
  for (int i = 1; i < N; ++i) S += " w";
  return S;
}
}  // namespace

TEST(OutTextFile, ReadsLikeTheTextFileReader) {
  TTempDir Dir;
  const std::string Long300 = Words(300);          // cannot be split: 300 words
  const std::string LongKey = Words(300, "WATER");  // the same, starting with a keyword
  const std::string Commas(300, ',');
  struct Case {
    std::string Text;
    std::vector<std::string> Ops;
  };
  const std::vector<std::string> Walk = {"N", "N", "N", "N", "N", "N", "N"};
  const std::vector<Case> Cases = {
      {"", {"N", "S WATER", "I", "B", "R", "N"}},
      {"a\r\nb\nc", Walk},
      {"a\r\nb\nc\n", Walk},
      {"a\rjunk\nb\r\r\n\n\nc\r", Walk},
      {"\n\n\n", Walk},
      {"x\n  WATER BALANCE x\nWATER\n12 a\n", {"S WATER", "S WATER", "S WATER", "R", "S WATER BALANCE", "I", "I"}},
      {"x\nWATERS\nWATER\ny", {"S WATER", "S nothing", "R", "S WATER BALANCE", "R", "B", "B", "B", "B"}},
      {"x\nno\nlast line\n", {"S nothing"}},
      {"x\nno\nlast WATER line", {"S nothing", "R", "S WATER", "N"}},
      {"a\n2.5\n-3\n\n  \nb c\n", {"I", "R", "F", "F", "B", "B", "N"}},
      {"a\n" + Long300 + "\nWATER\n", {"S WATER"}},
      {"a\n" + LongKey + "\n", {"S WATER"}},
      {"a\n" + Long300 + "\n", {"S nothing"}},
      {"a\nx " + Commas + "\nWATER,1\n", {"W ,", "S WATER", "R", "W ,", "S WATER,1"}},
      {"a,b\nWATER,c\n", {"W ,", "S WATER", "R", "S a", "N"}},
      {"WATER BALANCE\n" + std::string(1 << 20, 'x') + "\nWATER\n", {"N", "S WATER", "R", "N", "N", "S nothing"}},
  };
  for (size_t i = 0; i < Cases.size(); ++i) {
    const std::string Path = Dir.Write("f" + std::to_string(i) + ".txt", Cases[i].Text);
    EXPECT_EQ(Trace<TOutTextFile>(Path, Cases[i].Ops), Trace<TDxTextFile>(Path, Cases[i].Ops)) << "case " << i;
  }
}

TEST(OutTextFile, MissingFilesAndDirectoriesFail) {
  TTempDir Dir;
  Dir.MakeDir("sub");
  EXPECT_THROW(TOutTextFile(Dir / "none.out"), EDxError);
  EXPECT_THROW(TOutTextFile(Dir / "sub"), EDxError);
  try {
    TOutTextFile F(Dir / "none.out");
  } catch (const EDxError& E) {
    EXPECT_EQ(E.Message(), "File '" + Dir / "none.out" + "' not found");
  }
}
