// Random clicks, drags and keys at random places in the game's windows, and
// now and then a close request: what a careless person does. The actions
// follow from the seed alone, so a seed replays the same actions (where they
// land depends on the windows open at the time).
#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "monkey/fake_input.h"
#include "monkey/game_windows.h"

namespace kwinta::monkey {

struct Action {
  std::string what;                 // for the log, e.g. "click 1 at 312,200 in ReadMe"
  std::chrono::milliseconds pause;  // before the next action
};

class RandomInput {
 public:
  // With `spareLobby`, the pointer stays out of the right half of the
  // 640 x 480 windows, where the start-up window has its network controls.
  RandomInput(FakeInput& input, uint64_t seed, bool spareLobby);

  // One action on one of `shown` (bottom to top of the stacking order, not
  // empty); the topmost is chosen half of the time.
  Action Act(const std::vector<GameWindow>& shown);

 private:
  double Next() { return std::uniform_real_distribution<double>(0, 1)(rng_); }
  struct Point {
    int x, y;
  };
  Point At(const GameWindow& w, double fx, double fy) const;
  void Click(Point p, int button, int times);
  void Drag(Point from, Point to, int steps, bool shift);
  void Tap(KeySym key);

  FakeInput& input_;
  std::mt19937_64 rng_;
  bool spareLobby_;
};

}  // namespace kwinta::monkey
