// Building the data catalogue over a generated program home: 200 weather
// stations with 40 yearly files each (a full year of daily rows per file),
// 500 crop files and 500 soil files. Reports files per second and compares
// with cat of the same files to /dev/null.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "catalogue/KvMenu.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"

namespace fs = std::filesystem;

namespace {

constexpr int Stations = 200;
constexpr int YearsPerStation = 40;
constexpr int CropFiles = 500;
constexpr int SoilFiles = 500;
constexpr int TotalFiles = Stations * YearsPerStation + CropFiles + SoilFiles + 2;

void WriteText(const fs::path& Path, const std::string& Text) {
  FILE* F = std::fopen(Path.c_str(), "wb");
  if (!F) std::abort();
  std::fwrite(Text.data(), 1, Text.size(), F);
  std::fclose(F);
}

// A data file of the model: some parameter lines, the name key among them.
std::string ParameterFile(const char* Key, const std::string& Name) {
  std::string S = "** generated parameter file\r\n";
  for (int i = 0; i < 60; ++i) S += "PAR" + std::to_string(i) + " = " + std::to_string(i * 0.25) + "\r\n";
  S += std::string(Key) + "='" + Name + "'\r\n";
  for (int i = 60; i < 120; ++i) S += "TAB" + std::to_string(i) + " = 0.0, 1.0, 2.0, 3.0\r\n";
  return S;
}

std::string YearlyWeatherFile(int Station, int Year) {
  char Buf[128];
  std::string S =
      "** KRLDESCRIPTION=Station " + std::to_string(Station) +
      ", daily data (synthetic)\r\n"
      "** KRLFORMAT=2\r\n** KRLYEARNR=" +
      std::to_string(Year) +
      "\r\n"
      "** synthetic weather from the project's seeded generator; not measured data\r\n"
      "** columns: station year day irradiation(kJ/m2/d) tmin(C) tmax(C) vapour(kPa) wind(m/s) rain(mm/d)\r\n"
      "  5.18  52.10   10.0\r\n";
  const int Days = (Year % 4 == 0) ? 366 : 365;
  for (int d = 1; d <= Days; ++d) {
    std::snprintf(Buf, sizeof Buf, "%2d %4d %3d %6.0f. %5.1f %5.1f %5.2f %4.1f %4.1f\r\n", 1, Year, d,
                  1000.0 + (d * 37 % 2000), -5.0 + d % 20, 5.0 + d % 25, 0.5 + (d % 10) / 10.0, 1.0 + d % 7,
                  (d % 5) * 1.3);
    S += Buf;
  }
  return S;
}

struct THome {
  fs::path Root;
  THome() {
    char Tmpl[] = "/tmp/krl_bench_catalogue_XXXXXX";
    if (!mkdtemp(Tmpl)) std::abort();
    Root = Tmpl;
    for (const char* D :
         {"bin", "cropd", "soild", "meteo/climd", "meteo/merawe", "meteo/dbmrep", "runio", "output"})
      fs::create_directories(Root / D);
    WriteText(Root / "bin/DIRECT.INI", "[Directory settings for KORVAL]\r\n");
    for (int i = 0; i < CropFiles; ++i)
      WriteText(Root / "cropd" / ("CROP" + std::to_string(i) + ".CAB"),
                ParameterFile("CRPNAM", "Crop " + std::to_string(i)));
    for (int i = 0; i < SoilFiles; ++i)
      WriteText(Root / "soild" / ("SOIL" + std::to_string(i) + ".SOL"),
                ParameterFile("SOLNAM", "Soil " + std::to_string(i)));
    WriteText(
        Root / "meteo/climd/RAINN.DAT",
        "** KRLDESCRIPTION=Rain station north (synthetic)\r\n** KRLFORMAT=99\r\n** KRLYEARS=1971-2000\r\n");
    WriteText(Root / "meteo/climd/CLIMN.DAT",
              "** KRLDESCRIPTION=Monthly north (synthetic)\r\n** KRLFORMAT=1\r\n** KRLYEARS=1961-1990\r\n");
    for (int s = 0; s < Stations; ++s)
      for (int y = 0; y < YearsPerStation; ++y) {
        const int Year = 1960 + y;
        char Name[32];
        std::snprintf(Name, sizeof Name, "ST%03d.%03d", s, Year % 1000);
        WriteText(Root / "meteo/merawe" / Name, YearlyWeatherFile(s, Year));
      }
    SetExecPath(Root.string() + "/bin/");
  }
  ~THome() {
    SetExecPath("");
    std::error_code Ec;
    fs::remove_all(Root, Ec);
  }
};

THome& Home() {
  static THome H;
  return H;
}

void BM_BuildDataCatalogue(benchmark::State& State) {
  THome& H = Home();
  TKvFileManager Fm;
  for (auto _ : State) {
    BuildDataCatalogue(Fm);
    benchmark::DoNotOptimize(StationList.Count());
  }
  if (StationList.Count() != Stations + 2 || CropList.Count() != CropFiles)
    State.SkipWithError("wrong catalogue");
  State.counters["files/s"] =
      benchmark::Counter(double(TotalFiles) * State.iterations(), benchmark::Counter::kIsRate);
  (void)H;
}
BENCHMARK(BM_BuildDataCatalogue)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading every byte of the same files once.
void BM_CatSameFiles(benchmark::State& State) {
  THome& H = Home();
  const std::string Cmd =
      "cd '" + H.Root.string() + "' && LC_ALL=C find cropd soild meteo -type f -exec cat {} + > /dev/null";
  for (auto _ : State)
    if (std::system(Cmd.c_str()) != 0) State.SkipWithError("cat failed");
  State.counters["files/s"] =
      benchmark::Counter(double(TotalFiles) * State.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CatSameFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
