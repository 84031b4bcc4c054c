// The summary output window on output written by the bundled model and on
// small hand-made summary files: the run selectors (duplicates kept), the
// year and statistics tables, the long-term page, the header labels, the
// tabs, the missing files and the export.

#include <QPushButton>

#include "DxGrid.h"
#include "ExcelSupport.h"
#include "Kvoutdet.h"
#include "Kvoutsum.h"
#include "OutDetSupport.h"
#include "output/OutSum.h"

namespace {
QString Q(const Str16& S) { return QString::fromStdString(S.Str()); }

std::string SumText(const layout::TSumFile& F) {
  std::ostringstream Os;
  layout::WriteSumFile(Os, F);
  return Os.str();
}

std::string LongTermText(const std::vector<layout::TWords>& Rows) {
  std::ostringstream Os;
  layout::WriteLongTerm(Os, Rows);
  return Os.str();
}

// Runs of the given names and numbers of years, in that order.
layout::TSumFile SumFile(bool Water, const std::vector<std::pair<std::string, int>>& Runs) {
  layout::TSumFile F;
  F.Water = Water;
  int First = 1961;
  for (const auto& [Name, Years] : Runs) {
    F.Runs.push_back(layout::MakeSumFile(Water, {Name}, First, Years).Runs[0]);
    First += 3;
  }
  return F;
}

class SummaryWindow : public ::testing::Test {
 protected:
  TResultHome Home;
};
}  // namespace

TEST_F(SummaryWindow, ShowsTheModelsRunsStatisticsAndLongTermTable) {
  TModelRunSpec Spec;
  Spec.Reruns = 2;
  Home.Put(ModelFiles(Spec));
  TSummaryOutput D;
  D.ReadOutputFiles(Home.Output("KRL.OUT"));
  ASSERT_EQ(D.PotentialOutputList.Count(), 2);
  ASSERT_EQ(D.Summary.Years.Count(), 4);

  TScriptedDialogs Dialogs;
  Dialogs.ExpectModal("FormOutputSummary", [&](QDialog& Dlg) {
    auto& W = static_cast<TFormOutputSummary&>(Dlg);
    EXPECT_EQ(W.windowTitle(), "Summary output - ..\\OUTPUT\\KRL");
    auto* Tabs = Find<QTabWidget>(&W, "pcOutputSummary");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Tabs->isTabVisible(i)) << i;

    // Potential page, run 0.
    auto* Grid = Find<TDxStringGrid>(&W, "SgPotential");
    auto* Mean = Find<TDxStringGrid>(&W, "SgPotentialMean");
    EXPECT_EQ(Items(Find<QComboBox>(&W, "CbRunNamePotential")), QStringList({"KRL1", "KRL2"}));
    EXPECT_EQ(Grid->ColCount(), 22);
    EXPECT_EQ(Grid->FixedRows(), 1);
    EXPECT_EQ(Grid->Cells(4, 0), "-->");
    EXPECT_EQ(Grid->Cells(21, 0), "EVSOL");
    const TPotentialOutputSum& P = *D.PotentialOutputList.Objects(0);
    EXPECT_EQ(Grid->RowCount(), P.Years.Count() + 1);
    EXPECT_EQ(Grid->Cells(0, 1), Q(P.Years.Objects(0)->Value(1)));
    EXPECT_EQ(Grid->Cells(21, 2), Q(P.Years.Objects(1)->Value(22)));
    // The set number: hidden, and filled.
    EXPECT_TRUE(Grid->ColHidden(2));
    EXPECT_EQ(Grid->Cells(2, 1).trimmed(), "1");
    EXPECT_EQ(Grid->ColWidths(1), TableColWidth(Grid, 53));
    EXPECT_EQ(Mean->ColCount(), 10);
    EXPECT_EQ(Mean->RowCount(), 4);
    EXPECT_EQ(Mean->Cells(0, 0), "DUR");
    EXPECT_EQ(Mean->Cells(0, 1), Q(P.Summary[0].Value(1)));
    EXPECT_EQ(Mean->Cells(9, 3), Q(P.Summary[2].Value(10)));
    EXPECT_EQ(LabelText(&W, "lblMeansp"), "Means over 2 years:");
    EXPECT_EQ(LabelText(&W, "lblWeatherNamep"),
              "Station north, daily data (synthetic) (..\\meteo\\merawe\\NLD1.)");
    EXPECT_EQ(LabelText(&W, "lblCropNamew"), "Spring barley (..\\cropd\\SBARLEY.CRP)");
    EXPECT_EQ(Find<QLabel>(&W, "lblSoilNamep")->toolTip(), "..\\soild\\LOAM.SOL");
    EXPECT_EQ(LabelText(&W, "lblRainw"), QString::fromStdString(P.RainName));
    EXPECT_TRUE(Find<QLabel>(&W, "lblRainp")->isHidden());

    // Water-limited page, run 1.
    auto* Water = Find<TDxStringGrid>(&W, "SgWaterLimited");
    Choose(Find<QComboBox>(&W, "CbRunNameWater"), 1);
    const TWaterLimitedOutputSum& Wl = *D.WaterLimitedOutputList.Objects(1);
    EXPECT_EQ(Water->ColCount(), 21);
    EXPECT_EQ(Water->Cells(1, 1).trimmed(), "KRL2");
    EXPECT_EQ(Water->Cells(2, 1).trimmed(), "2");
    EXPECT_TRUE(Water->ColHidden(2));
    EXPECT_EQ(Water->Cells(20, 2), Q(Wl.Years.Objects(1)->Value(21)));
    EXPECT_EQ(Find<TDxStringGrid>(&W, "SgWaterLimitedMean")->ColCount(), 15);
    EXPECT_EQ(Find<TDxStringGrid>(&W, "SgWaterLimitedMean")->Cells(14, 1), Q(Wl.Summary[0].Value(15)));
    EXPECT_EQ(LabelText(&W, "lblGroundwater"), "groundwater: no, free drainage");
    EXPECT_EQ(LabelText(&W, "lblMeansw"), "Means over 2 years:");

    // Long-term page: LAIM and HINDEX are values 13 and 14 of a row.
    auto* S1 = Find<TDxStringGrid>(&W, "SgSummary1");
    auto* S2 = Find<TDxStringGrid>(&W, "SgSummary2");
    EXPECT_EQ(S1->RowCount(), 5);
    EXPECT_EQ(S2->RowCount(), 5);
    const TOutputLine& L3 = *D.Summary.Years.Objects(3);
    const QStringList Row2 = {Q(L3.Value(1)),  Q(L3.Value(2)),  Q(L3.Value(3)),  Q(L3.Value(4)),
                              Q(L3.Value(5)),  Q(L3.Value(13)), Q(L3.Value(14)), Q(L3.Value(15)),
                              Q(L3.Value(16)), Q(L3.Value(17)), Q(L3.Value(18))};
    for (int c = 0; c < 11; ++c) EXPECT_EQ(S2->Cells(c, 4), Row2[c]) << c;
    EXPECT_EQ(S2->Cells(5, 0), "LAIM");
    EXPECT_EQ(S1->Cells(11, 4), Q(L3.Value(12)));

    QTest::keyClick(&W, Qt::Key_Escape);
    EXPECT_FALSE(W.isVisible());
    return W.result();
  });
  ShowSummaryOutput(nullptr);
}

