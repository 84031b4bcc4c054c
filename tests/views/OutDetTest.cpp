// The detailed output window on output written by the bundled model and on
// small hand-made files: the selectors gathered per page, the selection shown
// with exact matching, the table headers, the balance captions, the tabs, the
// graph button, opening another file and the export.

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>

#include "DxGrid.h"
#include "ExcelSupport.h"
#include "Kvoutdet.h"
#include "OLEExcel.h"
#include "OutDetSupport.h"
#include "WinSupport.h"
#include "output/OutDet.h"

namespace {
QString Q(const Str16& S) { return QString::fromStdString(S.Str()); }

class DetailedWindow : public ::testing::Test {
 protected:
  TResultHome Home;

  std::unique_ptr<TDetailedOutput> ReadBack() {
    auto D = std::make_unique<TDetailedOutput>();
    D->ReadOutputFile(Home.Output("KRL.OUT"));
    return D;
  }
  static void Page(TFormDetailedOutput& W, int Index) {
    Find<QTabWidget>(&W, "pcOutputDet")->setCurrentIndex(Index);
  }
};

// A detailed output file of the blocks given (run name, year, water-limited),
// in that order, and one nutrient summary.
layout::TSession Blocks(const std::vector<std::tuple<std::string, int, bool>>& Runs,
                        const layout::TOptions& O, bool Nutrients = true) {
  layout::TSession S;
  int No = 0;
  for (const auto& [Name, Year, Water] : Runs)
    S.Blocks.push_back(layout::MakeBlock(Name, No++, Year, Water, O));
  if (Nutrients) S.Nutrients.push_back(layout::MakeNutrients(0));
  return S;
}
}  // namespace

