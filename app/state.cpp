#include "app/state.h"

namespace kwinta {

namespace {
SharedState& instance() {
  static SharedState s;
  return s;
}
}  // namespace

SharedState& state() {
  return instance();
}

void ResetState() {
  instance() = SharedState{};
}

void PlaySound(const SharedState::Buffer& buffer, int flags) {
  if (state().SoundOn && buffer) buffer->Play(flags);
}

}  // namespace kwinta
