// The program entry: the splash, the application title, the main window,
// and the event loop until the main window has closed.

#include <clocale>

#include "Kvabout.h"
#include "Kvmain.h"
#include "QtHandlers.h"
#include "WidgetMap.h"
#include "WinSupport.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/HomeLock.h"

int main(int argc, char* argv[]) {
  TKrlApplication App(argc, argv);
  // Qt sets the user's locale; numbers in files always use the full stop.
  std::setlocale(LC_NUMERIC, "C");
  InstallQtHandlers();
  InstallHelpKey(App);
  StartWidgetMap(App);
  // A second program on the same program home would share its working
  // session and mix the results of both: it is refused.
  const THomeLock Lock(GetExecPath());
  if (!Lock.Held()) {
    ShowErrorBox(Lock.Refusal());
    return 1;
  }
  ShowSplash(2000);
  App.setApplicationName(ApplicationTitle);
  App.setProperty("HelpFile", "Krl.hlp");
  TFormMain FormMain;
  FormMain.show();
  return App.exec();
}
