#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "foundations/Errors.h"
#include "output/OutSum.h"
#include "output/OutputLayout.h"
#include "support/TestSupport.h"

namespace {
std::string Pad8(const std::string& W) {
  const std::string P = W.size() < 8 ? std::string(8 - W.size(), ' ') + W : W;
  return P.substr(0, 16);
}

void ExpectRow(const TOutputLine& L, const layout::TWords& W, const std::string& What) {
  for (size_t k = 0; k < 25; ++k)
    EXPECT_EQ(L.Value(static_cast<int>(k + 1)), k < W.size() ? Pad8(W[k]) : "") << What << " slot " << k + 1;
}

std::string Text(const layout::TSumFile& F, const char* Eol = "\r\n") {
  std::ostringstream Os;
  layout::WriteSumFile(Os, F, Eol);
  return Os.str();
}

// Reads the summary files of OutputFile in a child process that may use 1 GB
// and 10 seconds at most, and exits with 0 when all three are read as empty.
// AddressSanitizer reserves far more address space than the limit allows;
// built with it, the alarm alone bounds the reading.
[[noreturn]] void ReadEmptyAndExit(const std::string& OutputFile) {
#if !defined(__SANITIZE_ADDRESS__)
  const rlimit Memory{1ul << 30, 1ul << 30};
  setrlimit(RLIMIT_AS, &Memory);
#endif
  alarm(10);
  TSummaryOutput S;
  S.ReadOutputFiles(OutputFile);
  std::exit(S.PotentialOutputList.Count() + S.WaterLimitedOutputList.Count() + S.Summary.Years.Count() == 0
                ? 0
                : 1);
}

std::string LongTermText(const std::vector<layout::TWords>& Rows) {
  std::ostringstream Os;
  layout::WriteLongTerm(Os, Rows);
  return Os.str();
}
}  // namespace

TEST(SummaryOutput, FileNamesFollowTheDetailedFile) {
  EXPECT_EQ(SummaryFileName("C:\\KRL\\OUTPUT\\KRL.OUT", "pps"), "C:\\KRL\\OUTPUT\\KRL.pps");
  EXPECT_EQ(SummaryFileName("/x/KRL.OUT", "sum"), "/x/KRL.sum");
  EXPECT_EQ(SummaryFileName("ab", "wps"), "wps");
}

// The three files laid out as the bundled model writes them read back into
// the values written.
TEST(SummaryOutput, RoundTripOverTheModelLayout) {
  for (bool Rain3 : {false, true})
    for (const char* Eol : {"\r\n", "\n"}) {
      TTempDir Dir;
      const std::vector<std::string> Runs = {"KRL1", "RUN2", "RUN3"};
      layout::TSumFile Pot = layout::MakeSumFile(false, Runs, 1987, 3);
      layout::TSumFile Wat = layout::MakeSumFile(true, Runs, 1987, 2);
      Pot.ThreeLineRain = Wat.ThreeLineRain = Rain3;
      const std::vector<layout::TWords> LongTerm = layout::MakeLongTerm(Runs);
      Dir.Write("KRL.pps", Text(Pot, Eol));
      Dir.Write("KRL.wps", Text(Wat, Eol));
      Dir.Write("KRL.sum", LongTermText(LongTerm));
      TSummaryOutput S;
      S.ReadOutputFiles(Dir / "KRL.OUT");
      const layout::TBlock H;
      for (int f = 0; f < 2; ++f) {
        const layout::TSumFile& F = f ? Wat : Pot;
        const std::string What = std::string(f ? "wps" : "pps") + (Rain3 ? " rain3" : "");
        ASSERT_EQ(f ? S.WaterLimitedOutputList.Count() : S.PotentialOutputList.Count(), 3) << What;
        for (int r = 0; r < 3; ++r) {
          const TPotentialOutputSum& Run =
              f ? *S.WaterLimitedOutputList.Objects(r) : *S.PotentialOutputList.Objects(r);
          const layout::TSumRun& E = F.Runs[r];
          EXPECT_EQ((f ? S.WaterLimitedOutputList.Strings(r) : S.PotentialOutputList.Strings(r)), E.RunName);
          EXPECT_EQ(Run.RunName, E.RunName) << What;
          if (r == 0) {
            EXPECT_EQ(Run.WeatherName, H.WeatherName) << What;
            EXPECT_EQ(Run.WeatherFile, H.WeatherFile) << What;
            EXPECT_EQ(Run.RainName, Rain3 ? "Rain station north, 1980" : "weather data file") << What;
            EXPECT_EQ(Run.RainFile, Rain3 ? H.RainFile : "") << What;
            EXPECT_EQ(Run.CropName, H.CropName) << What;
            EXPECT_EQ(Run.CropFile, H.CropFile) << What;
            EXPECT_EQ(Run.SoilName, H.SoilName) << What;
            EXPECT_EQ(Run.SoilFile, H.SoilFile) << What;
            EXPECT_EQ(Run.Groundwater, "groundwater: no, free drainage") << What;
          } else {
            EXPECT_EQ(Run.WeatherName + Run.WeatherFile + Run.RainName + Run.RainFile + Run.CropName +
                          Run.CropFile + Run.SoilName + Run.SoilFile + Run.Groundwater,
                      "")
                << What;
          }
          EXPECT_EQ(Run.FNrOfYears, static_cast<int>(E.Rows.size())) << What;
          ASSERT_EQ(Run.Years.Count(), static_cast<int>(E.Rows.size())) << What;
          for (size_t y = 0; y < E.Rows.size(); ++y) {
            EXPECT_EQ(Run.Years.Strings(static_cast<int>(y)), E.Rows[y][0]);
            ExpectRow(*Run.Years.Objects(static_cast<int>(y)), E.Rows[y], What);
          }
          ExpectRow(Run.Summary[0], E.Means, What + " means");
          ExpectRow(Run.Summary[1], E.Deviations, What + " deviations");
          ExpectRow(Run.Summary[2], E.Variations, What + " variations");
        }
      }
      ASSERT_EQ(S.Summary.Years.Count(), static_cast<int>(LongTerm.size()));
      for (size_t i = 0; i < LongTerm.size(); ++i) {
        EXPECT_EQ(S.Summary.Years.Strings(static_cast<int>(i)), LongTerm[i][0]);
        ExpectRow(*S.Summary.Years.Objects(static_cast<int>(i)), LongTerm[i], "sum");
      }
    }
}

