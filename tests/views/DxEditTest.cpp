// The text viewer: the memo's line operations, the window's commands and
// enabling rules, encodings and line ends kept byte for byte, and saving
// that never leaves a half-written file.

#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <csignal>
#include <filesystem>

#include "BigTextView.h"
#include "DxMemo.h"
#include "Dxedit.h"
#include "WinTestSupport.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"

namespace fs = std::filesystem;

TEST(DxMemo, LineOperations) {
  struct Case {
    const char* Text;
    std::function<void(TDxMemo&)> Op;
    const char* Result;
  };
  const Case Cases[] = {
      {"! a\n b\n!c", [](TDxMemo& M) { M.RemovePrefix("! "); }, "a\n b\n!c"},
      {"! a\nb\n!c\n", [](TDxMemo& M) { M.RemovePrefix(""); }, "! a\nb\n!c\n"},
      {"b\nA\na\n", [](TDxMemo& M) { M.Sort(); }, "A\nb\n"},
      {"x\ny", [](TDxMemo& M) { M.AddPrefix("* "); }, "* x\n* y"},
      {"", [](TDxMemo& M) { M.AddPrefix("* "); }, ""},
  };
  for (const Case& C : Cases) {
    TDxMemo M;
    M.setPlainText(C.Text);
    C.Op(M);
    EXPECT_EQ(M.toPlainText(), C.Result) << C.Text;
  }
  TDxMemo M;
  M.setPlainText("ab\ncde\n\nf");
  EXPECT_EQ(M.TotalSize(), 6);
  EXPECT_FALSE(M.Wrap());
  M.SetWrap(true);
  EXPECT_TRUE(M.Wrap());
  EXPECT_EQ(M.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  M.Bottom();
  EXPECT_EQ(M.Row(), 3);
  EXPECT_EQ(M.Column(), 1);
  EXPECT_FALSE(M.document()->isModified());
  M.Top();
  EXPECT_EQ(M.Row(), 0);
  EXPECT_EQ(M.Column(), 0);
  EXPECT_FALSE(M.textCursor().hasSelection());
}

TEST(DxMemo, TheViewFollowsScrolling) {
  TDxMemo M;
  QStringList Lines;
  for (int I = 0; I < 200; ++I) Lines << QString::number(I);
  M.setPlainText(Lines.join('\n'));
  M.resize(200, 200);
  M.show();
  EXPECT_GT(M.LinesShowing(), 3);
  EXPECT_EQ(M.FirstVisibleLine(), 0);
  M.LineScroll(10);
  EXPECT_EQ(M.FirstVisibleLine(), 10);
  M.LineScroll(-4);
  EXPECT_EQ(M.FirstVisibleLine(), 6);
}

TEST(DxEdit, EncodingsAndLineEndsComeBackByteForByte) {
  const std::string Cases[] = {
      "plain ascii\r\nsecond\r\n",
      "unix line ends\nno final break",
      "old mac\rline ends\r",
      "utf-8 \xc3\xa9t\xc3\xa9\r\n",
      "latin-1 \xe9t\xe9 and a \xa0 no-break space\r\n",
      "\xef\xbb\xbfutf-8 with its mark\r\n",
      std::string("\xff\xfe"
                  "a\0\r\0\n\0b\0",
                  10),
      std::string("\xfe\xff\0a\0\n", 6),
      "mixed\r\nline\nends\r\n",
      "",
  };
  for (const std::string& Bytes : Cases) {
    SCOPED_TRACE(::testing::PrintToString(Bytes));
    TTextFileFormat F;
    const QByteArray B(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
    const QString Text = DecodeTextFile(B, F);
    EXPECT_FALSE(Text.contains('\r'));
    EXPECT_EQ(EncodeTextFile(Text, F), B);
  }
  // A character Latin-1 cannot hold is kept: the text goes out as UTF-8.
  TTextFileFormat F;
  DecodeTextFile("caf\xe9\n", F);
  EXPECT_EQ(F.Encoding, TTextFileFormat::Latin1);
  EXPECT_EQ(EncodeTextFile(QString::fromUtf8("\xe2\x82\xac\n"), F), "\xe2\x82\xac\n");
}

namespace {
class TViewer : public ::testing::Test {
 protected:
  TTempDir Dir;
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  QWidget Owner;
};
}  // namespace

TEST_F(TViewer, AMissingFileIsReportedAndNoWindowShown) {
  TFormDxEdit E(&Owner);
  E.SetWrap(true);
  const std::string Log = Dir / "KRL.LOG";
  Boxes.Expect(TMsgKind::Error, "File '" + Log + "' not found");
  E.OpenFile(Log);
  EXPECT_TRUE(E.FullName().empty());
  EXPECT_TRUE(E.Wrap());
  EXPECT_TRUE(E.BtnWrap->isChecked());
}

TEST_F(TViewer, ViewingNavigatesWithoutModifyingAndClosesWithoutAsking) {
  const std::string File = Dir.Write("log.txt", "one\r\ntwo\r\nthree\r\n");
  TFormDxEdit E(&Owner);
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    EXPECT_EQ(D.windowTitle(), QString::fromStdString("View - " + File));
    EXPECT_FALSE(E.BtnSave->isEnabled());
    EXPECT_FALSE(E.BtnAllowEdit->isEnabled());
    EXPECT_FALSE(E.BtnPaste->isEnabled());
    E.BtnBottom->click();
    E.BtnTop->click();
    EXPECT_FALSE(E.Memo->document()->isModified());
    E.BtnClose->click();  // no question
    EXPECT_FALSE(D.isVisible());
    return static_cast<int>(QDialog::Rejected);
  });
  E.OpenFile(File);
}

