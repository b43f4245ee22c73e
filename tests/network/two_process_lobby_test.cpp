// Two game processes on 127.0.0.1 in their lobbies, each on its own test back
// end with the real ENet session layer: a session its host has cancelled is
// gone for the other machine, a player who got in just as the host cancelled
// is told that the host has left, and the host's next session is joined and
// its match starts.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "network/match_processes.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

using platform::test::TestBackend;

// What a child reports to the parent.
struct LobbyOutcome {
  int32_t cancelled = 0;      // host: its wait ended by Cancel, and no match started
  int32_t listedBefore = -1;  // joiner: sessions listed before the Cancel
  int32_t oldJoinBox = 0;     // joiner: its Join of that session showed the join failure message
  int32_t oldJoinPlayed = 0;  // joiner: ... or opened the play window
  int32_t listedAfter = -1;   // joiner: sessions its search listed after the Cancel
  int32_t listedAgain = -1;   // joiner: sessions listed once the host had created again
  int32_t matchStarted = 0;   // the play window opened and the peer's "Version" came in
  int32_t disconnectBox = 0;  // "Away Team Disconnected!", titled "Game Over:", was shown
};

// The pipes a child's script talks through.
struct Talk {
  int toHost[2], toJoiner[2];
  int release[2];  // parent → host: the joiner has reported
};

using ChildScript = std::function<void(TestBackend&, NewNetWindow&, LobbyOutcome&, const Talk&)>;

struct Stop {};

template <typename T>
bool Put(int fd, const T& value) {
  return write(fd, &value, sizeof value) == sizeof value;
}

template <typename T>
bool Get(int fd, T& value, int timeoutMs = 30000) {
  return ReadAll(fd, &value, sizeof value, timeoutMs);
}

bool Arrived(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, 0) == 1;
}

// Idles as the start-up window does, its sessions answering the network on
// every yield, until a word comes through `fd`; false when none came in time.
bool IdleUntilWord(int fd, int timeoutMs = 30000) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!Arrived(fd)) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    platform::DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  char word;
  return read(fd, &word, 1) == 1;
}

// Clicks and runs the handler.
void Press(TestBackend& b, platform::Button& button) {
  b.Click(button);
  platform::DoEvents();
}

void ConnectTo(TestBackend& b, NewNetWindow& w, const std::string& answer) {
  b.promptAnswers.push_back(answer);
  Press(b, w.cmdConnect);
}

std::string Loopback(uint16_t port) {
  return "127.0.0.1:" + std::to_string(port);
}

bool PeerVersionIn() {
  return frmVorlet().Loaded() && frmVorlet().Label5.caption == "OV:KW:1";
}

[[noreturn]] void RunLobbyChild(const ChildScript& script, const Talk& talk, int resultOut) {
  int code = kFailed;
  try {
    ResetWindows();
    ResetState();
    TestBackend& b = platform::test::Install();
    b.yieldLimit = 2'000'000'000;
    LobbyOutcome o;
    b.onMessageBox = [&](const std::string& prompt, int style, const std::string& title) {
      if (prompt == "Away Team Disconnected!" && title == "Game Over:" &&
          style == platform::vbOKOnly) {
        o.disconnectBox = 1;
      }
    };
    try {
      frmNewNet().Show();
      script(b, frmNewNet(), o, talk);
    } catch (const platform::EndOfProcess&) {
    }
    b.onYield = nullptr;
    code = Put(resultOut, o) ? 0 : kNoOutcomeWritten;
  } catch (...) {
    code = kFailed;
  }
  _exit(code);
}

struct LobbyRun {
  int hostStatus = -1, joinStatus = -1;
  bool hostReported = false, joinReported = false;
  LobbyOutcome host, joiner;
};

