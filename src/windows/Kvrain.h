#pragma once
// The rainfall options dialog: where the model takes its rainfall from (the
// session's rainfall data option), and for the options that need them the
// runs with randomized rain or a rainfall station (a catalogue entry of
// format 99) with its start year and number of years.
//
// The caller's sequence: create (fills the station list), InitRbOptions with
// the number of the selected weather format, LoadRainfall, show it; on OK
// StoreRainfall. A click in the station list stores the whole dialog at once,
// which stays in the session also after Cancel.

#include <QDialog>
#include <cstdint>
#include <string>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TDxIntMemo;

class TFormRainfall : public QDialog {
  Q_OBJECT
 public:
  // FormCreate: the station list filled, the groups enabled for no option.
  explicit TFormRainfall(QWidget* aOwner);
  // Enables the options that suit the weather format with this number (not
  // its list position); an unknown number changes nothing.
  void InitRbOptions(int aWeatherFormat);
  // Shows the session's rainfall settings.
  void LoadRainfall();
  // Writes the dialog's settings into the session.
  void StoreRainfall();

  // The format-99 stations of the data catalogue into ListBox, selecting the
  // session's rainfall file (exact letter case) or else the first; then
  // UpdateStations.
  void FetchRainfallFiles(QListWidget* ListBox);
  // The selected station's years into First and Last, and the year fields
  // fitted to them; "0" and "0" without a station.
  void UpdateStations(QListWidget* ListBox, QLineEdit* First, QLineEdit* Last);
  // The session's rainfall station := the format-99 station with this
  // description; "<none>" when there is none.
  void SetRainStation(const std::string& aDescription);
  // Fits the start year to Min..Max and the years field to 1..Max-Min+1.
  void SetMinMaxValueEditChooseYear(int32_t Min, int32_t Max);

  // Event handlers, callable by the tests as the events would.
  void RbOptionClick();
  void LbRainfallStationClick();
  void mmChooseYearExit();

 private:
  void BuildOptions();
  void BuildStation();
  void BuildRuns();
  // The checked option 0..3, -1 when none is checked.
  int CheckedOption() const;

  QGroupBox* GroupBox1;
  QLabel* Label1;
  QRadioButton* RbOption0;
  QLabel* lblOption0;
  QRadioButton* RbOption1;
  QRadioButton* RbOption2;
  QRadioButton* RbOption3;
  QButtonGroup* FOptions;
  QGroupBox* GbStation;
  QLabel* Label4;
  QListWidget* LbRainfallStation;
  QLabel* Label5;
  QLineEdit* EditFirstYear;
  QLabel* Label6;
  QLineEdit* EditLastYear;
  QLabel* Label2;
  TDxIntMemo* mmChooseYear;
  QLabel* Label3;
  TDxIntMemo* mmRainfallYears;
  QGroupBox* GbRuns;
  QLabel* Label29;
  TDxIntMemo* mmNoOfRunsWithRandomizedRain;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};
