// Kept apart: the X11 and GLX headers define names (None, Window, Status)
// that the rest of the back end must not see.
#include "platform/real/partial_present.h"

#include <SDL_syswm.h>
#include <epoxy/glx.h>

namespace platform::real {

namespace {

struct X11Target {
  Display* display = nullptr;
  ::Window window = 0;
};

X11Target TargetOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return {};
  return {info.info.x11.display, info.info.x11.window};
}

}  // namespace

bool CanShowPart(SDL_Window* window) {
  X11Target t = TargetOf(window);
  // A context made through EGL, not GLX, can't use the GLX call.
  if (t.display == nullptr || glXGetCurrentContext() == nullptr) return false;
  return epoxy_has_glx_extension(t.display, DefaultScreen(t.display), "GLX_MESA_copy_sub_buffer");
}

void ShowPart(SDL_Window* window, int left, int top, int width, int height) {
  X11Target t = TargetOf(window);
  if (t.display == nullptr) return;
  int windowHeight = 0;
  SDL_GL_GetDrawableSize(window, nullptr, &windowHeight);
  // GLX counts rows from the bottom.
  glXCopySubBufferMESA(t.display, t.window, left, windowHeight - top - height, width, height);
}

}  // namespace platform::real
