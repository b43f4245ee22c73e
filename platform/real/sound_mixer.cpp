// Sound through SDL_mixer: the audio device opened once, one mixer channel per
// loaded sound so that every sound can play over the others.
#include <SDL.h>
#include <SDL_mixer.h>

#include <vector>

#include "platform/error.h"
#include "platform/real/real_internal.h"

namespace platform::real {

namespace {

// The open audio device, shared by every device object and buffer; closed
// when the last of them goes.
class MixerSession {
 public:
  static std::shared_ptr<MixerSession> Get() {
    static std::weak_ptr<MixerSession> current;
    if (auto s = current.lock()) return s;
    auto s = std::shared_ptr<MixerSession>(new MixerSession());
    current = s;
    return s;
  }

  ~MixerSession() {
    Mix_HaltChannel(-1);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  int TakeChannel() {
    if (!free_.empty()) {
      int ch = free_.back();
      free_.pop_back();
      return ch;
    }
    if (next_ >= allocated_) {
      allocated_ *= 2;
      Mix_AllocateChannels(allocated_);
    }
    return next_++;
  }
  void GiveBack(int ch) { free_.push_back(ch); }

  // The mix every loaded sound is converted to, as the device took it.
  int frequency = 22050, channels = 1;

 private:
  MixerSession() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      throw Error(std::string("no sound device: ") + SDL_GetError());
    }
    // The mix runs at the rate and channels of the game's sound files, so
    // each sound is kept as the file holds it (a 44.1 kHz stereo copy would
    // take four times the memory, for the same sound); the system converts
    // the one mixed stream. 512 samples: 23 ms, as 1024 at 44.1 kHz.
    if (Mix_OpenAudio(frequency, AUDIO_S16SYS, channels, 512) != 0) {
      std::string why = Mix_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      throw Error("can't open the sound device: " + why);
    }
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    allocated_ = Mix_AllocateChannels(16);
  }

  int allocated_ = 16;
  int next_ = 0;
  std::vector<int> free_;
};

// SDL_mixer leaves a converted sound in the buffer it was converted in, which
// is several times the sound's size (16 times a mono 22 kHz file's for a
// 44.1 kHz stereo device); a copy of just the sound takes its place.
void KeepJustTheSound(Mix_Chunk& chunk) {
  if (!chunk.allocated || chunk.alen == 0) return;
  auto* sound = static_cast<Uint8*>(SDL_malloc(chunk.alen));
  if (sound == nullptr) return;
  SDL_memcpy(sound, chunk.abuf, chunk.alen);
  SDL_free(chunk.abuf);
  chunk.abuf = sound;
}

class MixerBuffer : public DirectSoundBuffer {
 public:
  MixerBuffer(std::shared_ptr<MixerSession> session, Mix_Chunk* chunk)
      : session_(std::move(session)), chunk_(chunk), channel_(session_->TakeChannel()) {}
  ~MixerBuffer() override {
    Mix_HaltChannel(channel_);
    Mix_FreeChunk(chunk_);
    session_->GiveBack(channel_);
  }

  void Play(int flags) override {
    // A sound still playing goes on; only a new start takes the flag.
    if (Mix_Playing(channel_) && Mix_GetChunk(channel_) == chunk_) return;
    int loops = (flags & DSBPLAY_LOOPING) ? -1 : 0;
    if (Mix_PlayChannel(channel_, chunk_, loops) < 0) {
      throw Error(std::string("can't play a sound: ") + Mix_GetError());
    }
  }

  void Stop() override { Mix_HaltChannel(channel_); }

 private:
  std::shared_ptr<MixerSession> session_;
  Mix_Chunk* chunk_;
  int channel_;
};

class MixerDevice : public SoundDevice {
 public:
  MixerDevice() : session_(MixerSession::Get()) {}

  void SetCooperativeLevel(int64_t /*hwnd*/, int /*level*/) override {}

  std::shared_ptr<DirectSoundBuffer> LoadBuffer(const std::string& path,
                                                WAVEFORMATEX& format) override {
    std::string native = path;
    for (char& ch : native) {
      if (ch == '\\') ch = '/';
    }
    Mix_Chunk* chunk = Mix_LoadWAV(native.c_str());
    if (chunk == nullptr) {
      throw Error("can't load the sound " + native + ": " + Mix_GetError());
    }
    KeepJustTheSound(*chunk);
    format.nFormatTag = 1;
    format.nChannels = static_cast<int16_t>(session_->channels);
    format.lSamplesPerSec = session_->frequency;
    format.nBitsPerSample = 16;
    format.nBlockAlign = static_cast<int16_t>(session_->channels * 2);
    format.lAvgBytesPerSec = session_->frequency * format.nBlockAlign;
    return std::make_shared<MixerBuffer>(session_, chunk);
  }

 private:
  std::shared_ptr<MixerSession> session_;
};

}  // namespace

std::unique_ptr<SoundDevice> OpenMixerDevice() {
  return std::make_unique<MixerDevice>();
}

}  // namespace platform::real
