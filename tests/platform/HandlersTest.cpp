#include <gtest/gtest.h>

#include "foundations/Errors.h"
#include "platform/Handlers.h"
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
}
