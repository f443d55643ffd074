// The platform tests' main: either one of the child routines that a test
// started in a second process, or the tests.
#include <gtest/gtest.h>

#include "tests/platform/child_process.h"

int main(int argc, char** argv) {
  int exit_code = 0;
  if (tav::testing::RunChildRoutineIfAsked(argc, argv, &exit_code))
    return exit_code;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
