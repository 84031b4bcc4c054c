#pragma once
// The graph view's tables: TKvTable reads the daily tables of up to two
// detailed output files and fills a curve chart with one curve (or one group
// of curves for a sum entry) per run block found, on the vertical axis chosen
// for its file.
//
// Each file has a catalogue of the columns of its table type: names (the
// table header's words, then one sum entry), units (given, or taken from the
// table's units line) and the descriptions the user picks from. Curves are
// titled run name + "," + label (the weather year) + "(file number)"; the
// x value of a table line is its day number counted from the reference year,
// the first or the last year of the table (the sync option).
//
// The rules that need no Qt are plain functions at the top.

#include <QPointF>
#include <QRectF>
#include <QString>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "KvChart.h"
#include "foundations/DxUtil.h"
#include "output/Observations.h"

class QObject;
class QPainter;
class TDxLine;
class TDxTextFile;

// ---------------------------------------------------------------- rules

enum TSyncOption { soStartYear, soEndYear };

// One column of a table type's catalogue; Units empty = taken from the file.
struct TColumnDef {
  const char* Name;
  const char* Units;
  bool Listed;
  const char* Desc;
};
// The catalogue of table type OutType: 1 potential production, 2
// water-limited with groundwater, 3 water-limited without; empty otherwise.
const std::vector<TColumnDef>& ColumnCatalogue(int OutType);

// The sum entries: the first table column (word number) they draw and the
// names of the columns from there on.
struct TSumEntry {
  const char* Name;
  int FirstColumn;
  std::vector<const char*> Parts;
};
// The sum entry of that name (case-exact); nullptr for any other column.
const TSumEntry* SumEntryOf(const std::string& Name);

// The x value of a table line: Day + (Year - RefYear) x 366 when LeapYear
// else 365. Single columns pass the leap year of the line's year, sum
// entries that of the reference year.
long long TablePointX(int Day, int Year, int RefYear, bool LeapYear);
// The start day of a "start waterbalance" line: the integer three words after
// "emergence" (letter case ignored) when above 0; else -1.
int StartDayOfLine(const TDxLine& Line);
// The line is a table header of the catalogue Names: its words 1 to n-1 are
// names 1 to n-1 (the last name is the sum entry). Fewer than two names
// match every line.
bool HeaderMatchesNames(const TDxLine& Line, const std::vector<std::string>& Names);
// The title of a vertical axis that two files share: the first, four
// blanks, the second; either alone when the other is empty.
std::string JoinAxisTitles(const std::string& First, const std::string& Second);
// The range of a vertical axis holding values from Min to Max: from Min to
// 1.1 x Max. A largest value below zero gets the same margin upwards
// (Max + 0.1 x |Max|), and a range that would be empty gets one unit.
TSpan VertAxisSpan(double Min, double Max);

// ---------------------------------------------------------------- table

enum class TYAxis { Left, Right };

// One output file of the graph.
struct TChartInfo {
  std::string FFullName;
  bool FActive = false;
  std::vector<std::string> FColumnNames;
  std::vector<std::string> FColumnUnits;
  std::vector<std::string> FColumnDesc;
  std::string FXColumn = "DAY";
  std::string FYColumn;
  TYAxis FYAxis = TYAxis::Left;
  std::string FAxisTitle;
};

class TKvTable {
 public:
  TKvTable(QObject* Form, TKvCurveChart* Chart);
  ~TKvTable();
  TKvTable(const TKvTable&) = delete;
  TKvTable& operator=(const TKvTable&) = delete;

  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  const std::string& BottomAxisTitle() const { return FBottomAxisTitle; }
  void SetBottomAxisTitle(const std::string& Value) { FBottomAxisTitle = Value; }
  int UnitOffset() const { return FUnitOffset; }
  void SetUnitOffset(int Value) { FUnitOffset = Value; }
  bool HasReruns() const { return FHasReruns; }
  TSyncOption SyncOption() const { return FSyncOption; }
  const TChartInfo& ChartInfo(int Nr) const { return Info(Nr); }
  TKvCurveChart* Chart() const { return FChart; }
  // The title the last drawing gave a vertical axis (the axis shows it with
  // its blanks kept).
  const std::string& VertAxisTitle(TYAxis Axis) const {
    return FVertAxisTitle[Axis == TYAxis::Right ? 1 : 0];
  }

