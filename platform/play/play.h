// A DirectPlay-like session layer: connection methods, sessions, players and
// typed messages. Failures are raised as platform::Error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

constexpr int DPCONNECTION_DIRECTPLAY = 1;

class DirectPlayEnumConnections {
 public:
  explicit DirectPlayEnumConnections(std::vector<std::string> names) : names_(std::move(names)) {}
  int GetCount() const { return static_cast<int>(names_.size()); }
  // 1-based; an item outside 1..count raises an error.
  std::string GetName(int index) const;
  std::string GetAddress(int index) const;

 private:
  std::vector<std::string> names_;
};

constexpr int32_t DPID_ALLPLAYERS = 0;
constexpr int DPSEND_GUARANTEED = 1;
constexpr int DPRECEIVE_ALL = 1;

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
  // Messages received and not yet taken, oldest first.
  virtual int32_t Waiting() = 0;
  virtual std::vector<uint8_t> Take() = 0;
};

class DirectPlay4 {
 public:
  std::shared_ptr<DirectPlayEnumConnections> GetDPEnumConnections(const std::string& guid,
                                                                  int flags);

  std::shared_ptr<DirectPlayMessage> CreateMessage();
  // Raises an error when no session is open.
  void Send(int32_t from, int32_t to, int flags, const std::shared_ptr<DirectPlayMessage>& msg);
  int32_t GetMessageCount(int32_t player);
  // The oldest waiting message; raises an error when none waits.
  std::shared_ptr<DirectPlayMessage> Receive(int32_t& from, int32_t& to, int flags);

  // The link of the open session (tests may attach one directly).
  void AttachLink(std::shared_ptr<SessionLink> link) { link_ = std::move(link); }

 private:
  SessionLink& Link();
  std::shared_ptr<SessionLink> link_;
};

}  // namespace platform
