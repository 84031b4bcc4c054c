#pragma once
// The charting engine of the result views, on Qt Charts.
//
// TKvChart is a chart whose title is drawn left-aligned in a large font.
// TKvCurveChart adds what the graph view needs: a bottom and two vertical
// value axes and any number of curves (TKvCurve: line or bars, on the left or
// the right axis). The curves hold their points in a QLineSeries loaded in
// one step, and one plot item paints all of them: a chart of a long session
// with reruns has hundreds of curves, and a Qt Charts series item per curve
// (legend marker, hit-test shape, theme) costs milliseconds each.
// TKvChartView shows a chart; for curve charts a drag with the left button
// zooms, a drag with the right button scrolls and the wheel does nothing.
// PaintChartPage renders a chart with an optional legend and footer onto a
// printer page, an image or an SVG/PDF file.
//
// The rules that need no Qt are plain functions at the top.

#include <QChart>
#include <QChartView>
#include <QColor>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QRubberBand>
#include <QString>
#include <QStringList>
#include <QValueAxis>
#include <functional>
#include <vector>

class QGraphicsItem;
class QPainter;

// ---------------------------------------------------------------- rules

// A range of an axis.
struct TSpan {
  double Min = 0;
  double Max = 0;
  friend bool operator==(const TSpan& A, const TSpan& B) { return A.Min == B.Min && A.Max == B.Max; }
};

// A tick interval of 1, 2 or 5 times a power of ten that cuts Span into at
// most MaxIntervals pieces (Span > 0).
double NiceStep(double Span, int MaxIntervals);

// What a drag with the left button does, by the drag's extent in pixels
// (y grows downwards): to the right zooms to the dragged rectangle, up and to
// the left shows the whole graph again, a drag of less than MinDrag pixels
// either way or down and to the left does nothing.
enum class TDragAction { None, Zoom, WholeGraph };
TDragAction DragAction(double Dx, double Dy, double MinDrag = 4);

// The part of Range that pixels From..To (in either order) of an axis of
// Length pixels show; vertical axes count pixels from the top.
TSpan ZoomSpan(const TSpan& Range, double From, double To, double Length, bool Vertical);
// Range moved so that the content follows a drag of Delta pixels.
TSpan ScrollSpan(const TSpan& Range, double Delta, double Length, bool Vertical);

// The parts of a polyline that lie inside Rect (its edges included), each
// a polyline of its own. Curves are clipped this way rather than by the
// painter, because SVG files are written without clip paths.
QList<QPolygonF> ClipPolyline(const QPolygonF& Line, const QRectF& Rect);

// ---------------------------------------------------------------- charts

// A chart whose title is painted left-aligned in a large font above the
// plot; the chart's top margin keeps its place. Set the title with SetTitle
// (QChart's own title stays empty).
class TKvChart : public QChart {
  Q_OBJECT
 public:
  explicit TKvChart(QGraphicsItem* Parent = nullptr);
  const QString& Title() const { return FTitle; }
  void SetTitle(const QString& Title);
  // Where the title is painted, in chart coordinates (empty without a title).
  QRectF TitleRect() const;
  QColor TitleColor() const { return FTitleColor; }

 private:
  QString FTitle;
  QMargins FBaseMargins;
  QColor FTitleColor;
  QGraphicsItem* FTitleItem;
};

// One curve of a curve chart. The points are the curve's values; the chart
// paints them as a line (pen width 2), as bars from zero without value marks,
// or as marks: measured values, each a dot with a whisker of its standard
// deviation where it has one.
class TKvCurve : public QLineSeries {
  Q_OBJECT
 public:
  enum TStyle { Line, Bars, Marks };
  TKvCurve(TStyle Style, Qt::Alignment VertAxis, QObject* Parent = nullptr)
      : QLineSeries(Parent), FStyle(Style), FVertAxis(VertAxis) {}
  TStyle Style() const { return FStyle; }
  Qt::Alignment VertAxis() const { return FVertAxis; }
  QColor Color() const { return color(); }
  // Marks: the standard deviation of each point, 0 for none.
  const QList<qreal>& Deviations() const { return FDeviations; }
  void SetDeviations(const QList<qreal>& SD) { FDeviations = SD; }

