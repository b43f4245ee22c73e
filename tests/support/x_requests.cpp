#include "support/x_requests.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace kwinta::testing {

void MakeXRequest(XRequest request, const std::string& windowId) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return;
  ::Window window = std::strtoul(windowId.c_str(), nullptr, 16);
  if (request == XRequest::SendEvent) {
    XEvent wake{};
    wake.xclient.type = ClientMessage;
    wake.xclient.window = window;
    wake.xclient.format = 32;
    XSendEvent(display, window, False, NoEventMask, &wake);
  } else {
    XMapWindow(display, window);
  }
  XSync(display, False);
  XCloseDisplay(display);
}

}  // namespace kwinta::testing
