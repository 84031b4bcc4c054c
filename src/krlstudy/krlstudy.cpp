// krlstudy: runs a study, a table of variations of one session, on this
// machine's cores or on a Slurm cluster, and gathers its results.
#include <signal.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <thread>

#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"
#include "study/StudyCsv.h"
#include "study/StudyLaunch.h"
#include "study/StudyRun.h"
#include "study/StudyTable.h"

namespace fs = std::filesystem;

namespace {
// Exit statuses.
constexpr int AllDone = 0;     // every row has a result
constexpr int NotAllDone = 1;  // some rows failed or did not run
constexpr int Refused = 2;     // a wrong command, a faulty table, no study
constexpr int Submitted = 3;   // handed to Slurm, not waited for

const char* const Help = R"(Usage:
  krlstudy run TABLE.csv [options]   check the table, run every row, gather the results
  krlstudy status DIR                how far a study has come
  krlstudy collect DIR               gather results.csv, results.xlsx and status.csv again
  krlstudy expand COLUMN=VALUES ...  write a table of every combination to standard output
  krlstudy --help                    this text

krlstudy is started like krl, from the program directory: it takes the
directory settings (DIRECT.INI) and the variable catalogue (KRL_VAR.csv)
from there, and the working session as the base of the study.

The table: one row per simulation; each column a keyword of the session's
input files (CRFILE, SOFILE, CLFILE, ISYR, INYEAR, IDSOW, IPRODL, IZT, WAV,
...) or a variable of KRL_VAR.csv (TSUM1, AMAXTB, ...; a table variable as
"x1,y1,x2,y2,..." in double quotes); an optional column ID names the rows.
Every value is checked before anything runs.

Options of run:
  -j N              N worker processes on this machine (default: every core)
  --on local|slurm  where the rows run (default: local)
  --wait            with slurm: wait until the job has ended, then gather
  --out DIR         the study directory (default: output/<table name>/)
  --session NAME    a saved session as the base instead of the working one
  --timeout S       end a row whose model runs longer than S seconds (600)
  --tasks N         with slurm: array tasks, each a slice of the rows
                    (default: one per row, at most 1000)
  --partition P     with slurm: sbatch --partition
  --time T          with slurm: sbatch --time, the time of one task
  --sbatch OPTION   with slurm: a further sbatch option (repeatable)

Running the same command again goes on with the rows that have no result.

VALUES of expand: a,b,c (a table variable: a;b;c), * (every crop, soil or
weather file of the data catalogue, for CRFILE, SOFILE, CLFILE), a:b:step.
  krlstudy expand CRFILE=WWHEAT.CRP,SBARLEY.CRP SOFILE=* IDSOW=80:140:20 > study.csv

Exit status: 0 every row has a result, 1 some rows failed or did not run,
2 a wrong command or a refused table, 3 handed to Slurm and not waited for.
)";

// The signal that asked a local run to stop; 0 while none has.
volatile sig_atomic_t StopSignal = 0;
void AskToStop(int Signal) { StopSignal = Signal; }

int Usage(const std::string& Message) {
  std::cerr << "krlstudy: " << Message << "\nkrlstudy --help says how it is used.\n";
  return Refused;
}

std::string Clock(double Seconds) {
  const long S = static_cast<long>(Seconds + 0.5);
  return Format("%02ld:%02ld:%02ld", S / 3600, S / 60 % 60, S % 60);
}

// The program home's catalogues and directory settings, as krl reads them.
struct THome {
  std::unique_ptr<TKvFileManager> Fm;
};

void OpenHome(THome& H) {
  const std::string Exec = GetExecPath();
  if (!FileExists(VarCatalogueFileName) && FileExists(Exec + VarCatalogueFileName))
    LoadVarCatalogue(Exec + VarCatalogueFileName);
  else
    LoadVarCatalogue();
  H.Fm = std::make_unique<TKvFileManager>();
}

std::string RealDir(const std::string& Name) {
  std::string D = ExpandFileName(MapFileName(Name));
  if (D.empty() || D.back() != '/') D += '/';
  return D;
}

int ExitFor(const TStudyCounts& C) { return C.Failed == 0 && C.NotRun == 0 ? AllDone : NotAllDone; }

void Report(const TStudy& Study, const TStudyCounts& C) {
  std::cout << "ok " << C.Ok << ", failed " << C.Failed << ", not run " << C.NotRun;
  if (C.Running) std::cout << " (running " << C.Running << ")";
  std::cout << "\nresults: " << Study.Dir() << "results.csv\nstatus:  " << Study.Dir() << "status.csv\n";
}

