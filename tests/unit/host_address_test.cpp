// The button "What's my IP address?" and the lookup behind it, on a sockets
// layer that the test scripts: every message of the start, the host name, the
// resolve and the release, and what the button shows.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "net/module2.h"
#include "platform/sockets/sockets.h"
#include "platform/toolkit/toolkit.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

const char* kErrorBox =
    "An error occurred while attempting to locate IP address.  Please make sure that you are "
    "connected to a LAN or the Internet.";
const char* kNoHostName =
    "Windows Sockets are not responding. Unable to successfully get Host Name.";

class ScriptedSockets : public platform::Sockets {
 public:
  // What the layer reports.
  int startResult = 0;
  uint16_t version = 0x0101;
  int16_t maxSockets = 32767;
  bool hostNameFails = false;
  int lastError = 0;
  std::string hostName = "kwinta-host";  // the bytes written, NULs included
  bool resolves = true;
  platform::HOSTENT record{"kwinta-host", 2, 4, {{192, 168, 1, 20}, {10, 0, 0, 7}}};
  int cleanupResult = 0;
  // What was asked of it.
  std::vector<std::string> calls;

  int WSAStartup(uint16_t requested, platform::WSADATA& data) override {
    calls.push_back("startup " + std::to_string(requested));
    data.wVersion = version;
    data.iMaxSockets = maxSockets;
    return startResult;
  }
  int gethostname(char* name, int length) override {
    calls.push_back("hostname " + std::to_string(length));
    if (hostNameFails) return platform::SOCKET_ERROR;
    std::memset(name, 'x', length);  // whatever lies beyond the name
    std::memcpy(name, hostName.data(), std::min<size_t>(hostName.size(), length));
    if (hostName.size() < static_cast<size_t>(length)) name[hostName.size()] = '\0';
    return 0;
  }
  int WSAGetLastError() override { return lastError; }
  const platform::HOSTENT* gethostbyname(const std::string& name) override {
    calls.push_back("resolve " + name);
    return resolves ? &record : nullptr;
  }
  int WSACleanup() override {
    calls.push_back("cleanup");
    return cleanupResult;
  }
};

class HostAddressTest : public GameTest {
 protected:
  void SetUp() override {
    GameTest::SetUp();
    auto s = std::make_unique<ScriptedSockets>();
    ws = s.get();
    platform::UseSockets(std::move(s));
    ASSERT_TRUE(StartProgram());
    b->boxes.clear();
  }
  void TearDown() override {
    platform::UseSockets(nullptr);
    GameTest::TearDown();
  }

  // Presses the button; returns the boxes it showed.
  std::vector<platform::test::TestBackend::Box> Press() {
    b->boxes.clear();
    ws->calls.clear();
    b->Click(frmNewNet().Command8);
    platform::DoEvents();
    return b->boxes;
  }

  ScriptedSockets* ws = nullptr;
};

TEST_F(HostAddressTest, ShowsTheFirstAddressOfTheHostName) {
  auto boxes = Press();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "Your IP address is: 192.168.1.20");
  EXPECT_EQ(boxes[0].title, "IP Address:");
  EXPECT_EQ(boxes[0].style, platform::vbOKOnly);
  EXPECT_EQ(ws->calls, (std::vector<std::string>{"startup 257", "hostname 256",
                                                 "resolve kwinta-host", "cleanup"}));
}

struct Case {
  const char* what;
  void (*script)(ScriptedSockets&);
  std::vector<std::string> prompts;  // the boxes in order; the last may be the error box
  bool cleanedUp;
};

class HostAddressCaseTest : public HostAddressTest, public ::testing::WithParamInterface<Case> {};

