#include "KvTView.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHash>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "ChartExport.h"
#include "FormParts.h"
#include "KvChart.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/TextCase.h"
#include "output/OutDet.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
const char* const AxisLeftCaption = "Y-Axis 1";
const char* const AxisRightCaption = "Y-Axis 2";

// The legend's swatch of a curve: a short thick line, or a block for bars.
QIcon SwatchIcon(const QColor& Colour, TKvCurve::TStyle Style) {
  static QHash<QString, QIcon> Cache;
  const QString Key = Colour.name() + QString::number(Style);
  auto It = Cache.find(Key);
  if (It != Cache.end()) return *It;
  QPixmap Pix(24, 14);
  Pix.fill(Qt::transparent);
  QPainter P(&Pix);
  if (Style == TKvCurve::Marks) {
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(Qt::NoPen);
    P.setBrush(Colour);
    P.drawEllipse(QPointF(12, 7), 4.5, 4.5);
  } else if (Style == TKvCurve::Bars) {
    P.fillRect(QRect(6, 1, 12, 12), Colour);
  } else {
    P.fillRect(QRect(1, 5, 22, 4), Colour);
  }
  P.end();
  return *Cache.insert(Key, QIcon(Pix));
}
}  // namespace

namespace {
QComboBox* NewColumnsCombo(const char* Name) {
  auto* Cb = new QComboBox;
  Cb->setObjectName(Name);
  Cb->setEditable(false);
  Cb->setMaxVisibleItems(25);
  Cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Cb->setMinimumContentsLength(24);
  return Cb;
}

}  // namespace

TFormTableView::TFormTableView(QWidget* Owner) : QDialog(Owner) {
  setObjectName("FormTableView");
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint);
  setSizeGripEnabled(true);

  BuildChartArea();
  QWidget* Panel = BuildControlPanel();
  auto* Main = new QVBoxLayout(this);
  Main->addWidget(FSplitter, 1);
  Main->addWidget(Panel);

  // Never smaller than the controls need (large fonts).
  setMinimumSize(minimumSizeHint().expandedTo(QSize(760, 520)));
  QSize Want(1120, 760);
  if (const QScreen* S = screen()) Want = Want.boundedTo(S->availableGeometry().size() * 0.95);
  resize(Want.expandedTo(minimumSize()));

  FTable = std::make_unique<TKvTable>(this, FChart);
  setWindowTitle(FromCore(FTitle));
  ConnectControls();
}

void TFormTableView::BuildChartArea() {
  // The chart with its legend beside it.
  FChart = new TKvCurveChart;
  FChartView = new TKvChartView(FChart, true);
  FChartView->setObjectName("Chart1");
  FChartView->setMinimumSize(360, 240);
  SetHint(FChartView,
          "Drag to the right to zoom, up and to the left for the whole graph, with the right button "
          "to scroll");
  auto* LegendBox = new QWidget;
  auto* LegendLayout = new QVBoxLayout(LegendBox);
  LegendLayout->setContentsMargins(0, 0, 0, 0);
  FLegendLabel = new QLabel("Legend");
  FLegendLabel->setObjectName("lblLegend");
  FLegend = new QListWidget;
  FLegend->setObjectName("lstLegend");
  FLegend->setUniformItemSizes(true);
  FLegend->setIconSize(QSize(24, 14));
  FLegend->setMinimumWidth(120);
  SetHint(FLegend, "Curves: uncheck one to hide it");
  LegendLayout->addWidget(FLegendLabel);
  LegendLayout->addWidget(FLegend, 1);
  FSplitter = new QSplitter(Qt::Horizontal);
  FSplitter->setObjectName("splChart");
  FSplitter->addWidget(FChartView);
  FSplitter->addWidget(LegendBox);
  FSplitter->setStretchFactor(0, 1);
  FSplitter->setStretchFactor(1, 0);
  FSplitter->setChildrenCollapsible(false);
  FSplitter->setSizes({800, 220});
}

