// The ENet transport under DirectPlay4: a hosted or joined session, the search
// for sessions, and the pump that services every open session of the process.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/play/play.h"

struct _ENetHost;
struct _ENetPeer;
struct _ENetEvent;
struct _ENetAddress;

namespace platform::net {

// A session that answered a search.
struct FoundSession {
  std::string address;  // dotted IPv4
  uint16_t port = 0;
  uint32_t instance = 0;
  std::string guid, name;
  int32_t currentPlayers = 0, maxPlayers = 0, flags = 0;
};

// Asks `target` ("host" or "host:port"; "" for the local network) for
// sessions of the application `guid`, waiting up to `timeoutMs`. An explicit
// target ends the search at its first answer, or as soon as nothing listens
// there. Raises for an address that cannot be used.
std::vector<FoundSession> Search(const std::string& target, const std::string& guid,
                                 int32_t timeoutMs);

// Services every session of this process once, without blocking. The calls
// that wait for the network run it, so that a session hosted by this process
// keeps answering while another one waits.
void PumpAll();

struct HostedDescription {
  std::string guid, password, name;
  int32_t maxPlayers = 0;  // 0: no limit
  int32_t flags = 0;
};

class EnetSession : public SessionLink {
 public:
  // Hosts a new session on the settings' base port; raises when the port
  // cannot be had.
  static std::shared_ptr<EnetSession> Host(const HostedDescription& desc);
  // Joins the session `instance` at address:port; raises when nobody answers
  // within the join time-out or the host refuses.
  static std::shared_ptr<EnetSession> Join(const std::string& address, uint16_t port,
                                           uint32_t instance, const std::string& guid,
                                           const std::string& password);
  ~EnetSession() override;

  // A player of this process. Raises when the session is full or gone.
  int32_t CreatePlayer(const std::string& friendlyName, const std::string& formalName);
  // Says goodbye to the peers (bounded by the close time-out) and frees the
  // port. Later calls do nothing.
  void Close();

  bool IsHost() const { return role_ == Role::Host; }
  uint16_t Port() const { return port_; }
  uint32_t Instance() const { return instance_; }
  int32_t CurrentPlayers() const;
  int32_t FirstLocalPlayer() const { return localPlayers_.empty() ? 0 : localPlayers_.front(); }

  // SessionLink
  void Send(const std::vector<uint8_t>& bytes) override { SendFrom(FirstLocalPlayer(), bytes); }
  void SendFrom(int32_t from, const std::vector<uint8_t>& bytes) override;
  int32_t Waiting() override;
  std::vector<uint8_t> Take() override;
  int32_t TakenFrom() override { return takenFrom_; }
  bool PeerGone() override { return gone_; }

  // Services this session once, without blocking.
  void Pump();

  // Raw datagrams on the session's port that are searches, not ENet.
  static int Intercept(_ENetHost* host, _ENetEvent* event);

  enum class Role { Host, Joiner };
  EnetSession(Role role, _ENetHost* host);

 private:
  struct Remote {
    _ENetPeer* peer = nullptr;
    bool admitted = false;
    std::vector<int32_t> players;
  };
  struct Incoming {
    int32_t from;
    std::vector<uint8_t> bytes;
  };
  enum class JoinState { Connecting, Asking, Admitted, Refused };
  struct Answer {
    int32_t request;
    int32_t id;  // 0: refused
  };

  void Handle(_ENetEvent& event);
  void HandleAtHost(Remote& remote, uint8_t kind, const std::vector<uint8_t>& body,
                    const uint8_t* raw, size_t rawLength);
  void HandleAtJoiner(uint8_t kind, const std::vector<uint8_t>& body, const uint8_t* raw,
                      size_t rawLength);
  void Disconnected(_ENetPeer* peer);
  void AnswerSearch(const _ENetAddress& from, const uint8_t* data, size_t length);
  void SendControl(_ENetPeer* peer, uint8_t kind, const DirectPlayMessage& fields);
  void SendRaw(_ENetPeer* peer, const std::vector<uint8_t>& packet);
  void QueueSystem(const DirectPlayMessage& m);
  void QueuePlayerCreated(int32_t id, const std::string& friendly, const std::string& formal);
  int32_t RemotePlayers() const;
  Remote* FindRemote(_ENetPeer* peer);
  bool WaitFor(const std::function<bool()>& done, int32_t timeoutMs);

  Role role_;
  _ENetHost* host_ = nullptr;
  uint16_t port_ = 0;
  // The session.
  std::string guid_, password_, name_;
  int32_t maxPlayers_ = 0, flags_ = 0;
  uint32_t instance_ = 0;
  std::vector<int32_t> localPlayers_;
  int32_t nextId_ = 0;
  // At the host: the machines that connected. At a joiner: the host, and the
  // players elsewhere in the session.
  std::vector<Remote> remotes_;
  _ENetPeer* server_ = nullptr;
  std::vector<int32_t> otherPlayers_;
  JoinState joinState_ = JoinState::Connecting;
  int32_t nextRequest_ = 1;
  std::vector<Answer> answers_;
  // What waits for the local player.
  std::deque<Incoming> queue_;
  int32_t takenFrom_ = DPID_SYSMSG;
  bool gone_ = false;
  bool closed_ = false;
};

}  // namespace platform::net
