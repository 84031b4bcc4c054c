#pragma once
// Parts the windows build alike: the result windows' page control, the
// header texts of a run, labels, run selectors, output tables and their
// filling, buttons and the button row at a window's foot, the window layout,
// and the read-only field style.

#include <QSize>
#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <initializer_list>
#include <string>
#include <vector>

class QComboBox;
class QDialog;
class QHBoxLayout;
class QLabel;
class QLayout;
class QPushButton;
class QWidget;
class TDxStringGrid;
class TKvFileManager;
class TOutputLine;

// A page control whose tabs are at least TabWidth pixels wide (more with a
// larger font).
class TResultPages : public QTabWidget {
  Q_OBJECT
 public:
  TResultPages(int TabWidth, QWidget* Parent);
};

// "Name (file shortened to 50 characters)", or Name alone when File is empty.
QString NameAndFile(const std::string& Name, const std::string& File);
// A label showing a run's name with its file: the text as above, the full
// file as its hint.
void ShowNameAndFile(QLabel* Label, const std::string& Name, const std::string& File);
// A width of the design, widened as a larger font needs.
int ScaledWidth(const QWidget* W, int Width);
// The width of a result table's columns: that of the design, but never too
// narrow for a value of the model's tables (eight characters).
int TableColWidth(const QWidget* W, int Width);
// Fills a result table in one step (Rows[r][c], fixed rows first); the
// column widths the user set and hidden columns stay when the number of
// columns does.
void FillTable(TDxStringGrid* Grid, int Cols, const std::vector<QStringList>& Rows);
// Values From..From+Count-1 of a row as texts for a table.
QStringList RowTexts(const TOutputLine& Line, int From, int Count);
// A result table never shows fewer than Rows rows below its header.
void SetMinimumRows(TDxStringGrid* Grid, int Rows);
// Gives Window its layout Content: never smaller than Minimum nor than its
// controls need (with any font), first shown at Initial (or larger) in the
// middle of the screen.
void LayOutResultWindow(QDialog* Window, QLayout* Content, QSize Minimum, QSize Initial);
// The session's file manager; EKvError when there is no session.
TKvFileManager& SessionFiles();

// A label of plain text, named when Name is given.
QLabel* NewLabel(QWidget* Parent, const QString& Text, const char* Name = nullptr);
// A label that shows a value from the output: plain text and selectable. A
// long one (a name with its file, a title line) never widens the window: it
// takes the room there is.
QLabel* NewValue(QWidget* Parent, const char* Name, bool Long = false);
// A list to choose a run, a year or a rain year from.
QComboBox* NewSelector(QWidget* Parent, const char* Name);
// A push button named Name that Return in a field does not press.
QPushButton* NewButton(const QString& Caption, const char* Name);
// The row at a window's foot: the buttons Left at its left, Right at its
// right end.
QHBoxLayout* NewButtonRow(std::initializer_list<QWidget*> Left, QWidget* Right);
// An output table: FixedRows header rows, whole rows selected, columns of
// ColWidth (scaled to the font) that the user can widen.
TDxStringGrid* NewTable(QWidget* Parent, const char* Name, int ColWidth, int FixedRows);
// A read-only field on a light cyan ground; its text stays as dark as an
// enabled field's when it is disabled.
void SetReadOnlyFieldStyle(QWidget* Field);
