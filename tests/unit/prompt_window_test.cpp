// The one-line prompt (the network address dialog of the real game).
#include "platform/toolkit/prompt_window.h"

#include <gtest/gtest.h>

#include "platform/test/test_backend.h"

namespace {

struct Answer {
  const char* name;
  const char* typed;
  bool pressOK;  // else Cancel
  const char* expected;
};

class PromptWindowTest : public ::testing::TestWithParam<Answer> {};

TEST_P(PromptWindowTest, ReturnsWhatWasTypedUnlessCancelled) {
  auto& b = platform::test::Install();
  platform::PromptWindow window("Locate Session", "Enter the host's address:");
  bool typed = false;
  b.onYield = [&] {
    if (!window.Visible()) return;
    ASSERT_TRUE(window.Answer.HasFocus());
    if (!typed) {
      b.Type(window.Answer, GetParam().typed);
      typed = true;
    } else if (std::string(GetParam().name) == "Enter") {
      b.Type(window.Answer, "\r");
    } else {
      b.Click(GetParam().pressOK ? window.OK : window.Cancel);
    }
  };
  EXPECT_EQ(window.Ask(), GetParam().expected);
  EXPECT_FALSE(window.Loaded());
  EXPECT_EQ(window.caption, "Locate Session");
}

INSTANTIATE_TEST_SUITE_P(Answers, PromptWindowTest,
                         ::testing::Values(Answer{"OK", "127.0.0.1", true, "127.0.0.1"},
                                           Answer{"Enter", "localhost", true, "localhost"},
                                           Answer{"Empty", "", true, ""},
                                           Answer{"Cancel", "127.0.0.1", false, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
