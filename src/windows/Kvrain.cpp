#include "Kvrain.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "Commands.h"
#include "DxInpMemo.h"
#include "FormParts.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "catalogue/KvMenu.h"
#include "catalogue/Kvwthr.h"
#include "foundations/DxUtil.h"
#include "platform/Handlers.h"
#include "session/Kvses.h"

namespace {
const char* const NoStation = "<none>";

// A field in the window colour (normal) or in the button-face colour (greyed).
void SetFieldColor(QWidget* W, bool Normal) {
  QPalette P = W->palette();
  P.setColor(QPalette::Base, QApplication::palette().color(Normal ? QPalette::Base : QPalette::Button));
  W->setPalette(P);
}

// The read-only year fields: light cyan, disabled.
QLineEdit* NewYearEdit(QWidget* Parent, const char* Name) {
  auto* E = new QLineEdit(Parent);
  E->setObjectName(Name);
  E->setReadOnly(true);
  E->setEnabled(false);
  E->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  SetReadOnlyFieldStyle(E);
  const int W = E->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16;
  E->setFixedWidth(W);
  return E;
}

TKvWeather* Weather() { return TheSession ? &TheSession->Weather() : nullptr; }

int YearOf(const QLineEdit* Edit) { return IntOrZero(ToCore(Edit->text())); }
}  // namespace

TFormRainfall::TFormRainfall(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormRainfall");
  setWindowTitle("Rainfall");

  BuildOptions();
  BuildStation();
  BuildRuns();

  QDialogButtonBox* Buttons = MakeOkCancelButtons(this, OKBtn, CancelBtn);

  auto* Main = new QVBoxLayout(this);
  Main->addWidget(GroupBox1);
  Main->addWidget(GbStation);
  Main->addWidget(GbRuns);
  Main->addWidget(Buttons);
  Main->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(RbOption0, RbOption1);
  setTabOrder(RbOption1, RbOption2);
  setTabOrder(RbOption2, RbOption3);
  setTabOrder(RbOption3, LbRainfallStation);
  setTabOrder(LbRainfallStation, mmChooseYear);
  setTabOrder(mmChooseYear, mmRainfallYears);
  setTabOrder(mmRainfallYears, mmNoOfRunsWithRandomizedRain);
  setTabOrder(mmNoOfRunsWithRandomizedRain, OKBtn);
  setTabOrder(OKBtn, CancelBtn);

  ConnectGuarded(FOptions, &QButtonGroup::idClicked, this, &TFormRainfall::RbOptionClick);
  // The list's click: a user's choice, by mouse or keys, once the selection
  // has moved (filling the list raises no signal).
  ConnectGuarded(LbRainfallStation, &QListWidget::itemSelectionChanged, this,
                 &TFormRainfall::LbRainfallStationClick);
  ConnectGuarded(LbRainfallStation, &QListWidget::itemClicked, this, &TFormRainfall::LbRainfallStationClick);
  ConnectGuarded(mmChooseYear, &TDxNumberMemo::Exit, this, &TFormRainfall::mmChooseYearExit);

  // FormCreate
  GuardedCall([this] {
    FetchRainfallFiles(LbRainfallStation);
    RbOptionClick();
  });
  OKBtn->setFocus();
}

// The four options.
void TFormRainfall::BuildOptions() {
  GroupBox1 = new QGroupBox(" Select the RAINFALL DATA OPTION ", this);
  GroupBox1->setObjectName("GroupBox1");
  Label1 =
      NewLabel(GroupBox1,
               "In combination with monthly WEATHER data for increasingly detailed RAINFALL data, long term "
               "average rain and nr of rainy days are given.",
               "Label1");
  Label1->setWordWrap(true);
  RbOption0 = new QRadioButton(
      "GENERATES statistically a daily rainfall pattern, total monthly rain, and nr of rainy days vary.",
      GroupBox1);
  RbOption0->setObjectName("RbOption0");
  lblOption0 = NewLabel(GroupBox1, "Requires repetition for a number of years", "lblOption0");
  RbOption1 = new QRadioButton(
      "DISTRIBUTES monthly rainfall over given nr of days, total monthly rain and nr of rainy days are "
      "fixed.",
      GroupBox1);
  RbOption1->setObjectName("RbOption1");
  RbOption2 = new QRadioButton("READS daily rainfall from separate rainfall file.", GroupBox1);
  RbOption2->setObjectName("RbOption2");
  RbOption3 = new QRadioButton("Rainfall as it occurs in weather data file.", GroupBox1);
  RbOption3->setObjectName("RbOption3");
  FOptions = new QButtonGroup(this);
  FOptions->addButton(RbOption0, 0);
  FOptions->addButton(RbOption1, 1);
  FOptions->addButton(RbOption2, 2);
  FOptions->addButton(RbOption3, 3);

  auto* Options = new QGridLayout(GroupBox1);
  const int Indent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                     style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
  Options->addWidget(Label1, 0, 0, 1, 2);
  Options->addWidget(RbOption0, 1, 0, 1, 2);
  Options->addItem(new QSpacerItem(Indent, 0, QSizePolicy::Fixed), 2, 0);
  Options->addWidget(lblOption0, 2, 1);
  Options->addWidget(RbOption1, 3, 0, 1, 2);
  Options->addWidget(RbOption2, 4, 0, 1, 2);
  Options->addWidget(RbOption3, 5, 0, 1, 2);
  Options->setColumnStretch(1, 1);
}