LobbyRun RunLobbies(const ChildScript& host, const ChildScript& joiner) {
  LobbyRun run;
  Talk talk;
  int hostResult[2], joinResult[2];
  if (pipe(talk.toHost) != 0 || pipe(talk.toJoiner) != 0 || pipe(talk.release) != 0 ||
      pipe(hostResult) != 0 || pipe(joinResult) != 0) {
    return run;
  }
  fflush(nullptr);
  const pid_t hostPid = fork();
  if (hostPid == 0) RunLobbyChild(host, talk, hostResult[1]);
  const pid_t joinPid = fork();
  if (joinPid == 0) RunLobbyChild(joiner, talk, joinResult[1]);
  if (joinPid > 0) run.joinReported = Get(joinResult[0], run.joiner, 60000);
  Put(talk.release[1], 'r');
  if (hostPid > 0) run.hostReported = Get(hostResult[0], run.host, 60000);
  run.hostStatus = Reap(hostPid);
  run.joinStatus = Reap(joinPid);
  for (int* p : {talk.toHost, talk.toJoiner, talk.release, hostResult, joinResult}) {
    close(p[0]);
    close(p[1]);
  }
  return run;
}

// The host's Connect and Create: its port goes to the joiner as soon as it
// waits, and `onWait` runs on every later yield of the wait.
void CreateAndWait(TestBackend& b, NewNetWindow& w, const Talk& talk, uint16_t& port,
                   const std::function<void()>& onWait) {
  bool told = false;
  b.onYield = [&] {
    if (!told && w.WaitingForPlayer) {
      port = state().DPlay->SessionPort();
      told = Put(talk.toJoiner[1], port);
    } else if (told) {
      onWait();
    }
  };
  ConnectTo(b, w, "");  // the host searches nowhere
  Press(b, w.cmdCreate);
  b.onYield = nullptr;
}

// The joiner's Connect to the host's address, once the host waits, with the
// first line of the list selected.
bool ListTheHostsSession(TestBackend& b, NewNetWindow& w, LobbyOutcome& o, const Talk& talk,
                         uint16_t& port) {
  if (!Get(talk.toJoiner[0], port)) return false;
  ConnectTo(b, w, Loopback(port));
  o.listedBefore = w.lstSessions.ListCount();
  b.SelectItem(w.lstSessions, 0);
  platform::DoEvents();
  return true;
}

using TwoProcessLobbyTest = GameTest;

