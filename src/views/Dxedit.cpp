#include "Dxedit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStyle>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "BigTextView.h"
#include "Commands.h"
#include "DxMemo.h"
#include "FormParts.h"
#include "QtHandlers.h"
#include "WinSupport.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/Numbers.h"
#include "platform/FileSys.h"

// ---- encodings and line ends

namespace {
bool StartsWith(const QByteArray& B, std::initializer_list<unsigned char> Bom) {
  if (B.size() < static_cast<qsizetype>(Bom.size())) return false;
  qsizetype I = 0;
  for (unsigned char C : Bom)
    if (static_cast<unsigned char>(B[I++]) != C) return false;
  return true;
}

QStringConverter::Encoding QtEncoding(TTextFileFormat::TEncoding E) {
  switch (E) {
    case TTextFileFormat::Utf16LE: return QStringConverter::Utf16LE;
    case TTextFileFormat::Utf16BE: return QStringConverter::Utf16BE;
    case TTextFileFormat::Utf32LE: return QStringConverter::Utf32LE;
    case TTextFileFormat::Utf32BE: return QStringConverter::Utf32BE;
    case TTextFileFormat::Latin1: return QStringConverter::Latin1;
    default: return QStringConverter::Utf8;
  }
}
}  // namespace

QString DecodeTextFile(const QByteArray& Bytes, TTextFileFormat& Format) {
  Format = TTextFileFormat();
  struct TBom {
    std::initializer_list<unsigned char> Mark;
    TTextFileFormat::TEncoding Encoding;
  };
  // The four-byte marks before the two-byte mark they begin with.
  const TBom Boms[] = {{{0xFF, 0xFE, 0x00, 0x00}, TTextFileFormat::Utf32LE},
                       {{0x00, 0x00, 0xFE, 0xFF}, TTextFileFormat::Utf32BE},
                       {{0xEF, 0xBB, 0xBF}, TTextFileFormat::Utf8},
                       {{0xFF, 0xFE}, TTextFileFormat::Utf16LE},
                       {{0xFE, 0xFF}, TTextFileFormat::Utf16BE}};
  QString Text;
  bool Found = false;
  for (const TBom& B : Boms)
    if (StartsWith(Bytes, B.Mark)) {
      Format.Encoding = B.Encoding;
      Format.Bom = true;
      QStringDecoder D(QtEncoding(B.Encoding), QStringDecoder::Flag::Stateless);
      Text = D.decode(Bytes.mid(static_cast<qsizetype>(B.Mark.size())));
      Found = true;
      break;
    }
  if (!Found) {
    QStringDecoder Utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    Text = Utf8.decode(Bytes);
    if (Utf8.hasError()) {
      Format.Encoding = TTextFileFormat::Latin1;
      Text = QString::fromLatin1(Bytes);
    }
  }
  // The line end is the first one met; every line end is shown as a line
  // feed. Lines that end otherwise than the first keep their own end.
  Format.LineEnds.clear();
  std::vector<unsigned char> Ends;
  bool Mixed = false;
  QString Shown;
  Shown.reserve(Text.size());
  qsizetype From = 0;
  for (qsizetype i = 0; i < Text.size(); ++i) {
    const QChar Ch = Text[i];
    if (Ch != '\r' && Ch != '\n') continue;
    Shown.append(QStringView(Text).mid(From, i - From));
    Shown.append('\n');
    unsigned char Kind = TTextFileFormat::EndLf;
    if (Ch == '\r') {
      Kind = i + 1 < Text.size() && Text[i + 1] == '\n' ? TTextFileFormat::EndCrLf : TTextFileFormat::EndCr;
      if (Kind == TTextFileFormat::EndCrLf) ++i;
    }
    Mixed = Mixed || (!Ends.empty() && Kind != Ends.front());
    Ends.push_back(Kind);
    From = i + 1;
  }
  Shown.append(QStringView(Text).mid(From));
  static const char* const Texts[] = {"\n", "\r\n", "\r"};
  if (!Ends.empty()) Format.LineEnd = Texts[Ends.front()];
  if (Mixed) Format.LineEnds = std::move(Ends);
  return Shown;
}