// The rainfall station, its years and the years to take.
void TFormRainfall::BuildStation() {
  GbStation = new QGroupBox(this);
  GbStation->setObjectName("GbStation");
  Label4 = NewLabel(GbStation, "Rainfall station:", "Label4");
  LbRainfallStation = new QListWidget(GbStation);
  LbRainfallStation->setObjectName("LbRainfallStation");
  LbRainfallStation->setSelectionMode(QAbstractItemView::SingleSelection);
  LbRainfallStation->setMinimumWidth(fontMetrics().averageCharWidth() * 36);
  LbRainfallStation->setFixedHeight(fontMetrics().lineSpacing() * 5 + 2 * LbRainfallStation->frameWidth());
  Label4->setBuddy(LbRainfallStation);
  Label5 = NewLabel(GbStation, "Available years:", "Label5");
  EditFirstYear = NewYearEdit(GbStation, "EditFirstYear");
  Label6 = NewLabel(GbStation, " _ ", "Label6");
  EditLastYear = NewYearEdit(GbStation, "EditLastYear");
  Label2 = NewLabel(GbStation, "&Start year:", "Label2");
  mmChooseYear = new TDxIntMemo(GbStation);
  mmChooseYear->setObjectName("mmChooseYear");
  Label2->setBuddy(mmChooseYear);
  Label3 = NewLabel(GbStation, "Consecutive &years:", "Label3");
  mmRainfallYears = new TDxIntMemo(GbStation);
  mmRainfallYears->setObjectName("mmRainfallYears");
  Label3->setBuddy(mmRainfallYears);

  auto* Station = new QGridLayout(GbStation);
  Station->addWidget(Label4, 0, 0, 1, 2);
  Station->addWidget(LbRainfallStation, 1, 0, 4, 1);
  auto* Years = new QHBoxLayout;
  Years->addWidget(EditFirstYear);
  Years->addWidget(Label6);
  Years->addWidget(EditLastYear);
  Years->addStretch();
  Station->addWidget(Label5, 1, 1);
  Station->addLayout(Years, 1, 2);
  Station->addWidget(Label2, 2, 1);
  Station->addWidget(mmChooseYear, 2, 2, Qt::AlignLeft);
  Station->addWidget(Label3, 3, 1);
  Station->addWidget(mmRainfallYears, 3, 2, Qt::AlignLeft);
  Station->setRowStretch(4, 1);
  Station->setColumnStretch(0, 1);
}

// The runs with randomized rain.
void TFormRainfall::BuildRuns() {
  GbRuns = new QGroupBox(this);
  GbRuns->setObjectName("GbRuns");
  Label29 = NewLabel(GbRuns, "Runs w&ith randomized rain:", "Label29");
  mmNoOfRunsWithRandomizedRain = new TDxIntMemo(GbRuns);
  mmNoOfRunsWithRandomizedRain->setObjectName("mmNoOfRunsWithRandomizedRain");
  Label29->setBuddy(mmNoOfRunsWithRandomizedRain);
  auto* Runs = new QHBoxLayout(GbRuns);
  Runs->addWidget(Label29);
  Runs->addWidget(mmNoOfRunsWithRandomizedRain);
  Runs->addStretch();
}

void TFormRainfall::InitRbOptions(int aWeatherFormat) {
  bool Enabled[4];
  switch (aWeatherFormat) {
    case 0: Enabled[0] = false, Enabled[1] = true, Enabled[2] = true, Enabled[3] = false; break;
    case 1: Enabled[0] = true, Enabled[1] = true, Enabled[2] = true, Enabled[3] = false; break;
    case 2:
    case 3: Enabled[0] = false, Enabled[1] = false, Enabled[2] = true, Enabled[3] = true; break;
    default: return;
  }
  RbOption0->setEnabled(Enabled[0]);
  lblOption0->setEnabled(Enabled[0]);
  RbOption1->setEnabled(Enabled[1]);
  RbOption2->setEnabled(Enabled[2]);
  RbOption3->setEnabled(Enabled[3]);
}

int TFormRainfall::CheckedOption() const { return FOptions->checkedId(); }

void TFormRainfall::LoadRainfall() {
  const TKvWeather* W = Weather();
  if (!W) return;
  const int Option = W->RainfallDataOptions();
  if (Option >= 0 && Option <= 3) {
    FOptions->button(Option)->setChecked(true);
    RbOptionClick();
  }
  mmNoOfRunsWithRandomizedRain->Reset(W->NoOfRunsWithRandomizedRain(), W->MinNoOfRunsWithRandomizedRain(),
                                      W->MaxNoOfRunsWithRandomizedRain());
  UpdateStations(LbRainfallStation, EditFirstYear, EditLastYear);
  const int First = YearOf(EditFirstYear);
  const int Last = YearOf(EditLastYear);
  mmChooseYear->Reset(W->RainfallYear(), First, Last);
  mmRainfallYears->Reset(W->RainfallConsecutiveYears(), 1, Last - First + 1);
}

