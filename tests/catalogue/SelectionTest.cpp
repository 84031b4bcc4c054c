// The session's crop, soil and weather choices against the data catalogue,
// through plain list boxes, labels and edit fields.
#include <gtest/gtest.h>

#include "catalogue/Controls.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/Kvcrop.h"
#include "catalogue/Kvsoil.h"
#include "catalogue/Kvwthr.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "platform/Handlers.h"
#include "session/Kvses.h"
#include "support/TestSupport.h"

namespace {

const std::string Catalogue = CrLf(R"(name,min,max,type,file,meaning
IDEM,0.5,365.5,I,TD,emergence
IDSOW,1.5,364.4,I,TD,sowing
IDESOW,2.5,300,I,TD,earliest sowing
IDLSOW,-0.5,301,I,TD,latest sowing
IDAYEN,1,366,I,TD,end
IDURMX,1,800,I,TD,duration
INYRG,1,99.5,I,TD,years
)");

void AddEntry(TMenuList& List, const std::string& Description, const std::string& FileName, int Format = -1,
              int YearBegin = -1, int YearEnd = -1) {
  auto Item = std::make_unique<TKorMenuItem>();
  Item->Description = Description;
  Item->FileName = FileName;
  Item->Format = Format;
  Item->YearBegin = YearBegin;
  Item->YearEnd = YearEnd;
  List.Add(Description, std::move(Item));
}

class SelectionTest : public ::testing::Test {
 protected:
  // The catalogue is loaded before any member of a derived fixture is made.
  SelectionTest() {
    Dir.Write("KRL_VAR.csv", Catalogue);
    LoadVarCatalogue(Dir / "KRL_VAR.csv");
  }
  void TearDown() override {
    FreeDataCatalogue();
    FreeVarCatalogue();
  }
  TTempDir Dir;
  TScriptedMessages Msgs;  // a box no test expects fails it
};

TEST_F(SelectionTest, CropDefaultsAndRangesHalvesToEven) {
  TKvCrop C;
  EXPECT_EQ(C.StartDay(), 1);
  EXPECT_EQ(C.FixedEmergenceDate(), 1);
  EXPECT_EQ(C.MinFixedEmergenceDate(), 0);
  EXPECT_EQ(C.MaxFixedEmergenceDate(), 366);
  EXPECT_EQ(C.FixedSowingDate(), 1);
  EXPECT_EQ(C.MinFixedSowingDate(), 2);
  EXPECT_EQ(C.MaxFixedSowingDate(), 364);
  EXPECT_EQ(C.EarliestSowingDate(), 100);
  EXPECT_EQ(C.MinEarliestSowingDate(), 2);
  EXPECT_EQ(C.UltimateSowingDate(), 140);
  EXPECT_EQ(C.MinUltimateSowingDate(), 0);
  EXPECT_EQ(C.MaxUltimateSowingDate(), 301);
  EXPECT_EQ(C.FixedEndDate(), 270);
  EXPECT_EQ(C.MaxFixedEndDate(), 366);
  EXPECT_EQ(C.EndDay(), 2);
  EXPECT_EQ(C.MaximumDuration(), 260);
  EXPECT_EQ(C.MaxMaximumDuration(), 800);
  EXPECT_EQ(C.CropDescription(), "");
  EXPECT_EQ(C.CropFile(), "");

  C.SetCropFile("X.CAB");
  C.SetStartDay(3);
  C.Reset();
  EXPECT_EQ(C.CropFile(), "");
  EXPECT_EQ(C.StartDay(), 1);
}

TEST_F(SelectionTest, WeatherDefaults) {
  TKvWeather W;
  EXPECT_EQ(W.WeatherFormat(), 2);
  EXPECT_EQ(W.StationDescription(), "");
  EXPECT_EQ(W.StationFile(), "");
  EXPECT_EQ(W.Year(), 1980);
  EXPECT_EQ(W.ConsecutiveYears(), 1);
  EXPECT_EQ(W.NoOfRunsWithRandomizedRain(), 1);
  EXPECT_EQ(W.MinNoOfRunsWithRandomizedRain(), 1);
  EXPECT_EQ(W.MaxNoOfRunsWithRandomizedRain(), 100);
  EXPECT_EQ(W.RainfallDataOptions(), 3);
  EXPECT_EQ(W.RainfallStationDescription(), "<none>");
  EXPECT_EQ(W.RainfallStationFile(), "<none>");
  EXPECT_EQ(W.RainfallYear(), 0);
  EXPECT_EQ(W.RainfallConsecutiveYears(), 1);
  EXPECT_EQ(W.MinRainfallConsecutiveYears(), 1);
  EXPECT_EQ(W.MaxRainfallConsecutiveYears(), 100);
  EXPECT_EQ(W.SlFormat().Count(), 0);
}

TEST_F(SelectionTest, MissingVariablesGiveZeroRangeAndOneMessageEach) {
  Dir.Write("KRL_VAR.csv", "name,min,max,type,file,meaning\r\nIDEM,1,365,I,TD,emergence\r\n");
  LoadVarCatalogue(Dir / "KRL_VAR.csv");
  for (const char* Name : {"IDSOW", "IDESOW", "IDLSOW", "IDAYEN", "IDURMX"})
    Msgs.Expect(TMsgKind::Plain, std::string("not found: ") + Name);
  TKvCrop C;
  EXPECT_EQ(C.MaxFixedEmergenceDate(), 365);
  EXPECT_EQ(C.MinMaximumDuration(), 0);
  EXPECT_EQ(C.MaxMaximumDuration(), 0);
  Msgs.Expect(TMsgKind::Plain, "not found: INYRG");
  TKvWeather W;
  EXPECT_EQ(W.MaxNoOfRunsWithRandomizedRain(), 0);
  EXPECT_EQ(W.MinRainfallConsecutiveYears(), 0);
}

TEST_F(SelectionTest, CropListSelectsTheSessionFile) {
  AddEntry(CropList, "Maize", "MAIZE.CAB");
  AddEntry(CropList, "Wheat", "wheat.cab");
  AddEntry(CropList, "Wheat 2", "WHEAT.CAB");
  TKvCrop C;
  TPlainListBox Lb;
  Lb.Add("stale");
  const struct {
    const char* CropFile;
    int Selected;
  } Cases[] = {{"WHEAT.cab", 1}, {"maize.cab", 0}, {"GONE.CAB", 0}, {"", 0}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.CropFile);
    C.SetCropFile(Case.CropFile);
    C.FetchCropData(Lb);
    EXPECT_EQ(Lb.Items(), (std::vector<std::string>{"Maize", "Wheat", "Wheat 2"}));
    EXPECT_EQ(Lb.ItemIndex(), Case.Selected);
  }

