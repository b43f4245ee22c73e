#include "platform/play/enet_session.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "platform/error.h"

namespace platform::net {

namespace {

// First byte of every ENet packet between the machines of a session.
enum : uint8_t {
  kJoinRequest = 'J',    // joiner → host: guid, instance, password
  kWelcome = 'W',        // host → joiner: instance, player count, player ids
  kRefused = 'F',        // host → joiner: reason
  kPlayerRequest = 'P',  // joiner → host: request number, friendly, formal name
  kPlayerGranted = 'A',  // host → joiner: request number, player id
  kPlayerRefused = 'N',  // host → joiner: request number
  kPlayerCreated = 'C',  // host → joiners: player id, friendly, formal name
  kPlayerGone = 'D',     // host → joiners: player id
  kUserMessage = 'M',    // either way: sender id (4 bytes), then the message's bytes
};

// Searches travel as plain datagrams on the session's port.
constexpr uint8_t kAskMagic[4] = {'K', 'W', 'q', '1'};
constexpr uint8_t kAnswerMagic[4] = {'K', 'W', 'a', '1'};
// What a joiner's ENet connect carries, so that other ENet programs are refused.
constexpr enet_uint32 kProtocolTag = 0x4B575431;
constexpr size_t kMaxPacket = 64 * 1024;
constexpr size_t kMaxPeers = 8;

using Clock = std::chrono::steady_clock;

void EnsureEnet() {
  static const bool ok = enet_initialize() == 0;
  if (!ok) throw Error("the network library did not start");
}

// Never destroyed: a session still open at the process's end closes from the
// destructor of a static, after this one would be gone.
std::vector<EnetSession*>& Registry() {
  static auto* sessions = new std::vector<EnetSession*>;
  return *sessions;
}

std::string Trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// An IPv4 address in network byte order. Text made only of digits and dots
// must be a dotted address; anything else is looked up as a name.
uint32_t ResolveIPv4(const std::string& host) {
  if (host.empty()) throw Error("the address names no host");
  in_addr a{};
  if (host.find_first_not_of("0123456789.") == std::string::npos) {
    if (inet_pton(AF_INET, host.c_str(), &a) != 1) throw Error("not an IPv4 address: " + host);
    return a.s_addr;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) {
    throw Error("unknown host: " + host);
  }
  const uint32_t found = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(list);
  return found;
}

// "host" or "host:port".
void ParseTarget(const std::string& text, uint16_t defaultPort, uint32_t& host, uint16_t& port) {
  const std::string t = Trim(text);
  const auto colon = t.rfind(':');
  std::string name = t;
  port = defaultPort;
  if (colon != std::string::npos) {
    name = t.substr(0, colon);
    const std::string digits = t.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      throw Error("not a port number: " + digits);
    }
    const long p = std::stol(digits);
    if (p < 1 || p > 65535) throw Error("port out of range: " + digits);
    port = static_cast<uint16_t>(p);
  }
  host = ResolveIPv4(name);
}

std::string DottedIPv4(uint32_t networkOrder) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr a{};
  a.s_addr = networkOrder;
  inet_ntop(AF_INET, &a, text, sizeof text);
  return text;
}

std::vector<uint8_t> WithHead(const uint8_t* head, size_t n, const DirectPlayMessage& fields) {
  std::vector<uint8_t> out(head, head + n);
  const std::vector<uint8_t> body = fields.Encode();
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(const uint8_t* p) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

// Fields of a control packet; a malformed one reads as nothing.
bool Fields(const std::vector<uint8_t>& body, DirectPlayMessage& out) {
  try {
    out = DirectPlayMessage::Decode(body);
    return true;
  } catch (const Error&) {
    return false;
  }
}

uint32_t RandomNonZero() {
  std::random_device rd;
  uint32_t v = 0;
  while (v == 0) v = (uint32_t(rd()) << 1) ^ uint32_t(rd());
  return v;
}

void ApplyTimeouts(ENetPeer* peer) {
  const NetworkSettings& n = Network();
  enet_peer_ping_interval(peer, static_cast<enet_uint32>(std::max(1, n.peerPingIntervalMs)));
  enet_peer_timeout(peer, 0, static_cast<enet_uint32>(std::max(1, n.peerTimeoutMinimumMs)),
                    static_cast<enet_uint32>(std::max(1, n.peerTimeoutMaximumMs)));
}

}  // namespace