TEST_F(DetailedWindow, ShowsTheModelsRunsPerPage) {
  TModelRunSpec Spec;
  Spec.Reruns = 2;
  Home.Put(ModelFiles(Spec));
  const auto Read = ReadBack();
  const TDetailedOutput& D = *Read;
  ASSERT_EQ(D.Data.PotentialList.Count(), 4);  // KRL1 1980, KRL1 1981, KRL2 1980, KRL2 1981

  TScriptedDialogs Dialogs;
  Dialogs.ExpectModal("FormDetailedOutput", [&](QDialog& Dlg) {
    auto& W = static_cast<TFormDetailedOutput&>(Dlg);
    EXPECT_EQ(W.windowTitle(), "Detailed output - KRL");
    auto* Tabs = Find<QTabWidget>(&W, "pcOutputDet");
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Tabs->isTabVisible(i)) << i;
    auto* Run = Find<QComboBox>(&W, "cbRunName");
    auto* Year = Find<QComboBox>(&W, "cbYear");
    auto* Rain = Find<QComboBox>(&W, "cbRain");
    auto* Grid = Find<TDxStringGrid>(&W, "SgPotential");
    auto* Graph = Find<QPushButton>(&W, "BtnGraph");

    // Potential page: the first run and year.
    EXPECT_EQ(Items(Run), QStringList({"KRL1", "KRL2"}));
    EXPECT_EQ(Items(Year), QStringList({"1980", "1981"}));
    EXPECT_EQ(Rain->count(), 0);
    EXPECT_TRUE(Year->isEnabled());
    EXPECT_FALSE(Rain->isEnabled());
    const TPotentialOutput& P0 = *D.Data.PotentialList.Objects(0);
    EXPECT_EQ(LabelText(&W, "lblWeatherNamep"),
              "Station north, daily data (synthetic) (..\\meteo\\merawe\\NLD1.)");
    EXPECT_EQ(Find<QLabel>(&W, "lblWeatherNamep")->toolTip(), "..\\meteo\\merawe\\NLD1.");
    EXPECT_EQ(LabelText(&W, "lblRainp"), QString::fromStdString(P0.Header->RainName));  // no rain file
    EXPECT_EQ(LabelText(&W, "lblStartp"), QString::fromStdString(P0.Header->Start));
    EXPECT_EQ(LabelText(&W, "lblEmergenceDatep"), "53");
    EXPECT_EQ(Grid->ColCount(), 14);
    EXPECT_EQ(Grid->FixedRows(), 2);
    EXPECT_EQ(Grid->RowCount(), P0.Days.Count() + 2);
    EXPECT_EQ(Grid->Cells(0, 0), "YEAR");
    EXPECT_EQ(Grid->Cells(3, 1), "");
    EXPECT_EQ(Grid->Cells(4, 1), "degrd");
    EXPECT_EQ(Grid->Cells(13, 1), "kg/ha/d");
    EXPECT_EQ(Grid->Cells(0, 2), "    1980");
    EXPECT_EQ(Grid->Cells(13, 2), Q(P0.Days.Objects(0)->Value(14)));
    EXPECT_EQ(LabelText(&W, "lblHALTp"), Q(P0.Summary.Value(1)));
    EXPECT_EQ(LabelText(&W, "lblMRESTp"), Q(P0.Summary.Value(12)));

    // Same run name, the second year: the second run.
    Choose(Year, 1);
    const TPotentialOutput& P1 = *D.Data.PotentialList.Objects(1);
    EXPECT_EQ(Grid->RowCount(), P1.Days.Count() + 2);
    EXPECT_EQ(Grid->Cells(0, 2), "    1981");
    EXPECT_EQ(LabelText(&W, "lblEmergenceDatep"), QString::fromStdString(P1.Header->EmergenceDate));
    EXPECT_EQ(LabelText(&W, "lblHALTp"), Q(P1.Summary.Value(1)));

    // Water-limited page: the rain selector is filled and enabled.
    Page(W, 1);
    EXPECT_EQ(Items(Rain), QStringList({"1980", "1981"}));
    EXPECT_TRUE(Rain->isEnabled());
    Choose(Rain, 1);  // KRL1, 1981, 1981
    auto* Water = Find<TDxStringGrid>(&W, "SgWaterLimited");
    const TWaterLimitedOutput& W1 = *D.Data.WaterList.Objects(1);
    EXPECT_EQ(Water->ColCount(), 16);
    EXPECT_EQ(Water->Cells(5, 0), "TAGP");
    EXPECT_EQ(Water->Cells(14, 0), "wet");
    EXPECT_EQ(Water->Cells(15, 1), "days");
    EXPECT_EQ(Water->RowCount(), W1.Days.Count() + 2);
    EXPECT_EQ(Water->Cells(15, 2), Q(W1.Days.Objects(0)->Value(16)));
    EXPECT_EQ(LabelText(&W, "lblInfo0"), QString::fromStdString(W1.Info[0]));
    EXPECT_EQ(LabelText(&W, "lblInfo2"), QString::fromStdString(W1.Info[2]));
    EXPECT_EQ(LabelText(&W, "lblStartdayw"), "1");
    EXPECT_EQ(LabelText(&W, "lbldryw"), Q(W1.Summary.Value(13)));

    // Back on the potential page the rain selector keeps its entries, disabled.
    Page(W, 0);
    EXPECT_EQ(Rain->count(), 2);
    EXPECT_FALSE(Rain->isEnabled());
    EXPECT_EQ(Grid->Cells(0, 2), "    1981");

    // Water balance page, without groundwater.
    Page(W, 2);
    const TWaterBalance& B1 = *D.Data.BalanceList.Objects(1);
    EXPECT_EQ(LabelText(&W, "lblInit"), "init max root zone");
    EXPECT_EQ(LabelText(&W, "lblFinal"), "final max root zone");
    EXPECT_EQ(LabelText(&W, "lblLost"), "lost to deep soil");
    EXPECT_TRUE(Find<QLabel>(&W, "lblCapillaryRise")->isHidden());
    EXPECT_TRUE(Find<QLineEdit>(&W, "mmCapillaryRise")->isHidden());
    EXPECT_EQ(Find<QGroupBox>(&W, "GbWaterBalance")->title(), QString::fromStdString(B1.Title) + " ");
    EXPECT_EQ(Find<QLineEdit>(&W, "mmInitMaxRootZone")->text(), Q(B1.InitMaxRootZone));
    EXPECT_EQ(Find<QLineEdit>(&W, "mmInitWaterStock")->text(), Q(B1.InitialWaterStock));
    EXPECT_EQ(Find<QLineEdit>(&W, "mmCheckSum2")->text(), Q(B1.Checksum2));

    // Nutrients page: by run name only.
    Page(W, 3);
    EXPECT_FALSE(Year->isEnabled());
    EXPECT_FALSE(Rain->isEnabled());
    Choose(Run, 1);
    const TNutrients& N = *D.Data.NutrientsList.Objects(1);
    EXPECT_EQ(LabelText(&W, "lblBas1"), Q(N.bas[1]));
    EXPECT_EQ(LabelText(&W, "lblRec2"), Q(N.rec[2]));
    EXPECT_EQ(Find<QLineEdit>(&W, "mmStorageOrgan2")->text(), Q(N.StorageOrgan[2]));
    EXPECT_EQ(Find<QLineEdit>(&W, "mmFertilizerK0")->text(), Q(N.FertilizerK[0]));

    // The graph button by page.
    const struct {
      int Page;
      bool Enabled;
      int Help;
    } Buttons[] = {{0, true, 211}, {1, true, 221}, {2, true, 231}, {3, false, 241}};
    for (const auto& B : Buttons) {
      Page(W, B.Page);
      EXPECT_EQ(Graph->isEnabled(), B.Enabled) << B.Page;
      EXPECT_EQ(HelpContext(Graph), B.Help) << B.Page;
    }
    QTest::mouseClick(Find<QPushButton>(&W, "OKBtn"), Qt::LeftButton);
    return W.result();
  });
  ShowDetailedOutput(nullptr);
}

