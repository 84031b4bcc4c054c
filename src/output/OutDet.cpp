#include "output/OutDet.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <new>

#include "foundations/DxLine.h"
#include "foundations/DxTxtFle.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "foundations/TextCase.h"
#include "platform/FileSys.h"

namespace {
const std::vector<std::string> KeyRunName = {"RUNNAM"};
const std::vector<std::string> KeyWeather = {"WEATHER->"};
const std::vector<std::string> KeyWater = {"WATER"};
const std::vector<std::string> KeyBalance = {"WATER", "BALANCE"};
const std::vector<std::string> KeyBalanceWhole = {"WATER", "BALANCE", "WHOLE"};
const std::vector<std::string> KeyBalanceRoot = {"WATER", "BALANCE", "ROOT", "ZONE"};
const std::vector<std::string> KeyCapillaryRise = {"capillary", "rise"};
const std::vector<std::string> KeyNutrients = {"SUMMARY", "CROP", "PRODUCTION", "AND", "NUTRIENT"};
const std::vector<std::string> KeyLeaves = {"Leaves"};

// Three values of a nutrient crop row: words A, A + 2 and A + 4.
void TakeThree(const TDxLine& L, int A, Str16* Values) {
  for (int i = 0; i < 3; ++i) Values[i] = L.GetWord(A + 2 * i);
}

// Sets the reader's separator back to blanks however the scope is left.
class TSepGuard {
 public:
  explicit TSepGuard(TDxTextFile& File) : FFile(File) {}
  ~TSepGuard() { FFile.SetWordSep(""); }

 private:
  TDxTextFile& FFile;
};
}  // namespace

std::string WeatherFileOfLine(const TDxLine& Line, int& StopNo) {
  std::string File = Line.GetWord(2);
  int k = 3;
  for (; k <= Line.NoOfWords(); ++k) {
    const std::string W = Line.GetWord(k);
    if (W == "start") break;
    File += ' ';
    File += W;
  }
  StopNo = k;
  return File;
}

// ---------------------------------------------------------------- THeader

void THeader::Reset() {
  RunName = Str16();
  RunYear = Str16();
  RainYear = Str16();
  WeatherName.clear();
  WeatherFile.clear();
  RainName.clear();
  RainFile.clear();
  CropName.clear();
  CropFile.clear();
  SoilName.clear();
  SoilFile.clear();
  Start.clear();
  SowingDate.clear();
  EmergenceDate.clear();
  StartDay.clear();
}

int THeader::ReadHeader(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  if (!OutFile.SkipUntil(KeyRunName)) return 0;
  RunName = TrimBlanks(L.GetWordsFrom(3));

  OutFile.SkipUntil(KeyWeather);
  WeatherName = L.GetWordsFrom(3);

  OutFile.NextLine();  // the weather file line
  int Stop;
  WeatherFile = WeatherFileOfLine(L, Stop);
  RunYear = L.NoOfWords() >= Stop + 2 ? L.GetWord(Stop + 2) : std::string("9999");

  OutFile.NextLine();  // the rain line
  if (L.GetWord(3) == "name:") {
    RainName = L.GetWordsFrom(4);
    OutFile.NextLine();
    RainFile = L.GetWordsFrom(2);
    OutFile.NextLine();
    RainYear = L.GetWord(2);
  } else {
    RainName = L.GetWordsFrom(3);
    RainYear = L.GetWord(8);
    RainFile.clear();
  }

  OutFile.NextLine();
  CropName = L.GetWordsFrom(4);
  OutFile.NextLine();
  CropFile = L.GetWordsFrom(2);
  OutFile.NextLine();
  SoilName = L.GetWordsFrom(4);
  OutFile.NextLine();
  SoilFile = L.GetWordsFrom(2);
  OutFile.NextLine();
  Start = L.GetWordsFrom(3);

  OutFile.SkipBlankLines();  // the dates line
  StartDay = L.GetWord(4);
  const std::string Dates8 = L.GetWord(8), Dates9 = L.GetWord(9);
  const std::string Dates12 = L.GetWord(12), Dates13 = L.GetWord(13);

  OutFile.SkipBlankLines();  // the section line
  const std::string Section = L.GetWord(1);
  if (Section == "POTENTIAL") {
    SowingDate = Dates8;
    EmergenceDate = Dates12;
    return 1;
  }
  if (Section == "WATER") {
    SowingDate = Dates9;
    EmergenceDate = Dates13;
    return 2;
  }
  return 0;
}

// ---------------------------------------------------------------- sections

void TPotentialOutput::Clear() {
  Header->Reset();
  Days.Clear();
  Summary.Clear();
}

