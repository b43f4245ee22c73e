// The lobby of the start-up window on the test back end, with real sessions
// on 127.0.0.1 hosted or joined by a second DirectPlay object in this
// process: the button states, the list lines, the host's wait and its
// cancelling, joining, and the three failure messages. Two lobbies in two
// processes are in tests/network/two_process_lobby_test.cpp.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/module1.h"
#include "network/loopback.h"
#include "platform/toolkit/toolkit.h"
#include "support/fake_link.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

const char* kTitle = "Error initializing DirectPlay.";
const char* kConnectFailed =
    "Error Initializing DirectPlay.  Please make sure that you have the latest DirectX7 Drivers "
    "installed.";
const char* kCreateFailed =
    "An error was encountered while attempting to create a DirectPlay session.  Please make sure "
    "that you entered a Session Name and that you have the latest DirectX Drivers installed.";
const char* kJoinFailed = "You must select a game to join.";

// Connect, Create, Join, Refresh, Cancel: enabled or not.
struct Buttons {
  bool connect, create, join, refresh, cancel;
  bool operator==(const Buttons&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Buttons& b) {
  return os << "{connect " << b.connect << ", create " << b.create << ", join " << b.join
            << ", refresh " << b.refresh << ", cancel " << b.cancel << "}";
}
constexpr Buttons kIdle{true, false, false, false, false};
constexpr Buttons kBusy{false, false, false, false, false};  // connecting, refreshing
constexpr Buttons kConnected{false, true, true, true, false};
constexpr Buttons kHosting{false, false, false, false, true};

// Thrown to stop the play window at its first render: the match itself is
// not what these tests look at.
struct MatchStarted {};

// A link whose count fails, as a broken session would.
class BrokenLink : public platform::SessionLink {
 public:
  void Send(const std::vector<uint8_t>&) override {}
  int32_t Waiting() override { throw platform::Error("the session broke"); }
  std::vector<uint8_t> Take() override { throw platform::Error("the session broke"); }
};

class LobbyTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    platform::Network().searchTimeoutMs = 400;
    platform::Network().joinTimeoutMs = 2000;
    ASSERT_TRUE(StartProgram());
    b->boxes.clear();
    b->onCanvasRender = [] { throw MatchStarted{}; };
  }

  NewNetWindow& w() { return frmNewNet(); }

  // A session of this game hosted by another machine.
  Host Game(const std::string& name = "TAKW4711") { return Hosting(*b, name, 2, AppGuid); }

  Buttons Now() {
    NewNetWindow& f = w();
    return {f.cmdConnect.enabled, f.cmdCreate.enabled, f.cmdJoin.enabled, f.Command4.enabled,
            f.Command5.enabled};
  }

  // Clicks and runs the handler; true when it opened the play window.
  bool Press(platform::Button& button) {
    b->Click(button);
    try {
      platform::DoEvents();
    } catch (const MatchStarted&) {
      return true;
    }
    return false;
  }

  // Connect on the Internet method with this answer to its address prompt.
  bool ConnectTo(const std::string& answer) {
    b->promptAnswers.push_back(answer);
    return Press(w().cmdConnect);
  }

  void ExpectOneBox(const char* prompt) {
    ASSERT_EQ(b->boxes.size(), 1u);
    EXPECT_EQ(b->boxes[0].prompt, prompt);
    EXPECT_EQ(b->boxes[0].title, kTitle);
    EXPECT_EQ(b->boxes[0].style, platform::vbOKOnly);
  }
};

TEST_F(LobbyTest, ConnectAsksForTheAddressThenListsNothingAndIsConnected) {
  auto before = state().DPlay;
  std::vector<Buttons> during;
  b->onPrompt = [&] { during.push_back(Now()); };
  EXPECT_FALSE(ConnectTo(""));
  ASSERT_EQ(b->prompts.size(), 1u);
  EXPECT_EQ(during, std::vector<Buttons>{kBusy});
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  EXPECT_EQ(Now(), kConnected);
  EXPECT_NE(state().DPlay, before);  // every Connect starts from a new object
  ASSERT_TRUE(state().DPSessions);
  EXPECT_EQ(state().DPSessions->GetCount(), 0);
}

