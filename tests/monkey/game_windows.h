// The game's own top-level windows on the X screen, found by the process id
// that SDL puts on each of them (_NET_WM_PID).
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace kwinta::monkey {

struct GameWindow {
  ::Window id = 0;
  std::string name;
  int x = 0, y = 0, width = 0, height = 0;  // on the screen
  bool mapped = false;

  // Mapped with room to draw in: a window a person could see.
  bool Shown() const { return mapped && width > 0 && height > 0; }
};

// Every window of process `pid`, mapped or not, from the bottom of the
// stacking order to the top. Windows that vanish while they are read are left
// out; the X errors that brings are the caller's handler's to pass over.
std::vector<GameWindow> WindowsOf(Display* display, pid_t pid);

}  // namespace kwinta::monkey
