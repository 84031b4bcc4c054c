// The graph view window: what Go shows, the window's events (column lists,
// check boxes, axis buttons, synchronisation, Redraw, a second output file),
// zooming and scrolling with the mouse, the legend beside the chart, printing
// and image export from the window.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "GraphFiles.h"
#include "KvChart.h"
#include "KvPrint.h"
#include "KvTView.h"
#include "QtHandlers.h"
#include "WinTestSupport.h"
#include "output/OutputLayout.h"

using namespace graphfiles;

namespace {
QStringList Titles(const TKvCurveChart* C) {
  QStringList L;
  for (const TKvCurve* S : C->Curves()) L << S->name();
  return L;
}

QStringList Items(const QComboBox* Cb) {
  QStringList L;
  for (int i = 0; i < Cb->count(); ++i) L << Cb->itemText(i);
  return L;
}

void Choose(QComboBox* Cb, const QString& Text) {
  const int i = Cb->findText(Text);
  ASSERT_GE(i, 0) << Text.toStdString();
  Cb->setCurrentIndex(i);
  emit Cb->activated(i);
}

void Click(QWidget* W, const char* Name) {
  QTest::mouseClick(Find<QAbstractButton>(W, Name), Qt::LeftButton);
}

TSpan Range(const QValueAxis* A) { return {A->min(), A->max()}; }

class TGraphView : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two runs whose seasons cross the turn of the year.
    File1 = Dir.Write("A.OUT", PotBlock("R1", "1990", 300, {{1990, 300, 10}, {1991, 20, 30}}) +
                                   PotBlock("R2", "1991", 300, {{1991, 300, 20}, {1992, 20, 40}}));
  }
  // The window as the detailed output window prepares it, not yet shown.
  void Prepare(const std::string& File, const std::string& Title = "Potential Crop Production", int Type = 1,
               int Offset = 4) {
    W = std::make_unique<TFormTableView>(nullptr);
    W->Reset(File);
    W->SetTitle(Title);
    W->FillComboBox(1, Type);
    W->SetUnitOffset(Offset);
  }
  // Applies the selections and draws, as Go does before showing.
  void Draw() {
    W->Table().SetYColumnOnDesc(ToCore(Find<QComboBox>(W.get(), "CbColumns1")->currentText()), 1);
    W->BitBtn1Click();
  }
  QString Q(const std::string& S) const { return QString::fromStdString(S); }

  TTempDir Dir;
  std::string File1;
  std::unique_ptr<TFormTableView> W;
};
}  // namespace

