// The data catalogue: annotation lines of one data file, scanning a
// directory, merging weather stations and building the three lists.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "catalogue/KvMenu.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "session/Kvfm.h"
#include "support/TestSupport.h"

namespace {

struct TExpected {
  bool Ok;
  std::string Description;
  int Format, YearBegin, YearEnd;
};

void ExpectItem(const TKorMenuItem& Item, bool Ok, const TExpected& E) {
  EXPECT_EQ(Ok, E.Ok);
  EXPECT_EQ(Item.Description, E.Description);
  EXPECT_EQ(Item.Format, E.Format);
  EXPECT_EQ(Item.YearBegin, E.YearBegin);
  EXPECT_EQ(Item.YearEnd, E.YearEnd);
  EXPECT_EQ(Item.Number, 0);
}

TEST(ReadDataFileInfoTest, KeyLines) {
  struct TCase {
    const char* Name;
    int Kind;
    std::string Content;
    TExpected Expected;
  };
  const TCase Cases[] = {
      {"quoted crop name",
       KindCrop,
       "** comment\r\nCRPNAM='Winter wheat, north'\r\nTBASE=0.\r\n",
       {true, "Winter wheat, north", -1, -1, -1}},
      {"plain crop name", KindCrop, "CRPNAM=Maize\n", {true, "Maize", -1, -1, -1}},
      {"blank before =", KindCrop, "CRPNAM ='Maize'\r\n", {false, "", -1, -1, -1}},
      {"indented key", KindCrop, " CRPNAM=Maize\r\n", {false, "", -1, -1, -1}},
      {"letter case of key", KindCrop, "crpnam=Maize\r\n", {false, "", -1, -1, -1}},
      {"only quotes", KindCrop, "CRPNAM=''\r\n", {false, "", -1, -1, -1}},
      {"first key line counts", KindCrop, "CRPNAM\r\nCRPNAM=Maize\r\n", {false, "", -1, -1, -1}},
      {"value trimmed", KindCrop, "CRPNAM= \t\"Rice\" \r\n", {true, "Rice", -1, -1, -1}},
      {"soil name", KindSoil, "SOLNAM='Clay'\r\nCRPNAM=Maize\r\n", {true, "Clay", -1, -1, -1}},
      {"soil key for crop", KindCrop, "SOLNAM='Clay'\r\n", {false, "", -1, -1, -1}},
      {"unknown kind", 7, "CRPNAM=Maize\r\n", {false, "", -1, -1, -1}},
      {"weather, further =", KindWeather, "** KRLDESCRIPTION=a=b\r\n", {true, "a=b", -1, -1, -1}},
      {"weather quotes stay", KindWeather, "** KRLDESCRIPTION='St'\r\n", {true, "'St'", -1, -1, -1}},
      {"yearly file",
       KindWeather,
       "** KRLDESCRIPTION=North\r\n** KRLFORMAT=2\r\n** KRLYEARNR=1987\r\n",
       {true, "North", 2, 1987, 1987}},
      {"keys in any order",
       KindWeather,
       "** KRLYEARNR=1987\r\n** KRLFORMAT=2\r\n** KRLDESCRIPTION=North\r\n",
       {true, "North", 2, 1987, 1987}},
      {"yearly without year",
       KindWeather,
       "** KRLDESCRIPTION=N\r\n** KRLFORMAT=2\r\n** KRLYEARS=1961-1990\r\n",
       {true, "N", 2, -1, -1}},
      {"range",
       KindWeather,
       "** KRLDESCRIPTION=R\r\n** KRLFORMAT=99\r\n** KRLYEARS=1961-1990\r\n",
       {true, "R", 99, 1961, 1990}},
      {"single year range",
       KindWeather,
       "** KRLDESCRIPTION=R\r\n** KRLFORMAT=1\r\n** KRLYEARS=1987\r\n",
       {true, "R", 1, 1987, 1987}},
      {"range 1000", KindWeather, "** KRLDESCRIPTION=R\r\n** KRLYEARS=1000\r\n", {true, "R", -1, 1000, 1000}},
      {"range 1000-2000",
       KindWeather,
       "** KRLDESCRIPTION=R\r\n** KRLYEARS=1000-2000\r\n",
       {true, "R", -1, 1000, 1000}},
      {"range abcd", KindWeather, "** KRLDESCRIPTION=R\r\n** KRLYEARS=abcd\r\n", {true, "R", -1, 0, 0}},
      {"short range", KindWeather, "** KRLDESCRIPTION=R\r\n** KRLYEARS=87\r\n", {true, "R", -1, 87, 87}},
      {"empty range", KindWeather, "** KRLDESCRIPTION=R\r\n** KRLYEARS=\r\n", {true, "R", -1, -1, -1}},
      {"format x",
       KindWeather,
       "** KRLDESCRIPTION=R\r\n** KRLFORMAT=x\r\n** KRLYEARNR=1987\r\n** KRLYEARS=1961-1990\r\n",
       {true, "R", 0, 1961, 1990}},
      {"empty format",
       KindWeather,
       "** KRLDESCRIPTION=R\r\n** KRLFORMAT=\r\n** KRLFORMAT=2\r\n** KRLYEARS=1971-2000\r\n",
       {true, "R", -1, 1971, 2000}},
      {"first year key counts",
       KindWeather,
       "** KRLDESCRIPTION=N\r\n** KRLFORMAT=2\r\n** KRLYEARNR=1987\r\n** KRLYEARNR=1999\r\n",
       {true, "N", 2, 1987, 1987}},
      {"no description", KindWeather, "** KRLFORMAT=2\r\n** KRLYEARNR=1987\r\n", {false, "", 2, 1987, 1987}},
      {"no line break", KindWeather, "** KRLDESCRIPTION=x", {true, "x", -1, -1, -1}},
      {"empty file", KindCrop, "", {false, "", -1, -1, -1}},
      {"binary", KindCrop, std::string("\0\x01\xFF=\r\r\n\0CRPNAM=\xE9t\xE9", 17), {false, "", -1, -1, -1}},
      {"binary key line",
       KindCrop,
       std::string("\0\x01\nCRPNAM=\xE9t\xE9\0", 15),
       {true, "\xE9t\xE9", -1, -1, -1}},
  };
  TTempDir Dir;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Dir.Write("data file.dat", C.Content);
    TKorMenuItem Item;
    const bool Ok = ReadDataFileInfo(Path, Item, C.Kind);
    ExpectItem(Item, Ok, C.Expected);
    EXPECT_EQ(Item.FileName, "data file.dat");
  }
}

