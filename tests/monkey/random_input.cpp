#include "monkey/random_input.h"

#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <thread>

namespace kwinta::monkey {

namespace {

using std::chrono::milliseconds;

enum class Kind { Click, DoubleClick, Drag, ShiftDrag, Move, Key, AltF4, Close, Pause };

struct Choice {
  Kind kind;
  KeySym key;  // for Kind::Key
  int weight;
};

// Clicks and drags most; Esc (which ends a match) and the close request
// seldom, so that a start mostly gets into a match before it ends.
constexpr std::array kChoices{
    Choice{Kind::Click, 0, 120},     Choice{Kind::DoubleClick, 0, 20},
    Choice{Kind::Drag, 0, 60},       Choice{Kind::ShiftDrag, 0, 16},
    Choice{Kind::Move, 0, 32},       Choice{Kind::Key, XK_Escape, 1},
    Choice{Kind::Key, XK_s, 16},     Choice{Kind::Key, XK_Shift_L, 12},
    Choice{Kind::Key, XK_grave, 16}, Choice{Kind::Key, XK_Return, 24},
    Choice{Kind::Key, XK_space, 24}, Choice{Kind::AltF4, 0, 6},
    Choice{Kind::Close, 0, 2},       Choice{Kind::Pause, 0, 20},
};

const Choice& Pick(double u) {
  int total = 0;
  for (const Choice& c : kChoices) total += c.weight;
  double at = u * total;
  for (const Choice& c : kChoices) {
    if (at < c.weight) return c;
    at -= c.weight;
  }
  return kChoices.back();
}

void Sleep(int ms) {
  std::this_thread::sleep_for(milliseconds(ms));
}

}  // namespace

RandomInput::RandomInput(FakeInput& input, uint64_t seed, bool spareLobby)
    : input_(input), rng_(seed), spareLobby_(spareLobby) {}

RandomInput::Point RandomInput::At(const GameWindow& w, double fx, double fy) const {
  if (spareLobby_ && w.width == 640 && w.height == 480) fx /= 2;
  return {w.x + std::min(w.width - 1, int(fx * w.width)),
          w.y + std::min(w.height - 1, int(fy * w.height))};
}

Action RandomInput::Act(const std::vector<GameWindow>& shown) {
  // The same draws for every action, whatever it turns out to be.
  const double kind = Next(), window = Next(), x1 = Next(), y1 = Next(), x2 = Next(), y2 = Next(),
               variant = Next(), pause = Next();
  const size_t n = shown.size();
  const GameWindow& w =
      window < 0.5 ? shown.back() : shown[std::min(n - 1, size_t((window - 0.5) * 2 * n))];
  const Point p = At(w, x1, y1), q = At(w, x2, y2);
  const Choice& c = Pick(kind);
  const std::string where =
      " at " + std::to_string(p.x) + "," + std::to_string(p.y) + " in \"" + w.name + "\"";
  Action a{"", milliseconds(10 + int(pause * 140))};

  switch (c.kind) {
    case Kind::Click:
    case Kind::DoubleClick: {
      const int button = variant < 0.8 ? 1 : variant < 0.95 ? 3 : 2;
      const int times = c.kind == Kind::Click ? 1 : 2;
      Click(p, button, times);
      a.what = (times == 1 ? "click " : "double click ") + std::to_string(button) + where;
      break;
    }
    case Kind::Drag:
    case Kind::ShiftDrag: {
      const bool shift = c.kind == Kind::ShiftDrag;
      Drag(p, q, 4 + int(variant * 9), shift);
      a.what = std::string(shift ? "shift drag" : "drag") + where + " to " + std::to_string(q.x) +
               "," + std::to_string(q.y);
      break;
    }
    case Kind::Move:
      input_.MoveTo(p.x, p.y);
      a.what = "move" + where;
      break;
    case Kind::Key:
      // Without a window manager keys go to the window under the pointer,
      // unless the game has given one the focus.
      input_.MoveTo(p.x, p.y);
      Tap(c.key);
      a.what = std::string("key ") + XKeysymToString(c.key) + where;
      break;
    case Kind::AltF4:
      input_.MoveTo(p.x, p.y);
      input_.Key(XK_Alt_L, true);
      Tap(XK_F4);
      input_.Key(XK_Alt_L, false);
      a.what = "Alt+F4" + where;
      break;
    case Kind::Close:
      input_.Close(w.id);
      a.what = "close request to \"" + w.name + "\"";
      break;
    case Kind::Pause:
      a.pause = milliseconds(300 + int(pause * 2700));
      a.what = "pause";
      break;
  }
  return a;
}

void RandomInput::Click(Point p, int button, int times) {
  input_.MoveTo(p.x, p.y);
  for (int i = 0; i < times; ++i) {
    input_.Button(button, true);
    Sleep(30);
    input_.Button(button, false);
    Sleep(30);
  }
}

void RandomInput::Drag(Point from, Point to, int steps, bool shift) {
  input_.MoveTo(from.x, from.y);
  if (shift) input_.Key(XK_Shift_L, true);
  input_.Button(1, true);
  for (int i = 1; i <= steps; ++i) {
    Sleep(15);
    input_.MoveTo(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps);
  }
  Sleep(15);
  input_.Button(1, false);
  if (shift) input_.Key(XK_Shift_L, false);
}

void RandomInput::Tap(KeySym key) {
  input_.Key(key, true);
  Sleep(30);
  input_.Key(key, false);
}

}  // namespace kwinta::monkey