void TPotentialOutput::ReadDaysSummary(TDxTextFile& OutFile, TDailyRows Rows) {
  const TDxLine& L = OutFile.Line();
  if (!OutFile.SkipUntilInt()) return;
  // The daily table: up to the first line without words, or the file's end.
  if (Rows == TDailyRows::Skip) {
    OutFile.SkipToBlankLine();
  } else {
    do {
      Days.Add(L);
    } while (OutFile.NextLine() && L.NoOfWords() > 0);
    Days.Shrink();
  }

  if (!OutFile.SkipUntilInt()) return;
  Summary.Assign(L, 1, false);
}

void TWaterLimitedOutput::Clear() {
  TPotentialOutput::Clear();
  for (std::string& S : Info) S.clear();
}

void TWaterLimitedOutput::ReadInfo(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  Info[0] = L.Str();
  OutFile.NextLine();
  OutFile.NextLine();
  Info[1] = L.Str();
  OutFile.NextLine();
  Info[2] = L.Str();
}

// ---------------------------------------------------------------- TWaterBalance

void TWaterBalance::Clear() {
  Title.clear();
  for (Str16* V :
       {&Change1, &Change2, &ToAtmos, &CheckSum1, &Checksum2, &InitMaxRootZone, &InitSurfStorage, &Irrigation,
        &Rainfall, &TotalInitIn, &FinalMaxRootZone, &FinalSurfStorage, &EvapWaterSurface, &EvapSoilSurface,
        &Transpiration, &SurfaceRunoff, &LostToDeepSoil, &TotalFinalOut})
    *V = Str16();
  ClearRoot();
}

void TWaterBalance::ClearRoot() {
  for (Str16* V :
       {&InitialWaterStock, &Infiltration, &AddedByRootGrowth, &CapillaryRise, &TotalInitInRoot,
        &FinalWaterStock, &EvapSoilSurfaceRoot, &TranspirationRoot, &Perculation, &FinalOut, &Checksum2})
    *V = Str16();
}

void TWaterBalance::ReadBalance(TDxTextFile& OutFile, bool hasGw, bool HasWb, bool HasRoot) {
  Clear();
  const TDxLine& L = OutFile.Line();
  if (HasWb && OutFile.SkipUntil(KeyBalance)) {
    Title = L.Str().substr(0, TitleLen);
    OutFile.NextLine();
    InitMaxRootZone = L.GetWord(5);
    FinalMaxRootZone = L.GetWord(10);
    Change1 = L.GetWord(12);
    OutFile.NextLine();
    InitSurfStorage = L.GetWord(4);
    FinalSurfStorage = L.GetWord(8);
    Change2 = L.GetWord(10);
    OutFile.NextLine();
    Irrigation = L.GetWord(2);
    EvapWaterSurface = L.GetWord(6);
    OutFile.NextLine();
    Rainfall = L.GetWord(2);
    EvapSoilSurface = L.GetWord(6);
    OutFile.NextLine();
    Transpiration = L.GetWord(2);
    ToAtmos = L.GetWord(5);
    OutFile.NextLine();
    SurfaceRunoff = L.GetWord(3);
    OutFile.NextLine();
    LostToDeepSoil = L.GetWord(hasGw ? 4 : 5);
    OutFile.NextLine();
    TotalInitIn = L.GetWord(5);
    TotalFinalOut = L.GetWord(10);
    CheckSum1 = L.GetWord(12);
  }
  if (HasRoot) {
    if (!OutFile.SkipUntil(KeyBalanceRoot)) return;
    OutFile.NextLine();
    InitialWaterStock = L.GetWord(4);
    FinalWaterStock = L.GetWord(8);
    OutFile.NextLine();
    Infiltration = L.GetWord(2);
    EvapSoilSurfaceRoot = L.GetWord(6);
    OutFile.NextLine();
    AddedByRootGrowth = L.GetWord(5);
    TranspirationRoot = L.GetWord(7);
    OutFile.NextLine();
    if (hasGw) {
      CapillaryRise = L.GetWord(3);
      Perculation = L.GetWord(5);
    } else {
      CapillaryRise = "0.0";
      Perculation = L.GetWord(2);
    }
    OutFile.NextLine();
    TotalInitInRoot = L.GetWord(5);
    FinalOut = L.GetWord(9);
    Checksum2 = L.GetWord(11);
  }
}

// ---------------------------------------------------------------- TNutrients

void TNutrients::Clear() {
  for (Str16* Row :
       {bas, rec, Leaves, Stems, StorageOrgan, Ratio, HarvestIndex, FertilizerN, FertilizerP, FertilizerK})
    for (int i = 0; i < 3; ++i) Row[i] = Str16();
}

