// The real back end's windows: one SDL window with its own ImGui context per
// shown form, made, shown, hidden and destroyed as the toolkit asks.
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include <algorithm>

#include "platform/error.h"
#include "platform/real/backend_class.h"
#include "platform/toolkit/modal.h"

namespace platform::real {

namespace {

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

}  // namespace platform::real
