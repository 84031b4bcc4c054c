#include "study/StudyCsv.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "foundations/Errors.h"
#include "foundations/Numbers.h"

std::string CsvField(const std::string& Value) {
  const bool Quote = Value.find_first_of(",\"\r\n") != std::string::npos ||
                     (!Value.empty() && (Value.front() == ' ' || Value.back() == ' '));
  if (!Quote) return Value;
  std::string R = "\"";
  for (const char C : Value) {
    if (C == '"') R += '"';
    R += C;
  }
  return R + '"';
}

std::string CsvRecord(const std::vector<std::string>& Fields) {
  std::string R;
  for (size_t i = 0; i < Fields.size(); ++i) {
    if (i) R += ',';
    R += CsvField(Fields[i]);
  }
  return R + '\n';
}

bool NextCsvRecord(const std::string& Text, size_t& Pos, int& Line, std::vector<std::string>& Fields) {
  Fields.clear();
  if (Pos >= Text.size()) return false;
  ++Line;
  const int First = Line;
  std::string Field;
  bool Quoted = false;
  while (Pos < Text.size()) {
    const char C = Text[Pos++];
    if (Quoted) {
      if (C == '"') {
        if (Pos < Text.size() && Text[Pos] == '"') {
          Field += '"';
          ++Pos;
        } else {
          Quoted = false;
        }
      } else {
        if (C == '\n') ++Line;
        Field += C;
      }
    } else if (C == '"') {
      Quoted = true;
    } else if (C == ',') {
      Fields.push_back(std::move(Field));
      Field.clear();
    } else if (C == '\n') {
      break;
    } else if (C != '\r' || (Pos < Text.size() && Text[Pos] != '\n')) {
      Field += C;
    }
  }
  if (Quoted) throw EKvError(Format("line %d: a quote that is never closed", First));
  Fields.push_back(std::move(Field));
  return true;
}

std::string ReadWholeFile(const std::string& FileName) {
  const int Fd = open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) throw EInOutError(errno, FileName);
  std::string Text;
  char Buf[65536];
  for (;;) {
    const ssize_t N = read(Fd, Buf, sizeof Buf);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) {
      const int E = errno;
      close(Fd);
      throw EInOutError(E, FileName);
    }
    if (N == 0) break;
    Text.append(Buf, static_cast<size_t>(N));
  }
  close(Fd);
  return Text;
}

void WriteFileAtomically(const std::string& FileName, const std::string& Content) {
  WriteFilesAtomically({{FileName, Content}});
}

void WriteFilesAtomically(const std::vector<TFileText>& Files) {
  const std::string Suffix = Format(".%d.tmp", static_cast<int>(getpid()));
  std::vector<int> Fds;  // of the temporaries made so far, -1 once closed
  size_t Renamed = 0;
  const auto Fail = [&](int E, const std::string& Name) {
    for (size_t i = Renamed; i < Fds.size(); ++i) {
      if (Fds[i] >= 0) close(Fds[i]);
      unlink((Files[i].Name + Suffix).c_str());
    }
    throw EInOutError(E, Name);
  };
  for (const TFileText& F : Files) {
    const std::string Temp = F.Name + Suffix;
    const int Fd = open(Temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (Fd < 0) Fail(errno, Temp);
    Fds.push_back(Fd);
    for (size_t Done = 0; Done < F.Content.size();) {
      const ssize_t N = write(Fd, F.Content.data() + Done, F.Content.size() - Done);
      if (N < 0 && errno == EINTR) continue;
      if (N <= 0) Fail(N < 0 ? errno : EIO, Temp);
      Done += static_cast<size_t>(N);
    }
  }
  for (size_t i = 0; i < Files.size(); ++i)
    if (fsync(Fds[i]) != 0) Fail(errno, Files[i].Name);
  for (size_t i = 0; i < Files.size(); ++i) {
    const int Fd = Fds[i];
    Fds[i] = -1;
    if (close(Fd) != 0) Fail(errno, Files[i].Name);
  }
  for (; Renamed < Files.size(); ++Renamed)
    if (rename((Files[Renamed].Name + Suffix).c_str(), Files[Renamed].Name.c_str()) != 0)
      Fail(errno, Files[Renamed].Name);
}
