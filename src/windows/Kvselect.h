#pragma once
// The variable selection dialog: the user moves rerun variables of the
// catalogue, group by group (the file each belongs to), into the list of
// variables to use. Both lists carry the catalogue's own objects; the dialog
// never changes them.

#include <QDialog>
#include <vector>

#include "catalogue/KvRerun.h"

class QButtonGroup;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QToolButton;

class TFormSelect : public QDialog {
  Q_OBJECT
 public:
  // CreateForm: caption "Select variables " + aCaption, DstLabel "Use in " + aCaption.
  TFormSelect(QWidget* aOwner, const QString& aCaption);
  // The chosen entries of DstList in their order: the catalogue's own objects.
  std::vector<TRerunVar*> DstVars() const;

  // The file code of a group position ("CF", "SF", "TD", "SD"); empty outside.
  static std::string GroupFileType(int Group);

  // Event handlers, callable by the tests as the events would.
  void FormActivate();
  void rgSelectGroupClick();
  void SrcListClick();
  void IncludeBtnClick();
  void btnRemoveClick();

 protected:
  void showEvent(QShowEvent* Event) override;

 private:
  void BuildGroupChoice();
  void BuildLists(const QString& aCaption);
  void LayOut(QDialogButtonBox* Buttons);
  // Appends the entry at List's focused position, with its object, to Items.
  static void CopySelected(QListWidget* List, QListWidget* Items);
  void SetButtons();
  void UpdateMeaning(int varNr);
  // Adds a catalogue variable to SrcList at its place in the sorted order.
  void AddSorted(TRerunVar* Var);

  QGroupBox* rgSelectGroup;
  QButtonGroup* FGroupButtons;
  QLabel* SrcLabel;
  QListWidget* SrcList;
  QToolButton* IncludeBtn;
  QLabel* DstLabel;
  QListWidget* DstList;
  QPushButton* btnRemove;
  QLabel* Label2;
  QLabel* lblMeaning;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
};

// The catalogue variable an entry of the dialog's lists carries.
TRerunVar* VarOfItem(const QListWidgetItem* Item);
