#pragma once
// Reader of the model's detailed output file (.out).
//
// For every run of a session the file holds a run header followed by either
// a potential-production section or a water-limited-production section, each
// a daily table and one summary row; water-limited sections may be followed by
// a whole-system and a root-zone water balance, and the file may hold nutrient
// summaries. TDetailedOutput reads such a file into memory: TRunOutput scans
// the file for the kinds of section it holds and keeps one list per kind,
// THeader reads one run header, TPotentialOutput and TWaterLimitedOutput read
// a section's table and summary row, TWaterBalance and TNutrients the water
// balances and nutrient summaries.
//
// Values stay the texts the model wrote, cut to 16 characters.
//
// The reading operations work on the one open reader, continue from the line
// their caller left current and leave the reader on the line where they
// stopped. ReadOutputFile opens the file with TDxTextFile's Whole reading:
// the file is walked several times and read from disk once.

#include <memory>
#include <string>

#include "foundations/StrList.h"
#include "output/OutLine.h"

class TDxLine;
class TDxTextFile;

// Whether a reading keeps the sections' daily tables, or passes over them
// for the headers, summary rows and balances alone (a study's season results).
enum class TDailyRows { Keep, Skip };

// The weather file named on the weather file line of a run header: word 2,
// then a blank and the next word for every further word up to (not
// including) the word "start". StopNo is the number of the word where this
// stopped: the "start" word, or one past the last word.
std::string WeatherFileOfLine(const TDxLine& Line, int& StopNo);

// ---------------------------------------------------------------- header

class THeader {
 public:
  THeader() { Reset(); }
  virtual ~THeader() = default;
  // Empties every field.
  virtual void Reset();

  // 0: no further run; 1: a potential section follows; 2: a water-limited
  // section follows. On return the reader stands on the section line.
  int ReadHeader(TDxTextFile& OutFile);

  Str16 RunName;
  Str16 RunYear;
  Str16 RainYear;
  std::string WeatherName;
  std::string WeatherFile;
  std::string RainName;
  std::string RainFile;
  std::string CropName;
  std::string CropFile;
  std::string SoilName;
  std::string SoilFile;
  std::string Start;
  std::string SowingDate;
  std::string EmergenceDate;
  std::string StartDay;
};

// ---------------------------------------------------------------- sections

class TPotentialOutput {
 public:
  TPotentialOutput() : Header(new THeader) {}
  virtual ~TPotentialOutput() = default;
  // Resets the header, empties Days and clears Summary.
  virtual void Clear();

  // Fills Days (padded values) and Summary (values as they stand); with
  // Skip, Days stays empty.
  void ReadDaysSummary(TDxTextFile& OutFile, TDailyRows Rows = TDailyRows::Keep);

  // The header of the run this section belongs to; owned.
  std::unique_ptr<THeader> Header;
  // The daily table in file order; an entry's text is its row's first word.
  TDailyTable Days;
  TOutputLine Summary;
};

class TWaterLimitedOutput : public TPotentialOutput {
 public:
  // Also empties the three Info lines.
  void Clear() override;

  // Info[0] the current (section) line, Info[1] the second and Info[2] the
  // third line below it, whole.
  void ReadInfo(TDxTextFile& OutFile);

  std::string Info[3];
};

// ---------------------------------------------------------------- water balance

class TWaterBalance {
 public:
  static constexpr size_t TitleLen = 80;

  virtual ~TWaterBalance() = default;

  // Clears the values, then reads the whole-system section when HasWb and the
  // root-zone section when HasRoot, from the current line on. hasGw: the
  // sections are those of a run with groundwater.
  void ReadBalance(TDxTextFile& OutFile, bool hasGw, bool HasWb, bool HasRoot);
  // Empties Title and every value; RunName, RunYear and RainYear stay.
  void Clear();
  // Empties the root-zone values and Checksum2.
  void ClearRoot();

