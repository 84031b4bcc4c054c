// The rainfall options dialog: options by weather format, enabling and
// colours, the rainfall stations with their years, the year fields, and what
// OK, Cancel and a station click leave in the session.

#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "DxInpMemo.h"
#include "Kvrain.h"
#include "WinTestSupport.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvwthr.h"
#include "session/Kvses.h"

namespace {
class TRainfallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Home.Dir().Write("bin/KRL_VAR.csv", ReadFileBytes(std::string(KRL_SOURCE_DIR) + "/data/bin/KRL_VAR.csv"));
    ASSERT_TRUE(LoadVarCatalogue(Home.Bin() + "KRL_VAR.csv"));
    Session = std::make_unique<TKvSession>();
    TheSession = Session.get();
    Session->Reset();
    // Weather stations of format 2 around the rainfall stations: the dialog
    // offers format 99 only.
    AddStation("Station north", "NLD1.", 2, 1971, 2000);
    AddStation("Rain station A", "RainA.dat", 99, 1976, 1990);
    AddStation("Rain station B", "RAINB.DAT", 99, 1981, 2000);
  }
  void TearDown() override {
    TheSession = nullptr;
    Session.reset();
    FreeDataCatalogue();
    FreeVarCatalogue();
  }

  static void AddStation(const char* Description, const char* File, int Format, int First, int Last) {
    auto Item = std::make_unique<TKorMenuItem>();
    Item->Description = Description;
    Item->FileName = File;
    Item->Format = Format;
    Item->YearBegin = First;
    Item->YearEnd = Last;
    StationList.Add(Description, std::move(Item));
  }
  TKvWeather& Weather() const { return Session->Weather(); }

  // The main window's sequence: create, the options for the weather format,
  // load, show (Body acts on the shown dialog and answers), on OK store.
  int Open(int Format, const std::function<int(TFormRainfall&)>& Body) {
    TFormRainfall Form(nullptr);
    Form.InitRbOptions(Format);
    Form.LoadRainfall();
    TScriptedDialogs Dialogs;
    Dialogs.ExpectModal("FormRainfall", [&](QDialog& D) {
      D.activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&D));
      return Body(Form);
    });
    const int Result = ExecModal(Form);
    if (Result == QDialog::Accepted) Form.StoreRainfall();
    return Result;
  }
  static int PressOk(TFormRainfall& F) {
    QTest::mouseClick(Find<QPushButton>(&F, "OKBtn"), Qt::LeftButton);
    return F.result();
  }
  static int PressCancel(TFormRainfall& F) {
    QTest::mouseClick(Find<QPushButton>(&F, "CancelBtn"), Qt::LeftButton);
    return F.result();
  }
  // A click on the option's button, where its round indicator is.
  static void ClickOption(TFormRainfall& F, int Option) {
    auto* B = Find<QRadioButton>(&F, QString("RbOption%1").arg(Option).toLatin1().constData());
    QTest::mouseClick(B, Qt::LeftButton, {}, QPoint(B->height() / 2, B->height() / 2));
  }
  static QString Text(const TFormRainfall& F, const char* Name) { return Find<QLineEdit>(&F, Name)->text(); }
  // The field's base colour is the window colour (true) or the button face.
  static bool Normal(const QWidget* W) {
    return W->palette().color(QPalette::Base) == QApplication::palette().color(QPalette::Base);
  }
  static QStringList Stations(const TFormRainfall& F) {
    QStringList L;
    const auto* List = Find<QListWidget>(&F, "LbRainfallStation");
    for (int i = 0; i < List->count(); ++i) L << List->item(i)->text();
    return L;
  }

  TProgramHome Home;
  std::unique_ptr<TKvSession> Session;
};

TEST_F(TRainfallTest, TheWeatherFormatEnablesItsOptions) {
  struct TCase {
    int Format;
    bool Enabled[4];
  };
  const TCase Cases[] = {{0, {false, true, true, false}},
                         {1, {true, true, true, false}},
                         {2, {false, false, true, true}},
                         {3, {false, false, true, true}},
                         {7, {true, true, true, true}}};  // unknown: as created
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Format);
    TFormRainfall F(nullptr);
    F.InitRbOptions(C.Format);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Find<QRadioButton>(&F, QString("RbOption%1").arg(i).toLatin1().constData())->isEnabled(),
                C.Enabled[i])
          << "option " << i;
    EXPECT_EQ(Find<QLabel>(&F, "lblOption0")->isEnabled(), C.Enabled[0]);
  }
}

