// The summary output reader: the potential (.pps), water-limited (.wps) and
// long-term (.sum) summary files of a session, read as the summary window
// reads them.
//
// Input: up to three files separated by the byte 0x1E, in the order .pps,
// .wps, .sum; the files the input does not reach are missing.

#include "output/OutSum.h"

#include <set>
#include <string>

#include "FuzzSupport.h"
#include "foundations/Errors.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  FuzzQuietHandlers();
  return 0;
}

int FuzzOne(const uint8_t* Data, size_t Size) {
  static const char* const Names[] = {"KRL.pps", "KRL.wps", "KRL.sum"};
  const std::vector<std::string> Parts = FuzzParts(Data, Size, 3);
  TFileSnapshot Snap;
  for (size_t i = 0; i < 3; ++i) {
    if (i < Parts.size())
      FuzzWrite(Names[i], Parts[i]);
    else
      FuzzRemove(Names[i]);
    Snap.Add(FuzzDir() + Names[i]);
  }

  TSummaryOutput S;
  try {
    S.ReadOutputFiles(FuzzDir() + "KRL.OUT");
  } catch (const ERangeError& E) {
    // A long-term row of more than 25 values reaches the caller.
    FUZZ_CHECK(!E.Message().empty());
  }
  auto CheckRuns = [](const auto& List) {
    for (const auto& Item : List) {
      const TPotentialOutputSum& Run = *Item.Obj;
      FUZZ_CHECK(Item.Str == Run.RunName);
      std::set<std::string> Years;
      for (const auto& Y : Run.Years) Years.insert(Y.Str);
      FUZZ_CHECK(Run.FNrOfYears == static_cast<int>(Years.size()));
    }
  };
  CheckRuns(S.PotentialOutputList);
  CheckRuns(S.WaterLimitedOutputList);
  Snap.Check();
  return 0;
}
