#include "platform/FileSys.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <map>
#include <mutex>

#include "foundations/Errors.h"
#include "foundations/TextCase.h"

bool IsPathDelimiter(char C) { return C == '\\' || C == '/'; }

namespace {
size_t LastDelimiter(const std::string& Name) {
  for (size_t i = Name.size(); i > 0; --i)
    if (IsPathDelimiter(Name[i - 1])) return i - 1;
  return std::string::npos;
}
}  // namespace

std::string ExtractFileName(const std::string& Name) {
  const size_t P = LastDelimiter(Name);
  return P == std::string::npos ? Name : Name.substr(P + 1);
}

std::string ExtractFilePath(const std::string& Name) {
  const size_t P = LastDelimiter(Name);
  return P == std::string::npos ? std::string() : Name.substr(0, P + 1);
}

std::string ExtractFileDir(const std::string& Name) {
  const size_t P = LastDelimiter(Name);
  return P == std::string::npos ? std::string() : Name.substr(0, P);
}

std::string ExtractFileExt(const std::string& Name) {
  const std::string File = ExtractFileName(Name);
  const size_t P = File.rfind('.');
  return P == std::string::npos ? std::string() : File.substr(P);
}

std::string ChangeFileExt(const std::string& Name, const std::string& Ext) {
  const size_t Base = Name.size() - ExtractFileName(Name).size();
  const size_t P = Name.rfind('.');
  if (P == std::string::npos || P < Base) return Name + Ext;
  return Name.substr(0, P) + Ext;
}

std::string ExtractFileBase(const std::string& Name) {
  const std::string File = ExtractFileName(Name);
  const size_t P = File.rfind('.');
  return P == std::string::npos ? File : File.substr(0, P);
}

// ---------------------------------------------------------------- mapping

namespace {
struct TCachedDir {
  struct timespec MTime {};
  std::vector<std::string> Names;  // sorted without regard to case
};

std::mutex CacheMutex;
std::map<std::string, TCachedDir> DirCache;

bool SameTime(const struct timespec& A, const struct timespec& B) {
  return A.tv_sec == B.tv_sec && A.tv_nsec == B.tv_nsec;
}

bool ReadDirNames(const std::string& Dir, std::vector<std::string>& Names) {
  DIR* D = opendir(Dir.empty() ? "." : Dir.c_str());
  if (!D) return false;
  while (struct dirent* E = readdir(D)) {
    const std::string N = E->d_name;
    if (N == "." || N == "..") continue;
    Names.push_back(N);
  }
  closedir(D);
  std::sort(Names.begin(), Names.end(), [](const std::string& A, const std::string& B) {
    const int C = CompareText(A, B);
    return C != 0 ? C < 0 : A < B;
  });
  return true;
}

// The entry of Dir whose name equals Name without regard to case, or empty.
std::string FindNoCase(const std::string& Dir, const std::string& Name) {
  struct stat St;
  if (stat(Dir.empty() ? "." : Dir.c_str(), &St) != 0 || !S_ISDIR(St.st_mode)) return {};
  std::string Key = Dir;
  if (Key.empty() || Key[0] != '/') {
    char Buf[PATH_MAX];
    if (getcwd(Buf, sizeof Buf)) Key = std::string(Buf) + "/" + Key;
  }
  std::lock_guard<std::mutex> Lock(CacheMutex);
  TCachedDir& C = DirCache[Key];
  bool Fresh = false;
  if (!SameTime(C.MTime, St.st_mtim) || C.Names.empty()) {
    C.Names.clear();
    C.MTime = St.st_mtim;
    ReadDirNames(Dir, C.Names);
    Fresh = true;
  }
  for (int Pass = 0; Pass < 2; ++Pass) {
    for (const std::string& N : C.Names)
      if (SameText(N, Name)) return N;
    // Directory times may be coarser than the changes made within them: a
    // miss in a listing that was not read just now reads it once more.
    if (Fresh) break;
    C.Names.clear();
    ReadDirNames(Dir, C.Names);
    Fresh = true;
  }
  return {};
}
}  // namespace

void InvalidateDirCache() {
  std::lock_guard<std::mutex> Lock(CacheMutex);
  DirCache.clear();
}

std::string MapFileName(const std::string& Name) {
  if (Name.empty()) return Name;
  // A name that is there as written, in the form the walk below would give
  // it, maps onto itself: one look instead of one for each part.
  struct stat Exact;
  if (Name.find('\\') == std::string::npos && Name.find("//") == std::string::npos &&
      lstat(Name.c_str(), &Exact) == 0)
    return Name;
  std::string Result;
  size_t i = 0;
  if (IsPathDelimiter(Name[0])) {
    Result = "/";
    while (i < Name.size() && IsPathDelimiter(Name[i])) ++i;
  }
  bool ParentExists = true;
  while (i < Name.size()) {
    size_t j = i;
    while (j < Name.size() && !IsPathDelimiter(Name[j])) ++j;
    const std::string Comp = Name.substr(i, j - i);
    const bool Trailing = j < Name.size();
    while (j < Name.size() && IsPathDelimiter(Name[j])) ++j;
    i = j;

    std::string Next = Result + Comp;
    if (ParentExists && Comp != "." && Comp != "..") {
      struct stat St;
      if (lstat(Next.c_str(), &St) != 0) {
        const std::string Found = FindNoCase(Result.empty() ? std::string() : Result, Comp);
        if (!Found.empty())
          Next = Result + Found;
        else
          ParentExists = false;
      }
    }
    Result = Next;
    if (Trailing) Result += '/';
  }
  return Result;
}

