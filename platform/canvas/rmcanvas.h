// The 3D canvas control: hosts the retained-mode scene of a window, draws it
// through its camera at each Render and raises key and mouse events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/rm/rm.h"
#include "platform/toolkit/controls.h"

namespace platform {

class RMCanvas : public Control {
 public:
  RMCanvas(Form& owner, std::string name) : Control(owner, std::move(name), ControlKind::Canvas) {}

  // Creates the factory, the scene and camera frames and the viewport, and
  // prepares the back end's drawing. Called once before any other member.
  void Init();
  rm::Direct3DRM3& D3DRM();
  rm::Viewport& Viewport();
  const rm::FramePtr& SceneFrame() const;
  const rm::FramePtr& Camera() const;
  // One scene step (the continuing rotations), then draws and shows the view.
  void Render();

  bool Initialised() const { return scene_ != nullptr; }
  int renderCount = 0;

  // Events: virtual-key code and shift state; button 1 left, 2 right.
  std::function<void(int16_t keyCode, int16_t shift)> KeyDown;
  std::function<void(int16_t keyCode, int16_t shift)> KeyUp;
  std::function<void(int16_t button, int16_t shift, float x, float y)> MouseDown;
  std::function<void(int16_t button, int16_t shift, float x, float y)> MouseUp;

  // Back-end drawing state (the renderer and its target), opaque here.
  std::shared_ptr<void> backendData;

 private:
  void RequireInit() const;
  std::unique_ptr<rm::Direct3DRM3> d3drm_;
  std::unique_ptr<rm::Viewport> viewport_;
  rm::FramePtr scene_;
  rm::FramePtr camera_;
};

}  // namespace platform
