#pragma once
// Small measures shared by the benchmarks.

#include <cstdlib>
#include <fstream>
#include <string>

// The process's resident set (VmRSS) in kB; 0 where /proc does not tell.
inline long ResidentKb() {
  std::ifstream Status("/proc/self/status");
  std::string Line;
  while (std::getline(Status, Line))
    if (Line.rfind("VmRSS:", 0) == 0) return std::atol(Line.c_str() + 6);
  return 0;
}
