// Speed of the bundled crop model: 30 years with 9 reruns at production
// level 3, both water balances, daily output, on the sample weather of the
// build's program home. The model runs as its own process, as in a session.
// The time of the model is the CPU time of its process (user and system).
// Beside it, a floor: the same four output files rebuilt byte for byte from
// their numbers with std::to_chars and written, which is what any program
// writing these files pays at least. Counters: the size of the detailed
// output and of all output files.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/FileSys.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& P, const std::string& S) {
  std::ofstream Out(P, std::ios::binary);
  Out << S;
}

std::string Line(const std::string& Key, int Pad, const std::string& Value) {
  std::string K = Key;
  K.resize(static_cast<size_t>(Pad), ' ');
  return K + Value + "\r\n";
}

// A run directory with DIRECT.INI pointing at the build's data directories.
fs::path PrepareHome(const fs::path& Build) {
  char Tmpl[] = "/tmp/krlbenchXXXXXX";
  const fs::path Home = mkdtemp(Tmpl);
  for (const char* D : {"bin", "runio", "output"}) fs::create_directories(Home / D);
  const std::string B = Build.string() + "/";
  WriteText(Home / "bin/DIRECT.INI", "[Directory settings for KORVAL]\r\nOUTDIR=..\\output\\\r\nCRPDIR=" + B +
                                         "cropd/\r\nWTRDIR=" + B + "meteo/merawe/\r\nCLMDIR=" + B +
                                         "meteo/climd/\r\nSOLDIR=" + B + "soild/\r\nRUNDIR=..\\runio\\\r\n");
  std::string T = "** bench timer file\r\n";
  const char* Timer[][2] = {{"RUNNAM", "'KRL'"},
                            {"IWEATH", "2"},
                            {"CLFILE", "'NLD1.'"},
                            {"ISYR", "1971"},
                            {"INYEAR", "30"},
                            {"IRNDAT", "3"},
                            {"RAFILE", "'<none>'"},
                            {"ISYRR", "-999"},
                            {"INYRG", "1"},
                            {"CRFILE", "'SBARLEY.CRP'"},
                            {"ISTCHO", "1"},
                            {"IDEM", "1"},
                            {"IDSOW", "90"},
                            {"IDESOW", "100"},
                            {"IDLSOW", "140"},
                            {"IENCHO", "2"},
                            {"IDAYEN", "270"},
                            {"IDURMX", "260"},
                            {"IBAL", "3"},
                            {"PRDEL", "1.0"},
                            {"CRPNAM", "'Spring barley'"},
                            {"SOLNAM", "'Loam, medium'"},
                            {"CLMNAM", "'Station north'"},
                            {"RAINAM", "'<none>'"},
                            {"ISDAY", "1"}};
  for (auto& KV : Timer) T += Line(KV[0], 8, std::string("= ") + KV[1]);
  WriteText(Home / "runio/KRLTI.TIM", T);
  std::string S = "** bench site file\r\n";
  const char* Site[][2] = {{"SOFILE", "'LOAM.SOL'"}, {"IZT", "0"},      {"IFUNRN", "0"},   {"IDRAIN", "0"},
                           {"SSMAX", "0.0"},         {"WAV", "20.0"},   {"ZTI", "999.0"},  {"DD", "20.0"},
                           {"RDMSOL", "120.0"},      {"NOTINF", "0.0"}, {"NBASE", "60.0"}, {"NREC", "0.5"},
                           {"PBASE", "10.0"},        {"PREC", "0.1"},   {"KBASE", "60.0"}, {"KREC", "0.5"},
                           {"SSI", "0.0"},           {"SMLIM", "0.12"}};
  for (auto& KV : Site) S += Line(KV[0], 6, std::string(" = ") + KV[1]);
  WriteText(Home / "runio/KRLSI.SIT", S);
  std::string O = "** bench run options\r\n";
  const char* Opt[][2] = {{"IOPT2", "4"},
                          {"IPRODL", "3"},
                          {"IOXWL", "1"},
                          {"TIMFIL", "'KRLTI.TIM'"},
                          {"SITFIL", "'KRLSI.SIT'"},
                          {"KORRER", "'KRLRR.RER'"},
                          {"KOROUT", "'KRL.OUT'"},
                          {"SERIES", "1"},
                          {"REPORT", "1"},
                          {"FIXNAM", "'KRL'"},
                          {"RQUIRD", "1"}};
  for (auto& KV : Opt) O += Line(KV[0], 6, std::string(" = ") + KV[1]);
  WriteText(Home / "runio/runopt.dat", O);
  std::string R = "** bench reruns\r\n";
  for (int i = 1; i <= 9; ++i)
    R += "RUNNAM='KRL" + std::to_string(i) + "';\r\nIDSOW=" + std::to_string(80 + 5 * i) + ";\r\nSOFILE='" +
         (i % 3 == 0   ? "SAND.SOL"
          : i % 3 == 1 ? "LOAM.SOL"
                       : "CLAY.SOL") +
         "' \r\n";
  WriteText(Home / "runio/KRLRR.RER", R + "\r\n");
  return Home;
}

double ChildCpuSeconds() {
  rusage U{};
  getrusage(RUSAGE_CHILDREN, &U);
  return static_cast<double>(U.ru_utime.tv_sec + U.ru_stime.tv_sec) +
         1e-6 * static_cast<double>(U.ru_utime.tv_usec + U.ru_stime.tv_usec);
}

