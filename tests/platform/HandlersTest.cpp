#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <new>

#include "foundations/Errors.h"
#include "platform/Handlers.h"
#include "platform/Shell.h"
#include "support/TestSupport.h"

TEST(Handlers, ErrorBoxAddsAFullStopAfterText) {
  EXPECT_EQ(ErrorBoxText("Failed"), "Failed.");
  EXPECT_EQ(ErrorBoxText("Failed."), "Failed.");
  EXPECT_EQ(ErrorBoxText("Failed!"), "Failed!");
  EXPECT_EQ(ErrorBoxText("name 'x' "), "name 'x' ");
  EXPECT_EQ(ErrorBoxText("1/2"), "1/2.");
  EXPECT_EQ(ErrorBoxText(""), "");

  TScriptedMessages Boxes;
  Boxes.Expect(TMsgKind::Error, "It broke.");
  EXPECT_FALSE(GuardedCall([] { throw EKvError("It broke"); }));
  EXPECT_EQ(Boxes.Shown().back().Title, "KORVAL Control Zudezo");
  EXPECT_TRUE(GuardedCall([] {}));
  Boxes.Expect(TMsgKind::Error);
  EXPECT_FALSE(GuardedCall([] { throw std::bad_alloc(); }));
  EXPECT_EQ(Boxes.Shown().back().Text.rfind("There is not enough free memory for this.", 0), 0u);
}

// The desktop's opener is asked and its verdict waited for: an opener that
// finds no application for the file is a failure the caller can tell the
// user about, not a silent success.
TEST(Handlers, OpeningADocumentReportsAnOpenerThatFails) {
  TTempDir T;
  const std::string Doc = T.Write("book.xlsx", "x");
  const std::string OldPath = getenv("PATH") ? getenv("PATH") : "";
  struct {
    const char* Script;
    int Code;
  } Cases[] = {{"exit 3", ShellCode::NoAssociation}, {"exit 0", ShellCode::Ok}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Script);
    T.Write("bin/xdg-open", std::string("#!/bin/sh\n") + C.Script + "\n");
    chmod((T / "bin/xdg-open").c_str(), 0755);
    setenv("PATH", (T / "bin").c_str(), 1);
    const int Code = PosixOpenDocument(Doc);
    setenv("PATH", OldPath.c_str(), 1);
    EXPECT_EQ(Code, C.Code);
  }
  setenv("PATH", (T / "nowhere").c_str(), 1);
  EXPECT_EQ(PosixOpenDocument(Doc), ShellCode::NoAssociation);
  setenv("PATH", OldPath.c_str(), 1);
}
