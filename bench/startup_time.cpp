// Start-up time and memory of the real program: from process start until the
// start-up window is on screen with its picture drawn, and the process's peak
// resident memory a moment later. Needs an X display (scripts/test's Xvfb, or
// run `xvfb-run -s "-screen 0 1024x768x24" build/bin/startup_time`).
// The time is the program's own: it writes down when it handed its first
// frame to the display (KWINTA_FRAME_STATS, platform/frame_stats.h). Finding
// the window and taking screenshots until the picture shows costs up to a
// polling interval plus a screenshot more; that figure is printed beside it,
// and the screenshot confirms that the first frame held the picture.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "support/desktop.h"

using namespace kwinta::testing;
using Clock = std::chrono::steady_clock;

namespace {

long PeakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// The steady clock's time of the program's first frame, from its figures file.
std::optional<Clock::time_point> Presented(const std::string& path) {
  std::ifstream in(path);
  std::string word;
  long long us = 0;
  while (in >> word) {
    if (word == "presented" && in >> us) return Clock::time_point(std::chrono::microseconds(us));
  }
  return std::nullopt;
}

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (!HaveDisplay()) {
    std::fprintf(stderr, "startup_time: needs an X display\n");
    return 1;
  }
  int runs = argc > 1 ? std::stoi(argv[1]) : 3;
  const std::string statsPath = "/tmp/kwinta_startup_time_" + std::to_string(getpid()) + ".txt";
  for (int run = 1; run <= runs; ++run) {
    std::remove(statsPath.c_str());
    auto start = Clock::now();
    GameProcess game(
        {"SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1", "KWINTA_FRAME_STATS=" + statsPath});
    double seenMs = -1;
    while (Clock::now() - start < std::chrono::seconds(60)) {
      if (auto box = WaitForWindow("Kwinta V1.01", 0.05)) {
        Image shot = Screenshot("/tmp/kwinta_startup_bench.png", box);
        if (!shot.rgba.empty() && shot.DistinctColours(0, 0, shot.width, 120) > 50) {
          seenMs = Ms(Clock::now() - start);
          break;
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    long peak = PeakKiB(game.pid());
    std::optional<Clock::time_point> presented = Presented(statsPath);
    double firstPaintMs = presented ? Ms(*presented - start) : -1;
    std::printf(
        "run %d: first paint of the start-up window %.0f ms (seen in a screenshot at %.0f ms), "
        "peak memory %.1f MiB\n",
        run, firstPaintMs, seenMs, peak / 1024.0);
    game.Stop();
  }
  std::remove(statsPath.c_str());
  return 0;
}
