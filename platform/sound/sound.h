// DirectSound-like sound: a device, one buffer per sound file, played once or
// looping. Every failure is raised as platform::Error at the call that fails.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Buffer description and wave format passed to every load; the program never
// reads what the load writes into the format.
struct DSBUFFERDESC {
  int32_t lFlags = 0;
  int32_t lBufferBytes = 0;
};
struct WAVEFORMATEX {
  int16_t nFormatTag = 0;
  int16_t nChannels = 0;
  int32_t lSamplesPerSec = 0;
  int32_t lAvgBytesPerSec = 0;
  int16_t nBlockAlign = 0;
  int16_t nBitsPerSample = 0;
};

constexpr int DSBPLAY_DEFAULT = 0;  // once
constexpr int DSBPLAY_LOOPING = 1;
constexpr int DSSCL_PRIORITY = 2;

class DirectSoundBuffer {
 public:
  virtual ~DirectSoundBuffer() = default;
  // A buffer that is already playing goes on playing; only the looping
  // flag of a new start counts.
  virtual void Play(int flags) = 0;
  virtual void Stop() = 0;
};

// What a back end implements.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  virtual void SetCooperativeLevel(int64_t hwnd, int level) = 0;
  virtual std::shared_ptr<DirectSoundBuffer> LoadBuffer(const std::string& path,
                                                        WAVEFORMATEX& format) = 0;
};

class DirectSound {
 public:
  explicit DirectSound(std::unique_ptr<SoundDevice> device) : device_(std::move(device)) {}
  void SetCooperativeLevel(int64_t hwnd, int level) { device_->SetCooperativeLevel(hwnd, level); }
  std::shared_ptr<DirectSoundBuffer> CreateSoundBufferFromFile(const std::string& path,
                                                               DSBUFFERDESC& desc,
                                                               WAVEFORMATEX& format);

 private:
  std::unique_ptr<SoundDevice> device_;
};

}  // namespace platform
