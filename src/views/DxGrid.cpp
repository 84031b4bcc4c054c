#include "DxGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

// ---- the model

void TDxGridModel::Resize(int Cols, int Rows) {
  Cols = std::max(0, Cols);
  Rows = std::max(0, Rows);
  if (Cols == FColCount && Rows == FRowCount) return;
  std::vector<QString> Cells(static_cast<size_t>(Cols) * static_cast<size_t>(Rows));
  for (int R = 0; R < std::min(Rows, FRowCount); ++R)
    for (int C = 0; C < std::min(Cols, FColCount); ++C)
      Cells[static_cast<size_t>(R) * Cols + C] = std::move(FCells[static_cast<size_t>(Index(C, R))]);
  FCells.swap(Cells);
  FColCount = Cols;
  FRowCount = Rows;
}

void TDxGridModel::SetSize(int Cols, int Rows) {
  beginResetModel();
  Resize(Cols, Rows);
  endResetModel();
}

void TDxGridModel::SetFixed(int Cols, int Rows) {
  beginResetModel();
  FFixedCols = std::max(0, Cols);
  FFixedRows = std::max(0, Rows);
  endResetModel();
}

QString TDxGridModel::Cell(int Col, int Row) const {
  if (Col < 0 || Row < 0 || Col >= FColCount || Row >= FRowCount) return {};
  return FCells[static_cast<size_t>(Index(Col, Row))];
}

void TDxGridModel::SetCell(int Col, int Row, const QString& Text) {
  if (Col < 0 || Row < 0 || Col >= FColCount || Row >= FRowCount) return;
  FCells[static_cast<size_t>(Index(Col, Row))] = Text;
  if (Row < FFixedRows) {
    emit headerDataChanged(Qt::Horizontal, Col - FFixedCols, Col - FFixedCols);
  } else if (Col < FFixedCols) {
    emit headerDataChanged(Qt::Vertical, Row - FFixedRows, Row - FFixedRows);
  } else {
    const QModelIndex I = index(Row - FFixedRows, Col - FFixedCols);
    emit dataChanged(I, I, {Qt::DisplayRole, Qt::EditRole});
  }
}

void TDxGridModel::SetAll(int Cols, const std::vector<QStringList>& Rows) {
  beginResetModel();
  FColCount = std::max(0, Cols);
  FRowCount = static_cast<int>(Rows.size());
  FCells.assign(static_cast<size_t>(FColCount) * static_cast<size_t>(FRowCount), QString());
  for (int R = 0; R < FRowCount; ++R) {
    const QStringList& Row = Rows[static_cast<size_t>(R)];
    const int N = std::min(FColCount, static_cast<int>(Row.size()));
    for (int C = 0; C < N; ++C) FCells[static_cast<size_t>(Index(C, R))] = Row[C];
  }
  endResetModel();
}

int TDxGridModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : std::max(0, FRowCount - FFixedRows);
}

int TDxGridModel::columnCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : std::max(0, FColCount - FFixedCols);
}

QVariant TDxGridModel::data(const QModelIndex& I, int Role) const {
  if (!I.isValid() || (Role != Qt::DisplayRole && Role != Qt::EditRole)) return {};
  return Cell(I.column() + FFixedCols, I.row() + FFixedRows);
}

bool TDxGridModel::setData(const QModelIndex& I, const QVariant& Value, int Role) {
  if (!I.isValid() || Role != Qt::EditRole) return false;
  const int Col = I.column() + FFixedCols;
  const int Row = I.row() + FFixedRows;
  const QString Text = Value.toString();
  if (Cell(Col, Row) == Text) return true;
  SetCell(Col, Row, Text);
  emit CellEdited(Col, Row);
  return true;
}

