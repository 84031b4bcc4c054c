#pragma once
// A copy of the sample program home with krlstudy beside the model, for the
// tests that run studies through the program as a user would.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "study/StudyCsv.h"
#include "study/StudyLaunch.h"
#include "support/SampleHome.h"
#include "support/TestSupport.h"

class TStudyHome {
 public:
  TStudyHome() {
    LaySampleHome(FDir.Path());
    // The sample working session, where the program reads it.
    for (const auto& F : std::filesystem::directory_iterator(FDir / "session"))
      std::filesystem::copy_file(F.path(), FDir / "runio/" + F.path().filename().string());
    std::filesystem::copy_file(std::filesystem::path(KRL_BUILD_DIR) / "bin" / "krlstudy", Bin() + "krlstudy");
  }
  std::string Root() const { return FDir.Path(); }
  std::string Bin() const { return FDir / "bin/"; }
  // Runs krlstudy with Args; Output gets what it printed on both channels.
  int Krlstudy(const std::vector<std::string>& Args, std::string& Output) const {
    std::vector<std::string> Argv = {Bin() + "krlstudy"};
    Argv.insert(Argv.end(), Args.begin(), Args.end());
    return RunProgram(Argv, Output, true);
  }
  std::string Write(const std::string& Rel, const std::string& Text) const { return FDir.Write(Rel, Text); }

 private:
  TTempDir FDir;
  TCurrentDirGuard FCwd;
};

// The records of a CSV text.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& Text) {
  std::vector<std::vector<std::string>> Rows;
  std::vector<std::string> F;
  size_t Pos = 0;
  int Line = 0;
  while (NextCsvRecord(Text, Pos, Line, F)) Rows.push_back(F);
  return Rows;
}
