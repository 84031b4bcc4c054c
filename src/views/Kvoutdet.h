#pragma once
// The detailed output window: the model's detailed results per run, year and
// rain year, in tables and fields, with graphs and spreadsheet export.
//
// Also what the two result windows share: their page control, the header
// texts of a run and the filling of their tables.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <memory>
#include <string>
#include <vector>

#include "output/OutDet.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class TDxStringGrid;
class TKvFileManager;
class TOLEExcel;

// ---------------------------------------------------------------- shared

// A page control whose tabs are at least TabWidth pixels wide (more with a
// larger font).
class TResultPages : public QTabWidget {
  Q_OBJECT
 public:
  TResultPages(int TabWidth, QWidget* Parent);
};

// "Name (file shortened to 50 characters)", or Name alone when File is empty.
QString NameAndFile(const std::string& Name, const std::string& File);
// A label showing a run's name with its file: the text as above, the full
// file as its hint.
void ShowNameAndFile(QLabel* Label, const std::string& Name, const std::string& File);
// A width of the design, widened as a larger font needs.
int ScaledWidth(const QWidget* W, int Width);
// The width of a result table's columns: that of the design, but never too
// narrow for a value of the model's tables (eight characters).
int TableColWidth(const QWidget* W, int Width);
// Fills a result table in one step (Rows[r][c], fixed rows first); the
// column widths the user set and hidden columns stay when the number of
// columns does.
void FillTable(TDxStringGrid* Grid, int Cols, const std::vector<QStringList>& Rows);
// Values From..From+Count-1 of a row as texts for a table.
QStringList RowTexts(const TOutputLine& Line, int From, int Count);
// A result table never shows fewer than Rows rows below its header.
void SetMinimumRows(TDxStringGrid* Grid, int Rows);
// Gives Window its layout Content: never smaller than Minimum nor than its
// controls need (with any font), first shown at Initial (or larger) in the
// middle of the screen.
void LayOutResultWindow(QDialog* Window, QLayout* Content, QSize Minimum, QSize Initial);
// The session's file manager; EKvError when there is no session.
TKvFileManager& SessionFiles();

// ---------------------------------------------------------------- the window

class TFormDetailedOutput : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDetailedOutput(QWidget* aOwner);
  ~TFormDetailedOutput() override;

  // The handlers, each run inside the application's error guard.
  void pcOutputDetChange();
  void cbRunNameClick();
  void BtnGraphClick();
  void BtnOpenClick();
  // Shows the output file File (a kept run's), the caption naming Run.
  void ShowKeptRun(const std::string& File, const QString& Run);
  void btnExcelPotentialClick();
  void btnExcelWaterlimitedClick();
  // The headers of the two tables.
  void SetheaderListPotential();
  void SetheaderListWaterLimited();

  TDetailedOutput& OutputData() const { return *FOutputData; }
  // A spreadsheet workbook has been started by this window.
  bool Created() const { return created; }

 protected:
  void done(int Result) override;

 private:
  void FormCreate();
  void FormClose();
  // Reads File into the window; a file that cannot be read leaves it as it was.
  void OpenOutputFile(const std::string& File);
  QWidget* BuildPotentialPage();
  QWidget* BuildWaterLimitedPage();
  QWidget* BuildWaterBalancePage();
  QWidget* BuildNutrientsPage();
  void FillSelectors();
  void SelectFirstItems();
  void ShowSelection();
  void ShowPotential(const TPotentialOutput* P);
  void ShowWaterLimited(const TWaterLimitedOutput* W);
  void ShowBalance(const TWaterBalance* B);
  void ShowNutrients(const TNutrients* N);
  void SetTabVisibility();
  void Export(TDxStringGrid* Grid, const QStringList& Header);
  QStringList HeaderTexts(bool WaterLimited) const;

  std::unique_ptr<TDetailedOutput> FOutputData;
  bool created = false;
  // The session whose tables the window shows (for the export's file name).
  QString FSessionName;

  QComboBox* cbRunName;
  QComboBox* cbYear;
  QComboBox* cbRain;
  QPushButton* BtnOpen;
  QPushButton* BtnGraph;
  QPushButton* OKBtn;
  TResultPages* pcOutputDet;
  TOLEExcel* OLEExcel1;

  // Potential page.
  QLabel* lblWeatherNamep;
  QLabel* lblRainp;
  QLabel* lblCropNamep;
  QLabel* lblSoilNamep;
  QLabel* lblStartp;
  QLabel* lblSowingDatep;
  QLabel* lblEmergenceDatep;
  TDxStringGrid* SgPotential;
  std::vector<QLabel*> FPotentialSummary;  // HALT .. MREST

  // Water-limited page.
  QLabel* lblWeatherNamew;
  QLabel* lblRainw;
  QLabel* lblCropNamew;
  QLabel* lblSoilNamew;
  QLabel* lblStartw;
  QLabel* lblSowingDatew;
  QLabel* lblEmergenceDatew;
  QLabel* lblStartdayw;
  QLabel* lblInfo[3];
  TDxStringGrid* SgWaterLimited;
  std::vector<QLabel*> FWaterSummary;  // HALT .. dry

  // Water balance page.
  QGroupBox* GbWaterBalance;
  QLabel* lblInit;
  QLabel* lblFinal;
  QLabel* lblLost;
  QLabel* lblCapillaryRise;
  QLineEdit* mmCapillaryRise = nullptr;
  std::vector<std::pair<QLineEdit*, Str16 TWaterBalance::*>> FBalanceFields;

  // Nutrients page: each label or field shows one value of a row.
  struct TNutrientShow {
    QLabel* Label;
    QLineEdit* Edit;
    Str16 (TNutrients::*Row)[3];
    int Index;
  };
  std::vector<TNutrientShow> FNutrientShows;
};

// The main window's command Result detailed: opens the window modally
// (the caller has committed the field being edited).
void ShowDetailedOutput(QWidget* Owner);