// --- search ------------------------------------------------------------------------

std::vector<FoundSession> Search(const std::string& target, const std::string& guid,
                                 int32_t timeoutMs) {
  const NetworkSettings& settings = Network();
  const bool localNetwork = Trim(target).empty();
  uint32_t host = 0;
  uint16_t port = 0;
  if (localNetwork) {
    if (settings.basePort == 0) return {};  // no port to search on
    ParseTarget(settings.localSearchAddress, settings.basePort, host, port);
  } else {
    ParseTarget(target, settings.basePort, host, port);
    if (port == 0) throw Error("the address names no port");
  }

  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) throw Error("no socket for the search");
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  if (!settings.bindAddress.empty()) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ResolveIPv4(settings.bindAddress);
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
      throw Error("cannot bind the search socket");
    }
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = host;
  to.sin_port = htons(port);
  if (localNetwork) {
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  } else if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    // A connected socket hears at once that nothing listens there.
    throw Error("cannot reach " + target);
  }

  DirectPlayMessage ask;
  ask.WriteString(guid);
  const std::vector<uint8_t> request = WithHead(kAskMagic, 4, ask);

  std::vector<FoundSession> found;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(1, timeoutMs));
  auto nextAsk = Clock::now();
  bool done = false;
  std::vector<uint8_t> buffer(kMaxPacket);
  while (!done && Clock::now() < deadline) {
    if (Clock::now() >= nextAsk) {
      const ssize_t sent = localNetwork ? sendto(fd, request.data(), request.size(), 0,
                                                 reinterpret_cast<sockaddr*>(&to), sizeof to)
                                        : send(fd, request.data(), request.size(), 0);
      if (sent < 0 && errno == ECONNREFUSED && !localNetwork) break;
      nextAsk = Clock::now() + std::chrono::milliseconds(250);
    }
    PumpAll();
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 1);
    for (int i = 0; i < 64; ++i) {
      sockaddr_in from{};
      socklen_t fromLength = sizeof from;
      const ssize_t n = recvfrom(fd, buffer.data(), buffer.size(), 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (n < 0) {
        if (errno == ECONNREFUSED && !localNetwork) done = true;
        break;
      }
      if (n < 4 || std::memcmp(buffer.data(), kAnswerMagic, 4) != 0) continue;
      DirectPlayMessage m;
      if (!Fields(std::vector<uint8_t>(buffer.begin() + 4, buffer.begin() + n), m)) continue;
      FoundSession s;
      try {
        s.guid = m.ReadString();
        s.instance = static_cast<uint32_t>(m.ReadLong());
        s.name = m.ReadString();
        s.currentPlayers = m.ReadLong();
        s.maxPlayers = m.ReadLong();
        s.flags = m.ReadLong();
      } catch (const Error&) {
        continue;
      }
      if (s.guid != guid) continue;
      s.address = DottedIPv4(from.sin_addr.s_addr);
      s.port = ntohs(from.sin_port);
      const bool seen = std::any_of(found.begin(), found.end(), [&](const FoundSession& f) {
        return f.address == s.address && f.port == s.port && f.instance == s.instance;
      });
      if (!seen) found.push_back(s);
      if (!localNetwork) done = true;
    }
  }
  return found;
}

void PumpAll() {
  // Runs at every yield, so it copies nothing; a pump never opens or closes a
  // session, and indexing stays safe even if one did.
  for (size_t i = 0; i < Registry().size(); ++i) Registry()[i]->Pump();
}

