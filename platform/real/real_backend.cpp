// The back end players run: one SDL window per form sharing one OpenGL 3.3
// core context, each window with its own Dear ImGui context; sound through
// SDL_mixer; the 3D canvas drawn by the OpenGL scene renderer.
//
// Input is turned into events in two ways. What needs no widget (the close
// box, canvas keys and mouse buttons, focus on click, clicks on the form's
// background) becomes an event as soon as SDL reports it. What the widgets
// decide (a button clicked, a list item chosen, a line edited) is recorded
// while the window's ImGui frame is built. Either way the events only wait in
// `pending_` until the next CollectEvents: no handler runs inside a frame.
#include "platform/real/real_backend.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>
#include <imgui_internal.h>
#include <malloc.h>
#include <sys/time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>

#include "platform/canvas/rmcanvas.h"
#include "platform/error.h"
#include "platform/frame_stats.h"
#include "platform/gl/scene_renderer.h"
#include "platform/real/frame_reuse.h"
#include "platform/real/partial_present.h"
#include "platform/real/real_internal.h"
#include "platform/toolkit/modal.h"

namespace platform::real {

namespace {

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

uint32_t WindowIdOf(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT:
      return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return e.key.windowID;
    case SDL_TEXTINPUT:
      return e.text.windowID;
    case SDL_TEXTEDITING:
      return e.edit.windowID;
    case SDL_MOUSEMOTION:
      return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return e.button.windowID;
    case SDL_MOUSEWHEEL:
      return e.wheel.windowID;
    default:
      return 0;
  }
}

bool IsKeyboard(const SDL_Event& e) {
  return e.type == SDL_KEYDOWN || e.type == SDL_KEYUP || e.type == SDL_TEXTINPUT ||
         e.type == SDL_TEXTEDITING;
}

int ButtonIndex(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return 0;
    case SDL_BUTTON_RIGHT:
      return 1;
    case SDL_BUTTON_MIDDLE:
      return 2;
    default:
      return -1;
  }
}

bool After(uint32_t now, uint32_t then) {
  return int32_t(now - then) >= 0;
}

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

// The topmost visible control under a point of the client area.
Control* HitTest(const Form& f, float x, float y) {
  const auto& controls = f.Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    Control* c = *it;
    if (!c->visible) continue;
    if (x >= c->left && x < c->left + c->width && y >= c->top && y < c->top + c->height) return c;
  }
  return nullptr;
}

// Controls whose look changes as the pointer moves within them.
bool TracksPointer(const Control* c) {
  return c != nullptr && (c->kind == ControlKind::ListBox || c->kind == ControlKind::RichTextBox);
}

void Style(ImGuiStyle& style) {
  ImGui::StyleColorsLight(&style);
  style.WindowRounding = style.ChildRounding = style.FrameRounding = 0;
  style.PopupRounding = style.ScrollbarRounding = style.GrabRounding = style.TabRounding = 0;
  style.WindowBorderSize = style.ChildBorderSize = style.FrameBorderSize = 0;
  style.ScrollbarSize = 15;
  style.DisabledAlpha = 1.0f;
  style.AntiAliasedLinesUseTex = false;
  ImVec4* c = style.Colors;
  auto rgb = [](int r, int g, int b, float a = 1) {
    return ImVec4(r / 255.f, g / 255.f, b / 255.f, a);
  };
  c[ImGuiCol_Text] = rgb(0, 0, 0);
  c[ImGuiCol_TextDisabled] = rgb(128, 128, 128);
  c[ImGuiCol_WindowBg] = rgb(0, 0, 0, 0);
  c[ImGuiCol_ChildBg] = rgb(0, 0, 0, 0);
  c[ImGuiCol_FrameBg] = rgb(255, 255, 255);
  c[ImGuiCol_TextSelectedBg] = rgb(10, 36, 106, 0.35f);
  c[ImGuiCol_ScrollbarBg] = rgb(236, 233, 226);
  c[ImGuiCol_ScrollbarGrab] = rgb(200, 196, 188);
  c[ImGuiCol_ScrollbarGrabHovered] = rgb(180, 176, 168);
  c[ImGuiCol_ScrollbarGrabActive] = rgb(150, 146, 140);
}

}  // namespace

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

