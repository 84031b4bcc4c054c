// korval.exe: the bundled crop growth model. Started without arguments in the
// program directory; reads DIRECT.INI there, the run options and the session's
// input files, simulates every run and year, and writes the output files.
// Everything it has to say goes to standard output, which is the run's log.

#include <iostream>

#include "model/Model.h"

int main() {
  std::ios::sync_with_stdio(false);
  return RunModel(std::cout);
}
