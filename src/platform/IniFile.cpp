#include "platform/IniFile.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "foundations/TextCase.h"
#include "platform/FileSys.h"

namespace {
std::string Trim(const std::string& S) {
  size_t i = 0, n = S.size();
  while (i < n && (S[i] == ' ' || S[i] == '\t' || S[i] == '\r')) ++i;
  while (n > i && (S[n - 1] == ' ' || S[n - 1] == '\t' || S[n - 1] == '\r')) --n;
  return S.substr(i, n - i);
}
}  // namespace

std::string ReadIniString(const std::string& FileName, const std::string& Section, const std::string& Key,
                          const std::string& Default) {
  // Only a plain file is read: a named pipe or a device in its place gives
  // the default instead of holding the program.
  const std::string Real = MapFileName(FileName);
  struct stat St;
  if (stat(Real.c_str(), &St) != 0 || !S_ISREG(St.st_mode)) return Default;
  std::ifstream In(Real, std::ios::binary);
  if (!In) return Default;
  const std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  bool InSection = false;
  const std::string WantSection = Trim(Section);
  const std::string WantKey = Trim(Key);
  // A carriage return ends a line as a line feed does, also on its own: no
  // value ever holds one.
  for (size_t Pos = 0; Pos < Text.size();) {
    size_t End = Text.find_first_of("\r\n", Pos);
    if (End == std::string::npos) End = Text.size();
    const std::string T = Trim(Text.substr(Pos, End - Pos));
    Pos = End + 1;
    if (T.empty() || T[0] == ';') continue;
    if (T[0] == '[') {
      const size_t Close = T.find(']');
      const std::string Name = Trim(T.substr(1, Close == std::string::npos ? std::string::npos : Close - 1));
      InSection = SameText(Name, WantSection);
      continue;
    }
    if (!InSection) continue;
    const size_t Eq = T.find('=');
    if (Eq == std::string::npos) continue;
    if (!SameText(Trim(T.substr(0, Eq)), WantKey)) continue;
    std::string Value = Trim(T.substr(Eq + 1));
    if (Value.size() >= 2 &&
        ((Value.front() == '"' && Value.back() == '"') || (Value.front() == '\'' && Value.back() == '\'')))
      Value = Value.substr(1, Value.size() - 2);
    return Value;
  }
  return Default;
}
