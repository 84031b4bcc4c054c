// The check before a run in the main window, used with mouse and keys: a
// season the station's weather cannot finish is listed before anything is
// written, and "Go to" brings up the page and puts the focus into the field.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "Kvmain.h"
#include "WinTestSupport.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"

namespace {
// The row of the list whose entry contains Text.
int RowOf(QWidget* Main, const char* List, const QString& Text) {
  auto* L = Main->findChild<QListWidget*>(List);
  for (int i = 0; L && i < L->count(); ++i)
    if (L->item(i)->text().contains(Text, Qt::CaseInsensitive)) return i;
  ADD_FAILURE() << "no entry " << Text.toStdString() << " in " << List;
  return 0;
}

void ClickChoice(QWidget* Main, const char* Group, int Index) {
  auto* G = Find<QGroupBox>(Main, Group);
  ShowPageOf(Main, G);
  const QList<QRadioButton*> Buttons = G->findChildren<QRadioButton*>();
  ASSERT_LT(Index, Buttons.size());
  Click(Buttons[Index]);
}
}  // namespace

TEST(RunCheckWindow, ASeasonTheWeatherCannotFinishStopsTheRunAndGoToFindsTheField) {
  TSampleHome Home;
  SetShellWindowless(true);
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  Boxes.Expect(TMsgKind::Error, "File not found: ..\\RUNIO\\RUNOPT.DAT");
  auto Main = std::make_unique<TFormMain>();
  ASSERT_TRUE(ShowActive(Main.get()));

  // Winter wheat at station north, sown on day 290 of the station's last
  // year, growing until maturity: the season needs the next year's weather.
  ClickRow(Main.get(), "LbCropNo", RowOf(Main.get(), "LbCropNo", "wheat"));
  ClickRow(Main.get(), "LbStation", RowOf(Main.get(), "LbStation", "north"));
  const QString Last = Find<QLineEdit>(Main.get(), "EditLastYear")->text();
  TypeInto(Main.get(), "mmYear", Last);
  TypeInto(Main.get(), "mmConsecutiveYears", "1");
  ClickChoice(Main.get(), "RgStartDay", 1);
  TypeInto(Main.get(), "mmFixedSowingDate", "290");
  ClickChoice(Main.get(), "RgEndDay", 1);
  TypeInto(Main.get(), "mmMaximumDuration", "300");

  QString Listed;
  Dialogs.ExpectModal("FormRunCheck", [&](QDialog& D) {
    auto* List = Find<QListWidget>(&D, "LbProblems");
    EXPECT_EQ(List->count(), 1);
    Listed = List->item(0)->text();
    EXPECT_EQ(D.findChild<QPushButton*>("BtnRunAnyway"), nullptr);  // an error: no running anyway
    Click(Find<QPushButton>(&D, "BtnGoTo"));
    EXPECT_FALSE(D.isVisible());
    return D.result();
  });
  Click(Find<QToolButton>(Main.get(), "BtnRun"));
  EXPECT_EQ(Dialogs.Pending(), 0u);
  EXPECT_TRUE(Listed.startsWith("Error: Timer page, Consecutive years: the season of " + Last + " ends in "))
      << Listed.toStdString();
  // Nothing was written or run.
  EXPECT_FALSE(FileExists(Home.Path("runio/RUN.BAT")));
  EXPECT_FALSE(FileExists(Home.Path("output/KRL.OUT")));
  // The focus is in the field at fault, on its page.
  ASSERT_TRUE(QTest::qWaitForWindowActive(Main.get()));
  auto* Years = Find<QLineEdit>(Main.get(), "mmConsecutiveYears");
  EXPECT_TRUE(Years->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), Years);

  Main.reset();
  SetShellWindowless(false);
}
