#pragma once
// The editor of a table value of a rerun variable (type codes S...): the
// x, y pairs of the comma-separated value in a two-column grid. Every filled
// cell must be a number; OK writes the pairs back into the variable and
// keeps the dialog open while they lie outside the variable's ranges.

#include <QDialog>
#include <QStringList>
#include <vector>

class QLabel;
class QPushButton;
class TDxStringGrid;
class TRerunVar;

class TFormEditRerun : public QDialog {
  Q_OBJECT
 public:
  // The grid's rows when the value has fewer pairs; a longer value gets one
  // row per pair and one empty row more.
  static constexpr int MinRows = 15;

  explicit TFormEditRerun(QWidget* aOwner);
  // Edits aRerunVar itself (the rerun table's object, not a copy): shows its
  // name and meaning and loads its value into the grid.
  void SetValue(TRerunVar* aRerunVar);
  TRerunVar* SetRerunVar() const { return FSetRerunVar; }

  // Shows the variable's value in the grid, one pair per row.
  void LoadGrid();
  // Tests every filled cell and rewrites it as "%.5f"; on a cell that is not
  // a number: "Invalid input", that cell current and focused, false.
  bool CheckFormatInvoer();
  // Writes the rows with both cells filled back into the variable's value;
  // false (value untouched) when a cell is not a number.
  bool StoreGrid();

  // The value cut at every comma: the pairs, a lone last piece left out.
  static std::vector<std::pair<QString, QString>> SplitPairs(const QString& Value);

  // FormClose: OK stores the grid and closes only when the stored value
  // passes the table rule; Cancel closes.
  void done(int Result) override;

 protected:
  // The grid has the focus, its current cell's editor open.
  void showEvent(QShowEvent* Event) override;

 private:
  TRerunVar* FSetRerunVar = nullptr;
  QLabel* lblName;
  QLabel* lblMeaning;
  TDxStringGrid* SGValues;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};
