// A match in the real program: the play window draws the table, a flick held
// until the meter overflows flies off the far end, and the "Turnover !" picture
// shows over the right of the view.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/desktop.h"

namespace kwinta::testing {
namespace {

namespace fs = std::filesystem;

TEST(PlayWindow, DrawsTheTableAndShowsTheTurnoverPictureAfterAnOverchargedFlick) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  fs::path dir = fs::path(KWINTA_BIN_DIR).parent_path() / "screenshots";
  fs::create_directories(dir);
  GameProcess game({"SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1"});
  auto menu = WaitForWindow("Kwinta V1.01", 30);
  ASSERT_TRUE(menu);
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ClickAt(menu->x + 24 + 65, menu->y + 156 + 13);  // "VS, Computer"
  std::this_thread::sleep_for(std::chrono::seconds(3));

  auto play = WaitForWindow("Kwinta V1.01", 5);
  ASSERT_TRUE(play);
  Image start = Screenshot((dir / "play_start.png").string(), play);
  ASSERT_EQ(start.width, 640);
  // The canvas (112, 58; 417 x 361) shows the grass of the table.
  EXPECT_GT(start.GreenIn(112, 58, 417, 361), 5000) << "no table in the play view";
  // Right of the meter the backdrop is plain: no result picture yet.
  const int pictureTop = 176;  // the "Turnover !" picture's box
  EXPECT_LT(start.GreenIn(560, pictureTop + 90, 70, 80), 50);

  // Hold the button until the meter overflows: the automatic flick at 120
  // carries the football off the far end of the table.
  kwinta::testing::Run("xdotool mousedown 1 sleep 0.6 mouseup 1");
  bool turnover = false;
  Image shot;
  for (int i = 0; i < 60 && !turnover; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    shot = Screenshot((dir / "play_turnover.png").string(), play);
    // The picture lies over the strip right of the meter, which is otherwise
    // the plain dark backdrop: the referee's field there is green.
    turnover = shot.width == 640 && shot.GreenIn(560, pictureTop + 90, 70, 80) > 200;
  }
  EXPECT_TRUE(turnover) << "the result picture never showed";
  EXPECT_TRUE(game.Running());
}

}  // namespace
}  // namespace kwinta::testing
