#include "KvTable.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "ChartExport.h"
#include "KvPrint.h"
#include "QtHandlers.h"
#include "foundations/DxLine.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "foundations/ScopedValue.h"
#include "foundations/TextCase.h"

// ---------------------------------------------------------------- rules

const std::vector<TColumnDef>& ColumnCatalogue(int OutType) {
  static const std::vector<TColumnDef> Potential = {
      {"YEAR", "n", false, "Year number (YEAR)"},
      {"DAY", "n", false, "Day number (DAY)"},
      {"IDSEM", "-", false, "Day number after sowing (IDSEM)"},
      {"DVS", "-", true, "Development Stage (DVS)"},
      {"TSUM", "", true, "Temperature Sum (TSUM)"},
      {"WLV", "", true, "Living Leaves (WLV)"},
      {"WST", "", true, "Living Stems (WST)"},
      {"WSO", "", true, "Living Storage Organs (WSO)"},
      {"TAGP", "", true, "Total Above Ground Production (TAGP)"},
      {"LAI", "", true, "Leaf Area Index (LAI)"},
      {"TRA", "", true, "Transpiration Rate (TRA)"},
      {"GASS", "", true, "Gross Assimilation Rate (GASS)"},
      {"MRES", "", true, "Maintenance Respiration Rate (MRES)"},
      {"DMI", "", true, "Dry Matter Increase Rate (DMI)"},
      {"WLV+WST+WSO=TAGP", "kg/ha", true, "WLV + WST + WSO = TAGP"},
  };
  static const std::vector<TColumnDef> WithGroundwater = {
      {"YEAR", "n", false, "Year number (YEAR)"},
      {"DAY", "n", false, "Day Number (DAY)"},
      {"WLV", "", true, "Living Leaves (WLV)"},
      {"WST", "", true, "Living Stems (WST)"},
      {"WSO", "", true, "Living Storage Organs (WSO)"},
      {"LAI", "", true, "Leaf Area Index (LAI)"},
      {"RD", "", true, "Actual Rooting Depth (RD)"},
      {"RAIN", "", true, "Total Rainfall (RAIN)"},
      {"TRA", "", true, "Transpiration Rate (TRA)"},
      {"EVAP", "", true, "Evaporation Rate from Soil (EVAP)"},
      {"SM", "", true, "Soil Moisture Content (SM)"},
      {"SS", "", true, "Surface Storage(SS)"},
      {"ZT", "", true, "Groundwater Table Depth(ZT)"},
      {"wet", "", true, "Days with stress conditions (too wet) (wet)"},
      {"dry", "", true, "Days with stress conditions (too dry) (dry)"},
      {"TRA+EVAP", "mm/d", true, "TRA + EVAP"},
  };
  static const std::vector<TColumnDef> WithoutGroundwater = {
      {"YEAR", "n", false, "Year number (YEAR)"},
      {"DAY", "n", false, "Day Number (DAY)"},
      {"WLV", "", true, "Living Leaves (WLV)"},
      {"WST", "", true, "Living Stems (WST)"},
      {"WSO", "", true, "Living Storage Organs (WSO)"},
      {"TAGP", "", true, "Total Above Ground Production (TAGP)"},
      {"LAI", "", true, "Leaf Area Index (LAI)"},
      {"RD", "", true, "Actual Rooting Depth (RD)"},
      {"SM", "", true, "Soil Moisture Content (SM)"},
      {"RESRV", "", true, "Potential Available Water Capacity (in and below actual root zone) (RESRV)"},
      {"AVAIL", "", true, "Actual Available Water Capacity (in actual root zone) (AVAIL)"},
      {"RAIN", "", true, "Total Rainfall in Simulated Period (RAIN)"},
      {"TRA", "", true, "Transpiration Rate (TRA)"},
      {"EVA", "", true, "Evaporation Rate from Soil (EVA)"},
      {"wet", "", true, "Days with stress conditions (too wet) (wet)"},
      {"dry", "", true, "Days with stress conditions (too dry) (dry)"},
      {"RESRV+AVAIL", "cm", true, "RESRV + AVAIL"},
  };
  static const std::vector<TColumnDef> None;
  switch (OutType) {
    case 1: return Potential;
    case 2: return WithGroundwater;
    case 3: return WithoutGroundwater;
    default: return None;
  }
}

