// The lobby in real windows: two game processes on one X display meet on
// 127.0.0.1 with the Internet connection method. The first connects to
// 127.0.0.1 and creates a game, the second connects, finds the game in its
// list and joins (while a message box is open on the first); both play
// windows come up, and the creating side's first
// flick reaches the joiner, who replays it and holds its "Turnover !" picture.
// The port is chosen per run (KWINTA_PORT), and both games use only 127.0.0.1.
//
// Each game keeps raising its windows (every frame shows the play window, and
// the host's wait shows its start-up window on every pass), so the two games
// get a private X screen wide enough to stand side by side.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/desktop.h"

namespace kwinta::testing {
namespace {

namespace fs = std::filesystem;

// A UDP port on 127.0.0.1 that nothing uses at this moment.
int FreeUdpPort() {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) == 0) {
    port = ntohs(a.sin_port);
  }
  close(fd);
  return port;
}

// Waits for a game's start-up window, puts it at (x, y) and connects with the
// Internet method, answering its address prompt (put at (x, promptY)) with
// 127.0.0.1. The method must already be the selected one: a Connect on the
// local-network method would search the local network, which no test does.
void ConnectToLoopback(pid_t pid, int x, int y, int promptY, const fs::path& png,
                       ProcessWindow& menu) {
  auto found = WaitForWindowOf(pid, "Kwinta V1.01", 1, 30);
  ASSERT_TRUE(found) << "no start-up window";
  menu = *found;
  ASSERT_TRUE(MoveTo(menu, x, y));
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  const Image shot = Screenshot(png.string(), menu.box);
  ASSERT_EQ(shot.width, 640);
  // lstConnections (330, 144): the second line, "Internet TCP/IP Connection",
  // is highlighted, the first is not.
  ASSERT_EQ(shot.At(340, 169), 0x0A246Au) << "the Internet method is not selected";
  ASSERT_NE(shot.At(340, 153), 0x0A246Au);
  ClickAt(menu.box.x + 330 + 45, menu.box.y + 202 + 12);  // Connect
  auto prompt = WaitForWindowOf(pid, "Locate Session", 1, 10);
  ASSERT_TRUE(prompt) << "the Internet method's address prompt did not come";
  ASSERT_TRUE(MoveTo(*prompt, x, promptY));
  ClickAt(prompt->box.x + 12 + 150, prompt->box.y + 54 + 12);  // the answer line
  Run("xdotool type --delay 40 '127.0.0.1'");
  Run("xdotool sleep 0.2 key Return");
}

