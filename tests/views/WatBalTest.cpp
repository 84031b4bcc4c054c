// The water balance chart: which chart shows for which balances, the series'
// titles and values, the closure figures, the 3-D switch, printing the chart
// that is shown, and a window that reacts to no mouse.

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QTest>
#include <QValueAxis>

#include "GraphFiles.h"
#include "KvChart.h"
#include "KvPrint.h"
#include "KvWatBal.h"
#include "WinTestSupport.h"
#include "output/OutDet.h"

using namespace graphfiles;

namespace {
// A balance whose whole-system values give the 15/15 example, root zone 20/20.
std::unique_ptr<TWaterBalance> Balance(const std::string& Run = "KRL1", const std::string& Year = "1980") {
  auto B = std::make_unique<TWaterBalance>();
  B->RunName = Run;
  B->RunYear = Year;
  B->RainYear = "1981";
  B->InitMaxRootZone = "10";
  B->InitSurfStorage = "0";
  B->Irrigation = "0";
  B->Rainfall = "5";
  B->FinalMaxRootZone = "8";
  B->FinalSurfStorage = "0";
  B->EvapWaterSurface = "0";
  B->EvapSoilSurface = "3";
  B->Transpiration = "4";
  B->SurfaceRunoff = "0";
  B->LostToDeepSoil = "0";
  B->InitialWaterStock = "12";
  B->Infiltration = "6";
  B->AddedByRootGrowth = "2";
  B->CapillaryRise = "0.0";
  B->FinalWaterStock = "10";
  B->EvapSoilSurfaceRoot = "3";
  B->TranspirationRoot = "4";
  B->Perculation = "3";
  return B;
}

QList<qreal> Values(const QBarSet* S) {
  QList<qreal> L;
  for (int i = 0; i < S->count(); ++i) L << S->at(i);
  return L;
}

QStringList Categories(const QChart* C) {
  return qobject_cast<QBarCategoryAxis*>(C->axes(Qt::Horizontal).value(0))->categories();
}

QImage Render(QChart& C) {
  QImage Image(900, 600, QImage::Format_ARGB32);
  Image.fill(Qt::white);
  QPainter P(&Image);
  PaintChartPage(P, QRectF(0, 0, 900, 600), C, {});
  return Image;
}

class TWatBal : public ::testing::Test {
 protected:
  TWatBal() { Output.FileName = "/data/output/KRL.OUT"; }
  void Open(bool Whole, bool Root, bool Groundwater = false) {
    Output.Data.HasWaterBalance = Whole;
    Output.Data.HasRootZone = Root;
    Output.Data.HasGroundwater = Groundwater;
    W = std::make_unique<TFormWaterBalance>(nullptr);
    W->OutputData = &Output;
    W->RunName = "KRL1";
    W->RunYear = "1980";
    W->RainYear = "1981";
    W->FormActivate();
  }
  QWidget* Widget(const char* Name) { return Find<QWidget>(W.get(), Name); }

  TDetailedOutput Output;
  std::unique_ptr<TFormWaterBalance> W;
};
}  // namespace

TEST(WatBalRules, TheBalanceClosesWithinFiveHundredthsOfACentimetre) {
  EXPECT_TRUE(BalanceClosure({10, 5}, {8, 3, 4}).Closes);
  EXPECT_TRUE(BalanceClosure({10.05}, {10}).Closes);
  const TBalanceClosure Open = BalanceClosure({10.06}, {10});
  EXPECT_FALSE(Open.Closes);
  EXPECT_NEAR(Open.Difference, 0.06, 1e-9);
  EXPECT_EQ(ClosureText(BalanceClosure({10, 5}, {8, 3, 4})),
            "INIT + IN 15.00 cm   FINAL + OUT 15.00 cm   difference 0.00 cm");
  EXPECT_EQ(ClosureText(BalanceClosure({10, 5}, {8, 3, 3.5})),
            "INIT + IN 15.00 cm   FINAL + OUT 14.50 cm   difference 0.50 cm - the balance does not close");
}

