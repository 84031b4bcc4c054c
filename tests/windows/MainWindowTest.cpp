// The main window on a fresh copy of the sample program home: start-up,
// open and save, the pages and their rules, the commands, and runs of the
// bundled model from the window (without a terminal window).

#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>

#include "DxGrid.h"
#include "DxInpMemo.h"
#include "DxMemo.h"
#include "Dxedit.h"
#include "Kvmain.h"
#include "WinSupport.h"
#include "WinTestSupport.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"

namespace fs = std::filesystem;

namespace {
const char* const NoWorkingSession = "File not found: ..\\RUNIO\\RUNOPT.DAT";

class TMainWindow : public ::testing::Test {
 protected:
  void SetUp() override { SetShellWindowless(true); }
  void TearDown() override {
    Main.reset();
    SetShellWindowless(false);
  }
  // Creates the window; a fresh home has no working session yet.
  void Start(bool FreshHome = true) {
    if (FreshHome) Boxes.Expect(TMsgKind::Error, NoWorkingSession);
    Main = std::make_unique<TFormMain>();
  }
  // Shows it; its first activation follows.
  void Show() {
    Main->show();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
    QApplication::processEvents();
  }
  // Leaves a working session behind for the next start.
  void WriteWorkingSession() {
    Start();
    Main->StorePages();
    TheSession->WriteInputFiles();
    Main.reset();
  }
  void SaveAs(const char* Name) {
    Dialogs.ExpectFile(QString::fromStdString(Home.Path("runio/") + Name));
    FindChild<QAction>(Main.get(), "Saveas1")->trigger();
  }
  // A file of the home, found without regard to letter case.
  std::string Read(const std::string& Rel) const { return ReadFileBytes(MapFileName(Home.Path(Rel))); }
  bool Exists(const std::string& Rel) const { return FileExists(Home.Path(Rel)); }
  QString Caption() const { return Main->windowTitle(); }
  // Spring barley on loam at station north, 1980 and 1981.
  void ChooseSampleSession() {
    FindChild<QListWidget>(Main.get(), "LbCropNo")->setCurrentRow(2);
    FindChild<QListWidget>(Main.get(), "LbSoilNo")->setCurrentRow(1);
    FindChild<QListWidget>(Main.get(), "LbStation")->setCurrentRow(1);
    FindChild<TDxIntMemo>(Main.get(), "mmYear")->SetiValue(1980);
    FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->SetiValue(2);
  }
  // Runs the session from the window; While is called every 20 ms during
  // the run.
  void RunFromWindow(const std::function<void()>& While = {}) {
    QTimer Tick;
    if (While) {
      QObject::connect(&Tick, &QTimer::timeout, While);
      Tick.start(20);
    }
    FindChild<QToolButton>(Main.get(), "BtnRun")->click();
    Tick.stop();
  }

  TSampleHome Home;
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TFormMain> Main;
};
}  // namespace

// ---- start-up

TEST_F(TMainWindow, StartsWithTheSampleHomeOnTheGeneralPage) {
  Start();
  EXPECT_TRUE(Main->HasSession());
  EXPECT_EQ(Caption(), "KORVAL Control Zudezo - Session: KRL");
  EXPECT_EQ(FindChild<QTabWidget>(Main.get(), "pgcSession")->currentIndex(), 0);
  EXPECT_EQ(FindChild<QListWidget>(Main.get(), "LbCropNo")->count(), 4);
  EXPECT_EQ(FindChild<QListWidget>(Main.get(), "LbSoilNo")->count(), 3);
  EXPECT_EQ(FindChild<QListWidget>(Main.get(), "LbStation")->count(), 3);
  EXPECT_EQ(FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->ItemIndex(), 1);
  EXPECT_EQ(FindChild<QLineEdit>(Main.get(), "EditFirstYear")->text(),
            FindChild<QLineEdit>(Main.get(), "EditFirstYear2")->text());
  // The first activation shows the crop file and the list hints.
  Show();
  EXPECT_TRUE(FindChild<QPlainTextEdit>(Main.get(), "mmCropInfo")->toPlainText().contains("CRPNAM"));
  EXPECT_TRUE(FindChild<QListWidget>(Main.get(), "LbCropNo")->toolTip().isEmpty());
  EXPECT_TRUE(FindChild<QListWidget>(Main.get(), "LbCropNo")->statusTip().startsWith("File: "));
  EXPECT_TRUE(FindChild<QListWidget>(Main.get(), "LbSoilNo")->statusTip().startsWith("File: "));
  EXPECT_TRUE(FindChild<QLabel>(Main.get(), "lbcrop")->text().startsWith("Selected crop: \n"));
  // Tool button hints go to the status bar only.
  EXPECT_EQ(FindChild<QToolButton>(Main.get(), "BtnRun")->statusTip(), "Run the KORVAL simulation");
  EXPECT_TRUE(FindChild<QToolButton>(Main.get(), "BtnRun")->toolTip().isEmpty());
  EXPECT_FALSE(FindChild<QPushButton>(Main.get(), "BtnRainfall")->isHidden());
  EXPECT_TRUE(FindChild<QPushButton>(Main.get(), "BtnRainfall")->isEnabled());
}

TEST_F(TMainWindow, StartsWithoutTheSettingsFile) {
  fs::remove(Home.Path("bin/DIRECT.INI"));
  Boxes.Expect(TMsgKind::Error, "File not found " + Home.Bin() + "DIRECT.INI.");
  Boxes.Expect(TMsgKind::Error, "File not found: RUNOPT.DAT");
  Main = std::make_unique<TFormMain>();
  EXPECT_TRUE(Main->HasSession());
  EXPECT_EQ(FindChild<QListWidget>(Main.get(), "LbCropNo")->count(), 0);
  Show();
}

