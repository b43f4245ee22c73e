// The real program under an X server: the start-up window is drawn with its
// controls, the two picture windows open and close, and the menu sounds are
// heard, unclipped (through SDL's disk audio driver).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/desktop.h"

namespace kwinta::testing {
namespace {

namespace fs = std::filesystem;

fs::path ShotDir() {
  fs::path dir = fs::path(KWINTA_BIN_DIR).parent_path() / "screenshots";
  fs::create_directories(dir);
  return dir;
}

TEST(StartupWindow, DrawsTheMenuAndItsPicturesAndPlaysTheMenuSoundsUnclipped) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  fs::path audio = ShotDir() / "startup_audio.raw";
  fs::remove(audio);
  GameProcess game(
      {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + audio.string(), "LIBGL_ALWAYS_SOFTWARE=1"});

  auto box = WaitForWindow("Kwinta V1.01", 30);
  ASSERT_TRUE(box) << "the start-up window never appeared";
  EXPECT_EQ(box->width, 640);
  EXPECT_EQ(box->height, 480);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));

  Image shot = Screenshot((ShotDir() / "startup.png").string(), box);
  ASSERT_EQ(shot.width, 640);
  EXPECT_GT(shot.DistinctColours(0, 0, 640, 480), 200) << "the window looks blank";
  // The buttons are drawn: the "VS, Computer" button's face differs from the
  // panel around it, and its caption adds several shades inside it.
  EXPECT_GT(shot.DistinctColours(24, 156, 131, 26), 8);

  // The two picture windows of the menu, drawn from the pictures built into
  // the program.
  struct PictureWindow {
    const char* caption;
    int buttonX, buttonY;  // the middle of its menu button
    int width, height;
    const char* shot;
  };
  for (const PictureWindow& p :
       {PictureWindow{"Controls", 67, 203, 497, 399, "controls.png"},
        PictureWindow{"Background", 159, 203, 493, 398, "background.png"}}) {
    SCOPED_TRACE(p.caption);
    ClickAt(box->x + p.buttonX, box->y + p.buttonY);
    auto window = WaitForWindow(p.caption, 15);
    ASSERT_TRUE(window) << "the window never appeared";
    EXPECT_EQ(window->width, p.width);
    EXPECT_EQ(window->height, p.height);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    Image panel = Screenshot((ShotDir() / p.shot).string(), window);
    EXPECT_GT(panel.DistinctColours(0, 0, panel.width, panel.height), 20) << "no picture";
    ClickAt(window->x + 250, window->y + 200);
    EXPECT_TRUE(WaitForWindowGone(p.caption, 15));
    EXPECT_TRUE(game.Running()) << "closing the window must not end the program";
  }

  game.Stop();
  // The mix is 16-bit stereo, interleaved. Silence is all zero bytes; a
  // channel held at full scale for consecutive frames is the mixer clipping.
  std::ifstream in(audio, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 10000u) << "nothing was played";
  size_t loud = 0, clippedRuns = 0;
  int peak = 0;
  int held[2] = {0, 0};  // frames in a row at full scale, per channel
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    int sample = int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    int magnitude = std::abs(sample);
    loud += magnitude > 500;
    peak = std::max(peak, magnitude);
    int& run = held[(i / 2) % 2];
    run = magnitude >= 32767 ? run + 1 : 0;
    clippedRuns += run == 2;
  }
  EXPECT_GT(loud, bytes.size() / 200) << "the menu sounds were silent";
  EXPECT_EQ(clippedRuns, 0u) << "the menu sounds clip (peak " << peak << ")";
  std::printf("menu sounds: %zu bytes captured, peak sample %d (%.1f dBFS)\n", bytes.size(), peak,
              20 * std::log10(std::max(peak, 1) / 32768.0));
}

// On an X server without GLX OpenGL can't start, so nothing can be drawn: the
// program says why in a box that needs no OpenGL, and ends once it is closed.
TEST(StartupWindow, WithoutOpenGLTheDisplayMessageShowsAndTheProgramEnds) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
#if defined(__SANITIZE_ADDRESS__)
  // SDL shows this box from a forked child. AddressSanitizer's allocator here
  // does not survive a fork while another thread allocates (the sound
  // thread is just starting then), and the child can hang on its lock.
  GTEST_SKIP() << "SDL's forked message box can hang under AddressSanitizer";