TEST(ReadDataFileInfoTest, UnreadableFilesAreFalse) {
  TTempDir Dir;
  Dir.MakeDir("sub");
  TKorMenuItem Item;
  EXPECT_FALSE(ReadDataFileInfo(Dir / "missing", Item, KindCrop));
  EXPECT_FALSE(ReadDataFileInfo(Dir / "sub", Item, KindCrop));
  EXPECT_EQ(Item.FileName, "");
}

// A line of more than 255 words passes the file over when it must be read to
// find a key; after the last key needed it is never reached.
TEST(ReadDataFileInfoTest, OverlongLine) {
  const std::string Long = std::string(300, '=') + "\r\n";
  TTempDir Dir;
  TKorMenuItem Item;
  Dir.Write("a", Long + "CRPNAM=Maize\r\n");
  EXPECT_FALSE(ReadDataFileInfo(Dir / "a", Item, KindCrop));
  TKorMenuItem Item2;
  Dir.Write("b", "CRPNAM=Maize\r\n" + Long);
  EXPECT_TRUE(ReadDataFileInfo(Dir / "b", Item2, KindCrop));
  EXPECT_EQ(Item2.Description, "Maize");
  TKorMenuItem Item3;  // the year key is missing, so the whole file is read
  Dir.Write("c", "** KRLDESCRIPTION=N\r\n** KRLFORMAT=2\r\n" + Long);
  EXPECT_FALSE(ReadDataFileInfo(Dir / "c", Item3, KindWeather));
  TKorMenuItem Item4;
  Dir.Write("d", "** KRLDESCRIPTION=N\r\n** KRLFORMAT=2\r\n** KRLYEARNR=1987\r\n" + Long);
  EXPECT_TRUE(ReadDataFileInfo(Dir / "d", Item4, KindWeather));
}

