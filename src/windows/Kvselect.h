#pragma once
// The variable selection dialog: the user moves rerun variables of the
// catalogue, group by group, into the list of variables to use.

#include <QDialog>
#include <vector>

class TRerunVar;

class TFormSelect : public QDialog {
  Q_OBJECT
public:
  // CreateForm: caption "Select variables " + aCaption, DstLabel "Use in " + aCaption.
  TFormSelect(QWidget* aOwner, const QString& aCaption);
  // The chosen entries of DstList in their order: the catalogue's own objects.
  std::vector<TRerunVar*> DstVars() const;
};
