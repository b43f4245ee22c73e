// The real back end's message box: a small window of its own with the
// prompt, an icon and OK, and its own wait loop while the other windows stay
// drawn; without OpenGL, SDL's own box.
#include <SDL.h>
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "platform/error.h"
#include "platform/real/backend_class.h"

namespace platform::real {

namespace {

bool After(uint32_t now, uint32_t then) {
  return int32_t(now - then) >= 0;
}

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

}  // namespace platform::real