TEST_F(TMainWindow, WithoutTheVariableCatalogueNothingTouchesTheAbsentSession) {
  fs::remove(Home.Path("bin/KRL_VAR.csv"));
  Boxes.Expect(TMsgKind::Error);
  Main = std::make_unique<TFormMain>();
  EXPECT_FALSE(Main->HasSession());
  EXPECT_EQ(TheSession, nullptr);
  for (QAction* A : {FindChild<QAction>(Main.get(), "Run1"), FindChild<QAction>(Main.get(), "Open1"),
                     FindChild<QAction>(Main.get(), "Save1"), FindChild<QAction>(Main.get(), "Reset1"),
                     FindChild<QAction>(Main.get(), "Viewlogfile1")})
    EXPECT_FALSE(A->isEnabled()) << A->objectName().toStdString();
  EXPECT_FALSE(FindChild<QToolButton>(Main.get(), "BtnRun")->isEnabled());
  EXPECT_FALSE(FindChild<QWidget>(Main.get(), "tbsSoil")->isEnabled());
  EXPECT_TRUE(FindChild<QAction>(Main.get(), "About1")->isEnabled());
  ASSERT_NE(FindChild<QLabel>(Main.get(), "LblNoSession"), nullptr);
  EXPECT_TRUE(FindChild<QLabel>(Main.get(), "LblNoSession")->text().contains("KRL_VAR.csv"));
  // Handlers reached anyway neither fail nor ask.
  Main->Run1Click();
  Main->Save1Click();
  Main->Reset1Click();
  Main->Viewlogfile1Click();
  Main->StorePages();
  Show();
}

TEST_F(TMainWindow, TheVariableCatalogueComesFromTheProgramDirectoryWhenNotInTheStartDirectory) {
  TTempDir Elsewhere;
  SetCurrentDir(Elsewhere.Path());
  Start();
  EXPECT_TRUE(Main->HasSession());
}

TEST_F(TMainWindow, AMissingSoilFileIsReportedOncePerActivation) {
  WriteWorkingSession();
  Start(false);
  FindChild<QListWidget>(Main.get(), "LbSoilNo")->setCurrentRow(1);  // loam
  fs::remove(Home.Path("soild/LOAM.SOL"));
  Boxes.Expect(TMsgKind::Error, "'..\\soild\\\\LOAM.SOL' not found!");
  Show();
  QTest::qWait(100);  // the box closing brings no second one
  // Closing a window the main window opened activates it again: one box.
  Boxes.Expect(TMsgKind::Error, "'..\\soild\\\\LOAM.SOL' not found!");
  Dialogs.ExpectModal("FormAbout", AcceptDialog);
  Main->About1Click();
  QTest::qWait(100);
  EXPECT_EQ(Boxes.Shown().size(), 3u);  // with the start-up's
}

// ---- save and open

TEST_F(TMainWindow, SaveAsNamesTheSessionAndSaveThenWritesUnderThatName) {
  Start();
  // The working session: Save asks for a name.
  Dialogs.ExpectFile(QString::fromStdString(Home.Path("runio/wheat.krl")));
  Main->Save1Click();
  ASSERT_EQ(Dialogs.FileRequests().size(), 1u);
  const TFileDialogRequest& R = Dialogs.FileRequests()[0];
  EXPECT_EQ(R.Title, "Save File as...");
  EXPECT_EQ(R.Filter, "Input Files (*.krl)|*.krl");
  EXPECT_TRUE(R.Save);
  EXPECT_EQ(fs::canonical(R.InitialDir.toStdString()), fs::canonical(Home.Path("runio")));
  EXPECT_TRUE(Caption().endsWith(" - Session: WHEAT"));
  for (const char* F : {"runio/WHEAT.krl", "runio/WHEATti.tim", "runio/WHEATsi.sit", "runio/WHEATrr.rer"})
    EXPECT_TRUE(Exists(F)) << F;
  EXPECT_NE(Read("runio/WHEATti.tim").find("WHEAT"), std::string::npos);
  // Now Save writes under WHEAT without a dialog.
  FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->Button(2)->click();
  Main->Save1Click();
  EXPECT_EQ(Dialogs.FileRequests().size(), 1u);
  EXPECT_EQ(Read("runio/WHEAT.krl"), Read("runio/RUNOPT.DAT"));
  EXPECT_NE(Read("runio/WHEAT.krl").find("3"), std::string::npos);
}

TEST_F(TMainWindow, SaveAsRefusesTheWorkingName) {
  Start();
  Boxes.Expect(TMsgKind::Error, "KRL is not allowed as name for a session.");
  SaveAs("krl.krl");
  EXPECT_FALSE(Exists("runio/RUNOPT.DAT"));
  EXPECT_EQ(Caption(), "KORVAL Control Zudezo - Session: KRL");
}

TEST_F(TMainWindow, OverwriteCancelAndAFailingSaveKeepTheSavedSession) {
  Start();
  SaveAs("wheat.krl");
  Home.Dir().Write("output/WHEAT.out", "saved output");
  const std::string Timer = Read("runio/WHEATti.tim"), Options = Read("runio/WHEAT.krl");

  // Cancel on the overwrite question writes nothing.
  FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->Button(0)->click();
  Boxes.Expect(TMsgKind::Confirmation, "Session: WHEAT already exists. Overwrite?", TMsgResult::Cancel);
  SaveAs("WHEAT.krl");
  EXPECT_EQ(Read("runio/WHEAT.krl"), Options);

  // A rerun table the check refuses: the saved files, the output copy and
  // the caption stay as they were.
  Main->btnAddRerunClick();
  FindChild<TDxStringGrid>(Main.get(), "GridReRun")
      ->SetCells(0, 2, FindChild<TDxStringGrid>(Main.get(), "GridReRun")->Cells(0, 1));
  Boxes.Expect(TMsgKind::Confirmation, "Session: WHEAT already exists. Overwrite?", TMsgResult::Ok);
  Boxes.Expect(TMsgKind::Error);
  SaveAs("WHEAT.krl");
  EXPECT_EQ(Boxes.Shown().back().Text.rfind("same RUNNAM not allowed", 0), 0u) << Boxes.Shown().back().Text;
  EXPECT_EQ(Read("runio/WHEATti.tim"), Timer);
  EXPECT_EQ(Read("runio/WHEAT.krl"), Options);
  EXPECT_EQ(Read("output/WHEAT.out"), "saved output");

  Boxes.Expect(TMsgKind::Error);
  SaveAs("other.krl");
  EXPECT_FALSE(Exists("runio/OTHER.krl"));
  EXPECT_TRUE(Caption().endsWith(" - Session: WHEAT"));
  EXPECT_EQ(TheSession->FileManager().KRLName(), "WHEAT");
}