// Something in a data directory that is no plain file (a named pipe, a
// device) is passed over at once: opening or reading it could wait forever.
TEST(ReadDataFileInfoTest, NoPlainFileIsPassedOver) {
  TTempDir Dir;
  ASSERT_EQ(mkfifo((Dir / "pipe").c_str(), 0600), 0);
  TKorMenuItem Item;
  EXPECT_FALSE(ReadDataFileInfo(Dir / "pipe", Item, KindCrop));
  EXPECT_FALSE(ReadDataFileInfo("/dev/zero", Item, KindWeather));
  Dir.Write("MAIZE.CAB", "CRPNAM=Maize\r\n");
  TMenuList List;
  EXPECT_TRUE(ScanDataDirectory(List, Dir.Path(), KindCrop));
  ASSERT_EQ(List.Count(), 1);
  EXPECT_EQ(List.Objects(0)->FileName, "MAIZE.CAB");
}

// An item handed in with a format already set: an empty format line keeps
// that format, and it decides the year key, as when every key is looked up
// from the top of the file.
TEST(ReadDataFileInfoTest, EmptyFormatLineKeepsTheItemsFormat) {
  TTempDir Dir;
  const std::string Path = Dir.Write(
      "w.dat", "** KRLDESCRIPTION=N\r\n** KRLFORMAT=\r\n** KRLYEARS=1961-1990\r\n** KRLYEARNR=1987\r\n");
  TKorMenuItem Item;
  Item.Format = 2;
  EXPECT_TRUE(ReadDataFileInfo(Path, Item, KindWeather));
  EXPECT_EQ(Item.Format, 2);
  EXPECT_EQ(Item.YearBegin, 1987);
  EXPECT_EQ(Item.YearEnd, 1987);
}

const char* YearlyFile(const char* Description, int Year) {
  static std::string S;
  S = std::string("** KRLDESCRIPTION=") + Description +
      "\r\n** KRLFORMAT=2\r\n** KRLYEARNR=" + std::to_string(Year) + "\r\n  5.18  52.10   10.0\r\n 1 " +
      std::to_string(Year) + "   1  2350.  -1.2   4.3  0.62  4.1  1.8\r\n";
  return S.c_str();
}

TEST(ScanDataDirectoryTest, EntriesInNameOrderWithoutCase) {
  TTempDir Dir;
  Dir.Write("crops/b.cab", "CRPNAM=Beet\r\n");
  Dir.Write("crops/A.cab", "CRPNAM=Apple\r\n");
  Dir.Write("crops/c d \xE9.cab", "CRPNAM=Chicory\r\n");
  Dir.Write("crops/.hidden", "CRPNAM=Hidden\r\n");
  Dir.Write("crops/notes.txt", "nothing here\r\n");
  Dir.Write("crops/sub/inner.cab", "CRPNAM=Inner\r\n");
  Dir.Write("crops/Sub2", "CRPNAM=Apple\r\n");  // duplicate descriptions allowed
  TMenuList List;
  EXPECT_TRUE(ScanDataDirectory(List, Dir / "crops", KindCrop));
  ASSERT_EQ(List.Count(), 5);
  const char* Texts[] = {"Hidden", "Apple", "Beet", "Chicory", "Apple"};
  const char* Files[] = {".hidden", "A.cab", "b.cab", "c d \xE9.cab", "Sub2"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(List.Strings(i), Texts[i]);
    EXPECT_EQ(List.Objects(i)->FileName, Files[i]);
  }
}

TEST(ScanDataDirectoryTest, DirectoryThatCannotBeListed) {
  TTempDir Dir;
  Dir.Write("afile", "x");
  for (const std::string& D : {Dir / "missing", Dir / "afile"}) {
    TMenuList List;
    try {
      ScanDataDirectory(List, D, KindCrop);
      FAIL() << "no error for " << D;
    } catch (const EPlainError& E) {
      EXPECT_EQ(E.Message(), "Error finding data info from directory " + D + "\\");
    }
  }
}

