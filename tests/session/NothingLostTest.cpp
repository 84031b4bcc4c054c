// Saving, opening and writing the working files on a disk that fills up or
// on a run directory the program cannot write: every old file stays whole,
// the error names the file and the reason, and no temporary file is left.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "foundations/DxTxtWrt.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "session/HomeLock.h"
#include "session/Kvfm.h"
#include "support/TestSupport.h"

namespace {
// A full disk below Dir: a small tmpfs mounted there where the test may mount
// (as root), else a limit on the size of any file this process writes.
class TFullDisk {
 public:
  TFullDisk(const std::string& Dir, size_t Bytes) : FDir(Dir) {
    if (geteuid() == 0 &&
        mount("tmpfs", Dir.c_str(), "tmpfs", 0, ("size=" + std::to_string(Bytes)).c_str()) == 0) {
      FMounted = true;
      return;
    }
    FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &FOld);
    rlimit Small = FOld;
    Small.rlim_cur = Bytes;
    setrlimit(RLIMIT_FSIZE, &Small);
  }
  ~TFullDisk() {
    if (FMounted) {
      umount2(FDir.c_str(), MNT_DETACH);
    } else {
      setrlimit(RLIMIT_FSIZE, &FOld);
      std::signal(SIGXFSZ, FOldHandler);
    }
    InvalidateDirCache();
  }
  bool Mounted() const { return FMounted; }

 private:
  std::string FDir;
  bool FMounted = false;
  rlimit FOld{};
  void (*FOldHandler)(int) = SIG_DFL;
};

// The hidden temporary files a failed write must not leave behind.
int HiddenFiles(const std::string& Dir) {
  int N = 0;
  for (const auto& E : std::filesystem::directory_iterator(Dir))
    if (E.path().filename().string()[0] == '.') ++N;
  return N;
}

void WriteWorkingSession(const TTempDir& D, const std::string& OutContent) {
  D.Write("runio/runopt.dat", "new opt");
  D.Write("runio/KRLrr.rer", "new rr");
  D.Write("runio/KRLsi.sit", "new si");
  D.Write("runio/KRLti.tim", "new ti");
  D.Write("output/KRL.out", OutContent);
  D.Write("output/KRL.sum", "new sum");
}

void WriteSavedSession(const TTempDir& D) {
  D.Write("runio/WHEAT.krl", "old opt");
  D.Write("runio/WHEATrr.rer", "old rr");
  D.Write("runio/WHEATsi.sit", "old si");
  D.Write("runio/WHEATti.tim", "old ti");
  D.Write("output/WHEAT.out", "old out");
  D.Write("output/WHEAT.pps", "old pps");
}

void ExpectSavedSessionUnchanged(const TTempDir& D) {
  EXPECT_EQ(D.Read("runio/WHEAT.krl"), "old opt");
  EXPECT_EQ(D.Read("runio/WHEATrr.rer"), "old rr");
  EXPECT_EQ(D.Read("runio/WHEATsi.sit"), "old si");
  EXPECT_EQ(D.Read("runio/WHEATti.tim"), "old ti");
  EXPECT_EQ(D.Read("output/WHEAT.out"), "old out");
  EXPECT_EQ(D.Read("output/WHEAT.pps"), "old pps");
}
}  // namespace

TEST(NothingLost, SavingReplacesTheWholeSessionOrNothing) {
  TProgramHome H;
  TKvFileManager Fm;
  const TTempDir& D = H.Dir();
  WriteSavedSession(D);
  WriteWorkingSession(D, "new out");
  Fm.ReplaceSessionFiles("KRL", "WHEAT");
  EXPECT_EQ(D.Read("runio/WHEAT.krl"), "new opt");
  EXPECT_EQ(D.Read("runio/WHEATti.tim"), "new ti");
  EXPECT_EQ(D.Read("output/WHEAT.out"), "new out");
  EXPECT_EQ(D.Read("output/WHEAT.sum"), "new sum");
  EXPECT_FALSE(D.Exists("output/WHEAT.pps"));  // the working session has none
  EXPECT_EQ(HiddenFiles(D / "output"), 0);
}

TEST(NothingLost, SavingOntoAFullDiskLeavesTheSavedSessionWhole) {
  TProgramHome H;
  TKvFileManager Fm;
  const TTempDir& D = H.Dir();
  WriteSavedSession(D);
  WriteWorkingSession(D, std::string(300 * 1024, 'x'));
  // A disk with room for the small files but not for the large output.
  TFullDisk Disk(D / "output", 200 * 1024);
  if (Disk.Mounted()) {  // the new file system hides what was there
    WriteSavedSession(D);
    D.Write("output/KRL.sum", "new sum");
  }
  try {
    // Where the disk is a mount, the large output is read from the runio
    // side of the home: it no longer fits on the small output disk.
    if (Disk.Mounted()) WriteFileBytes(D / "output/KRL.out", std::string(150 * 1024, 'x'));
    if (Disk.Mounted()) WriteFileBytes(D / "output/KRL.wps", std::string(40 * 1024, 'w'));
    Fm.ReplaceSessionFiles("KRL", "WHEAT");
    ADD_FAILURE() << "the save reported success on a full disk";
  } catch (const EInOutError& E) {
    const std::string What = E.what();
    EXPECT_NE(What.find("WHEAT"), std::string::npos) << What;
    EXPECT_TRUE(E.ErrorCode() == ENOSPC || E.ErrorCode() == EFBIG) << What;
  }
  ExpectSavedSessionUnchanged(D);
  EXPECT_EQ(HiddenFiles(D / "output"), 0);
  EXPECT_EQ(HiddenFiles(D / "runio"), 0);
}