const TSumEntry* SumEntryOf(const std::string& Name) {
  static const TSumEntry Entries[] = {
      {"WLV+WST+WSO=TAGP", 6, {"WLV", "WST", "WSO", "TAGP"}},
      {"TRA+EVAP", 9, {"TRA", "EVAP"}},
      {"RESRV+AVAIL", 10, {"RESRV", "AVAIL"}},
  };
  for (const TSumEntry& E : Entries)
    if (Name == E.Name) return &E;
  return nullptr;
}

long long TablePointX(int Day, int Year, int RefYear, bool LeapYear) {
  return Day + static_cast<long long>(Year - RefYear) * (LeapYear ? 366 : 365);
}

int StartDayOfLine(const TDxLine& Line) {
  const int At = Line.IndexOf("emergence");
  if (At < 1) return -1;
  const int Day = IntOrZero(Line.GetWord(At + 3));
  return Day > 0 ? Day : -1;
}

bool HeaderMatchesNames(const TDxLine& Line, const std::vector<std::string>& Names) {
  if (Names.size() < 2) return true;
  for (size_t i = 0; i + 1 < Names.size(); ++i)
    if (!Line.WordIs(static_cast<int>(i) + 1, Names[i].data(), Names[i].size())) return false;
  return true;
}

std::string JoinAxisTitles(const std::string& First, const std::string& Second) {
  if (First.empty()) return Second;
  if (Second.empty()) return First;
  return First + "    " + Second;
}

TSpan VertAxisSpan(double Min, double Max) {
  const double Top = Max + 0.1 * std::fabs(Max);
  if (Top > Min) return {Min, Top};
  return {Min, Min + 1};
}

// ---------------------------------------------------------------- table

namespace {
int IndexOfName(const std::vector<std::string>& Names, const std::string& Name) {
  for (size_t i = 0; i < Names.size(); ++i)
    if (SameText(Names[i], Name)) return static_cast<int>(i);
  return -1;
}

// A line of a daily table as the points need it.
struct TTableRow {
  int Year = 0;
  int Day = 0;
  bool Counts = false;  // year and day are integers, the (first) value a number
  double Values[4] = {0, 0, 0, 0};
  int BadValue = 0;  // the first further sum column that is not a number (1..3)
  std::string BadText;
};

struct TTable {
  std::vector<TTableRow> Rows;
  std::string FirstWordFirst;  // first word of the first and of the last line
  std::string FirstWordLast;
};

// Collects the table from the current line on, up to the first line without
// words or the end of the file: ValueNo and Count further columns per line.
TTable CollectTable(TDxTextFile& F, int XNo, int ValueNo, int Count) {
  TTable T;
  if (F.Line().NoOfWords() == 0) return T;
  do {
    const TDxLine& L = F.Line();
    if (L.NoOfWords() == 0) break;
    TTableRow R;
    std::string First = L.GetWord(1);
    long double V = 0;
    R.Counts = TryStrToInt(First, R.Year) && TryStrToInt(L.GetWord(XNo), R.Day) &&
               TryStrToFloat(L.GetWord(ValueNo), V);
    R.Values[0] = static_cast<double>(V);
    for (int k = 1; R.Counts && k < Count && !R.BadValue; ++k) {
      const std::string W = L.GetWord(ValueNo + k);
      if (TryStrToFloat(W, V))
        R.Values[k] = static_cast<double>(V);
      else
        R.BadValue = k, R.BadText = W;
    }
    if (T.Rows.empty()) T.FirstWordFirst = First;
    T.FirstWordLast = std::move(First);
    T.Rows.push_back(std::move(R));
  } while (F.NextLine());
  return T;
}
}  // namespace