void TFormRainfall::StoreRainfall() {
  TKvWeather* W = Weather();
  if (!W) return;
  if (CheckedOption() >= 0) W->SetRainfallDataOptions(CheckedOption());
  TQtListBox List(LbRainfallStation);
  SetRainStation(List.ItemIndex() >= 0 ? List.Item(List.ItemIndex()) : std::string());
  W->SetRainfallYear(mmChooseYear->iValue());
  W->SetRainfallConsecutiveYears(mmRainfallYears->iValue());
  W->SetNoOfRunsWithRandomizedRain(mmNoOfRunsWithRandomizedRain->iValue());
}

void TFormRainfall::FetchRainfallFiles(QListWidget* ListBox) {
  TQtListBox List(ListBox);
  List.Clear();
  const std::string Wanted = Weather() ? Weather()->RainfallStationFile() : std::string();
  // Compared exactly, letter case included.
  for (int i = 0; i < StationList.Count(); ++i) {
    const TKorMenuItem* Item = StationList.Objects(i);
    if (!Item || Item->Format != FormatRainfall) continue;
    const int At = List.Add(StationList.Strings(i));
    if (Item->FileName == Wanted) List.SetItemIndex(At);
  }
  if (List.Count() > 0 && List.ItemIndex() < 0) List.SetItemIndex(0);
  UpdateStations(ListBox, EditFirstYear, EditLastYear);
}

void TFormRainfall::UpdateStations(QListWidget* ListBox, QLineEdit* First, QLineEdit* Last) {
  TQtListBox List(ListBox);
  const int Index =
      List.ItemIndex() >= 0 ? FindMenuItem(List.Item(List.ItemIndex()), FormatRainfall, StationList) : -1;
  const TKorMenuItem* Item = Index >= 0 ? StationList.Objects(Index) : nullptr;
  if (Item) {
    First->setText(QString::number(Item->YearBegin));
    Last->setText(QString::number(Item->YearEnd));
    SetMinMaxValueEditChooseYear(Item->YearBegin, Item->YearEnd);
  } else {
    First->setText("0");
    Last->setText("0");
    SetMinMaxValueEditChooseYear(0, 0);
  }
}

void TFormRainfall::SetRainStation(const std::string& aDescription) {
  TKvWeather* W = Weather();
  if (!W) return;
  const int Index = FindMenuItem(aDescription, FormatRainfall, StationList);
  const TKorMenuItem* Item = Index >= 0 ? StationList.Objects(Index) : nullptr;
  if (Item) {
    W->SetRainfallStationFile(Item->FileName);
    W->SetRainfallStationDescription(aDescription);
  } else {
    W->SetRainfallStationFile(NoStation);
    W->SetRainfallStationDescription(NoStation);
  }
}

void TFormRainfall::SetMinMaxValueEditChooseYear(int32_t Min, int32_t Max) {
  if (mmChooseYear->iValue() < Min || mmChooseYear->iValue() > Max) mmChooseYear->SetiValue(Min);
  mmChooseYear->Reset(mmChooseYear->iValue(), Min, Max);
  if (mmRainfallYears->iValue() > Max - Min + 1) mmRainfallYears->SetiValue(1);
  mmRainfallYears->Reset(mmRainfallYears->iValue(), 1, Max - Min + 1);
}

void TFormRainfall::RbOptionClick() {
  const int Option = CheckedOption();
  GbRuns->setEnabled(Option != 2 && Option != 3);
  GbStation->setEnabled(Option == 2);
  SetFieldColor(mmNoOfRunsWithRandomizedRain, true);
  const bool Station = Option == 2;
  SetFieldColor(mmChooseYear, Station);
  SetFieldColor(mmRainfallYears, Station);
  SetFieldColor(LbRainfallStation, Station);
  if (Station) SetFieldColor(mmNoOfRunsWithRandomizedRain, false);
  if (Option == 3) {
    SetFieldColor(mmNoOfRunsWithRandomizedRain, false);
    mmNoOfRunsWithRandomizedRain->SetiValue(1);
  }
}

void TFormRainfall::LbRainfallStationClick() {
  UpdateStations(LbRainfallStation, EditFirstYear, EditLastYear);
  StoreRainfall();
  SetHint(LbRainfallStation,
          "|File: " + FromCore(Weather() ? Weather()->RainfallStationFile() : std::string()));
}

void TFormRainfall::mmChooseYearExit() {
  const int L = YearOf(EditLastYear);
  const int S = mmChooseYear->iValue();
  if (L - S + 1 < mmRainfallYears->iValue()) mmRainfallYears->SetiValue(L - S + 1);
  mmRainfallYears->Reset(mmRainfallYears->iValue(), 1, L - S + 1);
}
