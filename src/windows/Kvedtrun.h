#pragma once
// The editor of a table value of a rerun variable: x, y pairs in a grid.

#include <QDialog>

class TRerunVar;

class TFormEditRerun : public QDialog {
  Q_OBJECT
public:
  explicit TFormEditRerun(QWidget* aOwner);
  // Edits aRerunVar itself (the rerun table's object, not a copy).
  void SetValue(TRerunVar* aRerunVar);
};