TEST_F(TGraphView, GoDrawsFile1AndShowsTheWindowModally) {
  Prepare(File1);
  TScriptedDialogs Dialogs;
  Dialogs.ExpectModal("FormTableView", [&](QDialog& D) {
    EXPECT_EQ(D.windowTitle(), "Potential Crop Production");
    EXPECT_EQ(Find<QLabel>(&D, "Label1")->text(), "Output file 1:");
    EXPECT_EQ(Find<QLabel>(&D, "lblOutputFile1")->text(), "A.OUT");  // no session: the file's name
    EXPECT_EQ(Find<QLabel>(&D, "lblOutputFile1")->toolTip(), Q(File1));
    EXPECT_EQ(Find<QLabel>(&D, "lblOutputFile2")->text(), "<none>");
    EXPECT_EQ(Find<QLabel>(&D, "lblOutputFile2")->toolTip(), "");
    const QComboBox* Cb1 = Find<QComboBox>(&D, "CbColumns1");
    EXPECT_EQ(Items(Cb1),
              QStringList({"Development Stage (DVS)", "Temperature Sum (TSUM)", "Living Leaves (WLV)",
                           "Living Stems (WST)", "Living Storage Organs (WSO)",
                           "Total Above Ground Production (TAGP)", "Leaf Area Index (LAI)",
                           "Transpiration Rate (TRA)", "Gross Assimilation Rate (GASS)",
                           "Maintenance Respiration Rate (MRES)", "Dry Matter Increase Rate (DMI)",
                           "WLV + WST + WSO = TAGP"}));
    EXPECT_EQ(Cb1->currentIndex(), 0);
    EXPECT_EQ(Cb1->maxVisibleItems(), 25);
    EXPECT_FALSE(Cb1->isEditable());
    EXPECT_EQ(Find<QComboBox>(&D, "CbColumns2")->count(), 0);
    EXPECT_TRUE(Find<QCheckBox>(&D, "CheckBox1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>(&D, "CheckBox2")->isChecked());
    EXPECT_TRUE(Find<QRadioButton>(&D, "rbEndYear")->isChecked());
    EXPECT_EQ(Find<QGroupBox>(&D, "grpSync")->title(), "Synchronize on ");
    EXPECT_EQ(Find<QPushButton>(&D, "BtnYaxis1")->text(), "Y-Axis 1");
    EXPECT_EQ(Find<QPushButton>(&D, "BtnYaxis2")->text(), "Y-Axis 2");
    EXPECT_EQ(Find<QPushButton>(&D, "BtnOutfile2")->text(), "&Output file 2...");
    EXPECT_EQ(Find<QPushButton>(&D, "BitBtn1")->text(), "Redraw");
    EXPECT_EQ(Find<QPushButton>(&D, "BtnPrint")->text(), "Print...");
    EXPECT_EQ(Find<QPushButton>(&D, "BtnClose")->text(), "&Close");
    EXPECT_EQ(Titles(W->Chart()), QStringList({"R1,1990(1)", "R2,1991(1)"}));
    EXPECT_EQ(W->Chart()->AxisLeft()->titleText(), "DVS (-)");
    EXPECT_EQ(Find<QListWidget>(&D, "lstLegend")->count(), 2);
    EXPECT_EQ(Find<QListWidget>(&D, "lstLegend")->item(1)->text(), "R2,1991(1)");
    QTest::keyClick(&D, Qt::Key_Escape);  // closes
    EXPECT_FALSE(D.isVisible());
    return D.result();
  });
  W->Go();
}

TEST_F(TGraphView, ListsCheckBoxesAxisButtonsAndSynchronisationRedraw) {
  Prepare(File1);
  Draw();
  W->show();  // clicks land on laid-out buttons
  QApplication::processEvents();
  Choose(Find<QComboBox>(W.get(), "CbColumns1"), "Living Leaves (WLV)");
  EXPECT_EQ(W->Chart()->AxisLeft()->titleText(), "WLV (kg/ha)");
  EXPECT_EQ(W->Chart()->Curves().at(0)->points(), QList<QPointF>({{-65, 10}, {20, 30}}));

  // The axis button moves file 1 to the right axis and back.
  QPushButton* Axis1 = Find<QPushButton>(W.get(), "BtnYaxis1");
  Click(W.get(), "BtnYaxis1");
  EXPECT_EQ(Axis1->text(), "Y-Axis 2");
  EXPECT_EQ(W->Chart()->Curves().at(0)->VertAxis(), Qt::AlignRight);
  EXPECT_EQ(W->Chart()->AxisRight()->titleText(), "WLV (kg/ha)");
  Click(W.get(), "BtnYaxis1");
  EXPECT_EQ(Axis1->text(), "Y-Axis 1");
  EXPECT_EQ(W->Chart()->Curves().at(0)->VertAxis(), Qt::AlignLeft);

  // Synchronising on the first year waits for Redraw.
  Click(W.get(), "rbStartYear");
  EXPECT_EQ(W->Table().SyncOption(), soStartYear);
  EXPECT_EQ(W->Chart()->Curves().at(0)->points().first().x(), -65);
  Click(W.get(), "BitBtn1");
  EXPECT_EQ(W->Chart()->Curves().at(0)->points(), QList<QPointF>({{300, 10}, {385, 30}}));
  Click(W.get(), "rbEndYear");
  EXPECT_EQ(W->Table().SyncOption(), soEndYear);

  // Unchecking file 1 leaves only the title.
  Click(W.get(), "CheckBox1");
  EXPECT_TRUE(W->Chart()->Curves().isEmpty());
  EXPECT_EQ(W->Chart()->Title(), "Potential Crop Production");
  EXPECT_EQ(Find<QListWidget>(W.get(), "lstLegend")->count(), 0);
  Click(W.get(), "CheckBox1");
  EXPECT_EQ(W->Chart()->Curves().size(), 2);
}

TEST_F(TGraphView, ASecondOutputFileGetsTheTableTypeOfTheTitleOrOfItsGroundwater) {
  layout::TOptions O;
  O.Days = 3;
  O.Groundwater = true;
  std::ofstream(Dir / "GW.OUT", std::ios::binary) << [&] {
    std::ostringstream S;
    layout::WriteSession(S, layout::MakeSession({"G1"}, 1987, 1, O, false));
    return S.str();
  }();
  const std::string Water = Dir.Write("W.OUT", WaterBlock("R1", "1990", 100, {{1990, 100, 300}}));

  const std::string NoGw = "Water Limited Crop Growth Without Groundwater";
  struct {
    std::string Title, First;
    int Type, Offset;
    std::string File, ListEntry, Curve;
  } Cases[] = {
      {"Potential Crop Production", File1, 1, 4, File1, "WLV + WST + WSO = TAGP", "R1,1990(2)"},
      {NoGw, Water, 3, 2, Water, "RESRV + AVAIL", "R1,1990(2)"},
      {NoGw, Water, 3, 2, Dir / "GW.OUT", "TRA + EVAP", "G1,1987(2)"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Title + " " + C.File);
    Prepare(C.First, C.Title, C.Type, C.Offset);
    Draw();
    TScriptedDialogs Dialogs;
    Dialogs.ExpectFile(Q(C.File));
    Click(W.get(), "BtnOutfile2");
    const TFileDialogRequest& R = Dialogs.FileRequests().at(0);
    EXPECT_EQ(R.Title, "Open File...");
    EXPECT_EQ(R.Filter, "Output Files (*.out)|*.out");
    EXPECT_FALSE(R.Save);
    EXPECT_EQ(Find<QLabel>(W.get(), "lblOutputFile2")->text(), QFileInfo(Q(C.File)).fileName());
    EXPECT_EQ(Find<QLabel>(W.get(), "lblOutputFile2")->toolTip(), Q(C.File));
    EXPECT_TRUE(Find<QCheckBox>(W.get(), "CheckBox2")->isChecked());
    const QComboBox* Cb2 = Find<QComboBox>(W.get(), "CbColumns2");
    EXPECT_TRUE(Items(Cb2).contains(Q(C.ListEntry)));
    EXPECT_EQ(Cb2->currentIndex(), 0);
    EXPECT_TRUE(Titles(W->Chart()).contains(Q(C.Curve))) << Titles(W->Chart()).join(" ").toStdString();
    EXPECT_EQ(W->FullName(2), C.File);
  }
}

TEST_F(TGraphView, WithoutFile1TheActivationUnchecksIt) {
  Prepare("");
  W->show();
  QApplication::processEvents();
  EXPECT_FALSE(Find<QCheckBox>(W.get(), "CheckBox1")->isChecked());
  EXPECT_FALSE(W->Table().ChartInfo(1).FActive);
  EXPECT_EQ(Find<QComboBox>(W.get(), "CbColumns1")->count(), 0);
}

TEST_F(TGraphView, LeftDragZoomsRightDragScrollsUpLeftShowsAllWheelDoesNothing) {
  Prepare(File1);
  Draw();
  W->resize(1000, 700);
  W->show();
  QApplication::processEvents();
  const TKvChartView* View = Find<TKvChartView>(W.get(), "Chart1");
  QWidget* Vp = View->viewport();
  TKvCurveChart* C = W->Chart();
  const QRectF Plot = View->mapFromScene(C->mapToScene(C->plotArea())).boundingRect();
  const TSpan WholeX = Range(C->AxisX()), WholeY = Range(C->AxisLeft());
  auto Drag = [&](Qt::MouseButton B, QPointF From, QPointF To) {
    QTest::mousePress(Vp, B, {}, From.toPoint());
    QTest::mouseMove(Vp, ((From + To) / 2).toPoint());
    QTest::mouseMove(Vp, To.toPoint());
    QTest::mouseRelease(Vp, B, {}, To.toPoint());
  };
  const QPointF A = Plot.topLeft() + QPointF(Plot.width() / 4, Plot.height() / 4);
  const QPointF B = Plot.topLeft() + QPointF(Plot.width() * 3 / 4, Plot.height() * 3 / 4);
  Drag(Qt::LeftButton, A, B);
  const TSpan ZoomX = Range(C->AxisX());
  EXPECT_NEAR(ZoomX.Min, WholeX.Min + (WholeX.Max - WholeX.Min) / 4, 2);
  EXPECT_NEAR(ZoomX.Max, WholeX.Min + (WholeX.Max - WholeX.Min) * 3 / 4, 2);
  EXPECT_LT(C->AxisLeft()->max() - C->AxisLeft()->min(), (WholeY.Max - WholeY.Min) * 0.6);

  Drag(Qt::RightButton, A, A + QPointF(Plot.width() / 10, 0));  // the content follows the mouse
  EXPECT_NEAR(C->AxisX()->min(), ZoomX.Min - (ZoomX.Max - ZoomX.Min) / 10, 1);
  EXPECT_NEAR(C->AxisX()->max() - C->AxisX()->min(), ZoomX.Max - ZoomX.Min, 1e-6);

  const TSpan Before = Range(C->AxisX());
  QWheelEvent Wheel(A, View->mapToGlobal(A), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(Vp, &Wheel);
  EXPECT_EQ(Range(C->AxisX()), Before);

  Drag(Qt::LeftButton, B, A);  // up and to the left: the whole graph
  EXPECT_EQ(Range(C->AxisX()), WholeX);
  EXPECT_EQ(Range(C->AxisLeft()), WholeY);
}

TEST_F(TGraphView, HundredsOfCurvesGoToAScrollableLegendBesideThePlot) {
  layout::TOptions O;
  O.Days = 4;
  std::ostringstream S;
  layout::WriteSession(
      S, layout::MakeSession({"K1", "K2", "K3", "K4", "K5", "K6", "K7", "K8", "K9"}, 1971, 30, O, false));
  const std::string Big = Dir.Write("BIG.OUT", S.str());
  Prepare(Big);
  Draw();
  W->resize(1000, 700);
  W->show();
  QApplication::processEvents();
  QListWidget* Legend = Find<QListWidget>(W.get(), "lstLegend");
  ASSERT_EQ(Legend->count(), 270);
  EXPECT_EQ(Legend->item(269)->text(), "K9,2000(1)");
  EXPECT_GT(Legend->verticalScrollBar()->maximum(), 0);
  const TKvChartView* View = Find<TKvChartView>(W.get(), "Chart1");
  EXPECT_GT(View->width(), Find<QSplitter>(W.get(), "splChart")->width() * 0.6);
  EXPECT_GT(W->Chart()->plotArea().width(), 400);

  // Unchecking an entry hides its curve.
  Legend->item(3)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(W->Chart()->Curves().at(3)->isVisible());
  EXPECT_EQ(W->Table().LegendEntries().size(), 269);
}

TEST_F(TGraphView, PrintAndSaveImageShowTitleLegendAndAxisTitles) {
  Prepare(File1);
  Choose(Find<QComboBox>(W.get(), "CbColumns1"), "Living Leaves (WLV)");
  const QString Pdf = Q(Dir / "printed.pdf");
  auto Old = SetPrinterHandler([&] { return TPrinterChoice{"Test printer", Pdf}; });
  {
    TScriptedMessages Boxes;
    Boxes
        .Expect(TMsgKind::Confirmation, "Print current graph to default printer:\n\rTest printer",
                TMsgResult::Ok)
        .Expect(TMsgKind::Information, "Printed!");
    Click(W.get(), "BtnPrint");
  }
  SetPrinterHandler(Old);
  EXPECT_TRUE(OneLandscapePage(PdfInfo(Pdf)));
  const QString Text = PdfText(Pdf);
  for (const char* Expected :
       {"Potential Crop Production", "WLV (kg/ha)", "DAY (n)", "R1,1990(1)", "R2,1991(1)"})
    EXPECT_TRUE(Text.contains(Expected)) << Expected << "\n" << Text.toStdString();

  TScriptedDialogs Dialogs;
  Dialogs.ExpectFile(Q(Dir / "graph.svg"));
  Click(W.get(), "BtnSaveImage");
  EXPECT_EQ(Dialogs.FileRequests().at(0).FileName, "A_potential_WLV_R1-R2.png");
  QFile Svg(Q(Dir / "graph.svg"));
  ASSERT_TRUE(Svg.open(QIODevice::ReadOnly));
  const QByteArray SvgText = Svg.readAll();
  for (const char* Expected : {"Potential Crop Production", "WLV (kg/ha)", "R2,1991(1)"})
    EXPECT_TRUE(SvgText.contains(Expected)) << Expected;
}

TEST_F(TGraphView, ARedrawThatFailsShowsTheErrorAndTheWindowStays) {
  Prepare(File1);
  Draw();
  std::filesystem::remove(File1);
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "File '" + File1 + "' not found.");
  Click(W.get(), "BitBtn1");
  EXPECT_TRUE(W->Chart()->Curves().isEmpty());
  EXPECT_EQ(Find<QListWidget>(W.get(), "lstLegend")->count(), 0);
}
