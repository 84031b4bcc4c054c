#include "WinTestSupport.h"

#include <QApplication>
#include <QWidget>

#include "platform/FileSys.h"
#include "support/SampleHome.h"

int FailUnscriptedModal(QDialog& D) {
  ADD_FAILURE() << "unexpected modal window: " << D.objectName().toStdString();
  return QDialog::Rejected;
}

QString FailUnscriptedFileDialog(const TFileDialogRequest& R) {
  ADD_FAILURE() << "unexpected file dialog: " << R.Title.toStdString();
  return {};
}

TScriptedDialogs::TScriptedDialogs() {
  FOldModal = SetModalHandler([this](QDialog& D) -> int {
    if (FModal.empty()) return FailUnscriptedModal(D);
    TModal M = std::move(FModal.front());
    FModal.pop_front();
    EXPECT_EQ(D.objectName(), M.Name);
    D.show();
    QApplication::processEvents();
    const int Result = M.Answer(D);
    D.hide();
    return Result;
  });
  FOldFile = SetFileDialogHandler([this](const TFileDialogRequest& R) -> QString {
    FFileRequests.push_back(R);
    if (FFiles.empty()) return FailUnscriptedFileDialog(R);
    QString Answer = FFiles.front();
    FFiles.pop_front();
    return Answer;
  });
}

TScriptedDialogs::~TScriptedDialogs() {
  EXPECT_EQ(Pending(), 0u) << "scripted dialogs that never came";
  SetModalHandler(std::move(FOldModal));
  SetFileDialogHandler(std::move(FOldFile));
}

TScriptedDialogs& TScriptedDialogs::ExpectModal(const QString& ObjectName, TModalAnswer Answer) {
  FModal.push_back({ObjectName, std::move(Answer)});
  return *this;
}

TScriptedDialogs& TScriptedDialogs::ExpectFile(const QString& Path) {
  FFiles.push_back(Path);
  return *this;
}

int AcceptDialog(QDialog& D) {
  D.accept();
  return QDialog::Accepted;
}

int RejectDialog(QDialog& D) {
  D.reject();
  return QDialog::Rejected;
}

TSampleHome::TSampleHome() { LaySampleHome(std::filesystem::path(FDir.Path())); }

TSampleHome::~TSampleHome() { InvalidateDirCache(); }