TKvTable::TKvTable(QObject* Form, TKvCurveChart* Chart) : FForm(Form), FChart(Chart) {
  FChartInfo[0].FActive = true;
  FChartInfo[1].FYAxis = TYAxis::Right;
}

TKvTable::~TKvTable() { FreeSeries(); }

TChartInfo& TKvTable::Info(int Nr) {
  if (Nr != 1 && Nr != 2) throw ERangeError();
  return FChartInfo[Nr - 1];
}

const TChartInfo& TKvTable::Info(int Nr) const { return const_cast<TKvTable*>(this)->Info(Nr); }

void TKvTable::Reset(const std::string& FullName, int Nr) {
  FreeSeries();
  TChartInfo& I = Info(Nr);
  I.FColumnNames.clear();
  I.FColumnUnits.clear();
  I.FColumnDesc.clear();
  I.FFullName = FullName;
}

void TKvTable::AddColumn(const std::string& Name, const std::string& Units, const std::string& Desc, int Nr) {
  TChartInfo& I = Info(Nr);
  I.FColumnNames.push_back(Name);
  I.FColumnUnits.push_back(Units);
  I.FColumnDesc.push_back(Desc);
}

void TKvTable::SetYColumnOnDesc(const std::string& Desc, int Nr) {
  TChartInfo& I = Info(Nr);
  const int At = IndexOfName(I.FColumnDesc, Desc);
  if (At >= 0) I.FYColumn = I.FColumnNames[At];
}

std::string TKvTable::GetXColumnDesc(int Nr) const {
  const TChartInfo& I = Info(Nr);
  const int At = IndexOfName(I.FColumnNames, I.FXColumn);
  return At >= 0 ? I.FColumnDesc[At] : std::string();
}

std::string TKvTable::GetYColumnDesc(int Nr) const {
  const TChartInfo& I = Info(Nr);
  const int At = IndexOfName(I.FColumnNames, I.FYColumn);
  return At >= 0 ? I.FColumnDesc[At] : std::string();
}

std::string TKvTable::GetYColumnUnit(int Nr) const {
  const TChartInfo& I = Info(Nr);
  const int At = IndexOfName(I.FColumnNames, I.FYColumn);
  return At >= 0 ? I.FColumnUnits[At] : std::string();
}

void TKvTable::SetActive(int Nr, bool Active) { Info(Nr).FActive = Active; }

void TKvTable::ChangeVertAxis(int Nr) {
  TChartInfo& I = Info(Nr);
  I.FYAxis = I.FYAxis == TYAxis::Right ? TYAxis::Left : TYAxis::Right;
}

void TKvTable::FreeSeries() {
  if (FChart) FChart->ClearCurves();
}

void TKvTable::Draw() {
  TBusyCursor Busy;
  FreeSeries();
  FChart->SetTitle(FromCore(FTitle));
  try {
    DrawFile(1);
    DrawFile(2);
  } catch (...) {
    // What was drawn before the failure stays, with its axes.
    FinishAxes();
    throw;
  }
  FinishAxes();
}

void TKvTable::DrawFile(int Nr) {
  const TChartInfo& I = Info(Nr);
  if (!I.FActive || I.FFullName.empty()) return;
  TDxTextFile File(I.FFullName);
  // The file is the table reader's only while this one is drawn.
  const TScopedValue<TDxTextFile*> Reading(FDataFile, &File);
  while (!File.Eof()) {
    std::string RunName, Label;
    int StartDay = -1;
    FindNextTable(Nr, RunName, Label, StartDay);
    DrawTable(RunName, Label, Nr, StartDay);
  }
}