TEST(NothingLost, TheWorkingFilesAreWrittenAllOrNothing) {
  TTempDir D;
  D.Write("a", "old a");
  D.Write("b", "old b");
  {
    TFileReplacement Set;
    TDxTextWriter A(D / "a", &Set);
    A.WriteLn("new a");
    A.Close();
    TDxTextWriter B(D / "b", &Set);
    B.WriteLn("new b");
    // B never closes: the writer fails or the program stops half way.
    EXPECT_EQ(D.Read("a"), "old a");
  }
  EXPECT_EQ(D.Read("a"), "old a");
  EXPECT_EQ(D.Read("b"), "old b");
  EXPECT_EQ(HiddenFiles(D.Path()), 0);
  {
    TFileReplacement Set;
    for (const char* N : {"a", "b"}) {
      TDxTextWriter W(D / N, &Set);
      W.Write(std::string("new ") + N);
      W.Close();
    }
    Set.Commit();
  }
  EXPECT_EQ(D.Read("a"), "new a");
  EXPECT_EQ(D.Read("b"), "new b");
}

// A set for a scratch directory writes straight over the targets: no
// temporary, the new text there as soon as the writer closes.
TEST(NothingLost, AnInPlaceSetWritesOverTheTargets) {
  TTempDir D;
  D.Write("a", "old a, longer than the new");
  D.Write("gone", "x");
  TFileReplacement Set(true);
  TDxTextWriter A(D / "a", &Set);
  A.Write("new a");
  EXPECT_EQ(HiddenFiles(D.Path()), 0);
  A.Close();
  EXPECT_EQ(D.Read("a"), "new a");
  Set.Remove(D / "gone");
  Set.Commit();
  EXPECT_FALSE(std::filesystem::exists(D / "gone"));
}

TEST(NothingLost, AWriterOntoAFullDiskFailsAndKeepsTheOldFile) {
  TTempDir D;
  D.MakeDir("disk");
  TFullDisk Disk(D / "disk", 64 * 1024);
  D.Write("disk/KRLTI.TIM", "old");
  TDxTextWriter W(D / "disk/KRLTI.TIM");
  const std::string Line(1024, 'x');
  EXPECT_THROW(
      {
        for (int i = 0; i < 200; ++i) W.WriteLn(Line);
        W.Close();
      },
      EInOutError);
  EXPECT_EQ(D.Read("disk/KRLTI.TIM"), "old");
}

TEST(NothingLost, OneProgramHomeHasOneProgram) {
  TTempDir D;
  {
    THomeLock First(D.Path());
    ASSERT_TRUE(First.Held());
    THomeLock Second(D.Path());
    EXPECT_FALSE(Second.Held());
    EXPECT_EQ(Second.OwnerPid(), static_cast<int>(getpid()));
    EXPECT_NE(Second.Refusal().find("process " + std::to_string(getpid())), std::string::npos);
  }
  // The first has ended: its lock is taken over, whatever its file says.
  EXPECT_TRUE(D.Exists(THomeLock::FileName));
  EXPECT_TRUE(THomeLock(D.Path()).Held());
  // A process that died holding the lock leaves the file but no lock.
  const pid_t Child = fork();
  if (Child == 0) {
    THomeLock Dying(D.Path());
    _exit(Dying.Held() ? 0 : 1);
  }
  int Status = 0;
  waitpid(Child, &Status, 0);
  ASSERT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
  EXPECT_TRUE(THomeLock(D.Path()).Held());
}

// Opening the program home clears what a save killed half way left in the
// working, output and kept-run folders, and keeps a live writer's files.
TEST(NothingLost, OpeningTheHomeRemovesTheTemporariesOfAKilledSave) {
  TProgramHome H;
  const TTempDir& D = H.Dir();
  const pid_t Dead = fork();
  ASSERT_GE(Dead, 0);
  if (Dead == 0) _exit(0);
  ASSERT_EQ(waitpid(Dead, nullptr, 0), Dead);
  const std::vector<std::string> Stale = {"runio/" + TemporaryName("", "WHEAT.KRL", Dead),
                                          "output/" + TemporaryName("", "WHEAT.OUT", Dead),
                                          "output/runs/R1/" + TemporaryName("", "run.txt", Dead)};
  const std::string Live = "output/" + TemporaryName("", "KRL.OUT", static_cast<int>(getpid()));
  for (const std::string& S : Stale) D.Write(S, "part");
  D.Write(Live, "being written");
  TKvFileManager Fm;
  for (const std::string& S : Stale) EXPECT_FALSE(D.Exists(S)) << S;
  EXPECT_TRUE(D.Exists(Live));
}
