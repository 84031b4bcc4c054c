#include "KvChart.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <limits>

// ---------------------------------------------------------------- rules

double NiceStep(double Span, int MaxIntervals) {
  if (!(Span > 0) || MaxIntervals < 1) return 1;
  const double Raw = Span / MaxIntervals;
  const double Magnitude = std::pow(10.0, std::floor(std::log10(Raw)));
  for (double M : {1.0, 2.0, 5.0, 10.0})
    if (M * Magnitude >= Raw * (1 - 1e-12)) return M * Magnitude;
  return 10 * Magnitude;
}

TDragAction DragAction(double Dx, double Dy, double MinDrag) {
  if (Dx >= MinDrag && std::fabs(Dy) >= MinDrag) return TDragAction::Zoom;
  if (Dx <= -MinDrag && Dy <= -MinDrag) return TDragAction::WholeGraph;
  return TDragAction::None;
}

TSpan ZoomSpan(const TSpan& Range, double From, double To, double Length, bool Vertical) {
  if (!(Length > 0)) return Range;
  const double Size = Range.Max - Range.Min;
  auto At = [&](double P) {
    return Vertical ? Range.Max - P / Length * Size : Range.Min + P / Length * Size;
  };
  const double A = At(From), B = At(To);
  return {std::min(A, B), std::max(A, B)};
}

TSpan ScrollSpan(const TSpan& Range, double Delta, double Length, bool Vertical) {
  if (!(Length > 0)) return Range;
  const double Shift = (Vertical ? Delta : -Delta) / Length * (Range.Max - Range.Min);
  return {Range.Min + Shift, Range.Max + Shift};
}

namespace {
// Liang-Barsky: the part of segment A-B inside R, when there is one.
bool ClipSegment(QPointF& A, QPointF& B, const QRectF& R) {
  const double Dx = B.x() - A.x(), Dy = B.y() - A.y();
  double T0 = 0, T1 = 1;
  const double P[4] = {-Dx, Dx, -Dy, Dy};
  const double Q[4] = {A.x() - R.left(), R.right() - A.x(), A.y() - R.top(), R.bottom() - A.y()};
  for (int i = 0; i < 4; ++i) {
    if (P[i] == 0) {
      if (Q[i] < 0) return false;
      continue;
    }
    const double T = Q[i] / P[i];
    if (P[i] < 0)
      T0 = std::max(T0, T);
    else
      T1 = std::min(T1, T);
    if (T0 > T1) return false;
  }
  const QPointF Start = A;
  if (T1 < 1) B = Start + QPointF(Dx, Dy) * T1;
  if (T0 > 0) A = Start + QPointF(Dx, Dy) * T0;
  return true;
}
}  // namespace

QList<QPolygonF> ClipPolyline(const QPolygonF& Line, const QRectF& Rect) {
  QList<QPolygonF> Parts;
  QPolygonF Part;
  auto Flush = [&] {
    if (Part.size() >= 2) Parts.append(Part);
    Part.clear();
  };
  for (qsizetype i = 1; i < Line.size(); ++i) {
    QPointF A = Line[i - 1], B = Line[i];
    if (!ClipSegment(A, B, Rect)) {
      Flush();
      continue;
    }
    if (!Part.isEmpty() && Part.last() != A) Flush();
    if (Part.isEmpty()) Part << A;
    Part << B;
    if (B != Line[i]) Flush();
  }
  Flush();
  return Parts;
}

QColor CurveColor(int Index) {
  // Twenty colours that stay apart on white paper and on screen.
  static const QRgb Palette[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b, 0xe377c2,
                                 0x17becf, 0xbcbd22, 0x7f7f7f, 0x393b79, 0xad494a, 0x637939, 0xe6550d,
                                 0x7b4173, 0x843c39, 0x3182bd, 0x31a354, 0xde9ed6, 0x000000};
  const int N = static_cast<int>(sizeof Palette / sizeof Palette[0]);
  return QColor(Palette[((Index % N) + N) % N]);
}

// ---------------------------------------------------------------- TKvChart

namespace {
// Paints the chart's title left-aligned in the place its top margin keeps.
class TTitleItem : public QGraphicsItem {
 public:
  explicit TTitleItem(TKvChart* Chart) : QGraphicsItem(Chart), FChart(Chart) { setZValue(30); }
  QRectF boundingRect() const override { return FChart->rect(); }
  void paint(QPainter* P, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF R = FChart->TitleRect();
    if (R.isEmpty()) return;
    P->save();
    P->setFont(FChart->titleFont());
    P->setPen(FChart->TitleColor());
    const QString Text =
        QFontMetricsF(FChart->titleFont()).elidedText(FChart->Title(), Qt::ElideRight, R.width());
    P->drawText(R, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Text);
    P->restore();
  }

