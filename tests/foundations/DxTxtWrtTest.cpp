#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "foundations/DxTxtWrt.h"
#include "foundations/Errors.h"
#include "support/TestSupport.h"

TEST(DxTextWriter, WritesLinesOntoTheFileWhateverItsLetterCase) {
  TTempDir T;
  T.Write("runio/KRLti.tim", "old content");
  TDxTextWriter W(T / "RUNIO\\KRLTI.TIM");
  W.WriteLn("a");
  W.Write("b");
  W.Close();
  EXPECT_EQ(T.Read("runio/KRLti.tim"), "a\r\nb");
  EXPECT_FALSE(T.Exists("RUNIO"));
}

TEST(DxTextWriter, RefusesAPipeOrDirectoryInTheFilesPlace) {
  TTempDir T;
  ASSERT_EQ(mkfifo((T / "pipe").c_str(), 0600), 0);
  T.MakeDir("dir");
  EXPECT_THROW(TDxTextWriter(T / "pipe"), EInOutError);  // at once, not waited on
  EXPECT_THROW(TDxTextWriter(T / "nodir/x"), EInOutError);
  // The message names the file and says what to do.
  try {
    TDxTextWriter W(T / "dir");
    ADD_FAILURE() << "a folder was written to";
  } catch (const EInOutError& E) {
    EXPECT_EQ(std::string(E.what()),
              "I/O error 21: Is a directory (" + T / "dir" +
                  ")\r\nA folder stands where this file belongs: move or rename the folder");
  }
}

// A writer killed with SIGKILL half way leaves its hidden temporary beside
// the old file; the sweep removes that one only: a live writer's temporary,
// names of another pattern and a folder of that name stay.
TEST(DxTextWriter, TheTemporaryOfAKilledWriterIsRemovedALiveOnesKept) {
  TTempDir T;
  T.Write("KRL.OUT", "old");
  int Ready[2];
  ASSERT_EQ(pipe(Ready), 0);
  const pid_t Child = fork();
  ASSERT_GE(Child, 0);
  if (Child == 0) {
    TDxTextWriter W(T / "KRL.OUT");
    W.WriteLn("half");
    if (write(Ready[1], "x", 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char C;
  ASSERT_EQ(read(Ready[0], &C, 1), 1);
  kill(Child, SIGKILL);
  int Status = 0;
  ASSERT_EQ(waitpid(Child, &Status, 0), Child);
  close(Ready[0]);
  close(Ready[1]);
  const std::string Killed = TemporaryName("", "KRL.OUT", Child);
  ASSERT_TRUE(T.Exists(Killed));

  const std::string Live = TemporaryName("", "KRLTI.TIM", static_cast<int>(getpid()));
  T.Write(Live, "being written");
  const std::vector<std::string> Others = {".KRL.OUT.12x.new", "KRL.OUT." + std::to_string(Child) + ".new",
                                           "." + std::to_string(Child) + ".new",
                                           ".KRL.OUT." + std::to_string(Child) + ".old"};
  for (const std::string& O : Others) T.Write(O, "other");
  T.MakeDir(TemporaryName("", "DIR", Child));

  EXPECT_EQ(RemoveStaleTemporaries(T.Path()), 1);
  EXPECT_FALSE(T.Exists(Killed));
  EXPECT_EQ(T.Read("KRL.OUT"), "old");
  EXPECT_TRUE(T.Exists(Live));
  for (const std::string& O : Others) EXPECT_TRUE(T.Exists(O)) << O;
  EXPECT_TRUE(T.Exists(TemporaryName("", "DIR", Child)));
}