int Run(const std::vector<std::string>& Args) {
  std::string Table, Out, Session, On = "local";
  int Jobs = static_cast<int>(std::thread::hardware_concurrency());
  int Timeout = 600;
  TSlurmOptions Slurm;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& A = Args[i];
    const auto Next = [&]() -> std::string {
      if (i + 1 >= Args.size()) throw EKvError(A + " needs a value");
      return Args[++i];
    };
    const auto Number = [&](int Min) {
      const std::string V = Next();
      int N = 0;
      if (!TryStrToInt(V, N) || N < Min)
        throw EKvError(A + " needs a whole number of at least " + std::to_string(Min));
      return N;
    };
    if (A == "-j" || A == "--jobs")
      Jobs = Number(1);
    else if (A == "--on")
      On = Next();
    else if (A == "--wait")
      Slurm.Wait = true;
    else if (A == "--out")
      Out = Next();
    else if (A == "--session")
      Session = Next();
    else if (A == "--timeout")
      Timeout = Number(1);
    else if (A == "--tasks")
      Slurm.Tasks = Number(1);
    else if (A == "--partition")
      Slurm.Partition = Next();
    else if (A == "--time")
      Slurm.TimePerTask = Next();
    else if (A == "--sbatch")
      Slurm.Extra.push_back(Next());
    else if (!A.empty() && A[0] == '-')
      throw EKvError("unknown option " + A);
    else if (Table.empty())
      Table = A;
    else
      throw EKvError("one table only: " + A);
  }
  if (Table.empty()) throw EKvError("run needs a table");
  if (On != "local" && On != "slurm") throw EKvError("--on local or --on slurm");
  // Names given from the start directory, before the program directory
  // becomes the current one.
  Table = fs::absolute(Table).string();
  if (!Out.empty()) Out = fs::absolute(Out).string();
  const std::string TableText = ReadWholeFile(Table);
  const TStudyTable Parsed = ParseStudyTable(TableText);

  THome H;
  OpenHome(H);
  TStudySettings Settings;
  Settings.ProgramDir = RealDir(GetExecPath());
  Settings.CropDir = RealDir(H.Fm->CropPath());
  Settings.SoilDir = RealDir(H.Fm->SoilPath());
  Settings.ClimateDir = RealDir(H.Fm->ClimatePath());
  Settings.WeatherDir = RealDir(H.Fm->WeatherPath());
  Settings.RepairedDir = RealDir(H.Fm->RepairedPath());
  Settings.TimeoutSeconds = Timeout;
  if (Out.empty()) Out = RealDir(H.Fm->OutPath()) + fs::path(Table).stem().string();
  const TStudy Study(Out);
  const std::vector<std::string> Base = SessionFiles(*H.Fm, Session);

  const TStudyStart Start = PrepareStudy(Study, TableText, Settings, Base);
  // The table is checked against the study's own base session.
  const std::string CheckHome = Format("check-%d", static_cast<int>(getpid()));
  std::vector<TStudyProblem> Problems;
  try {
    const TScopedHandler<TMessageHandler> Quiet(SetMessageHandler, [](const TMessage& M) {
      std::cerr << "krlstudy: " << M.Text << "\n";
      return TMsgResult::Ok;
    });
    TKvSession& S = OpenBaseSession(Study, MakeScratchHome(Study, Study.LoadSettings(), CheckHome));
    Problems = CheckStudyTable(Parsed, S);
    TheSession = nullptr;
    SetCurrentDir(Study.Dir());
    fs::remove_all(Study.ScratchDir() + CheckHome);
  } catch (...) {
    TheSession = nullptr;
    SetCurrentDir("/");
    AbandonStudy(Study, Start);
    throw;
  }
  if (!Problems.empty()) {
    for (const TStudyProblem& P : Problems) std::cerr << Table << ": " << StudyProblemText(P) << "\n";
    std::cerr << "krlstudy: the table is refused (" << Problems.size()
              << (Problems.size() == 1 ? " problem" : " problems") << "); nothing was run.\n";
    AbandonStudy(Study, Start);
    return Refused;
  }
  AcceptStudyTable(Study, TableText);
  const std::string Program = ExpandFileName(GetExecFileName());
  if (On == "slurm") {
    const std::string Id = SubmitStudy(Study, Program, Parsed.Rows.size(), Slurm);
    std::cout << "Slurm job " << Id << ": " << Parsed.Rows.size() << " rows in " << Study.Dir() << "\n";
    if (!Slurm.Wait) {
      std::cout << "krlstudy status " << Study.Dir()
                << " follows it; krlstudy collect gathers the results.\n";
      return Submitted;
    }
  } else {
    const TStudyCounts Before = CountStudy(Study, Parsed);
    const size_t Todo = Before.Failed + Before.NotRun;
    const bool Tty = isatty(2);
    // Ctrl+C or a request to end stops the study with its workers and models.
    for (const int Signal : {SIGINT, SIGTERM, SIGHUP}) signal(Signal, AskToStop);
    const bool Finished = RunStudyLocal(
        Study, Program, std::min<int>(Jobs, static_cast<int>(std::max<size_t>(Todo, 1))),
        [&](size_t Done, size_t Failed, double Seconds) {
          if (StopSignal) return false;
          if (!Tty) return true;
          const size_t Finished = Done + Failed;
          const double Left = Finished ? Seconds / Finished * (Todo - std::min(Finished, Todo)) : 0;
          std::fprintf(stderr, "\rdone %zu, failed %zu, remaining %zu, elapsed %s, left about %s ", Done,
                       Failed, Todo - std::min(Finished, Todo), Clock(Seconds).c_str(), Clock(Left).c_str());
          return true;
        });
    if (Tty) std::fprintf(stderr, "\n");
    if (!Finished) {
      std::cerr << "krlstudy: stopped; the rows that had finished keep their results, and running the same "
                   "command again goes on with the others.\n";
      // Ended by the signal, as the one who sent it expects.
      const int Signal = StopSignal;
      signal(Signal, SIG_DFL);
      raise(Signal);
      return NotAllDone;
    }
  }
  const TStudyCounts C = CollectStudy(Study, Parsed);
  Report(Study, C);
  return ExitFor(C);
}

