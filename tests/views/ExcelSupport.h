#pragma once
// Support of the export tests: the desktop's opener replaced by a recorder,
// and a written workbook read back with an independent reader (openpyxl of
// the system's Python; the test is skipped when it is not installed).

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <map>
#include <string>
#include <vector>

#include "platform/Handlers.h"
#include "platform/Shell.h"

// Records every document the program asks the desktop to open and answers
// as told (above 32: an application opened it).
class TOpenRecorder {
 public:
  explicit TOpenRecorder(int Answer = ShellCode::Ok) {
    FOld = SetOpenDocumentHandler([this, Answer](const std::string& Name) {
      Opened.push_back(Name);
      return Answer;
    });
  }
  ~TOpenRecorder() { SetOpenDocumentHandler(std::move(FOld)); }
  std::vector<std::string> Opened;

 private:
  TOpenDocumentHandler FOld;
};

// One cell as openpyxl reads it.
struct TReadCell {
  std::string Type;   // "n" number, "s" text
  std::string Value;  // repr of the value for numbers, the text for texts
  bool Bold = false;
  bool Italic = false;
  std::string Font;
  std::string NumberFormat;
};

struct TReadBook {
  std::vector<std::string> Sheets;
  // Sheet name -> "A1" style coordinate -> cell.
  std::map<std::string, std::map<std::string, TReadCell>> Cells;
};

// The Python that has openpyxl (the system's first: another one on PATH may
// lack the system's packages), or empty.
inline QString PythonWithOpenpyxl() {
  static const QString Found = [] {
    for (const QString& P : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
      QProcess Py;
      Py.start(P, {"-c", "import openpyxl"});
      if (Py.waitForFinished(20000) && Py.exitStatus() == QProcess::NormalExit && Py.exitCode() == 0)
        return P;
    }
    return QString();
  }();
  return Found;
}

// Reads Path with openpyxl; false (with a failure added) when it cannot.
inline bool ReadBackWorkbook(const QString& Path, TReadBook& Book) {
  static const char* Script = R"PY(
import sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
out = []
for ws in wb.worksheets:
    out.append("S\t" + ws.title)
    for row in ws.iter_rows():
        for c in row:
            if c.value is None:
                continue
            v = c.value
            t = "n" if isinstance(v, (int, float)) and not isinstance(v, bool) else "s" if isinstance(v, str) else "?"
            text = repr(v) if t == "n" else str(v)
            out.append("\t".join(["C", c.coordinate, t, text.replace("\t", " ").replace("\n", " "),
                                  "1" if c.font.b else "0", "1" if c.font.i else "0",
                                  str(c.font.name), str(c.number_format)]))
sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))
)PY";
  QProcess Py;
  Py.start(PythonWithOpenpyxl(), {"-c", Script, Path});
  if (!Py.waitForFinished(60000) || Py.exitCode() != 0) {
    ADD_FAILURE() << "openpyxl could not read " << Path.toStdString() << ": "
                  << Py.readAllStandardError().toStdString();
    return false;
  }
  std::string Current;
  for (const QString& Line : QString::fromUtf8(Py.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
    const QStringList F = Line.split('\t');
    if (F[0] == "S") {
      Current = F.value(1).toStdString();
      Book.Sheets.push_back(Current);
    } else if (F[0] == "C" && F.size() >= 8) {
      TReadCell C;
      C.Type = F[2].toStdString();
      C.Value = F[3].toStdString();
      C.Bold = F[4] == "1";
      C.Italic = F[5] == "1";
      C.Font = F[6].toStdString();
      C.NumberFormat = F[7].toStdString();
      Book.Cells[Current][F[1].toStdString()] = C;
    }
  }
  return true;
}

#define SKIP_WITHOUT_OPENPYXL()                                                              \
  do {                                                                                       \
    if (PythonWithOpenpyxl().isEmpty()) GTEST_SKIP() << "python3-openpyxl is not installed"; \
  } while (0)
