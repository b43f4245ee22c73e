// libFuzzer target for everything a peer can send. Arbitrary bytes go to the
// message decoder and then, as the peer's messages, to the readers: the
// lobby's wait poll and the play window's reader in each state that reads
// (the local turn, watching the peer, after a replayed flight, holding a
// received picture, waiting for the peer's field-goal kick).
//
// Input: byte 0 picks the state, byte 1 varies it, then the messages, each as
// a 2-byte little-endian length and that many bytes. With the top bit of
// byte 0 set, each message is preceded by a count byte n and queued 1 + 3 n
// times, up to kMostMessages in all: a peer that sends hundreds of one
// message, enough for readers that nest in each other to run deep. After the last message the peer
// has gone, and every further receive hands out "END", as the real session does; so every wait
// ends.
//
// Besides the sanitizers, the target checks that the decoder gives back what
// it read, that no error escapes a reader, that nothing runs away (a flight
// or wait that never ends trips the yield budget), that a message the game
// must drop changes nothing at all, and that the scores never fall.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/state.h"
#include "app/windows.h"
#include "platform/error.h"
#include "platform/play/play.h"
#include "platform/test/test_backend.h"
#include "platform/toolkit/toolkit.h"

namespace {

using namespace kwinta;
using Bytes = std::vector<uint8_t>;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "message reader fuzz: %s\n", what.c_str());
  std::abort();
}

constexpr size_t kMostMessages = 600;
// The reader's own limits on a shot's force (net/messages.cpp): no more
// than 200, 0 or at least 1, and below 0 only a flick with what a kick
// leaves in the meter.
constexpr float kLargestForce = 200, kSmallestForce = 1;
constexpr float kMostKickLeftover = -(100.0f / 40), kLeastKickLeftover = -(8.0f / 40);
// The deepest the readers may take the stack below the harness: a replayed
// flick, its field goal's kick and the kick's result wait need a few
// kilobytes; messages that nest in each other would go on and on.
constexpr uintptr_t kDeepestStack = 256 * 1024;

enum class Where { Lobby, LocalTurn, Watching, AfterAFlight, AtAPicture, FieldGoal, Count };

// The peer: the input's messages in order, then gone for good.
class PeerLink : public platform::SessionLink {
 public:
  void Send(const Bytes&) override {}
  int32_t Waiting() override {
    if (queue.empty()) return gone ? 1 : 0;
    return static_cast<int32_t>(queue.size());
  }
  Bytes Take() override {
    Bytes bytes;
    if (!queue.empty()) {
      bytes = std::move(queue.front());
      queue.pop_front();
    } else if (gone) {
      platform::DirectPlayMessage end;
      end.WriteString(platform::kPeerGoneKind);
      bytes = end.Encode();
    } else {
      throw platform::Error("no message waiting");
    }
    if (onTake) onTake(bytes);
    return bytes;
  }
  bool PeerGone() override { return gone && queue.empty(); }

  std::deque<Bytes> queue;
  bool gone = false;
  std::function<void(const Bytes&)> onTake;
};

// Whether the game may act on a message at all, judged here on its own: a
// message that does not decode, has no kind, is of a kind that no reader
// handles, or lacks a field its kind needs, must be dropped whole. So must a
// shot with a value no flight can use, and an "OVER" (every state here is in
// round 1 of 5, long before the match can end).
bool MayAct(const Bytes& bytes) {
  try {
    platform::DirectPlayMessage m = platform::DirectPlayMessage::Decode(bytes);
    const std::string kind = m.ReadString();
    if (kind == "Flick" || kind == "Goal") {
      float force = 0;
      for (int i = 0; i < 10; ++i) {
        const float v = m.ReadSingle();
        if (!std::isfinite(v)) return false;
        if (i == 3) force = v;
      }
      const int32_t side = m.ReadLong();
      if (side != 1 && side != 2) return false;
      if (force < 0) {
        return kind == "Flick" && force >= kMostKickLeftover && force <= kLeastKickLeftover;
      }
      return force <= kLargestForce && (force == 0 || force >= kSmallestForce);
    }
    if (kind == "MESSAGE") return m.ReadString(), true;
    if (kind == "Version") return m.ReadString(), m.ReadLong(), true;
    if (kind == "Score") return m.ReadLong(), m.ReadLong(), true;
    if (kind == "RESULT") return m.ReadLong(), true;
    return kind == "Continue" || kind == "END";
  } catch (const platform::Error&) {
    return false;
  }
}

