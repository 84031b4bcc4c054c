// The rerun variable catalogue: reading KRL_VAR.csv, lookups, and the
// validation and formatting rules of one variable.
#include <gtest/gtest.h>

#include "catalogue/KvRerun.h"
#include "foundations/Errors.h"
#include "platform/FileSys.h"
#include "support/TestSupport.h"

namespace {

const char* const Header = "name,min,max,type,file,meaning";

class VarCatalogueTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeVarCatalogue(); }
  std::string WriteCsv(const std::string& Content) { return Dir.Write("KRL_VAR.csv", Content); }
  TTempDir Dir;
};

TEST_F(VarCatalogueTest, ReadsFieldsNamesAndRanges) {
  WriteCsv(std::string(Header) + "\r\n" +
           "IDEM,0,365,I,TD,day of emergence\r\n"
           "\r\n"  // skipped
           "TOOLONGNAME,1.5,x,Real,CropFile,meaning, with a comma,extra\r\n"
           "RUNNAM,,,C,TD, run name ,\r\n");  // trailing comma dropped
  EXPECT_TRUE(LoadVarCatalogue(Dir / "KRL_VAR.csv"));
  ASSERT_EQ(VarCatalogue.Count(), 3);

  const TRerunVar* Idem = VarCatalogue.Objects(0);
  EXPECT_EQ(VarCatalogue.Strings(0), "IDEM");
  EXPECT_EQ(Idem->Description(), "IDEM");
  EXPECT_EQ(Idem->VarType(), "I");
  EXPECT_EQ(Idem->FileType(), "TD");
  EXPECT_EQ(Idem->Meaning(), "day of emergence");
  EXPECT_EQ(Idem->Min(), 0);
  EXPECT_EQ(Idem->Max(), 365);
  EXPECT_TRUE(Idem->Value().empty());

  // Names, types and file codes are cut; a field that is no number gives 0;
  // fields after the sixth are ignored (the meaning cannot hold a comma).
  const TRerunVar* Long = VarCatalogue.Objects(1);
  EXPECT_EQ(VarCatalogue.Strings(1), "TOOLON");
  EXPECT_EQ(Long->VarType(), "Re");
  EXPECT_EQ(Long->FileType(), "Cr");
  EXPECT_EQ(Long->Meaning(), "meaning");
  EXPECT_EQ(Long->Min(), 1.5);
  EXPECT_EQ(Long->Max(), 0);

  EXPECT_EQ(VarCatalogue.Objects(2)->Meaning(), " run name ");

  // Lookups ignore letter case and use the stored (cut) name.
  EXPECT_EQ(GetVarMax("idem"), 365);
  EXPECT_EQ(GetVarMin("toolon"), 1.5L);
  EXPECT_EQ(FindCatalogueVar("TOOLONGNAME"), nullptr);
}

TEST_F(VarCatalogueTest, LineEndsAndByteOrderMarks) {
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  auto Utf16 = [](const std::string& Ascii, bool BigEndian) {
    std::string Out = BigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char C : Ascii) {
      Out += BigEndian ? std::string(1, '\0') + C : std::string(1, C) + '\0';
    }
    return Out;
  };
  const std::string Body = "IDEM,1,2,I,TD,x\nINYRG,1,100,I,TD,runs";
  std::string Cr = std::string(Header) + "\r" + Body + "\r";
  for (char& C : Cr)
    if (C == '\n') C = '\r';
  // "Wärme" (U+00E4) in UTF-16 becomes its UTF-8 bytes.
  std::string Le = Utf16(std::string(Header) + "\r\n" + Body + ",W", false) + std::string("\xE4\0rme", 5);
  std::string Be =
      Utf16(std::string(Header) + "\r\n" + Body + ",W", true) + std::string("\0\xE4\0r\0m\0e", 8);
  const TCase Cases[] = {
      {"LF", std::string(Header) + "\n" + Body + "\n"},
      {"CR LF", std::string(Header) + "\r\n" + Body},
      {"CR", Cr},
      {"UTF-8 mark", "\xEF\xBB\xBF" + std::string(Header) + "\n" + Body + ",W\xC3\xA4rme"},
      {"UTF-16 LE", Le},
      {"UTF-16 BE", Be},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    WriteCsv(C.Bytes);
    ASSERT_TRUE(LoadVarCatalogue(Dir / "KRL_VAR.csv"));
    ASSERT_EQ(VarCatalogue.Count(), 2);
    EXPECT_EQ(VarCatalogue.Strings(0), "IDEM");
    EXPECT_EQ(VarCatalogue.Strings(1), "INYRG");
    EXPECT_EQ(VarCatalogue.Objects(1)->Max(), 100);
    // The marked files carry a seventh field in their last line: ignored.
    EXPECT_EQ(VarCatalogue.Objects(1)->Meaning(), "runs");
  }
}