Qt::ItemFlags TDxGridModel::flags(const QModelIndex& I) const {
  if (!I.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags F = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (FEditable) F |= Qt::ItemIsEditable;
  return F;
}

QVariant TDxGridModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Role != Qt::DisplayRole) return {};
  if (Orientation == Qt::Horizontal) {
    // One line per fixed row: the names above their units.
    QStringList Lines;
    for (int R = 0; R < FFixedRows; ++R) Lines << Cell(Section + FFixedCols, R);
    return Lines.join('\n');
  }
  QStringList Parts;
  for (int C = 0; C < FFixedCols; ++C) Parts << Cell(C, Section + FFixedRows);
  return Parts.join(' ');
}

// ---- the view

TDxStringGrid::TDxStringGrid(QWidget* Parent) : QTableView(Parent), FModel(new TDxGridModel(this)) {
  setModel(FModel);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setHighlightSections(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setWordWrap(false);
  setTabKeyNavigation(true);
  SetEditing(false);
  connect(FModel, &TDxGridModel::CellEdited, this, &TDxStringGrid::CellEdited);
  connect(FModel, &QAbstractItemModel::modelReset, this, &TDxStringGrid::UpdateHeaders);
  UpdateHeaders();
}

void TDxStringGrid::UpdateHeaders() {
  horizontalHeader()->setVisible(FModel->FixedRows() > 0);
  verticalHeader()->setVisible(FModel->FixedCols() > 0);
}

void TDxStringGrid::SetFixedRows(int N) { FModel->SetFixed(FModel->FixedCols(), N); }
void TDxStringGrid::SetFixedCols(int N) { FModel->SetFixed(N, FModel->FixedRows()); }

void TDxStringGrid::SetAll(int Cols, const std::vector<QStringList>& Rows) { FModel->SetAll(Cols, Rows); }

void TDxStringGrid::ClearCells() {
  std::vector<QStringList> Empty(static_cast<size_t>(RowCount()));
  FModel->SetAll(ColCount(), Empty);
}

int TDxStringGrid::Col() const {
  const QModelIndex I = currentIndex();
  return I.isValid() ? I.column() + FixedCols() : -1;
}

int TDxStringGrid::Row() const {
  const QModelIndex I = currentIndex();
  return I.isValid() ? I.row() + FixedRows() : -1;
}

void TDxStringGrid::SetCurrentCell(int Col, int Row) {
  setCurrentIndex(FModel->index(Row - FixedRows(), Col - FixedCols()));
}

void TDxStringGrid::SetDefaultColWidth(int W) { horizontalHeader()->setDefaultSectionSize(W); }

void TDxStringGrid::SetDefaultRowHeight(int H) {
  // Never smaller than the font needs: a large font must stay readable.
  verticalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setDefaultSectionSize(std::max(H, fontMetrics().height() + 4));
}

void TDxStringGrid::SetEditing(bool On) {
  FModel->SetEditable(On);
  setEditTriggers(On ? QAbstractItemView::AllEditTriggers : QAbstractItemView::NoEditTriggers);
}

void TDxStringGrid::SetRowSelect(bool On) {
  setSelectionBehavior(On ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TDxStringGrid::CommitEditor() {
  if (state() != QAbstractItemView::EditingState) return;
  // The open editor is the visible child of the viewport (usually the focus).
  QWidget* Editor = QApplication::focusWidget();
  if (!Editor || !viewport()->isAncestorOf(Editor)) {
    Editor = nullptr;
    for (QWidget* W : viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      if (W->isVisible()) Editor = W;
  }
  if (!Editor) return;
  commitData(Editor);
  closeEditor(Editor, QAbstractItemDelegate::NoHint);
}

void TDxStringGrid::mousePressEvent(QMouseEvent* Event) {
  const QModelIndex I = indexAt(Event->position().toPoint());
  const int C = I.isValid() ? I.column() + FixedCols() : -1;
  const int R = I.isValid() ? I.row() + FixedRows() : -1;
  emit MouseDown(Event->button(), C, R);
  QTableView::mousePressEvent(Event);
}

void TDxStringGrid::currentChanged(const QModelIndex& Current, const QModelIndex& Previous) {
  if (Current.isValid()) emit SelectCell(Current.column() + FixedCols(), Current.row() + FixedRows());
  QTableView::currentChanged(Current, Previous);
}