int Status(const std::string& Dir) {
  const TStudy Study(Dir);
  Study.LoadSettings();
  const TStudyTable T = Study.LoadTable();
  const TStudyCounts C = CountStudy(Study, T);
  std::cout << T.Rows.size() << " rows: ok " << C.Ok << ", failed " << C.Failed << ", not run " << C.NotRun
            << ", running " << C.Running << "\n";
  if (const std::string Id = StudyJobId(Study); !Id.empty()) {
    const std::string State = StudyJobState(Id);
    std::cout << "Slurm job " << Id << ": " << (State.empty() ? "ended" : State) << "\n";
  }
  return ExitFor(C);
}

int Collect(const std::string& Dir) {
  const TStudy Study(Dir);
  Study.LoadSettings();
  const TStudyTable T = Study.LoadTable();
  const TStudyCounts C = CollectStudy(Study, T);
  Report(Study, C);
  return ExitFor(C);
}

int Expand(const std::vector<std::string>& Args) {
  THome H;
  const std::string Cwd = fs::current_path().string();
  OpenHome(H);
  BuildDataCatalogue(*H.Fm);
  SetCurrentDir(Cwd);
  std::cout << StudyTableText(ExpandStudyTable(Args));
  return std::cout.flush() ? AllDone : Refused;
}

int Worker(const std::vector<std::string>& Args) {
  if (Args.empty()) throw EKvError("worker needs the study directory");
  int Slice = 0, Slices = 1;
  for (size_t i = 1; i + 1 < Args.size(); i += 2) {
    if (Args[i] == "--slice" && TryStrToInt(Args[i + 1], Slice)) continue;
    if (Args[i] == "--slices" && TryStrToInt(Args[i + 1], Slices)) continue;
    throw EKvError("worker: unknown option " + Args[i]);
  }
  RunStudyWorker(TStudy(Args[0]), Slice, std::max(Slices, 1));
  return AllDone;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> Args(argv + 1, argv + argc);
  if (Args.empty()) return Usage("a command is needed");
  if (Args[0] == "--help" || Args[0] == "-h" || Args[0] == "help") {
    std::cout << Help;
    return AllDone;
  }
  SetShellWindowless(true);
  SetAppErrorHandler([](const std::exception& E) { std::cerr << "krlstudy: " << E.what() << "\n"; });
  const std::string Command = Args[0];
  Args.erase(Args.begin());
  try {
    if (Command == "run") return Run(Args);
    if (Command == "status" && Args.size() == 1) return Status(Args[0]);
    if (Command == "collect" && Args.size() == 1) return Collect(Args[0]);
    if (Command == "expand") return Expand(Args);
    if (Command == "worker") return Worker(Args);
    return Usage("unknown command " + Command);
  } catch (const std::exception& E) {
    std::cerr << "krlstudy: " << E.what() << "\n";
    return Refused;
  }
}
