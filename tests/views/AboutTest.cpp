// The About box and the splash: the picture and the texts, the links, and
// the box freeing itself however it is closed.

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSvgRenderer>
#include <QTest>
#include <QTimer>

#include "Kvabout.h"
#include "WinTestSupport.h"
#include "platform/FileSys.h"

TEST(About, ShowsThePictureTheNameAndTheReleaseAndOpensItsLinks) {
  QPointer<TFormAbout> A = new TFormAbout(nullptr);
  EXPECT_EQ(A->windowTitle(), "About KORVAL Control Zudezo");
  EXPECT_TRUE(A->Picture->isValid());
  EXPECT_EQ(A->LblName->text(), "KORVAL Control Zudezo");
  EXPECT_TRUE(A->LblName->font().bold());
  EXPECT_EQ(A->LblRelease->text(), "Release 2.1.2 (February 2014)");
  EXPECT_TRUE(A->LblComment1->text().contains("simplified model"));
  EXPECT_GE(A->minimumWidth(), 533);
  EXPECT_GE(A->minimumHeight(), 344);

  std::vector<std::string> Opened;
  auto Old = SetOpenDocumentHandler([&](const std::string& F) {
    Opened.push_back(F);
    return 2;  // a failure is not reported
  });
  emit A->homelink->linkActivated("#");
  emit A->wikilink->linkActivated("#");
  SetOpenDocumentHandler(Old);
  ASSERT_EQ(Opened.size(), 2u);
  EXPECT_EQ(Opened[0], GetExecPath() + "help/index.html");
  EXPECT_EQ(Opened[1], GetExecPath() + "help/model.html");

  // OK closes and frees it.
  A->show();
  A->btnOK->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(A.isNull());

  // So does the window's close button.
  QPointer<TFormAbout> B = new TFormAbout(nullptr);
  B->show();
  B->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(B.isNull());
}

TEST(About, TheSplashShowsTheBoxWithoutCaptionAndOk) {
  // The splash lives for its wait only; look at it from inside the wait.
  QPointer<TFormAbout> Seen;
  bool Checked = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* W : QApplication::topLevelWidgets())
      if (auto* A = qobject_cast<TFormAbout*>(W); A && A->isVisible()) {
        Seen = A;
        EXPECT_TRUE(A->windowTitle().isEmpty());
        EXPECT_FALSE(A->btnOK->isVisible());
        EXPECT_FALSE(A->Panel2->isVisible());
        EXPECT_TRUE(A->LblRelease->isVisible());
        Checked = true;
      }
  });
  ShowSplash(10);
  EXPECT_TRUE(Checked);
  EXPECT_TRUE(Seen.isNull());
}
