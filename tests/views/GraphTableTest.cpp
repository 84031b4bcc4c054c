// The graph view's tables drawn into a curve chart, without a window: which
// curves a file gives, their titles, points, axes and axis titles, and the
// failures. Small hand-written output files show the rules; the bundled
// model's output shows that the catalogues fit the model's tables.

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QValueAxis>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "GraphFiles.h"
#include "GraphModelRun.h"
#include "KvChart.h"
#include "KvTable.h"
#include "WinTestSupport.h"
#include "foundations/DxLine.h"

using namespace graphfiles;

namespace {
// Fills file Nr's catalogue of table type OutType as the window does.
void FillCatalogue(TKvTable& T, int Nr, int OutType) {
  for (const TColumnDef& C : ColumnCatalogue(OutType)) T.AddColumn(C.Name, C.Units, C.Desc, Nr);
}

QStringList Titles(const TKvCurveChart& C) {
  QStringList L;
  for (const TKvCurve* S : C.Curves()) L << S->name();
  return L;
}

class TGraphTable : public ::testing::Test {
 protected:
  // A table on file Path as file 1, catalogue type 1, unit offset 4.
  void Open(const std::string& Path, const std::string& YDesc, int OutType = 1, int UnitOffset = 4) {
    Table.Reset(Path, 1);
    Table.Reset("", 2);
    FillCatalogue(Table, 1, OutType);
    Table.SetUnitOffset(UnitOffset);
    Table.SetTitle("Potential Crop Production");
    Table.SetYColumnOnDesc(YDesc, 1);
  }
  // File 2 := Path with the same table type.
  void OpenSecond(const std::string& Path, const std::string& YDesc, int OutType = 1) {
    Table.Reset(Path, 2);
    FillCatalogue(Table, 2, OutType);
    Table.SetActive(2, true);
    Table.SetYColumnOnDesc(YDesc, 2);
  }
  const QList<QPointF> Points(int i) const { return Chart.Curves().at(i)->points(); }

  TTempDir Dir;
  TKvCurveChart Chart;
  TKvTable Table{nullptr, &Chart};
};
}  // namespace

// ---------------------------------------------------------------- rules

TEST(GraphRules, XValuesCountDaysFromTheReferenceYear) {
  struct {
    int Day, Year, Ref;
    bool Leap;
    long long X;
  } Cases[] = {
      {10, 2001, 2000, IsLeapYear(2001), 375},   // single column: the line's year
      {10, 2001, 2000, IsLeapYear(2000), 376},   // sum entry: the reference year
      {10, 2004, 2001, IsLeapYear(2004), 1108},  // 10 + 3 x 366
      {10, 2004, 2001, IsLeapYear(2001), 1105},  // 10 + 3 x 365
      {300, 1999, 2000, IsLeapYear(1999), -65},  // before the reference year
  };
  for (const auto& C : Cases)
    EXPECT_EQ(TablePointX(C.Day, C.Year, C.Ref, C.Leap), C.X) << C.Year << "/" << C.Day;
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_TRUE(IsLeapYear(1996));
  EXPECT_FALSE(IsLeapYear(2001));
}

TEST(GraphRules, StartDayHeaderAndAxisRules) {
  TDxLine L;
  L.SetStr("start waterbalance day 1 , sowing date day 90 EMERGENCE date day 112");
  EXPECT_EQ(StartDayOfLine(L), 112);
  L.SetStr("start waterbalance day 1 sowing date day 90 emergence date day 0");
  EXPECT_EQ(StartDayOfLine(L), -1);
  L.SetStr("start waterbalance day 1 sowing date day 90");
  EXPECT_EQ(StartDayOfLine(L), -1);

  const std::vector<std::string> Names = {"YEAR", "DAY", "TRA", "TRA+EVAP"};
  L.SetStr(" YEAR DAY TRA EVAP");
  EXPECT_TRUE(HeaderMatchesNames(L, Names));  // the sum entry is no header word
  L.SetStr(" YEAR DAY tra");
  EXPECT_FALSE(HeaderMatchesNames(L, Names));
  EXPECT_TRUE(HeaderMatchesNames(L, {"YEAR"}));

  EXPECT_EQ(JoinAxisTitles("WLV (kg/ha)", "LAI (m2/m2)"), "WLV (kg/ha)    LAI (m2/m2)");
  EXPECT_EQ(JoinAxisTitles("", "LAI (m2/m2)"), "LAI (m2/m2)");
  EXPECT_EQ(VertAxisSpan(2, 50), (TSpan{2, 55}));
  EXPECT_EQ(VertAxisSpan(-20, -10), (TSpan{-20, -9}));  // not 1.1 x -10, which would cut the curve
  EXPECT_EQ(VertAxisSpan(0, 0), (TSpan{0, 1}));
}

