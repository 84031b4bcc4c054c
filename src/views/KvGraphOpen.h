#pragma once
// The detailed output window's graph button: the graph view of the shown
// page's table, or the water balance chart of the selected run and year.

#include <QString>

class QWidget;
class TDetailedOutput;

// Page 0 potential, 1 water-limited (HasGroundwater picks the table type and
// title), 2 water balance; other pages do nothing. Fails with
// "File '<name>' not found" when the output file has gone.
void DetailedGraph(QWidget* Owner, int Page, TDetailedOutput& OutputData, bool HasGroundwater,
                   const QString& RunName, const QString& RunYear, const QString& RainYear);
