// The window tests' program: an offscreen application, and handlers that fail
// the test on any message box, application error, document, modal window,
// file dialog or print it did not script.

#include <gtest/gtest.h>

#include <clocale>

#include "KvPrint.h"
#include "QtHandlers.h"
#include "WinTestSupport.h"

namespace {
// The core's failing handlers, and those of the windows.
class TFailOnUnscriptedWindows : public TFailOnUnscripted {
 public:
  void SetUp() override {
    TFailOnUnscripted::SetUp();
    SetModalHandler(FailUnscriptedModal);
    SetFileDialogHandler(FailUnscriptedFileDialog);
    // The default printer is the system's: a test that prints names its own.
    SetPrinterHandler([] {
      ADD_FAILURE() << "unexpected print";
      return TPrinterChoice();
    });
  }
  void TearDown() override {
    SetPrinterHandler(nullptr);
    SetFileDialogHandler(nullptr);
    SetModalHandler(nullptr);
    TFailOnUnscripted::TearDown();
  }
};
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TKrlApplication App(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  App.setApplicationName(ApplicationTitle);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new TFailOnUnscriptedWindows);
  return RUN_ALL_TESTS();
}
