#include "Markup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

QStringList ReadLines(const QString& FileName) {
  QFile F(FileName);
  if (!F.open(QIODevice::ReadOnly)) throw EManualError{"cannot read " + FileName};
  QString Text = QString::fromUtf8(F.readAll());
  Text.replace("\r\n", "\n");
  QStringList Lines = Text.split('\n');
  if (!Lines.isEmpty() && Lines.last().isEmpty()) Lines.removeLast();
  return Lines;
}

int IndentOf(const QString& L) {
  int i = 0;
  while (i < L.size() && L[i] == ' ') ++i;
  return i;
}

// A list marker at the start of L (after Indent blanks): "- ", "* " or "12. ".
// Answers the width of the marker with its blank, 0 when there is none.
int MarkerWidth(const QString& L, bool& Ordered) {
  const int In = IndentOf(L);
  const QString T = L.mid(In);
  if (T.startsWith("- ") || T.startsWith("* ")) {
    Ordered = false;
    return 2;
  }
  int d = 0;
  while (d < T.size() && T[d].isDigit()) ++d;
  if (d > 0 && d < 4 && T.mid(d).startsWith(". ")) {
    Ordered = true;
    return d + 2;
  }
  return 0;
}

bool StartsBlock(const QString& L) {
  const QString T = L.trimmed();
  bool Ordered;
  return T.startsWith("```") || T.startsWith(":::") || T.startsWith("|") ||
         (T.startsWith("@") && T.size() > 1 && T[1].isLetter()) || MarkerWidth(L, Ordered) > 0;
}

// Cells of a table row "| a | `b|c` | d |", bars inside code spans kept.
QStringList SplitRow(const QString& Row) {
  QString T = Row.trimmed();
  if (T.startsWith('|')) T.remove(0, 1);
  if (T.endsWith('|') && !T.endsWith("\\|")) T.chop(1);
  QStringList Cells;
  QString Cur;
  bool InCode = false;
  for (int i = 0; i < T.size(); ++i) {
    const QChar c = T[i];
    if (c == '\\' && i + 1 < T.size() && T[i + 1] == '|') {
      Cur += '|';
      ++i;
    } else if (c == '`') {
      InCode = !InCode;
      Cur += c;
    } else if (c == '|' && !InCode) {
      Cells << Cur.trimmed();
      Cur.clear();
    } else {
      Cur += c;
    }
  }
  Cells << Cur.trimmed();
  return Cells;
}

QString TableToHtml(const QStringList& Rows, const TRenderer& R) {
  if (Rows.size() < 2) throw EManualError{"a table needs a header and a separator line: " + Rows.value(0)};
  const QStringList Head = SplitRow(Rows[0]);
  const QStringList Sep = SplitRow(Rows[1]);
  QStringList Align;
  for (const QString& S : Sep) {
    if (!S.contains('-')) throw EManualError{"the second line of a table must be its separator: " + Rows[1]};
    Align << (S.startsWith(':') && S.endsWith(':') ? "center" : S.endsWith(':') ? "right" : "left");
  }
  QString H =
      "<table class=\"grid\" width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\">\n<thead><tr>";
  for (int c = 0; c < Head.size(); ++c)
    H += "<th align=\"" + Align.value(c, "left") + "\">" + InlineToHtml(Head[c], R) + "</th>";
  H += "</tr></thead>\n<tbody>\n";
  for (int r = 2; r < Rows.size(); ++r) {
    const QStringList Cells = SplitRow(Rows[r]);
    H += "<tr>";
    for (int c = 0; c < Head.size(); ++c)
      H += "<td align=\"" + Align.value(c, "left") + "\">" + InlineToHtml(Cells.value(c), R) + "</td>";
    H += "</tr>\n";
  }
  return H + "</tbody></table>\n";
}

