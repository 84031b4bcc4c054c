// Studies: 200 simulations of the sample session (five years each) run by
// krlstudy with 1 and 2 workers, against the model's own time on the same
// input files; and a table of 10,000 rows checked and gathered (5 seasons a
// row) with the coordinator's peak memory.
//
//   build/bench/bench_study [benchmark options]
//
// After the benchmarks it prints one summary: simulations per second with 1
// and 2 workers, the speed-up (goal: at least 1.8 on 2 cores), the study's
// overhead per simulation beyond the model's time with one worker (goal: at
// most 10 %), the time to check and to gather 10,000 rows (goal: gathering
// at most 2 s) and the peak memory of doing both (goal: at most 200 MB).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../tests/support/SampleHome.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "study/StudyCsv.h"
#include "study/StudyLaunch.h"
#include "study/StudyRun.h"
#include "study/StudyTable.h"

namespace fs = std::filesystem;

namespace {
fs::path Home;
constexpr int Simulations = 200;
constexpr size_t BigRows = 10000;

double SecondsPerSim[3] = {};  // by number of workers
double ModelSeconds = 0;       // the model alone, one run
double ModelCpu = 0;           // the model alone, processor time of one run (median)
double CpuPerSim[3] = {};      // processor time of a study per simulation, by number of workers
double WindowRunSeconds = 0;   // the window's run of the same session (RunSession), one run
double ModelsSpeedUp = 0;      // the model alone, two at once against one after another
double CheckSeconds = 0, GatherSeconds = 0;
long PeakKb = 0;

using TClock = std::chrono::steady_clock;
double Since(TClock::time_point T) { return std::chrono::duration<double>(TClock::now() - T).count(); }

// User and system time of a process's usage.
double CpuSeconds(const rusage& U) {
  return U.ru_utime.tv_sec + U.ru_stime.tv_sec + (U.ru_utime.tv_usec + U.ru_stime.tv_usec) * 1e-6;
}

// Processor time of the ended children of this process so far.
double ChildrenCpu() {
  rusage U{};
  getrusage(RUSAGE_CHILDREN, &U);
  return CpuSeconds(U);
}

void SetUpHome() {
  Home = fs::temp_directory_path() / "krl_bench_study";
  fs::remove_all(Home);
  fs::create_directories(Home);
  LaySampleHome(Home);
  for (const auto& F : fs::directory_iterator(Home / "session"))
    fs::copy_file(F.path(), Home / "runio" / F.path().filename());
  fs::copy_file(fs::path(KRL_BUILD_DIR) / "bin" / "krlstudy", Home / "bin" / "krlstudy");
  std::string Table = "IDSOW\n";
  for (int i = 0; i < Simulations; ++i) Table += std::to_string(80 + i % 40) + "\n";
  WriteFileAtomically((Home / "study.csv").string(), Table);
}

// The model alone on the sample session's input files, started as the run
// script starts it, by the call the program uses (which does not copy this
// process's memory, so that the model's own time is measured): the mean of as
// many runs one after another as the study has rows, the same kind of
// average as the study's own, so that a moment of load on a shared machine
// weighs the same in both.
double ModelAlone() {
  const std::string Log = (Home / "runio" / "KRL.LOG").string();
  const std::string Was = GetCurrentDir();
  SetCurrentDir((Home / "bin").string());
  double Cpu = 0;
  const auto T = TClock::now();
  for (int i = 0; i < Simulations; ++i) {
    int Pid = -1;
    std::string Why;
    if (StartWithLog("korval.exe", Log, Pid, Why) != TLoggedStart::Started) {
      std::printf("the model cannot be started: %s\n", Why.c_str());
      return 0;
    }
    rusage Usage{};
    wait4(Pid, nullptr, 0, &Usage);
    Cpu += CpuSeconds(Usage);
  }
  const double Seconds = Since(T);
  SetCurrentDir(Was);
  ModelCpu = Cpu / Simulations;
  return Seconds / Simulations;
}

// The model alone, RunsEach times in each home at once: one process per home
// starts its model one run after another. On the clock.
double ModelsAtOnce(const std::vector<fs::path>& Homes, int RunsEach) {
  const auto T = TClock::now();
  std::vector<pid_t> Children;
  for (const fs::path& H : Homes) {
    const pid_t P = fork();
    if (P == 0) {
      SetCurrentDir((H / "bin").string());
      const std::string Log = (H / "runio" / "KRL.LOG").string();
      for (int i = 0; i < RunsEach; ++i) {
        int Pid = -1;
        std::string Why;
        if (StartWithLog("korval.exe", Log, Pid, Why) != TLoggedStart::Started) _exit(1);
        waitpid(Pid, nullptr, 0);
      }
      _exit(0);
    }
    Children.push_back(P);
  }
  for (const pid_t P : Children) waitpid(P, nullptr, 0);
  return Since(T);
}

// How much faster two models run side by side than one after another, each
// in its own home: what this machine allows any program that starts a
// process per simulation, before the study does anything.
double ModelsSideBySide() {
  const fs::path Second = Home.string() + "_second";
  fs::remove_all(Second);
  fs::copy(Home, Second, fs::copy_options::recursive);
  const double OneAfterAnother = ModelsAtOnce({Home}, Simulations);
  const double SideBySide = ModelsAtOnce({Home, Second}, Simulations / 2);
  fs::remove_all(Second);
  return OneAfterAnother / SideBySide;
}

// The load of the machine: averages over 1, 5 and 15 minutes.
std::string LoadAverage() {
  std::string Text;
  if (std::FILE* F = std::fopen("/proc/loadavg", "r")) {
    char Buf[64] = {};
    if (std::fgets(Buf, sizeof Buf, F)) Text = Buf;
    std::fclose(F);
  }
  return Text.substr(0, Text.find(' ', Text.find(' ', Text.find(' ') + 1) + 1));
}

// The run the window does for the same session: input files, batch script,
// krlcmd, the model, the wait and the outcome; best of a few runs.
double WindowRun() {
  SetShellWindowless(true);
  const TScopedHandler<TMessageHandler> Quiet(SetMessageHandler,
                                              [](const TMessage&) { return TMsgResult::Ok; });
  LoadVarCatalogue((Home / "bin" / "KRL_VAR.csv").string());
  double Best = 1e9;
  {
    TKvSession S;
    TheSession = &S;
    S.Reset();
    S.Read(S.FileManager().KRLWerkFullName());
    BuildDataCatalogue(S.FileManager());
    for (int i = 0; i < 10; ++i) {
      const auto T = TClock::now();
      if (RunSession() != TRunOutcome::Successful) return 0;
      Best = std::min(Best, Since(T));
    }
    TheSession = nullptr;
  }
  FreeDataCatalogue();
  FreeVarCatalogue();
  return Best;
}

void BM_StudyLocal(benchmark::State& State) {
  const int Jobs = static_cast<int>(State.range(0));
  const std::string Out = (Home / ("study" + std::to_string(Jobs))).string();
  for (auto _ : State) {
    fs::remove_all(Out);
    std::string Said;
    const double Cpu = ChildrenCpu();
    const auto T = TClock::now();
    const int Rc = RunProgram({(Home / "bin" / "krlstudy").string(), "run", (Home / "study.csv").string(),
                               "-j", std::to_string(Jobs), "--out", Out},
                              Said, true);
    const double S = Since(T);
    if (Rc != 0) State.SkipWithError(("krlstudy failed: " + Said).c_str());
    SecondsPerSim[Jobs] = S / Simulations;
    CpuPerSim[Jobs] = (ChildrenCpu() - Cpu) / Simulations;
    State.SetIterationTime(S);
  }
  State.counters["sims_per_s"] = 1.0 / SecondsPerSim[Jobs];
}

// A finished study of BigRows rows, each with the result lines of one real
// row of five seasons.
void MakeBigStudy(const std::string& Dir, const std::string& Sample) {
  const TStudy Small(Sample);
  const TRowOutcome Row = Small.LoadOutcome(0);
  std::string Res = CsvRecord({"ok", "0.100", ""});
  for (const std::string& L : Row.ResultLines) Res += L + "\n";
  const TStudy Big(Dir);
  fs::remove_all(Dir);
  fs::create_directories(Big.Dir() + "rows");
  fs::copy(Small.BaseDir(), Big.BaseDir());
  fs::copy_file(Small.SettingsFile(), Big.SettingsFile());
  std::string Table = "ID,IDSOW,WAV\n";
  for (size_t i = 0; i < BigRows; ++i) {
    Table += "r" + std::to_string(i + 1) + "," + std::to_string(80 + i % 40) + "," +
             std::to_string(10 + i % 30) + "\n";
    std::FILE* F = std::fopen(Big.RowFile(i).c_str(), "wb");
    std::fwrite(Res.data(), 1, Res.size(), F);
    std::fclose(F);
  }
  WriteFileAtomically(Big.TableFile(), Table);
}

// Check and gather in a child process, so that its peak memory is the
// coordinator's alone.
void BM_CheckAndGather10000(benchmark::State& State) {
  const std::string Dir = (Home / "big").string();
  MakeBigStudy(Dir, (Home / "study1").string());
  for (auto _ : State) {
    int Pipe[2];
    if (pipe(Pipe) != 0) State.SkipWithError("pipe");
    const pid_t Pid = fork();
    if (Pid == 0) {
      SetMessageHandler([](const TMessage&) { return TMsgResult::Ok; });
      const TStudy Study(Dir);
      auto T = TClock::now();
      const TStudyTable Table = Study.LoadTable();
      TKvSession& Base = OpenBaseSession(Study, MakeScratchHome(Study, Study.LoadSettings(), "bench"));
      const size_t Problems = CheckStudyTable(Table, Base).size();
      const double Check = Since(T);
      T = TClock::now();
      const TStudyCounts C = CollectStudy(Study, Table);
      const double Gather = Since(T);
      const double Said[3] = {Check, Gather, static_cast<double>(Problems + C.Failed + C.NotRun)};
      if (write(Pipe[1], Said, sizeof Said) != sizeof Said) _exit(1);
      _exit(0);
    }
    close(Pipe[1]);
    double Said[3] = {};
    const bool Got = read(Pipe[0], Said, sizeof Said) == sizeof Said;
    close(Pipe[0]);
    int Status = 0;
    rusage Usage{};
    wait4(Pid, &Status, 0, &Usage);
    if (!Got || Said[2] != 0) State.SkipWithError("the big study was not checked and gathered cleanly");
    CheckSeconds = Said[0];
    GatherSeconds = Said[1];
    PeakKb = Usage.ru_maxrss;
    State.SetIterationTime(Said[0] + Said[1]);
  }
  State.counters["check_s"] = CheckSeconds;
  State.counters["gather_s"] = GatherSeconds;
  State.counters["peak_MB"] = PeakKb / 1024.0;
}

BENCHMARK(BM_StudyLocal)->Arg(1)->Arg(2)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_CheckAndGather10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
}  // namespace

