// The main window's frame: start-up, menus and tool buttons, the commands,
// the caption, activation and closing.

#include "Kvmain.h"

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSessionManager>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <clocale>
#include <csignal>

#include "Commands.h"
#include "DxGrid.h"
#include "DxInpMemo.h"
#include "Dxedit.h"
#include "KvEvaluation.h"
#include "Kvabout.h"
#include "KvmainPages.h"
#include "Kvoutdet.h"
#include "Kvoutsum.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "foundations/DxUtil.h"
#include "foundations/Kvutil.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
// The user's session of the operating system ends, or the program is told to
// terminate: the process ends at once, without the close handlers and without
// writing anything, with the signal's status. Every file the program writes
// goes beside its target first and takes its place complete, so nothing is
// left half written.
extern "C" void EndAtOnce(int Signal) {
  signal(Signal, SIG_DFL);
  raise(Signal);
}

// The desktop's session manager first asks the program to save its work
// (which it leaves alone: the user session may still go on) and then tells
// it to quit: once it has asked, quitting ends the process at once.
bool SessionEnding = false;

void HookSessionEnd() {
  static bool Hooked = false;
  if (Hooked) return;
  Hooked = true;
  struct sigaction Act {};
  Act.sa_handler = EndAtOnce;
  sigemptyset(&Act.sa_mask);
  sigaction(SIGTERM, &Act, nullptr);
  sigaction(SIGHUP, &Act, nullptr);
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp,
                   [](QSessionManager&) { SessionEnding = true; });
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] {
    if (SessionEnding) _exit(0);
  });
}

QIcon ThemeIcon(const char* Name, QStyle::StandardPixmap Fallback) {
  return QIcon::fromTheme(QString::fromLatin1(Name), QApplication::style()->standardIcon(Fallback));
}

// The variable catalogue from the start directory, or else from the program
// directory (a start from a desktop menu or another directory).
void LoadVariables() {
  if (!FileExists(VarCatalogueFileName) && FileExists(GetExecPath() + VarCatalogueFileName))
    LoadVarCatalogue(GetExecPath() + VarCatalogueFileName);
  else
    LoadVarCatalogue();
}
}  // namespace

TFormMain::TFormMain(QWidget* Parent) : QMainWindow(Parent) {
  setObjectName("FormMain");
  setWindowTitle("KORVAL");
  BuildFrame();
  FormCreate();
}

TFormMain::~TFormMain() {
  // FormClose: the catalogues and the session go; help needs no quitting.
  SetShowLogHandler(nullptr);
  qApp->removeEventFilter(this);
  TheSession = nullptr;
  FSession.reset();
  FreeVarCatalogue();
  FreeDataCatalogue();
}

// ---- start-up

void TFormMain::FormCreate() {
  // The hint handler: the status bar shows the long part of every hint,
  // also of the controls of the dialogs this window opens (the main
  // window's own controls reach it by themselves).
  qApp->installEventFilter(this);
  HookSessionEnd();
  QApplication::setApplicationName(ApplicationTitle);
  std::setlocale(LC_NUMERIC, "C");
  SetShowLogHandler([this](const std::string& Log) { ShowLog(Log); });

  try {
    LoadVariables();
    FSession = std::make_unique<TKvSession>();
    TheSession = FSession.get();
    TheSession->Reset();
    try {
      TheSession->Read(TheSession->FileManager().KRLWerkFullName());
    } catch (const std::exception& E) {
      // A working file that cannot be read (no permission, a pipe in its
      // place) costs what it held, not the lists and pages: the session
      // starts from its defaults, and the box says which file and why.
      ShowErrorBox(std::string(E.what()) + "\r\nThe working session starts from its defaults.");
      TheSession->Reset();
    }
    BuildDataCatalogue();
    const std::string Missing = TheSession->MissingDataFilesNotice();
    FillPages();
    UpdateControls();
    UpdateCaption();
    TellMissingFiles(Missing);
  } catch (const std::exception& E) {
    ShowErrorBox(E.what());
  }
  if (!FSession)
    DisableWithoutSession(
        QString("No session: the variable catalogue %1 could not be read, so there is nothing to edit or "
                "run. Put %1 back into the program directory %2 and start again.")
            .arg(VarCatalogueFileName, FromCore(GetExecPath())));
  pgcSession->setCurrentIndex(0);  // the General page
}

