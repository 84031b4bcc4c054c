#pragma once
// The main window: the program's only non-modal window. It owns the one
// session (TheSession) from start-up to closing, shows it on seven pages,
// and carries the commands: open, save, reset, run, results, files, help.
//
// While the user edits, the pages are the master copy of the session:
// StorePages copies them into the session before anything uses it, and
// FillPages shows the session again after an operation changed it.
//
// Units: Kvmain.cpp (start-up, frame, commands, closing), KvmainPages.cpp
// (the pages, filling, storing, enabling rules, page handlers), KvmainRun.cpp
// (the run from the window: progress, stopping, the outcome).

#include <QGroupBox>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QToolButton;
class TDxFloatMemo;
class TDxIntMemo;
class TDxNumberMemo;
class TDxStringGrid;
class TKvSession;
class TCropPage;
class TGeneralPage;
class TNutrientsPage;
class TReRunsPage;
class TSessionPage;
class TSoilPage;
class TTimerPage;
class TWeatherPage;

// A radio group: a captioned group of radio buttons whose item indexes are
// the button ids. Setting the index from code raises no Click.
class TRadioGroup : public QGroupBox {
  Q_OBJECT
 public:
  TRadioGroup(const QString& Caption, const QStringList& Items, int Columns = 1, QWidget* Parent = nullptr);
  int ItemIndex() const;
  // -1 (or an index outside the items) checks none.
  void SetItemIndex(int Index);
  QRadioButton* Button(int Index) const;
  int Count() const;

 signals:
  // The user chose an item.
  void Click();

 private:
  QButtonGroup* FGroup;
};

