// The program entry: creates the application and the main window.

#include <QLabel>
#include <QMainWindow>
#include <clocale>

#include "QtHandlers.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"

int main(int argc, char* argv[]) {
  TKrlApplication App(argc, argv);
  // Qt sets the user's locale; numbers in files always use the full stop.
  std::setlocale(LC_NUMERIC, "C");
  App.setApplicationName(ApplicationTitle);
  InstallQtHandlers();
  QMainWindow Main;
  Main.setObjectName("FormMain");
  Main.setWindowTitle(ApplicationTitle);
  // The session pages take this place; until then the window says where it runs.
  auto* Info = new QLabel(QString("<h2>%1</h2><p>Program directory: %2</p>")
                              .arg(ApplicationTitle, FromCore(GetExecPath()).toHtmlEscaped()));
  Info->setAlignment(Qt::AlignCenter);
  Main.setCentralWidget(Info);
  Main.resize(900, 600);
  Main.show();
  return App.exec();
}
