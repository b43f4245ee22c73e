#include "platform/canvas/rmcanvas.h"

#include "platform/backend.h"
#include "platform/error.h"
#include "platform/frame_stats.h"

namespace platform {

void RMCanvas::Init() {
  d3drm_ = std::make_unique<rm::Direct3DRM3>();
  viewport_ = std::make_unique<rm::Viewport>();
  scene_ = d3drm_->CreateFrame(nullptr);
  camera_ = d3drm_->CreateFrame(scene_);
  backend().CanvasInit(*this);
}

void RMCanvas::RequireInit() const {
  if (!scene_) throw Error("the 3D canvas is not started");
}

rm::Direct3DRM3& RMCanvas::D3DRM() {
  RequireInit();
  return *d3drm_;
}

rm::Viewport& RMCanvas::Viewport() {
  RequireInit();
  return *viewport_;
}

const rm::FramePtr& RMCanvas::SceneFrame() const {
  RequireInit();
  return scene_;
}

const rm::FramePtr& RMCanvas::Camera() const {
  RequireInit();
  return camera_;
}

void RMCanvas::Render() {
  RequireInit();
  scene_->Move(1.0f);
  ++renderCount;
  stats::CanvasRendered();
  backend().CanvasRender(*this);
}

}  // namespace platform
