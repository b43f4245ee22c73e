// Start-up time and memory of the real program: from process start until the
// start-up window is on screen with its picture drawn, and the process's peak
// resident memory a moment later. Needs an X display (scripts/test's Xvfb, or
// run `xvfb-run -s "-screen 0 1024x768x24" build/bin/startup_time`).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "support/desktop.h"

using namespace kwinta::testing;

namespace {

long PeakKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (!HaveDisplay()) {
    std::fprintf(stderr, "startup_time: needs an X display\n");
    return 1;
  }
  int runs = argc > 1 ? std::stoi(argv[1]) : 3;
  for (int run = 1; run <= runs; ++run) {
    auto start = std::chrono::steady_clock::now();
    GameProcess game({"SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1"});
    double firstPaintMs = -1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
      if (auto box = WaitForWindow("Kwinta V1.01", 0.05)) {
        Image shot = Screenshot("/tmp/kwinta_startup_bench.png", box);
        if (!shot.rgba.empty() && shot.DistinctColours(0, 0, shot.width, 120) > 50) {
          firstPaintMs =
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count();
          break;
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    long peak = PeakKiB(game.pid());
    std::printf("run %d: first paint of the start-up window %.0f ms, peak memory %.1f MiB\n", run,
                firstPaintMs, peak / 1024.0);
    game.Stop();
  }
  return 0;
}
