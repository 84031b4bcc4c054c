#pragma once
// The manual's source text: a small, fixed subset of Markdown, read into
// sections and turned into HTML for the PDF and for the help pages.
//
// Blocks: headings "#", "##", "###" with optional attributes
// "{#anchor help=1001}", paragraphs, lists ("- " and "1. ", one level of
// nesting by indenting two spaces), pipe tables, fenced code ("```"), boxes
// (":::" kind ... ":::", kinds "message", "note"), and directives ("@name
// arguments" on a line of its own). Inline: `code`, **bold**, *italic*,
// [text](#anchor) and [text](https://...).

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct TSection {
  int Level = 1;          // 1 chapter, 2 section, 3 subsection
  QString Title;          // as written, inline markup allowed
  QString Anchor;         // unique over the manual
  int HelpContext = 0;    // 0: none
  QString Number;         // "3", "3.2", "3.2.1"; "A", "A.1" in an appendix
  bool Appendix = false;  // a chapter with the attribute "appendix"
  QStringList Body;       // the lines below the heading, up to the next one
  QString Source;         // file the section comes from, for messages
};

// Reads one source file into sections, appending to Sections. Lines before the
// first heading are an error. "@include FILE" at the start of a line reads
// another file (relative to this one) in its place, its headings shifted so
// that its top level becomes Shift + 1.
void ReadSections(const QString& FileName, std::vector<TSection>& Sections, int Shift = 0);

// Numbers the sections (chapters 1, 2, ...; an appendix chapter, marked with
// the attribute "appendix", gets A, B, ...), and fails on a duplicate anchor.
void NumberSections(std::vector<TSection>& Sections);

// A slug of a title: lower case letters and digits, words joined by '-'.
QString Slug(const QString& Title);

struct TRenderer {
  // An internal link [Text](#Anchor): the HTML to put in its place.
  std::function<QString(const QString& Anchor, const QString& TextHtml)> Link;
  // A directive "@Name Args": its HTML.
  std::function<QString(const QString& Name, const QString& Args)> Directive;
  // The HTML of a box (kind "message" or "note"); Lines are its source lines.
  std::function<QString(const QString& Kind, const QStringList& Lines)> Box;
};

// The HTML of a section body.
QString BodyToHtml(const QStringList& Lines, const TRenderer& R);
// The HTML of one line of inline markup.
QString InlineToHtml(const QString& Text, const TRenderer& R);
// Inline markup reduced to plain text (for the contents and the page header).
QString InlineToPlain(const QString& Text);
// Text with &, <, > and " escaped.
QString Escape(const QString& Text);

// A source error: file, line and what is wrong.
struct EManualError {
  QString Message;
};