// Everything a message could change that a player would notice.
struct Seen {
  int32_t home, away;
  int16_t shotsLeft, side, round;
  float power;
  bool blocked, pictures, inFlight, kickMode, localTurn, peerOver;
  std::string text1, label5;
  float ballX, ballY, ballZ;
  size_t boxes, sounds;
  bool operator==(const Seen&) const = default;
};

class Harness {
 public:
  Harness() {
    ResetWindows();
    ResetState();
    b_ = &platform::test::Install();
    b_->msPerYield = 25;  // one yield per frame
    frmNewNet().Show();   // the start-up window loads the sounds
    SharedState& s = state();
    s.NumRounds = 5;
    s.GameMode = "INET";
    s.IsHost = true;
    s.LocalTurn = false;
    s.DPlay = std::make_shared<platform::DirectPlay4>();
    link_ = std::make_shared<PeerLink>();
    s.DPlay->AttachLink(link_);
    s.MyPlayerId = 1;
    // The play window stops at its first yield; each input then starts from it.
    struct FirstYield {};
    b_->onYield = [] { throw FirstYield{}; };
    try {
      frmVorlet().Show();
    } catch (const FirstYield&) {
    }
    if (!frmVorlet().Loaded()) Fail("the play window did not load");
    b_->onYield = [this] { OnYield(); };
    link_->onTake = [this](const Bytes& bytes) {
      CheckDepth();
      CheckDropped();
      if (!MayAct(bytes)) dropped_ = Look();
    };
  }

  void Run(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const auto where = static_cast<Where>((data[0] & 0x7F) % static_cast<int>(Where::Count));
    const bool repeats = (data[0] & 0x80) != 0;
    const uint8_t variant = data[1];
    std::vector<Bytes> messages;
    for (size_t at = 2; at < size && messages.size() < kMostMessages;) {
      const size_t times = repeats ? 1 + size_t(data[at++]) * 3 : 1;
      const size_t length = at + 1 < size ? data[at] | (data[at + 1] << 8) : 0;
      at += 2;
      const size_t n = std::min(length, size - std::min(at, size));
      const Bytes m(data + std::min(at, size), data + std::min(at, size) + n);
      for (size_t i = 0; i < times && messages.size() < kMostMessages; ++i) messages.push_back(m);
      at += n;
    }
    for (const Bytes& m : messages) CheckDecoder(m);

    Prepare(where, variant);
    for (Bytes& m : messages) link_->queue.push_back(std::move(m));
    top_ = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    link_->gone = true;
    b_->yieldLimit = b_->yields + 20000 * static_cast<int64_t>(link_->queue.size() + 2);
    bool ended = false;
    try {
      Drive(where);
    } catch (const platform::EndOfProcess&) {
      ended = true;
    } catch (const platform::Error& e) {
      Fail(std::string("an error escaped the reader: ") + e.what());
    } catch (const std::exception& e) {
      Fail(std::string("the match ran away: ") + e.what());
    }
    CheckDropped();
    CheckEnd(ended);
    link_->gone = false;
    link_->queue.clear();
  }

 private:
  VorletWindow& w() { return frmVorlet(); }

  Seen Look() {
    VorletWindow& v = w();
    rm::Vector ball;
    v.BallFrame->GetPosition(v.RMCanvas1.SceneFrame(), ball);
    return {v.HomeScore,
            v.AwayScore,
            v.ShotsLeft,
            v.ShootingSide,
            v.RoundNo,
            v.Power,
            v.InputBlocked,
            v.AnyPictures(),
            v.InFlight,
            v.KickMode,
            state().LocalTurn,
            v.PeerOver,
            v.Text1.text,
            v.Label5.caption,
            ball.x,
            ball.y,
            ball.z,
            b_->boxes.size(),
            b_->soundLog.size()};
  }

  static void CheckDecoder(const Bytes& bytes) {
    try {
      const platform::DirectPlayMessage m = platform::DirectPlayMessage::Decode(bytes);
      if (m.Encode() != bytes) Fail("the decoder did not give back what it read");
    } catch (const platform::Error&) {
    }
  }

