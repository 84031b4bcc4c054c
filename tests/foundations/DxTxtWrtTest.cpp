#include <gtest/gtest.h>
#include <sys/stat.h>

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
