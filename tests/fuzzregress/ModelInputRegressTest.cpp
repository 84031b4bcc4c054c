// Inputs that showed faults in the model's readers, kept as regression
// cases (found while building the fuzz corpora and by fuzzing).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ModelInput.h"
#include "model/Weather.h"
#include "support/TestSupport.h"

// The control centre writes a data file's description line before the file's
// name, with the separator of the name's line: after the last variable of a
// rerun that is a blank. The description line must not end the rerun, or the
// file name would start a rerun of its own without a name.
TEST(ModelRerunFile, DescriptionLineBeforeTheLastFileNameKeepsTheRerunOpen) {
  TTempDir T;
  const std::string File =
      T.Write("KRLRR.RER",
              "** File        : ..\\RUNIO\\KRLRR.RER\r\n"
              "RUNNAM='KRL1';\r\nIDEM=100 \r\n"
              "RUNNAM='KRL2';\r\nIDEM=120;\r\nSOLNAM='Clay, heavy' \r\nSOFILE='CLAY.SOL' \r\n"
              "RUNNAM='KRL3';\r\nCRPNAM='Spring barley';\r\nCRFILE='SBARLEY.CRP';\r\nIDEM=130 \r\n\r\n");
  const std::vector<TRerun> Runs = ReadRerunFile(File, "KORRER");
  ASSERT_EQ(Runs.size(), 3u);
  EXPECT_EQ(Runs[1].Name, "KRL2");
  EXPECT_EQ(Runs[1].Values.at("SOFILE"), "CLAY.SOL");
  EXPECT_EQ(Runs[1].Values.at("SOLNAM"), "Clay, heavy");
  EXPECT_EQ(Runs[2].Name, "KRL3");
  EXPECT_EQ(Runs[2].Values.at("CRFILE"), "SBARLEY.CRP");
  EXPECT_EQ(Runs[2].Values.at("IDEM"), "130");
}

// A year or day column that passes the number test but fits no counter (the
// fuzzer's rainfall file had a year of 1.97e60) is an input error, not a
// conversion beyond the range of int.
TEST(ModelWeatherFiles, YearAndDayMustBeWholeNumbers) {
  TTempDir T;
  struct {
    const char* Line;
    bool Rain;
  } Cases[] = {
      {"1.97e60 1 0.4", true},
      {"1971 -4e12 0.4", true},
      {"1971 1.5 0.4", true},
      {" 1 1.97e60   1  3372.  -9.0  -2.7  0.28  2.5  0.0", false},
      {" 1 1981  1e300  3372.  -9.0  -2.7  0.28  2.5  0.0", false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Line);
    const std::string File =
        T.Write(C.Rain ? "RAIN.DAT" : "STN1.981",
                std::string(C.Rain ? "** KRLFORMAT=99\r\n" : " 5.0 52.0 10.0\r\n") + C.Line + "\r\n");
    try {
      if (C.Rain)
        ReadRainFile(File);
      else
        ReadWeatherYear(File, 1981);
      ADD_FAILURE() << C.Line << ": accepted";
    } catch (const EModelError& E) {
      ASSERT_FALSE(E.Lines().empty());
      EXPECT_NE(E.Lines()[0].find("year and day must be whole numbers"), std::string::npos) << E.Lines()[0];
    }
  }
}
