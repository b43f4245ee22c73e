#include "support/desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace kwinta::testing {

bool HaveDisplay() {
  return std::getenv("DISPLAY") != nullptr;
}

std::string Run(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  pclose(p);
  return out;
}

namespace {

std::optional<WindowBox> FindWindow(const std::string& name) {
  // xwininfo lists: 0x400007 "Kwinta V1.01": ()  640x480+192+144  +192+144
  std::istringstream lines(Run("xwininfo -root -tree 2>/dev/null"));
  std::string line;
  const std::string quoted = "\"" + name + "\"";
  std::regex geometry(R"((\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+))");
  while (std::getline(lines, line)) {
    if (line.find(quoted) == std::string::npos) continue;
    std::smatch m;
    if (!std::regex_search(line, m, geometry)) continue;
    std::string id =
        line.substr(line.find("0x"), line.find(' ', line.find("0x")) - line.find("0x"));
    WindowBox box{std::stoi(m[5]), std::stoi(m[6]), std::stoi(m[1]), std::stoi(m[2]), id};
    if (box.width <= 1 || box.height <= 1) continue;
    // Only mapped windows count.
    if (Run("xwininfo -id " + id + " 2>/dev/null").find("IsViewable") == std::string::npos) {
      continue;
    }
    return box;
  }
  return std::nullopt;
}

// A window's place and size, from xdotool.
WindowBox Geometry(const std::string& id) {
  std::istringstream shell(Run("xdotool getwindowgeometry --shell " + id));
  WindowBox box{-1, -1, 0, 0};
  for (std::string line; std::getline(shell, line);) {
    const int value = std::atoi(line.c_str() + line.find('=') + 1);
    if (line.rfind("X=", 0) == 0) box.x = value;
    if (line.rfind("Y=", 0) == 0) box.y = value;
    if (line.rfind("WIDTH=", 0) == 0) box.width = value;
    if (line.rfind("HEIGHT=", 0) == 0) box.height = value;
  }
  return box;
}

}  // namespace