bool TKvTable::FindNextTable(int Nr, std::string& RunName, std::string& Label, int& StartDay) {
  TDxTextFile& F = *FDataFile;
  RunName.clear();
  Label.clear();
  StartDay = -1;
  bool Found = false;
  while (F.NextLine()) {
    if (F.Line().WordIs(1, "RUNNAM", 6) && F.Line().WordIs(2, "->", 2)) {
      RunName = F.Line().GetWord(3);
      F.SkipUntil({"RERUNS", "->"});
      FHasReruns = F.Line().GetWord(3) != "no";
      F.SkipUntil({"WEATHER->"});
      F.NextLine();
      Label = F.Line().LastWord();
    }
    const TDxLine& L = F.Line();
    if (L.WordIs(1, "start", 5) && L.WordIs(2, "waterbalance", 12)) {
      const int Day = StartDayOfLine(L);
      if (Day > 0) StartDay = Day;
    }
    if (HeaderMatchesNames(L, Info(Nr).FColumnNames)) {
      Found = true;
      break;
    }
  }
  if (!RunName.empty() && StartDay < 0) throw EPlainError("No emergence date found in " + F.FileName());
  return Found;
}

void TKvTable::DrawTable(const std::string& RunName, const std::string& Label, int Nr, int StartDay) {
  TDxTextFile& F = *FDataFile;
  if (F.Eof() || RunName.empty()) return;
  const TChartInfo& I = Info(Nr);
  const int XNo = F.Line().GetNo(I.FXColumn);
  const int YNo = F.Line().GetNo(I.FYColumn);
  if (XNo == 0) return;
  F.SkipBlankLines();
  const std::string SeriesLabel = RunName + "," + Label;
  if (const TSumEntry* Sum = SumEntryOf(I.FYColumn)) {
    SetAxisTitles(Nr);
    F.SkipUntilFloat();
    DrawSumColumns(*Sum, SeriesLabel, Nr, XNo, StartDay);
  } else if (YNo > 0) {
    SetAxisTitles(Nr);
    F.SkipUntilFloat();
    const bool Bars = I.FYColumn == "wet" || I.FYColumn == "dry";
    DrawRunSeries(Bars ? TKvCurve::Bars : TKvCurve::Line, RunName, SeriesLabel, Nr, XNo, YNo, StartDay);
  }
}

void TKvTable::DrawRunSeries(TKvCurve::TStyle Style, const std::string& RunName, const std::string& Label,
                             int Nr, int XNo, int YNo, int StartDay) {
  const Qt::Alignment Side = Info(Nr).FYAxis == TYAxis::Right ? Qt::AlignRight : Qt::AlignLeft;
  TKvCurve* Series = FChart->AddCurve(FromCore(Label + "(" + std::to_string(Nr) + ")"), Style, Side);
  const int RefYear = AddTablePoints(*Series, XNo, YNo, StartDay);
  if (Nr == 1 && RefYear && !FObservations.empty())
    AddObservationMarks(*Series, RunName, Info(Nr).FYColumn, RefYear);
}

void TKvTable::SetObservations(std::vector<TObservation> Observations) {
  FObservations = std::move(Observations);
  FObservationIndex.clear();
  for (size_t i = 0; i < FObservations.size(); ++i)
    if (!FObservations[i].Season)
      FObservationIndex[{FObservations[i].Var, FObservations[i].Year}].push_back(i);
}

void TKvTable::AddObservationMarks(const TKvCurve& Series, const std::string& RunName, const std::string& Var,
                                   int RefYear) {
  if (Series.count() == 0 || Info(1).FXColumn != "DAY") return;
  const double First = Series.at(0).x(), Last = Series.at(Series.count() - 1).x();
  QList<QPointF> Points;
  QList<qreal> Deviations;
  // A table holds one season, which may cross the turn of a year.
  for (int Year = RefYear - 1; Year <= RefYear + 1; ++Year) {
    const auto It = FObservationIndex.find({Var, Year});
    if (It == FObservationIndex.end()) continue;
    for (const size_t i : It->second) {
      const TObservation& O = FObservations[i];
      if (!(O.RunName.empty() || SameText(O.RunName, RunName))) continue;
      const double X = static_cast<double>(TablePointX(O.Day, O.Year, RefYear, IsLeapYear(O.Year)));
      if (X < First || X > Last) continue;
      Points.append(QPointF(X, O.Value));
      Deviations.append(O.SD.value_or(0));
    }
  }
  if (Points.isEmpty()) return;
  TKvCurve* Marks = FChart->AddCurve(Series.name() + " measured", TKvCurve::Marks, Series.VertAxis());
  Marks->setColor(Series.Color());
  Marks->SetDeviations(Deviations);
  Marks->replace(Points);
}