TEST_F(VarCatalogueTest, DecodesUtf16MeaningToUtf8Bytes) {
  std::string Le = "\xFF\xFE";
  for (char C : std::string(Header) + "\nIDEM,1,2,I,TD,W") Le += std::string(1, C) + '\0';
  Le += std::string("\xE4\0", 2) + std::string("\x3D\xD8\x00\xDE", 4);  // ä and U+1F600
  WriteCsv(Le);
  ASSERT_TRUE(LoadVarCatalogue(Dir / "KRL_VAR.csv"));
  ASSERT_EQ(VarCatalogue.Count(), 1);
  EXPECT_EQ(VarCatalogue.Objects(0)->Meaning(), "W\xC3\xA4\xF0\x9F\x98\x80");
}

TEST_F(VarCatalogueTest, ShortLineStopsTheLoadKeepingEarlierEntries) {
  WriteCsv(std::string(Header) + "\r\nIDEM,0,365,I,TD,day\r\nIDSOW,0,365,I,TD,\r\nIDAYEN,0,365,I,TD,end\r\n");
  try {
    LoadVarCatalogue(Dir / "KRL_VAR.csv");
    FAIL() << "no error";
  } catch (const EPlainError& E) {
    EXPECT_STREQ(E.what(), "error in csv-file line 3: Range check error ");
  }
  ASSERT_EQ(VarCatalogue.Count(), 1);
  EXPECT_EQ(VarCatalogue.Strings(0), "IDEM");
}

TEST_F(VarCatalogueTest, HeaderOnlyEmptyFileAndMissingFile) {
  WriteCsv(Header);
  EXPECT_TRUE(LoadVarCatalogue(Dir / "KRL_VAR.csv"));
  EXPECT_EQ(VarCatalogue.Count(), 0);
  WriteCsv("");
  EXPECT_TRUE(LoadVarCatalogue(Dir / "KRL_VAR.csv"));
  EXPECT_EQ(VarCatalogue.Count(), 0);
  EXPECT_THROW(LoadVarCatalogue(Dir / "nothing.csv"), EInOutError);
  Dir.MakeDir("adir.csv");
  EXPECT_THROW(LoadVarCatalogue(Dir / "adir.csv"), EInOutError);
}

TEST_F(VarCatalogueTest, LoadsFromTheCurrentDirectoryAndReplacesTheOldCatalogue) {
  TCurrentDirGuard Guard;
  WriteCsv(std::string(Header) + "\nIDEM,0,365,I,TD,day\n");
  SetCurrentDir(Dir.Path());
  ASSERT_TRUE(LoadVarCatalogue());
  ASSERT_TRUE(LoadVarCatalogue());
  EXPECT_EQ(VarCatalogue.Count(), 1);
}

TEST_F(VarCatalogueTest, MissingVariableShowsOneMessageForItsMinimum) {
  WriteCsv(std::string(Header) + "\nIDEM,5,365,I,TD,day\nIDEM,7,9,I,TD,second\n");
  LoadVarCatalogue(Dir / "KRL_VAR.csv");
  TScriptedMessages Msgs;
  Msgs.Expect(TMsgKind::Plain, "not found: NOSUCH");
  EXPECT_EQ(GetVarMin("NOSUCH"), 0);
  EXPECT_EQ(GetVarMax("NOSUCH"), 0);  // silent
  EXPECT_EQ(GetVarMin("Idem"), 5);    // the first of equal names
  EXPECT_EQ(Msgs.Shown().size(), 1u);
}

TEST(SplitCsvLineTest, Fields) {
  using V = std::vector<std::string>;
  const std::pair<std::string, V> Cases[] = {
      {"", V{}},
      {"a", V{"a"}},
      {"a,", V{"a"}},
      {"a,,", V{"a", ""}},
      {",", V{""}},
      {",a", V{"", "a"}},
      {"a,,b", V{"a", "", "b"}},
      {" a , b ", V{" a ", " b "}},
  };
  for (const auto& C : Cases) EXPECT_EQ(SplitCsvLine(C.first), C.second) << "'" << C.first << "'";
}

TRerunVar MakeVar(const std::string& Name, const std::string& Type, double Min, double Max,
                  const std::string& Value) {
  TRerunVar V;
  V.SetDescription(Name);
  V.SetVarType(Type);
  V.SetMin(Min);
  V.SetMax(Max);
  V.SetValue(Value);
  return V;
}

