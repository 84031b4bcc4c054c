#include "KvRunCheck.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Dxedit.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
#include "platform/Handlers.h"
#include "session/KvRun.h"
#include "session/ModelErrorPlace.h"
#include "session/RunCheck.h"
#include "session/SessionFields.h"

namespace {
constexpr int GoTo = 2;  // the dialog's result when the user asks to go to a field

// Brings the session page that holds the field's control to the front and
// puts the focus into the control.
void GoToField(QWidget* Main, const TSessionField& Field) {
  QWidget* Control = Main->findChild<QWidget*>(QString::fromLatin1(Field.Control));
  auto* Pages = Main->findChild<QTabWidget*>(QStringLiteral("pgcSession"));
  if (!Control || !Pages) return;
  for (int i = 0; i < Pages->count(); ++i)
    if (Pages->widget(i)->isAncestorOf(Control)) Pages->setCurrentIndex(i);
  Main->activateWindow();
  Control->setFocus(Qt::OtherFocusReason);
  if (auto* Edit = Control->findChild<QWidget*>(); Edit && !Control->focusPolicy()) Edit->setFocus();
}
}  // namespace

bool RunCheckPasses(QWidget* Main, const TKvSession& S) {
  const std::vector<TRunProblem> Problems = CheckBeforeRun(S);
  if (Problems.empty()) return true;
  const bool Errors = Problems.front().Kind == TRunProblem::Error;

  QDialog D(Main);
  D.setObjectName("FormRunCheck");
  D.setWindowTitle("Check before the run");
  auto* Layout = new QVBoxLayout(&D);
  auto* Intro = new QLabel(Errors ? "The session cannot run as it is:" : "The session can run, but note:");
  Intro->setObjectName("LblRunCheck");
  Layout->addWidget(Intro);
  auto* List = new QListWidget;
  List->setObjectName("LbProblems");
  for (const TRunProblem& P : Problems)
    List->addItem(
        QString::fromStdString((P.Kind == TRunProblem::Error ? "Error: " : "Warning: ") + P.Text()));
  List->setCurrentRow(0);
  // Long problems wrap inside a window of a readable width.
  List->setWordWrap(true);
  List->setResizeMode(QListView::Adjust);
  List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  D.resize(720, 320);
  Layout->addWidget(List);
  auto* Buttons = new QDialogButtonBox;
  QPushButton* Go = Buttons->addButton("&Go to", QDialogButtonBox::ActionRole);
  Go->setObjectName("BtnGoTo");
  if (!Errors) Buttons->addButton("&Run anyway", QDialogButtonBox::AcceptRole)->setObjectName("BtnRunAnyway");
  Buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("BtnCancel");
  Layout->addWidget(Buttons);
  // Go to needs a problem of a field.
  const auto Chosen = [&Problems, List]() -> const TSessionField* {
    const int Row = List->currentRow();
    return Row >= 0 && Row < static_cast<int>(Problems.size()) ? Problems[static_cast<size_t>(Row)].Field
                                                               : nullptr;
  };
  const auto Follow = [Go, Chosen] { Go->setEnabled(Chosen() != nullptr); };
  QObject::connect(List, &QListWidget::itemSelectionChanged, &D, Follow);
  Follow();
  QObject::connect(Go, &QPushButton::clicked, &D, [&D] { D.done(GoTo); });
  QObject::connect(List, &QListWidget::itemDoubleClicked, &D, [&D, Chosen] {
    if (Chosen()) D.done(GoTo);
  });
  QObject::connect(Buttons, &QDialogButtonBox::accepted, &D, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, &D, &QDialog::reject);

  const int Result = ExecModal(D);
  if (Result == GoTo) {
    if (const TSessionField* F = Chosen()) GoToField(Main, *F);
    return false;
  }
  return Result == QDialog::Accepted && !Errors;
}

namespace {
// Opens a data file in the viewer at the line the model named.
void OpenAtLine(QWidget* Main, const TModelErrorPlace& Place) {
  TFormDxEdit E(Main);
  E.SetViewOnly(false);
  E.SetStartLine(Place.Line);
  E.OpenFile(Place.File);
}
}  // namespace

void ShowRunFailure(QWidget* Main, const TRunFailure& F) {
  QDialog D(Main);
  D.setObjectName("FormRunFailed");
  D.setWindowTitle(ApplicationTitle);
  auto* Layout = new QVBoxLayout(&D);
  auto* Top = new QHBoxLayout;
  auto* Icon = new QLabel;
  const int Size = D.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
  Icon->setPixmap(D.style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(Size, Size));
  Top->addWidget(Icon, 0, Qt::AlignTop);
  auto* Headline = new QLabel(FromCore(F.Headline).replace("\r\n", "\n"));
  Headline->setObjectName("LblRunFailed");
  Top->addWidget(Headline, 1);
  Layout->addLayout(Top);
  // The model's text keeps its columns: a fixed font, no wrapping.
  auto* Memo = new QPlainTextEdit(FromCore(F.Details()).replace("\r\n", "\n"));
  Memo->setObjectName("MemoRunFailed");
  Memo->setReadOnly(true);
  Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Layout->addWidget(Memo);
  D.resize(760, 300);

  auto* Buttons = new QDialogButtonBox;
  QPushButton* Log = Buttons->addButton("Show &log", QDialogButtonBox::ActionRole);
  Log->setObjectName("BtnShowLog");
  constexpr int OpenFile = GoTo + 1;
  if (F.Place.Field) {
    QPushButton* Go = Buttons->addButton("&Go to field", QDialogButtonBox::ActionRole);
    Go->setObjectName("BtnGoToField");
    QObject::connect(Go, &QPushButton::clicked, &D, [&D] { D.done(GoTo); });
  } else if (F.Place.DataFile) {
    QPushButton* Open = Buttons->addButton("&Open file", QDialogButtonBox::ActionRole);
    Open->setObjectName("BtnOpenFile");
    QObject::connect(Open, &QPushButton::clicked, &D, [&D] { D.done(OpenFile); });
  }
  QPushButton* Close = Buttons->addButton(QDialogButtonBox::Close);
  Close->setObjectName("BtnClose");
  Close->setDefault(true);
  Layout->addWidget(Buttons);
  // The log opens on top; the box stays for the next look.
  QObject::connect(Log, &QPushButton::clicked, &D, [&F] { GuardedCall([&F] { ShowLogFile(F.LogName); }); });
  QObject::connect(Buttons, &QDialogButtonBox::rejected, &D, &QDialog::reject);

  const int Result = ExecModal(D);
  if (Result == GoTo && F.Place.Field) GoToField(Main, *F.Place.Field);
  if (Result == OpenFile) OpenAtLine(Main, F.Place);
}
