// The reruns side by side in the summary window, on a real run of nine reruns
// over three years: the Reruns page, a result chosen from its list with the
// mouse, a column per rerun, a row per year, means and deviations at the foot.

#include <QComboBox>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "DxGrid.h"
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