 private:
  TKvChart* FChart;
};
}  // namespace

TKvChart::TKvChart(QGraphicsItem* Parent) : QChart(Parent) {
  QFont Font = titleFont();
  Font.setPointSizeF(std::max<qreal>(Font.pointSizeF(), 9) * 1.6);
  Font.setBold(true);
  setTitleFont(Font);
  FTitleColor = titleBrush().color();
  FBaseMargins = margins();
  FTitleItem = new TTitleItem(this);
  connect(this, &QChart::plotAreaChanged, this, [this] { FTitleItem->update(); });
}

void TKvChart::SetTitle(const QString& Title) {
  FTitle = Title;
  QMargins M = FBaseMargins;
  if (!Title.isEmpty()) M.setTop(M.top() + qCeil(QFontMetricsF(titleFont()).height() * 1.4));
  setMargins(M);
  FTitleItem->update();
}

QRectF TKvChart::TitleRect() const {
  if (FTitle.isEmpty()) return {};
  qreal Left = 0, Top = 0, Right = 0, Bottom = 0;
  if (layout()) layout()->getContentsMargins(&Left, &Top, &Right, &Bottom);
  const qreal X = Left + FBaseMargins.left();
  const qreal Y = Top + FBaseMargins.top();
  const qreal H = QFontMetricsF(titleFont()).height();
  return QRectF(X, Y, std::max<qreal>(0, size().width() - 2 * X), H);
}

// ---------------------------------------------------------------- curves

double TKvCurveChart::BarWidth(const QList<QPointF>& Points) {
  double Step = std::numeric_limits<double>::infinity();
  for (qsizetype i = 1; i < Points.size(); ++i) {
    const double D = std::fabs(Points[i].x() - Points[i - 1].x());
    if (D > 0 && D < Step) Step = D;
  }
  return std::isfinite(Step) ? 0.8 * Step : 0.8;
}

// Paints every visible curve of the chart, clipped to the plot area, in the
// ranges of the curve's axes.
constexpr qsizetype SmoothPointLimit = 20000;

// Measured values: a dot of the curve's colour with a white rim, and a
// vertical whisker of plus and minus one standard deviation with short caps.
// The whiskers go in one call and the dots are stamped from one image, so
// that thousands of them cost little more than a curve.
template <class TPx, class TPy>
void PaintMarks(QPainter& P, const TKvCurve& C, const QRectF& Plot, const TPx& Px, const TPy& Py) {
  const QList<QPointF> Pts = C.points();
  const QList<qreal>& SD = C.Deviations();
  const QColor Colour = C.Color();
  constexpr double R = 4;
  QList<QLineF> Whiskers;
  QList<QPointF> Dots;
  for (qsizetype i = 0; i < Pts.size(); ++i) {
    const QPointF At(Px(Pts[i].x()), Py(Pts[i].y()));
    if (At.x() < Plot.left() || At.x() > Plot.right()) continue;
    if (i < SD.size() && SD[i] > 0) {
      const double Top = Py(Pts[i].y() + SD[i]), Bottom = Py(Pts[i].y() - SD[i]);
      // Clipped by hand, as the curves are.
      const double From = std::max(Top, Plot.top()), To = std::min(Bottom, Plot.bottom());
      if (From < To) Whiskers.append(QLineF(At.x(), From, At.x(), To));
      for (const double Y : {Top, Bottom})
        if (Y >= Plot.top() && Y <= Plot.bottom()) Whiskers.append(QLineF(At.x() - R, Y, At.x() + R, Y));
    }
    if (Plot.contains(At)) Dots.append(At);
  }
  QPen Whisker(Colour);
  Whisker.setWidthF(1.5);
  P.setPen(Whisker);
  P.drawLines(Whiskers);
  if (Dots.isEmpty()) return;
  if (P.paintEngine() && P.paintEngine()->type() != QPaintEngine::Raster) {
    // Vector files (SVG, PDF) get real circles.
    P.setPen(QPen(Qt::white, 1));
    P.setBrush(Colour);
    for (const QPointF& At : Dots) P.drawEllipse(At, R, R);
    P.setBrush(Qt::NoBrush);
    return;
  }
  // On screen and in images the dot is drawn once at the painter's
  // resolution, then stamped.
  const qreal Scale = std::max<qreal>(1, P.deviceTransform().m11());
  const int Side = static_cast<int>(std::ceil((2 * R + 2) * Scale));
  QImage Dot(Side, Side, QImage::Format_ARGB32_Premultiplied);
  Dot.fill(Qt::transparent);
  {
    QPainter DP(&Dot);
    DP.setRenderHint(QPainter::Antialiasing);
    DP.scale(Scale, Scale);
    DP.setPen(QPen(Qt::white, 1));
    DP.setBrush(Colour);
    DP.drawEllipse(QPointF(R + 1, R + 1), R, R);
  }
  const QRectF Source(0, 0, Side, Side);
  for (const QPointF& At : Dots)
    P.drawImage(QRectF(At.x() - R - 1, At.y() - R - 1, 2 * R + 2, 2 * R + 2), Dot, Source);
}

