// Real ENet sessions on 127.0.0.1: hosting, the search by address, joining,
// messages in order with their types, the session's own notices, and a peer
// that leaves, says goodbye or vanishes.
#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>

#include "network/loopback.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

using platform::DirectPlayMessage;

class SessionTest : public GameTest {};

TEST_F(SessionTest, TheInternetMethodAsksForTheHostsAddressOnce) {
  Host h = Hosting(*b);
  b->prompts.clear();
  DP j = Connected(*b, h.Address());
  ASSERT_EQ(b->prompts.size(), 1u);
  EXPECT_EQ(b->prompts[0],
            std::string(platform::kAddressPromptTitle) + ": " + platform::kAddressPrompt);
  // Searching again asks nothing more.
  EXPECT_EQ(Search(*j)->GetCount(), 1);
  EXPECT_EQ(Search(*j)->GetCount(), 1);
  EXPECT_EQ(b->prompts.size(), 1u);
  // The local-network method asks nothing at all.
  auto lan = std::make_shared<platform::DirectPlay4>();
  lan->InitializeConnection(lan->GetDPEnumConnections("", 1)->GetAddress(1));
  EXPECT_EQ(b->prompts.size(), 1u);
}

TEST_F(SessionTest, ASearchByAddressFindsTheHostedSession) {
  Host h = Hosting(*b, "TAKW4711");
  DP j = Connected(*b, h.Address());
  auto found = Search(*j);
  ASSERT_EQ(found->GetCount(), 1);
  auto item = found->GetItem(1);
  EXPECT_EQ(item->GetSessionName(), "TAKW4711");
  EXPECT_EQ(item->GetCurrentPlayers(), 1);
  EXPECT_EQ(item->GetMaxPlayers(), 2);
  EXPECT_EQ(item->GetFlags(), platform::DPSESSION_MIGRATEHOST);
  EXPECT_EQ(item->HostAddress(), "127.0.0.1");
  EXPECT_EQ(item->HostPort(), h.port);
  for (int32_t outside : {0, -1, 2, std::numeric_limits<int32_t>::max()}) {
    EXPECT_THROW(found->GetItem(outside), platform::Error) << outside;
  }
}

TEST_F(SessionTest, ASessionWithoutPlayersListsAsNoneOfItsMaximum) {
  Host h = Hosting(*b, "Empty", 4, kGuid, /*withPlayer=*/false);
  DP j = Connected(*b, h.Address());
  auto found = Search(*j);
  ASSERT_EQ(found->GetCount(), 1);
  EXPECT_EQ(found->GetItem(1)->GetCurrentPlayers(), 0);
  EXPECT_EQ(found->GetItem(1)->GetMaxPlayers(), 4);
}

TEST_F(SessionTest, OnlySessionsOfTheSameApplicationAnswer) {
  Host h = Hosting(*b, "Other", 2, "{11111111-2222-3333-4444-555555555555}");
  DP j = Connected(*b, h.Address());
  EXPECT_EQ(Search(*j, platform::DPENUMSESSIONS_AVAILABLE, kGuid)->GetCount(), 0);
  EXPECT_EQ(Search(*j, platform::DPENUMSESSIONS_AVAILABLE, "{11111111-2222-3333-4444-555555555555}")
                ->GetCount(),
            1);
}

