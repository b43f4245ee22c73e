// kwinta_monkey: the real game under random clicks, drags, keys and close
// requests, started again each time it ends, watched for crashes, X errors,
// unexpected exit statuses and hangs. Each start's seed is printed; --seed
// replays one start. Exits 1 when any start went wrong. scripts/monkey runs
// it in a network namespace with an X server of its own.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "monkey/fake_input.h"
#include "monkey/one_start.h"
#include "monkey/options.h"
#include "monkey/redraw_watch.h"

namespace {

using namespace kwinta::monkey;

// A start needs a few seconds to get anywhere: none begins closer to the end.
constexpr auto kShortestStart = std::chrono::seconds(10);

// The monkey's own requests name windows that may be gone by the time the
// server reads them: those errors are expected, and are not the game's.
int PassOver(Display*, XErrorEvent*) {
  return 0;
}

std::string Join(const std::set<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "\"" : ", \"") + n + "\"";
  return out.empty() ? "none" : out;
}

void PrintStart(const StartResult& r) {
  std::printf("monkey:   %ld actions, %ld redraws, longest quiet %.1f s, longest unseen %.1f s\n",
              r.actions, r.redraws, r.longestQuiet, r.longestHidden);
  std::printf("monkey:   %d windows shown: %s\n", r.windowsShown, Join(r.windows).c_str());
  std::printf("monkey:   %s%s\n", r.judgement.Fault() ? "WRONG: " : "", r.judgement.text.c_str());
  if (r.judgement.Fault()) {
    for (const std::string& line : r.lastErrorLines) std::printf("monkey:   | %s\n", line.c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Options> options = ParseOptions(argc, argv, KWINTA_BIN_DIR "/kwinta");
  if (!options) return 2;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    const char* name = std::getenv("DISPLAY");
    std::fprintf(stderr, "monkey: can't open the X display \"%s\"\n", name ? name : "");
    return 2;
  }
  if (!FakeInput::Available(display) || !RedrawWatch::Available(display)) {
    std::fprintf(stderr, "monkey: the X server lacks the XTEST or DAMAGE extension\n");
    return 2;
  }
  XSetErrorHandler(PassOver);

  const auto begin = Clock::now();
  const bool bounded = !options->seed || options->secondsGiven;
  const auto deadline = bounded ? begin + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(options->seconds))
                                : Clock::time_point::max();
  std::random_device device;
  std::vector<std::pair<uint64_t, std::string>> faults, ownErrors;
  int starts = 0;
  do {
    const uint64_t seed = options->seed ? *options->seed : device();
    std::printf("monkey: start %d, seed %llu\n", ++starts, static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    StartResult r = RunStart(display, options->start, seed, deadline);
    PrintStart(r);
    if (r.judgement.Fault()) faults.emplace_back(seed, r.judgement.text);
    if (r.judgement.verdict == Verdict::OwnError) ownErrors.emplace_back(seed, r.judgement.text);
  } while (!options->seed && Clock::now() + kShortestStart < deadline);

  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  std::printf("monkey: %d starts in %.0f s\n", starts, seconds);
  for (const auto& [seed, text] : ownErrors) {
    std::printf("monkey: seed %llu: the game %s\n", static_cast<unsigned long long>(seed),
                text.c_str());
  }
  if (faults.empty()) {
    std::printf("monkey: no crash, X error, unexpected exit or hang\n");
    return 0;
  }
  std::printf(
      "monkey: %zu of the starts went wrong; each replays with scripts/monkey --seed SEED\n",
      faults.size());
  for (const auto& [seed, text] : faults) {
    std::printf("monkey: seed %llu: %s\n", static_cast<unsigned long long>(seed), text.c_str());
  }
  return 1;
}
