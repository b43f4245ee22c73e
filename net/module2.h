// The host address lookup: this machine's address for the button "What's my
// IP address?", through the sockets layer.
#pragma once

#include <cstdint>
#include <string>

namespace kwinta {

// The dotted-decimal address of this machine, or "" when the lookup failed
// (after its own message box).
std::string GetIPAddress();
// Starts the sockets layer and checks its version and socket count.
bool SocketsInitialize();
void SocketsCleanup();
uint8_t HiByte(uint16_t wParam);
uint8_t LoByte(uint16_t wParam);

}  // namespace kwinta
