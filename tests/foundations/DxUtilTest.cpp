#include <gtest/gtest.h>
#include <locale.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundations/DxUtil.h"
#include "foundations/Numbers.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "support/TestSupport.h"

TEST(DxUtil, NumberTests) {
  for (const char* S : {"1.5", "-2", "3e2", " 4 ", "+.5", "5.", "1E-3"}) EXPECT_TRUE(IsFloat(S)) << S;
  for (const char* S : {"1,5", "abc", "", "  ", "inf", "nan", "0x10", "1e", "."})
    EXPECT_FALSE(IsFloat(S)) << S;
  for (const char* S : {"12", " -7", "+3", "$1F", "0x10", "2147483647", "-2147483648"})
    EXPECT_TRUE(IsInteger(S)) << S;
  for (const char* S : {"2.0", "12 ", "", "2147483648", "abc", "-", "$"}) EXPECT_FALSE(IsInteger(S)) << S;
  EXPECT_EQ(IntOrZero("$1F"), 31);
  EXPECT_EQ(IntOrZero("x"), 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(FloatOrZero(" 2.5 ")), 2.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(FloatOrZero("2,5")), 0.0);
  EXPECT_EQ(CompareFloat(1.0, 1.0000005), 0);
  EXPECT_EQ(CompareFloat(1.0, 1.00001), -1);
  EXPECT_EQ(CompareFloat(2.0, 1.0), 1);
}

TEST(DxUtil, NumbersIgnoreTheUserLocale) {
  const char* Found = nullptr;
  for (const char* L : {"de_DE.UTF-8", "nl_NL.UTF-8", "fr_FR.UTF-8", "de_DE", "nl_NL"})
    if (setlocale(LC_ALL, L)) {
      Found = L;
      break;
    }
  if (!Found) GTEST_SKIP() << "no decimal-comma locale installed";
  EXPECT_EQ(Format("%.6f", 20.0), "20.000000");
  EXPECT_TRUE(IsFloat("1.5"));
  EXPECT_FALSE(IsFloat("1,5"));
  setlocale(LC_ALL, "C");
}

TEST(DxUtil, TextOperations) {
  EXPECT_EQ(Unquoted("'abc'"), "abc");
  EXPECT_EQ(Unquoted("\"abc'"), "\"abc'");
  EXPECT_EQ(Unquoted("'"), "'");
  EXPECT_EQ(Unquoted("   "), "   ");
  EXPECT_EQ(Unquoted(" 'a'"), " 'a'");
  EXPECT_EQ(Unquoted("''"), "");
  EXPECT_EQ(TrimBlanks("\ta b\r"), "a b");
  EXPECT_EQ(TrimBlanks(" \t "), "");
  EXPECT_EQ(RemoveChars("&Potential", {'&'}), "Potential");
  std::string S = "dir\\";
  RemoveTrailingBackslash(S);
  EXPECT_EQ(S, "dir");
  RemoveTrailingBackslash(S);
  EXPECT_EQ(S, "dir");

  const std::string P = "C:\\data\\models\\output\\run1\\result.out";
  ASSERT_EQ(P.size(), 37u);
  EXPECT_EQ(ShortenPath(P, 30), "C:\\data\\models\\o...\\result.out");
  EXPECT_EQ(ShortenPath(P, 40), P);
  EXPECT_EQ(ShortenPath(P, 10), "...\\result.out");
}

TEST(DxUtil, WrapAtCommas) {
  std::string S(77, '1');
  S += ",";  // the comma at position 78
  S += std::string(22, '2');
  ASSERT_EQ(S.size(), 100u);
  std::vector<std::string> L{"stale"};
  WrapAtCommas(S, L);
  ASSERT_EQ(L.size(), 2u);
  EXPECT_EQ(L[0].size(), 78u);
  EXPECT_EQ(L[0].back(), ',');
  EXPECT_EQ(L[1].size(), 22u);

  WrapAtCommas("", L);
  EXPECT_EQ(L, std::vector<std::string>{""});

  // No comma to cut at: cut hard so that nothing is lost and the loop ends.
  const std::string NoComma(170, 'x');
  WrapAtCommas(NoComma, L);
  std::string Joined;
  for (const auto& Line : L) {
    EXPECT_LE(Line.size(), 80u);
    Joined += Line;
  }
  EXPECT_EQ(Joined, NoComma);
}

TEST(DxUtil, RemoveAndCopyFiles) {
  TTempDir T;
  TScriptedMessages Boxes;
  RemoveFile(T / "missing", false);  // nothing, no box

  const std::string Ro = T.Write("ro.txt", "x");
  SetFileReadOnly(Ro, true);
  ASSERT_TRUE(IsReadOnlyFile(Ro));
  Boxes.Expect(TMsgKind::Confirmation, "'" + Ro + " is readonly. Remove anyway?", TMsgResult::No);
  RemoveFile(Ro, false);
  EXPECT_TRUE(T.Exists("ro.txt"));
  Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Yes);
  RemoveFile(Ro, false);
  EXPECT_FALSE(T.Exists("ro.txt"));
  T.Write("ro2.txt", "x");
  SetFileReadOnly(T / "ro2.txt", true);
  RemoveFile(T / "ro2.txt", true);  // no question with Force
  EXPECT_FALSE(T.Exists("ro2.txt"));

  const std::string Src = T.Write("src.dat", std::string("a\0b\r\n", 5));
  EXPECT_EQ(CopyOneFile(Src, Src, true), 0);
  EXPECT_EQ(CopyOneFile(Src, T / "sub/../src.dat", true), 0);
  EXPECT_EQ(CopyOneFile(Src, T / "SUB\\..\\SRC.DAT", true), 0);  // the same file in other letter case
  EXPECT_FALSE(T.Exists("SRC.DAT"));
  EXPECT_EQ(T.Read("src.dat"), std::string("a\0b\r\n", 5));

  // A copy onto a name that exists in other letter case overwrites that file.
  T.Write("Dest.DAT", "old");
  EXPECT_EQ(CopyOneFile(Src, T / "DEST.DAT", false), 0);
  EXPECT_EQ(T.Read("Dest.DAT"), std::string("a\0b\r\n", 5));
  EXPECT_FALSE(T.Exists("DEST.DAT"));

  // Failures: a code, and a box only when asked for.
  EXPECT_NE(CopyOneFile(T / "none", T / "x", false), 0);
  Boxes.Expect(TMsgKind::Error);
  EXPECT_NE(CopyOneFile(T / "none", T / "x", true), 0);
  EXPECT_EQ(Boxes.Shown().back().Text.rfind("Failed to copy file. (error: ", 0), 0u);
}

