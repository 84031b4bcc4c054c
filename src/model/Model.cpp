
#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>

#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "foundations/Numbers.h"
#include "foundations/TextCase.h"
#include "model/ModelInput.h"
#include "model/Output.h"
#include "model/Season.h"
#include "platform/FileSys.h"
#include "model/Model.h"

namespace {

// A file named in an input file: relative to the given directory unless it
// carries a directory of its own.
std::string InDir(const std::string& Dir, const std::string& Name) {
  if (Name.find('\\') != std::string::npos || Name.find('/') != std::string::npos) return Name;
  return Dir + Name;
}

int RunOption(const TValueSet& Opt, const std::string& Key, int Min, int Max) {
  auto It = Opt.Values.find(Key);
  if (It == Opt.Values.end())
    throw EModelError(Opt.FileName, Key, {"ERROR in file " + Opt.FileName + ", key " + Key + ": key not found"});
  int V = 0;
  if (!TryStrToInt(It->second, V) || V < Min || V > Max)
    throw EModelError(Opt.FileName, Key,
                      {"ERROR in file " + Opt.FileName + ", key " + Key + ": value '" + It->second + "' not allowed",
                       Format("  Allowed: a whole number from %d to %d.", Min, Max)});
  return V;
}

std::string RunText(const TValueSet& Opt, const std::string& Key) {
  auto It = Opt.Values.find(Key);
  if (It == Opt.Values.end() || It->second.empty())
    throw EModelError(Opt.FileName, Key, {"ERROR in file " + Opt.FileName + ", key " + Key + ": key not found or empty"});
  return It->second;
}

const char* StartText(int IstCho) {
  switch (IstCho) {
    case 0: return "fixed emergence date";
    case 1: return "fixed sowing date";
    default: return "variable sowing date";
  }
}

const char* EndText(int IenCho) {
  switch (IenCho) {
    case 1: return "fixed end date";
    case 2: return "maturity within the maximum duration";
    default: return "the earlier of the fixed end date and maturity";
  }
}

class TModel {
public:
  explicit TModel(std::ostream& Log) : FLog(Log) {}
  void Run(std::vector<TRunResult>* Results);
  // The detailed output written before an error stopped the model, or empty.
  const std::string& PartialOutput() const { return FPartialOutput; }

private:
  TRunResult Simulate(const TRerun* Rerun, int Set, const std::string& RerunFile);
  const TValueSet& DataFile(const std::string& Name, const std::string& NamedBy) {
    auto It = FData.find(Name);
    if (It != FData.end()) return It->second;
    return FData.emplace(Name, ReadDataFile(Name, NamedBy)).first->second;
  }