TEST_F(DetailedWindow, GroundwaterGivesItsTableAndBalanceCaptions) {
  TModelRunSpec Spec;
  Spec.Groundwater = true;
  Spec.Years = 1;
  Spec.Levels = 2;
  Home.Put(ModelFiles(Spec));
  TFormDetailedOutput W(nullptr);
  auto* Water = Find<TDxStringGrid>(&W, "SgWaterLimited");
  Page(W, 1);
  EXPECT_EQ(Water->ColCount(), 15);
  EXPECT_EQ(Water->Cells(5, 0), "LAI");
  EXPECT_EQ(Water->Cells(12, 1), "cm");
  EXPECT_EQ(Water->Cells(13, 0), "wet");
  EXPECT_EQ(Water->Cells(14, 0), "dry");
  EXPECT_GT(Water->RowCount(), 2);
  Page(W, 2);
  EXPECT_EQ(LabelText(&W, "lblInit"), "init within 10 m");
  EXPECT_EQ(LabelText(&W, "lblFinal"), "final within 10 m");
  EXPECT_EQ(LabelText(&W, "lblLost"), "lost through drains");
  EXPECT_FALSE(Find<QLabel>(&W, "lblCapillaryRise")->isHidden());
  EXPECT_FALSE(Find<QLineEdit>(&W, "mmCapillaryRise")->isHidden());
  EXPECT_FALSE(Find<QLineEdit>(&W, "mmCapillaryRise")->text().isEmpty());
  // Production level 2: no nutrient summaries.
  EXPECT_FALSE(Find<QTabWidget>(&W, "pcOutputDet")->isTabVisible(3));
}

TEST_F(DetailedWindow, SelectorsIgnoreLetterCaseAndTheSelectionMatchesExactly) {
  layout::TOptions O;
  O.Days = 3;
  // KRL1 1980 potential and water; krl1 1981 potential; KRL1 1982 water only.
  Home.Write(
      "KRL.OUT",
      DetailedText(Blocks(
          {{"KRL1", 1980, false}, {"KRL1", 1980, true}, {"krl1", 1981, false}, {"KRL1", 1982, true}}, O)));
  TFormDetailedOutput W(nullptr);
  auto* Run = Find<QComboBox>(&W, "cbRunName");
  auto* Year = Find<QComboBox>(&W, "cbYear");
  auto* Grid = Find<TDxStringGrid>(&W, "SgPotential");
  EXPECT_EQ(Items(Run), QStringList({"KRL1"}));
  EXPECT_EQ(Items(Year), QStringList({"1980", "1981"}));
  EXPECT_EQ(Grid->RowCount(), 5);

  // "KRL1" 1981 is no run: krl1 is another name.
  Choose(Year, 1);
  EXPECT_EQ(Grid->RowCount(), 2);
  EXPECT_EQ(LabelText(&W, "lblWeatherNamep"), "");
  EXPECT_EQ(LabelText(&W, "lblHALTp"), "");

  // A year that only water-limited runs have joins the year selector on the
  // water-limited page and empties the potential page.
  Page(W, 1);
  EXPECT_EQ(Items(Year), QStringList({"1980", "1981", "1982"}));
  Page(W, 0);
  Choose(Year, 0);
  EXPECT_EQ(Grid->RowCount(), 5);
  EXPECT_FALSE(LabelText(&W, "lblHALTp").isEmpty());
  Choose(Year, 2);
  EXPECT_EQ(Grid->RowCount(), 2);
  EXPECT_EQ(LabelText(&W, "lblStartp"), "");
  EXPECT_EQ(LabelText(&W, "lblHALTp"), "");
  EXPECT_EQ(Grid->Cells(4, 1), "degrd");  // the header stays
}

