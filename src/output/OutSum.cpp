#include "output/OutSum.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <set>

#include "foundations/DxLine.h"
#include "foundations/DxTxtFle.h"
#include "foundations/Errors.h"
#include "foundations/Kvutil.h"
#include "output/OutDet.h"
#include "platform/FileSys.h"

namespace {
const std::vector<std::string> KeyOutput = {"OUTPUT"};
const std::vector<std::string> KeyWeather = {"WEATHER->"};
const std::vector<std::string> KeyCrop = {"CROP"};
const std::vector<std::string> KeySoil = {"SOIL"};
const std::vector<std::string> KeyMeans = {"**", "MEANS"};
const std::vector<std::string> KeyTable = {"**PS"};

// Opens a summary file for reading. Only a regular file is read: a named
// pipe would stop the program at the opening, and a device can give text
// without end. Such a file fails as one that cannot be opened (EInOutError);
// a missing one with EDxError.
std::unique_ptr<TDxTextFile> OpenSummaryFile(const std::string& FileName) {
  struct stat St;
  if (FileExists(FileName) && (stat(MapFileName(FileName).c_str(), &St) != 0 || !S_ISREG(St.st_mode)))
    throw EInOutError(EINVAL, FileName);
  return std::unique_ptr<TDxTextFile>(new TDxTextFile(FileName));
}

// Reads every run of one summary file into List. The header stands before
// the first run only. Any error empties the list and is not reported.
template <class TRun>
void ReadRuns(const std::string& FileName, TObjList<TRun>& List) {
  List.Clear();
  try {
    const std::unique_ptr<TDxTextFile> Opened = OpenSummaryFile(FileName);
    TDxTextFile& File = *Opened;
    if (!File.SkipUntil(KeyOutput)) return;
    std::unique_ptr<TRun> First(new TRun);
    First->ReadData(File);
    const std::string Name = First->RunName;
    List.Add(Name, std::move(First));
    while (!File.Eof()) {
      std::unique_ptr<TRun> Run(new TRun);
      Run->ReadYears(File);
      if (Run->Years.Empty()) break;  // no further year row in the file
      Run->ReadSummary(File);
      const std::string RunName = Run->RunName;
      List.Add(RunName, std::move(Run));
    }
  } catch (const std::exception&) {
    // A summary file that is missing or breaks off gives no runs; the window
    // tells the user when neither summary file holds any.
    List.Clear();
  }
}
}  // namespace

std::string SummaryFileName(const std::string& OutputFile, const std::string& Ext) {
  return OutputFile.substr(0, OutputFile.size() >= 3 ? OutputFile.size() - 3 : 0) + Ext;
}

// ---------------------------------------------------------------- TPotentialOutputSum

void TPotentialOutputSum::Clear() {
  for (std::string* S : {&RunName, &WeatherName, &WeatherFile, &RainName, &RainFile, &CropName, &CropFile,
                         &SoilName, &SoilFile, &Groundwater})
    S->clear();
  Years.Clear();
  FNrOfYears = 0;
  for (TOutputLine& Line : Summary) Line.Clear();
}

void TPotentialOutputSum::ReadData(TDxTextFile& OutFile) {
  ReadHeader(OutFile);
  ReadYears(OutFile);
  ReadSummary(OutFile);
}

void TPotentialOutputSum::ReadHeader(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  OutFile.SkipUntil(KeyWeather);
  WeatherName = L.GetWordsFrom(3);
  OutFile.NextLine();
  int Stop;
  WeatherFile = WeatherFileOfLine(L, Stop);
  OutFile.NextLine();  // the rain line
  if (L.GetWord(3) == "name:") {
    RainName = L.GetWordsFrom(4);
    OutFile.NextLine();
    RainFile = L.GetWordsFrom(2);
    OutFile.NextLine();
    RainName += ", " + L.GetWordsFrom(2);
  } else {
    RainName = L.GetWordsFrom(3);
    RainFile.clear();
  }
  OutFile.SkipUntil(KeyCrop);
  CropName = L.GetWordsFrom(4);
  OutFile.NextLine();
  CropFile = L.GetWordsFrom(2);
  OutFile.SkipUntil(KeySoil);
  SoilName = L.GetWordsFrom(4);
  OutFile.NextLine();
  SoilFile = L.GetWordsFrom(2);
  OutFile.NextLine();
  Groundwater = L.GetWordsFrom(1);
}

