// A whole match against the computer in the real program (real windows,
// OpenGL, sound through SDL's disk driver into /dev/null), played with the
// real pointer through xdotool: the CPU the game uses in each phase, its frame
// periods by its own clock, its redraws, and its memory at the start-up window,
// in the match and at the result window. Needs an X display and xdotool, e.g.
//   xvfb-run -s "-screen 0 1024x768x24" build/bin/match_play
// The game appends a line per frame to the file KWINTA_FRAME_STATS names
// (platform/frame_stats.h); the phases are told apart from those lines.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/desktop.h"

using namespace kwinta::testing;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

void Sleep(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// CPU time of every thread of the process so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::string dir = "/proc/" + std::to_string(pid) + "/task";
  double total = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      std::ifstream in(dir + "/" + e->d_name + "/schedstat");
      unsigned long long ns = 0;
      if (in >> ns) total += ns / 1e9;
    }
    closedir(d);
  }
  return total;
}

struct Memory {
  double hwm = 0;     // VmHWM, MiB
  double anon = 0;    // private memory of anonymous mappings (heap, stacks, mmaps), MiB
  double libs = 0;    // private (written) pages of file mappings: libraries' data, MiB
  double shared = 0;  // resident shared pages, MiB
};

Memory ReadMemory(pid_t pid) {
  Memory m;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) m.hwm = std::stod(line.substr(6)) / 1024;
  }
  std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
  bool anon = false;
  while (std::getline(smaps, line)) {
    if (line.empty()) continue;
    // A mapping's header: "start-end perms offset dev inode [path]".
    if (std::isxdigit(static_cast<unsigned char>(line[0])) && line.find('-') < 17 &&
        line.find(':') > line.find(' ')) {
      std::istringstream h(line);
      std::string range, perms, offset, dev, inode, path;
      h >> range >> perms >> offset >> dev >> inode;
      std::getline(h >> std::ws, path);
      anon = path.empty() || path.rfind("[heap]", 0) == 0 || path.rfind("[stack", 0) == 0 ||
             path.rfind("[anon", 0) == 0;
      continue;
    }
    double kib = 0;
    auto field = [&](const char* name) {
      if (line.rfind(name, 0) != 0) return false;
      kib = std::stod(line.substr(std::string(name).size()));
      return true;
    };
    if (field("Private_Clean:") || field("Private_Dirty:")) {
      (anon ? m.anon : m.libs) += kib / 1024;
    } else if (field("Shared_Clean:") || field("Shared_Dirty:")) {
      m.shared += kib / 1024;
    }
  }
  return m;
}

void PrintMemory(const char* when, const Memory& m) {
  std::printf(
      "  %-28s VmHWM %6.1f MiB   private anonymous %6.1f MiB   (libraries' private %5.1f, "
      "shared resident %5.1f)\n",
      when, m.hwm, m.anon, m.libs, m.shared);
}

// One line of the game's frame statistics.
struct FrameLine {
  int period = 0;
  long long clock = 0, cpuUs = 0, redraws = 0, renders = 0, homings = 0;
};

class StatsFile {
 public:
  explicit StatsFile(std::string path) : path_(std::move(path)) {}
  // Reads the lines appended since the last call.
  void Update() {
    std::ifstream in(path_);
    in.seekg(offset_);
    std::string line;
    while (std::getline(in, line)) {
      if (in.eof()) break;  // a half-written line: read it next time
      offset_ += static_cast<std::streamoff>(line.size() + 1);
      FrameLine f;
      std::istringstream s(line);
      if (s >> f.period >> f.clock >> f.cpuUs >> f.redraws >> f.renders >> f.homings) {
        lines.push_back(f);
      }
    }
  }
  std::vector<FrameLine> lines;

 private:
  std::string path_;
  std::streamoff offset_ = 0;
};

// What the game is doing, from its latest frames.
enum class Now { Other, Aiming, Flight };

struct Phase {
  double wallMs = 0, cpuMs = 0;
  long long redraws = 0;
  std::vector<double> periods;  // of frames followed by a frame of the same kind
};

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p * (v.size() - 1) + 0.5);
  return v[i];
}

const char* kResultWindows[] = {"Home Team Wins!!", "Away Team Wins!!", "It's All Tied Up!"};

}  // namespace