class TKvCurvesItem : public QGraphicsItem {
 public:
  explicit TKvCurvesItem(TKvCurveChart* Chart) : QGraphicsItem(Chart), FChart(Chart) { setZValue(10); }
  QRectF boundingRect() const override { return FChart->plotArea(); }
  void Changed() {
    prepareGeometryChange();
    update();
  }
  void paint(QPainter* P, const QStyleOptionGraphicsItem*, QWidget*) override {
    const QRectF Plot = FChart->plotArea();
    const QValueAxis* X = FChart->AxisX();
    if (Plot.isEmpty() || !(X->max() > X->min())) return;
    // Smooth lines while they are few; hundreds of curves paint several
    // times faster without, and look the same.
    qsizetype Total = 0;
    for (const TKvCurve* C : FChart->Curves())
      if (C->isVisible()) Total += C->count();
    P->save();
    P->setClipRect(Plot);
    P->setRenderHint(QPainter::Antialiasing, Total <= SmoothPointLimit);
    const double Sx = Plot.width() / (X->max() - X->min());
    QPolygonF Poly;
    for (const TKvCurve* C : FChart->Curves()) {
      if (!C->isVisible()) continue;
      const QValueAxis* Y = FChart->VertAxis(C->VertAxis());
      if (!(Y->max() > Y->min())) continue;
      const double Sy = Plot.height() / (Y->max() - Y->min());
      const QList<QPointF> Pts = C->points();
      auto Px = [&](double V) { return Plot.left() + (V - X->min()) * Sx; };
      auto Py = [&](double V) { return Plot.bottom() - (V - Y->min()) * Sy; };
      if (C->Style() == TKvCurve::Line) {
        Poly.resize(Pts.size());
        for (qsizetype i = 0; i < Pts.size(); ++i) Poly[i] = QPointF(Px(Pts[i].x()), Py(Pts[i].y()));
        P->setPen(C->pen());
        if (Plot.contains(Poly.boundingRect())) {
          P->drawPolyline(Poly);
        } else {
          for (const QPolygonF& Part : ClipPolyline(Poly, Plot)) P->drawPolyline(Part);
        }
      } else if (C->Style() == TKvCurve::Marks) {
        PaintMarks(*P, *C, Plot, Px, Py);
      } else {
        const double W = std::max(1.0, TKvCurveChart::BarWidth(Pts) * Sx);
        const double Base = Py(std::clamp(0.0, Y->min(), Y->max()));
        const QColor Colour = C->Color();
        for (const QPointF& Pt : Pts) {
          const double Top = Py(Pt.y());
          const QRectF Bar =
              QRectF(Px(Pt.x()) - W / 2, std::min(Top, Base), W, std::fabs(Base - Top)).intersected(Plot);
          if (!Bar.isEmpty()) P->fillRect(Bar, Colour);
        }
      }
    }
    P->restore();
  }

 private:
  TKvCurveChart* FChart;
};

QString AxisTitleText(const QString& Title) {
  QString S = Title;
  for (qsizetype i = 1; i < S.size(); ++i)
    if (S[i] == ' ' && (S[i - 1] == ' ' || S[i - 1] == QChar(0xa0))) S[i] = QChar(0xa0);
  return S;
}

int MaxTickIntervals(const QValueAxis* Axis) { return Axis->orientation() == Qt::Horizontal ? 10 : 8; }