TEST_F(TMainWindow, OpenReplacesTheWorkingFilesAndResetNoChangesNothing) {
  Start();
  FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->Button(2)->click();
  SaveAs("wheat.krl");
  Home.Dir().Write("output/WHEAT.out", "saved output");

  Boxes.Expect(TMsgKind::Confirmation, "Reset all data to defaults?", TMsgResult::No);
  Main->Reset1Click();
  EXPECT_EQ(FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->ItemIndex(), 2);
  Boxes.Expect(TMsgKind::Confirmation, "Reset all data to defaults?", TMsgResult::Yes);
  FindChild<QToolButton>(Main.get(), "BtnReset")->click();
  EXPECT_EQ(FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->ItemIndex(), 1);
  EXPECT_EQ(Caption(), "KORVAL Control Zudezo - Session: KRL");

  Home.Dir().Write("output/KRL.OUT", "working output");
  Dialogs.ExpectFile(QString::fromStdString(Home.Path("runio/WHEAT.krl")));
  Main->Open1Click();
  EXPECT_EQ(Dialogs.FileRequests().back().Title, "Open File...");
  EXPECT_EQ(Read("runio/RUNOPT.DAT"), Read("runio/WHEAT.krl"));
  EXPECT_EQ(Read("output/KRL.OUT"), "saved output");
  EXPECT_EQ(FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->ItemIndex(), 2);
  EXPECT_TRUE(Caption().endsWith(" - Session: WHEAT"));
}

// ---- the pages

TEST(PageRules, EnableWhatTheChoicesNeed) {
  struct Case {
    int P, Start, End;
    bool Ground, Drain;
    int Format;
    const char* Expected;  // the rules' answers in the order below, 1 = enabled
  };
  // WaterLimited NutrientsTab StartDays Emergence Sowing Earliest Ultimate
  // EndDate Duration SoilWater Moisture Table Drainage DrainChecked Depth Years
  const Case Cases[] = {
      {0, 0, 0, false, false, 2, "0011000101100001"}, {2, 1, 2, false, false, 2, "1110100111100001"},
      {1, 2, 1, true, true, 2, "1010011010011111"},   {1, -1, -1, true, false, 1, "1000000000011000"},
      {1, 0, 0, false, true, 1, "1011000101100000"},  // drainage unchecked without groundwater
  };
  for (const Case& C : Cases) {
    const TPageRules R = PageRules(C.P, C.Start, C.End, C.Ground, C.Drain, C.Format);
    const bool Got[] = {R.WaterLimited,       R.NutrientsTab,
                        R.StartDays,          R.FixedEmergenceDate,
                        R.FixedSowingDate,    R.EarliestSowingDate,
                        R.UltimateSowingDate, R.FixedEndDate,
                        R.MaximumDuration,    R.InitialAvailableSoilWater,
                        R.MaximumMoisture,    R.InitialGroundWaterTable,
                        R.Drainage,           R.DrainageChecked,
                        R.DrainageDepth,      R.Years};
    std::string S;
    for (bool B : Got) S += B ? '1' : '0';
    EXPECT_EQ(S, C.Expected) << C.P << " " << C.Start << " " << C.End << " " << C.Ground << C.Drain << " "
                             << C.Format;
  }
}

