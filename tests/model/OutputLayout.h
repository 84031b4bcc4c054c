#pragma once
// Checks of the model's output files against the layout every reader
// accepts, written from the layout description, not from the model's own
// formatting: each file is walked word by word and every rule is an
// expectation of the running test.

#include <string>
#include <vector>

using TWords = std::vector<std::string>;

// The text as a number; a failed expectation when it is none.
double Num(const std::string& S);
bool StartsWith(const TWords& W, const TWords& Prefix);

struct TBlockCheck {
  int Potential = 0, Water = 0, Whole = 0, Root = 0, Nutrient = 0;
  std::vector<double> PotTwso, WatTwso;  // the summary rows' TWSO, block by block
};

// Walks the detailed output: every run block, its daily table, its summary
// row, the balances and the nutrient summaries.
TBlockCheck CheckDetailed(const std::string& Path, bool Groundwater);

// The summaries in Dir (KRL.pps, KRL.wps, KRL.sum) of Runs runs with Years
// simulated years each: the banner and OUTPUT lines, one row per run and
// year, the statistics of every run, the long-term table.
void CheckSummaries(const std::string& Dir, int Runs, int Years, bool Water, bool LongTerm);

// No line of the file ends in a blank.
void CheckNoTrailingBlanks(const std::string& Path);
