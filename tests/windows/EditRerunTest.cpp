// The rerun value-set editor: loading pairs, checking and rewriting the
// cells, storing the filled rows, and the range test on OK.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DxGrid.h"
#include "Kvedtrun.h"
#include "WinTestSupport.h"
#include "catalogue/KvRerun.h"

namespace {
// n pairs "i,i*2" for i = 0..n-1 (x stays within 0 to 3 only for small n:
// the tests that use many pairs give the variable a wide x range).
std::string Pairs(int N, const char* Fmt = "%d,%d") {
  std::string S;
  for (int i = 0; i < N; ++i) {
    char Buf[64];
    std::snprintf(Buf, sizeof Buf, Fmt, i, 2 * i);
    S += (i ? "," : "") + std::string(Buf);
  }
  return S;
}

class TEditRerunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Var.SetDescription("AMAXTB");
    Var.SetMeaning("maximum leaf assimilation over development stage");
    Var.SetVarType("SD");
    Var.SetMin(0);
    Var.SetMax(100);
  }

  // Opens the editor on Var through the scripted modal handler; Body acts on
  // the shown dialog and gives the answer.
  int Edit(const std::function<int(TFormEditRerun&, TDxStringGrid&)>& Body) {
    TFormEditRerun Form(nullptr);
    Form.SetValue(&Var);
    TScriptedDialogs Dialogs;
    Dialogs.ExpectModal("FormEditRerun", [&](QDialog& D) {
      D.activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(&D));
      return Body(Form, *Find<TDxStringGrid>(&Form, "SGValues"));
    });
    return ExecModal(Form);
  }
  // Presses OK; answers the dialog's result when it closed, -1 while it stays open.
  static int PressOk(TFormEditRerun& F) {
    QTest::mouseClick(Find<QPushButton>(&F, "OKBtn"), Qt::LeftButton);
    return F.isVisible() ? -1 : F.result();
  }
  // Types Text into a cell as the user does: the cell made current (which
  // opens its editor with the old text selected), then key by key to the
  // control that has the focus.
  static void Type(TDxStringGrid& G, int Col, int Row, const QString& Text) {
    G.setFocus();
    G.SetCurrentCell(Col, Row);
    for (const QChar C : Text) QTest::keyClicks(QApplication::focusWidget(), QString(C));
  }
  // Keys to the control that has the focus, as the keyboard sends them.
  static void Key(Qt::Key K) { QTest::keyClick(QApplication::focusWidget(), K); }
  static QStringList Column(const TDxStringGrid& G, int Col) {
    QStringList L;
    for (int Row = 0; Row < G.RowCount(); ++Row) L << G.Cells(Col, Row);
    return L;
  }

  TRerunVar Var;
};

struct TLoadCase {
  const char* Name;
  std::string Value;
  int Rows;            // rows of the grid
  int Shown;           // rows holding a pair
  std::string Stored;  // value after OK without changes
};

void PrintTo(const TLoadCase& C, std::ostream* Os) { *Os << C.Name; }

class TLoadTest : public TEditRerunTest, public ::testing::WithParamInterface<TLoadCase> {};

TEST_P(TLoadTest, ShowsThePairsAndOkStoresThemReformatted) {
  const TLoadCase& C = GetParam();
  Var.SetVarType("ST");  // x from -10 to 50: room for the long tables
  Var.SetValue(C.Value);
  const int Result = Edit([&](TFormEditRerun& F, TDxStringGrid& G) {
    EXPECT_EQ(Find<QLabel>(&F, "lblName")->text(), "AMAXTB");
    EXPECT_EQ(Find<QLabel>(&F, "lblMeaning")->text(), "maximum leaf assimilation over development stage");
    EXPECT_EQ(G.ColCount(), 2);
    EXPECT_EQ(G.RowCount(), C.Rows);
    int Shown = 0;
    for (int Row = 0; Row < G.RowCount(); ++Row)
      if (!G.Cells(0, Row).isEmpty() || !G.Cells(1, Row).isEmpty()) Shown = Row + 1;
    EXPECT_EQ(Shown, C.Shown);
    return PressOk(F);
  });
  EXPECT_EQ(Result, QDialog::Accepted);
  EXPECT_EQ(Var.Value(), C.Stored);
}

INSTANTIATE_TEST_SUITE_P(
    EditRerun, TLoadTest,
    ::testing::Values(TLoadCase{"TwoPairs", "0,10,1.5,20", 15, 2, "0.00000,10.00000,1.50000,20.00000"},
                      // a lone last piece is not shown, so it is not stored either
                      TLoadCase{"LoneLastPiece", "0,10,1", 15, 1, "0.00000,10.00000"},
                      TLoadCase{"OnePiece", "7", 15, 0, ""}, TLoadCase{"Empty", "", 15, 0, ""},
                      TLoadCase{"Blanks", " 1 , 2.50 ", 15, 1, "1.00000,2.50000"},
                      // a full grid and more: every pair gets its row, plus one empty row
                      TLoadCase{"FifteenPairs", Pairs(15), 16, 15, Pairs(15, "%d.00000,%d.00000")},
                      TLoadCase{"TwentyPairs", Pairs(20), 21, 20, Pairs(20, "%d.00000,%d.00000")}),
    [](const ::testing::TestParamInfo<TLoadCase>& Info) { return std::string(Info.param.Name); });

