#include "support/TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundations/TextCase.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"

namespace fs = std::filesystem;

TTempDir::TTempDir() {
  std::string Tmpl = (fs::temp_directory_path() / "krltest-XXXXXX").string();
  if (!mkdtemp(Tmpl.data())) throw std::runtime_error("mkdtemp failed");
  FPath = Tmpl + "/";
}

TTempDir::~TTempDir() {
  std::error_code Ec;
  // Make everything writable again so that removal cannot fail.
  for (auto It = fs::recursive_directory_iterator(FPath, Ec); !Ec && It != fs::recursive_directory_iterator();
       It.increment(Ec))
    fs::permissions(It->path(), fs::perms::owner_all, fs::perm_options::add, Ec);
  fs::remove_all(FPath, Ec);
  InvalidateDirCache();
}

std::string TTempDir::Write(const std::string& Rel, const std::string& Content) const {
  const std::string P = FPath + Rel;
  fs::create_directories(fs::path(P).parent_path());
  WriteFileBytes(P, Content);
  return P;
}

std::string TTempDir::Read(const std::string& Rel) const { return ReadFileBytes(FPath + Rel); }
bool TTempDir::Exists(const std::string& Rel) const { return fs::exists(FPath + Rel); }
void TTempDir::MakeDir(const std::string& Rel) const { fs::create_directories(FPath + Rel); }

std::string ReadFileBytes(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

void WriteFileBytes(const std::string& Path, const std::string& Content) {
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out << Content;
}

std::string CrLf(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size() + Text.size() / 16);
  for (char C : Text) {
    if (C == '\n') Out += '\r';
    Out += C;
  }
  return Out;
}

double PrintedTolerance(int Decimals, int HalfUnits, int Tenths) {
  // Whole numbers over a power of ten: one rounding, as in the decimal literal.
  double TenthsPerOne = 10;
  for (int i = 0; i < Decimals; ++i) TenthsPerOne *= 10;
  return (5.0 * HalfUnits + Tenths) / TenthsPerOne;
}

TCurrentDirGuard::TCurrentDirGuard() : FDir(fs::current_path().string()) {}
TCurrentDirGuard::~TCurrentDirGuard() {
  std::error_code Ec;
  fs::current_path(FDir, Ec);
}

TMsgResult FailUnscriptedBox(const TMessage& M) {
  ADD_FAILURE() << "unexpected message box: " << M.Text;
  switch (M.Buttons) {
    case TMsgButtons::Ok: return TMsgResult::Ok;
    case TMsgButtons::YesNo: return TMsgResult::No;
    case TMsgButtons::OkCancel:
    case TMsgButtons::YesNoCancel: return TMsgResult::Cancel;
  }
  return TMsgResult::Cancel;
}

namespace {
// Whether the shell would hand the file to the desktop's opener: an existing
// file that is neither a batch file nor a program (the checks before that
// answer with their own codes).
bool GoesToTheDesktop(const std::string& FileName, const std::string& DefaultDir) {
  if (!DefaultDir.empty() && !DirectoryExists(DefaultDir)) return false;
  if (!FileExists(FileName) || SameText(ExtractFileExt(FileName), ".bat")) return false;
  const std::string Real = ExpandFileName(FileName);
  struct stat St;
  return !(stat(Real.c_str(), &St) == 0 && S_ISREG(St.st_mode) && access(Real.c_str(), X_OK) == 0);
}

int StartWithoutWindow(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                       int ShowCmd) {
  if (GoesToTheDesktop(FileName, DefaultDir)) {
    ADD_FAILURE() << "unexpected document started: " << FileName;
    return ShellCode::NoAssociation;
  }
  const bool Windowless = ShellWindowless();
  SetShellWindowless(true);
  const int Code = PosixShellExecute(FileName, Params, DefaultDir, ShowCmd);
  SetShellWindowless(Windowless);
  return Code;
}
}  // namespace

void TFailOnUnscripted::SetUp() {
  SetMessageHandler(FailUnscriptedBox);
  SetAppErrorHandler([](const std::exception& E) {
    ADD_FAILURE() << "unexpected application error: " << ErrorBoxText(E.what());
  });
  SetOpenDocumentHandler([](const std::string& FileName) {
    ADD_FAILURE() << "unexpected document opened: " << FileName;
    return ShellCode::NoAssociation;
  });
  SetShellExecuteHandler(StartWithoutWindow);
}

void TFailOnUnscripted::TearDown() {
  SetMessageHandler(nullptr);
  SetAppErrorHandler(nullptr);
  SetOpenDocumentHandler(nullptr);
  SetShellExecuteHandler(nullptr);
}

TScriptedMessages::TScriptedMessages() {
  FOld = SetMessageHandler([this](const TMessage& M) {
    FShown.push_back(M);
    if (FScript.empty()) return FailUnscriptedBox(M);
    TScriptedAnswer A = FScript.front();
    FScript.pop_front();
    EXPECT_EQ(static_cast<int>(A.Kind), static_cast<int>(M.Kind)) << "box: " << M.Text;
    if (!A.Text.empty()) {
      EXPECT_EQ(A.Text, M.Text);
    }
    return A.Answer;
  });
  FOldApp = SetAppErrorHandler(nullptr);  // the default: an error box
}

TScriptedMessages::~TScriptedMessages() {
  EXPECT_TRUE(FScript.empty()) << FScript.size() << " expected message box(es) never shown, first: "
                               << (FScript.empty() ? "" : FScript.front().Text);
  SetMessageHandler(FOld);
  SetAppErrorHandler(FOldApp);
}

TScriptedMessages& TScriptedMessages::Expect(TMsgKind Kind, const std::string& Text, TMsgResult Answer) {
  FScript.push_back({Kind, Text, Answer});
  return *this;
}

TProgramHome::TProgramHome(bool WithIni) {
  for (const char* D :
       {"bin", "cropd", "soild", "meteo/climd", "meteo/merawe", "meteo/dbmrep", "runio", "output"})
    FDir.MakeDir(D);
  if (WithIni)
    FDir.Write("bin/DIRECT.INI", CrLf(R"([Directory settings for KORVAL]
OUTDIR=..\output\
CRPDIR=..\cropd\
WTRDIR=..\meteo\merawe\
CLMDIR=..\meteo\climd\
DBRDIR=..\meteo\dbmrep\
SOLDIR=..\soild\
RUNDIR=..\runio\
)"));
  SetExecPath(Bin());
  InvalidateDirCache();
}

TProgramHome::~TProgramHome() { SetExecPath(""); }