QString ListToHtml(const QStringList& Lines, int& i, const TRenderer& R) {
  bool Ordered = false;
  const int Base = IndentOf(Lines[i]);
  const int Width = MarkerWidth(Lines[i], Ordered);
  std::vector<QStringList> Items;
  while (i < Lines.size()) {
    const QString& L = Lines[i];
    bool O2 = false;
    if (L.trimmed().isEmpty()) {
      int j = i + 1;
      while (j < Lines.size() && Lines[j].trimmed().isEmpty()) ++j;
      if (j >= Lines.size()) break;
      const int In = IndentOf(Lines[j]);
      if (In == Base && MarkerWidth(Lines[j], O2) > 0 && O2 == Ordered) {
        i = j;
        continue;
      }
      if (In >= Base + Width) {
        Items.back() << QString();
        i = j;
        continue;
      }
      break;
    }
    const int In = IndentOf(L);
    const int W = MarkerWidth(L, O2);
    if (In == Base && W > 0) {
      if (O2 != Ordered) break;
      Items.push_back({L.mid(In + W)});
    } else if (In >= Base + Width) {
      Items.back() << L.mid(Base + Width);
    } else if (In > Base && W == 0) {
      Items.back() << L.trimmed();
    } else if (In <= Base && !StartsBlock(L) && !Items.back().last().isEmpty()) {
      Items.back() << L.trimmed();  // a lazy continuation of the item's text
    } else {
      break;
    }
    ++i;
  }
  QString H = Ordered ? "<ol>\n" : "<ul>\n";
  for (const QStringList& Item : Items) {
    // The item's first paragraph stays inline; what follows is rendered as blocks.
    int k = 0;
    QStringList First;
    while (k < Item.size() && !Item[k].trimmed().isEmpty() && (k == 0 || !StartsBlock(Item[k])))
      First << Item[k++].trimmed();
    H += "<li>" + InlineToHtml(First.join(' '), R);
    if (k < Item.size()) H += BodyToHtml(Item.mid(k), R);
    H += "</li>\n";
  }
  return H + (Ordered ? "</ol>\n" : "</ul>\n");
}

}  // namespace

QString Escape(const QString& Text) { return Text.toHtmlEscaped(); }

QString Slug(const QString& Title) {
  const QString T = InlineToPlain(Title).toLower();
  QString S;
  bool Dash = false;
  for (const QChar c : T) {
    if ((c >= 'a' && c <= 'z') || c.isDigit()) {
      if (Dash && !S.isEmpty()) S += '-';
      S += c;
      Dash = false;
    } else {
      Dash = true;
    }
  }
  return S;
}

void ReadSections(const QString& FileName, std::vector<TSection>& Sections, int Shift) {
  static const QRegularExpression Heading("^(#{1,4})\\s+(.*?)\\s*(?:\\{([^}]*)\\})?\\s*$");
  const QStringList Lines = ReadLines(FileName);
  const QString Dir = QFileInfo(FileName).absolutePath();
  bool InCode = false;
  bool Any = false;
  for (int n = 0; n < Lines.size(); ++n) {
    const QString& L = Lines[n];
    const QString Where = QString("%1:%2: ").arg(FileName).arg(n + 1);
    if (L.trimmed().startsWith("```")) InCode = !InCode;
    if (!InCode && L.startsWith("@include ")) {
      ReadSections(QDir(Dir).filePath(L.mid(9).trimmed()), Sections, Shift);
      Any = true;
      continue;
    }
    const QRegularExpressionMatch M = InCode ? QRegularExpressionMatch() : Heading.match(L);
    if (M.hasMatch()) {
      TSection S;
      S.Level = int(M.captured(1).size()) + Shift;
      S.Title = M.captured(2);
      S.Source = FileName;
      for (const QString& A : M.captured(3).split(' ', Qt::SkipEmptyParts)) {
        if (A.startsWith('#'))
          S.Anchor = A.mid(1);
        else if (A.startsWith("help="))
          S.HelpContext = A.mid(5).toInt();
        else if (A == "appendix")
          S.Appendix = true;
        else
          throw EManualError{Where + "unknown heading attribute " + A};
      }
      if (S.Anchor.isEmpty()) S.Anchor = Slug(S.Title);
      Sections.push_back(S);
      Any = true;
      continue;
    }
    if (!Any) {
      if (L.trimmed().isEmpty()) continue;
      throw EManualError{Where + "text before the first heading"};
    }
    Sections.back().Body << L;
  }
  if (InCode) throw EManualError{FileName + ": a code block is not closed"};
}

void NumberSections(std::vector<TSection>& Sections) {
  int Chapter = 0, Appendix = 0, Section = 0;
  QString Prefix;
  QSet<QString> Anchors;
  for (TSection& S : Sections) {
    if (Anchors.contains(S.Anchor))
      throw EManualError{S.Source + ": the anchor " + S.Anchor + " is used twice"};
    Anchors.insert(S.Anchor);
    if (S.Level == 1) {
      Prefix = S.Appendix ? QString(QChar('A' + Appendix++)) : QString::number(++Chapter);
      Section = 0;
      S.Number = Prefix;
    } else if (S.Level == 2) {
      S.Number = Prefix + "." + QString::number(++Section);
    }
  }
}

