#pragma once
// The study results window: results.csv of a study directory in a table that
// sorts by any column (numbers as numbers) and filters by the text of a
// chosen column, and a chart of the distribution of a chosen result over the
// levels of a chosen column, one box plot per level, of the rows the filter
// lets through; the chart can be saved as an image.

#include <QDialog>
#include <string>
#include <vector>

class QChart;
class QHBoxLayout;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QWidget;
class TStudyResultsModel;

// The five numbers of a box plot: least value, lower quartile, median,
// upper quartile, greatest value. The quartiles are interpolated between
// the sorted values (the spreadsheet's QUARTILE).
struct TBoxStats {
  double Min = 0, Q1 = 0, Median = 0, Q3 = 0, Max = 0;
  size_t Count = 0;
};
TBoxStats BoxStats(std::vector<double> Values);

// One box: a level of the chosen column and the numbers of the chosen
// result in the rows of that level. Cells that are not numbers (a level the
// row does not have) are left out, and so are levels left without numbers.
struct TBoxGroup {
  std::string Level;
  std::vector<double> Values;
};
// The levels in the order of their numbers when every level is a number,
// else in the order they first appear.
std::vector<TBoxGroup> GroupByLevel(const std::vector<std::string>& Levels,
                                    const std::vector<std::string>& Values);

class TFormStudyResults : public QDialog {
 public:
  // Reads results.csv of the study directory Dir; EInOutError when it
  // cannot be read.
  TFormStudyResults(QWidget* Owner, const std::string& Dir);
  ~TFormStudyResults() override;

  QChart* Chart() const { return FChart; }

 private:
  QHBoxLayout* BuildFilterRow();
  QTableView* BuildTable();
  QWidget* BuildChartPane();
  void FillChoices();
  void ConnectControls();
  void DrawChart();
  void ApplyFilter();
  void BtnSaveImageClick();

  std::string FDir;
  TStudyResultsModel* FModel = nullptr;
  QSortFilterProxyModel* FProxy = nullptr;
  QTableView* GridResults = nullptr;
  QComboBox* CbFilterColumn = nullptr;
  QLineEdit* EdFilter = nullptr;
  QComboBox* CbResult = nullptr;
  QComboBox* CbLevels = nullptr;
  QChartView* ChartView = nullptr;
  QChart* FChart = nullptr;
  QLabel* LblRows = nullptr;
  QPushButton* BtnSaveImage = nullptr;
  QPushButton* BtnClose = nullptr;
};

// Opens the results window of the study in Dir (modal); says so in a box
// when the study has no results yet.
void ShowStudyResults(QWidget* Owner, const std::string& Dir);
// Result > Study...: asks for the results.csv of a study and opens it.
void OpenStudyResults(QWidget* Owner);