// The enabling rules of the session pages, from the choices they follow:
// the production level item P (0 to 2), the start and end day items (-1:
// none), the groundwater and drainage check boxes and the number of the
// selected weather format. True: the control is enabled.
struct TPageRules {
  bool WaterLimited = false;  // the water-limited options, the water balance summary, the general timer
  bool NutrientsTab = false;
  bool StartDays = false;  // the start day fields follow the choice (else they stay as they are)
  bool FixedEmergenceDate = false, FixedSowingDate = false, EarliestSowingDate = false,
       UltimateSowingDate = false;
  bool FixedEndDate = false, MaximumDuration = false;
  bool InitialAvailableSoilWater = false, MaximumMoisture = false, InitialGroundWaterTable = false;
  bool Drainage = false;         // the check box
  bool DrainageChecked = false;  // its check mark afterwards
  bool DrainageDepth = false;
  bool Years = false;  // start year and consecutive years
};
TPageRules PageRules(int ProductionLevel, int StartDay, int EndDay, bool Groundwater, bool Drainage,
                     int WeatherFormatNo);

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window and runs FormCreate: the variable catalogue, the
  // session, its reset and reading, the data catalogue, the filled pages.
  explicit TFormMain(QWidget* Parent = nullptr);
  // FormClose: releases the catalogues and the session.
  ~TFormMain() override;

  // Whether start-up created the session (the variable catalogue was read).
  bool HasSession() const { return FSession != nullptr; }

  // ---- the frame
  // Tells once which data files of the session were missing (a box), and
  // keeps a note in the status bar until the user has chosen others.
  void TellMissingFiles(const std::string& Notice);
  // The folder of the last kept run, for the status bar after a failed run.
  QString LastRunFolder() const;
  void RefreshMissingFilesNote();
  void ShowMissingFilesNote(const std::string& Notice);
  void UpdateCaption();
  // Sends the focused field its focus-exit check (and ends an open cell
  // editor of the rerun grid); a bad value raises its error, which ends the
  // command that asked.
  void CommitActiveEdit();
  // Runs on first show and after every dialog or result window the window
  // opened has closed: the soil and crop list handlers (all pages stored).
  void FormActivate();

  // ---- commands
  void Open1Click();
  void Save1Click();
  void Saveas1Click();
  void Reset1Click();
  void Run1Click();
  void Viewlogfile1Click();
  void ViewFile1Click();
  void EditFile1Click();
  void Exit1Click();
  void Detailedoutput1Click();
  void Summary1Click();
  void Evaluation1Click();
  void History1Click();
  void Study1Click();
  void StudyResults1Click();
  void Contents1Click();
  void Korvalwebsite1Click();
  void About1Click();
  // Stores the pages and saves the session under Name. The input files are
  // written first; the old saved files of that name are replaced only after
  // that succeeded, so a failing write keeps them and the caption.
  void SaveSession(const std::string& Name);

  // ---- the pages
  void FillPages();
  void StorePages();
  void FillReruns();
  void StoreReruns();
  void CheckYears();
  void UpdateControls();

  // ---- page handlers
  void RgProductionLevelsClick();
  void RgStartDayClick();
  void RgEndDayClick();
  void CbGroundwaterClick();
  void CbDrainageClick();
  void LbCropNoClick();
  void LbSoilNoClick();
  void LbWeatherFormatClick();
  void LbStationClick();
  void mmYearExit();
  void GridReRunSelectCell(int Col, int Row);
  void GridReRunMouseDown(Qt::MouseButton Button, int Col, int Row);
  void btnAddRerunClick();
  void btnRemoveRerunClick();
  void btnRemoveVarClick();
  void btnSelectVarClick();
  void BtnRainfallClick();
  // The session's observation file: chosen, cleared, its name shown.
  void BtnObservationsClick();
  void BtnClearObservationsClick();
  void ShowObservationFile();

  // ---- the run going on
  bool Running() const { return FRunning; }
  void StopWaitingClick();
  void StopRunClick();

 protected:
  // FormCloseQuery: commits the field being edited; during a run, asks
  // whether to stop it and close once it has ended.
  void closeEvent(QCloseEvent* Event) override;
  void showEvent(QShowEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // start-up and frame (Kvmain.cpp)
  void FormCreate();
  void BuildFrame();
  void BuildMenus();
  void BuildToolButtons();
  QAction* AddItem(QMenu* Menu, const char* Name, const QString& Caption, int HelpContext,
                   void (TFormMain::*Handler)());
  // Shows a modal window the main window opened, then runs FormActivate.
  int ShowModal(class QDialog& Dialog);
  // Commands that need the session are off without one; the reason stays
  // in the status bar.
  void DisableWithoutSession(const QString& Reason);
  // Commands refused while a run is going on.
  void UpdateRunCommands();
  bool RefusedWhileRunning();
  void ShowLog(const std::string& LogName);

  // the pages (KvmainPages.cpp)
  void BuildPages();
  void ConnectPageHandlers();
  int SelectedWeatherFormatNo() const;

  // the run (KvmainRun.cpp)
  void BuildRunPanel();
  bool RunWaiter();
  void ShowRunProgress();

  std::unique_ptr<TKvSession> FSession;
  // The pages, in tab order.
  TGeneralPage* FGeneral = nullptr;
  TCropPage* FCrop = nullptr;
  TWeatherPage* FWeather = nullptr;
  TTimerPage* FTimer = nullptr;
  TSoilPage* FSoil = nullptr;
  TNutrientsPage* FNutrients = nullptr;
  TReRunsPage* FReruns = nullptr;
  std::vector<TSessionPage*> FPages;
  bool FActivated = false;
  bool FRunning = false;
  bool FCloseAfterRun = false;

 private:
  // ---- the frame's components, by their names
  QToolBar* Panel2 = nullptr;
  QWidget* Panel1 = nullptr;
  QTabWidget* pgcSession = nullptr;
  QStatusBar* StatusBar = nullptr;
  // Says which of the session's data files were missing and what was chosen
  // instead, until the user has chosen on the pages.
  QLabel* LblMissingFiles = nullptr;

  QMenu* Session1 = nullptr;
  QAction* Open1 = nullptr;
  QAction* Save1 = nullptr;
  QAction* Saveas1 = nullptr;
  QAction* Reset1 = nullptr;
  QAction* Run1 = nullptr;
  QAction* Viewlogfile1 = nullptr;
  QAction* ViewFile1 = nullptr;
  QAction* EditFile1 = nullptr;
  QAction* Exit1 = nullptr;
  QMenu* Result1 = nullptr;
  QAction* Detailedoutput1 = nullptr;
  QAction* Summary1 = nullptr;
  QAction* Evaluation1 = nullptr;
  QAction* History1 = nullptr;
  QAction* Study1 = nullptr;
  QAction* StudyResults1 = nullptr;
  QMenu* Help1 = nullptr;
  QAction* Contents1 = nullptr;
  QAction* Korvalwebsite1 = nullptr;
  QAction* About1 = nullptr;

  QToolButton* BtnRun = nullptr;
  QToolButton* BtnReset = nullptr;
  QToolButton* BtnDetailedOutput = nullptr;
  QToolButton* BtnSummaryOutput = nullptr;
  QToolButton* BtnHelp = nullptr;
  QToolButton* BtnExit = nullptr;

  // The run panel, shown while a run is going on.
  QWidget* PnlRun = nullptr;
  QLabel* LblRunTime = nullptr;
  QLabel* LblRunLog = nullptr;
  QPushButton* BtnStopWaiting = nullptr;
  QPushButton* BtnStopRun = nullptr;
  // Why there is no session, kept in the status bar.
  QLabel* LblNoSession = nullptr;
};
