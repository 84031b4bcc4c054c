// The validated numeric fields: ranges and hints, the setters' refusals,
// reading and writing values, the key filter, and the check on leaving with
// its restore, refocus, error box and exit event.

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusTipEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include "DxInpMemo.h"
#include "WinTestSupport.h"
#include "foundations/Errors.h"

namespace {
std::string Message(const std::function<void()>& F) {
  try {
    F();
  } catch (const EPlainError& E) {
    return E.what();
  }
  return "(no error)";
}
}  // namespace

TEST(InpMemo, ResetTakesAConsistentTripleOnly) {
  struct Case {
    bool Float;
    double Min0, Max0;     // the range before
    double Def, Min, Max;  // the Reset
    const char* Text;      // shown afterwards ("" = unchanged)
    const char* Hint;
  };
  const Case Cases[] = {
      {false, 0, 0, 5, 1, 10, "5", "Enter integer value between 1 and 10"},
      {false, 1, 10, 0, 1, 10, "", "Enter integer value between 1 and 10"},  // refused
      {false, 0, 10, 12, 11, 20, "12", "Enter integer value between 11 and 20"},
      {true, 0, 10, 15, 12, 20, "15", "Enter float value between 12.00 and 20.00"},
      {true, 0, 0, 0.5, 0, 10, "0.5", "Enter float value between 0.00 and 10.00"},
      {true, 0, 10, 11, 0, 10, "", "Enter float value between 0.00 and 10.00"},  // refused
      {true, -5, 5, -2.25, -3.5, 0, "-2.25", "Enter float value between -3.50 and 0.00"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Hint);
    if (C.Float) {
      TDxFloatMemo M;
      M.SetfMaximum(C.Max0);
      M.SetfMinimum(C.Min0);
      M.Reset(C.Def, C.Min, C.Max);
      EXPECT_EQ(M.text(), C.Text);
      EXPECT_EQ(M.toolTip(), C.Hint);
      EXPECT_EQ(M.statusTip(), C.Hint);
    } else {
      TDxIntMemo M;
      M.SetiMaximum(static_cast<int>(C.Max0));
      M.SetiMinimum(static_cast<int>(C.Min0));
      M.Reset(static_cast<int>(C.Def), static_cast<int>(C.Min), static_cast<int>(C.Max));
      EXPECT_EQ(M.text(), C.Text);
      EXPECT_EQ(M.toolTip(), C.Hint);
    }
  }
}

TEST(InpMemo, SettersRefuseWithTheirMessagesAndChangeNothing) {
  TDxIntMemo I;
  I.Reset(5, 1, 10);
  EXPECT_EQ(Message([&] { I.SetiMinimum(20); }), "Invalid value: 20\n\riMinumum <= iMaximum [10]");
  EXPECT_EQ(Message([&] { I.SetiMaximum(0); }), "Invalid value: 0\n\riMaximum >= iMinimum [1]");
  EXPECT_EQ(Message([&] { I.SetiDefault(11); }),
            "Invalid value: 11\n\riMinimum [1] <= iDefault >= iMaximum [10]");
  EXPECT_EQ(I.iMinimum(), 1);
  EXPECT_EQ(I.iMaximum(), 10);
  EXPECT_EQ(I.iDefault(), 5);
  EXPECT_EQ(I.toolTip(), "Enter integer value between 1 and 10");

  TDxFloatMemo F;
  F.Reset(0.5, 0, 1);
  EXPECT_EQ(Message([&] { F.SetfMinimum(2); }), "Invalid value: 2.00\n\rfMinumum <= fMaximum [1.00]");
  EXPECT_EQ(Message([&] { F.SetfMaximum(-1); }), "Invalid value: -1.00\n\riMaximum >= iMinimum [0.00]");
  EXPECT_EQ(Message([&] { F.SetfDefault(1.5); }),
            "Invalid value: 1.50\n\rfMinimum [0.00] <= fDefault >= fMaximum [1.00]");
  EXPECT_EQ(Message([&] { F.SetfMaximum(std::nan("")); }).rfind("Invalid value: ", 0), 0u);
  EXPECT_EQ(F.fMaximum(), 1.0);
  EXPECT_EQ(F.fDefault(), 0.5);
}

TEST(InpMemo, ValuesAreWrittenInGeneralFormat) {
  const std::pair<double, const char*> Cases[] = {
      {0.5, "0.5"},
      {10, "10"},
      {0, "0"},
      {-2.5, "-2.5"},
      {1e-6, "1E-6"},
      {0.00001, "0.00001"},
      {1.5e-7, "1.5E-7"},
      {123456.789, "123456.789"},
      {1.0 / 3, "0.333333333333333"},
      {1e15, "1E15"},
      {999999999999999, "999999999999999"},
      {2.0 / 3 * 1e20, "6.66666666666667E19"},
  };
  for (const auto& [V, Text] : Cases) EXPECT_EQ(FloatToGeneral(V), Text) << V;
}

