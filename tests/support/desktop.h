// Helpers for the tests that run the real program under an X server: start
// it, find its windows, click, take screenshots and read their pixels.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kwinta::testing {

bool HaveDisplay();
std::string Run(const std::string& command);  // stdout of a shell command

struct WindowBox {
  int x = 0, y = 0, width = 0, height = 0;
};
// Waits up to `seconds` for a mapped window named exactly `name`.
std::optional<WindowBox> WaitForWindow(const std::string& name, double seconds);
// Waits up to `seconds` until no mapped window is named `name`.
bool WaitForWindowGone(const std::string& name, double seconds);
void ClickAt(int x, int y);

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  uint32_t At(int x, int y) const;  // 0xRRGGBB
  int DistinctColours(int x0, int y0, int w, int h) const;
  // Greenish pixels (grass, the referee's field) in a box, every second one.
  int GreenIn(int x0, int y0, int w, int h) const;
};
// Screenshot of the whole screen, or of a window's box.
Image Screenshot(const std::string& pngPath, std::optional<WindowBox> box = std::nullopt);

// The game as a child process with its own environment additions.
class GameProcess {
 public:
  explicit GameProcess(const std::vector<std::string>& env = {});
  ~GameProcess();
  bool Running();
  void Stop();  // SIGTERM, then SIGKILL
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

}  // namespace kwinta::testing