TEST_F(TRainfallTest, ADefaultSessionOpensOnOption3WithBothGroupsDisabled) {
  Open(2, [](TFormRainfall& F) {
    EXPECT_EQ(F.windowTitle(), "Rainfall");
    EXPECT_TRUE(Find<QRadioButton>(&F, "RbOption3")->isChecked());
    EXPECT_FALSE(Find<QGroupBox>(&F, "GbStation")->isEnabled());
    EXPECT_FALSE(Find<QGroupBox>(&F, "GbRuns")->isEnabled());
    EXPECT_EQ(Text(F, "mmNoOfRunsWithRandomizedRain"), "1");
    EXPECT_FALSE(Normal(Find<QWidget>(&F, "mmNoOfRunsWithRandomizedRain")));
    EXPECT_FALSE(Normal(Find<QWidget>(&F, "mmChooseYear")));
    EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>(&F, "OKBtn"));
    return PressOk(F);
  });
  EXPECT_EQ(Weather().RainfallDataOptions(), 3);
  EXPECT_EQ(Weather().NoOfRunsWithRandomizedRain(), 1);
  EXPECT_EQ(Weather().RainfallStationFile(), "RainA.dat");
}

TEST_F(TRainfallTest, Option3TakesTheRunsBackToOne) {
  Weather().SetRainfallDataOptions(1);
  Weather().SetNoOfRunsWithRandomizedRain(5);
  Open(0, [](TFormRainfall& F) {
    EXPECT_EQ(Text(F, "mmNoOfRunsWithRandomizedRain"), "5");
    F.InitRbOptions(2);  // option 3 enabled
    ClickOption(F, 3);
    EXPECT_EQ(Text(F, "mmNoOfRunsWithRandomizedRain"), "1");
    EXPECT_FALSE(Find<QGroupBox>(&F, "GbRuns")->isEnabled());
    return PressOk(F);
  });
  EXPECT_EQ(Weather().RainfallDataOptions(), 3);
  EXPECT_EQ(Weather().NoOfRunsWithRandomizedRain(), 1);
}

TEST_F(TRainfallTest, Option2EnablesTheStationAndGreysTheRuns) {
  Weather().SetRainfallDataOptions(1);  // runs enabled, station not
  Open(1, [](TFormRainfall& F) {
    auto* Runs = Find<QWidget>(&F, "mmNoOfRunsWithRandomizedRain");
    EXPECT_TRUE(Find<QGroupBox>(&F, "GbRuns")->isEnabled());
    EXPECT_TRUE(Normal(Runs));
    ClickOption(F, 2);
    EXPECT_TRUE(Find<QGroupBox>(&F, "GbStation")->isEnabled());
    EXPECT_FALSE(Find<QGroupBox>(&F, "GbRuns")->isEnabled());
    EXPECT_FALSE(Normal(Runs));
    for (const char* Name : {"mmChooseYear", "mmRainfallYears", "LbRainfallStation"})
      EXPECT_TRUE(Normal(Find<QWidget>(&F, Name))) << Name;
    return PressOk(F);
  });
  EXPECT_EQ(Weather().RainfallDataOptions(), 2);
  EXPECT_EQ(Weather().RainfallStationFile(), "RainA.dat");
  EXPECT_EQ(Weather().RainfallStationDescription(), "Rain station A");
}

TEST_F(TRainfallTest, TheStationsYearsBoundTheYearFields) {
  Weather().SetRainfallDataOptions(2);
  Weather().SetRainfallStationFile("RainA.dat");
  Open(2, [](TFormRainfall& F) {
    EXPECT_EQ(Stations(F), QStringList({"Rain station A", "Rain station B"}));
    EXPECT_EQ(Text(F, "EditFirstYear"), "1976");
    EXPECT_EQ(Text(F, "EditLastYear"), "1990");
    // The session's rainfall year 0 lies outside the station's years.
    auto* Year = Find<TDxIntMemo>(&F, "mmChooseYear");
    auto* Years = Find<TDxIntMemo>(&F, "mmRainfallYears");
    EXPECT_EQ(Year->text(), "1976");
    EXPECT_EQ(Year->iMinimum(), 1976);
    EXPECT_EQ(Year->iMaximum(), 1990);
    EXPECT_EQ(Years->text(), "1");
    EXPECT_EQ(Years->iMinimum(), 1);
    EXPECT_EQ(Years->iMaximum(), 15);
    // Ten years, then the start year 1988 left: three years remain.
    Years->setFocus();
    Years->selectAll();
    QTest::keyClicks(Years, "10");
    Year->setFocus();
    Year->selectAll();
    QTest::keyClicks(Year, "1988");
    QTest::keyClick(Year, Qt::Key_Tab);
    EXPECT_EQ(Years->text(), "3");
    EXPECT_EQ(Years->iMaximum(), 3);
    return PressOk(F);
  });
  EXPECT_EQ(Weather().RainfallYear(), 1988);
  EXPECT_EQ(Weather().RainfallConsecutiveYears(), 3);
}