void TFormMain::DisableWithoutSession(const QString& Reason) {
  for (QAction* A :
       {Open1, Save1, Saveas1, Reset1, Run1, Viewlogfile1, ViewFile1, EditFile1, Detailedoutput1, Summary1})
    A->setEnabled(false);
  for (QWidget* Page : FPages) Page->setEnabled(false);
  LblNoSession = new QLabel(Reason);
  LblNoSession->setObjectName("LblNoSession");
  LblNoSession->setWordWrap(true);
  StatusBar->addWidget(LblNoSession, 1);
}

void TFormMain::BuildFrame() {
  setMinimumSize(655, 528);
  resize(655, 528);
  StatusBar = new QStatusBar;
  StatusBar->setObjectName("StatusBar");
  setStatusBar(StatusBar);
  LblMissingFiles = new QLabel;
  LblMissingFiles->setObjectName("LblMissingFiles");
  LblMissingFiles->setVisible(false);
  StatusBar->addPermanentWidget(LblMissingFiles);
  BuildMenus();
  BuildToolButtons();

  Panel1 = new QWidget;
  Panel1->setObjectName("Panel1");
  auto* L = new QVBoxLayout(Panel1);
  L->setContentsMargins(5, 5, 5, 5);
  pgcSession = new QTabWidget;
  pgcSession->setObjectName("pgcSession");
  pgcSession->setStyleSheet("QTabBar::tab { min-width: 80px; }");
  L->addWidget(pgcSession, 1);
  setCentralWidget(Panel1);
  BuildPages();
  BuildRunPanel();
  L->addWidget(PnlRun);

  ConnectGuarded(pgcSession, &QTabWidget::currentChanged, this, &TFormMain::CommitActiveEdit);
  // Large enough to show the pages whole where the screen allows, centred.
  if (const QScreen* S = QApplication::primaryScreen()) {
    const QRect Avail = S->availableGeometry();
    QSize Pages;
    for (QWidget* Page : FPages) Pages = Pages.expandedTo(Page->sizeHint());
    // The frame around a page: menu, tool bar, tabs, status bar, margins.
    const QSize Frame(40, menuBar()->sizeHint().height() + Panel2->sizeHint().height() +
                              StatusBar->sizeHint().height() + 80);
    resize((Pages + Frame).boundedTo(Avail.size() * 0.9).expandedTo(minimumSize()));
    move(Avail.center() - rect().center());
  }
}

QAction* TFormMain::AddItem(QMenu* Menu, const char* Name, const QString& Caption, int Context,
                            void (TFormMain::*Handler)()) {
  QAction* A = Menu->addAction(Caption);
  A->setObjectName(Name);
  if (Context) SetHelpContext(A, Context);
  ConnectGuarded(A, &QAction::triggered, this, Handler);
  return A;
}

void TFormMain::BuildMenus() {
  QMenuBar* MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  Session1 = MainMenu1->addMenu("&File");
  Session1->setObjectName("Session1");
  Open1 = AddItem(Session1, "Open1", "&Open session...", 1001, &TFormMain::Open1Click);
  Open1->setShortcut(QKeySequence("Ctrl+O"));
  Save1 = AddItem(Session1, "Save1", "&Save session...", 1002, &TFormMain::Save1Click);
  Save1->setShortcut(QKeySequence("Ctrl+S"));
  Saveas1 = AddItem(Session1, "Saveas1", "Save session &as...", 1003, &TFormMain::Saveas1Click);
  Session1->addSeparator()->setObjectName("N4");
  Reset1 = AddItem(Session1, "Reset1", "Re&set", 1004, &TFormMain::Reset1Click);
  Run1 = AddItem(Session1, "Run1", "&Run...", 1005, &TFormMain::Run1Click);
  Session1->addSeparator()->setObjectName("N2");
  Viewlogfile1 = AddItem(Session1, "Viewlogfile1", "View &log-file", 1006, &TFormMain::Viewlogfile1Click);
  ViewFile1 = AddItem(Session1, "ViewFile1", "&View file...", 1007, &TFormMain::ViewFile1Click);
  EditFile1 = AddItem(Session1, "EditFile1", "&Edit file...", 1008, &TFormMain::EditFile1Click);
  Session1->addSeparator()->setObjectName("N1");
  Exit1 = AddItem(Session1, "Exit1", "E&xit", 1009, &TFormMain::Exit1Click);

  Result1 = MainMenu1->addMenu("&Result");
  Result1->setObjectName("Result1");
  Detailedoutput1 =
      AddItem(Result1, "Detailedoutput1", "&Detailed...", 2001, &TFormMain::Detailedoutput1Click);
  Summary1 = AddItem(Result1, "Summary1", "&Summary...", 2002, &TFormMain::Summary1Click);
  Evaluation1 = AddItem(Result1, "Evaluation1", "&Evaluation...", 2003, &TFormMain::Evaluation1Click);

  Help1 = MainMenu1->addMenu("&Help");
  Help1->setObjectName("Help1");
  Contents1 = AddItem(Help1, "Contents1", "&Manual...", 3001, &TFormMain::Contents1Click);
  Korvalwebsite1 = AddItem(Help1, "Korvalwebsite1", "KORVAL website", 0, &TFormMain::Korvalwebsite1Click);
  Help1->addSeparator()->setObjectName("N3");
  About1 = AddItem(Help1, "About1", "&About...", 3002, &TFormMain::About1Click);

  for (QMenu* M : {Session1, Result1, Help1}) {
    // Opening a menu commits the field being edited; a bad value closes the
    // menu again and its error is shown once the menu is gone.
    connect(M, &QMenu::aboutToShow, this, [this, M] {
      try {
        CommitActiveEdit();
      } catch (const std::exception& E) {
        const std::string Message = E.what();
        QTimer::singleShot(0, M, [M, Message] {
          M->close();
          HandleAppException(EPlainError(Message));
        });
      }
    });
    // F1 on a menu item opens its topic.
    M->installEventFilter(this);
  }
}

