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

  // Opens the play window in `mode` and stops at the match's first yield, when
  // the scene is built, the first possession has started and the first frame
  // has begun; or, with `atFirstRender`, right after the scene was built.
  VorletWindow& OpenPlayWindow(const std::string& mode = "Computer", bool sceneryOn = true,
                               bool atFirstRender = false) {
    state().NumRounds = 5;
    state().SoundOn = false;
    state().SceneryOn = sceneryOn;
    state().GameMode = mode;
    struct FirstYield {};
    auto previousYield = b->onYield;
    auto previousRender = b->onCanvasRender;
    (atFirstRender ? b->onCanvasRender : b->onYield) = [] { throw FirstYield{}; };
    try {
      frmVorlet().Show();
    } catch (const FirstYield&) {
    }
    b->onYield = previousYield;
    b->onCanvasRender = previousRender;
    return frmVorlet();
  }

  platform::test::TestBackend* b = nullptr;
};

}  // namespace kwinta::testing
