// When a window's next frame can start from its last one. The window keeps
// its last whole frame as an image (WindowImage); a frame in which only the
// canvases changed shows them over it, and one in which a few controls
// changed draws the form again clipped to their rectangles.
#pragma once

#include <SDL.h>
#include <imgui.h>

#include "platform/real/real_internal.h"

namespace platform::real {

// Whether the kept image plus what changed makes exactly the frame a whole
// redraw would: the image is whole, no input waits for the widgets, no line
// editor's caret blinks and every canvas lies on top of what surrounds it.
bool FrameCanStartFromImage(FormSurface& w, uint32_t now);

// Notes what the form looks like now, as the image holds it after a frame.
void RememberControls(FormSurface& w);

// The rectangle, in window pixels, that holds every control whose look
// changed since RememberControls, where their old and new places; false
// when the change is not one a clipped frame can draw (the form's own
// fields, controls added or gone, or a control that keeps ImGui state).
bool ChangedRegion(const FormSurface& w, SDL_Rect& region);

// Clips the frame's drawing to `region`.
void ClipDrawData(ImDrawData* data, const SDL_Rect& region);

}  // namespace platform::real
