// The check before a run on the largest session, keeping a run in the run
// history, and the cost of the control around a model run: RunSession from its start to
// the outcome (input files, batch script, krlcmd, the model, the wait, the
// log check) against running korval.exe directly on the same input files.
//
//   build/bench/bench_run
//
// Both run in a fresh copy of the sample program home; the session is spring
// barley on loam at station north, two years, production levels 1 and 2.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "../tests/support/SampleHome.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"
#include "session/RunCheck.h"
#include "session/RunHistory.h"

namespace fs = std::filesystem;

namespace {
fs::path Home;
std::unique_ptr<TKvSession> Session;

void SetUpHome() {
  Home = fs::temp_directory_path() / "krl_bench_run";
  fs::remove_all(Home);
  fs::create_directories(Home);
  SetShellWindowless(true);
  SetMessageHandler([](const TMessage&) { return TMsgResult::No; });
  Session = OpenSampleSession(Home);
}

void BM_RunSession(benchmark::State& State) {
  for (auto _ : State)
    if (RunSession() != TRunOutcome::Successful) State.SkipWithError("the run did not succeed");
}

void BM_ModelDirectly(benchmark::State& State) {
  const std::string Bin = (Home / "bin").string();
  const std::string Log = (Home / "runio" / "KRL.LOG").string();
  for (auto _ : State) {
    const pid_t Pid = fork();
    if (Pid == 0) {
      if (chdir(Bin.c_str()) != 0) _exit(126);
      const int Out = open(Log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      dup2(Out, 1);
      execl("./korval.exe", "korval.exe", static_cast<char*>(nullptr));
      _exit(127);
    }
    int Status = 0;
    waitpid(Pid, &Status, 0);
    if (!WIFEXITED(Status) || WEXITSTATUS(Status) != 0) State.SkipWithError("the model failed");
  }
}

// The check before a run on the largest session: 30 years and 9 reruns
// (goal: at most 20 ms).
void BM_CheckBeforeRun(benchmark::State& State) {
  TKvSession Large;
  TheSession = &Large;
  Large.Reset();
  ChooseSampleSession(Large);
  Large.Weather().SetYear(1971);
  Large.Weather().SetConsecutiveYears(30);
  Large.Rerun().SetUseReRuns(true);
  while (Large.Rerun().RerunList.Count() < 9) Large.Rerun().AddRerun();
  for (auto _ : State)
    if (!CheckBeforeRun(Large).empty()) State.SkipWithError("the session has problems");
  TheSession = Session.get();
}

// Keeping the run just made in the run history, against the run itself
// (goal: at most 10 % of the run's time).
void BM_KeepRun(benchmark::State& State) {
  if (RunSession() != TRunOutcome::Successful) State.SkipWithError("the run did not succeed");
  TRunHistory History(Session->FileManager());
  for (auto _ : State) {
    const TRunRecord Kept = History.Keep();
    State.PauseTiming();
    std::error_code Ec;
    fs::remove_all(Kept.Folder, Ec);
    State.ResumeTiming();
  }
}

BENCHMARK(BM_CheckBeforeRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeepRun)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RunSession)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ModelDirectly)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}  // namespace

int main(int argc, char** argv) {
  SetUpHome();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TheSession = nullptr;
  Session.reset();
  SetCurrentDir("/");
  fs::remove_all(Home);
  return 0;
}