TEST_F(TViewer, EachToolButtonIsItsMenuCommand) {
  const std::string File = Dir.Write("data.txt", "abc\r\n");
  TFormDxEdit E(&Owner);
  E.SetViewOnly(false);
  E.SetStartView(false);
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    auto* Wrap1 = FindChild<QAction>(&D, "Wrap1");
    auto* Save1 = FindChild<QAction>(&D, "Save1");
    auto* BtnWrap = FindChild<QToolButton>(&D, "BtnWrap");
    auto* BtnSave = FindChild<QToolButton>(&D, "BtnSave");
    // The menu command checks the button, the button the command.
    Wrap1->trigger();
    EXPECT_TRUE(E.Wrap());
    EXPECT_TRUE(BtnWrap->isChecked());
    QTest::mouseClick(BtnWrap, Qt::LeftButton);
    EXPECT_FALSE(E.Wrap());
    EXPECT_FALSE(Wrap1->isChecked());
    EXPECT_FALSE(BtnWrap->isChecked());
    // Enabled together: nothing to save, then a change.
    EXPECT_FALSE(Save1->isEnabled());
    EXPECT_FALSE(BtnSave->isEnabled());
    E.Memo->setFocus();
    QTest::keyClick(E.Memo, Qt::Key_X);
    EXPECT_TRUE(Save1->isEnabled());
    EXPECT_TRUE(BtnSave->isEnabled());
    Boxes.Expect(TMsgKind::Confirmation, "Save changes?", TMsgResult::Yes);
    QTest::mouseClick(BtnSave, Qt::LeftButton);
    EXPECT_FALSE(Save1->isEnabled());
    EXPECT_FALSE(BtnSave->isEnabled());
    return static_cast<int>(QDialog::Rejected);
  });
  E.OpenFile(File);
  EXPECT_EQ(ReadFileBytes(File), "xabc\r\n");
}

