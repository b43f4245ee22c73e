// How soon a lost peer is noticed: two game processes play a network match on
// 127.0.0.1, the parent kills the joiner with SIGKILL at its third shot, and
// the time until the host shows "Away Team Disconnected!" is printed. Runs
// without a display: `build/bin/peer_loss_time [runs]`.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "network/match_processes.h"

using namespace kwinta::testing;

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::stoi(argv[1])) : 5;
  const platform::NetworkSettings& n = platform::Network();
  std::printf("ping interval %d ms, time-out %d..%d ms\n", n.peerPingIntervalMs,
              n.peerTimeoutMinimumMs, n.peerTimeoutMaximumMs);
  std::vector<double> times;
  for (int run = 1; run <= runs; ++run) {
    const MatchRun r =
        PlayMatch({"Killed", {96, 64}, {72, 56}, {0}, {0}, Leaving::KilledAtItsThirdShot});
    const double ms = r.host.disconnectBox == 1 ? r.KillToBoxMs() : -1;
    std::printf("run %d: kill to message %.0f ms\n", run, ms);
    if (ms < 0) return 1;
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("kill to message: min %.0f ms, median %.0f ms, max %.0f ms over %d runs\n",
              times.front(), times[times.size() / 2], times.back(), runs);
  return 0;
}
