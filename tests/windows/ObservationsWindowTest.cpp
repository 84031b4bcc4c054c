// Measured data in the windows, on a fresh sample home and real runs of the
// bundled model: the observation file chosen and cleared on the General
// page, its marks on the graph view's curves, and the evaluation window with
// its table, the lines it did not use and its spreadsheet export.

#include <QAction>
#include <QBuffer>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <filesystem>

#include "../views/ExcelSupport.h"
#include "DxGrid.h"
#include "DxInpMemo.h"
#include "KvEvaluation.h"
#include "KvTView.h"
#include "Kvmain.h"
#include "QtHandlers.h"
#include "WinTestSupport.h"
#include "catalogue/KvRerunTable.h"
#include "output/Observations.h"
#include "platform/Shell.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {

class TObservationsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SetShellWindowless(true);
    Boxes.Expect(TMsgKind::Error, "File not found: ..\\RUNIO\\RUNOPT.DAT");
    Main = std::make_unique<TFormMain>();
    // Spring barley on loam at station north.
    FindChild<QListWidget>(Main.get(), "LbCropNo")->setCurrentRow(2);
    FindChild<QListWidget>(Main.get(), "LbSoilNo")->setCurrentRow(1);
    FindChild<QListWidget>(Main.get(), "LbStation")->setCurrentRow(1);
    FindChild<TDxIntMemo>(Main.get(), "mmYear")->SetiValue(1980);
  }
  void TearDown() override {
    Main.reset();
    SetShellWindowless(false);
  }
  void Run() {
    Boxes.Expect(TMsgKind::Information, "Simulation successful");
    FindChild<QToolButton>(Main.get(), "BtnRun")->click();
    ASSERT_TRUE(TheSession->FileManager().DetailedOutputAvailable());
  }
  // Chooses the file with the General page's button.
  void ChooseObservations(const std::string& Path) {
    Dialogs.ExpectFile(QString::fromStdString(Path));
    QTest::mouseClick(FindChild<QPushButton>(Main.get(), "BtnObservations"), Qt::LeftButton);
  }

  TSampleHome Home;
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TFormMain> Main;
};

// The marks of the graph view: title, points and deviations of each, and
// the colour of the curve it belongs to.
struct TMarks {
  QString Title;
  QList<QPointF> Points;
  QList<qreal> SD;
  bool SameColourAsCurve = false;
};

std::vector<TMarks> MarksOf(const TKvCurveChart& Chart) {
  std::vector<TMarks> All;
  const QList<TKvCurve*>& Curves = Chart.Curves();
  for (qsizetype i = 0; i < Curves.size(); ++i) {
    const TKvCurve* C = Curves[i];
    if (C->Style() != TKvCurve::Marks) continue;
    const TKvCurve* Owner = nullptr;
    for (const TKvCurve* O : Curves)
      if (C->name() == O->name() + " measured") Owner = O;
    All.push_back({C->name(), C->points(), C->Deviations(), Owner && Owner->Color() == C->Color()});
  }
  return All;
}
}  // namespace

TEST_F(TObservationsWindow, TheGeneralPageKeepsTheFileWithTheSession) {
  const std::string Obs = Home.Dir().Write(
      "field/trial.csv", "VAR,YEAR,DAY,VALUE\nLAI,1980,150,1.5\nLAI,1980,400,1\nFOO,1980,1,1\n");
  EXPECT_EQ(FindChild<QLabel>(Main.get(), "LblObservations")->text(), "No observation file");
  EXPECT_FALSE(FindChild<QPushButton>(Main.get(), "BtnClearObservations")->isEnabled());
  // The bad lines are told at once; the file is kept all the same.
  Boxes.Expect(TMsgKind::Information,
               "2 line(s) of trial.csv cannot be used; the other 1 observations are used:\r\n"
               "line 3: day outside the year: 400\r\nline 4: unknown variable: FOO");
  ChooseObservations(Obs);
  EXPECT_EQ(FindChild<QLabel>(Main.get(), "LblObservations")->text(), "trial.csv");
  EXPECT_EQ(SessionObservationFile(TheSession->FileManager()), Obs);

  // Save as carries it; clearing, then opening the saved session brings it back.
  Dialogs.ExpectFile(QString::fromStdString(Home.Path("runio/TRIAL.krl")));
  FindChild<QAction>(Main.get(), "Saveas1")->trigger();
  QTest::mouseClick(FindChild<QPushButton>(Main.get(), "BtnClearObservations"), Qt::LeftButton);
  EXPECT_EQ(FindChild<QLabel>(Main.get(), "LblObservations")->text(), "No observation file");
  EXPECT_EQ(SessionObservationFile(TheSession->FileManager()), "");
  Dialogs.ExpectFile(QString::fromStdString(Home.Path("runio/TRIAL.krl")));
  FindChild<QAction>(Main.get(), "Open1")->trigger();
  EXPECT_EQ(FindChild<QLabel>(Main.get(), "LblObservations")->text(), "trial.csv");

  // A file without the needed columns is refused and the old one stays.
  Boxes.Expect(TMsgKind::Error);
  ChooseObservations(Home.Dir().Write("field/bad.csv", "A,B\n1,2\n"));
  EXPECT_EQ(FindChild<QLabel>(Main.get(), "LblObservations")->text(), "trial.csv");
}

