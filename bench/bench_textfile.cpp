// Reading and splitting a large text file of model-output-like lines with
// TDxTextFile, against `wc -w` on the same file.
//
//   build/bench/bench_textfile [--size-mb=N]
//
// Prints MB/s of the reader and the time of `LC_ALL=C wc -w` for comparison.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundations/DxTxtFle.h"

namespace {
size_t SizeMb = 100;
std::string FilePath;

void MakeFile() {
  FilePath = (std::filesystem::temp_directory_path() / "krl_bench_text.out").string();
  std::ofstream Out(FilePath, std::ios::binary);
  const size_t Target = SizeMb * 1024 * 1024;
  size_t Written = 0;
  char Line[256];
  unsigned Seed = 12345;
  int Day = 1;
  while (Written < Target) {
    Seed = Seed * 1103515245u + 12345u;
    const int n = std::snprintf(
        Line, sizeof Line,
        " 1987 %3d %6d %4.2f %6.1f %6.1f %6.1f %6.1f %6.1f %6.2f %5.1f %5.1f %5.1f %7.1f\r\n", Day,
        static_cast<int>(Seed % 1000), (Seed % 200) / 100.0, Seed % 3000 / 1.7, Seed % 5000 / 2.3,
        Seed % 8000 / 3.1, Seed % 7000 / 1.1, Seed % 9000 / 0.9, Seed % 600 / 100.0, Seed % 50 / 10.0,
        Seed % 90 / 7.0, Seed % 40 / 3.0, Seed % 300 / 1.3);
    Out.write(Line, n);
    Written += static_cast<size_t>(n);
    Day = Day % 365 + 1;
  }
}

void BM_ReadAndSplit(benchmark::State& State) {
  size_t Words = 0;
  for (auto _ : State) {
    TDxTextFile F(FilePath);
    Words = 0;
    while (F.NextLine()) Words += static_cast<size_t>(F.Line().NoOfWords());
    benchmark::DoNotOptimize(Words);
  }
  const auto Bytes = std::filesystem::file_size(FilePath);
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Bytes));
  State.counters["words"] = static_cast<double>(Words);
}

void BM_WcW(benchmark::State& State) {
  const std::string Cmd = "LC_ALL=C wc -w " + FilePath + " > /dev/null";
  for (auto _ : State)
    if (std::system(Cmd.c_str()) != 0) State.SkipWithError("wc failed");
  const auto Bytes = std::filesystem::file_size(FilePath);
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Bytes));
}

BENCHMARK(BM_ReadAndSplit)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WcW)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--size-mb=", 10) == 0) SizeMb = std::strtoul(argv[i] + 10, nullptr, 10);
  MakeFile();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(FilePath);
  return 0;
}
