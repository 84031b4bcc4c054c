#include "Kvedtrun.h"

TFormEditRerun::TFormEditRerun(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormEditRerun");
  setWindowTitle("Edit Rerun variable");
}

void TFormEditRerun::SetValue(TRerunVar*) {}
