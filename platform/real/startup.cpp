// The real back end's start and end: SDL's video on a display a person can
// see, the X errors it can bring back (x_errors.cpp), the one OpenGL
// context, the fonts and pictures every window shares.
#include <SDL.h>
#include <malloc.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/error.h"
#include "platform/real/backend_class.h"
#include "platform/real/real_backend.h"
#include "platform/real/x_errors.h"

namespace platform::real {

namespace {

// The drivers that put a window in front of a person. SDL would fall back
// on its off-screen driver, where the game would run with nobody seeing it.
// Each with the variable that names its display.
struct Driver {
  const char* name;
  const char* variable;
};
constexpr Driver kVisibleDrivers[] = {{"x11", "DISPLAY"}, {"wayland", "WAYLAND_DISPLAY"}};

// Starts SDL's video on the first driver that opens, or on the one the
// SDL_VIDEODRIVER variable asks for (the tests that want no display say so
// there); raises platform::Error with each driver's reason when none does.
void StartVideo() {
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && *asked != '\0') {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return;
    throw Error(std::string("can't open a display: ") + SDL_GetError() +
                " (SDL_VIDEODRIVER=" + asked + ")");
  }
  std::string reasons;
  for (const Driver& driver : kVisibleDrivers) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, driver.name);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return;
    const char* display = std::getenv(driver.variable);
    reasons += std::string(reasons.empty() ? "" : "; ") + SDL_GetError() + " (" + driver.variable +
               (display ? std::string("=") + display : " not set") + ")";
  }
  throw Error("can't open a display: " + reasons);
}

}  // namespace

RealBackend::RealBackend() {
  // Big buffers come and go while windows, pictures, fonts and sounds load.
  // glibc would raise its mmap threshold past each one freed and put the next
  // in the heap, where it stays resident once freed; a fixed threshold hands
  // them back. 1 MiB is above what a frame allocates, so frames make no
  // system calls for memory.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  mallopt(M_TRIM_THRESHOLD, 2 << 20);
  if (char* base = SDL_GetBasePath()) {
    folder_ = base;
    SDL_free(base);
    while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  } else {
    folder_ = ".";
  }

  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  PassOverErrorsOfGoneWindows();
  StartVideo();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);

  gl_ = std::make_shared<GlShared>();
  gl_->helper = SDL_CreateWindow("kwinta-gl", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (gl_->helper) gl_->context = SDL_GL_CreateContext(gl_->helper);
  if (!gl_->context) {
    // A display we can't draw on (no GLX, an 8-bit X server): the game's
    // display test finds no depth and says so in a box that needs no OpenGL.
    std::fprintf(stderr, "kwinta: can't start OpenGL 3.3: %s\n", SDL_GetError());
    if (gl_->helper) SDL_DestroyWindow(gl_->helper);
    gl_->helper = nullptr;
    return;
  }
  gl_->alive = true;
  gl_->MakeCurrent();
  SDL_GL_SetSwapInterval(0);
  fonts_.Build();
  pictures_ = std::make_unique<PictureCache>();
}

RealBackend::~RealBackend() {
  for (auto& w : windows_) {
    gl_->MakeCurrent();
    w->image.Release();
    DestroySurface(*w);
  }
  windows_.clear();
  if (!gl_->alive) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return;
  }
  gl_->MakeCurrent();
  pictures_->Release();
  fonts_.Release();
  gl_->alive = false;
  SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(gl_->context);
  SDL_DestroyWindow(gl_->helper);
  if (relative_) SDL_SetRelativeMouseMode(SDL_FALSE);
  if (cursorCount_ < 0) SDL_ShowCursor(SDL_ENABLE);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

double RealBackend::Timer() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm local{};
  time_t secs = tv.tv_sec;
  localtime_r(&secs, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + tv.tv_usec / 1e6;
}

std::unique_ptr<Backend> CreateBackend() {
  return std::make_unique<RealBackend>();
}

}  // namespace platform::real
