#include "KvWatBal.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLegend>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedBarSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "ChartExport.h"
#include "Commands.h"
#include "FormParts.h"
#include "KvChart.h"
#include "KvPrint.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Numbers.h"
#include "output/OutDet.h"
#include "platform/Handlers.h"

// ---------------------------------------------------------------- rules

namespace {
struct TSeriesDef {
  const char* Title;
  const char* GroundwaterTitle;
  Str16 TWaterBalance::*InitIn;  // nullptr: 0
  Str16 TWaterBalance::*FinalOut;
};

const TSeriesDef SeriesDefs[11] = {
    {"init max root zone - final max root zone", "init within 10 m - final within 10 m",
     &TWaterBalance::InitMaxRootZone, &TWaterBalance::FinalMaxRootZone},
    {"init surf storage - final surf storage", nullptr, &TWaterBalance::InitSurfStorage,
     &TWaterBalance::FinalSurfStorage},
    {"irrigation - evap water surface", nullptr, &TWaterBalance::Irrigation,
     &TWaterBalance::EvapWaterSurface},
    {"rainfall - evap soil surface", nullptr, &TWaterBalance::Rainfall, &TWaterBalance::EvapSoilSurface},
    {"transpiration", nullptr, nullptr, &TWaterBalance::Transpiration},
    {"surface runoff", nullptr, nullptr, &TWaterBalance::SurfaceRunoff},
    {"lost to deep soil", "lost to drains", nullptr, &TWaterBalance::LostToDeepSoil},
    {"initial water stock - final water stock", nullptr, &TWaterBalance::InitialWaterStock,
     &TWaterBalance::FinalWaterStock},
    {"infiltration - evap soil surface", nullptr, &TWaterBalance::Infiltration,
     &TWaterBalance::EvapSoilSurfaceRoot},
    {"added by root growth - transpiration", nullptr, &TWaterBalance::AddedByRootGrowth,
     &TWaterBalance::TranspirationRoot},
    {"perculation", "capillary rise - perculation", &TWaterBalance::CapillaryRise,
     &TWaterBalance::Perculation},
};

const char* const InitInLabel = "INIT + IN";
const char* const FinalOutLabel = "FINAL + OUT";
const char* const RootZoneCaption = "Root Zone";
const char* const WholeSystemCaption = "Whole System";
}  // namespace

std::string WaterBalanceSeriesTitle(int No, bool Groundwater) {
  if (No < 0 || No > 10) return {};
  const TSeriesDef& D = SeriesDefs[No];
  return Groundwater && D.GroundwaterTitle ? D.GroundwaterTitle : D.Title;
}

TBalanceClosure BalanceClosure(const std::vector<double>& InitIn, const std::vector<double>& FinalOut) {
  TBalanceClosure C;
  for (double V : InitIn) C.InitIn += V;
  for (double V : FinalOut) C.FinalOut += V;
  C.Difference = C.InitIn - C.FinalOut;
  // Figures of one decimal each: allow for the sums' rounding.
  C.Closes = std::fabs(C.Difference) <= 0.05 + 1e-9;
  return C;
}

std::string ClosureText(const TBalanceClosure& C) {
  const double Diff = std::fabs(C.Difference) < 0.005 ? 0.0 : C.Difference;
  std::string S = Format("%s %.2f cm   %s %.2f cm   difference %.2f cm", InitInLabel, C.InitIn, FinalOutLabel,
                         C.FinalOut, Diff);
  if (!C.Closes) S += " - the balance does not close";
  return S;
}

// ---------------------------------------------------------------- 3-D bars