TEST(GraphRules, DragsZoomScrollOrShowTheWholeGraph) {
  EXPECT_EQ(DragAction(50, 30), TDragAction::Zoom);
  EXPECT_EQ(DragAction(50, -30), TDragAction::Zoom);
  EXPECT_EQ(DragAction(-50, -30), TDragAction::WholeGraph);
  EXPECT_EQ(DragAction(-50, 30), TDragAction::None);
  EXPECT_EQ(DragAction(2, 1), TDragAction::None);
  EXPECT_EQ(DragAction(80, 0), TDragAction::None);  // no height: nothing to zoom to
  // Pixels 100..300 of 400 show the middle half; vertically counted from the top.
  EXPECT_EQ(ZoomSpan({0, 40}, 300, 100, 400, false), (TSpan{10, 30}));
  EXPECT_EQ(ZoomSpan({0, 40}, 0, 100, 400, true), (TSpan{30, 40}));
  // Dragging right shows what lies left; dragging down what lies above.
  EXPECT_EQ(ScrollSpan({0, 40}, 100, 400, false), (TSpan{-10, 30}));
  EXPECT_EQ(ScrollSpan({0, 40}, 100, 400, true), (TSpan{10, 50}));
  EXPECT_EQ(NiceStep(1000, 10), 100);
  EXPECT_EQ(NiceStep(0.9, 8), 0.2);
  EXPECT_EQ(NiceStep(13000, 8), 2000);
}

// ---------------------------------------------------------------- drawing

TEST_F(TGraphTable, SingleAndSumColumnsCountLeapYearsDifferently) {
  // Reference year 2000 and 2001 (sync on the first year); day 100 is the start day.
  const std::string F =
      Dir.Write("A.OUT", PotBlock("R1", "2000", 100, {{2000, 100, 10}, {2001, 10, 20}}) +
                             PotBlock("R2", "2001", 100, {{2001, 100, 30}, {2004, 10, 40}}));
  Open(F, "Living Leaves (WLV)");
  Table.SetSyncOption(soStartYear);
  Table.Draw();
  ASSERT_EQ(Titles(Chart), QStringList({"R1,2000(1)", "R2,2001(1)"}));
  EXPECT_EQ(Points(0), QList<QPointF>({{100, 10}, {375, 20}}));
  EXPECT_EQ(Points(1), QList<QPointF>({{100, 30}, {1108, 40}}));

  Table.SetYColumnOnDesc("wlv + WST + wso = tagp", 1);  // letter case ignored
  Table.Draw();
  ASSERT_EQ(Titles(Chart),
            QStringList({"R1,2000,WLV(1)", "R1,2000,WST(1)", "R1,2000,WSO(1)", "R1,2000,TAGP(1)",
                         "R2,2001,WLV(1)", "R2,2001,WST(1)", "R2,2001,WSO(1)", "R2,2001,TAGP(1)"}));
  EXPECT_EQ(Points(0), QList<QPointF>({{100, 10}, {376, 20}}));
  EXPECT_EQ(Points(3), QList<QPointF>({{100, 13}, {376, 23}}));   // TAGP
  EXPECT_EQ(Points(6), QList<QPointF>({{100, 32}, {1105, 42}}));  // WSO of R2
  for (const TKvCurve* C : Chart.Curves()) {
    EXPECT_EQ(C->Style(), TKvCurve::Line);
    EXPECT_EQ(C->pen().widthF(), 2);
    EXPECT_EQ(C->VertAxis(), Qt::AlignLeft);
  }
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "WLV+WST+WSO=TAGP (kg/ha)");
}

