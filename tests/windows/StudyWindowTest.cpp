// Studies in the windows, on a fresh sample home with krlstudy beside the
// model: a small table chosen with File > Study..., run to its end with its
// progress shown, its results window with the table sorted and filtered and
// box plots of the yield over a column's levels, saved as an image; a faulty
// table refused with each problem's row and column; a study stopped midway
// and resumed.

#include <dirent.h>
#include <unistd.h>

#include <QAction>
#include <QBarCategoryAxis>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QChart>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>

#include "KvStudy.h"
#include "KvStudyResults.h"
#include "Kvmain.h"
#include "QtHandlers.h"
#include "WinTestSupport.h"
#include "platform/Shell.h"
#include "study/StudyCsv.h"
#include "study/StudyLaunch.h"

namespace fs = std::filesystem;

namespace {

const char* const SixRows =
    "ID,CRFILE,IDSOW\n"
    "w80,WWHEAT.CRP,80\nw100,WWHEAT.CRP,100\nw120,WWHEAT.CRP,120\n"
    "b80,SBARLEY.CRP,80\nb100,SBARLEY.CRP,100\nb120,SBARLEY.CRP,120\n";

bool WaitFor(const std::function<bool()>& Done, int Ms) {
  for (int t = 0; t < Ms && !Done(); t += 50) QTest::qWait(50);
  return Done();
}

std::vector<std::vector<std::string>> CsvRows(const std::string& Text) {
  std::vector<std::vector<std::string>> Rows;
  std::vector<std::string> F;
  size_t Pos = 0;
  int Line = 0;
  while (NextCsvRecord(Text, Pos, Line, F)) Rows.push_back(F);
  return Rows;
}

// Processes whose working directory lies below Dir.
int ProcessesBelow(const std::string& Dir) {
  const std::string Root = fs::weakly_canonical(Dir).string();
  int N = 0;
  std::error_code Ec;
  for (fs::directory_iterator It("/proc", Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (Name.empty() || !isdigit(static_cast<unsigned char>(Name[0]))) continue;
    std::error_code L;
    const std::string Cwd = fs::read_symlink(It->path() / "cwd", L).string();
    if (!L && Cwd.compare(0, Root.size(), Root) == 0 && ProcessAlive(std::stoi(Name))) ++N;
  }
  return N;
}

class TStudyWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    SetShellWindowless(true);
    // The sample working session, and krlstudy beside the model.
    for (const auto& F : fs::directory_iterator(Home.Path("session")))
      fs::copy_file(F.path(), Home.Path("runio/" + F.path().filename().string()));
    fs::copy_file(fs::path(KRL_BUILD_DIR) / "bin" / "krlstudy", Home.Bin() + "krlstudy");
    Main = std::make_unique<TFormMain>();
  }
  void TearDown() override {
    Main.reset();
    SetShellWindowless(false);
  }
  QAction* Action(const char* Name) { return Main->findChild<QAction*>(Name); }
  std::string StudyDir(const std::string& Table) { return Home.Path("output/" + Table + "/"); }

  // In the study window: the table chosen with the file dialog, then Check
  // and run clicked.
  void ChooseAndRun(QDialog& D, const std::string& Table) {
    Dialogs.ExpectFile(QString::fromStdString(Table));
    Click(Find<QPushButton>(&D, "BtnTable"));
    EXPECT_EQ(Find<QLineEdit>(&D, "EdTable")->text().toStdString(), Table);
    Click(Find<QPushButton>(&D, "BtnRun"));
  }
  static QString Text(QDialog& D, const char* Label) { return Find<QLabel>(&D, Label)->text(); }

  TSampleHome Home;
  TScriptedMessages Boxes;
  TScriptedDialogs Dialogs;
  std::unique_ptr<TFormMain> Main;
};

// The boxes the chart shows: level, least, median and greatest value.
struct TBox {
  QString Level;
  double Min, Median, Max;
};
std::vector<TBox> BoxesOf(const QChart& Chart) {
  std::vector<TBox> Boxes;
  for (QAbstractSeries* S : Chart.series())
    if (auto* B = qobject_cast<QBoxPlotSeries*>(S))
      for (QBoxSet* Set : B->boxSets())
        Boxes.push_back({Set->label(), Set->at(QBoxSet::LowerExtreme), Set->at(QBoxSet::Median),
                         Set->at(QBoxSet::UpperExtreme)});
  return Boxes;
}

