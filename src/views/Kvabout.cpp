#include "Kvabout.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include "QtHandlers.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/KvRun.h"

static void InitPictures() { Q_INIT_RESOURCE(krlviews); }

std::string HelpIndexPage() { return GetExecPath() + "help/index.html"; }
std::string ModelDocPage() { return GetExecPath() + "help/model.html"; }

namespace {
// The picture, as large as its frame allows, kept square.
class TPicture : public QWidget {
 public:
  explicit TPicture(QSvgRenderer* R) : FRenderer(R) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter P(this);
    P.setRenderHint(QPainter::Antialiasing);
    const int Side = std::min(width(), height());
    FRenderer->render(&P, QRectF((width() - Side) / 2.0, (height() - Side) / 2.0, Side, Side));
  }

 private:
  QSvgRenderer* FRenderer;
};

// A link label: blue, underlined, hand cursor; a click opens Address with
// the desktop (the result is not checked).
QLabel* LinkLabel(const char* Name, const QString& Text, const std::string& Address) {
  auto* L = new QLabel(QString("<a href=\"#\" style=\"color:#0000ee; text-decoration:underline\">%1</a>")
                           .arg(Text.toHtmlEscaped()));
  L->setObjectName(Name);
  L->setCursor(Qt::PointingHandCursor);
  L->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  L->setToolTip(FromCore(Address));
  QObject::connect(L, &QLabel::linkActivated, L, [Address] { ShellOpenDocument(Address); });
  return L;
}
}  // namespace

TFormAbout::TFormAbout(QWidget* aOwner) : QDialog(aOwner) {
  InitPictures();
  setObjectName("FormAbout");
  setWindowTitle(QString("About ") + ApplicationTitle);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setMinimumSize(533, 344);
  setAttribute(Qt::WA_DeleteOnClose);

  auto* Outer = new QVBoxLayout(this);
  auto* Top = new QHBoxLayout;
  Picture = new QSvgRenderer(QString(":/pictures/korval.svg"), this);
  ProgramIcon = new TPicture(Picture);
  ProgramIcon->setObjectName("ProgramIcon");
  ProgramIcon->setMinimumSize(160, 160);
  ProgramIcon->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  Top->addWidget(ProgramIcon, 2);
  Top->addWidget(BuildTextPanel(), 3);
  Outer->addLayout(Top, 1);
  Outer->addWidget(BuildButtonPanel());
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

// The program's name, release, rights, a comment and the two links.
QWidget* TFormAbout::BuildTextPanel() {
  Panel1 = new QWidget;
  Panel1->setObjectName("Panel1");
  auto* P1 = new QVBoxLayout(Panel1);
  LblName = new QLabel(ApplicationTitle);
  LblName->setObjectName("LblName");
  QFont Bold = LblName->font();
  Bold.setBold(true);
  Bold.setPointSizeF(Bold.pointSizeF() * 1.5);
  LblName->setFont(Bold);
  Label1 = new QLabel("Control centre for a daily crop growth model");
  Label1->setObjectName("Label1");
  LblRelease = new QLabel(QString("Release ") + ReleaseText);
  LblRelease->setObjectName("LblRelease");
  LblRights = new QLabel(QString::fromUtf8("\u00a9 The KORVAL Control Zudezo project. All rights reserved."));
  LblRights->setObjectName("LblRights");
  LblRights->setWordWrap(true);
  LblComment1 = new QLabel(
      "Sessions, runs, tables and charts for the KORVAL crop model.\n"
      "The bundled korval.exe is a simplified model of our own, made for trying the program.");
  LblComment1->setObjectName("LblComment1");
  LblComment1->setWordWrap(true);
  homelink = LinkLabel("homelink", "Program help: help/index.html", HelpIndexPage());
  wikilink = LinkLabel("wikilink", "The bundled model: help/model.html", ModelDocPage());
  P1->addWidget(LblName);
  P1->addWidget(Label1);
  P1->addSpacing(8);
  P1->addWidget(LblRelease);
  P1->addWidget(LblRights);
  P1->addSpacing(8);
  P1->addWidget(LblComment1);
  P1->addStretch(1);
  P1->addWidget(homelink);
  P1->addWidget(wikilink);
  return Panel1;
}

QWidget* TFormAbout::BuildButtonPanel() {
  Panel2 = new QWidget;
  Panel2->setObjectName("Panel2");
  auto* P2 = new QHBoxLayout(Panel2);
  P2->setContentsMargins(0, 0, 0, 0);
  P2->addStretch(1);
  btnOK = new QPushButton("OK");
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  P2->addWidget(btnOK);
  return Panel2;
}

void ShowSplash(int Milliseconds) {
  TFormAbout* Splash = nullptr;
  try {
    Splash = new TFormAbout(nullptr);
    Splash->setAttribute(Qt::WA_DeleteOnClose, false);
    Splash->setWindowTitle(QString());
    Splash->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    Splash->Panel2->hide();
    Splash->btnOK->hide();
    Splash->show();
    // Painted at once: the window system needs a moment to map it; user
    // input is not handled meanwhile.
    for (int I = 0; I < 20 && !(Splash->windowHandle() && Splash->windowHandle()->isExposed()); ++I) {
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
      QThread::msleep(5);
    }
    Splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(static_cast<unsigned long>(Milliseconds));
  } catch (...) {
    // Only a picture at start-up: the box goes below and the start goes on.
  }
  delete Splash;
}
