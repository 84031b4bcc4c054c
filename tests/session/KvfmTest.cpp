#include <gtest/gtest.h>

#include "foundations/DxTxtFle.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "support/TestSupport.h"

TEST(FileManager, DefaultNames) {
  TProgramHome H;
  TKvFileManager Fm;
  EXPECT_EQ(GetCurrentDir() + "/", H.Bin());
  EXPECT_EQ(Fm.OutPath(), "..\\output\\");
  EXPECT_EQ(Fm.RepairedPath(), "..\\meteo\\dbmrep\\");
  EXPECT_EQ(Fm.ExecPath(), H.Bin());
  EXPECT_EQ(Fm.KRLFullName(), "..\\OUTPUT\\KRL");
  EXPECT_EQ(Fm.KRLName(), "KRL");
  EXPECT_EQ(Fm.KRLWerkFullName(), "..\\OUTPUT\\KRL");
  EXPECT_EQ(Fm.TimerFullName(), "..\\RUNIO\\KRLTI.TIM");
  EXPECT_EQ(Fm.TimerName(), "KRLTI.TIM");
  EXPECT_EQ(Fm.SiteFullName(), "..\\RUNIO\\KRLSI.SIT");
  EXPECT_EQ(Fm.ReRunFullName(), "..\\RUNIO\\KRLRR.RER");
  EXPECT_EQ(Fm.RunFullName(), "..\\RUNIO\\RUNOPT.DAT");
  EXPECT_EQ(Fm.LogFullName(), "..\\RUNIO\\KRL.LOG");
  EXPECT_EQ(Fm.BatFullName(), "..\\RUNIO\\RUN.BAT");
  EXPECT_EQ(Fm.TempRunFileName(), "..\\RUNIO\\KRL$$$.TMP");
  EXPECT_EQ(Fm.ModelName(), "KORVAL.EXE");
  EXPECT_EQ(Fm.OutFullName(), "..\\OUTPUT\\KRL.OUT");
  EXPECT_EQ(Fm.OutPotFullName(), "..\\OUTPUT\\KRL.PPS");
  EXPECT_EQ(Fm.OutWaterFullName(), "..\\OUTPUT\\KRL.WPS");
  EXPECT_EQ(Fm.OutSumName(), "KRL.SUM");
}

TEST(FileManager, MissingSettingsFile) {
  TProgramHome H(false);
  TScriptedMessages Boxes;
  // The error handler adds the full stop.
  Boxes.Expect(TMsgKind::Error, "File not found " + H.Bin() + "DIRECT.INI.");
  TKvFileManager Fm;
  EXPECT_EQ(Fm.OutPath(), "");
  EXPECT_EQ(Fm.TimerFullName(), "KRLTI.TIM");
  EXPECT_EQ(Fm.KRLFullName(), "KRL");
}

TEST(FileManager, OddSettings) {
  TProgramHome H;
  H.Dir().Write("bin/DIRECT.INI",
                "; settings\r\n[Other]\r\nRUNDIR=x\\\r\n[Directory settings for KORVAL]\r\n"
                "OUTDIR = out \r\nCRPDIR=..\\crops\\\r\n");
  TKvFileManager Fm;
  EXPECT_EQ(Fm.OutFullName(), "OUTKRL.OUT");  // used verbatim, no separator added
  EXPECT_EQ(Fm.CropPath(), "..\\crops\\");
  EXPECT_EQ(Fm.RunFullName(), "..\\RUNIO\\RUNOPT.DAT");
}

TEST(FileManager, SessionNames) {
  TProgramHome H;
  TKvFileManager Fm;
  const std::pair<std::string, std::string> Cases[] = {
      {"C:\\data\\runio\\maize1.krl", "C:\\DATA\\RUNIO\\MAIZE1"},
      {"C:\\data\\runio\\summerwheat.krl", "C:\\DATA\\RUNIO\\SUMMER"},
      {"..\\output\\KRL", "..\\OUTPUT\\KRL"},
      {"/home/u/runio/maize1.krl", "/HOME/U/RUNIO/MAIZE1"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.first);
    Fm.SetKRLFullName(C.first);
    EXPECT_EQ(Fm.KRLFullName(), C.second);
  }
  EXPECT_EQ(Fm.KRLName(), "MAIZE1");
  Fm.Reset();
  EXPECT_EQ(Fm.KRLFullName(), "..\\OUTPUT\\KRL");

  TScriptedMessages Boxes;
  std::string N = "krl.krl";
  Boxes.Expect(TMsgKind::Error, "KRL is not allowed as name for a session.");
  EXPECT_FALSE(Fm.ValidSessionName(N));
  N = "wheat";
  EXPECT_TRUE(Fm.ValidSessionName(N));
  EXPECT_EQ(N, "WHEAT");
  N = "/home/u/runio/maize1.krl";
  EXPECT_TRUE(Fm.ValidSessionName(N));
  EXPECT_EQ(N, "MAIZE1");
  N = "springwheat";
  Boxes.Expect(TMsgKind::Confirmation, "Only first 6 character are relevant.\r\nSave session as SPRING?",
               TMsgResult::Ok);
  EXPECT_TRUE(Fm.ValidSessionName(N));
  EXPECT_EQ(N, "SPRING");
  N = "springwheat";
  Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Cancel);
  EXPECT_FALSE(Fm.ValidSessionName(N));
  // What cannot be a session name is refused, saying which characters work.
  for (const std::string Bad : {"my wheat.krl", "a\"b.krl", ".krl", "Weizen\xc3\xa4.krl", "x;y"}) {
    SCOPED_TRACE(Bad);
    N = Bad;
    Boxes.Expect(TMsgKind::Error);
    EXPECT_FALSE(Fm.ValidSessionName(N));
    EXPECT_NE(Boxes.Shown().back().Text.find("the letters A-Z, the digits 0-9, '_' and '-'"),
              std::string::npos);
  }
}