TEST_F(TMainWindow, TheChoicesEnableTheirControls) {
  Start();
  const auto TabVisible = [&] {
    for (int I = 0; I < FindChild<QTabWidget>(Main.get(), "pgcSession")->count(); ++I)
      if (FindChild<QTabWidget>(Main.get(), "pgcSession")
              ->widget(I)
              ->isAncestorOf(FindChild<QWidget>(Main.get(), "tbsNutrients")))
        return FindChild<QTabWidget>(Main.get(), "pgcSession")->isTabVisible(I);
    return false;
  };
  FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->Button(0)->click();
  EXPECT_FALSE(FindChild<TRadioGroup>(Main.get(), "RgTypeOfWaterLimitedCropGrowth")->isEnabled());
  EXPECT_FALSE(FindChild<TRadioGroup>(Main.get(), "RgSoilWaterBalance")->isEnabled());
  EXPECT_FALSE(FindChild<TDxIntMemo>(Main.get(), "mmStartDay")->isEnabled());
  EXPECT_FALSE(FindChild<TDxIntMemo>(Main.get(), "mmOutputInterval")->isEnabled());
  EXPECT_FALSE(FindChild<QLabel>(Main.get(), "lblStartday")->isEnabled());
  EXPECT_FALSE(TabVisible());
  FindChild<TRadioGroup>(Main.get(), "RgProductionLevels")->Button(2)->click();
  EXPECT_TRUE(FindChild<TDxIntMemo>(Main.get(), "mmStartDay")->isEnabled());
  EXPECT_TRUE(TabVisible());

  FindChild<TRadioGroup>(Main.get(), "RgStartDay")->Button(1)->click();
  EXPECT_TRUE(FindChild<TDxIntMemo>(Main.get(), "mmFixedSowingDate")->isEnabled());
  EXPECT_FALSE(FindChild<TDxIntMemo>(Main.get(), "mmFixedEmergenceDate")->isEnabled());
  EXPECT_FALSE(FindChild<TDxIntMemo>(Main.get(), "mmEarliestSowingDate")->isEnabled());
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmEarliestSowingDate")->palette().color(QPalette::Base),
            QApplication::palette().color(QPalette::Button));
  FindChild<TRadioGroup>(Main.get(), "RgEndDay")->Button(2)->click();
  EXPECT_TRUE(FindChild<TDxIntMemo>(Main.get(), "mmFixedEndDate")->isEnabled());
  EXPECT_TRUE(FindChild<TDxIntMemo>(Main.get(), "mmMaximumDuration")->isEnabled());

  FindChild<QCheckBox>(Main.get(), "CbGroundwater")->click();
  ASSERT_TRUE(FindChild<QCheckBox>(Main.get(), "CbGroundwater")->isChecked());
  FindChild<QCheckBox>(Main.get(), "CbDrainage")->click();
  EXPECT_TRUE(FindChild<TDxFloatMemo>(Main.get(), "mmDrainageDepth")->isEnabled());
  EXPECT_FALSE(FindChild<TDxFloatMemo>(Main.get(), "mmMaximumMoisture")->isEnabled());
  FindChild<QCheckBox>(Main.get(), "CbGroundwater")->click();
  EXPECT_FALSE(FindChild<QCheckBox>(Main.get(), "CbDrainage")->isChecked());
  EXPECT_FALSE(FindChild<QCheckBox>(Main.get(), "CbDrainage")->isEnabled());
  EXPECT_FALSE(FindChild<TDxFloatMemo>(Main.get(), "mmDrainageDepth")->isEnabled());
  EXPECT_TRUE(FindChild<TDxFloatMemo>(Main.get(), "mmMaximumMoisture")->isEnabled());
}

TEST_F(TMainWindow, TheStartYearAndTheYearsFollowTheStation) {
  // A station with the years 1987 to 1990.
  for (int Y = 1987; Y <= 1990; ++Y)
    Home.Dir().Write("meteo/merawe/TST1." + std::to_string(Y).substr(1),
                     "** KRLDESCRIPTION=Test station\r\n** KRLFORMAT=2\r\n** KRLYEARNR=" + std::to_string(Y) +
                         "\r\n 5.0 52.0 10.0\r\n");
  Start();
  FindChild<TDxIntMemo>(Main.get(), "mmYear")->SetiValue(1995);
  FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->SetiValue(3);
  FindChild<QListWidget>(Main.get(), "LbStation")
      ->setCurrentRow(FindChild<QListWidget>(Main.get(), "LbStation")->count() - 1);
  ASSERT_EQ(FindChild<QListWidget>(Main.get(), "LbStation")->currentItem()->text(), "Test station");
  EXPECT_EQ(FindChild<QLineEdit>(Main.get(), "EditFirstYear")->text(), "1987");
  EXPECT_EQ(FindChild<QLineEdit>(Main.get(), "EditLastYear2")->text(), "1990");
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmYear")->iValue(), 1987);  // after the last year: the first
  EXPECT_EQ(TheSession->Weather().Year(), 1987);

  Show();
  FindChild<TDxIntMemo>(Main.get(), "mmYear")->setFocus();
  FindChild<TDxIntMemo>(Main.get(), "mmYear")->setText("1989");
  FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->setFocus();  // leaving the year field
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->iValue(), 2);
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->iMaximum(), 2);
}

TEST_F(TMainWindow, ASoilClickStoresTheYearJustTyped) {
  Start();
  FindChild<TDxIntMemo>(Main.get(), "mmYear")->setText("1985");
  FindChild<QListWidget>(Main.get(), "LbSoilNo")->setCurrentRow(2);
  EXPECT_EQ(TheSession->Weather().Year(), 1985);
  EXPECT_EQ(TheSession->Soil().SoilFile(), "SAND.SOL");
}

TEST_F(TMainWindow, AToolButtonChecksTheFieldBeingEditedFirst) {
  Start();
  Show();
  FindChild<QTabWidget>(Main.get(), "pgcSession")
      ->setCurrentWidget(FindChild<QWidget>(Main.get(), "TbsTimer")->parentWidget()->parentWidget());
  FindChild<TDxIntMemo>(Main.get(), "mmOutputInterval")->setFocus();
  const QString Before = FindChild<TDxIntMemo>(Main.get(), "mmOutputInterval")->text();
  FindChild<TDxIntMemo>(Main.get(), "mmOutputInterval")->setText("9999");
  Boxes.Expect(TMsgKind::Error);  // and no Reset question
  FindChild<QToolButton>(Main.get(), "BtnReset")->click();
  EXPECT_EQ(Boxes.Shown().back().Text.rfind("Value out of range:9999\r\nAllowed range: ", 0), 0u);
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmOutputInterval")->text(), Before);
}

// A value typed out of range names the field it was typed into.
TEST_F(TMainWindow, ARefusedValueNamesItsField) {
  Start();
  Show();
  FindChild<QTabWidget>(Main.get(), "pgcSession")
      ->setCurrentWidget(FindChild<QWidget>(Main.get(), "tbsCrop"));
  FindChild<TDxIntMemo>(Main.get(), "mmMaximumDuration")->setEnabled(true);
  FindChild<TDxIntMemo>(Main.get(), "mmFixedSowingDate")->setEnabled(true);
  FindChild<TDxIntMemo>(Main.get(), "mmFixedSowingDate")->setFocus();
  FindChild<TDxIntMemo>(Main.get(), "mmFixedSowingDate")->selectAll();
  QTest::keyClicks(FindChild<TDxIntMemo>(Main.get(), "mmFixedSowingDate"), "400");
  Boxes.Expect(TMsgKind::Error);
  QTest::keyClick(FindChild<TDxIntMemo>(Main.get(), "mmFixedSowingDate"), Qt::Key_Tab);
  const std::string Text = Boxes.Shown().back().Text;
  EXPECT_EQ(Text.rfind("Value out of range:400\r\nAllowed range: ", 0), 0u) << Text;
  EXPECT_NE(Text.find("\r\nField: "), std::string::npos) << Text;
}

