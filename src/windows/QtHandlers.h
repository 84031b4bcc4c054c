#pragma once
// The Qt side of the core's replaceable handlers: message boxes, the busy
// cursor, opening documents, and the application-wide error box.

#include <QApplication>
#include <QString>
#include <string>

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