// A session file chosen in another folder is refused, for saving and for
// opening, instead of standing for runio's files of that name.
TEST(FileManager, SessionsLiveInTheFolderOfSessions) {
  TProgramHome H;
  TKvFileManager Fm;
  TScriptedMessages Boxes;
  H.Dir().Write("elsewhere/WHEAT.krl", "saved");
  EXPECT_TRUE(Fm.InSessionFolder("WHEAT", false));
  EXPECT_TRUE(Fm.InSessionFolder(H.Dir() / "runio/WHEAT.krl", true));
  EXPECT_TRUE(Fm.InSessionFolder(H.Dir() / "bin/../runio/WHEAT.krl", false));
  for (const bool Opening : {true, false}) {
    SCOPED_TRACE(Opening);
    Boxes.Expect(TMsgKind::Error);
    EXPECT_FALSE(Fm.InSessionFolder(H.Dir() / "elsewhere/WHEAT.krl", Opening));
    const std::string Text = Boxes.Shown().back().Text;
    EXPECT_NE(Text.find(H.Dir() / "runio"), std::string::npos) << Text;
    EXPECT_NE(Text.find(Opening ? "WHEATti.tim" : H.Dir() / "elsewhere"), std::string::npos) << Text;
  }
}

TEST(FileManager, CopiesAndRemovesSessionFiles) {
  TProgramHome H;
  TKvFileManager Fm;
  const TTempDir& D = H.Dir();
  D.Write("runio/runopt.dat", "opt");
  D.Write("runio/KRLrr.rer", "rr");
  D.Write("runio/KRLsi.sit", "si");
  D.Write("runio/KRLti.tim", "ti");
  Fm.CopyInputFiles("KRL", "WHEAT");
  EXPECT_EQ(D.Read("runio/WHEAT.krl"), "opt");
  EXPECT_EQ(D.Read("runio/WHEATti.tim"), "ti");

  D.Write("runio/WHEAT.krl", "saved");
  Fm.CopyInputFiles("/somewhere/WHEAT.krl", "KRL");
  EXPECT_EQ(D.Read("runio/runopt.dat"), "saved");

  Fm.CopyInputFiles("KRL", "KRL");
  EXPECT_EQ(D.Read("runio/KRL.krl"), "saved");

  D.Write("output/KRL.out", "out");
  D.Write("output/KRL.pps", "pps");
  Fm.CopyOutputFiles("KRL", "WHEAT");
  EXPECT_EQ(D.Read("output/WHEAT.out"), "out");
  EXPECT_FALSE(D.Exists("output/WHEAT.wps"));

  EXPECT_TRUE(Fm.DetailedOutputAvailable());
  EXPECT_TRUE(Fm.SummaryOutputAvailable());  // the .pps alone will do
  Fm.RemoveOutputFiles();
  EXPECT_FALSE(Fm.DetailedOutputAvailable());
  EXPECT_FALSE(Fm.SummaryOutputAvailable());

  Fm.RemoveSessionFiles("WHEAT.krl");
  EXPECT_TRUE(D.Exists("runio/WHEAT.krl"));  // the .krl stays
  EXPECT_FALSE(D.Exists("runio/WHEATti.tim"));
  EXPECT_FALSE(D.Exists("output/WHEAT.out"));

  Fm.RemoveInputFiles();
  EXPECT_FALSE(D.Exists("runio/runopt.dat"));
  EXPECT_FALSE(D.Exists("runio/KRLti.tim"));
}

TEST(FileManager, RunMarker) {
  TProgramHome H;
  TKvFileManager Fm;
  EXPECT_FALSE(Fm.RemoveTempRunFile());
  Fm.MakeTempRunFile();
  TDxTextFile F(Fm.TempRunFileName());
  ASSERT_TRUE(F.NextLine());
  EXPECT_EQ(F.Line().Str(), "KORVAL Control Zudezo");
  ASSERT_TRUE(F.NextLine());
  EXPECT_EQ(F.Line().FirstWord(), "Created:");
  EXPECT_TRUE(H.Dir().Exists("runio/KRL$$$.TMP"));
  EXPECT_TRUE(Fm.RemoveTempRunFile());
  EXPECT_FALSE(H.Dir().Exists("runio/KRL$$$.TMP"));
}
