// krlscreenshots: pictures of the program's real windows for the manual and
// the README, taken on the offscreen platform from a fresh copy of the sample
// program home.
//
//   krlscreenshots --data SOURCE/data --programs BUILD/bin --out DIR
//
// The program sets up the session of the manual's getting-started chapter,
// starts the main window, runs the model and opens the result windows, all
// through the controls' names, as a user would. Every dialog and result
// window is shown through the window library's modal handler, which this
// program replaces: it takes the pictures and closes the window again. A
// window or control that does not exist yet is passed over, so the program
// takes whatever pictures the windows allow. The pictures are drawn at twice
// the screen's pixel density and say so in their resolution (192 dpi), so
// that the manual shows them sharply at their natural size.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QMap>
#include <QPixmap>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "DxGrid.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "manual/GettingStarted.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvses.h"

#if __has_include("Kvmain.h")
#include "Kvmain.h"
#define KRL_HAVE_MAIN_WINDOW 1
#endif
#if __has_include("Kvedtrun.h")
#include "Kvedtrun.h"
#define KRL_HAVE_EDIT_RERUN 1
#endif

namespace fs = std::filesystem;

namespace {

QString OutDir;
// Off while a scene only prepares what another scene's pictures show.
bool Pictures = true;

void Settle(int Ms = 150) {
  QElapsedTimer T;
  T.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  } while (T.elapsed() < Ms);
}

void Grab(QWidget* W, const QString& Name) {
  if (!W || !Pictures) return;
  // The pointer away from the controls, and no hint of one it was over.
  QCursor::setPos(W->mapToGlobal(QPoint(W->width() + 50, W->height() + 50)));
  for (QStatusBar* Bar : W->findChildren<QStatusBar*>()) Bar->clearMessage();
  Settle();
  QImage Image = W->grab().toImage();
  // The device pixel ratio goes into the resolution: 96 dpi at ratio 1.
  const double Dpi = 96.0 * Image.devicePixelRatio();
  Image.setDotsPerMeterX(qRound(Dpi / 0.0254));
  Image.setDotsPerMeterY(qRound(Dpi / 0.0254));
  const QString File = QDir(OutDir).filePath(Name + ".png");
  if (Image.isNull() || !Image.save(File)) {
    std::fprintf(stderr, "krlscreenshots: could not save %s\n", qPrintable(File));
    return;
  }
  std::printf("  %s (%dx%d)\n", qPrintable(Name), Image.width(), Image.height());
}

template <class T>
T* Find(QWidget* Parent, const char* Name) {
  return Parent ? Parent->findChild<T*>(QString::fromLatin1(Name)) : nullptr;
}

void Click(QWidget* Parent, const char* Name) {
  if (auto* B = Find<QAbstractButton>(Parent, Name)) {
    if (B->isEnabled() && B->isVisible()) B->click();
  } else {
    std::fprintf(stderr, "krlscreenshots: no button %s in %s\n", Name, qPrintable(Parent->objectName()));
  }
  Settle();
}

void Trigger(QWidget* Parent, const char* Name) {
  if (auto* A = Parent->findChild<QAction*>(QString::fromLatin1(Name))) {
    if (A->isEnabled()) A->trigger();
  } else {
    std::fprintf(stderr, "krlscreenshots: no menu item %s\n", Name);
  }
  Settle();
}

// Chooses the first entry of a list or drop-down list that contains Text.
void Choose(QWidget* Parent, const char* Name, const QString& Text) {
  if (auto* C = Find<QComboBox>(Parent, Name)) {
    const int i = C->findText(Text, Qt::MatchContains);
    if (i >= 0) {
      // As the user's choice: the windows react to the activation.
      C->setCurrentIndex(i);
      emit C->activated(i);
      emit C->textActivated(C->itemText(i));
    }
  } else if (auto* L = Find<QListWidget>(Parent, Name)) {
    const auto Items = L->findItems(Text, Qt::MatchContains);
    if (!Items.isEmpty()) {
      L->setCurrentItem(Items.first());
      emit L->itemClicked(Items.first());
    }
  }
  Settle();
}