  TPlainLabel Label;
  Label.SetCaption("old");
  Lb.SetItemIndex(2);
  C.SetCropFile(Lb, Label);
  EXPECT_EQ(C.CropDescription(), "Wheat 2");
  EXPECT_EQ(C.CropFile(), "WHEAT.CAB");
  EXPECT_EQ(Label.Caption(), "Selected crop: \r\nWheat 2");

  // A selection beyond the catalogue empties the choice, the label stays.
  Lb.Add("extra");
  Lb.SetItemIndex(3);
  C.SetCropFile(Lb, Label);
  EXPECT_EQ(C.CropDescription(), "");
  EXPECT_EQ(C.CropFile(), "");
  EXPECT_EQ(Label.Caption(), "Selected crop: \r\nWheat 2");
}

TEST_F(SelectionTest, EmptyCatalogueLeavesListEmptyAndChoiceUnchanged) {
  TKvCrop C;
  C.SetCropFile("A.CAB");
  C.SetCropDescription("A");
  TPlainListBox Lb;
  TPlainLabel Label;
  C.FetchCropData(Lb);
  EXPECT_EQ(Lb.Count(), 0);
  EXPECT_EQ(Lb.ItemIndex(), -1);
  C.SetCropFile(Lb, Label);
  EXPECT_EQ(C.CropFile(), "A.CAB");
  EXPECT_EQ(C.CropDescription(), "A");

  TKvSoil S;
  S.SetSoilFile("CLAY.SOL");
  S.FetchSoilData(Lb);
  S.SetSoilFile(Lb);
  EXPECT_EQ(S.SoilFile(), "CLAY.SOL");
}