// --- start and end --------------------------------------------------------

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
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    throw Error(std::string("can't open the display: ") + SDL_GetError());
  }
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

// --- windows ----------------------------------------------------------------

FormSurface* RealBackend::Find(const Form& form) {
  for (auto& w : windows_) {
    if (w->form == &form) return w.get();
  }
  return nullptr;
}

FormSurface* RealBackend::FormById(uint32_t id) {
  if (id == 0) return nullptr;
  for (auto& w : windows_) {
    if (w->id == id) return w.get();
  }
  return nullptr;
}

Form* RealBackend::BlockingModal(const FormSurface& w) {
  Form* modal = TopModal();
  if (modal == nullptr || modal == w.form || !modal->Visible()) return nullptr;
  return modal;
}

void RealBackend::CreateSurface(Surface& s, const std::string& title, int x, int y, int w, int h,
                                uint32_t flags) {
  if (!gl_->alive) throw Error("can't draw a window on this display");
  s.window =
      SDL_CreateWindow(title.c_str(), x, y, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | flags);
  if (!s.window) throw Error(std::string("can't open a window: ") + SDL_GetError());
  s.id = SDL_GetWindowID(s.window);
  SDL_GL_MakeCurrent(s.window, gl_->context);
  SDL_GL_SetSwapInterval(0);

  s.imgui = ImGui::CreateContext(fonts_.Atlas());
  ImGui::SetCurrentContext(s.imgui);
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  // The pointer belongs to the game (it hides it during play).
  io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
  Style(ImGui::GetStyle());
  ImGui_ImplSDL2_InitForOpenGL(s.window, gl_->context);
  ImGui_ImplOpenGL3_Init("#version 330 core");
  // Every window draws text from the one shared font texture: the OpenGL
  // back end's own copy for this window is made from the one-pixel stub and
  // dropped at once.
  io.Fonts = fonts_.Stub();
  ImGui_ImplOpenGL3_CreateDeviceObjects();
  ImGui_ImplOpenGL3_DestroyFontsTexture();
  io.Fonts = fonts_.Atlas();
  s.dirty = true;
}

void RealBackend::DestroySurface(Surface& s) {
  if (s.imgui) {
    SDL_GL_MakeCurrent(s.window, gl_->context);
    ImGui::SetCurrentContext(s.imgui);
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(s.imgui);
    ImGui::SetCurrentContext(nullptr);
    s.imgui = nullptr;
  }
  if (s.window) {
    gl_->MakeCurrent();
    SDL_DestroyWindow(s.window);
    s.window = nullptr;
  }
  if (keyboardWindow_ == s.id) keyboardWindow_ = 0;
}

// Brings a window forward with the keyboard. Without a window manager (a bare
// X server) nobody else would.
void RealBackend::Focus(Surface& s) {
  SDL_RaiseWindow(s.window);
  SDL_SetWindowInputFocus(s.window);
  keyboardWindow_ = s.id;
}

void RealBackend::Queue(Surface& s, const SDL_Event& e) {
  s.queue.push_back(e);
  s.hotUntil = SDL_GetTicks() + kHotMs;
}

void RealBackend::FormShown(Form& form) {
  FormSurface* w = Find(form);
  if (w == nullptr) {
    auto fresh = std::make_unique<FormSurface>();
    fresh->form = &form;
    fresh->title = form.caption;
    fresh->width = form.clientWidth;
    fresh->height = form.clientHeight;
    int pos = form.centred ? SDL_WINDOWPOS_CENTERED : SDL_WINDOWPOS_UNDEFINED;
    uint32_t flags = form.border == BorderStyle::FixedToolWindow ? SDL_WINDOW_UTILITY : 0;
    CreateSurface(*fresh, form.caption, pos, pos, form.clientWidth, form.clientHeight, flags);
    w = fresh.get();
    windows_.push_back(std::move(fresh));
  }
  SDL_ShowWindow(w->window);
  Focus(*w);
  w->shown = true;
  w->dirty = true;
  w->focusDirty = true;
  DrawFormWindow(*w);
}

