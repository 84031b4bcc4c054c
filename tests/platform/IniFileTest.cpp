#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/IniFile.h"
#include "support/TestSupport.h"

TEST(IniFile, WindowsRules) {
  TTempDir T;
  const std::string Ini = T.Write("x.ini",
                                  "; a comment\r\n"
                                  "[Other]\r\nOUTDIR=wrong\\\r\n"
                                  "  [ directory SETTINGS for korval ]  \r\n"
                                  "outdir = ..\\out\\  \r\n"
                                  "OUTDIR=second\\\r\n"
                                  ";CRPDIR=commented\r\n"
                                  "CRPDIR=\"..\\crop dir\\\"\r\n"
                                  "SOLDIR=\r\n"
                                  "WTRDIR=a;b=c\r\n"
                                  "[Next]\r\nRUNDIR=elsewhere\r\n");
  const std::string S = "Directory settings for KORVAL";
  EXPECT_EQ(ReadIniString(Ini, S, "OUTDIR", "d"), "..\\out\\");
  EXPECT_EQ(ReadIniString(Ini, S, "CRPDIR", "d"), "..\\crop dir\\");
  EXPECT_EQ(ReadIniString(Ini, S, "SOLDIR", "d"), "");
  EXPECT_EQ(ReadIniString(Ini, S, "WTRDIR", "d"), "a;b=c");
  EXPECT_EQ(ReadIniString(Ini, S, "RUNDIR", "..\\runio\\"), "..\\runio\\");
  EXPECT_EQ(ReadIniString(T / "none.ini", S, "OUTDIR", "dflt"), "dflt");
  // A named pipe in the file's place gives the default at once.
  ASSERT_EQ(mkfifo((T / "pipe.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadIniString(T / "pipe.ini", S, "OUTDIR", "dflt"), "dflt");
}

// A carriage return on its own ends a line too (found by fuzzing: the value
// kept the return and everything after it, so every file name formed from the
// directory held a line break).
TEST(IniFile, LoneCarriageReturnEndsLine) {
  TTempDir T;
  const std::string Ini = T.Write(
      "x.ini", "[Directory settings for KORVAL]\rOUTDIR=..\\output\\\r[Dir\nectory irecCRPt\rCRPDIR=c\\\n");
  const std::string S = "Directory settings for KORVAL";
  EXPECT_EQ(ReadIniString(Ini, S, "OUTDIR", "d"), "..\\output\\");
  EXPECT_EQ(ReadIniString(Ini, S, "CRPDIR", "d"), "d");
  EXPECT_EQ(ReadIniString(Ini, "Dir", "OUTDIR", "d"), "d");
}
