// The graph view and the water balance chart on the output of a long session:
// 30 years and 9 reruns of the bundled model (a potential and a water-limited
// block per run and year, both balances), offscreen.
//
//   build/bench/bench_charts [benchmark options]
//
// Targets: drawing one column (reading the file included) at most 0.5 s;
// the sum entry WLV+WST+WSO=TAGP (four curves per run block) at most 1 s;
// the water balance window shown (built, filled, painted) at most 0.2 s.
// The figures with "Paint" add painting the whole chart into an image the
// size of the window's chart; "GraphViewShown" is the graph button's whole
// path up to the painted window, legend included.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "../../tests/views/GraphModelRun.h"
#include "KvChart.h"
#include "KvTView.h"
#include "KvTable.h"
#include "KvWatBal.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "output/OutDet.h"
#include "platform/FileSys.h"

namespace fs = std::filesystem;

namespace {
fs::path Home;
std::string OutFile;

bool MakeOutput() {
  Home = fs::temp_directory_path() / "krl_bench_charts";
  fs::remove_all(Home);
  fs::create_directories(Home);
  LaySampleHome(Home);
  TModelRunOptions O;
  O.FirstYear = 1971;
  O.Years = 30;
  O.Reruns = 9;
  OutFile = RunSampleModel(O);
  if (OutFile.empty()) return false;
  std::printf("output: %s, %.1f MB\n", OutFile.c_str(), fs::file_size(OutFile) / 1e6);
  return true;
}

void FillCatalogue(TKvTable& T, int OutType) {
  for (const TColumnDef& C : ColumnCatalogue(OutType)) T.AddColumn(C.Name, C.Units, C.Desc, 1);
}

void DrawColumn(benchmark::State& State, const char* Desc, bool Paint) {
  TKvCurveChart Chart;
  TKvTable Table(nullptr, &Chart);
  Table.Reset(OutFile, 1);
  FillCatalogue(Table, 1);
  Table.SetUnitOffset(4);
  Table.SetTitle("Potential Crop Production");
  Table.SetYColumnOnDesc(Desc, 1);
  QImage Image(1000, 640, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : State) {
    Table.Draw();
    if (Paint) {
      QPainter P(&Image);
      PaintChartPage(P, QRectF(0, 0, 1000, 640), Chart, {});
    }
  }
  State.counters["curves"] = static_cast<double>(Chart.Curves().size());
  qsizetype Points = 0;
  for (const TKvCurve* C : Chart.Curves()) Points += C->count();
  State.counters["points"] = static_cast<double>(Points);
}

void BM_DrawOneColumn(benchmark::State& State) { DrawColumn(State, "Living Leaves (WLV)", false); }
void BM_DrawSumEntry(benchmark::State& State) { DrawColumn(State, "WLV + WST + WSO = TAGP", false); }
void BM_DrawAndPaintOneColumn(benchmark::State& State) { DrawColumn(State, "Living Leaves (WLV)", true); }
void BM_DrawAndPaintSumEntry(benchmark::State& State) { DrawColumn(State, "WLV + WST + WSO = TAGP", true); }

void BM_GraphViewShown(benchmark::State& State) {
  auto Old = SetModalHandler([](QDialog& D) {
    D.show();
    QApplication::processEvents();
    D.grab();  // painted once
    D.hide();
    return static_cast<int>(QDialog::Rejected);
  });
  for (auto _ : State) {
    TFormTableView View(nullptr);
    View.Reset(OutFile);
    View.SetTitle("Potential Crop Production");
    View.FillComboBox(1, 1);
    View.SetUnitOffset(4);
    View.Go();
  }
  SetModalHandler(Old);
}

void BM_WaterBalanceShown(benchmark::State& State) {
  TDetailedOutput Output(OutFile);
  Output.ReadOutputFile(OutFile);
  const TWaterBalance* Last = Output.Data.BalanceList.Objects(Output.Data.BalanceList.Count() - 1);
  for (auto _ : State) {
    TFormWaterBalance W(nullptr);
    W.OutputData = &Output;
    W.RunName = Last->RunName.Str();
    W.RunYear = Last->RunYear.Str();
    W.RainYear = Last->RainYear.Str();
    W.show();
    QApplication::processEvents();
    W.grab();
    W.hide();
  }
}

BENCHMARK(BM_DrawOneColumn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawSumEntry)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawAndPaintOneColumn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DrawAndPaintSumEntry)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GraphViewShown)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaterBalanceShown)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TKrlApplication App(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  if (!MakeOutput()) {
    std::fprintf(stderr, "the model run for the benchmark output failed\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SetCurrentDir("/");
  fs::remove_all(Home);
  return 0;
}
