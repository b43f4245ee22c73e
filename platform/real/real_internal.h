// Pieces of the real back end shared by its source files: the fonts, the
// picture cache, the SDL window with its own Dear ImGui context, and the
// drawing of a form's controls and of the read-me markup.
#pragma once

#include <SDL.h>
#include <imgui.h>

#include <cfloat>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/real/window_image.h"
#include "platform/sound/sound.h"
#include "platform/toolkit/events.h"
#include "platform/toolkit/form.h"

namespace platform::real {

// One font atlas for every window: DejaVu Sans for the controls, DejaVu Sans
// Bold at the sizes the labels and the read-me ask for.
class Fonts {
 public:
  // Builds the atlas; needs a current OpenGL context for its texture.
  void Build();
  void Release();
  ImFontAtlas* Atlas() { return &atlas_; }
  ImFontAtlas* Stub() { return &stub_; }
  ImTextureID Texture() const { return reinterpret_cast<ImTextureID>(intptr_t(texture_)); }
  ImFont* Regular(float px) const { return Nearest(regular_, px); }
  ImFont* Bold(float px) const { return Nearest(bold_, px); }
  ImFont* Control() const { return Regular(13); }

 private:
  static ImFont* Nearest(const std::vector<ImFont*>& fonts, float px);
  ImFontAtlas atlas_;
  ImFontAtlas stub_;
  std::vector<ImFont*> regular_, bold_;
  unsigned texture_ = 0;
};

struct Picture {
  unsigned texture = 0;
  int width = 0, height = 0;
  ImTextureID Id() const { return reinterpret_cast<ImTextureID>(intptr_t(texture)); }
};

// Textures of the pictures built into the program, made once per image.
class PictureCache {
 public:
  const Picture& Get(std::string_view encoded);  // texture 0 when undecodable
  void Release();

 private:
  std::map<const char*, Picture> pictures_;
};

// An SDL window with its own Dear ImGui context. Input for it waits in
// `queue` until its next frame, so that a quick press and release both reach
// the widgets in separate frames.
struct Surface {
  SDL_Window* window = nullptr;
  uint32_t id = 0;
  ImGuiContext* imgui = nullptr;
  std::deque<SDL_Event> queue;
  ImVec2 mouse{-FLT_MAX, -FLT_MAX};
  bool buttons[3] = {false, false, false};
  uint64_t time = 0;       // performance counter at the last frame
  uint32_t lastFrame = 0;  // SDL ticks
  uint32_t lastCheck = 0;  // when Paint last asked whether it needs a frame
  uint32_t hotUntil = 0;   // keep drawing at full rate until then
  bool dirty = true;
  int escapes = 0;  // Esc presses fed to this frame
};

// What a form's window keeps between frames besides the form itself.
struct TextBoxState {
  std::string buffer;     // what the line editor shows
  std::string known;      // the control's text the buffer was last synced with
  bool awaiting = false;  // an edit was recorded and not yet handed to the event loop
  bool replace = false;   // push `buffer` into the active editor
  bool refocus = false;
  bool collapse = false;  // put the caret at the end once the editor is active
  unsigned id = 0;        // the editor's ImGui id
};

struct FormSurface : Surface {
  Form* form = nullptr;
  std::string title;
  int width = 0, height = 0;
  bool shown = false;
  bool focusDirty = true;
  uint64_t signature = 0;
  // The last whole frame, kept for frames in which only a canvas changed;
  // `layout` is the form's signature, renders aside, when it was drawn.
  WindowImage image;
  bool imageWhole = false;
  uint64_t layout = 0;
  uint64_t pictures = 0;  // the canvases' pictures on screen
  // What the image shows of the form and of each control (see frame_reuse.h).
  uint64_t own = 0;
  std::vector<uint64_t> controlSignatures;
  std::vector<SDL_Rect> controlRects;
  std::map<const Control*, TextBoxState> texts;
  std::map<const Control*, int> listShown;      // selection last scrolled to
  std::map<const Control*, float> scrollShown;  // rich text scroll last applied
  Control* canvasPress[3] = {nullptr, nullptr, nullptr};
  bool backgroundPress = false;

  // Input waits for the widgets, or the window changed or was just used: it
  // is drawn at its full rate.
  bool Urgent(uint32_t now) const {
    return dirty || focusDirty || !queue.empty() || int32_t(now - hotUntil) < 0;
  }
  // A line editor has the keyboard: its caret blinks.
  bool Editing() const;
};

struct DrawContext {
  Fonts& fonts;
  PictureCache& pictures;
  std::vector<InputEvent>& events;
  // The canvas's colour texture, 0 when it has none yet.
  std::function<unsigned(const Control& canvas)> canvasTexture;
};

// Builds the ImGui frame of a form: background picture, then the controls.
void DrawForm(FormSurface& w, DrawContext& dc);
// The read-me markup inside the current ImGui window.
void DrawRichText(const std::string& text, const Fonts& fonts, float width);
// Classic raised button face; returns true when clicked.
bool ClassicButton(const char* id, const std::string& caption, ImVec2 pos, ImVec2 size,
                   bool enabled, bool focused, const Fonts& fonts);

// A hash of everything a form's drawing depends on; without the canvases'
// render counts when `renders` is false.
uint64_t FormSignature(const Form& form, bool renders = true);
// The same for the form's own fields, and for one control.
uint64_t OwnSignature(const Form& form);
uint64_t ControlSignature(const Control& control, bool renders);

// Windows virtual-key code of an SDL key, 0 when it has none.
int VirtualKey(const SDL_Keysym& key);

// SDL_mixer behind the sound device interface; raises platform::Error when
// the audio device can't be opened.
std::unique_ptr<SoundDevice> OpenMixerDevice();

}  // namespace platform::real
