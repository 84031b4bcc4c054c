#include <gtest/gtest.h>

#include "foundations/DxLine.h"
#include "foundations/Errors.h"

namespace {
TDxLine Split(const std::string& S, const std::string& Sep = "") {
  TDxLine L;
  L.SetWordSep(Sep);
  L.SetStr(S);
  return L;
}

std::vector<std::string> Words(const TDxLine& L) { return L.WordList(); }
}  // namespace

TEST(DxLine, SplitsInBothModes) {
  struct Case {
    std::string Sep, Line;
    std::vector<std::string> Words;
  };
  const Case Cases[] = {
      {"", "  12.5   abc ", {"12.5", "abc"}},
      {"", "a\tb c", {"a\tb", "c"}},
      {"", "", {}},
      {"", "   ", {}},
      {",", "1, 2,,3,", {"1", " 2", "", "3", ""}},
      {",", ",", {"", ""}},
      {",", "", {}},
      {",", "abc", {"abc"}},
      {",;", "a;b,c", {"a;b", "c"}},
      {"^I", "a\tb c\t", {"a", "b c", ""}},
      {"^[",
       "a\x1b"
       "b",
       {"a", "b"}},
      {"^1", "a^b", {"a", "b"}},
      {"^", "a^b", {"a", "b"}},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE("sep '" + C.Sep + "' line '" + C.Line + "'");
    const TDxLine L = Split(C.Line, C.Sep);
    EXPECT_EQ(Words(L), C.Words);
    EXPECT_EQ(L.NoOfWords(), static_cast<int>(C.Words.size()));
    EXPECT_EQ(L.GetWord(0), C.Line);
  }
}

TEST(DxLine, WordAccessors) {
  const TDxLine Blank = Split("   ");
  EXPECT_EQ(Blank.FirstWord(), "");
  EXPECT_EQ(Blank.LastWord(), "   ");

  const TDxLine L = Split("a  b c");
  EXPECT_EQ(L.GetWord(7), "");
  EXPECT_EQ(L.GetWordsFrom(2), "b c");
  EXPECT_EQ(L.GetWordsFrom(0), "a  b c");
  EXPECT_EQ(L.GetWordsFrom(9), "");
  EXPECT_EQ(L.LastWord(), "c");

  const TDxLine X = Split("x abc");
  EXPECT_EQ(X.GetNo("ABC"), 0);
  EXPECT_EQ(X.GetNo("abc"), 2);
  EXPECT_EQ(X.IndexOf("ABC"), 2);
  EXPECT_EQ(X.IndexOf("y"), -1);

  EXPECT_TRUE(Split("a b c").Match({"a", "b"}));
  EXPECT_FALSE(Split("a").Match({"a", "b"}));
  EXPECT_FALSE(Split("A b").Match({"a", "b"}));
  EXPECT_TRUE(Split("").Match({}));

  EXPECT_TRUE(X.MatchNo("x abc", 0));
  EXPECT_TRUE(X.MatchNo("abc", 2));
  EXPECT_FALSE(X.MatchNo("abc", 3));
  EXPECT_THROW(X.MatchNo("abc", 256), ERangeError);
  EXPECT_THROW(X.MatchNo("abc", -1), ERangeError);

  EXPECT_TRUE(X.HasCh(2, 3, 'c'));
  EXPECT_FALSE(X.HasCh(2, 4, 'c'));
  EXPECT_FALSE(X.HasCh(5, 1, 'c'));
  EXPECT_THROW(X.HasCh(2, 0, 'a'), ERangeError);
}

TEST(DxLine, CutCommentKeepsTheWordTable) {
  TDxLine L;
  L.SetWordSep(",");
  L.SetCommentChar("!");
  L.SetStr("1,2 ! x,y");
  ASSERT_EQ(L.NoOfWords(), 3);
  L.CutComment();
  EXPECT_EQ(L.Str(), "1,2 ");
  EXPECT_EQ(L.GetWord(1), "1");
  EXPECT_EQ(L.GetWord(2), "2 ");
  EXPECT_EQ(L.GetWord(3), "");
  EXPECT_EQ(L.GetWordsFrom(3), "");
  EXPECT_EQ(L.NoOfWords(), 3);

  // A separator change applies from the next line on.
  L.SetWordSep("");
  EXPECT_EQ(L.NoOfWords(), 3);
}

TEST(DxLine, AtMost255Words) {
  std::string Line;
  for (int i = 0; i < 255; ++i) Line += "w ";
  EXPECT_EQ(Split(Line).NoOfWords(), 255);       // trailing blank makes no word
  EXPECT_THROW(Split(Line + "w"), ERangeError);  // 256 words
  std::string Csv(254, ',');                     // 255 words, all empty
  EXPECT_EQ(Split(Csv, ",").NoOfWords(), 255);
  EXPECT_THROW(Split(Csv + ",", ","), ERangeError);  // 256 words
  try {
    Split(Line + "w");
  } catch (const ERangeError& E) {
    EXPECT_STREQ(E.what(), "Range check error");
  }
}
