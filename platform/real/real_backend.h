// The back end that players use: SDL2 windows with OpenGL, controls drawn by
// Dear ImGui, sound by SDL_mixer.
#pragma once

#include <memory>

#include "platform/backend.h"

namespace platform::real {

// Starts SDL (video, audio lazily) and returns the back end; raises
// platform::Error when no display can be opened. On a display it can't draw
// on (OpenGL won't start) the back end still runs, so that the game can say
// why it stops: the depth reads 0 and message boxes are SDL's own.
std::unique_ptr<Backend> CreateBackend();

}  // namespace platform::real
