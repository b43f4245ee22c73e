// A DirectPlay-like session layer: connection methods, sessions, players and
// typed messages. Failures are raised as platform::Error.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr int DPCONNECTION_DIRECTPLAY = 1;

class DirectPlayEnumConnections {
 public:
  explicit DirectPlayEnumConnections(std::vector<std::string> names) : names_(std::move(names)) {}
  int GetCount() const { return static_cast<int>(names_.size()); }
  // 1-based; an item outside 1..count raises an error.
  std::string GetName(int index) const;
  std::string GetAddress(int index) const;

 private:
  std::vector<std::string> names_;
};

class DirectPlay4 {
 public:
  std::shared_ptr<DirectPlayEnumConnections> GetDPEnumConnections(const std::string& guid,
                                                                  int flags);
};

}  // namespace platform
