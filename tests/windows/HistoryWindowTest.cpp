// The run history as a person uses it: two real runs from the main window
// that differ in sowing day and soil, then Result > History..., both runs
// selected with the mouse and compared; a run's results opened; a run's
// inputs restored as the working session; a run deleted.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "DxGrid.h"
#include "KvChart.h"
#include "Kvmain.h"
#include "WinTestSupport.h"
#include "platform/Shell.h"

namespace {
class THistoryWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SetShellWindowless(true);
    FOldOpen = SetOpenDocumentHandler([this](const std::string& Name) {
      Opened.push_back(Name);
      return ShellCode::Ok;
    });
    // A fresh home has no working session yet.
    Boxes.Expect(TMsgKind::Error, "File not found: ..\\RUNIO\\RUNOPT.DAT");
    Main = std::make_unique<TFormMain>();
    Main->show();
    Main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
    // Two years of a crop at a station, then the same with another sowing
    // day and soil.
    ClickRow(Main.get(), "LbCropNo", 3);
    ClickRow(Main.get(), "LbStation", 0);
    TypeInto(Main.get(), "mmYear", Find<QLineEdit>(Main.get(), "EditFirstYear")->text());
    TypeInto(Main.get(), "mmConsecutiveYears", "2");
    ClickRow(Main.get(), "LbSoilNo", 2);
    FirstSowing = Find<QLineEdit>(Main.get(), "mmFixedSowingDate")->text();
    Run();
    TypeInto(Main.get(), "mmFixedSowingDate", QString::number(FirstSowing.toInt() + 20));
    ClickRow(Main.get(), "LbSoilNo", 1);
    Run();
  }
  void TearDown() override {
    Main.reset();
    SetOpenDocumentHandler(std::move(FOldOpen));
    SetShellWindowless(false);
  }
  void Run() {
    Boxes.Expect(TMsgKind::Information, "Simulation successful");
    Click(Find<QToolButton>(Main.get(), "BtnRun"));
    ASSERT_EQ(Boxes.Pending(), 0u);
  }
  // A click on a row of the runs, with Ctrl added to the selection.
  static void ClickRun(QTableWidget* Grid, int Row, Qt::KeyboardModifiers Keys = {}) {
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, Keys,
                      Grid->visualItemRect(Grid->item(Row, 0)).center());
  }
  void OpenHistory() { Find<QAction>(Main.get(), "History1")->trigger(); }

  TSampleHome Home;
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TFormMain> Main;
  QString FirstSowing;
  std::vector<std::string> Opened;

 private:
  TOpenDocumentHandler FOldOpen;
};
}  // namespace

TEST_F(THistoryWindow, ComparingTwoRunsListsExactlyTheFieldsTheyDifferIn) {
  Dialogs.ExpectModal("FormHistory", [&](QDialog& W) {
    auto* Grid = Find<QTableWidget>(&W, "GridRuns");
    EXPECT_EQ(Grid->rowCount(), 2);
    // Newest first.
    EXPECT_EQ(Grid->item(0, 0)->text(), "2");
    EXPECT_EQ(Grid->item(0, 2)->text(), "successful");
    EXPECT_FALSE(Find<QPushButton>(&W, "BtnCompare")->isEnabled());
    ClickRun(Grid, 0);
    ClickRun(Grid, 1, Qt::ControlModifier);
    EXPECT_TRUE(Find<QPushButton>(&W, "BtnCompare")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&W, "BtnRestore")->isEnabled());
    Click(Find<QPushButton>(&W, "BtnCompare"));
    // One run: its summary results, the caption naming it.
    ClickRun(Grid, 1);
    Click(Find<QPushButton>(&W, "BtnSummary"));
    Click(Find<QPushButton>(&W, "BtnClose"));
    return W.result();
  });
  Dialogs.ExpectModal("FormRunComparison", [&](QDialog& D) {
    auto* Inputs = Find<TDxStringGrid>(&D, "SgInputs");
    EXPECT_EQ(Inputs->RowCount(), 3);
    EXPECT_EQ(Inputs->Cells(2, 1), "IDSOW");
    EXPECT_EQ(Inputs->Cells(0, 1), "Timer");
    EXPECT_EQ(Inputs->Cells(3, 1), FirstSowing);
    EXPECT_EQ(Inputs->Cells(4, 1), QString::number(FirstSowing.toInt() + 20));
    EXPECT_EQ(Inputs->Cells(2, 2), "SOFILE");
    EXPECT_EQ(Inputs->Cells(1, 2), "Available soil types");
    // Two years of two production levels, the sowing day 20 days later.
    auto* Results = Find<TDxStringGrid>(&D, "SgResults");
    EXPECT_EQ(Results->RowCount(), 1 + 2 * 2);
    EXPECT_EQ(Results->Cells(3, 0), "Sowing SOW A");
    EXPECT_EQ(Results->Cells(5, 1), "20");
    Click(Find<QPushButton>(&D, "BtnExcel"));
    Click(Find<QPushButton>(&D, "BtnClose"));
    return D.result();
  });
  Dialogs.ExpectModal("FormOutputSummary", [&](QDialog& D) {
    EXPECT_TRUE(D.windowTitle().startsWith("Summary output - Run 1, ")) << D.windowTitle().toStdString();
    return RejectDialog(D);
  });
  OpenHistory();
  EXPECT_EQ(Dialogs.Pending(), 0u);
  ASSERT_EQ(Opened.size(), 1u);
  const QFileInfo Book(QString::fromStdString(Opened[0]));
  EXPECT_EQ(Book.suffix(), "xlsx");
  EXPECT_GT(Book.size(), 1000);
}

