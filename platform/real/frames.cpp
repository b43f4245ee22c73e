// The real back end's frames: a form's ImGui frame built and shown, whole,
// clipped to what changed, or only its canvases over the kept image.
#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include <algorithm>
#include <set>

#include "platform/frame_stats.h"
#include "platform/real/backend_class.h"
#include "platform/real/frame_reuse.h"
#include "platform/real/partial_present.h"

namespace platform::real {

namespace {

// Keys whose press and release must reach the widgets in separate frames:
// the editing keys and modifiers the line editor reads from the key state.
bool EditingKey(const SDL_Keysym& k) {
  switch (k.scancode) {
    case SDL_SCANCODE_A:
    case SDL_SCANCODE_C:
    case SDL_SCANCODE_V:
    case SDL_SCANCODE_X:
    case SDL_SCANCODE_Y:
    case SDL_SCANCODE_Z:
      return (k.mod & KMOD_CTRL) != 0;
    case SDL_SCANCODE_LEFT:
    case SDL_SCANCODE_RIGHT:
    case SDL_SCANCODE_UP:
    case SDL_SCANCODE_DOWN:
    case SDL_SCANCODE_PAGEUP:
    case SDL_SCANCODE_PAGEDOWN:
    case SDL_SCANCODE_HOME:
    case SDL_SCANCODE_END:
    case SDL_SCANCODE_INSERT:
    case SDL_SCANCODE_DELETE:
    case SDL_SCANCODE_BACKSPACE:
    case SDL_SCANCODE_SPACE:
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_ESCAPE:
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
    case SDL_SCANCODE_LGUI:
    case SDL_SCANCODE_RGUI:
      return true;
    default:
      return false;
  }
}

}  // namespace

void RealBackend::BeginFrame(Surface& s) {
  inFrame_ = true;
  SDL_GL_MakeCurrent(s.window, gl_->context);
  ImGui::SetCurrentContext(s.imgui);
  ImGuiIO& io = ImGui::GetIO();

  // Feed the waiting input, stopping before a second change of one key or
  // button so that each press is seen by a frame of its own.
  std::set<int> changed;
  while (!s.queue.empty()) {
    const SDL_Event& e = s.queue.front();
    bool stop = false;
    switch (e.type) {
      case SDL_MOUSEMOTION:
        s.mouse = {float(e.motion.x), float(e.motion.y)};
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        int b = ButtonIndex(e.button.button);
        if (b >= 0) {
          if (!changed.insert(1000 + b).second) {
            stop = true;
            break;
          }
          s.buttons[b] = e.type == SDL_MOUSEBUTTONDOWN;
        }
        s.mouse = {float(e.button.x), float(e.button.y)};
        break;
      }
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_LEAVE) {
          if (!s.buttons[0] && !s.buttons[1] && !s.buttons[2]) s.mouse = {-FLT_MAX, -FLT_MAX};
        } else {
          ImGui_ImplSDL2_ProcessEvent(&e);
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (e.key.keysym.scancode == SDL_SCANCODE_ESCAPE) {
          // The line editor would take Esc as "undo my edit": the form
          // reports it as a typed character instead.
          if (e.type == SDL_KEYDOWN) ++s.escapes;
          break;
        }
        if (EditingKey(e.key.keysym) && !changed.insert(e.key.keysym.scancode).second) {
          stop = true;
          break;
        }
        ImGui_ImplSDL2_ProcessEvent(&e);
        // The modifiers as they were with this key, not as they are now.
        io.KeyShift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
        io.KeyCtrl = (e.key.keysym.mod & KMOD_CTRL) != 0;
        io.KeyAlt = (e.key.keysym.mod & KMOD_ALT) != 0;
        io.KeySuper = (e.key.keysym.mod & KMOD_GUI) != 0;
        break;
      default:
        ImGui_ImplSDL2_ProcessEvent(&e);
        break;
    }
    if (stop) break;
    s.queue.pop_front();
  }

  int w = 0, h = 0, dw = 0, dh = 0;
  SDL_GetWindowSize(s.window, &w, &h);
  SDL_GL_GetDrawableSize(s.window, &dw, &dh);
  io.DisplaySize = ImVec2(float(w), float(h));
  if (w > 0 && h > 0) io.DisplayFramebufferScale = ImVec2(float(dw) / w, float(dh) / h);
  static const double frequency = double(SDL_GetPerformanceFrequency());
  uint64_t t = SDL_GetPerformanceCounter();
  io.DeltaTime = s.time ? float(double(t - s.time) / frequency) : 1.0f / 60;
  if (io.DeltaTime <= 0) io.DeltaTime = 1e-4f;
  s.time = t;
  io.MousePos = s.mouse;
  for (int i = 0; i < 3; ++i) io.MouseDown[i] = s.buttons[i];

  ImGui_ImplOpenGL3_NewFrame();
  // Every context draws text from the one shared font texture.
  io.Fonts->SetTexID(fonts_.Texture());
  ImGui::NewFrame();
}

// Draws the frame into `image` when there is one and then shows the image,
// so that frames in which only a canvas changes can start from it.
void RealBackend::EndFrame(Surface& s, ImU32 clear, WindowImage* image) {
  ImGui::Render();
  int dw = 0, dh = 0;
  SDL_GL_GetDrawableSize(s.window, &dw, &dh);
  bool kept = image != nullptr && image->Target(dw, dh);
  if (!kept) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, dw, dh);
  glDisable(GL_SCISSOR_TEST);
  ImVec4 c = ImGui::ColorConvertU32ToFloat4(clear);
  glClearColor(c.x, c.y, c.z, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
  if (kept) image->Show();
  SDL_GL_SwapWindow(s.window);
  stats::FramePresented();
  stats::WindowRedrawn();
  s.lastFrame = SDL_GetTicks();
  s.dirty = false;
  inFrame_ = false;
}

