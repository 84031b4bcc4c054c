// The window tests' program: an offscreen application, and handlers that fail
// the test on any message box, modal window or file dialog it did not script.

#include <gtest/gtest.h>

#include <QDialog>
#include <clocale>

#include "QtHandlers.h"
#include "WinSupport.h"
#include "platform/Handlers.h"

namespace {
class TFailOnUnscripted : public ::testing::Environment {
public:
  void SetUp() override {
    SetMessageHandler([](const TMessage& M) {
      ADD_FAILURE() << "unexpected message box: " << M.Text;
      return TMsgResult::Cancel;
    });
    SetModalHandler([](QDialog& D) {
      ADD_FAILURE() << "unexpected modal window: " << D.objectName().toStdString();
      return static_cast<int>(QDialog::Rejected);
    });
    // Opening a document would start the desktop's application: a test that
    // opens one replaces this handler.
    SetOpenDocumentHandler([](const std::string& FileName) {
      ADD_FAILURE() << "unexpected document opened: " << FileName;
      return 31;
    });
    SetFileDialogHandler([](const TFileDialogRequest& R) {
      ADD_FAILURE() << "unexpected file dialog: " << R.Title.toStdString();
      return QString();
    });
  }
};
}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TKrlApplication App(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  App.setApplicationName(ApplicationTitle);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new TFailOnUnscripted);
  return RUN_ALL_TESTS();
}
