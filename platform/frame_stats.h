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
void CanvasRendered();
void PointerHomed();

}  // namespace platform::stats