void SetAxisSpan(QValueAxis* Axis, const TSpan& Span) {
  if (!(Span.Max > Span.Min)) return;
  // The axis lays its ticks out at every change: with the interval of the old
  // range on the new one (or the reverse) a change from 0..2 to 0..20000
  // would make it lay out a hundred thousand ticks. The larger interval first
  // keeps every step to a few ticks.
  const double Old = Axis->tickInterval(), New = NiceStep(Span.Max - Span.Min, MaxTickIntervals(Axis));
  if (New > Old) Axis->setTickInterval(New);
  Axis->setRange(Span.Min, Span.Max);
  Axis->setTickInterval(New);
}

TKvCurveChart::TKvCurveChart(QGraphicsItem* Parent) : TKvChart(Parent) {
  legend()->hide();
  FItem = new TKvCurvesItem(this);
  FAxisX = NewAxis(Qt::AlignBottom);
  FAxisLeft = NewAxis(Qt::AlignLeft);
  FAxisRight = NewAxis(Qt::AlignRight);
  FAxisRight->setGridLineVisible(false);
  connect(this, &QChart::plotAreaChanged, this, [this] { FItem->Changed(); });
}

TKvCurveChart::~TKvCurveChart() { qDeleteAll(FCurves); }

QValueAxis* TKvCurveChart::NewAxis(Qt::Alignment Side) {
  auto* A = new QValueAxis(this);
  A->setLabelFormat("%g");
  A->setTickType(QValueAxis::TicksDynamic);
  A->setTickAnchor(0);
  addAxis(A, Side);
  connect(A, &QValueAxis::rangeChanged, this, [this] { FItem->update(); });
  SetAxisSpan(A, {0, 1});
  return A;
}

TKvCurve* TKvCurveChart::AddCurve(const QString& Title, TKvCurve::TStyle Style, Qt::Alignment VertAxis) {
  auto* C = new TKvCurve(Style, VertAxis);
  C->setName(Title);
  const auto Coloured = std::count_if(FCurves.begin(), FCurves.end(), [](const TKvCurve* Other) {
    return Other->Style() != TKvCurve::Marks;
  });
  QPen Pen(CurveColor(static_cast<int>(Coloured)));
  Pen.setWidthF(2);
  C->setPen(Pen);
  FCurves.append(C);
  return C;
}

void TKvCurveChart::ClearCurves() {
  qDeleteAll(FCurves);
  FCurves.clear();
  FItem->Changed();
}

void TKvCurveChart::CurvesChanged() { FItem->Changed(); }

void TKvCurveChart::SetWholeRanges(const TSpan& X, const TSpan& Left, const TSpan& Right) {
  FWholeX = X;
  FWholeLeft = Left;
  FWholeRight = Right;
  ShowWholeGraph();
}

void TKvCurveChart::ShowWholeGraph() {
  SetAxisSpan(FAxisX, FWholeX);
  SetAxisSpan(FAxisLeft, FWholeLeft);
  SetAxisSpan(FAxisRight, FWholeRight);
  FItem->Changed();
}

void TKvCurveChart::ZoomToRect(const QRectF& Rect) {
  const QRectF Plot = plotArea();
  const QRectF R = Rect.normalized().intersected(Plot);
  if (R.width() < 1 || R.height() < 1) return;
  const auto X = ZoomSpan({FAxisX->min(), FAxisX->max()}, R.left() - Plot.left(), R.right() - Plot.left(),
                          Plot.width(), false);
  SetAxisSpan(FAxisX, X);
  for (QValueAxis* A : {FAxisLeft, FAxisRight})
    SetAxisSpan(A, ZoomSpan({A->min(), A->max()}, R.top() - Plot.top(), R.bottom() - Plot.top(),
                            Plot.height(), true));
  FItem->Changed();
}

void TKvCurveChart::ScrollBy(const QPointF& Delta) {
  const QRectF Plot = plotArea();
  const auto X = ScrollSpan({FAxisX->min(), FAxisX->max()}, Delta.x(), Plot.width(), false);
  SetAxisSpan(FAxisX, X);
  for (QValueAxis* A : {FAxisLeft, FAxisRight})
    SetAxisSpan(A, ScrollSpan({A->min(), A->max()}, Delta.y(), Plot.height(), true));
  FItem->Changed();
}

// ---------------------------------------------------------------- view

TKvChartView::TKvChartView(QChart* Chart, bool MouseTools, QWidget* Parent)
    : QChartView(Chart, Parent), FMouseTools(MouseTools) {
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::NoRubberBand);
  setDragMode(QGraphicsView::NoDrag);
  setInteractive(false);
}