QByteArray EncodeTextFile(const QString& Text, const TTextFileFormat& Format) {
  QString T;
  if (!Format.LineEnds.empty()) {
    static const QLatin1String Texts[] = {QLatin1String("\n"), QLatin1String("\r\n"), QLatin1String("\r")};
    T.reserve(Text.size() + Text.size() / 32);
    size_t Line = 0;
    qsizetype From = 0;
    for (qsizetype Lf = Text.indexOf('\n'); Lf >= 0; From = Lf + 1, Lf = Text.indexOf('\n', From), ++Line) {
      T.append(QStringView(Text).mid(From, Lf - From));
      if (Line < Format.LineEnds.size())
        T.append(Texts[Format.LineEnds[Line]]);
      else
        T.append(QString::fromLatin1(Format.LineEnd));
    }
    T.append(QStringView(Text).mid(From));
  } else {
    T = Text;
    if (Format.LineEnd != "\n") T.replace(QLatin1String("\n"), QString::fromLatin1(Format.LineEnd));
  }
  TTextFileFormat::TEncoding E = Format.Encoding;
  if (E == TTextFileFormat::Latin1) {
    for (const QChar C : T)
      if (C.unicode() > 0xFF) {
        E = TTextFileFormat::Utf8;  // rather than losing characters
        break;
      }
    if (E == TTextFileFormat::Latin1) return T.toLatin1();
  }
  QStringEncoder Enc(QtEncoding(E), Format.Bom && E == Format.Encoding ? QStringEncoder::Flag::WriteBom
                                                                       : QStringEncoder::Flag::Default);
  return Enc.encode(T);
}

void SaveFileSafely(const std::string& FileName, const QByteArray& Bytes) {
  if (FileName.empty()) throw EDxError("The text has no file name to be saved under; use Save As");
  if (FileExists(FileName) && FileIsReadOnly(FileName))
    throw EDxError("Cannot save '" + FileName + "': the file is read-only");
  QSaveFile F(QFile::decodeName(QByteArray::fromStdString(MapFileName(FileName))));
  if (!F.open(QIODevice::WriteOnly))
    throw EDxError("Cannot save '" + FileName + "': " + ToCore(F.errorString()));
  if (F.write(Bytes) != Bytes.size()) {
    const std::string Why = ToCore(F.errorString());
    F.cancelWriting();
    F.commit();
    throw EDxError("Cannot save '" + FileName + "': " + Why);
  }
  if (!F.commit()) throw EDxError("Cannot save '" + FileName + "': " + ToCore(F.errorString()));
  InvalidateDirCache();
}

// ---- the window

namespace {
QIcon ThemeIcon(const char* Name, QStyle::StandardPixmap Fallback = QStyle::SP_CustomBase) {
  const QIcon Std =
      Fallback == QStyle::SP_CustomBase ? QIcon() : QApplication::style()->standardIcon(Fallback);
  return QIcon::fromTheme(QString::fromLatin1(Name), Std);
}
}  // namespace

TFormDxEdit::TFormDxEdit(QWidget* aOwner) : QDialog(aOwner) {
  setObjectName("FormDxEdit");
  setWindowTitle("View");
  resize(720, 520);
  auto* L = new QVBoxLayout(this);

  BuildMenus(L);
  BuildToolBar(L);

  Memo = new TDxMemo;
  Memo->setObjectName("Memo");
  Memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  Memo->installEventFilter(this);
  Memo->viewport()->installEventFilter(this);
  L->addWidget(Memo, 1);

  BtnClose = NewButton("&Close", "BtnClose");
  L->addLayout(NewButtonRow({}, BtnClose));

  connect(BtnClose, &QPushButton::clicked, this, &QWidget::close);
  connect(Memo, &QPlainTextEdit::modificationChanged, this, [this] { UpdateControls(); });
  UpdateControls();
}