TEST_F(DetailedWindow, TabsFollowWhatTheFileHolds) {
  layout::TOptions O;
  O.Days = 2;
  O.Balance = 0;
  struct {
    bool Water;
    int Balance;
    bool Nutrients;
    bool Tabs[4];
  } Cases[] = {
      {false, 0, false, {true, false, false, false}},
      {true, 0, true, {true, true, false, true}},
      {true, 2, false, {true, true, true, false}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(::testing::Message() << (C.Water ? "water-limited" : "potential only") << ", balance "
                                      << C.Balance << (C.Nutrients ? ", nutrients" : ""));
    O.Balance = C.Balance;
    std::vector<std::tuple<std::string, int, bool>> Runs{{"A", 1990, false}};
    if (C.Water) Runs.emplace_back("A", 1990, true);
    Home.Write("KRL.OUT", DetailedText(Blocks(Runs, O, C.Nutrients)));
    TFormDetailedOutput W(nullptr);
    auto* Tabs = Find<QTabWidget>(&W, "pcOutputDet");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Tabs->isTabVisible(i), C.Tabs[i]) << "tab " << i;
  }
}

TEST_F(DetailedWindow, WithoutOutputThePagesAreEmptyAndTheGraphSaysSo) {
  TFormDetailedOutput W(nullptr);
  EXPECT_EQ(W.windowTitle(), "Detailed output - krl.out");
  auto* Tabs = Find<QTabWidget>(&W, "pcOutputDet");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(Tabs->isTabVisible(i));
  EXPECT_EQ(Find<QComboBox>(&W, "cbRunName")->count(), 0);
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgPotential")->RowCount(), 2);
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "File '..\\OUTPUT\\KRL.OUT' not found.");
  QTest::mouseClick(Find<QPushButton>(&W, "BtnGraph"), Qt::LeftButton);
}

TEST_F(DetailedWindow, AFileThatBreaksOffShowsWhatWasReadBeforeTheError) {
  layout::TOptions O;
  O.Days = 2;
  layout::TSession S = Blocks({{"KRL1", 1980, false}, {"KRL2", 1980, false}}, O, false);
  S.Blocks[1].Rows[1].resize(26, "1");  // a row of 26 values
  Home.Write("KRL.OUT", DetailedText(S));
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "Range check error.");
  TFormDetailedOutput W(nullptr);
  EXPECT_EQ(W.windowTitle(), "Detailed output - KRL");
  EXPECT_EQ(Items(Find<QComboBox>(&W, "cbRunName")), QStringList({"KRL1"}));
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgPotential")->RowCount(), 4);
}

