#pragma once
// Commands of the windows: a handler connected to a signal inside the error
// guard (an error shows its box and ends the handler, never the event loop),
// and a tool button that shows a menu command's action.

#include <QObject>
#include <utility>

#include "platform/Handlers.h"

class QAction;
class QToolButton;

// Connects Signal of Sender to Body (a callable without arguments), run in
// the error guard whenever the signal comes; the signal's own arguments are
// not passed on.
template <class TSender, class TSignal, class TBody>
QMetaObject::Connection ConnectGuarded(TSender* Sender, TSignal Signal, QObject* Context, TBody Body) {
  return QObject::connect(Sender, Signal, Context, [Body = std::move(Body)] { GuardedCall(Body); });
}

// The same with a handler of the receiving window.
template <class TSender, class TSignal, class TWindow>
QMetaObject::Connection ConnectGuarded(TSender* Sender, TSignal Signal, TWindow* Window,
                                       void (TWindow::*Handler)()) {
  return ConnectGuarded(Sender, Signal, static_cast<QObject*>(Window),
                        [Window, Handler] { (Window->*Handler)(); });
}

// Button runs Command, and is enabled (and checked) exactly when Command is;
// the button keeps its own caption, icon and hint.
void ShowInButton(QToolButton* Button, QAction* Command);