// The same boxes worked out from results.csv: the yields of each sowing day
// of the rows whose crop contains Crop.
std::vector<TBox> ExpectedBoxes(const std::string& ResultsCsv, const std::string& Crop) {
  const auto Rows = CsvRows(ReadWholeFile(ResultsCsv));
  const auto& H = Rows.front();
  const auto Col = [&H](const char* N) { return std::find(H.begin(), H.end(), N) - H.begin(); };
  std::map<int, std::vector<double>> ByDay;
  for (size_t r = 1; r < Rows.size(); ++r)
    if (Rows[r][Col("CRFILE")].find(Crop) != std::string::npos)
      ByDay[std::stoi(Rows[r][Col("IDSOW")])].push_back(std::stod(Rows[r][Col("pot_yield")]));
  std::vector<TBox> Boxes;
  for (auto& [Day, V] : ByDay) {
    std::sort(V.begin(), V.end());
    Boxes.push_back(
        {QString::number(Day), V.front(), (V[(V.size() - 1) / 2] + V[V.size() / 2]) / 2, V.back()});
  }
  return Boxes;
}

void ExpectBoxes(const std::vector<TBox>& Got, const std::vector<TBox>& Want) {
  ASSERT_EQ(Got.size(), Want.size());
  for (size_t i = 0; i < Got.size(); ++i) {
    SCOPED_TRACE(Want[i].Level.toStdString());
    EXPECT_EQ(Got[i].Level, Want[i].Level);
    EXPECT_DOUBLE_EQ(Got[i].Min, Want[i].Min);
    EXPECT_DOUBLE_EQ(Got[i].Median, Want[i].Median);
    EXPECT_DOUBLE_EQ(Got[i].Max, Want[i].Max);
  }
}

TEST_F(TStudyWindow, SixRowsRunFromTheWindowToBoxPlotsOfTheYield) {
  const std::string Table = Home.Dir().Write("sowing.csv", SixRows);
  const std::string Dir = StudyDir("sowing");
  const std::string Png = Home.Path("sowing.png");

  // The results window: the table sorted by a column's numbers and filtered
  // by a crop, the yield over the sowing days, the chart saved.
  const auto CheckResults = [&](QDialog& R) -> int {
    auto* Grid = Find<QTableView>(&R, "GridResults");
    auto* Chart = static_cast<TFormStudyResults&>(R).Chart();
    EXPECT_EQ(Grid->model()->rowCount(), 30);  // 6 rows of 5 years
    EXPECT_EQ(Find<QComboBox>(&R, "CbResult")->currentText(), "pot_yield");
    ChooseEntry(Find<QComboBox>(&R, "CbLevels"), "IDSOW");
    ExpectBoxes(BoxesOf(*Chart), ExpectedBoxes(Dir + "results.csv", ""));

    QHeaderView* Head = Grid->horizontalHeader();
    const int Col = 3;  // row, ID, CRFILE, IDSOW
    EXPECT_EQ(Grid->model()->headerData(Col, Qt::Horizontal).toString(), "IDSOW");
    QTest::mouseClick(
        Head->viewport(), Qt::LeftButton, {},
        QPoint(Head->sectionViewportPosition(Col) + Head->sectionSize(Col) / 2, Head->height() / 2));
    EXPECT_EQ(Grid->model()->index(0, Col).data().toString(), "80");  // as numbers: 80 before 100
    EXPECT_EQ(Grid->model()->index(29, Col).data().toString(), "120");

    ChooseEntry(Find<QComboBox>(&R, "CbFilterColumn"), "CRFILE");
    auto* Filter = Find<QLineEdit>(&R, "EdFilter");
    Click(Filter);
    QTest::keyClicks(Filter, "sbarley");
    EXPECT_EQ(Grid->model()->rowCount(), 15);
    EXPECT_EQ(Find<QLabel>(&R, "LblRows")->text(), "15 of 30 lines");
    ExpectBoxes(BoxesOf(*Chart), ExpectedBoxes(Dir + "results.csv", "SBARLEY"));

    Dialogs.ExpectFile(QString::fromStdString(Png));
    Click(Find<QPushButton>(&R, "BtnSaveImage"));
    Click(Find<QPushButton>(&R, "BtnClose"));
    return QDialog::Rejected;
  };

  Dialogs.ExpectModal("FormStudy", [&](QDialog& D) {
    ChooseAndRun(D, Table);
    EXPECT_TRUE(Find<QWidget>(&D, "PnlProgress")->isVisible());
    EXPECT_TRUE(Find<QPushButton>(&D, "BtnStop")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>(&D, "BtnRun")->isEnabled());
    EXPECT_TRUE(WaitFor([&] { return !static_cast<TFormStudy&>(D).Running(); }, 120000));
    EXPECT_EQ(Find<QListWidget>(&D, "LbProblems")->count(), 0);
    EXPECT_EQ(Text(D, "LblDone"), "6");
    EXPECT_EQ(Text(D, "LblFailed"), "0");
    EXPECT_EQ(Text(D, "LblRemaining"), "0");
    EXPECT_TRUE(Text(D, "LblOutcome").startsWith("Finished: ok 6, failed 0, not run 0."))
        << Text(D, "LblOutcome").toStdString();
    EXPECT_FALSE(Find<QPushButton>(&D, "BtnStop")->isEnabled());
    Dialogs.ExpectModal("FormStudyResults", CheckResults);
    Click(Find<QPushButton>(&D, "BtnResults"));
    Click(Find<QPushButton>(&D, "BtnClose"));
    return D.result();
  });
  Action("Study1")->trigger();
  ASSERT_EQ(Dialogs.Pending(), 0u);

  // The window's study gives krlstudy's bytes.
  std::string Output;
  ASSERT_EQ(
      RunProgram({Home.Bin() + "krlstudy", "run", Table, "--out", Home.Path("cli"), "-j", "1"}, Output, true),
      0)
      << Output;
  EXPECT_EQ(ReadWholeFile(Dir + "results.csv"), ReadWholeFile(Home.Path("cli/results.csv")));
  EXPECT_EQ(ReadWholeFile(Png).substr(0, 4), "\x89PNG");

  // Result > Study... opens the same results from the study's directory.
  Dialogs.ExpectFile(QString::fromStdString(Dir + "results.csv"));
  Dialogs.ExpectModal("FormStudyResults", [](QDialog& R) {
    EXPECT_EQ(Find<QTableView>(&R, "GridResults")->model()->rowCount(), 30);
    return RejectDialog(R);
  });
  Action("StudyResults1")->trigger();
}