#endif
  PrivateDisplay noGl({"-extension", "GLX"});
  ASSERT_TRUE(noGl.Ok()) << "can't start an X server of our own";
  GameProcess game({"DISPLAY=" + noGl.Name(), "SDL_AUDIODRIVER=dummy"});

  auto box = WaitForWindow("Error:", 30);
  ASSERT_TRUE(box) << "no message box appeared";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Image shot = Screenshot((ShotDir() / "display_message.png").string(), box);
  EXPECT_GT(shot.DistinctColours(0, 0, shot.width, shot.height), 2) << "the box looks blank";
  EXPECT_FALSE(WaitForWindow("Kwinta V1.01", 0.5)) << "the start-up window must not open";
  EXPECT_TRUE(game.Running()) << "the program waits for the box to be closed";

  PressKey(*box, "Return");
  EXPECT_EQ(game.WaitForExit(15), std::optional<int>(0));
}

std::string Contents(const fs::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A display number no X server answers on.
std::string UnusedDisplay() {
  int n = 300;
  while (DisplayNumberTaken(n)) ++n;
  return ":" + std::to_string(n);
}

// Without a display a person can see, the program says why and ends at once:
// it never runs on with windows nobody sees.
TEST(StartupWindow, WithoutADisplayTheProgramSaysWhyAndEnds) {
  struct NoDisplayCase {
    const char* what;
    std::vector<std::string> env;
  };
  const NoDisplayCase cases[] = {
      {"DISPLAY names no server", {"DISPLAY=" + UnusedDisplay()}},
      {"DISPLAY is not set", {"DISPLAY"}},
  };
  for (const NoDisplayCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::path errors = ShotDir() / "no_display_stderr.txt";
    GameStart start{c.env, "", errors.string()};
    start.env.insert(start.env.end(), {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER",
                                       "SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1"});
    GameProcess game(start);
    std::optional<int> status = game.WaitForExit(10);
    ASSERT_TRUE(status) << "still running without a display";
    EXPECT_NE(*status, 0);
    EXPECT_NE(Contents(errors).find("can't open a display"), std::string::npos) << Contents(errors);
  }
}

// The game started from a folder without its data files: the first file it
// can't read is named in a box before the program ends.
TEST(StartupWindow, AMissingDataFileIsShownInABoxAndEndsTheProgram) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  fs::path folder = fs::temp_directory_path() / ("kwinta_alone_" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy_file(fs::path(KWINTA_BIN_DIR) / "kwinta", folder / "kwinta");
  fs::path errors = ShotDir() / "missing_file_stderr.txt";
  GameProcess game(GameStart{{"SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1"},
                             (folder / "kwinta").string(),
                             errors.string()});

  // Without its sounds the game says it will run without sound, and goes on.
  if (auto sound = WaitForWindow("Error initializing DirectSound.", 15)) {
    ClickAt(sound->x + sound->width / 2, sound->y + sound->height - 25);
  }
  auto menu = WaitForWindow("Kwinta V1.01", 30);
  ASSERT_TRUE(menu) << "the start-up window never appeared";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ClickAt(menu->x + 89, menu->y + 169);  // "VS, Computer"

  auto box = WaitForWindow("Error:", 30);
  ASSERT_TRUE(box) << "no box says why the game ends; stderr: " << Contents(errors);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Image shot = Screenshot((ShotDir() / "missing_file_box.png").string(), box);
  EXPECT_GT(shot.DistinctColours(0, 0, shot.width, shot.height), 2) << "the box looks blank";
  // The box is as wide as its text, which names the file with its folder.
  EXPECT_GT(box->width, 300);
  EXPECT_NE(Contents(errors).find((folder / "loose.dab").string()), std::string::npos)
      << Contents(errors);
  EXPECT_TRUE(game.Running()) << "the program waits for the box to be closed";

  ClickAt(box->x + box->width / 2, box->y + box->height - 25);  // OK
  EXPECT_EQ(game.WaitForExit(15), std::optional<int>(1));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kwinta::testing