// The menus: one action per command.
void TFormDxEdit::BuildMenus(QVBoxLayout* L) {
  auto* Menu = new QMenuBar;
  L->setMenuBar(Menu);
  // A command: its menu item, and the tool button that shows it (below).
  // Every command ends with the window's controls brought up to date.
  const auto Item = [this](QMenu* M, const char* Name, const char* Caption, std::function<void()> Body,
                           const QKeySequence& Key = {}) {
    QAction* A = M->addAction(Caption);
    A->setObjectName(Name);
    if (!Key.isEmpty()) A->setShortcut(Key);
    ConnectGuarded(A, &QAction::triggered, this, [this, Body] {
      Body();
      UpdateControls();
    });
    return A;
  };
  File1 = Menu->addMenu("&File");
  Open1 = Item(File1, "Open1", "&Open...", [this] { OpenClick(); });
  Save1 = Item(
      File1, "Save1", "&Save", [this] { SaveClick(); }, QKeySequence("Ctrl+S"));
  SaveAs1 = Item(File1, "SaveAs1", "Save &As...", [this] { SaveAsClick(); });
  File1->addSeparator();
  Close1 = File1->addAction("&Close");
  Close1->setObjectName("Close1");
  connect(Close1, &QAction::triggered, this, &QWidget::close);

  Edit1 = Menu->addMenu("&Edit");
  Undo1 = Item(
      Edit1, "Undo1", "&Undo", [this] { UndoClick(); }, QKeySequence("Ctrl+Z"));
  Edit1->addSeparator();
  Cut1 = Item(Edit1, "Cut1", "Cu&t", [this] { Memo->cut(); });
  Copy1 = Item(Edit1, "Copy1", "&Copy", [this] { Memo->copy(); });
  Paste1 = Item(
      Edit1, "Paste1", "&Paste", [this] { PasteClick(); }, QKeySequence("Ctrl+V"));
  Delete1 = Item(Edit1, "Delete1", "&Delete", [this] { Memo->textCursor().removeSelectedText(); });
  Edit1->addSeparator();
  SelectAll1 = Item(Edit1, "SelectAll1", "&Select All", [this] { Memo->selectAll(); });
  // The text area handles these keys itself; the menu only shows them.
  Cut1->setShortcut(QKeySequence("Ctrl+X"));
  Copy1->setShortcut(QKeySequence("Ctrl+C"));
  Delete1->setShortcut(QKeySequence(Qt::Key_Delete));
  for (QAction* A : {Cut1, Copy1, Delete1}) A->setShortcutContext(Qt::WidgetShortcut);

  Navigate1 = Menu->addMenu("&Navigate");
  Top1 = Item(Navigate1, "Top1", "&Top", [this] { Memo->Top(); });
  Bottom1 = Item(Navigate1, "Bottom1", "&Bottom", [this] { Memo->Bottom(); });

  Options1 = Menu->addMenu("&Options");
  Wrap1 = Item(Options1, "Wrap1", "&Wrap", [this] { WrapClick(); });
  AllowEdit1 = Item(Options1, "AllowEdit1", "Allow &Edit", [this] { AllowEditClick(); });
  Wrap1->setCheckable(true);
  AllowEdit1->setCheckable(true);
  for (QMenu* M : {File1, Edit1, Options1}) connect(M, &QMenu::aboutToShow, this, [this] { UpdateMenus(); });
  File1->setObjectName("File1");
  Edit1->setObjectName("Edit1");
  Navigate1->setObjectName("Navigate1");
  Options1->setObjectName("Options1");
}

// The tool bar: each button shows a menu command.
void TFormDxEdit::BuildToolBar(QVBoxLayout* L) {
  auto* Bar = new QToolBar;
  Bar->setObjectName("ToolBar");
  const auto Button = [Bar](const char* Name, const char* Hint, const char* Text, const QIcon& Icon) {
    auto* B = new QToolButton;
    B->setObjectName(Name);
    B->setText(Text);
    B->setIcon(Icon);
    B->setToolButtonStyle(Icon.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    B->setAutoRaise(true);
    SetHint(B, Hint);
    Bar->addWidget(B);
    return B;
  };
  BtnTop = Button("BtnTop", "Goto Top", "Top", ThemeIcon("go-top", QStyle::SP_ArrowUp));
  BtnBottom = Button("BtnBottom", "Goto Bottom", "Bottom", ThemeIcon("go-bottom", QStyle::SP_ArrowDown));
  BtnWrap = Button("BtnWrap", "Wrap", "Wrap", ThemeIcon("format-justify-fill"));
  BtnWrap->setCheckable(true);
  Bar->addSeparator();
  BtnSave = Button("BtnSave", "Save", "Save", ThemeIcon("document-save", QStyle::SP_DialogSaveButton));
  BtnAllowEdit = Button("BtnAllowEdit", "Allow Edit", "Edit", ThemeIcon("document-edit"));
  BtnAllowEdit->setCheckable(true);
  BtnUndo = Button("BtnUndo", "Undo", "Undo", ThemeIcon("edit-undo"));
  Bar->addSeparator();
  BtnCut = Button("BtnCut", "Cut", "Cut", ThemeIcon("edit-cut"));
  BtnCopy = Button("BtnCopy", "Copy", "Copy", ThemeIcon("edit-copy"));
  BtnPaste = Button("BtnPaste", "Paste", "Paste", ThemeIcon("edit-paste"));
  L->addWidget(Bar);
  // Each tool button shows the command of its menu item.
  const std::pair<QToolButton*, QAction*> Shown[] = {
      {BtnTop, Top1},   {BtnBottom, Bottom1},       {BtnWrap, Wrap1},
      {BtnSave, Save1}, {BtnAllowEdit, AllowEdit1}, {BtnUndo, Undo1},
      {BtnCut, Cut1},   {BtnCopy, Copy1},           {BtnPaste, Paste1},
  };
  for (const auto& [Button, Command] : Shown) ShowInButton(Button, Command);
}

bool TFormDxEdit::Wrap() const { return Memo->Wrap(); }

void TFormDxEdit::SetWrap(bool Value) {
  Memo->SetWrap(Value);
  Wrap1->setChecked(Value);
}

bool TFormDxEdit::ReadOnlyText() const { return Memo->isReadOnly(); }

void TFormDxEdit::UpdateControls() {
  const bool V = FViewOnly, R = ReadOnlyText();
  QString Caption = V || R ? "View" : "Edit";
  if (!FFullName.empty()) Caption += " - " + FromCore(FFullName);
  setWindowTitle(Caption);
  UpdateMenus();
}

void TFormDxEdit::UpdateMenus() {
  const bool V = FViewOnly, R = ReadOnlyText(), M = Memo->document()->isModified();
  const bool S = Memo->textCursor().hasSelection();
  Save1->setEnabled(!V && M);
  SaveAs1->setEnabled(!V);
  Undo1->setEnabled(!V && M && !R);
  Cut1->setEnabled(!V && S && !R);
  Delete1->setEnabled(!V && S && !R);
  Copy1->setEnabled(S);
  Paste1->setEnabled(!V && !R);
  SelectAll1->setEnabled(true);
  Wrap1->setChecked(Memo->Wrap());
  AllowEdit1->setChecked(!V && !R);
  AllowEdit1->setEnabled(!V);
}

bool TFormDxEdit::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Memo || Watched == Memo->viewport()) {
    switch (Event->type()) {
      case QEvent::KeyRelease:
      case QEvent::MouseButtonRelease: UpdateControls(); break;
      case QEvent::ShortcutOverride: {
        // Undo and Paste are the window's own commands (reload; paste with
        // its check), not the text area's.
        auto* K = static_cast<QKeyEvent*>(Event);
        if (K->matches(QKeySequence::Undo) || K->matches(QKeySequence::Paste)) {
          K->ignore();
          return true;
        }
        break;
      }
      default: break;
    }
  }
  return QDialog::eventFilter(Watched, Event);
}