TEST(MergeWeatherStationsTest, YearlyFilesBecomeOneStation) {
  TTempDir Dir;
  Dir.Write("climd/CLIM.DAT", "** KRLDESCRIPTION=South\r\n** KRLFORMAT=2\r\n** KRLYEARNR=1970\r\n");
  Dir.Write("climd/RAIN.DAT", "** KRLDESCRIPTION=North\r\n** KRLFORMAT=99\r\n** KRLYEARS=1971-2000\r\n");
  Dir.Write("merawe/NLD1.990", YearlyFile("North", 1990));
  Dir.Write("merawe/nld1.987", YearlyFile("North", 1987));
  Dir.Write("merawe/NLD1.989", YearlyFile("North", 1989));
  Dir.Write("merawe/SOU.960", YearlyFile("South", 1960));
  Dir.Write("merawe/SOU.995", YearlyFile("South", 1995));
  TMenuList Stations, Weather;
  ScanDataDirectory(Stations, Dir / "climd", KindWeather);
  ScanDataDirectory(Weather, Dir / "merawe", KindWeather);
  EXPECT_TRUE(MergeWeatherStations(Weather, Stations));
  ASSERT_EQ(Stations.Count(), 3);
  // The climate entry keeps its file name and widens its years.
  const TKorMenuItem* South = Stations.Objects(0);
  EXPECT_EQ(South->FileName, "CLIM.DAT");
  EXPECT_EQ(South->YearBegin, 1960);
  EXPECT_EQ(South->YearEnd, 1995);
  EXPECT_EQ(Stations.Strings(1), "North");
  EXPECT_EQ(Stations.Objects(1)->Format, 99);
  // The yearly files: the first one listed names the station.
  const TKorMenuItem* North = Stations.Objects(2);
  EXPECT_EQ(Stations.Strings(2), "North");
  EXPECT_EQ(North->FileName, "nld1.");
  EXPECT_EQ(North->Format, 2);
  EXPECT_EQ(North->YearBegin, 1987);
  EXPECT_EQ(North->YearEnd, 1990);

  EXPECT_EQ(FindMenuItem("North", 2, Stations), 2);
  EXPECT_EQ(FindMenuItem("North", 99, Stations), 1);
  EXPECT_EQ(FindMenuItem("north", 2, Stations), -1);
  EXPECT_EQ(FindMenuItem("North", 1, Stations), -1);
}

class BuildDataCatalogueTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeDataCatalogue(); }
  TProgramHome Home;
};

TEST_F(BuildDataCatalogueTest, FillsTheThreeLists) {
  const TTempDir& D = Home.Dir();
  D.Write("cropd/MAIZE.CAB", "CRPNAM='Maize'\r\n");
  D.Write("cropd/wheat.cab", "CRPNAM='Wheat'\r\n");
  D.Write("soild/CLAY.SOL", "SOLNAM='Clay'\r\n");
  D.Write("meteo/climd/RAINN.DAT",
          "** KRLDESCRIPTION=Rain north\r\n** KRLFORMAT=99\r\n** KRLYEARS=1971-2000\r\n");
  D.Write("meteo/merawe/NLD1.987", YearlyFile("Station north", 1987));
  D.Write("meteo/merawe/NLD1.988", YearlyFile("Station north", 1988));
  D.Write("meteo/merawe/broken.990", std::string(1000, '='));  // passed over, not fatal
  TScriptedMessages Msgs;
  TKvFileManager Fm;
  BuildDataCatalogue(Fm);
  ASSERT_EQ(CropList.Count(), 2);
  EXPECT_EQ(CropList.Strings(0), "Maize");
  EXPECT_EQ(CropList.Objects(1)->FileName, "wheat.cab");
  ASSERT_EQ(SoilList.Count(), 1);
  ASSERT_EQ(StationList.Count(), 2);
  EXPECT_EQ(StationList.Objects(0)->FileName, "RAINN.DAT");
  EXPECT_EQ(StationList.Objects(1)->FileName, "NLD1.");
  EXPECT_EQ(StationList.Objects(1)->YearEnd, 1988);

  // Building again gives the same lists, not twice the entries.
  BuildDataCatalogue(Fm);
  EXPECT_EQ(CropList.Count(), 2);
  EXPECT_EQ(StationList.Count(), 2);
  FreeDataCatalogue();
  EXPECT_EQ(CropList.Count(), 0);
}

