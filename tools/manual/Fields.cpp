#include "Fields.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <map>
#include <memory>
#include <vector>

#include "Markup.h"
#include "catalogue/KvRange.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvwthr.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvses.h"
#include "session/SessionFields.h"

namespace {

// A session with its defaults: what the pages show and accept at the start.
std::unique_ptr<TKvSession> Session;

QString Num(long double V) { return QString::number(double(V), 'g', 6); }
QString Range(long double Min, long double Max) { return Num(Min) + "\u2009\u2013\u2009" + Num(Max); }

const TRerunVar& Var(const char* Name) {
  const int i = VarCatalogue.IndexOf(Name);
  if (i < 0) throw EManualError{QString("the variable catalogue has no %1").arg(Name)};
  return *VarCatalogue.Objects(i);
}

// The catalogue's range of a keyword, as the session rounds it.
QString CatalogueRange(const char* Name) {
  Var(Name);
  return Range(RangeMin(Name), RangeMax(Name));
}

// What the manual says of a field beyond the field table: the fields of each
// page in the order the page shows them, a range the table cannot give (a
// choice from a list) or a remark after it, and a default in words.
struct TNote {
  const char* Keyword;
  QString Range;      // replaces the range; with a leading ",", follows it
  QString Default;    // replaces the default; with a leading "*", follows it
  QStringList Words;  // a choice: the words of each value from the minimum on
};

const std::vector<TNote>& Notes(const QString& Page) {
  static const std::map<QString, std::vector<TNote>> All = {
      {"General",
       {{"IPRODL", "", "", {"1 (potential)", "2 (and water-limited)", "3 (and nutrient-limited)"}},
        {"IBAL", "", "", {"0 (no summary)", "1 (whole system)", "2 (root zone)", "3 (both)"}},
        {"IOXWL", "", "", {"0 (drought only)", "1 (drought and oxygen shortage)"}}}},
      {"Crop", {{"CRFILE", "the crop files of cropd/", "the first crop", {}}}},
      {"Weather",
       {{"IWEATH", "2 (daily weather files)", "", {}},
        {"CLFILE", "the stations of the format", "the first station", {}}}},
      {"Timer",
       {{"PRDEL", "", "", {}},
        {"ISDAY", "", "", {}},
        {"ISYR", ", within the station's years", "*, else the station's first year", {}},
        {"INYEAR", ", up to the station's last year", "", {}},
        {"ISTCHO", "", "", {"0 (fixed emergence)", "1 (fixed sowing)", "2 (variable sowing)"}},
        {"IDEM", "", "", {}},
        {"IDSOW", "", "", {}},
        {"IDESOW", "", "", {}},
        {"IDLSOW", "", "", {}},
        {"IENCHO", "", "", {"1 (fixed end date)", "2 (maturity)", "3 (earliest of both)"}},
        {"IDAYEN", "", "", {}},
        {"IDURMX", "", "", {}}}},
      {"Soil",
       {{"SOFILE", "the soil files of soild/", "the first soil", {}},
        {"SSI", "", "", {}},
        {"SSMAX", "", "", {}},
        {"IZT", "", "", {"0 (not checked)", "1 (checked)"}},
        {"WAV", "", "", {}},
        {"SMLIM", ", narrowed to the soil's SMW\u2009\u2013\u2009SM0", "the soil's SMW", {}},
        {"ZTI", "", "", {}},
        {"IDRAIN", "", "", {"0 (not checked)", "1 (checked)"}},
        {"DD", "", "", {}},
        {"RDMSOL", "", "", {}},
        {"IFUNRN", "", "", {"0 (fixed)", "1 (function of storm size)"}},
        {"NOTINF", "", "", {}}}},
      {"Nutrients",
       {{"NBASE", "", "", {}},
        {"PBASE", "", "", {}},
        {"KBASE", "", "", {}},
        {"NREC", "", "", {}},
        {"PREC", "", "", {}},
        {"KREC", "", "", {}}}},
      {"Rainfall",
       {{"IRNDAT",
         "2\u2009\u2013\u20093 with daily weather",
         "",
         {"0", "1", "2 (rainfall file)", "3 (weather file)"}},
        {"RAFILE", "the rainfall stations of climd/", "", {}},
        {"ISYRR", ", within the station's years", "the station's first year", {}},
        {"INYRG", ", up to the station's last year", "", {}}}},
      {"Reruns", {{"IOPT2", "2 (no reruns) or 4 (reruns)", "2 (not checked)", {}}}},
  };
  const auto It = All.find(Page);
  if (It == All.end()) throw EManualError{"@fields: no page " + Page};
  return It->second;
}

struct TRow {
  QString Field;
  QString Keyword;  // the model's name; the input file it goes to is said in the text
  QString Unit;
  QString Range;
  QString Default;
};

// The range the page accepts: from the field table, which must agree with
// the catalogue wherever the catalogue knows the keyword.
QString FieldRange(const TSessionField& F) {
  if (!F.Range) return QString();
  const TFieldRange R = F.Range(*Session);
  const QString Text = Range(R.Min, R.Max);
  if (std::string(F.Unit) != "-" && VarCatalogue.IndexOf(F.Keyword) >= 0 && Text != CatalogueRange(F.Keyword))
    throw EManualError{QString("%1: the session's range %2 is not the catalogue's %3")
                           .arg(F.Keyword, Text, CatalogueRange(F.Keyword))};
  return Text;
}

TRow RowOf(const TSessionField& F, const TNote& N) {
  TRow R{QString::fromStdString(F.Name), F.Keyword, F.Unit, FieldRange(F), QString()};
  if (N.Range.startsWith(','))
    R.Range += N.Range;
  else if (!N.Range.isEmpty())
    R.Range = N.Range;
  const QString Value = F.Number ? Num(F.Number(*Session)) : QString::fromStdString(F.Text(*Session));
  const int Choice = F.Number && F.Range ? int(F.Number(*Session) - F.Range(*Session).Min) : -1;
  if (Choice >= 0 && Choice < N.Words.size())
    R.Default = N.Words[Choice];
  else if (N.Default.startsWith('*'))
    R.Default = Value + N.Default.mid(1);
  else
    R.Default = N.Default.isEmpty() ? Value : N.Default;
  return R;
}

std::vector<TRow> Rows(const QString& Page) {
  std::vector<TRow> Out;
  int OnPage = 0;
  for (const TSessionField& F : SessionFields()) OnPage += Page == F.Page;
  for (const TNote& N : Notes(Page)) {
    const TSessionField* F = FindSessionField(N.Keyword);
    if (!F || Page != F->Page)
      throw EManualError{QString("@fields %1: the page has no field %2").arg(Page, N.Keyword)};
    Out.push_back(RowOf(*F, N));
  }
  if (OnPage != int(Out.size()))
    throw EManualError{QString("@fields %1: the manual lists %2 of the page's %3 fields")
                           .arg(Page)
                           .arg(Out.size())
                           .arg(OnPage)};
  // Where one keyword means two things, or a column is not a session field.
  if (Page == "Rainfall") {
    const TKvWeather& W = Session->Weather();
    Out.push_back({"Runs with randomized rain", "INYRG", "runs",
                   Range(W.MinNoOfRunsWithRandomizedRain(), W.MaxNoOfRunsWithRandomizedRain()),
                   Num(W.NoOfRunsWithRandomizedRain())});
  }
  if (Page == "Reruns")
    Out.push_back({"Run name (first column)", "RUNNAM", "text",
                   "at most 6 characters, different in every rerun",
                   "the session name (up to 5 characters) and the rerun's number"});
  return Out;
}

QString Cell(const QString& S) { return "<td>" + Escape(S) + "</td>"; }

}  // namespace