TEST_F(SummaryWindow, RunSelectorsKeepDuplicatesAndStayVisible) {
  Home.Write("KRL.pps", SumText(SumFile(false, {{"A", 30}, {"A", 2}, {"B", 1}})));
  Home.Write("KRL.wps", SumText(SumFile(true, {{"A", 1}, {"C", 3}})));
  TFormOutputSummary W(nullptr);
  auto* Run = Find<QComboBox>(&W, "CbRunNamePotential");
  auto* Grid = Find<TDxStringGrid>(&W, "SgPotential");
  EXPECT_EQ(Items(Run), QStringList({"A", "A", "B"}));
  EXPECT_EQ(Grid->RowCount(), 31);
  EXPECT_EQ(LabelText(&W, "lblMeansp"), "Means over 30 years:");

  // The second A: its own two years, nothing left of the first.
  Choose(Run, 1);
  EXPECT_EQ(Grid->RowCount(), 3);
  EXPECT_EQ(Grid->Cells(0, 1).trimmed(), "1964");
  EXPECT_EQ(Grid->Cells(0, 3), "");
  EXPECT_EQ(LabelText(&W, "lblMeansp"), "Means over 2 years:");
  // A run of one year: the selector that chose it stays.
  Choose(Run, 2);
  EXPECT_EQ(Grid->RowCount(), 2);
  EXPECT_EQ(LabelText(&W, "lblMeansp"), "Means over 1 years:");
  EXPECT_FALSE(Run->isHidden());
  EXPECT_FALSE(Find<QLabel>(&W, "lblRunnamp")->isHidden());
  EXPECT_FALSE(Find<QComboBox>(&W, "CbRunNameWater")->isHidden());
  EXPECT_FALSE(Find<QLabel>(&W, "lblRunnamw")->isHidden());
  // Without a long-term table the Summary tab is hidden.
  EXPECT_FALSE(Find<QTabWidget>(&W, "pcOutputSummary")->isTabVisible(2));
}

