#include "WinTestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
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

// ---- what a person does

bool ShowActive(QWidget* W) {
  W->show();
  W->activateWindow();
  return QTest::qWaitForWindowActive(W);
}

void Click(QWidget* W) {
  ASSERT_NE(W, nullptr);
  ASSERT_TRUE(W->isVisible()) << W->objectName().toStdString();
  QTest::mouseClick(W, Qt::LeftButton, {}, W->rect().center());
}

// A click on the tab of the session page that holds W.
void ShowPageOf(QWidget* Main, QWidget* W) {
  auto* Pages = Find<QTabWidget>(Main, "pgcSession");
  for (int i = 0; i < Pages->count(); ++i)
    if (Pages->widget(i)->isAncestorOf(W)) {
      QTabBar* Bar = Pages->tabBar();
      QTest::mouseClick(Bar, Qt::LeftButton, {}, Bar->tabRect(i).center());
    }
  ASSERT_TRUE(W->isVisible()) << W->objectName().toStdString();
}

void ClickRow(QWidget* Main, const char* Name, int Row) {
  auto* L = Find<QListWidget>(Main, Name);
  ShowPageOf(Main, L);
  ASSERT_LT(Row, L->count());
  QTest::mouseClick(L->viewport(), Qt::LeftButton, {}, L->visualItemRect(L->item(Row)).center());
}

void ClickEntry(QWidget* Main, const char* Name, const QString& Text) {
  const auto* L = Find<QListWidget>(Main, Name);
  for (int Row = 0; Row < L->count(); ++Row)
    if (L->item(Row)->text().trimmed() == Text) return ClickRow(Main, Name, Row);
  ADD_FAILURE() << Name << " has no entry " << Text.toStdString();
}

// Clicks into the field, selects its text and types Text over it.
void TypeInto(QWidget* Main, const char* Name, const QString& Text) {
  auto* F = Find<QLineEdit>(Main, Name);
  ShowPageOf(Main, F);
  Click(F);
  QTest::keyClick(F, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(F, Text);
}

// Opens the combo box's list and clicks the entry with Text.
void ChooseEntry(QComboBox* Box, const QString& Text) {
  const int Index = Box->findText(Text);
  ASSERT_GE(Index, 0) << Text.toStdString();
  Click(Box);
  QAbstractItemView* List = Box->view();
  ASSERT_TRUE(List->isVisible());
  // The list takes no click within a double click's time of opening.
  QTest::qWait(QApplication::doubleClickInterval() + 50);
  const QRect R = List->visualRect(List->model()->index(Index, 0));
  QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, R.center());
  EXPECT_EQ(Box->currentIndex(), Index);
}