const char* const OutputFiles[] = {"KRL.OUT", "KRL.pps", "KRL.wps", "KRL.sum"};

std::string ReadText(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

// A file as text between numbers: a number is a word of digits with an
// optional sign and decimal part, rebuilt with as many decimals.
struct TPiece {
  std::string Text;  // the text before the number
  bool HasNumber = false;
  double Value = 0;
  int Decimals = 0;
};

std::vector<TPiece> Pieces(const std::string& S) {
  std::vector<TPiece> Out(1);
  size_t i = 0;
  while (i < S.size()) {
    const bool Start = i == 0 || S[i - 1] == ' ';
    size_t j = i;
    if (Start && j < S.size() && S[j] == '-') ++j;
    const size_t Digits = j;
    while (j < S.size() && std::isdigit(static_cast<unsigned char>(S[j]))) ++j;
    int Decimals = 0;
    if (j > Digits && j + 1 < S.size() && S[j] == '.' && std::isdigit(static_cast<unsigned char>(S[j + 1]))) {
      const size_t Dot = ++j;
      while (j < S.size() && std::isdigit(static_cast<unsigned char>(S[j]))) ++j;
      Decimals = static_cast<int>(j - Dot);
    }
    const bool Ends = j == S.size() || S[j] == ' ' || S[j] == '\r';
    if (Start && j > Digits && Ends) {
      TPiece& P = Out.back();
      P.HasNumber = true;
      std::from_chars(S.data() + i, S.data() + j, P.Value);
      P.Decimals = Decimals;
      Out.emplace_back();
      i = j;
    } else {
      Out.back().Text += S[i++];
    }
  }
  return Out;
}

std::string Rebuild(const std::vector<TPiece>& Ps, size_t Size) {
  std::string S;
  S.reserve(Size);
  char Buf[64];
  for (const TPiece& P : Ps) {
    S += P.Text;
    if (!P.HasNumber) continue;
    const auto R = P.Decimals > 0
                       ? std::to_chars(Buf, Buf + sizeof Buf, P.Value, std::chars_format::fixed, P.Decimals)
                       : std::to_chars(Buf, Buf + sizeof Buf, static_cast<long long>(P.Value));
    S.append(Buf, R.ptr);
  }
  return S;
}

void BM_Model30Years9Reruns(benchmark::State& State) {
  const fs::path Build = fs::path(GetExecPath()).parent_path().parent_path();
  const fs::path Model = Build / "bin/korval.exe";
  if (!fs::exists(Model)) {
    State.SkipWithError("korval.exe not built");
    return;
  }
  const fs::path Home = PrepareHome(Build);
  const std::string Cmd = "cd '" + (Home / "bin").string() + "' && '" + Model.string() + "' > ../model.log";
  for (auto _ : State) {
    const double Cpu = ChildCpuSeconds();
    if (std::system(Cmd.c_str()) != 0) {
      State.SkipWithError("the model reported an error; see model.log");
      break;
    }
    State.SetIterationTime(ChildCpuSeconds() - Cpu);
  }
  double All = 0;
  for (const char* F : OutputFiles)
    if (fs::exists(Home / "output" / F)) All += static_cast<double>(fs::file_size(Home / "output" / F));
  if (fs::exists(Home / "output/KRL.OUT"))
    State.counters["detailed_bytes"] = static_cast<double>(fs::file_size(Home / "output/KRL.OUT"));
  State.counters["all_output_bytes"] = All;
  fs::remove_all(Home);
}
BENCHMARK(BM_Model30Years9Reruns)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

void BM_Floor30Years9Reruns(benchmark::State& State) {
  const fs::path Build = fs::path(GetExecPath()).parent_path().parent_path();
  const fs::path Model = Build / "bin/korval.exe";
  if (!fs::exists(Model)) {
    State.SkipWithError("korval.exe not built");
    return;
  }
  const fs::path Home = PrepareHome(Build);
  const std::string Cmd = "cd '" + (Home / "bin").string() + "' && '" + Model.string() + "' > ../model.log";
  if (std::system(Cmd.c_str()) != 0) {
    State.SkipWithError("the model reported an error; see model.log");
    return;
  }
  struct TFile {
    fs::path Path;
    std::string Original;
    std::vector<TPiece> Pieces;
  };
  std::vector<TFile> Files;
  for (const char* F : OutputFiles) {
    TFile File{Home / "floor" / F, ReadText(Home / "output" / F), {}};
    File.Pieces = Pieces(File.Original);
    if (Rebuild(File.Pieces, File.Original.size()) != File.Original) {
      State.SkipWithError("the floor does not rebuild the output byte for byte");
      return;
    }
    Files.push_back(std::move(File));
  }
  fs::create_directories(Home / "floor");
  for (auto _ : State)
    for (const TFile& F : Files) {
      const std::string S = Rebuild(F.Pieces, F.Original.size());
      std::FILE* Out = std::fopen(F.Path.c_str(), "wb");
      std::fwrite(S.data(), 1, S.size(), Out);
      std::fclose(Out);
    }
  fs::remove_all(Home);
}
BENCHMARK(BM_Floor30Years9Reruns)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
