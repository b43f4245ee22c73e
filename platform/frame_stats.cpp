#include "platform/frame_stats.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace platform::stats {

namespace {

struct Counts {
  std::FILE* file = nullptr;
  uint64_t redraws = 0, renders = 0, homings = 0;
  bool presented = false;

  Counts() {
    if (const char* path = std::getenv("KWINTA_FRAME_STATS"); path && *path) {
      file = std::fopen(path, "a");
    }
  }
};

Counts& counts() {
  static Counts c;
  return c;
}

}  // namespace

void FrameStarted(int32_t clockMs, int32_t periodMs) {
  Counts& c = counts();
  if (c.file == nullptr) return;
  timespec cpu{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  const long long cpuUs = static_cast<long long>(cpu.tv_sec) * 1000000 + cpu.tv_nsec / 1000;
  // period, clock, CPU, redraws, renders, re-centrings; flushed so that the
  // benchmark can follow the match as it goes.
  std::fprintf(c.file, "%d %d %lld %llu %llu %llu\n", periodMs, clockMs, cpuUs,
               static_cast<unsigned long long>(c.redraws),
               static_cast<unsigned long long>(c.renders),
               static_cast<unsigned long long>(c.homings));
  std::fflush(c.file);
}

void WindowRedrawn() {
  ++counts().redraws;
}

void FramePresented() {
  Counts& c = counts();
  if (c.file == nullptr || c.presented) return;
  c.presented = true;
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  // Not a frame line: the benchmark that reads those skips it.
  std::fprintf(c.file, "presented %lld\n",
               static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
  std::fflush(c.file);
}

void CanvasRendered() {
  ++counts().renders;
}

void PointerHomed() {
  ++counts().homings;
}

}  // namespace platform::stats