TEST_F(SelectionTest, SoilListAndChoice) {
  AddEntry(SoilList, "Sand", "SAND.SOL");
  AddEntry(SoilList, "Clay", "CLAY.SOL");
  TKvSoil S;
  EXPECT_EQ(S.SoilDescription(), "");
  S.SetSoilFile("clay.sol");
  TPlainListBox Lb;
  S.FetchSoilData(Lb);
  EXPECT_EQ(Lb.ItemIndex(), 1);
  Lb.SetItemIndex(0);
  S.SetSoilFile(Lb);
  EXPECT_EQ(S.SoilDescription(), "Sand");
  EXPECT_EQ(S.SoilFile(), "SAND.SOL");
  EXPECT_EQ(S.SoilFileFromListbox(1), "CLAY.SOL");
  EXPECT_EQ(S.SoilFileFromListbox(2), "");
  EXPECT_EQ(S.SoilFileFromListbox(-1), "");
  S.Reset();
  EXPECT_EQ(S.SoilFile(), "");
}

class WeatherSelectionTest : public SelectionTest {
 protected:
  void SetUp() override {
    AddEntry(StationList, "Rain north", "RAINN.DAT", 99, 1971, 2000);
    AddEntry(StationList, "Station north", "NLD1.", 2, 1987, 1990);
    AddEntry(StationList, "Station south", "SOU1.", 2, 1960, 1995);
    AddEntry(StationList, "Monthly", "CLIM.DAT", 1, 1961, 1990);
  }
  void ShowStation() { W.UpdateStations(Stations, First, Last, First2, Last2, Label); }
  TKvWeather W;
  TPlainListBox Formats, Stations;
  TPlainEdit First, Last, First2, Last2;
  TPlainLabel Label;
};

TEST_F(WeatherSelectionTest, FormatAndStationLists) {
  W.SetStationFile("sou1.");
  W.FetchWeatherFormatData(Formats);
  EXPECT_EQ(Formats.Items(), std::vector<std::string>{"MERA format weather"});
  EXPECT_EQ(Formats.ItemIndex(), 0);
  ASSERT_EQ(W.SlFormat().Count(), 1);
  EXPECT_EQ(W.SlFormat().Objects(0)->FormatNo, 2);
  EXPECT_EQ(W.SlFormat().Strings(0), "MERA format weather");

  W.UpdateWeatherFormat(Formats, Stations);
  EXPECT_EQ(Stations.Items(), (std::vector<std::string>{"Station north", "Station south"}));
  EXPECT_EQ(Stations.ItemIndex(), 1);

  ShowStation();
  EXPECT_EQ(First.Text(), "1960");
  EXPECT_EQ(Last.Text(), "1995");
  EXPECT_EQ(Label.Caption(), "Selected station: \r\nStation south");

  Stations.SetItemIndex(0);
  ShowStation();
  EXPECT_EQ(First.Text(), "1987");
  EXPECT_EQ(First2.Text(), "1987");
  EXPECT_EQ(Last.Text(), "1990");
  EXPECT_EQ(Last2.Text(), "1990");

  // Taking the window's values into the session.
  W.SetWeatherFormat(Formats.ItemIndex());
  W.SetStation(Stations.Item(Stations.ItemIndex()), W.WeatherFormat());
  EXPECT_EQ(W.StationFile(), "NLD1.");
  EXPECT_EQ(W.StationDescription(), "Station north");

  // A station that is not in the list is no station.
  W.SetStation("Rain north", 2);
  EXPECT_EQ(W.StationFile(), "");
  EXPECT_EQ(W.StationDescription(), "");
  Stations.SetItemIndex(-1);
  Label.SetCaption("kept");
  ShowStation();
  EXPECT_EQ(First.Text(), "0");
  EXPECT_EQ(Last2.Text(), "0");
  EXPECT_EQ(Label.Caption(), "kept");
}