TEST_F(TWatBal, TheBalancesFoundChooseTheChartsAndMissingOnesGiveZeros) {
  Output.Data.BalanceList.Add("KRL1", Balance());
  struct {
    bool Whole, Root;
    bool WholeShown, RootShown, ButtonShown;
  } Cases[] = {
      {true, true, true, false, true},
      {true, false, true, false, false},
      {false, true, false, true, false},
      {false, false, false, false, false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Whole) + std::to_string(C.Root));
    Open(C.Whole, C.Root);
    EXPECT_EQ(W->windowTitle(), "Waterbalance - KRL1, 1980, 1981");
    EXPECT_EQ(!Widget("ChartWaterBalanceWhole")->isHidden(), C.WholeShown);
    EXPECT_EQ(!Widget("ChartWaterBalanceRoot")->isHidden(), C.RootShown);
    EXPECT_EQ(!Widget("BtnChart")->isHidden(), C.ButtonShown);
    for (int i = 0; i < 11; ++i) {
      const bool Real = i <= 6 ? C.Whole : C.Root;
      EXPECT_EQ(Values(W->Series[i]).size(), 2);
      if (!Real) {
        EXPECT_EQ(Values(W->Series[i]), QList<qreal>({0, 0})) << i;
      }
    }
    EXPECT_EQ(Categories(W->ChartWhole()),
              C.Whole ? QStringList({"INIT + IN", "FINAL + OUT"}) : QStringList());
    EXPECT_EQ(Categories(W->ChartRoot()), C.Root ? QStringList({"INIT + IN", "FINAL + OUT"}) : QStringList());
  }

  // With both: the button names the chart that the next click shows.
  Open(true, true);
  QPushButton* Btn = Find<QPushButton>(W.get(), "BtnChart");
  EXPECT_EQ(Btn->text(), "Root Zone");
  W->BtnChartClick();
  EXPECT_EQ(Btn->text(), "Whole System");
  EXPECT_TRUE(Widget("ChartWaterBalanceWhole")->isHidden());
  EXPECT_FALSE(Widget("ChartWaterBalanceRoot")->isHidden());
  EXPECT_EQ(W->VisibleChart(), W->ChartRoot());
  W->BtnChartClick();
  EXPECT_EQ(Btn->text(), "Root Zone");
  EXPECT_EQ(W->VisibleChart(), W->ChartWhole());
}

TEST_F(TWatBal, TheFifteenCentimetreExampleStacksToTwoEqualColumns) {
  Output.Data.BalanceList.Add("KRL0", Balance("KRL0"));  // not this run
  Output.Data.BalanceList.Add("KRL1", Balance());
  Open(true, true);
  const QList<QList<qreal>> Expected = {{10, 8}, {0, 0},   {0, 0}, {5, 3}, {0, 4}, {0, 0},
                                        {0, 0},  {12, 10}, {6, 3}, {2, 4}, {0, 3}};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(Values(W->Series[i]), Expected[i]) << i;
  // Series 0..6 on the whole-system chart, stacked, without value marks.
  const auto* Whole = qobject_cast<QStackedBarSeries*>(W->ChartWhole()->series().value(0));
  ASSERT_NE(Whole, nullptr);
  EXPECT_EQ(Whole->count(), 7);
  EXPECT_FALSE(Whole->isLabelsVisible());
  EXPECT_EQ(qobject_cast<QStackedBarSeries*>(W->ChartRoot()->series().value(0))->count(), 4);
  EXPECT_EQ(W->ChartWhole()->Title(), "WHOLE SYSTEM");
  EXPECT_EQ(W->ChartRoot()->Title(), "ROOT ZONE");
  EXPECT_EQ(W->ChartWhole()->axes(Qt::Vertical).value(0)->titleText(), "(cm)");
  EXPECT_EQ(Find<QLabel>(W.get(), "lblClosureWhole")->text(),
            "INIT + IN 15.00 cm   FINAL + OUT 15.00 cm   difference 0.00 cm");
  EXPECT_EQ(Find<QLabel>(W.get(), "lblClosureRoot")->text(),
            "INIT + IN 20.00 cm   FINAL + OUT 20.00 cm   difference 0.00 cm");

  // A root zone that loses water on the way.
  Output.Data.BalanceList.Objects(1)->Perculation = "2.5";
  Open(true, true);
  EXPECT_EQ(Find<QLabel>(W.get(), "lblClosureRoot")->text(),
            "INIT + IN 20.00 cm   FINAL + OUT 19.50 cm   difference 0.50 cm - the balance does not close");
  EXPECT_FALSE(Find<QLabel>(W.get(), "lblClosureRoot")->styleSheet().isEmpty());  // marked
}

TEST_F(TWatBal, GroundwaterTitlesSeriesZeroSixAndTen) {
  Output.Data.BalanceList.Add("KRL1", Balance());
  const std::vector<std::string> Plain = {"init max root zone - final max root zone",
                                          "init surf storage - final surf storage",
                                          "irrigation - evap water surface",
                                          "rainfall - evap soil surface",
                                          "transpiration",
                                          "surface runoff",
                                          "lost to deep soil",
                                          "initial water stock - final water stock",
                                          "infiltration - evap soil surface",
                                          "added by root growth - transpiration",
                                          "perculation"};
  for (bool Gw : {false, true}) {
    Open(true, true, Gw);
    for (int i = 0; i < 11; ++i) {
      std::string Title = Plain[i];
      if (Gw && i == 0) Title = "init within 10 m - final within 10 m";
      if (Gw && i == 6) Title = "lost to drains";
      if (Gw && i == 10) Title = "capillary rise - perculation";
      EXPECT_EQ(W->Series[i]->label().toStdString(), Title) << i;
    }
  }
}

