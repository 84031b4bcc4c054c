// The rerun and rainfall dialogs end to end, through the main window on a
// fresh sample home: two variables chosen (one a table), two reruns added,
// the table value of one rerun edited in the value editor, the rainfall read
// from the sample rainfall station, the model run without a terminal, and
// the detailed output read back.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <map>
#include <set>

#include "DxGrid.h"
#include "DxInpMemo.h"
#include "Kvmain.h"
#include "QtHandlers.h"
#include "WinTestSupport.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "output/OutDet.h"
#include "platform/Shell.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
class TDialogsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { SetShellWindowless(true); }
  void TearDown() override {
    Main.reset();
    SetShellWindowless(false);
  }

  // Brings the session page that holds Page to the front.
  void ShowPage(QWidget* Page) const {
    for (int i = 0; i < FindChild<QTabWidget>(Main.get(), "pgcSession")->count(); ++i)
      if (FindChild<QTabWidget>(Main.get(), "pgcSession")->widget(i)->isAncestorOf(Page) ||
          FindChild<QTabWidget>(Main.get(), "pgcSession")->widget(i) == Page)
        FindChild<QTabWidget>(Main.get(), "pgcSession")->setCurrentIndex(i);
    ASSERT_TRUE(Page->isVisible());
  }
  static void Choose(QListWidget* List, const QString& Text) {
    const QList<QListWidgetItem*> Found = List->findItems(Text, Qt::MatchExactly);
    ASSERT_EQ(Found.size(), 1) << Text.toStdString();
    List->setCurrentItem(Found.first());
  }
  // A field entered and its text replaced by typing.
  static void TypeInto(QLineEdit* Field, const QString& Text) {
    Field->setFocus();
    Field->selectAll();
    TypeKeys(Text);
  }
  // Keys to whatever has the focus, character by character.
  static void TypeKeys(const QString& Text) {
    for (const QChar C : Text) QTest::keyClicks(QApplication::focusWidget(), QString(C));
  }

  TSampleHome Home;
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TFormMain> Main;
};

