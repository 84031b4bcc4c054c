// krlmanual: renders the user manual from its source text (docs/manual) into
// KRL_Manual.pdf and the HTML help pages of the program (bin/help).
//
//   krlmanual --source docs/manual/manual.md --catalogue data/bin/KRL_VAR.csv
//             --pictures DIR [--pictures DIR2 ...] --icon assets/krl.svg
//             --release 2.1.2 --pdf OUT.pdf --help OUTDIR
//
// Pictures are looked up in the picture directories in the order given; a
// picture found in none is left out with a warning, so that a window that
// cannot be shown yet does not stop the build.

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPdfWriter>
#include <QSet>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <cstdio>

#include "Fields.h"
#include "Markup.h"

namespace {

struct TOptions {
  QString Source, Catalogue, Icon, Release, Pdf, HelpDir;
  QStringList PictureDirs;
};

const char* const ProgramTitle = "KORVAL Control Zudezo";
const QString Dash = QString::fromUtf8("\u2013");

// ---------------------------------------------------------------- pictures

struct TPicture {
  QString File;  // full path of the PNG
  QImage Image;
  double Scale = 1;  // device pixels per CSS pixel the picture was made with
};

QMap<QString, TPicture> PictureCache;

// A picture by name; Image is null when no directory has it.
const TPicture& FindPicture(const TOptions& O, const QString& Name) {
  auto It = PictureCache.find(Name);
  if (It != PictureCache.end()) return *It;
  TPicture P;
  for (const QString& Dir : O.PictureDirs) {
    const QString F = QDir(Dir).filePath(Name + ".png");
    if (QFileInfo::exists(F) && P.Image.load(F)) {
      P.File = F;
      // The screenshot program stores the device pixel ratio in the dots per
      // metre: 2x pictures say 192 dpi.
      const double Dpi = P.Image.dotsPerMeterX() * 0.0254;
      P.Scale = Dpi > 120 ? Dpi / 96.0 : 1.0;
      break;
    }
  }
  if (P.Image.isNull())
    std::fprintf(stderr, "krlmanual: warning: no picture %s; left out\n", qPrintable(Name));
  return *PictureCache.insert(Name, P);
}

// Width and height in CSS pixels (1/96 inch), at most MaxWidth wide.
QSize PictureSize(const TPicture& P, int MaxWidth) {
  double W = P.Image.width() / P.Scale, H = P.Image.height() / P.Scale;
  if (W > MaxWidth) {
    H = H * MaxWidth / W;
    W = MaxWidth;
  }
  return QSize(qRound(W), qRound(H));
}

// ---------------------------------------------------------------- shared HTML

QString BoxHtml(const QString& Kind, const QStringList& Lines, const TRenderer& R) {
  if (Kind == "message") {
    QStringList Html;
    for (const QString& L : Lines)
      if (!L.trimmed().isEmpty()) Html << InlineToHtml(L.trimmed(), R);
    return "<table class=\"message\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"6\">"
           "<tr><td bgcolor=\"#f2f4f7\"><b>" +
           Html.join("<br>") + "</b></td></tr></table>\n";
  }
  if (Kind == "note")
    return "<table class=\"note\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"6\">"
           "<tr><td bgcolor=\"#fbf6e3\">" +
           BodyToHtml(Lines, R) + "</td></tr></table>\n";
  throw EManualError{"unknown box kind " + Kind};
}

QString DirectiveHtml(const TOptions& O, const QString& Name, const QString& Args, bool ForHelp,
                      QStringList* UsedPictures) {
  if (Name == "fields") return FieldTableHtml(Args);
  if (Name == "variables") return VariableTableHtml(Args);
  if (Name == "picture") {
    const int Sp = int(Args.indexOf(' '));
    const QString Pic = Sp < 0 ? Args : Args.left(Sp);
    const QString Caption = Sp < 0 ? QString() : Args.mid(Sp + 1);
    const TPicture& P = FindPicture(O, Pic);
    if (P.Image.isNull()) return QString();
    const QSize S = PictureSize(P, ForHelp ? 900 : 560);
    const QString Src = ForHelp ? "pictures/" + Pic + ".png" : "pic:" + Pic;
    if (UsedPictures) *UsedPictures << Pic;
    TRenderer Plain;
    return QString(
               "<p class=\"picture\" align=\"center\"><img src=\"%1\" width=\"%2\" height=\"%3\" "
               "alt=\"%4\"></p>\n"
               "<p class=\"caption\" align=\"center\">%5</p>\n")
        .arg(Src)
        .arg(S.width())
        .arg(S.height())
        .arg(Escape(InlineToPlain(Caption)), InlineToHtml(Caption, Plain));
  }
  throw EManualError{"unknown directive @" + Name};
}

// ---------------------------------------------------------------- the PDF

// Page geometry in device pixels of the PDF writer.
struct TPage {
  double Dpi = 300;
  double W = 0, H = 0;
  double Left = 0, Right = 0, Top = 0, Bottom = 0;
  double Mm(double mm) const { return mm / 25.4 * Dpi; }
};

const char* const PdfStyle = R"(
h1 { font-size: 20pt; font-weight: bold; color: #1d4f7a; margin-top: 0px; margin-bottom: 16px; }
h2 { font-size: 14pt; font-weight: bold; color: #1d4f7a; margin-top: 20px; margin-bottom: 8px; }
h3 { font-size: 11.5pt; font-weight: bold; color: #222222; margin-top: 14px; margin-bottom: 6px; }
h4 { font-size: 10pt; font-weight: bold; margin-top: 10px; margin-bottom: 4px; }
p { margin-top: 0px; margin-bottom: 8px; line-height: 115%; }
li { margin-bottom: 3px; line-height: 115%; }
ul, ol { margin-top: 0px; margin-bottom: 8px; }
pre { font-family: "DejaVu Sans Mono", "Noto Mono", monospace; font-size: 7.5pt; white-space: pre-wrap;
      background-color: #f3f3f3; margin-top: 2px; margin-bottom: 10px; }
code { font-family: "DejaVu Sans Mono", "Noto Mono", monospace; font-size: 8.5pt; }
table { border-collapse: collapse; border-color: #9aa4ad; margin-top: 2px; margin-bottom: 10px; }
th { background-color: #e4ebf1; font-weight: bold; }
td, th { font-size: 9pt; }
p.caption { font-size: 8.5pt; font-style: italic; color: #444444; margin-bottom: 12px; }
p.picture { margin-top: 6px; margin-bottom: 2px; }
)";

class TPdfBuilder {
 public:
  TPdfBuilder(const TOptions& O, const std::vector<TSection>& S) : FO(O), FS(S) {}

  void Build() {
    QPdfWriter Writer(FO.Pdf);
    Writer.setPageSize(QPageSize(QPageSize::A4));
    Writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    Writer.setResolution(int(FPage.Dpi));
    Writer.setTitle(QString(ProgramTitle) + " " + Dash + " User manual");
    Writer.setCreator(QString(ProgramTitle) + " manual builder");
    const QSizeF PageMm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
    FPage.W = FPage.Mm(PageMm.width());
    FPage.H = FPage.Mm(PageMm.height());
    FPage.Left = FPage.Right = FPage.Mm(20);
    FPage.Top = FPage.Mm(24);
    FPage.Bottom = FPage.Mm(22);

    QTextDocument Doc;
    Doc.documentLayout()->setPaintDevice(&Writer);
    QFont Body;
    Body.setFamilies({"DejaVu Sans", "Nimbus Sans", "Liberation Sans", "Sans Serif"});
    Body.setPointSizeF(9.5);
    Doc.setDefaultFont(Body);
    Doc.setDefaultStyleSheet(PdfStyle);
    Doc.setPageSize(QSizeF(FPage.W, FPage.H));
    AddResources(Doc);

    // Page numbers of headings feed the contents and the links, and a heading
    // at the foot of a page moves to the next one; lay out until both settle.
    QVector<int> Pages(int(FS.size()), 0);
    for (int Pass = 0;; ++Pass) {
      if (Pass == 200) throw EManualError{"the page numbers of the contents do not settle"};
      const QString H = Html(Pages);
      if (qEnvironmentVariableIsSet("KRL_MANUAL_HTML")) {
        QFile Dump(qEnvironmentVariable("KRL_MANUAL_HTML"));
        if (Dump.open(QIODevice::WriteOnly)) Dump.write(H.toUtf8());
      }
      Doc.setHtml(H);
      SetMargins(Doc);
      if (MoveLonelyHeading(Doc) || MoveSplitTable(Doc)) continue;
      const QVector<int> New = HeadingPages(Doc);
      if (New == Pages) break;
      Pages = New;
    }
    FHeadingPages = Pages;
    Paint(Doc, Writer);
  }

 private:
  void AddResources(QTextDocument& Doc) {
    QStringList Names;
    for (const TSection& S : FS)
      for (const QString& L : S.Body)
        if (L.trimmed().startsWith("@picture ")) Names << L.trimmed().mid(9).section(' ', 0, 0);
    for (const QString& N : Names) {
      const TPicture& P = FindPicture(FO, N);
      if (!P.Image.isNull()) Doc.addResource(QTextDocument::ImageResource, QUrl("pic:" + N), P.Image);
    }
    if (!FO.Icon.isEmpty()) {
      QSvgRenderer Svg(FO.Icon);
      if (!Svg.isValid()) throw EManualError{"cannot read the icon " + FO.Icon};
      QImage Icon(512, 512, QImage::Format_ARGB32);
      Icon.fill(Qt::transparent);
      QPainter P(&Icon);
      Svg.render(&P);
      P.end();
      Doc.addResource(QTextDocument::ImageResource, QUrl("pic:icon"), Icon);
    }
  }

  QString Html(const QVector<int>& Pages) {
    TRenderer R;
    R.Link = [&](const QString& Anchor, const QString& Label) {
      const int i = IndexOf(Anchor);
      const int P = Pages.value(i);
      return Label + QString(" (page %1)").arg(P ? QString::number(P) : QString("00"));
    };
    FPictureNo = 0;
    R.Directive = [&](const QString& N, const QString& A) {
      QString H = DirectiveHtml(FO, N, A, false, nullptr);
      if (N == "picture" && !H.isEmpty() && FPictureBreaks.contains(++FPictureNo))
        H.replace("<p class=\"picture\" align=\"center\">",
                  "<p class=\"picture\" align=\"center\" style=\"page-break-before: always;\">");
      return H;
    };
    R.Box = [&](const QString& K, const QStringList& L) { return BoxHtml(K, L, R); };

    QString H = "<html><body>\n";
    // Title page.
    H += "<p align=\"center\" style=\"margin-top: 150pt; font-size: 30pt; font-weight: bold; color: "
         "#1d4f7a;\">" +
         QString(ProgramTitle) + "</p>\n";
    H += "<p align=\"center\" style=\"font-size: 17pt; margin-top: 6pt;\">User manual</p>\n";
    if (!FO.Icon.isEmpty())
      H += "<p align=\"center\" style=\"margin-top: 36pt;\"><img src=\"pic:icon\" width=\"160\" "
           "height=\"160\"></p>\n";
    H += "<p align=\"center\" style=\"margin-top: 36pt; font-size: 11pt;\">A desktop control centre for a "
         "daily crop growth "
         "model</p>\n";
    H += "<p align=\"center\" style=\"font-size: 11pt;\">Release " + Escape(FO.Release) + "</p>\n";
    // Contents.
    H += "<p style=\"page-break-before: always; font-size: 20pt; font-weight: bold; color: #1d4f7a; "
         "margin-bottom: 14pt;\">Contents</p>\n";
    H += "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"1\">\n";
    for (int i = 0; i < int(FS.size()); ++i) {
      const TSection& S = FS[i];
      if (S.Level > 2) continue;
      const QString Page = Pages[i] ? QString::number(Pages[i]) : QString("00");
      const QString Title = Escape(InlineToPlain(S.Title));
      if (S.Level == 1) {
        const QString Label = S.Appendix ? "Appendix " + S.Number : S.Number;
        H += QString(
                 "<tr><td style=\"padding-top: 7pt; font-weight: bold;\">%1&nbsp;&nbsp;%2</td>"
                 "<td align=\"right\" style=\"padding-top: 7pt; font-weight: bold;\">%3</td></tr>\n")
                 .arg(Label, Title, Page);
      } else {
        H += QString(
                 "<tr><td style=\"padding-left: 18pt;\">%1&nbsp;&nbsp;%2</td><td "
                 "align=\"right\">%3</td></tr>\n")
                 .arg(S.Number, Title, Page);
      }
    }
    H += "</table>\n";
    // Chapters.
    for (const TSection& S : FS) {
      const QString Tag = "h" + QString::number(qMin(S.Level, 4));
      const QString Title = InlineToHtml(S.Title, R);
      QString Num = S.Number.isEmpty() ? QString() : S.Number + "&nbsp;&nbsp;";
      if (S.Level == 1 && S.Appendix) Num = "Appendix " + S.Number + "&nbsp;&nbsp;";
      const bool NewPage = S.Level == 1 || FBreakBefore.contains(int(&S - FS.data()));
      const QString Break = NewPage ? " style=\"page-break-before: always;\"" : QString();
      H += "<" + Tag + Break + ">" + Num + Title + "</" + Tag + ">\n";
      try {
        H += BodyToHtml(S.Body, R);
      } catch (const EManualError& E) {
        throw EManualError{S.Source + ", section " + S.Title + ": " + E.Message};
      }
    }
    H += "</body></html>\n";
    // Small tables that would be split start a new page.
    int Table = 0;
    for (qsizetype At = H.indexOf("<table"); At >= 0; At = H.indexOf("<table", At + 6))
      if (FTableBreaks.contains(++Table)) H.insert(At + 6, " style=\"page-break-before: always;\"");
    return H;
  }

  int IndexOf(const QString& Anchor) const {
    for (int i = 0; i < int(FS.size()); ++i)
      if (FS[i].Anchor == Anchor) return i;
    throw EManualError{"a link to #" + Anchor + ", which no heading has"};
  }

  void SetMargins(QTextDocument& Doc) {
    // Frame margins are lengths at 96 dpi, which the layout scales to the device.
    const double To96 = 96.0 / FPage.Dpi;
    QTextFrameFormat F = Doc.rootFrame()->frameFormat();
    F.setLeftMargin(FPage.Left * To96);
    F.setRightMargin(FPage.Right * To96);
    F.setTopMargin(FPage.Top * To96);
    F.setBottomMargin(FPage.Bottom * To96);
    Doc.rootFrame()->setFrameFormat(F);
  }

  // The first heading with too little room below it on its page, or the
  // first picture whose caption falls on the next page, is made to start the
  // next page; answers whether there was one.
  bool MoveLonelyHeading(QTextDocument& Doc) {
    Doc.pageCount();  // lays the whole document out
    const double Room = FPage.Mm(28);
    auto PageOf = [this](double Y) { return int(Y / FPage.H); };
    int Section = -1, Picture = 0;
    for (QTextBlock B = Doc.begin(); B.isValid(); B = B.next()) {
      const QRectF R = LinesRect(B);
      if (IsPicture(B)) {
        ++Picture;
        const QTextBlock Caption = B.next();
        if (Caption.isValid() && !FPictureBreaks.contains(Picture) &&
            PageOf(LinesRect(Caption).bottom()) != PageOf(R.top())) {
          // A picture right under its heading takes the heading along.
          const QTextBlock Prev = B.previous();
          if (Prev.isValid() && Prev.blockFormat().headingLevel() >= 2)
            FBreakBefore.insert(Section);
          else
            FPictureBreaks.insert(Picture);
          return true;
        }
        continue;
      }
      const int Level = B.blockFormat().headingLevel();
      if (Level == 0) continue;
      ++Section;
      if (Level < 2 || FBreakBefore.contains(Section)) continue;
      const int Page = PageOf(R.top());
      const double Bottom = (Page + 1) * FPage.H - FPage.Bottom;
      const QTextBlock Next = B.next();
      const bool Alone = Next.isValid() && PageOf(TopOf(Doc, Next)) != Page;
      if (R.bottom() + Room > Bottom || Alone) {
        FBreakBefore.insert(Section);
        return true;
      }
    }
    return false;
  }

  // Where a block's lines are. Its bounding rectangle does not say: a line
  // that the pagination moved to the next page keeps the block's position.
  static QRectF LinesRect(const QTextBlock& B) {
    const QTextLayout* L = B.layout();
    const double Y = L->position().y();
    if (L->lineCount() == 0) return QRectF(L->position(), QSizeF(0, 0));
    const QTextLine First = L->lineAt(0), Last = L->lineAt(L->lineCount() - 1);
    return QRectF(QPointF(L->position().x(), Y + First.y()),
                  QPointF(L->position().x() + 1, Y + Last.y() + Last.height()));
  }

  // The first table that a page break splits although it would fit on a
  // page of its own with room to spare is made to start the next page.
  bool MoveSplitTable(QTextDocument& Doc) {
    int Table = 0;
    for (QTextFrame* F : Doc.rootFrame()->childFrames()) {
      if (!qobject_cast<QTextTable*>(F)) continue;
      ++Table;
      const QRectF R = Doc.documentLayout()->frameBoundingRect(F);
      const int First = int(R.top() / FPage.H), Last = int((R.bottom() - 1) / FPage.H);
      if (First != Last && R.height() < 0.85 * FPage.H && !FTableBreaks.contains(Table)) {
        FTableBreaks.insert(Table);
        return true;
      }
    }
    return false;
  }

  // The top of a block, or of the table it lies in (the lines of a table's
  // cells are placed relative to the table).
  static double TopOf(QTextDocument& Doc, const QTextBlock& B) {
    if (QTextTable* T = QTextCursor(B).currentTable()) {
      QTextFrame* Outer = T;
      while (Outer->parentFrame() && Outer->parentFrame() != Doc.rootFrame()) Outer = Outer->parentFrame();
      return Doc.documentLayout()->frameBoundingRect(Outer).top();
    }
    return LinesRect(B).top();
  }

  // A paragraph that holds a picture of a window (not the title page's icon).
  static bool IsPicture(const QTextBlock& B) {
    for (auto It = B.begin(); !It.atEnd(); ++It) {
      const QTextCharFormat F = It.fragment().charFormat();
      if (F.isImageFormat() && F.toImageFormat().name().startsWith("pic:") &&
          F.toImageFormat().name() != "pic:icon")
        return true;
    }
    return false;
  }

  QVector<int> HeadingPages(QTextDocument& Doc) {
    QVector<int> Pages;
    Doc.pageCount();
    for (QTextBlock B = Doc.begin(); B.isValid(); B = B.next())
      if (B.blockFormat().headingLevel() > 0) Pages << int(LinesRect(B).top() / FPage.H) + 1;
    if (Pages.size() != int(FS.size()))
      throw EManualError{
          QString("the document has %1 headings for %2 sections").arg(Pages.size()).arg(FS.size())};
    return Pages;
  }

  // The chapter a page belongs to: the last chapter starting on or before it.
  QString ChapterOfPage(int Page) const {
    QString Title;
    for (int i = 0; i < int(FS.size()); ++i)
      if (FS[i].Level == 1 && FHeadingPages[i] <= Page) {
        const QString Num = FS[i].Appendix ? "Appendix " + FS[i].Number : FS[i].Number;
        Title = Num + "  " + InlineToPlain(FS[i].Title);
      }
    return Title.isEmpty() ? QString("Contents") : Title;
  }

  void Paint(QTextDocument& Doc, QPdfWriter& Writer) {
    const int PageCount = Doc.pageCount();
    QPainter P(&Writer);
    QFont Small;
    Small.setFamilies({"DejaVu Sans", "Nimbus Sans", "Sans Serif"});
    Small.setPointSizeF(7.5);
    for (int Page = 0; Page < PageCount; ++Page) {
      if (Page > 0) Writer.newPage();
      P.save();
      P.translate(0, -Page * FPage.H);
      QAbstractTextDocumentLayout::PaintContext Ctx;
      Ctx.clip = QRectF(0, Page * FPage.H, FPage.W, FPage.H);
      Ctx.palette.setColor(QPalette::Text, Qt::black);
      Doc.documentLayout()->draw(&P, Ctx);
      P.restore();
      if (Page == 0) continue;  // the title page has no header and no number
      P.setFont(Small);
      P.setPen(QColor(0x55, 0x55, 0x55));
      const double Y = FPage.Mm(13);
      const QRectF Head(FPage.Left, Y, FPage.W - FPage.Left - FPage.Right, FPage.Mm(5));
      P.drawText(Head, Qt::AlignLeft | Qt::AlignBottom, QString(ProgramTitle) + " " + Dash + " User manual");
      P.drawText(Head, Qt::AlignRight | Qt::AlignBottom, ChapterOfPage(Page + 1));
      P.setPen(QPen(QColor(0xaa, 0xaa, 0xaa), FPage.Mm(0.2)));
      P.drawLine(QPointF(Head.left(), Head.bottom() + FPage.Mm(1)),
                 QPointF(Head.right(), Head.bottom() + FPage.Mm(1)));
      P.setPen(QColor(0x55, 0x55, 0x55));
      const QRectF Foot(FPage.Left, FPage.H - FPage.Mm(15), Head.width(), FPage.Mm(5));
      P.drawText(Foot, Qt::AlignHCenter | Qt::AlignTop, QString::number(Page + 1));
    }
    P.end();
  }

  const TOptions& FO;
  const std::vector<TSection>& FS;
  TPage FPage;
  QVector<int> FHeadingPages;
  QSet<int> FBreakBefore;    // sections that start a page although they are no chapter
  QSet<int> FPictureBreaks;  // pictures (from 1) that start a page to keep their caption
  QSet<int> FTableBreaks;    // tables (from 1, in the order of the text) that start a page
  int FPictureNo = 0;
};

// ---------------------------------------------------------------- the help pages

const char* const HelpStyle = R"(
body { font-family: "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif; font-size: 15px; line-height: 1.45;
       max-width: 60em; margin: 0 auto; padding: 0 1.2em 2em 1.2em; color: #1b1b1b; }
h1, h2, h3 { color: #1d4f7a; line-height: 1.25; }
h1 { font-size: 1.7em; } h2 { font-size: 1.35em; } h3 { font-size: 1.1em; }
nav { font-size: 0.9em; padding: 0.6em 0; border-bottom: 1px solid #c9d3dc; }
nav.bottom { border-bottom: none; border-top: 1px solid #c9d3dc; margin-top: 2em; }
nav a { margin-right: 1.2em; }
code, pre { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 0.9em; }
pre { background: #f3f3f3; padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; margin: 0.4em 0 1em 0; }
th, td { border: 1px solid #9aa4ad; padding: 0.25em 0.5em; vertical-align: top; text-align: left; }
th { background: #e4ebf1; }
table.message td { background: #f2f4f7; }
table.note td { background: #fbf6e3; }
p.caption { font-style: italic; color: #444; margin-top: 0.2em; }
p.picture img { max-width: 100%; height: auto; border: 1px solid #c9d3dc; }
ul.toc { list-style: none; padding-left: 0; } ul.toc ul { list-style: none; padding-left: 1.6em; }
ul.toc li { margin: 0.25em 0; }
)";

class THelpBuilder {
 public:
  THelpBuilder(const TOptions& O, const std::vector<TSection>& S) : FO(O), FS(S) {}

  void Build() {
    QDir Dir(FO.HelpDir);
    if (!Dir.exists() && !QDir().mkpath(FO.HelpDir)) throw EManualError{"cannot create " + FO.HelpDir};
    // Pages of an earlier build that the text no longer has must go.
    for (const QString& F : Dir.entryList({"*.html"}, QDir::Files)) Dir.remove(F);
    QDir(Dir.filePath("pictures")).removeRecursively();
    Plan();
    for (int p = 0; p < int(FPages.size()); ++p) WritePage(p);
    WriteIndex();
    Dir.mkpath("pictures");
    for (const QString& Pic : FUsedPictures) {
      const QString Dst = Dir.filePath("pictures/" + Pic + ".png");
      if (!QFile::exists(Dst) && !QFile::copy(FindPicture(FO, Pic).File, Dst))
        throw EManualError{"cannot copy the picture " + Pic};
    }
  }

 private:
  struct THelpPage {
    QString File;
    std::vector<int> Sections;  // indexes into FS, the first one the page's heading
  };

  // One page per chapter (its introduction) and per section; a subsection
  // with a help context gets a page of its own as well.
  void Plan() {
    for (int i = 0; i < int(FS.size()); ++i) {
      const TSection& S = FS[i];
      if (S.Level <= 2) {
        FPages.push_back({FileOf(S), {i}});
        FOwner[S.Anchor] = FPages.back().File;
        for (int j = i + 1; j < int(FS.size()) && FS[j].Level > 2; ++j) FPages.back().Sections.push_back(j);
      } else if (S.HelpContext) {
        FExtra.push_back({FileOf(S), {i}});
        FOwner[S.Anchor] = FExtra.back().File;
      } else {
        FOwner[S.Anchor] = FPages.back().File + "#" + S.Anchor;
      }
    }
    QSet<QString> Files;
    for (const auto* List : {&FPages, &FExtra})
      for (const THelpPage& P : *List) {
        if (P.File == "index.html" || Files.contains(P.File))
          throw EManualError{"two help pages named " + P.File};
        Files.insert(P.File);
      }
    // Subsection pages are written after the others; they are reached through
    // their context, not through the previous and next links.
    FChained = int(FPages.size());
    FPages.insert(FPages.end(), FExtra.begin(), FExtra.end());
  }

  static QString FileOf(const TSection& S) {
    return (S.HelpContext ? QString::number(S.HelpContext) : S.Anchor) + ".html";
  }

  QString Link(const QString& Anchor, const QString& Label) const {
    const auto It = FOwner.find(Anchor);
    if (It == FOwner.end()) throw EManualError{"a link to #" + Anchor + ", which no heading has"};
    return "<a href=\"" + *It + "\">" + Label + "</a>";
  }

  QString TitleOf(int i) const {
    const TSection& S = FS[i];
    QString Num = S.Number.isEmpty() ? QString() : S.Number + " ";
    if (S.Level == 1 && S.Appendix) Num = "Appendix " + S.Number + " ";
    return Num + InlineToPlain(S.Title);
  }

  QString Nav(int p, const QString& Class) const {
    QString H = "<nav class=\"" + Class + "\"><a href=\"index.html\">Contents</a>";
    if (p < FChained) {
      if (p > 0)
        H += "<a href=\"" + FPages[p - 1].File + "\">&larr; " + Escape(TitleOf(FPages[p - 1].Sections[0])) +
             "</a>";
      if (p + 1 < FChained)
        H += "<a href=\"" + FPages[p + 1].File + "\">" + Escape(TitleOf(FPages[p + 1].Sections[0])) +
             " &rarr;</a>";
    } else {
      // A subsection page: up to the section that holds it.
      const int First = FPages[p].Sections[0];
      int Up = First;
      while (Up > 0 && FS[Up].Level > 2) --Up;
      H += "<a href=\"" + FOwner.value(FS[Up].Anchor) + "\">&uarr; " + Escape(TitleOf(Up)) + "</a>";
    }
    return H + "</nav>\n";
  }

  void WritePage(int p) {
    const THelpPage& Page = FPages[p];
    TRenderer R;
    R.Link = [this](const QString& A, const QString& L) { return Link(A, L); };
    R.Directive = [this](const QString& N, const QString& A) {
      return DirectiveHtml(FO, N, A, true, &FUsedPictures);
    };
    R.Box = [&R](const QString& K, const QStringList& L) { return BoxHtml(K, L, R); };
    const int First = Page.Sections[0];
    QString Body;
    for (int i : Page.Sections) {
      const TSection& S = FS[i];
      const int Level = i == First ? 1 : S.Level - FS[First].Level + 1;
      const QString Tag = "h" + QString::number(qBound(1, Level, 4));
      Body += "<" + Tag + " id=\"" + S.Anchor + "\">" + Escape(TitleOf(i)) + "</" + Tag + ">\n";
      Body += BodyToHtml(S.Body, R);
    }
    // A chapter page lists its sections.
    if (FS[First].Level == 1) {
      QString List;
      for (int j = First + 1; j < int(FS.size()) && FS[j].Level > 1; ++j)
        if (FS[j].Level == 2) List += "<li>" + Link(FS[j].Anchor, Escape(TitleOf(j))) + "</li>\n";
      if (!List.isEmpty()) Body += "<h2>In this chapter</h2>\n<ul class=\"toc\">\n" + List + "</ul>\n";
    }
    Write(Page.File, TitleOf(First), Nav(p, "top") + "<main>\n" + Body + "</main>\n" + Nav(p, "bottom"));
  }

  void WriteIndex() {
    QString H = "<main>\n<h1>" + QString(ProgramTitle) + " Help</h1>\n";
    H += "<p>These pages are the program's user manual, release " + Escape(FO.Release) +
         ". The same text is in the printable manual <code>KRL_Manual.pdf</code> in the program directory "
         "(Help, Manual...). Press F1 in the program to open the page of the window or command you are "
         "working with.</p>\n<ul class=\"toc\">\n";
    for (int i = 0; i < int(FS.size()); ++i) {
      if (FS[i].Level != 1) continue;
      H += "<li>" + Link(FS[i].Anchor, "<b>" + Escape(TitleOf(i)) + "</b>") + "\n<ul>\n";
      for (int j = i + 1; j < int(FS.size()) && FS[j].Level > 1; ++j)
        if (FS[j].Level == 2) H += "<li>" + Link(FS[j].Anchor, Escape(TitleOf(j))) + "</li>\n";
      H += "</ul></li>\n";
    }
    H += "</ul>\n</main>\n";
    Write("index.html", "Contents", H);
  }

  void Write(const QString& File, const QString& Title, const QString& Body) {
    QFile F(QDir(FO.HelpDir).filePath(File));
    if (!F.open(QIODevice::WriteOnly | QIODevice::Truncate))
      throw EManualError{"cannot write " + F.fileName()};
    const QString H = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                      Escape(Title) + " " + Dash + " " + ProgramTitle + " Help</title>\n<style>" + HelpStyle +
                      "</style>\n</head>\n<body>\n" + Body + "</body>\n</html>\n";
    F.write(H.toUtf8());
  }

  const TOptions& FO;
  const std::vector<TSection>& FS;
  std::vector<THelpPage> FPages, FExtra;
  int FChained = 0;
  QMap<QString, QString> FOwner;  // anchor -> page file (and fragment)
  QStringList FUsedPictures;
};

TOptions ParseOptions(const QStringList& Args) {
  TOptions O;
  for (int i = 1; i < Args.size(); ++i) {
    const QString& A = Args[i];
    const QString V = i + 1 < Args.size() ? Args[i + 1] : QString();
    if (A == "--source")
      O.Source = V;
    else if (A == "--catalogue")
      O.Catalogue = V;
    else if (A == "--pictures")
      O.PictureDirs << V;
    else if (A == "--icon")
      O.Icon = V;
    else if (A == "--release")
      O.Release = V;
    else if (A == "--pdf")
      O.Pdf = V;
    else if (A == "--help")
      O.HelpDir = V;
    else
      throw EManualError{"unknown option " + A};
    ++i;
  }
  if (O.Source.isEmpty() || O.Catalogue.isEmpty() || (O.Pdf.isEmpty() && O.HelpDir.isEmpty()))
    throw EManualError{
        "usage: krlmanual --source FILE --catalogue KRL_VAR.csv [--pictures DIR]... [--icon SVG] "
        "[--release R] [--pdf FILE] [--help DIR]"};
  return O;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication App(argc, argv);
  try {
    const TOptions O = ParseOptions(App.arguments());
    LoadFieldSources(O.Catalogue);
    std::vector<TSection> Sections;
    ReadSections(O.Source, Sections);
    NumberSections(Sections);
    if (!O.Pdf.isEmpty()) TPdfBuilder(O, Sections).Build();
    if (!O.HelpDir.isEmpty()) THelpBuilder(O, Sections).Build();
  } catch (const EManualError& E) {
    std::fprintf(stderr, "krlmanual: %s\n", qPrintable(E.Message));
    return 1;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "krlmanual: %s\n", E.what());
    return 1;
  }
  return 0;
}