void TNutrients::ReadNutrientsData(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  if (!OutFile.SkipUntil(KeyNutrients)) return;
  {
    // The two lines after the marker are comma-separated.
    TSepGuard Guard(OutFile);
    OutFile.SetWordSep(",");
    OutFile.NextLine();
    for (int i = 0; i < 3; ++i) bas[i] = L.GetWord(i + 1);
    OutFile.NextLine();
    for (int i = 0; i < 3; ++i) rec[i] = L.GetWord(i + 1);
  }
  // The separator is blanks again before the search splits further lines.
  if (!OutFile.SkipUntil(KeyLeaves)) return;
  TakeThree(L, 3, Leaves);
  OutFile.NextLine();
  TakeThree(L, 3, Stems);
  for (Str16* Row : {StorageOrgan, Ratio, HarvestIndex, FertilizerN, FertilizerP, FertilizerK}) {
    OutFile.NextLine();
    TakeThree(L, 4, Row);
  }
}

// ---------------------------------------------------------------- TRunOutput

void TRunOutput::Reset() {
  PotentialList.Clear();
  WaterList.Clear();
  BalanceList.Clear();
  NutrientsList.Clear();
  HasGroundwater = false;
  HasWaterLimited = false;
  HasWaterBalance = false;
  HasRootZone = false;
  HasNutrients = false;
}

void TRunOutput::GetPresentItems(TDxTextFile& OutFile) {
  TBusyCursor Busy;
  const TDxLine& L = OutFile.Line();
  OutFile.ResetFile();
  HasWaterLimited = OutFile.SkipUntil(KeyWater);
  if (HasWaterLimited) {
    HasWaterBalance = OutFile.SkipUntil(KeyBalanceWhole);
    HasGroundwater = false;
    if (HasWaterBalance) {
      OutFile.NextLine();
      HasGroundwater = L.GetWord(2) == "within";
    }
    OutFile.ResetFile();
    HasRootZone = OutFile.SkipUntil(KeyBalanceRoot);
    if (HasRootZone) HasGroundwater = OutFile.SkipUntil(KeyCapillaryRise);
  } else {
    HasWaterBalance = HasRootZone = HasGroundwater = false;
  }
  OutFile.ResetFile();
  HasNutrients = OutFile.SkipUntil(KeyNutrients);
}

void TRunOutput::ReadPotentialOutput(TDxTextFile& OutFile, std::unique_ptr<THeader> aHeader) {
  std::unique_ptr<TPotentialOutput> Section(new TPotentialOutput);
  Section->Header = std::move(aHeader);
  Section->ReadDaysSummary(OutFile, FRows);
  const std::string Name = Section->Header->RunName;
  PotentialList.Add(Name, std::move(Section));
}

void TRunOutput::ReadWaterLimitedOutput(TDxTextFile& OutFile, std::unique_ptr<THeader> aHeader) {
  std::unique_ptr<TWaterLimitedOutput> Section(new TWaterLimitedOutput);
  Section->Header = std::move(aHeader);
  Section->ReadInfo(OutFile);
  Section->ReadDaysSummary(OutFile, FRows);
  const THeader& Header = *Section->Header;
  WaterList.Add(Header.RunName, std::move(Section));
  if (HasWaterBalance || HasRootZone) ReadBalance(OutFile, Header);
}

void TRunOutput::ReadBalance(TDxTextFile& OutFile, const THeader& aHeader) {
  std::unique_ptr<TWaterBalance> Balance(new TWaterBalance);
  Balance->ReadBalance(OutFile, HasGroundwater, HasWaterBalance, HasRootZone);
  Balance->RunName = aHeader.RunName;
  Balance->RunYear = aHeader.RunYear;
  Balance->RainYear = aHeader.RainYear;
  const std::string Name = Balance->RunName;
  BalanceList.Add(Name, std::move(Balance));
}

void TRunOutput::ReadNutrients(TDxTextFile& OutFile) {
  if (!HasNutrients) return;
  for (const auto& Item : PotentialList) {
    bool Known = false;
    for (const auto& N : NutrientsList)
      if (SameText(N.Str, Item.Str)) {
        Known = true;
        break;
      }
    if (Known) continue;
    std::unique_ptr<TNutrients> Nutrients(new TNutrients);
    Nutrients->RunName = Item.Str;
    NutrientsList.Add(Item.Str, std::move(Nutrients));
  }
  // The k-th summary of the file belongs to the k-th distinct run name.
  for (const auto& N : NutrientsList) N.Obj->ReadNutrientsData(OutFile);
}