TEST(RerunVarTest, Valid) {
  struct TCase {
    const char* Name;
    const char* Type;
    double Min, Max;
    const char* Value;
    bool Valid;
  };
  const TCase Cases[] = {
      {"IDEM", "I", 1, 10, "10", true},
      {"IDEM", "I", 1, 10, "+10", true},
      {"IDEM", "I", 1, 10, "1", true},
      {"IDEM", "I", 1, 10, "11", false},
      {"IDEM", "I", 1, 10, "0", false},
      {"IDEM", "I", 1, 10, "1.5", false},
      {"IDEM", "I", 1, 10, "", false},
      {"X", "R", 0, 1, "0.5", true},
      {"X", "R", 0, 1, "1", true},
      {"X", "R", 0, 1, "1.0000001", false},
      {"X", "R", 0, 1, "-0.0000001", false},
      {"X", "R", 0, 1, "abc", false},
      {"X", "R", 0.1, 0.3, "0.1", true},  // a bound admits its own text
      {"X", "R", 0.1, 0.3, "0.3", true},
      {"RUNNAM", "C", 0, 0, "ABCDEF", true},
      {"RUNNAM", "C", 0, 0, "ABCDEFG", false},
      {"runnam", "C", 0, 0, "ABCDEFG", false},
      {"CRPNAM", "C", 0, 0, "ABCDEFGHIJKL", true},
      {"CRPNAM", "C", 0, 0, "ABCDEFGHIJKLM", false},
      {"CRPNAM", "C", 0, 0, "", false},
      {"S", "SD", 0, 100, "0,10,2.5,50", true},
      {"S", "SD", 0, 100, "0,10,3.5,50", false},
      {"S", "SD", 0, 100, "0,10,1,150", false},
      {"S", "SD", 0, 100, "0,10,1", true},
      {"S", "SD", 0, 100, "7", true},
      {"S", "SD", 0, 100, "0,10,abc,20", true},
      {"S", "SD", 0, 100, "3.0000005,100.0000005", true},  // tolerance
      {"S", "SD", 0, 100, "", false},                      // empty: not valid
      {"S", "ST", 0, 1, "-10,1", true},
      {"S", "ST", 0, 1, "50,1", true},
      {"S", "ST", 0, 1, "-10.5,1", false},
      {"S", "SP", 0, 1, " 4.2 , 1 ", true},
      {"S", "SP", 0, 1, "4.3,1", false},
      {"S", "SX", 0, 1, "0,1", true},
      {"S", "SX", 0, 1, "0.5,1", false},
      {"S", "S", 0, 1, "0.5,1", false},
      {"Z", "Q", 0, 0, "anything", true},
      {"Z", "", 0, 0, "anything", true},
      {"Z", "", 0, 0, "", false},
  };
  for (const TCase& C : Cases) {
    const TRerunVar V = MakeVar(C.Name, C.Type, C.Min, C.Max, C.Value);
    EXPECT_EQ(V.Valid(), C.Valid) << C.Name << " " << C.Type << " '" << C.Value << "'";
  }
  // An empty table passes the table rule itself.
  EXPECT_TRUE(MakeVar("S", "SD", 0, 1, "").ValidSet());
}

TEST(RerunVarTest, FormatValueAndFormattedValue) {
  const struct {
    const char* Type;
    const char* Value;
    const char* Formatted;
    const char* ForModel;
  } Cases[] = {
      {"I", "+10", "10", "10"},    {"I", "007", "7", "7"},        {"R", "1", "1.0", "1.0"},
      {"R", "-3", "-3.0", "-3.0"}, {"R", "0.25", "0.25", "0.25"}, {"C", "KRL1", "KRL1", "'KRL1'"},
      {"SD", "0,1", "0,1", ""},    {"Q", "x", "x", ""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(std::string(C.Type) + " " + C.Value);
    TRerunVar V = MakeVar("V", C.Type, 0, 100, C.Value);
    V.FormatValue();
    EXPECT_EQ(V.Value(), C.Formatted);
    EXPECT_EQ(V.GetFormatValue(), C.ForModel);
  }
  TRerunVar Bad = MakeVar("V", "I", 0, 1, "1.5");
  EXPECT_THROW(Bad.FormatValue(), EConvertError);
}

TEST(RerunVarTest, CutsAndCopy) {
  TRerunVar V = MakeVar("ABCDEFGH", "IXY", -1.5, 2.5, "7");
  V.SetFileType("TDX");
  V.SetMeaning("the meaning");
  EXPECT_EQ(V.Description(), "ABCDEF");
  EXPECT_EQ(V.VarType(), "IX");
  EXPECT_EQ(V.FileType(), "TD");
  const std::unique_ptr<TRerunVar> Copy = V.GetCopy();
  V.SetValue("8");
  EXPECT_EQ(Copy->Description(), "ABCDEF");
  EXPECT_EQ(Copy->Meaning(), "the meaning");
  EXPECT_EQ(Copy->VarType(), "IX");
  EXPECT_EQ(Copy->FileType(), "TD");
  EXPECT_EQ(Copy->Value(), "7");
  EXPECT_EQ(Copy->Min(), -1.5);
  EXPECT_EQ(Copy->Max(), 2.5);
}

}  // namespace