void RealBackend::FormHidden(Form& form) {
  FormSurface* w = Find(form);
  if (w == nullptr) return;
  SDL_HideWindow(w->window);
  w->shown = false;
  w->queue.clear();
  w->mouse = {-FLT_MAX, -FLT_MAX};
  std::fill(std::begin(w->buttons), std::end(w->buttons), false);
  std::fill(std::begin(w->canvasPress), std::end(w->canvasPress), nullptr);
  w->backgroundPress = false;
}

void RealBackend::FormUnloaded(Form& form) {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [&](const auto& w) { return w->form == &form; });
  if (it != windows_.end()) {
    gl_->MakeCurrent();
    (*it)->image.Release();
    DestroySurface(**it);
    windows_.erase(it);
  }
  std::erase_if(pending_, [&](const InputEvent& e) { return e.form == &form; });
}

void RealBackend::RepaintNow(Form& form) {
  FormSurface* w = Find(form);
  if (w && w->shown) DrawFormWindow(*w);
}

void RealBackend::FocusChanged(Form& form) {
  if (FormSurface* w = Find(form)) {
    w->focusDirty = true;
    w->hotUntil = SDL_GetTicks() + kHotMs;
  }
}

// --- input -------------------------------------------------------------------

void RealBackend::Record(InputEvent::Kind kind, Form& form, Control* control, int code, int index,
                         float x, float y) {
  InputEvent e;
  e.kind = kind;
  e.form = &form;
  e.control = control;
  e.code = code;
  e.index = index;
  e.x = x;
  e.y = y;
  pending_.push_back(std::move(e));
}

void RealBackend::CollectEvents(std::vector<InputEvent>& out, int waitMs) {
  SDL_Event e;
  bool any = false;
  while (SDL_PollEvent(&e)) {
    HandleEvent(e);
    any = true;
  }
  // A window that takes input or changed is drawn at its full rate meanwhile.
  uint32_t now = SDL_GetTicks();
  for (auto& w : windows_) {
    if (!w->shown) continue;
    uint32_t since = now - w->lastFrame;
    if (w->Urgent(now)) waitMs = std::min(waitMs, since >= kFrameMs ? 0 : int(kFrameMs - since));
  }
  if (!any && pending_.empty() && waitMs > 0 && SDL_WaitEventTimeout(&e, waitMs)) {
    HandleEvent(e);
    while (SDL_PollEvent(&e)) HandleEvent(e);
  }
  out.insert(out.end(), std::make_move_iterator(pending_.begin()),
             std::make_move_iterator(pending_.end()));
  pending_.clear();
  // The edits go out now; from the next frame on each text box shows its
  // control's text again, whatever the handlers make of it.
  for (auto& w : windows_) {
    for (auto& [control, st] : w->texts) st.awaiting = false;
  }
}

void RealBackend::HandleEvent(const SDL_Event& e) {
  if (e.type == SDL_QUIT) End();  // an interrupt or termination signal
  uint32_t id = WindowIdOf(e);
  if (IsKeyboard(e) && FormById(id) == nullptr) id = keyboardWindow_;
  FormSurface* w = FormById(id);
  if (w == nullptr || !w->shown) return;

  switch (e.type) {
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          Record(InputEvent::Kind::Close, *w->form, nullptr);
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          keyboardWindow_ = w->id;
          Queue(*w, e);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
        case SDL_WINDOWEVENT_LEAVE:
        case SDL_WINDOWEVENT_ENTER:
          Queue(*w, e);
          break;
        default:  // exposed, shown, moved, restored ...
          w->dirty = true;
          break;
      }
      break;
    case SDL_MOUSEMOTION:
      if (InertMotion(*w, e)) {
        w->mouse = {float(e.motion.x), float(e.motion.y)};  // the next frame takes it
      } else {
        Queue(*w, e);
      }
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      FormMouse(*w, e);
      break;
    case SDL_MOUSEWHEEL:
      if (!BlockingModal(*w)) Queue(*w, e);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      FormKey(*w, e);
      break;
    case SDL_TEXTINPUT:
      if (!BlockingModal(*w) && w->form->ActiveControl() &&
          w->form->ActiveControl()->kind == ControlKind::TextBox) {
        Queue(*w, e);
      }
      break;
    default:
      break;
  }
}

