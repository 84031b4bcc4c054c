#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "foundations/DxLine.h"
#include "foundations/Errors.h"
#include "output/OutLine.h"

TEST(Str16, KeepsAtMostSixteenCharacters) {
  EXPECT_EQ(Str16("abc"), "abc");
  EXPECT_EQ(Str16(std::string(20, 'x')).Str(), std::string(16, 'x'));
  EXPECT_EQ(Str16(std::string("a\0b", 3)).size(), 3u);
  Str16 S;
  EXPECT_TRUE(S.empty());
  S = std::string("12345678901234567890");
  EXPECT_EQ(S, std::string("1234567890123456"));
  EXPECT_NE(S, "12345678901234567890");
  const std::string Back = S;
  EXPECT_EQ(Back, "1234567890123456");
}

TEST(OutputLine, PaddedAndPlainValues) {
  struct Case {
    std::string Word, Padded, Plain;
  };
  const Case Cases[] = {
      {"12.5", "    12.5", "12.5"},
      {"1", "       1", "1"},
      {"12345678", "12345678", "12345678"},
      {"1234567890", "1234567890", "1234567890"},
      {"12345678901234567890", "1234567890123456", "1234567890123456"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Word);
    TOutputLine L;
    L.SetPaddedValue(2, C.Word);
    L.SetValue(3, C.Word);
    EXPECT_EQ(L.Value(1), "");
    EXPECT_EQ(L.Value(2), C.Padded);
    EXPECT_EQ(L.Value(3), C.Plain);
    EXPECT_EQ(L.Value(25), "");
  }
}

TEST(OutputLine, SlotsOutsideOneToTwentyFiveFail) {
  TOutputLine L;
  EXPECT_THROW(L.Value(0), ERangeError);
  EXPECT_THROW(L.Value(26), ERangeError);
  EXPECT_THROW(L.SetValue(26, "x"), ERangeError);
  EXPECT_THROW(L.SetPaddedValue(0, "x"), ERangeError);
}

TEST(OutputLine, ReplacingASlotKeepsTheOthers) {
  TOutputLine L;
  L.SetValue(1, "a");
  L.SetValue(5, "eeeee");
  L.SetPaddedValue(3, "c");
  L.SetValue(1, "AAAAAAAAAAAAAAAAAAAA");
  EXPECT_EQ(L.Value(1), "AAAAAAAAAAAAAAAA");
  EXPECT_EQ(L.Value(2), "");
  EXPECT_EQ(L.Value(3), "       c");
  EXPECT_EQ(L.Value(5), "eeeee");
  const TOutputLine Copy = L;
  L.Clear();
  EXPECT_EQ(L.Value(5), "");
  EXPECT_EQ(Copy.Value(5), "eeeee");
  EXPECT_EQ(Copy.Value(3), "       c");
}

TEST(OutputLine, AssignTakesWordsFromAPosition) {
  TDxLine Line;
  Line.SetStr("** MEANS over 2 years : 133 2100");
  TOutputLine L;
  L.Assign(Line, 7, true);
  EXPECT_EQ(L.Value(1), "     133");
  EXPECT_EQ(L.Value(2), "    2100");
  EXPECT_EQ(L.Value(3), "");
  L.Assign(Line, 9, true);  // past the last word: an empty row
  EXPECT_EQ(L.Count(), 0);
  EXPECT_EQ(L.Value(1), "");
}

// A row made in one allocation with its values reads as an assigned one,
// and copies, moves and changes keep their values after it is gone.
TEST(OutputLine, ARowMadeWithItsValuesCopiesAndMoves) {
  TDxLine Line;
  Line.SetStr(" 1987 112 12.5 abc");
  std::unique_ptr<TOutputLine> Row = TOutputLine::FromLine(Line, 1, true);
  TOutputLine Assigned;
  Assigned.Assign(Line, 1, true);
  for (int k = 1; k <= 5; ++k) EXPECT_EQ(Row->Value(k), Assigned.Value(k)) << k;
  TOutputLine Copy = *Row;
  TOutputLine Moved = std::move(*Row);
  Row->SetValue(2, "x");  // the moved-from row starts anew
  Row.reset();
  EXPECT_EQ(Copy.Value(4), "     abc");
  EXPECT_EQ(Moved.Value(1), "    1987");
  Moved.SetValue(3, "99");
  EXPECT_EQ(Moved.Value(3), "99");
  EXPECT_EQ(Moved.Value(4), "     abc");
  Line.SetStr("");
  EXPECT_EQ(TOutputLine::FromLine(Line, 1, false)->Count(), 0);
}

TEST(OutputLine, TwentySixWordsFailAfterTwentyFiveAreStored) {
  std::string Text;
  for (int i = 1; i <= 26; ++i) Text += " w" + std::to_string(i);
  TDxLine Line;
  Line.SetStr(Text);
  EXPECT_THROW(TOutputLine::FromLine(Line, 1, false), ERangeError);
  TOutputLine L;
  EXPECT_THROW(L.Assign(Line, 1, false), ERangeError);
  EXPECT_EQ(L.Value(25), "w25");
  L.Assign(Line, 2, false);  // 25 words from word 2 on fit
  EXPECT_EQ(L.Value(25), "w26");
}

// A daily table keeps every row as an assigned row reads, across the growth
// of its buffer and after it gives back its spare room; its keys are the
// first words as written; a row of 26 values is refused and the rows before
// it stay.
TEST(DailyTable, RowsReadAsAssignedRowsAcrossGrowth) {
  TDailyTable T;
  std::vector<std::string> Texts;
  for (int r = 0; r < 700; ++r) {
    std::string Text = " " + std::to_string(1000 + r);
    for (int k = 0; k < r % 25; ++k) Text += " " + std::to_string(r * k) + (k % 3 ? ".5" : "");
    if (r == 3) Text = " " + std::string(20, 'k') + " 1";
    Texts.push_back(Text);
  }
  TDxLine Line;
  const auto Expect = [&](const std::string& When) {
    SCOPED_TRACE(When);
    ASSERT_EQ(T.Count(), static_cast<int>(Texts.size()));
    int r = 0;
    for (const auto& Day : T) {
      Line.SetStr(Texts[static_cast<size_t>(r)]);
      TOutputLine Assigned;
      Assigned.Assign(Line, 1, true);
      EXPECT_EQ(Day.Str, Line.GetWord(1)) << r;
      EXPECT_EQ(T.Strings(r), Line.GetWord(1)) << r;
      ASSERT_EQ(Day.Obj, T.Objects(r));
      ASSERT_EQ(Day.Obj->Count(), Assigned.Count()) << r;
      for (int k = 1; k <= TOutputLine::MaxValues; ++k) ASSERT_EQ(Day.Obj->Value(k), Assigned.Value(k)) << r;
      ++r;
    }
  };
  for (const std::string& Text : Texts) {
    Line.SetStr(Text);
    T.Add(Line);
  }
  Expect("growing");
  T.Shrink();
  Expect("shrunk");

  std::string Wide;
  for (int i = 1; i <= 26; ++i) Wide += " w" + std::to_string(i);
  Line.SetStr(Wide);
  EXPECT_THROW(T.Add(Line), ERangeError);
  Expect("refused");
  EXPECT_THROW(T.Objects(T.Count()), std::out_of_range);
  T.Clear();
  EXPECT_EQ(T.Count(), 0);
  EXPECT_EQ(T.begin(), T.end());
}
