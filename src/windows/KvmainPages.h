#pragma once
// The seven session pages of the main window, each a small class that
// builds its controls, shows the session (Fill) and takes it back (Store).
// The controls that the session field table names (number fields, radio
// groups, check boxes) are filled and stored from the table; a page adds
// only what the table cannot say (lists, years, the rerun grid). The main
// window loops over the pages (FillPages, StorePages) and keeps the rules
// that join them (UpdateControls, the handlers).

#include <QWidget>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TDxFloatMemo;
class TDxIntMemo;
class TDxStringGrid;
class TKvSession;
class TRadioGroup;
struct TSessionField;

class TSessionPage : public QWidget {
 public:
  // Shows the session; the enabling rules are the main window's.
  virtual void Fill(const TKvSession& S);
  // Takes the page's values into the session.
  virtual void Store(TKvSession& S);

 protected:
  // Once the controls are built: the controls of the field table's entries
  // on this page, each with its page's help topic.
  void BindFields();

 private:
  struct TFieldControl {
    const TSessionField* Field;
    QWidget* Control;
  };
  std::vector<TFieldControl> FFields;
};

class TGeneralPage : public TSessionPage {
 public:
  TGeneralPage();
  TRadioGroup* RgProductionLevels = nullptr;
  TRadioGroup* RgSoilWaterBalance = nullptr;
  TRadioGroup* RgTypeOfWaterLimitedCropGrowth = nullptr;
  QPushButton* BtnObservations = nullptr;
  QPushButton* BtnClearObservations = nullptr;
  QLabel* LblObservations = nullptr;
};

class TTimerPage : public TSessionPage {
 public:
  TTimerPage();
  TDxIntMemo* mmOutputInterval = nullptr;
  QLabel* lblStartday = nullptr;
  TDxIntMemo* mmStartDay = nullptr;
  QLabel* Lbweather = nullptr;
  QLineEdit* EditFirstYear2 = nullptr;
  QLineEdit* EditLastYear2 = nullptr;
  TDxIntMemo* mmYear = nullptr;
  TDxIntMemo* mmConsecutiveYears = nullptr;
  QLabel* lbcrop = nullptr;
  TRadioGroup* RgStartDay = nullptr;
  TRadioGroup* RgEndDay = nullptr;
  TDxIntMemo* mmFixedEmergenceDate = nullptr;
  TDxIntMemo* mmFixedSowingDate = nullptr;
  TDxIntMemo* mmEarliestSowingDate = nullptr;
  TDxIntMemo* mmUltimateSowingDate = nullptr;
  TDxIntMemo* mmFixedEndDate = nullptr;
  TDxIntMemo* mmMaximumDuration = nullptr;

 private:
  QGroupBox* BuildGeneralTimer();
  QGroupBox* BuildWeatherTimer();
  QGroupBox* BuildCropTimer();
};

class TCropPage : public TSessionPage {
 public:
  // Timer: the page whose label names the chosen crop.
  explicit TCropPage(TTimerPage* Timer);
  void Fill(const TKvSession& S) override;
  void Store(TKvSession& S) override;
  QListWidget* LbCropNo = nullptr;
  QPlainTextEdit* mmCropInfo = nullptr;

 private:
  TTimerPage* FTimer;
};

class TWeatherPage : public TSessionPage {
 public:
  // Timer: the page with the station's label, years and simulation years.
  explicit TWeatherPage(TTimerPage* Timer);
  void Fill(const TKvSession& S) override;
  void Store(TKvSession& S) override;
  // The chosen station's years in both pages' year fields and its label.
  void UpdateStationsAndYears(const TKvSession& S);
  // The start year within the station's years, the consecutive years
  // within what the station has from there.
  void CheckYears();
  // After the start year was left: the consecutive years limited likewise.
  void LimitConsecutiveYears();
  int FirstYear() const;
  int LastYear() const;
  QListWidget* LbWeatherFormat = nullptr;
  QListWidget* LbStation = nullptr;
  QLineEdit* EditFirstYear = nullptr;
  QLineEdit* EditLastYear = nullptr;
  QPushButton* BtnRainfall = nullptr;

 private:
  TTimerPage* FTimer;
};

class TSoilPage : public TSessionPage {
 public:
  TSoilPage();
  void Fill(const TKvSession& S) override;
  void Store(TKvSession& S) override;
  QListWidget* LbSoilNo = nullptr;
  TDxFloatMemo* mmInitialSurfaceStorage = nullptr;
  TDxFloatMemo* mmMaximumSurfaceStorage = nullptr;
  QCheckBox* CbGroundwater = nullptr;
  TDxFloatMemo* mmInitialAvailableSoilWater = nullptr;
  TDxFloatMemo* mmMaximumMoisture = nullptr;
  TDxFloatMemo* mmInitialGroundWaterTable = nullptr;
  QCheckBox* CbDrainage = nullptr;
  TDxFloatMemo* mmDrainageDepth = nullptr;
  TDxFloatMemo* mmMaximumRootDepthOfSoil = nullptr;
  TRadioGroup* RgTypeOfNonInfiltratingFractionOfRain = nullptr;
  TDxFloatMemo* mmMaxNonInfiltratingFractionOfRain = nullptr;
};

class TNutrientsPage : public TSessionPage {
 public:
  TNutrientsPage();
  TDxFloatMemo* mmNBase = nullptr;
  TDxFloatMemo* mmPBase = nullptr;
  TDxFloatMemo* mmKBase = nullptr;
  TDxFloatMemo* mmNRec = nullptr;
  TDxFloatMemo* mmPRec = nullptr;
  TDxFloatMemo* mmKRec = nullptr;
};

class TReRunsPage : public TSessionPage {
 public:
  TReRunsPage();
  // The rerun table in the grid (FillReruns), and back (StoreReruns).
  void Fill(const TKvSession& S) override;
  void Store(TKvSession& S) override;
  QCheckBox* CbUseReRuns = nullptr;
  TDxStringGrid* GridReRun = nullptr;
  QPushButton* btnAddRerun = nullptr;
  QPushButton* btnRemoveRerun = nullptr;
  QPushButton* btnSelectVar = nullptr;
  QPushButton* btnRemoveVar = nullptr;
};
