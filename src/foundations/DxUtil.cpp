#include "foundations/DxUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <ctime>

#include "foundations/Numbers.h"
#include "platform/FileSys.h"

namespace {
bool IsBlankChar(char C) { return static_cast<unsigned char>(C) <= 32; }
}  // namespace

// ---------------------------------------------------------------- numbers

bool IsFloat(const std::string& S) {
  long double V;
  return TryStrToFloat(S, V);
}

long double FloatOrZero(const std::string& S) {
  long double V;
  return TryStrToFloat(S, V) ? V : 0.0L;
}

bool IsInteger(const std::string& S) {
  int V;
  return TryStrToInt(S, V);
}

int IntOrZero(const std::string& S) {
  int V;
  return TryStrToInt(S, V) ? V : 0;
}

int CompareFloat(long double A, long double B) {
  if (std::fabs(A - B) < 1e-6L) return 0;
  return A > B ? 1 : -1;
}

int MaxOf(int A, int B) { return A > B ? A : B; }

bool IsLeapYear(int Year) { return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0; }

// ---------------------------------------------------------------- text

bool IsBlank(const std::string& S) {
  for (char C : S)
    if (!IsBlankChar(C)) return false;
  return true;
}

std::string TrimBlanks(const std::string& S) {
  size_t i = 0, n = S.size();
  while (i < n && IsBlankChar(S[i])) ++i;
  while (n > i && IsBlankChar(S[n - 1])) --n;
  return S.substr(i, n - i);
}

std::string RemoveChars(const std::string& S, const std::set<unsigned char>& Chars) {
  std::string Out;
  Out.reserve(S.size());
  for (char C : S)
    if (!Chars.count(static_cast<unsigned char>(C))) Out += C;
  return Out;
}

std::string Unquoted(const std::string& S) {
  if (IsBlank(S) || S.size() < 2) return S;
  const char F = S.front(), L = S.back();
  if ((F == '\'' && L == '\'') || (F == '"' && L == '"')) return S.substr(1, S.size() - 2);
  return S;
}

void Unquote(std::string& S) { S = Unquoted(S); }

void RemoveTrailingBackslash(std::string& S) {
  if (!S.empty() && S.back() == '\\') S.pop_back();
}

void WrapAtCommas(const std::string& S, std::vector<std::string>& List) {
  List.clear();
  size_t Pos = 0;
  while (S.size() - Pos > 80) {
    const size_t Comma = S.rfind(',', Pos + 79);
    size_t Cut;
    if (Comma == std::string::npos || Comma < Pos)
      Cut = Pos + 80;  // no comma to cut at: a hard cut keeps every character
    else
      Cut = Comma + 1;
    List.push_back(S.substr(Pos, Cut - Pos));
    Pos = Cut;
  }
  List.push_back(S.substr(Pos));
}

std::string ShortenPath(const std::string& Path, int MaxLen) {
  if (static_cast<int>(Path.size()) <= MaxLen) return Path;
  const std::string Tail = "...\\" + ExtractFileName(Path);
  const int Room = MaxLen - static_cast<int>(Tail.size());
  if (Room <= 0) return Tail;
  return Path.substr(0, static_cast<size_t>(Room)) + Tail;
}

std::string CurrentDateTimeText() {
  const std::time_t T = std::time(nullptr);
  std::tm Tm{};
  localtime_r(&T, &Tm);
  char Buf[64];
  std::strftime(Buf, sizeof Buf, "%d-%m-%Y %H:%M:%S", &Tm);
  return Buf;
}

// ---------------------------------------------------------------- files

bool IsReadOnlyFile(const std::string& FileName) { return FileIsReadOnly(FileName); }

void RemoveFile(const std::string& FileName, bool Force) {
  if (!FileExists(FileName)) return;
  if (IsReadOnlyFile(FileName)) {
    if (!Force && !ConfirmYesNo("'" + FileName + " is readonly. Remove anyway?")) return;
    SetFileReadOnly(FileName, false);
  }
  if (!DeleteFileName(FileName)) throw EInOutError(errno, FileName);
}

