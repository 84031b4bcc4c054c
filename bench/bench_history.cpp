// Opening the run history: the list of 1,000 kept runs with their summaries,
// as the history window reads it (goal: at most 0.3 s).
//
//   build/bench/bench_history
//
// One real run of the sample session (spring barley on loam, two years) is
// kept and summarised, then copied until the history holds 1,000 runs; the
// history window reads the list and every run's summary.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "../tests/support/SampleHome.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "output/RunCompare.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "session/RunHistory.h"

namespace fs = std::filesystem;

namespace {
fs::path Home;
std::unique_ptr<TKvSession> Session;
constexpr int KeptRuns = 1000;

bool SetUpHome() {
  Home = fs::temp_directory_path() / "krl_bench_history";
  fs::remove_all(Home);
  fs::create_directories(Home);
  SetShellWindowless(true);
  SetMessageHandler([](const TMessage&) { return TMsgResult::No; });
  Session = OpenSampleSession(Home);
  if (!Session || RunSession() != TRunOutcome::Successful) return false;
  const TRunHistory History(Session->FileManager());
  const std::vector<TRunRecord> Runs = History.Runs();
  if (Runs.size() != 1) return false;
  // The first look at a run reads its summary from its files and keeps it
  // beside them; the copies carry it.
  RunSummary(Session->FileManager(), Runs[0]);
  for (int i = 2; i <= KeptRuns; ++i) {
    char Name[16];
    std::snprintf(Name, sizeof Name, "%06d", i);
    fs::copy(Runs[0].Folder, fs::path(History.Dir()) / Name);
  }
  InvalidateDirCache();
  return true;
}

void BM_OpenHistory(benchmark::State& State) {
  const TRunHistory History(Session->FileManager());
  for (auto _ : State) {
    const std::vector<TRunRecord> Runs = History.Runs();
    std::vector<TRunSummary> Summaries;
    for (const TRunRecord& R : Runs) Summaries.push_back(RunSummary(Session->FileManager(), R));
    if (Summaries.size() != KeptRuns || Summaries.back().Crop.empty())
      State.SkipWithError("the history is not whole");
    benchmark::DoNotOptimize(Summaries.data());
  }
}

// Comparing two kept runs: inputs and season results.
void BM_CompareTwoRuns(benchmark::State& State) {
  const TRunHistory History(Session->FileManager());
  const std::vector<TRunRecord> Runs = History.Runs();
  for (auto _ : State) {
    benchmark::DoNotOptimize(CompareRunInputs(Session->FileManager(), Runs[0], Runs[1]));
    benchmark::DoNotOptimize(CompareRunResults(Session->FileManager(), Runs[0], Runs[1]));
  }
}

BENCHMARK(BM_OpenHistory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompareTwoRuns)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv) {
  if (!SetUpHome()) {
    std::fprintf(stderr, "the sample run failed\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TheSession = nullptr;
  Session.reset();
  SetCurrentDir("/");
  fs::remove_all(Home);
  return 0;
}
