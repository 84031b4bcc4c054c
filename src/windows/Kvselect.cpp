#include "Kvselect.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "Commands.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "platform/Handlers.h"

namespace {
// The groups in their order, with the file code of their variables.
struct TGroup {
  const char* Caption;
  const char* FileType;
};
const TGroup Groups[] = {{"&Crop", "CF"}, {"&Soil", "SF"}, {"&Timer", "TD"}, {"S&ite", "SD"}};
constexpr int GroupCount = sizeof(Groups) / sizeof(Groups[0]);

QListWidgetItem* NewItem(TRerunVar* Var) {
  auto* Item = new QListWidgetItem(FromCore(Var->Description()));
  Item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(Var)));
  return Item;
}
}  // namespace

TRerunVar* VarOfItem(const QListWidgetItem* Item) {
  return Item ? static_cast<TRerunVar*>(Item->data(Qt::UserRole).value<void*>()) : nullptr;
}

std::string TFormSelect::GroupFileType(int Group) {
  return Group >= 0 && Group < GroupCount ? Groups[Group].FileType : "";
}

TFormSelect::TFormSelect(QWidget* aOwner, const QString& aCaption) : QDialog(aOwner) {
  setObjectName("FormSelect");
  setWindowTitle("Select variables " + aCaption);

  BuildGroupChoice();
  BuildLists(aCaption);
  QDialogButtonBox* Buttons = MakeOkCancelButtons(this, OKBtn, CancelBtn);

  LayOut(Buttons);

  ConnectGuarded(FGroupButtons, &QButtonGroup::idClicked, this, &TFormSelect::rgSelectGroupClick);
  ConnectGuarded(SrcList, &QListWidget::currentRowChanged, this, &TFormSelect::SrcListClick);
  ConnectGuarded(SrcList, &QListWidget::itemDoubleClicked, this, &TFormSelect::IncludeBtnClick);
  ConnectGuarded(IncludeBtn, &QToolButton::clicked, this, &TFormSelect::IncludeBtnClick);
  ConnectGuarded(btnRemove, &QPushButton::clicked, this, &TFormSelect::btnRemoveClick);
  ConnectGuarded(DstList, &QListWidget::itemDoubleClicked, this, &TFormSelect::btnRemoveClick);

  OKBtn->setDefault(true);
  OKBtn->setFocus();
}

// The radio buttons of the variable groups.
void TFormSelect::BuildGroupChoice() {
  rgSelectGroup = new QGroupBox(" Select group ", this);
  rgSelectGroup->setObjectName("rgSelectGroup");
  FGroupButtons = new QButtonGroup(this);
  auto* GroupLayout = new QVBoxLayout(rgSelectGroup);
  for (int i = 0; i < GroupCount; ++i) {
    auto* Button = new QRadioButton(Groups[i].Caption, rgSelectGroup);
    Button->setObjectName(QString("rgSelectGroup%1").arg(i));
    FGroupButtons->addButton(Button, i);
    GroupLayout->addWidget(Button);
  }
  GroupLayout->addStretch();
}

// The lists of variables with their captions and buttons, and the meaning.
void TFormSelect::BuildLists(const QString& aCaption) {
  SrcLabel = new QLabel("&Variables:", this);
  SrcLabel->setObjectName("SrcLabel");
  SrcList = new QListWidget(this);
  SrcList->setObjectName("SrcList");
  SrcList->setSelectionMode(QAbstractItemView::SingleSelection);
  SrcLabel->setBuddy(SrcList);

  IncludeBtn = new QToolButton(this);
  IncludeBtn->setObjectName("IncludeBtn");
  IncludeBtn->setText(">");
  IncludeBtn->setFocusPolicy(Qt::StrongFocus);
  SetHint(IncludeBtn, "Use the selected variable");

  DstLabel = new QLabel("Use in " + aCaption, this);
  DstLabel->setObjectName("DstLabel");
  DstList = new QListWidget(this);
  DstList->setObjectName("DstList");
  DstList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  DstLabel->setBuddy(DstList);

  btnRemove = new QPushButton("&Remove", this);
  btnRemove->setObjectName("btnRemove");
  btnRemove->setAutoDefault(false);

  Label2 = new QLabel("Meaning:", this);
  Label2->setObjectName("Label2");
  lblMeaning = new QLabel(this);
  lblMeaning->setObjectName("lblMeaning");
  lblMeaning->setWordWrap(true);
  lblMeaning->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A fixed size that holds the longest meanings, measured in the font.
  const QFontMetrics Fm = lblMeaning->fontMetrics();
  lblMeaning->setFixedSize(Fm.averageCharWidth() * 46, Fm.lineSpacing() * 3 + 4);
}