TEST_F(TObservationsWindow, MarksGoOnTheCurveOfTheirRunYearAndDay) {
  FindChild<TDxIntMemo>(Main.get(), "mmConsecutiveYears")->SetiValue(2);
  Main->StorePages();
  TKvRerun& R = TheSession->Rerun();
  R.SetUseReRuns(true);
  R.AddRerun();
  Main->FillReruns();
  ChooseObservations(Home.Dir().Write("obs.csv", R"(RUNNAM,YEAR,DAY,VAR,VALUE,SD
KRL2,1981,150,LAI,2.5,0.4
,1980,140,LAI,1.25,
krl1,1981,300,LAI,1,
KRL1,1981,150,WSO,100,
)"));
  Run();

  TFormTableView W(nullptr);
  W.Reset(TheSession->FileManager().OutFullName());
  W.SetTitle("Water Limited Crop Growth Without Groundwater");
  W.FillComboBox(1, 3);
  W.SetUnitOffset(2);
  auto* Columns = Find<QComboBox>(&W, "CbColumns1");
  const int Lai = Columns->findText("(LAI)", Qt::MatchContains);
  ASSERT_GE(Lai, 0);
  Columns->setCurrentIndex(Lai);
  emit Columns->activated(Lai);

  const std::vector<TMarks> Marks = MarksOf(*W.Chart());
  ASSERT_EQ(Marks.size(), 3u);
  // Day 140 of 1980 on both runs' 1980 curve (no run named), day 150 of 1981
  // on KRL2's 1981 curve only; day 300 lies after the harvest: no curve there.
  EXPECT_EQ(Marks[0].Title, "KRL1,1980(1) measured");
  EXPECT_EQ(Marks[1].Title, "KRL2,1980(1) measured");
  EXPECT_EQ(Marks[2].Title, "KRL2,1981(1) measured");
  EXPECT_EQ(Marks[0].Points, QList<QPointF>{QPointF(140, 1.25)});
  EXPECT_EQ(Marks[2].Points, QList<QPointF>{QPointF(150, 2.5)});
  EXPECT_EQ(Marks[2].SD, QList<qreal>{0.4});
  for (const TMarks& M : Marks) EXPECT_TRUE(M.SameColourAsCurve) << M.Title.toStdString();

  // In the legend beside the chart and on the printed page.
  auto* Legend = Find<QListWidget>(&W, "lstLegend");
  EXPECT_EQ(Find<QLabel>(&W, "lblLegend")->text(), "Legend: 4 curves, 3 measured");
  EXPECT_EQ(Legend->findItems("KRL2,1981(1) measured", Qt::MatchExactly).size(), 1);
  int MarkEntries = 0;
  for (const TLegendEntry& E : W.Table().LegendEntries()) MarkEntries += E.Marks;
  EXPECT_EQ(MarkEntries, 3);
  // A page as printing and the vector export paint it: a circle for each
  // of the three marks and for each of their three legend entries.
  QBuffer Svg;
  Svg.open(QIODevice::WriteOnly);
  {
    QSvgGenerator Generator;
    Generator.setOutputDevice(&Svg);
    Generator.setSize(QSize(1000, 640));
    QPainter P(&Generator);
    W.Table().PaintPage(P, QRectF(0, 0, 1000, 640));
  }
  EXPECT_EQ(Svg.data().count("<circle"), 6);
}

TEST_F(TObservationsWindow, TheEvaluationOfTheSampleObservations) {
  // The sample session, as the program home's first start has it.
  Main.reset();
  for (const auto& F : std::filesystem::directory_iterator(std::string(KRL_SOURCE_DIR) + "/data/session"))
    std::filesystem::copy_file(F.path(), Home.Path("runio/") + F.path().filename().string());
  Main = std::make_unique<TFormMain>();
  ChooseObservations(Home.Path("observe/KRL_SAMPLE.csv"));
  // Without output there is nothing to evaluate yet.
  Boxes.Expect(TMsgKind::Information, "No Detailed results available.");
  FindChild<QAction>(Main.get(), "Evaluation1")->trigger();
  Run();

  TOpenRecorder Opener;
  Dialogs.ExpectModal("FormEvaluation", [&](QDialog& D) -> int {
    auto* Grid = Find<TDxStringGrid>(&D, "SgEvaluation");
    EXPECT_EQ(Grid->Cells(0, 0), "Variable");
    QStringList Vars, Counts;
    for (int r = 1; r < Grid->RowCount(); ++r) {
      Vars << Grid->Cells(0, r);
      Counts << Grid->Cells(1, r);
      for (int c = 2; c < Grid->ColCount(); ++c)
        EXPECT_NE(Grid->Cells(c, r), "undefined") << Grid->Cells(0, r).toStdString() << " column " << c;
    }
    EXPECT_EQ(Vars, (QStringList{"LAI", "WSO", "SM", "TWSO (season)"}));
    EXPECT_EQ(Counts, (QStringList{"12", "6", "8", "3"}));
    auto* Unmatched = Find<QListWidget>(&D, "lstUnmatched");
    EXPECT_EQ(Unmatched->count(), 1);
    if (Unmatched->count() > 0) {
      EXPECT_EQ(Unmatched->item(0)->text(), "line 38: every run 1982 day 250 LAI: no simulated value");
    }
    // The chart of the chosen variable: a point per pair and the 1:1 line.
    auto* Var = Find<QComboBox>(&D, "CbEvalVar");
    Var->setCurrentIndex(1);
    QScatterSeries* Pairs = nullptr;
    QLineSeries* OneToOne = nullptr;
    for (QAbstractSeries* S : Find<QChartView>(&D, "ChartEvaluation")->chart()->series()) {
      if (S->objectName() == "SeriesPairs") Pairs = static_cast<QScatterSeries*>(S);
      if (S->objectName() == "SeriesOneToOne") OneToOne = static_cast<QLineSeries*>(S);
    }
    if (!Pairs || !OneToOne) {
      ADD_FAILURE() << "the chart's series";
      return AcceptDialog(D);
    }
    EXPECT_EQ(Pairs->count(), 6);
    // Observed along, simulated up.
    QList<double> Observed;
    for (const QPointF& P : Pairs->points()) Observed << P.x();
    std::sort(Observed.begin(), Observed.end());
    EXPECT_EQ(Observed, (QList<double>{290, 450, 960, 3610, 4000, 4930}));
    EXPECT_EQ(OneToOne->count(), 2);
    for (const QPointF& P : OneToOne->points()) EXPECT_EQ(P.x(), P.y());

    QTest::mouseClick(Find<QPushButton>(&D, "btnExcelEvaluation"), Qt::LeftButton);
    return AcceptDialog(D);
  });
  FindChild<QAction>(Main.get(), "Evaluation1")->trigger();

  ASSERT_EQ(Opener.Opened.size(), 1u);
  TReadBook B;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[0]), B));
  ASSERT_EQ(B.Sheets, (std::vector<std::string>{"Evaluation1"}));
  const auto& Cells = B.Cells["Evaluation1"];
  EXPECT_EQ(Cells.at("A1").Value, "Observations:");
  EXPECT_EQ(Cells.at("A4").Value, "Variable");
  EXPECT_TRUE(Cells.at("A4").Bold);
  EXPECT_EQ(Cells.at("A5").Value, "LAI");
  EXPECT_EQ(Cells.at("B5").Type, "n");
  EXPECT_DOUBLE_EQ(std::stod(Cells.at("B5").Value), 12);
  EXPECT_EQ(Cells.at("I8").Type, "n") << "d of TWSO is a number";
  EXPECT_EQ(Cells.at("A10").Value, "Not used:");
  EXPECT_EQ(Cells.at("A11").Value, "line 38: every run 1982 day 250 LAI: no simulated value");

  // The summary window shows each measured season result below the year
  // it belongs to.
  Dialogs.ExpectModal("FormOutputSummary", [](QDialog& D) -> int {
    auto* Grid = Find<TDxStringGrid>(&D, "SgWaterLimited");
    QStringList Measured;
    for (int r = 1; r < Grid->RowCount(); ++r) {
      if (Grid->Cells(1, r).trimmed() != "measured") continue;
      EXPECT_EQ(Grid->Cells(0, r - 1).trimmed(), Grid->Cells(0, r).trimmed()) << "below its year";
      EXPECT_EQ(Grid->Cells(8, 0).trimmed(), "TWSO");
      Measured << Grid->Cells(0, r).trimmed() + ":" + Grid->Cells(8, r).trimmed() + ":" +
                      Grid->Cells(9, r).trimmed();
    }
    EXPECT_EQ(Measured, (QStringList{"1981:6650:", "1982:6900:", "1983:4980:"}));
    return AcceptDialog(D);
  });
  FindChild<QAction>(Main.get(), "Summary1")->trigger();
}
