// A fresh process for each test: the test back end, the shared state and
// every window made anew.
#pragma once

#include <gtest/gtest.h>

#include "app/state.h"
#include "app/windows.h"
#include "platform/error.h"
#include "platform/test/test_backend.h"

namespace kwinta::testing {

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindows();
    ResetState();
    b = &platform::test::Install();
  }
  void TearDown() override {
    ResetWindows();
    ResetState();
  }

  // Loads the start-up window as the program does; false when it ended the process.
  bool StartProgram() {
    try {
      frmNewNet().Show();
      return true;
    } catch (const platform::EndOfProcess&) {
      return false;
    }
  }

  platform::test::TestBackend* b = nullptr;
};

}  // namespace kwinta::testing