 private:
  TStyle FStyle;
  Qt::Alignment FVertAxis;
  QList<qreal> FDeviations;
};

class TKvCurvesItem;

class TKvCurveChart : public TKvChart {
  Q_OBJECT
 public:
  explicit TKvCurveChart(QGraphicsItem* Parent = nullptr);
  ~TKvCurveChart() override;

  QValueAxis* AxisX() const { return FAxisX; }
  QValueAxis* AxisLeft() const { return FAxisLeft; }
  QValueAxis* AxisRight() const { return FAxisRight; }
  QValueAxis* VertAxis(Qt::Alignment Side) const { return Side == Qt::AlignRight ? FAxisRight : FAxisLeft; }

  // A new, empty curve at the end, coloured by its position among the line
  // and bar curves (marks take the colour of the curve they belong to).
  TKvCurve* AddCurve(const QString& Title, TKvCurve::TStyle Style, Qt::Alignment VertAxis);
  const QList<TKvCurve*>& Curves() const { return FCurves; }
  void ClearCurves();
  // Repaints the curves (after points or visibility changed).
  void CurvesChanged();

  // The whole graph: the ranges the axes get back after zooming and
  // scrolling. Setting them shows them.
  void SetWholeRanges(const TSpan& X, const TSpan& Left, const TSpan& Right);
  void ShowWholeGraph();
  // Zooms to a rectangle / scrolls by a distance, in chart coordinates.
  void ZoomToRect(const QRectF& Rect);
  void ScrollBy(const QPointF& Delta);

  // The bar width of a bar curve in axis units: 0.8 of its smallest step
  // between neighbouring x values (1 when it has fewer than two points).
  static double BarWidth(const QList<QPointF>& Points);

 private:
  QValueAxis* NewAxis(Qt::Alignment Side);
  QValueAxis* FAxisX;
  QValueAxis* FAxisLeft;
  QValueAxis* FAxisRight;
  TKvCurvesItem* FItem = nullptr;
  QList<TKvCurve*> FCurves;
  TSpan FWholeX, FWholeLeft, FWholeRight;
};

// Sets the range of a value axis whose ticks lie at nice intervals
// (NiceStep of the range); the interval follows the range. An empty or
// reversed span changes nothing.
int MaxTickIntervals(const QValueAxis* Axis);
void SetAxisSpan(QValueAxis* Axis, const TSpan& Span);

// A title as an axis shows it: an axis renders its title as rich text,
// which would fold several blanks into one, so every blank that follows a
// blank becomes a non-breaking space.
QString AxisTitleText(const QString& Title);

// The colour of the curve at position Index: a palette of clearly different
// colours, repeated.
QColor CurveColor(int Index);

// ---------------------------------------------------------------- view

class TKvChartView : public QChartView {
  Q_OBJECT
 public:
  // MouseTools: zoom and scroll a TKvCurveChart; false: no reaction to the
  // mouse at all.
  TKvChartView(QChart* Chart, bool MouseTools, QWidget* Parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;

 private:
  TKvCurveChart* CurveChart() const;
  QPointF ToChart(const QPoint& Pos) const;
  bool FMouseTools;
  Qt::MouseButton FDragButton = Qt::NoButton;
  QPoint FPressPos;
  QPoint FLastPos;
  QRubberBand* FBand = nullptr;
};

// ---------------------------------------------------------------- pages

struct TLegendEntry {
  QString Title;
  QColor Color;
  bool Bars = false;
  bool Marks = false;
};

// Paints Chart into Target: the chart laid out at a fixed logical size of
// Target's proportions, a legend of Legend's entries at its right (in as many
// columns as they need; when they cannot all be read, the last line says how
// many are left out) and the Footer lines below. The chart's own layout is
// restored afterwards.
void PaintChartPage(QPainter& Painter, const QRectF& Target, QChart& Chart, const QList<TLegendEntry>& Legend,
                    const QStringList& Footer = {});

// Paints the page content into a painter's rectangle: what printing and
// image export are given.
using TPagePainter = std::function<void(QPainter&, const QRectF&)>;