TEST_F(TGraphTable, EndYearSyncAndTheStartDay) {
  const std::string F = Dir.Write(
      "B.OUT", PotBlock("R1", "1999", 300, {{1999, 299, 5}, {1999, 300, 6}, {2000, 10, 7}, {2000, 20, 8}}) +
                   PotBlock("R2", "2000", 99, {{2000, 50, 1}, {2000, 51, 2}}));
  Open(F, "Living Leaves (WLV)");
  EXPECT_EQ(Table.SyncOption(), soEndYear);
  Table.Draw();
  ASSERT_EQ(Chart.Curves().size(), 2);
  // Day 299 lies before the start day; the last year's days are the x values.
  EXPECT_EQ(Points(0), QList<QPointF>({{-65, 6}, {10, 7}, {20, 8}}));
  // No line has the start day 99: the run gives an empty curve.
  EXPECT_TRUE(Points(1).isEmpty());
  EXPECT_EQ(Chart.Curves().at(1)->name(), "R2,2000(1)");

  // The sync option takes effect at the next drawing only.
  Table.SetSyncOption(soStartYear);
  EXPECT_EQ(Points(0).first(), QPointF(-65, 6));
  Table.Draw();
  EXPECT_EQ(Points(0), QList<QPointF>({{300, 6}, {376, 7}, {386, 8}}));  // 2000 has 366 days
}

TEST_F(TGraphTable, TitlesUnitsAndAxisRanges) {
  const std::string F = Dir.Write("C.OUT", PotBlock("R1", "1990", 100, {{1990, 100, 20}, {1990, 101, 50}}));
  Open(F, "Temperature Sum (TSUM)");
  Table.Draw();
  EXPECT_EQ(Chart.Title(), "Potential Crop Production");
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "TSUM (degrd)");
  EXPECT_EQ(Chart.AxisX()->titleText(), "DAY (n)");
  EXPECT_EQ(Table.GetYColumnUnit(1), "degrd");  // taken from the units line, kept in the catalogue
  EXPECT_EQ(Table.GetXColumnDesc(1), "Day number (DAY)");

  Table.SetYColumnOnDesc("Living Leaves (WLV)", 1);
  Table.Draw();
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "WLV (kg/ha)");
  EXPECT_DOUBLE_EQ(Chart.AxisLeft()->min(), 20);
  EXPECT_DOUBLE_EQ(Chart.AxisLeft()->max(), 55);
  EXPECT_TRUE(Chart.AxisLeft()->isVisible());
  EXPECT_FALSE(Chart.AxisRight()->isVisible());  // nothing on it
  EXPECT_DOUBLE_EQ(Chart.AxisX()->min(), 100);
  EXPECT_DOUBLE_EQ(Chart.AxisX()->max(), 101);

  // A description that is not in the catalogue changes nothing.
  Table.SetYColumnOnDesc("No such column", 1);
  EXPECT_EQ(Table.ChartInfo(1).FYColumn, "WLV");
  EXPECT_EQ(Table.GetYColumnDesc(1), "Living Leaves (WLV)");
}

TEST_F(TGraphTable, TheSameFileTwiceOnOneAxisOrOnTwo) {
  const std::string F = Dir.Write("D.OUT", PotBlock("R1", "1990", 100, {{1990, 100, 20}, {1990, 101, 50}}) +
                                               PotBlock("R2", "1991", 100, {{1991, 100, 70}}));
  Open(F, "Living Leaves (WLV)");
  OpenSecond(F, "Leaf Area Index (LAI)");
  Table.Draw();
  EXPECT_EQ(Titles(Chart), QStringList({"R1,1990(1)", "R2,1991(1)", "R1,1990(2)", "R2,1991(2)"}));
  EXPECT_EQ(Chart.Curves().at(2)->VertAxis(), Qt::AlignRight);
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "WLV (kg/ha)");
  EXPECT_EQ(Chart.AxisRight()->titleText(), "LAI (m2/m2)");
  EXPECT_DOUBLE_EQ(Chart.AxisRight()->max(), 0.1 * 1.1);

  Table.ChangeVertAxis(2);  // file 2 to the left axis as well
  Table.Draw();
  EXPECT_EQ(Table.VertAxisTitle(TYAxis::Left), "WLV (kg/ha)    LAI (m2/m2)");
  // Shown with its four blanks: the axis's rich text would fold plain ones.
  EXPECT_EQ(Chart.AxisLeft()->titleText(), QString("WLV (kg/ha) \u00a0\u00a0\u00a0LAI (m2/m2)"));
  EXPECT_EQ(Chart.AxisRight()->titleText(), "");
  EXPECT_FALSE(Chart.AxisRight()->isVisible());
  EXPECT_DOUBLE_EQ(Chart.AxisLeft()->min(), 0.1);
  EXPECT_DOUBLE_EQ(Chart.AxisLeft()->max(), 77);

  // Both files unchecked: only the title is left.
  Table.SetActive(1, false);
  Table.SetActive(2, false);
  Table.Draw();
  EXPECT_TRUE(Chart.Curves().isEmpty());
  EXPECT_EQ(Chart.Title(), "Potential Crop Production");
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "");
  EXPECT_FALSE(Chart.AxisLeft()->isVisible());
  EXPECT_FALSE(Chart.AxisX()->isVisible());
}

