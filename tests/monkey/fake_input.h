// The pointer and keyboard as a person would use them, through the XTEST
// extension, and the window manager's close request. Remembers what it holds
// down, so that nothing stays pressed into the next start of the game.
#pragma once

#include <X11/Xlib.h>

#include <set>

namespace kwinta::monkey {

class FakeInput {
 public:
  static bool Available(Display* display);
  explicit FakeInput(Display* display);

  void MoveTo(int x, int y);
  void Button(int button, bool down);
  void Key(KeySym key, bool down);
  // What a window manager sends when its close box is pressed.
  void Close(::Window window);
  void ReleaseAll();

 private:
  Display* display_;
  std::set<int> buttons_;
  std::set<KeySym> keys_;
};

}  // namespace kwinta::monkey
