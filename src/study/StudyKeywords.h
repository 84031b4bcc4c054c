#pragma once
// The keywords of the session's input files that a study table may change,
// with the session member each one stands for. A column of a study table is
// either one of these or a variable of the variable catalogue, which goes
// into the rerun file.
//
// This is the study's one place that knows how a keyword reaches the
// session: looking a keyword up, checking a value and storing it all go
// through the entries below.

#include <functional>
#include <string>

class TKvSession;

enum class TStudyValueKind { Integer, Real, CropFile, SoilFile, StationFile, RainFile };

struct TStudyKeyword {
  const char* Name;
  TStudyValueKind Kind;
  // The range of a number when the variable catalogue does not give one.
  double Min;
  double Max;
  std::function<void(TKvSession&, const std::string&)> Store;
};

// The entry of a keyword (letter case ignored); null when it is none.
const TStudyKeyword* FindStudyKeyword(const std::string& Name);

// The rule a value of the keyword breaks, or the empty text when it is
// sound: a whole or decimal number within the range (the catalogue's, else
// the entry's own), or a file of the data catalogue.
std::string CheckKeywordValue(const TStudyKeyword& Keyword, const std::string& Value);

// Stores a checked value into the session; a data file also takes its
// description from the data catalogue, as choosing it in a list does.
void StoreKeywordValue(TKvSession& Session, const TStudyKeyword& Keyword, const std::string& Value);