TEST_F(TGraphTable, StressDaysAreBarsAndTheOtherTableTypeGivesNothing) {
  const std::string F =
      Dir.Write("E.OUT", WaterBlock("R1", "1990", 100, {{1990, 99, 100}, {1990, 100, 300}}) +
                             PotBlock("R1", "1990", 100, {{1990, 100, 20}}));
  Open(F, "Days with stress conditions (too dry) (dry)", 3, 2);
  Table.Draw();
  ASSERT_EQ(Chart.Curves().size(), 1);  // the potential table does not match
  EXPECT_EQ(Chart.Curves().at(0)->Style(), TKvCurve::Bars);
  EXPECT_EQ(Points(0), QList<QPointF>({{100, 6}}));
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "dry (days)");
  EXPECT_EQ(Table.ChartInfo(1).FColumnUnits.back(), "cm");  // a given unit stays

  Table.SetYColumnOnDesc("RESRV + AVAIL", 1);
  Table.Draw();
  EXPECT_EQ(Titles(Chart), QStringList({"R1,1990,RESRV(1)", "R1,1990,AVAIL(1)"}));
  EXPECT_EQ(Points(1), QList<QPointF>({{100, 4}}));
  EXPECT_EQ(Chart.AxisLeft()->titleText(), "RESRV+AVAIL (cm)");
}

TEST_F(TGraphTable, FailuresKeepWhatWasDrawnBefore) {
  struct {
    const char* Name;
    std::string Content;
    std::string Message;
    int CurvesLeft;
  } Cases[] = {
      {"NOSTART.OUT",
       PotBlock("R1", "1990", 100, {{1990, 100, 20}}) + PotBlock("R2", "1991", -1, {{1991, 100, 20}}),
       "No emergence date found in ", 1},
      {"BADYEAR.OUT",
       PotBlock("R1", "1990", 100, {{1990, 100, 20}}) + Header("R2", "1991") +
           "start waterbalance day 1 sowing date day 90 emergence date day 100\r\n"
           " YEAR DAY IDSEM  DVS   TSUM    WLV    WST    WSO   TAGP    LAI   TRA  GASS  MRES     DMI\r\n"
           " degrd\r\n 1991 100 10 0.50 100.0 20\r\n 199x 101\r\n",
       "'199x' is not a valid integer value", 2},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string F = Dir.Write(C.Name, C.Content);
    Open(F, "Living Leaves (WLV)");
    try {
      Table.Draw();
      ADD_FAILURE() << "no failure";
    } catch (const std::exception& E) {
      const std::string Expected = C.Message == "No emergence date found in " ? C.Message + F : C.Message;
      EXPECT_EQ(E.what(), Expected);
    }
    EXPECT_EQ(Chart.Curves().size(), C.CurvesLeft);
    EXPECT_EQ(Points(0), QList<QPointF>({{100, 20}}));
    EXPECT_DOUBLE_EQ(Chart.AxisLeft()->max(), 22);  // ranged all the same
  }

  // A sum column that is not a number.
  const std::string Bad =
      Dir.Write("BADSUM.OUT", Header("R1", "1990") +
                                  "start waterbalance day 1 sowing date day 90 emergence date day 100\r\n"
                                  " YEAR DAY IDSEM  DVS   TSUM    WLV    WST    WSO   TAGP"
                                  "    LAI   TRA  GASS  MRES     DMI\r\n"
                                  " degrd\r\n 1990 100 10 0.5 1.0 20 21 22 23\r\n"
                                  " 1990 101 10 0.5 1.0 20 21 n/a 23\r\n");
  Open(Bad, "WLV + WST + WSO = TAGP");
  try {
    Table.Draw();
    ADD_FAILURE() << "no failure";
  } catch (const std::exception& E) {
    EXPECT_STREQ(E.what(), "'n/a' is not a valid floating point value");
  }
  ASSERT_EQ(Chart.Curves().size(), 4);
  EXPECT_EQ(Points(1).size(), 2);
  EXPECT_EQ(Points(2).size(), 1);

  // A file that has gone.
  Open(Dir / "GONE.OUT", "Living Leaves (WLV)");
  try {
    Table.Draw();
    ADD_FAILURE() << "no failure";
  } catch (const std::exception& E) {
    EXPECT_EQ(E.what(), "File '" + Dir / "GONE.OUT" + "' not found");
  }
  EXPECT_TRUE(Chart.Curves().isEmpty());
}

