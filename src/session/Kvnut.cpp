#include "session/Kvnut.h"

#include "catalogue/KvRange.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"

namespace {
void SetChecked(long double& Field, long double V, long double Min, long double Max, const char* Name) {
  if (!(Min <= V && V <= Max))
    throw EKvError(
        Format("'%s' should be in [%.6f - %.6f]", Name, static_cast<double>(Min), static_cast<double>(Max)));
  Field = V;
}
}  // namespace

TKvNutrients::TKvNutrients() {
  FNbaseMin = RangeMin("NBASE");
  FNbaseMax = RangeMax("NBASE");
  FNrecMin = RangeMin("NREC");
  FNrecMax = RangeMax("NREC");
  FPbaseMin = RangeMin("PBASE");
  FPbaseMax = RangeMax("PBASE");
  FPrecMin = RangeMin("PREC");
  FPrecMax = RangeMax("PREC");
  FKbaseMin = RangeMin("KBASE");
  FKbaseMax = RangeMax("KBASE");
  FKrecMin = RangeMin("KREC");
  FKrecMax = RangeMax("KREC");
  Reset();
}

void TKvNutrients::Reset() {
  FNbase = 60;
  FNrec = 0.5;
  FPbase = 10;
  FPrec = 0.1;
  FKbase = 60;
  FKrec = 0.5;
}

void TKvNutrients::SetNBase(long double V) { SetChecked(FNbase, V, FNbaseMin, FNbaseMax, "NBase"); }
void TKvNutrients::SetNrec(long double V) { SetChecked(FNrec, V, FNrecMin, FNrecMax, "NRec"); }
void TKvNutrients::SetPBase(long double V) { SetChecked(FPbase, V, FPbaseMin, FPbaseMax, "PBase"); }
void TKvNutrients::SetPrec(long double V) { SetChecked(FPrec, V, FPrecMin, FPrecMax, "PRec"); }
void TKvNutrients::SetKBase(long double V) { SetChecked(FKbase, V, FKbaseMin, FKbaseMax, "KBase"); }
void TKvNutrients::SetKrec(long double V) { SetChecked(FKrec, V, FKrecMin, FKrecMax, "KRec"); }
