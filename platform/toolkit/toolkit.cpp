#include "platform/toolkit/toolkit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/canvas/rmcanvas.h"
#include "platform/frame_stats.h"
#include "platform/play/enet_session.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/modal.h"

namespace platform {

namespace {

// The toolkit's own state: the windows shown modally, innermost last, and the
// random generator's seed.
struct ToolkitState {
  std::vector<Form*> modal;
  uint32_t seed = 0x50000;
  bool clockRead = false;  // since the last yield
};

// The longest a yield waits for events: open network sessions are serviced
// at every yield, and windows are checked for drawing.
constexpr int kLongestWaitMs = 10;

ToolkitState& state() {
  static ToolkitState s;
  return s;
}

void Dispatch(const InputEvent& e) {
  if (e.form == nullptr || !e.form->Loaded()) return;
  // A modal window keeps every other window inert until it closes.
  auto& modal = state().modal;
  if (!modal.empty() && modal.back() != e.form) return;

  Control* c = e.control;
  if (c != nullptr && (!c->enabled || !c->visible)) return;

  switch (e.kind) {
    case InputEvent::Kind::Click:
      if (c == nullptr) {
        e.form->Form_Click();
      } else if (c->kind == ControlKind::Button) {
        if (auto& h = static_cast<Button*>(c)->onClick) h();
      } else if (c->kind == ControlKind::CheckBox) {
        auto* box = static_cast<CheckBox*>(c);
        box->value = box->value ? 0 : 1;
        if (box->onClick) box->onClick();
      } else if (c->kind == ControlKind::ListBox) {
        auto* list = static_cast<ListBox*>(c);
        if (e.index >= 0 && e.index < list->ListCount()) list->listIndex = e.index;
        if (list->onClick) list->onClick();
      }
      break;
    case InputEvent::Kind::TextChanged:
      if (c != nullptr && c->kind == ControlKind::TextBox) static_cast<TextBox*>(c)->text = e.text;
      break;
    case InputEvent::Kind::KeyPress:
      if (c != nullptr && c->kind == ControlKind::TextBox) {
        auto* box = static_cast<TextBox*>(c);
        int16_t key = static_cast<int16_t>(e.code);
        if (box->onKeyPress) box->onKeyPress(key);
        if (key == 8) {
          if (!box->text.empty()) box->text.pop_back();
        } else if (key >= 32 && key != 127) {
          box->text.push_back(static_cast<char>(key));
        }
      }
      break;
    case InputEvent::Kind::KeyDown:
    case InputEvent::Kind::KeyUp:
      if (c == nullptr) break;
      if (c->kind == ControlKind::Canvas) {
        auto* canvas = static_cast<RMCanvas*>(c);
        auto& h = e.kind == InputEvent::Kind::KeyDown ? canvas->KeyDown : canvas->KeyUp;
        if (h) h(static_cast<int16_t>(e.code), 0);
      } else if (c->kind == ControlKind::Button && e.kind == InputEvent::Kind::KeyDown &&
                 (e.code == 13 || e.code == 32)) {
        if (auto& h = static_cast<Button*>(c)->onClick) h();
      }
      break;
    case InputEvent::Kind::MouseDown:
    case InputEvent::Kind::MouseUp:
      if (c != nullptr && c->kind == ControlKind::Canvas) {
        auto* canvas = static_cast<RMCanvas*>(c);
        auto& h = e.kind == InputEvent::Kind::MouseDown ? canvas->MouseDown : canvas->MouseUp;
        if (h) h(static_cast<int16_t>(e.code), 0, e.x, e.y);
      }
      break;
    case InputEvent::Kind::Focus:
      if (c != nullptr && !c->HasFocus()) c->SetFocus();
      break;
    case InputEvent::Kind::Close:
      e.form->Form_QueryClose();
      break;
  }
}

void Yield(int waitMs) {
  state().clockRead = false;
  std::vector<InputEvent> events;
  backend().CollectEvents(events, waitMs);
  // The network is an event source too: open sessions keep answering their
  // peers while the game is busy in a flight or a result picture.
  net::PumpAll();
  for (const InputEvent& e : events) Dispatch(e);
  backend().Paint();
}

}  // namespace

void DoEvents() {
  Yield(state().clockRead ? 1 : kLongestWaitMs);
}

void DoEvents(int32_t deadline) {
  // Wrap-safe, as the loops compare the clock with their deadlines.
  int32_t left = static_cast<int32_t>(static_cast<uint32_t>(deadline) -
                                      static_cast<uint32_t>(backend().Clock()));
  Yield(std::clamp<int32_t>(left, 0, kLongestWaitMs));
}

ModalScope::ModalScope(Form& form) {
  state().modal.push_back(&form);
}
ModalScope::~ModalScope() {
  state().modal.pop_back();
}
Form* TopModal() {
  return state().modal.empty() ? nullptr : state().modal.back();
}

int MsgBox(const std::string& prompt, int style, const std::string& title) {
  // A player reading a box is not a lost peer: the sessions keep answering
  // (and a hosted one keeps answering searches) while it is open.
  backend().MessageBox(prompt, style, title.empty() ? std::string(kAppTitle) : title,
                       [] { net::PumpAll(); });
  return vbOK;
}

int32_t timeGetTime() {
  state().clockRead = true;
  return backend().Clock();
}

// The classic 24-bit generator of the old toolkit: seeded from the timer,
// it gives numbers in [0, 1) with 2^24 steps.
void Randomize(double seedValue) {
  float f = static_cast<float>(seedValue);
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  uint32_t mixed = (bits ^ (bits >> 16)) & 0xFFFF;
  state().seed = (state().seed & 0xFF0000FFu) | (mixed << 8);
}

void Randomize() {
  Randomize(backend().Timer());
}

float Rnd() {
  uint32_t& x = state().seed;
  x = (x * 1140671485u + 12820163u) & 0xFFFFFFu;
  return static_cast<float>(x) / 16777216.0f;
}

std::string AppPath() {
  return backend().ProgramFolder();
}

int ShowCursor(bool show) {
  return backend().ShowCursor(show);
}

bool GetCursorPos(POINT& p) {
  backend().GetCursorPos(p.x, p.y);
  return true;
}

void mouse_event(int flags, int dx, int dy, int /*data*/, int /*extra*/) {
  if ((flags & MOUSEEVENTF_MOVE) && (flags & MOUSEEVENTF_ABSOLUTE)) {
    backend().MoveCursorAbsolute(dx, dy);
    stats::PointerHomed();
  }
}

void ResetToolkit() {
  state().modal.clear();
  state().seed = 0x50000;
}

}  // namespace platform