  std::ostream& FLog;
  TDirectories FDirs;
  TValueSet FOpt, FTimer, FSite;
  int FIprodl = 2, FIoxwl = 0;
  std::map<std::string, TValueSet> FData;
  TWeatherStore FWeather;
  std::string FPartialOutput;
  bool FSimulating = false;
};

void CheckRerun(const TRerun& R, const std::string& File) {
  if (R.Name.empty() || R.Name.size() > 6 || R.Name.find_first_of(" \t") != std::string::npos)
    throw EModelError(File, "RUNNAM",
                      {"ERROR in file " + File + ", key RUNNAM: run name '" + R.Name + "' not allowed",
                       "  A run name is one word of 1 to 6 characters."});
  for (const auto& V : R.Values) {
    const std::string& Name = V.first;
    if (Name == "RUNNAM" || Name == "CRPNAM" || Name == "SOLNAM" || Name == "CLMNAM" || Name == "RAINAM") continue;
    const TParDef* D = FindParDef(Name);
    if (!D)
      throw EModelError(File, Name, {"ERROR in file " + File + ", key " + Name + ": rerun " + R.Name +
                                         " changes a variable the model does not know"});
    if (!D->Rerunnable)
      throw EModelError(File, Name, {"ERROR in file " + File + ", key " + Name + ": rerun " + R.Name + " changes " + Name,
                                     "  This variable is the same for the whole session and cannot be changed in a rerun."});
  }
}

TRunResult TModel::Simulate(const TRerun* Rerun, int Set, const std::string& RerunFile) {
  const TParams Tim(FTimer, Rerun, RerunFile), Sit(FSite, Rerun, RerunFile);
  TRunResult R;
  R.Name = Rerun ? Rerun->Name : Tim.Text("RUNNAM");
  R.Set = Set;
  if (R.Name.empty() || R.Name.size() > 6 || R.Name.find(' ') != std::string::npos)
    throw EModelError(Tim.Source("RUNNAM"), "RUNNAM", {"ERROR in file " + Tim.Source("RUNNAM") + ", key RUNNAM: run name '" +
                                                           R.Name + "' must be one word of 1 to 6 characters"});
  const int Iweath = Tim.Int("IWEATH");
  if (Iweath != 2)
    throw EModelError(Tim.Source("IWEATH"), "IWEATH",
                      {"ERROR in file " + Tim.Source("IWEATH") + Format(", key IWEATH: weather format %d cannot be handled", Iweath),
                       "  This model reads yearly files of daily weather (format 2) only."});
  const int Irndat = Tim.Int("IRNDAT");
  if (Irndat == 0 || Irndat == 1)
    throw EModelError(Tim.Source("IRNDAT"), "IRNDAT",
                      {"ERROR in file " + Tim.Source("IRNDAT") + Format(", key IRNDAT: rainfall option %d cannot be handled", Irndat),
                       "  Options 0 and 1 need monthly weather data, which this model does not read.",
                       "  Use option 2 (a rainfall file) or 3 (rain of the weather files)."});
  const std::string Station = Tim.Text("CLFILE");
  const int Isyr = Tim.Int("ISYR"), Inyear = Tim.Int("INYEAR");
  int Isyrr = 0, Inyrg = 1;
  const TRainFile* Rain = nullptr;
  if (Irndat == 2) {
    Isyrr = Tim.Int("ISYRR");
    Inyrg = Tim.Int("INYRG");
    const std::string RainName = InDir(FDirs.Climate, Tim.Text("RAFILE"));
    const int Fmt = ReadWeatherFormat(RainName);
    if (FileExists(RainName) && Fmt != 99)
      throw EModelError(RainName, "RAFILE", {"ERROR in file " + RainName + Format(", key RAFILE: format %d is not a rainfall file", Fmt),
                                             "  A rainfall file carries the line ** KRLFORMAT=99."});
    Rain = &FWeather.Rain(RainName);
    for (int k = 0; k < Inyrg; ++k)
      if (!Rain->Years.count(Isyrr + k))
        throw EModelError(RainName, "ISYRR", {"ERROR in file " + RainName + Format(", key ISYRR: rain year %d is not in the file", Isyrr + k)});
  }
  TSeasonInput In;
  In.ISTCHO = Tim.Int("ISTCHO");
  In.IDEM = Tim.Int("IDEM");
  In.IDSOW = Tim.Int("IDSOW");
  In.IDESOW = Tim.Int("IDESOW");
  In.IDLSOW = Tim.Int("IDLSOW");
  In.IENCHO = Tim.Int("IENCHO");
  In.IDAYEN = Tim.Int("IDAYEN");
  In.IDURMX = Tim.Int("IDURMX");
  In.ISDAY = Tim.Int("ISDAY");
  In.PRDEL = static_cast<int>(std::lround(Tim.Real("PRDEL")));
  In.IOXWL = FIoxwl;
  if (In.ISTCHO == 2 && In.IDLSOW < In.IDESOW)
    throw EModelError(Tim.Source("IDLSOW"), "IDLSOW", {"ERROR in file " + Tim.Source("IDLSOW") + ", key IDLSOW: the ultimate sowing day lies before the earliest"});
  const std::string CropName = InDir(FDirs.Crop, Tim.Text("CRFILE"));
  const std::string SoilName = InDir(FDirs.Soil, Sit.Text("SOFILE"));
  const TParams CropP(DataFile(CropName, "CRFILE"), Rerun, RerunFile);
  const TParams SoilP(DataFile(SoilName, "SOFILE"), Rerun, RerunFile);
  const TCropParams Crop = LoadCropParams(CropP);
  const TSoilParams Soil = LoadSoilParams(SoilP);
  R.Site = LoadSiteParams(Sit);
  R.Nutrients = {Crop.NCSO, Crop.NCST, Crop.PCSO, Crop.PCST, Crop.KCSO, Crop.KCST};
  In.Crop = &Crop;
  In.Soil = &Soil;
  In.Site = &R.Site;

  const int Years = std::max(Inyear, Irndat == 2 ? Inyrg : 1);
  // From here on an error is one of the weather data running out while the
  // run is simulated, not one of the inputs.
  FSimulating = true;
  for (int k = 0; k < Years; ++k) {
    TYearResult Y;
    Y.Year = Isyr + k % Inyear;
    Y.RainYear = Irndat == 2 ? Isyrr + k % Inyrg : Y.Year;
    const TWeatherYear& First = FWeather.Year(FDirs.Weather, Station, Y.Year);
    In.Year = Y.Year;
    In.Lat = First.Lat;
    const int RainShift = Y.RainYear - Y.Year;
    const std::string WDir = FDirs.Weather;
    In.Weather = [this, &WDir, &Station, Rain, RainShift](int Year, int Doy) {
      TDayWeather D = FWeather.Year(WDir, Station, Year).Days[static_cast<size_t>(Doy - 1)];
      if (Rain) {
        auto It = Rain->Years.find(Year + RainShift);
        if (It == Rain->Years.end())
          throw EModelError(Rain->FileName, "INYRG", {"ERROR in file " + Rain->FileName +
                                                          Format(", key INYRG: rain year %d is needed and not in the file", Year + RainShift)});
        D.Rain = It->second[std::min(static_cast<size_t>(Doy - 1), It->second.size() - 1)];
      }
      return D;
    };
    THeaderInfo& H = Y.Header;
    // A name from the data file, else from the timer file, else a stand-in;
    // a blank name counts as none.
    auto Name = [&Tim](const std::string& FromFile, const char* Key, const std::string& Otherwise) {
      if (!IsBlank(FromFile)) return TrimBlanks(FromFile);
      if (Tim.Has(Key) && !IsBlank(Tim.Text(Key))) return TrimBlanks(Tim.Text(Key));
      return Otherwise;
    };
    H.WeatherName = Name(First.Description, "CLMNAM", Station);
    H.WeatherFile = FDirs.Weather + Station;
    H.RainFromFile = Irndat == 2;
    if (Rain) {
      H.RainName = Name(Rain->Description, "RAINAM", Tim.Text("RAFILE"));
      H.RainFile = Rain->FileName;
    }
    H.CropName = Name(Crop.Name, "CRPNAM", "crop");
    H.CropFile = CropName;
    H.SoilName = Name(Soil.Name, "SOLNAM", "soil");
    H.SoilFile = SoilName;
    H.StartText = std::string(StartText(In.ISTCHO)) + ", end: " + EndText(In.IENCHO);

    const TCalendar Cal = PlanSeason(In);
    Y.Pot = SimulateSeason(In, Cal, false);
    if (FIprodl >= 2) {
      Y.HasWater = true;
      Y.Wat = SimulateSeason(In, Cal, true);
    }
    if (!Cal.Emerged)
      FLog << "Warning: run " << R.Name << ", season " << Y.Year << ": the crop did not emerge; its tables hold day "
           << Y.Pot.EmDoy << " only\n";
    FLog << Format("Run %-6s season %d: emergence day %3d, end day %3d, potential yield %6.0f kg/ha", R.Name.c_str(),
                   Y.Year, Y.Pot.EmDoy, Y.Pot.HarvDoy, Y.Pot.TWSO);
    if (Y.HasWater) FLog << Format(", water-limited %6.0f kg/ha", Y.Wat.TWSO);
    FLog << "\n";
    R.Years.push_back(std::move(Y));
  }
  FSimulating = false;
  return R;
}

void WriteFile(const std::string& Name, const std::string& Text) {
  TDxTextWriter W(Name);
  W.Write(Text);
  W.Close();
}

void TModel::Run(std::vector<TRunResult>* Results) {
  FLog << "KORVAL simplified crop model: a small model for trying and testing the control centre\n";
  FDirs = ReadDirectories();
  FOpt = ReadKeyFile(FDirs.Runio + "runopt.dat", true, "RUNDIR");
  const int Iopt2 = RunOption(FOpt, "IOPT2", 0, 9);
  FIprodl = RunOption(FOpt, "IPRODL", 1, 3);
  FIoxwl = RunOption(FOpt, "IOXWL", 0, 1);
  const int Rquird = RunOption(FOpt, "RQUIRD", 0, 1);
  const std::string TimerName = InDir(FDirs.Runio, RunText(FOpt, "TIMFIL"));
  const std::string SiteName = InDir(FDirs.Runio, RunText(FOpt, "SITFIL"));
  const std::string RerunName = InDir(FDirs.Runio, RunText(FOpt, "KORRER"));
  const std::string OutName = InDir(FDirs.Out, RunText(FOpt, "KOROUT"));
  const std::string FixName = InDir(FDirs.Out, RunText(FOpt, "FIXNAM"));
  FTimer = ReadKeyFile(TimerName, false, "TIMFIL");
  FSite = ReadKeyFile(SiteName, false, "SITFIL");
  const TParams Tim(FTimer, nullptr, ""), Sit(FSite, nullptr, "");
  TOutputOptions O;
  O.IPRODL = FIprodl;
  O.IBAL = Tim.Int("IBAL");
  O.IZT = Sit.Int("IZT");
  std::vector<TRerun> Reruns;
  if (Iopt2 == 4) {
    Reruns = ReadRerunFile(RerunName, "KORRER");
    for (const TRerun& R : Reruns) CheckRerun(R, RerunName);
  }
  O.Reruns = !Reruns.empty();
  FLog << "Run options " << FOpt.FileName << ": production level " << FIprodl << (O.Reruns ? ", with reruns" : "")
       << "\n";

  std::vector<TRunResult> Runs;
  try {
    if (Reruns.empty())
      Runs.push_back(Simulate(nullptr, 1, RerunName));
    else
      for (size_t i = 0; i < Reruns.size(); ++i)
        Runs.push_back(Simulate(&Reruns[i], static_cast<int>(i) + 1, RerunName));
  } catch (const EModelError&) {
    // A rerun whose weather data run out while it is simulated stops the
    // model there; the runs finished before it stay in the detailed output,
    // as a model that writes while it runs would leave them. The summaries
    // are not written. Errors in the inputs leave no output at all.
    if (FSimulating && !Runs.empty()) {
      ForceDirectories(ExtractFilePath(MapFileName(OutName)));
      WriteFile(OutName, DetailedOutputText(Runs, O));
      FPartialOutput = OutName;
    }
    throw;
  }

  // Every input was good: now the output files.
  ForceDirectories(ExtractFilePath(MapFileName(OutName)));
  const std::string Detailed = DetailedOutputText(Runs, O);
  WriteFile(FixName + ".pps", PotentialSummaryText(Runs, O));
  if (FIprodl >= 2) WriteFile(FixName + ".wps", WaterSummaryText(Runs, O));
  if (Rquird == 1) WriteFile(FixName + ".sum", LongTermSummaryText(Runs, O));
  WriteFile(OutName, Detailed);
  FLog << "Output written: " << OutName << " (" << Detailed.size() << " bytes), " << FixName << ".pps"
       << (FIprodl >= 2 ? ", .wps" : "") << (Rquird == 1 ? ", .sum" : "") << "\n";
  FLog << "Simulation finished.\n";
  if (Results) *Results = std::move(Runs);
}

void ReportError(std::ostream& Log, const std::vector<std::string>& Lines, const std::string& PartialOutput) {
  for (const std::string& L : Lines) Log << L << "\n";
  if (PartialOutput.empty())
    Log << "  The simulation has stopped; no output has been written.\n";
  else
    Log << "  The simulation has stopped; " << PartialOutput << " holds only the runs finished before.\n";
  Log << "Press any key to continue\n";
}

}  // namespace

int RunModel(std::ostream& Log, std::vector<TRunResult>* Results) {
  TModel Model(Log);
  try {
    Model.Run(Results);
    Log.flush();
    return 0;
  } catch (const EModelError& E) {
    ReportError(Log, E.Lines(), Model.PartialOutput());
  } catch (const std::exception& E) {
    ReportError(Log, {std::string("ERROR while running the model: ") + E.what()}, Model.PartialOutput());
  }
  Log.flush();
  return 1;
}
