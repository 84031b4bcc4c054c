// The core test programs' main: GoogleTest with the handlers that fail a test
// on anything it did not script.

#include <gtest/gtest.h>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new TFailOnUnscripted);
  return RUN_ALL_TESTS();
}