TEST_F(SessionTest, NobodyAtTheAddressGivesAnEmptyList) {
  // A port that was free a moment ago: nothing listens there.
  uint16_t port;
  {
    Host h = Hosting(*b);
    port = h.port;
  }
  DP j = Connected(*b, "127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(Search(*j)->GetCount(), 0);
  EXPECT_THROW(Search(*j)->GetItem(1), platform::Error);
}

TEST_F(SessionTest, AnEmptyAnswerSearchesOnlyTheLocalNetworkWhichInTestsIsLoopback) {
  Host h = Hosting(*b, "Local");
  // Nothing to search without a base port: no datagram leaves at all.
  DP none = Connected(*b, "");
  EXPECT_EQ(Search(*none)->GetCount(), 0);
  // With the host's port as the base port the local search finds it.
  platform::Network().basePort = h.port;
  DP lan = std::make_shared<platform::DirectPlay4>();
  lan->InitializeConnection(lan->GetDPEnumConnections("", 1)->GetAddress(1));
  auto found = Search(*lan);
  ASSERT_EQ(found->GetCount(), 1);
  EXPECT_EQ(found->GetItem(1)->GetSessionName(), "Local");
  DP empty = Connected(*b, "   ");
  EXPECT_EQ(Search(*empty)->GetCount(), 1);
}

TEST_F(SessionTest, UnusableAddressesRaiseAtTheSearch) {
  for (const char* address : {"127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:x",
                              "127.0.0.1:", "300.1.1.1", "1.2.3", ":5", "127.0.0.1:123456"}) {
    SCOPED_TRACE(address);
    DP j = Connected(*b, address);
    EXPECT_THROW(Search(*j), platform::Error);
  }
}

TEST_F(SessionTest, CallsOutOfOrderRaise) {
  auto dp = std::make_shared<platform::DirectPlay4>();
  auto desc = Description(*dp, "X", 2);
  EXPECT_THROW(Search(*dp), platform::Error);  // no connection
  EXPECT_THROW(dp->Open(desc, platform::DPOPEN_CREATE), platform::Error);
  EXPECT_THROW(dp->CreatePlayer("a", "b", 0, 0), platform::Error);  // no session
  EXPECT_THROW(dp->GetMessageCount(0), platform::Error);
  int32_t from, to;
  EXPECT_THROW(dp->Receive(from, to, 1), platform::Error);
  EXPECT_THROW(dp->Send(0, 0, 1, dp->CreateMessage()), platform::Error);
  EXPECT_THROW(dp->InitializeConnection("no such method"), platform::Error);
  dp->InitializeConnection(platform::kLocalNetworkConnection);
  EXPECT_THROW(dp->InitializeConnection(platform::kLocalNetworkConnection), platform::Error);
  // A description that no search produced names no host to join.
  EXPECT_THROW(dp->Open(desc, platform::DPOPEN_JOIN), platform::Error);
  EXPECT_THROW(dp->Open(desc, 3), platform::Error);
  dp->Open(desc, platform::DPOPEN_CREATE);
  EXPECT_THROW(dp->Open(desc, platform::DPOPEN_CREATE), platform::Error);
  EXPECT_EQ(dp->GetMessageCount(0), 0);
  EXPECT_THROW(dp->Receive(from, to, 1), platform::Error);  // nothing waits
}

TEST_F(SessionTest, ASecondHostOnATakenPortRaises) {
  Host first = Hosting(*b);
  platform::Network().basePort = first.port;
  DP second = Connected(*b, "");
  EXPECT_THROW(second->Open(Description(*second, "Y", 2), platform::DPOPEN_CREATE),
               platform::Error);
}

TEST_F(SessionTest, JoiningIsAnnouncedToTheHostAsAPlayerCreated) {
  Host h = Hosting(*b);
  Joiner j = Joining(*b, h);
  EXPECT_NE(j.player, 0);
  EXPECT_NE(j.player, h.player);
  ASSERT_TRUE(WaitForMessages(*h.dp, 1));
  Received r = Take(*h.dp);
  EXPECT_EQ(r.from, platform::DPID_SYSMSG);
  EXPECT_EQ(r.to, h.player);
  EXPECT_EQ(r.kind, platform::kSysCreatePlayer);
  EXPECT_EQ(r.msg->ReadLong(), j.player);
  EXPECT_EQ(r.msg->ReadString(), "Vimbo");
  EXPECT_EQ(r.msg->ReadString(), "Player2");
  EXPECT_EQ(h.dp->GetMessageCount(h.player), 0);
  // The host's own player was not announced to itself, nor to the joiner
  // (it was there before).
  EXPECT_EQ(j.dp->GetMessageCount(j.player), 0);
  // The session is full now and no longer listed as available.
  DP third = Connected(*b, h.Address());
  EXPECT_EQ(Search(*third)->GetCount(), 0);
  auto all = Search(*third, platform::DPENUMSESSIONS_ALL);
  ASSERT_EQ(all->GetCount(), 1);
  EXPECT_EQ(all->GetItem(1)->GetCurrentPlayers(), 2);
}

TEST_F(SessionTest, AFullSessionRefusesAJoinAndAPlayerTooMany) {
  platform::Network().joinTimeoutMs = 3000;
  Host h = Hosting(*b);
  DP late = Connected(*b, h.Address());
  auto listed = Search(*late);  // listed while it still has room
  ASSERT_EQ(listed->GetCount(), 1);
  Joiner j = Joining(*b, h);
  EXPECT_THROW(late->Open(listed->GetItem(1), platform::DPOPEN_JOIN), platform::Error);
  EXPECT_THROW(j.dp->CreatePlayer("Extra", "Player3", 0, 0), platform::Error);
  EXPECT_THROW(h.dp->CreatePlayer("Extra", "Player3", 0, 0), platform::Error);
}

TEST_F(SessionTest, AJoinerThatGotNoPlayerDoesNotCountAndCanStillMakeOne) {
  Host h = Hosting(*b, "Room", 3);
  Joiner j = Joining(*b, h);
  DP k = Connected(*b, h.Address());
  auto found = Search(*k);
  ASSERT_EQ(found->GetCount(), 1);
  EXPECT_EQ(found->GetItem(1)->GetCurrentPlayers(), 2);
  k->Open(found->GetItem(1), platform::DPOPEN_JOIN);
  const int32_t third = k->CreatePlayer("Third", "Player3", 0, 0);
  // The first joiner hears of the third player; the host heard of both.
  ASSERT_TRUE(WaitForMessages(*j.dp, 1));
  Received r = Take(*j.dp);
  EXPECT_EQ(r.kind, platform::kSysCreatePlayer);
  EXPECT_EQ(r.msg->ReadLong(), third);
  ASSERT_TRUE(WaitForMessages(*h.dp, 2));
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
}

// One message per kind of the game, with every field type.
DirectPlayMessage Numbered(int i) {
  DirectPlayMessage m;
  switch (i % 4) {
    case 0:
      m.WriteString("Flick");
      for (int k = 0; k < 10; ++k) m.WriteSingle(static_cast<float>(i) + k * 0.25f);
      m.WriteLong(i);
      break;
    case 1:
      m.WriteString("Score");
      m.WriteLong(i);
      m.WriteLong(-i);
      m.WriteLong(std::numeric_limits<int32_t>::min());
      break;
    case 2:
      m.WriteString("MESSAGE");
      m.WriteString("line " + std::to_string(i) + std::string(i % 7 * 100, 'x'));
      break;
    default:
      m.WriteString("Continue");
      break;
  }
  return m;
}

void ExpectNumbered(DirectPlayMessage& m, const std::string& kind, int i) {
  switch (i % 4) {
    case 0:
      ASSERT_EQ(kind, "Flick");
      for (int k = 0; k < 10; ++k) EXPECT_EQ(m.ReadSingle(), static_cast<float>(i) + k * 0.25f);
      EXPECT_EQ(m.ReadLong(), i);
      break;
    case 1:
      ASSERT_EQ(kind, "Score");
      EXPECT_EQ(m.ReadLong(), i);
      EXPECT_EQ(m.ReadLong(), -i);
      EXPECT_EQ(m.ReadLong(), std::numeric_limits<int32_t>::min());
      break;
    case 2:
      ASSERT_EQ(kind, "MESSAGE");
      EXPECT_EQ(m.ReadString(), "line " + std::to_string(i) + std::string(i % 7 * 100, 'x'));
      break;
    default:
      ASSERT_EQ(kind, "Continue");
      break;
  }
  EXPECT_THROW(m.ReadLong(), platform::Error);  // nothing more
}

void Send(platform::DirectPlay4& dp, int32_t from, const DirectPlayMessage& m) {
  auto out = dp.CreateMessage();
  *out = m;
  dp.Send(from, platform::DPID_ALLPLAYERS, platform::DPSEND_GUARANTEED, out);
}

TEST_F(SessionTest, MessagesArriveOnceInOrderWithTheirFieldsBothWays) {
  Host h = Hosting(*b);
  Joiner j = Joining(*b, h);
  ASSERT_TRUE(WaitForMessages(*h.dp, 1));
  Take(*h.dp);  // the joiner's arrival

  constexpr int kCount = 200;
  // Interleaved, so that both directions are in flight at once.
  for (int i = 0; i < kCount; ++i) {
    Send(*j.dp, j.player, Numbered(i));
    Send(*h.dp, h.player, Numbered(i + 1));
  }
  ASSERT_TRUE(WaitForMessages(*h.dp, kCount));
  ASSERT_TRUE(WaitForMessages(*j.dp, kCount));
  EXPECT_EQ(h.dp->GetMessageCount(h.player), kCount);
  EXPECT_EQ(j.dp->GetMessageCount(j.player), kCount);
  for (int i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    Received at = Take(*h.dp);
    EXPECT_EQ(at.from, j.player);
    EXPECT_EQ(at.to, h.player);
    ExpectNumbered(*at.msg, at.kind, i);
    Received back = Take(*j.dp);
    EXPECT_EQ(back.from, h.player);
    EXPECT_EQ(back.to, j.player);
    ExpectNumbered(*back.msg, back.kind, i + 1);
  }
  EXPECT_EQ(h.dp->GetMessageCount(h.player), 0);
  EXPECT_EQ(j.dp->GetMessageCount(j.player), 0);
  EXPECT_FALSE(h.dp->PeerGone());
  EXPECT_FALSE(j.dp->PeerGone());
}

TEST_F(SessionTest, AJoinerThatLeavesIsNoticedAfterItsLastMessages) {
  Host h = Hosting(*b);
  Joiner j = Joining(*b, h);
  Send(*j.dp, j.player, Numbered(1));
  Send(*j.dp, j.player, Numbered(2));
  j.dp->Close();  // says goodbye once its messages are through
  ASSERT_TRUE(WaitForPeerGone(*h.dp));
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
  Received one = Take(*h.dp);
  ExpectNumbered(*one.msg, one.kind, 1);
  Received two = Take(*h.dp);
  ExpectNumbered(*two.msg, two.kind, 2);
  Received left = Take(*h.dp);
  EXPECT_EQ(left.from, platform::DPID_SYSMSG);
  EXPECT_EQ(left.kind, platform::kSysDestroyPlayer);
  EXPECT_EQ(left.msg->ReadLong(), j.player);
  // From now on every receive says the game is over, and sending goes nowhere.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(h.dp->GetMessageCount(h.player), 1);
    Received end = Take(*h.dp);
    EXPECT_EQ(end.from, platform::DPID_SYSMSG);
    EXPECT_EQ(end.kind, platform::kPeerGoneKind);
  }
  EXPECT_NO_THROW(Send(*h.dp, h.player, Numbered(3)));
}

