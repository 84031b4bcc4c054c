// The fuzzer's entry point of every target: runs the target's FuzzOne and
// counts an input that takes more than the budget of processor time as a
// hang.

#include <time.h>

#include <string>

#include "FuzzSupport.h"

namespace {
double CpuSeconds() {
  timespec T;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
  return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_nsec) / 1e9;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const double Start = CpuSeconds();
  const int Result = FuzzOne(Data, Size);
  const double Used = CpuSeconds() - Start;
  FUZZ_CHECK_MSG(Used <= FuzzCpuBudget,
                 "hang: " + std::to_string(Used) + " s of processor time for one input");
  return Result;
}