TEST_F(THistoryWindow, TheGraphPageShowsBothRunsCurvesOfTheChosenVariableAndYear) {
  const QString First = Find<QLineEdit>(Main.get(), "EditFirstYear")->text();
  const QString Second = QString::number(First.toInt() + 1);
  const QString Image = QString::fromStdString(Home.Path("compare.png"));
  Dialogs.ExpectModal("FormHistory", [&](QDialog& W) {
    auto* Grid = Find<QTableWidget>(&W, "GridRuns");
    ClickRun(Grid, 0);
    ClickRun(Grid, 1, Qt::ControlModifier);
    Click(Find<QPushButton>(&W, "BtnCompare"));
    Click(Find<QPushButton>(&W, "BtnClose"));
    return W.result();
  });
  Dialogs.ExpectModal("FormRunComparison", [&](QDialog& D) -> int {
    auto* Pages = Find<QTabWidget>(&D, "pcComparison");
    QTest::mouseClick(Pages->tabBar(), Qt::LeftButton, {}, Pages->tabBar()->tabRect(2).center());
    EXPECT_EQ(Pages->currentIndex(), 2);
    auto* Legend = Find<QListWidget>(&D, "LbLegend");
    // Every year of both runs, until a year is chosen.
    ChooseEntry(Find<QComboBox>(&D, "CbVariable"), "Living Leaves (WLV)");
    EXPECT_EQ(Legend->count(), 4);
    ChooseEntry(Find<QComboBox>(&D, "CbYear"), Second);
    QStringList Names;
    for (int i = 0; i < Legend->count(); ++i) Names.append(Legend->item(i)->text());
    EXPECT_EQ(Names.size(), 2);
    EXPECT_TRUE(Names.value(0).endsWith(Second + ", run A")) << Names.join(" | ").toStdString();
    EXPECT_TRUE(Names.value(1).endsWith(Second + ", run B")) << Names.join(" | ").toStdString();
    // Each run's own file: the later sowing and the other soil give another curve.
    auto* Chart = qobject_cast<TKvCurveChart*>(Find<QChartView>(&D, "ChartRuns")->chart());
    EXPECT_NE(Chart, nullptr);
    QList<const TKvCurve*> Shown;
    if (Chart)
      for (const TKvCurve* C : Chart->Curves())
        if (C->isVisible() && C->count() > 0) Shown.append(C);
    EXPECT_EQ(Shown.size(), 2);
    if (Shown.size() == 2) {
      EXPECT_NE(Shown[0]->points(), Shown[1]->points());
    }
    Dialogs.ExpectFile(Image);
    Click(Find<QPushButton>(&D, "BtnSaveImage"));
    Click(Find<QPushButton>(&D, "BtnClose"));
    return D.result();
  });
  OpenHistory();
  EXPECT_EQ(Dialogs.Pending(), 0u);
  const QFileInfo Written(Image);
  EXPECT_GT(Written.size(), 1000);
  ASSERT_FALSE(Dialogs.FileRequests().empty());
  EXPECT_TRUE(Dialogs.FileRequests().back().FileName.contains("WLV"))
      << Dialogs.FileRequests().back().FileName.toStdString();
}

TEST_F(THistoryWindow, RestoringARunRefillsThePagesAndDeletingAsksFirst) {
  Dialogs.ExpectModal("FormHistory", [&](QDialog& W) {
    auto* Grid = Find<QTableWidget>(&W, "GridRuns");
    // Deleting asks; No keeps the run.
    ClickRun(Grid, 0);
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::No);
    Click(Find<QPushButton>(&W, "BtnDelete"));
    EXPECT_EQ(Grid->rowCount(), 2);
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Yes);
    Click(Find<QPushButton>(&W, "BtnDelete"));
    EXPECT_EQ(Grid->rowCount(), 1);
    EXPECT_EQ(Grid->item(0, 0)->text(), "1");
    // Restoring asks too, then the window closes.
    ClickRun(Grid, 0);
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Yes);
    Click(Find<QPushButton>(&W, "BtnRestore"));
    return W.result();
  });
  OpenHistory();
  EXPECT_EQ(Dialogs.Pending(), 0u);
  EXPECT_EQ(Boxes.Pending(), 0u);
  EXPECT_EQ(Find<QLineEdit>(Main.get(), "mmFixedSowingDate")->text(), FirstSowing);
  EXPECT_EQ(Find<QListWidget>(Main.get(), "LbSoilNo")->currentRow(), 2);
}