// Shows each page of a page control in turn and takes the pictures that
// Names gives for the pages' names.
void GrabPages(QWidget* Window, const char* PageControl, const QMap<QString, QString>& Names,
               const std::function<void(const QString& Page)>& OnPage = nullptr) {
  auto* Tabs = Find<QTabWidget>(Window, PageControl);
  if (!Tabs) {
    Grab(Window, Names.value(QString()));
    return;
  }
  for (int i = 0; i < Tabs->count(); ++i) {
    if (!Tabs->isTabVisible(i)) continue;
    Tabs->setCurrentIndex(i);
    Settle();
    // A page may sit in a wrapper (a scroll area): the page is the wrapper
    // or the named widget inside it.
    QString Page = Tabs->widget(i)->objectName();
    if (!Names.contains(Page))
      for (const QString& N : Names.keys())
        if (!N.isEmpty() && Tabs->widget(i)->findChild<QWidget*>(N)) Page = N;
    if (Names.contains(Page)) Grab(Window, Names.value(Page));
    if (OnPage) OnPage(Page);
  }
  Tabs->setCurrentIndex(0);
}

// What happens to each modal window the program opens: it answers the
// window's result (Rejected for a window only looked at).
QMap<QString, std::function<int(QDialog&)>> ModalActions;

int OnModal(QDialog& D) {
  QString Name = D.objectName();
  if (Name.isEmpty()) Name = QString::fromLatin1(D.metaObject()->className()).mid(1);
  D.show();
  Settle(250);
  int Result = QDialog::Rejected;
  if (ModalActions.contains(Name)) {
    Result = ModalActions.value(Name)(D);
  } else {
    std::fprintf(stderr, "krlscreenshots: %s was not expected; its picture is modal-%s\n", qPrintable(Name),
                 qPrintable(Name));
    Grab(&D, "modal-" + Name);
  }
  D.hide();
  return Result;
}

// The sample home as a user gets it, with the built programs, in Root.
void LayHome(const fs::path& Data, const fs::path& Programs, const fs::path& Root) {
  fs::copy(Data, Root, fs::copy_options::recursive);
  for (const char* P : {"korval.exe", "krlcmd"})
    if (fs::exists(Programs / P)) fs::copy_file(Programs / P, Root / "bin" / P);
  for (const char* D : {"runio", "output", "meteo/dbmrep"}) fs::create_directories(Root / D);
  SetExecPath((Root / "bin").string() + "/");
  fs::current_path(Root / "bin");
  InvalidateDirCache();
}

// The working session of the getting-started chapter.
void WriteGettingStartedSession() {
  LoadVarCatalogue();
  {
    TKvSession S;
    TheSession = &S;
    WriteGettingStartedSession(S);
    TheSession = nullptr;
  }
  FreeDataCatalogue();
  FreeVarCatalogue();
}

#ifdef KRL_HAVE_MAIN_WINDOW
// The detailed output window: its pages, the graph of the two tables and
// the water balance chart.
int DetailedOutput(QDialog& D) {
  D.resize(D.minimumSize().expandedTo(QSize(760, 560)));
  Settle();
  GrabPages(&D, "pcOutputDet",
            {{"tsPotential", "detailed-potential"},
             {"tsWaterLimited", "detailed-water-limited"},
             {"tsWaterBalance", "detailed-water-balance"},
             {"tsNutrients", "detailed-nutrients"}});
  return QDialog::Accepted;
}

int GraphView(QDialog& D) {
  D.resize(D.minimumSize().expandedTo(QSize(840, 560)));
  Settle();
  const bool Potential = D.windowTitle().contains("Potential");
  Choose(&D, "CbColumns1", Potential ? "(WSO)" : "(SM)");
  Settle(600);
  Grab(&D, Potential ? "graph-potential" : "graph-water-limited");
  return QDialog::Rejected;
}