QWidget* TFormTableView::BuildFile1Group() {
  auto* Group1 = new QGroupBox;
  Group1->setObjectName("grpFile1");
  auto* G1 = new QGridLayout(Group1);
  auto* Label1 = new QLabel("Output file 1:");
  Label1->setObjectName("Label1");
  FLblOutputFile1 = new QLabel;
  FLblOutputFile1->setObjectName("lblOutputFile1");
  FCheckBox1 = new QCheckBox("Show");
  FCheckBox1->setObjectName("CheckBox1");
  FCheckBox1->setChecked(true);
  FCbColumns1 = NewColumnsCombo("CbColumns1");
  FBtnYaxis1 = NewButton(AxisLeftCaption, "BtnYaxis1");
  SetHint(FBtnYaxis1,
          "Vertical axis of file 1|Y-Axis 1 is the left axis, Y-Axis 2 the right one; click to change");
  G1->addWidget(Label1, 0, 0);
  G1->addWidget(FLblOutputFile1, 0, 1);
  G1->addWidget(FCheckBox1, 0, 2);
  G1->addWidget(FCbColumns1, 1, 0, 1, 3);
  G1->addWidget(FBtnYaxis1, 2, 0);
  G1->setColumnStretch(1, 1);
  return Group1;
}

QWidget* TFormTableView::BuildFile2Group() {
  auto* Group2 = new QGroupBox;
  Group2->setObjectName("grpFile2");
  auto* G2 = new QGridLayout(Group2);
  auto* BtnOutfile2 = NewButton("&Output file 2...", "BtnOutfile2");
  SetHint(BtnOutfile2, "Open a second output file to compare");
  FLblOutputFile2 = new QLabel("<none>");
  FLblOutputFile2->setObjectName("lblOutputFile2");
  FCheckBox2 = new QCheckBox("Show");
  FCheckBox2->setObjectName("CheckBox2");
  FCbColumns2 = NewColumnsCombo("CbColumns2");
  FBtnYaxis2 = NewButton(AxisRightCaption, "BtnYaxis2");
  SetHint(FBtnYaxis2,
          "Vertical axis of file 2|Y-Axis 1 is the left axis, Y-Axis 2 the right one; click to change");
  G2->addWidget(BtnOutfile2, 0, 0);
  G2->addWidget(FLblOutputFile2, 0, 1);
  G2->addWidget(FCheckBox2, 0, 2);
  G2->addWidget(FCbColumns2, 1, 0, 1, 3);
  G2->addWidget(FBtnYaxis2, 2, 0);
  G2->setColumnStretch(1, 1);
  return Group2;
}

QWidget* TFormTableView::BuildSyncGroup() {
  auto* GrpSync = new QGroupBox("Synchronize on ");
  GrpSync->setObjectName("grpSync");
  auto* GS = new QVBoxLayout(GrpSync);
  FRbStartYear = new QRadioButton("StartYear");
  FRbStartYear->setObjectName("rbStartYear");
  FRbEndYear = new QRadioButton("EndYear");
  FRbEndYear->setObjectName("rbEndYear");
  FRbEndYear->setChecked(true);
  auto* Sync = new QButtonGroup(this);
  Sync->addButton(FRbStartYear, 0);
  Sync->addButton(FRbEndYear, 1);
  auto* BitBtn1 = NewButton("Redraw", "BitBtn1");
  SetHint(BitBtn1, "Draw again, with the synchronisation chosen");
  GS->addWidget(FRbStartYear);
  GS->addWidget(FRbEndYear);
  GS->addWidget(BitBtn1);
  return GrpSync;
}

QLayout* TFormTableView::BuildCommandButtons() {
  auto* BtnPrint = NewButton("Print...", "BtnPrint");
  SetHint(BtnPrint, "Print the graph on the default printer");
  auto* BtnSaveImage = NewButton("Save image...", "BtnSaveImage");
  SetHint(BtnSaveImage, "Save the graph as a PNG, SVG or PDF file");
  auto* BtnClose = NewButton("&Close", "BtnClose");
  auto* Commands = new QVBoxLayout;
  Commands->addWidget(BtnPrint);
  Commands->addWidget(BtnSaveImage);
  Commands->addStretch(1);
  Commands->addWidget(BtnClose);
  return Commands;
}

