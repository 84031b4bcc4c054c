// The variable selection dialog: groups, the sorted source list with the
// meaning, including and removing, and what the caller gets back.

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "Kvselect.h"
#include "WinTestSupport.h"
#include "catalogue/KvRerun.h"

namespace {
// Crop variables out of order and in mixed case, timer variables, no soil
// variables at all.
const std::string Catalogue = CrLf(R"(name,min,max,type,file,meaning
TSUM1,50,2500,R,CF,temperature sum to anthesis
IDEM,1,366,I,TD,day of emergence
amax,0,90,R,CF,lower-case crop variable
AMAXTB,0,90,SD,CF,maximum assimilation table
Cvl,0.5,0.9,R,CF,conversion into leaves
ISYR,1900,2100,I,TD,first year
SSMAX,0,20,R,SD,maximum surface storage
)");

class TSelectTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(LoadVarCatalogue(Dir.Write("KRL_VAR.csv", Catalogue))); }
  void TearDown() override { FreeVarCatalogue(); }

  // Shows the dialog through the scripted modal handler, runs Body on it and
  // answers with Body's result.
  int Run(TFormSelect& Form, const std::function<int(TFormSelect&)>& Body) {
    TScriptedDialogs Dialogs;
    Dialogs.ExpectModal("FormSelect", [&](QDialog& D) { return Body(static_cast<TFormSelect&>(D)); });
    return ExecModal(Form);
  }

  static QStringList Texts(const QListWidget* List) {
    QStringList T;
    for (int i = 0; i < List->count(); ++i) T << List->item(i)->text();
    return T;
  }
  // A double click as the window system delivers it: press, release, double
  // click, release.
  static void DoubleClick(QListWidget* List, int Row) {
    const QPoint At = List->visualItemRect(List->item(Row)).center();
    QTest::mousePress(List->viewport(), Qt::LeftButton, {}, At);
    QTest::mouseRelease(List->viewport(), Qt::LeftButton, {}, At);
    QTest::mouseDClick(List->viewport(), Qt::LeftButton, {}, At);
    QTest::mouseRelease(List->viewport(), Qt::LeftButton, {}, At);
  }
  static void ChooseGroup(TFormSelect& F, int Group) {
    QTest::mouseClick(Find<QRadioButton>(&F, QString("rgSelectGroup%1").arg(Group).toLatin1().constData()),
                      Qt::LeftButton);
  }

  TTempDir Dir;
};

TEST_F(TSelectTest, OpensOnTheCropGroupSortedWithTheFirstMeaning) {
  TFormSelect Form(nullptr, "reruns");
  EXPECT_EQ(Form.windowTitle(), "Select variables reruns");
  EXPECT_EQ(Find<QLabel>(&Form, "DstLabel")->text(), "Use in reruns");
  Run(Form, [](TFormSelect& F) {
    auto* Src = Find<QListWidget>(&F, "SrcList");
    EXPECT_TRUE(Find<QRadioButton>(&F, "rgSelectGroup0")->isChecked());
    EXPECT_EQ(Texts(Src), QStringList({"amax", "AMAXTB", "Cvl", "TSUM1"}));
    EXPECT_EQ(Src->currentRow(), 0);
    EXPECT_EQ(Find<QLabel>(&F, "lblMeaning")->text(), "lower-case crop variable");
    EXPECT_TRUE(Find<QToolButton>(&F, "IncludeBtn")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&F, "btnRemove")->isEnabled());
    // A click on another entry shows its meaning.
    QTest::mouseClick(Src->viewport(), Qt::LeftButton, {}, Src->visualItemRect(Src->item(2)).center());
    EXPECT_EQ(Find<QLabel>(&F, "lblMeaning")->text(), "conversion into leaves");
    return RejectDialog(F);
  });
}

