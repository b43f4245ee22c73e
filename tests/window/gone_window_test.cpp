// A window the program has destroyed can still be named in a request made
// through another X connection of the process (SDL wakes itself that way
// while it waits for events). The server's refusal of such a wake-up must not
// end the game; any other X error still does, loudly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>

#include "platform/real/real_backend.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/modal.h"
#include "platform/toolkit/toolkit.h"
#include "support/desktop.h"
#include "support/x_requests.h"

namespace kwinta::testing {
namespace {

class ShortLivedWindow : public platform::Form {
 public:
  ShortLivedWindow() : Form("frmShortLived") {}

 protected:
  void Design() override {
    caption = "Gone Window Test";
    clientWidth = 200;
    clientHeight = 100;
  }
};

// Shows a window, destroys it and returns its X id.
std::string IdOfADestroyedWindow() {
  ShortLivedWindow w;
  w.Show();
  auto box = WaitForWindow("Gone Window Test", 10);
  w.Unload();
  for (int i = 0; i < 20; ++i) platform::DoEvents();
  WaitForWindowGone("Gone Window Test", 3);
  return box ? box->id : "";
}

struct GoneWindowCase {
  const char* what;
  XRequest request;
  bool afterTheBackEndEnds;  // SDL's video has shut down when the error comes
  int exitStatus;
  const char* stderrMatches;
  const char* name;
};
void PrintTo(const GoneWindowCase& c, std::ostream* os) {
  *os << c.what;
}

class GoneWindowTest : public ::testing::TestWithParam<GoneWindowCase> {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no X display";
    // The child process starts the test afresh rather than forking a
    // process that holds X connections and SDL's threads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  }
};

TEST_P(GoneWindowTest, ARequestOnIt) {
  const GoneWindowCase& row = GetParam();
  EXPECT_EXIT(
      {
        platform::ResetToolkit();
        platform::UseBackend(platform::real::CreateBackend());
        std::string id = IdOfADestroyedWindow();
        if (id.empty()) std::_Exit(3);
        // A refusal still on its way when the game ends comes back after
        // SDL has put back the handler it found at its start.
        if (row.afterTheBackEndEnds) platform::UseBackend(nullptr);
        MakeXRequest(row.request, id);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(row.exitStatus), row.stderrMatches)
      << row.what;
}

INSTANTIATE_TEST_SUITE_P(
    RealBackend, GoneWindowTest,
    ::testing::Values(GoneWindowCase{"a wake-up sent to it is passed over", XRequest::SendEvent,
                                     false, 0, "", "SendEventIsPassedOver"},
                      GoneWindowCase{"a wake-up sent to it as the game ends is passed over",
                                     XRequest::SendEvent, true, 0, "",
                                     "SendEventAfterTheEndIsPassedOver"},
                      GoneWindowCase{"any other request on it still ends the program",
                                     XRequest::MapWindow, false, 1, "BadWindow",
                                     "MapWindowEndsTheProgram"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kwinta::testing