TEST_F(TRainfallTest, ASessionYearWithinTheStationIsShown) {
  Weather().SetRainfallDataOptions(2);
  Weather().SetRainfallStationFile("RAINB.DAT");
  Weather().SetRainfallYear(1995);
  Weather().SetRainfallConsecutiveYears(4);
  Open(2, [](TFormRainfall& F) {
    EXPECT_EQ(Find<QListWidget>(&F, "LbRainfallStation")->currentRow(), 1);
    EXPECT_EQ(Text(F, "mmChooseYear"), "1995");
    EXPECT_EQ(Text(F, "mmRainfallYears"), "4");
    EXPECT_EQ(Find<TDxIntMemo>(&F, "mmRainfallYears")->iMaximum(), 20);
    return RejectDialog(F);
  });
}

TEST_F(TRainfallTest, TheRainfallFileIsMatchedInItsExactLetterCase) {
  struct TCase {
    const char* SessionFile;
    const char* Selected;
  };
  const TCase Cases[] = {{"RAINB.DAT", "Rain station B"},
                         {"rainb.dat", "Rain station A"},  // differs in case only: the first
                         {"<none>", "Rain station A"}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.SessionFile);
    Weather().SetRainfallStationFile(C.SessionFile);
    TFormRainfall F(nullptr);
    const auto* List = Find<QListWidget>(&F, "LbRainfallStation");
    ASSERT_GE(List->currentRow(), 0);
    EXPECT_EQ(List->currentItem()->text(), C.Selected);
  }
}

TEST_F(TRainfallTest, WithoutRainfallStationsOkStoresNone) {
  FreeDataCatalogue();
  AddStation("Station north", "NLD1.", 2, 1971, 2000);
  Weather().SetRainfallStationFile("RAINA.DAT");
  Weather().SetRainfallStationDescription("Rain station A");
  Open(2, [](TFormRainfall& F) {
    ClickOption(F, 2);
    EXPECT_EQ(Stations(F), QStringList());
    EXPECT_EQ(Text(F, "EditFirstYear"), "0");
    EXPECT_EQ(Text(F, "EditLastYear"), "0");
    return PressOk(F);
  });
  EXPECT_EQ(Weather().RainfallStationFile(), "<none>");
  EXPECT_EQ(Weather().RainfallStationDescription(), "<none>");
  EXPECT_EQ(Weather().RainfallDataOptions(), 2);
}

TEST_F(TRainfallTest, AStationClickStoresTheDialogAndCancelKeepsIt) {
  Weather().SetRainfallDataOptions(2);
  Weather().SetRainfallStationFile("RainA.dat");
  Weather().SetRainfallYear(1980);
  Weather().SetRainfallConsecutiveYears(2);
  const int Result = Open(2, [](TFormRainfall& F) {
    auto* List = Find<QListWidget>(&F, "LbRainfallStation");
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(List->item(1)).center());
    EXPECT_EQ(Text(F, "EditFirstYear"), "1981");
    EXPECT_EQ(Text(F, "EditLastYear"), "2000");
    EXPECT_EQ(List->statusTip(), "File: RAINB.DAT");
    EXPECT_EQ(List->toolTip(), "");
    return PressCancel(F);
  });
  EXPECT_EQ(Result, QDialog::Rejected);
  EXPECT_EQ(Weather().RainfallStationFile(), "RAINB.DAT");
  EXPECT_EQ(Weather().RainfallStationDescription(), "Rain station B");
  // The start year 1980 lies before the new station's years: its first year.
  EXPECT_EQ(Weather().RainfallYear(), 1981);
  EXPECT_EQ(Weather().RainfallConsecutiveYears(), 2);
}

TEST_F(TRainfallTest, CancelWithoutAStationClickStoresNothing) {
  Weather().SetRainfallDataOptions(3);
  Open(2, [](TFormRainfall& F) {
    ClickOption(F, 2);
    return PressCancel(F);
  });
  EXPECT_EQ(Weather().RainfallDataOptions(), 3);
  EXPECT_EQ(Weather().RainfallStationFile(), "<none>");
}
}  // namespace
