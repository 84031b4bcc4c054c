#include "WidgetMap.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QSaveFile>
#include <QTabBar>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

namespace {
void Line(QTextStream& Out, const QString& Name, const QRect& R) {
  Out << Name << ' ' << R.x() << ' ' << R.y() << ' ' << R.width() << ' ' << R.height() << '\n';
}

QRect Global(const QWidget* W, const QRect& Local) {
  return QRect(W->mapToGlobal(Local.topLeft()), Local.size());
}

// One line a control: its name and its rectangle on the screen (x y w h);
// list entries as NAME[ROW] and as NAME:ENTRY-TEXT, the tabs of a page control as NAME:TAB-TEXT,
// windows as "window TITLE".
void WriteMap(const QString& File) {
  QSaveFile F(File);
  if (!F.open(QIODevice::WriteOnly | QIODevice::Text)) return;
  QTextStream Out(&F);
  for (QWidget* Top : QApplication::topLevelWidgets()) {
    if (!Top->isVisible()) continue;
    Out << "window " << Top->windowTitle().replace('\n', ' ') << '\n';
    Line(Out, "geometry:" + Top->objectName(), Top->frameGeometry());
    for (QWidget* W : Top->findChildren<QWidget*>()) {
      if (W->objectName().isEmpty() || !W->isVisible()) continue;
      Line(Out, W->objectName(), Global(W, W->rect()));
      if (auto* L = qobject_cast<QListWidget*>(W)) {
        for (int i = 0; i < L->count(); ++i) {
          const QRect R = L->visualItemRect(L->item(i));
          if (R.isEmpty()) continue;
          Line(Out, QString("%1[%2]").arg(W->objectName()).arg(i), Global(L->viewport(), R));
          Line(Out, W->objectName() + ":" + L->item(i)->text().trimmed().replace(' ', '_'),
               Global(L->viewport(), R));
        }
      } else if (auto* T = qobject_cast<QTabWidget*>(W)) {
        const QTabBar* Bar = T->tabBar();
        for (int i = 0; i < Bar->count(); ++i)
          if (T->isTabVisible(i))
            Line(Out, W->objectName() + ":" + Bar->tabText(i).remove('&').replace(' ', '_'),
                 Global(Bar, Bar->tabRect(i)));
      }
    }
  }
  F.commit();
}
}  // namespace

void StartWidgetMap(QApplication& App) {
  const QString File = qEnvironmentVariable("KRL_WIDGET_MAP");
  if (File.isEmpty()) return;
  auto* Timer = new QTimer(&App);
  QObject::connect(Timer, &QTimer::timeout, &App, [File] { WriteMap(File); });
  Timer->start(200);
}
