// A study on a real Slurm cluster of one node, started for the test in a
// temporary directory: munged, slurmctld and slurmd from Debian's packages,
// ended by their process ids. Needs root and the packages slurm-wlm and
// munge; without them the test is skipped and says why.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "StudyHome.h"
#include "foundations/DxUtil.h"
#include "platform/Shell.h"

namespace {
using namespace std::chrono_literals;

int FreePort() {
  const int S = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t Len = sizeof A;
  int Port = 0;
  if (bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0 &&
      getsockname(S, reinterpret_cast<sockaddr*>(&A), &Len) == 0)
    Port = ntohs(A.sin_port);
  close(S);
  return Port;
}

std::string ShortHostName() {
  char Name[256] = {};
  gethostname(Name, sizeof Name - 1);
  std::string H = Name;
  return H.substr(0, H.find('.'));
}

std::string Tail(const std::string& File) {
  std::ifstream F(File);
  std::string All((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  return File + ":\n" + (All.size() > 2000 ? All.substr(All.size() - 2000) : All);
}

// The cluster: configuration, key, state and logs in a temporary directory.
class TSlurmCluster {
 public:
  TSlurmCluster() {
    if (geteuid() != 0) {
      Skip = "the Slurm test starts munged, slurmctld and slurmd and needs root";
      return;
    }
    for (const char* P :
         {"munged", "slurmctld", "slurmd", "sbatch", "squeue", "scancel", "scontrol", "sinfo"})
      if (FindOnPath(P).empty() && !std::filesystem::exists(std::string("/usr/sbin/") + P)) {
        Skip = std::string("the Slurm test needs the packages slurm-wlm and munge (") + P + " is missing)";
        return;
      }
    const std::string D = FDir.Path();
    FDir.MakeDir("state");
    FDir.MakeDir("spool");
    std::string Key(1024, '\0');
    std::ifstream("/dev/urandom").read(Key.data(), static_cast<std::streamsize>(Key.size()));
    FDir.Write("munge.key", Key);
    std::filesystem::permissions(D + "munge.key",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    const std::string Host = ShortHostName();
    const unsigned Cpus = std::max(1u, std::thread::hardware_concurrency());
    Conf = FDir.Write(
        "slurm.conf",
        "ClusterName=krlstudytest\n"
        "SlurmctldHost=" +
            Host + "\n" + "SlurmctldPort=" + std::to_string(FreePort()) + "\n" +
            "SlurmdPort=" + std::to_string(FreePort()) + "\n" +
            "AuthType=auth/munge\nCredType=cred/munge\n"
            "AuthInfo=socket=" +
            D + "munge.socket\n" +
            "SlurmUser=root\nSlurmdUser=root\n"
            "StateSaveLocation=" +
            D + "state\n" + "SlurmdSpoolDir=" + D + "spool\n" + "SlurmctldPidFile=" + D + "slurmctld.pid\n" +
            "SlurmdPidFile=" + D + "slurmd.pid\n" + "SlurmctldLogFile=" + D + "slurmctld.log\n" +
            "SlurmdLogFile=" + D + "slurmd.log\n" +
            "ProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\n"
            "SelectType=select/cons_tres\nSelectTypeParameters=CR_Core\n"
            "SchedulerType=sched/backfill\nReturnToService=2\nMpiDefault=none\n"
            "JobAcctGatherType=jobacct_gather/none\nAccountingStorageType=accounting_storage/none\n"
            "NodeName=" +
            Host + " CPUs=" + std::to_string(Cpus) + " State=UNKNOWN\n" +
            "PartitionName=study Nodes=ALL Default=YES MaxTime=INFINITE State=UP\n");
    setenv("SLURM_CONF", Conf.c_str(), 1);
    Start({"munged", "-F", "-f", "--socket=" + D + "munge.socket", "--key-file=" + D + "munge.key",
           "--log-file=" + D + "munged.log", "--pid-file=" + D + "munged.pid",
           "--seed-file=" + D + "munged.seed"},
          "munged.out");
    for (int i = 0; i < 100 && !std::filesystem::exists(D + "munge.socket"); ++i)
      std::this_thread::sleep_for(50ms);
    Start({"slurmctld", "-D", "-f", Conf}, "slurmctld.out");
    Start({"slurmd", "-D", "-f", Conf}, "slurmd.out");
  }

  ~TSlurmCluster() {
    // The daemons in the reverse order of their start, each by its id.
    for (auto It = FPids.rbegin(); It != FPids.rend(); ++It) {
      kill(*It, SIGTERM);
      bool Ended = false;
      for (int i = 0; i < 200 && !Ended; ++i) {
        Ended = waitpid(*It, nullptr, WNOHANG) == *It;
        if (!Ended) std::this_thread::sleep_for(50ms);
      }
      if (!Ended) {
        kill(*It, SIGKILL);
        waitpid(*It, nullptr, 0);
      }
    }
    unsetenv("SLURM_CONF");
  }

  // Waits until the node takes jobs; false (with the logs) when it does not.
  bool WaitUntilIdle(std::string& Logs) {
    std::string Out;
    for (int i = 0; i < 120; ++i) {
      if (RunProgram({"sinfo", "-h", "-o", "%t"}, Out) == 0 && Out.rfind("idle", 0) == 0) return true;
      std::this_thread::sleep_for(250ms);
    }
    Logs = "sinfo: " + Out + "\n" + Tail(FDir / "slurmctld.log") + Tail(FDir / "slurmd.log") +
           Tail(FDir / "munged.log");
    return false;
  }

  std::string Skip;
  std::string Conf;

 private:
  void Start(const std::vector<std::string>& Argv, const std::string& Log) {
    const std::string LogFile = FDir / Log;
    const pid_t Pid = fork();
    if (Pid == 0) {
      if (!freopen(LogFile.c_str(), "w", stdout) || !freopen(LogFile.c_str(), "w", stderr)) _exit(126);
      std::vector<char*> A;
      for (const std::string& S : Argv) A.push_back(const_cast<char*>(S.c_str()));
      A.push_back(nullptr);
      execvp(A[0], A.data());
      execv((std::string("/usr/sbin/") + Argv[0]).c_str(), A.data());
      _exit(127);
    }
    FPids.push_back(Pid);
  }

  TTempDir FDir;
  std::vector<pid_t> FPids;
};

// Waits until Slurm no longer knows the job.
bool WaitForJobEnd(const std::string& Id) {
  std::string Out;
  for (int i = 0; i < 1200; ++i) {
    if (RunProgram({"squeue", "-h", "-j", Id}, Out) != 0 || Out.find_first_not_of(" \n") == std::string::npos)
      return true;
    std::this_thread::sleep_for(100ms);
  }
  return false;
}

const std::vector<std::string> Expand40 = {"expand", "CRFILE=WWHEAT.CRP,SBARLEY.CRP",
                                           "SOFILE=LOAM.SOL,SAND.SOL", "IDSOW=80:120:10", "WAV=10,30"};
}  // namespace

TEST(StudySlurm, AJobArrayGivesTheLocalRunsBytesAndACancelledTaskIsPickedUpByResuming) {
  TSlurmCluster Cluster;
  if (!Cluster.Skip.empty()) GTEST_SKIP() << Cluster.Skip;
  std::string Logs;
  ASSERT_TRUE(Cluster.WaitUntilIdle(Logs)) << Logs;

  TStudyHome Home;
  std::string Table, Out;
  ASSERT_EQ(Home.Krlstudy(Expand40, Table), 0) << Table;
  const std::string File = Home.Write("forty.csv", Table);
  ASSERT_EQ(Home.Krlstudy({"run", File, "-j", "2", "--out", Home.Root() + "local"}, Out), 0) << Out;
  const std::string Local = ReadFileBytes(Home.Root() + "local/results.csv");

  // The whole study as one array of four tasks, waited for.
  ASSERT_EQ(
      Home.Krlstudy(
          {"run", File, "--on", "slurm", "--wait", "--tasks", "4", "--out", Home.Root() + "cluster"}, Out),
      0)
      << Out;
  EXPECT_EQ(ReadFileBytes(Home.Root() + "cluster/results.csv"), Local);

  // Submitted held, one task cancelled before it could start, then released:
  // the rows of that task are missing until the study is run again.
  const std::string Dir = Home.Root() + "cancelled/";
  ASSERT_EQ(
      Home.Krlstudy({"run", File, "--on", "slurm", "--tasks", "4", "--sbatch", "--hold", "--out", Dir}, Out),
      3)
      << Out;
  const std::string Id = TrimBlanks(ReadFileBytes(Dir + "slurm/job"));
  ASSERT_EQ(RunProgram({"scancel", Id + "_3"}, Out), 0) << Out;
  ASSERT_EQ(RunProgram({"scontrol", "release", Id}, Out), 0) << Out;
  ASSERT_TRUE(WaitForJobEnd(Id));
  EXPECT_EQ(Home.Krlstudy({"status", Dir}, Out), 1);
  EXPECT_NE(Out.find("ok 30, failed 0, not run 10"), std::string::npos) << Out;

  ASSERT_EQ(Home.Krlstudy({"run", File, "--on", "slurm", "--wait", "--tasks", "4", "--out", Dir}, Out), 0)
      << Out;
  EXPECT_EQ(ReadFileBytes(Dir + "results.csv"), Local);
  // Each row ran to its end once.
  std::map<std::string, int> Ended;
  for (const auto& L : CsvRows(ReadFileBytes(Dir + "journal.log"))) ++Ended[L[0].substr(0, L[0].find('\t'))];
  EXPECT_EQ(Ended.size(), 40u);
  for (const auto& [Row, Times] : Ended) EXPECT_EQ(Times, 1) << "row " << Row;
}