TEST_F(SummaryWindow, OnlyAWaterLimitedSummaryTakesTheHeaderFromIt) {
  Home.Write("KRL.wps", SumText(SumFile(true, {{"W1", 2}})));
  Home.Write("KRL.sum", LongTermText(layout::MakeLongTerm({"W1"})));
  TFormOutputSummary W(nullptr);  // no box
  auto* Tabs = Find<QTabWidget>(&W, "pcOutputSummary");
  EXPECT_TRUE(Tabs->isTabVisible(0));
  EXPECT_TRUE(Tabs->isTabVisible(1));
  EXPECT_TRUE(Tabs->isTabVisible(2));
  EXPECT_EQ(Find<QComboBox>(&W, "CbRunNamePotential")->count(), 0);
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgPotential")->RowCount(), 1);
  EXPECT_EQ(LabelText(&W, "lblMeansp"), "Means over:");
  for (const char* Name : {"lblWeatherNamep", "lblWeatherNamew"})
    EXPECT_EQ(LabelText(&W, Name), "Station north, daily data (synthetic) (..\\meteo\\merawe\\NLD1.)")
        << Name;
  for (const char* Name : {"lblSoilNamep", "lblSoilNamew"})
    EXPECT_EQ(LabelText(&W, Name), "Loam, medium (..\\soild\\LOAM.SOL)");
  EXPECT_EQ(LabelText(&W, "lblRainw"), "weather data file");
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgWaterLimited")->RowCount(), 3);
}

TEST_F(SummaryWindow, MissingFilesHideTheirPagesOrTheWindow) {
  {
    // Neither summary: a box and no window.
    TScriptedMessages Boxes;
    Boxes.Expect(TMsgKind::Information, "No Summary results available.");
    ShowSummaryOutput(nullptr);
  }
  Home.Write("KRL.pps", SumText(SumFile(false, {{"P1", 2}})));
  std::vector<layout::TWords> Rows = layout::MakeLongTerm({"P1"});
  Rows[1].resize(26, "1");  // a row the reader cannot hold
  Home.Write("KRL.sum", LongTermText(Rows));
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "Range check error.");
  TFormOutputSummary W(nullptr);
  auto* Tabs = Find<QTabWidget>(&W, "pcOutputSummary");
  EXPECT_FALSE(Tabs->isTabVisible(1));
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgPotential")->RowCount(), 3);
  EXPECT_EQ(LabelText(&W, "lblGroundwater"), "");
  // The row read before the error is shown.
  EXPECT_TRUE(Tabs->isTabVisible(2));
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgSummary1")->RowCount(), 2);
}

TEST_F(SummaryWindow, ExportsTheYearTables) {
  SKIP_WITHOUT_OPENPYXL();
  TModelRunSpec Spec;
  Spec.Reruns = 2;
  Home.Put(ModelFiles(Spec));
  TOpenRecorder Opener;
  TFormOutputSummary W(nullptr);
  auto* Potential = Find<QPushButton>(&W, "btnExcelPotential");
  QTest::mouseClick(Potential, Qt::LeftButton);
  EXPECT_TRUE(W.Created());
  Choose(Find<QComboBox>(&W, "CbRunNamePotential"), 1);
  QTest::mouseClick(Potential, Qt::LeftButton);
  Find<QTabWidget>(&W, "pcOutputSummary")->setCurrentIndex(1);
  QTest::mouseClick(Find<QPushButton>(&W, "btnExcelWaterlimited"), Qt::LeftButton);
  ASSERT_EQ(Opener.Opened.size(), 3u);
  EXPECT_EQ(Opener.Opened[2], MapFileName(Home.Output("KRL-summary-Water-limited1.xlsx")));

  TReadBook B;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[2]), B));
  EXPECT_EQ(B.Sheets, (std::vector<std::string>{"Potential1", "Potential2", "Water-limited1"}));
  auto& P = B.Cells["Potential2"];
  const std::pair<const char*, const char*> Texts[] = {
      {"A1", "WEATHER:"}, {"A2", "CROP:"},     {"B2", "Spring barley (..\\cropd\\SBARLEY.CRP)"},
      {"A3", "SOIL:"},    {"A4", "RUNNAM:"},   {"B4", "KRL2"},
      {"A5", "RAIN:"},    {"A9", "YR"},        {"C9", "SET"},
      {"V9", "EVSOL"},    {"E10", "     -->"},
  };
  for (const auto& [At, Text] : Texts) {
    ASSERT_EQ(P.count(At), 1u) << At;
    EXPECT_EQ(P[At].Value, Text) << At;
    EXPECT_EQ(P[At].Type, "s") << At;
  }
  EXPECT_TRUE(P["A9"].Bold);
  EXPECT_EQ(P["A10"].Type, "n");
  EXPECT_EQ(P["A10"].Value, "1980");
  EXPECT_EQ(P["C10"].Value, "2");  // the hidden set number goes along
  EXPECT_EQ(P.count("A12"), 0u);
  auto& Wl = B.Cells["Water-limited1"];
  EXPECT_EQ(Wl.count("A6"), 0u);
  EXPECT_EQ(Wl["B6"].Value, "groundwater: no, free drainage");
  EXPECT_EQ(Wl["U9"].Value, "RAGP");
}

