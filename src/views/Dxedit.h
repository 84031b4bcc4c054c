#pragma once
// The text viewer and editor: one text file in a TDxMemo, with a tool bar
// and menus. The program opens it to view the model's log, to view a file
// and to edit a file.
//
// Encodings: a byte-order mark selects the encoding; otherwise the text is
// UTF-8 when its bytes are valid UTF-8, else Latin-1. Saving writes the
// encoding, byte-order mark and line ends the file was loaded with, so a
// file the user did not change stays byte for byte the same. A save goes to
// a temporary file beside the target and replaces the target only when the
// whole text was written.

#include <QByteArray>
#include <QDialog>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class TDxMemo;

// How a text file was stored, so that it can be written back the same way.
struct TTextFileFormat {
  enum TEncoding { Utf8, Latin1, Utf16LE, Utf16BE, Utf32LE, Utf32BE };
  TEncoding Encoding = Utf8;
  bool Bom = false;
  QByteArray LineEnd = "\r\n";
  // The end of each line, in order, when the lines do not all end alike
  // (else empty): one of the kinds below. Lines beyond it take LineEnd.
  enum TLineEnd : unsigned char { EndLf, EndCrLf, EndCr };
  std::vector<unsigned char> LineEnds;
};
// Decodes file bytes: the text with line feeds only, and the format found.
QString DecodeTextFile(const QByteArray& Bytes, TTextFileFormat& Format);
// Encodes the text (line feeds only) in Format. A text that Latin-1 cannot
// hold is written as UTF-8 rather than losing characters.
QByteArray EncodeTextFile(const QString& Text, const TTextFileFormat& Format);
// Writes Bytes to the file FileName (a program file name) safely: a
// temporary file beside it, renamed over it once complete. A read-only
// target or any failure raises EDxError and leaves the target untouched.
void SaveFileSafely(const std::string& FileName, const QByteArray& Bytes);

class TFormDxEdit : public QDialog {
  Q_OBJECT
 public:
  explicit TFormDxEdit(QWidget* aOwner);

  // Loads FullName (a program file name) and shows the window modally,
  // unless it is already shown; a missing file is reported.
  void OpenFile(const std::string& FullName);
  // Offers a file of FullPath in the open dialog, and opens it.
  void Open(const std::string& FullPath, const std::string& DefaultName);

  bool ViewOnly() const { return FViewOnly; }
  void SetViewOnly(bool Value) { FViewOnly = Value; }
  void SetStartView(bool Value) { FStartView = Value; }
  void SetCloseWhenNotFound(bool Value) { FCloseWhenNotFound = Value; }
  // The line (from 1) OpenFile shows marked, with the cursor at its start.
  void SetStartLine(int Line) { FStartLine = Line; }
  // Files larger than this many bytes open read-only in a window of their
  // own that holds little more than the file (16 MB).
  static void SetLargeFileLimit(qint64 Bytes) { FLargeFileLimit = Bytes; }
  bool Wrap() const;
  void SetWrap(bool Value);
  const std::string& FullName() const { return FFullName; }
  // Whether OpenFile has shown the window.
  bool WasShown() const { return FWasShown; }

  // The commands.
  void OpenClick();
  void SaveClick();
  void SaveAsClick();
  void UndoClick();
  void PasteClick();
  void AllowEditClick();
  void WrapClick();
  // Brings the buttons and the caption up to date.
  void UpdateControls();

  TDxMemo* Memo = nullptr;
  QToolButton* BtnTop = nullptr;
  QToolButton* BtnBottom = nullptr;
  QToolButton* BtnWrap = nullptr;
  QToolButton* BtnSave = nullptr;
  QToolButton* BtnAllowEdit = nullptr;
  QToolButton* BtnUndo = nullptr;
  QToolButton* BtnCut = nullptr;
  QToolButton* BtnCopy = nullptr;
  QToolButton* BtnPaste = nullptr;
  QPushButton* BtnClose = nullptr;
  QMenu* File1 = nullptr;
  QMenu* Edit1 = nullptr;
  QMenu* Navigate1 = nullptr;
  QMenu* Options1 = nullptr;
  QAction* Open1 = nullptr;
  QAction* Save1 = nullptr;
  QAction* SaveAs1 = nullptr;
  QAction* Close1 = nullptr;
  QAction* Undo1 = nullptr;
  QAction* Cut1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Paste1 = nullptr;
  QAction* Delete1 = nullptr;
  QAction* SelectAll1 = nullptr;
  QAction* Top1 = nullptr;
  QAction* Bottom1 = nullptr;
  QAction* Wrap1 = nullptr;
  QAction* AllowEdit1 = nullptr;

  void done(int Result) override;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void BuildMenus(QVBoxLayout* L);
  void BuildToolBar(QVBoxLayout* L);
  void LoadFile(const std::string& FullName);
  void SaveTo(const std::string& FullName);
  bool ReadOnlyText() const;
  void UpdateMenus();

  std::string FFullName;
  bool FViewOnly = true;
  bool FStartView = true;
  bool FCloseWhenNotFound = true;
  bool FWasShown = false;
  TTextFileFormat FFormat;
  int FStartLine = 0;
  static qint64 FLargeFileLimit;
  QByteArray FLoadedBytes;  // what the file held when it was loaded or saved
};
