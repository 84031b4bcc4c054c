#pragma once
// A text file too large for the editor, shown read-only with a footprint
// little above the file's own size: the file's bytes are read once, an index
// holds where each line starts, and only the lines in sight are decoded and
// painted. The text viewer opens files above its editing
// limit here, saying so.

#include <QAbstractScrollArea>
#include <QByteArray>
#include <QDialog>
#include <QFile>
#include <cstdint>
#include <vector>

class QLabel;

class TBigTextArea : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TBigTextArea(QWidget* Parent = nullptr);

  // Shows the file's bytes; false (and nothing shown) when it cannot be read.
  bool Load(const QString& FileName);
  qsizetype LineCount() const { return static_cast<qsizetype>(FStarts.size()); }
  // Line No (from 0) as shown: without its line end, decoded as UTF-8 (or
  // Latin-1 where it is no UTF-8).
  QString LineText(qsizetype No) const;
  // The first line in sight.
  qsizetype TopLine() const;
  void ScrollToLine(qsizetype No);

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  void UpdateScrollBars();
  int LineHeight() const;
  const char* Data() const;
  qsizetype Size() const;

  QByteArray FBytes;
  std::vector<uint64_t> FStarts;  // where each line starts
  qsizetype FLongest = 0;         // the longest line's bytes
};

class TFormBigText : public QDialog {
  Q_OBJECT
 public:
  // The file named by FullName (a program file name) shown read-only; Why
  // tells the user why it is not in the editor.
  TFormBigText(QWidget* Parent, const std::string& FullName, const QString& Why);
  bool Loaded() const { return FLoaded; }
  TBigTextArea* Area() const { return FArea; }

 private:
  TBigTextArea* FArea;
  bool FLoaded = false;
};
