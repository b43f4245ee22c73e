#include "platform/play/play.h"

#include "platform/backend.h"
#include "platform/error.h"

namespace platform {

std::string DirectPlayEnumConnections::GetName(int index) const {
  if (index < 1 || index > GetCount()) throw Error("no such connection method");
  return names_[index - 1];
}

std::string DirectPlayEnumConnections::GetAddress(int index) const {
  return GetName(index);
}

std::shared_ptr<DirectPlayEnumConnections> DirectPlay4::GetDPEnumConnections(
    const std::string& /*guid*/, int /*flags*/) {
  return std::make_shared<DirectPlayEnumConnections>(backend().ConnectionMethods());
}

}  // namespace platform