std::optional<ProcessWindow> WaitForWindowOf(pid_t pid, const std::string& name, size_t count,
                                             double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    // --all: every condition must hold (xdotool's default is any of them).
    std::istringstream found(Run("xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                                 " --name '^" + name + "$' 2>/dev/null"));
    std::vector<long> ids;
    for (long id; found >> id;) ids.push_back(id);
    if (ids.size() >= count) {
      const std::string id = std::to_string(*std::max_element(ids.begin(), ids.end()));
      return ProcessWindow{id, Geometry(id)};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return std::nullopt;
}

bool MoveTo(ProcessWindow& w, int x, int y) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Run("xdotool windowmove --sync " + w.id + " " + std::to_string(x) + " " + std::to_string(y));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const WindowBox now = Geometry(w.id);
    if (now.x == x && now.y == y) {
      w.box.x = x;
      w.box.y = y;
      return true;
    }
  }
  return false;
}

bool DisplayNumberTaken(int n) {
  namespace fs = std::filesystem;
  return fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
         fs::exists("/tmp/.X" + std::to_string(n) + "-lock");
}

PrivateScreen::PrivateScreen(int width, int height) {
  namespace fs = std::filesystem;
  if (const char* d = std::getenv("DISPLAY")) previous_ = d;
  // Numbers well above the usual ones, from a place of our own, so that
  // screens started at the same time by other runs do not meet.
  const int first = 200 + getpid() % 500;
  for (int n = first; n < first + 40 && pid_ < 0; ++n) {
    if (DisplayNumberTaken(n)) continue;
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    display_ = ":" + std::to_string(n);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    pid_ = fork();
    if (pid_ == 0) {
      execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    // Up once it answers, not merely once its socket is there; and it must be
    // our server that answers, still running, not one that got the number first.
    bool up = false;
    for (int i = 0; i < 100 && !up; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      up = fs::exists(socket) &&
           Run("DISPLAY=" + display_ + " xwininfo -root 2>/dev/null").find("Width:") !=
               std::string::npos;
    }
    if (!up || waitpid(pid_, nullptr, WNOHANG) != 0) {
      if (waitpid(pid_, nullptr, WNOHANG) == 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
      }
      pid_ = -1;
    }
  }
  if (pid_ > 0) setenv("DISPLAY", display_.c_str(), 1);
}

PrivateScreen::~PrivateScreen() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (!previous_.empty()) setenv("DISPLAY", previous_.c_str(), 1);
}

std::optional<WindowBox> WaitForWindow(const std::string& name, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (auto box = FindWindow(name)) return box;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return std::nullopt;
}

bool WaitForWindowGone(const std::string& name, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (!FindWindow(name)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void ClickAt(int x, int y) {
  Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) +
      " sleep 0.1 mousedown 1 sleep 0.1 mouseup 1");
}

void PressKey(const WindowBox& window, const std::string& key) {
  Run("xdotool key --window " + window.id + " " + key + " 2>/dev/null");
}

uint32_t Image::At(int x, int y) const {
  const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
  return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

int Image::DistinctColours(int x0, int y0, int w, int h) const {
  std::set<uint32_t> colours;
  for (int y = y0; y < y0 + h && y < height; ++y) {
    for (int x = x0; x < x0 + w && x < width; ++x) colours.insert(At(x, y));
  }
  return static_cast<int>(colours.size());
}

int Image::GreenIn(int x0, int y0, int w, int h) const {
  int n = 0;
  for (int y = y0; y < y0 + h && y < height; y += 2) {
    for (int x = x0; x < x0 + w && x < width; x += 2) {
      const uint32_t rgb = At(x, y);
      const int r = rgb >> 16, g = (rgb >> 8) & 255, b = rgb & 255;
      n += g > r + 15 && g > b + 15;
    }
  }
  return n;
}

Image Screenshot(const std::string& pngPath, std::optional<WindowBox> box) {
  std::string crop;
  if (box) {
    crop = " -crop " + std::to_string(box->width) + "x" + std::to_string(box->height) + "+" +
           std::to_string(box->x) + "+" + std::to_string(box->y) + " +repage";
  }
  Run("import -window root" + crop + " " + pngPath + " 2>/dev/null");
  Image img;
  int channels = 0;
  unsigned char* data = stbi_load(pngPath.c_str(), &img.width, &img.height, &channels, 4);
  if (data) {
    img.rgba.assign(data, data + size_t(img.width) * img.height * 4);
    stbi_image_free(data);
  }
  return img;
}

GameProcess::GameProcess(const std::vector<std::string>& env)
    : GameProcess(GameStart{env, "", ""}) {}

GameProcess::GameProcess(const GameStart& start) {
  std::string exe =
      start.executable.empty() ? std::string(KWINTA_BIN_DIR) + "/kwinta" : start.executable;
  pid_ = fork();
  if (pid_ == 0) {
    for (const auto& change : start.env) {
      if (change.find('=') == std::string::npos) {
        unsetenv(change.c_str());
      } else {
        putenv(const_cast<char*>(change.c_str()));
      }
    }
    if (!start.stderrFile.empty()) {
      int fd = open(start.stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) dup2(fd, STDERR_FILENO);
    }
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

GameProcess::~GameProcess() {
  Stop();
}

bool GameProcess::Running() {
  if (pid_ <= 0) return false;
  int status;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    if (WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
    pid_ = -1;
    return false;
  }
  return true;
}

std::optional<int> GameProcess::WaitForExit(double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (Running() && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return Running() ? std::nullopt : exitStatus_;
}

void GameProcess::Stop() {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 30 && Running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (Running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

PrivateDisplay::PrivateDisplay(const std::vector<std::string>& serverArgs) {
  // Xvfb picks a free display number itself and writes it to the pipe.
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    close(fds[0]);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::vector<std::string> args = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                                     "-screen",   "0",          "1024x768x24",
                                     "-nolisten", "tcp"};
    args.insert(args.end(), serverArgs.begin(), serverArgs.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp("Xvfb", argv.data());
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char ch;
  while (pid_ > 0 && poll(&p, 1, 10000) > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') {
    number += ch;
  }
  close(fds[0]);
  if (number.empty()) return;
  name_ = ":" + number;
  if (const char* d = std::getenv("DISPLAY")) previous_ = d;
  setenv("DISPLAY", name_.c_str(), 1);
}

PrivateDisplay::~PrivateDisplay() {
  if (Ok() && previous_) {
    setenv("DISPLAY", previous_->c_str(), 1);
  } else if (Ok()) {
    unsetenv("DISPLAY");
  }
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

}  // namespace kwinta::testing