TEST_F(TwoProcessLobbyTest, ACancelledSessionIsGoneAndTheHostsNextOneIsJoinedAndPlayed) {
  const ChildScript host = [](TestBackend& b, NewNetWindow& w, LobbyOutcome& o, const Talk& t) {
    uint16_t port = 0;
    bool pressed = false;
    CreateAndWait(b, w, t, port, [&] {
      if (!pressed && Arrived(t.toHost[0])) {
        char word;
        pressed = read(t.toHost[0], &word, 1) == 1;
        b.Click(w.Command5);
      }
    });
    o.cancelled = pressed && !frmVorlet().Loaded();
    Put(t.toJoiner[1], 'x');
    if (!IdleUntilWord(t.toHost[0])) return;
    // On the same port, as the game's fixed port would have it.
    platform::Network().basePort = port;
    bool told = false, left = false;
    b.onYield = [&] {
      if (!told && w.WaitingForPlayer) told = Put(t.toJoiner[1], 'w');
      if (!left && PeerVersionIn()) {
        o.matchStarted = 1;
        left = true;
        b.KeyDown(frmVorlet().RMCanvas1, 27);  // Esc: the joiner hears "END"
      }
    };
    ConnectTo(b, w, "");
    Press(b, w.cmdCreate);
  };
  const ChildScript joiner = [](TestBackend& b, NewNetWindow& w, LobbyOutcome& o, const Talk& t) {
    platform::Network().joinTimeoutMs = 1500;
    uint16_t port = 0;
    if (!ListTheHostsSession(b, w, o, t, port)) return;
    Put(t.toHost[1], 'c');
    char word;
    if (!Get(t.toJoiner[0], word)) return;
    // The session as listed before the Cancel.
    b.onYield = [&] {
      if (frmVorlet().Loaded()) {
        o.oldJoinPlayed = 1;
        throw Stop{};
      }
    };
    b.boxes.clear();
    try {
      Press(b, w.cmdJoin);
    } catch (const Stop&) {
      return;
    }
    o.oldJoinBox = b.boxes.size() == 1 && b.boxes[0].prompt == "You must select a game to join.";
    b.onYield = nullptr;
    ConnectTo(b, w, Loopback(port));
    o.listedAfter = w.lstSessions.ListCount();
    Put(t.toHost[1], 'n');
    if (!Get(t.toJoiner[0], word)) return;
    Press(b, w.Command4);  // Refresh
    o.listedAgain = w.lstSessions.ListCount();
    b.SelectItem(w.lstSessions, 0);
    platform::DoEvents();
    b.onYield = [&] { o.matchStarted = o.matchStarted || PeerVersionIn(); };
    Press(b, w.cmdJoin);  // the match, until the host leaves it
  };
  const LobbyRun run = RunLobbies(host, joiner);
  ASSERT_TRUE(run.hostReported) << run.hostStatus;
  ASSERT_TRUE(run.joinReported) << run.joinStatus;
  EXPECT_TRUE(run.host.cancelled);
  EXPECT_EQ(run.joiner.listedBefore, 1);
  ASSERT_FALSE(run.joiner.oldJoinPlayed) << "the cancelled session took a player";
  EXPECT_TRUE(run.joiner.oldJoinBox);
  EXPECT_EQ(run.joiner.listedAfter, 0) << "the cancelled session is still listed";
  EXPECT_EQ(run.joiner.listedAgain, 1);
  EXPECT_TRUE(run.host.matchStarted);
  EXPECT_TRUE(run.joiner.matchStarted);
  EXPECT_TRUE(run.joiner.disconnectBox) << "the host's Esc reached the joiner";
  EXPECT_FALSE(run.host.disconnectBox);
}

// The host's wait takes the joiner's arrival, and Cancel is pressed in that
// same pass: Cancel wins, and the joiner, already in its match, hears that
// the host has left. The host stays until then, so that only its Cancel can
// have told the joiner.
TEST_F(TwoProcessLobbyTest, AJoinerThatGotInAsTheHostCancelledIsToldTheHostHasLeft) {
  const ChildScript host = [](TestBackend& b, NewNetWindow& w, LobbyOutcome& o, const Talk& t) {
    uint16_t port = 0;
    bool pressed = false;
    CreateAndWait(b, w, t, port, [&] {
      if (!pressed && !w.WaitingForPlayer && !frmVorlet().Loaded()) {
        pressed = true;
        b.Click(w.Command5);
      }
    });
    o.cancelled = pressed && !frmVorlet().Loaded();
    IdleUntilWord(t.release[0], 60000);
  };
  const ChildScript joiner = [](TestBackend& b, NewNetWindow& w, LobbyOutcome& o, const Talk& t) {
    uint16_t port = 0;
    if (!ListTheHostsSession(b, w, o, t, port)) return;
    // Well beyond the time a lost peer takes to be noticed.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    b.onYield = [&] {
      o.matchStarted = frmVorlet().Loaded();
      if (std::chrono::steady_clock::now() > giveUp) throw Stop{};
    };
    try {
      Press(b, w.cmdJoin);
    } catch (const Stop&) {
    }
  };
  const LobbyRun run = RunLobbies(host, joiner);
  ASSERT_TRUE(run.hostReported) << run.hostStatus;
  ASSERT_TRUE(run.joinReported) << run.joinStatus;
  EXPECT_TRUE(run.host.cancelled);
  EXPECT_EQ(run.joiner.listedBefore, 1);
  EXPECT_TRUE(run.joiner.matchStarted);
  EXPECT_TRUE(run.joiner.disconnectBox) << "the joiner was not told";
}

}  // namespace
}  // namespace kwinta::testing