TEST_P(HostAddressCaseTest, ShowsItsMessagesInOrder) {
  const Case& c = GetParam();
  c.script(*ws);
  auto boxes = Press();
  std::vector<std::string> prompts;
  for (const auto& box : boxes) prompts.push_back(box.prompt);
  EXPECT_EQ(prompts, c.prompts);
  for (const auto& box : boxes) {
    if (box.prompt == kErrorBox) {
      EXPECT_EQ(box.style, platform::vbCritical);
      EXPECT_EQ(box.title, "Error:");
    } else if (box.prompt.rfind("Your IP address is: ", 0) == 0) {
      EXPECT_EQ(box.title, "IP Address:");
    } else {
      EXPECT_EQ(box.style, platform::vbOKOnly);
      EXPECT_EQ(box.title, platform::kAppTitle);  // no title of its own
    }
  }
  const bool cleaned = std::find(ws->calls.begin(), ws->calls.end(), "cleanup") != ws->calls.end();
  EXPECT_EQ(cleaned, c.cleanedUp);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, HostAddressCaseTest,
    ::testing::Values(
        Case{"StartFails",
             [](ScriptedSockets& s) { s.startResult = 10091; },
             {"The 32-bit Windows Socket is not responding."},
             false},
        Case{"NoSockets",
             [](ScriptedSockets& s) { s.maxSockets = 0; },
             {"This application requires a minimum of 1 supported sockets."},
             false},
        Case{"NegativeSockets",
             [](ScriptedSockets& s) { s.maxSockets = -1; },
             {"This application requires a minimum of 1 supported sockets."},
             false},
        Case{"Version1_0",
             [](ScriptedSockets& s) { s.version = 0x0001; },
             {"Sockets version 1.0 is not supported by 32-bit Windows Sockets."},
             false},
        Case{"Version0_9",
             [](ScriptedSockets& s) { s.version = 0x0900; },
             {"Sockets version 0.9 is not supported by 32-bit Windows Sockets."},
             false},
        Case{"Version0_2",
             [](ScriptedSockets& s) { s.version = 0x0200; },
             {"Sockets version 0.2 is not supported by 32-bit Windows Sockets."},
             false},
        Case{"HostNameFails",
             [](ScriptedSockets& s) {
               s.hostNameFails = true;
               s.lastError = 10093;
             },
             {"Windows Sockets error  10093 has occurred. Unable to successfully get Host Name."},
             true},
        Case{"HostNameFailsWithZero",
             [](ScriptedSockets& s) {
               s.hostNameFails = true;
               s.lastError = 0;
             },
             {"Windows Sockets error  0 has occurred. Unable to successfully get Host Name."},
             true},
        Case{"HostNameFailsNegative",
             [](ScriptedSockets& s) {
               s.hostNameFails = true;
               s.lastError = -7;
             },
             {"Windows Sockets error -7 has occurred. Unable to successfully get Host Name."},
             true},
        Case{"ResolveFails", [](ScriptedSockets& s) { s.resolves = false; }, {kNoHostName}, true},
        Case{"Loopback",
             [](ScriptedSockets& s) {
               s.record.h_addr_list = {{127, 0, 0, 1}, {10, 1, 1, 1}};
             },
             {kErrorBox},
             true},
        Case{"OtherLoopbackIsShown",
             [](ScriptedSockets& s) {
               s.record.h_addr_list = {{127, 0, 1, 1}};
             },
             {"Your IP address is: 127.0.1.1"},
             true},
        Case{"CleanupFails",
             [](ScriptedSockets& s) { s.cleanupResult = -1; },
             {"Socket error occurred in Cleanup.", "Your IP address is: 192.168.1.20"},
             true},
        Case{"CleanupFailsAfterResolveFails",
             [](ScriptedSockets& s) {
               s.resolves = false;
               s.cleanupResult = 10093;
             },
             {kNoHostName, "Socket error occurred in Cleanup."},
             true},
        Case{"CleanupFailsOnLoopback",
             [](ScriptedSockets& s) {
               s.cleanupResult = 1;
               s.record.h_addr_list = {{127, 0, 0, 1}};
             },
             {"Socket error occurred in Cleanup.", kErrorBox},
             true},
        Case{"NoAddressListed",
             [](ScriptedSockets& s) { s.record.h_addr_list.clear(); },
             {kErrorBox},
             false},
        Case{"ZeroLength", [](ScriptedSockets& s) { s.record.h_length = 0; }, {kErrorBox}, false},
        Case{"LengthBeyondTheAddress",
             [](ScriptedSockets& s) { s.record.h_length = 6; },
             {kErrorBox},
             false},
        Case{"NegativeLength",
             [](ScriptedSockets& s) { s.record.h_length = -4; },
             {kErrorBox},
             false},
        Case{"ZerosAndTopBytes",
             [](ScriptedSockets& s) {
               s.record.h_addr_list = {{10, 0, 255, 1}};
             },
             {"Your IP address is: 10.0.255.1"},
             true},
        Case{"LongerAddress",
             [](ScriptedSockets& s) {
               s.record.h_length = 6;
               s.record.h_addr_list = {{1, 2, 3, 4, 5, 6}};
             },
             {"Your IP address is: 1.2.3.4.5.6"},
             true},
        Case{"ShorterLength",
             [](ScriptedSockets& s) { s.record.h_length = 2; },
             {"Your IP address is: 192.168"},
             true}),
    [](const auto& info) { return std::string(info.param.what); });

