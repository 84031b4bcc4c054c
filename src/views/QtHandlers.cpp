#include "QtHandlers.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QStringDecoder>

#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"

QString FromCore(const std::string& Bytes) {
  QStringDecoder Utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString Text = Utf8.decode(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
  if (!Utf8.hasError()) return Text;
  return QString::fromLatin1(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
}

std::string ToCore(const QString& Text) { return Text.toUtf8().toStdString(); }

namespace {
TMsgResult ShowQtMessage(const TMessage& Msg) {
  QMessageBox Box(QApplication::activeWindow());
  Box.setWindowTitle(FromCore(Msg.Title.empty() ? ApplicationTitle : Msg.Title));
  Box.setText(FromCore(Msg.Text));
  switch (Msg.Kind) {
    case TMsgKind::Confirmation: Box.setIcon(QMessageBox::Question); break;
    case TMsgKind::Information: Box.setIcon(QMessageBox::Information); break;
    case TMsgKind::Error: Box.setIcon(QMessageBox::Critical); break;
    case TMsgKind::Plain: Box.setIcon(QMessageBox::NoIcon); break;
  }
  switch (Msg.Buttons) {
    case TMsgButtons::Ok:
      Box.setStandardButtons(QMessageBox::Ok);
      Box.setDefaultButton(QMessageBox::Ok);
      Box.setEscapeButton(QMessageBox::Ok);
      break;
    case TMsgButtons::OkCancel:
      Box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      Box.setDefaultButton(QMessageBox::Ok);
      Box.setEscapeButton(QMessageBox::Cancel);
      break;
    case TMsgButtons::YesNo:
      Box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      Box.setDefaultButton(QMessageBox::Yes);
      Box.setEscapeButton(QMessageBox::No);
      break;
    case TMsgButtons::YesNoCancel:
      Box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      Box.setDefaultButton(QMessageBox::Yes);
      Box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  switch (Box.exec()) {
    case QMessageBox::Yes: return TMsgResult::Yes;
    case QMessageBox::No: return TMsgResult::No;
    case QMessageBox::Cancel: return TMsgResult::Cancel;
    default: return TMsgResult::Ok;
  }
}

// The desktop's opener, waited for until it says whether an application took
// the file: Qt's own way reports only that the opener started.
int OpenWithDesktop(const std::string& FileName) { return PosixOpenDocument(FileName); }
}  // namespace

void InstallQtHandlers() {
  SetMessageHandler(ShowQtMessage);
  SetCursorHandler([](bool Busy) {
    if (Busy)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  SetOpenDocumentHandler(OpenWithDesktop);
}

bool TKrlApplication::notify(QObject* Receiver, QEvent* Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (const std::exception& E) {
    HandleAppException(E);
  } catch (...) {
    HandleAppException(EPlainError("Unknown error"));
  }
  return false;
}

// ---- control adapters

namespace {
const int BytesRole = Qt::UserRole + 1;
const char* const CaptionProperty = "KrlCaptionBytes";
}  // namespace

void TQtListBox::Clear() {
  const QSignalBlocker Block(FList);
  FList->clear();
  FList->setCurrentRow(-1);
}

int TQtListBox::Add(const std::string& Text) {
  const QSignalBlocker Block(FList);
  auto* Item = new QListWidgetItem(FromCore(Text));
  Item->setData(BytesRole, QByteArray(Text.data(), static_cast<qsizetype>(Text.size())));
  FList->addItem(Item);
  return FList->count() - 1;
}

int TQtListBox::Count() const { return FList->count(); }

std::string TQtListBox::Item(int Index) const {
  const QListWidgetItem* I = Index >= 0 ? FList->item(Index) : nullptr;
  return I ? I->data(BytesRole).toByteArray().toStdString() : std::string();
}

int TQtListBox::ItemIndex() const {
  const int Row = FList->currentRow();
  return Row >= 0 && Row < FList->count() && FList->item(Row)->isSelected() ? Row : -1;
}

void TQtListBox::SetItemIndex(int Index) {
  const QSignalBlocker Block(FList);
  if (Index >= 0 && Index < FList->count()) {
    FList->setCurrentRow(Index, QItemSelectionModel::ClearAndSelect);
  } else {
    FList->clearSelection();
    FList->setCurrentRow(-1);
  }
}

std::string TQtLabel::Caption() const {
  return FLabel->property(CaptionProperty).toByteArray().toStdString();
}

void TQtLabel::SetCaption(const std::string& Caption) {
  FLabel->setProperty(CaptionProperty, QByteArray(Caption.data(), static_cast<qsizetype>(Caption.size())));
  QString Shown = FromCore(Caption);
  Shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  FLabel->setText(Shown);
}

std::string TQtEdit::Text() const { return ToCore(FEdit->text()); }
void TQtEdit::SetText(const std::string& Text) { FEdit->setText(FromCore(Text)); }