namespace {
// Codes of the platform's file open and whole-file copy.
constexpr int OpenFileNotFound = 2;
constexpr int OpenPathNotFound = 3;
constexpr int OpenAccessDenied = 5;
constexpr int CopyReadError = -3;
constexpr int CopyWriteError = -4;

// The file-open code for a name (absolute) that could not be opened.
int OpenErrorCode(int E, const std::string& Name) {
  if (E == ENOTDIR) return OpenPathNotFound;
  if (E != ENOENT) return OpenAccessDenied;
  const std::string Dir = ExtractFileDir(Name);
  return DirectoryExists(Dir.empty() ? "/" : Dir) ? OpenFileNotFound : OpenPathNotFound;
}
}  // namespace

int CopyOneFile(const std::string& Source, const std::string& Dest, bool ShowError) {
  if (Source == Dest) return 0;
  const std::string Src = ExpandFileName(Source);
  const std::string Dst = ExpandFileName(Dest);
  if (Src == Dst) return 0;
  auto Fail = [&](int Code, bool ResetCursor) {
    if (ShowError) {
      if (ResetCursor) SetNormalCursor();
      ShowErrorBox("Failed to copy file. (error: " + std::to_string(Code) + ")\r\n" + Src + " -> " + Dst);
    }
    return Code;
  };
  // Only plain files are copied: a directory is no file, and a named pipe or
  // a device in a file's place is refused instead of waited on.
  const int In = OpenPlainFile(Src, O_RDONLY);
  if (In < 0) return Fail(errno == EISDIR ? OpenFileNotFound : OpenErrorCode(errno, Src), true);
  // A read-only target cannot be emptied, whoever runs the program.
  if (FileExists(Dst) && FileIsReadOnly(Dst)) {
    close(In);
    return Fail(OpenAccessDenied, true);
  }
  const int Out = OpenPlainFile(Dst, O_WRONLY | O_CREAT | O_TRUNC);
  if (Out < 0) {
    const int E = errno;
    close(In);
    return Fail(OpenErrorCode(E, Dst), true);
  }
  char Buf[1 << 16];
  int Result = 0;
  for (;;) {
    const ssize_t N = read(In, Buf, sizeof Buf);
    if (N < 0) {
      if (errno == EINTR) continue;
      Result = CopyReadError;
      break;
    }
    if (N == 0) break;
    ssize_t Done = 0;
    while (Done < N) {
      const ssize_t W = write(Out, Buf + Done, static_cast<size_t>(N - Done));
      if (W < 0) {
        if (errno == EINTR) continue;
        Result = CopyWriteError;
        break;
      }
      Done += W;
    }
    if (Result != 0) break;
  }
  close(In);
  if (close(Out) != 0 && Result == 0) Result = CopyWriteError;
  InvalidateDirCache();
  return Result == 0 ? 0 : Fail(Result, false);
}

// ---------------------------------------------------------------- programs

int ExecuteFile(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                int ShowCmd) {
  constexpr int MaxLen = 250;
  if (FileName.size() > MaxLen)
    throw EPlainError(Format("FileName too long (max. %d chars): %s", MaxLen, FileName.c_str()));
  if (Params.size() > MaxLen)
    throw EPlainError(Format("Params too long (max. %d chars): %s", MaxLen, Params.c_str()));
  if (DefaultDir.size() > MaxLen)
    throw EPlainError(Format("DefaultDir too long (max. %d chars): %s", MaxLen, DefaultDir.c_str()));
  return ShellExecute(FileName, Params, DefaultDir, ShowCmd);
}

bool StartProgram(const std::string& FileName, const std::string& Params, const std::string& DefaultDir) {
  std::string Dir = DefaultDir.empty() ? ExtractFilePath(FileName) : DefaultDir;
  if (!Dir.empty() && IsPathDelimiter(Dir.back())) Dir.pop_back();
  return ExecuteFile(FileName, Params, Dir, SW_SHOWNORMAL) > 32;
}

void OpenDocument(const std::string& FileName) {
  const int Code = ShellOpenDocument(FileName);
  if (Code <= 32)
    ShowErrorBox(Format("Error executing %s (errorcode %d)", FileName.c_str(), Code) +
                 (Code == 31 ? "\r\nNo application on this computer opens it. Open it by hand: it is " +
                                   ExpandFileName(FileName)
                             : std::string()));
}