  // Removes all curves, empties file Nr's catalogue and names its file.
  void Reset(const std::string& FullName, int Nr);
  void AddColumn(const std::string& Name, const std::string& Units, const std::string& Desc, int Nr);
  // Desc found among file Nr's descriptions (letter case ignored): the
  // plotted column becomes the name at that position; else nothing changes.
  void SetYColumnOnDesc(const std::string& Desc, int Nr);
  std::string GetXColumnDesc(int Nr) const;
  std::string GetYColumnDesc(int Nr) const;
  std::string GetYColumnUnit(int Nr) const;
  void SetActive(int Nr, bool Active);
  // The other vertical axis for file Nr.
  void ChangeVertAxis(int Nr);
  // Measured values, drawn at the next Draw as marks beside the curves of
  // file 1: an observation of the plotted column goes with the curve of its
  // run (every run when it names none) whose days span its year and day.
  void SetObservations(std::vector<TObservation> Observations);
  const std::vector<TObservation>& Observations() const { return FObservations; }
  // Takes effect at the next Draw.
  void SetSyncOption(TSyncOption Option) { FSyncOption = Option; }
  void FreeSeries();
  // Rebuilds every curve from the files (busy cursor meanwhile). A failure
  // leaves the curves drawn before it, with their axes, and is passed on.
  void Draw();

  void PrintLandscape() { PrintOrientation(0); }
  void PrintPortrait() { PrintOrientation(1); }
  // 0 landscape, 1 portrait; asks first, see KvPrint.h.
  void PrintOrientation(int aOrientation);
  // The legend of the visible curves, as a printed page shows it.
  QList<TLegendEntry> LegendEntries() const;
  // Paints the chart with its legend onto a page.
  void PaintPage(QPainter& Painter, const QRectF& Target) const;

 private:
  TChartInfo& Info(int Nr);
  const TChartInfo& Info(int Nr) const;
  void DrawFile(int Nr);
  // Reads up to the next table header of file Nr; true when one was found.
  bool FindNextTable(int Nr, std::string& RunName, std::string& Label, int& StartDay);
  void DrawTable(const std::string& RunName, const std::string& Label, int Nr, int StartDay);
  void DrawRunSeries(TKvCurve::TStyle Style, const std::string& RunName, const std::string& Label, int Nr,
                     int XNo, int YNo, int StartDay);
  // Answers the reference year of the points (0 when there are none).
  int AddTablePoints(TKvCurve& Series, int XNo, int YNo, int StartDay);
  void AddObservationMarks(const TKvCurve& Series, const std::string& RunName, const std::string& Var,
                           int RefYear);
  void DrawSumColumns(const TSumEntry& Sum, const std::string& Label, int Nr, int XNo, int StartDay);
  void SetAxisTitles(int Nr);
  void FinishAxes();

  QObject* FForm;
  TKvCurveChart* FChart;
  TDxTextFile* FDataFile = nullptr;  // only while a file is drawn
  std::string FTitle = "Title";
  std::string FBottomAxisTitle;
  int FUnitOffset = 0;
  TSyncOption FSyncOption = soEndYear;
  bool FHasReruns = false;
  TChartInfo FChartInfo[2];
  std::string FVertAxisTitle[2];
  std::vector<TObservation> FObservations;
  // The daily observations by variable and year (positions in FObservations).
  std::map<std::pair<std::string, int>, std::vector<size_t>> FObservationIndex;
};
