#include "platform/real/x_errors.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>

namespace platform::real {

namespace {

// Whoever handled X errors before us: Xlib's own handler, which ends the
// process. SDL's handler, installed over ours, hands every error on to us.
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
  XErrorHandler before = XSetErrorHandler(PassOverSendsToGoneWindows);
  if (before != PassOverSendsToGoneWindows) previousXErrorHandler = before;
}

}  // namespace platform::real
