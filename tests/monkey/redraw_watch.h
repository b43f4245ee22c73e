// When the game last drew any of its windows, seen through the X DAMAGE
// extension: every swap of a window's OpenGL buffers, and every part of one
// shown on its own (llvmpipe puts the image with XPutImage), damages the
// window. The game draws each shown window at least once a second even when
// nothing changes, so a long quiet while one is mapped means it is stuck.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <map>
#include <vector>

#include "monkey/game_windows.h"

namespace kwinta::monkey {

using Clock = std::chrono::steady_clock;

class RedrawWatch {
 public:
  // False when the server has no DAMAGE extension.
  static bool Available(Display* display);
  explicit RedrawWatch(Display* display);
  RedrawWatch(const RedrawWatch&) = delete;
  RedrawWatch& operator=(const RedrawWatch&) = delete;

  // Watches these windows (all of the game's, mapped or not) from now on and
  // forgets the others: a destroyed window's damage object went with it, and
  // one kept across an unmap and a map again sees the drawing after it.
  void Watch(const std::vector<GameWindow>& windows);
  // Takes one event; true when it was a redraw of a watched window.
  bool Take(const XEvent& event);

  // How long no watched window has been drawn while one was mapped; the
  // quiet starts again when a window is mapped after none was.
  Clock::duration Quiet() const;
  Clock::duration LongestQuiet() const { return longest_; }
  long Redraws() const { return count_; }

 private:
  void Note();

  Display* display_;
  int eventBase_ = 0;
  std::map<::Window, Damage> damages_;
  bool mapped_ = false;
  Clock::time_point since_ = Clock::now();
  Clock::duration longest_{};
  long count_ = 0;
};

}  // namespace kwinta::monkey