TEST_F(DetailedWindow, OpenShowsAnotherFileAndKeepsTheOldOneWhenItCannot) {
  layout::TOptions O;
  O.Days = 2;
  Home.Write("KRL.OUT", DetailedText(Blocks({{"KRL1", 1980, false}, {"KRL1", 1980, true}}, O)));
  O.Groundwater = true;
  Home.Write("OTHER.OUT",
             DetailedText(Blocks({{"B1", 1990, false}, {"B2", 1991, false}, {"B1", 1990, true}}, O)));
  TFormDetailedOutput W(nullptr);
  Page(W, 1);
  auto* Run = Find<QComboBox>(&W, "cbRunName");
  auto* Open = Find<QPushButton>(&W, "BtnOpen");
  {
    TScriptedDialogs Dialogs;
    Dialogs.ExpectFile("");                                            // cancelled
    Dialogs.ExpectFile(QString::fromStdString(Home.Output("other")));  // the extension is added
    QTest::mouseClick(Open, Qt::LeftButton);
    EXPECT_EQ(W.windowTitle(), "Detailed output - KRL");
    QTest::mouseClick(Open, Qt::LeftButton);
    ASSERT_EQ(Dialogs.FileRequests().size(), 2u);
    const TFileDialogRequest& R = Dialogs.FileRequests()[0];
    EXPECT_EQ(R.Title, "Open File...");
    EXPECT_EQ(R.Filter, "Output Files (*.out)|*.out");
    EXPECT_EQ(R.FileName, "KRL");
    EXPECT_EQ(std::filesystem::path(R.InitialDir.toStdString()), std::filesystem::path(Home.Output("")));
  }
  EXPECT_EQ(W.windowTitle(), "Detailed output - other.out");
  // Filled again for the page shown, which stays.
  EXPECT_EQ(Find<QTabWidget>(&W, "pcOutputDet")->currentIndex(), 1);
  EXPECT_EQ(Items(Run), QStringList({"B1"}));
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgWaterLimited")->ColCount(), 15);
  EXPECT_EQ(Find<TDxStringGrid>(&W, "SgWaterLimited")->RowCount(), 4);

  // A file that cannot be read: the box, and the window as it was.
  TScriptedDialogs Dialogs;
  const std::string Missing = Home.Output("missing.out");
  Dialogs.ExpectFile(QString::fromStdString(Missing));
  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "Error reading outputfile: " + Missing + ".");
  QTest::mouseClick(Open, Qt::LeftButton);
  EXPECT_EQ(W.windowTitle(), "Detailed output - other.out");
  EXPECT_EQ(Items(Run), QStringList({"B1"}));
  EXPECT_EQ(W.OutputData().Data.PotentialList.Count(), 2);
}

TEST_F(DetailedWindow, ExportsGrowOneWorkbookWrittenAnewEachTime) {
  SKIP_WITHOUT_OPENPYXL();
  TModelRunSpec Spec;
  Spec.Reruns = 2;
  Home.Put(ModelFiles(Spec));
  TOpenRecorder Opener;
  TFormDetailedOutput W(nullptr);
  EXPECT_FALSE(W.Created());
  auto* Potential = Find<QPushButton>(&W, "btnExcelPotential");
  QTest::mouseClick(Potential, Qt::LeftButton);
  EXPECT_TRUE(W.Created());
  Choose(Find<QComboBox>(&W, "cbRunName"), 1);
  QTest::mouseClick(Potential, Qt::LeftButton);
  Page(W, 1);
  QTest::mouseClick(Find<QPushButton>(&W, "btnExcelWaterlimited"), Qt::LeftButton);
  ASSERT_EQ(Opener.Opened.size(), 3u);
  EXPECT_EQ(Opener.Opened[0], MapFileName(Home.Output("KRL-detailed-Potential1.xlsx")));
  EXPECT_EQ(Opener.Opened[1], MapFileName(Home.Output("KRL-detailed-Potential2.xlsx")));
  EXPECT_EQ(Opener.Opened[2], MapFileName(Home.Output("KRL-detailed-Water-limited1.xlsx")));

  TReadBook B;
  ASSERT_TRUE(ReadBackWorkbook(QString::fromStdString(Opener.Opened[2]), B));
  EXPECT_EQ(B.Sheets, (std::vector<std::string>{"Potential1", "Potential2", "Water-limited1"}));
  const auto Read = ReadBack();
  const TDetailedOutput& D = *Read;
  const TPotentialOutput& P = *D.Data.PotentialList.Objects(2);  // KRL2 1980
  auto& S = B.Cells["Potential2"];
  const std::pair<const char*, std::string> Texts[] = {
      {"A1", "RUNNAM:"},
      {"B1", "KRL2"},
      {"A2", "YEAR:"},
      {"A3", "RAIN:"},
      {"A5", "WEATHER:"},
      {"A6", "RAIN:"},
      {"A7", "CROP:"},
      {"A8", "SOIL:"},
      {"A9", "START:"},
      {"B9", P.Header->Start},
      {"A10", "sowing date:"},
      {"A11", "emergence date:"},
      {"A14", "YEAR"},
      {"N14", "DMI"},
      {"E15", "degrd"},
      {"N15", "kg/ha/d"},
      {"B7", P.Header->CropName + " (" + P.Header->CropFile + ")"},
  };
  for (const auto& [At, Text] : Texts) {
    ASSERT_EQ(S.count(At), 1u) << At;
    EXPECT_EQ(S[At].Type, "s") << At;
    EXPECT_EQ(S[At].Value, Text) << At;
  }
  EXPECT_TRUE(S["A14"].Bold);
  EXPECT_FALSE(S["A1"].Bold);
  EXPECT_EQ(S["B2"].Type, "n");
  EXPECT_EQ(S["B2"].Value, "1980");
  EXPECT_EQ(S.count("B3"), 0u);  // no rain year on the potential page
  EXPECT_EQ(S["B11"].Value, P.Header->EmergenceDate);
  EXPECT_EQ(S["B11"].Type, "n");
  // The daily rows from row 16, numbers as numbers.
  const int Last = 15 + P.Days.Count();
  EXPECT_EQ(S["A16"].Type, "n");
  EXPECT_EQ(S["A16"].Value, "1980");
  EXPECT_DOUBLE_EQ(std::stod(S["N" + std::to_string(Last)].Value),
                   std::stod(P.Days.Objects(P.Days.Count() - 1)->Value(14).Str()));
  EXPECT_EQ(S.count("A" + std::to_string(Last + 1)), 0u);
  auto& Wl = B.Cells["Water-limited1"];
  EXPECT_EQ(Wl["A12"].Value, "start date waterbalance:");
  EXPECT_EQ(Wl["B3"].Value, "1980");
  EXPECT_EQ(Wl["P14"].Value, "dry");
}