int main(int argc, char** argv) {
  if (!HaveDisplay()) {
    std::fprintf(stderr, "match_play: needs an X display\n");
    return 1;
  }
  const double limit = argc > 1 ? std::stod(argv[1]) : 420;  // seconds for the whole match
  const std::string statsPath = "/tmp/kwinta_match_play_" + std::to_string(getpid()) + ".txt";
  std::remove(statsPath.c_str());
  const auto start = Clock::now();
  GameProcess game({"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                    "LIBGL_ALWAYS_SOFTWARE=1", "KWINTA_FRAME_STATS=" + statsPath});
  const pid_t pid = game.pid();

  // The start-up window, idle.
  std::optional<WindowBox> menu;
  while (!menu && Since(start) < 60) {
    if (auto box = WaitForWindow("Kwinta V1.01", 0.1)) {
      Image shot = Screenshot("/tmp/kwinta_match_play.png", box);
      if (!shot.rgba.empty() && shot.DistinctColours(0, 0, shot.width, 120) > 50) menu = box;
    }
  }
  if (!menu) {
    std::fprintf(stderr, "match_play: the start-up window never showed\n");
    return 1;
  }
  Sleep(1.0);
  const double idleSeconds = 5;
  double cpu0 = CpuSeconds(pid);
  auto t0 = Clock::now();
  Sleep(idleSeconds);
  const double startupCpu = (CpuSeconds(pid) - cpu0) / Since(t0) * 100;
  const Memory atStartup = ReadMemory(pid);

  // The match: aim with the pointer still for 2 s (or move it for the last
  // second of every other aim), then hold the button for 0.2 s. A press the
  // game ignores (a shot in flight, the computer's turn) does no harm.
  ClickAt(menu->x + 24 + 65, menu->y + 156 + 13);  // "VS, Computer"
  StatsFile stats(statsPath);
  Memory inMatch;
  Phase moving;
  std::vector<std::pair<size_t, size_t>> movingSpans;  // line ranges of the mouse-moving spells
  size_t runStart = 0;  // first line of the present run of frames of one kind
  Clock::time_point runSince = Clock::now(), lastLine = Clock::now(), lastMemory = Clock::now();
  int aims = 0;
  std::optional<WindowBox> result;
  const char* resultName = nullptr;
  while (!result && Since(start) < limit && game.Running()) {
    Sleep(0.05);
    size_t before = stats.lines.size();
    stats.Update();
    if (stats.lines.size() != before) lastLine = Clock::now();
    if (Since(lastMemory) > 2) {
      Memory m = ReadMemory(pid);
      inMatch.hwm = std::max(inMatch.hwm, m.hwm);
      inMatch.anon = std::max(inMatch.anon, m.anon);
      inMatch.libs = std::max(inMatch.libs, m.libs);
      inMatch.shared = std::max(inMatch.shared, m.shared);
      lastMemory = Clock::now();
    }
    if (stats.lines.empty()) continue;
    if (Since(lastLine) > 1.0) {
      // No frames: a modal window, perhaps the result.
      for (const char* name : kResultWindows) {
        if (auto box = WaitForWindow(name, 0.01)) {
          result = box;
          resultName = name;
        }
      }
      continue;
    }
    // The kind of the latest frames: the local player aims in match frames
    // that re-centre the pointer and render.
    const auto& ls = stats.lines;
    size_t n = ls.size();
    Now now = Now::Other;
    if (n >= 3 && ls[n - 1].period == 25 && ls[n - 3].period == 25 &&
        ls[n - 1].homings > ls[n - 3].homings && ls[n - 1].renders > ls[n - 3].renders) {
      now = Now::Aiming;
    } else if (n >= 3 && ls[n - 1].period == 20 && ls[n - 3].period == 20) {
      now = Now::Flight;  // or the field goal's posts sliding, awaiting the kick
    }
    size_t kindStart = n - 1;
    while (kindStart > 0 && ls[kindStart - 1].period == ls[n - 1].period) --kindStart;
    if (kindStart != runStart) {
      runStart = kindStart;
      runSince = Clock::now();
    }
    bool press = (now == Now::Aiming && Since(runSince) > 2.0) ||
                 (now == Now::Flight && Since(runSince) > 4.0);
    if (now == Now::Aiming && Since(runSince) > 1.0 && aims % 2 == 1 && press == false) {
      // Move the pointer for a second, there and back.
      size_t from = ls.size();
      Run("xdotool " + [] {
        std::string s;
        for (int i = 0; i < 100; ++i)
          s += std::string("mousemove_relative -- ") + (i < 50 ? "3" : "-3") + " 0 sleep 0.01 ";
        return s;
      }());
      stats.Update();
      movingSpans.push_back({from, stats.lines.size()});
      press = true;
    }
    if (press) {
      Run("xdotool mousedown 1 sleep 0.2 mouseup 1");
      ++aims;
      runSince = Clock::now();
      stats.Update();
      runStart = stats.lines.size();
    }
  }
  if (!result) {
    if (!game.Running()) {
      std::fprintf(stderr, "match_play: the program ended after %.0f s, before the result window\n",
                   Since(start));
    } else {
      std::fprintf(stderr, "match_play: no result window within %.0f s\n", limit);
    }
    game.Stop();
    return 1;
  }
  const double matchSeconds = Since(start);

  // The result window, idle.
  Sleep(1.0);
  cpu0 = CpuSeconds(pid);
  t0 = Clock::now();
  Sleep(3.0);
  const double resultCpu = (CpuSeconds(pid) - cpu0) / Since(t0) * 100;
  const Memory atResult = ReadMemory(pid);
  Screenshot("/tmp/kwinta_match_play_result.png", result);
  ClickAt(result->x + result->width / 2, result->y + result->height / 2);
  for (int i = 0; i < 100 && game.Running(); ++i) Sleep(0.1);
  const bool endedByItself = !game.Running();
  game.Stop();
  stats.Update();
  std::remove(statsPath.c_str());

  // The phases, frame by frame.
  std::map<std::string, Phase> phases;
  const auto& ls = stats.lines;
  auto inMoving = [&](size_t i) {
    for (auto [a, b] : movingSpans) {
      if (i >= a && i < b) return true;
    }
    return false;
  };
  for (size_t i = 0; i + 1 < ls.size(); ++i) {
    const FrameLine& f = ls[i];
    const FrameLine& g = ls[i + 1];
    std::string name;
    if (f.period == 25) {
      if (g.homings == f.homings) {
        name = "3 computer's turn";
      } else if (g.renders == f.renders) {
        name = "2 charging (button held)";
      } else {
        name = inMoving(i) ? "1 aiming, pointer moving" : "0 aiming, pointer still";
      }
    } else if (f.period == 20) {
      name = "4 flight, field goal";
    } else {
      name = "5 timed waits (pictures)";
    }
    Phase& p = phases[name];
    const double wall = static_cast<double>(g.clock - f.clock);
    p.wallMs += wall;
    p.cpuMs += (g.cpuUs - f.cpuUs) / 1000.0;
    p.redraws += g.redraws - f.redraws;
    if (g.period == f.period) p.periods.push_back(wall);
  }

  std::printf("match_play: a whole match against the computer, %s, in %.0f s (%zu frames)%s\n",
              resultName, matchSeconds, ls.size(),
              endedByItself ? "" : "; the program did not end by itself");
  std::printf("CPU of the game process, %% of one core:\n");
  std::printf("  %-28s %5.1f %%\n", "start-up window, idle", startupCpu);
  for (const auto& [name, p] : phases) {
    if (p.wallMs < 500) continue;  // the computer aims within a frame
    std::printf("  %-28s %5.1f %%   %5.1f redraws/s   over %5.1f s\n", name.c_str() + 2,
                p.wallMs > 0 ? p.cpuMs / p.wallMs * 100 : 0, p.redraws * 1000.0 / p.wallMs,
                p.wallMs / 1000);
  }
  std::printf("  %-28s %5.1f %%\n", "result window, idle", resultCpu);
  if (ls.size() >= 2) {
    const double wall = static_cast<double>(ls.back().clock - ls.front().clock);
    std::printf("  %-28s %5.1f %%   %5.1f redraws/s   over %5.1f s\n", "whole match",
                (ls.back().cpuUs - ls.front().cpuUs) / 10.0 / wall,
                (ls.back().redraws - ls.front().redraws) * 1000.0 / wall, wall / 1000);
  }
  std::printf("Frame periods by the game's clock, ms: median (p5-p95)\n");
  std::vector<double> match, flight;
  for (const auto& [name, p] : phases) {
    if (name[0] <= '3') match.insert(match.end(), p.periods.begin(), p.periods.end());
    if (name[0] == '4') flight.insert(flight.end(), p.periods.begin(), p.periods.end());
  }
  std::printf("  match frames (25 ms)   %5.1f (%.1f-%.1f), %zu frames\n", Percentile(match, 0.5),
              Percentile(match, 0.05), Percentile(match, 0.95), match.size());
  std::printf("  flight frames (20 ms)  %5.1f (%.1f-%.1f), %zu frames\n", Percentile(flight, 0.5),
              Percentile(flight, 0.05), Percentile(flight, 0.95), flight.size());
  std::printf("Memory:\n");
  PrintMemory("at the start-up window", atStartup);
  PrintMemory("in the match (highest)", inMatch);
  PrintMemory("at the result window", atResult);
  return 0;
}
