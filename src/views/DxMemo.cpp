#include "DxMemo.h"

#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

TDxMemo::TDxMemo(QWidget* aOwner) : QPlainTextEdit(aOwner) { SetWrap(false); }

bool TDxMemo::Wrap() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }

void TDxMemo::SetWrap(bool Value) {
  setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Value ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TDxMemo::Top() {
  QTextCursor C = textCursor();
  C.movePosition(QTextCursor::Start);
  setTextCursor(C);
  ensureCursorVisible();
}

void TDxMemo::Bottom() {
  QTextCursor C = textCursor();
  C.movePosition(QTextCursor::End);
  setTextCursor(C);
  ensureCursorVisible();
}

void TDxMemo::LineScroll(int NoOfLinesToScroll) {
  QScrollBar* S = verticalScrollBar();
  S->setValue(S->value() + NoOfLinesToScroll);
}

int TDxMemo::Row() const { return textCursor().blockNumber(); }
int TDxMemo::Column() const { return textCursor().positionInBlock(); }
int TDxMemo::FirstVisibleLine() const { return firstVisibleBlock().blockNumber(); }

int TDxMemo::LinesShowing() const {
  const int LineHeight = fontMetrics().lineSpacing();
  return LineHeight > 0 ? viewport()->height() / LineHeight : 0;
}

int TDxMemo::TotalSize() const {
  int Size = 0;
  for (QTextBlock B = document()->begin(); B.isValid(); B = B.next()) Size += B.length() - 1;
  return Size;
}

QStringList TDxMemo::Lines() const {
  const QString T = toPlainText();
  if (T.isEmpty()) return {};
  QStringList L = T.split('\n');
  if (T.endsWith('\n')) L.removeLast();
  return L;
}

void TDxMemo::SetLines(const QStringList& Lines) {
  const bool EndsWithBreak = toPlainText().endsWith('\n');
  QString T = Lines.join('\n');
  if (EndsWithBreak && !Lines.isEmpty()) T += '\n';
  if (T == toPlainText()) return;
  // One step the user can undo; the text counts as changed.
  QTextCursor C(document());
  C.select(QTextCursor::Document);
  C.insertText(T);
  document()->setModified(true);
}

void TDxMemo::Sort() {
  QStringList L = Lines();
  std::stable_sort(L.begin(), L.end(),
                   [](const QString& A, const QString& B) { return A.compare(B, Qt::CaseInsensitive) < 0; });
  L.erase(
      std::unique(L.begin(), L.end(),
                  [](const QString& A, const QString& B) { return A.compare(B, Qt::CaseInsensitive) == 0; }),
      L.end());
  SetLines(L);
}

void TDxMemo::AddPrefix(const QString& Prefix) {
  QStringList L = Lines();
  for (QString& S : L) S.prepend(Prefix);
  SetLines(L);
}

void TDxMemo::RemovePrefix(const QString& Prefix) {
  if (Prefix.isEmpty()) return;
  QStringList L = Lines();
  for (QString& S : L)
    if (S.startsWith(Prefix)) S.remove(0, Prefix.size());
  SetLines(L);
}
