// Sound buffers that write each play and stop into the test back end's sound
// log, so that a test can run with sound on without the sound files.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/state.h"
#include "platform/sound/sound.h"
#include "platform/test/test_backend.h"

namespace kwinta::testing {

// A sound buffer that writes each play and stop into the back end's sound log,
// in the same words as the test back end's own buffers.
class RecordedBuffer : public platform::DirectSoundBuffer {
 public:
  RecordedBuffer(platform::test::TestBackend& b, std::string name)
      : b_(b), name_(std::move(name)) {}
  void Play(int flags) override {
    if (onPlay) onPlay(name_);
    b_.soundLog.push_back("play " + name_ +
                          (flags & platform::DSBPLAY_LOOPING ? " looping" : " once"));
  }
  void Stop() override { b_.soundLog.push_back("stop " + name_); }

  // Runs before each play is logged (to look at the window at that moment).
  static inline std::function<void(const std::string&)> onPlay;

 private:
  platform::test::TestBackend& b_;
  std::string name_;
};

// Turns the sound on with a recorded buffer for each of the eleven sounds, so
// that no test needs the sound files.
inline void UseRecordedSounds(platform::test::TestBackend& b) {
  SharedState& s = state();
  auto make = [&](const char* name) { return std::make_shared<RecordedBuffer>(b, name); };
  s.SndCrowd = make("crowd.daw");
  s.SndCrowd2 = make("crowd2.daw");
  s.SndYeah = make("yeah.daw");
  s.SndYeah2 = make("yeah2.daw");
  s.SndBoo = make("boo.daw");
  s.SndTheme = make("theme.daw");
  s.SndGuit2 = make("guit2.daw");
  s.SndSwoosh = make("swoosh.daw");
  s.SndWis1 = make("wis1.daw");
  s.SndWis2 = make("wis2.daw");
  s.SndWis3 = make("wis3.daw");
  s.SoundOn = true;
  RecordedBuffer::onPlay = nullptr;
}

}  // namespace kwinta::testing