// Good with a stray character inside the second row of its first daily table.
std::string Garbled(std::string Good) {
  const size_t At = Good.find("1980  101", Good.find("POTENTIAL"));
  Good.replace(At + 6, 3, "1#1");
  return Good;
}

// A file that is not the model's output, or that breaks off, or has a row
// that is not the model's, is refused with the file and the reason, and the
// window keeps what it showed.
TEST_F(DetailedWindow, OpenRefusesAFileThatIsNoCompleteOutput) {
  layout::TOptions O;
  O.Days = 2;
  const std::string Good = DetailedText(Blocks({{"KRL1", 1980, false}, {"KRL1", 1980, true}}, O));
  Home.Write("KRL.OUT", Good);
  TFormDetailedOutput W(nullptr);
  auto* Open = Find<QPushButton>(&W, "BtnOpen");
  struct {
    const char* Name;
    std::string Content;
    const char* Why;
  } Cases[] = {
      {"junk.out", std::string("\x01\x02\x00\xff\xfe binary", 12), "it is not a text file"},
      {"utf16.out", std::string("\xff\xfeR\0U\0N\0", 8), "it is not a text file"},
      {"empty.out", "", "the file is empty"},
      {"notes.out", "Some notes\r\nof another program\r\n", "it holds no season of a run"},
      {"cut.out", Good.substr(0, Good.size() * 2 / 3), "it breaks off in the middle of a line"},
      {"garbled.out", Garbled(Good), "row 2 of the potential daily table of run KRL1, year 1980 is damaged"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::string Content = C.Content;
    // The cut file ends inside a line, wherever two thirds fall.
    if (std::string(C.Name) == "cut.out")
      while (!Content.empty() && (Content.back() == '\n' || Content.back() == '\r')) Content.pop_back();
    Home.Write(C.Name, Content);
    TScriptedDialogs Dialogs;
    Dialogs.ExpectFile(QString::fromStdString(Home.Output(C.Name)));
    TScriptedMessages Boxes;
    Boxes.Expect(TMsgKind::Error, Home.Output(C.Name) + " cannot be shown: " + C.Why +
                                      ". It is not a complete output file of the model.");
    QTest::mouseClick(Open, Qt::LeftButton);
    EXPECT_EQ(W.windowTitle(), "Detailed output - KRL");
    EXPECT_EQ(Items(Find<QComboBox>(&W, "cbRunName")), QStringList({"KRL1"}));
  }
}