TEST_F(TGraphTable, RerunsAreReadFromTheRunBlocks) {
  const std::string F = Dir.Write("F.OUT", PotBlock("R1", "1990", 100, {{1990, 100, 20}}, "no"));
  Open(F, "Living Leaves (WLV)");
  Table.Draw();
  EXPECT_FALSE(Table.HasReruns());
  Open(Dir.Write("G.OUT", PotBlock("R1", "1990", 100, {{1990, 100, 20}}, "yes")), "Living Leaves (WLV)");
  Table.Draw();
  EXPECT_TRUE(Table.HasReruns());
}

// ---------------------------------------------------------------- the model's output

namespace {
class TGraphModelOutput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Home = std::make_unique<TSampleHome>();
    TModelRunOptions O;
    O.Reruns = 3;
    Plain = RunSampleModel(O);
    O.Reruns = 1;
    O.Groundwater = true;
    Copy(Plain, "PLAIN.OUT");
    Plain = Home->Path("output/PLAIN.OUT");
    Groundwater = RunSampleModel(O);
  }
  static void TearDownTestSuite() { Home.reset(); }
  static void Copy(const std::string& From, const std::string& To) {
    std::filesystem::copy_file(From, Home->Path("output/" + To));
  }

  static std::unique_ptr<TSampleHome> Home;
  static std::string Plain, Groundwater;
  TKvCurveChart Chart;
  TKvTable Table{nullptr, &Chart};
};
std::unique_ptr<TSampleHome> TGraphModelOutput::Home;
std::string TGraphModelOutput::Plain, TGraphModelOutput::Groundwater;
}  // namespace

TEST_F(TGraphModelOutput, ThreeRunsGiveThreeCurvesOrTwelveForTheSum) {
  ASSERT_FALSE(Plain.empty());
  Table.Reset(Plain, 1);
  FillCatalogue(Table, 1, 1);
  Table.SetUnitOffset(4);
  Table.SetYColumnOnDesc("Living Storage Organs (WSO)", 1);
  Table.Draw();
  EXPECT_EQ(Titles(Chart), QStringList({"KRL1,1980(1)", "KRL2,1980(1)", "KRL3,1980(1)"}));
  EXPECT_TRUE(Table.HasReruns());
  Table.SetYColumnOnDesc("WLV + WST + WSO = TAGP", 1);
  Table.Draw();
  EXPECT_EQ(Chart.Curves().size(), 12);
  EXPECT_EQ(Chart.Curves().at(11)->name(), "KRL3,1980,TAGP(1)");
  // The curves begin on the emergence day.
  EXPECT_FALSE(Chart.Curves().at(0)->points().isEmpty());
  EXPECT_DOUBLE_EQ(Chart.Curves().at(0)->points().first().x(), 53);
}

TEST_F(TGraphModelOutput, EveryListedColumnOfEveryTableTypeIsFoundWithItsUnit) {
  ASSERT_FALSE(Groundwater.empty());
  struct {
    int Type, Offset;
    std::string File;
  } Cases[] = {{1, 4, Plain}, {3, 2, Plain}, {2, 2, Groundwater}};
  for (const auto& C : Cases) {
    Table.Reset(C.File, 1);
    FillCatalogue(Table, 1, C.Type);
    Table.SetUnitOffset(C.Offset);
    for (const TColumnDef& Col : ColumnCatalogue(C.Type)) {
      if (!Col.Listed) continue;
      SCOPED_TRACE(std::to_string(C.Type) + " " + Col.Name);
      Table.SetYColumnOnDesc(Col.Desc, 1);
      Table.Draw();
      ASSERT_FALSE(Chart.Curves().isEmpty());
      EXPECT_FALSE(Chart.Curves().at(0)->points().isEmpty());
      // The unit came from the units line (or the catalogue).
      EXPECT_TRUE(Chart.AxisLeft()->titleText().endsWith(")")) << Chart.AxisLeft()->titleText().toStdString();
    }
  }
}

