// A Windows-Sockets-like layer for the host address lookup: start with a
// version report, the local host name, name resolution, release. The system's
// layer runs on the POSIX calls; tests put their own in place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct WSADATA {
  uint16_t wVersion = 0;  // major version in the low byte, minor in the high byte
  uint16_t wHighVersion = 0;
  std::string szDescription;
  std::string szSystemStatus;
  int16_t iMaxSockets = 0;
  uint16_t iMaxUdpDg = 0;
};

// What a resolve returns. Each entry of h_addr_list holds the bytes of one
// address, h_length of them for a well-formed record.
struct HOSTENT {
  std::string h_name;
  int16_t h_addrtype = 0;
  int16_t h_length = 0;
  std::vector<std::vector<uint8_t>> h_addr_list;
};

constexpr int SOCKET_ERROR = -1;

class Sockets {
 public:
  virtual ~Sockets() = default;
  // 0 on success; fills `data`.
  virtual int WSAStartup(uint16_t versionRequested, WSADATA& data) = 0;
  // Writes the NUL-terminated host name into `name` (at most `length` bytes);
  // SOCKET_ERROR on failure.
  virtual int gethostname(char* name, int length) = 0;
  // The error code of the last failed call.
  virtual int WSAGetLastError() = 0;
  // The record of `name`, kept by the layer until the next call; null on
  // failure.
  virtual const HOSTENT* gethostbyname(const std::string& name) = 0;
  // 0 on success.
  virtual int WSACleanup() = 0;
};

// The layer in use: the system's unless a test has put another in place.
Sockets& sockets();
// Puts `s` in place; null brings back the system's.
void UseSockets(std::unique_ptr<Sockets> s);
std::unique_ptr<Sockets> SystemSockets();

}  // namespace platform
