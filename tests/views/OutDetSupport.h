#pragma once
// Support of the result window tests (detailed and summary output): a program
// home with a session whose output directory the windows read, and output
// files written by the bundled model (run once per kind of session and test
// program) or by hand.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "../output/OutputLayout.h"
#include "WinTestSupport.h"
#include "catalogue/KvMenu.h"
#include "catalogue/KvRerun.h"
#include "catalogue/KvRerunTable.h"
#include "platform/FileSys.h"
#include "platform/Shell.h"
#include "session/KvRun.h"
#include "session/Kvfm.h"
#include "session/Kvgen.h"
#include "session/Kvhyd.h"
#include "session/Kvses.h"
#include "support/SampleHome.h"

// What a session of the bundled model is asked for.
struct TModelRunSpec {
  int Years = 2;   // from 1980
  int Reruns = 1;  // named KRL1, KRL2, ...
  bool Groundwater = false;
  int Balance = 3;  // 0 none, 1 whole system, 2 root zone, 3 both
  int Levels = 3;   // production levels
  std::string Key() const {
    return std::to_string(Years) + "/" + std::to_string(Reruns) + "/" + std::to_string(Groundwater) + "/" +
           std::to_string(Balance) + "/" + std::to_string(Levels);
  }
};

// The output files of one run of the model.
struct TModelFiles {
  std::string Out, Pps, Wps, Sum;
};

// Runs the bundled model (through the program's own run: input files,
// run.bat, krlcmd) in a fresh sample home; once per spec and test program.
inline const TModelFiles& ModelFiles(const TModelRunSpec& Spec) {
  static std::map<std::string, TModelFiles> Done;
  const auto Found = Done.find(Spec.Key());
  if (Found != Done.end()) return Found->second;

  TKvSession* const OldSession = TheSession;
  const std::string OldExec = GetExecPath();
  TModelFiles Files;
  {
    TSampleHome Home;
    SetShellWindowless(true);
    EXPECT_TRUE(LoadVarCatalogue(Home.Bin() + "KRL_VAR.csv"));
    auto Session = std::make_unique<TKvSession>();
    TheSession = Session.get();
    Session->Reset();
    BuildDataCatalogue();
    ChooseSampleSession(*Session);
    Session->Weather().SetConsecutiveYears(Spec.Years);
    Session->General().SetProductionLevels(Spec.Levels);
    Session->General().SetSummarySeasonalSoilWaterBalance(Spec.Balance);
    Session->Hydrology().SetGroundwater(Spec.Groundwater ? 1 : 0);
    if (Spec.Reruns > 1) {
      Session->Rerun().SetUseReRuns(true);
      for (int r = 1; r < Spec.Reruns; ++r) Session->Rerun().AddRerun();
    }
    {
      TScriptedMessages Boxes;
      Boxes.Expect(TMsgKind::Information, "Simulation successful");
      EXPECT_EQ(RunSession(), TRunOutcome::Successful);
    }
    const auto Read = [&](const char* Name) {
      const std::string P = MapFileName(Home.Path(std::string("output/") + Name));
      return FileExists(P) ? ReadFileBytes(P) : std::string();
    };
    Files = {Read("KRL.OUT"), Read("KRL.PPS"), Read("KRL.WPS"), Read("KRL.SUM")};
    TheSession = nullptr;
    Session.reset();
    FreeDataCatalogue();
    SetShellWindowless(false);
  }
  TheSession = OldSession;
  SetExecPath(OldExec);
  InvalidateDirCache();
  EXPECT_FALSE(Files.Out.empty()) << "the model wrote no output";
  return Done.emplace(Spec.Key(), Files).first->second;
}

// A program home (without the programs) with the session the windows use;
// its output directory starts empty.
class TResultHome {
 public:
  TResultHome() {
    EXPECT_TRUE(LoadVarCatalogue(std::string(KRL_SOURCE_DIR) + "/data/bin/KRL_VAR.csv"));
    FSession = std::make_unique<TKvSession>();
    TheSession = FSession.get();
    FSession->Reset();
  }
  ~TResultHome() {
    TheSession = nullptr;
    FSession.reset();
    FreeVarCatalogue();
    InvalidateDirCache();
  }
  TKvSession& Session() const { return *FSession; }
  std::string Output(const std::string& Name) const { return FHome.Dir() / ("output/" + Name); }
  void Write(const std::string& Name, const std::string& Text) const {
    FHome.Dir().Write("output/" + Name, Text);
    InvalidateDirCache();
  }
  void Put(const TModelFiles& F) const {
    for (const auto& [Name, Text] : {std::pair<const char*, const std::string&>{"KRL.OUT", F.Out},
                                     {"KRL.pps", F.Pps},
                                     {"KRL.wps", F.Wps},
                                     {"KRL.sum", F.Sum}})
      if (!Text.empty()) Write(Name, Text);
  }
  const TTempDir& Dir() const { return FHome.Dir(); }

 private:
  TProgramHome FHome;
  std::unique_ptr<TKvSession> FSession;
};

// The text of a hand-made detailed output file.
inline std::string DetailedText(const layout::TSession& S) {
  std::ostringstream Os;
  layout::WriteSession(Os, S);
  return Os.str();
}

// The items of a selector.
inline QStringList Items(const QComboBox* C) {
  QStringList L;
  for (int i = 0; i < C->count(); ++i) L << C->itemText(i);
  return L;
}

// Chooses item Index of a selector as the user does (the choice is reported).
inline void Choose(QComboBox* C, int Index) {
  C->setCurrentIndex(Index);
  emit C->activated(Index);
}

inline QString LabelText(const QWidget* Parent, const char* Name) {
  const QLabel* L = Find<QLabel>(Parent, Name);
  return L ? L->text() : QString();
}
