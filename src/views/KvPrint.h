#pragma once
// Printing of the chart windows, through one replaceable printer handler.
//
// The program prints on the default printer (QPrinterInfo). The user is
// asked first, with the printer's name; Cancel prints nothing, and "Printed!"
// follows the printing. Where there is no printer, the user is offered a PDF
// file instead. Tests install a handler that names a PDF file as the printer.

#include <QString>
#include <functional>

#include "KvChart.h"

// Where prints go: the printer's name (empty: there is no printer) and, for
// a printer that writes a PDF file, that file.
struct TPrinterChoice {
  QString Name;
  QString PdfFile;
};
using TPrinterHandler = std::function<TPrinterChoice()>;
// Installs a handler and answers the one it replaces; an empty function
// restores the default printer.
TPrinterHandler SetPrinterHandler(TPrinterHandler Handler);
// The system's default printer (QPrinterInfo); no name when there is none.
TPrinterChoice DefaultPrinterChoice();

// The confirmation asked before printing on the printer Name.
QString PrintQuestion(const QString& PrinterName);

// The print command of the chart windows: Orientation 0 landscape, 1
// portrait. Asks, prints one page painted by Paint, says "Printed!". Without
// a printer, a PDF file is asked for (PdfName offered) and written instead.
// A page that cannot be printed fails with EKvError.
void PrintGraph(int Orientation, const TPagePainter& Paint, const QString& PdfName);

// Writes one page to the printer or PDF file of Choice.
void PrintPage(const TPrinterChoice& Choice, int Orientation, const TPagePainter& Paint);