// Gives the stacked bars of a chart depth: for every bar a side face at its
// right and, on the top of each column, a top face, drawn in darker shades of
// the bar's colour as an oblique projection up and to the right.
class T3DBarsItem : public QGraphicsItem {
 public:
  explicit T3DBarsItem(QChart* Chart) : QGraphicsItem(Chart), FChart(Chart) { setZValue(20); }
  void SetSeries(QStackedBarSeries* S) {
    FSeries = S;
    update();
  }
  QRectF boundingRect() const override { return FChart->rect(); }
  void paint(QPainter* P, const QStyleOptionGraphicsItem*, QWidget*) override {
    if (!FSeries || !FSeries->chart()) return;
    const QList<QBarSet*> Sets = FSeries->barSets();
    int Columns = 0;
    for (const QBarSet* S : Sets) Columns = std::max(Columns, static_cast<int>(S->count()));
    const double Half = FSeries->barWidth() / 2;
    P->save();
    P->setRenderHint(QPainter::Antialiasing, true);
    for (int i = 0; i < Columns; ++i) {
      const double X0 = FChart->mapToPosition(QPointF(i - Half, 0), FSeries).x();
      const double X1 = FChart->mapToPosition(QPointF(i + Half, 0), FSeries).x();
      const double D = BarDepthShare * (X1 - X0);
      double Up = 0, Down = 0;
      QBarSet* TopSet = nullptr;
      double TopY = 0;
      for (QBarSet* S : Sets) {
        const double V = i < S->count() ? S->at(i) : 0;
        if (V == 0) continue;
        double& Sum = V > 0 ? Up : Down;
        const double YB = FChart->mapToPosition(QPointF(i, Sum), FSeries).y();
        Sum += V;
        const double YT = FChart->mapToPosition(QPointF(i, Sum), FSeries).y();
        const QColor Side = S->color().darker(160);
        P->setPen(QPen(Side.darker(130), 0.8));
        P->setBrush(Side);
        P->drawPolygon(
            QPolygonF({QPointF(X1, YT), QPointF(X1 + D, YT - D), QPointF(X1 + D, YB - D), QPointF(X1, YB)}));
        if (V > 0) TopSet = S, TopY = YT;
      }
      if (TopSet) {
        const QColor Top = TopSet->color().darker(125);
        P->setPen(QPen(Top.darker(130), 0.8));
        P->setBrush(Top);
        P->drawPolygon(QPolygonF(
            {QPointF(X0, TopY), QPointF(X0 + D, TopY - D), QPointF(X1 + D, TopY - D), QPointF(X1, TopY)}));
      }
    }
    P->restore();
  }

 private:
  QChart* FChart;
  QStackedBarSeries* FSeries = nullptr;
};

// ---------------------------------------------------------------- window

namespace {
TKvChart* NewBalanceChart(const char* Title) {
  auto* C = new TKvChart;
  C->SetTitle(Title);
  C->legend()->setAlignment(Qt::AlignRight);
  C->legend()->setShowToolTips(true);
  auto* X = new QBarCategoryAxis(C);
  C->addAxis(X, Qt::AlignBottom);
  auto* Y = new QValueAxis(C);
  Y->setTitleText("(cm)");
  Y->setLabelFormat("%g");
  C->addAxis(Y, Qt::AlignLeft);
  return C;
}

QBarCategoryAxis* CategoryAxis(const QChart* C) {
  return qobject_cast<QBarCategoryAxis*>(C->axes(Qt::Horizontal).value(0));
}

QValueAxis* ValueAxis(const QChart* C) { return qobject_cast<QValueAxis*>(C->axes(Qt::Vertical).value(0)); }

double Value(const TWaterBalance& B, Str16 TWaterBalance::*Field) {
  return Field ? static_cast<double>(StrToFloat((B.*Field).Str())) : 0.0;
}
}  // namespace

TFormWaterBalance::TFormWaterBalance(QWidget* Owner) : QDialog(Owner) {
  setObjectName("FormWaterBalance");
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);
  BuildCharts();
  QHBoxLayout* Buttons = BuildButtonRow();
  auto* Main = new QVBoxLayout(this);
  Main->addWidget(FViewWhole, 1);
  Main->addWidget(FClosureWhole);
  Main->addWidget(FViewRoot, 1);
  Main->addWidget(FClosureRoot);
  Main->addLayout(Buttons);
  // Room for the legend's titles beside the columns.
  setMinimumSize(minimumSizeHint().expandedTo(QSize(680, 480)));
  resize(QSize(860, 600).expandedTo(minimumSize()));
}

// The two charts, each with its line of totals below it.
void TFormWaterBalance::BuildCharts() {
  FChartWhole = NewBalanceChart("WHOLE SYSTEM");
  FChartRoot = NewBalanceChart("ROOT ZONE");
  FViewWhole = new TKvChartView(FChartWhole, false);
  FViewWhole->setObjectName("ChartWaterBalanceWhole");
  FViewRoot = new TKvChartView(FChartRoot, false);
  FViewRoot->setObjectName("ChartWaterBalanceRoot");
  F3DWhole = new T3DBarsItem(FChartWhole);
  F3DRoot = new T3DBarsItem(FChartRoot);
  for (TKvChart* C : {FChartWhole, FChartRoot})
    connect(C, &QChart::plotAreaChanged, this, [this] {
      F3DWhole->update();
      F3DRoot->update();
    });
  FClosureWhole = new QLabel;
  FClosureWhole->setObjectName("lblClosureWhole");
  FClosureRoot = new QLabel;
  FClosureRoot->setObjectName("lblClosureRoot");
  for (QLabel* L : {FClosureWhole, FClosureRoot}) {
    L->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SetHint(
        L,
        "The column totals and their difference|A difference above 0.05 cm means that the balance does not "
        "close");
  }
}

