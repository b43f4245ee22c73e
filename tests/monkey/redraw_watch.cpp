#include "monkey/redraw_watch.h"

#include <algorithm>

namespace kwinta::monkey {

bool RedrawWatch::Available(Display* display) {
  int events = 0, errors = 0;
  return XDamageQueryExtension(display, &events, &errors);
}

RedrawWatch::RedrawWatch(Display* display) : display_(display) {
  int errors = 0;
  XDamageQueryExtension(display_, &eventBase_, &errors);
}

void RedrawWatch::Watch(const std::vector<GameWindow>& windows) {
  std::erase_if(damages_, [&](const auto& entry) {
    return std::none_of(windows.begin(), windows.end(),
                        [&](const GameWindow& w) { return w.id == entry.first; });
  });
  bool mapped = false;
  for (const GameWindow& w : windows) {
    if (damages_.count(w.id) == 0) {
      damages_[w.id] = XDamageCreate(display_, w.id, XDamageReportNonEmpty);
    }
    mapped = mapped || w.Shown();
  }
  Note();
  if (mapped && !mapped_) since_ = Clock::now();
  mapped_ = mapped;
}

bool RedrawWatch::Take(const XEvent& event) {
  if (event.type != eventBase_ + XDamageNotify) return false;
  const auto& e = reinterpret_cast<const XDamageNotifyEvent&>(event);
  auto it = damages_.find(e.drawable);
  if (it == damages_.end()) return false;
  // Emptied again, so that the next drawing reports once more.
  XDamageSubtract(display_, it->second, None, None);
  Note();
  since_ = Clock::now();
  ++count_;
  return true;
}

Clock::duration RedrawWatch::Quiet() const {
  return mapped_ ? Clock::now() - since_ : Clock::duration{};
}

void RedrawWatch::Note() {
  longest_ = std::max(longest_, Quiet());
}

}  // namespace kwinta::monkey
