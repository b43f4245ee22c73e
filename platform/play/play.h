// A DirectPlay-like session layer: connection methods, sessions, players and
// typed messages. Failures are raised as platform::Error.
//
// Sessions run on ENet (reliable, ordered, over UDP). A host listens on one
// UDP port; the same port answers searches for sessions. A search goes to the
// address that the Internet method's prompt gave ("host" or "host:port"), or,
// for an empty answer and for the local-network method, to the local network.
// Everything is polled: the ENet hosts are serviced, without blocking, inside
// GetMessageCount, Receive and Send, and inside the calls that wait for the
// network (the search, Open, a joiner's CreatePlayer, the close).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr int DPCONNECTION_DIRECTPLAY = 1;
constexpr int DPENUMSESSIONS_AVAILABLE = 1;
constexpr int DPENUMSESSIONS_ALL = 2;
constexpr int DPOPEN_JOIN = 1;
constexpr int DPOPEN_CREATE = 2;
constexpr int DPSESSION_MIGRATEHOST = 4;

// Where sessions are hosted and searched for, and how long the network calls
// wait. One set per process.
struct NetworkSettings {
  // The port a session is hosted on and the port a search is sent to when the
  // address names none. 0 hosts on any free port and searches nowhere unless
  // the address names a port.
  uint16_t basePort = 28760;
  // The local address a host listens on; "" for every interface.
  std::string bindAddress;
  // Where a search of the local network goes ("255.255.255.255": broadcast).
  std::string localSearchAddress = "255.255.255.255";
  int32_t searchTimeoutMs = 1000;  // a search given time-out 0
  int32_t joinTimeoutMs = 5000;    // Open to join, and a joiner's CreatePlayer
  int32_t closeTimeoutMs = 1000;   // the farewell of a closing session
  // A quiet peer is pinged every interval; a message or ping that stays
  // unanswered for the time-out makes the peer gone. ENet judges that only
  // when it retries, and its retries come at doubling intervals, so a dead
  // peer is noticed between 2 and about 4.3 s after its last word (ping +
  // twice the time-out); a peer that stalls for less than the time-out (a
  // busy frame, a slow load) answers in time.
  int32_t peerPingIntervalMs = 250;
  int32_t peerTimeoutMinimumMs = 2000;
  int32_t peerTimeoutMaximumMs = 2000;

  // The game's settings: the base port from the environment variable
  // KWINTA_PORT when it holds one, every interface (or the one address that
  // KWINTA_BIND names), local search by broadcast.
  static NetworkSettings Defaults();
  // For tests: any free port, 127.0.0.1 only, nothing ever broadcast.
  static NetworkSettings Loopback();
};
NetworkSettings& Network();

// --- connection methods -------------------------------------------------------

class DirectPlayEnumConnections {
 public:
  explicit DirectPlayEnumConnections(std::vector<std::string> names) : names_(std::move(names)) {}
  int GetCount() const { return static_cast<int>(names_.size()); }
  // 1-based; an item outside 1..count raises an error.
  std::string GetName(int index) const;
  // The address that InitializeConnection takes for this method: an Internet
  // (TCP/IP) method asks for the host's address, any other searches the
  // local network.
  std::string GetAddress(int index) const;

 private:
  std::vector<std::string> names_;
};

// The connection addresses that GetAddress hands out.
inline constexpr const char* kInternetConnection = "kwinta-net:internet";
inline constexpr const char* kLocalNetworkConnection = "kwinta-net:lan";

// The address prompt of the Internet method.
inline constexpr const char* kAddressPromptTitle = "Locate Session";
inline constexpr const char* kAddressPrompt =
    "Enter the IP address or the name of the computer that hosts the game, optionally "
    "followed by a colon and a port number.  Leave it empty to search the local network.";

// --- sessions -------------------------------------------------------------------

class DirectPlaySessionData {
 public:
  void SetGuidApplication(const std::string& guid) { guid_ = guid; }
  void SetSessionPassword(const std::string& password) { password_ = password; }
  void SetMaxPlayers(int32_t n) { maxPlayers_ = n; }
  void SetSessionName(const std::string& name) { name_ = name; }
  void SetFlags(int32_t flags) { flags_ = flags; }
  std::string GetGuidApplication() const { return guid_; }
  std::string GetSessionPassword() const { return password_; }
  std::string GetSessionName() const { return name_; }
  int32_t GetCurrentPlayers() const { return currentPlayers_; }
  int32_t GetMaxPlayers() const { return maxPlayers_; }
  int32_t GetFlags() const { return flags_; }

  // Where a listed session is hosted (empty for a description made here).
  std::string HostAddress() const { return hostAddress_; }
  uint16_t HostPort() const { return hostPort_; }
  uint32_t Instance() const { return instance_; }

 private:
  friend class DirectPlay4;
  std::string guid_, password_, name_;
  int32_t maxPlayers_ = 0, currentPlayers_ = 0, flags_ = 0;
  std::string hostAddress_;
  uint16_t hostPort_ = 0;
  uint32_t instance_ = 0;
};

class DirectPlayEnumSessions {
 public:
  explicit DirectPlayEnumSessions(std::vector<std::shared_ptr<DirectPlaySessionData>> items)
      : items_(std::move(items)) {}
  int32_t GetCount() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; an item outside 1..count raises an error.
  std::shared_ptr<DirectPlaySessionData> GetItem(int32_t index) const;