// Motion with no button held that stays over one control which looks the
// same wherever the pointer is on it (or over the bare form) changes nothing
// on screen, so it needs no frame of its own. The play view's hidden pointer,
// put back at its home point every frame, moves like that all the time.
bool RealBackend::InertMotion(const FormSurface& w, const SDL_Event& e) const {
  if (!w.queue.empty() || e.motion.state != 0) return false;
  if (w.buttons[0] || w.buttons[1] || w.buttons[2]) return false;
  const Form& f = *w.form;
  const Control* before = HitTest(f, w.mouse.x, w.mouse.y);
  const Control* after = HitTest(f, float(e.motion.x), float(e.motion.y));
  return before == after && !TracksPointer(after);
}

void RealBackend::FormMouse(FormSurface& w, const SDL_Event& e) {
  bool down = e.type == SDL_MOUSEBUTTONDOWN;
  int button = ButtonIndex(e.button.button);
  if (Form* modal = BlockingModal(w)) {
    // Only the modal window takes input; a click elsewhere brings it forward.
    if (down) {
      if (FormSurface* m = Find(*modal)) Focus(*m);
    } else {
      Queue(w, e);  // lets go of anything held
    }
    return;
  }
  if (down && !(SDL_GetWindowFlags(w.window) & SDL_WINDOW_INPUT_FOCUS)) Focus(w);
  Queue(w, e);
  if (button < 0) return;

  Form& f = *w.form;
  float x = float(e.button.x), y = float(e.button.y);
  Control* hit = HitTest(f, x, y);
  static const int kCodes[3] = {1, 2, 4};
  if (down) {
    if (hit && hit->TakesFocus() && !hit->HasFocus()) {
      Record(InputEvent::Kind::Focus, f, hit);
    }
    if (hit && hit->kind == ControlKind::Canvas && hit->enabled) {
      Record(InputEvent::Kind::MouseDown, f, hit, kCodes[button], -1, x - hit->left, y - hit->top);
      w.canvasPress[button] = hit;
    }
    if (button == 0) w.backgroundPress = hit == nullptr;
  } else {
    if (Control* c = w.canvasPress[button]) {
      Record(InputEvent::Kind::MouseUp, f, c, kCodes[button], -1, x - c->left, y - c->top);
      w.canvasPress[button] = nullptr;
    }
    if (button == 0) {
      if (w.backgroundPress && hit == nullptr) Record(InputEvent::Kind::Click, f, nullptr);
      w.backgroundPress = false;
    }
  }
}

void RealBackend::FormKey(FormSurface& w, const SDL_Event& e) {
  if (BlockingModal(w)) return;
  Form& f = *w.form;
  Control* c = f.ActiveControl();
  bool down = e.type == SDL_KEYDOWN;
  bool repeat = e.key.repeat != 0;
  int vk = VirtualKey(e.key.keysym);
  if (c != nullptr) {
    switch (c->kind) {
      case ControlKind::Canvas:
        if (vk) Record(down ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp, f, c, vk);
        return;
      case ControlKind::Button:
        if (down && !repeat && (vk == 13 || vk == 32)) Record(InputEvent::Kind::KeyDown, f, c, vk);
        return;
      case ControlKind::CheckBox:
        if (down && !repeat && vk == 32) Record(InputEvent::Kind::Click, f, c);
        return;
      case ControlKind::ListBox: {
        auto* list = static_cast<ListBox*>(c);
        if (down && (vk == 38 || vk == 40) && list->ListCount() > 0) {
          int next = std::clamp(list->listIndex + (vk == 40 ? 1 : -1), 0, list->ListCount() - 1);
          if (next != list->listIndex) Record(InputEvent::Kind::Click, f, c, 0, next);
        }
        return;
      }
      default:
        break;
    }
  }
  SDL_Scancode sc = e.key.keysym.scancode;
  if (sc == SDL_SCANCODE_TAB) return;
  if (sc == SDL_SCANCODE_ESCAPE && !(down && c && c->kind == ControlKind::TextBox)) return;
  Queue(w, e);
}

// --- frames ------------------------------------------------------------------

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

// --- message box ---------------------------------------------------------------

