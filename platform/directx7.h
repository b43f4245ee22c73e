// The root object: it makes the sound device and the network object and
// tells the display depth.
#pragma once

#include <memory>
#include <string>

#include "platform/play/play.h"
#include "platform/sound/sound.h"

namespace platform {

class DirectX7 {
 public:
  // guid "" is the default device.
  std::shared_ptr<DirectSound> DirectSoundCreate(const std::string& guid);
  int SystemBpp();
  // guid "" binds no service provider yet.
  std::shared_ptr<DirectPlay4> DirectPlayCreate(const std::string& guid);
};

}  // namespace platform
