#pragma once
// Small detailed output files for the graph tests, written in the model's
// layout (docs of the output files): run blocks with a potential or a
// water-limited daily table whose values the tests can predict. And the
// checks of printed and exported PDF files with poppler's tools.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

namespace graphfiles {

struct TRow {
  int Year;
  int Day;
  double Base;  // WLV; WST, WSO and TAGP follow as Base + 1, + 2, + 3
};

inline std::string Num(double V) {
  char Buf[32];
  std::snprintf(Buf, sizeof Buf, "%.1f", V);
  return Buf;
}

inline std::string Header(const std::string& Run, const std::string& Year,
                          const std::string& Reruns = "yes") {
  return "**KORVAL  simplified crop model, detailed output\r\n"
         "RUNNAM -> " +
         Run +
         "\r\n"
         "RERUNS -> " +
         Reruns +
         "\r\n"
         "WEATHER-> name: Test station\r\n"
         " file: ..\\meteo\\merawe\\TST1. start year " +
         Year +
         "\r\n"
         "RAIN-> from: weather data file, rain year " +
         Year +
         "\r\n"
         "CROP     name : Test crop\r\n"
         " file: ..\\cropd\\TEST.CRP\r\n"
         "SOIL     name : Test soil\r\n"
         " file: ..\\soild\\TEST.SOL\r\n"
         "START-> crop: fixed sowing date\r\n"
         "\r\n";
}

// A potential block; Emergence < 0 leaves the dates line out.
inline std::string PotBlock(const std::string& Run, const std::string& Year, int Emergence,
                            const std::vector<TRow>& Rows, const std::string& Reruns = "yes") {
  std::string S = Header(Run, Year, Reruns);
  if (Emergence >= 0)
    S += "start waterbalance day 1 sowing date day 90 emergence date day " + std::to_string(Emergence) +
         "\r\n\r\n";
  S += "POTENTIAL CROP PRODUCTION\r\n"
       " YEAR DAY IDSEM  DVS   TSUM    WLV    WST    WSO   TAGP    LAI   TRA  GASS  MRES     DMI\r\n"
       "                      degrd  kg/ha  kg/ha  kg/ha  kg/ha  m2/m2  mm/d  CH2O  CH2O kg/ha/d\r\n";
  for (const TRow& R : Rows)
    S += " " + std::to_string(R.Year) + " " + std::to_string(R.Day) + " 10 0.50 100.0 " + Num(R.Base) + " " +
         Num(R.Base + 1) + " " + Num(R.Base + 2) + " " + Num(R.Base + 3) + " 0.10 0.20 3.0 0.4 2.0\r\n";
  S += "\r\n   HALT  ANTH  TWRT  TWLV  TWST  TWSO  TAGP HINDEX TRANSP  TRC  GASST  MREST\r\n"
       "    245   190  1200  2100  3400  7100 12600  0.56   310.2  245. 25000  10000\r\n\r\n";
  return S;
}

// A water-limited block without groundwater: wet and dry are Base / 100 and
// Base / 50; the balances are left out.
inline std::string WaterBlock(const std::string& Run, const std::string& Year, int Emergence,
                              const std::vector<TRow>& Rows) {
  std::string S = Header(Run, Year);
  S += "start waterbalance day 1 , sowing date day 90 emergence date day " + std::to_string(Emergence) +
       "\r\n\r\n";
  S += "WATER LIMITED CROP PRODUCTION   (free drainage)\r\n"
       " (daily values)\r\n"
       " rooted-zone water balance, daily values\r\n"
       " depth in cm, water in cm, rates in mm/d\r\n"
       " YEAR DAY WLV WST WSO TAGP LAI RD SM RESRV AVAIL RAIN TRA EVA wet dry\r\n"
       "          kg/ha kg/ha kg/ha kg/ha m2/m2 cm vol.fr cm cm mm mm/d mm/d days days\r\n";
  for (const TRow& R : Rows)
    S += " " + std::to_string(R.Year) + " " + std::to_string(R.Day) + " " + Num(R.Base) + " " +
         Num(R.Base + 1) + " " + Num(R.Base + 2) + " " + Num(R.Base + 3) +
         " 0.10 30 0.25 8.0 4.0 1.2 0.3 0.2 " + std::to_string(static_cast<int>(R.Base) / 100) + " " +
         std::to_string(static_cast<int>(R.Base) / 50) + "\r\n";
  S += "\r\n   HALT  ANTH  TWRT  TWLV  TWST  TWSO  TAGP HINDEX  TRC  GASST  MREST  wet  dry\r\n"
       "    245   190  1200  2100  3400  7100 12600  0.56  245. 25000  10000  3  4\r\n\r\n";
  return S;
}

}  // namespace graphfiles

// ---------------------------------------------------------------- PDF checks

namespace graphfiles {

// The output of a poppler tool (pdfinfo, pdftotext) on a PDF file.
inline QString PopplerOutput(const QString& Tool, const QStringList& Args) {
  QProcess P;
  P.start(Tool, Args);
  if (!P.waitForFinished(20000)) return {};
  return QString::fromUtf8(P.readAllStandardOutput());
}
inline QString PdfInfo(const QString& File) { return PopplerOutput("pdfinfo", {File}); }
inline QString PdfText(const QString& File) { return PopplerOutput("pdftotext", {"-layout", File, "-"}); }
// "Pages: 1" and a landscape page (wider than high) in pdfinfo's answer.
inline bool OneLandscapePage(const QString& Info) {
  const QString Size = Info.section("Page size:", 1).section('\n', 0, 0).trimmed();  // "842 x 595 pts (A4)"
  const double W = Size.section(' ', 0, 0).toDouble(), H = Size.section(' ', 2, 2).toDouble();
  return Info.contains(QRegularExpression("Pages:\\s+1\\n")) && W > H;
}

}  // namespace graphfiles