bool RealBackend::NeedsFrame(FormSurface& w, uint32_t now) {
  if (w.Urgent(now) || now - w.lastFrame >= kIdleMs) return true;
  // A line editor with the keyboard blinks its cursor.
  if (now - w.lastFrame >= 200 && w.Editing()) return true;
  return FormSignature(*w.form) != w.signature;
}

void RealBackend::DrawFormWindow(FormSurface& w) {
  if (inFrame_) {
    w.dirty = true;
    return;
  }
  Form& f = *w.form;
  if (f.caption != w.title) {
    w.title = f.caption;
    SDL_SetWindowTitle(w.window, w.title.c_str());
  }
  if (f.clientWidth != w.width || f.clientHeight != w.height) {
    w.width = f.clientWidth;
    w.height = f.clientHeight;
    SDL_SetWindowSize(w.window, w.width, w.height);
  }
  uint64_t layout = FormSignature(f, false);
  w.signature = FormSignature(f);
  uint64_t pictures = Pictures(f);
  bool reuse = FrameCanStartFromImage(w, SDL_GetTicks());
  if (reuse && layout == w.layout) {
    // A canvas whose scene didn't change keeps its picture: the screen
    // already shows this frame, though it's shown again now and then.
    if (pictures != w.pictures || SDL_GetTicks() - w.lastFrame >= kIdleMs) DrawCanvasFrame(w);
    w.pictures = pictures;
    w.dirty = false;
    return;
  }
  SDL_Rect region{};
  bool clipped = reuse && ChangedRegion(w, region);
  bool newPictures = pictures != w.pictures;
  w.layout = layout;
  w.pictures = pictures;
  BeginFrame(w);
  DrawContext dc{fonts_, *pictures_, pending_,
                 [this](const Control& c) { return CanvasTexture(c); }};
  DrawForm(w, dc);
  ImU32 clear = (f.backColor & 0x00FFFFFFu) | 0xFF000000u;
  if (clipped) {
    EndClippedFrame(w, clear, region, newPictures);
  } else {
    // Only a window with a canvas has frames that can start from its last one.
    bool canvas = std::any_of(f.Controls().begin(), f.Controls().end(),
                              [](const Control* c) { return c->kind == ControlKind::Canvas; });
    EndFrame(w, clear, canvas ? &w.image : nullptr);
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(w.window, &dw, &dh);
    w.imageWhole = canvas && w.image.Holds(dw, dh);
  }
  if (w.imageWhole) RememberControls(w);
}

// A frame in which only a few controls changed: the form is drawn again into
// the kept image clipped to their region, and that region is shown.
void RealBackend::EndClippedFrame(FormSurface& w, ImU32 clear, const SDL_Rect& region,
                                  bool newPictures) {
  ImGui::Render();
  ImDrawData* data = ImGui::GetDrawData();
  ClipDrawData(data, region);
  w.image.Target(w.width, w.height);
  glViewport(0, 0, w.width, w.height);
  glEnable(GL_SCISSOR_TEST);
  glScissor(region.x, w.height - region.y - region.h, region.w, region.h);
  ImVec4 c = ImGui::ColorConvertU32ToFloat4(clear);
  glClearColor(c.x, c.y, c.z, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  ImGui_ImplOpenGL3_RenderDrawData(data);

  if (showsParts_ < 0) showsParts_ = CanShowPart(w.window) ? 1 : 0;
  if (showsParts_) {
    w.image.ShowPart(region.x, region.y, region.w, region.h);
    ShowPart(w.window, region.x, region.y, region.w, region.h);
  } else {
    w.image.Show();
  }
  // The image's canvases may be older than what the screen shows.
  ShowCanvasesAndPresent(w, !showsParts_ || newPictures);
  inFrame_ = false;
}

void RealBackend::DrawCanvasFrame(FormSurface& w) {
  SDL_GL_MakeCurrent(w.window, gl_->context);
  if (showsParts_ < 0) showsParts_ = CanShowPart(w.window) ? 1 : 0;
  // The screen still shows the rest of the last whole frame: only the
  // canvases need drawing and showing. Without that, the kept image goes
  // first and the whole frame is shown.
  if (!showsParts_) w.image.Show();
  ShowCanvasesAndPresent(w, true);
}

// Puts the canvases' latest pictures over the kept image when asked, then
// presents what changed: the parts where the display can, else the whole.
void RealBackend::ShowCanvasesAndPresent(FormSurface& w, bool canvases) {
  for (const Control* c : w.form->Controls()) {
    if (!canvases || !c->visible || c->kind != ControlKind::Canvas) continue;
    w.image.ShowCanvas(CanvasTexture(*c), c->left, c->top, c->width, c->height);
    if (showsParts_) ShowPart(w.window, c->left, c->top, c->width, c->height);
  }
  if (!showsParts_) SDL_GL_SwapWindow(w.window);
  stats::WindowRedrawn();
  w.lastFrame = SDL_GetTicks();
  w.dirty = false;
}

void RealBackend::Paint() {
  if (inFrame_) return;
  uint32_t now = SDL_GetTicks();
  for (size_t i = 0; i < windows_.size(); ++i) {
    FormSurface& w = *windows_[i];
    if (!w.shown || now - w.lastFrame < kFrameMs || now - w.lastCheck < kFrameMs) continue;
    w.lastCheck = now;
    if (NeedsFrame(w, now)) DrawFormWindow(w);
  }
}

}  // namespace platform::real
