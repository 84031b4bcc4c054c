#pragma once
// The one string grid of the program: the rerun grid, the value editor, the
// result tables and the spreadsheet export all use it.
//
// Cells(Col, Row) address every cell, fixed ones included, counted from 0.
// The fixed rows are shown as the (frozen) column header, one line per fixed
// row; a fixed column is shown as the row header. The cells live in a table
// model, not in one widget per cell, so a table of many thousand rows fills
// at once.

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <QWidget>
#include <vector>

class TDxGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit TDxGridModel(QObject* Parent = nullptr) : QAbstractTableModel(Parent) {}

  // Size of the whole grid, fixed rows and columns included.
  int ColCount() const { return FColCount; }
  int RowCount() const { return FRowCount; }
  void SetSize(int Cols, int Rows);
  int FixedRows() const { return FFixedRows; }
  int FixedCols() const { return FFixedCols; }
  void SetFixed(int Cols, int Rows);

  QString Cell(int Col, int Row) const;
  void SetCell(int Col, int Row, const QString& Text);
  // Replaces everything at once: Rows[r][c]; every row is padded or cut to Cols.
  void SetAll(int Cols, const std::vector<QStringList>& Rows);
  void SetEditable(bool On) { FEditable = On; }
  bool Editable() const { return FEditable; }

  // QAbstractTableModel: the view sees the non-fixed part only.
  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

 signals:
  // A cell's text was changed by the user's editing (grid coordinates).
  void CellEdited(int Col, int Row);

 private:
  int Index(int Col, int Row) const { return Row * FColCount + Col; }
  void Resize(int Cols, int Rows);

  int FColCount = 0;
  int FRowCount = 0;
  int FFixedRows = 0;
  int FFixedCols = 0;
  bool FEditable = false;
  std::vector<QString> FCells;
};

class TDxStringGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TDxStringGrid(QWidget* Parent = nullptr);

  int ColCount() const { return FModel->ColCount(); }
  int RowCount() const { return FModel->RowCount(); }
  void SetColCount(int N) { FModel->SetSize(N, FModel->RowCount()); }
  void SetRowCount(int N) { FModel->SetSize(FModel->ColCount(), N); }
  int FixedRows() const { return FModel->FixedRows(); }
  int FixedCols() const { return FModel->FixedCols(); }
  void SetFixedRows(int N);
  void SetFixedCols(int N);

  QString Cells(int Col, int Row) const { return FModel->Cell(Col, Row); }
  void SetCells(int Col, int Row, const QString& Text) { FModel->SetCell(Col, Row, Text); }
  // Fills the whole grid in one step (Rows[r][c], fixed rows first).
  void SetAll(int Cols, const std::vector<QStringList>& Rows);
  // Empties every cell, keeping the size.
  void ClearCells();

  // Current cell in grid coordinates (fixed rows and columns counted); -1
  // when there is none.
  int Col() const;
  int Row() const;
  void SetCurrentCell(int Col, int Row);

  void SetDefaultColWidth(int W);
  int ColWidths(int Col) const { return columnWidth(Col - FixedCols()); }
  void SetColWidths(int Col, int W) { setColumnWidth(Col - FixedCols(), W); }
  void SetDefaultRowHeight(int H);
  // Editing: the editor opens on typing, on a click on the current cell and
  // when a cell becomes current.
  void SetEditing(bool On);
  bool Editing() const { return FModel->Editable(); }
  // Whole rows selected (the result tables).
  void SetRowSelect(bool On);
  // A column hidden in the view keeps its cells.
  void SetColHidden(int Col, bool Hidden) { setColumnHidden(Col - FixedCols(), Hidden); }
  bool ColHidden(int Col) const { return isColumnHidden(Col - FixedCols()); }
  // Ends an open cell editor, keeping what was typed.
  void CommitEditor();

  TDxGridModel* Model() const { return FModel; }

 signals:
  // A cell became current (grid coordinates).
  void SelectCell(int Col, int Row);
  // A mouse button went down over a cell (grid coordinates; -1 outside the cells).
  void MouseDown(Qt::MouseButton Button, int Col, int Row);
  void CellEdited(int Col, int Row);

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void currentChanged(const QModelIndex& Current, const QModelIndex& Previous) override;

 private:
  void UpdateHeaders();
  TDxGridModel* FModel;
};
