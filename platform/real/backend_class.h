// The back end players run, as one class whose members are spread over the
// files of this folder by job: start and end, windows, input, frames, the
// message box, display depth and pointer, the 3D canvas.
//
// One SDL window per form, all sharing one OpenGL 3.3 core context, each
// window with its own Dear ImGui context; sound through SDL_mixer; the 3D
// canvas drawn by the OpenGL scene renderer.
//
// Input is turned into events in two ways. What needs no widget (the close
// box, canvas keys and mouse buttons, focus on click, clicks on the form's
// background) becomes an event as soon as SDL reports it. What the widgets
// decide (a button clicked, a list item chosen, a line edited) is recorded
// while the window's ImGui frame is built. Either way the events only wait in
// `pending_` until the next CollectEvents: no handler runs inside a frame.
#pragma once

#include <SDL.h>
#include <imgui.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/gl/scene_renderer.h"
#include "platform/real/real_internal.h"

namespace platform::real {

constexpr uint32_t kFrameMs = 16;   // at most about 60 frames a second per window
constexpr uint32_t kHotMs = 300;    // full rate for this long after input
constexpr uint32_t kIdleMs = 1000;  // an idle window is still redrawn this often
constexpr ImU32 kFace = IM_COL32(212, 208, 200, 255);

// The one OpenGL context and the hidden window it was made on. Canvases keep
// it so that their renderers can be deleted with the context current, or
// left alone once the context is gone.
struct GlShared {
  SDL_Window* helper = nullptr;
  SDL_GLContext context = nullptr;
  bool alive = false;
  void MakeCurrent() const { SDL_GL_MakeCurrent(helper, context); }
};

struct CanvasData {
  std::shared_ptr<GlShared> shared;
  std::unique_ptr<gl::SceneRenderer> renderer;
  ~CanvasData() {
    if (shared && shared->alive) {
      shared->MakeCurrent();
      renderer.reset();
    } else {
      (void)renderer.release();  // its objects went with the context
    }
  }
};

// The window an SDL event is for, 0 when it names none.
uint32_t WindowIdOf(const SDL_Event& e);
bool IsKeyboard(const SDL_Event& e);
// 0 left, 1 right, 2 middle; -1 for any other button.
int ButtonIndex(uint8_t sdlButton);

class RealBackend : public Backend {
 public:
  RealBackend();
  ~RealBackend() override;

  int32_t Clock() override { return static_cast<int32_t>(SDL_GetTicks()); }
  double Timer() override;
  std::string ProgramFolder() override { return folder_; }
  void CollectEvents(std::vector<InputEvent>& out, int waitMs) override;
  void Paint() override;
  void FormShown(Form& form) override;
  void FormHidden(Form& form) override;
  void FormUnloaded(Form& form) override;
  void RepaintNow(Form& form) override;
  void FocusChanged(Form& form) override;
  void MessageBox(const std::string& prompt, int style, const std::string& title,
                  const std::function<void()>& whileOpen) override;
  int SystemBpp() override;
  int ShowCursor(bool show) override;
  void GetCursorPos(int32_t& x, int32_t& y) override;
  void MoveCursorAbsolute(int nx, int ny) override;
  std::unique_ptr<SoundDevice> CreateSoundDevice() override { return OpenMixerDevice(); }
  void CanvasInit(RMCanvas& canvas) override;
  void CanvasRender(RMCanvas& canvas) override;

 private:
  FormSurface* Find(const Form& form);
  FormSurface* FormById(uint32_t id);
  Form* BlockingModal(const FormSurface& w);

  void CreateSurface(Surface& s, const std::string& title, int x, int y, int w, int h,
                     uint32_t flags);
  void DestroySurface(Surface& s);
  void Focus(Surface& s);
  void Queue(Surface& s, const SDL_Event& e);

  void HandleEvent(const SDL_Event& e);
  void FormMouse(FormSurface& w, const SDL_Event& e);
  void FormKey(FormSurface& w, const SDL_Event& e);
  void Record(InputEvent::Kind kind, Form& form, Control* control, int code = 0, int index = -1,
              float x = 0, float y = 0);

  void BeginFrame(Surface& s);
  void EndFrame(Surface& s, ImU32 clear, WindowImage* image = nullptr);
  bool NeedsFrame(FormSurface& w, uint32_t now);
  void DrawCanvasFrame(FormSurface& w);
  void ShowCanvasesAndPresent(FormSurface& w, bool canvases);
  void EndClippedFrame(FormSurface& w, ImU32 clear, const SDL_Rect& region, bool newPictures);
  void DrawFormWindow(FormSurface& w);
  bool InertMotion(const FormSurface& w, const SDL_Event& e) const;
  bool DrawBox(Surface& box, const std::string& prompt, int style, float wrap);
  void PlainMessageBox(const std::string& prompt, int style, const std::string& title);
  unsigned CanvasTexture(const Control& canvas);
  uint64_t Pictures(const Form& form);
  CanvasData* Data(const RMCanvas& canvas);

  std::string folder_;
  std::shared_ptr<GlShared> gl_;
  Fonts fonts_;
  std::unique_ptr<PictureCache> pictures_;
  std::vector<std::unique_ptr<FormSurface>> windows_;
  std::map<const RMCanvas*, std::weak_ptr<CanvasData>> canvases_;
  std::vector<InputEvent> pending_;
  uint32_t keyboardWindow_ = 0;  // where keys go when SDL names no window
  bool inFrame_ = false;
  int cursorCount_ = 0;
  bool relative_ = false;  // relative mouse mode stands in for warping
  int missedWarps_ = 0;
  int32_t homeX_ = 0, homeY_ = 0, motionX_ = 0, motionY_ = 0;
  int bpp_ = -1;
  int showsParts_ = -1;  // whether windows can show part of a frame; -1 not known yet
};

}  // namespace platform::real