class AcceptedVersionTest : public HostAddressTest,
                            public ::testing::WithParamInterface<uint16_t> {};

TEST_P(AcceptedVersionTest, VersionsFromOneOneUpAreAccepted) {
  ws->version = GetParam();
  auto boxes = Press();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "Your IP address is: 192.168.1.20");
}

// Major in the low byte: 1.1, 1.2, 2.0, 2.2, 3.0, 255.255.
INSTANTIATE_TEST_SUITE_P(Versions, AcceptedVersionTest,
                         ::testing::Values(0x0101, 0x0201, 0x0002, 0x0202, 0x0003, 0xFFFF));

TEST_F(HostAddressTest, TheNameIsTakenUpToItsNulAndTrimmedOfSpaces) {
  struct {
    std::string written, resolved;
  } cases[] = {
      {std::string("  kwinta-host  \0garbage", 23), "kwinta-host"},
      {std::string("box\0  more", 10), "box"},
      {"\ttabbed ", "\ttabbed"},  // only spaces are trimmed
      {std::string(300, 'n'), std::string(255, 'n')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.resolved);
    ws->hostName = c.written;
    Press();
    ASSERT_GE(ws->calls.size(), 3u);
    EXPECT_EQ(ws->calls[2], "resolve " + c.resolved);
  }
}

TEST_F(HostAddressTest, TheButtonWorksAgainAfterAFailure) {
  ws->resolves = false;
  EXPECT_EQ(Press().size(), 1u);
  ws->resolves = true;
  auto boxes = Press();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt, "Your IP address is: 192.168.1.20");
  EXPECT_TRUE(frmNewNet().Command8.enabled);
}

TEST_F(HostAddressTest, GetIPAddressReturnsEmptyAfterItsOwnMessage) {
  ws->resolves = false;
  EXPECT_EQ(GetIPAddress(), "");
  ASSERT_EQ(b->boxes.size(), 1u);
  EXPECT_EQ(b->boxes[0].prompt, kNoHostName);
  ws->resolves = true;
  EXPECT_EQ(GetIPAddress(), "192.168.1.20");
}

TEST(HostAddressBytes, HiByteAndLoByteSplitAWord) {
  struct {
    uint16_t word;
    uint8_t hi, lo;
  } cases[] = {{0x0000, 0, 0}, {0x0101, 1, 1},   {0x0202, 2, 2},   {0x0001, 0, 1},
               {0x0100, 1, 0}, {0xFF00, 255, 0}, {0x00FF, 0, 255}, {0xABCD, 0xAB, 0xCD}};
  for (const auto& c : cases) {
    EXPECT_EQ(HiByte(c.word), c.hi) << c.word;
    EXPECT_EQ(LoByte(c.word), c.lo) << c.word;
  }
}

// The system's layer, asked nothing that leaves this machine.
TEST(SystemSockets, StartsAsOneOneAndKnowsTheHostNameAndDottedAddresses) {
  auto s = platform::SystemSockets();
  platform::WSADATA data;
  ASSERT_EQ(s->WSAStartup(0x0101, data), 0);
  EXPECT_EQ(data.wVersion, 0x0101);
  EXPECT_GE(data.iMaxSockets, 1);
  std::vector<char> name(256, 'x');
  ASSERT_EQ(s->gethostname(name.data(), 256), 0);
  const size_t length = std::strlen(name.data());
  EXPECT_GT(length, 0u);
  EXPECT_LT(length, 256u);
  const platform::HOSTENT* h = s->gethostbyname("127.0.0.1");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->h_length, 4);
  ASSERT_FALSE(h->h_addr_list.empty());
  EXPECT_EQ(h->h_addr_list[0], (std::vector<uint8_t>{127, 0, 0, 1}));
  EXPECT_EQ(s->gethostname(name.data(), 0), platform::SOCKET_ERROR);
  EXPECT_NE(s->WSAGetLastError(), 0);
  EXPECT_EQ(s->WSACleanup(), 0);
}

}  // namespace
}  // namespace kwinta::testing
