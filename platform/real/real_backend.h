// The back end that players use: SDL2 windows with OpenGL, controls drawn by
// Dear ImGui, sound by SDL_mixer.
#pragma once

#include <memory>

#include "platform/backend.h"

namespace platform::real {

// Starts SDL (video, audio lazily) and returns the back end; raises
// platform::Error when no display can be opened.
std::unique_ptr<Backend> CreateBackend();

}  // namespace platform::real
