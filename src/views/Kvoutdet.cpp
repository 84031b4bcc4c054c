#include "Kvoutdet.h"

TFormDetailedOutput::TFormDetailedOutput(QWidget* aOwner) : QDialog(aOwner) { setObjectName("FormDetailedOutput"); }

void ShowDetailedOutput(QWidget*) {}