// The command buttons below the charts, connected to their handlers.
QHBoxLayout* TFormWaterBalance::BuildButtonRow() {
  FBtnChart = NewButton(RootZoneCaption, "BtnChart");
  SetHint(FBtnChart, "Show the other balance");
  FBtn3D = NewButton("3-D", "Btn3D");
  FBtn3D->setCheckable(true);
  FBtn3D->setChecked(true);
  SetHint(FBtn3D, "Three-dimensional or flat bars");
  auto* BtnPrint = NewButton("Print...", "BtnPrint");
  SetHint(BtnPrint, "Print the chart on the default printer");
  auto* BtnSaveImage = NewButton("Save image...", "BtnSaveImage");
  SetHint(BtnSaveImage, "Save the chart as a PNG, SVG or PDF file");
  auto* BtnClose = NewButton("&Close", "BtnClose");

  auto* Buttons = new QHBoxLayout;
  Buttons->addWidget(FBtnChart);
  Buttons->addWidget(FBtn3D);
  Buttons->addWidget(BtnPrint);
  Buttons->addWidget(BtnSaveImage);
  Buttons->addStretch(1);
  Buttons->addWidget(BtnClose);

  ConnectGuarded(FBtnChart, &QPushButton::clicked, this, &TFormWaterBalance::BtnChartClick);
  ConnectGuarded(FBtn3D, &QPushButton::clicked, this, &TFormWaterBalance::Btn3DClick);
  ConnectGuarded(BtnPrint, &QPushButton::clicked, this, &TFormWaterBalance::BtnPrintClick);
  ConnectGuarded(BtnSaveImage, &QPushButton::clicked, this, &TFormWaterBalance::BtnSaveImageClick);
  connect(BtnClose, &QPushButton::clicked, this, [this] { BtnCloseClick(); });
  return Buttons;
}

TFormWaterBalance::~TFormWaterBalance() = default;

TKvChart* TFormWaterBalance::VisibleChart() const { return FViewRoot->isHidden() ? FChartWhole : FChartRoot; }

QLabel* TFormWaterBalance::ClosureLabel(const TKvChart* Chart) const {
  return Chart == FChartRoot ? FClosureRoot : FClosureWhole;
}

const TWaterBalance* TFormWaterBalance::FindBalance() const {
  if (!OutputData) return nullptr;
  const auto& List = OutputData->Data.BalanceList;
  for (int i = 0; i < List.Count(); ++i) {
    const TWaterBalance* B = List.Objects(i);
    if (B->RunName == RunName && B->RunYear == RunYear && B->RainYear == RainYear) return B;
  }
  return nullptr;
}

void TFormWaterBalance::BuildSeries() {
  const bool Groundwater = OutputData && OutputData->Data.HasGroundwater;
  for (TKvChart* C : {FChartWhole, FChartRoot}) C->removeAllSeries();
  FStackWhole = new QStackedBarSeries;
  FStackRoot = new QStackedBarSeries;
  for (int i = 0; i < 11; ++i) {
    Series[i] = new QBarSet(FromCore(WaterBalanceSeriesTitle(i, Groundwater)));
    (i <= 6 ? FStackWhole : FStackRoot)->append(Series[i]);
  }
  for (QStackedBarSeries* S : {FStackWhole, FStackRoot}) S->setLabelsVisible(false);
  FChartWhole->addSeries(FStackWhole);
  FChartRoot->addSeries(FStackRoot);
  for (TKvChart* C : {FChartWhole, FChartRoot}) {
    QAbstractSeries* S = C->series().first();
    S->attachAxis(CategoryAxis(C));
    S->attachAxis(ValueAxis(C));
  }
  F3DWhole->SetSeries(FStackWhole);
  F3DRoot->SetSeries(FStackRoot);
}

void TFormWaterBalance::FillSeries() {
  const TWaterBalance* B = FindBalance();
  if (!B) return;
  const bool Has[2] = {OutputData->Data.HasWaterBalance, OutputData->Data.HasRootZone};
  for (int i = 0; i < 11; ++i) {
    const bool Real = Has[i <= 6 ? 0 : 1];
    Series[i]->append(Real ? Value(*B, SeriesDefs[i].InitIn) : 0.0);
    Series[i]->append(Real ? Value(*B, SeriesDefs[i].FinalOut) : 0.0);
  }
}

