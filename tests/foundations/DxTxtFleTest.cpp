#include <gtest/gtest.h>
#include <sys/stat.h>

#include "foundations/DxTxtFle.h"
#include "foundations/Errors.h"
#include "support/TestSupport.h"

namespace {
std::vector<std::string> AllLines(const std::string& Path) {
  TDxTextFile F(Path);
  std::vector<std::string> Lines;
  while (F.NextLine()) Lines.push_back(F.Line().Str());
  return Lines;
}
}  // namespace

TEST(DxTextFile, LineBreaks) {
  TTempDir T;
  struct Case {
    std::string Content;
    std::vector<std::string> Lines;
  };
  const Case Cases[] = {
      {"", {}},
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\nb\n", {"a", "b"}},
      {"\n", {""}},
      {"ab\rdropped\ncd\r\n", {"ab", "cd"}},
      {"only\rcarriage\rreturns", {"only"}},
      {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},
  };
  for (const Case& C : Cases) EXPECT_EQ(AllLines(T.Write("f.txt", C.Content)), C.Lines) << C.Content;
}

TEST(DxTextFile, EndOfFileKeepsLastLine) {
  TTempDir T;
  TDxTextFile F(T.Write("f.txt", "one\ntwo\nthree\n"));
  EXPECT_FALSE(F.Eof());
  EXPECT_TRUE(F.NextLine());
  EXPECT_TRUE(F.NextLine());
  EXPECT_TRUE(F.NextLine());
  EXPECT_TRUE(F.Eof());
  EXPECT_FALSE(F.NextLine());
  EXPECT_EQ(F.Line().Str(), "three");
  F.ResetFile();
  EXPECT_EQ(F.Line().Str(), "three");
  EXPECT_TRUE(F.NextLine());
  EXPECT_EQ(F.Line().Str(), "one");

  TDxTextFile Empty(T.Write("e.txt", ""));
  EXPECT_TRUE(Empty.Eof());
  EXPECT_FALSE(Empty.NextLine());
  EXPECT_EQ(Empty.Line().Str(), "");
}

TEST(DxTextFile, SkipOperations) {
  TTempDir T;
  TDxTextFile F(T.Write("f.txt", "a b\nx y\n\ntext 1\n2.5 z\n-0.5\n12\nx y 3\n1E3\n"));
  EXPECT_TRUE(F.SkipUntil({"x", "y"}));
  EXPECT_EQ(F.Line().Str(), "x y");
  EXPECT_TRUE(F.SkipUntilInt());  // passes the blank line, "text" and 2.5
  EXPECT_EQ(F.Line().Str(), "12");
  EXPECT_TRUE(F.SkipUntil({"x", "y"}));
  EXPECT_EQ(F.Line().Str(), "x y 3");
  EXPECT_TRUE(F.SkipUntilFloat());
  EXPECT_EQ(F.Line().Str(), "1E3");
  EXPECT_FALSE(F.SkipUntil({"never"}));
  EXPECT_TRUE(F.Eof());

  F.ResetFile();
  EXPECT_TRUE(F.SkipUntil({"x", "y"}));
  EXPECT_TRUE(F.SkipUntilFloat());
  EXPECT_EQ(F.Line().Str(), "2.5 z");
  EXPECT_TRUE(F.SkipUntilFloat());
  EXPECT_EQ(F.Line().Str(), "-0.5");

  // SkipBlankLines always advances, then passes blank lines.
  TDxTextFile G(T.Write("g.txt", "a\nb\n\n  \nc\n"));
  G.NextLine();
  G.SkipBlankLines();
  EXPECT_EQ(G.Line().Str(), "b");
  G.SkipBlankLines();
  EXPECT_EQ(G.Line().Str(), "c");
  G.SkipBlankLines();
  EXPECT_TRUE(G.Eof());
  EXPECT_EQ(G.Line().Str(), "c");
}

TEST(DxTextFile, SeparatorAndCommentApplyToEveryLine) {
  TTempDir T;
  TDxTextFile F(T.Write("f.txt", "1.5,2,! note\n"));
  F.SetWordSep(",");
  F.SetCommentChar("!");
  ASSERT_TRUE(F.NextLine());
  EXPECT_EQ(F.Line().NoOfWords(), 3);
  EXPECT_EQ(F.Line().GetWord(1), "1.5");
  EXPECT_EQ(F.Line().GetWord(2), "2");
  EXPECT_EQ(F.Line().GetWord(3), "");
}