TEST(LobbyWindows, TwoGamesMeetOnLoopbackAndTheCreatorsFirstFlickReachesTheJoiner) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  // The play windows put the pointer back at 30000/65536 of the screen,
  // (732, 457) here: inside the host's canvas, which the flick needs.
  PrivateScreen screen(1600, 1000);
  ASSERT_TRUE(screen.Up()) << "no private X screen";
  const int hostX = 300, joinX = 950, top = 100, promptY = 650;
  const fs::path dir = fs::path(KWINTA_BIN_DIR).parent_path() / "screenshots";
  fs::create_directories(dir);
  const int port = FreeUdpPort();
  ASSERT_NE(port, 0);
  const std::vector<std::string> env = {
      "DISPLAY=" + screen.Display(), "SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1",
      "KWINTA_PORT=" + std::to_string(port), "KWINTA_BIND=127.0.0.1"};

  // The first game connects to 127.0.0.1, finds nothing there, and creates.
  GameProcess host(env);
  ProcessWindow hostMenu, joinMenu;
  ConnectToLoopback(host.pid(), hostX, top, promptY, dir / "lobby_host_menu.png", hostMenu);
  ASSERT_FALSE(HasFatalFailure());
  std::this_thread::sleep_for(std::chrono::seconds(2));
  ClickAt(hostMenu.box.x + 330 + 33, hostMenu.box.y + 270 + 12);  // Create
  ASSERT_TRUE(WaitForWindowOf(host.pid(), "Polling...", 1, 10)) << "the host is not waiting";

  // The host's player asks for this computer's address and reads the box
  // while the second game looks for the session and joins it: the session
  // answers all the same.
  ClickAt(hostMenu.box.x + 330 + 143, hostMenu.box.y + 426 + 12);  // What's my IP address?
  std::optional<ProcessWindow> box;
  std::string boxTitle;
  for (int i = 0; i < 100 && !box; ++i) {
    for (const char* title : {"IP Address:", "Error:"}) {
      if (!box && (box = WaitForWindowOf(host.pid(), title, 1, 0.05))) boxTitle = title;
    }
  }
  ASSERT_TRUE(box) << "the address box did not open";

  // The second connects, finds the game and joins it.
  GameProcess joiner(env);
  ConnectToLoopback(joiner.pid(), joinX, top, promptY, dir / "lobby_joiner_menu.png", joinMenu);
  ASSERT_FALSE(HasFatalFailure());
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const Image listed = Screenshot((dir / "lobby_joiner_sessions.png").string(), joinMenu.box);
  // lstSessions (330, 326): its first line holds the game's dark text.
  EXPECT_GT(listed.DistinctColours(332, 328, 120, 14), 4) << "the game is not listed";
  ClickAt(joinMenu.box.x + 330 + 70, joinMenu.box.y + 326 + 9);  // the first line
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ClickAt(joinMenu.box.x + 403 + 33, joinMenu.box.y + 270 + 12);  // Join

  // Both play windows come up (centred, so they are put back beside each
  // other): the joiner's over its start-up window, the host's over its
  // "Polling..." one.
  auto joinPlay = WaitForWindowOf(joiner.pid(), "Kwinta V1.01", 2, 30);
  ASSERT_TRUE(joinPlay) << "the joiner's play window did not come";
  ASSERT_TRUE(MoveTo(*joinPlay, joinX, top));
  EXPECT_TRUE(WaitForWindowOf(host.pid(), boxTitle, 1, 1)) << "the host's box is not open";
  WindowBox boxWindow = box->box;
  boxWindow.id = box->id;
  PressKey(boxWindow, "Return");
  auto hostPlay = WaitForWindowOf(host.pid(), "Kwinta V1.01", 1, 30);
  ASSERT_TRUE(hostPlay) << "the host's play window did not come";
  ASSERT_TRUE(MoveTo(*hostPlay, hostX, top));
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const Image hostStart = Screenshot((dir / "lobby_host_play.png").string(), hostPlay->box);
  const Image joinStart = Screenshot((dir / "lobby_joiner_play.png").string(), joinPlay->box);
  ASSERT_EQ(hostStart.width, 640);
  ASSERT_EQ(joinStart.width, 640);
  EXPECT_GT(hostStart.GreenIn(112, 58, 417, 361), 5000) << "no table in the host's view";
  EXPECT_GT(joinStart.GreenIn(112, 58, 417, 361), 500) << "no table in the joiner's view";

  // The host shoots first: a flick held until the meter overflows flies off
  // the far end. The joiner replays it and holds the host's result picture.
  kwinta::testing::Run("xdotool mousemove " + std::to_string(hostPlay->box.x + 320) + " " +
                       std::to_string(hostPlay->box.y + 240) + " mousedown 1 sleep 0.6 mouseup 1");
  const int pictureTop = 176;  // the "Turnover !" picture's box
  bool viewMoved = false, joinerPicture = false, hostPicture = false;
  for (int i = 0; i < 60 && !(joinerPicture && hostPicture); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const Image both = Screenshot((dir / "lobby_both_turnover.png").string());
    if (both.width != 1600) continue;
    int changed = 0;
    for (int y = 58; y < 58 + 361; y += 4) {
      for (int x = 112; x < 112 + 417; x += 4) {
        changed += both.At(joinX + x, top + y) != joinStart.At(x, y);
      }
    }
    viewMoved = viewMoved || changed > 105 * 91 / 3;  // a third of the sampled canvas
    joinerPicture = joinerPicture || both.GreenIn(joinX + 560, top + pictureTop + 90, 70, 80) > 200;
    hostPicture = hostPicture || both.GreenIn(hostX + 560, top + pictureTop + 90, 70, 80) > 200;
  }
  EXPECT_TRUE(hostPicture) << "the host's flick never ended in its result picture";
  EXPECT_TRUE(viewMoved) << "the joiner's camera never followed a replayed flick";
  EXPECT_TRUE(joinerPicture) << "the joiner never showed the host's result picture";
  EXPECT_TRUE(host.Running());
  EXPECT_TRUE(joiner.Running());
}

}  // namespace
}  // namespace kwinta::testing
