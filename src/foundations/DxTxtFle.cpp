#include "foundations/DxTxtFle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"

namespace {
constexpr size_t BufSize = 1 << 18;
}

TDxTextFile::TDxTextFile(const std::string& FileName) : FFileName(FileName) {
  if (!FileExists(FileName)) throw EDxError("File '" + FileName + "' not found");
  // Opened without blocking, so that a named pipe or a device in a file's
  // place is refused instead of holding the program.
  FFile = open(MapFileName(FileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (FFile < 0) throw EInOutError(errno, FileName);
  struct stat St;
  if (fstat(FFile, &St) != 0 || !S_ISREG(St.st_mode)) {
    close(FFile);
    FFile = -1;
    throw EInOutError(EINVAL, FileName);
  }
  fcntl(FFile, F_SETFL, fcntl(FFile, F_GETFL) & ~O_NONBLOCK);
  FBuf.resize(BufSize);
}

TDxTextFile::~TDxTextFile() {
  if (FFile >= 0) close(FFile);
}

bool TDxTextFile::Fill() {
  if (FAtEnd) return false;
  ssize_t N;
  do {
    N = read(FFile, FBuf.data(), FBuf.size());
  } while (N < 0 && errno == EINTR);
  if (N < 0) throw EInOutError(errno, FFileName);
  FPos = 0;
  FEnd = static_cast<size_t>(N);
  if (N == 0) FAtEnd = true;
  return N > 0;
}

bool TDxTextFile::Eof() {
  if (FPos < FEnd) return false;
  return !Fill();
}

void TDxTextFile::ResetFile() {
  if (lseek(FFile, 0, SEEK_SET) < 0) throw EInOutError(errno, FFileName);
  FPos = FEnd = 0;
  FAtEnd = false;
}

bool TDxTextFile::NextLine() {
  if (Eof()) return false;
  // Text of the line: up to the first CR or LF. Then skip past the next LF.
  bool HaveText = false;  // the line's text is complete (CR or LF seen)
  FPending.clear();
  const char* Text = nullptr;
  size_t TextLen = 0;
  bool UsePending = false;
  for (;;) {
    if (FPos >= FEnd && !Fill()) break;
    const char* Begin = FBuf.data() + FPos;
    const size_t Avail = FEnd - FPos;
    const char* Lf = static_cast<const char*>(std::memchr(Begin, '\n', Avail));
    const size_t Span = Lf ? static_cast<size_t>(Lf - Begin) : Avail;
    if (!HaveText) {
      const char* Cr = static_cast<const char*>(std::memchr(Begin, '\r', Span));
      const size_t Take = Cr ? static_cast<size_t>(Cr - Begin) : Span;
      if (!UsePending && (Cr || Lf)) {
        Text = Begin;
        TextLen = Take;
      } else {
        FPending.append(Begin, Take);
        UsePending = true;
      }
      if (Cr || Lf) HaveText = true;
    }
    if (Lf) {
      FPos += Span + 1;
      break;
    }
    // No line feed in the buffer: keep what is needed and read on.
    if (HaveText && !UsePending) {
      FPending.assign(Text, TextLen);
      UsePending = true;
    }
    FPos = FEnd;
  }
  if (UsePending)
    FLine.SetStr(FPending);
  else
    FLine.SetStr(Text ? Text : "", TextLen);
  FLine.CutComment();
  return true;
}

bool TDxTextFile::SkipUntil(const std::vector<std::string>& Words) {
  while (NextLine())
    if (FLine.Match(Words)) return true;
  return false;
}

bool TDxTextFile::SkipUntilFloat() {
  while (NextLine())
    if (FLine.NoOfWords() > 0 && IsFloat(FLine.FirstWord())) return true;
  return false;
}

bool TDxTextFile::SkipUntilInt() {
  while (NextLine())
    if (FLine.NoOfWords() > 0 && IsInteger(FLine.FirstWord())) return true;
  return false;
}

void TDxTextFile::SkipBlankLines() {
  if (!NextLine()) return;
  while (FLine.NoOfWords() == 0 && NextLine()) {
  }
}