QWidget* TFormTableView::BuildControlPanel() {
  QWidget* Group1 = BuildFile1Group();
  QWidget* Group2 = BuildFile2Group();
  QWidget* GrpSync = BuildSyncGroup();
  QLayout* Commands = BuildCommandButtons();
  auto* Panel = new QWidget;
  Panel->setObjectName("Panel1");
  auto* Bottom = new QHBoxLayout(Panel);
  Bottom->setContentsMargins(0, 0, 0, 0);
  Bottom->addWidget(Group1, 1);
  Bottom->addWidget(Group2, 1);
  Bottom->addWidget(GrpSync);
  Bottom->addLayout(Commands);
  return Panel;
}

void TFormTableView::ConnectControls() {
  auto Button = [this](const char* Name) { return findChild<QPushButton*>(Name); };
  auto Guard = [](auto Body) { return [Body] { GuardedCall(Body); }; };
  connect(FCbColumns1, &QComboBox::activated, this, Guard([this] { CbColumns1Change(); }));
  connect(FCbColumns2, &QComboBox::activated, this, Guard([this] { CbColumns2Change(); }));
  connect(FCheckBox1, &QCheckBox::clicked, this, Guard([this] { CheckBox1Click(); }));
  connect(FCheckBox2, &QCheckBox::clicked, this, Guard([this] { CheckBox2Click(); }));
  connect(FBtnYaxis1, &QPushButton::clicked, this, Guard([this] { BtnYaxis1Click(); }));
  connect(FBtnYaxis2, &QPushButton::clicked, this, Guard([this] { BtnYaxis2Click(); }));
  connect(FRbStartYear, &QRadioButton::clicked, this, Guard([this] { rbStartYearClick(); }));
  connect(FRbEndYear, &QRadioButton::clicked, this, Guard([this] { rbEndYearClick(); }));
  connect(Button("BitBtn1"), &QPushButton::clicked, this, Guard([this] { BitBtn1Click(); }));
  connect(Button("BtnOutfile2"), &QPushButton::clicked, this, Guard([this] { BtnOutfile2Click(); }));
  connect(Button("BtnPrint"), &QPushButton::clicked, this, Guard([this] { BtnPrintClick(); }));
  connect(Button("BtnSaveImage"), &QPushButton::clicked, this, Guard([this] { BtnSaveImageClick(); }));
  connect(Button("BtnClose"), &QPushButton::clicked, this, [this] { BtnCloseClick(); });
  connect(FLegend, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* Item) { LegendItemChanged(Item); });
}

TFormTableView::~TFormTableView() { FTable.reset(); }

QComboBox* TFormTableView::Columns(int Nr) const { return Nr == 2 ? FCbColumns2 : FCbColumns1; }

void TFormTableView::SetTitle(const std::string& Value) {
  FTitle = Value;
  FTable->SetTitle(Value);
  setWindowTitle(FromCore(Value));
}

void TFormTableView::SetUnitOffset(int Value) { FTable->SetUnitOffset(Value); }