TEST_F(TMainWindow, ReRunsGrowToNineAndTableVariablesOpenTheirEditor) {
  Start();
  for (int I = 1; I < 9; ++I) FindChild<QPushButton>(Main.get(), "btnAddRerun")->click();
  EXPECT_EQ(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->RowCount(), 10);
  EXPECT_FALSE(FindChild<QPushButton>(Main.get(), "btnAddRerun")->isEnabled());
  FindChild<TDxStringGrid>(Main.get(), "GridReRun")->SetCurrentCell(0, 9);
  Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Ok);
  FindChild<QPushButton>(Main.get(), "btnRemoveRerun")->click();
  EXPECT_EQ(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->RowCount(), 9);
  EXPECT_TRUE(FindChild<QPushButton>(Main.get(), "btnAddRerun")->isEnabled());

  // A table variable: read-only in the grid, the editor on a right click.
  TRerunVarList Table;
  Table.Add("AMAXTB", FindCatalogueVar("AMAXTB")->GetCopy());
  Main->StorePages();
  TheSession->Rerun().AddRerunVarList(Table);
  Main->FillReruns();
  ASSERT_EQ(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->Cells(1, 0), "AMAXTB");
  FindChild<TDxStringGrid>(Main.get(), "GridReRun")->SetCurrentCell(1, 1);
  EXPECT_FALSE(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->Editing());
  EXPECT_EQ(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->statusTip(),
            "Use right mousebutton to change values.");
  Main->GridReRunMouseDown(Qt::LeftButton, 1, 1);  // nothing
  Dialogs.ExpectModal("FormEditRerun", AcceptDialog);
  Main->GridReRunMouseDown(Qt::RightButton, 1, 1);
  FindChild<TDxStringGrid>(Main.get(), "GridReRun")->SetCurrentCell(0, 1);
  EXPECT_TRUE(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->Editing());
  EXPECT_TRUE(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->statusTip().isEmpty());

  // The run name stays; another variable goes from every rerun.
  Boxes.Expect(TMsgKind::Information, "It is not allowed to remove the variable RUNNAM.");
  FindChild<QPushButton>(Main.get(), "btnRemoveVar")->click();
  FindChild<TDxStringGrid>(Main.get(), "GridReRun")->SetCurrentCell(1, 3);
  Boxes.Expect(TMsgKind::Confirmation, "Are you sure you want to delete variable: AMAXTB", TMsgResult::Ok);
  FindChild<QPushButton>(Main.get(), "btnRemoveVar")->click();
  EXPECT_EQ(FindChild<TDxStringGrid>(Main.get(), "GridReRun")->ColCount(), 1);
}

TEST_F(TMainWindow, TheHelpCommands) {
  Start();
  std::vector<std::string> Opened;
  auto Old = SetOpenDocumentHandler([&](const std::string& F) {
    Opened.push_back(F);
    return 42;
  });
  Boxes.Expect(TMsgKind::Error, "The manual " + Home.Bin() +
                                    "KRL_Manual.pdf was not found. The help pages (F1) hold the same text.");
  FindChild<QToolButton>(Main.get(), "BtnHelp")->click();
  Home.Dir().Write("bin/KRL_Manual.pdf", "%PDF-1.4");
  FindChild<QAction>(Main.get(), "Contents1")->trigger();
  FindChild<QAction>(Main.get(), "Korvalwebsite1")->trigger();
  SetOpenDocumentHandler(Old);
  ASSERT_EQ(Opened.size(), 2u);
  EXPECT_EQ(Opened[0], Home.Bin() + "KRL_Manual.pdf");
  EXPECT_EQ(Opened[1], Home.Bin() + "help/model.html");
}

TEST_F(TMainWindow, F1OnASessionFieldOpensTheTopicOfItsPage) {
  Home.Dir().Write("bin/help/index.html", "<html></html>");
  Home.Dir().Write("bin/help/4005.html", "<html></html>");
  Start();
  Show();
  InstallHelpKey(*qApp);
  std::vector<std::string> Opened;
  auto Old = SetOpenDocumentHandler([&](const std::string& F) {
    Opened.push_back(F);
    return 42;
  });
  auto* Tabs = Main->findChild<QTabWidget*>("pgcSession");
  ASSERT_NE(Tabs, nullptr);
  QTest::mouseClick(Tabs->tabBar(), Qt::LeftButton, {}, Tabs->tabBar()->tabRect(4).center());
  auto* Field = Main->findChild<QLineEdit*>("mmMaximumSurfaceStorage");
  ASSERT_NE(Field, nullptr);
  QTest::mouseClick(Field, Qt::LeftButton);
  QTest::keyClick(Field, Qt::Key_F1);
  // The page's list has no topic of its own: F1 there opens the contents.
  QTest::mouseClick(Main->findChild<QListWidget*>("LbSoilNo")->viewport(), Qt::LeftButton);
  QTest::keyClick(Main->findChild<QListWidget*>("LbSoilNo"), Qt::Key_F1);
  SetOpenDocumentHandler(Old);
  ASSERT_EQ(Opened.size(), 2u);
  EXPECT_EQ(Opened[0], Home.Bin() + "help/4005.html");
  EXPECT_EQ(Opened[1], Home.Bin() + "help/index.html");
}