void LoadFieldSources(const QString& CatalogueFile) {
  // No message box can be answered here: any message is a fault of the inputs.
  SetMessageHandler([](const TMessage& M) -> TMsgResult {
    throw EManualError{"message while reading the catalogue: " + QString::fromStdString(M.Text)};
  });
  try {
    LoadVarCatalogue(CatalogueFile.toStdString());
  } catch (const std::exception& E) {
    throw EManualError{CatalogueFile + ": " + QString::fromStdString(E.what())};
  }
  // The session's file manager makes the program directory current: the
  // catalogue's directory, with the sample DIRECT.INI beside it.
  const QString Here = QDir::currentPath();
  SetExecPath(QFileInfo(CatalogueFile).absolutePath().toStdString() + "/");
  try {
    Session = std::make_unique<TKvSession>();
    Session->Reset();
  } catch (const std::exception& E) {
    QDir::setCurrent(Here);
    throw EManualError{"the session's defaults: " + QString::fromStdString(E.what())};
  }
  QDir::setCurrent(Here);
}

QString FieldTableHtml(const QString& Page) {
  QString H =
      "<table class=\"fields\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
      "<thead><tr><th width=\"36%\">Field</th><th width=\"11%\">Keyword</th><th width=\"14%\">Unit</th>"
      "<th width=\"21%\">Range</th><th width=\"18%\">Default</th></tr></thead>\n<tbody>\n";
  for (const TRow& R : Rows(Page)) {
    QString Unit = R.Unit;
    if (Unit.isEmpty() || Unit == "-") Unit = "\u2013";
    H += "<tr>" + Cell(R.Field) + "<td><code>" + Escape(R.Keyword) + "</code></td>" + Cell(Unit) +
         Cell(R.Range) + Cell(R.Default) + "</tr>\n";
  }
  return H + "</tbody></table>\n";
}

QString VariableTableHtml(const QString& FileCode) {
  static const QMap<QString, QString> Types = {
      {"C", "text"},           {"I", "whole number"},
      {"R", "decimal"},        {"SD", "table over development stage"},
      {"SP", "table over pF"}, {"ST", "table over temperature"}};
  QString H =
      "<table class=\"fields\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n"
      "<thead><tr><th width=\"11%\">Name</th><th width=\"17%\">Range</th><th width=\"17%\">Type</th>"
      "<th width=\"55%\">Meaning</th></tr></thead>\n<tbody>\n";
  int Count = 0;
  for (int i = 0; i < VarCatalogue.Count(); ++i) {
    const TRerunVar& V = *VarCatalogue.Objects(i);
    if (QString::fromStdString(V.FileType()) != FileCode) continue;
    const QString Type = QString::fromStdString(V.VarType());
    const bool Text = Type == "C";
    // The catalogue's own bounds, unrounded: they check rerun values.
    const QString R = Text ? QString("\u2013") : Num(V.Min()) + "\u2009\u2013\u2009" + Num(V.Max());
    H += "<tr><td><code>" + Escape(QString::fromStdString(V.Description())) + "</code></td>" + Cell(R) +
         Cell(Types.value(Type, Type)) + Cell(QString::fromStdString(V.Meaning())) + "</tr>\n";
    ++Count;
  }
  if (Count == 0)
    throw EManualError{"@variables: the catalogue has no variable of the file code " + FileCode};
  return H + "</tbody></table>\n";
}
