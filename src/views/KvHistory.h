#pragma once
// The run history window (Result > History...): the kept runs, newest first
// in a table that sorts on any column; a run's results in the detailed and
// summary windows; deleting runs; restoring a run's inputs as the working
// session; and the comparison of two runs, their differing inputs and their
// season results side by side, exportable to a spreadsheet.

#include <QDialog>
#include <vector>

#include "session/RunHistory.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QVBoxLayout;
class TKvCurveChart;
class TKvTable;
class QTableWidget;
class TDxStringGrid;
class TOLEExcel;
struct TTextTable;

class TFormHistory : public QDialog {
  Q_OBJECT
 public:
  explicit TFormHistory(QWidget* aOwner);

  // The handlers, each run inside the application's error guard.
  void BtnDetailedClick();
  void BtnSummaryClick();
  void BtnDeleteClick();
  void BtnRestoreClick();
  void BtnCompareClick();

  // A run's inputs became the working session's: the caller reads it again.
  bool Restored() const { return FRestored; }

 private:
  void FillRuns();
  void UpdateButtons();
  // The selected runs, oldest first.
  std::vector<TRunRecord> Selected() const;

  std::vector<TRunRecord> FRuns;  // oldest first
  bool FRestored = false;
  QTableWidget* GridRuns;
  QPushButton* BtnDetailed;
  QPushButton* BtnSummary;
  QPushButton* BtnDelete;
  QPushButton* BtnRestore;
  QPushButton* BtnCompare;
};

// The comparison of two kept runs: A the older, B the newer.
class TFormRunComparison : public QDialog {
  Q_OBJECT
 public:
  TFormRunComparison(QWidget* aOwner, const TRunRecord& A, const TRunRecord& B);
  ~TFormRunComparison() override;

  // Both tables into one workbook, a sheet each, and shows it.
  void BtnExcelClick();
  // The graph page: the chosen production level's variables listed again,
  // the chosen variable drawn for both runs, the graph saved as an image.
  void CbLevelChange();
  void DrawGraph();
  // Only the chosen year's curves shown (all with "All years").
  void CbYearChange();
  void BtnSaveImageClick();

 private:
  QWidget* NewGraphPage(const TRunRecord& A, const TRunRecord& B);
  void BuildGraph(QVBoxLayout& Layout, QHBoxLayout& Choice, const TRunRecord& A, const TRunRecord& B);
  QString FTitleA, FTitleB;
  std::string FOutA, FOutB;
  bool FGroundwater = false;
  TKvCurveChart* FChart = nullptr;
  TKvTable* FTable = nullptr;
  QComboBox* CbLevel = nullptr;
  QComboBox* CbVariable = nullptr;
  QComboBox* CbYear = nullptr;
  QListWidget* LbLegend = nullptr;
  TDxStringGrid* SgInputs;
  TDxStringGrid* SgResults;
  TOLEExcel* OLEExcel;
};

// The main window's command Result > History: the window, modally; true when
// a run's inputs were restored as the working session.
bool ShowRunHistory(QWidget* Owner);
