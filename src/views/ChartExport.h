#pragma once
// The chart windows' "Save image..." command: what the chart shows, with its
// title, legend and axis titles, as a PNG, SVG or PDF file chosen by the
// file's extension.

#include <QSize>
#include <QString>
#include <QStringList>

#include "KvChart.h"

enum class TImageKind { Png, Svg, Pdf, Unknown };
// By the extension, letter case ignored; no extension counts as PNG.
TImageKind ImageKindOf(const QString& FileName);

// A default file name from its parts: each part with every character other
// than a letter, a digit or one of "+-=." replaced by "_", empty parts left
// out, joined by "_", with the extension.
QString ImageFileName(const QStringList& Parts, const QString& Ext);

// The default name of a graph: the session (file 1's name without its
// directory and extension), the table ("potential", "waterlimited" or the
// title), the column, and the run names of the curves (the first and the
// last when there are several).
QString GraphImageName(const QString& File1, const QString& Title, const QString& Column,
                       const TKvCurveChart& Chart, const QString& Ext);

// Writes the page as an image file: PNG Size pixels large, SVG and PDF
// (A4 landscape) as vectors. Fails with EKvError when the file cannot be
// written or its extension is not one of .png, .svg and .pdf.
void WriteImageFile(const QString& FileName, const TPagePainter& Paint, const QSize& Size);

// Asks for the file (the output directory and DefaultName offered) and
// writes it; nothing when the user cancels. Answers the file written.
QString SaveImageCommand(const QString& DefaultName, const TPagePainter& Paint, const QSize& Size);
