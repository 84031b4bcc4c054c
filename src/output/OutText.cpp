#include "output/OutText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundations/DxUtil.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"

namespace {
class TFd {
public:
  explicit TFd(int Fd) : FFd(Fd) {}
  ~TFd() {
    if (FFd >= 0) close(FFd);
  }
  int Get() const { return FFd; }

private:
  int FFd;
};
}  // namespace

TOutTextFile::TOutTextFile(const std::string& FileName) : FFileName(FileName) {
  if (!FileExists(FileName)) throw EDxError("File '" + FileName + "' not found");
  // Non-blocking, so that a named pipe cannot stop the program here.
  TFd Fd(open(MapFileName(FileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (Fd.Get() < 0) throw EInOutError(errno, FileName);
  struct stat St;
  if (fstat(Fd.Get(), &St) != 0) throw EInOutError(errno, FileName);
  if (!S_ISREG(St.st_mode)) throw EInOutError(EINVAL, FileName);
  FText.resize(static_cast<size_t>(St.st_size));
  size_t Have = 0;
  for (;;) {
    if (Have == FText.size()) FText.resize(Have + (Have < 4096 ? 4096 : Have / 2));
    const ssize_t N = read(Fd.Get(), &FText[Have], FText.size() - Have);
    if (N < 0) {
      if (errno == EINTR) continue;
      throw EInOutError(errno, FileName);
    }
    if (N == 0) break;
    Have += static_cast<size_t>(N);
  }
  FText.resize(Have);
  FText.shrink_to_fit();
}

void TOutTextFile::TakeLine(const char*& Text, size_t& Len) {
  const char* Begin = FText.data() + FPos;
  const size_t Avail = FText.size() - FPos;
  const char* Lf = static_cast<const char*>(std::memchr(Begin, '\n', Avail));
  const size_t Span = Lf ? static_cast<size_t>(Lf - Begin) : Avail;
  const char* Cr = static_cast<const char*>(std::memchr(Begin, '\r', Span));
  Text = Begin;
  Len = Cr ? static_cast<size_t>(Cr - Begin) : Span;
  FPos += Lf ? Span + 1 : Span;
}

void TOutTextFile::Load(const char* Text, size_t Len) {
  FLine.SetStr(Text, Len);
  FLine.CutComment();
}

bool TOutTextFile::NextLine() {
  if (Eof()) return false;
  const char* Text;
  size_t Len;
  TakeLine(Text, Len);
  Load(Text, Len);
  return true;
}

bool TOutTextFile::SkipUntil(const std::vector<std::string>& Words) {
  const std::string* Key = !Words.empty() && !Words[0].empty() ? &Words[0] : nullptr;
  // The shortest line that can hold more words than a line can count: in
  // collapsing mode every word but the last needs a blank after it, in
  // explicit mode every word but the last ends in a separator.
  const size_t LongLine =
      FLine.WordSep().empty() ? 2 * TDxLine::MaxWords + 1 : static_cast<size_t>(TDxLine::MaxWords);
  const char* Skipped = nullptr;  // the last line passed over unsplit
  size_t SkippedLen = 0;
  while (!Eof()) {
    const char* Text;
    size_t Len;
    TakeLine(Text, Len);
    if (Key && Len < LongLine && !memmem(Text, Len, Key->data(), Key->size())) {
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

bool TOutTextFile::SkipUntilFloat() {
  while (NextLine())
    if (FLine.NoOfWords() > 0 && IsFloat(FLine.FirstWord())) return true;
  return false;
}

bool TOutTextFile::SkipUntilInt() {
  while (NextLine())
    if (FLine.NoOfWords() > 0 && IsInteger(FLine.FirstWord())) return true;
  return false;
}

void TOutTextFile::SkipBlankLines() {
  if (!NextLine()) return;
  while (FLine.NoOfWords() == 0 && NextLine()) {
  }
}
