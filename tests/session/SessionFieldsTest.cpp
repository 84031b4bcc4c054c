// The table of session fields: the files written from it stay byte for byte
// what they were, what is written comes back through the readers, and every
// keyword of the input files has exactly one entry.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "session/SessionFixture.h"

namespace fs = std::filesystem;

namespace {
// The bytes of a file; empty when it cannot be read.
std::string WholeFile(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

// Header lines 2 and 3 (the program and the date) change from run to run:
// their text is masked, every other byte stays.
std::string MaskedHeader(const std::string& Content) {
  std::string Out;
  size_t Pos = 0;
  for (int Line = 1; Pos < Content.size(); ++Line) {
    size_t End = Content.find('\n', Pos);
    End = End == std::string::npos ? Content.size() : End + 1;
    Out += Line == 2 || Line == 3 ? std::string("#\r\n") : Content.substr(Pos, End - Pos);
    Pos = End;
  }
  return Out;
}
}  // namespace

class SessionFieldFiles : public TSessionTest {
 protected:
  // The four input files as written now, one after the other.
  std::string WrittenFiles() {
    Session->WriteInputFiles();
    std::string S;
    for (const char* F : {"KRLTI.TIM", "KRLSI.SIT", "RUNOPT.DAT", "KRLRR.RER"})
      S += std::string("==== ") + F + "\r\n" + MaskedHeader(RunFile(F));
    return S;
  }
  // The files written now against those the writer gave before the field
  // table drove it (tests/session/fields/Case.txt).
  void ExpectAsBefore(const std::string& Case) {
    const fs::path Fixture = fs::path(KRL_SOURCE_DIR) / "tests/session/fields" / (Case + ".txt");
    const std::string Written = WrittenFiles();
    if (std::getenv("KRL_WRITE_FIELD_FIXTURES")) {
      std::ofstream(Fixture, std::ios::binary) << Written;
      return;
    }
    const std::string Expected = WholeFile(Fixture);
    ASSERT_FALSE(Expected.empty()) << Fixture;
    EXPECT_EQ(Written, Expected) << Case;
  }
};

TEST_F(SessionFieldFiles, DefaultAndFilledSessionsAreWrittenAsBefore) {
  ExpectAsBefore("defaults");
  Session->Reset();
  FillSession(false);
  ExpectAsBefore("filled");
  Session->Reset();
  FillSession(true);
  ExpectAsBefore("filled-rainfall-file");
}

TEST_F(SessionFieldFiles, SampleSessionIsWrittenBackAsBefore) {
  // The sample program home's catalogue, data and working session.
  TearDown();
  SetUpSession(WholeFile(fs::path(KRL_SOURCE_DIR) / "data/bin/KRL_VAR.csv"));
  const fs::path Data = fs::path(KRL_SOURCE_DIR) / "data";
  for (const char* Sub : {"cropd", "soild", "meteo"})
    fs::copy(Data / Sub, Dir() / Sub, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  for (const auto& E : fs::directory_iterator(Data / "session"))
    fs::copy_file(E.path(), Dir() / "runio" / E.path().filename(), fs::copy_options::overwrite_existing);
  InvalidateDirCache();
  Session->Reset();
  Session->Read(Session->FileManager().KRLWerkFullName());
  ExpectAsBefore("sample");
}
