#pragma once
// The water balance chart: the seasonal water balance of one run as two
// stacked columns, "INIT + IN" (initial storage and everything that came in)
// beside "FINAL + OUT" (final storage and everything that went out), for the
// whole system and for the root zone, one chart visible at a time. A closed
// balance gives two columns of equal height; under each chart the two totals
// and their difference say whether it closes.
//
// The caller sets OutputData, RunName, RunYear and RainYear and shows the
// window modally; the bars are built each time the window is shown.

#include <QDialog>
#include <string>
#include <vector>

#include "WinSupport.h"

class QBarSet;
class QHBoxLayout;
class QLabel;
class QPainter;
class QPushButton;
class QRectF;
class QStackedBarSeries;
class TDetailedOutput;
class TKvChart;
class TKvChartView;
class TWaterBalance;
class T3DBarsItem;

// ---------------------------------------------------------------- rules

// The legend title of series No (0..10), with or without groundwater.
std::string WaterBalanceSeriesTitle(int No, bool Groundwater);

// The two column totals of a balance and whether they agree: a balance
// closes when INIT + IN and FINAL + OUT differ by at most 0.05 cm.
struct TBalanceClosure {
  double InitIn = 0;
  double FinalOut = 0;
  double Difference = 0;  // InitIn - FinalOut
  bool Closes = true;
};
TBalanceClosure BalanceClosure(const std::vector<double>& InitIn, const std::vector<double>& FinalOut);
// "INIT + IN 15.00 cm   FINAL + OUT 15.00 cm   difference 0.00 cm", with
// " - the balance does not close" when it does not.
std::string ClosureText(const TBalanceClosure& C);

// The oblique depth of a 3-D bar as a share of the bar's width.
constexpr double BarDepthShare = 0.3;

// ---------------------------------------------------------------- window

class TFormWaterBalance : public QDialog {
  Q_OBJECT
 public:
  explicit TFormWaterBalance(QWidget* Owner);
  ~TFormWaterBalance() override;

  // Set by the caller before showing.
  TDetailedOutput* OutputData = nullptr;
  std::string RunName;
  std::string RunYear;
  std::string RainYear;
  // The bar series, 0..6 on the whole-system chart, 7..10 on the root-zone
  // chart; created when the window is shown.
  QBarSet* Series[11] = {};

  TKvChart* ChartWhole() const { return FChartWhole; }
  TKvChart* ChartRoot() const { return FChartRoot; }
  bool Is3D() const { return F3D; }
  // The chart that is shown (root zone when visible, else whole system).
  TKvChart* VisibleChart() const;

  // What the window does when shown: builds and fills the series, sets the
  // caption and the charts shown.
  void FormActivate();
  void BtnChartClick();
  void Btn3DClick();
  void BtnPrintClick();
  void BtnSaveImageClick();
  void BtnCloseClick();

  // Paints the visible chart with the run and the closure figures below it.
  void PaintPage(QPainter& Painter, const QRectF& Target) const;

 protected:
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

 private:
  void BuildCharts();
  QHBoxLayout* BuildButtonRow();
  void BuildSeries();
  void FillSeries();
  const TWaterBalance* FindBalance() const;
  void FinishChart(int First, int Last, bool Labelled);
  void ShowChart(bool Root);
  void Set3D(bool On);
  QLabel* ClosureLabel(const TKvChart* Chart) const;

  TKvChart* FChartWhole;
  TKvChart* FChartRoot;
  TKvChartView* FViewWhole;
  TKvChartView* FViewRoot;
  QStackedBarSeries* FStackWhole = nullptr;
  QStackedBarSeries* FStackRoot = nullptr;
  T3DBarsItem* F3DWhole;
  T3DBarsItem* F3DRoot;
  QLabel* FClosureWhole;
  QLabel* FClosureRoot;
  QPushButton* FBtnChart;
  QPushButton* FBtn3D;
  bool F3D = true;
  TOncePerShowing FActivation;
};
