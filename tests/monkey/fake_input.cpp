#include "monkey/fake_input.h"

#include <X11/extensions/XTest.h>

#include <vector>

namespace kwinta::monkey {

bool FakeInput::Available(Display* display) {
  int event = 0, error = 0, major = 0, minor = 0;
  return XTestQueryExtension(display, &event, &error, &major, &minor);
}

FakeInput::FakeInput(Display* display) : display_(display) {}

void FakeInput::MoveTo(int x, int y) {
  XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
  XFlush(display_);
}

void FakeInput::Button(int button, bool down) {
  if (down ? !buttons_.insert(button).second : buttons_.erase(button) == 0) return;
  XTestFakeButtonEvent(display_, button, down, CurrentTime);
  XFlush(display_);
}

void FakeInput::Key(KeySym key, bool down) {
  KeyCode code = XKeysymToKeycode(display_, key);
  if (code == 0) return;
  if (down ? !keys_.insert(key).second : keys_.erase(key) == 0) return;
  XTestFakeKeyEvent(display_, code, down, CurrentTime);
  XFlush(display_);
}

void FakeInput::Close(::Window window) {
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window, False, NoEventMask, &e);
  XFlush(display_);
}

void FakeInput::ReleaseAll() {
  for (int b : std::vector<int>(buttons_.begin(), buttons_.end())) Button(b, false);
  for (KeySym k : std::vector<KeySym>(keys_.begin(), keys_.end())) Key(k, false);
}

}  // namespace kwinta::monkey
