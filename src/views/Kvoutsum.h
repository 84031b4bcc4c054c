#pragma once
// The summary output window: per run and year, statistics and the long-term
// table, with spreadsheet export.

#include <QDialog>
#include <memory>
#include <string>

class QComboBox;
class QGridLayout;
class QLabel;
class QWidget;
class TDxStringGrid;
class TKvCurveChart;
class TOLEExcel;
class TResultPages;
class TSummaryOutput;

class TFormOutputSummary : public QDialog {
  Q_OBJECT
 public:
  explicit TFormOutputSummary(QWidget* aOwner);
  ~TFormOutputSummary() override;

  // The handlers, each run inside the application's error guard.
  void CbRunNamePotentialClick();
  void CbRunNameWaterChange();
  void btnExcelPotentialClick();
  void btnExcelWaterlimitedClick();
  // Every run of both year pages into one workbook.
  void ExportAllTables();
  // The column headers of the six tables.
  void SetheadersList();
  // Shows the summary files named after File (a kept run's output file), the
  // caption naming Run.
  void ShowKeptRun(const std::string& File, const QString& Run);

  TSummaryOutput& OutputData() const { return *FOutputData; }
  // A spreadsheet workbook has been started by this window.
  bool Created() const { return created; }

 protected:
  void done(int Result) override;

 private:
  void FormCreate();
  void FormClose();
  // What the potential and the water-limited page have each of their own:
  // the header's captions and values, the run selector, the buttons, the
  // tables and the title.
  struct THeadCell {
    const char* Caption;
    const char* CaptionName;
    const char* ValueName;
    QLabel* TFormOutputSummary::*Value;
    int Row;
    bool Hidden;
  };
  struct TRunPage {
    const char* Name;
    const THeadCell* Head;
    int HeadCount;
    const char* RunCaptionName;
    QLabel* TFormOutputSummary::*RunCaption;
    const char* SelectorName;
    QComboBox* TFormOutputSummary::*Selector;
    const char* ExcelName;
    void (TFormOutputSummary::*ExcelClick)();
    bool Groundwater;  // the line on the groundwater below the header
    const char* AllName;
    const char* TableName;
    TDxStringGrid* TFormOutputSummary::*Table;
    const char* MeanName;
    int MeanColWidth;
    TDxStringGrid* TFormOutputSummary::*Mean;
    const char* MeansName;
    QLabel* TFormOutputSummary::*Means;
    const char* Title;
  };
  QWidget* BuildRunPage(const TRunPage& Parts);
  QGridLayout* BuildRunHead(QWidget* Page, const TRunPage& Parts);
  QWidget* BuildPotentialPage();
  QWidget* BuildWaterLimitedPage();
  QWidget* BuildSummaryPage();
  QWidget* BuildRerunPage();
  // One season result of every rerun side by side; false when there is none.
  bool ShowRerunComparison();
  // The reruns' means as bars with their standard deviations as whiskers,
  // from the comparison table's foot.
  void DrawRerunChart(const struct TTextTable& T);
  void SaveRerunImage();
  // Each shows its error as the window's own message and answers whether it
  // succeeded.
  bool ShowPotentialRun(int Index);
  bool ShowWaterRun(int Index);
  bool FillSummary();
  void SetHeaderLabels();
  // Shows the workbook unless Show is false (the export of all tables shows
  // it once at its end).
  void Export(TDxStringGrid* Grid, const QStringList& Header, bool Show = true);
  bool FExportAll = false;
  std::string FOutFile;  // the output file shown; "": the session's

  std::unique_ptr<TSummaryOutput> FOutputData;
  bool created = false;

  TResultPages* pcOutputSummary;
  TOLEExcel* OLEExcel;

  QLabel* lblRunnamp;
  QLabel* lblWeatherNamep;
  QLabel* lblCropNamep;
  QLabel* lblSoilNamep;
  QLabel* lblRainp;
  QLabel* lblMeansp;
  QComboBox* CbRunNamePotential;
  TDxStringGrid* SgPotential;
  TDxStringGrid* SgPotentialMean;

  QLabel* lblRunnamw;
  QLabel* lblWeatherNamew;
  QLabel* lblRainw;
  QLabel* lblCropNamew;
  QLabel* lblSoilNamew;
  QLabel* lblGroundwater;
  QLabel* lblMeansw;
  QComboBox* CbRunNameWater;
  TDxStringGrid* SgWaterLimited;
  TDxStringGrid* SgWaterLimitedMean;

  TDxStringGrid* SgSummary1;
  TDxStringGrid* SgSummary2;

  QComboBox* CbRerunLevel;
  QComboBox* CbRerunResult;
  TDxStringGrid* SgReruns;
  TKvCurveChart* FRerunChart;
};

// The main window's command Result summary: "No Summary results available."
// when there are none, else the window, modally (the caller has committed
// the field being edited).
void ShowSummaryOutput(QWidget* Owner);
