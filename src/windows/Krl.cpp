// The program entry: creates the application and the main window.

#include <QApplication>
#include <QMainWindow>
#include <clocale>

#include "platform/Handlers.h"

int main(int argc, char* argv[]) {
  QApplication App(argc, argv);
  // Qt sets the user's locale; numbers in files always use the full stop.
  std::setlocale(LC_NUMERIC, "C");
  App.setApplicationName(ApplicationTitle);
  QMainWindow Main;
  Main.setObjectName("FormMain");
  Main.setWindowTitle(ApplicationTitle);
  Main.resize(900, 600);
  Main.show();
  return App.exec();
}
