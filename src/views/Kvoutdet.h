#pragma once
// The detailed output window: the model's detailed results per run, year and
// rain year, in tables and fields, with graphs and spreadsheet export.

#include <QDialog>

class TFormDetailedOutput : public QDialog {
  Q_OBJECT
public:
  explicit TFormDetailedOutput(QWidget* aOwner);
};

// The main window's command Result detailed: opens the window modally
// (the caller has committed the field being edited).
void ShowDetailedOutput(QWidget* Owner);
