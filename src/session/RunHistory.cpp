#include "session/RunHistory.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "foundations/DxTxtWrt.h"
#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "session/Kvfm.h"

namespace fs = std::filesystem;

namespace {
// The value of "KEY=value" in a record's run.txt.
std::string ValueOf(const std::string& Text, const std::string& Key) {
  const std::string K = Key + "=";
  size_t At = Text.rfind("\n" + K);
  At = At == std::string::npos ? (Text.compare(0, K.size(), K) == 0 ? 0 : std::string::npos) : At + 1;
  if (At == std::string::npos) return {};
  const size_t End = Text.find('\n', At);
  std::string V =
      Text.substr(At + K.size(), End == std::string::npos ? std::string::npos : End - At - K.size());
  if (!V.empty() && V.back() == '\r') V.pop_back();
  return V;
}

std::string ReadAll(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}
}  // namespace

TRunHistory::TRunHistory(const TKvFileManager& Fm)
    : FFm(Fm),
      FDir((fs::path(MapFileName(Fm.ExecPath() + Fm.OutPath())) / "runs" / "").lexically_normal().string()) {}

TRunRecord TRunHistory::Keep() {
  TRunRecord R;
  try {
    std::error_code Ec;
    fs::create_directories(FDir, Ec);
    if (Ec) return R;
    const std::vector<TRunRecord> Old = Runs();
    R.Number = Old.empty() ? 1 : Old.back().Number + 1;
    char Name[16];
    std::snprintf(Name, sizeof Name, "%06d", R.Number);
    R.Folder = FDir + Name + "/";
    fs::create_directory(R.Folder, Ec);
    if (Ec) return TRunRecord();
    R.Time = CurrentDateTimeText();
    R.Session = FFm.KRLName();
    // Each file as the run left it; one that is not there is not kept.
    const std::string Files[] = {FFm.RunFullName(),    FFm.TimerFullName(),    FFm.SiteFullName(),
                                 FFm.ReRunFullName(),  FFm.LogFullName(),      FFm.OutFullName(),
                                 FFm.OutPotFullName(), FFm.OutWaterFullName(), FFm.OutSumFullName()};
    for (const std::string& F : Files) {
      if (!FileExists(F)) continue;
      const std::string Real = MapFileName(F);
      // A copy, not a link: the log is rewritten in place by the next run.
      fs::copy_file(Real, fs::path(R.Folder) / fs::path(Real).filename(),
                    fs::copy_options::overwrite_existing, Ec);
    }
    TDxTextWriter W(R.Folder + "run.txt");
    W.WriteLn("TIME=" + R.Time);
    W.WriteLn("SESSION=" + R.Session);
    W.WriteLn("OUTCOME=unjudged");
    W.Close();
  } catch (const std::exception&) {
    // Keeping a run is a service beside the run: a full disk or an
    // unwritable output directory must not turn a run into a failure.
    return TRunRecord();
  }
  return R;
}

void TRunHistory::SetOutcome(const TRunRecord& Run, const std::string& Outcome) {
  if (Run.Folder.empty()) return;
  try {
    TDxTextWriter W(Run.Folder + "run.txt");
    W.WriteLn("TIME=" + Run.Time);
    W.WriteLn("SESSION=" + Run.Session);
    W.WriteLn("OUTCOME=" + Outcome);
    W.Close();
  } catch (const std::exception&) {
    // The run's files are kept; only its outcome is not written down.
  }
}

std::vector<TRunRecord> TRunHistory::Runs() const {
  std::vector<TRunRecord> List;
  std::error_code Ec;
  for (fs::directory_iterator It(FDir, Ec), End; !Ec && It != End; It.increment(Ec)) {
    const std::string Name = It->path().filename().string();
    if (!It->is_directory() || Name.size() != 6 || !std::all_of(Name.begin(), Name.end(), ::isdigit))
      continue;
    TRunRecord R;
    R.Folder = It->path().string() + "/";
    R.Number = std::stoi(Name);
    const std::string Text = ReadAll(It->path() / "run.txt");
    R.Time = ValueOf(Text, "TIME");
    R.Session = ValueOf(Text, "SESSION");
    R.Outcome = ValueOf(Text, "OUTCOME");
    for (fs::directory_iterator F(It->path(), Ec), E; !Ec && F != E; F.increment(Ec))
      if (F->is_regular_file()) R.Bytes += F->file_size();
    List.push_back(R);
  }
  std::sort(List.begin(), List.end(),
            [](const TRunRecord& A, const TRunRecord& B) { return A.Number < B.Number; });
  return List;
}

void TRunHistory::Prune(std::uintmax_t Limit) {
  std::vector<TRunRecord> List = Runs();
  std::uintmax_t Total = 0;
  for (const TRunRecord& R : List) Total += R.Bytes;
  int LatestGood = -1;
  for (const TRunRecord& R : List)
    if (R.Outcome == "successful") LatestGood = R.Number;
  for (const TRunRecord& R : List) {
    if (Total <= Limit) break;
    if (R.Number == LatestGood) continue;
    std::error_code Ec;
    fs::remove_all(R.Folder, Ec);
    if (!Ec) Total -= R.Bytes;
  }
  InvalidateDirCache();
}

void TRunHistory::Delete(const TRunRecord& Run) {
  if (Run.Folder.empty()) return;
  std::error_code Ec;
  fs::remove_all(Run.Folder, Ec);
  InvalidateDirCache();
  if (Ec) throw EKvError("The run's folder " + Run.Folder + " could not be removed: " + Ec.message());
}

void TRunHistory::Restore(const TRunRecord& Run) {
  // The four input files of the session, as the working session names them.
  const std::string Targets[] = {FFm.RunFullName(), FFm.TimerFullName(), FFm.SiteFullName(),
                                 FFm.ReRunFullName()};
  TFileReplacement Set;
  for (const std::string& Target : Targets) {
    const std::string Kept = Run.Folder + ExtractFileName(Target);
    if (!FileExists(Kept))
      throw EKvError("The run's input file " + ExtractFileName(Target) +
                     " was not kept; the session was not restored");
    Set.Copy(Kept, Target);
  }
  Set.Commit();
  InvalidateDirCache();
}