TKvCurveChart* TKvChartView::CurveChart() const {
  return FMouseTools ? qobject_cast<TKvCurveChart*>(chart()) : nullptr;
}

QPointF TKvChartView::ToChart(const QPoint& Pos) const { return chart()->mapFromScene(mapToScene(Pos)); }

void TKvChartView::mousePressEvent(QMouseEvent* Event) {
  Event->accept();
  if (!CurveChart() || FDragButton != Qt::NoButton) return;
  if (Event->button() != Qt::LeftButton && Event->button() != Qt::RightButton) return;
  FDragButton = Event->button();
  FPressPos = FLastPos = Event->position().toPoint();
  if (FDragButton == Qt::LeftButton) {
    if (!FBand) FBand = new QRubberBand(QRubberBand::Rectangle, viewport());
    FBand->setGeometry(QRect(FPressPos, QSize()));
    FBand->show();
  } else {
    viewport()->setCursor(Qt::ClosedHandCursor);
  }
}

void TKvChartView::mouseMoveEvent(QMouseEvent* Event) {
  Event->accept();
  TKvCurveChart* C = CurveChart();
  if (!C) return;
  const QPoint Pos = Event->position().toPoint();
  if (FDragButton == Qt::LeftButton) {
    FBand->setGeometry(QRect(FPressPos, Pos).normalized());
  } else if (FDragButton == Qt::RightButton) {
    C->ScrollBy(QPointF(Pos - FLastPos));
    FLastPos = Pos;
  }
}

void TKvChartView::mouseReleaseEvent(QMouseEvent* Event) {
  Event->accept();
  TKvCurveChart* C = CurveChart();
  if (!C || Event->button() != FDragButton) return;
  const QPoint Pos = Event->position().toPoint();
  if (FDragButton == Qt::LeftButton) {
    FBand->hide();
    switch (DragAction(Pos.x() - FPressPos.x(), Pos.y() - FPressPos.y())) {
      case TDragAction::Zoom: C->ZoomToRect(QRectF(ToChart(FPressPos), ToChart(Pos)).normalized()); break;
      case TDragAction::WholeGraph: C->ShowWholeGraph(); break;
      case TDragAction::None: break;
    }
  } else {
    C->ScrollBy(QPointF(Pos - FLastPos));
    viewport()->unsetCursor();
  }
  FDragButton = Qt::NoButton;
}

void TKvChartView::mouseDoubleClickEvent(QMouseEvent* Event) { Event->accept(); }

void TKvChartView::wheelEvent(QWheelEvent* Event) { Event->accept(); }

// ---------------------------------------------------------------- pages

