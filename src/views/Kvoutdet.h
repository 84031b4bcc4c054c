#pragma once
// The detailed output window: the model's detailed results per run, year and
// rain year, in tables and fields, with graphs and spreadsheet export.
// What the result windows share is in FormParts.h.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <memory>
#include <string>
#include <vector>

#include "FormParts.h"
#include "output/OutDet.h"

class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class TDxStringGrid;
class TKvFileManager;
class TOLEExcel;

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
  // What the potential and the water-limited page have each of their own:
  // the header's captions and values, the Excel button, the table and the
  // summary row.
  struct THeadCell {
    const char* Caption;
    const char* CaptionName;
    const char* ValueName;
    QLabel* TFormDetailedOutput::*Value;
  };
  struct TRunPage {
    const char* Name;
    const THeadCell* Head;  // weather, rain, crop, soil, start, then the dates
    int HeadCount;
    const char* ExcelName;
    void (TFormDetailedOutput::*ExcelClick)();
    bool InfoLines;     // the water balance's three lines of information
    const char* Title;  // above the table, or nullptr
    const char* TableName;
    int ColWidth;
    TDxStringGrid* TFormDetailedOutput::*Table;
    const char* const* SummaryCaptions;
    const char* const* SummaryNames;
    int SummaryCount;
    std::vector<QLabel*> TFormDetailedOutput::*Summary;
  };
  QWidget* BuildRunPage(const TRunPage& Parts);
  QGridLayout* BuildRunHead(QWidget* Page, const TRunPage& Parts);
  QWidget* BuildPotentialPage();
  QWidget* BuildWaterLimitedPage();
  QHBoxLayout* BuildSelectorRow();
  QHBoxLayout* BuildCommandRow();
  void ConnectControls();
  // A field of the water balance with its caption, in a grid of three
  // columns of caption and field.
  struct TBalanceCell {
    int Row, Col;
    const char* Caption;
    const char* CaptionName;
    const char* Field;
    Str16 TWaterBalance::*Member;
  };
  QWidget* BuildWaterBalancePage();
  QGroupBox* BuildBalanceGroup(QWidget* Page, const char* Caption, const char* Name,
                               const TBalanceCell* Cells, size_t Count,
                               std::vector<QLabel*> (&CaptionColumns)[3]);
  void AlignBalanceColumns(std::vector<QLabel*> (&CaptionColumns)[3]);
  QWidget* BuildNutrientsPage();
  void BuildNutrientHeads(QGroupBox* G, QGridLayout* L);
  void BuildNutrientRows(QGroupBox* G, QGridLayout* L);
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