TEST_F(TWatBal, NoBalanceOfTheRunLeavesTheChartsEmptyAndABadValueFailsTheFilling) {
  Output.Data.BalanceList.Add("KRL2", Balance("KRL2"));
  Open(true, true);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(W->Series[i]->count(), 0);
  EXPECT_EQ(Find<QLabel>(W.get(), "lblClosureWhole")->text(), "No water balance for KRL1, 1980, 1981");

  Output.Data.BalanceList.Add("KRL1", Balance());
  Output.Data.BalanceList.Objects(1)->Rainfall = "5,2";
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "'5,2' is not a valid floating point value.");
  W = std::make_unique<TFormWaterBalance>(nullptr);
  W->OutputData = &Output;
  W->RunName = "KRL1";
  W->RunYear = "1980";
  W->RainYear = "1981";
  W->show();  // shown: the filling fails inside the window's handler
  QApplication::processEvents();
  EXPECT_EQ(Values(W->Series[2]), QList<qreal>({0, 0}));  // added before the failure
  EXPECT_EQ(Values(W->Series[3]), QList<qreal>());
  EXPECT_EQ(W->windowTitle(), "Waterbalance - KRL1, 1980, 1981");
}

TEST_F(TWatBal, ThreeDimensionalBarsHaveVisibleDepthThatFlatRemoves) {
  Output.Data.BalanceList.Add("KRL1", Balance());
  Open(true, true);
  EXPECT_TRUE(W->Is3D());
  const QImage Deep = Render(*W->ChartWhole());
  Find<QPushButton>(W.get(), "Btn3D")->click();
  EXPECT_FALSE(W->Is3D());
  const QImage Flat = Render(*W->ChartWhole());
  // The faces: pixels beside and above the bars change, a good many of them.
  int Changed = 0;
  for (int y = 0; y < Deep.height(); ++y)
    for (int x = 0; x < Deep.width(); ++x) Changed += Deep.pixel(x, y) != Flat.pixel(x, y);
  EXPECT_GT(Changed, 2000);
  Find<QPushButton>(W.get(), "Btn3D")->click();
  EXPECT_TRUE(W->Is3D());
  EXPECT_EQ(Render(*W->ChartWhole()), Deep);
}

TEST_F(TWatBal, PrintingWhileTheRootZoneShowsPrintsTheRootZone) {
  Output.Data.BalanceList.Add("KRL1", Balance());
  Open(true, true);
  W->BtnChartClick();
  TTempDir Dir;
  const QString Pdf = QString::fromStdString(Dir / "balance.pdf");
  auto Old = SetPrinterHandler([&] { return TPrinterChoice{"Test printer", Pdf}; });
  {
    TScriptedMessages Boxes;
    Boxes
        .Expect(TMsgKind::Confirmation, "Print current graph to default printer:\n\rTest printer",
                TMsgResult::Ok)
        .Expect(TMsgKind::Information, "Printed!");
    QTest::mouseClick(Find<QPushButton>(W.get(), "BtnPrint"), Qt::LeftButton);
  }
  SetPrinterHandler(Old);
  EXPECT_TRUE(OneLandscapePage(PdfInfo(Pdf)));
  const QString Text = PdfText(Pdf);
  EXPECT_EQ(Text.count("ROOT ZONE"), 1) << Text.toStdString();
  EXPECT_FALSE(Text.contains("WHOLE SYSTEM"));
  EXPECT_TRUE(Text.contains("perculation"));
  EXPECT_TRUE(Text.contains("Waterbalance - KRL1, 1980, 1981"));
  EXPECT_TRUE(Text.contains("FINAL + OUT 20.00 cm"));

  TScriptedDialogs Dialogs;
  Dialogs.ExpectFile("");
  QTest::mouseClick(Find<QPushButton>(W.get(), "BtnSaveImage"), Qt::LeftButton);
  EXPECT_EQ(Dialogs.FileRequests().at(0).FileName, "KRL_waterbalance_rootzone_KRL1_1980_1981.png");
}

TEST_F(TWatBal, BuiltOncePerShowingAndDeafToTheMouse) {
  Output.Data.BalanceList.Add("KRL1", Balance());
  Output.Data.HasWaterBalance = Output.Data.HasRootZone = true;
  TFormWaterBalance Window(nullptr);
  Window.OutputData = &Output;
  Window.RunName = "KRL1";
  Window.RunYear = "1980";
  Window.RainYear = "1981";
  for (int Showing = 0; Showing < 2; ++Showing) {
    Window.show();
    QApplication::processEvents();
    Window.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(Window.ChartWhole()->series().size(), 1);
    EXPECT_EQ(qobject_cast<QStackedBarSeries*>(Window.ChartWhole()->series().value(0))->count(), 7);
    EXPECT_EQ(Window.Series[0]->count(), 2);
    Window.hide();
  }
  Window.show();
  QApplication::processEvents();
  QWidget* Vp = Find<QGraphicsView>(&Window, "ChartWaterBalanceWhole")->viewport();
  const auto* Y = qobject_cast<QValueAxis*>(Window.ChartWhole()->axes(Qt::Vertical).value(0));
  const double Min = Y->min(), Max = Y->max();
  QTest::mousePress(Vp, Qt::LeftButton, {}, QPoint(150, 100));
  QTest::mouseMove(Vp, QPoint(300, 250));
  QTest::mouseRelease(Vp, Qt::LeftButton, {}, QPoint(300, 250));
  QTest::mouseClick(Vp, Qt::RightButton, {}, QPoint(200, 200));
  EXPECT_EQ(Y->min(), Min);
  EXPECT_EQ(Y->max(), Max);
}