TEST(InpMemo, ReadingANonNumberGivesTheDefaultAndShowsIt) {
  TDxIntMemo I;
  I.Reset(3, 1, 10);
  I.setText("7x");
  EXPECT_EQ(I.iValue(), 3);
  EXPECT_EQ(I.text(), "3");
  I.setText("8\n9");  // the first line counts
  EXPECT_EQ(I.iValue(), 8);
  I.SetiValue(-4);
  EXPECT_EQ(I.text(), "-4");

  TDxFloatMemo F;
  F.Reset(0.25, 0, 1);
  F.setText("abc");
  EXPECT_EQ(F.fValue(), 0.25);
  EXPECT_EQ(F.text(), "0.25");
  F.setText("1e-1");
  EXPECT_DOUBLE_EQ(F.fValue(), 0.1);
}

TEST(InpMemo, TheKeyFilterLetsNumberCharactersAndEditingKeysThrough) {
  struct Case {
    bool Float;
    const char* Start;
    QList<std::pair<Qt::Key, Qt::KeyboardModifiers>> Keys;
    const char* Result;
  };
  const Qt::KeyboardModifiers None = Qt::NoModifier;
  const Case Cases[] = {
      {false, "", {{Qt::Key_1, None}, {Qt::Key_A, None}, {Qt::Key_2, None}}, "12"},
      {false,
       "",
       {{Qt::Key_Minus, None}, {Qt::Key_E, None}, {Qt::Key_Period, None}, {Qt::Key_5, None}},
       "-5"},
      {true,
       "",
       {{Qt::Key_1, None},
        {Qt::Key_Period, None},
        {Qt::Key_E, None},
        {Qt::Key_Minus, None},
        {Qt::Key_3, None}},
       "1.e-3"},
      // A comma in a decimal field is its decimal point; other characters stay out.
      {true, "", {{Qt::Key_X, None}, {Qt::Key_Comma, None}, {Qt::Key_Space, None}}, "."},
      {false, "", {{Qt::Key_0, None}, {Qt::Key_Comma, None}, {Qt::Key_5, None}}, "05"},
      // Backspace, Delete and the arrows keep working.
      {false, "123", {{Qt::Key_Backspace, None}}, "12"},
      {false,
       "123",
       {{Qt::Key_Home, None}, {Qt::Key_Delete, None}, {Qt::Key_Right, None}, {Qt::Key_9, None}},
       "293"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Result);
    std::unique_ptr<TDxNumberMemo> M;
    if (C.Float)
      M = std::make_unique<TDxFloatMemo>();
    else
      M = std::make_unique<TDxIntMemo>();
    M->setText(C.Start);
    M->setCursorPosition(static_cast<int>(M->text().size()));
    for (const auto& [Key, Mods] : C.Keys) QTest::keyClick(M.get(), Key, Mods);
    EXPECT_EQ(M->text(), C.Result);
  }
}