TEST_F(TStudyWindow, AFaultyTableIsRefusedWithRowAndColumnAndNothingRuns) {
  const std::string Table =
      Home.Dir().Write("faulty.csv", "ID,IDSOW,CRFILE\na,80,WWHEAT.CRP\nb,400,WWHEAT.CRP\nc,90,NONE.CRP\n");
  Dialogs.ExpectModal("FormStudy", [&](QDialog& D) {
    Boxes.Expect(TMsgKind::Error, "The table is refused (2 problems); nothing was run.");
    ChooseAndRun(D, Table);
    auto* List = Find<QListWidget>(&D, "LbProblems");
    EXPECT_EQ(List->count(), 2);
    if (List->count() == 2) {
      EXPECT_TRUE(List->item(0)->text().startsWith("row 2, column IDSOW: "))
          << List->item(0)->text().toStdString();
      EXPECT_TRUE(List->item(1)->text().startsWith("row 3, column CRFILE: "))
          << List->item(1)->text().toStdString();
    }
    EXPECT_FALSE(static_cast<TFormStudy&>(D).Running());
    EXPECT_FALSE(Find<QWidget>(&D, "PnlProgress")->isVisible());
    return RejectDialog(D);
  });
  Action("Study1")->trigger();
  EXPECT_FALSE(fs::exists(StudyDir("faulty")));
}

// A table's name typed and Return pressed opens no file dialog and runs
// nothing: no button of the window answers Return.
TEST_F(TStudyWindow, ReturnInTheTypedTableNamePressesNoButton) {
  const std::string Table = Home.Dir().Write("typed.csv", "ID,IDSOW\na,400\n");
  Dialogs.ExpectModal("FormStudy", [&](QDialog& D) {
    auto* Ed = Find<QLineEdit>(&D, "EdTable");
    Ed->setFocus();
    QTest::keyClicks(Ed, QString::fromStdString(Table));
    QTest::keyClick(Ed, Qt::Key_Return);
    EXPECT_TRUE(D.isVisible());
    EXPECT_FALSE(static_cast<TFormStudy&>(D).Running());
    EXPECT_EQ(Find<QListWidget>(&D, "LbProblems")->count(), 0);
    return RejectDialog(D);
  });
  Action("Study1")->trigger();
  EXPECT_FALSE(fs::exists(StudyDir("typed")));
}

