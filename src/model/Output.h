#pragma once
// The output files of the crop model: the detailed output (run headers, daily
// tables, summary rows, water balances, nutrient summaries) and the summaries
// per year and run (potential ".pps", water-limited ".wps") and over the long
// term (".sum"). Each is made as one text with CR LF line ends.

#include <memory>
#include <string>
#include <vector>

#include "model/Season.h"

// Writes V with Prec decimals (0 to 9) into First..Last, the characters
// std::to_chars(First, Last, V, std::chars_format::fixed, Prec) writes, and
// answers the end; nullptr when they do not fit. Most values are written
// from their rounded integer; those near a tie of the rounding, large ones
// and those that are no number are left to std::to_chars.
char* FixedToChars(char* First, char* Last, double V, int Prec);

struct THeaderInfo {
  std::string WeatherName, WeatherFile;
  bool RainFromFile = false;
  std::string RainName, RainFile;
  std::string CropName, CropFile, SoilName, SoilFile, StartText;
};

struct TNutrientUse {
  double NCSO = 0, NCST = 0, PCSO = 0, PCST = 0, KCSO = 0, KCST = 0;
};

struct TYearResult {
  int Year = 0, RainYear = 0;
  THeaderInfo Header;
  TSeasonResult Pot;
  bool HasWater = false;
  TSeasonResult Wat;
};

struct TRunResult {
  std::string Name;
  int Set = 1;
  TSiteParams Site;
  TNutrientUse Nutrients;
  std::vector<TYearResult> Years;
};

struct TOutputOptions {
  int IPRODL = 2, IBAL = 1, IZT = 0;
  bool Reruns = false;
  std::string Banner = "**KORVAL  simplified crop model (for trying and testing the control centre)";
};

std::string DetailedOutputText(const std::vector<TRunResult>& Runs, const TOutputOptions& O);

// The detailed output built season by season as the seasons are simulated,
// the same text as DetailedOutputText: once its blocks are written, a
// season's daily rows are no longer needed and their memory serves the next
// season. Seasons is the number of seasons expected, to size the text.
class TDetailedText {
 public:
  TDetailedText(const TOutputOptions& O, size_t Seasons);
  ~TDetailedText();
  TDetailedText(const TDetailedText&) = delete;
  TDetailedText& operator=(const TDetailedText&) = delete;
  void Add(const TRunResult& R, const TYearResult& Y);
  // The text, with the nutrient summaries of Runs (the runs whose seasons
  // were added) at production level 3.
  std::string Finish(const std::vector<TRunResult>& Runs);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> F;
};
std::string PotentialSummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O);
std::string WaterSummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O);
std::string LongTermSummaryText(const std::vector<TRunResult>& Runs, const TOutputOptions& O);

// The nutrient-limited crop of a season and the fertilizer each production
// level needs, from the basic soil supply and the recovery fractions.
struct TNutrientColumn {
  double Leaves = 0, Stems = 0, Storage = 0;
  double Fert[3] = {0, 0, 0};  // N, P, K kg/ha; negative: not reachable
};
void NutrientColumns(const TRunResult& Run, const std::vector<const TYearResult*>& Years,
                     TNutrientColumn Col[3]);
