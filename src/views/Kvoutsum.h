#pragma once
// The summary output window: per run and year, statistics and the long-term
// table, with spreadsheet export.

#include <QDialog>

class TFormOutputSummary : public QDialog {
  Q_OBJECT
public:
  explicit TFormOutputSummary(QWidget* aOwner);
};

// The main window's command Result summary: "No Summary results available."
// when there are none, else the window, modally (the caller has committed
// the field being edited).
void ShowSummaryOutput(QWidget* Owner);