TEST_F(BuildDataCatalogueTest, MissingCropDirectoryFailsAndLeavesTheListsEmpty) {
  const TTempDir& D = Home.Dir();
  D.Write("soild/CLAY.SOL", "SOLNAM='Clay'\r\n");
  D.Write("bin/DIRECT.INI", "[Directory settings for KORVAL]\r\nCRPDIR=..\\nocrops\\\r\n");
  TScriptedMessages Msgs;
  TKvFileManager Fm;
  try {
    BuildDataCatalogue(Fm);
    FAIL() << "no error";
  } catch (const EPlainError& E) {
    EXPECT_EQ(E.Message(), "Error finding data info from directory ..\\nocrops\\\\");
  }
  EXPECT_EQ(CropList.Count(), 0);
  EXPECT_EQ(SoilList.Count(), 0);
  EXPECT_EQ(StationList.Count(), 0);
}

}  // namespace

namespace {

// The catalogue reads each file once; the result must equal looking every key
// up from the top of the file with the reader's own skip operation.
TKorMenuItem KeyByKey(const std::string& FileName, int Kind) {
  TKorMenuItem Item;
  TDxTextFile File(FileName);
  File.SetWordSep("=");
  auto Value = [&File](const std::string& Key) {
    File.ResetFile();
    return File.SkipUntil({Key}) ? TrimBlanks(File.Line().GetWordsFrom(2)) : std::string();
  };
  if (Kind == KindCrop) Item.Description = Unquoted(Value("CRPNAM"));
  if (Kind == KindWeather) {
    Item.Description = Value("** KRLDESCRIPTION");
    const std::string F = Value("** KRLFORMAT");
    if (!F.empty()) Item.Format = IntOrZero(F);
    if (Item.Format == 2) {
      const std::string Y = Value("** KRLYEARNR");
      if (!Y.empty()) Item.YearBegin = IntOrZero(Y);
      Item.YearEnd = Item.YearBegin;
    } else {
      const std::string Y = Value("** KRLYEARS");
      if (Y.substr(0, 4) == "1000") {
        Item.YearBegin = Item.YearEnd = 1000;
      } else if (!Y.empty()) {
        Item.YearBegin = IntOrZero(Y.substr(0, 4));
        Item.YearEnd = IntOrZero(Y.size() > 4 ? Y.substr(Y.size() - 4) : Y);
      }
    }
  }
  return Item;
}

TEST(ReadDataFileInfoTest, SameAsKeyByKeyOnShuffledFiles) {
  const char* Pool[] = {"CRPNAM='Maize'",
                        "CRPNAM=",
                        "CRPNAM",
                        "CRPNAM =x",
                        "CRPNAM=Beet=red",
                        "** KRLDESCRIPTION=North",
                        "** KRLDESCRIPTION=",
                        "** KRLDESCRIPTION",
                        "** KRLDESCRIPTION=South=x",
                        "** KRLFORMAT=2",
                        "** KRLFORMAT=99",
                        "** KRLFORMAT=",
                        "** KRLFORMAT=x",
                        "** KRLYEARNR=1987",
                        "** KRLYEARNR=",
                        "** KRLYEARS=1961-1990",
                        "** KRLYEARS=1000",
                        "** KRLYEARS=",
                        "",
                        "x=y",
                        "** comment",
                        "  5.18  52.10   10.0"};
  const int N = sizeof Pool / sizeof *Pool;
  TTempDir Dir;
  unsigned Seed = 12345;
  auto Next = [&Seed] { return (Seed = Seed * 1103515245u + 12345u) >> 16; };
  for (int Round = 0; Round < 150; ++Round) {
    std::string Content;
    const int Lines = static_cast<int>(Next() % 8);
    for (int i = 0; i < Lines; ++i) Content += std::string(Pool[Next() % N]) + "\r\n";
    const std::string Path = Dir.Write("f.dat", Content);
    for (int Kind : {KindCrop, KindWeather}) {
      TKorMenuItem Item;
      const bool Ok = ReadDataFileInfo(Path, Item, Kind);
      const TKorMenuItem Ref = KeyByKey(Path, Kind);
      SCOPED_TRACE(Content);
      EXPECT_EQ(Ok, !Ref.Description.empty());
      EXPECT_EQ(Item.Description, Ref.Description);
      EXPECT_EQ(Item.Format, Ref.Format);
      EXPECT_EQ(Item.YearBegin, Ref.YearBegin);
      EXPECT_EQ(Item.YearEnd, Ref.YearEnd);
    }
  }
}

}  // namespace