TEST(DxTextFile, MissingAndBadFiles) {
  TTempDir T;
  try {
    TDxTextFile F(T / "missing.txt");
    FAIL();
  } catch (const EDxError& E) {
    EXPECT_EQ(std::string(E.what()), "File '" + (T / "missing.txt") + "' not found");
  }
  T.MakeDir("sub");
  EXPECT_THROW(TDxTextFile(T / "sub"), EDxError);  // a directory is not a file
  // A named pipe in a file's place is refused at once, not waited on.
  ASSERT_EQ(mkfifo((T / "pipe").c_str(), 0600), 0);
  EXPECT_THROW(TDxTextFile(T / "pipe"), EInOutError);

  // A line of 10 MB without a break, and binary junk, read without trouble.
  std::string Big(10 * 1024 * 1024, 'x');
  auto Lines = AllLines(T.Write("big.txt", Big));
  ASSERT_EQ(Lines.size(), 1u);
  EXPECT_EQ(Lines[0].size(), Big.size());
  std::string Junk;
  for (int i = 0; i < 5000; ++i) Junk += static_cast<char>((i * 7919) % 256);
  TDxTextFile J(T.Write("junk.bin", Junk));
  J.SetWordSep(",");
  size_t N = 0;
  try {
    while (J.NextLine()) ++N;
  } catch (const ERangeError&) {
    // a line of more than 255 words is the one failure allowed
  }
  EXPECT_GT(N, 0u);
}

TEST(DxTextFile, FindsFilesWhateverTheirLetterCase) {
  TTempDir T;
  T.Write("runio/KRLti.tim", "x\n");
  TCurrentDirGuard G;
  ASSERT_EQ(chdir((T / "runio").c_str()), 0);
  TDxTextFile F("..\\RUNIO\\KRLTI.TIM");
  ASSERT_TRUE(F.NextLine());
  EXPECT_EQ(F.Line().Str(), "x");
}

namespace {
// Runs the same operations on both ways of reading and records what each saw: the
// results, the current line, its word count and the end-of-file state, or
// the error that stopped it.
std::string Trace(const std::string& Path, TDxTextFile::TReading Reading,
                  const std::vector<std::string>& Ops) {
  std::string T;
  try {
    TDxTextFile F(Path, Reading);
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

TEST(DxTextFile, WholeReadingReadsLikeBuffered) {
  TTempDir Dir;
  const std::string Long300 = Words(300);           // cannot be split: 300 words
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
      {"x\n  WATER BALANCE x\nWATER\n12 a\n",
       {"S WATER", "S WATER", "S WATER", "R", "S WATER BALANCE", "I", "I"}},
      {"x\nWATERS\nWATER\ny", {"S WATER", "S nothing", "R", "S WATER BALANCE", "R", "B", "B", "B", "B"}},
      {"x\nno\nlast line\n", {"S nothing"}},
      {"x\nno\nlast WATER line", {"S nothing", "R", "S WATER", "N"}},
      {"a\n2.5\n-3\n\n  \nb c\n", {"I", "R", "F", "F", "B", "B", "N"}},
      {"a\n" + Long300 + "\nWATER\n", {"S WATER"}},
      {"a\n" + LongKey + "\n", {"S WATER"}},
      {"a\n" + Long300 + "\n", {"S nothing"}},
      {"a\nx " + Commas + "\nWATER,1\n", {"W ,", "S WATER", "R", "W ,", "S WATER,1"}},
      {"a,b\nWATER,c\n", {"W ,", "S WATER", "R", "S a", "N"}},
      {"WATER BALANCE\n" + std::string(1 << 20, 'x') + "\nWATER\n",
       {"N", "S WATER", "R", "N", "N", "S nothing"}},
      // The key where a line's text has ended (after its CR), inside a longer
      // word, ending a line, or in a line that cannot be split.
      {"a\rWATER\nWATE\nxWATER\nb WATER\nWATER\n", {"S WATER", "N", "R", "S WATER", "S WATER"}},
      {"a\n" + LongKey + "\nb\nWATER\nc\n", {"S WATER", "S WATER", "S WATER", "S WATER"}},
  };
  for (size_t i = 0; i < Cases.size(); ++i) {
    const std::string Path = Dir.Write("f" + std::to_string(i) + ".txt", Cases[i].Text);
    SCOPED_TRACE("case " + std::to_string(i));
    EXPECT_EQ(Trace(Path, TDxTextFile::TReading::Whole, Cases[i].Ops),
              Trace(Path, TDxTextFile::TReading::Buffered, Cases[i].Ops));
  }
}

TEST(DxTextFile, WholeReadingOfMissingFilesAndDirectoriesFails) {
  TTempDir Dir;
  Dir.MakeDir("sub");
  EXPECT_THROW(TDxTextFile(Dir / "none.out", TDxTextFile::TReading::Whole), EDxError);
  EXPECT_THROW(TDxTextFile(Dir / "sub", TDxTextFile::TReading::Whole), EDxError);
  ASSERT_EQ(mkfifo((Dir / "pipe").c_str(), 0600), 0);
  EXPECT_THROW(TDxTextFile(Dir / "pipe", TDxTextFile::TReading::Whole), EInOutError);
  try {
    TDxTextFile F(Dir / "none.out", TDxTextFile::TReading::Whole);
  } catch (const EDxError& E) {
    EXPECT_EQ(E.Message(), "File '" + Dir / "none.out" + "' not found");
  }
}
