#pragma once
// The text area of the viewer: a multi-line text control with a few
// operations on its lines and its view.

#include <QPlainTextEdit>

class TDxMemo : public QPlainTextEdit {
  Q_OBJECT
 public:
  // Starts without word wrap, with both scroll bars.
  explicit TDxMemo(QWidget* aOwner = nullptr);

  bool Wrap() const;
  // On: word wrap with only a vertical scroll bar; off: both scroll bars.
  void SetWrap(bool Value);
  // Caret to the start of the text, nothing selected.
  void Top();
  // View and caret to the end; the modified flag keeps its value.
  void Bottom();
  // Scrolls the view by that many lines (negative: up).
  void LineScroll(int NoOfLinesToScroll);
  // Line (from 0) and position in it (from 0) of the caret.
  int Row() const;
  int Column() const;
  // The top line in view (from 0), and how many whole lines fit.
  int FirstVisibleLine() const;
  int LinesShowing() const;
  // Characters of all lines, line breaks not counted.
  int TotalSize() const;
  // The lines in ascending order without regard to letter case; a line equal
  // to an earlier one (so compared) is dropped.
  void Sort();
  void AddPrefix(const QString& Prefix);
  // From every line that starts with Prefix; an empty Prefix changes nothing.
  void RemovePrefix(const QString& Prefix);

 private:
  // The lines as a text list holds them: a final line break ends the last
  // line and makes no empty line of its own.
  QStringList Lines() const;
  void SetLines(const QStringList& Lines);
};
