#include "foundations/DxTxtFle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"

namespace {
constexpr size_t BufSize = 1 << 18;
}

TDxTextFile::TDxTextFile(const std::string& FileName, TReading Reading)
    : FFileName(FileName), FWhole(Reading == TReading::Whole) {
  if (!FileExists(FileName)) throw EDxError("File '" + FileName + "' not found");
  // Opened without blocking, so that a named pipe or a device in a file's
  // place is refused instead of holding the program.
  FFile = open(MapFileName(FileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (FFile < 0) throw EInOutError(errno, FileName);
  try {
    struct stat St;
    if (fstat(FFile, &St) != 0) throw EInOutError(errno, FileName);
    if (!S_ISREG(St.st_mode)) throw EInOutError(EINVAL, FileName);
    fcntl(FFile, F_SETFL, fcntl(FFile, F_GETFL) & ~O_NONBLOCK);
    if (FWhole) {
      FBuf.resize(static_cast<size_t>(St.st_size));
      ReadWhole();
    } else {
      FBuf.resize(BufSize);
    }
  } catch (...) {
    // The destructor does not run for a constructor that throws.
    close(FFile);
    FFile = -1;
    throw;
  }
}

TDxTextFile::~TDxTextFile() {
  if (FFile >= 0) close(FFile);
}

void TDxTextFile::ReadWhole() {
  // The buffer has the size the file was measured with: it is read once.
  // The file may have grown since: a probe past that size says so, and only
  // then does the buffer grow.
  size_t Have = 0;
  for (;;) {
    char Probe[4096];
    const bool Full = Have == FBuf.size();
    const ssize_t N =
        Full ? read(FFile, Probe, sizeof Probe) : read(FFile, FBuf.data() + Have, FBuf.size() - Have);
    if (N < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(errno, FFileName);
    }
    if (N == 0) break;
    if (Full) {
      FBuf.resize(Have + std::max<size_t>(Have / 2, sizeof Probe));
      std::memcpy(FBuf.data() + Have, Probe, static_cast<size_t>(N));
    }
    Have += static_cast<size_t>(N);
  }
  // Shorter than measured (cut meanwhile): the unread rest is not text.
  FBuf.resize(Have);
  close(FFile);
  FFile = -1;
  FPos = 0;
  FEnd = Have;
  FAtEnd = true;
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
  if (FWhole) {
    FPos = 0;
    return;
  }
  if (lseek(FFile, 0, SEEK_SET) < 0) throw EInOutError(errno, FFileName);
  FPos = FEnd = 0;
  FAtEnd = false;
}

void TDxTextFile::Load(const char* Text, size_t Len) {
  FLine.SetStr(Text, Len);
  FLine.CutComment();
}

void TDxTextFile::TakeLine(const char*& Text, size_t& Len) {
  const char* Begin = FBuf.data() + FPos;
  const size_t Avail = FEnd - FPos;
  const char* Lf = static_cast<const char*>(std::memchr(Begin, '\n', Avail));
  const size_t Span = Lf ? static_cast<size_t>(Lf - Begin) : Avail;
  const char* Cr = static_cast<const char*>(std::memchr(Begin, '\r', Span));
  Text = Begin;
  Len = Cr ? static_cast<size_t>(Cr - Begin) : Span;
  FPos += Lf ? Span + 1 : Span;
}

bool TDxTextFile::NextLine() {
  if (Eof()) return false;
  if (FWhole) {
    const char* Text;
    size_t Len;
    TakeLine(Text, Len);
    Load(Text, Len);
    return true;
  }
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
    Load(FPending.data(), FPending.size());
  else
    Load(Text ? Text : "", TextLen);
  return true;
}

bool TDxTextFile::SkipUntilInMemory(const std::vector<std::string>& Words) {
  const std::string* Key = !Words.empty() && !Words[0].empty() ? &Words[0] : nullptr;
  // The shortest line that can hold more words than a line can count: in
  // collapsing mode every word but the last needs a blank after it, in
  // explicit mode every word but the last ends in a separator.
  const size_t LongLine =
      FLine.WordSep().empty() ? 2 * TDxLine::MaxWords + 1 : static_cast<size_t>(TDxLine::MaxWords);
  const char* Skipped = nullptr;  // the last line passed over unsplit
  size_t SkippedLen = 0;
  // The first place of the key at or after the current line, found by one
  // search over the rest of the text rather than one search a line: a line
  // holds the key exactly when that place ends within the line's text (the key
  // holds no line break, so no place spans two lines).
  const char* const End = FBuf.data() + FEnd;
  const char* Hit = nullptr;
  bool HitKnown = false;
  const auto Holds = [&](const char* Text, size_t Len) {
    if (!HitKnown || (Hit && Hit < Text)) {
      Hit = static_cast<const char*>(memmem(Text, static_cast<size_t>(End - Text), Key->data(), Key->size()));
      HitKnown = true;
    }
    return Hit && Len >= Key->size() && Hit <= Text + (Len - Key->size());
  };
  while (!Eof()) {
    const char* Text;
    size_t Len;
    TakeLine(Text, Len);
    if (Key && Len < LongLine && !Holds(Text, Len)) {
      Skipped = Text;
      SkippedLen = Len;
      continue;
    }
    Skipped = nullptr;
    Load(Text, Len);
    if (FLine.Match(Words)) return true;
  }
  // At the end of the file the current line is the file's last line.
  if (Skipped) Load(Skipped, SkippedLen);
  return false;
}

bool TDxTextFile::SkipUntil(const std::vector<std::string>& Words) {
  if (FWhole) return SkipUntilInMemory(Words);
  // As in memory: a line that lies whole in the buffer and cannot hold the
  // first word is passed over unsplit.
  const std::string* Key = !Words.empty() && !Words[0].empty() ? &Words[0] : nullptr;
  const size_t LongLine =
      FLine.WordSep().empty() ? 2 * TDxLine::MaxWords + 1 : static_cast<size_t>(TDxLine::MaxWords);
  std::string Skipped;  // the last line passed over unsplit
  bool HaveSkipped = false;
  for (;;) {
    if (FPos >= FEnd && !Fill()) break;
    const char* Begin = FBuf.data() + FPos;
    const char* Lf = Key ? static_cast<const char*>(std::memchr(Begin, '\n', FEnd - FPos)) : nullptr;
    if (Lf) {
      const char* Cr = static_cast<const char*>(std::memchr(Begin, '\r', static_cast<size_t>(Lf - Begin)));
      const size_t Len = static_cast<size_t>((Cr ? Cr : Lf) - Begin);
      if (Len < LongLine && !memmem(Begin, Len, Key->data(), Key->size())) {
        Skipped.assign(Begin, Len);
        HaveSkipped = true;
        FPos += static_cast<size_t>(Lf - Begin) + 1;
        continue;
      }
    }
    HaveSkipped = false;
    if (!NextLine()) break;
    if (FLine.Match(Words)) return true;
  }
  // At the end of the file the current line is the file's last line.
  if (HaveSkipped) Load(Skipped.data(), Skipped.size());
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

bool TDxTextFile::SkipToBlankLine() {
  if (!FWhole || !FLine.WordSep().empty() || !FLine.CommentChar().empty()) {
    while (NextLine())
      if (FLine.NoOfWords() == 0) return true;
    return false;
  }
  while (!Eof()) {
    const char* Text;
    size_t Len;
    TakeLine(Text, Len);
    if (std::all_of(Text, Text + Len, [](char C) { return C == ' '; })) {
      Load(Text, Len);
      return true;
    }
  }
  return false;
}

void TDxTextFile::SkipBlankLines() {
  if (!NextLine()) return;
  while (FLine.NoOfWords() == 0 && NextLine()) {
  }
}
