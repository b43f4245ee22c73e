// The millisecond clock is a signed 32-bit count that passes from its largest
// value to negative ones and, later, wraps: every wait still lasts its period.
#include <cstdint>
#include <limits>

#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

using ClockTest = GameTest;

TEST_F(ClockTest, ThePictureWaitLastsItsPeriodAcrossTheSignedBoundary) {
  VorletWindow& w = OpenPlayWindow();
  for (int32_t start : {std::numeric_limits<int32_t>::max() - 1000, int32_t(-1500), int32_t(5)}) {
    SCOPED_TRACE(start);
    b->now = start;
    const int64_t before = b->yields;
    w.MyDelay();
    EXPECT_EQ(b->yields - before, 3000);
    EXPECT_FALSE(w.InputBlocked);
  }
}

// A yield may wait for input: briefly while the caller reads the clock, up to
// the deadline of a timed wait, longer in a loop that waits for no time.
TEST_F(ClockTest, AYieldWaitsNoLongerThanItsCallerCanAfford) {
  VorletWindow& w = OpenPlayWindow();
  platform::DoEvents();  // forgets any earlier reading of the clock
  platform::DoEvents();
  EXPECT_EQ(10, b->lastWaitMs) << "nothing read the clock: an untimed wait";
  platform::timeGetTime();
  platform::DoEvents();
  EXPECT_EQ(1, b->lastWaitMs) << "the caller may be timing something";
  b->now = std::numeric_limits<int32_t>::max() - 2;
  w.FrameDeadline = static_cast<int32_t>(static_cast<uint32_t>(b->now) + 25u);
  platform::DoEvents(w.FrameDeadline);
  EXPECT_EQ(10, b->lastWaitMs);
  b->now = w.FrameDeadline - 4;
  platform::DoEvents(w.FrameDeadline);
  EXPECT_EQ(4, b->lastWaitMs) << "never past the deadline";
  b->now = w.FrameDeadline + 1;
  platform::DoEvents(w.FrameDeadline);
  EXPECT_EQ(0, b->lastWaitMs);
}

}  // namespace
}  // namespace kwinta::testing