TEST_F(TDialogsEndToEnd, RerunsWithAnEditedTableAndARainfallStationReachTheResults) {
  // A fresh home has no working session yet.
  Boxes.Expect(TMsgKind::Error, "File not found: ..\\RUNIO\\RUNOPT.DAT");
  Main = std::make_unique<TFormMain>();
  Main->show();
  Main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
  QApplication::processEvents();
  ShowPage(FindChild<QWidget>(Main.get(), "tbsReruns"));

  // Two crop variables, the first a table.
  Dialogs.ExpectModal("FormSelect", [](QDialog& D) {
    auto* Src = Find<QListWidget>(&D, "SrcList");
    for (const char* Name : {"AMAXTB", "TSUM1"}) {
      Choose(Src, Name);
      QTest::mouseClick(Find<QToolButton>(&D, "IncludeBtn"), Qt::LeftButton);
    }
    QTest::mouseClick(Find<QPushButton>(&D, "OKBtn"), Qt::LeftButton);
    return D.result();
  });
  QTest::mouseClick(FindChild<QPushButton>(Main.get(), "btnSelectVar"), Qt::LeftButton);
  TDxStringGrid* Grid = FindChild<TDxStringGrid>(Main.get(), "GridReRun");
  ASSERT_EQ(Grid->ColCount(), 3);
  EXPECT_EQ(Grid->Cells(1, 0), "AMAXTB");
  EXPECT_EQ(Grid->Cells(2, 0), "TSUM1");
  const QString Table = Grid->Cells(1, 1);
  ASSERT_TRUE(Table.startsWith("0.00,")) << Table.toStdString();

  // Reruns used, two more reruns; the third gets its own TSUM1 in the grid.
  FindChild<QCheckBox>(Main.get(), "CbUseReRuns")->setChecked(true);
  QTest::mouseClick(FindChild<QPushButton>(Main.get(), "btnAddRerun"), Qt::LeftButton);
  QTest::mouseClick(FindChild<QPushButton>(Main.get(), "btnAddRerun"), Qt::LeftButton);
  ASSERT_EQ(Grid->RowCount(), 4);
  EXPECT_EQ(Grid->Cells(0, 3), "KRL3");
  Grid->SetCurrentCell(2, 3);
  Grid->Model()->setData(Grid->Model()->index(2, 2), "1200", Qt::EditRole);

  // The table of the second rerun in the value editor: a right click on its
  // cell, the first maximum raised, OK.
  QString Edited;
  Dialogs.ExpectModal("FormEditRerun", [&](QDialog& D) {
    auto* Values = Find<TDxStringGrid>(&D, "SGValues");
    EXPECT_EQ(Values->Cells(0, 0) + "," + Values->Cells(1, 0), Table.section(',', 0, 1));
    D.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&D));
    Values->setFocus();
    Values->SetCurrentCell(1, 0);
    TypeKeys("60");
    QTest::mouseClick(Find<QPushButton>(&D, "OKBtn"), Qt::LeftButton);
    return D.result();
  });
  Grid->SetCurrentCell(1, 2);
  EXPECT_FALSE(Grid->Editing());
  EXPECT_EQ(Grid->toolTip(), "Use right mousebutton to change values.");
  QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {},
                    Grid->visualRect(Grid->Model()->index(1, 1)).center());
  QTest::mouseClick(Grid->viewport(), Qt::RightButton, {},
                    Grid->visualRect(Grid->Model()->index(1, 1)).center());
  Edited = Grid->Cells(1, 2);
  EXPECT_TRUE(Edited.startsWith("0.00000,60.00000,")) << Edited.toStdString();
  EXPECT_EQ(Grid->Cells(1, 1), Table);
  EXPECT_EQ(Grid->Cells(1, 3), Table);

  // Rainfall from the sample rainfall station, two rain years from 1985.
  ShowPage(FindChild<QWidget>(Main.get(), "tbsWeather"));
  ASSERT_TRUE(FindChild<QPushButton>(Main.get(), "BtnRainfall")->isVisible());
  ASSERT_TRUE(FindChild<QPushButton>(Main.get(), "BtnRainfall")->isEnabled());
  Dialogs.ExpectModal("FormRainfall", [](QDialog& D) {
    D.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&D));
    auto* Option2 = Find<QRadioButton>(&D, "RbOption2");
    QTest::mouseClick(Option2, Qt::LeftButton, {}, QPoint(Option2->height() / 2, Option2->height() / 2));
    auto* Stations = Find<QListWidget>(&D, "LbRainfallStation");
    EXPECT_EQ(Stations->currentItem()->text(), "Rain station north (synthetic)");
    TypeInto(Find<TDxIntMemo>(&D, "mmChooseYear"), "1985");
    TypeInto(Find<TDxIntMemo>(&D, "mmRainfallYears"), "2");
    QTest::mouseClick(Find<QPushButton>(&D, "OKBtn"), Qt::LeftButton);
    return D.result();
  });
  QTest::mouseClick(FindChild<QPushButton>(Main.get(), "BtnRainfall"), Qt::LeftButton);
  const TKvWeather& W = TheSession->Weather();
  EXPECT_EQ(W.RainfallDataOptions(), 2);
  EXPECT_EQ(W.RainfallStationFile(), "RAINN.DAT");
  EXPECT_EQ(W.RainfallYear(), 1985);
  EXPECT_EQ(W.RainfallConsecutiveYears(), 2);

  // The run, windowless. Grain maize cannot mature at the sample station's
  // temperatures: the check before the run warns, and the run goes ahead
  // anyway.
  Dialogs.ExpectModal("FormRunCheck", [](QDialog& D) {
    auto* Problems = Find<QListWidget>(&D, "LbProblems");
    EXPECT_EQ(Problems->count(), 1);
    EXPECT_TRUE(Problems->item(0)->text().contains("the crop will not mature"))
        << Problems->item(0)->text().toStdString();
    Click(Find<QPushButton>(&D, "BtnRunAnyway"));
    return D.result();
  });
  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  Main->Run1Click();
  ASSERT_TRUE(TheSession->FileManager().DetailedOutputAvailable());

  // Every rerun with both rain years of the rainfall file.
  TDetailedOutput Out;
  ASSERT_TRUE(Out.ReadOutputFile(TheSession->FileManager().OutFullName()));
  std::map<std::pair<std::string, std::string>, std::string> Summaries;
  for (const auto& Run : Out.Data.PotentialList) {
    const THeader& H = *Run.Obj->Header;
    EXPECT_NE(H.RainFile.find("RAINN.DAT"), std::string::npos) << H.RainFile;
    EXPECT_EQ(H.RainName, "Rain station north (synthetic)");
    std::string Row;
    for (int k = 1; k <= Run.Obj->Summary.Count(); ++k) Row += Run.Obj->Summary.Value(k).Str() + " ";
    Summaries[{TrimBlanks(H.RunName.Str()), TrimBlanks(H.RainYear.Str())}] = Row;
  }
  std::set<std::pair<std::string, std::string>> Seasons;
  for (const auto& S : Summaries) Seasons.insert(S.first);
  const std::set<std::pair<std::string, std::string>> Expected = {{"KRL1", "1985"}, {"KRL1", "1986"},
                                                                  {"KRL2", "1985"}, {"KRL2", "1986"},
                                                                  {"KRL3", "1985"}, {"KRL3", "1986"}};
  EXPECT_EQ(Seasons, Expected);

  // The edited table and the third rerun's TSUM1 went to the model: those
  // reruns' seasons differ from the first's.
  const TRerunVarList& Second = *TheSession->Rerun().RerunList.Objects(1);
  EXPECT_EQ(FromCore(Second.Objects(1)->Value()), Edited);
  const TRerunVarList& Third = *TheSession->Rerun().RerunList.Objects(2);
  EXPECT_EQ(Third.Objects(2)->Value(), "1200.0");  // written as the model reads it
  auto Summary = [&](const char* Run) {
    return Summaries[std::make_pair(std::string(Run), std::string("1985"))];
  };
  EXPECT_NE(Summary("KRL2"), Summary("KRL1"));
  EXPECT_NE(Summary("KRL3"), Summary("KRL1"));
}
}  // namespace