void TFormTableView::Reset(const std::string& FullName) {
  FFullName[0] = FullName;
  FFullName[1].clear();
  setWindowTitle(FromCore(FTitle));
  // The session's output shows the session's name; another file its own.
  const TKvFileManager* Fm = TheSession ? &TheSession->FileManager() : nullptr;
  if (Fm && SameText(FullName, Fm->OutFullName())) {
    FLblOutputFile1->setText(FromCore(Fm->KRLName()));
    FLblOutputFile1->setToolTip(FromCore(Fm->KRLFullName()));
  } else {
    FLblOutputFile1->setText(FromCore(ExtractFileName(FullName)));
    FLblOutputFile1->setToolTip(FromCore(FullName));
  }
  FLblOutputFile2->setText("<none>");
  FLblOutputFile2->setToolTip(QString());
  FCbColumns1->clear();
  FCbColumns2->clear();
  FTable->Reset(FullName, 1);
  FTable->Reset("", 2);
  // The session's observations go with the session's own output only.
  std::vector<TObservation> Observations;
  if (Fm && SameText(FullName, Fm->OutFullName())) {
    const std::string ObsFile = SessionObservationFile(*Fm);
    if (!ObsFile.empty() && FileExists(ObsFile)) {
      try {
        TObservationFile File;
        File.Read(ObsFile);
        Observations = std::move(File.Observations);
      } catch (const std::exception&) {
        // The graph shows the simulation without them; the evaluation window
        // reports why the file cannot be used.
      }
    }
  }
  FTable->SetObservations(std::move(Observations));
  RefreshLegend();
}

void TFormTableView::AddColumn(int Nr, const std::string& Name, const std::string& Units, bool Selectable,
                               const std::string& Description) {
  FTable->AddColumn(Name, Units, Description, Nr);
  if (Selectable) Columns(Nr)->addItem(FromCore(Description));
}

void TFormTableView::FillComboBox(int Nr, int OutType) {
  QComboBox* Cb = Columns(Nr);
  Cb->clear();
  if (FullName(Nr).empty()) return;
  for (const TColumnDef& C : ColumnCatalogue(OutType)) AddColumn(Nr, C.Name, C.Units, C.Listed, C.Desc);
  if (Cb->count() > 0) Cb->setCurrentIndex(0);
  // The drop-down list is as wide as its longest description.
  int Wide = 0;
  for (int i = 0; i < Cb->count(); ++i)
    Wide = std::max(Wide, Cb->fontMetrics().horizontalAdvance(Cb->itemText(i)));
  Cb->view()->setMinimumWidth(Wide + 40);
}

void TFormTableView::ApplySelections() {
  FTable->SetYColumnOnDesc(ToCore(FCbColumns1->currentText()), 1);
  FTable->SetYColumnOnDesc(ToCore(FCbColumns2->currentText()), 2);
}

void TFormTableView::DrawChart() {
  try {
    FTable->Draw();
  } catch (...) {
    RefreshLegend();
    throw;
  }
  RefreshLegend();
}

void TFormTableView::Go() {
  ApplySelections();
  DrawChart();
  ExecModal(*this);
}

void TFormTableView::RefreshLegend() {
  const QList<TKvCurve*>& Curves = FChart->Curves();
  const QSignalBlocker Quiet(FLegend);
  FLegend->clear();
  for (qsizetype i = 0; i < Curves.size(); ++i) {
    const TKvCurve* C = Curves[i];
    auto* Item = new QListWidgetItem(SwatchIcon(C->Color(), C->Style()), C->name());
    Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    Item->setCheckState(C->isVisible() ? Qt::Checked : Qt::Unchecked);
    Item->setData(Qt::UserRole, static_cast<int>(i));
    FLegend->addItem(Item);
  }
  const auto Measured = std::count_if(Curves.begin(), Curves.end(),
                                      [](const TKvCurve* C) { return C->Style() == TKvCurve::Marks; });
  const qsizetype Simulated = Curves.size() - Measured;
  QString Text = Simulated == 1 ? QString("Legend: 1 curve") : QString("Legend: %1 curves").arg(Simulated);
  if (Measured) Text += QString(", %1 measured").arg(Measured);
  FLegendLabel->setText(Text);
}

void TFormTableView::LegendItemChanged(QListWidgetItem* Item) {
  const int i = Item->data(Qt::UserRole).toInt();
  const QList<TKvCurve*>& Curves = FChart->Curves();
  if (i < 0 || i >= Curves.size()) return;
  Curves[i]->setVisible(Item->checkState() == Qt::Checked);
  FChart->CurvesChanged();
}