 private:
  std::vector<std::shared_ptr<DirectPlaySessionData>> items_;
};

// --- messages ---------------------------------------------------------------------

constexpr int32_t DPID_SYSMSG = 0;
constexpr int32_t DPID_ALLPLAYERS = 0;
constexpr int DPSEND_GUARANTEED = 1;
constexpr int DPRECEIVE_ALL = 1;

// The first field (a String) of the session's own messages, which come from
// DPID_SYSMSG. A player created elsewhere in the session: then the player id
// (Long), the friendly and the formal name (Strings). A player that left: then
// the player id. The host gone: nothing more.
inline constexpr const char* kSysCreatePlayer = "#CreatePlayer";
inline constexpr const char* kSysDestroyPlayer = "#DestroyPlayer";
inline constexpr const char* kSysSessionLost = "#SessionLost";
// Once the other side has gone and every message it sent has been taken, the
// session hands out this kind, from DPID_SYSMSG, at every receive: the waits
// of a match end as they do when the peer says it has ended the game.
inline constexpr const char* kPeerGoneKind = "END";

// An ordered list of typed fields. Each field keeps its type on the wire, so
// reading the wrong type, or past the last field, raises an error instead of
// giving garbage.
class DirectPlayMessage {
 public:
  static constexpr size_t kMaxString = 1024;

  void WriteString(const std::string& value);
  void WriteLong(int32_t value);
  void WriteSingle(float value);
  std::string ReadString();
  int32_t ReadLong();
  float ReadSingle();

  std::vector<uint8_t> Encode() const;
  // Raises an error for anything that is not a well-formed message.
  static DirectPlayMessage Decode(const std::vector<uint8_t>& bytes);

 private:
  enum class Type : uint8_t { String = 1, Long = 2, Single = 3 };
  struct Field {
    Type type;
    std::string text;
    int32_t number = 0;
    float single = 0;
  };
  const Field& Next(Type type);
  std::vector<Field> fields_;
  size_t read_ = 0;
};

// What carries the messages of an open session.
class SessionLink {
 public:
  virtual ~SessionLink() = default;
  virtual void Send(const std::vector<uint8_t>& bytes) = 0;
  // Sends on behalf of a local player; links that do not tell senders apart
  // just send.
  virtual void SendFrom(int32_t /*from*/, const std::vector<uint8_t>& bytes) { Send(bytes); }
  // Messages received and not yet taken, oldest first.
  virtual int32_t Waiting() = 0;
  virtual std::vector<uint8_t> Take() = 0;
  // The sender of the message last taken.
  virtual int32_t TakenFrom() { return DPID_SYSMSG; }
  // True once the other side of the session has left it.
  virtual bool PeerGone() { return false; }
};

namespace net {
class EnetSession;
}

class DirectPlay4 {
 public:
  DirectPlay4();
  ~DirectPlay4();  // closes the session, saying goodbye to the peers
  DirectPlay4(const DirectPlay4&) = delete;
  DirectPlay4& operator=(const DirectPlay4&) = delete;

  std::shared_ptr<DirectPlayEnumConnections> GetDPEnumConnections(const std::string& guid,
                                                                  int flags);
  // Binds the object to a connection method; the Internet method asks for the
  // host's address here. Raises for an address that GetAddress did not make,
  // and when the object is bound already.
  void InitializeConnection(const std::string& address);

  std::shared_ptr<DirectPlaySessionData> CreateSessionData();
  // Synchronous search for sessions with the description's application GUID.
  // Time-out 0 takes the default. With DPENUMSESSIONS_AVAILABLE only sessions
  // with room for another player are listed.
  std::shared_ptr<DirectPlayEnumSessions> GetDPEnumSessions(
      const std::shared_ptr<DirectPlaySessionData>& desc, int32_t timeout, int flags);
  // DPOPEN_CREATE hosts a new session; DPOPEN_JOIN joins a listed one.
  void Open(const std::shared_ptr<DirectPlaySessionData>& desc, int flags);
  // A local player; raises when the session is full or none is open.
  int32_t CreatePlayer(const std::string& friendlyName, const std::string& formalName,
                       int64_t event, int flags);
  // Leaves the session (nothing happens when none is open).
  void Close();

  std::shared_ptr<DirectPlayMessage> CreateMessage();
  // Raises an error when no session is open. Once the peer has gone there is
  // nobody to send to, and the message is dropped.
  void Send(int32_t from, int32_t to, int flags, const std::shared_ptr<DirectPlayMessage>& msg);
  int32_t GetMessageCount(int32_t player);
  // The oldest waiting message; raises an error when none waits.
  std::shared_ptr<DirectPlayMessage> Receive(int32_t& from, int32_t& to, int flags);

  // Not in the original interface: whether the other side has left, and the
  // port the hosted session listens on (0 when this object hosts none).
  bool PeerGone();
  uint16_t SessionPort() const;

  // The link of the open session (tests may attach one directly).
  void AttachLink(std::shared_ptr<SessionLink> link);

 private:
  SessionLink& Link();
  enum class Method { None, LocalNetwork, Internet };
  Method method_ = Method::None;
  std::string searchAddress_;  // "" for the local network
  std::shared_ptr<SessionLink> link_;
  std::shared_ptr<net::EnetSession> session_;  // when the link is an ENet session
  std::vector<int32_t> localPlayers_;          // made without an ENet session
  int32_t nextLocalId_ = 1;
};

}  // namespace platform
