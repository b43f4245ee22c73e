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

}  // namespace
}  // namespace kwinta::testing
