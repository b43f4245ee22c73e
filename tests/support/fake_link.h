// A session link that records what the game sends and hands it what a test
// queues as the peer's messages.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/play/play.h"

namespace kwinta::testing {

class FakeLink : public platform::SessionLink {
 public:
  void Send(const std::vector<uint8_t>& bytes) override { sent.push_back(bytes); }
  int32_t Waiting() override { return static_cast<int32_t>(incoming.size()); }
  std::vector<uint8_t> Take() override {
    auto bytes = incoming.front();
    incoming.pop_front();
    return bytes;
  }

  void Queue(const platform::DirectPlayMessage& m) { incoming.push_back(m.Encode()); }
  // The kinds of the messages sent so far, in order.
  std::vector<std::string> SentKinds() const {
    std::vector<std::string> kinds;
    for (const auto& bytes : sent) {
      auto m = platform::DirectPlayMessage::Decode(bytes);
      kinds.push_back(m.ReadString());
    }
    return kinds;
  }

  std::vector<std::vector<uint8_t>> sent;
  std::deque<std::vector<uint8_t>> incoming;
};

// Gives the shared DirectPlay object a fake link; returns the link.
inline std::shared_ptr<FakeLink> AttachFakeLink(std::shared_ptr<platform::DirectPlay4>& dplay) {
  if (!dplay) dplay = std::make_shared<platform::DirectPlay4>();
  auto link = std::make_shared<FakeLink>();
  dplay->AttachLink(link);
  return link;
}

}  // namespace kwinta::testing