int main(int argc, char** argv) {
  std::printf("load average at the start: %s\n", LoadAverage().c_str());
  SetUpHome();
  ModelSeconds = ModelAlone();
  ModelsSpeedUp = ModelsSideBySide();
  WindowRunSeconds = WindowRun();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("load average at the end: %s\n", LoadAverage().c_str());
  if (SecondsPerSim[1] > 0 && SecondsPerSim[2] > 0) {
    std::printf("simulations per second: %.1f with 1 worker, %.1f with 2 workers\n", 1 / SecondsPerSim[1],
                1 / SecondsPerSim[2]);
    std::printf("speed-up on 2 workers: %.2f (goal >= 1.8)\n", SecondsPerSim[1] / SecondsPerSim[2]);
    std::printf(
        "the model alone, two side by side against one after another: speed-up %.2f, what this machine "
        "allows a process per simulation; the study reaches %.0f %% of it\n",
        ModelsSpeedUp, SecondsPerSim[1] / SecondsPerSim[2] / ModelsSpeedUp * 100);
    std::printf(
        "model alone: %.1f ms; study per simulation (1 worker): %.1f ms; overhead %.0f %% (goal <= 10 %%)\n",
        ModelSeconds * 1e3, SecondsPerSim[1] * 1e3, (SecondsPerSim[1] / ModelSeconds - 1) * 100);
    // Processor time is much less moved by the other users of a shared
    // machine than the time on the clock.
    std::printf(
        "processor time: model alone %.1f ms; study per simulation %.1f ms (1 worker), %.1f ms (2 "
        "workers); overhead %.0f %%\n",
        ModelCpu * 1e3, CpuPerSim[1] * 1e3, CpuPerSim[2] * 1e3, (CpuPerSim[1] / ModelCpu - 1) * 100);
    if (WindowRunSeconds > 0)
      std::printf("the window's run of the same session: %.1f ms; the study's own part beyond it: %.0f %%\n",
                  WindowRunSeconds * 1e3, (SecondsPerSim[1] / WindowRunSeconds - 1) * 100);
  }
  if (PeakKb > 0)
    std::printf(
        "%zu rows: check %.2f s, gathering %.2f s (goal <= 2 s), peak memory %.0f MB (goal <= 200 MB)\n",
        BigRows, CheckSeconds, GatherSeconds, PeakKb / 1024.0);
  SetCurrentDir("/");
  fs::remove_all(Home);
  return 0;
}