TEST_F(TViewer, EditingEnablesSaveAndUndoAndClosingAsks) {
  const std::string File = Dir.Write("data.txt", "abc\r\n");
  TFormDxEdit E(&Owner);
  E.SetViewOnly(false);
  E.SetStartView(false);
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    EXPECT_EQ(D.windowTitle(), QString::fromStdString("Edit - " + File));
    EXPECT_FALSE(E.BtnSave->isEnabled());
    E.Memo->setFocus();
    E.Memo->moveCursor(QTextCursor::End);
    QTest::keyClick(E.Memo, Qt::Key_X);
    EXPECT_TRUE(E.BtnSave->isEnabled());
    EXPECT_TRUE(E.BtnUndo->isEnabled());
    // Closing asks; Cancel keeps the window.
    Boxes.Expect(TMsgKind::Confirmation, "Save changes to " + File, TMsgResult::Cancel);
    E.BtnClose->click();
    EXPECT_TRUE(D.isVisible());
    // Undo reloads the file.
    Boxes.Expect(TMsgKind::Confirmation, "Undo all changes?", TMsgResult::Yes);
    E.BtnUndo->click();
    EXPECT_EQ(E.Memo->toPlainText(), "abc\n");
    // Allow Edit off: read-only, "View" again.
    E.BtnAllowEdit->click();
    EXPECT_TRUE(E.Memo->isReadOnly());
    EXPECT_TRUE(D.windowTitle().startsWith("View - "));
    E.BtnAllowEdit->click();
    // A change saved with Yes on closing.
    QTest::keyClick(E.Memo, Qt::Key_Y);
    Boxes.Expect(TMsgKind::Confirmation, "Save changes to " + File, TMsgResult::Yes);
    E.BtnClose->click();
    EXPECT_FALSE(D.isVisible());
    return static_cast<int>(QDialog::Rejected);
  });
  E.OpenFile(File);
  EXPECT_EQ(Dir.Read("data.txt"), "yabc\r\n");  // the caret is at the start after the reload
}

TEST_F(TViewer, SaveAsAsksBeforeOverwritingAndPasteWantsText) {
  const std::string File = Dir.Write("a.txt", "caf\xe9\r\n");
  const std::string Other = Dir.Write("b.txt", "keep me");
  TFormDxEdit E(&Owner);
  E.SetViewOnly(false);
  E.SetStartView(false);
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    QTest::keyClick(E.Memo, Qt::Key_Z);
    Dialogs.ExpectFile(QString::fromStdString(Other));
    Boxes.Expect(TMsgKind::Confirmation, "File '" + Other + "' already exists. Overwrite?", TMsgResult::No);
    E.SaveAs1->trigger();
    EXPECT_EQ(Dir.Read("b.txt"), "keep me");
    EXPECT_EQ(E.FullName(), File);

    const std::string New = Dir / "c.txt";
    Dialogs.ExpectFile(QString::fromStdString(New));
    E.SaveAs1->trigger();
    EXPECT_EQ(E.FullName(), New);
    EXPECT_EQ(Dir.Read("c.txt"), "zcaf\xe9\r\n");  // Latin-1 and CR LF, as loaded
    EXPECT_TRUE(D.windowTitle().endsWith(QString::fromStdString(New)));
    EXPECT_FALSE(E.BtnSave->isEnabled());

    // Paste without text on the clipboard: the error, the text unchanged.
    auto* Data = new QMimeData;
    Data->setData("application/octet-stream", "\x01\x02");
    QApplication::clipboard()->setMimeData(Data);
    const QString Before = E.Memo->toPlainText();
    Boxes.Expect(TMsgKind::Error, "Clipboard contents is not text.");
    E.BtnPaste->click();
    EXPECT_EQ(E.Memo->toPlainText(), Before);
    return RejectDialog(D);
  });
  E.OpenFile(File);
}

// Lines that end differently keep their own ends when the text is edited
// and saved; a line typed anew takes the file's first line end.
TEST_F(TViewer, EditedLinesKeepTheirOwnLineEnds) {
  const std::string File = Dir.Write("mixed.txt", "one\r\ntwo\nthree\rfour\r\n");
  TFormDxEdit E(&Owner);
  E.SetViewOnly(false);
  E.SetStartView(false);
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    auto* Memo = Find<QPlainTextEdit>(&D, "Memo");
    Memo->setFocus();
    Memo->moveCursor(QTextCursor::Start);
    QTest::keyClick(Memo, Qt::Key_End);
    QTest::keyClick(Memo, Qt::Key_Return);
    QTest::keyClicks(Memo, "new");
    QTest::keyClick(Memo, Qt::Key_Down);
    QTest::keyClick(Memo, Qt::Key_End);
    QTest::keyClicks(Memo, "X");
    Boxes.Expect(TMsgKind::Confirmation, "Save changes?", TMsgResult::Yes);
    QTest::mouseClick(Find<QToolButton>(&D, "BtnSave"), Qt::LeftButton);
    return RejectDialog(D);
  });
  E.OpenFile(File);
  EXPECT_EQ(Dir.Read("mixed.txt"), "one\r\nnew\r\ntwoX\nthree\rfour\r\n");
}

