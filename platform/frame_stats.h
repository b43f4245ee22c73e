// Figures for the benchmark that plays a whole match: one line per frame the
// game starts, with the process's CPU time and running counts of window
// redraws, canvas renders and pointer re-centrings. Off unless the
// environment variable KWINTA_FRAME_STATS names a file to append to; off, each
// call is one test of a flag.
#pragma once

#include <cstdint>

namespace platform::stats {

// A frame, or a timed wait, of `periodMs` starts at `clockMs` of the game's
// millisecond clock.
void FrameStarted(int32_t clockMs, int32_t periodMs);
void WindowRedrawn();
// A window's frame was handed to the display; the first one is written down
// with the time of CLOCK_MONOTONIC, the clock std::chrono::steady_clock reads,
// so that a benchmark can tell how long the program took to show itself.
void FramePresented();
void CanvasRendered();
void PointerHomed();

}  // namespace platform::stats
