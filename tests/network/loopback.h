// Helpers for sessions on 127.0.0.1: hosting, searching, joining, and bounded
// waits for what the other side sends.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/error.h"
#include "platform/play/enet_session.h"
#include "platform/play/play.h"
#include "platform/test/test_backend.h"

namespace kwinta::testing {

inline constexpr const char* kGuid = "{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";

using DP = std::shared_ptr<platform::DirectPlay4>;

// A new object bound to the Internet method, whose prompt gets `answer`.
inline DP Connected(platform::test::TestBackend& b, const std::string& answer) {
  auto dp = std::make_shared<platform::DirectPlay4>();
  auto methods = dp->GetDPEnumConnections("", platform::DPCONNECTION_DIRECTPLAY);
  b.promptAnswers.push_back(answer);
  dp->InitializeConnection(methods->GetAddress(2));
  return dp;
}

inline std::shared_ptr<platform::DirectPlaySessionData> Description(
    platform::DirectPlay4& dp, const std::string& name, int32_t maxPlayers,
    const std::string& guid = kGuid) {
  auto desc = dp.CreateSessionData();
  desc->SetMaxPlayers(maxPlayers);
  desc->SetSessionName(name);
  desc->SetGuidApplication(guid);
  desc->SetFlags(platform::DPSESSION_MIGRATEHOST);
  return desc;
}

// A hosted session with its first player, as the lobby's Create makes it.
struct Host {
  DP dp;
  int32_t player = 0;
  uint16_t port = 0;
  std::string Address() const { return "127.0.0.1:" + std::to_string(port); }
};

inline Host Hosting(platform::test::TestBackend& b, const std::string& name = "TAKW4711",
                    int32_t maxPlayers = 2, const std::string& guid = kGuid,
                    bool withPlayer = true) {
  Host h;
  h.dp = Connected(b, "");
  h.dp->Open(Description(*h.dp, name, maxPlayers, guid), platform::DPOPEN_CREATE);
  if (withPlayer) h.player = h.dp->CreatePlayer("Quibly", "Player1", 0, 0);
  h.port = h.dp->SessionPort();
  return h;
}

inline std::shared_ptr<platform::DirectPlayEnumSessions> Search(
    platform::DirectPlay4& dp, int flags = platform::DPENUMSESSIONS_AVAILABLE,
    const std::string& guid = kGuid) {
  auto desc = dp.CreateSessionData();
  desc->SetGuidApplication(guid);
  desc->SetSessionPassword("");
  return dp.GetDPEnumSessions(desc, 0, flags);
}

// A joined session with its player, as the lobby's Join makes it.
struct Joiner {
  DP dp;
  int32_t player = 0;
};

inline Joiner Joining(platform::test::TestBackend& b, const Host& h,
                      const std::string& guid = kGuid) {
  Joiner j;
  j.dp = Connected(b, h.Address());
  auto found = Search(*j.dp, platform::DPENUMSESSIONS_AVAILABLE, guid);
  if (found->GetCount() != 1) throw platform::Error("the session was not found");
  j.dp->Open(found->GetItem(1), platform::DPOPEN_JOIN);
  j.player = j.dp->CreatePlayer("Vimbo", "Player2", 0, 0);
  return j;
}

// Services every session until `dp` has at least `n` messages waiting; false
// when that did not happen within `ms`.
inline bool WaitForMessages(platform::DirectPlay4& dp, int32_t n, int ms = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) {
    platform::net::PumpAll();
    if (dp.GetMessageCount(0) >= n) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

inline bool WaitForPeerGone(platform::DirectPlay4& dp, int ms = 20000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) {
    platform::net::PumpAll();
    dp.GetMessageCount(0);
    if (dp.PeerGone()) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

struct Received {
  int32_t from = -1, to = -1;
  std::shared_ptr<platform::DirectPlayMessage> msg;
  std::string kind;
};

inline Received Take(platform::DirectPlay4& dp) {
  Received r;
  r.msg = dp.Receive(r.from, r.to, platform::DPRECEIVE_ALL);
  r.kind = r.msg->ReadString();
  return r;
}

}  // namespace kwinta::testing