TEST_F(TMainWindow, TheDialogButtonsOpenTheirDialogs) {
  Start();
  Dialogs.ExpectModal("FormSelect", RejectDialog);
  FindChild<QPushButton>(Main.get(), "btnSelectVar")->click();
  EXPECT_FALSE(Exists("runio/KRLTI.TIM"));  // nothing chosen, nothing written
  Dialogs.ExpectModal("FormSelect", AcceptDialog);
  FindChild<QPushButton>(Main.get(), "btnSelectVar")->click();
  EXPECT_TRUE(Exists("runio/KRLTI.TIM"));
  Dialogs.ExpectModal("FormRainfall", RejectDialog);
  FindChild<QPushButton>(Main.get(), "BtnRainfall")->click();
}

// ---- the text viewer commands

TEST_F(TMainWindow, TheViewerCommands) {
  Start();
  Boxes.Expect(TMsgKind::Error, "File '..\\RUNIO\\KRL.LOG' not found");
  FindChild<QAction>(Main.get(), "Viewlogfile1")->trigger();  // and no window

  Home.Dir().Write("output/notes.txt", "a line\r\n");
  Dialogs.ExpectFile(QString::fromStdString(Home.Path("output/notes.txt")));
  Dialogs.ExpectModal("FormDxEdit", [](QDialog& D) {
    auto& E = static_cast<TFormDxEdit&>(D);
    EXPECT_TRUE(E.ViewOnly());
    EXPECT_TRUE(E.Memo->isReadOnly());
    EXPECT_EQ(E.Memo->toPlainText(), "a line\n");
    return RejectDialog(D);
  });
  FindChild<QAction>(Main.get(), "ViewFile1")->trigger();
  EXPECT_EQ(fs::canonical(Dialogs.FileRequests().back().InitialDir.toStdString()),
            fs::canonical(Home.Path("output")));

  Dialogs.ExpectFile(QString::fromStdString(Home.Path("output/notes.txt")));
  Dialogs.ExpectModal("FormDxEdit", [](QDialog& D) {
    auto& E = static_cast<TFormDxEdit&>(D);
    EXPECT_FALSE(E.ViewOnly());
    EXPECT_FALSE(E.Memo->isReadOnly());
    return RejectDialog(D);
  });
  FindChild<QAction>(Main.get(), "EditFile1")->trigger();
  Dialogs.ExpectFile("");  // cancelled: no window
  FindChild<QAction>(Main.get(), "ViewFile1")->trigger();
}

// ---- runs from the window

TEST_F(TMainWindow, ARunThatSucceeds) {
  Start();
  ChooseSampleSession();
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  RunFromWindow();
  EXPECT_TRUE(TheSession->FileManager().DetailedOutputAvailable());
  EXPECT_EQ(FindChild<QStatusBar>(Main.get(), "StatusBar")->currentMessage(), "Simulation successful");
  EXPECT_FALSE(FindChild<QWidget>(Main.get(), "PnlRun")->isVisibleTo(Main.get()));
  EXPECT_TRUE(FindChild<QAction>(Main.get(), "Run1")->isEnabled());
  EXPECT_EQ(GetCurrentDir() + "/", Home.Bin());
  EXPECT_NE(Read("runio/KRL.LOG").find("Simulation finished."), std::string::npos);
}

namespace {
// The one box of a failed run: its first line, and the model's text or the
// reason below it, with the log named.
int ExpectFailureBox(QDialog& D, const QString& Headline, const QString& Report) {
  EXPECT_EQ(FindChild<QLabel>(&D, "LblRunFailed")->text(), Headline);
  const QString Text = FindChild<QPlainTextEdit>(&D, "MemoRunFailed")->toPlainText();
  EXPECT_TRUE(Text.contains(Report)) << Text.toStdString();
  EXPECT_TRUE(Text.contains("(See also ..\\RUNIO\\KRL.LOG)")) << Text.toStdString();
  Click(FindChild<QPushButton>(&D, "BtnClose"));
  return D.result();
}
}  // namespace

TEST_F(TMainWindow, ARunWithAModelError) {
  Start();
  ChooseSampleSession();
  // The second rerun starts in a year without weather.
  Main->StorePages();
  TKvRerun& R = TheSession->Rerun();
  R.SetUseReRuns(true);
  R.AddRerun();
  ASSERT_TRUE(R.AddRerunVar(1, "ISYR=1960"));
  Main->FillReruns();
  Dialogs.ExpectModal("FormRunFailed",
                      [](QDialog& D) { return ExpectFailureBox(D, "Simulation failed.", "ERROR in file "); });
  RunFromWindow();
  EXPECT_FALSE(TheSession->FileManager().DetailedOutputAvailable());
}

// Whichever way a run fails, the box has "Show log" beside the text: a
// click shows the log in the viewer, and the box stays until it is closed.
TEST_F(TMainWindow, ARunWithoutOutputShowsItsBoxAndTheLog) {
  Start();
  ChooseSampleSession();
  for (const auto& E : fs::directory_iterator(Home.Path("meteo/merawe")))
    if (E.path().filename().string().rfind("NLD1.", 0) == 0) fs::remove(E.path());
  bool Viewed = false;
  Dialogs.ExpectModal("FormRunFailed", [&](QDialog& D) {
    Click(FindChild<QPushButton>(&D, "BtnShowLog"));
    EXPECT_TRUE(Viewed);
    EXPECT_TRUE(D.isVisible());
    // The model says which weather it misses, though it left no output.
    return ExpectFailureBox(D, "Simulation failed.\nShow log-file?", "ERROR in file ");
  });
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    auto& E = static_cast<TFormDxEdit&>(D);
    EXPECT_TRUE(E.Wrap());
    EXPECT_EQ(E.FullName(), "..\\RUNIO\\KRL.LOG");
    EXPECT_FALSE(E.Memo->toPlainText().isEmpty());
    Viewed = true;
    return RejectDialog(D);
  });
  RunFromWindow();
  EXPECT_EQ(Dialogs.Pending(), 0u);
}

