#include "model/InputLines.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundations/Numbers.h"
#include "model/ModelInput.h"
#include "platform/FileSys.h"

std::string AtLine(const std::string& FileName, int LineNo) { return FileName + Format(", line %d", LineNo); }

std::vector<TInputLine> ReadInputLines(const std::string& FileName, const std::string& NamedBy) {
  if (!FileExists(FileName))
    throw EModelError(FileName, NamedBy,
                      {"ERROR in file " + FileName + ", key " + NamedBy + ": file not found"});
  const int Fd = OpenPlainFile(FileName, O_RDONLY);
  if (Fd < 0) {
    const int E = errno;
    throw EModelError(FileName, NamedBy,
                      {"ERROR in file " + FileName + ", key " + NamedBy + ": the file cannot be read (" +
                       std::strerror(E) + ")"});
  }
  std::string Bytes;
  char Buf[65536];
  for (;;) {
    const ssize_t N = read(Fd, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) {
      const int E = errno;
      close(Fd);
      throw EModelError(FileName, NamedBy,
                        {"ERROR in file " + FileName + ", key " + NamedBy + ": the file cannot be read (" +
                         std::strerror(E) + ")"});
    }
    if (N == 0) break;
    Bytes.append(Buf, static_cast<size_t>(N));
  }
  close(Fd);

  std::vector<TInputLine> Lines;
  size_t Pos = 0;
  int No = 0;
  while (Pos < Bytes.size()) {
    size_t End = Bytes.find('\n', Pos);
    const size_t Next = End == std::string::npos ? Bytes.size() : End + 1;
    if (End == std::string::npos) End = Bytes.size();
    if (End > Pos && Bytes[End - 1] == '\r') --End;
    ++No;
    for (size_t i = Pos; i < End; ++i) {
      const unsigned char C = static_cast<unsigned char>(Bytes[i]);
      if (C == '\r')
        throw EModelError(
            FileName, Format("line %d", No),
            {"ERROR in file " + AtLine(FileName, No) + ": a carriage return without a line feed",
             "  Lines must end in CR LF or LF; this file has other line ends or is damaged."});
      if ((C < ' ' && C != '\t') || C == 0x7f)
        throw EModelError(
            FileName, Format("line %d", No),
            {"ERROR in file " + AtLine(FileName, No) + Format(": control character %d in the text", C),
             "  The file holds binary data where text is expected."});
    }
    Lines.push_back({No, Bytes.substr(Pos, End - Pos)});
    Pos = Next;
  }
  return Lines;
}

std::vector<std::string> SplitWords(const std::string& S) {
  std::vector<std::string> Words;
  size_t i = 0;
  while (i < S.size()) {
    while (i < S.size() && (S[i] == ' ' || S[i] == '\t')) ++i;
    const size_t Start = i;
    while (i < S.size() && S[i] != ' ' && S[i] != '\t') ++i;
    if (i > Start) Words.push_back(S.substr(Start, i - Start));
  }
  return Words;
}
