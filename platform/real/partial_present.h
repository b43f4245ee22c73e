// Showing only part of a window's back buffer, where the display's OpenGL
// offers it (GLX_MESA_copy_sub_buffer, as Mesa's drivers do): a new canvas
// frame then needs neither the rest of the window drawn again nor all of it
// sent to the display. Elsewhere windows show whole frames.
#pragma once

#include <SDL.h>

namespace platform::real {

// Whether parts of `window`'s back buffer can be shown; the window's context
// must be current.
bool CanShowPart(SDL_Window* window);
// Shows the rectangle (top left in window pixels from the top left) of the
// back buffer, as drawn so far.
void ShowPart(SDL_Window* window, int left, int top, int width, int height);

}  // namespace platform::real