TEST_F(TEditRerunTest, CellsAreShownAsTheyStand) {
  Var.SetValue(" 0 ,10,,x");
  Edit([](TFormEditRerun& F, TDxStringGrid& G) {
    EXPECT_EQ(Column(G, 0).mid(0, 2), QStringList({" 0 ", ""}));
    EXPECT_EQ(Column(G, 1).mid(0, 2), QStringList({"10", "x"}));
    return RejectDialog(F);
  });
}

TEST_F(TEditRerunTest, ACellThatIsNoNumberIsRefusedAndBecomesCurrent) {
  Var.SetValue("0,10,1.5,20");
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "Invalid input");
  const int Result = Edit([](TFormEditRerun& F, TDxStringGrid& G) {
    Type(G, 0, 1, "abc");
    EXPECT_EQ(PressOk(F), -1);
    EXPECT_EQ(G.Col(), 0);
    EXPECT_EQ(G.Row(), 1);
    EXPECT_TRUE(G.hasFocus() || G.isAncestorOf(QApplication::focusWidget()));
    // The cells before it were rewritten; the failing one and those after not.
    EXPECT_EQ(G.Cells(0, 0), "0.00000");
    EXPECT_EQ(G.Cells(1, 0), "10.00000");
    EXPECT_EQ(G.Cells(0, 1), "abc");
    EXPECT_EQ(G.Cells(1, 1), "20");
    QTest::mouseClick(Find<QPushButton>(&F, "CancelBtn"), Qt::LeftButton);
    return F.result();
  });
  EXPECT_EQ(Result, QDialog::Rejected);
  EXPECT_EQ(Var.Value(), "0,10,1.5,20");
}

TEST_F(TEditRerunTest, OnlyRowsWithBothCellsFilledAreStored) {
  Var.SetValue("0,10,1.5,20");
  const int Result = Edit([](TFormEditRerun& F, TDxStringGrid& G) {
    Type(G, 0, 2, "2");   // x without y
    Type(G, 1, 3, "30");  // y without x
    Type(G, 0, 4, "2.5");
    Type(G, 1, 4, "40");
    return PressOk(F);
  });
  EXPECT_EQ(Result, QDialog::Accepted);
  EXPECT_EQ(Var.Value(), "0.00000,10.00000,1.50000,20.00000,2.50000,40.00000");
}

TEST_F(TEditRerunTest, AllCellsClearedStoresTheEmptyValue) {
  Var.SetValue("0,10,1.5,20");
  const int Result = Edit([](TFormEditRerun& F, TDxStringGrid& G) {
    for (int Row : {0, 1})
      for (int Col : {0, 1}) G.SetCells(Col, Row, "");
    return PressOk(F);
  });
  EXPECT_EQ(Result, QDialog::Accepted);
  EXPECT_EQ(Var.Value(), "");
}

TEST_F(TEditRerunTest, APairOutsideTheRangesKeepsTheDialogOpenWithTheValueWritten) {
  Var.SetValue("0,10");
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "Invalid input");
  const int Result = Edit([this](TFormEditRerun& F, TDxStringGrid& G) {
    Type(G, 0, 1, "4");  // x above 3 for type SD
    Type(G, 1, 1, "50");
    EXPECT_EQ(PressOk(F), -1);
    // Written before the range test, and kept while the dialog is open.
    EXPECT_EQ(Var.Value(), "0.00000,10.00000,4.00000,50.00000");
    QTest::mouseClick(Find<QPushButton>(&F, "CancelBtn"), Qt::LeftButton);
    return F.result();
  });
  EXPECT_EQ(Result, QDialog::Rejected);
  EXPECT_EQ(Var.Value(), "0.00000,10.00000,4.00000,50.00000");
}

TEST_F(TEditRerunTest, CancelLeavesTheVariableAlone) {
  Var.SetValue("0,10,1.5,20");
  const int Result = Edit([](TFormEditRerun& F, TDxStringGrid& G) {
    Type(G, 1, 1, "99");
    QTest::mouseClick(Find<QPushButton>(&F, "CancelBtn"), Qt::LeftButton);
    return F.result();
  });
  EXPECT_EQ(Result, QDialog::Rejected);
  EXPECT_EQ(Var.Value(), "0,10,1.5,20");
}

TEST_F(TEditRerunTest, KeyboardOnlyTabMovesThroughTheCellsAndEnterIsOk) {
  Var.SetValue("0,10");
  const int Result = Edit([](TFormEditRerun& F, TDxStringGrid& G) {
    EXPECT_EQ(G.Col(), 0);
    EXPECT_EQ(G.Row(), 0);
    // Tab from cell to cell; the cell editor is open on every cell reached,
    // its text selected, so that typing replaces it.
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    EXPECT_EQ(G.Col(), 0);
    EXPECT_EQ(G.Row(), 1);
    Type(G, 0, 1, "1");
    Key(Qt::Key_Tab);
    EXPECT_EQ(G.Col(), 1);
    EXPECT_EQ(G.Row(), 1);
    EXPECT_TRUE(G.isAncestorOf(QApplication::focusWidget()));
    for (const char* C : {"2", "5"}) QTest::keyClicks(QApplication::focusWidget(), C);
    // Enter ends the cell's editing, a second Enter is OK.
    Key(Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(F.isVisible());
    Key(Qt::Key_Return);
    return F.isVisible() ? -1 : F.result();
  });
  EXPECT_EQ(Result, QDialog::Accepted);
  EXPECT_EQ(Var.Value(), "0.00000,10.00000,1.00000,25.00000");
}
}  // namespace