TEST_F(SessionTest, AHostThatLeavesIsNoticedByTheJoiner) {
  Host h = Hosting(*b);
  Joiner j = Joining(*b, h);
  Send(*h.dp, h.player, Numbered(2));
  h.dp.reset();  // released: the session closes with it
  ASSERT_TRUE(WaitForPeerGone(*j.dp));
  Received msg = Take(*j.dp);
  ExpectNumbered(*msg.msg, msg.kind, 2);
  Received left = Take(*j.dp);
  EXPECT_EQ(left.kind, platform::kSysDestroyPlayer);
  EXPECT_EQ(left.msg->ReadLong(), h.player);
  EXPECT_EQ(Take(*j.dp).kind, platform::kSysSessionLost);
  EXPECT_EQ(Take(*j.dp).kind, platform::kPeerGoneKind);
  EXPECT_THROW(j.dp->CreatePlayer("Again", "Player3", 0, 0), platform::Error);
}

TEST_F(SessionTest, JoiningASessionWhoseHostHasGoneFails) {
  platform::Network().joinTimeoutMs = 500;
  Host h = Hosting(*b);
  DP j = Connected(*b, h.Address());
  auto found = Search(*j);
  ASSERT_EQ(found->GetCount(), 1);
  h.dp.reset();
  EXPECT_THROW(j->Open(found->GetItem(1), platform::DPOPEN_JOIN), platform::Error);
  // The object can still host a session of its own.
  j->Open(Description(*j, "Mine", 2), platform::DPOPEN_CREATE);
  EXPECT_NE(j->SessionPort(), 0);
}

