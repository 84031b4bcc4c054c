#pragma once
// The evaluation window: the session's observations against the simulation.
// A table of the statistics of fit per variable, a chart of simulated
// against observed values with the 1:1 line (one variable at a time), the
// lines of the observation file that were not used (bad lines, no simulated
// value on their day) and the export of all of it to a spreadsheet.

#include <QDialog>
#include <memory>

#include "output/Observations.h"

class TKvChart;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QSplitter;
class QScatterSeries;
class QLineSeries;
class TDxStringGrid;
class TOLEExcel;

class TFormEvaluation : public QDialog {
  Q_OBJECT
 public:
  // Evaluates ObsFile against the detailed output OutFile (and its
  // summaries); the readers' errors pass.
  TFormEvaluation(QWidget* Owner, const std::string& ObsFile, const std::string& OutFile);
  ~TFormEvaluation() override;

  const TEvaluation& Evaluation() const { return FEvaluation; }
  // The chart shows the pairs of the variable at Index of the table.
  void CbEvalVarChange();
  void btnExcelEvaluationClick();

 private:
  void BuildChart();
  QSplitter* BuildLowerPart(QLabel* VarLabel);
  QHBoxLayout* BuildButtonRow();
  void FillTable();
  void ShowPairs(int Index);

  TEvaluation FEvaluation;
  std::string FOutFile;
  TOLEExcel* OLEExcel;
  QLabel* lblObservations;
  TDxStringGrid* SgEvaluation;
  QComboBox* CbEvalVar;
  TKvChart* FChart;
  QScatterSeries* FPairs;
  QLineSeries* FOneToOne;
  QListWidget* lstUnmatched;
};

// The main window's command Result > Evaluation: a box when the session has
// no observation file or no detailed output, else the window, modally.
void ShowEvaluation(QWidget* Owner);