void TFormMain::BuildToolButtons() {
  Panel2 = new QToolBar;
  Panel2->setObjectName("Panel2");
  Panel2->setMovable(false);
  Panel2->setFloatable(false);
  Panel2->toggleViewAction()->setVisible(false);
  Panel2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  addToolBar(Qt::TopToolBarArea, Panel2);
  struct TButton {
    QToolButton** Button;
    const char* Name;
    const char* Caption;
    const char* Hint;
    const char* Icon;
    QStyle::StandardPixmap Fallback;
    QAction* TFormMain::*Command;  // the menu command it shows
  };
  const TButton Buttons[] = {
      {&BtnRun, "BtnRun", "Run...", "Run the KORVAL simulation", "media-playback-start", QStyle::SP_MediaPlay,
       &TFormMain::Run1},
      {&BtnReset, "BtnReset", "Reset", "Reset all data to defaults", "view-refresh", QStyle::SP_BrowserReload,
       &TFormMain::Reset1},
      {&BtnDetailedOutput, "BtnDetailedOutput", "Result detailed...", "Show the detailed results",
       "x-office-spreadsheet", QStyle::SP_FileDialogDetailedView, &TFormMain::Detailedoutput1},
      {&BtnSummaryOutput, "BtnSummaryOutput", "Result summary...", "Show the summarized results",
       "x-office-document", QStyle::SP_FileDialogListView, &TFormMain::Summary1},
      {&BtnHelp, "BtnHelp", "Help", "Get some help", "help-contents", QStyle::SP_DialogHelpButton,
       &TFormMain::Contents1},
      {&BtnExit, "BtnExit", "Exit", "Exit the Korval Control Center", "application-exit",
       QStyle::SP_DialogCloseButton, &TFormMain::Exit1},
  };
  for (const TButton& B : Buttons) {
    auto* Btn = new QToolButton;
    Btn->setObjectName(B.Name);
    Btn->setText(B.Caption);
    Btn->setIcon(ThemeIcon(B.Icon, B.Fallback));
    Btn->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Btn->setAutoRaise(true);
    // The hint goes to the status bar only, no pop-up.
    SetHint(Btn, QString("|") + B.Hint);
    ShowInButton(Btn, this->*B.Command);
    Panel2->addWidget(Btn);
    *B.Button = Btn;
  }
}

// ---- caption, commit, activation

void TFormMain::UpdateCaption() {
  const std::string Name = TheSession ? TheSession->FileManager().KRLName() : std::string();
  setWindowTitle(Name.empty() ? QString(ApplicationTitle)
                              : QString(ApplicationTitle) + " - Session: " + FromCore(Name));
}

void TFormMain::CommitActiveEdit() {
  if (FReruns) FReruns->GridReRun->CommitEditor();
  QWidget* W = QApplication::focusWidget();
  if (auto* M = qobject_cast<TDxNumberMemo*>(W); M && M->window() == this) M->DoExit();
}

