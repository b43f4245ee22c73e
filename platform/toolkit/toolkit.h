// The window toolkit's services to the game: the yield to the event loop,
// message boxes, the millisecond clock, the random generator, the program's
// folder and the pointer.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Message box styles and answers.
constexpr int vbOKOnly = 0;
constexpr int vbCritical = 16;
constexpr int vbOK = 1;

// Takes the pending events, runs their handlers and repaints what changed.
// With no events pending it waits for them a little: about 1 ms when the
// clock was read since the last yield (the caller may be timing something),
// longer otherwise.
void DoEvents();
// The same, for a loop that runs until the clock reaches `deadline`: the
// wait for events may last until then.
void DoEvents(int32_t deadline);

// Shows a modal message box with an OK button; an empty title shows the
// application's title.
int MsgBox(const std::string& prompt, int style = vbOKOnly, const std::string& title = "");
constexpr const char* kAppTitle = "KWTA";

// Milliseconds since an arbitrary start, as a signed 32-bit count.
int32_t timeGetTime();

// Seeds the generator from the system timer; Rnd gives the next number in [0, 1).
void Randomize();
void Randomize(double seed);
float Rnd();

// The folder of the executable, without a trailing separator.
std::string AppPath();

struct POINT {
  int32_t x = 0, y = 0;
};
int ShowCursor(bool show);
bool GetCursorPos(POINT& p);
constexpr int MOUSEEVENTF_MOVE = 0x0001;
constexpr int MOUSEEVENTF_ABSOLUTE = 0x8000;
// Moves the pointer; with MOUSEEVENTF_ABSOLUTE, dx and dy are 0..65535 across
// the primary screen.
void mouse_event(int flags, int dx, int dy, int data = 0, int extra = 0);

}  // namespace platform
