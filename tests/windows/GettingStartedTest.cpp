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
#include <QRadioButton>
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

  // The manual's session: spring barley at station north on medium loam,
  // three seasons from 1980, sown on day 90. A fresh home has no working
  // session, so every choice is the click's.
  ClickEntry(Main.get(), "LbCropNo", "Spring barley");
  const QString Crop = Find<QListWidget>(Main.get(), "LbCropNo")->currentItem()->text();
  ClickEntry(Main.get(), "LbStation", "Station north, daily data (synthetic)");
  TypeInto(Main.get(), "mmYear", "1980");
  TypeInto(Main.get(), "mmConsecutiveYears", "3");
  Click(Find<TRadioGroup>(Main.get(), "RgStartDay")->Button(1));
  TypeInto(Main.get(), "mmFixedSowingDate", "90");
  ClickEntry(Main.get(), "LbSoilNo", "Loam, medium");

  Boxes.Expect(TMsgKind::Information, "Simulation successful");
  Click(Find<QToolButton>(Main.get(), "BtnRun"));
  ASSERT_EQ(Boxes.Shown().size(), 2u);

  const std::string Timer = ReadFileBytes(MapFileName(Home.Path("runio/KRLTI.TIM")));
  for (const char* Line : {"CRFILE  = 'SBARLEY.CRP'", "ISYR    = 1980", "INYEAR  = 3", "IDSOW   = 90"})
    EXPECT_NE(Timer.find(Line), std::string::npos) << Line << " in\n" << Timer;
  const std::string Site = ReadFileBytes(MapFileName(Home.Path("runio/KRLSI.SIT")));
  EXPECT_NE(Site.find("SOFILE = 'LOAM.SOL'"), std::string::npos) << Site;

  int GraphPoints = 0;
  Dialogs.ExpectModal("FormDetailedOutput", [&](QDialog& W) {
    EXPECT_EQ(Find<QComboBox>(&W, "cbYear")->count(), 3);
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