void TFormMain::FormActivate() {
  if (!TheSession) return;
  GuardedCall([this] { LbSoilNoClick(); });
  GuardedCall([this] { LbCropNoClick(); });
}

int TFormMain::ShowModal(QDialog& Dialog) {
  const int Result = ExecModal(Dialog);
  FormActivate();
  return Result;
}

void TFormMain::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (!FActivated) {
    FActivated = true;
    // Once the window is on the screen, as a dialog's closing would.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
  }
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::StatusTip) {
    auto* W = qobject_cast<QWidget*>(Watched);
    if (W && W->window() != this && W->window()->parentWidget() &&
        W->window()->parentWidget()->window() == this)
      StatusBar->showMessage(static_cast<QStatusTipEvent*>(Event)->tip());
  } else if (Event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(Event)->key() == Qt::Key_F1) {
    if (auto* M = qobject_cast<QMenu*>(Watched)) {
      if (QAction* A = M->activeAction(); A && HelpContext(A)) {
        const int Context = HelpContext(A);
        M->close();
        GuardedCall([Context] { ShowHelpTopic(Context); });
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(Watched, Event);
}

void TFormMain::closeEvent(QCloseEvent* Event) {
  if (SessionEnding) _exit(0);
  if (FRunning) {
    Event->ignore();
    if (ConfirmYesNo("A simulation is running. Stop it and close the program once it has ended?")) {
      FCloseAfterRun = true;
      StopRunClick();
    }
    return;
  }
  // FormCloseQuery: a bad value in the field being edited keeps the window
  // open with the value restored and its error shown.
  if (!GuardedCall([this] { CommitActiveEdit(); })) {
    Event->ignore();
    return;
  }
  QMainWindow::closeEvent(Event);
}

// ---- commands

bool TFormMain::RefusedWhileRunning() {
  if (!FRunning) return false;
  StatusBar->showMessage("A simulation is running: wait for its end or stop it first.", 5000);
  return true;
}

void TFormMain::Open1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  TKvFileManager& Fm = TheSession->FileManager();
  TFileDialogRequest OpenDialog;
  OpenDialog.Title = "Open File...";
  OpenDialog.InitialDir = FromCore(ExpandFileName(Fm.ExecPath() + Fm.RunioPath()));
  OpenDialog.Filter = "Input Files (*.krl)|*.krl";
  OpenDialog.MustExist = true;
  const QString Chosen = AskFileName(OpenDialog);
  if (Chosen.isEmpty()) return;
  const std::string F = ToCore(Chosen);
  if (!Fm.InSessionFolder(F, true)) return;
  // All or nothing: a session that cannot be copied whole leaves the working
  // session as it was.
  Fm.ReplaceSessionFiles(F, Fm.KRLWerkName());
  TheSession->Reset();
  TheSession->Read(F);
  const std::string Missing = TheSession->MissingDataFilesNotice();
  FillPages();
  UpdateCaption();
  TellMissingFiles(Missing);
}

void TFormMain::TellMissingFiles(const std::string& Notice) {
  ShowMissingFilesNote(Notice);
  if (!Notice.empty()) ShowInfoBox(Notice);
  // The note goes once the user's choice on the pages names files that exist.
  for (QListWidget* L : {FCrop->LbCropNo, FSoil->LbSoilNo, FWeather->LbStation}) {
    connect(L, &QListWidget::itemClicked, this, &TFormMain::RefreshMissingFilesNote, Qt::UniqueConnection);
    connect(L, &QListWidget::currentRowChanged, this, &TFormMain::RefreshMissingFilesNote,
            Qt::UniqueConnection);
  }
}

void TFormMain::RefreshMissingFilesNote() {
  if (!LblMissingFiles->isVisible() || !TheSession) return;
  // After the list's own handlers have taken the choice into the session.
  QTimer::singleShot(0, this, [this] {
    if (TheSession) ShowMissingFilesNote(TheSession->MissingDataFilesNotice());
  });
}

void TFormMain::ShowMissingFilesNote(const std::string& Notice) {
  const QString Text = FromCore(Notice);
  LblMissingFiles->setText(Text.section("\r\n", 0, 0) +
                           (Text.count("\r\n") > 1 ? QString(" ...") : QString()));
  LblMissingFiles->setToolTip(QString(Text).replace("\r\n", "\n"));
  LblMissingFiles->setVisible(!Notice.empty());
}

void TFormMain::Save1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  const TKvFileManager& Fm = TheSession->FileManager();
  if (UpperCase(Fm.KRLName()) != Fm.KRLWerkName())
    SaveSession(Fm.KRLFullName());
  else
    Saveas1Click();
}