// --- the session ----------------------------------------------------------------------

EnetSession::EnetSession(Role role, ENetHost* host) : role_(role), host_(host) {
  Registry().push_back(this);
}

EnetSession::~EnetSession() {
  Close();
}

std::shared_ptr<EnetSession> EnetSession::Host(const HostedDescription& desc) {
  EnsureEnet();
  const NetworkSettings& settings = Network();
  ENetAddress address{};
  address.host = settings.bindAddress.empty() ? ENET_HOST_ANY : ResolveIPv4(settings.bindAddress);
  address.port = settings.basePort;
  ENetHost* host = enet_host_create(&address, kMaxPeers, 1, 0, 0);
  if (host == nullptr) {
    throw Error("cannot host a session on port " + std::to_string(settings.basePort));
  }
  host->intercept = &EnetSession::Intercept;
  host->maximumPacketSize = kMaxPacket;
  auto s = std::make_shared<EnetSession>(Role::Host, host);
  ENetAddress bound{};
  enet_socket_get_address(host->socket, &bound);
  s->port_ = bound.port;
  s->guid_ = desc.guid;
  s->password_ = desc.password;
  s->name_ = desc.name;
  s->maxPlayers_ = desc.maxPlayers;
  s->flags_ = desc.flags;
  s->instance_ = RandomNonZero();
  // Player ids of this session: positive, never DPID_SYSMSG.
  s->nextId_ = static_cast<int32_t>((RandomNonZero() & 0x3FFF) + 1) << 16;
  return s;
}

std::shared_ptr<EnetSession> EnetSession::Join(const std::string& address, uint16_t port,
                                               uint32_t instance, const std::string& guid,
                                               const std::string& password) {
  EnsureEnet();
  const NetworkSettings& settings = Network();
  ENetAddress to{};
  to.host = ResolveIPv4(address);
  to.port = port;
  if (port == 0) throw Error("the session names no port");
  ENetAddress local{};
  local.host = settings.bindAddress.empty() ? ENET_HOST_ANY : ResolveIPv4(settings.bindAddress);
  local.port = 0;
  ENetHost* host = enet_host_create(&local, 1, 1, 0, 0);
  if (host == nullptr) throw Error("no network host for joining");
  host->maximumPacketSize = kMaxPacket;
  auto s = std::make_shared<EnetSession>(Role::Joiner, host);
  s->guid_ = guid;
  s->password_ = password;
  s->instance_ = instance;
  s->server_ = enet_host_connect(host, &to, 1, kProtocolTag);
  if (s->server_ == nullptr) throw Error("cannot connect to the session");
  ApplyTimeouts(s->server_);
  enet_host_flush(host);

  const bool answered = s->WaitFor(
      [&] { return s->joinState_ == JoinState::Admitted || s->joinState_ == JoinState::Refused; },
      settings.joinTimeoutMs);
  if (!answered || s->joinState_ != JoinState::Admitted) {
    // No farewell to a host that did not let us in.
    if (s->server_ != nullptr) enet_peer_reset(s->server_);
    s->server_ = nullptr;
    throw Error(answered ? "the session refused this player" : "the session's host did not answer");
  }
  return s;
}

int32_t EnetSession::RemotePlayers() const {
  if (role_ == Role::Joiner) return static_cast<int32_t>(otherPlayers_.size());
  int32_t n = 0;
  for (const Remote& r : remotes_) n += static_cast<int32_t>(r.players.size());
  return n;
}

int32_t EnetSession::CurrentPlayers() const {
  return static_cast<int32_t>(localPlayers_.size()) + RemotePlayers();
}

EnetSession::Remote* EnetSession::FindRemote(ENetPeer* peer) {
  for (Remote& r : remotes_) {
    if (r.peer == peer) return &r;
  }
  return nullptr;
}