TEST_F(TStudyWindow, StopEndsEveryProcessAndRunningAgainFinishesTheRest) {
  const std::string Table = Home.Dir().Write("halt.csv", "IDSOW\n80\n90\n100\n110\n");
  const std::string Dir = StudyDir("halt");
  // A model that never ends.
  const std::string Model = Home.Bin() + "korval.exe";
  fs::rename(Model, Home.Path("korval.real"));
  Home.Dir().Write("bin/korval.exe", "#!/bin/sh\nexec sleep 600\n");
  fs::permissions(Model, fs::perms::owner_all);

  Dialogs.ExpectModal("FormStudy", [&](QDialog& D) {
    auto& Form = static_cast<TFormStudy&>(D);
    Dialogs.ExpectFile(QString::fromStdString(Table));
    Click(Find<QPushButton>(&D, "BtnTable"));
    // Two rows at a time.
    auto* Cores = Find<QWidget>(&D, "SeCores");
    Click(Cores);
    QTest::keyClick(Cores, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Cores, "2");
    Click(Find<QPushButton>(&D, "BtnRun"));
    EXPECT_TRUE(WaitFor([&] { return ProcessesBelow(Dir + "scratch") >= 2; }, 30000));
    // The panel reads the journal twice a second.
    EXPECT_TRUE(WaitFor([&] { return Text(D, "LblRemaining") == "4"; }, 5000))
        << Text(D, "LblRemaining").toStdString();
    Click(Find<QPushButton>(&D, "BtnStop"));
    EXPECT_TRUE(WaitFor([&] { return !Form.Running(); }, 10000));
    EXPECT_EQ(ProcessesBelow(Dir + "scratch"), 0);
    EXPECT_TRUE(Text(D, "LblOutcome").startsWith("Stopped: ok 0, failed 0, not run 4."))
        << Text(D, "LblOutcome").toStdString();
    EXPECT_EQ(CsvRows(ReadWholeFile(Dir + "status.csv")).size(), 5u);

    // The real model back, and the same table run again.
    fs::remove(Model);
    fs::rename(Home.Path("korval.real"), Model);
    Click(Find<QPushButton>(&D, "BtnRun"));
    EXPECT_TRUE(WaitFor([&] { return !Form.Running(); }, 120000));
    EXPECT_TRUE(Text(D, "LblOutcome").startsWith("Finished: ok 4, failed 0, not run 0."))
        << Text(D, "LblOutcome").toStdString();
    return RejectDialog(D);
  });
  Action("Study1")->trigger();
  // Each row ran to its end once.
  EXPECT_EQ(CsvRows(ReadWholeFile(Dir + "journal.log")).size(), 4u);
}

TEST(StudyBoxes, QuartilesAndLevels) {
  struct TCase {
    std::vector<double> Values;
    TBoxStats Want;
  };
  const TCase Cases[] = {
      {{7}, {7, 7, 7, 7, 7, 1}},
      {{4, 1, 3, 2}, {1, 1.75, 2.5, 3.25, 4, 4}},
      {{5, 1, 9, 3, 7}, {1, 3, 5, 7, 9, 5}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Values.size());
    const TBoxStats B = BoxStats(C.Values);
    EXPECT_DOUBLE_EQ(B.Min, C.Want.Min);
    EXPECT_DOUBLE_EQ(B.Q1, C.Want.Q1);
    EXPECT_DOUBLE_EQ(B.Median, C.Want.Median);
    EXPECT_DOUBLE_EQ(B.Q3, C.Want.Q3);
    EXPECT_DOUBLE_EQ(B.Max, C.Want.Max);
    EXPECT_EQ(B.Count, C.Want.Count);
  }
  // Levels that are numbers go by their numbers; cells that are not numbers
  // (a level the row does not have) are left out, and so is a level left empty.
  auto G = GroupByLevel({"120", "80", "100", "80", "90"}, {"1", "2", "3", "4", ""});
  ASSERT_EQ(G.size(), 3u);
  EXPECT_EQ(G[0].Level, "80");
  EXPECT_EQ(G[0].Values, (std::vector<double>{2, 4}));
  EXPECT_EQ(G[1].Level, "100");
  EXPECT_EQ(G[2].Level, "120");
  // Other levels keep the order in which they first appear.
  G = GroupByLevel({"WWHEAT.CRP", "SBARLEY.CRP", "WWHEAT.CRP"}, {"1", "2", "3"});
  ASSERT_EQ(G.size(), 2u);
  EXPECT_EQ(G[0].Level, "WWHEAT.CRP");
  EXPECT_EQ(G[1].Level, "SBARLEY.CRP");
}

}  // namespace
