// Failures of the platform layer. Every platform call that fails throws
// platform::Error; the game's own handlers catch it where the game expects a
// failure. Process end unwinds as EndOfProcess, which only main() catches.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Thrown by End(). Deliberately not derived from std::exception, so that no
// handler for ordinary failures swallows the end of the program.
struct EndOfProcess {};

[[noreturn]] inline void End() {
  throw EndOfProcess{};
}

}  // namespace platform
