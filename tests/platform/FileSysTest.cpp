#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "support/TestSupport.h"

TEST(FileSys, NameSplittingAcceptsBothSeparators) {
  struct Case {
    std::string Name, File, Path, Dir, Ext, Base;
  };
  const Case Cases[] = {
      {"C:\\data\\runio\\maize1.krl", "maize1.krl", "C:\\data\\runio\\", "C:\\data\\runio", ".krl", "maize1"},
      {"/home/u/runio/maize1.krl", "maize1.krl", "/home/u/runio/", "/home/u/runio", ".krl", "maize1"},
      {"..\\output\\KRL", "KRL", "..\\output\\", "..\\output", "", "KRL"},
      {"NLD1.", "NLD1.", "", "", ".", "NLD1"},
      {"a.b\\c", "c", "a.b\\", "a.b", "", "c"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(ExtractFileName(C.Name), C.File);
    EXPECT_EQ(ExtractFilePath(C.Name), C.Path);
    EXPECT_EQ(ExtractFileDir(C.Name), C.Dir);
    EXPECT_EQ(ExtractFileExt(C.Name), C.Ext);
    EXPECT_EQ(ExtractFileBase(C.Name), C.Base);
  }
  EXPECT_EQ(ChangeFileExt("a.b\\c", ".log"), "a.b\\c.log");
  EXPECT_EQ(ChangeFileExt("dir/KRL.krl", ".log"), "dir/KRL.log");
}

TEST(FileSys, MapsNamesWithoutRegardToCase) {
  TTempDir T;
  T.Write("runio/KRLti.tim", "x");
  T.Write("Output/krl.OUT", "y");
  TCurrentDirGuard G;
  ASSERT_EQ(chdir((T / "runio").c_str()), 0);
  EXPECT_EQ(MapFileName("..\\RUNIO\\KRLTI.TIM"), "../runio/KRLti.tim");
  EXPECT_TRUE(FileExists("..\\RUNIO\\KRLTI.TIM"));
  EXPECT_TRUE(FileExists("..\\\\output\\KRL.out"));
  EXPECT_TRUE(FileExists(T.Path() + "OUTPUT\\KRL.OUT"));
  EXPECT_TRUE(DirectoryExists("..\\OUTPUT\\"));
  EXPECT_FALSE(FileExists("..\\OUTPUT"));      // a directory is not a file
  EXPECT_FALSE(DirectoryExists("KRLTI.TIM"));  // a file is not a directory
  // A component that matches nothing keeps its spelling, so new files are
  // created as the program names them.
  EXPECT_EQ(MapFileName("..\\OUTPUT\\NEW.SUM"), "../Output/NEW.SUM");
  EXPECT_EQ(MapFileName("..\\none\\KRL.OUT"), "../none/KRL.OUT");
  // The exact spelling wins over a case-insensitive match.
  T.Write("runio/krlti.tim", "z");
  EXPECT_EQ(MapFileName("krlti.tim"), "krlti.tim");
  EXPECT_EQ(MapFileName("KRLTI.TIM"), "KRLti.tim");  // first in sorted order
  // A file created after a look-up is found at once.
  EXPECT_FALSE(FileExists("LATER.TXT"));
  T.Write("runio/later.txt", "");
  EXPECT_TRUE(FileExists("LATER.TXT"));
}

TEST(FileSys, ExpandFileNameFoldsDotsAsTextThenMaps) {
  TTempDir T;
  T.Write("Runio/KRLti.tim", "x");
  TCurrentDirGuard G;
  ASSERT_EQ(chdir((T / "Runio").c_str()), 0);
  const std::pair<std::string, std::string> Cases[] = {
      {"KRLTI.TIM", T / "Runio/KRLti.tim"},
      {"..\\RUNIO\\.\\krlti.tim", T / "Runio/KRLti.tim"},
      {"missing\\..\\KRLTI.TIM", T / "Runio/KRLti.tim"},
      {T / "none/../RUNIO//new.txt", T / "Runio/new.txt"},
      {"sub\\", T / "Runio/sub/"},
  };
  for (const auto& C : Cases) EXPECT_EQ(ExpandFileName(C.first), C.second) << C.first;
}

TEST(FileSys, ListingAndReadOnly) {
  TTempDir T;
  T.Write("d/b.txt", "");
  T.Write("d/A.txt", "");
  T.Write("d/c/x", "");
  auto L = ListDirectory(T / "d");
  ASSERT_EQ(L.size(), 3u);
  EXPECT_EQ(L[0].Name, "A.txt");
  EXPECT_EQ(L[1].Name, "b.txt");
  EXPECT_TRUE(L[2].IsDirectory);
  EXPECT_THROW(ListDirectory(T / "none"), EInOutError);

  EXPECT_FALSE(FileIsReadOnly(T / "d/b.txt"));
  SetFileReadOnly(T / "d/B.TXT", true);
  EXPECT_TRUE(FileIsReadOnly(T / "d/b.txt"));
}
