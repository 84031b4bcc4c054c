#pragma once
// The check before a run: what in the session cannot work, found before any
// file is written, each problem named by the page and caption of its field
// as the main window shows them. Errors stop the run; warnings are for the
// user to weigh. The window, krlstudy and tests call the same check.

#include <string>
#include <vector>

class TKvSession;
struct TSessionField;

struct TRunProblem {
  enum TKind { Error, Warning };
  TKind Kind = Error;
  // The field at fault, null when no field holds it (the output directory).
  const TSessionField* Field = nullptr;
  // What is wrong, in a sentence that names the value.
  std::string What;

  // "Timer page, Start year: ..." or, without a field, What alone.
  std::string Text() const;
};

// How much the check looks at: everything the user is shown before a run,
// or only what would stop it (a study row, whose warnings nobody reads).
enum class TCheckScope { ErrorsAndWarnings, ErrorsOnly };

// The problems of the session as it stands, errors first, each list in the
// order of the fields in the input files.
std::vector<TRunProblem> CheckBeforeRun(const TKvSession& S,
                                        TCheckScope Scope = TCheckScope::ErrorsAndWarnings);

// Whether the field's value matters to the model with the session's other
// choices (a fixed sowing date only when the crop starts at one, ...).
bool FieldInUse(const TSessionField& F, const TKvSession& S);

// The bytes a run of the session is expected to write (its output files and
// the copy the run history keeps), from its years, reruns and options.
unsigned long long ExpectedRunBytes(const TKvSession& S);
