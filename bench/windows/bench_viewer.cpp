// The text viewer on large files (offscreen): the memory a file costs the
// program once it is shown, against the file's size, and the time to show it.
//   - a file above the editing limit (100 MB of output-like lines) in the
//     read-only window for large files (target: at most 2 x the file);
//   - a file just below the limit (15 MB) in the editor, for comparison.
//
//   build/bench/bench_viewer [--mb=N]
//
// Memory is the growth of the resident set (VmRSS) from before the file is
// read to when it is shown; both files are read once before, so that the
// system's cache does not count.

#include <QApplication>
#include <QDialog>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../BenchSupport.h"
#include "BigTextView.h"
#include "DxMemo.h"
#include "Dxedit.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "platform/Handlers.h"

namespace fs = std::filesystem;

namespace {
std::string MakeFile(const fs::path& Dir, const char* Name, long Mb) {
  const fs::path P = Dir / Name;
  std::ofstream Out(P, std::ios::binary);
  std::string Row;
  for (long Bytes = 0, Day = 0; Bytes < Mb * 1048576; Bytes += static_cast<long>(Row.size()), ++Day) {
    char Buf[160];
    std::snprintf(Buf, sizeof Buf,
                  " %4ld %3ld %6.2f %8.1f %8.1f %8.1f %8.1f %6.2f %5.1f %5.1f %5.1f %8.1f\r\n",
                  1971 + Day / 365, Day % 365 + 1, Day * 0.01, Day * 1.5, Day * 2.5, Day * 0.5, Day * 4.5,
                  Day * 0.001, 1.2, 3.4, 5.6, Day * 0.7);
    Row = Buf;
    Out << Row;
  }
  return P.string();
}

double Seconds(std::chrono::steady_clock::time_point T0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - T0).count();
}

// Shows File the way the viewer does and reports the memory it costs.
void Measure(const char* What, const std::string& File, bool Large) {
  {
    std::ifstream Warm(File, std::ios::binary);
    std::string Skip((std::istreambuf_iterator<char>(Warm)), std::istreambuf_iterator<char>());
  }
  const double Mb = static_cast<double>(fs::file_size(File)) / 1048576.0;
  const long Before = ResidentKb();
  const auto T0 = std::chrono::steady_clock::now();
  long After = 0;
  double Shown = 0;
  // The modal window is shown without blocking; the measurement is taken
  // while it is up.
  const TModalHandler Old = SetModalHandler([&](QDialog& D) {
    D.show();
    QApplication::processEvents();
    Shown = Seconds(T0);
    After = ResidentKb();
    return static_cast<int>(QDialog::Rejected);
  });
  TFormDxEdit E(nullptr);
  E.SetViewOnly(!Large);
  E.OpenFile(File);
  SetModalHandler(Old);
  const double Grown = static_cast<double>(After - Before) / 1024.0;
  std::printf("%s: %.1f MB file, shown in %.2f s, resident memory +%.1f MB = %.2f x the file%s\n", What, Mb,
              Shown, Grown, Grown / Mb, Large ? " (target <= 2)" : "");
  std::fflush(stdout);
}
}  // namespace

int main(int argc, char** argv) {
  long Mb = 100;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--mb=", 5) == 0) Mb = std::atol(argv[i] + 5);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication App(argc, argv);
  InstallQtHandlers();
  const fs::path Dir = fs::temp_directory_path() / "krl_bench_viewer";
  fs::remove_all(Dir);
  fs::create_directories(Dir);
  Measure("editor (below the limit)", MakeFile(Dir, "EDIT.OUT", 15), false);
  Measure("large-file window", MakeFile(Dir, "BIG.OUT", Mb), true);
  fs::remove_all(Dir);
  return 0;
}