  Str16 RunName;
  Str16 RunYear;
  Str16 RainYear;
  std::string Title;  // at most 80 characters
  Str16 Change1;
  Str16 Change2;
  Str16 ToAtmos;
  Str16 CheckSum1;
  Str16 Checksum2;
  Str16 InitMaxRootZone;
  Str16 InitSurfStorage;
  Str16 Irrigation;
  Str16 Rainfall;
  Str16 TotalInitIn;
  Str16 FinalMaxRootZone;
  Str16 FinalSurfStorage;
  Str16 EvapWaterSurface;
  Str16 EvapSoilSurface;
  Str16 Transpiration;
  Str16 SurfaceRunoff;
  Str16 LostToDeepSoil;
  Str16 TotalFinalOut;
  Str16 InitialWaterStock;
  Str16 Infiltration;
  Str16 AddedByRootGrowth;
  Str16 CapillaryRise;
  Str16 TotalInitInRoot;
  Str16 FinalWaterStock;
  Str16 EvapSoilSurfaceRoot;
  Str16 TranspirationRoot;
  Str16 Perculation;
  Str16 FinalOut;
};

// ---------------------------------------------------------------- nutrients

// One summary of crop production and nutrient requirements. Index 0, 1 and 2
// of the crop rows: potential, nutrient-limited and water-limited production.
class TNutrients {
 public:
  virtual ~TNutrients() = default;

  // Reads the next nutrient summary from the current line on.
  void ReadNutrientsData(TDxTextFile& OutFile);
  // Empties the thirty values; RunName stays.
  void Clear();

  Str16 RunName;
  Str16 bas[3];
  Str16 rec[3];
  Str16 Leaves[3];
  Str16 Stems[3];
  Str16 StorageOrgan[3];
  Str16 Ratio[3];
  Str16 HarvestIndex[3];
  Str16 FertilizerN[3];
  Str16 FertilizerP[3];
  Str16 FertilizerK[3];
};

// ---------------------------------------------------------------- one file

class TRunOutput {
 public:
  TRunOutput() = default;
  virtual ~TRunOutput() = default;
  TRunOutput(const TRunOutput&) = delete;
  TRunOutput& operator=(const TRunOutput&) = delete;

  // Empties the four lists and sets the five flags to false.
  void Reset();
  // Sets the five flags by three scans from the first line of the file.
  void GetPresentItems(TDxTextFile& OutFile);
  // Reads one section and appends it to its list under the header's run name;
  // the section takes the header. A water-limited section is followed by its
  // water balance when the file holds any.
  void ReadPotentialOutput(TDxTextFile& OutFile, std::unique_ptr<THeader> aHeader);
  void ReadWaterLimitedOutput(TDxTextFile& OutFile, std::unique_ptr<THeader> aHeader);
  void ReadBalance(TDxTextFile& OutFile, const THeader& aHeader);
  // One nutrient summary for every distinct run name of PotentialList, read
  // from the current line on.
  void ReadNutrients(TDxTextFile& OutFile);
  // The whole reading of an open file: Reset, the scans, the runs from the
  // first line, the nutrient summaries from the first line.
  void ReadAll(TDxTextFile& OutFile, TDailyRows Rows = TDailyRows::Keep);

  bool HasGroundwater = false;
  bool HasWaterLimited = false;
  bool HasWaterBalance = false;
  bool HasRootZone = false;
  bool HasNutrients = false;
  TObjList<TPotentialOutput> PotentialList;
  TObjList<TWaterLimitedOutput> WaterList;
  TObjList<TWaterBalance> BalanceList;
  TObjList<TNutrients> NutrientsList;

 private:
  TDailyRows FRows = TDailyRows::Keep;
};

class TDetailedOutput {
 public:
  // Stores the name; reads nothing.
  explicit TDetailedOutput(const std::string& OutputFile = std::string()) : FileName(OutputFile) {}
  TDetailedOutput(const TDetailedOutput&) = delete;
  TDetailedOutput& operator=(const TDetailedOutput&) = delete;

  // Replaces the content with that of the file; true after a complete read.
  // A file that cannot be opened fails with EKvError "Error reading
  // outputfile: <name>" and changes nothing. A row of more than 25 values
  // fails with ERangeError; the runs read before it stay. With Skip the
  // sections' daily tables are passed over and stay empty.
  bool ReadOutputFile(const std::string& aFileName, TDailyRows Rows = TDailyRows::Keep);
  // Reads a file the user chose: as ReadOutputFile, and a file that is not
  // the model's output (no text, no run in it) or that breaks off (cut in a
  // line, a season without its water-limited part) fails with EKvError
  // naming the file and what is wrong (read into a fresh object: what was
  // read before the refusal stays in it).
  void ReadChosenOutputFile(const std::string& aFileName);
  void Clear() { Data.Reset(); }

  std::string FileName;
  TRunOutput Data;
};