bool EnetSession::WaitFor(const std::function<bool()>& done, int32_t timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
  for (;;) {
    PumpAll();
    if (done()) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
}

int32_t EnetSession::CreatePlayer(const std::string& friendlyName, const std::string& formalName) {
  if (closed_) throw Error("the session is closed");
  if (friendlyName.size() > DirectPlayMessage::kMaxString ||
      formalName.size() > DirectPlayMessage::kMaxString) {
    throw Error("player name too long");
  }
  if (role_ == Role::Host) {
    if (maxPlayers_ > 0 && CurrentPlayers() >= maxPlayers_) throw Error("the session is full");
    const int32_t id = nextId_++;
    localPlayers_.push_back(id);
    DirectPlayMessage notice;
    notice.WriteLong(id);
    notice.WriteString(friendlyName);
    notice.WriteString(formalName);
    for (Remote& r : remotes_) {
      if (r.admitted) SendControl(r.peer, kPlayerCreated, notice);
    }
    enet_host_flush(host_);
    return id;
  }
  if (gone_ || server_ == nullptr) throw Error("the session is lost");
  const int32_t request = nextRequest_++;
  DirectPlayMessage ask;
  ask.WriteLong(request);
  ask.WriteString(friendlyName);
  ask.WriteString(formalName);
  SendControl(server_, kPlayerRequest, ask);
  enet_host_flush(host_);
  auto answer = [&]() -> const Answer* {
    for (const Answer& a : answers_) {
      if (a.request == request) return &a;
    }
    return nullptr;
  };
  WaitFor([&] { return answer() != nullptr || gone_ || server_ == nullptr; },
          Network().joinTimeoutMs);
  const Answer* a = answer();
  if (a == nullptr) throw Error("the session's host did not create the player");
  if (a->id == 0) throw Error("the session is full");
  const int32_t id = a->id;
  localPlayers_.push_back(id);
  return id;
}

void EnetSession::Close() {
  if (closed_) return;
  closed_ = true;
  std::vector<ENetPeer*> connected;
  auto farewell = [&](ENetPeer* peer) {
    if (peer->state == ENET_PEER_STATE_CONNECTED) {
      enet_peer_disconnect_later(peer, 0);
      connected.push_back(peer);
    } else {
      enet_peer_reset(peer);
    }
  };
  if (role_ == Role::Host) {
    for (Remote& r : remotes_) farewell(r.peer);
    remotes_.erase(std::remove_if(remotes_.begin(), remotes_.end(),
                                  [&](const Remote& r) {
                                    return std::find(connected.begin(), connected.end(), r.peer) ==
                                           connected.end();
                                  }),
                   remotes_.end());
  } else if (server_ != nullptr) {
    farewell(server_);
    if (connected.empty()) server_ = nullptr;
  }
  if (!connected.empty()) {
    enet_host_flush(host_);
    WaitFor([&] { return role_ == Role::Host ? remotes_.empty() : server_ == nullptr; },
            Network().closeTimeoutMs);
  }
  auto& registry = Registry();
  registry.erase(std::remove(registry.begin(), registry.end(), this), registry.end());
  enet_host_destroy(host_);
  host_ = nullptr;
  remotes_.clear();
  server_ = nullptr;
}

void EnetSession::Pump() {
  if (host_ == nullptr) return;
  ENetEvent event;
  for (int i = 0; i < 1000; ++i) {
    if (enet_host_service(host_, &event, 0) <= 0) break;
    Handle(event);
  }
  if (host_ != nullptr) enet_host_flush(host_);
}

void EnetSession::SendRaw(ENetPeer* peer, const std::vector<uint8_t>& packet) {
  ENetPacket* p = enet_packet_create(packet.data(), packet.size(), ENET_PACKET_FLAG_RELIABLE);
  if (p == nullptr) throw Error("out of memory for a network packet");
  if (enet_peer_send(peer, 0, p) != 0) {
    enet_packet_destroy(p);
    throw Error("a network message could not be sent");
  }
}

void EnetSession::SendControl(ENetPeer* peer, uint8_t kind, const DirectPlayMessage& fields) {
  SendRaw(peer, WithHead(&kind, 1, fields));
}

void EnetSession::SendFrom(int32_t from, const std::vector<uint8_t>& bytes) {
  if (closed_) throw Error("the session is closed");
  Pump();
  std::vector<uint8_t> packet{kUserMessage};
  Put32(packet, static_cast<uint32_t>(from));
  packet.insert(packet.end(), bytes.begin(), bytes.end());
  if (role_ == Role::Host) {
    for (Remote& r : remotes_) {
      if (r.admitted) SendRaw(r.peer, packet);
    }
  } else if (server_ != nullptr && joinState_ == JoinState::Admitted) {
    SendRaw(server_, packet);
  }
  enet_host_flush(host_);
}

int32_t EnetSession::Waiting() {
  Pump();
  if (queue_.empty()) return gone_ ? 1 : 0;
  return static_cast<int32_t>(std::min<size_t>(queue_.size(), INT32_MAX));
}

std::vector<uint8_t> EnetSession::Take() {
  if (queue_.empty()) Pump();
  if (!queue_.empty()) {
    Incoming in = std::move(queue_.front());
    queue_.pop_front();
    takenFrom_ = in.from;
    return std::move(in.bytes);
  }
  if (gone_) {
    takenFrom_ = DPID_SYSMSG;
    DirectPlayMessage end;
    end.WriteString(kPeerGoneKind);
    return end.Encode();
  }
  throw Error("no message waiting");
}

void EnetSession::QueuePlayerCreated(int32_t id, const std::string& friendly,
                                     const std::string& formal) {
  DirectPlayMessage sys;
  sys.WriteString(kSysCreatePlayer);
  sys.WriteLong(id);
  sys.WriteString(friendly);
  sys.WriteString(formal);
  QueueSystem(sys);
}

void EnetSession::QueueSystem(const DirectPlayMessage& m) {
  queue_.push_back({DPID_SYSMSG, m.Encode()});
}

void EnetSession::Handle(ENetEvent& event) {
  switch (event.type) {
    case ENET_EVENT_TYPE_CONNECT:
      if (role_ == Role::Host) {
        if (event.data != kProtocolTag || closed_) {
          enet_peer_disconnect(event.peer, 0);
          break;
        }
        ApplyTimeouts(event.peer);
        remotes_.push_back({event.peer, false, {}});
      } else if (event.peer == server_ && joinState_ == JoinState::Connecting) {
        DirectPlayMessage ask;
        ask.WriteString(guid_);
        ask.WriteLong(static_cast<int32_t>(instance_));
        ask.WriteString(password_);
        SendControl(server_, kJoinRequest, ask);
        enet_host_flush(host_);
        joinState_ = JoinState::Asking;
      }
      break;
    case ENET_EVENT_TYPE_RECEIVE: {
      ENetPacket* packet = event.packet;
      if (packet->dataLength >= 1) {
        const uint8_t kind = packet->data[0];
        std::vector<uint8_t> body(packet->data + 1, packet->data + packet->dataLength);
        if (role_ == Role::Host) {
          if (Remote* r = FindRemote(event.peer)) {
            HandleAtHost(*r, kind, body, packet->data, packet->dataLength);
          }
        } else if (event.peer == server_) {
          HandleAtJoiner(kind, body, packet->data, packet->dataLength);
        }
      }
      enet_packet_destroy(packet);
      break;
    }
    case ENET_EVENT_TYPE_DISCONNECT:
      Disconnected(event.peer);
      break;
    case ENET_EVENT_TYPE_NONE:
      break;
  }
}

void EnetSession::HandleAtHost(Remote& remote, uint8_t kind, const std::vector<uint8_t>& body,
                               const uint8_t* raw, size_t rawLength) {
  if (kind == kUserMessage) {
    if (!remote.admitted || rawLength < 5) return;
    const int32_t from = static_cast<int32_t>(Get32(raw + 1));
    queue_.push_back({from, std::vector<uint8_t>(raw + 5, raw + rawLength)});
    const std::vector<uint8_t> packet(raw, raw + rawLength);
    for (Remote& other : remotes_) {
      if (other.admitted && other.peer != remote.peer) SendRaw(other.peer, packet);
    }
    return;
  }
  DirectPlayMessage m;
  if (!Fields(body, m)) return;
  try {
    if (kind == kJoinRequest && !remote.admitted) {
      const std::string guid = m.ReadString();
      const uint32_t instance = static_cast<uint32_t>(m.ReadLong());
      const std::string password = m.ReadString();
      const bool room = maxPlayers_ <= 0 || CurrentPlayers() < maxPlayers_;
      if (closed_ || guid != guid_ || instance != instance_ || password != password_ || !room) {
        DirectPlayMessage no;
        no.WriteLong(room ? 1 : 2);
        SendControl(remote.peer, kRefused, no);
        enet_peer_disconnect_later(remote.peer, 0);
        return;
      }
      remote.admitted = true;
      DirectPlayMessage welcome;
      welcome.WriteLong(static_cast<int32_t>(instance_));
      std::vector<int32_t> players = localPlayers_;
      for (const Remote& r : remotes_)
        players.insert(players.end(), r.players.begin(), r.players.end());
      welcome.WriteLong(static_cast<int32_t>(players.size()));
      for (int32_t id : players) welcome.WriteLong(id);
      SendControl(remote.peer, kWelcome, welcome);
    } else if (kind == kPlayerRequest && remote.admitted) {
      const int32_t request = m.ReadLong();
      const std::string friendly = m.ReadString();
      const std::string formal = m.ReadString();
      DirectPlayMessage answer;
      answer.WriteLong(request);
      if (maxPlayers_ > 0 && CurrentPlayers() >= maxPlayers_) {
        SendControl(remote.peer, kPlayerRefused, answer);
        return;
      }
      const int32_t id = nextId_++;
      remote.players.push_back(id);
      answer.WriteLong(id);
      SendControl(remote.peer, kPlayerGranted, answer);
      DirectPlayMessage notice;
      notice.WriteLong(id);
      notice.WriteString(friendly);
      notice.WriteString(formal);
      for (Remote& other : remotes_) {
        if (other.admitted && other.peer != remote.peer) {
          SendControl(other.peer, kPlayerCreated, notice);
        }
      }
      QueuePlayerCreated(id, friendly, formal);
    }
  } catch (const Error&) {
    // A control packet with missing or mistyped fields is ignored.
  }
}

void EnetSession::HandleAtJoiner(uint8_t kind, const std::vector<uint8_t>& body, const uint8_t* raw,
                                 size_t rawLength) {
  if (kind == kUserMessage) {
    if (joinState_ != JoinState::Admitted || rawLength < 5) return;
    const int32_t from = static_cast<int32_t>(Get32(raw + 1));
    queue_.push_back({from, std::vector<uint8_t>(raw + 5, raw + rawLength)});
    return;
  }
  DirectPlayMessage m;
  if (!Fields(body, m)) return;
  try {
    if (kind == kWelcome && joinState_ == JoinState::Asking) {
      if (static_cast<uint32_t>(m.ReadLong()) != instance_) return;
      const int32_t count = m.ReadLong();
      std::vector<int32_t> players;
      for (int32_t i = 0; i < count && i < 1024; ++i) players.push_back(m.ReadLong());
      otherPlayers_ = players;
      joinState_ = JoinState::Admitted;
    } else if (kind == kRefused && joinState_ != JoinState::Admitted) {
      joinState_ = JoinState::Refused;
    } else if (kind == kPlayerGranted || kind == kPlayerRefused) {
      const int32_t request = m.ReadLong();
      const int32_t id = kind == kPlayerGranted ? m.ReadLong() : 0;
      answers_.push_back({request, id});
    } else if (kind == kPlayerCreated && joinState_ == JoinState::Admitted) {
      const int32_t id = m.ReadLong();
      const std::string friendly = m.ReadString();
      const std::string formal = m.ReadString();
      otherPlayers_.push_back(id);
      QueuePlayerCreated(id, friendly, formal);
    } else if (kind == kPlayerGone && joinState_ == JoinState::Admitted) {
      const int32_t id = m.ReadLong();
      otherPlayers_.erase(std::remove(otherPlayers_.begin(), otherPlayers_.end(), id),
                          otherPlayers_.end());
      DirectPlayMessage sys;
      sys.WriteString(kSysDestroyPlayer);
      sys.WriteLong(id);
      QueueSystem(sys);
    }
  } catch (const Error&) {
    // A control packet with missing or mistyped fields is ignored.
  }
}

void EnetSession::Disconnected(ENetPeer* peer) {
  if (role_ == Role::Host) {
    Remote* r = FindRemote(peer);
    if (r == nullptr) return;
    const std::vector<int32_t> players = r->players;
    remotes_.erase(remotes_.begin() + (r - remotes_.data()));
    for (int32_t id : players) {
      DirectPlayMessage sys;
      sys.WriteString(kSysDestroyPlayer);
      sys.WriteLong(id);
      QueueSystem(sys);
      DirectPlayMessage notice;
      notice.WriteLong(id);
      for (Remote& other : remotes_) {
        if (other.admitted) SendControl(other.peer, kPlayerGone, notice);
      }
    }
    if (!players.empty() && RemotePlayers() == 0 && !closed_) gone_ = true;
    return;
  }
  if (peer != server_) return;
  server_ = nullptr;
  if (joinState_ == JoinState::Admitted) {
    for (int32_t id : otherPlayers_) {
      DirectPlayMessage sys;
      sys.WriteString(kSysDestroyPlayer);
      sys.WriteLong(id);
      QueueSystem(sys);
    }
    otherPlayers_.clear();
    DirectPlayMessage lost;
    lost.WriteString(kSysSessionLost);
    QueueSystem(lost);
    if (!closed_) gone_ = true;
  } else {
    joinState_ = JoinState::Refused;
  }
}

int EnetSession::Intercept(ENetHost* host, ENetEvent* /*event*/) {
  if (host->receivedDataLength < 4 || std::memcmp(host->receivedData, kAskMagic, 4) != 0) {
    return 0;  // ENet's own
  }
  for (EnetSession* s : Registry()) {
    if (s->host_ == host && s->role_ == Role::Host && !s->closed_) {
      s->AnswerSearch(host->receivedAddress, host->receivedData + 4, host->receivedDataLength - 4);
    }
  }
  return 1;
}

void EnetSession::AnswerSearch(const ENetAddress& from, const uint8_t* data, size_t length) {
  DirectPlayMessage ask;
  if (!Fields(std::vector<uint8_t>(data, data + length), ask)) return;
  try {
    if (ask.ReadString() != guid_) return;  // another application's search
  } catch (const Error&) {
    return;
  }
  DirectPlayMessage answer;
  answer.WriteString(guid_);
  answer.WriteLong(static_cast<int32_t>(instance_));
  answer.WriteString(name_.substr(0, DirectPlayMessage::kMaxString));
  answer.WriteLong(CurrentPlayers());
  answer.WriteLong(maxPlayers_);
  answer.WriteLong(flags_);
  const std::vector<uint8_t> packet = WithHead(kAnswerMagic, 4, answer);
  ENetBuffer buffer;
  buffer.data = const_cast<uint8_t*>(packet.data());
  buffer.dataLength = packet.size();
  enet_socket_send(host_->socket, &from, &buffer, 1);
}

}  // namespace platform::net
