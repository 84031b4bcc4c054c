#pragma once
// The whole model run: reads DIRECT.INI in the current directory, the run
// options and the session's input files, simulates every run and year, and
// writes the output files. Progress and errors go to Log; an error is a line
// holding the word ERROR with the file and key, explanation lines and a line
// starting with "Press", and no output file is written after it.

#include <ostream>
#include <vector>

#include "model/Output.h"

// 0 on success, 1 after an error. Results, when given, receives what was
// simulated.
int RunModel(std::ostream& Log, std::vector<TRunResult>* Results = nullptr);