int TKvTable::AddTablePoints(TKvCurve& Series, int XNo, int YNo, int StartDay) {
  const TTable T = CollectTable(*FDataFile, XNo, YNo, 1);
  if (T.Rows.empty()) return 0;
  const int RefYear = StrToInt(FSyncOption == soStartYear ? T.FirstWordFirst : T.FirstWordLast);
  QList<QPointF> Points;
  Points.reserve(static_cast<qsizetype>(T.Rows.size()));
  for (const TTableRow& R : T.Rows) {
    if (!R.Counts || (Points.isEmpty() && R.Day != StartDay)) continue;
    const double X = static_cast<double>(TablePointX(R.Day, R.Year, RefYear, IsLeapYear(R.Year)));
    Points.append(QPointF(X, R.Values[0]));
  }
  Series.replace(Points);
  return RefYear;
}

void TKvTable::DrawSumColumns(const TSumEntry& Sum, const std::string& Label, int Nr, int XNo, int StartDay) {
  const Qt::Alignment Side = Info(Nr).FYAxis == TYAxis::Right ? Qt::AlignRight : Qt::AlignLeft;
  const int Count = static_cast<int>(Sum.Parts.size());
  std::vector<TKvCurve*> Series;
  for (const char* Part : Sum.Parts)
    Series.push_back(FChart->AddCurve(FromCore(Label + "," + Part + "(" + std::to_string(Nr) + ")"),
                                      TKvCurve::Line, Side));
  const TTable T = CollectTable(*FDataFile, XNo, Sum.FirstColumn, Count);
  if (T.Rows.empty()) return;
  const int RefYear = StrToInt(FSyncOption == soStartYear ? T.FirstWordFirst : T.FirstWordLast);
  const bool Leap = IsLeapYear(RefYear);
  std::vector<QList<QPointF>> Points(Count);
  bool Started = false;
  for (const TTableRow& R : T.Rows) {
    if (!R.Counts || (!Started && R.Day != StartDay)) continue;
    Started = true;
    const double X = static_cast<double>(TablePointX(R.Day, R.Year, RefYear, Leap));
    if (R.BadValue) {
      // The columns before the bad one get their point, as they would one by one.
      for (int k = 0; k < R.BadValue; ++k) Points[k].append(QPointF(X, R.Values[k]));
      for (int k = 0; k < Count; ++k) Series[k]->replace(Points[k]);
      (void)StrToFloat(R.BadText);  // fails with the conversion error
    }
    for (int k = 0; k < Count; ++k) Points[k].append(QPointF(X, R.Values[k]));
  }
  for (int k = 0; k < Count; ++k) Series[k]->replace(Points[k]);
}

void TKvTable::SetAxisTitles(int Nr) {
  TChartInfo& I = Info(Nr);
  const TDxLine& L = FDataFile->Line();
  I.FAxisTitle = I.FYColumn;
  FBottomAxisTitle = I.FXColumn;
  const int N = static_cast<int>(I.FColumnNames.size());
  for (int i = 1; i <= N - FUnitOffset; ++i) {
    const int At = FUnitOffset + i - 1;
    if (At >= 0 && At < N && I.FColumnUnits[At].empty()) I.FColumnUnits[At] = L.GetWord(i);
  }
  const std::string YUnit = GetYColumnUnit(Nr);
  if (!YUnit.empty()) I.FAxisTitle += " (" + YUnit + ")";
  const int XAt = IndexOfName(I.FColumnNames, I.FXColumn);
  if (XAt >= 0 && !I.FColumnUnits[XAt].empty()) FBottomAxisTitle += " (" + I.FColumnUnits[XAt] + ")";
}

