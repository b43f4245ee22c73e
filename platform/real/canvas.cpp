// The real back end's 3D canvas: each canvas's scene renderer on the shared
// OpenGL context, and the picture it hands to its window.
#include "platform/canvas/rmcanvas.h"
#include "platform/error.h"
#include "platform/real/backend_class.h"

namespace platform::real {

CanvasData* RealBackend::Data(const RMCanvas& canvas) {
  auto it = canvases_.find(&canvas);
  if (it == canvases_.end()) return nullptr;
  auto data = it->second.lock();
  if (!data || data.get() != canvas.backendData.get()) return nullptr;
  return data.get();
}

void RealBackend::CanvasInit(RMCanvas& canvas) {
  if (!gl_->alive) throw Error("can't draw a canvas on this display");
  gl_->MakeCurrent();
  auto data = std::make_shared<CanvasData>();
  data->shared = gl_;
  data->renderer = std::make_unique<gl::SceneRenderer>(canvas.width, canvas.height);
  canvases_[&canvas] = data;
  canvas.backendData = data;
}

void RealBackend::CanvasRender(RMCanvas& canvas) {
  CanvasData* data = Data(canvas);
  if (data == nullptr) {
    CanvasInit(canvas);
    data = Data(canvas);
  }
  // Any window of the shared context will do for drawing off screen, and
  // staying on the play window spares a switch of drawables every frame.
  if (SDL_GL_GetCurrentContext() != gl_->context) gl_->MakeCurrent();
  if (data->renderer->Width() != canvas.width || data->renderer->Height() != canvas.height) {
    data->renderer = std::make_unique<gl::SceneRenderer>(canvas.width, canvas.height);
  }
  data->renderer->Draw(*canvas.SceneFrame(), *canvas.Camera(), canvas.Viewport());
  RepaintNow(canvas.form);
}

// Which pictures a form's canvases hold: changes whenever one draws anew.
uint64_t RealBackend::Pictures(const Form& form) {
  uint64_t h = 0;
  for (const Control* c : form.Controls()) {
    if (c->kind != ControlKind::Canvas) continue;
    CanvasData* data = Data(static_cast<const RMCanvas&>(*c));
    unsigned n = data ? data->renderer->Pictures() : 0;
    h = h * 1000003u + n + 1;
  }
  return h;
}

unsigned RealBackend::CanvasTexture(const Control& canvas) {
  if (canvas.kind != ControlKind::Canvas) return 0;
  CanvasData* data = Data(static_cast<const RMCanvas&>(canvas));
  if (data == nullptr || static_cast<const RMCanvas&>(canvas).renderCount == 0) return 0;
  return data->renderer->ColorTexture();
}

}  // namespace platform::real
