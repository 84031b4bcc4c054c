#include "WinSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QWidget>

#include "QtHandlers.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "platform/Handlers.h"

// ---- hints

QString LongHint(const QString& Hint) {
  const qsizetype Bar = Hint.indexOf('|');
  return Bar < 0 ? Hint : Hint.mid(Bar + 1);
}

QString ShortHint(const QString& Hint) {
  const qsizetype Bar = Hint.indexOf('|');
  return Bar < 0 ? Hint : Hint.left(Bar);
}

void SetHint(QWidget* Widget, const QString& Hint) {
  Widget->setToolTip(ShortHint(Hint));
  Widget->setStatusTip(LongHint(Hint));
}

void SetHint(QAction* Action, const QString& Hint) {
  Action->setToolTip(ShortHint(Hint));
  Action->setStatusTip(LongHint(Hint));
}

// ---- help

namespace {
const char* const HelpProperty = "HelpContext";

class THelpKeyFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(Event)->key() != Qt::Key_F1)
      return QObject::eventFilter(Watched, Event);
    // Once per key press: at the control that has the focus (the window
    // when none has), not again while the event travels to its parents.
    QWidget* Target =
        QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (Watched != Target) return false;
    QWidget* W = QApplication::focusWidget();
    if (!W) W = QApplication::activeWindow();
    GuardedCall([&] { ShowHelpTopic(HelpContextOf(W)); });
    return true;
  }
};
}  // namespace

void SetHelpContext(QObject* Object, int Context) { Object->setProperty(HelpProperty, Context); }

int HelpContext(const QObject* Object) {
  const QVariant V = Object ? Object->property(HelpProperty) : QVariant();
  return V.isValid() ? V.toInt() : 0;
}

int HelpContextOf(const QWidget* Widget) {
  for (const QWidget* W = Widget; W; W = W->parentWidget())
    if (const int C = HelpContext(W)) return C;
  return 0;
}

QString HelpTopicFile(int Context) {
  const QString Name = Context > 0 ? QString::number(Context) : QStringLiteral("index");
  return FromCore(GetExecPath()) + "help/" + Name + ".html";
}

void ShowHelpTopic(int Context) {
  QString File = HelpTopicFile(Context);
  if (!FileExists(ToCore(File))) File = HelpTopicFile(0);
  if (!FileExists(ToCore(File))) {
    ShowErrorBox("The help pages were not found in " + ToCore(FromCore(GetExecPath()) + "help/") +
                 ". Reinstall the program or open KRL_Manual.pdf.");
    return;
  }
  if (ShellOpenDocument(ToCore(File)) <= 32)
    ShowInfoBox("Open the help page " + ToCore(File) + " in a web browser.");
}

void InstallHelpKey(QApplication& App) { App.installEventFilter(new THelpKeyFilter(&App)); }

// ---- modal windows

namespace {
THandlerSlot<TModalHandler>& ModalHandler() {
  static THandlerSlot<TModalHandler> S;
  return S;
}
THandlerSlot<TFileDialogHandler>& FileHandler() {
  static THandlerSlot<TFileDialogHandler> S;
  return S;
}
}  // namespace

TModalHandler SetModalHandler(TModalHandler Handler) { return ModalHandler().Set(std::move(Handler)); }

int ExecModal(QDialog& Dialog) {
  if (ModalHandler().Get()) return ModalHandler().Get()(Dialog);
  return Dialog.exec();
}

// ---- file dialogs

QStringList QtNameFilters(const QString& Filter) {
  QStringList Result;
  const QStringList Parts = Filter.split('|');
  for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
    QStringList Patterns;
    for (const QString& P : Parts[I + 1].split(';', Qt::SkipEmptyParts)) {
      QString CaseFree;
      for (const QChar C : P.trimmed())
        CaseFree += C.isLetter() ? QString("[%1%2]").arg(C.toLower(), C.toUpper()) : QString(C);
      Patterns << CaseFree;
    }
    QString Text = Parts[I];
    const qsizetype Open = Text.indexOf('(');
    if (Open >= 0) Text = Text.left(Open).trimmed();
    Result << QString("%1 (%2)").arg(Text, Patterns.join(' '));
  }
  return Result;
}

TFileDialogHandler SetFileDialogHandler(TFileDialogHandler Handler) {
  return FileHandler().Set(std::move(Handler));
}

QString AskFileName(const TFileDialogRequest& R) {
  if (FileHandler().Get()) return FileHandler().Get()(R);
  QFileDialog Dialog(QApplication::activeWindow(), R.Title, R.InitialDir);
  Dialog.setNameFilters(QtNameFilters(R.Filter));
  Dialog.setAcceptMode(R.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  Dialog.setFileMode(R.Save ? QFileDialog::AnyFile
                            : (R.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
  if (R.Save && !R.ConfirmOverwrite) Dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (!R.FileName.isEmpty()) Dialog.selectFile(R.FileName);
  if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) return {};
  return Dialog.selectedFiles().first();
}

// ---- dialog buttons

QDialogButtonBox* MakeOkCancelButtons(QDialog* Dialog, QPushButton*& OKBtn, QPushButton*& CancelBtn) {
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Dialog);
  OKBtn = Buttons->button(QDialogButtonBox::Ok);
  OKBtn->setObjectName("OKBtn");
  OKBtn->setText("OK");
  OKBtn->setIcon(Dialog->style()->standardIcon(QStyle::SP_DialogOkButton));
  CancelBtn = Buttons->button(QDialogButtonBox::Cancel);
  CancelBtn->setObjectName("CancelBtn");
  CancelBtn->setText("Cancel");
  CancelBtn->setIcon(Dialog->style()->standardIcon(QStyle::SP_DialogCancelButton));
  QObject::connect(Buttons, &QDialogButtonBox::accepted, Dialog, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, Dialog, &QDialog::reject);
  OKBtn->setDefault(true);
  return Buttons;
}

// ---------------------------------------------------------------- activation once per showing

void TOncePerShowing::Shown(const QShowEvent& Event, const std::function<void()>& Activate) {
  if (FDone || Event.spontaneous()) return;
  FDone = true;
  GuardedCall(Activate);
}

void TOncePerShowing::Hidden(const QHideEvent& Event) {
  if (!Event.spontaneous()) FDone = false;
}