QString InlineToHtml(const QString& Text, const TRenderer& R) {
  QString Out;
  const int N = int(Text.size());
  int i = 0;
  while (i < N) {
    const QChar c = Text[i];
    if (c == '`') {
      const int j = int(Text.indexOf('`', i + 1));
      if (j > i) {
        Out += "<code>" + Escape(Text.mid(i + 1, j - i - 1)) + "</code>";
        i = j + 1;
        continue;
      }
    } else if (c == '\\' && i + 1 < N && QString("\\`*_[]()|#<>").contains(Text[i + 1])) {
      Out += Escape(QString(Text[i + 1]));
      i += 2;
      continue;
    } else if (c == '[') {
      const int j = int(Text.indexOf("](", i));
      const int e = j > 0 ? int(Text.indexOf(')', j)) : -1;
      if (j > i && e > j && !Text.mid(i + 1, j - i - 1).contains('[')) {
        const QString Label = InlineToHtml(Text.mid(i + 1, j - i - 1), R);
        const QString Target = Text.mid(j + 2, e - j - 2);
        if (Target.startsWith('#'))
          Out += R.Link ? R.Link(Target.mid(1), Label) : Label;
        else
          Out += "<a href=\"" + Escape(Target) + "\">" + Label + "</a>";
        i = e + 1;
        continue;
      }
    } else if (c == '*' && i + 1 < N && Text[i + 1] == '*') {
      const int j = int(Text.indexOf("**", i + 2));
      if (j > i + 2) {
        Out += "<b>" + InlineToHtml(Text.mid(i + 2, j - i - 2), R) + "</b>";
        i = j + 2;
        continue;
      }
    } else if (c == '*' && i + 1 < N && !Text[i + 1].isSpace()) {
      int j = i + 1;
      while ((j = int(Text.indexOf('*', j))) > 0) {
        if (!Text[j - 1].isSpace() && (j + 1 >= N || !Text[j + 1].isLetterOrNumber())) break;
        ++j;
      }
      if (j > i + 1) {
        Out += "<i>" + InlineToHtml(Text.mid(i + 1, j - i - 1), R) + "</i>";
        i = j + 1;
        continue;
      }
    }
    Out += Escape(QString(c));
    ++i;
  }
  return Out;
}

QString InlineToPlain(const QString& Text) {
  TRenderer R;
  R.Link = [](const QString&, const QString& Label) { return Label; };
  QString H = InlineToHtml(Text, R);
  H.remove(QRegularExpression("<[^>]*>"));
  H.replace("&lt;", "<")
      .replace("&gt;", ">")
      .replace("&quot;", "\"")
      .replace("&#39;", "'")
      .replace("&amp;", "&");
  return H;
}

QString BodyToHtml(const QStringList& Lines, const TRenderer& R) {
  QString Out;
  int i = 0;
  while (i < Lines.size()) {
    const QString& L = Lines[i];
    const QString T = L.trimmed();
    bool Ordered;
    if (T.isEmpty()) {
      ++i;
    } else if (T.startsWith("```")) {
      QStringList Code;
      const int Indent = IndentOf(L);
      for (++i; i < Lines.size() && !Lines[i].trimmed().startsWith("```"); ++i)
        Code << (IndentOf(Lines[i]) >= Indent ? Lines[i].mid(Indent) : Lines[i].trimmed());
      ++i;
      Out += "<pre>" + Escape(Code.join('\n')) + "</pre>\n";
    } else if (T.startsWith(":::")) {
      const QString Kind = T.mid(3).trimmed();
      QStringList Box;
      for (++i; i < Lines.size() && Lines[i].trimmed() != ":::"; ++i) Box << Lines[i];
      if (i >= Lines.size()) throw EManualError{"a box ::: " + Kind + " is not closed"};
      ++i;
      Out += R.Box(Kind, Box);
    } else if (T.startsWith("@") && T.size() > 1 && T[1].isLetter()) {
      const int Sp = int(T.indexOf(' '));
      const QString Name = Sp < 0 ? T.mid(1) : T.mid(1, Sp - 1);
      const QString Args = Sp < 0 ? QString() : T.mid(Sp + 1).trimmed();
      Out += R.Directive(Name, Args);
      ++i;
    } else if (T.startsWith("|")) {
      QStringList Rows;
      while (i < Lines.size() && Lines[i].trimmed().startsWith("|")) Rows << Lines[i++];
      Out += TableToHtml(Rows, R);
    } else if (MarkerWidth(L, Ordered) > 0) {
      Out += ListToHtml(Lines, i, R);
    } else {
      QStringList Para;
      while (i < Lines.size() && !Lines[i].trimmed().isEmpty() && (Para.isEmpty() || !StartsBlock(Lines[i])))
        Para << Lines[i++].trimmed();
      Out += "<p>" + InlineToHtml(Para.join(' '), R) + "</p>\n";
    }
  }
  return Out;
}
