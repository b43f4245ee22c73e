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
// Whether an X server has (or had, leaving its lock) display number `n`.
bool DisplayNumberTaken(int n);
std::string Run(const std::string& command);  // stdout of a shell command

struct WindowBox {
  int x = 0, y = 0, width = 0, height = 0;
  std::string id;  // the X window id, "0x..."
};
// Waits up to `seconds` for a mapped window named exactly `name`.
std::optional<WindowBox> WaitForWindow(const std::string& name, double seconds);
// Waits up to `seconds` until no mapped window is named `name`.
bool WaitForWindowGone(const std::string& name, double seconds);
void ClickAt(int x, int y);
// Sends a key (an X key name such as "Return") to the window.
void PressKey(const WindowBox& window, const std::string& key);

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

// A window of one process: its X id and where it is.
struct ProcessWindow {
  std::string id;
  WindowBox box;
};
// Waits up to `seconds` until process `pid` shows `count` windows named
// `name`; the newest of them.
std::optional<ProcessWindow> WaitForWindowOf(pid_t pid, const std::string& name, size_t count,
                                             double seconds);
// Puts a window's top left corner at (x, y), once its program has placed it;
// false when it does not stay there.
bool MoveTo(ProcessWindow& w, int x, int y);

// A private Xvfb screen of its own size, for programs that must not overlap;
// DISPLAY points at it while it lives.
class PrivateScreen {
 public:
  PrivateScreen(int width, int height);
  ~PrivateScreen();
  PrivateScreen(const PrivateScreen&) = delete;
  PrivateScreen& operator=(const PrivateScreen&) = delete;
  bool Up() const { return pid_ > 0; }
  const std::string& Display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_, previous_;
};

// How to start the game as a child process.
struct GameStart {
  // Changes to the environment: "NAME=value" sets NAME, "NAME" alone
  // removes it.
  std::vector<std::string> env;
  std::string executable;  // when empty, the one built here
  std::string stderrFile;  // when empty, the test's own stderr
};

// The game as a child process.
class GameProcess {
 public:
  explicit GameProcess(const std::vector<std::string>& env = {});
  explicit GameProcess(const GameStart& start);
  ~GameProcess();
  bool Running();
  void Stop();  // SIGTERM, then SIGKILL
  pid_t pid() const { return pid_; }
  // Waits up to `seconds` for the program to end by itself; its exit status,
  // or nothing when it is still running or was stopped by a signal.
  std::optional<int> WaitForExit(double seconds);

 private:
  pid_t pid_ = -1;
  std::optional<int> exitStatus_;
};

// An X server of the test's own (Xvfb on a free display number) with extra
// server arguments, e.g. {"-extension", "GLX"}. While it lives, DISPLAY
// names it, so the helpers above and the game started here use it.
class PrivateDisplay {
 public:
  explicit PrivateDisplay(const std::vector<std::string>& serverArgs);
  ~PrivateDisplay();
  bool Ok() const { return !name_.empty(); }
  const std::string& Name() const { return name_; }  // ":N"

 private:
  pid_t pid_ = -1;
  std::string name_;
  std::optional<std::string> previous_;
};

}  // namespace kwinta::testing