  // A message to be dropped is checked at the next yield or receive: the
  // readers yield right after dropping one, before anything else happens.
  void CheckDropped() {
    if (!dropped_) return;
    const Seen before = *dropped_;
    dropped_.reset();
    if (!(Look() == before)) Fail("a message that must be dropped changed the game");
  }

  // Called as each message is taken, where readers that nest would show.
  void CheckDepth() const {
    if (top_ - reinterpret_cast<uintptr_t>(__builtin_frame_address(0)) > kDeepestStack) {
      Fail("the readers nested without bound");
    }
  }

  void OnYield() {
    CheckDropped();
    const VorletWindow& v = w();
    if (v.HomeScore < home_ || v.AwayScore < away_) Fail("a score went down");
    home_ = v.HomeScore;
    away_ = v.AwayScore;
  }

  // The play window as the match leaves it at the start of a possession.
  void Prepare(Where where, uint8_t variant) {
    VorletWindow& v = w();
    b_->boxes.clear();
    b_->soundLog.clear();
    b_->windowLog.clear();
    dropped_.reset();
    state().LocalTurn = where != Where::LocalTurn;
    v.Reset();  // flips the turn
    v.HomeScore = v.AwayScore = home_ = away_ = 0;
    v.RoundNo = 1;
    v.InputBlocked = where != Where::LocalTurn;
    v.InFlight = v.KickMode = v.NoRender = v.FGGood = v.ShiftHeld = false;
    v.ReplayingFlick = v.ReplayingKick = v.PeerOver = false;
    v.HeldShot.reset();
    v.MouseMode = 0;
    v.GoalStep = 1;
    v.ArrowFrame->AddVisual(v.ArrowMesh);
    v.Text1.text.clear();
    v.Label5.caption.clear();
    for (int mes = 1; mes <= 7; ++mes) v.Picture(mes).visible = false;
    frmNewNet().WaitingForPlayer = false;

    if (where == Where::AfterAFlight) {
      // The peer's flick, aimed a little to one side; the input's messages
      // are read in the waits of its result and after it.
      v.ShotsLeft = static_cast<int16_t>(1 + variant % 3);
      const float angle = static_cast<float>((variant >> 2) % 16 - 8) * 0.05f;
      const float force = static_cast<float>(20 + variant % 100);
      platform::DirectPlayMessage flick;
      flick.WriteString("Flick");
      for (float f :
           {0.0f, 0.0f, 85.0f, force, std::sin(angle), 0.0f, std::cos(angle), 0.0f, 1.0f, 0.0f}) {
        flick.WriteSingle(f);
      }
      flick.WriteLong(1);
      link_->queue.push_back(flick.Encode());
    } else if (where == Where::AtAPicture) {
      platform::DirectPlayMessage result;
      result.WriteString("RESULT");
      result.WriteLong(1 + variant % 7);
      link_->queue.push_back(result.Encode());
    }
  }

  // Reads as the match does in each state, until the input is used up.
  void Drive(Where where) {
    VorletWindow& v = w();
    if (where == Where::Lobby) {
      NewNetWindow& lobby = frmNewNet();
      lobby.WaitingForPlayer = true;
      const Seen before = Look();
      while (lobby.WaitingForPlayer) {
        lobby.CheckMessages();
        platform::DoEvents();
      }
      if (!(Look() == before)) Fail("the lobby acted on a message");
    } else if (where == Where::FieldGoal) {
      v.MPAT();
    }
    // A shot held during a replay is taken up by the next read, as in the
    // match, which reads on every frame.
    while (!link_->queue.empty() || v.HeldShot) {
      v.CheckMessages();
      CheckDropped();
      platform::DoEvents();
    }
  }

  void CheckEnd(bool ended) {
    VorletWindow& v = w();
    if (ended) {
      if (b_->boxes.empty() || b_->boxes.back().prompt != "Away Team Disconnected!") {
        Fail("the game ended without its message");
      }
      return;
    }
    if (v.InFlight || v.KickMode) Fail("a flight or kick did not end");
    if (v.HeldShot) Fail("a shot was held for ever");
    if (v.AnyPictures()) Fail("a result picture stayed up");
  }

  platform::test::TestBackend* b_ = nullptr;
  std::shared_ptr<PeerLink> link_;
  std::optional<Seen> dropped_;
  int32_t home_ = 0, away_ = 0;
  uintptr_t top_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness harness;
  harness.Run(data, size);
  return 0;
}