int SummaryOutput(QDialog& D) {
  D.resize(D.minimumSize().expandedTo(QSize(760, 560)));
  Settle();
  GrabPages(&D, "pcOutputSummary",
            {{"tsPotential", "summary-potential"},
             {"tsWaterlimited", "summary-water-limited"},
             {"tsSummary", "summary-summary"}});
  return QDialog::Accepted;
}

int LookOnly(QDialog& D, const QString& Picture, QSize Size = QSize()) {
  if (Size.isValid()) D.resize(D.minimumSize().expandedTo(Size));
  Settle(Picture == "water-balance" ? 600 : 150);
  Grab(&D, Picture);
  return QDialog::Rejected;
}

// The variable selection dialog with the timer group, choosing IDSOW.
int SelectVariables(QDialog& D) {
  if (auto* Group = Find<QWidget>(&D, "rgSelectGroup"))
    for (QRadioButton* B : Group->findChildren<QRadioButton*>())
      if (B->text().remove('&') == "Timer") B->click();
  Settle();
  Choose(&D, "SrcList", "IDSOW");
  if (auto* L = Find<QListWidget>(&D, "SrcList")) {
    const auto Items = L->findItems("IDSOW", Qt::MatchExactly);
    if (!Items.isEmpty()) L->setCurrentItem(Items.first());
  }
  Click(&D, "IncludeBtn");
  Grab(&D, "select-variables");
  return QDialog::Accepted;
}

int Rainfall(QDialog& D) {
  Click(&D, "RbOption2");
  Grab(&D, "rainfall");
  return QDialog::Rejected;
}

void SetCell(QWidget* Main, int Col, int Row, const QString& Text) {
  auto* Grid = Find<TDxStringGrid>(Main, "GridReRun");
  if (Grid && Col < Grid->ColCount() && Row < Grid->RowCount()) Grid->SetCells(Col, Row, Text);
}

void ShowPage(QWidget* Main, const char* Page) {
  auto* Tabs = Find<QTabWidget>(Main, "pgcSession");
  auto* W = Find<QWidget>(Main, Page);
  if (!Tabs || !W) return;
  for (int i = 0; i < Tabs->count(); ++i)
    if (Tabs->widget(i) == W || Tabs->widget(i)->isAncestorOf(W)) Tabs->setCurrentIndex(i);
  Settle();
}

bool HaveOutput() { return TheSession && FileExists(TheSession->FileManager().OutFullName()); }

void RunOnce(TFormMain& Main) {
  if (!HaveOutput()) Trigger(&Main, "Run1");
}

// Opens the detailed output window on one of its pages and presses Graph...
void GraphOfPage(TFormMain& Main, const QString& Page) {
  ModalActions["FormDetailedOutput"] = [Page](QDialog& D) {
    if (auto* Tabs = Find<QTabWidget>(&D, "pcOutputDet"))
      if (auto* W = Find<QWidget>(&D, Page.toLatin1().constData())) Tabs->setCurrentWidget(W);
    Settle();
    Click(&D, "BtnGraph");
    return int(QDialog::Accepted);
  };
  RunOnce(Main);
  Trigger(&Main, "Detailedoutput1");
}

// Three production levels and three sowing dates in the rerun table.
void SetUpReruns(TFormMain& Main, bool WithPictures) {
  Pictures = WithPictures;
  if (auto* Levels = Find<QWidget>(&Main, "RgProductionLevels")) {
    const auto Buttons = Levels->findChildren<QRadioButton*>();
    if (Buttons.size() == 3) Buttons[2]->click();
  }
  Settle();
  ShowPage(&Main, "tbsNutrients");
  Grab(&Main, "main-nutrients");
  ShowPage(&Main, "tbsReruns");
  Click(&Main, "btnSelectVar");
  Click(&Main, "btnAddRerun");
  Click(&Main, "btnAddRerun");
  SetCell(&Main, 1, 1, "80");
  SetCell(&Main, 1, 2, "100");
  SetCell(&Main, 1, 3, "120");
  if (auto* Use = Find<QCheckBox>(&Main, "CbUseReRuns"))
    if (!Use->isChecked()) Use->click();
  Settle();
  Grab(&Main, "main-reruns");
  Pictures = true;
}