std::string ExpandFileName(const std::string& Name) {
  // Made absolute and "." and ".." folded as text first, as the name means
  // them (so that names below a missing directory expand too), then mapped.
  std::string Full = Name;
  if (Full.empty() || !IsPathDelimiter(Full[0])) Full = GetCurrentDir() + "/" + Full;
  std::vector<std::string> Parts;
  size_t i = 0;
  while (i <= Full.size()) {
    size_t j = i;
    while (j < Full.size() && !IsPathDelimiter(Full[j])) ++j;
    const std::string C = Full.substr(i, j - i);
    if (C == "..") {
      if (!Parts.empty()) Parts.pop_back();
    } else if (!C.empty() && C != ".") {
      Parts.push_back(C);
    }
    i = j + 1;
  }
  std::string Out;
  for (const std::string& P : Parts) Out += "/" + P;
  if (Out.empty()) Out = "/";
  if (IsPathDelimiter(Full.back()) && Out != "/") Out += '/';
  return MapFileName(Out);
}

// ---------------------------------------------------------------- queries

bool FileExists(const std::string& Name) {
  if (Name.empty()) return false;
  struct stat St;
  return stat(MapFileName(Name).c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
}

bool DirectoryExists(const std::string& Name) {
  if (Name.empty()) return false;
  struct stat St;
  return stat(MapFileName(Name).c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool FileIsReadOnly(const std::string& Name) {
  struct stat St;
  if (stat(MapFileName(Name).c_str(), &St) != 0) return false;
  return (St.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void SetFileReadOnly(const std::string& Name, bool ReadOnly) {
  const std::string Real = MapFileName(Name);
  struct stat St;
  if (stat(Real.c_str(), &St) != 0) return;
  mode_t M = St.st_mode & 07777;
  M = ReadOnly ? (M & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (M | S_IWUSR);
  if (chmod(Real.c_str(), M) != 0) throw EInOutError(errno, Name);
}

std::vector<TDirEntry> ListDirectory(const std::string& Dir) {
  const std::string Real = MapFileName(Dir);
  std::vector<std::string> Names;
  if (!ReadDirNames(Real, Names)) throw EInOutError(errno, Dir);
  std::vector<TDirEntry> List;
  List.reserve(Names.size());
  for (std::string& N : Names) {
    std::string Full = Real.empty() ? N : (IsPathDelimiter(Real.back()) ? Real + N : Real + "/" + N);
    struct stat St;
    const bool IsDir = stat(Full.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
    List.push_back({std::move(N), IsDir});
  }
  return List;
}

int OpenPlainFile(const std::string& Name, int Flags, unsigned Mode) {
  const int Fd = open(MapFileName(Name).c_str(), Flags | O_CLOEXEC | O_NONBLOCK, static_cast<mode_t>(Mode));
  if (Fd < 0) return -1;
  struct stat St {};
  if (fstat(Fd, &St) != 0 || !S_ISREG(St.st_mode)) {
    const int E = (St.st_mode & S_IFMT) == S_IFDIR ? EISDIR : EINVAL;
    close(Fd);
    errno = E;
    return -1;
  }
  fcntl(Fd, F_SETFL, fcntl(Fd, F_GETFL) & ~O_NONBLOCK);
  return Fd;
}

// ---------------------------------------------------------------- changes

bool DeleteFileName(const std::string& Name) {
  const std::string Real = MapFileName(Name);
  struct stat St;
  if (stat(Real.c_str(), &St) == 0 && S_ISDIR(St.st_mode)) {
    errno = EISDIR;
    return false;
  }
  return unlink(Real.c_str()) == 0;
}

bool ForceDirectories(const std::string& Name) {
  const std::string Real = MapFileName(Name);
  std::string Path;
  for (size_t i = 0; i <= Real.size(); ++i) {
    if (i == Real.size() || Real[i] == '/') {
      if (!Path.empty() && Path != "/") mkdir(Path.c_str(), 0777);
    }
    if (i < Real.size()) Path += Real[i];
  }
  struct stat St;
  return stat(Real.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

// ---------------------------------------------------------------- process

namespace {
std::string& ExecPathOverride() {
  static std::string P;
  return P;
}
}  // namespace

// Read once: every input file a study row writes names the program, and the
// link would also change its answer if the program's file were replaced
// while it runs.
std::string GetExecFileName() {
  static const std::string Name = [] {
    char Buf[PATH_MAX];
    const ssize_t N = readlink("/proc/self/exe", Buf, sizeof Buf - 1);
    return N <= 0 ? std::string() : std::string(Buf, static_cast<size_t>(N));
  }();
  return Name;
}

std::string GetExecPath() {
  if (!ExecPathOverride().empty()) return ExecPathOverride();
  return ExtractFilePath(GetExecFileName());
}

void SetExecPath(const std::string& Path) {
  std::string P = Path;
  if (!P.empty() && !IsPathDelimiter(P.back())) P += '/';
  ExecPathOverride() = P;
}

std::string GetCurrentDir() {
  char Buf[PATH_MAX];
  return getcwd(Buf, sizeof Buf) ? std::string(Buf) : std::string();
}

void SetCurrentDir(const std::string& Dir) {
  const std::string Real = MapFileName(Dir);
  if (chdir(Real.c_str()) != 0) throw EInOutError(errno, Dir);
}
