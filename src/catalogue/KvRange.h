#pragma once
// Allowed ranges of the session's settings, taken from the variable
// catalogue. Every catalogue bound is rounded to the nearest whole number,
// halves to the even neighbour, before it is stored, also where the range
// field itself holds a decimal number.

#include <string>

// X rounded to the nearest whole number, halves to the even neighbour.
long double RoundHalfEven(long double X);
// As above, into a 32-bit integer; ERangeError when it does not fit.
int RoundToInt32(long double X);

// The catalogue's minimum / maximum of a keyword, rounded. A keyword the
// catalogue lacks gives 0 (the minimum shows the catalogue's "not found: "
// message).
long double RangeMin(const std::string& Name);
long double RangeMax(const std::string& Name);
int RangeMinInt(const std::string& Name);
int RangeMaxInt(const std::string& Name);
