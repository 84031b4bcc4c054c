#pragma once
// Detailed output files made by the bundled model, for the graph and water
// balance tests and the chart benchmark: a session is set up in a sample
// program home (which the caller has laid out, see support/SampleHome.h) and
// run through krlcmd without a terminal. Header-only, so that a benchmark can
// use it without the test support library.

#include <filesystem>
#include <memory>
#include <string>

#include "../support/SampleHome.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvses.h"

struct TModelRunOptions {
  int FirstYear = 1980;
  int Years = 1;
  int Reruns = 1;            // runs KRL1, KRL2, ...
  bool Groundwater = false;  // a water table with drains
  int Balance = 3;           // 0 none, 1 whole system, 2 root zone, 3 both
};

// Runs the model on the sample session (spring barley on loam at station
// north, production levels 1 and 2) with the given years, reruns,
// groundwater and balances; answers the path of the detailed output file,
// empty when the run did not succeed. The session and the catalogues exist
// only during the call; boxes the run shows are answered by the handler
// installed here for that time.
inline std::string RunSampleModel(const TModelRunOptions& O) {
  const std::string Bin = GetExecPath();
  if (!LoadVarCatalogue(Bin + "KRL_VAR.csv")) return {};
  auto OldMsg = SetMessageHandler([](const TMessage&) { return TMsgResult::Ok; });
  SetShellWindowless(true);
  std::string Result;
  TKvSession* const Before = TheSession;
  {
    auto Session = std::make_unique<TKvSession>();
    TheSession = Session.get();
    Session->Reset();
    BuildDataCatalogue();
    ChooseSampleSession(*Session);
    Session->Weather().SetYear(O.FirstYear);
    Session->Weather().SetConsecutiveYears(O.Years);
    Session->General().SetSummarySeasonalSoilWaterBalance(O.Balance);
    if (O.Groundwater) {
      Session->Hydrology().SetGroundwater(1);
      Session->Hydrology().SetDrainage(1);
    }
    if (O.Reruns > 1) {
      TKvRerun& R = Session->Rerun();
      R.SetUseReRuns(true);
      for (int i = 1; i < O.Reruns; ++i) R.AddRerun();
    }
    if (RunSession() == TRunOutcome::Successful)
      Result = std::filesystem::absolute(MapFileName(Session->FileManager().OutFullName())).string();
    TheSession = Before;
  }
  FreeDataCatalogue();
  FreeVarCatalogue();
  SetShellWindowless(false);
  SetMessageHandler(OldMsg);
  return Result;
}