struct Listed {
  const char* what;
  std::string name;
  int32_t maxPlayers;
  bool withPlayer;
  std::string line;
};

class ListLineTest : public LobbyTest, public ::testing::WithParamInterface<Listed> {};

TEST_P(ListLineTest, ASessionIsListedAsNameAndPlayers) {
  const Listed& p = GetParam();
  Host h = Hosting(*b, p.name, p.maxPlayers, AppGuid, p.withPlayer);
  EXPECT_FALSE(ConnectTo(h.Address()));
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_EQ(w().lstSessions.items, std::vector<std::string>{p.line});
  EXPECT_EQ(w().lstSessions.listIndex, -1);  // nothing selected
  EXPECT_EQ(Now(), kConnected);
  // The description last listed stays in SessionDesc.
  ASSERT_TRUE(w().SessionDesc);
  EXPECT_EQ(w().SessionDesc->GetSessionName(), p.name);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ListLineTest,
    ::testing::Values(Listed{"OneOfTwo", "TAKW4711", 2, true, "TAKW4711 (1/2)"},
                      Listed{"NoPlayerYet", "Big Game", 10, false, "Big Game (0/10)"},
                      Listed{"BlankName", "  ", 2, true, "   (1/2)"},
                      Listed{"EmptyName", "", 2, true, " (1/2)"},
                      Listed{"NoLimit", "Open", 0, true, "Open (1/0)"},
                      Listed{"Punctuation", "A (b)/c", 3, true, "A (b)/c (1/3)"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(LobbyTest, AFullSessionAndOneOfAnotherApplicationAreNotListed) {
  Host full = Hosting(*b, "Full", 1, AppGuid);
  EXPECT_FALSE(ConnectTo(full.Address()));
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  EXPECT_EQ(Now(), kConnected);
  Host other = Hosting(*b, "Other", 2, "{00000000-0000-0000-0000-000000000001}");
  w().ResetButtons();  // idle again, so that Connect is enabled
  EXPECT_FALSE(ConnectTo(other.Address()));
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  EXPECT_EQ(Now(), kConnected);
}

TEST_F(LobbyTest, ConnectWithoutASelectedMethodFailsAndGoesIdle) {
  w().lstSessions.AddItem("stale (1/2)");
  w().lstConnections.listIndex = -1;  // item 0
  EXPECT_FALSE(Press(w().cmdConnect));
  ExpectOneBox(kConnectFailed);
  EXPECT_TRUE(b->prompts.empty());
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  EXPECT_EQ(Now(), kIdle);
}

TEST_F(LobbyTest, ConnectToAnUnusableAddressFailsAndGoesIdle) {
  for (const char* answer : {"127.0.0.1:99999", "127.0.0.1:", "999.1.1.1", ":80"}) {
    SCOPED_TRACE(answer);
    b->boxes.clear();
    EXPECT_FALSE(ConnectTo(answer));
    ExpectOneBox(kConnectFailed);
    EXPECT_EQ(Now(), kIdle);
  }
}

TEST_F(LobbyTest, TheLocalNetworkMethodAsksNothing) {
  w().lstConnections.SetListIndex(0);
  EXPECT_FALSE(Press(w().cmdConnect));
  EXPECT_TRUE(b->prompts.empty());
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_EQ(Now(), kConnected);
}

TEST_F(LobbyTest, RefreshListsAgainOnTheSameObjectWithoutAskingAgain) {
  uint16_t port;
  {
    Host gone = Game();
    port = gone.port;  // free again once this host has closed
  }
  EXPECT_FALSE(ConnectTo("127.0.0.1:" + std::to_string(port)));
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  auto dplay = state().DPlay;
  platform::Network().basePort = port;
  Host h = Game("Later");
  const size_t prompts = b->prompts.size();
  ASSERT_EQ(h.port, port);
  w().lstSessions.listIndex = 0;
  EXPECT_FALSE(Press(w().Command4));
  EXPECT_EQ(w().lstSessions.items, std::vector<std::string>{"Later (1/2)"});
  EXPECT_EQ(w().lstSessions.listIndex, -1);
  EXPECT_EQ(state().DPlay, dplay);
  EXPECT_EQ(b->prompts.size(), prompts);  // no new InitializeConnection
  EXPECT_EQ(Now(), kConnected);
  // Refresh again after the host has gone: an empty list, still connected.
  h.dp.reset();
  EXPECT_FALSE(Press(w().Command4));
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  EXPECT_EQ(Now(), kConnected);
}

TEST_F(LobbyTest, ARefreshThatFailsLeavesAnEmptyListAndTheWindowConnected) {
  Host h = Game();
  EXPECT_FALSE(ConnectTo(h.Address()));
  ASSERT_EQ(w().lstSessions.ListCount(), 1);
  // An object bound to no connection method cannot search.
  state().DPlay = std::make_shared<platform::DirectPlay4>();
  EXPECT_FALSE(Press(w().Command4));
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_EQ(w().lstSessions.ListCount(), 0);
  EXPECT_EQ(Now(), kConnected);
  // Join then finds nothing to join.
  EXPECT_FALSE(Press(w().cmdJoin));
  ExpectOneBox(kJoinFailed);
}

TEST_F(LobbyTest, CreateWithAnEmptyNameFailsBeforeAnyNetworkCall) {
  EXPECT_FALSE(ConnectTo(""));
  w().txtName.text = "";
  EXPECT_FALSE(Press(w().cmdCreate));
  ExpectOneBox(kCreateFailed);
  EXPECT_EQ(Now(), kIdle);
  EXPECT_EQ(state().DPlay->SessionPort(), 0);  // nothing hosted
  EXPECT_EQ(state().GameMode, "");
  EXPECT_FALSE(state().IsHost);
}

TEST_F(LobbyTest, CreateHostsAndWaitsPollingUntilCancelled) {
  EXPECT_FALSE(ConnectTo(""));
  w().txtName.text = "  ";  // blanks pass
  std::vector<Buttons> during;
  std::vector<std::string> captions;
  int yields = 0;
  Host session;
  b->onYield = [&] {
    if (++yields == 50) {
      during.push_back(Now());
      captions.push_back(w().caption);
      session.port = state().DPlay->SessionPort();
      b->Click(w().Command5);
    }
  };
  EXPECT_FALSE(Press(w().cmdCreate));
  EXPECT_EQ(during, std::vector<Buttons>{kHosting});
  EXPECT_EQ(captions, std::vector<std::string>{"Polling..."});
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_EQ(w().caption, "Kwinta V1.0");
  EXPECT_EQ(Now(), kIdle);
  EXPECT_FALSE(w().WaitCancelled);  // read and cleared by the end of the wait
  EXPECT_FALSE(w().WaitingForPlayer);
  EXPECT_FALSE(frmVorlet().Loaded());
  EXPECT_EQ(state().GameMode, "INET");
  EXPECT_FALSE(state().LocalTurn);
  EXPECT_TRUE(state().IsHost);
  EXPECT_EQ(state().PlayerFriendlyName, "Quibly");
  EXPECT_EQ(state().PlayerFormalName, "Player1");
  EXPECT_NE(state().MyPlayerId, 0);
  // The session is closed: another machine finds nothing at its address.
  ASSERT_NE(session.port, 0);
  EXPECT_EQ(state().DPlay->SessionPort(), 0);
  DP other = Connected(*b, session.Address());
  EXPECT_EQ(Search(*other, platform::DPENUMSESSIONS_AVAILABLE, AppGuid)->GetCount(), 0);
}

// A second machine joins while the host waits; `whileWaiting` runs on the
// host's yields once the joiner is in.
class HostWaitTest : public LobbyTest {
 protected:
  Joiner joiner;
  bool joined = false;

  void JoinOnFirstYield(std::function<void()> afterJoin = nullptr) {
    b->onYield = [this, afterJoin] {
      if (!joined && w().WaitingForPlayer) {
        joined = true;
        Host h;
        h.port = state().DPlay->SessionPort();
        joiner = Joining(*b, h, AppGuid);
        if (afterJoin) afterJoin();
      }
    };
  }
};

TEST_F(HostWaitTest, AJoiningPlayerEndsTheWaitAndThePlayWindowOpens) {
  EXPECT_FALSE(ConnectTo(""));
  JoinOnFirstYield([this] {
    // Messages that wait at the poll are taken and dropped with the notice.
    for (const char* kind : {"Flick", "Version"}) {
      auto m = joiner.dp->CreateMessage();
      m->WriteString(kind);
      joiner.dp->Send(joiner.player, 0, 1, m);
    }
    ASSERT_TRUE(WaitForMessages(*state().DPlay, 3));
  });
  EXPECT_TRUE(Press(w().cmdCreate));
  EXPECT_TRUE(joined);
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_TRUE(frmVorlet().Loaded());
  // Beneath the play window: still polling, Cancel still enabled.
  EXPECT_EQ(w().caption, "Polling...");
  EXPECT_EQ(Now(), kHosting);
  EXPECT_FALSE(w().WaitingForPlayer);
  EXPECT_EQ(state().MsgCount, 0);
  EXPECT_EQ(state().DPlay->GetMessageCount(state().MyPlayerId), 0);
  EXPECT_EQ(state().GameMode, "INET");
  EXPECT_TRUE(state().IsHost);
}

TEST_F(HostWaitTest, AMessageArrivingAfterThePollsCountStaysForThePlayWindow) {
  EXPECT_FALSE(ConnectTo(""));
  bool sent = false;
  JoinOnFirstYield();
  auto join = b->onYield;
  b->onYield = [&, join] {
    join();
    // Inside the poll, after its one message was taken: the count was read.
    if (joined && !w().WaitingForPlayer && !sent) {
      sent = true;
      auto m = joiner.dp->CreateMessage();
      m->WriteString("Hello this is a test");
      joiner.dp->Send(joiner.player, 0, 1, m);
    }
  };
  EXPECT_TRUE(Press(w().cmdCreate));
  EXPECT_TRUE(sent);
  ASSERT_TRUE(WaitForMessages(*state().DPlay, 1));
  EXPECT_EQ(Take(*state().DPlay).kind, "Hello this is a test");
}

TEST_F(HostWaitTest, CancelInTheSamePassAsTheMessageWins) {
  EXPECT_FALSE(ConnectTo(""));
  bool cancelled = false;
  JoinOnFirstYield([] { ASSERT_TRUE(WaitForMessages(*state().DPlay, 1)); });
  auto join = b->onYield;
  b->onYield = [&, join] {
    join();
    // The poll has taken the notice and yields: Cancel is pressed now.
    if (joined && !w().WaitingForPlayer && !cancelled) {
      cancelled = true;
      b->Click(w().Command5);
    }
  };
  EXPECT_FALSE(Press(w().cmdCreate));
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(frmVorlet().Loaded());
  EXPECT_EQ(w().caption, "Kwinta V1.0");
  EXPECT_EQ(Now(), kIdle);
  EXPECT_FALSE(w().WaitCancelled);
  EXPECT_TRUE(b->boxes.empty());
}

TEST_F(LobbyTest, AFailureDuringTheWaitTakesCreatesFailurePath) {
  EXPECT_FALSE(ConnectTo(""));
  int yields = 0;
  b->onYield = [&] {
    if (++yields == 10) state().DPlay->AttachLink(std::make_shared<BrokenLink>());
  };
  EXPECT_FALSE(Press(w().cmdCreate));
  ExpectOneBox(kCreateFailed);
  EXPECT_EQ(Now(), kIdle);
  EXPECT_FALSE(frmVorlet().Loaded());
  // What Create had set survives the failure.
  EXPECT_EQ(state().GameMode, "INET");
  EXPECT_FALSE(state().LocalTurn);
  EXPECT_TRUE(state().IsHost);
}

TEST_F(LobbyTest, CreateOnATakenPortFails) {
  Host squatter = Game();
  EXPECT_FALSE(ConnectTo(""));
  platform::Network().basePort = squatter.port;
  state().LocalTurn = true;
  EXPECT_FALSE(Press(w().cmdCreate));
  ExpectOneBox(kCreateFailed);
  EXPECT_EQ(Now(), kIdle);
  EXPECT_EQ(state().GameMode, "INET");
  EXPECT_FALSE(state().LocalTurn);
  EXPECT_TRUE(state().IsHost);
}

TEST_F(LobbyTest, JoinWithoutASelectionFailsAndGoesIdle) {
  Host h = Game();
  EXPECT_FALSE(ConnectTo(h.Address()));
  ASSERT_EQ(w().lstSessions.ListCount(), 1);
  for (int index : {-1, 1, 7}) {  // items 0, 2 and 8 of a list of one
    SCOPED_TRACE(index);
    b->boxes.clear();
    w().lstSessions.listIndex = index;
    w().cmdJoin.enabled = true;
    state().LocalTurn = false;
    EXPECT_FALSE(Press(w().cmdJoin));
    ExpectOneBox(kJoinFailed);
    EXPECT_EQ(Now(), kIdle);
    EXPECT_EQ(state().GameMode, "INET");
    EXPECT_TRUE(state().LocalTurn);
    EXPECT_FALSE(state().IsHost);
  }
  EXPECT_EQ(h.dp->GetMessageCount(h.player), 0);  // nobody joined
}

TEST_F(LobbyTest, JoinBeforeAnySearchFails) {
  EXPECT_FALSE(Press(w().cmdJoin));  // disabled: nothing happens
  EXPECT_TRUE(b->boxes.empty());
  w().cmdJoin.enabled = true;
  EXPECT_FALSE(Press(w().cmdJoin));
  ExpectOneBox(kJoinFailed);
  EXPECT_EQ(Now(), kIdle);
}

TEST_F(LobbyTest, JoinOpensThePlayWindowAndChangesNoButton) {
  Host h = Game("TAKW0");
  EXPECT_FALSE(ConnectTo(h.Address()));
  b->SelectItem(w().lstSessions, 0);
  platform::DoEvents();
  EXPECT_TRUE(Press(w().cmdJoin));
  EXPECT_TRUE(b->boxes.empty());
  EXPECT_TRUE(frmVorlet().Loaded());
  EXPECT_EQ(Now(), kConnected);
  EXPECT_EQ(w().caption, "Kwinta V1.01");
  EXPECT_EQ(state().GameMode, "INET");
  EXPECT_TRUE(state().LocalTurn);
  EXPECT_FALSE(state().IsHost);
  EXPECT_EQ(state().PlayerFriendlyName, "Vimbo");
  EXPECT_EQ(state().PlayerFormalName, "Player2");
  ASSERT_TRUE(WaitForMessages(*h.dp, 1));
  Received r = Take(*h.dp);
  EXPECT_EQ(r.kind, platform::kSysCreatePlayer);
  EXPECT_EQ(r.msg->ReadLong(), state().MyPlayerId);
  EXPECT_EQ(r.msg->ReadString(), "Vimbo");
  EXPECT_EQ(r.msg->ReadString(), "Player2");
  EXPECT_EQ(w().SessionDesc->GetSessionName(), "TAKW0");
}

TEST_F(LobbyTest, JoinFailsWhenTheHostHasGone) {
  platform::Network().joinTimeoutMs = 300;
  Host h = Game();
  EXPECT_FALSE(ConnectTo(h.Address()));
  w().lstSessions.SetListIndex(0);
  h.dp.reset();
  EXPECT_FALSE(Press(w().cmdJoin));
  ExpectOneBox(kJoinFailed);
  EXPECT_EQ(Now(), kIdle);
  EXPECT_EQ(w().lstSessions.ListCount(), 1);  // the list keeps its lines
}

// A cancelled Create leaves this machine marked as host; joining another
// session must clear that, or both machines would count the rounds as hosts.
TEST_F(LobbyTest, JoinAfterACancelledCreateIsNotTheHost) {
  EXPECT_FALSE(ConnectTo(""));
  b->onYield = [&] {
    if (w().WaitingForPlayer) b->Click(w().Command5);
  };
  EXPECT_FALSE(Press(w().cmdCreate));
  b->onYield = nullptr;
  ASSERT_TRUE(state().IsHost);
  std::weak_ptr<platform::DirectPlay4> hosting = state().DPlay;
  Host h = Game();
  EXPECT_FALSE(ConnectTo(h.Address()));
  // Connect replaced the object that hosted the cancelled session.
  EXPECT_TRUE(hosting.expired());
  w().lstSessions.SetListIndex(0);
  EXPECT_TRUE(Press(w().cmdJoin));
  EXPECT_FALSE(state().IsHost);
  EXPECT_TRUE(state().LocalTurn);
}

TEST_F(LobbyTest, CreateAfterAFailedJoinSetsTheTurnAgain) {
  EXPECT_FALSE(ConnectTo(""));
  w().cmdJoin.enabled = true;
  EXPECT_FALSE(Press(w().cmdJoin));  // nothing listed
  EXPECT_TRUE(state().LocalTurn);
  EXPECT_FALSE(ConnectTo(""));
  b->onYield = [&] {
    if (w().WaitingForPlayer) b->Click(w().Command5);
  };
  EXPECT_FALSE(Press(w().cmdCreate));
  EXPECT_EQ(state().GameMode, "INET");
  EXPECT_FALSE(state().LocalTurn);
}

TEST_F(LobbyTest, TheLobbyLeavesARunningMatchAlone) {
  EXPECT_FALSE(ConnectTo(""));
  auto dplay = state().DPlay;
  b->onCanvasRender = nullptr;
  OpenPlayWindow("Computer");
  ASSERT_TRUE(frmVorlet().Loaded());
  const Buttons before = Now();
  for (platform::Button* button : {&w().cmdCreate, &w().cmdJoin, &w().Command4}) {
    EXPECT_FALSE(Press(*button));
  }
  w().cmdConnect.enabled = true;
  EXPECT_FALSE(Press(w().cmdConnect));
  EXPECT_EQ(state().DPlay, dplay);
  EXPECT_EQ(state().DPlay->SessionPort(), 0);
  EXPECT_TRUE(b->boxes.empty());
  w().cmdConnect.enabled = before.connect;
  EXPECT_EQ(Now(), before);
}

// A joined match runs with the start-up window beneath it; its menu buttons
// must not start a local match in the middle of it.
TEST_F(LobbyTest, TheMenuAndAddressButtonsLeaveARunningNetworkMatchAlone) {
  Host h = Game("TAKW0");
  EXPECT_FALSE(ConnectTo(h.Address()));
  b->SelectItem(w().lstSessions, 0);
  platform::DoEvents();
  b->onCanvasRender = nullptr;

  struct Snapshot {
    std::string mode;
    bool localTurn, isHost, startUpVisible, playLoaded, playVisible;
    bool operator==(const Snapshot&) const = default;
  };
  auto now = [&] {
    return Snapshot{state().GameMode, state().LocalTurn,    state().IsHost,
                    w().Visible(),    frmVorlet().Loaded(), frmVorlet().Visible()};
  };
  struct Stop {};
  std::optional<Snapshot> before;
  size_t windowEvents = 0;
  int yields = 0;
  b->onYield = [&] {
    ++yields;
    if (yields == 20) {
      before = now();
      windowEvents = b->windowLog.size();
      // Queued now, handled by this very yield inside the match's loop.
      b->Click(w().Command1);
      b->Click(w().Command2);
      b->Click(w().Command8);  // its box would hold up the match
    }
    if (yields == 200) throw Stop{};
  };
  b->Click(w().cmdJoin);
  EXPECT_THROW(platform::DoEvents(), Stop);
  b->onYield = nullptr;

  ASSERT_TRUE(before.has_value()) << "the match never ran";
  EXPECT_EQ(before->mode, "INET");
  EXPECT_TRUE(before->startUpVisible && before->playLoaded && before->playVisible);
  const Snapshot after = now();
  EXPECT_TRUE(after == *before) << "mode " << after.mode << ", local turn " << after.localTurn
                                << ", start-up window shown " << after.startUpVisible;
  EXPECT_EQ(b->windowLog.size(), windowEvents) << "a window was shown or hidden";
  EXPECT_TRUE(b->boxes.empty());
}

}  // namespace
}  // namespace kwinta::testing
