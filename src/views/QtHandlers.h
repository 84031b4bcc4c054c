#pragma once
// The Qt side of the core's replaceable handlers: message boxes, the busy
// cursor, opening documents, and the application-wide error box.

#include <QApplication>
#include <QString>
#include <string>

#include "catalogue/Controls.h"

// Text from the core (8-bit bytes as read) for display: UTF-8 when the bytes
// are valid UTF-8, else Latin-1.
QString FromCore(const std::string& Bytes);
// Text the user typed, for the core: UTF-8 bytes.
std::string ToCore(const QString& Text);

// Installs the Qt handlers for message boxes, cursor, documents and errors.
void InstallQtHandlers();

// The application: every exception that would cross the event loop is handed
// to the application's error handler instead (the backstop behind the
// guards of the handlers themselves).
class TKrlApplication : public QApplication {
 public:
  TKrlApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* Receiver, QEvent* Event) override;
};

// ---- the core's control interfaces on Qt widgets
// A list keeps the core's bytes of every item beside its display text and
// hands exactly those back. Filling and selecting through the adapter raises
// no signal of the widget, so a window's click handlers run only for the
// user's own choices.

class QLabel;
class QLineEdit;
class QListWidget;

class TQtListBox : public TListBoxControl {
 public:
  explicit TQtListBox(QListWidget* List) : FList(List) {}
  void Clear() override;
  int Add(const std::string& Text) override;
  int Count() const override;
  std::string Item(int Index) const override;
  int ItemIndex() const override;
  void SetItemIndex(int Index) override;

 private:
  QListWidget* FList;
};

// A label's caption: the core's bytes as given (a CR LF shows as one line break).
class TQtLabel : public TLabelControl {
 public:
  explicit TQtLabel(QLabel* Label) : FLabel(Label) {}
  std::string Caption() const override;
  void SetCaption(const std::string& Caption) override;

 private:
  QLabel* FLabel;
};

class TQtEdit : public TEditControl {
 public:
  explicit TQtEdit(QLineEdit* Edit) : FEdit(Edit) {}
  std::string Text() const override;
  void SetText(const std::string& Text) override;

 private:
  QLineEdit* FEdit;
};