TEST(GraphChart, TheTitleIsPaintedLeftAlignedInALargeFont) {
  TKvCurveChart Chart;
  Chart.SetTitle("Potential Crop Production");
  Chart.resize(900, 500);
  QImage Image(900, 500, QImage::Format_ARGB32);
  Image.fill(Qt::white);
  {
    QPainter P(&Image);
    PaintChartPage(P, QRectF(0, 0, 900, 500), Chart, {});
  }
  // The page lays the chart out at its own width: find the title by its ink.
  auto InkIn = [&](int X0, int X1) {
    int N = 0;
    for (int y = 0; y < 36; ++y)
      for (int x = X0; x < X1; ++x) N += qGray(Image.pixel(x, y)) < 128;
    return N;
  };
  EXPECT_GT(InkIn(0, 300), 200);
  EXPECT_EQ(InkIn(600, 900), 0);
  EXPECT_GE(Chart.titleFont().pointSizeF(), 14);
}

TEST(GraphChart, AxisTicksStayFewWhenTheRangeChangesByOrdersOfMagnitude) {
  // The axis lays out its ticks at every change of range or interval; a
  // stale interval on a new range would make it lay out thousands.
  TKvCurveChart Chart;
  QValueAxis* A = Chart.AxisLeft();
  double MostTicks = 0;
  auto Look = [&] {
    if (A->tickInterval() > 0) MostTicks = std::max(MostTicks, (A->max() - A->min()) / A->tickInterval());
  };
  QObject::connect(A, &QValueAxis::rangeChanged, Look);
  QObject::connect(A, &QValueAxis::tickIntervalChanged, Look);
  for (TSpan S : {TSpan{0, 2.2}, TSpan{0, 22000}, TSpan{0, 0.05}, TSpan{-3e5, 1e6}, TSpan{0, 1}}) {
    SetAxisSpan(A, S);
    EXPECT_EQ(A->min(), S.Min);
    EXPECT_EQ(A->max(), S.Max);
    EXPECT_EQ(A->tickInterval(), NiceStep(S.Max - S.Min, 8));
  }
  EXPECT_LE(MostTicks, 20);

  // Zooming deep into a curve does the same.
  Chart.resize(800, 500);
  Chart.SetWholeRanges({0, 10000}, {0, 20000}, {0, 1});
  for (int i = 0; i < 6; ++i) Chart.ZoomToRect(Chart.plotArea().adjusted(100, 50, -100, -50));
  EXPECT_LE(MostTicks, 20);
  EXPECT_LT(A->max() - A->min(), 5000);
}

TEST(GraphChart, CurvesAreClippedToThePlotGeometrically) {
  const QRectF R(0, 0, 10, 10);
  using L = QList<QPolygonF>;
  const QPolygonF Inside({{1, 1}, {5, 5}, {9, 1}});
  EXPECT_EQ(ClipPolyline(Inside, R), L({Inside}));
  // Out through the right edge and back in: two parts, cut at the edge.
  EXPECT_EQ(ClipPolyline(QPolygonF({{5, 5}, {15, 5}, {5, 6}}), R),
            L({QPolygonF({{5, 5}, {10, 5}}), QPolygonF({{10, 5.5}, {5, 6}})}));
  // Across the rectangle from outside to outside.
  EXPECT_EQ(ClipPolyline(QPolygonF({{-10, 5}, {20, 5}}), R), L({QPolygonF({{0, 5}, {10, 5}})}));
  EXPECT_TRUE(ClipPolyline(QPolygonF({{-10, -5}, {20, -5}, {30, 30}}), R).isEmpty());
  EXPECT_TRUE(ClipPolyline(QPolygonF({{5, 5}}), R).isEmpty());
}