TEST(DxUtil, CopyFailureCodes) {
  TTempDir T;
  const std::string Src = T.Write("src.dat", "data");
  T.MakeDir("dir");
  ASSERT_EQ(mkfifo((T / "pipe").c_str(), 0600), 0);
  T.Write("ro.dat", "old");
  SetFileReadOnly(T / "ro.dat", true);
  struct Case {
    std::string Source, Dest;
    int Code;
  };
  const Case Cases[] = {
      {T / "none", T / "x", 2}, {T / "nodir/none", T / "x", 3}, {T / "dir", T / "x", 2},
      {T / "pipe", T / "x", 5}, {Src, T / "nodir/x", 3},        {Src, T / "dir", 5},
      {Src, T / "pipe", 5},     {Src, T / "RO.DAT", 5},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(CopyOneFile(C.Source, C.Dest, false), C.Code) << C.Source << " -> " << C.Dest;
  EXPECT_EQ(T.Read("ro.dat"), "old");  // a read-only target stays as it was
  EXPECT_FALSE(T.Exists("x"));

  // The box names the code and both expanded names; an open failure first
  // resets the cursor, a failure of the copy itself does not.
  TScriptedMessages Boxes;
  std::vector<bool> Cursor;
  auto OldCursor = SetCursorHandler([&](bool Busy) { Cursor.push_back(Busy); });
  Boxes.Expect(TMsgKind::Error,
               "Failed to copy file. (error: 3)\r\n" + (T / "nodir/none") + " -> " + (T / "x"));
  EXPECT_EQ(CopyOneFile(T / "nodir/none", T / "sub/../x", true), 3);
  EXPECT_EQ(Cursor, std::vector<bool>{false});

  // A write that fails on the way: the file size limit stands in for a full
  // disk. Nothing is printed while the limit holds.
  const std::string Big = T.Write("big.dat", std::string(100000, 'b'));
  struct rlimit Old, Small;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &Old), 0);
  Small = Old;
  Small.rlim_cur = 1000;
  Boxes.Expect(TMsgKind::Error);
  auto OldSignal = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
  const int Code = CopyOneFile(Big, T / "big2.dat", true);
  setrlimit(RLIMIT_FSIZE, &Old);
  signal(SIGXFSZ, OldSignal);
  EXPECT_EQ(Code, -4);
  EXPECT_EQ(Boxes.Shown().back().Text,
            "Failed to copy file. (error: -4)\r\n" + Big + " -> " + (T / "big2.dat"));
  EXPECT_EQ(Cursor.size(), 1u);
  SetCursorHandler(OldCursor);
}

TEST(DxUtil, ExecuteFileLimitsAndCodes) {
  const std::string Long(251, 'a');
  try {
    ExecuteFile(Long, "", "", SW_SHOWNORMAL);
    FAIL();
  } catch (const EPlainError& E) {
    EXPECT_EQ(std::string(E.what()), "FileName too long (max. 250 chars): " + Long);
  }
  EXPECT_THROW(ExecuteFile("a", Long, "", SW_SHOWNORMAL), EPlainError);
  EXPECT_THROW(ExecuteFile("a", "", Long, SW_SHOWNORMAL), EPlainError);

  TTempDir T;
  EXPECT_EQ(ExecuteFile(T / "missing.exe", "", "", SW_SHOWNORMAL), ShellCode::FileNotFound);
  EXPECT_EQ(ExecuteFile(T / "nodir/x.exe", "", "", SW_SHOWNORMAL), ShellCode::PathNotFound);
  EXPECT_EQ(ExecuteFile(T.Write("doc.txt", "x"), "", T / "nodir", SW_SHOWNORMAL), ShellCode::PathNotFound);
  EXPECT_FALSE(StartProgram(T / "missing.exe", "", ""));

  // A real start: the program runs in the given directory, detached.
  const std::string Script = T.Write("touch.sh", "#!/bin/sh\ntouch started\n");
  chmod(Script.c_str(), 0755);
  EXPECT_TRUE(StartProgram(Script, "", ""));
  for (int i = 0; i < 200 && !T.Exists("started"); ++i) usleep(10000);
  EXPECT_TRUE(T.Exists("started"));
}

TEST(DxUtil, OpenDocumentReportsFailures) {
  TScriptedMessages Boxes;
  auto Old = SetOpenDocumentHandler([](const std::string&) { return 2; });
  Boxes.Expect(TMsgKind::Error, "Error executing KRL_Manual.pdf (errorcode 2)");
  OpenDocument("KRL_Manual.pdf");
  SetOpenDocumentHandler([](const std::string&) { return 42; });
  OpenDocument("KRL_Manual.pdf");  // no box
  SetOpenDocumentHandler(Old);
}