void TFormDxEdit::LoadFile(const std::string& FullName) {
  QFile F(QFile::decodeName(QByteArray::fromStdString(MapFileName(FullName))));
  if (!F.open(QIODevice::ReadOnly))
    throw EDxError("Cannot read '" + FullName + "': " + ToCore(F.errorString()));
  const QByteArray Bytes = F.readAll();
  if (F.error() != QFileDevice::NoError)
    throw EDxError("Cannot read '" + FullName + "': " + ToCore(F.errorString()));
  TBusyCursor Busy;
  TTextFileFormat Format;
  const QString Text = DecodeTextFile(Bytes, Format);
  Memo->setPlainText(Text);
  // A line keeps its own end through edits: its block carries it. A line
  // typed anew takes the file's first line end.
  if (!Format.LineEnds.empty()) {
    QTextBlock B = Memo->document()->firstBlock();
    for (size_t i = 0; i < Format.LineEnds.size() && B.isValid(); ++i, B = B.next())
      B.setUserState(Format.LineEnds[i]);
  }
  FFormat = Format;
  FLoadedBytes = Bytes;
  FFullName = FullName;
}

qint64 TFormDxEdit::FLargeFileLimit = 16ll << 20;

void TFormDxEdit::OpenFile(const std::string& FullName) {
  // A file the editor would need many times its size for is shown read-only
  // in a window of its own.
  const qint64 Size = FileExists(FullName) ? QFileInfo(FromCore(MapFileName(FullName))).size() : 0;
  if (Size > FLargeFileLimit) {
    TFormBigText Big(this, FullName,
                     QString("%1 has %2 MB: it is shown read-only, since files of more than %3 MB cannot be "
                             "edited here. Open it in another editor to change it.")
                         .arg(FromCore(FullName))
                         .arg(double(Size) / 1048576.0, 0, 'f', 1)
                         .arg(FLargeFileLimit >> 20));
    if (!Big.Loaded()) throw EDxError("Cannot read '" + FullName + "'");
    if (FStartLine > 0) Big.Area()->ScrollToLine(FStartLine - 1);
    FWasShown = true;
    ExecModal(Big);
    return;
  }
  if (FileExists(FullName)) {
    LoadFile(FullName);
  } else {
    Memo->clear();
    FFullName.clear();
    FLoadedBytes.clear();
    ShowErrorBox("File '" + FullName + "' not found");
    if (FCloseWhenNotFound) return;
  }
  Memo->setReadOnly(FStartView);
  if (const QTextBlock Line = Memo->document()->findBlockByNumber(FStartLine - 1);
      FStartLine > 0 && Line.isValid()) {
    QTextCursor C(Line);
    C.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Memo->setTextCursor(C);
    Memo->centerCursor();
  }
  UpdateControls();
  Memo->setFocus();
  if (!isVisible()) {
    FWasShown = true;
    ExecModal(*this);
  }
}

