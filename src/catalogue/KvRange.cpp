#include "catalogue/KvRange.h"

#include <cfenv>
#include <climits>
#include <cmath>

#include "catalogue/KvRerun.h"
#include "foundations/Errors.h"

long double RoundHalfEven(long double X) {
  // nearbyint rounds in the current mode; make sure it is to-nearest-even.
  const int Old = std::fegetround();
  if (Old != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  const long double R = std::nearbyintl(X);
  if (Old != FE_TONEAREST) std::fesetround(Old);
  return R;
}

int RoundToInt32(long double X) {
  const long double R = RoundHalfEven(X);
  if (!(R >= static_cast<long double>(INT_MIN) && R <= static_cast<long double>(INT_MAX)))
    throw ERangeError();
  return static_cast<int>(R);
}

long double RangeMin(const std::string& Name) { return RoundHalfEven(GetVarMin(Name)); }
long double RangeMax(const std::string& Name) { return RoundHalfEven(GetVarMax(Name)); }
int RangeMinInt(const std::string& Name) { return RoundToInt32(GetVarMin(Name)); }
int RangeMaxInt(const std::string& Name) { return RoundToInt32(GetVarMax(Name)); }