TEST(InpMemo, PasteIsNotFilteredButUndoAndSelectAllWork) {
  TDxIntMemo M;
  M.setText("12");
  QTest::keyClick(&M, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(M.selectedText(), "12");
  QTest::keyClick(&M, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(M.text(), "");
  QTest::keyClick(&M, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(&M, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(M.text(), "1212");
  QTest::keyClick(&M, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(M.text(), "12");
}

namespace {
// A window with the field under test and a second control to move to.
struct TFieldWindow {
  TFieldWindow() {
    auto* L = new QVBoxLayout(&W);
    L->addWidget(I = new TDxIntMemo);
    L->addWidget(F = new TDxFloatMemo);
    L->addWidget(Other = new QLineEdit);
    I->Reset(5, 1, 10);
    F->Reset(0.5, 0, 1);
    W.show();
    W.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&W));
    Other->setFocus();
  }
  // Enters the field, types Text over what is there, and leaves it.
  void EnterTypeLeave(QLineEdit* Field, const QString& Text) {
    Field->setFocus(Qt::TabFocusReason);
    Field->setText(Text);  // as pasted: not filtered
    Other->setFocus(Qt::TabFocusReason);
  }
  QWidget W;
  TDxIntMemo* I;
  TDxFloatMemo* F;
  QLineEdit* Other;
};
}  // namespace

TEST(InpMemo, LeavingChecksTheValueRestoresAndTakesTheFocusBack) {
  struct Case {
    bool Float;
    QString Prev, Typed;
    bool Check;
    std::string Error;  // as the error box shows it; empty: none
    QString After;
    bool ExitEvent;
  };
  const Case Cases[] = {
      {false, "4", "11", true, "Value out of range:11\r\nAllowed range: 1 - 10.", "4", false},
      {false, "4", "abc", true, "Invalid value: abc\r\nAllowed range: 1 - 10.", "4", false},
      {false, "4", "10", true, "", "10", true},
      {false, "4", "0x7", true, "", "0x7", true},  // an integer by the integer test's rules
      {false, "4", "abc", false, "", "abc", false},
      {true, "0.5", "1.5", true, "Value out of range:1.5\r\nAllowed range: 0.00 - 1.00.", "0.5", false},
      {true, "0.5", "1,5", true, "Value out of range:1.5\r\nAllowed range: 0.00 - 1.00.", "0.5", false},
      {true, "0.5", "0,25", true, "", "0.25", true},
      {true, "0.5", "2.5E-1", true, "", "2.5E-1", true},
  };
  TFieldWindow Win;
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Typed.toStdString());
    TDxNumberMemo* M = C.Float ? static_cast<TDxNumberMemo*>(Win.F) : Win.I;
    M->SetbCheckInput(C.Check);
    M->setText(C.Prev);
    QSignalSpy Exits(M, &TDxNumberMemo::Exit);
    TScriptedMessages Boxes;
    if (!C.Error.empty()) Boxes.Expect(TMsgKind::Error, C.Error);
    Win.EnterTypeLeave(M, C.Typed);
    EXPECT_EQ(M->text(), C.After);
    EXPECT_EQ(Exits.count(), C.ExitEvent ? 1 : 0);
    EXPECT_EQ(QApplication::focusWidget(), C.Error.empty() ? static_cast<QWidget*>(Win.Other) : M);
    M->SetbCheckInput(true);
    Win.Other->setFocus();
  }
}

TEST(InpMemo, EnteringTakesThePreviousValueAndACancelButtonSkipsTheCheck) {
  TFieldWindow Win;
  Win.I->setText("x");
  Win.I->setFocus(Qt::TabFocusReason);  // entering replaces a non-number by the default
  EXPECT_EQ(Win.I->text(), "5");
  Win.I->setText("99");
  // Going to a cancel button checks nothing.
  auto* Cancel = new QPushButton("Cancel", &Win.W);
  MarkAsCancelButton(Cancel);
  Cancel->show();
  QSignalSpy Exits(Win.I, &TDxNumberMemo::Exit);
  Cancel->setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(Win.I->text(), "99");
  EXPECT_EQ(Exits.count(), 0);
  // A message box or another window taking the focus is no leaving.
  Win.I->setText("7");
  Win.I->setFocus(Qt::TabFocusReason);
  Win.I->setText("99");
  QFocusEvent Out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(Win.I, &Out);
  EXPECT_EQ(Win.I->text(), "99");
  // The explicit check before a command: the same restore and error.
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "Value out of range:99\r\nAllowed range: 1 - 10.");
  EXPECT_FALSE(GuardedCall([&] { Win.I->DoExit(); }));
  EXPECT_EQ(Win.I->text(), "7");
  EXPECT_EQ(QApplication::focusWidget(), Win.I);
}

// Typed as a person types: "0,5" in a decimal field is a half, a refused
// character is said in the status bar (not dropped without a word), ten
// characters is the most one may type, and a value the program writes keeps
// every digit.
TEST(InpMemo, TypingIsTakenAsMeantAndWrittenValuesKeepTheirDigits) {
  TFieldWindow Win;
  Win.F->setFocus(Qt::TabFocusReason);
  Win.F->selectAll();
  QTest::keyClicks(Win.F, "0,5");
  EXPECT_EQ(Win.F->text(), "0.5");
  EXPECT_DOUBLE_EQ(Win.F->fValue(), 0.5);

  QString Tip;
  struct TTipCatcher : QObject {
    QString* Tip;
    bool eventFilter(QObject*, QEvent* E) override {
      if (E->type() == QEvent::StatusTip) *Tip = static_cast<QStatusTipEvent*>(E)->tip();
      return false;
    }
  } Catcher;
  Catcher.Tip = &Tip;
  Win.W.installEventFilter(&Catcher);
  Win.I->setFocus(Qt::TabFocusReason);
  Win.I->selectAll();
  QTest::keyClicks(Win.I, "2x5");
  EXPECT_EQ(Win.I->text(), "25");
  EXPECT_TRUE(Tip.startsWith("This field takes whole numbers")) << Tip.toStdString();
  Tip.clear();
  QTest::keyClicks(Win.I, "123456789");
  EXPECT_EQ(Win.I->text().size(), TDxNumberMemo::MaxTyped);
  EXPECT_FALSE(Tip.isEmpty());

  Win.F->SetfValue(1.0 / 3);
  EXPECT_EQ(Win.F->text(), "0.333333333333333");
  Win.F->SetfValue(1.23456789012346E17);
  EXPECT_EQ(Win.F->text(), "1.23456789012346E17");
  EXPECT_DOUBLE_EQ(Win.F->fValue(), 1.23456789012346E17);
}
