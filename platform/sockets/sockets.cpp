#include "platform/sockets/sockets.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

bool IsLoopback(const std::vector<uint8_t>& a) {
  return a.size() == 4 && a[0] == 127;
}

// The POSIX calls behind the Windows Sockets steps.
class PosixSockets : public Sockets {
 public:
  int WSAStartup(uint16_t versionRequested, WSADATA& data) override {
    // Everything up to 2.2 is on offer; the version agreed is the one asked for.
    const uint8_t major = versionRequested & 0xFF, minor = versionRequested >> 8;
    const bool above = major > 2 || (major == 2 && minor > 2);
    data.wVersion = above ? 0x0202 : versionRequested;
    data.wHighVersion = 0x0202;
    data.szDescription = "POSIX sockets";
    data.szSystemStatus = "Running";
    rlimit limit{};
    long most = 32767;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
      most = std::min<long>(most, static_cast<long>(limit.rlim_cur));
    }
    data.iMaxSockets = static_cast<int16_t>(most);
    data.iMaxUdpDg = 65467;
    return 0;
  }

  int gethostname(char* name, int length) override {
    if (name == nullptr || length <= 0) {
      error_ = EINVAL;
      return SOCKET_ERROR;
    }
    if (::gethostname(name, static_cast<size_t>(length)) != 0) {
      error_ = errno;
      return SOCKET_ERROR;
    }
    name[length - 1] = '\0';
    return 0;
  }

  int WSAGetLastError() override { return error_; }

  // The name's IPv4 addresses in the resolver's order. When this machine's
  // own host name resolves only to loopback (as Debian's 127.0.1.1 entry
  // makes it), the machine's addresses are those of its network interfaces
  // that are up, and 127.0.0.1 alone when it has none.
  const HOSTENT* gethostbyname(const std::string& name) override {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (rc != 0 || list == nullptr) {
      error_ = rc == EAI_SYSTEM ? errno : 11001;  // "host not found"
      return nullptr;
    }
    HOSTENT h;
    h.h_name = name;
    h.h_addrtype = AF_INET;
    h.h_length = 4;
    for (addrinfo* p = list; p != nullptr; p = p->ai_next) {
      const auto* in = reinterpret_cast<const sockaddr_in*>(p->ai_addr);
      const auto* b = reinterpret_cast<const uint8_t*>(&in->sin_addr.s_addr);
      std::vector<uint8_t> bytes(b, b + 4);
      if (std::find(h.h_addr_list.begin(), h.h_addr_list.end(), bytes) == h.h_addr_list.end()) {
        h.h_addr_list.push_back(bytes);
      }
    }
    freeaddrinfo(list);
    if (IsOwnName(name) && std::all_of(h.h_addr_list.begin(), h.h_addr_list.end(), IsLoopback)) {
      h.h_addr_list = InterfaceAddresses();
      if (h.h_addr_list.empty()) h.h_addr_list.push_back({127, 0, 0, 1});
    }
    record_ = h;
    return &record_;
  }

  int WSACleanup() override { return 0; }

 private:
  static bool IsOwnName(const std::string& name) {
    char own[256] = {};
    if (::gethostname(own, sizeof own - 1) != 0) return false;
    return name == own;
  }

  static std::vector<std::vector<uint8_t>> InterfaceAddresses() {
    std::vector<std::vector<uint8_t>> out;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (ifaddrs* p = list; p != nullptr; p = p->ifa_next) {
      if (p->ifa_addr == nullptr || p->ifa_addr->sa_family != AF_INET) continue;
      if ((p->ifa_flags & IFF_UP) == 0 || (p->ifa_flags & IFF_LOOPBACK) != 0) continue;
      const auto* in = reinterpret_cast<const sockaddr_in*>(p->ifa_addr);
      const auto* b = reinterpret_cast<const uint8_t*>(&in->sin_addr.s_addr);
      std::vector<uint8_t> bytes(b, b + 4);
      if (!IsLoopback(bytes) && std::find(out.begin(), out.end(), bytes) == out.end()) {
        out.push_back(bytes);
      }
    }
    freeifaddrs(list);
    return out;
  }

  int error_ = 0;
  HOSTENT record_;
};

std::unique_ptr<Sockets>& current() {
  static std::unique_ptr<Sockets> s;
  return s;
}

}  // namespace

std::unique_ptr<Sockets> SystemSockets() {
  return std::make_unique<PosixSockets>();
}

Sockets& sockets() {
  if (!current()) current() = SystemSockets();
  return *current();
}

void UseSockets(std::unique_ptr<Sockets> s) {
  current() = std::move(s);
}

}  // namespace platform