// The groups left, the source list, ">" and the chosen list beside them; the
// meaning below; OK and Cancel at the bottom.
void TFormSelect::LayOut(QDialogButtonBox* Buttons) {
  const int ListWidth = fontMetrics().averageCharWidth() * 16;
  SrcList->setMinimumWidth(ListWidth);
  DstList->setMinimumWidth(ListWidth);
  auto* Lists = new QGridLayout;
  Lists->addWidget(rgSelectGroup, 0, 0, 3, 1);
  Lists->addWidget(SrcLabel, 0, 1);
  Lists->addWidget(SrcList, 1, 1, 2, 1);
  auto* Middle = new QVBoxLayout;
  Middle->addStretch();
  Middle->addWidget(IncludeBtn);
  Middle->addStretch();
  Lists->addLayout(Middle, 1, 2);
  Lists->addWidget(DstLabel, 0, 3);
  Lists->addWidget(DstList, 1, 3);
  Lists->addWidget(btnRemove, 2, 3, Qt::AlignRight);
  Lists->setRowStretch(1, 1);

  auto* Meaning = new QHBoxLayout;
  Meaning->addWidget(Label2, 0, Qt::AlignTop);
  Meaning->addWidget(lblMeaning);
  Meaning->addStretch();

  auto* Main = new QVBoxLayout(this);
  Main->addLayout(Lists, 1);
  Main->addLayout(Meaning);
  Main->addWidget(Buttons);
  Main->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(FGroupButtons->button(0), SrcList);
  setTabOrder(SrcList, IncludeBtn);
  setTabOrder(IncludeBtn, DstList);
  setTabOrder(DstList, btnRemove);
  setTabOrder(btnRemove, OKBtn);
  setTabOrder(OKBtn, CancelBtn);
}

void TFormSelect::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  GuardedCall([this] { FormActivate(); });
}

std::vector<TRerunVar*> TFormSelect::DstVars() const {
  std::vector<TRerunVar*> Vars;
  for (int i = 0; i < DstList->count(); ++i) Vars.push_back(VarOfItem(DstList->item(i)));
  return Vars;
}

void TFormSelect::FormActivate() {
  FGroupButtons->button(0)->setChecked(true);
  rgSelectGroupClick();
  SetButtons();
}

void TFormSelect::AddSorted(TRerunVar* Var) {
  // Sorted without regard to letter case; a name equal to one already in the
  // list goes after it.
  const QString Name = FromCore(Var->Description());
  int At = SrcList->count();
  for (int i = 0; i < SrcList->count(); ++i)
    if (QString::compare(Name, SrcList->item(i)->text(), Qt::CaseInsensitive) < 0) {
      At = i;
      break;
    }
  SrcList->insertItem(At, NewItem(Var));
}

void TFormSelect::rgSelectGroupClick() {
  const std::string FileType = GroupFileType(FGroupButtons->checkedId());
  {
    const QSignalBlocker Quiet(SrcList);
    SrcList->clear();
    for (int i = 0; i < VarCatalogue.Count(); ++i) {
      TRerunVar* Var = VarCatalogue.Objects(i);
      if (Var && Var->FileType() == FileType) AddSorted(Var);
    }
  }
  UpdateMeaning(0);
  {
    const QSignalBlocker Quiet(SrcList);
    SrcList->setCurrentRow(SrcList->count() > 0 ? 0 : -1);
  }
  SrcList->setFocus();
}

void TFormSelect::SrcListClick() { UpdateMeaning(SrcList->currentRow()); }

void TFormSelect::UpdateMeaning(int varNr) {
  const TRerunVar* Var = varNr >= 0 && varNr < SrcList->count() ? VarOfItem(SrcList->item(varNr)) : nullptr;
  lblMeaning->setText(Var ? FromCore(Var->Meaning()) : QString());
}

void TFormSelect::CopySelected(QListWidget* List, QListWidget* Items) {
  const int At = List->currentRow();
  if (At < 0 || At >= List->count()) return;
  Items->addItem(NewItem(VarOfItem(List->item(At))));
}

void TFormSelect::IncludeBtnClick() {
  CopySelected(SrcList, DstList);
  SetButtons();
}

void TFormSelect::btnRemoveClick() {
  QListWidgetItem* Focused = DstList->currentItem();
  if (Focused && Focused->isSelected()) delete DstList->takeItem(DstList->row(Focused));
  SetButtons();
}

void TFormSelect::SetButtons() {
  IncludeBtn->setEnabled(SrcList->count() > 0);
  btnRemove->setEnabled(DstList->count() > 0);
}
