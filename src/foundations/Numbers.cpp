#include "foundations/Numbers.h"

#include <locale.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "foundations/Errors.h"

namespace {
locale_t CLocale() {
  static locale_t L = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return L;
}

bool IsBlankChar(char C) { return static_cast<unsigned char>(C) <= 32; }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
}  // namespace

std::string Format(const char* Fmt, ...) {
  const locale_t Old = uselocale(CLocale());
  va_list Args;
  va_start(Args, Fmt);
  va_list Copy;
  va_copy(Copy, Args);
  char Small[256];
  const int N = std::vsnprintf(Small, sizeof Small, Fmt, Args);
  va_end(Args);
  std::string Out;
  if (N >= 0 && static_cast<size_t>(N) < sizeof Small) {
    Out.assign(Small, static_cast<size_t>(N));
  } else if (N >= 0) {
    std::vector<char> Big(static_cast<size_t>(N) + 1);
    std::vsnprintf(Big.data(), Big.size(), Fmt, Copy);
    Out.assign(Big.data(), static_cast<size_t>(N));
  }
  va_end(Copy);
  uselocale(Old);
  return Out;
}

bool TryStrToFloat(const std::string& S, long double& Value) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlankChar(S[i])) ++i;
  while (n > i && IsBlankChar(S[n - 1])) --n;
  if (i >= n) return false;
  // Check the shape first: strtold alone would take "inf", "nan" and hex.
  size_t j = i;
  if (S[j] == '+' || S[j] == '-') ++j;
  size_t Digits = 0;
  while (j < n && IsDigit(S[j])) ++j, ++Digits;
  if (j < n && S[j] == '.') {
    ++j;
    while (j < n && IsDigit(S[j])) ++j, ++Digits;
  }
  if (Digits == 0) return false;
  if (j < n && (S[j] == 'e' || S[j] == 'E')) {
    ++j;
    if (j < n && (S[j] == '+' || S[j] == '-')) ++j;
    size_t ExpDigits = 0;
    while (j < n && IsDigit(S[j])) ++j, ++ExpDigits;
    if (ExpDigits == 0) return false;
  }
  if (j != n) return false;
  const std::string Text = S.substr(i, n - i);
  errno = 0;
  char* End = nullptr;
  const long double V = strtold_l(Text.c_str(), &End, CLocale());
  if (errno == ERANGE && (V == HUGE_VALL || V == -HUGE_VALL)) return false;
  Value = V;
  return true;
}

bool TryStrToInt(const std::string& S, int& Value) {
  size_t i = 0;
  const size_t n = S.size();
  while (i < n && IsBlankChar(S[i]) && S[i] != 0) ++i;
  bool Neg = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) Neg = S[i++] == '-';
  int Base = 10;
  if (i < n && S[i] == '$') {
    Base = 16;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    Base = 16;
    i += 2;
  }
  if (i >= n) return false;
  long long V = 0;
  for (; i < n; ++i) {
    const char C = S[i];
    int D;
    if (IsDigit(C))
      D = C - '0';
    else if (Base == 16 && C >= 'a' && C <= 'f')
      D = C - 'a' + 10;
    else if (Base == 16 && C >= 'A' && C <= 'F')
      D = C - 'A' + 10;
    else
      return false;
    V = V * Base + D;
    if (V > 0x100000000LL) return false;
  }
  if (Base == 16) {
    // Hexadecimal denotes the bit pattern: $FFFFFFFF is -1.
    if (V > 0xFFFFFFFFLL) return false;
    long long Bits = V > INT_MAX ? V - 0x100000000LL : V;
    Value = static_cast<int>(Neg ? -Bits : Bits);
    return true;
  }
  if (Neg) V = -V;
  if (V < INT_MIN || V > INT_MAX) return false;
  Value = static_cast<int>(V);
  return true;
}

long double StrToFloat(const std::string& S) {
  long double V;
  if (!TryStrToFloat(S, V)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return V;
}

int StrToInt(const std::string& S) {
  int V;
  if (!TryStrToInt(S, V)) throw EConvertError("'" + S + "' is not a valid integer value");
  return V;
}