void TRunOutput::ReadAll(TDxTextFile& OutFile, TDailyRows Rows) {
  Reset();
  FRows = Rows;
  GetPresentItems(OutFile);
  OutFile.ResetFile();
  for (;;) {
    std::unique_ptr<THeader> Header(new THeader);
    const int Kind = Header->ReadHeader(OutFile);
    if (Kind == 1)
      ReadPotentialOutput(OutFile, std::move(Header));
    else if (Kind == 2)
      ReadWaterLimitedOutput(OutFile, std::move(Header));
    else
      break;
  }
  OutFile.ResetFile();
  ReadNutrients(OutFile);
}

// ---------------------------------------------------------------- TDetailedOutput

bool TDetailedOutput::ReadOutputFile(const std::string& aFileName, TDailyRows Rows) {
  std::unique_ptr<TDxTextFile> File;
  try {
    // Without the daily tables, most of the file is passed over in memory.
    File.reset(new TDxTextFile(aFileName, Rows == TDailyRows::Skip ? TDxTextFile::TReading::Whole
                                                                   : TDxTextFile::TReading::Buffered));
  } catch (const Exception&) {
    throw EKvError("Error reading outputfile: " + aFileName);
  }
  try {
    Data.ReadAll(*File, Rows);
  } catch (const std::bad_alloc&) {
    Data.Reset();
    std::error_code Ec;
    const auto Size = std::filesystem::file_size(MapFileName(aFileName), Ec);
    throw EKvError("There is not enough free memory to read the output file " + aFileName +
                   (Ec ? std::string() : " (" + std::to_string(Size / 1048576) + " MB)") +
                   ". Close other programs or windows, or run fewer years or reruns at a time");
  }
  FileName = aFileName;
  return true;
}

namespace {
// Why the bytes of a file are no output of the model, or empty when they may be.
std::string TextProblem(const std::string& aFileName) {
  const int Fd = OpenPlainFile(aFileName, O_RDONLY);
  if (Fd < 0) return {};
  char Buf[4096];
  const ssize_t N = read(Fd, Buf, sizeof Buf);
  off_t Size = lseek(Fd, 0, SEEK_END);
  char Last = '\n';
  if (Size > 0) {
    if (pread(Fd, &Last, 1, Size - 1) != 1) Last = '\n';
  }
  close(Fd);
  if (N <= 0) return "the file is empty";
  int Control = 0;
  for (ssize_t i = 0; i < N; ++i) {
    const unsigned char C = static_cast<unsigned char>(Buf[i]);
    if (C == 0) return "it is not a text file";
    if (C < 0x20 && C != '\r' && C != '\n' && C != '\t') ++Control;
  }
  if (Control * 20 > N) return "it is not a text file";
  if (Last != '\n') return "it breaks off in the middle of a line";
  return {};
}

// The first row of a daily table that is not as the model writes its rows:
// every value a number, and as many values as the table's first row has.
std::string DamagedDay(const TPotentialOutput& Section, const char* Table) {
  const int Width = Section.Days.Count() > 0 ? Section.Days.Objects(0)->Count() : 0;
  for (int r = 0; r < Section.Days.Count(); ++r) {
    const TOutputLine& Row = *Section.Days.Objects(r);
    bool Sound = Row.Count() == Width;
    for (int k = 1; Sound && k <= Row.Count(); ++k) Sound = IsFloat(TrimBlanks(Row.Value(k).Str()));
    if (!Sound)
      return "row " + std::to_string(r + 1) + " of the " + Table + " daily table of run " +
             TrimBlanks(Section.Header->RunName.Str()) + ", year " +
             TrimBlanks(Section.Header->RunYear.Str()) + " is damaged";
  }
  return {};
}

std::string DamagedDay(const TRunOutput& D) {
  for (int i = 0; i < D.PotentialList.Count(); ++i)
    if (std::string Why = DamagedDay(*D.PotentialList.Objects(i), "potential"); !Why.empty()) return Why;
  for (int i = 0; i < D.WaterList.Count(); ++i)
    if (std::string Why = DamagedDay(*D.WaterList.Objects(i), "water-limited"); !Why.empty()) return Why;
  return {};
}
}  // namespace

void TDetailedOutput::ReadChosenOutputFile(const std::string& aFileName) {
  const auto Refuse = [&](const std::string& Why) {
    throw EKvError(aFileName + " cannot be shown: " + Why +
                   ". It is not a complete output file of the model");
  };
  if (const std::string Why = TextProblem(aFileName); !Why.empty()) Refuse(Why);
  ReadOutputFile(aFileName);
  const TRunOutput& D = Data;
  if (D.PotentialList.Count() == 0 && D.WaterList.Count() == 0) Refuse("it holds no season of a run");
  if (const std::string Why = DamagedDay(D); !Why.empty()) Refuse(Why);
}
