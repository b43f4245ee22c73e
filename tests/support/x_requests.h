// Requests the tests make of the X server on a connection of their own, as a
// library inside the program might: Xlib's names clash with the toolkit's,
// so only x_requests.cpp sees them.
#pragma once

#include <string>

namespace kwinta::testing {

enum class XRequest {
  SendEvent,  // a client message, as SDL sends to wake itself
  MapWindow,
};

// Makes `request` on the window with X id `windowId` ("0x..."), through a
// connection opened here, and waits until the server has answered it; an
// error goes to whatever X error handler the process has.
void MakeXRequest(XRequest request, const std::string& windowId);

}  // namespace kwinta::testing