// A value of a crop file the model refuses: the box names the parameter,
// and "Open file" opens the crop file in the viewer at the model's line.
TEST_F(TMainWindow, AFailedRunsBoxOpensTheDataFileAtTheLine) {
  Start();
  ChooseSampleSession();
  const std::string Crop = MapFileName(Home.Path("cropd/SBARLEY.CRP"));
  std::string Text = ReadFileBytes(Crop);
  const size_t At = Text.find("TSUM1  = 800.");
  ASSERT_NE(At, std::string::npos);
  Text.replace(At, 13, "TSUM1  = 9000");
  WriteFileBytes(Crop, Text);
  // The check sees that the crop cannot mature in time; the user runs anyway.
  Dialogs.ExpectModal("FormRunCheck", [](QDialog& D) {
    Click(FindChild<QPushButton>(&D, "BtnRunAnyway"));
    return D.result();
  });
  Dialogs.ExpectModal("FormRunFailed", [](QDialog& D) {
    const QString Shown = FindChild<QPlainTextEdit>(&D, "MemoRunFailed")->toPlainText();
    EXPECT_TRUE(Shown.contains("key TSUM1")) << Shown.toStdString();
    EXPECT_TRUE(Shown.contains("TSUM1 in ")) << Shown.toStdString();
    EXPECT_EQ(D.findChild<QPushButton*>("BtnGoToField"), nullptr);
    Click(FindChild<QPushButton>(&D, "BtnOpenFile"));
    return D.result();
  });
  Dialogs.ExpectModal("FormDxEdit", [](QDialog& D) {
    auto& E = static_cast<TFormDxEdit&>(D);
    EXPECT_NE(E.FullName().find("SBARLEY.CRP"), std::string::npos) << E.FullName();
    EXPECT_EQ(E.Memo->textCursor().blockNumber() + 1, 12);
    return RejectDialog(D);
  });
  RunFromWindow();
  EXPECT_EQ(Dialogs.Pending(), 0u);
}

namespace {
// A model that writes a line and then keeps running.
void SlowModel(const TSampleHome& Home) {
  const std::string Model = Home.Path("bin/korval.exe");
  fs::remove(Model);
  WriteFileBytes(Model, "#!/bin/sh\necho 'Simulating year 1980'\nexec sleep 30\n");
  fs::permissions(Model, fs::perms::owner_all);
}
}  // namespace

TEST_F(TMainWindow, ARunStoppedByTheUserWhileCommandsThatWouldDisturbItAreRefused) {
  SlowModel(Home);
  Start();
  ChooseSampleSession();
  bool Stopped = false;
  RunFromWindow([&] {
    if (Stopped || FindChild<QWidget>(Main.get(), "PnlRun")->isHidden() ||
        !FindChild<QLabel>(Main.get(), "LblRunLog")->text().contains("Simulating"))
      return;
    if (FindChild<QPushButton>(Main.get(), "BtnStopWaiting")->isEnabled()) return;  // not yet seen running
    EXPECT_TRUE(FindChild<QLabel>(Main.get(), "LblRunTime")->text().startsWith("Running the model: 0:0"));
    EXPECT_FALSE(FindChild<QAction>(Main.get(), "Run1")->isEnabled());
    EXPECT_FALSE(FindChild<QToolButton>(Main.get(), "BtnReset")->isEnabled());
    EXPECT_FALSE(FindChild<QAction>(Main.get(), "Open1")->isEnabled());
    EXPECT_FALSE(FindChild<QToolButton>(Main.get(), "BtnExit")->isEnabled());
    Main->Run1Click();  // refused
    Main->Exit1Click();
    // Closing asks first; No keeps the run and the window.
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::No);
    Main->close();
    Stopped = true;
    Dialogs.ExpectModal("FormRunFailed", [](QDialog& D) {
      return ExpectFailureBox(D, "The run was stopped before the model had finished.",
                              "The last line of the model's log: Simulating year 1980");
    });
    FindChild<QPushButton>(Main.get(), "BtnStopRun")->click();
  });
  EXPECT_TRUE(Stopped);
  EXPECT_FALSE(RunInProgress());
  EXPECT_FALSE(RunProgress().ModelRunning);
  EXPECT_TRUE(
      FindChild<QStatusBar>(Main.get(), "StatusBar")->currentMessage().startsWith("The run was stopped"));
  EXPECT_FALSE(Exists("runio/KRL$$$.TMP"));
  EXPECT_TRUE(FindChild<QAction>(Main.get(), "Run1")->isEnabled());
}

TEST_F(TMainWindow, ClosingDuringARunStopsItAndClosesAfterwards) {
  SlowModel(Home);
  Start();
  Show();
  ChooseSampleSession();
  bool Asked = false;
  RunFromWindow([&] {
    if (Asked || FindChild<QPushButton>(Main.get(), "BtnStopWaiting")->isEnabled() ||
        FindChild<QWidget>(Main.get(), "PnlRun")->isHidden())
      return;
    Asked = true;
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Yes);
    Main->close();
  });
  QApplication::processEvents();
  EXPECT_TRUE(Asked);
  EXPECT_FALSE(Main->isVisible());
}

