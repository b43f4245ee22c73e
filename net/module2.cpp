// The host address lookup (Module2) and the button that shows its result.
#include "net/module2.h"

#include <cstring>
#include <vector>

#include "app/frmNewNet.h"
#include "platform/error.h"
#include "platform/sockets/sockets.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta {

namespace {

constexpr uint16_t WS_VERSION_REQD = 0x0101;  // 1.1: major in the low byte
constexpr int MIN_SOCKETS_REQD = 1;
constexpr int kHostNameLength = 256;

// The old Str$ of a number: one leading space unless it is negative.
std::string Str(int32_t n) {
  return n >= 0 ? " " + std::to_string(n) : std::to_string(n);
}

// Spaces off both ends, as Trim does.
std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

uint8_t HiByte(uint16_t wParam) {
  return static_cast<uint8_t>(wParam >> 8);
}
uint8_t LoByte(uint16_t wParam) {
  return static_cast<uint8_t>(wParam & 0xFF);
}

bool SocketsInitialize() {
  platform::WSADATA WSAD;
  if (platform::sockets().WSAStartup(WS_VERSION_REQD, WSAD) != 0) {
    platform::MsgBox("The 32-bit Windows Socket is not responding.", platform::vbOKOnly);
    return false;
  }
  if (WSAD.iMaxSockets < MIN_SOCKETS_REQD) {
    platform::MsgBox("This application requires a minimum of " + std::to_string(MIN_SOCKETS_REQD) +
                         " supported sockets.",
                     platform::vbOKOnly);
    return false;
  }
  const uint8_t major = LoByte(WSAD.wVersion);
  const uint8_t minor = HiByte(WSAD.wVersion);
  if (!(major > 1 || (major == 1 && minor >= 1))) {
    platform::MsgBox("Sockets version " + std::to_string(major) + "." + std::to_string(minor) +
                         " is not supported by 32-bit Windows Sockets.",
                     platform::vbOKOnly);
    return false;
  }
  return true;
}

void SocketsCleanup() {
  if (platform::sockets().WSACleanup() != 0) {
    platform::MsgBox("Socket error occurred in Cleanup.", platform::vbOKOnly);
  }
}

std::string GetIPAddress() {
  platform::Sockets& ws = platform::sockets();
  if (!SocketsInitialize()) return "";

  std::vector<char> sHostName(kHostNameLength, '\0');
  if (ws.gethostname(sHostName.data(), kHostNameLength) == platform::SOCKET_ERROR) {
    platform::MsgBox("Windows Sockets error " + Str(ws.WSAGetLastError()) +
                         " has occurred. Unable to successfully get Host Name.",
                     platform::vbOKOnly);
    SocketsCleanup();
    return "";
  }
  sHostName.back() = '\0';
  const std::string name = Trim(std::string(sHostName.data(), std::strlen(sHostName.data())));

  const platform::HOSTENT* lpHost = ws.gethostbyname(name);
  if (lpHost == nullptr) {
    platform::MsgBox(std::string("Windows Sockets are not responding. ") +
                         "Unable to successfully get Host Name.",
                     platform::vbOKOnly);
    SocketsCleanup();
    return "";
  }

  // The record, its first address and that address's h_length bytes.
  const platform::HOSTENT HOST = *lpHost;
  if (HOST.h_addr_list.empty()) throw platform::Error("the host record lists no address");
  const std::vector<uint8_t>& first = HOST.h_addr_list.front();
  if (HOST.h_length < 0 || static_cast<size_t>(HOST.h_length) > first.size()) {
    throw platform::Error("the host record's address is shorter than its length");
  }
  std::string sIPAddr;
  for (int16_t i = 0; i < HOST.h_length; ++i) sIPAddr += std::to_string(first[i]) + ".";
  // Dropping the trailing "." of an empty text is an error, as Left(s, -1) is.
  if (sIPAddr.empty()) throw platform::Error("the host record's address is empty");
  sIPAddr.pop_back();

  SocketsCleanup();
  return sIPAddr;
}

void NewNetWindow::Command8_Click() {
  if (MatchRunning()) return;
  std::string ip;
  try {
    ip = GetIPAddress();
    if (ip != "127.0.0.1") {
      // After a failed lookup ("") the lookup's own message has been shown.
      if (!ip.empty()) {
        platform::MsgBox("Your IP address is: " + ip, platform::vbOKOnly, "IP Address:");
      }
      return;
    }
  } catch (const platform::Error&) {
  }
  platform::MsgBox(
      "An error occurred while attempting to locate IP address.  Please make sure that you are "
      "connected to a LAN or the Internet.",
      platform::vbCritical, "Error:");
}

}  // namespace kwinta
