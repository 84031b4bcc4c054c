// Reading a detailed output file of 30 years and 9 reruns (a potential and a
// water-limited section per run and year, both water balances after every
// water-limited section, nutrient summaries, one daily row per day) with
// TDetailedOutput, against `LC_ALL=C wc -w` on the same file, and the peak
// heap the reading needs against the file's size.
//
//   build/bench/bench_output [--days=N] [benchmark options]
//
// Before the benchmarks it prints one summary: the best of several reading
// times and wc times, their ratio (target: at most 3), and the peak of heap
// bytes in use while reading, over the file size (target: at most 6); and
// a first read in a fresh process, started as wc is, beside wc's time.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "../tests/output/OutputLayout.h"
#include "output/OutDet.h"

// ---------------------------------------------------------------- heap count
//
// Every allocation of the process is counted, so that the peak of bytes in
// use while reading can be told apart from what was in use before.

namespace {
std::atomic<long long> HeapInUse{0};
std::atomic<long long> HeapPeak{0};

void* CountedAlloc(size_t Size) {
  void* P = std::malloc(Size ? Size : 1);
  if (!P) throw std::bad_alloc();
  const long long Now = HeapInUse += static_cast<long long>(malloc_usable_size(P));
  long long Peak = HeapPeak.load();
  while (Now > Peak && !HeapPeak.compare_exchange_weak(Peak, Now)) {
  }
  return P;
}

void CountedFree(void* P) {
  if (!P) return;
  HeapInUse -= static_cast<long long>(malloc_usable_size(P));
  std::free(P);
}
}  // namespace

void* operator new(size_t Size) { return CountedAlloc(Size); }
void* operator new[](size_t Size) { return CountedAlloc(Size); }
void operator delete(void* P) noexcept { CountedFree(P); }
void operator delete[](void* P) noexcept { CountedFree(P); }
void operator delete(void* P, size_t) noexcept { CountedFree(P); }
void operator delete[](void* P, size_t) noexcept { CountedFree(P); }

// ---------------------------------------------------------------- the file

namespace {
constexpr int Years = 30;
constexpr int Reruns = 9;
int Days = 240;  // daily rows per section
std::string Dir;
std::string FilePath;

void MakeFile() {
  char Tmpl[] = "/tmp/krl_bench_output_XXXXXX";
  if (!mkdtemp(Tmpl)) std::abort();
  Dir = Tmpl;
  FilePath = Dir + "/KRL.OUT";
  std::ofstream Out(FilePath, std::ios::binary);
  layout::TOptions O;
  O.Days = Days;
  O.Interval = 1;
  O.Balance = 3;
  O.Groundwater = false;
  // One block at a time, so that the file is never held in memory here.
  for (int r = 0; r < Reruns; ++r)
    for (int y = 0; y < Years; ++y)
      for (bool Water : {false, true})
        layout::WriteBlock(Out, layout::MakeBlock("KRL" + std::to_string(r + 1), r, 1961 + y, Water, O));
  for (int r = 0; r < Reruns; ++r) layout::WriteNutrients(Out, layout::MakeNutrients(r));
}

size_t FileSize() { return static_cast<size_t>(std::filesystem::file_size(FilePath)); }

double Seconds(std::chrono::steady_clock::duration D) { return std::chrono::duration<double>(D).count(); }

double TimeRead() {
  const auto T0 = std::chrono::steady_clock::now();
  TDetailedOutput D;
  D.ReadOutputFile(FilePath);
  benchmark::DoNotOptimize(D.Data.PotentialList.Count());
  return Seconds(std::chrono::steady_clock::now() - T0);
}

double TimeWc() {
  const std::string Cmd = "LC_ALL=C wc -w '" + FilePath + "' > /dev/null";
  const auto T0 = std::chrono::steady_clock::now();
  if (std::system(Cmd.c_str()) != 0) std::abort();
  return Seconds(std::chrono::steady_clock::now() - T0);
}

// A first read as the program makes it: a fresh process, started like wc.
double TimeFreshRead() {
  const std::string Cmd = "'/proc/" + std::to_string(getpid()) + "/exe' --first-read='" + FilePath + "'";
  const auto T0 = std::chrono::steady_clock::now();
  if (std::system(Cmd.c_str()) != 0) std::abort();
  return Seconds(std::chrono::steady_clock::now() - T0);
}

void Report() {
  const size_t Size = FileSize();
  // Peak heap while reading, over what was in use before.
  struct rusage Before, After;
  getrusage(RUSAGE_SELF, &Before);
  const long long Base = HeapInUse.load();
  HeapPeak = Base;
  size_t Runs = 0, Rows = 0;
  {
    TDetailedOutput D;
    D.ReadOutputFile(FilePath);
    for (const auto& P : D.Data.PotentialList) Rows += static_cast<size_t>(P.Obj->Days.Count());
    for (const auto& W : D.Data.WaterList) Rows += static_cast<size_t>(W.Obj->Days.Count());
    Runs = static_cast<size_t>(D.Data.PotentialList.Count() + D.Data.WaterList.Count());
    if (D.Data.BalanceList.Count() != Reruns * Years || D.Data.NutrientsList.Count() != Reruns) std::abort();
  }
  getrusage(RUSAGE_SELF, &After);
  const double Peak = static_cast<double>(HeapPeak.load() - Base);

  double Read = 1e9, Wc = 1e9;
  for (int i = 0; i < 5; ++i) {
    Read = std::min(Read, TimeRead());
    Wc = std::min(Wc, TimeWc());
  }
  std::printf("detailed output: %.1f MB, %zu sections, %zu daily rows\n", Size / 1048576.0, Runs, Rows);
  std::printf("reading: %.1f ms; LC_ALL=C wc -w: %.1f ms; ratio %.2f (target <= 3)\n", Read * 1e3, Wc * 1e3,
              Read / Wc);
  double Fresh = 1e9;
  for (int i = 0; i < 5; ++i) Fresh = std::min(Fresh, TimeFreshRead());
  std::printf("first read in a fresh process: %.1f ms; ratio to wc %.2f\n", Fresh * 1e3, Fresh / Wc);
  std::printf("peak heap while reading: %.1f MB = %.2f x file size (target <= 6); max RSS %ld -> %ld kB\n",
              Peak / 1048576.0, Peak / static_cast<double>(Size), Before.ru_maxrss, After.ru_maxrss);
  std::fflush(stdout);
}

void BM_ReadDetailedOutput(benchmark::State& State) {
  for (auto _ : State) {
    TDetailedOutput D;
    D.ReadOutputFile(FilePath);
    benchmark::DoNotOptimize(D.Data.WaterList.Count());
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * FileSize()));
}

void BM_WcWords(benchmark::State& State) {
  const std::string Cmd = "LC_ALL=C wc -w '" + FilePath + "' > /dev/null";
  for (auto _ : State)
    if (std::system(Cmd.c_str()) != 0) State.SkipWithError("wc failed");
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * FileSize()));
}

BENCHMARK(BM_ReadDetailedOutput)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WcWords)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strncmp(argv[1], "--first-read=", 13) == 0) {
    TDetailedOutput D;
    D.ReadOutputFile(argv[1] + 13);
    return D.Data.PotentialList.Count() > 0 ? 0 : 1;
  }
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--days=", 7) == 0) Days = std::atoi(argv[i] + 7);
  MakeFile();
  Report();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code Ec;
  std::filesystem::remove_all(Dir, Ec);
  return 0;
}
