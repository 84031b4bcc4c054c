#include "Kvselect.h"

TFormSelect::TFormSelect(QWidget* aOwner, const QString& aCaption) : QDialog(aOwner) {
  setObjectName("FormSelect");
  setWindowTitle("Select variables " + aCaption);
}

std::vector<TRerunVar*> TFormSelect::DstVars() const { return {}; }
