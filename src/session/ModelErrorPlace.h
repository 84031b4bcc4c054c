#pragma once
// A failed run traced back to where the user can mend it. The model names
// the place of an error in its first line ("ERROR in file ..\runio\KRLti.tim,
// line 16, key IDSOW: value 400 out of range"); this finds the field of the
// main window that wrote that line, or the data file and the meaning of the
// key from the variable catalogue.

#include <string>

class TKvSession;
struct TSessionField;

struct TModelErrorPlace {
  std::string File;  // as the model names it; empty when the text names none
  int Line = 0;      // from 1; 0 when not named
  std::string Key;   // the keyword; empty when not named
  std::string What;  // the rest of the first line after "key K: "

  // The field of the session's input files the error is about (null when
  // the file is no input file of the session or the key belongs to none).
  const TSessionField* Field = nullptr;
  // Whether the file is a data file (crop, soil, weather) the user can open.
  bool DataFile = false;
};

// The place named in an error text of the model (its first "ERROR in file"
// line); an empty File when the text names none.
TModelErrorPlace FindModelErrorPlace(const std::string& ErrorText, const TKvSession& S);

// The place in the window's words, a line for the error box: "This is the
// field Timer page, Fixed Sowing." or "SMW in ..\soild\LOAM.SOL, line 7, is
// the soil moisture content at wilting point." Empty when nothing is known.
std::string ExplainModelErrorPlace(const TModelErrorPlace& Place);
