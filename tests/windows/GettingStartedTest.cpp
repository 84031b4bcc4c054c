// The getting-started path of the manual as a person takes it, with the mouse
// and the keyboard only, on a fresh sample home: choose a crop, a station and
// a soil by clicking them, type the years, run, open the detailed window,
// draw the yield graph of the storage organs and export the table. Widgets are
// found by their names; nothing calls a handler.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "DxGrid.h"
#include "KvChart.h"
#include "KvTView.h"
#include "Kvmain.h"
#include "WinTestSupport.h"
#include "foundations/DxUtil.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"

namespace {
// The documents the program hands to the desktop, instead of opening them.
class TOpened {
 public:
  TOpened() {
    FOld = SetOpenDocumentHandler([this](const std::string& Name) {
      Files.push_back(Name);
      return ShellCode::Ok;
    });
  }
  ~TOpened() { SetOpenDocumentHandler(std::move(FOld)); }
  std::vector<std::string> Files;

 private:
  TOpenDocumentHandler FOld;
};

}  // namespace

TEST(GettingStarted, ChooseByMouseTypeTheYearsRunLookDrawAndExport) {
  TSampleHome Home;
  SetShellWindowless(true);
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  TOpened Opened;
  // A fresh home has no working session yet.
  Boxes.Expect(TMsgKind::Error, "File not found: ..\\RUNIO\\RUNOPT.DAT");
  auto Main = std::make_unique<TFormMain>();
  ASSERT_TRUE(ShowActive(Main.get()));

  // Spring barley on loam at station north: entries the sample session does
  // not have, so that every click changes the session.
  ClickRow(Main.get(), "LbCropNo", 3);
  const QString Crop = Find<QListWidget>(Main.get(), "LbCropNo")->currentItem()->text();
  ClickRow(Main.get(), "LbStation", 0);
  const int First = Find<QLineEdit>(Main.get(), "EditFirstYear")->text().toInt();
  ASSERT_GT(First, 1900);
  TypeInto(Main.get(), "mmYear", QString::number(First));
  TypeInto(Main.get(), "mmConsecutiveYears", "2");
  ClickRow(Main.get(), "LbSoilNo", 2);

  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  Click(Find<QToolButton>(Main.get(), "BtnRun"));
  ASSERT_EQ(Boxes.Shown().size(), 2u);

  const std::string Timer = ReadFileBytes(MapFileName(Home.Path("runio/KRLTI.TIM")));
  EXPECT_NE(Timer.find("ISYR    = " + std::to_string(First)), std::string::npos) << Timer;
  EXPECT_NE(Timer.find("INYEAR  = 2"), std::string::npos) << Timer;

  int GraphPoints = 0;
  Dialogs.ExpectModal("FormDetailedOutput", [&](QDialog& W) {
    EXPECT_EQ(Find<QComboBox>(&W, "cbYear")->count(), 2);
    EXPECT_GT(Find<TDxStringGrid>(&W, "SgPotential")->RowCount(), 10);
    Click(Find<QPushButton>(&W, "BtnGraph"));
    Click(Find<QPushButton>(&W, "btnExcelPotential"));
    Click(Find<QPushButton>(&W, "OKBtn"));
    return W.result();
  });
  Dialogs.ExpectModal("FormTableView", [&](QDialog& D) {
    auto& Graph = static_cast<TFormTableView&>(D);
    ChooseEntry(Find<QComboBox>(&D, "CbColumns1"), "Living Storage Organs (WSO)");
    EXPECT_EQ(Graph.Chart()->AxisLeft()->titleText(), "WSO (kg/ha)");
    for (const TKvCurve* C : Graph.Chart()->Curves()) GraphPoints += static_cast<int>(C->points().size());
    Click(Find<QPushButton>(&D, "BtnClose"));
    return D.result();
  });
  Click(Find<QToolButton>(Main.get(), "BtnDetailedOutput"));
  EXPECT_EQ(Dialogs.Pending(), 0u);
  EXPECT_GT(GraphPoints, 20);

  ASSERT_EQ(Opened.Files.size(), 1u);
  const QFileInfo Book(QString::fromStdString(Opened.Files[0]));
  EXPECT_EQ(Book.suffix(), "xlsx");
  EXPECT_GT(Book.size(), 1000);
  EXPECT_TRUE(Main->windowTitle().contains("KRL")) << Main->windowTitle().toStdString();
  EXPECT_FALSE(Crop.isEmpty());
  Main.reset();
  SetShellWindowless(false);
}
