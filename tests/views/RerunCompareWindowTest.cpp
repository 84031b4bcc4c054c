// The reruns side by side in the summary window, on a real run of nine reruns
// over three years: the Reruns page, a result chosen from its list with the
// mouse, a column per rerun, a row per year, means and deviations at the foot.

#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "DxGrid.h"
#include "KvChart.h"
#include "Kvoutsum.h"
#include "OutDetSupport.h"
#include "output/OutSum.h"

TEST(RerunComparisonWindow, ShowsOneResultOfNineRerunsPerYear) {
  TResultHome Home;
  TModelRunSpec Spec;
  Spec.Years = 3;
  Spec.Reruns = 9;
  Home.Put(ModelFiles(Spec));
  TSummaryOutput D;
  D.ReadOutputFiles(Home.Output("KRL.OUT"));
  ASSERT_EQ(D.WaterLimitedOutputList.Count(), 9);

  TScriptedDialogs Dialogs;
  Dialogs.ExpectModal("FormOutputSummary", [&](QDialog& W) {
    auto* Tabs = Find<QTabWidget>(&W, "pcOutputSummary");
    EXPECT_TRUE(Tabs->isTabVisible(3));
    QTest::mouseClick(Tabs->tabBar(), Qt::LeftButton, {}, Tabs->tabBar()->tabRect(3).center());
    EXPECT_EQ(Tabs->currentIndex(), 3);
    ChooseEntry(Find<QComboBox>(&W, "CbRerunLevel"), "Water-limited");
    ChooseEntry(Find<QComboBox>(&W, "CbRerunResult"), "Biomass (TAGP, kg/ha)");
    auto* Grid = Find<TDxStringGrid>(&W, "SgReruns");
    EXPECT_EQ(Grid->ColCount(), 1 + 9);
    EXPECT_EQ(Grid->RowCount(), 1 + 3 + 2);
    EXPECT_EQ(Grid->Cells(9, 0), "KRL9");
    EXPECT_EQ(Grid->Cells(0, 4), "Mean");
    EXPECT_EQ(Grid->Cells(0, 5), "Standard deviation");
    // Each cell is the rerun's season as the summary file has it.
    for (int r = 0; r < 9; ++r)
      for (int y = 0; y < 3; ++y) {
        SCOPED_TRACE(testing::Message() << "rerun " << r << ", season " << y);
        const TOutputLine& Row = *D.WaterLimitedOutputList.Objects(r)->Years.Objects(y);
        EXPECT_EQ(Grid->Cells(r + 1, y + 1), QString::fromStdString(Row.Value(10).Str()).trimmed());
        EXPECT_EQ(Grid->Cells(0, y + 1), QString::fromStdString(Row.Value(1).Str()).trimmed());
      }
    // The mean over the three seasons, against the model's own.
    const double ModelMean =
        QString::fromStdString(D.WaterLimitedOutputList.Objects(0)->Summary[0].Value(5).Str())
            .trimmed()
            .toDouble();
    EXPECT_NEAR(Grid->Cells(1, 4).toDouble(), ModelMean, 0.5 * 3);
    return RejectDialog(W);
  });
  ShowSummaryOutput(nullptr);
  EXPECT_EQ(Dialogs.Pending(), 0u);
}

// A real run of three reruns that sow on other days: each column says what
// its rerun sets, and the chart shows each rerun's mean as a bar with its
// standard deviation, saved as an image.
TEST(RerunComparisonWindow, HeadsEachRerunWithItsValuesAndChartsTheMeans) {
  TSampleHome Home;
  SetShellWindowless(true);
  ASSERT_TRUE(LoadVarCatalogue(Home.Bin() + "KRL_VAR.csv"));
  auto Session = std::make_unique<TKvSession>();
  TheSession = Session.get();
  Session->Reset();
  BuildDataCatalogue();
  ChooseSampleSession(*Session);
  Session->Weather().SetConsecutiveYears(3);
  TKvRerun& Reruns = Session->Rerun();
  Reruns.SetUseReRuns(true);
  Reruns.AddRerun();
  Reruns.AddRerun();
  const char* Sowing[] = {"100", "120", "140"};
  for (int r = 0; r < 3; ++r) Reruns.AddRerunVar(r, std::string("IDSOW=") + Sowing[r]);
  {
    TScriptedMessages Boxes;
    Boxes.Expect(TMsgKind::Information, "Simulation successful");
    ASSERT_EQ(RunSession(), TRunOutcome::Successful);
  }
  const QString Image = QString::fromStdString(Home.Path("reruns.svg"));
  TScriptedDialogs Dialogs;
  Dialogs.ExpectModal("FormOutputSummary", [&](QDialog& W) -> int {
    auto* Tabs = Find<QTabWidget>(&W, "pcOutputSummary");
    QTest::mouseClick(Tabs->tabBar(), Qt::LeftButton, {}, Tabs->tabBar()->tabRect(3).center());
    ChooseEntry(Find<QComboBox>(&W, "CbRerunLevel"), "Potential");
    ChooseEntry(Find<QComboBox>(&W, "CbRerunResult"), "Yield (TWSO, kg/ha)");
    auto* Grid = Find<TDxStringGrid>(&W, "SgReruns");
    EXPECT_EQ(Grid->ColCount(), 1 + 3);
    for (int r = 0; r < 3; ++r) {
      SCOPED_TRACE(r);
      EXPECT_TRUE(Grid->Cells(r + 1, 0).endsWith(QString(": IDSOW=") + Sowing[r]))
          << Grid->Cells(r + 1, 0).toStdString();
    }
    // One bar per rerun at the mean of the foot, its whisker the deviation.
    auto* Chart = qobject_cast<TKvCurveChart*>(Find<QChartView>(&W, "ChartReruns")->chart());
    EXPECT_NE(Chart, nullptr);
    if (Chart && Chart->Curves().size() == 2) {
      const TKvCurve& Bars = *Chart->Curves()[0];
      const TKvCurve& Marks = *Chart->Curves()[1];
      EXPECT_EQ(Bars.Style(), TKvCurve::Bars);
      EXPECT_EQ(Bars.count(), 3);
      EXPECT_EQ(Marks.Deviations().size(), 3);
      for (int r = 0; r < std::min<int>(3, Bars.count()); ++r) {
        SCOPED_TRACE(r);
        EXPECT_DOUBLE_EQ(Bars.at(r).y(), Grid->Cells(r + 1, 4).toDouble());
        EXPECT_DOUBLE_EQ(Marks.Deviations().value(r), Grid->Cells(r + 1, 5).toDouble());
      }
    } else {
      ADD_FAILURE() << "the chart has no bars and whiskers";
    }
    Dialogs.ExpectFile(Image);
    Click(Find<QPushButton>(&W, "btnImageReruns"));
    return RejectDialog(W);
  });
  ShowSummaryOutput(nullptr);
  EXPECT_EQ(Dialogs.Pending(), 0u);
  QFile Svg(Image);
  ASSERT_TRUE(Svg.open(QIODevice::ReadOnly));
  const QByteArray Text = Svg.readAll();
  for (const char* Expected : {"Yield (TWSO, kg/ha)", "Mean", "Standard deviation"})
    EXPECT_TRUE(Text.contains(Expected)) << Expected;
  TheSession = nullptr;
  Session.reset();
  FreeDataCatalogue();
  SetShellWindowless(false);
}
