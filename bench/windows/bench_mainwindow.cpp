// The main window on the sample program home (offscreen):
//   BM_StartUp     from creating the main window (after the splash) until the
//                  filled window is shown and its first activation has run;
//                  aim: at most 0.3 s.
//   BM_StoreFill   StorePages + FillPages, which every activation, run, save
//                  and variable choice goes through; aim: at most 20 ms.
//
//   build/bench/bench_mainwindow

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <clocale>
#include <filesystem>
#include <memory>

#include "../../tests/support/SampleHome.h"
#include "Kvmain.h"
#include "QtHandlers.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvses.h"

namespace fs = std::filesystem;

namespace {
// A fresh sample home with a working session, made once.
class THome {
 public:
  THome() {
    Root = fs::temp_directory_path() / ("krl-bench-main-" + std::to_string(getpid()));
    fs::create_directories(Root);
    LaySampleHome(Root);
    SetCurrentDir((Root / "bin").string());
    TFormMain Main;  // (no working session yet: said on standard error)
    Main.StorePages();
    TheSession->WriteInputFiles();
  }
  ~THome() {
    std::error_code Ec;
    fs::remove_all(Root, Ec);
  }
  fs::path Root;
};

THome& Home() {
  static THome H;
  return H;
}

void BM_StartUp(benchmark::State& State) {
  Home();
  for (auto _ : State) {
    auto Main = std::make_unique<TFormMain>();
    Main->show();
    QApplication::processEvents();  // the first activation
    State.PauseTiming();
    Main.reset();
    QApplication::processEvents();
    State.ResumeTiming();
  }
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StoreFill(benchmark::State& State) {
  Home();
  TFormMain Main;
  Main.show();
  QApplication::processEvents();
  for (auto _ : State) {
    Main.StorePages();
    Main.FillPages();
  }
}
BENCHMARK(BM_StoreFill)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TKrlApplication App(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  // No box may wait for an answer here.
  SetMessageHandler([](const TMessage& M) {
    std::fprintf(stderr, "%s\n", M.Text.c_str());
    return TMsgResult::Ok;
  });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
