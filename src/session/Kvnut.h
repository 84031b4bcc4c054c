#pragma once
// Nutrient supply of the session (used with three production levels): the
// basic soil supply of nitrogen, phosphorus and potassium in kg/ha and their
// apparent recovery fractions. The ranges come from the variable catalogue
// once, when the object is created; Reset restores the values only. The
// setters refuse a value outside its range with EKvError
// "'<name>' should be in [<min> - <max>]" and keep the old value.

class TKvNutrients {
 public:
  TKvNutrients();
  void Reset();

  long double NBase() const { return FNbase; }
  void SetNBase(long double V);
  long double NBaseMin() const { return FNbaseMin; }
  long double NBaseMax() const { return FNbaseMax; }

  long double Nrec() const { return FNrec; }
  void SetNrec(long double V);
  long double NRecMin() const { return FNrecMin; }
  long double NRecMax() const { return FNrecMax; }

  long double PBase() const { return FPbase; }
  void SetPBase(long double V);
  long double PBaseMin() const { return FPbaseMin; }
  long double PBaseMax() const { return FPbaseMax; }

  long double Prec() const { return FPrec; }
  void SetPrec(long double V);
  long double PRecMin() const { return FPrecMin; }
  long double PRecMax() const { return FPrecMax; }

  long double KBase() const { return FKbase; }
  void SetKBase(long double V);
  long double KBaseMin() const { return FKbaseMin; }
  long double KBaseMax() const { return FKbaseMax; }

  long double Krec() const { return FKrec; }
  void SetKrec(long double V);
  long double KRecMin() const { return FKrecMin; }
  long double KRecMax() const { return FKrecMax; }

 private:
  long double FNbase = 60, FNbaseMin = 0, FNbaseMax = 0;
  long double FNrec = 0.5, FNrecMin = 0, FNrecMax = 0;
  long double FPbase = 10, FPbaseMin = 0, FPbaseMax = 0;
  long double FPrec = 0.1, FPrecMin = 0, FPrecMax = 0;
  long double FKbase = 60, FKbaseMin = 0, FKbaseMax = 0;
  long double FKrec = 0.5, FKrecMin = 0, FKrecMax = 0;
};
