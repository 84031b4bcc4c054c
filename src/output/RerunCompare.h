#pragma once
// The reruns of one run side by side: one season result, a row per year and
// a column per rerun, with the mean and standard deviation of each rerun at
// the foot.

#include <map>
#include <string>
#include <vector>

#include "output/RunCompare.h"

class TSummaryOutput;

// The season results a comparison can show, in the order a window lists
// them.
const std::vector<std::string>& RerunResultNames();

// The table of the result named Result (one of RerunResultNames) of the
// potential (Water false) or water-limited summary: the first column the
// year, then one column per rerun headed by its name; the n-th row holds
// every rerun's n-th season. The last two rows are "Mean" and "Standard
// deviation" (n - 1, as the model's own statistics), over the seasons that
// have a value. Values stay the model's texts.
TTextTable RerunComparison(const TSummaryOutput& Out, bool Water, const std::string& Result);

// What each rerun sets, from the rerun file the model was given, by rerun
// name (upper case, without quotes): "KRL2: IDSOW=100, SOFILE=CLAY.SOL", the
// rerun's values in the file's order, the run name and the descriptions of
// data files left out, a value longer than 24 characters cut with "...".
// No file, no captions.
std::map<std::string, std::string> RerunCaptions(const std::string& RerunFile);

// The rerun columns of a comparison headed by their captions, where
// Captions has one for the column's name.
void NameRerunColumns(TTextTable& Table, const std::map<std::string, std::string>& Captions);