TEST_F(TSelectTest, ChosenVariablesOfSeveralGroupsComeBackInOrderAsTheCatalogueObjects) {
  TFormSelect Form(nullptr, "reruns");
  const int Result = Run(Form, [](TFormSelect& F) {
    auto* Src = Find<QListWidget>(&F, "SrcList");
    auto* Dst = Find<QListWidget>(&F, "DstList");
    // ">" on the selected entry, then a double click on another, twice.
    Src->setCurrentRow(1);
    QTest::mouseClick(Find<QToolButton>(&F, "IncludeBtn"), Qt::LeftButton);
    EXPECT_TRUE(Find<QPushButton>(&F, "btnRemove")->isEnabled());
    DoubleClick(Src, 3);
    DoubleClick(Src, 3);
    // The Timer group replaces the source list and keeps the chosen one.
    ChooseGroup(F, 2);
    EXPECT_EQ(Texts(Src), QStringList({"IDEM", "ISYR"}));
    EXPECT_EQ(Find<QLabel>(&F, "lblMeaning")->text(), "day of emergence");
    DoubleClick(Src, 1);
    EXPECT_EQ(Texts(Dst), QStringList({"AMAXTB", "TSUM1", "TSUM1", "ISYR"}));
    QTest::mouseClick(Find<QPushButton>(&F, "OKBtn"), Qt::LeftButton);
    return F.result();
  });
  EXPECT_EQ(Result, QDialog::Accepted);
  const std::vector<TRerunVar*> Vars = Form.DstVars();
  ASSERT_EQ(Vars.size(), 4u);
  EXPECT_EQ(Vars[0], FindCatalogueVar("AMAXTB"));
  EXPECT_EQ(Vars[1], FindCatalogueVar("TSUM1"));
  EXPECT_EQ(Vars[2], FindCatalogueVar("TSUM1"));
  EXPECT_EQ(Vars[3], FindCatalogueVar("ISYR"));
}

TEST_F(TSelectTest, AnEmptyGroupShowsNothingAndTheButtonsFollowOnlyIncludeAndRemove) {
  TFormSelect Form(nullptr, "reruns");
  Run(Form, [](TFormSelect& F) {
    auto* Src = Find<QListWidget>(&F, "SrcList");
    auto* Dst = Find<QListWidget>(&F, "DstList");
    auto* Include = Find<QToolButton>(&F, "IncludeBtn");
    ChooseGroup(F, 1);  // Soil: no variable of the catalogue
    EXPECT_EQ(Src->count(), 0);
    EXPECT_EQ(Find<QLabel>(&F, "lblMeaning")->text(), "");
    // A group change does not bring the buttons up to date ...
    EXPECT_TRUE(Include->isEnabled());
    // ... an include does, and on an empty source list it adds nothing.
    F.IncludeBtnClick();
    EXPECT_EQ(Dst->count(), 0);
    EXPECT_FALSE(Include->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&F, "btnRemove")->isEnabled());
    return RejectDialog(F);
  });
}

TEST_F(TSelectTest, RemoveTakesTheFocusedEntryOnlyWhenItIsSelected) {
  TFormSelect Form(nullptr, "reruns");
  Run(Form, [](TFormSelect& F) {
    auto* Src = Find<QListWidget>(&F, "SrcList");
    auto* Dst = Find<QListWidget>(&F, "DstList");
    auto* Remove = Find<QPushButton>(&F, "btnRemove");
    for (int Row : {0, 1, 2}) {
      Src->setCurrentRow(Row);
      F.IncludeBtnClick();
    }
    // Focused but not selected: nothing goes.
    Dst->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    Dst->clearSelection();
    QTest::mouseClick(Remove, Qt::LeftButton);
    EXPECT_EQ(Texts(Dst), QStringList({"amax", "AMAXTB", "Cvl"}));
    // Focused and selected.
    Dst->setCurrentRow(1);
    QTest::mouseClick(Remove, Qt::LeftButton);
    EXPECT_EQ(Texts(Dst), QStringList({"amax", "Cvl"}));
    // A double click removes the entry clicked.
    DoubleClick(Dst, 1);
    EXPECT_EQ(Texts(Dst), QStringList({"amax"}));
    EXPECT_TRUE(Remove->isEnabled());
    Dst->setCurrentRow(0);
    QTest::mouseClick(Remove, Qt::LeftButton);
    EXPECT_EQ(Dst->count(), 0);
    EXPECT_FALSE(Remove->isEnabled());
    return RejectDialog(F);
  });
}

TEST_F(TSelectTest, CancelAnswersCancel) {
  TFormSelect Form(nullptr, "reruns");
  const int Result = Run(Form, [](TFormSelect& F) {
    F.IncludeBtnClick();
    QTest::mouseClick(Find<QPushButton>(&F, "CancelBtn"), Qt::LeftButton);
    return F.result();
  });
  EXPECT_EQ(Result, QDialog::Rejected);
}

}  // namespace