// The session's crop file has gone: the first crop is chosen as before, and
// the user is told so once, with a note in the status bar until a crop is
// chosen by hand.
TEST_F(TMainWindow, AMissingCropFileIsNamedWithWhatIsChosenInstead) {
  WriteWorkingSession();
  Start(false);
  const std::string Crop = TheSession->Crop().CropFile();
  Main.reset();
  ASSERT_FALSE(Crop.empty());
  fs::remove(MapFileName(Home.Path("cropd/" + Crop)));
  InvalidateDirCache();
  Boxes.Expect(TMsgKind::Information);
  Start(false);
  Show();
  const std::string Text = Boxes.Shown().back().Text;
  EXPECT_EQ(Text.find("The crop file " + Crop + " of the session was not found"), 0u) << Text;
  EXPECT_NE(Text.find("is chosen instead"), std::string::npos) << Text;
  ASSERT_FALSE(FindChild<QLabel>(Main.get(), "LblMissingFiles")->isHidden());
  EXPECT_TRUE(
      FindChild<QLabel>(Main.get(), "LblMissingFiles")->text().contains(QString::fromStdString(Crop)));
  // A click on a crop of the list chooses it, and the note goes.
  QListWidget* L = FindChild<QListWidget>(Main.get(), "LbCropNo");
  const QRect R = L->visualItemRect(L->item(L->count() - 1));
  QTest::mouseClick(L->viewport(), Qt::LeftButton, {}, R.center());
  QTest::qWait(50);
  EXPECT_TRUE(FindChild<QLabel>(Main.get(), "LblMissingFiles")->isHidden());
}

// A mouse click on an entry of the crop, soil or station list chooses it:
// the crop's caption, the soil's file hint and the station's years follow
// the click, and the start year is one the station has.
TEST_F(TMainWindow, AClickInAListChoosesTheEntry) {
  Start();
  Show();
  const auto Click = [&](QWidget* Page, QListWidget* L, int Row) {
    FindChild<QTabWidget>(Main.get(), "pgcSession")->setCurrentWidget(Page);
    QApplication::processEvents();
    ASSERT_LT(Row, L->count());
    QTest::mouseClick(L->viewport(), Qt::LeftButton, {}, L->visualItemRect(L->item(Row)).center());
    EXPECT_EQ(L->currentRow(), Row);
  };
  for (int Row : {1, 3, 0}) {
    SCOPED_TRACE(Row);
    Click(FindChild<QWidget>(Main.get(), "tbsCrop"), FindChild<QListWidget>(Main.get(), "LbCropNo"), Row);
    EXPECT_EQ(FindChild<QLabel>(Main.get(), "lbcrop")->text(),
              "Selected crop: \n" + FindChild<QListWidget>(Main.get(), "LbCropNo")->item(Row)->text());
  }
  Click(FindChild<QWidget>(Main.get(), "tbsSoil"), FindChild<QListWidget>(Main.get(), "LbSoilNo"), 2);
  EXPECT_TRUE(FindChild<QListWidget>(Main.get(), "LbSoilNo")->statusTip().startsWith("File: "));
  EXPECT_EQ(TheSession->Soil().SoilFile(), TheSession->Soil().SoilFileFromListbox(2));
  for (int Row = 0; Row < FindChild<QListWidget>(Main.get(), "LbStation")->count(); ++Row) {
    SCOPED_TRACE(FindChild<QListWidget>(Main.get(), "LbStation")->item(Row)->text().toStdString());
    Click(FindChild<QWidget>(Main.get(), "tbsWeather"), FindChild<QListWidget>(Main.get(), "LbStation"), Row);
    const int First = FindChild<QLineEdit>(Main.get(), "EditFirstYear")->text().toInt(),
              Last = FindChild<QLineEdit>(Main.get(), "EditLastYear")->text().toInt();
    EXPECT_GT(First, 1900);
    EXPECT_GE(Last, First);
    EXPECT_GE(FindChild<TDxIntMemo>(Main.get(), "mmYear")->iValue(), First);
    EXPECT_LE(FindChild<TDxIntMemo>(Main.get(), "mmYear")->iValue(), Last);
  }
}

// A working session that asks for more years than its station has: the
// fields take the years the station has, and a run never gets 0 years.
TEST_F(TMainWindow, MoreYearsThanTheStationHasAreLimitedToItsYears) {
  WriteWorkingSession();
  std::string Timer = Read("runio/KRLTI.TIM");
  const size_t At = Timer.find("INYEAR  = ");
  ASSERT_NE(At, std::string::npos);
  Timer.replace(At, Timer.find("\r\n", At) - At, "INYEAR  = 40");
  WriteFileBytes(MapFileName(Home.Path("runio/KRLTI.TIM")), Timer);
  Start(false);
  Show();
  const int First = FindChild<QLineEdit>(Main.get(), "EditFirstYear")->text().toInt(),
            Last = FindChild<QLineEdit>(Main.get(), "EditLastYear")->text().toInt();
  ASSERT_LT(Last - First + 1, 40);
  const int Year = FindChild<TDxIntMemo>(Main.get(), "mmYear")->iValue();
  EXPECT_GE(Year, First);
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->iMinimum(), 1);
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->iMaximum(), Last - Year + 1);
  EXPECT_EQ(FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->iValue(), Last - Year + 1);
  Main->StorePages();
  EXPECT_EQ(TheSession->Weather().ConsecutiveYears(), Last - Year + 1);
}

// A working file that cannot be read (a named pipe in its place) costs what
// it held, not the lists: the session starts from its defaults with every
// crop, soil and station to choose.
TEST_F(TMainWindow, AnUnreadableWorkingFileLeavesTheListsFilled) {
  WriteWorkingSession();
  const std::string Timer = MapFileName(Home.Path("runio/KRLTI.TIM"));
  fs::remove(Timer);
  ASSERT_EQ(mkfifo(Timer.c_str(), 0600), 0);
  InvalidateDirCache();
  Boxes.Expect(TMsgKind::Error);
  Start(false);
  EXPECT_NE(Boxes.Shown().back().Text.find("KRLti.tim"), std::string::npos) << Boxes.Shown().back().Text;
  EXPECT_GT(FindChild<QListWidget>(Main.get(), "LbCropNo")->count(), 0);
  EXPECT_GT(FindChild<QListWidget>(Main.get(), "LbSoilNo")->count(), 0);
  EXPECT_GT(FindChild<QListWidget>(Main.get(), "LbStation")->count(), 0);
  EXPECT_GT(FindChild<TDxIntMemo>(Main.get(), "mmYear")->iValue(), 1900);
}
