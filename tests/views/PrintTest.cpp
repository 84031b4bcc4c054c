// Printing of the chart windows and the image export, with a page painter of
// their own: the question before printing, Cancel, "Printed!", a PDF file
// where there is no printer, and the three image formats.

#include <QFile>
#include <QImage>
#include <QPainter>

#include "ChartExport.h"
#include "GraphFiles.h"
#include "KvChart.h"
#include "KvPrint.h"
#include "WinTestSupport.h"
#include "foundations/Errors.h"

using namespace graphfiles;

namespace {
// A page: a frame and a line of text.
void PaintTestPage(QPainter& P, const QRectF& R) {
  P.drawRect(R.adjusted(10, 10, -10, -10));
  P.drawText(R, Qt::AlignCenter, "Test page TAGP");
}

class TPrinterGuard {
 public:
  explicit TPrinterGuard(TPrinterHandler H) : FOld(SetPrinterHandler(std::move(H))) {}
  ~TPrinterGuard() { SetPrinterHandler(std::move(FOld)); }

 private:
  TPrinterHandler FOld;
};
}  // namespace

TEST(Print, AsksNamingThePrinterPrintsLandscapeOrPortraitAndSaysSo) {
  TTempDir Dir;
  const QString Pdf = QString::fromStdString(Dir / "printed.pdf");
  TPrinterGuard Printer([&] { return TPrinterChoice{"Office printer", Pdf}; });
  EXPECT_EQ(PrintQuestion("Office printer"), "Print current graph to default printer:\n\rOffice printer");

  {
    TScriptedMessages Boxes;
    Boxes.Expect(TMsgKind::Confirmation, "Print current graph to default printer:\n\rOffice printer",
                 TMsgResult::Cancel);
    PrintGraph(0, PaintTestPage, "x.pdf");
    EXPECT_FALSE(QFile::exists(Pdf));  // Cancel prints nothing
  }
  {
    TScriptedMessages Boxes;
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Ok).Expect(TMsgKind::Information, "Printed!");
    PrintGraph(0, PaintTestPage, "x.pdf");
  }
  EXPECT_TRUE(OneLandscapePage(PdfInfo(Pdf))) << PdfInfo(Pdf).toStdString();
  EXPECT_TRUE(PdfText(Pdf).contains("Test page TAGP"));
  {
    TScriptedMessages Boxes;
    Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Ok).Expect(TMsgKind::Information, "Printed!");
    PrintGraph(1, PaintTestPage, "x.pdf");
  }
  EXPECT_FALSE(OneLandscapePage(PdfInfo(Pdf)));  // portrait
}

TEST(Print, WithoutAPrinterAPdfFileIsOffered) {
  TTempDir Dir;
  TPrinterGuard Printer([] { return TPrinterChoice{}; });
  const QString Pdf = QString::fromStdString(Dir / "graph");  // the extension is added
  {
    TScriptedDialogs Dialogs;
    Dialogs.ExpectFile("");  // cancelled: nothing
    PrintGraph(0, PaintTestPage, "KRL_potential.pdf");
    ASSERT_EQ(Dialogs.FileRequests().size(), 1u);
    EXPECT_TRUE(Dialogs.FileRequests()[0].Save);
    EXPECT_EQ(Dialogs.FileRequests()[0].FileName, "KRL_potential.pdf");
    EXPECT_EQ(Dialogs.FileRequests()[0].Filter, "PDF Files (*.pdf)|*.pdf");
  }
  TScriptedDialogs Dialogs;
  TScriptedMessages Boxes;
  Dialogs.ExpectFile(Pdf);
  Boxes.Expect(TMsgKind::Information, "Printed to " + Pdf.toStdString() + ".pdf");
  PrintGraph(0, PaintTestPage, "KRL_potential.pdf");
  EXPECT_TRUE(OneLandscapePage(PdfInfo(Pdf + ".pdf")));
}

TEST(Print, APageThatCannotBeWrittenIsAnError) {
  TTempDir Dir;
  const QString Pdf = QString::fromStdString(Dir / "no/such/dir/graph.pdf");
  TPrinterGuard Printer([&] { return TPrinterChoice{"Office printer", Pdf}; });
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Confirmation, "", TMsgResult::Ok);
  EXPECT_THROW(PrintGraph(0, PaintTestPage, "x.pdf"), EKvError);
}

TEST(ImageExport, TheExtensionChoosesTheFormat) {
  EXPECT_EQ(ImageKindOf("a.PNG"), TImageKind::Png);
  EXPECT_EQ(ImageKindOf("a"), TImageKind::Png);
  EXPECT_EQ(ImageKindOf("/x.y/a.svg"), TImageKind::Svg);
  EXPECT_EQ(ImageKindOf("a.Pdf"), TImageKind::Pdf);
  EXPECT_EQ(ImageKindOf("a.jpg"), TImageKind::Unknown);
  EXPECT_EQ(ImageFileName({"KRL", "waterbalance", "", "KRL 1", "1980"}, "png"),
            "KRL_waterbalance_KRL_1_1980.png");
  EXPECT_EQ(ImageFileName({"KRL", "WLV+WST+WSO=TAGP", "A/B"}, "svg"), "KRL_WLV+WST+WSO=TAGP_A_B.svg");

  TTempDir Dir;
  const QString Base = QString::fromStdString(Dir.Path());
  WriteImageFile(Base + "p.png", PaintTestPage, QSize(800, 500));
  EXPECT_EQ(QImage(Base + "p.png").size(), QSize(800, 500));
  WriteImageFile(Base + "s.svg", PaintTestPage, QSize(800, 500));
  QFile Svg(Base + "s.svg");
  ASSERT_TRUE(Svg.open(QIODevice::ReadOnly));
  const QByteArray SvgText = Svg.readAll();
  EXPECT_TRUE(SvgText.contains("<svg"));
  EXPECT_TRUE(SvgText.contains("Test page TAGP"));
  WriteImageFile(Base + "d.pdf", PaintTestPage, QSize(800, 500));
  EXPECT_TRUE(OneLandscapePage(PdfInfo(Base + "d.pdf")));
  EXPECT_TRUE(PdfText(Base + "d.pdf").contains("Test page TAGP"));
  EXPECT_THROW(WriteImageFile(Base + "j.jpg", PaintTestPage, QSize(800, 500)), EKvError);
  EXPECT_THROW(WriteImageFile(Base + "none/p.png", PaintTestPage, QSize(800, 500)), EKvError);
}

TEST(ImageExport, TheCommandAsksForTheFileAndAddsPngWhenNoExtensionIsGiven) {
  TTempDir Dir;
  TScriptedDialogs Dialogs;
  Dialogs.ExpectFile(QString::fromStdString(Dir / "chart")).ExpectFile("");
  EXPECT_EQ(SaveImageCommand("KRL_potential_WLV_KRL1.png", PaintTestPage, QSize(400, 300)),
            QString::fromStdString(Dir / "chart.png"));
  EXPECT_FALSE(QImage(QString::fromStdString(Dir / "chart.png")).isNull());
  const TFileDialogRequest& R = Dialogs.FileRequests()[0];
  EXPECT_EQ(R.Title, "Save image...");
  EXPECT_EQ(R.FileName, "KRL_potential_WLV_KRL1.png");
  EXPECT_TRUE(R.Save && R.ConfirmOverwrite);
  EXPECT_TRUE(R.Filter.contains("*.svg") && R.Filter.contains("*.pdf"));
  EXPECT_EQ(SaveImageCommand("x.png", PaintTestPage, QSize(400, 300)), "");  // cancelled
}
