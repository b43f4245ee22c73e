#include "platform/directx7.h"

#include "platform/backend.h"

namespace platform {

std::shared_ptr<DirectSound> DirectX7::DirectSoundCreate(const std::string& /*guid*/) {
  return std::make_shared<DirectSound>(backend().CreateSoundDevice());
}

int DirectX7::SystemBpp() {
  return backend().SystemBpp();
}

std::shared_ptr<DirectPlay4> DirectX7::DirectPlayCreate(const std::string& /*guid*/) {
  return std::make_shared<DirectPlay4>();
}

}  // namespace platform