TEST(SummaryOutput, MissingAndBrokenFilesLeaveTheirListEmpty) {
  TTempDir Dir;
  const std::vector<std::string> Runs = {"KRL1", "RUN2"};
  // Only the water-limited file.
  Dir.Write("A.wps", Text(layout::MakeSumFile(true, Runs, 1990, 2)));
  TSummaryOutput A;
  A.ReadOutputFiles(Dir / "A.out");
  EXPECT_EQ(A.PotentialOutputList.Count(), 0);
  EXPECT_EQ(A.WaterLimitedOutputList.Count(), 2);
  EXPECT_EQ(A.Summary.Years.Count(), 0);

  // Directories in place of the files, a row of 26 values in the potential
  // file, no "OUTPUT" line in the water-limited one.
  Dir.MakeDir("B.pps");
  Dir.MakeDir("B.sum");
  Dir.Write("B.wps", "**KORVAL\n 1990 KRL1 1 2 3\n");
  Dir.MakeDir("C.sum");
  std::string Pot = Text(layout::MakeSumFile(false, Runs, 1990, 2));
  Pot.insert(Pot.find("**\r\n"),
             " 1999 X 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26\r\n");
  Dir.Write("C.pps", Pot);
  for (const std::string Name : {"B.out", "C.out"}) {
    TSummaryOutput S;
    S.ReadOutputFiles(Dir / Name);
    EXPECT_EQ(S.PotentialOutputList.Count(), 0) << Name;
    EXPECT_EQ(S.WaterLimitedOutputList.Count(), 0) << Name;
    EXPECT_EQ(S.Summary.Years.Count(), 0) << Name;
  }

  // A row of 26 values in the long-term table reaches the caller.
  std::vector<layout::TWords> Rows = layout::MakeLongTerm(Runs);
  while (Rows[1].size() < 26) Rows[1].push_back("x");
  Dir.Write("D.sum", LongTermText(Rows));
  TSummaryOutput D;
  EXPECT_THROW(D.ReadOutputFiles(Dir / "D.out"), ERangeError);
  EXPECT_EQ(D.Summary.Years.Count(), 1);
}

