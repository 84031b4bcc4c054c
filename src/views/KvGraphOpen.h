#pragma once
// The detailed output window's graph button: the graph view of the shown
// page's table, or the water balance chart of the selected run and year.
//
// The windows are modal: TFormTableView (objectName "FormTableView") and
// TFormWaterBalance ("FormWaterBalance"), owned by Owner while shown and
// released when closed.

#include <QString>

class QWidget;
class TDetailedOutput;

// The graph view's titles, help contexts, table types and unit offsets for
// page 0 and for page 1 with and without groundwater.
struct TGraphKind {
  const char* Title;
  int HelpContext;
  int OutType;
  int UnitOffset;
};
// Page 0 or 1; nullptr for other pages.
const TGraphKind* GraphKindOf(int Page, bool HasGroundwater);

// Page 0 potential, 1 water-limited (HasGroundwater picks the table type and
// title), 2 water balance; other pages do nothing. Fails with EKvError
// "File '<name>' not found" when the output file has gone. A graph view that
// cannot be built (also when its first drawing fails) is reported as
// "Failed to create graph." in an error box.
void DetailedGraph(QWidget* Owner, int Page, TDetailedOutput& OutputData, bool HasGroundwater,
                   const QString& RunName, const QString& RunYear, const QString& RainYear);
