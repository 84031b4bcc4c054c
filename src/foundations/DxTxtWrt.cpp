#include "foundations/DxTxtWrt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"

namespace {
// Writes all of Buf; false with errno set when the file system refuses.
bool WriteAll(int Fd, const char* Buf, size_t Size) {
  while (Size > 0) {
    const ssize_t W = write(Fd, Buf, Size);
    if (W < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    Buf += W;
    Size -= static_cast<size_t>(W);
  }
  return true;
}
}  // namespace

// ---------------------------------------------------------------- temporaries

std::string TemporaryName(const std::string& Dir, const std::string& Base, int Pid) {
  return Dir + "." + Base + "." + std::to_string(Pid) + ".new";
}

namespace {
// The process id in a temporary's name ".BASE.PID.new", 0 for any other name.
int PidOfTemporary(const std::string& Name) {
  static const std::string Suffix = ".new";
  if (Name.size() < 1 + 1 + 1 + 1 + Suffix.size() || Name[0] != '.' ||
      Name.compare(Name.size() - Suffix.size(), Suffix.size(), Suffix) != 0)
    return 0;
  const size_t End = Name.size() - Suffix.size();
  const size_t Dot = Name.rfind('.', End - 1);
  if (Dot == std::string::npos || Dot < 2 || Dot + 1 == End || End - Dot - 1 > 9) return 0;
  int Pid = 0;
  for (size_t i = Dot + 1; i < End; ++i) {
    if (Name[i] < '0' || Name[i] > '9') return 0;
    Pid = Pid * 10 + (Name[i] - '0');
  }
  return Pid;
}
}  // namespace

int RemoveStaleTemporaries(const std::string& Dir) {
  namespace fs = std::filesystem;
  int Removed = 0;
  std::error_code Ec;
  for (fs::directory_iterator It(MapFileName(Dir), Ec), End; !Ec && It != End; It.increment(Ec)) {
    const int Pid = PidOfTemporary(It->path().filename().string());
    if (Pid <= 0 || It->symlink_status(Ec).type() != fs::file_type::regular || Ec) continue;
    // A live process of ours may be writing it now; one of another user
    // (kill answers EPERM) or none at all is not.
    if (ProcessAlive(Pid) && kill(Pid, 0) == 0) continue;
    if (fs::remove(It->path(), Ec)) ++Removed;
    Ec.clear();
  }
  if (Removed) InvalidateDirCache();
  return Removed;
}

// ---------------------------------------------------------------- the set

TFileReplacement::~TFileReplacement() {
  for (const TEntry& E : FEntries) unlink(E.Temp.c_str());
  if (!FEntries.empty()) InvalidateDirCache();
}

std::string TFileReplacement::Add(const std::string& Target) {
  const std::string Real = MapFileName(Target);
  struct stat St {};
  if (stat(Real.c_str(), &St) == 0 && !S_ISREG(St.st_mode))
    throw EInOutError(S_ISDIR(St.st_mode) ? EISDIR : EINVAL, Target);
  if (FInPlace) return Real;
  // Hidden beside the target: on the same file system, so that renaming
  // replaces in one step, and out of the lists the program shows.
  const size_t Slash = Real.rfind('/');
  const std::string Dir = Slash == std::string::npos ? "" : Real.substr(0, Slash + 1);
  const std::string Base = Slash == std::string::npos ? Real : Real.substr(Slash + 1);
  std::string Temp = TemporaryName(Dir, Base, static_cast<int>(getpid()));
  FEntries.push_back({Target, Real, Temp});
  return Temp;
}

void TFileReplacement::Copy(const std::string& Source, const std::string& Target) {
  const std::string Temp = Add(Target);
  const int In = OpenPlainFile(Source, O_RDONLY);
  if (In < 0) throw EInOutError(errno, Source);
  const int Out = open(Temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (Out < 0) {
    const int E = errno;
    close(In);
    throw EInOutError(E, Target);
  }
  char Buf[1 << 16];
  int ReadError = 0, WriteError = 0;
  for (;;) {
    const ssize_t N = read(In, Buf, sizeof Buf);
    if (N < 0) {
      if (errno == EINTR) continue;
      ReadError = errno;
      break;
    }
    if (N == 0) break;
    if (!WriteAll(Out, Buf, static_cast<size_t>(N))) {
      WriteError = errno;
      break;
    }
  }
  struct stat SrcSt {
  }, DstSt{};
  const bool SizesAgree = fstat(In, &SrcSt) == 0 && fstat(Out, &DstSt) == 0 && SrcSt.st_size == DstSt.st_size;
  close(In);
  if (close(Out) != 0 && WriteError == 0) WriteError = errno ? errno : EIO;
  if (ReadError) throw EInOutError(ReadError, Source);
  if (WriteError) throw EInOutError(WriteError, Target);
  if (!SizesAgree) throw EInOutError(EIO, Target);
}

void TFileReplacement::Remove(const std::string& Target) { FRemovals.push_back(Target); }

void TFileReplacement::Commit() {
  // Every new file is complete: replacing is a rename on one file system,
  // which fails only on a damaged one.
  while (!FEntries.empty()) {
    const TEntry& E = FEntries.front();
    if (rename(E.Temp.c_str(), E.Real.c_str()) != 0) {
      InvalidateDirCache();
      throw EInOutError(errno, E.Target);
    }
    FEntries.erase(FEntries.begin());
  }
  for (const std::string& R : FRemovals) RemoveFile(R, true);
  FRemovals.clear();
  InvalidateDirCache();
}

// ---------------------------------------------------------------- the writer

TDxTextWriter::TDxTextWriter(const std::string& FileName, TFileReplacement* Set)
    : FFileName(FileName), FSet(Set ? Set : &FOwnSet) {
  FTemp = FSet->Add(FileName);
  // Written over in place, the old text is cut off behind the new one at
  // Close: a file emptied first is flushed to disk when it closes, which
  // costs a scratch directory more than writing it.
  const int Fd = open(FTemp.c_str(), O_WRONLY | O_CREAT | (FSet->InPlace() ? 0 : O_TRUNC) | O_CLOEXEC, 0666);
  if (Fd < 0) throw EInOutError(errno, FileName);
  FFile = fdopen(Fd, "wb");
  if (!FFile) {
    const int E = errno;
    close(Fd);
    throw EInOutError(E, FileName);
  }
}

TDxTextWriter::~TDxTextWriter() {
  if (FFile) {
    std::fclose(FFile);
    // Not closed by Close: a write failed or the writer was left early. The
    // set removes the temporary file; the old file stays.
  }
}

void TDxTextWriter::Write(const std::string& S) {
  if (!FFile) throw EInOutError(EBADF, FFileName);
  if (!S.empty() && std::fwrite(S.data(), 1, S.size(), FFile) != S.size())
    throw EInOutError(errno ? errno : EIO, FFileName);
}

void TDxTextWriter::WriteLn(const std::string& S) {
  Write(S);
  Write("\r\n");
}

void TDxTextWriter::Close() {
  if (!FFile) return;
  errno = 0;
  bool Failed = std::fflush(FFile) != 0 || std::ferror(FFile) != 0;
  if (!Failed && FSet->InPlace()) {
    const off_t End = ftello(FFile);
    Failed = End < 0 || ftruncate(fileno(FFile), End) != 0;
  }
  const int E = errno;
  const int Rc = std::fclose(FFile);
  FFile = nullptr;
  if (Failed || Rc != 0) throw EInOutError(E ? E : (errno ? errno : EIO), FFileName);
  if (FSet == &FOwnSet) FOwnSet.Commit();
}