// A named pipe or a device in place of a summary file is not read: it would
// stop the program at the opening or give text without end.
TEST(SummaryOutput, OnlyRegularFilesAreRead) {
  TTempDir Dir;
  ASSERT_EQ(mkfifo((Dir / "P.pps").c_str(), 0600), 0);
  ASSERT_EQ(symlink("/dev/zero", (Dir / "P.wps").c_str()), 0);
  ASSERT_EQ(symlink("/dev/zero", (Dir / "P.sum").c_str()), 0);
  EXPECT_EXIT(ReadEmptyAndExit(Dir / "P.OUT"), ::testing::ExitedWithCode(0), "");
  ASSERT_EQ(mkfifo((Dir / "Q.sum").c_str(), 0600), 0);
  EXPECT_EXIT(ReadEmptyAndExit(Dir / "Q.OUT"), ::testing::ExitedWithCode(0), "");
}

TEST(SummaryOutput, YearRowsAndStatistics) {
  TTempDir Dir;
  // 30 different years, one of them on two rows.
  layout::TSumFile F = layout::MakeSumFile(false, {"KRL1", "RUN2"}, 1961, 30);
  F.Runs[0].Rows.insert(F.Runs[0].Rows.begin() + 3, F.Runs[0].Rows[3]);
  std::string Pot = Text(F, "\n");
  // The second run's rows end in a blank line instead of "**": no statistics.
  const size_t Second = Pot.find("\n**\n", Pot.find("**KORVAL", 10));
  Pot.replace(Second, 4, "\n\n");
  Pot += "\n\n\n";  // blank lines at the end make no further run
  Dir.Write("K.pps", Pot);
  // The water-limited file: the first run lacks its "MEANS" line before the
  // next run starts.
  layout::TSumFile W = layout::MakeSumFile(true, {"KRL1", "RUN2"}, 1990, 2);
  std::string Wat = Text(W, "\n");
  const size_t Means = Wat.find("MEANS");
  Wat.replace(Means, 5, "means");
  Dir.Write("K.wps", Wat + "\n\n");
  TSummaryOutput S;
  S.ReadOutputFiles(Dir / "K.OUT");
  ASSERT_EQ(S.PotentialOutputList.Count(), 2);
  const TPotentialOutputSum& First = *S.PotentialOutputList.Objects(0);
  EXPECT_EQ(First.Years.Count(), 31);
  EXPECT_EQ(First.FNrOfYears, 30);
  EXPECT_EQ(First.Summary[0].Value(1), Pad8(F.Runs[0].Means[0]));
  const TPotentialOutputSum& Next = *S.PotentialOutputList.Objects(1);
  EXPECT_EQ(Next.FNrOfYears, 30);
  EXPECT_EQ(Next.Summary[0].Count() + Next.Summary[1].Count() + Next.Summary[2].Count(), 0);
  ASSERT_EQ(S.WaterLimitedOutputList.Count(), 2);
  const TWaterLimitedOutputSum& W1 = *S.WaterLimitedOutputList.Objects(0);
  EXPECT_EQ(W1.Summary[0].Count() + W1.Summary[1].Count() + W1.Summary[2].Count(), 0);
  const TWaterLimitedOutputSum& W2 = *S.WaterLimitedOutputList.Objects(1);
  EXPECT_EQ(W2.RunName, "RUN2");
  EXPECT_EQ(W2.Years.Count(), 2);
  EXPECT_EQ(W2.Summary[2].Value(1), Pad8(W.Runs[1].Variations[0]));
}

// Files cut after every line read without crashing, and never hold more runs
// than the whole file.
TEST(SummaryOutput, TruncatedFiles) {
  TTempDir Dir;
  const std::vector<std::string> Runs = {"KRL1", "RUN2"};
  const std::string Pot = Text(layout::MakeSumFile(false, Runs, 1990, 2));
  const std::string Wat = Text(layout::MakeSumFile(true, Runs, 1990, 2));
  const std::string Sum = LongTermText(layout::MakeLongTerm(Runs));
  for (size_t i = 0; i <= Pot.size() || i <= Wat.size(); ++i) {
    if (i % 5 != 0 && Pot[std::min(i, Pot.size() - 1)] != '\n') continue;
    Dir.Write("T.pps", Pot.substr(0, i));
    Dir.Write("T.wps", Wat.substr(0, i));
    Dir.Write("T.sum", Sum.substr(0, i));
    TSummaryOutput S;
    S.ReadOutputFiles(Dir / "T.out");
    EXPECT_LE(S.PotentialOutputList.Count(), 2);
    EXPECT_LE(S.WaterLimitedOutputList.Count(), 2);
    EXPECT_LE(S.Summary.Years.Count(), 4);
  }
}