// Raw datagrams at the session's port that are neither searches nor ENet.
TEST_F(SessionTest, JunkAtTheSessionPortChangesNothing) {
  Host h = Hosting(*b);
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(h.port);
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  const std::vector<std::vector<uint8_t>> junk = {
      {},
      {'K'},
      {'K', 'W', 'q', '1'},                             // a search without its fields
      {'K', 'W', 'q', '1', 1, 0xFF, 0xFF, 0xFF, 0xFF},  // a huge text length
      {'K', 'W', 'q', '1', 9, 0, 0, 0, 0},              // an unknown field type
      {'K', 'W', 'q', '1', 2, 1, 0, 0, 0},              // a Long where the GUID goes
      {'K', 'W', 'a', '1', 1, 0, 0, 0, 0},              // an answer sent to a host
      std::vector<uint8_t>(1400, 0xAB),
  };
  for (const auto& d : junk) {
    sendto(fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  close(fd);
  for (int i = 0; i < 20; ++i) platform::net::PumpAll();
  EXPECT_EQ(h.dp->GetMessageCount(h.player), 0);
  Joiner j = Joining(*b, h);
  ASSERT_TRUE(WaitForMessages(*h.dp, 1));
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
}

// An ENet program that is not this game, and one that sends before it has
// been let in, or sends control packets with fields missing.
TEST_F(SessionTest, StrangersOverEnetAreIgnoredOrRefused) {
  Host h = Hosting(*b);
  ENetAddress local{};
  enet_address_set_host_ip(&local, "127.0.0.1");
  ENetHost* client = enet_host_create(&local, 2, 1, 0, 0);
  ASSERT_NE(client, nullptr);
  ENetAddress to{};
  enet_address_set_host_ip(&to, "127.0.0.1");
  to.port = h.port;
  // With the game's tag but no join request: its packets are dropped.
  ENetPeer* sneaky = enet_host_connect(client, &to, 1, 0x4B575431);
  ENetPeer* foreign = enet_host_connect(client, &to, 1, 12345);
  ASSERT_NE(sneaky, nullptr);
  ASSERT_NE(foreign, nullptr);
  bool sneakyIn = false, foreignOut = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((!sneakyIn || !foreignOut) && std::chrono::steady_clock::now() < deadline) {
    platform::net::PumpAll();
    ENetEvent e;
    while (enet_host_service(client, &e, 1) > 0) {
      if (e.type == ENET_EVENT_TYPE_CONNECT && e.peer == sneaky) sneakyIn = true;
      if (e.type == ENET_EVENT_TYPE_DISCONNECT && e.peer == foreign) foreignOut = true;
      if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
    }
  }
  ASSERT_TRUE(sneakyIn);
  EXPECT_TRUE(foreignOut);
  const std::vector<std::vector<uint8_t>> packets = {
      {'M', 1, 0, 0, 0, 1, 5, 0, 0, 0, 'F', 'l', 'i', 'c', 'k'},  // before joining
      {'P'},                                                      // no fields
      {'P', 2, 1, 0, 0, 0},                                       // a request cut short
      {'J', 1, 0xFF, 0xFF, 0xFF, 0x7F},                           // a GUID longer than the packet
      {'J', 2, 0, 0, 0, 0},                                       // a Long where the GUID goes
      {},
      {'Z', 1, 2, 3},
  };
  for (const auto& p : packets) {
    enet_peer_send(sneaky, 0, enet_packet_create(p.data(), p.size(), ENET_PACKET_FLAG_RELIABLE));
  }
  enet_host_flush(client);
  for (int i = 0; i < 200; ++i) {
    platform::net::PumpAll();
    ENetEvent e;
    while (enet_host_service(client, &e, 0) > 0) {
      if (e.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(e.packet);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  EXPECT_EQ(h.dp->GetMessageCount(h.player), 0);
  enet_host_destroy(client);
  // The session still takes the real joiner.
  Joiner j = Joining(*b, h);
  ASSERT_TRUE(WaitForMessages(*h.dp, 1));
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
}

// Forks a joiner and hosts a session for it, servicing the session until the
// joiner is in; the child then runs `then` on its joined session and exits
// with its result. The child starts before the session exists, so it shares
// no socket. Returns the child's pid, or -1 when the joiner never came.
pid_t HostForChildJoiner(platform::test::TestBackend& b, Host& h,
                         const std::function<int(Joiner&)>& then) {
  int toChild[2], toParent[2];
  if (pipe(toChild) != 0 || pipe(toParent) != 0) return -1;
  fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(toChild[1]);
    close(toParent[0]);
    uint16_t port = 0;
    pollfd p{toChild[0], POLLIN, 0};
    if (poll(&p, 1, 10000) != 1 || read(toChild[0], &port, sizeof port) != sizeof port) _exit(2);
    try {
      Host at;
      at.port = port;
      Joiner j = Joining(b, at);
      const char ready = 'j';
      if (write(toParent[1], &ready, 1) != 1) _exit(3);
      _exit(then(j));
    } catch (...) {
      _exit(4);
    }
  }
  close(toChild[0]);
  close(toParent[1]);
  bool joined = false;
  if (child > 0) {
    h = Hosting(b);
    const bool told = write(toChild[1], &h.port, sizeof h.port) == sizeof h.port;
    char ready = 0;
    for (int i = 0; i < 20000 && told && !joined; ++i) {
      h.dp->GetMessageCount(h.player);
      pollfd p{toParent[0], POLLIN, 0};
      joined = poll(&p, 1, 1) == 1 && read(toParent[0], &ready, 1) == 1;
    }
    if (!joined) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
  }
  close(toChild[1]);
  close(toParent[0]);
  return joined ? child : -1;
}

// The joiner is killed without a word: the host notices through the time-out.
TEST_F(SessionTest, AJoinerThatVanishesIsNoticedByTheTimeOut) {
  platform::Network().peerTimeoutMinimumMs = 300;
  platform::Network().peerTimeoutMaximumMs = 1500;
  Host h;
  const pid_t child = HostForChildJoiner(*b, h, [](Joiner& j) {
    for (int i = 0; i < 30000; ++i) {  // until killed; bounded all the same
      j.dp->GetMessageCount(j.player);
      usleep(1000);
    }
    return 5;
  });
  ASSERT_GT(child, 0);
  ASSERT_TRUE(WaitForMessages(*h.dp, 1));
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  ASSERT_TRUE(WaitForPeerGone(*h.dp, 30000));
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysDestroyPlayer);
  EXPECT_EQ(Take(*h.dp).kind, platform::kPeerGoneKind);
}

// A machine that stops servicing the network for a second or so (a busy
// frame, a slow load) is still there for the other side, with the game's own
// time-outs: neither side takes the other as gone, and messages sent during
// the stall arrive afterwards.
struct Stall {
  bool hostStalls;
  int ms;
};

class StalledPeerTest : public SessionTest, public ::testing::WithParamInterface<Stall> {};

// Sends "tick" for `ms` while servicing the session, or, stalled, sleeps.
bool TickOrStall(platform::DirectPlay4& dp, int32_t player, int ms, bool stalled) {
  if (stalled) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return true;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    auto m = dp.CreateMessage();
    m->WriteString("tick");
    dp.Send(player, platform::DPID_ALLPLAYERS, platform::DPSEND_GUARANTEED, m);
    for (int i = 0; i < 20; ++i) {
      dp.GetMessageCount(player);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (dp.PeerGone()) return false;
  }
  return true;
}

// Services the session for `ms`; true when the peer stayed and said "tick".
bool PeerStaysAndTicks(platform::DirectPlay4& dp, int32_t player, int ms) {
  bool ticked = false;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    while (dp.GetMessageCount(player) > 0 && !dp.PeerGone()) {
      ticked = Take(dp).kind == "tick" || ticked;
    }
    if (dp.PeerGone()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return ticked;
}

TEST_P(StalledPeerTest, APeerStalledForAMomentIsNotTakenAsGone) {
  const Stall stall = GetParam();
  Host h;
  const pid_t child = HostForChildJoiner(*b, h, [stall](Joiner& j) {
    if (!TickOrStall(*j.dp, j.player, stall.ms, !stall.hostStalls)) return 6;
    if (!PeerStaysAndTicks(*j.dp, j.player, 1500) && !stall.hostStalls) return 7;
    TickOrStall(*j.dp, j.player, 1500, false);
    WaitForPeerGone(*j.dp, 10000);
    return 0;
  });
  ASSERT_GT(child, 0);
  EXPECT_TRUE(TickOrStall(*h.dp, h.player, stall.ms, stall.hostStalls));
  EXPECT_TRUE(PeerStaysAndTicks(*h.dp, h.player, 3000));
  EXPECT_FALSE(h.dp->PeerGone());
  h.dp->Close();
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

INSTANTIATE_TEST_SUITE_P(Stalls, StalledPeerTest,
                         ::testing::Values(Stall{false, 1000}, Stall{false, 1500},
                                           Stall{true, 1500}),
                         [](const auto& info) {
                           return std::string(info.param.hostStalls ? "Host" : "Joiner") +
                                  "Stalls" + std::to_string(info.param.ms) + "ms";
                         });

// A process that ends with its session still open says goodbye on its way
// out: the host hears it long before any time-out.
TEST_F(SessionTest, AJoinerWhoseProcessEndsSaysGoodbye) {
  platform::Network().peerTimeoutMinimumMs = 60000;
  platform::Network().peerTimeoutMaximumMs = 120000;
  int toChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  fflush(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(toChild[1]);
    uint16_t port = 0;
    pollfd p{toChild[0], POLLIN, 0};
    if (poll(&p, 1, 10000) != 1 || read(toChild[0], &port, sizeof port) != sizeof port) _exit(2);
    try {
      Host h;
      h.port = port;
      Joiner j = Joining(*b, h);
      state().DPlay = j.dp;  // as the game holds it, until the statics go
      state().MyPlayerId = j.player;
    } catch (...) {
      _exit(4);
    }
    std::exit(0);  // the ordinary end of a process
  }
  close(toChild[0]);
  Host h = Hosting(*b);
  ASSERT_EQ(write(toChild[1], &h.port, sizeof h.port), static_cast<ssize_t>(sizeof h.port));
  ASSERT_TRUE(WaitForPeerGone(*h.dp, 10000));
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysCreatePlayer);
  EXPECT_EQ(Take(*h.dp).kind, platform::kSysDestroyPlayer);
  EXPECT_EQ(Take(*h.dp).kind, platform::kPeerGoneKind);
  close(toChild[1]);
}

}  // namespace
}  // namespace kwinta::testing