void TPotentialOutputSum::ReadYears(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  RunName.clear();
  FNrOfYears = 0;
  if (!OutFile.SkipUntilInt()) return;
  RunName = L.GetWord(2);
  std::set<std::string> Distinct;
  // The first row is stored whatever its number of words; the table ends at
  // the next line with at most one word, which stays current.
  for (;;) {
    std::unique_ptr<TOutputLine> Row(new TOutputLine);
    Row->Assign(L, 1, true);
    const std::string Year = L.GetWord(1);
    Years.Add(Year, std::move(Row));
    Distinct.insert(Year);
    if (OutFile.Eof()) break;
    OutFile.NextLine();
    if (L.NoOfWords() <= 1) break;
  }
  FNrOfYears = static_cast<int>(Distinct.size());
}

void TPotentialOutputSum::ReadSummary(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  if (L.GetWord(1) != "**") return;
  if (!OutFile.SkipUntil(KeyMeans)) return;
  // The statistics rows start with label words that are not kept.
  Summary[0].Assign(L, 7, true);
  OutFile.NextLine();
  Summary[1].Assign(L, 5, true);
  OutFile.NextLine();
  Summary[2].Assign(L, 5, true);
}

// ---------------------------------------------------------------- TWaterLimitedOutputSum

void TWaterLimitedOutputSum::ReadData(TDxTextFile& OutFile) {
  ReadHeader(OutFile);
  ReadYears(OutFile);
  TWaterLimitedOutputSum::ReadSummary(OutFile);
}

void TWaterLimitedOutputSum::ReadSummary(TDxTextFile& OutFile) {
  const TDxLine& L = OutFile.Line();
  for (;;) {
    if (OutFile.Eof()) return;
    OutFile.NextLine();
    const std::string First = L.GetWord(1);
    // The next run begins: this run has no statistics. The line stays
    // current for the next run's search.
    if (First == "**KORVAL") return;
    if (First == "MEANS") {
      if (OutFile.Eof()) return;
      Summary[0].Assign(L, 6, true);
      OutFile.NextLine();
      Summary[1].Assign(L, 4, true);
      OutFile.NextLine();
      Summary[2].Assign(L, 4, true);
      return;
    }
  }
}

// ---------------------------------------------------------------- TOutputSum

void TOutputSum::ReadRunsYears(const std::string& OutFileName) {
  Years.Clear();
  std::unique_ptr<TDxTextFile> File;
  try {
    File = OpenSummaryFile(SummaryFileName(OutFileName, "sum"));
  } catch (const Exception&) {
    // Without a .sum file the table of years stays empty, as after a run
    // that wrote none.
    return;
  }
  const TDxLine& L = File->Line();
  if (!File->SkipUntil(KeyTable)) return;
  while (File->NextLine() && L.NoOfWords() > 0) {
    std::unique_ptr<TOutputLine> Row(new TOutputLine);
    Row->Assign(L, 1, true);
    Years.Add(L.GetWord(1), std::move(Row));
  }
}

// ---------------------------------------------------------------- TSummaryOutput

void TSummaryOutput::ReadOutputFiles(const std::string& OutputFile) {
  TBusyCursor Busy;
  ReadRunsPotential(OutputFile);
  ReadRunsWater(OutputFile);
  Summary.ReadRunsYears(OutputFile);
}

void TSummaryOutput::ReadRunsPotential(const std::string& OutputFile) {
  ReadRuns(SummaryFileName(OutputFile, "pps"), PotentialOutputList);
}

void TSummaryOutput::ReadRunsWater(const std::string& OutputFile) {
  ReadRuns(SummaryFileName(OutputFile, "wps"), WaterLimitedOutputList);
}