void TKvTable::FinishAxes() {
  std::string Titles[2];
  for (int Nr = 1; Nr <= 2; ++Nr) {
    const TChartInfo& I = Info(Nr);
    if (!I.FActive || I.FAxisTitle.empty()) continue;
    std::string& T = Titles[I.FYAxis == TYAxis::Right ? 1 : 0];
    T = JoinAxisTitles(T, I.FAxisTitle);
  }
  const double Inf = std::numeric_limits<double>::infinity();
  double XMin = Inf, XMax = -Inf;
  double YMin[2] = {Inf, Inf}, YMax[2] = {-Inf, -Inf};
  bool Used[2] = {false, false};
  for (const TKvCurve* C : FChart->Curves()) {
    const int Side = C->VertAxis() == Qt::AlignRight ? 1 : 0;
    Used[Side] = true;
    const QList<QPointF> Pts = C->points();
    const double Half = C->Style() == TKvCurve::Bars ? TKvCurveChart::BarWidth(Pts) / 2 : 0;
    const QList<qreal>& SD = C->Deviations();
    for (qsizetype i = 0; i < Pts.size(); ++i) {
      const QPointF& P = Pts[i];
      const double Spread = i < SD.size() ? SD[i] : 0;
      XMin = std::min(XMin, P.x() - Half);
      XMax = std::max(XMax, P.x() + Half);
      YMin[Side] = std::min(YMin[Side], P.y() - Spread);
      YMax[Side] = std::max(YMax[Side], P.y() + Spread);
    }
  }
  TSpan Y[2] = {{0, 1}, {0, 1}};
  for (int s = 0; s < 2; ++s)
    if (YMin[s] <= YMax[s]) Y[s] = VertAxisSpan(YMin[s], YMax[s]);
  TSpan X{0, 1};
  if (XMin < XMax)
    X = {XMin, XMax};
  else if (XMin == XMax)
    X = {XMin - 1, XMax + 1};
  FVertAxisTitle[0] = Titles[0];
  FVertAxisTitle[1] = Titles[1];
  FChart->AxisLeft()->setTitleText(AxisTitleText(FromCore(Titles[0])));
  FChart->AxisRight()->setTitleText(AxisTitleText(FromCore(Titles[1])));
  FChart->AxisX()->setTitleText(AxisTitleText(FromCore(FBottomAxisTitle)));
  FChart->AxisLeft()->setVisible(Used[0]);
  FChart->AxisRight()->setVisible(Used[1]);
  FChart->AxisX()->setVisible(Used[0] || Used[1]);
  FChart->SetWholeRanges(X, Y[0], Y[1]);
}

QList<TLegendEntry> TKvTable::LegendEntries() const {
  QList<TLegendEntry> Entries;
  for (const TKvCurve* C : FChart->Curves())
    if (C->isVisible())
      Entries.append({C->name(), C->Color(), C->Style() == TKvCurve::Bars, C->Style() == TKvCurve::Marks});
  return Entries;
}

void TKvTable::PaintPage(QPainter& Painter, const QRectF& Target) const {
  PaintChartPage(Painter, Target, *FChart, LegendEntries());
}

void TKvTable::PrintOrientation(int aOrientation) {
  const TChartInfo& I = Info(1);
  const QString Name =
      GraphImageName(FromCore(I.FFullName), FromCore(FTitle), FromCore(I.FYColumn), *FChart, "pdf");
  PrintGraph(
      aOrientation, [this](QPainter& P, const QRectF& R) { PaintPage(P, R); }, Name);
}
