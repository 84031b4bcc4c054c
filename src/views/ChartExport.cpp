#include "ChartExport.h"

#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"
#include "session/Kvses.h"

namespace {
constexpr int PageDpi = 96;

QString RunNameOf(const QString& CurveTitle) { return CurveTitle.section(',', 0, 0); }

[[noreturn]] void Unwritable(const QString& FileName) {
  throw EKvError(ToCore("Unable to write '" + FileName + "'"));
}
}  // namespace

TImageKind ImageKindOf(const QString& FileName) {
  const QString Ext = QFileInfo(FileName).suffix().toLower();
  if (Ext.isEmpty() || Ext == "png") return TImageKind::Png;
  if (Ext == "svg") return TImageKind::Svg;
  if (Ext == "pdf") return TImageKind::Pdf;
  return TImageKind::Unknown;
}

QString ImageFileName(const QStringList& Parts, const QString& Ext) {
  QStringList Clean;
  for (const QString& Part : Parts) {
    QString S;
    for (QChar C : Part)
      S += (C.isLetterOrNumber() && C.unicode() < 128) || QString("+-=.").contains(C) ? C : QChar('_');
    if (!S.isEmpty()) Clean << S;
  }
  return Clean.join('_') + "." + Ext;
}

QString GraphImageName(const QString& File1, const QString& Title, const QString& Column,
                       const TKvCurveChart& Chart, const QString& Ext) {
  QString Session = QFileInfo(QString(File1).replace('\\', '/')).completeBaseName();
  QString Table = Title.contains("Potential") ? "potential"
                  : Title.contains("Water")   ? "waterlimited"
                                              : Title;
  QString Runs;
  const QList<TKvCurve*>& Curves = Chart.Curves();
  if (!Curves.isEmpty()) {
    const QString First = RunNameOf(Curves.first()->name()), Last = RunNameOf(Curves.last()->name());
    Runs = First == Last ? First : First + "-" + Last;
  }
  return ImageFileName({Session, Table, Column, Runs}, Ext);
}

void WriteImageFile(const QString& FileName, const TPagePainter& Paint, const QSize& Size) {
  const QSize S = Size.isValid() && !Size.isEmpty() ? Size : QSize(1600, 1000);
  switch (ImageKindOf(FileName)) {
    case TImageKind::Png: {
      QImage Image(S, QImage::Format_ARGB32_Premultiplied);
      Image.setDotsPerMeterX(qRound(PageDpi / 0.0254));
      Image.setDotsPerMeterY(qRound(PageDpi / 0.0254));
      Image.fill(Qt::white);
      {
        QPainter P(&Image);
        Paint(P, QRectF(QPointF(0, 0), QSizeF(S)));
      }
      if (!Image.save(FileName, "PNG")) Unwritable(FileName);
      break;
    }
    case TImageKind::Svg: {
      QSvgGenerator Svg;
      Svg.setFileName(FileName);
      Svg.setSize(S);
      Svg.setViewBox(QRect(QPoint(0, 0), S));
      Svg.setResolution(PageDpi);
      Svg.setTitle(QFileInfo(FileName).completeBaseName());
      Svg.setDescription(ApplicationTitle);
      QPainter P;
      if (!P.begin(&Svg)) Unwritable(FileName);
      Paint(P, QRectF(QPointF(0, 0), QSizeF(S)));
      if (!P.end()) Unwritable(FileName);
      break;
    }
    case TImageKind::Pdf: {
      QPdfWriter Pdf(FileName);
      Pdf.setResolution(PageDpi);
      Pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                    QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
      Pdf.setCreator(ApplicationTitle);
      Pdf.setTitle(QFileInfo(FileName).completeBaseName());
      QPainter P;
      if (!P.begin(&Pdf)) Unwritable(FileName);
      Paint(P, QRectF(0, 0, Pdf.width(), Pdf.height()));
      if (!P.end()) Unwritable(FileName);
      break;
    }
    case TImageKind::Unknown:
      throw EKvError(ToCore("Images are saved as .png, .svg or .pdf files, not as '" +
                            QFileInfo(FileName).fileName() + "'"));
  }
}

QString SaveImageCommand(const QString& DefaultName, const TPagePainter& Paint, const QSize& Size) {
  TFileDialogRequest R;
  R.Save = true;
  R.Title = "Save image...";
  R.Filter = "PNG image (*.png)|*.png|SVG image (*.svg)|*.svg|PDF document (*.pdf)|*.pdf";
  R.FileName = DefaultName;
  R.MustExist = false;
  R.ConfirmOverwrite = true;
  if (TheSession) R.InitialDir = FromCore(MapFileName(TheSession->FileManager().OutPath()));
  QString File = AskFileName(R);
  if (File.isEmpty()) return {};
  if (QFileInfo(File).suffix().isEmpty()) File += ".png";
  TBusyCursor Busy;
  WriteImageFile(File, Paint, Size);
  return File;
}
