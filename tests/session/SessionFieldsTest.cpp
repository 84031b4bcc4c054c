// The table of session fields: the files written from it stay byte for byte
// what they were, what is written comes back through the readers, and every
// keyword of the input files has exactly one entry.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "session/SessionFields.h"
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

namespace {
// The lines of a written file after its three header lines.
std::vector<std::string> BodyLines(const std::string& Content) {
  std::vector<std::string> Lines;
  std::istringstream In(Content);
  std::string L;
  for (int No = 1; std::getline(In, L); ++No) {
    if (!L.empty() && L.back() == '\r') L.pop_back();
    if (No > 3) Lines.push_back(L);
  }
  return Lines;
}
}  // namespace

TEST_F(SessionFieldFiles, EveryKeywordOfTheFilesHasExactlyOneEntryAtItsPlace) {
  FillSession(true);
  Session->WriteInputFiles();
  const struct {
    const char* File;
    TFieldFile Of;
  } Files[] = {{"KRLTI.TIM", TFieldFile::Timer},
               {"KRLSI.SIT", TFieldFile::Site},
               {"RUNOPT.DAT", TFieldFile::RunOptions}};
  size_t Written = 0;
  for (const auto& F : Files) {
    SCOPED_TRACE(F.File);
    const std::vector<std::string> Lines = BodyLines(RunFile(F.File));
    EXPECT_EQ(Lines.size(), SessionFieldsOf(F.Of).size());
    for (size_t i = 0; i < Lines.size(); ++i) {
      const std::string Key = Lines[i].substr(0, Lines[i].find(' '));
      int Entries = 0;
      for (const TSessionField& E : SessionFields()) Entries += Key == E.Keyword;
      EXPECT_EQ(Entries, 1) << Key;
      const TSessionField* E = FindSessionField(Key);
      ASSERT_NE(E, nullptr) << Key;
      EXPECT_EQ(E->File, F.Of) << Key;
      EXPECT_EQ(E->Place, int(i + 1)) << Key;
    }
    Written += Lines.size();
  }
  // No entry that no file has.
  EXPECT_EQ(Written, SessionFields().size());
}

TEST_F(SessionFieldFiles, WriteThenReadGivesBackEveryField) {
  for (bool Option2 : {false, true}) {
    SCOPED_TRACE(Option2 ? "rainfall file" : "no rainfall file");
    Session->Reset();
    FillSession(Option2);
    std::vector<std::string> Before;
    std::vector<long double> Numbers;
    for (const TSessionField& F : SessionFields()) {
      Before.push_back(F.ValueText(*Session));
      Numbers.push_back(F.Number ? F.Number(*Session) : 0);
    }
    Session->WriteInputFiles();
    Session->Reset();
    Session->Read(Session->FileManager().KRLWerkFullName());
    for (size_t i = 0; i < SessionFields().size(); ++i) {
      const TSessionField& F = SessionFields()[i];
      EXPECT_EQ(F.ValueText(*Session), Before[i]) << F.Keyword;
      if (F.IsRead() && F.Number) {
        EXPECT_NEAR(double(F.Number(*Session)), double(Numbers[i]), 1e-9) << F.Keyword;
      }
    }
  }
}

TEST(SessionFieldTable, LookupsAndNames) {
  ASSERT_NE(FindSessionField("ssmax"), nullptr);
  EXPECT_STREQ(FindSessionField("ssmax")->Keyword, "SSMAX");
  EXPECT_EQ(FindSessionField("NOSUCH"), nullptr);
  const TSessionField* Exact = FindSessionField("Soil", "&Maximum surface storage (cm):");
  ASSERT_NE(Exact, nullptr);
  EXPECT_STREQ(Exact->Keyword, "SSMAX");
  EXPECT_EQ(FindSessionField("Soil", "Maximum surface storage (cm)"), Exact);
  EXPECT_EQ(FindSessionField("Timer", "Maximum surface storage (cm)"), nullptr);
  EXPECT_EQ(FindSessionField("Timer", ""), nullptr);
  const TSessionField* Groups = FindSessionField("General", "Number of successive production levels");
  ASSERT_NE(Groups, nullptr);
  EXPECT_STREQ(Groups->Keyword, "IPRODL");
  // A control shows one field; a field on a page has a caption and a control.
  for (const TSessionField& F : SessionFields()) {
    SCOPED_TRACE(F.Keyword);
    EXPECT_EQ(*F.Page == 0, *F.Caption == 0);
    EXPECT_EQ(*F.Page == 0, *F.Control == 0);
    EXPECT_TRUE(F.IsText() ? F.Text != nullptr : F.Number != nullptr);
    for (const TSessionField& G : SessionFields())
      if (&F != &G && *F.Control) {
        EXPECT_STRNE(F.Control, G.Control);
      }
  }
}