TEST_F(WeatherSelectionTest, UnknownStationSelectsFirstAndOldFormatZeroBecomesTwo) {
  W.SetWeatherFormatNumber(0);  // from an old session file
  W.SetStationFile("GONE.");
  W.FetchWeatherFormatData(Formats);
  EXPECT_EQ(Formats.ItemIndex(), 0);
  W.UpdateWeatherFormat(Formats, Stations);
  EXPECT_EQ(W.WeatherFormat(), 2);
  EXPECT_EQ(Stations.ItemIndex(), 0);

  W.SetWeatherFormat(-1);
  EXPECT_EQ(W.WeatherFormat(), 2);
  W.SetWeatherFormat(5);
  EXPECT_EQ(W.WeatherFormat(), 0);

  // Without a format selection the station list is left alone.
  Formats.SetItemIndex(-1);
  W.UpdateWeatherFormat(Formats, Stations);
  EXPECT_EQ(Stations.Count(), 2);
  // A selected position beyond the format list: the failure is swallowed.
  Formats.Add("extra");
  Formats.SetItemIndex(1);
  W.UpdateWeatherFormat(Formats, Stations);
  EXPECT_EQ(Stations.Count(), 2);
}

TEST_F(WeatherSelectionTest, ResetRainfall) {
  const struct {
    int Format, Before, After;
  } Cases[] = {
      {0, 0, 1}, {0, 1, 1}, {0, 2, 2}, {0, 3, 1}, {1, 0, 0}, {1, 2, 2}, {1, 3, 1},
      {2, 0, 3}, {2, 1, 3}, {2, 2, 2}, {3, 1, 3}, {3, 3, 3}, {7, 0, 0}, {7, 3, 3},
  };
  for (const auto& C : Cases) {
    W.SetRainfallDataOptions(C.Before);
    W.ResetRainfall(C.Format);
    EXPECT_EQ(W.RainfallDataOptions(), C.After) << C.Format << " " << C.Before;
  }
}

TEST_F(WeatherSelectionTest, NumberOfSimulationYears) {
  const struct {
    int Format, Years, Option, Runs, RainYears, Expected;
  } Cases[] = {
      {1, 5, 3, 10, 10, 1}, {2, 5, 0, 10, 1, 10}, {2, 5, 1, 3, 1, 5},   {2, 5, 2, 10, 3, 5},
      {2, 5, 2, 1, 8, 8},   {1, 5, 0, 1, 1, 1},   {2, 5, 9, 10, 10, 5},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(::testing::Message() << "format " << C.Format << ", years " << C.Years << ", option "
                                      << C.Option << ", runs " << C.Runs << ", rain years " << C.RainYears);
    W.SetWeatherFormatNumber(C.Format);
    W.SetConsecutiveYears(C.Years);
    W.SetRainfallDataOptions(C.Option);
    W.SetNoOfRunsWithRandomizedRain(C.Runs);
    W.SetRainfallConsecutiveYears(C.RainYears);
    EXPECT_EQ(W.GetNrOfSimulationYears(), C.Expected);
  }
}

}  // namespace

namespace {

// The full names of the chosen files use the session's directories.
TEST(SelectedFileNameTest, DirectoryBackslashAndFile) {
  TProgramHome Home;
  Home.Dir().Write("bin/KRL_VAR.csv", Catalogue);
  SetCurrentDir(Home.Bin());
  LoadVarCatalogue();
  TKvCrop Alone;  // without a session there are no directories
  EXPECT_THROW(Alone.GetSelectedCropFileName(), EPlainError);
  // The other members ask for variables this small catalogue lacks.
  struct TQuiet {
    TMessageHandler Old = SetMessageHandler([](const TMessage&) { return TMsgResult::Ok; });
    ~TQuiet() { SetMessageHandler(Old); }
  } Quiet;
  TKvSession Session;
  struct TCurrent {
    explicit TCurrent(TKvSession* S) { TheSession = S; }
    ~TCurrent() { TheSession = nullptr; }
  } Current(&Session);
  Session.Crop().SetCropFile("MAIZE.CAB");
  Session.Soil().SetSoilFile("CLAY.SOL");
  EXPECT_EQ(Session.Crop().GetSelectedCropFileName(), "..\\cropd\\\\MAIZE.CAB");
  EXPECT_EQ(Session.Soil().GetSelectedSoilFileName(), "..\\soild\\\\CLAY.SOL");
  FreeVarCatalogue();
}

}  // namespace
