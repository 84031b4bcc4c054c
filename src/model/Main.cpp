// korval.exe: the bundled crop growth model. Started without arguments in the
// program directory; reads DIRECT.INI there, the run options and the session's
// input files, simulates every run and year, and writes the output files.
// Everything it has to say goes to standard output, which is the run's log.

#include <csignal>
#include <iostream>

#include "model/Model.h"

int main() {
  // A file that grows past the size limit fails its write, which the model
  // reports, instead of ending the process halfway through the output.
  std::signal(SIGXFSZ, SIG_IGN);
  std::ios::sync_with_stdio(false);
  return RunModel(std::cout);
}
