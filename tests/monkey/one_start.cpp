#include "monkey/one_start.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "monkey/fake_input.h"
#include "monkey/game_process.h"
#include "monkey/game_windows.h"
#include "monkey/random_input.h"
#include "monkey/stack.h"

namespace kwinta::monkey {

namespace {

using namespace std::chrono_literals;

// The game draws each shown window at least once a second: five seconds of
// quiet is a stuck game even on a loaded machine.
constexpr auto kHang = 5s;
// Starting up or loading a match shows no window for a while; this long is
// a game that runs on unseen.
constexpr auto kUnseen = 30s;
// Ending takes well under a second.
constexpr double kEndSeconds = 10;
constexpr auto kScanPeriod = 100ms;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

std::vector<GameWindow> ShownOf(const std::vector<GameWindow>& windows) {
  std::vector<GameWindow> shown;
  std::copy_if(windows.begin(), windows.end(), std::back_inserter(shown),
               [](const GameWindow& w) { return w.Shown(); });
  return shown;
}

bool ShownIn(const std::vector<GameWindow>& shown, ::Window id) {
  return std::any_of(shown.begin(), shown.end(), [&](const GameWindow& w) { return w.id == id; });
}

}  // namespace

StartResult RunStart(Display* display, const StartSettings& settings, uint64_t seed,
                     Clock::time_point deadline) {
  StartResult result;
  GameProcess game(settings.game);
  FakeInput input(display);
  RandomInput random(input, seed, settings.spareLobby);
  RedrawWatch watch(display);

  std::vector<GameWindow> shown;
  auto nextAction = Clock::now(), lastScan = Clock::now() - kScanPeriod;
  auto unseenSince = Clock::now();
  bool everShown = false;
  std::string hang;
  bool endedInTime = true;

  for (;;) {
    game.Poll();
    if (game.Ended()) break;
    auto now = Clock::now();
    if (now - lastScan >= kScanPeriod) {
      lastScan = now;
      std::vector<GameWindow> windows = WindowsOf(display, game.Pid());
      watch.Watch(windows);
      for (const GameWindow& w : windows) result.known[w.id] = w.name;
      std::vector<GameWindow> current = ShownOf(windows);
      for (const GameWindow& w : current) {
        if (!ShownIn(shown, w.id)) {
          result.windows.insert(w.name);
          ++result.windowsShown;
          if (settings.verbose) std::printf("monkey:   shown: \"%s\"\n", w.name.c_str());
        }
      }
      shown = std::move(current);
      if (shown.empty()) {
        if (everShown)
          result.longestHidden = std::max(result.longestHidden, Seconds(now - unseenSince));
      } else {
        everShown = true;
        unseenSince = now;
      }
    }
    while (XPending(display)) {
      XEvent e;
      XNextEvent(display, &e);
      watch.Take(e);
    }
    if (watch.Quiet() >= kHang) {
      hang = "no redraw for " + std::to_string(int(Seconds(watch.Quiet()))) +
             " s while a window was shown (\"" + (shown.empty() ? "" : shown.back().name) + "\")";
    } else if (now - unseenSince >= kUnseen) {
      hang = "no window shown for " + std::to_string(int(Seconds(now - unseenSince))) + " s";
    }
    if (!hang.empty()) {
      std::printf("monkey:   %s; where it is:\n", hang.c_str());
      PrintStack(game.Pid());
      game.Kill();
      break;
    }
    if (result.actions >= settings.actions || now >= deadline) {
      input.ReleaseAll();
      endedInTime = game.Terminate(kEndSeconds);
      if (!endedInTime) game.Kill();
      break;
    }
    if (!shown.empty() && now >= nextAction) {
      Action a = random.Act(shown);
      ++result.actions;
      if (settings.verbose) std::printf("monkey:   %ld %s\n", result.actions, a.what.c_str());
      nextAction = Clock::now() + a.pause;
    }
    std::this_thread::sleep_for(5ms);
  }
  input.ReleaseAll();
  XSync(display, False);

  const auto& lines = game.ErrorLines();
  result.lastErrorLines.assign(lines.end() - std::min<long>(long(lines.size()), 12), lines.end());
  result.redraws = watch.Redraws();
  result.longestQuiet = Seconds(std::max(watch.LongestQuiet(), watch.Quiet()));
  const GameEnd& end = *game.Ended();
  if (!hang.empty()) {
    result.judgement = {Verdict::Hang, hang};
  } else if (!endedInTime) {
    result.judgement = {Verdict::Hang,
                        "still running " + std::to_string(int(kEndSeconds)) + " s after SIGTERM"};
  } else {
    result.judgement =
        Judge(end, end.signalled && game.SentSignal(end.status), game.ErrorLines(), result.known);
  }
  return result;
}

}  // namespace kwinta::monkey
