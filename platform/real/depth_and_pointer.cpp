// The real back end's display depth (that of the buffer the play view draws
// into) and the pointer: hidden, put back at its home point, read back.
#include <SDL.h>
#include <epoxy/gl.h>

#include "platform/gl/scene_renderer.h"
#include "platform/real/backend_class.h"

namespace platform::real {

int RealBackend::SystemBpp() {
  if (!gl_->alive) return 0;  // nothing can be drawn: no depth at all
  if (bpp_ >= 0) return bpp_;
  gl_->MakeCurrent();
  GLint oldFramebuffer = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &oldFramebuffer);
  GLuint fbo = 0, rb = 0;
  glGenFramebuffers(1, &fbo);
  glGenRenderbuffers(1, &rb);
  glBindRenderbuffer(GL_RENDERBUFFER, rb);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB565, 8, 8);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, rb);
  int bits = gl::BoundColorBits();
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(oldFramebuffer));
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glDeleteRenderbuffers(1, &rb);
  glDeleteFramebuffers(1, &fbo);
  bpp_ = bits;
  return bpp_;
}

int RealBackend::ShowCursor(bool show) {
  cursorCount_ += show ? 1 : -1;
  SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
  if (cursorCount_ >= 0 && relative_) {
    SDL_SetRelativeMouseMode(SDL_FALSE);
    relative_ = false;
  }
  return cursorCount_;
}

void RealBackend::GetCursorPos(int32_t& x, int32_t& y) {
  if (relative_) {
    // The home point plus the motion since the pointer was last put there.
    SDL_PumpEvents();
    int dx = 0, dy = 0;
    SDL_GetRelativeMouseState(&dx, &dy);
    motionX_ += dx;
    motionY_ += dy;
    x = homeX_ + motionX_;
    y = homeY_ + motionY_;
    return;
  }
  int gx = 0, gy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  x = gx;
  y = gy;
}

void RealBackend::MoveCursorAbsolute(int nx, int ny) {
  SDL_Rect r{0, 0, 1024, 768};
  SDL_GetDisplayBounds(0, &r);
  int x = r.x + static_cast<int>(int64_t(nx) * r.w / 65536);
  int y = r.y + static_cast<int>(int64_t(ny) * r.h / 65536);
  if (!relative_) {
    SDL_WarpMouseGlobal(x, y);
    int gx = 0, gy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    // A display server that won't move the pointer (Wayland) gets the same
    // numbers from relative motion while the pointer is hidden.
    missedWarps_ = (gx != x || gy != y) ? missedWarps_ + 1 : 0;
    if (missedWarps_ >= 3 && cursorCount_ < 0 && SDL_SetRelativeMouseMode(SDL_TRUE) == 0) {
      relative_ = true;
      SDL_GetRelativeMouseState(nullptr, nullptr);
    }
  }
  homeX_ = x;
  homeY_ = y;
  motionX_ = motionY_ = 0;
  if (relative_) {
    SDL_PumpEvents();
    SDL_GetRelativeMouseState(nullptr, nullptr);
  }
}

}  // namespace platform::real
