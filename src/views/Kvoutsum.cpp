#include "Kvoutsum.h"

TFormOutputSummary::TFormOutputSummary(QWidget* aOwner) : QDialog(aOwner) { setObjectName("FormOutputSummary"); }

void ShowSummaryOutput(QWidget*) {}
