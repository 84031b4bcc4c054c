#pragma once
// For tests that drive the real program on a display from outside (xdotool):
// with KRL_WIDGET_MAP naming a file, the program writes there, a few times a
// second, where its visible windows and named controls are on the screen, so
// that a test clicks on a control found by its name, not at a fixed place.
// Without the variable nothing happens.

class QApplication;

void StartWidgetMap(QApplication& App);
