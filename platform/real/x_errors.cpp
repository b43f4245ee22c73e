#include "platform/real/x_errors.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstring>

namespace platform::real {

namespace {

// Whoever handled X errors before us: SDL's own handler, which hands them on
// to Xlib's, which ends the process.
XErrorHandler previousXErrorHandler = nullptr;

// While SDL waits for events it wakes itself with a message sent to the
// window it waits on, through a connection of its own. When the program has
// just destroyed that window, the X server refuses the message and the
// refusal comes back later on that connection: harmless, since the window is
// gone, but Xlib's handler would end the program for it. Any other error is
// a real fault and goes on to the handler before us.
int PassOverSendsToGoneWindows(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousXErrorHandler ? previousXErrorHandler(display, error) : 0;
}

}  // namespace

void PassOverErrorsOfGoneWindows() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr || std::strcmp(driver, "x11") != 0) return;
  XErrorHandler before = XSetErrorHandler(PassOverSendsToGoneWindows);
  if (before != PassOverSendsToGoneWindows) previousXErrorHandler = before;
}

}  // namespace platform::real
