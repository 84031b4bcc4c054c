// Measured data beside a long session: 10,000 observations over the output
// of 30 years and 9 reruns of the bundled model (a potential and a
// water-limited block per run and year), offscreen.
//
//   build/bench/bench_observations [benchmark options]
//
// Targets: the observation file read, matched with the output and evaluated
// in at most 100 ms ("Evaluate"; "MatchAndEvaluate" is the part after the
// simulated values are read); the graph of LAI drawn and painted with the
// observations at most 20 % slower than without (the ratio is printed
// before the benchmarks).

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "../../tests/views/GraphModelRun.h"
#include "KvChart.h"
#include "KvTable.h"
#include "QtHandlers.h"
#include "output/Observations.h"
#include "platform/FileSys.h"

namespace fs = std::filesystem;

namespace {
fs::path Home;
std::string OutFile, ObsFile;
constexpr int FirstYear = 1971, Years = 30, Reruns = 9, Observations = 10000;

bool MakeFiles() {
  Home = fs::temp_directory_path() / "krl_bench_observations";
  fs::remove_all(Home);
  fs::create_directories(Home);
  LaySampleHome(Home);
  TModelRunOptions O;
  O.FirstYear = FirstYear;
  O.Years = Years;
  O.Reruns = Reruns;
  OutFile = RunSampleModel(O);
  if (OutFile.empty()) return false;
  // The run names, then observations spread over runs, years and the season.
  std::set<std::string> Names;
  {
    std::ifstream In(OutFile);
    std::string Line;
    while (std::getline(In, Line))
      if (Line.rfind("RUNNAM -> ", 0) == 0) Names.insert(Line.substr(10, Line.find_first_of("\r ", 10) - 10));
  }
  const std::vector<std::string> Runs(Names.begin(), Names.end());
  ObsFile = (Home / "observations.csv").string();
  std::ofstream Out(ObsFile);
  Out << "RUNNAM,YEAR,DAY,VAR,VALUE,SD\n";
  const char* const Vars[] = {"LAI", "WSO", "SM", "TAGP"};
  uint32_t Seed = 12345;
  auto Next = [&Seed](uint32_t N) {
    Seed = Seed * 1664525u + 1013904223u;
    return (Seed >> 8) % N;
  };
  for (int i = 0; i < Observations; ++i) {
    if (i % 50 == 0) {
      Out << Runs[Next(static_cast<uint32_t>(Runs.size()))] << ","
          << FirstYear + static_cast<int>(Next(Years)) << ",,TWSO," << 4000 + Next(3000) << ",300\n";
      continue;
    }
    Out << Runs[Next(static_cast<uint32_t>(Runs.size()))] << "," << FirstYear + static_cast<int>(Next(Years))
        << "," << 100 + Next(110) << "," << Vars[Next(4)] << "," << Next(1000) / 100.0 << ","
        << Next(50) / 100.0 << "\n";
  }
  std::printf("output: %s, %.1f MB; %d observations\n", OutFile.c_str(), fs::file_size(OutFile) / 1e6,
              Observations);
  return true;
}

void BM_Evaluate(benchmark::State& State) {
  size_t Pairs = 0;
  for (auto _ : State) {
    const TEvaluation E = EvaluateObservations(ObsFile, OutFile);
    Pairs = E.Match.Pairs.size();
    benchmark::DoNotOptimize(E.Stats.data());
  }
  State.counters["pairs"] = static_cast<double>(Pairs);
}

void BM_MatchAndEvaluate(benchmark::State& State) {
  TObservationFile File;
  File.Read(ObsFile);
  TSimulatedValues Sim;
  Sim.Read(OutFile, File.Observations);
  for (auto _ : State) {
    const TMatchResult M = MatchObservations(File.Observations, Sim);
    benchmark::DoNotOptimize(EvaluatePairs(M.Pairs).data());
  }
}

// Drawing LAI of the water-limited tables, and painting it into an image the
// size of the window's chart.
std::vector<TObservation> Loaded;

double DrawLai(bool WithObservations, int Rounds) {
  TKvCurveChart Chart;
  TKvTable Table(nullptr, &Chart);
  Table.Reset(OutFile, 1);
  for (const TColumnDef& C : ColumnCatalogue(3)) Table.AddColumn(C.Name, C.Units, C.Desc, 1);
  Table.SetUnitOffset(2);
  Table.SetYColumnOnDesc("Leaf Area Index (LAI)", 1);
  if (WithObservations) Table.SetObservations(Loaded);
  QImage Image(1000, 640, QImage::Format_ARGB32_Premultiplied);
  double Best = 1e9;
  for (int i = 0; i < Rounds; ++i) {
    const auto T0 = std::chrono::steady_clock::now();
    Table.Draw();
    QPainter P(&Image);
    PaintChartPage(P, QRectF(0, 0, 1000, 640), Chart, Table.LegendEntries());
    P.end();
    Best = std::min(Best, std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count());
  }
  return Best;
}

void BM_DrawWithout(benchmark::State& State) {
  for (auto _ : State) DrawLai(false, 1);
}
void BM_DrawWithObservations(benchmark::State& State) {
  for (auto _ : State) DrawLai(true, 1);
}
}  // namespace

BENCHMARK(BM_Evaluate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MatchAndEvaluate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawWithout)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawWithObservations)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TKrlApplication App(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (!MakeFiles()) {
    std::fprintf(stderr, "the model run failed\n");
    return 1;
  }
  TObservationFile File;
  File.Read(ObsFile);
  Loaded = File.Observations;
  const double Without = DrawLai(false, 3), With = DrawLai(true, 3);
  std::printf("drawing LAI: %.1f ms without, %.1f ms with the observations: %+.1f %% (target <= +20 %%)\n",
              Without * 1e3, With * 1e3, (With / Without - 1) * 100);
  std::fflush(stdout);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetCurrentDir("/");
  fs::remove_all(Home);
  return 0;
}