// A file above the editing limit opens read-only in a window of its own,
// which says why, shows every line and scrolls to the end.
TEST_F(TViewer, AFileTooLargeToEditIsShownReadOnly) {
  std::string Text;
  for (int i = 1; i <= 100; ++i) Text += "line " + std::to_string(i) + (i % 2 ? "\r\n" : "\n");
  const std::string File = Dir.Write("big.out", Text);
  TFormDxEdit::SetLargeFileLimit(512);
  TFormDxEdit E(&Owner);
  E.SetViewOnly(false);
  E.SetStartView(false);
  Dialogs.ExpectModal("FormBigText", [&](QDialog& D) {
    EXPECT_TRUE(Find<QLabel>(&D, "LblBigText")->text().contains("shown read-only"));
    auto* Area = Find<TBigTextArea>(&D, "BigText");
    EXPECT_EQ(Area->LineCount(), 100);
    EXPECT_EQ(Area->LineText(0), "line 1");
    EXPECT_EQ(Area->LineText(99), "line 100");
    QTest::mouseClick(Find<QPushButton>(&D, "BtnBottom"), Qt::LeftButton);
    EXPECT_GT(Area->TopLine(), 50);
    QTest::keyClick(Area, Qt::Key_Home);
    EXPECT_EQ(Area->TopLine(), 0);
    QTest::mouseClick(Find<QPushButton>(&D, "BtnClose"), Qt::LeftButton);
    return D.result();
  });
  E.OpenFile(File);
  TFormDxEdit::SetLargeFileLimit(16ll << 20);
  EXPECT_TRUE(E.WasShown());
  EXPECT_EQ(Dir.Read("big.out"), Text);
}

TEST_F(TViewer, AFailedSaveLeavesTheFileAsItWas) {
  const std::string File = Dir.Write("keep.txt", "original\n");
  TFormDxEdit E(&Owner);
  E.SetViewOnly(false);
  E.SetStartView(false);
  Dialogs.ExpectModal("FormDxEdit", [&](QDialog& D) {
    // A disk that fills up: no write beyond 4 KB (this holds for root too).
    E.Memo->insertPlainText(QString(70000, 'x'));
    rlimit Old{};
    getrlimit(RLIMIT_FSIZE, &Old);
    const rlimit Small{4096, Old.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &Small);
    Boxes.Expect(TMsgKind::Confirmation, "Save changes?", TMsgResult::Yes);
    Boxes.Expect(TMsgKind::Error);
    E.BtnSave->click();
    setrlimit(RLIMIT_FSIZE, &Old);
    EXPECT_EQ(Dir.Read("keep.txt"), "original\n");
    EXPECT_TRUE(E.Memo->document()->isModified());
    E.Memo->setPlainText("q");
    E.Memo->document()->setModified(true);
    // A read-only file is refused too.
    SetFileReadOnly(File, true);
    Boxes.Expect(TMsgKind::Confirmation, "Save changes?", TMsgResult::Yes);
    Boxes.Expect(TMsgKind::Error, "Cannot save '" + File + "': the file is read-only.");
    E.BtnSave->click();
    EXPECT_EQ(Dir.Read("keep.txt"), "original\n");
    SetFileReadOnly(File, false);
    Boxes.Expect(TMsgKind::Confirmation, "Save changes?", TMsgResult::Yes);
    E.BtnSave->click();
    EXPECT_EQ(Dir.Read("keep.txt"), "q");
    return RejectDialog(D);
  });
  E.OpenFile(File);
  int Files = 0;
  for (const auto& Entry : fs::directory_iterator(Dir.Path())) Files += Entry.is_regular_file();
  EXPECT_EQ(Files, 1);  // no temporary file left behind
}
