#include "platform/sound/sound.h"

namespace platform {

std::shared_ptr<DirectSoundBuffer> DirectSound::CreateSoundBufferFromFile(const std::string& path,
                                                                          DSBUFFERDESC& /*desc*/,
                                                                          WAVEFORMATEX& format) {
  return device_->LoadBuffer(path, format);
}

}  // namespace platform