namespace {
// The logical width a page is laid out in; the result is scaled to the target.
constexpr qreal PageWidth = 1400;

void RenderChart(QPainter& P, QChart& Chart, const QRectF& Area) {
  const QSizeF OldSize = Chart.size();
  const QPointF OldPos = Chart.pos();
  QGraphicsScene Own;
  QGraphicsScene* Scene = Chart.scene();
  if (!Scene) {
    Own.addItem(&Chart);
    Scene = &Own;
  }
  Chart.resize(Area.size());
  if (Chart.layout()) Chart.layout()->activate();
  Scene->render(&P, Area, Chart.sceneBoundingRect());
  Chart.resize(OldSize);
  Chart.setPos(OldPos);
  if (Scene == &Own) Own.removeItem(&Chart);
}

void PaintSwatch(QPainter& P, const QRectF& R, const TLegendEntry& E) {
  if (E.Marks) {
    const double Radius = std::min(R.width(), R.height()) * 0.3;
    P.setPen(Qt::NoPen);
    P.setBrush(E.Color);
    P.drawEllipse(R.center(), Radius, Radius);
    P.setBrush(Qt::NoBrush);
  } else if (E.Bars) {
    P.fillRect(R.adjusted(R.width() * 0.2, R.height() * 0.2, -R.width() * 0.2, -R.height() * 0.2), E.Color);
  } else {
    QPen Pen(E.Color);
    Pen.setWidthF(std::max<qreal>(2, R.height() / 5));
    P.setPen(Pen);
    P.drawLine(QPointF(R.left(), R.center().y()), QPointF(R.right(), R.center().y()));
  }
}

// Footer lines at the bottom of Area, which keeps the room above them.
void PaintFooter(QPainter& Painter, QRectF& Area, const QFont& Font, const QStringList& Footer) {
  Painter.setFont(Font);
  Painter.setPen(Qt::black);
  const qreal H = QFontMetricsF(Font).height();
  qreal Y = Area.bottom() - H * Footer.size() - H / 2;
  Area.setBottom(Y - H / 2);
  for (const QString& Line : Footer) {
    Painter.drawText(QRectF(Area.left() + 20, Y, Area.width() - 40, H), Qt::AlignLeft | Qt::AlignVCenter,
                     Line);
    Y += H;
  }
}

// The legend at the right: as many columns as the entries need, each line
// a swatch and a title; a smaller font before giving up on entries.
// Area keeps the room at the legend's left.
void PaintLegend(QPainter& Painter, QRectF& Area, QFont Font, const QList<TLegendEntry>& Legend) {
  const qreal MaxWidth = Area.width() * 0.4;
  const qreal Top = Area.top() + 60, Height = Area.height() - 80;
  int Rows = 0, Cols = 0;
  qreal ColWidth = 0, LineH = 0, Swatch = 0;
  // The widest title is found once, in the first size; the smaller sizes
  // measure only that one (a legend may have hundreds of entries).
  qsizetype Widest = -1;
  for (qreal Size : {9.0, 8.0, 7.0, 6.0, 5.0}) {
    Font.setPointSizeF(Size);
    const QFontMetricsF Fm(Font);
    LineH = Fm.height() * 1.15;
    Swatch = Fm.height() * 1.6;
    qreal TextW = 0;
    if (Widest < 0) {
      for (qsizetype i = 0; i < Legend.size(); ++i) {
        const qreal W = Fm.horizontalAdvance(Legend[i].Title);
        if (W > TextW) {
          TextW = W;
          Widest = i;
        }
      }
    } else {
      TextW = Fm.horizontalAdvance(Legend[Widest].Title);
    }
    ColWidth = std::min(TextW, MaxWidth - Swatch - 16) + Swatch + 16;
    Rows = std::max(1, static_cast<int>(Height / LineH));
    Cols = static_cast<int>((Legend.size() + Rows - 1) / Rows);
    if (Cols * ColWidth <= MaxWidth) break;
  }
  const int MaxCols = std::max(1, static_cast<int>(MaxWidth / ColWidth));
  const int Shown = static_cast<int>(std::min<qsizetype>(Legend.size(), qsizetype(MaxCols) * Rows));
  Cols = std::min(Cols, MaxCols);
  const QRectF Box(Area.right() - Cols * ColWidth - 10, Top, Cols * ColWidth, Height);
  Area.setRight(Box.left() - 10);
  Painter.setFont(Font);
  const QFontMetricsF Fm(Font);
  for (int i = 0; i < Shown; ++i) {
    const qreal X = Box.left() + (i / Rows) * ColWidth, Y = Top + (i % Rows) * LineH;
    const bool LastOfMany = i == Shown - 1 && Shown < Legend.size();
    if (LastOfMany) {
      Painter.setPen(Qt::black);
      Painter.drawText(QRectF(X, Y, ColWidth, LineH), Qt::AlignLeft | Qt::AlignVCenter,
                       QString("... %1 more").arg(Legend.size() - Shown + 1));
      break;
    }
    const TLegendEntry& E = Legend[i];
    PaintSwatch(Painter, QRectF(X, Y, Swatch, LineH), E);
    Painter.setPen(Qt::black);
    Painter.drawText(QRectF(X + Swatch + 6, Y, ColWidth - Swatch - 10, LineH),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     Fm.elidedText(E.Title, Qt::ElideRight, ColWidth - Swatch - 10));
  }
}
}  // namespace

void PaintChartPage(QPainter& Painter, const QRectF& Target, QChart& Chart, const QList<TLegendEntry>& Legend,
                    const QStringList& Footer) {
  if (Target.width() <= 0 || Target.height() <= 0) return;
  const qreal Scale = Target.width() / PageWidth;
  const QRectF Page(0, 0, PageWidth, Target.height() / Scale);
  Painter.save();
  Painter.translate(Target.topLeft());
  Painter.scale(Scale, Scale);
  Painter.setRenderHint(QPainter::Antialiasing, true);
  Painter.setRenderHint(QPainter::TextAntialiasing, true);
  Painter.fillRect(Page, Qt::white);

  QRectF Area = Page;
  QFont Font = QApplication::font();
  Font.setPointSizeF(9);
  if (!Footer.isEmpty()) PaintFooter(Painter, Area, Font, Footer);
  if (!Legend.isEmpty()) PaintLegend(Painter, Area, Font, Legend);
  RenderChart(Painter, Chart, Area);
  Painter.restore();
}
