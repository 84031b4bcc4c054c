#pragma once
// Numbers in text, always with the full stop as decimal separator, whatever
// the user's locale.

#include <string>

// printf-style formatting in the "C" locale.
std::string Format(const char* Fmt, ...) __attribute__((format(printf, 1, 2)));

// Converts a decimal number: optional blanks around it, optional sign,
// digits with an optional fraction, optional exponent. False when S is not
// such a number.
bool TryStrToFloat(const std::string& S, long double& Value);
// Converts a 32-bit integer: optional leading blanks, optional sign, decimal
// digits or hexadecimal after '$' or '0x'; nothing may follow; must fit.
bool TryStrToInt(const std::string& S, int& Value);
// As above, failing with EConvertError "'S' is not a valid ..." instead.
long double StrToFloat(const std::string& S);
int StrToInt(const std::string& S);