void TFormWaterBalance::FinishChart(int First, int Last, bool Labelled) {
  TKvChart* C = First == 0 ? FChartWhole : FChartRoot;
  // The point labels of the first series name the columns.
  QBarCategoryAxis* X = CategoryAxis(C);
  X->clear();
  if (Labelled && Series[First]->count() == 2) X->append(QStringList({InitInLabel, FinalOutLabel}));
  std::vector<double> Sums[2];
  double Top = 0, Bottom = 0;
  for (int Col = 0; Col < 2; ++Col) {
    double Up = 0, Down = 0;
    for (int i = First; i <= Last; ++i) {
      if (Col >= Series[i]->count()) continue;
      const double V = Series[i]->at(Col);
      (V > 0 ? Up : Down) += V;
      Sums[Col].push_back(V);
    }
    Top = std::max(Top, Up);
    Bottom = std::min(Bottom, Down);
  }
  QValueAxis* Y = ValueAxis(C);
  Y->setRange(Bottom, Top > Bottom ? Top * 1.08 + (Top == 0 ? 1 : 0) : Bottom + 1);
  Y->applyNiceNumbers();
  QLabel* L = ClosureLabel(C);
  if (Series[First]->count() < 2) {
    L->setText(FromCore("No water balance for " + RunName + ", " + RunYear + ", " + RainYear));
    L->setStyleSheet(QString());
    return;
  }
  const TBalanceClosure Closure = BalanceClosure(Sums[0], Sums[1]);
  L->setText(FromCore(ClosureText(Closure)));
  L->setStyleSheet(Closure.Closes ? QString() : QString("color: #c00000; font-weight: bold;"));
}

void TFormWaterBalance::ShowChart(bool Root) {
  FViewWhole->setVisible(!Root);
  FClosureWhole->setVisible(!Root);
  FViewRoot->setVisible(Root);
  FClosureRoot->setVisible(Root);
}

void TFormWaterBalance::FormActivate() {
  BuildSeries();
  const bool HasWhole = OutputData && OutputData->Data.HasWaterBalance;
  const bool HasRoot = OutputData && OutputData->Data.HasRootZone;
  auto Finish = [&] {
    FinishChart(0, 6, HasWhole);
    FinishChart(7, 10, HasRoot);
    F3DWhole->update();
    F3DRoot->update();
    setWindowTitle(FromCore("Waterbalance - " + RunName + ", " + RunYear + ", " + RainYear));
    FBtnChart->setVisible(HasWhole && HasRoot);
    if (HasWhole) {
      FBtnChart->setText(RootZoneCaption);
      ShowChart(false);
    } else {
      ShowChart(true);
      FViewRoot->setVisible(HasRoot);
      FClosureRoot->setVisible(HasRoot);
    }
  };
  try {
    FillSeries();
  } catch (...) {
    Finish();  // the bars added before the failure stay
    throw;
  }
  Finish();
}

void TFormWaterBalance::BtnChartClick() {
  if (FBtnChart->text() == RootZoneCaption) {
    FBtnChart->setText(WholeSystemCaption);
    ShowChart(true);
  } else {
    FBtnChart->setText(RootZoneCaption);
    ShowChart(false);
  }
}

void TFormWaterBalance::Set3D(bool On) {
  F3D = On;
  F3DWhole->setVisible(On);
  F3DRoot->setVisible(On);
  FBtn3D->setChecked(On);
}

void TFormWaterBalance::Btn3DClick() { Set3D(!F3D); }

void TFormWaterBalance::PaintPage(QPainter& Painter, const QRectF& Target) const {
  TKvChart* C = VisibleChart();
  PaintChartPage(Painter, Target, *C, {}, {windowTitle(), ClosureLabel(C)->text()});
}

namespace {
QString BalanceImageName(const TFormWaterBalance& W, const QString& Ext) {
  const QString File = W.OutputData ? FromCore(W.OutputData->FileName).replace('\\', '/') : QString();
  const QString Kind = W.VisibleChart() == W.ChartRoot() ? "rootzone" : "wholesystem";
  return ImageFileName({QFileInfo(File).completeBaseName(), "waterbalance", Kind, FromCore(W.RunName),
                        FromCore(W.RunYear), FromCore(W.RainYear)},
                       Ext);
}
}  // namespace

void TFormWaterBalance::BtnPrintClick() {
  PrintGraph(
      0, [this](QPainter& P, const QRectF& R) { PaintPage(P, R); }, BalanceImageName(*this, "pdf"));
}

void TFormWaterBalance::BtnSaveImageClick() {
  SaveImageCommand(
      BalanceImageName(*this, "png"), [this](QPainter& P, const QRectF& R) { PaintPage(P, R); },
      QSize(1600, 1000));
}

void TFormWaterBalance::BtnCloseClick() { reject(); }

void TFormWaterBalance::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  // The series are built once per showing, not at every activation.
  FActivation.Shown(*Event, [this] { FormActivate(); });
}

void TFormWaterBalance::hideEvent(QHideEvent* Event) {
  QDialog::hideEvent(Event);
  FActivation.Hidden(*Event);
}
