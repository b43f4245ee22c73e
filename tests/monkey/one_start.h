// One start of the game under random input: started, played at until it
// ends, it hangs or the start's actions are used up (then it is asked to
// end), and judged.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "monkey/ending.h"
#include "monkey/redraw_watch.h"

namespace kwinta::monkey {

struct StartSettings {
  std::string game;     // the game's executable
  long actions = 1000;  // at most this many actions in one start
  bool spareLobby = false;
  bool verbose = false;  // prints every action
};

struct StartResult {
  Judgement judgement;
  long actions = 0;
  long redraws = 0;
  double longestQuiet = 0;                     // seconds without a redraw while a window was shown
  double longestHidden = 0;                    // seconds with no window shown, once one had been
  std::set<std::string> windows;               // the names of the windows it showed
  int windowsShown = 0;                        // how often one was shown
  std::map<unsigned long, std::string> known;  // every window it had, by id
  std::vector<std::string> lastErrorLines;     // the end of its stderr
};

// Ends the game at `deadline` if it is still running then.
StartResult RunStart(Display* display, const StartSettings& settings, uint64_t seed,
                     Clock::time_point deadline);

}  // namespace kwinta::monkey