void TFormMain::Saveas1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  TKvFileManager& Fm = TheSession->FileManager();
  TFileDialogRequest SaveDialog;
  SaveDialog.Save = true;
  SaveDialog.Title = "Save File as...";
  SaveDialog.InitialDir = FromCore(ExpandFileName(Fm.ExecPath() + Fm.RunioPath()));
  SaveDialog.Filter = "Input Files (*.krl)|*.krl";
  SaveDialog.MustExist = false;
  const QString Chosen = AskFileName(SaveDialog);
  if (Chosen.isEmpty()) return;
  std::string N = ToCore(Chosen);
  if (!Fm.InSessionFolder(N, false) || !Fm.ValidSessionName(N)) return;
  if (FileExists(Fm.ExecPath() + Fm.RunioPath() + N + ".krl") &&
      !ConfirmOkCancel("Session: " + N + " already exists. Overwrite?"))
    return;
  SaveSession(N);
}

void TFormMain::SaveSession(const std::string& Name) {
  TKvFileManager& Fm = TheSession->FileManager();
  StorePages();
  const std::string OldName = Fm.KRLFullName();
  Fm.SetKRLFullName(Name);
  try {
    TheSession->WriteInputFiles();
  } catch (...) {
    // The saved files of that name and the caption stay as they were.
    Fm.SetKRLFullName(OldName);
    throw;
  }
  try {
    Fm.ReplaceSessionFiles(Fm.KRLWerkName(), Name);
  } catch (const std::exception& E) {
    Fm.SetKRLFullName(OldName);
    throw EKvError("The session " + UpperCase(ExtractFileBase(Name)) +
                   " was not saved; its saved files are unchanged.\r\n" + E.what());
  }
  UpdateCaption();
}

void TFormMain::Reset1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  if (!ConfirmYesNo("Reset all data to defaults?")) return;
  TheSession->Reset();
  FillPages();
  LbSoilNoClick();
  UpdateControls();
  UpdateCaption();
}

void TFormMain::Viewlogfile1Click() {
  if (TheSession) ShowLogFile();
}

void TFormMain::ShowLog(const std::string& LogName) {
  QPointer<TFormDxEdit> E = new TFormDxEdit(this);
  E->SetWrap(true);
  E->OpenFile(LogName);
  const bool Shown = E && E->WasShown();
  if (E) E->deleteLater();
  if (Shown) FormActivate();
}

void TFormMain::ViewFile1Click() {
  if (!TheSession) return;
  QPointer<TFormDxEdit> E = new TFormDxEdit(this);
  E->Open(TheSession->FileManager().OutPath(), "");
  const bool Shown = E && E->WasShown();
  if (E) E->deleteLater();
  if (Shown) FormActivate();
}

void TFormMain::EditFile1Click() {
  if (!TheSession) return;
  QPointer<TFormDxEdit> E = new TFormDxEdit(this);
  E->SetViewOnly(false);
  E->SetStartView(false);
  E->Open(TheSession->FileManager().OutPath(), "");
  const bool Shown = E && E->WasShown();
  if (E) E->deleteLater();
  if (Shown) FormActivate();
}

void TFormMain::Exit1Click() {
  if (RefusedWhileRunning()) return;
  CommitActiveEdit();
  close();
}

void TFormMain::Detailedoutput1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  ShowDetailedOutput(this);
  FormActivate();
}

void TFormMain::Summary1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  ShowSummaryOutput(this);
  FormActivate();
}

void TFormMain::Evaluation1Click() {
  if (!TheSession || RefusedWhileRunning()) return;
  CommitActiveEdit();
  ShowEvaluation(this);
  FormActivate();
}

void TFormMain::Contents1Click() {
  CommitActiveEdit();
  const std::string Manual = GetExecPath() + "KRL_Manual.pdf";
  if (!FileExists(Manual)) {
    ShowErrorBox("The manual " + Manual + " was not found. The help pages (F1) hold the same text.");
    return;
  }
  OpenDocument(Manual);
}

void TFormMain::Korvalwebsite1Click() { ShellOpenDocument(ModelDocPage()); }

void TFormMain::About1Click() {
  CommitActiveEdit();
  QPointer<TFormAbout> A = new TFormAbout(this);
  ShowModal(*A);
  if (A) A->deleteLater();
}
