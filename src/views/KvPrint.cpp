#include "KvPrint.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <memory>

#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "platform/HandlerSlot.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
THandlerSlot<TPrinterHandler>& Handler() {
  static THandlerSlot<TPrinterHandler> S;
  return S;
}

// Pages are laid out at the screen's 96 dots per inch, so that text in points
// and drawing in pixels keep their proportions on every device.
constexpr int PageDpi = 96;
}  // namespace

TPrinterHandler SetPrinterHandler(TPrinterHandler H) { return Handler().Set(std::move(H)); }

TPrinterChoice DefaultPrinterChoice() {
  const QPrinterInfo Info = QPrinterInfo::defaultPrinter();
  if (Info.isNull()) return {};
  return {Info.printerName(), QString()};
}

QString PrintQuestion(const QString& PrinterName) {
  return "Print current graph to default printer:\n\r" + PrinterName;
}

void PrintPage(const TPrinterChoice& Choice, int Orientation, const TPagePainter& Paint) {
  std::unique_ptr<QPrinter> Printer;
  if (!Choice.PdfFile.isEmpty()) {
    Printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    Printer->setOutputFormat(QPrinter::PdfFormat);
    Printer->setOutputFileName(Choice.PdfFile);
    Printer->setCreator(ApplicationTitle);
  } else {
    const QPrinterInfo Info = QPrinterInfo::printerInfo(Choice.Name);
    Printer = Info.isNull() ? std::make_unique<QPrinter>(QPrinter::ScreenResolution)
                            : std::make_unique<QPrinter>(Info, QPrinter::ScreenResolution);
    Printer->setPrinterName(Choice.Name);
  }
  Printer->setResolution(PageDpi);
  Printer->setPageOrientation(Orientation == 1 ? QPageLayout::Portrait : QPageLayout::Landscape);
  Printer->setDocName(ApplicationTitle);
  QPainter Painter;
  const QString Where = Choice.PdfFile.isEmpty() ? Choice.Name : Choice.PdfFile;
  if (!Painter.begin(Printer.get())) throw EKvError(ToCore("Unable to print to '" + Where + "'"));
  Paint(Painter, QRectF(QPointF(0, 0), Printer->pageRect(QPrinter::DevicePixel).size()));
  if (!Painter.end()) throw EKvError(ToCore("Unable to print to '" + Where + "'"));
}

void PrintGraph(int Orientation, const TPagePainter& Paint, const QString& PdfName) {
  const TPrinterChoice Choice = Handler().Get() ? Handler().Get()() : DefaultPrinterChoice();
  if (!Choice.Name.isEmpty()) {
    if (!ConfirmOkCancel(ToCore(PrintQuestion(Choice.Name)))) return;
    {
      TBusyCursor Busy;
      PrintPage(Choice, Orientation, Paint);
    }
    ShowInfoBox("Printed!");
    return;
  }
  // No printer: a PDF file instead.
  TFileDialogRequest R;
  R.Save = true;
  R.Title = "No printer found - print to PDF file";
  R.Filter = "PDF Files (*.pdf)|*.pdf";
  R.FileName = PdfName;
  R.MustExist = false;
  R.ConfirmOverwrite = true;
  if (TheSession) R.InitialDir = FromCore(MapFileName(TheSession->FileManager().OutPath()));
  QString File = AskFileName(R);
  if (File.isEmpty()) return;
  if (!File.endsWith(".pdf", Qt::CaseInsensitive)) File += ".pdf";
  {
    TBusyCursor Busy;
    PrintPage({QString(), File}, Orientation, Paint);
  }
  ShowInfoBox(ToCore("Printed to " + File));
}
