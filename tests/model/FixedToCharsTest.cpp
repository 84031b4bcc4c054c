// The model's fixed-point formatting writes what std::to_chars writes, for
// every value: near ties of the rounding, signs, zeros and values too large
// for the short way included.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "model/Output.h"

namespace {

std::string Expected(double V, int Prec) {
  char Buf[400];
  const auto R = std::to_chars(Buf, Buf + sizeof Buf, V, std::chars_format::fixed, Prec);
  return std::string(Buf, R.ptr);
}

std::string Written(double V, int Prec) {
  char Buf[400];
  char* End = FixedToChars(Buf, Buf + sizeof Buf, V, Prec);
  return End ? std::string(Buf, End) : std::string("<none>");
}

}  // namespace

TEST(FixedToChars, WritesWhatToCharsWrites) {
  const double Cases[] = {0.0,
                          -0.0,
                          0.125,
                          2.675,
                          1.005,
                          0.05,
                          -0.05,
                          -0.04,
                          0.5,
                          1.5,
                          2.5,
                          -2.5,
                          9.995,
                          99.95,
                          0.0049,
                          1e-300,
                          -1e-300,
                          123456.789,
                          3999e12,
                          4e15,
                          1e16,
                          1e300,
                          -7.25,
                          0.45,
                          1.45,
                          12.345,
                          1234.5678,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (const double V : Cases)
    for (int Prec = 0; Prec <= 9; ++Prec) {
      SCOPED_TRACE(Expected(V, 17) + " with " + std::to_string(Prec) + " decimals");
      EXPECT_EQ(Written(V, Prec), Expected(V, Prec));
    }
  // Values of every size, and values a hair from a tie of the rounding.
  std::mt19937_64 Gen(27);
  std::uniform_real_distribution<double> Exponent(-6, 12), Unit(-1, 1);
  for (int i = 0; i < 200000; ++i) {
    const int Prec = i % 5;
    double V = Unit(Gen) * std::pow(10.0, Exponent(Gen));
    if (i % 3 == 0) {
      // k + 1/2 in the last decimal (as near as a double comes), and its neighbours.
      V = (std::round(V * std::pow(10.0, Prec)) + 0.5) / std::pow(10.0, Prec);
      if (i % 9 != 0) V = std::nextafter(V, (i % 2) ? HUGE_VAL : -HUGE_VAL);
    }
    ASSERT_EQ(Written(V, Prec), Expected(V, Prec)) << Expected(V, 20) << " with " << Prec << " decimals";
  }
}

TEST(FixedToChars, AnswersNoneWhenTheTextDoesNotFit) {
  char Buf[4];
  EXPECT_EQ(FixedToChars(Buf, Buf + sizeof Buf, 123.45, 2), nullptr);
  EXPECT_EQ(FixedToChars(Buf, Buf + sizeof Buf, -1.5, 1), Buf + 4);
  EXPECT_EQ(std::string(Buf, 4), "-1.5");
}