void TFormDxEdit::Open(const std::string& FullPath, const std::string& DefaultName) {
  TFileDialogRequest OpenDialog;
  OpenDialog.Title = "Open File...";
  OpenDialog.Filter = "All Files (*.*)|*.*";
  OpenDialog.InitialDir = FromCore(FullPath.empty() ? GetCurrentDir() : ExpandFileName(FullPath));
  OpenDialog.FileName = FromCore(DefaultName);
  OpenDialog.MustExist = true;
  const QString Chosen = AskFileName(OpenDialog);
  if (!Chosen.isEmpty()) OpenFile(ToCore(Chosen));
}

void TFormDxEdit::OpenClick() { Open(ExtractFilePath(FFullName), ExtractFileName(FFullName)); }

void TFormDxEdit::SaveTo(const std::string& FullName) {
  // An unchanged text goes back exactly as it was read.
  if (!FFormat.LineEnds.empty()) {
    const int Default = FFormat.LineEnd == "\n"   ? TTextFileFormat::EndLf
                        : FFormat.LineEnd == "\r" ? TTextFileFormat::EndCr
                                                  : TTextFileFormat::EndCrLf;
    FFormat.LineEnds.clear();
    for (QTextBlock B = Memo->document()->firstBlock(); B.isValid(); B = B.next())
      FFormat.LineEnds.push_back(static_cast<unsigned char>(B.userState() >= 0 ? B.userState() : Default));
  }
  const QByteArray Bytes =
      !Memo->document()->isModified() && !FLoadedBytes.isNull()
          ? FLoadedBytes
          : EncodeTextFile(Memo->document()->toRawText().replace(QChar::ParagraphSeparator, '\n'), FFormat);
  SaveFileSafely(FullName, Bytes);
  FLoadedBytes = Bytes;
  Memo->document()->setModified(false);
}

void TFormDxEdit::SaveClick() {
  if (!Memo->document()->isModified()) return;
  if (ConfirmYesNo("Save changes?")) SaveTo(FFullName);
  UpdateControls();
}

void TFormDxEdit::SaveAsClick() {
  TFileDialogRequest SaveDialog;
  SaveDialog.Save = true;
  SaveDialog.Title = "Save As...";
  SaveDialog.Filter = "All Files (*.*)|*.*";
  SaveDialog.InitialDir =
      FromCore(FFullName.empty() ? GetCurrentDir() : ExpandFileName(ExtractFilePath(FFullName)));
  SaveDialog.FileName = FromCore(ExtractFileName(FFullName));
  SaveDialog.MustExist = false;
  const QString Chosen = AskFileName(SaveDialog);
  if (Chosen.isEmpty()) return;
  const std::string Name = ToCore(Chosen);
  if (FileExists(Name) && !ConfirmYesNo("File '" + Name + "' already exists. Overwrite?")) return;
  SaveTo(Name);
  FFullName = Name;
  UpdateControls();
}

void TFormDxEdit::UndoClick() {
  if (!ConfirmYesNo("Undo all changes?")) return;
  Memo->clear();
  if (!FFullName.empty()) LoadFile(FFullName);
  UpdateControls();
}

void TFormDxEdit::PasteClick() {
  const QMimeData* Data = QApplication::clipboard()->mimeData();
  if (!Data || !Data->hasText()) throw EDxError("Clipboard contents is not text");
  Memo->paste();
  UpdateControls();
}

void TFormDxEdit::AllowEditClick() {
  if (FViewOnly) return;
  Memo->setReadOnly(!Memo->isReadOnly());
  UpdateControls();
}

void TFormDxEdit::WrapClick() { SetWrap(!Memo->Wrap()); }

void TFormDxEdit::done(int Result) {
  if (Result == QDialog::Rejected && Memo->document()->isModified()) {
    switch (AskYesNoCancel("Save changes to " + FFullName)) {
      case TMsgResult::Yes:
        if (!GuardedCall([this] { SaveTo(FFullName); })) return;
        break;
      case TMsgResult::No: break;
      default: return;
    }
  }
  QDialog::done(Result);
}
