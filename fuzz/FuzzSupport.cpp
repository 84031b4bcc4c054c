#include "FuzzSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/FileSys.h"
#include "platform/Handlers.h"

namespace fs = std::filesystem;

namespace {
struct TScratch {
  std::string Path;
  TScratch() {
    const char* Tmp = std::getenv("TMPDIR");
    std::string Templ = std::string(Tmp && *Tmp ? Tmp : "/tmp") + "/krlfuzz.XXXXXX";
    if (!mkdtemp(Templ.data())) {
      std::perror("mkdtemp");
      std::abort();
    }
    Path = Templ + "/";
  }
  ~TScratch() {
    std::error_code Ec;
    fs::remove_all(Path, Ec);
  }
};

size_t MessagesShown = 0;
}  // namespace

const std::string& FuzzDir() {
  static TScratch Scratch;
  return Scratch.Path;
}

std::string FuzzWrite(const std::string& Rel, const std::string& Bytes) {
  const std::string Path = FuzzDir() + Rel;
  const fs::path Parent = fs::path(Path).parent_path();
  std::error_code Ec;
  fs::create_directories(Parent, Ec);
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  Out.close();
  if (!Out) {
    std::fprintf(stderr, "fuzz: cannot write %s\n", Path.c_str());
    std::abort();
  }
  InvalidateDirCache();
  return Path;
}

std::string FuzzReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

void FuzzRemove(const std::string& Rel) {
  std::error_code Ec;
  fs::remove(FuzzDir() + Rel, Ec);
  InvalidateDirCache();
}

void FuzzQuietHandlers() {
  SetMessageHandler([](const TMessage& M) {
    ++MessagesShown;
    switch (M.Buttons) {
      case TMsgButtons::YesNo:
      case TMsgButtons::YesNoCancel: return TMsgResult::Yes;
      default: return TMsgResult::Ok;
    }
  });
  SetCursorHandler([](bool) {});
  SetAppErrorHandler([](const std::exception&) { ++MessagesShown; });
}

size_t FuzzMessagesShown() { return MessagesShown; }

std::vector<std::string> FuzzParts(const uint8_t* Data, size_t Size, size_t Max) {
  std::vector<std::string> Parts;
  const char* P = reinterpret_cast<const char*>(Data);
  size_t Start = 0;
  while (Parts.size() + 1 < Max) {
    size_t i = Start;
    while (i < Size && P[i] != FuzzPartSep) ++i;
    if (i >= Size) break;
    Parts.emplace_back(P + Start, i - Start);
    Start = i + 1;
  }
  Parts.emplace_back(P + Start, Size - Start);
  return Parts;
}

void TFileSnapshot::Add(const std::string& Path) {
  struct stat St;
  const bool Exists = stat(Path.c_str(), &St) == 0;
  FFiles[Path] = {Exists, Exists ? FuzzReadFile(Path) : std::string()};
}

void TFileSnapshot::Check() const {
  for (const auto& F : FFiles) {
    struct stat St;
    const bool Exists = stat(F.first.c_str(), &St) == 0;
    FUZZ_CHECK_MSG(Exists == F.second.first, "file appeared or vanished: " + F.first);
    if (Exists) FUZZ_CHECK_MSG(FuzzReadFile(F.first) == F.second.second, "file changed: " + F.first);
  }
}

void FuzzFail(const char* Expr, const char* File, int Line, const std::string& Detail) {
  std::fprintf(stderr, "\nfuzz check failed: %s (%s:%d)%s%s\n", Expr, File, Line, Detail.empty() ? "" : ": ",
               Detail.c_str());
  std::abort();
}