void TFormTableView::CbColumns1Change() {
  FTable->SetYColumnOnDesc(ToCore(FCbColumns1->currentText()), 1);
  DrawChart();
}

void TFormTableView::CbColumns2Change() {
  FTable->SetYColumnOnDesc(ToCore(FCbColumns2->currentText()), 2);
  DrawChart();
}

void TFormTableView::CheckBox1Click() {
  FTable->SetActive(1, FCheckBox1->isChecked());
  DrawChart();
}

void TFormTableView::CheckBox2Click() {
  FTable->SetActive(2, FCheckBox2->isChecked());
  DrawChart();
}

void TFormTableView::ToggleAxisButton(QPushButton* Button, int Nr) {
  Button->setText(Button->text() == AxisLeftCaption ? AxisRightCaption : AxisLeftCaption);
  FTable->ChangeVertAxis(Nr);
  DrawChart();
}

void TFormTableView::BtnYaxis1Click() { ToggleAxisButton(FBtnYaxis1, 1); }

void TFormTableView::BtnYaxis2Click() { ToggleAxisButton(FBtnYaxis2, 2); }

void TFormTableView::rbStartYearClick() {
  if (FRbStartYear->isChecked()) FTable->SetSyncOption(soStartYear);
  if (FRbEndYear->isChecked()) FTable->SetSyncOption(soEndYear);
}

void TFormTableView::rbEndYearClick() { rbStartYearClick(); }

void TFormTableView::BitBtn1Click() { DrawChart(); }

void TFormTableView::BtnOutfile2Click() {
  TFileDialogRequest R;
  R.Title = "Open File...";
  R.Filter = "Output Files (*.out)|*.out";
  R.MustExist = true;
  if (TheSession) R.InitialDir = FromCore(MapFileName(TheSession->FileManager().OutPath()));
  const QString Chosen = AskFileName(R);
  if (Chosen.isEmpty()) return;
  const std::string Path = ToCore(Chosen);
  // A file that is no complete output is refused before anything changes;
  // the table type: potential from the title, else by the file's groundwater.
  TDetailedOutput Output(Path);
  Output.ReadChosenOutputFile(Path);
  const int OutType = FTitle.find("Potential") != std::string::npos ? 1 : Output.Data.HasGroundwater ? 2 : 3;
  FFullName[1] = Path;
  FLblOutputFile2->setText(QFileInfo(Chosen).fileName());
  FLblOutputFile2->setToolTip(Chosen);
  FCheckBox2->setChecked(true);
  FTable->SetActive(2, true);
  FTable->Reset(Path, 2);
  FillComboBox(2, OutType);
  ApplySelections();
  DrawChart();
}

void TFormTableView::BtnPrintClick() { FTable->PrintLandscape(); }

void TFormTableView::BtnSaveImageClick() {
  const TChartInfo& I = FTable->ChartInfo(1);
  const QString Name =
      GraphImageName(FromCore(I.FFullName), FromCore(FTitle), FromCore(I.FYColumn), *FChart, "png");
  SaveImageCommand(
      Name, [this](QPainter& P, const QRectF& R) { FTable->PaintPage(P, R); }, QSize(1800, 1100));
}

void TFormTableView::BtnCloseClick() { reject(); }

void TFormTableView::FormActivate() {
  const bool HasFile = !FFullName[0].empty();
  if (HasFile && FCbColumns1->count() > 0) FCbColumns1->setCurrentIndex(0);
  if (FCheckBox1->isChecked() != HasFile) {
    FCheckBox1->setChecked(HasFile);
    CheckBox1Click();
  }
}

void TFormTableView::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  // Once per showing: a later activation (after a message box or the file
  // dialog) must not put the column list out of step with the chart.
  FActivation.Shown(*Event, [this] { FormActivate(); });
}

void TFormTableView::hideEvent(QHideEvent* Event) {
  QDialog::hideEvent(Event);
  FActivation.Hidden(*Event);
}
