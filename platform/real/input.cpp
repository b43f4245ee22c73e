// The real back end's input: SDL's events turned into the toolkit's events,
// or queued for the widgets of the window they are for.
#include <SDL.h>

#include <algorithm>

#include "platform/error.h"
#include "platform/real/backend_class.h"

namespace platform::real {

namespace {

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

}  // namespace

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

}  // namespace platform::real