namespace {

constexpr float kBoxMargin = 14;
constexpr float kIcon = 32;
constexpr float kOkWidth = 75, kOkHeight = 23;

void DrawIcon(ImDrawList* dl, ImVec2 p, int style, const Fonts& fonts) {
  ImVec2 c{p.x + kIcon / 2, p.y + kIcon / 2};
  int kind = style & 0x70;
  if (kind == 16) {  // stop: red disc, white cross
    dl->AddCircleFilled(c, 15.5f, IM_COL32(200, 0, 0, 255), 40);
    dl->AddCircle(c, 15.5f, IM_COL32(120, 0, 0, 255), 40, 1.0f);
    float d = 6.5f;
    dl->AddLine({c.x - d, c.y - d}, {c.x + d, c.y + d}, IM_COL32_WHITE, 3.5f);
    dl->AddLine({c.x + d, c.y - d}, {c.x - d, c.y + d}, IM_COL32_WHITE, 3.5f);
  } else if (kind == 48) {  // exclamation: yellow triangle
    dl->AddTriangleFilled({c.x, p.y + 1}, {p.x + 1, p.y + kIcon - 2},
                          {p.x + kIcon - 1, p.y + kIcon - 2}, IM_COL32(250, 210, 0, 255));
    dl->AddTriangle({c.x, p.y + 1}, {p.x + 1, p.y + kIcon - 2}, {p.x + kIcon - 1, p.y + kIcon - 2},
                    IM_COL32(0, 0, 0, 255));
    ImFont* f = fonts.Bold(20);
    dl->AddText(f, f->FontSize, {c.x - 3, p.y + 8}, IM_COL32_BLACK, "!");
  } else if (kind == 32 || kind == 64) {  // question, information: a disc with a sign
    dl->AddCircleFilled(c, 15.5f, kind == 32 ? IM_COL32(30, 80, 200, 255) : IM_COL32_WHITE, 40);
    dl->AddCircle(c, 15.5f, IM_COL32(30, 60, 160, 255), 40, 1.0f);
    ImFont* f = fonts.Bold(20);
    const char* sign = kind == 32 ? "?" : "i";
    ImVec2 ts = f->CalcTextSizeA(f->FontSize, FLT_MAX, 0, sign);
    dl->AddText(f, f->FontSize, {c.x - ts.x / 2, c.y - ts.y / 2},
                kind == 32 ? IM_COL32_WHITE : IM_COL32(30, 60, 160, 255), sign);
  }
}

}  // namespace

bool RealBackend::DrawBox(Surface& box, const std::string& prompt, int style, float wrap) {
  BeginFrame(box);
  ImGuiIO& io = ImGui::GetIO();
  ImGui::SetNextWindowPos({0, 0});
  ImGui::SetNextWindowSize(io.DisplaySize);
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, {0, 0});
  ImGui::Begin("##box", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBackground |
                   ImGuiWindowFlags_NoNav);
  ImGui::PopStyleVar();
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImFont* font = fonts_.Control();
  float fs = font->FontSize;
  bool icon = (style & 0x70) != 0;
  ImVec2 text = font->CalcTextSizeA(fs, FLT_MAX, wrap, prompt.c_str());
  float x = kBoxMargin + (icon ? kIcon + 12 : 0);
  float y = kBoxMargin;
  if (icon) {
    DrawIcon(dl, {kBoxMargin, kBoxMargin}, style, fonts_);
    if (text.y < kIcon) y += std::floor((kIcon - text.y) / 2);
  }
  dl->AddText(font, fs, {x, y}, IM_COL32_BLACK, prompt.c_str(), nullptr, wrap);
  ImVec2 ok{std::floor((io.DisplaySize.x - kOkWidth) / 2),
            io.DisplaySize.y - kBoxMargin - kOkHeight};
  bool clicked = ClassicButton("##ok", "OK", ok, {kOkWidth, kOkHeight}, true, true, fonts_);
  ImGui::End();
  EndFrame(box, kFace);
  return clicked;
}

// Without OpenGL, SDL's own box; failing that (no display at all), stderr.
void RealBackend::PlainMessageBox(const std::string& prompt, int style, const std::string& title) {
  uint32_t flags = 0;
  switch (style & 0x70) {
    case 16:
      flags = SDL_MESSAGEBOX_ERROR;
      break;
    case 48:
      flags = SDL_MESSAGEBOX_WARNING;
      break;
    case 64:
      flags = SDL_MESSAGEBOX_INFORMATION;
      break;
    default:
      break;
  }
  if (SDL_ShowSimpleMessageBox(flags, title.c_str(), prompt.c_str(), nullptr) != 0) {
    std::fprintf(stderr, "kwinta: %s: %s\n", title.c_str(), prompt.c_str());
  }
}