// The scenes, in groups that share a process and a program home (a scene
// that shows results runs the model only when no scene before it did).
// tools/screenshots/Run.cmake starts one process per group, and when one
// fails, one per scene of the group, so that a window that fails loses only
// its own pictures.
const QStringList SceneGroups = {"pages,about,rainfall,reruns,edit-rerun",
                                 "detailed,summary,viewer,graph-water-limited,water-balance,graph-potential",
                                 "rerun-results"};

void Scene(const QString& Name, TFormMain& Main) {
  Main.show();
  Main.resize(Main.minimumSize().expandedTo(QSize(720, 660)));
  Settle(300);
  if (Name == "pages") {
    GrabPages(&Main, "pgcSession",
              {{"tbsGeneral", "main-general"},
               {"tbsCrop", "main-crop"},
               {"tbsWeather", "main-weather"},
               {"TbsTimer", "main-timer"},
               {"tbsSoil", "main-soil"}});
  } else if (Name == "detailed") {
    RunOnce(Main);
    Trigger(&Main, "Detailedoutput1");
  } else if (Name == "graph-potential") {
    GraphOfPage(Main, "tsPotential");
  } else if (Name == "graph-water-limited") {
    GraphOfPage(Main, "tsWaterLimited");
  } else if (Name == "water-balance") {
    GraphOfPage(Main, "tsWaterBalance");
  } else if (Name == "summary") {
    RunOnce(Main);
    Trigger(&Main, "Summary1");
  } else if (Name == "viewer") {
    RunOnce(Main);
    Trigger(&Main, "Viewlogfile1");
  } else if (Name == "about") {
    Trigger(&Main, "About1");
  } else if (Name == "rainfall") {
    ShowPage(&Main, "tbsWeather");
    Click(&Main, "BtnRainfall");
  } else if (Name == "reruns") {
    SetUpReruns(Main, true);
  } else if (Name == "rerun-results") {
    SetUpReruns(Main, false);
    Trigger(&Main, "Run1");
    ModalActions["FormDetailedOutput"] = [](QDialog& D) {
      D.resize(D.minimumSize().expandedTo(QSize(760, 560)));
      GrabPages(&D, "pcOutputDet", {{"tsNutrients", "detailed-nutrients"}});
      return int(QDialog::Accepted);
    };
    Trigger(&Main, "Detailedoutput1");
    ModalActions["FormOutputSummary"] = [](QDialog& D) {
      D.resize(D.minimumSize().expandedTo(QSize(760, 560)));
      GrabPages(&D, "pcOutputSummary", {{"tsSummary", "summary-summary"}});
      return int(QDialog::Accepted);
    };
    Trigger(&Main, "Summary1");
  } else if (Name == "edit-rerun") {
#ifdef KRL_HAVE_EDIT_RERUN
    if (TheSession) {
      const int i = VarCatalogue.IndexOf("AMAXTB");
      if (i >= 0) {
        std::unique_ptr<TRerunVar> V = VarCatalogue.Objects(i)->GetCopy();
        V->SetValue(TheSession->Rerun().GetDefaultVarValue("AMAXTB", V->VarType(), V->FileType()));
        TFormEditRerun Edit(&Main);
        Edit.SetValue(V.get());
        ExecModal(Edit);
      }
    }
#endif
  }
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2");
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  TKrlApplication App(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  App.setApplicationName(ApplicationTitle);
  QFont Font({"DejaVu Sans", "Sans Serif"}, 9);
  App.setFont(Font);

  QString Data, Programs, SceneName;
  const QStringList Args = App.arguments();
  if (Args.value(1) == "--list") {
#ifdef KRL_HAVE_MAIN_WINDOW
    std::printf("%s\n", qPrintable(SceneGroups.join(';')));
#endif
    return 0;
  }
  for (int i = 1; i + 1 < Args.size(); i += 2) {
    if (Args[i] == "--data")
      Data = Args[i + 1];
    else if (Args[i] == "--programs")
      Programs = Args[i + 1];
    else if (Args[i] == "--out")
      OutDir = Args[i + 1];
    else if (Args[i] == "--scene")
      SceneName = Args[i + 1];
  }
  if (Data.isEmpty() || Programs.isEmpty() || OutDir.isEmpty() || SceneName.isEmpty()) {
    std::fprintf(stderr,
                 "usage: krlscreenshots --list\n"
                 "       krlscreenshots --scene NAME --data DIR --programs DIR --out DIR\n");
    return 2;
  }
  QDir().mkpath(OutDir);
  OutDir = QFileInfo(OutDir).absoluteFilePath();
  QTemporaryDir Home;
  if (!Home.isValid()) return 1;

  try {
    LayHome(fs::absolute(Data.toStdString()), fs::absolute(Programs.toStdString()),
            Home.path().toStdString());
    SetShellWindowless(true);
    // Boxes are answered with their default, the first button; the texts go
    // to the log of the build.
    SetMessageHandler([](const TMessage& M) {
      std::printf("  [box] %s\n", M.Text.c_str());
      switch (M.Buttons) {
        case TMsgButtons::YesNo:
        case TMsgButtons::YesNoCancel: return TMsgResult::Yes;
        default: return TMsgResult::Ok;
      }
    });
    SetAppErrorHandler([](const std::exception& E) { std::printf("  [error] %s\n", E.what()); });
    SetFileDialogHandler([](const TFileDialogRequest&) { return QString(); });
    SetOpenDocumentHandler([](const std::string&) { return 42; });
    SetModalHandler(OnModal);
    WriteGettingStartedSession();

#ifdef KRL_HAVE_MAIN_WINDOW
    ModalActions["FormDetailedOutput"] = DetailedOutput;
    ModalActions["FormTableView"] = GraphView;
    ModalActions["FormWaterBalance"] = [](QDialog& D) {
      return LookOnly(D, "water-balance", QSize(640, 480));
    };
    ModalActions["FormOutputSummary"] = SummaryOutput;
    ModalActions["FormDxEdit"] = [](QDialog& D) { return LookOnly(D, "viewer", QSize(680, 440)); };
    ModalActions["FormAbout"] = [](QDialog& D) { return LookOnly(D, "about"); };
    ModalActions["FormRainfall"] = Rainfall;
    ModalActions["FormSelect"] = SelectVariables;
    ModalActions["FormEditRerun"] = [](QDialog& D) { return LookOnly(D, "edit-rerun"); };
    const auto DefaultActions = ModalActions;
    const QStringList Known = SceneGroups.join(',').split(',');
    for (const QString& Name : SceneName.split(',')) {
      if (!Known.contains(Name)) {
        std::fprintf(stderr, "krlscreenshots: no scene %s\n", qPrintable(Name));
        return 2;
      }
      std::printf("%s\n", qPrintable(Name));
      ModalActions = DefaultActions;
      {
        TFormMain Main;
        Scene(Name, Main);
        Main.hide();
      }
      // The scene is done: a failure after it does not take its pictures again.
      QFile Done(QDir(OutDir).filePath(Name + ".done"));
      Done.open(QIODevice::WriteOnly);
    }
#else
    std::fprintf(stderr, "krlscreenshots: the main window is not built yet; no pictures\n");
#endif
  } catch (const std::exception& E) {
    std::fprintf(stderr, "krlscreenshots: %s\n", E.what());
    return 1;
  }
  std::fflush(stdout);
  return 0;
}