// The captions of the statistics rows stay level with their rows, also after
// the window has been resized, narrower and wider, taller and lower.
TEST_F(SummaryWindow, RowCaptionsStayBesideTheirRowsAfterResizing) {
  Home.Write("KRL.pps", SumText(SumFile(false, {{"A", 30}})));
  TFormOutputSummary W(nullptr);
  W.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&W));
  auto* Grid = Find<TDxStringGrid>(&W, "SgPotentialMean");
  QLabel* Caption = Find<QLabel>(&W, "lblMeansp");
  const QSize Start = W.size();
  for (const QSize S : {Start + QSize(300, 200), Start + QSize(-60, 0), Start + QSize(0, 150), Start}) {
    SCOPED_TRACE(S.width() * 10000 + S.height());
    W.resize(S);
    QTest::qWait(50);
    ASSERT_TRUE(Caption->isVisible());
    const int RowMiddle =
        Grid->viewport()->mapTo(&W, QPoint(0, Grid->rowViewportPosition(0) + Grid->rowHeight(0) / 2)).y();
    const QRect C(Caption->mapTo(&W, QPoint(0, 0)), Caption->size());
    EXPECT_LE(std::abs(C.center().y() - RowMiddle), 2);
    EXPECT_TRUE(W.rect().contains(C)) << C.x() << "," << C.y();
  }
}

// One click exports the year table of every run of both pages into one
// workbook, shown once, and the window shows what it showed before.
TEST_F(SummaryWindow, ExportAllTablesWritesEveryRunOfBothPagesOnce) {
  SKIP_WITHOUT_OPENPYXL();
  TModelRunSpec Spec;
  Spec.Reruns = 2;
  Home.Put(ModelFiles(Spec));
  TOpenRecorder Opener;
  TFormOutputSummary W(nullptr);
  auto* Runs = Find<QComboBox>(&W, "CbRunNamePotential");
  Choose(Runs, 1);
  QTest::mouseClick(Find<QPushButton>(&W, "btnExcelAllPotential"), Qt::LeftButton);
  ASSERT_EQ(Opener.Opened.size(), 1u);
  TReadBook B;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[0]), B));
  EXPECT_EQ(B.Sheets,
            (std::vector<std::string>{"Potential1", "Potential2", "Water-limited1", "Water-limited2"}));
  EXPECT_EQ(B.Cells["Potential2"]["B4"].Value, "KRL2");
  EXPECT_EQ(B.Cells["Water-limited1"]["B4"].Value, "KRL1");
  EXPECT_EQ(Runs->currentIndex(), 1);
  EXPECT_EQ(Find<QTabWidget>(&W, "pcOutputSummary")->currentIndex(), 0);
}

// Return on whichever button has the focus (the window opens with it on an
// export button) presses none of them: no export and no closing by surprise.
TEST_F(SummaryWindow, ReturnOnAFocusedButtonPressesNone) {
  Home.Put(ModelFiles(TModelRunSpec()));
  TOpenRecorder Opener;
  TFormOutputSummary W(nullptr);
  W.show();
  for (QPushButton* B : W.findChildren<QPushButton*>()) {
    int Clicks = 0;
    QObject::connect(B, &QPushButton::clicked, [&Clicks] { ++Clicks; });
    B->setFocus();
    QTest::keyClick(B, Qt::Key_Return);
    EXPECT_EQ(Clicks, 0) << B->objectName().toStdString();
  }
  EXPECT_TRUE(Opener.Opened.empty());
  EXPECT_TRUE(W.isVisible());
}