void RealBackend::MessageBox(const std::string& prompt, int style, const std::string& title,
                             const std::function<void()>& whileOpen) {
  if (!gl_->alive) return PlainMessageBox(prompt, style, title);
  if (inFrame_) return;  // never happens: handlers run outside frames
  ImFont* font = fonts_.Control();
  const float wrap = 380;
  ImVec2 text = font->CalcTextSizeA(font->FontSize, FLT_MAX, wrap, prompt.c_str());
  bool icon = (style & 0x70) != 0;
  float contentWidth = (icon ? kIcon + 12 : 0) + text.x;
  float contentHeight = std::max(text.y, icon ? kIcon : 0.0f);
  int width =
      int(std::ceil(std::max({contentWidth + 2 * kBoxMargin, kOkWidth + 2 * kBoxMargin, 200.0f})));
  int height = int(std::ceil(kBoxMargin + contentHeight + 16 + kOkHeight + kBoxMargin));

  Surface box;
  CreateSurface(box, title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
  SDL_ShowWindow(box.window);
  Focus(box);
  uint32_t previousKeyboard = keyboardWindow_;

  bool done = false;
  bool ended = false;
  while (!done) {
    SDL_Event e;
    bool got = SDL_WaitEventTimeout(&e, 4);
    while (got) {
      if (e.type == SDL_QUIT) {
        ended = true;
        done = true;
      }
      uint32_t id = WindowIdOf(e);
      if (IsKeyboard(e) && FormById(id) == nullptr) id = box.id;
      if (id == box.id) {
        switch (e.type) {
          case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
              done = true;
            } else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ||
                       e.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
                       e.window.event == SDL_WINDOWEVENT_LEAVE) {
              Queue(box, e);
            } else {
              box.dirty = true;
            }
            break;
          case SDL_KEYDOWN: {
            SDL_Scancode sc = e.key.keysym.scancode;
            if (!e.key.repeat && (sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER ||
                                  sc == SDL_SCANCODE_SPACE || sc == SDL_SCANCODE_ESCAPE)) {
              done = true;
            }
            break;
          }
          case SDL_MOUSEBUTTONDOWN:
            if (!(SDL_GetWindowFlags(box.window) & SDL_WINDOW_INPUT_FOCUS)) Focus(box);
            Queue(box, e);
            break;
          case SDL_MOUSEMOTION:
          case SDL_MOUSEBUTTONUP:
            Queue(box, e);
            break;
          default:
            break;
        }
      } else if (FormSurface* w = FormById(id)) {
        // The other windows stay drawn but take no input meanwhile.
        if (e.type == SDL_WINDOWEVENT) {
          if (e.window.event == SDL_WINDOWEVENT_LEAVE)
            Queue(*w, e);
          else if (e.window.event != SDL_WINDOWEVENT_CLOSE)
            w->dirty = true;
        } else if (e.type == SDL_MOUSEBUTTONDOWN) {
          Focus(box);
        } else if (e.type == SDL_MOUSEBUTTONUP || e.type == SDL_MOUSEMOTION) {
          Queue(*w, e);
        }
      }
      got = SDL_PollEvent(&e);
    }
    if (done) break;
    whileOpen();
    uint32_t now = SDL_GetTicks();
    bool wanted =
        box.dirty || !box.queue.empty() || !After(now, box.hotUntil) || now - box.lastFrame >= 250;
    if (wanted && now - box.lastFrame >= kFrameMs) {
      if (DrawBox(box, prompt, style, wrap)) done = true;
    }
    Paint();
  }
  DestroySurface(box);
  keyboardWindow_ = previousKeyboard;
  if (FormSurface* w = FormById(previousKeyboard)) {
    if (w->shown) Focus(*w);
  }
  if (ended) End();
}

// --- display depth, pointer --------------------------------------------------------

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

// --- the 3D canvas -------------------------------------------------------------------

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

std::unique_ptr<Backend> CreateBackend() {
  return std::make_unique<RealBackend>();
}

}  // namespace platform::real
