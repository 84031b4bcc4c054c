// Inputs that showed faults in the model's readers, kept as regression
// cases (found while building the fuzz corpora and by fuzzing).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ModelInput.h"
#include "support/TestSupport.h"

// The control centre writes a data file's description line before the file's
// name, with the separator of the name's line: after the last variable of a
// rerun that is a blank. The description line must not end the rerun, or the
// file name would start a rerun of its own without a name.
TEST(ModelRerunFile, DescriptionLineBeforeTheLastFileNameKeepsTheRerunOpen) {
  TTempDir T;
  const std::string File = T.Write("KRLRR.RER",
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
