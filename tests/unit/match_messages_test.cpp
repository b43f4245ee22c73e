// The in-game messages of a network match, against a fake link: what each
// kind does when it arrives, what is dropped, and what the play window sends.
#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "match_support.h"
#include "support/fake_link.h"

namespace kwinta::testing {
namespace {

bool Same(const rm::Vector& a, const rm::Vector& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

using Field = std::variant<std::string, int32_t, float>;

platform::DirectPlayMessage Make(const std::vector<Field>& fields) {
  platform::DirectPlayMessage m;
  for (const Field& f : fields) {
    if (auto* s = std::get_if<std::string>(&f)) m.WriteString(*s);
    if (auto* l = std::get_if<int32_t>(&f)) m.WriteLong(*l);
    if (auto* x = std::get_if<float>(&f)) m.WriteSingle(*x);
  }
  return m;
}

// The fields of a shot: position, force, direction, up, then the side.
std::vector<Field> ShotFields(const char* kind, float force, int32_t player = 1, float z = 85) {
  return {std::string(kind), 0.0f, 0.0f, z, force, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, player};
}

// Notes each message sent, with what the play window showed at that moment.
class WatchingLink : public FakeLink {
 public:
  struct Sent {
    std::string kind;
    bool pictureUp;
    int16_t shotsLeft;
    int32_t clock;
  };
  explicit WatchingLink(platform::test::TestBackend& b) : b_(b) {}
  void Send(const std::vector<uint8_t>& bytes) override {
    FakeLink::Send(bytes);
    const std::string kind = platform::DirectPlayMessage::Decode(bytes).ReadString();
    VorletWindow& w = frmVorlet();
    log.push_back({kind, w.AnyPictures(), w.ShotsLeft, b_.now});
    b_.soundLog.push_back("send " + kind);
  }
  std::vector<Sent> log;

 private:
  platform::test::TestBackend& b_;
};

class MessagesTest : public MatchTest {
 protected:
  // A network match on the side that shoots first, stopped at its first frame.
  VorletWindow& OpenNetworkMatch() {
    link = std::make_shared<WatchingLink>(*b);
    state().DPlay = std::make_shared<platform::DirectPlay4>();
    state().DPlay->AttachLink(link);
    state().IsHost = true;
    Open("INET");
    UseRecordedSounds(*b);
    sentAtStart = link->sent;
    link->sent.clear();
    link->log.clear();
    return w();
  }
  void Queue(const std::vector<Field>& fields) { link->Queue(Make(fields)); }

  // This side's field goal, the posts held straight ahead: the button goes
  // down at the first frame and up at `power`; with `clickAgain` a second
  // press and release come in the same pass of input as that release.
  void KickAt(float power, bool clickAgain = false) {
    bool pressed = false, released = false;
    b->onYield = [&] {
      if (!w().KickMode) return;
      if (!pressed) {
        pressed = true;
        w().GoalStep = 0;
        w().GoalFrame->SetPosition(Scene(), 0, 20, -95);
        b->MouseDown(w().RMCanvas1, 1);
      } else if (!released && w().Power >= power) {
        released = true;
        b->MouseUp(w().RMCanvas1, 1);
        if (clickAgain) {
          b->MouseDown(w().RMCanvas1, 1);
          b->MouseUp(w().RMCanvas1, 1);
        }
      }
    };
    w().MPAT();
    b->onYield = nullptr;
  }

  // What a message could have changed, to show that it changed nothing.
  struct Snapshot {
    int32_t home, away;
    int16_t shotsLeft, side, roundNo;
    float power;
    bool blocked, pictures;
    std::string text1, label5;
    rm::Vector ball;
    int64_t yields;
    size_t sounds;
    bool operator==(const Snapshot& o) const {
      return home == o.home && away == o.away && shotsLeft == o.shotsLeft && side == o.side &&
             roundNo == o.roundNo && power == o.power && blocked == o.blocked &&
             pictures == o.pictures && text1 == o.text1 && label5 == o.label5 &&
             Same(ball, o.ball) && yields == o.yields && sounds == o.sounds;
    }
  };
  Snapshot Take() {
    return {w().HomeScore,     w().AwayScore,      w().ShotsLeft,      w().ShootingSide,
            w().RoundNo,       w().Power,          w().InputBlocked,   w().AnyPictures(),
            w().Text1.text,    w().Label5.caption, Pos(w().BallFrame), b->yields,
            b->soundLog.size()};
  }

  std::shared_ptr<WatchingLink> link;
  std::vector<std::vector<uint8_t>> sentAtStart;
};

TEST_F(MessagesTest, EachCallHandlesOnlyTheOldestWaitingMessage) {
  OpenNetworkMatch();
  Queue({std::string("MESSAGE"), std::string("first")});
  Queue({std::string("MESSAGE"), std::string("second")});
  Queue({std::string("Version"), std::string("KW"), int32_t{1}});
  w().CheckMessages();
  EXPECT_EQ(w().Text1.text, "first");
  EXPECT_EQ(link->incoming.size(), 2u);
  w().CheckMessages();
  EXPECT_EQ(w().Text1.text, "second");
  EXPECT_EQ(w().Label5.caption, "");
  w().CheckMessages();
  EXPECT_EQ(w().Label5.caption, "OV:KW:1");
  EXPECT_TRUE(link->incoming.empty());
  const Snapshot before = Take();
  w().CheckMessages();  // nothing waits
  EXPECT_TRUE(Take() == before);
}

TEST_F(MessagesTest, KindsAreMatchedExactlyAndOthersAreDroppedWithoutEffect) {
  OpenNetworkMatch();
  const std::vector<std::vector<Field>> dropped = {
      ShotFields("flick", 30),
      ShotFields("FLICK", 30),
      ShotFields("goal", 30),
      {std::string("Message"), std::string("hi")},
      {std::string("message"), std::string("hi")},
      {std::string("version"), std::string("KW"), int32_t{1}},
      {std::string("score"), int32_t{9}, int32_t{9}, int32_t{1}},
      {std::string("Result"), int32_t{3}},
      {std::string("End")},
      {std::string("Continue")},
      {std::string("OVER")},
      {std::string("Hello this is a test")},
      {std::string("")},
      {std::string(" END")},
  };
  for (const auto& fields : dropped) {
    SCOPED_TRACE(std::get<std::string>(fields[0]));
    Queue(fields);
    const Snapshot before = Take();
    w().CheckMessages();
    EXPECT_TRUE(link->incoming.empty()) << "the message is taken";
    EXPECT_TRUE(Take() == before);
  }
}

TEST_F(MessagesTest, TheScoreMergeOnlyEverRaisesAndSwapsTheSides) {
  OpenNetworkMatch();
  struct Case {
    int32_t home, away;  // here
    int32_t a, b;        // the sender's home and away
    int32_t homeAfter, awayAfter;
  } cases[] = {
      {3, 0, 6, 3, 3, 6},  {5, 5, 2, 1, 5, 5}, {0, 0, 0, 0, 0, 0},
      {1, 1, -4, 7, 7, 1}, {2, 9, 9, 2, 2, 9}, {0, 0, 7, 13, 13, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + "-" + std::to_string(c.b) + " onto " +
                 std::to_string(c.home) + "-" + std::to_string(c.away));
    w().HomeScore = c.home;
    w().AwayScore = c.away;
    w().RoundNo = 2;
    Queue({std::string("Score"), c.a, c.b, int32_t{5}});
    w().CheckMessages();
    EXPECT_EQ(w().HomeScore, c.homeAfter);
    EXPECT_EQ(w().AwayScore, c.awayAfter);
    EXPECT_EQ(w().RoundNo, 2) << "the sender's round has no effect";
    EXPECT_EQ(w().lblPlayer1.caption, "Home Team Score: " + std::to_string(c.homeAfter));
    EXPECT_EQ(w().lblPlayer2.caption, "Away Team Score: " + std::to_string(c.awayAfter));
    EXPECT_EQ(w().Label1.caption, "Round: 2 of 5");
  }
}

TEST_F(MessagesTest, AResultOutsideOneToSevenReleasesTheMouseAtOnce) {
  OpenNetworkMatch();
  for (int32_t n : {0, 8, -1, 1000}) {
    SCOPED_TRACE(n);
    w().InputBlocked = true;
    Queue({std::string("RESULT"), n});
    const int64_t yields = b->yields;
    const size_t sounds = b->soundLog.size();
    w().CheckMessages();
    EXPECT_EQ(b->yields, yields);
    EXPECT_EQ(b->soundLog.size(), sounds);
    EXPECT_FALSE(w().AnyPictures());
    EXPECT_FALSE(w().InputBlocked);
  }
}

TEST_F(MessagesTest, AReceivedResultHoldsItsPictureUntilContinueArrives) {
  struct Case {
    int32_t n;
    std::vector<std::string> before, after;  // sounds before and after the picture shows
  } cases[] = {
      {1, {}, {"play boo.daw once"}},
      {2, {}, {"play yeah2.daw once"}},
      {3, {"play wis2.daw once"}, {"play boo.daw once"}},
      {4, {}, {"play yeah2.daw once"}},
      {5, {}, {"play boo.daw once"}},
      {6, {"play wis1.daw once"}, {"play yeah.daw once"}},
      {7, {}, {"play yeah2.daw once"}},
  };
  OpenNetworkMatch();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    w().Text1.text = "before";
    std::vector<std::string> before, after;
    RecordedBuffer::onPlay = [&](const std::string& name) {
      (w().Picture(c.n).visible ? after : before).push_back("play " + name + " once");
    };
    int held = 0;
    bool blocked = true, focusElsewhere = false;
    b->onYield = [&] {
      if (!w().Picture(c.n).visible) return;
      blocked = blocked && w().InputBlocked;
      if (++held == 200) {
        Queue({std::string("MESSAGE"), std::string("lost")});  // dropped by the wait
        Queue({std::string("Score"), int32_t{40}, int32_t{40}, int32_t{1}});
        Queue({std::string("END")});  // while the peer is still there, dropped too
        Queue({std::string("Continue")});
        w().Text2.enabled = true;
        w().Text2.SetFocus();
        focusElsewhere = true;
      }
    };
    Queue({std::string("RESULT"), c.n});
    w().CheckMessages();
    b->onYield = nullptr;
    RecordedBuffer::onPlay = nullptr;
    EXPECT_EQ(before, c.before);
    EXPECT_EQ(after, c.after);
    EXPECT_GE(held, 200);
    EXPECT_LE(held, 205) << "the picture comes down as soon as Continue is read";
    EXPECT_TRUE(blocked);
    EXPECT_FALSE(w().AnyPictures());
    EXPECT_FALSE(w().InputBlocked);
    EXPECT_TRUE(focusElsewhere);
    EXPECT_TRUE(w().RMCanvas1.HasFocus());
    EXPECT_EQ(w().Text1.text, "before") << "a chat line held up by the wait is lost";
    EXPECT_EQ(w().AwayScore, 0) << "so is a score";
    EXPECT_TRUE(b->boxes.empty()) << "and the end message";
    EXPECT_TRUE(link->incoming.empty());
  }
}

TEST_F(MessagesTest, VersionShowsThePeersTagAndNumber) {
  OpenNetworkMatch();
  struct Case {
    const char* tag;
    int32_t version;
    const char* caption;
  } cases[] = {
      {"KW", 1, "OV:KW:1"}, {"ab", -3, "OV:ab:-3"}, {"", 0, "OV::0"}, {"KW", 120, "OV:KW:120"}};
  for (const Case& c : cases) {
    Queue({std::string("Version"), std::string(c.tag), c.version});
    w().CheckMessages();
    EXPECT_EQ(w().Label5.caption, c.caption);
  }
}

TEST_F(MessagesTest, AChatLineReplacesTheLastOneWithAWhistle) {
  OpenNetworkMatch();
  for (const char* line : {"hello there", "", "again"}) {
    SCOPED_TRACE(line);
    const size_t sounds = b->soundLog.size();
    Queue({std::string("MESSAGE"), std::string(line)});
    w().CheckMessages();
    EXPECT_EQ(w().Text1.text, line);
    EXPECT_EQ(LogSince(b->soundLog, sounds), std::vector<std::string>{"play wis1.daw once"});
  }
  state().SoundOn = false;
  const size_t sounds = b->soundLog.size();
  Queue({std::string("MESSAGE"), std::string("quiet")});
  w().CheckMessages();
  EXPECT_EQ(w().Text1.text, "quiet");
  EXPECT_EQ(b->soundLog.size(), sounds);
}

TEST_F(MessagesTest, EndWhistlesShowsThePointerTellsThePlayerAndEndsTheGame) {
  OpenNetworkMatch();
  const size_t sounds = b->soundLog.size();
  const int cursor = b->cursorCount;
  std::vector<std::string> soundsAtBox;
  b->onMessageBox = [&](const std::string&, int, const std::string&) {
    soundsAtBox = LogSince(b->soundLog, sounds);
  };
  Queue({std::string("END")});
  EXPECT_THROW(w().CheckMessages(), platform::EndOfProcess);
  EXPECT_EQ(soundsAtBox, std::vector<std::string>{"play wis3.daw once"});
  ASSERT_EQ(b->boxes.size(), 1u);
  EXPECT_EQ(b->boxes[0].prompt, "Away Team Disconnected!");
  EXPECT_EQ(b->boxes[0].title, "Game Over:");
  EXPECT_EQ(b->boxes[0].style, platform::vbOKOnly);
  EXPECT_EQ(b->cursorCount, cursor + 1);
}

TEST_F(MessagesTest, AShortOrWronglyTypedMessageIsDroppedWhole) {
  OpenNetworkMatch();
  state().LocalTurn = false;  // watching: a well-formed flick would fly
  auto flickWith = [](std::vector<Field> f, size_t index, Field value) {
    f[index] = value;
    return f;
  };
  std::vector<Field> nineSingles = ShotFields("Flick", 30);
  nineSingles.erase(nineSingles.begin() + 10, nineSingles.end());
  std::vector<Field> noSide = ShotFields("Flick", 30);
  noSide.pop_back();
  const struct {
    const char* what;
    std::vector<Field> fields;
  } cases[] = {
      {"Score with one Long", {std::string("Score"), int32_t{6}}},
      {"Score with a String", {std::string("Score"), std::string("6"), int32_t{3}, int32_t{1}}},
      {"Score with Singles", {std::string("Score"), 6.0f, 3.0f, 1.0f}},
      // No match reaches such a score, and points added to it would overflow.
      {"Score beyond any match", {std::string("Score"), int32_t{0}, INT32_MAX, int32_t{1}}},
      {"Score just beyond any match", {std::string("Score"), int32_t{1000001}, int32_t{0}}},
      {"Flick with nine Singles", nineSingles},
      {"Flick without its side", noSide},
      {"Flick with a Long force", flickWith(ShotFields("Flick", 30), 4, int32_t{30})},
      {"Flick with a Single side", flickWith(ShotFields("Flick", 30), 11, 1.0f)},
      {"Flick with a side beyond 16 bits", ShotFields("Flick", 30, 70000)},
      {"Goal with a String side", flickWith(ShotFields("Goal", 30), 11, std::string("1"))},
      {"MESSAGE with a Long", {std::string("MESSAGE"), int32_t{5}}},
      {"MESSAGE without its line", {std::string("MESSAGE")}},
      {"Version without its number", {std::string("Version"), std::string("KW")}},
      {"Version with a Single", {std::string("Version"), std::string("KW"), 1.0f}},
      {"RESULT with a String", {std::string("RESULT"), std::string("3")}},
      {"RESULT without its number", {std::string("RESULT")}},
      {"a Long for a kind", {int32_t{3}}},
      {"no fields at all", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Queue(c.fields);
    const Snapshot before = Take();
    w().CheckMessages();
    EXPECT_TRUE(link->incoming.empty());
    EXPECT_TRUE(Take() == before);
  }
}

TEST_F(MessagesTest, AShotWithAForceOrPoseThatNoMachineCouldSendIsDropped) {
  OpenNetworkMatch();
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  auto with = [](const char* kind, size_t index, float value) {
    std::vector<Field> f = ShotFields(kind, 30);
    f[index] = value;
    return f;
  };
  const std::vector<std::vector<Field>> cases = {
      with("Flick", 4, nan),
      with("Flick", 4, inf),
      with("Flick", 4, -inf),
      with("Flick", 4, 1e30f),
      with("Flick", 4, -1e9f),
      with("Flick", 4, 5000),
      with("Flick", 4, 250),
      with("Goal", 4, -250),
      // Below nothing only a flick let go right after a kick, with what the
      // kick left in the meter: from -100/40 to -8/40.
      with("Flick", 4, -60),
      with("Flick", 4, -2.6f),
      with("Flick", 4, -0.1f),
      with("Goal", 4, -1.2f),
      with("Goal", 4, -30),
      // The side is the sender's own, 1 or 2.
      ShotFields("Flick", 30, -7),
      ShotFields("Flick", 30, 0),
      ShotFields("Goal", 30, 3),
      ShotFields("Goal", 30, -1),
      with("Flick", 1, nan),
      with("Flick", 6, inf),
      with("Flick", 9, nan),
      with("Goal", 4, nan),
      with("Goal", 4, 1e30f),
      // A force next to nothing: such a kick would never come down.
      with("Goal", 4, 1.8e-42f),
      with("Goal", 4, 0.5f),
      with("Flick", 4, -1e-30f),
      // A flick that starts where no football can lie: off the table, or far
      // below it (the camera could not even aim at it there).
      with("Flick", 2, -3.96e28f),
      with("Flick", 2, 5),
      with("Flick", 1, 100),
      with("Flick", 1, -30),
      with("Flick", 3, 200),
      with("Flick", 3, -120),
      // A flick without a direction, or with its up vector along it, has no frame to fly in.
      [] {
        std::vector<Field> f = ShotFields("Flick", 30);
        f[5] = 0.0f, f[6] = 0.0f, f[7] = 0.0f;
        return f;
      }(),
      [] {
        std::vector<Field> f = ShotFields("Flick", 30);
        f[5] = 0.0f, f[6] = 1.0f, f[7] = 0.0f, f[8] = 0.0f, f[9] = 2.0f, f[10] = 0.0f;
        return f;
      }(),
      // Nor does an up vector next to nothing, or a direction of no length.
      with("Flick", 9, 3.3e-24f),
      [] {
        std::vector<Field> f = ShotFields("Flick", 30);
        f[5] = 0.0f, f[6] = 0.0f, f[7] = 1e-20f;
        return f;
      }(),
      // A kick's pose is not flown, but one that no aim frame could have
      // marks no kick of a match either.
      with("Goal", 1, 3.4e38f),
      with("Goal", 3, -3.4e38f),
      with("Goal", 2, 40),
      with("Goal", 7, 0),
      [] {
        std::vector<Field> f = ShotFields("Goal", 30);
        f[5] = 0.0f, f[6] = 1.0f, f[7] = 0.0f, f[8] = 0.0f, f[9] = 1.0f, f[10] = 0.0f;
        return f;
      }(),
  };
  // Watching, and for a kick waiting for it: a shot that passed would fly.
  auto awaiting = [&](const std::vector<Field>& f) {
    state().LocalTurn = false;
    w().KickMode = std::get<std::string>(f[0]) == "Goal";
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    awaiting(cases[i]);
    Queue(cases[i]);
    const Snapshot before = Take();
    w().CheckMessages();
    EXPECT_TRUE(Take() == before);
  }
  const std::vector<std::vector<Field>> flying = {
      ShotFields("Flick", 30), ShotFields("Goal", 30),  ShotFields("Goal", 30, 2),
      with("Flick", 4, -2.5f), with("Flick", 4, -0.2f),
  };
  for (size_t i = 0; i < flying.size(); ++i) {
    SCOPED_TRACE("a good shot in the same state flies: case " + std::to_string(i));
    awaiting(flying[i]);
    Queue(flying[i]);
    const Snapshot before = Take();
    w().CheckMessages();
    EXPECT_FALSE(Take() == before);
  }
}

// The deepest the reader may go: a flick replayed, its field goal, the
// kick's replay and its result's wait. Shots that come while one is being
// replayed wait for it to return, and are dropped once they can't be the
// shot awaited; however many there are, the stack stays where it was.
TEST_F(MessagesTest, ShotsThatComeDuringAReplayWaitAndNeverNest) {
  OpenNetworkMatch();
  const size_t kMessages = 2000;
  struct Case {
    const char* kind;
    bool kickAwaited;
  } cases[] = {{"Flick", false}, {"Goal", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    state().LocalTurn = false;
    w().ShootingSide = 2;
    w().ShotsLeft = 1;  // the peer's last attempt
    w().KickMode = c.kickAwaited;
    w().GoalStep = 0;
    int replays = 0;
    RecordedBuffer::onPlay = [&](const std::string& name) {
      if (name == "swoosh.daw") ++replays;
    };
    const auto top = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    uintptr_t lowest = top;
    b->onYield = [&] {
      lowest = std::min(lowest, reinterpret_cast<uintptr_t>(__builtin_frame_address(0)));
    };
    for (size_t i = 0; i < kMessages; ++i) Queue(ShotFields(c.kind, 0));
    // The watch loop, then this side's own turn, read one message a frame.
    for (size_t i = 0; i <= kMessages && (!link->incoming.empty() || w().HeldShot); ++i) {
      w().CheckMessages();
    }
    b->onYield = nullptr;
    RecordedBuffer::onPlay = nullptr;
    EXPECT_TRUE(link->incoming.empty());
    EXPECT_FALSE(w().HeldShot);
    EXPECT_LT(top - lowest, 256u * 1024) << "the replays nested";
    EXPECT_EQ(replays, c.kickAwaited ? 0 : 1) << "one flick flew";
    EXPECT_FALSE(w().KickMode || w().ReplayingFlick || w().ReplayingKick);
    if (!c.kickAwaited) {
      EXPECT_TRUE(state().LocalTurn) << "the peer's last attempt passed the ball";
      EXPECT_EQ(w().ShotsLeft, 3);
    }
  }
}

// A shot can come while this machine's watcher is still in the last one's
// result wait (it fell behind): it flies when that has returned.
TEST_F(MessagesTest, AFlickReadDuringTheLastOnesResultWaitFliesAfterIt) {
  OpenNetworkMatch();
  state().LocalTurn = false;
  w().ShootingSide = 2;
  w().ShotsLeft = 3;
  Place(0, 60);
  // A bonus on the first attempt: its picture, and the next flick behind it.
  Queue(ShotFields("Flick", 18, 2, -64));
  Queue({std::string("RESULT"), int32_t{5}});
  Queue({std::string("Continue")});
  Queue(ShotFields("Flick", 6, 2, 40));
  w().CheckMessages();
  EXPECT_EQ(w().AwayScore, 3) << "the bonus";
  ASSERT_TRUE(w().HeldShot) << "the second flick waits for the first";
  EXPECT_EQ(w().ShotsLeft, 2);
  EXPECT_TRUE(link->incoming.empty());
  w().CheckMessages();
  EXPECT_FALSE(w().HeldShot);
  EXPECT_EQ(w().ShotsLeft, 1) << "then it flew";
  ExpectNear(Pos(w().BallFrame), 0, 0, 40 - 0.66f);
}

TEST_F(MessagesTest, AShotInThisMachinesOwnTurnIsDropped) {
  OpenNetworkMatch();
  ASSERT_TRUE(state().LocalTurn);
  for (const char* kind : {"Flick", "Goal"}) {
    SCOPED_TRACE(kind);
    w().KickMode = std::string(kind) == "Goal";
    Queue(ShotFields(kind, 30));
    const Snapshot before = Take();
    w().CheckMessages();
    EXPECT_TRUE(link->incoming.empty());
    EXPECT_FALSE(w().HeldShot);
    EXPECT_TRUE(Take() == before);
  }
}

TEST_F(MessagesTest, AReceivedFlickIsReplayedFromItsPoseWithThePowerAsItsForce) {
  OpenNetworkMatch();
  state().LocalTurn = false;  // watching the peer
  w().ShootingSide = 2;
  Queue(ShotFields("Flick", 6, 1, 60));
  w().CheckMessages();
  EXPECT_EQ(w().ShotsLeft, 2);
  EXPECT_EQ(w().Power, 0) << "the flight drains the received force out of the power";
  EXPECT_EQ(w().ShootingSide, 1) << "the side sent stays until the next possession";
  ExpectNear(Pos(w().BallFrame), 0, 0, 60 - 0.66f, 1e-3f);
}

TEST_F(MessagesTest, AReceivedKickFliesFromThisMachinesOwnAimAndIsNeverGoodHere) {
  OpenNetworkMatch();
  state().LocalTurn = false;
  std::vector<rm::Vector> ends;
  for (float z : {87.0f, -40.0f}) {
    w().KickMode = true;
    w().AimFrame->SetPosition(Scene(), 0, 0, 87);
    w().AimFrame->SetOrientation(Scene(), 0, 0, 1, 0, 1, 0);
    w().GoalFrame->SetPosition(Scene(), 0, 20, -95);
    w().GoalStep = 0;
    std::vector<Field> f = ShotFields("Goal", 90, 2, z);
    f[1] = 20.0f;  // a pose that is not used
    f[5] = -1.0f;
    f[7] = 0.5f;
    Queue(f);
    const std::vector<int> pictures = PicturesDuring([&] { w().CheckMessages(); });
    EXPECT_TRUE(pictures.empty()) << "the kicker's RESULT brings the picture";
    EXPECT_EQ(w().Power, -(90.0f / 40));
    EXPECT_EQ(w().ShootingSide, 2);
    EXPECT_FALSE(w().KickMode);
    ends.push_back(Pos(w().BallFrame));
  }
  EXPECT_EQ(w().HomeScore + w().AwayScore, 0);
  ASSERT_EQ(ends.size(), 2u);
  EXPECT_TRUE(Same(ends[0], ends[1]));
  EXPECT_NEAR(ends[0].x, 0, 1e-4f);
  EXPECT_LE(ends[0].z, -95);
}

TEST_F(MessagesTest, TheShootingSideSendsResultWithThePictureAndContinueAfterItsTime) {
  OpenNetworkMatch();
  ASSERT_TRUE(state().LocalTurn);
  const size_t sounds = b->soundLog.size();
  w().ShowMessage(5);
  ASSERT_EQ(link->log.size(), 2u);
  EXPECT_EQ(link->log[0].kind, "RESULT");
  EXPECT_TRUE(link->log[0].pictureUp);
  EXPECT_EQ(link->log[1].kind, "Continue");
  EXPECT_TRUE(link->log[1].pictureUp) << "Continue leaves before the picture comes down";
  EXPECT_EQ(link->log[1].clock - link->log[0].clock, 3000);
  EXPECT_EQ(LogSince(b->soundLog, sounds),
            (std::vector<std::string>{"play yeah.daw once", "send RESULT", "send Continue"}));
  auto result = platform::DirectPlayMessage::Decode(link->sent[0]);
  EXPECT_EQ(result.ReadString(), "RESULT");
  EXPECT_EQ(result.ReadLong(), 5);
  EXPECT_THROW(result.ReadLong(), platform::Error) << "RESULT carries the number only";
}

TEST_F(MessagesTest, TheWatchingSideWaitsASecondAndShowsOnlyWhatTheShooterSends) {
  OpenNetworkMatch();
  state().LocalTurn = false;
  w().ShootingSide = 2;
  w().ShotsLeft = 1;
  const size_t sounds = b->soundLog.size();
  int yields = 0, held = 0;
  b->onYield = [&] {
    ++yields;
    if (w().Picture4.visible) ++held;
    if (yields == 100) Queue({std::string("RESULT"), int32_t{4}});
    if (yields == 400) Queue({std::string("Continue")});
  };
  const int32_t start = b->now;
  w().ShowMessage(4);
  b->onYield = nullptr;
  EXPECT_EQ(w().Label2.caption, "Shots: 1") << "the turn is redrawn on this path too";
  EXPECT_GE(held, 290);
  EXPECT_LE(held, 305);
  EXPECT_EQ(b->now - start, 1000) << "the received picture ran inside the second's wait";
  EXPECT_EQ(LogSince(b->soundLog, sounds), std::vector<std::string>{"play yeah2.daw once"});
  EXPECT_TRUE(link->log.empty()) << "the watcher sends no RESULT";
  EXPECT_FALSE(w().InputBlocked || w().AnyPictures());

  // Nothing from the shooter: nothing shown, one second.
  const int32_t again = b->now;
  w().ShowMessage(7);
  EXPECT_EQ(b->now - again, 1000);
  EXPECT_EQ(LogSince(b->soundLog, sounds).size(), 1u);
}

TEST_F(MessagesTest, EnterInTheChatLineSendsItEmptiesItAndGivesTheCanvasTheFocus) {
  OpenNetworkMatch();
  for (const char* line : {"good luck", ""}) {
    SCOPED_TRACE(line);
    link->sent.clear();
    b->KeyDown(w().RMCanvas1, 192);
    platform::DoEvents();
    ASSERT_TRUE(w().Text2.HasFocus());
    b->Type(w().Text2, line);
    platform::DoEvents();
    EXPECT_TRUE(link->sent.empty()) << "nothing leaves before Enter";
    EXPECT_EQ(w().Text2.text, line);
    b->Type(w().Text2, "\r");
    platform::DoEvents();
    ASSERT_EQ(link->sent.size(), 1u);
    auto m = platform::DirectPlayMessage::Decode(link->sent[0]);
    EXPECT_EQ(m.ReadString(), "MESSAGE");
    EXPECT_EQ(m.ReadString(), line);
    EXPECT_EQ(w().Text2.text, "");
    EXPECT_TRUE(w().RMCanvas1.HasFocus());
  }
}

TEST_F(MessagesTest, ALocalFlickIsSentBeforeItFlies) {
  OpenNetworkMatch();
  w().Power = 40;
  w().RMCanvas1_MouseUp(1, 0, 0, 0);
  ASSERT_GE(link->log.size(), 1u);
  EXPECT_EQ(link->log[0].kind, "Flick");
  EXPECT_EQ(link->log[0].shotsLeft, 3) << "sent before the flight counts the attempt";
  auto m = platform::DirectPlayMessage::Decode(link->sent[0]);
  EXPECT_EQ(m.ReadString(), "Flick");
  const float expected[] = {0, 0, 85, 40, 0, 0, 1, 0, 1, 0};
  for (float v : expected) EXPECT_NEAR(m.ReadSingle(), v, 1e-5f);
  EXPECT_EQ(m.ReadLong(), 1);
  EXPECT_EQ(w().ShotsLeft, 2);
}

TEST_F(MessagesTest, TheMatchStartsByTellingThePeerItsVersion) {
  OpenNetworkMatch();
  ASSERT_FALSE(sentAtStart.empty());
  auto m = platform::DirectPlayMessage::Decode(sentAtStart[0]);
  EXPECT_EQ(m.ReadString(), "Version");
  EXPECT_EQ(m.ReadString().size(), 2u) << "a two-character build tag";
  EXPECT_EQ(m.ReadLong(), 1);
}

TEST_F(MessagesTest, ALocalKickIsSentBeforeItFliesAndAGoodOneSyncsTheScoreAfterItsPicture) {
  OpenNetworkMatch();
  w().HomeScore = 6;
  KickAt(72);
  std::vector<std::string> kinds;
  for (const auto& s : link->log) kinds.push_back(s.kind);
  EXPECT_EQ(kinds, (std::vector<std::string>{"Goal", "RESULT", "Continue", "Score"}));
  ASSERT_FALSE(link->sent.empty());
  auto m = platform::DirectPlayMessage::Decode(link->sent[0]);
  EXPECT_EQ(m.ReadString(), "Goal");
  const float expected[] = {0, 0, 87, 72, 0, 0, 1, 0, 1, 0};
  for (float v : expected) EXPECT_NEAR(m.ReadSingle(), v, 1e-5f);
  EXPECT_EQ(m.ReadLong(), 1);
  EXPECT_EQ(w().HomeScore, 7);
  auto score = platform::DirectPlayMessage::Decode(link->sent.back());
  EXPECT_EQ(score.ReadString(), "Score");
  EXPECT_EQ(score.ReadLong(), 7);
}

// A kick leaves -(its force)/40 in the meter until the next possession
// starts. A press and release in the same pass of input as the kick's
// release are handled once the kick has ended, and launch a flick with that
// force from where the kick came down: the one negative force an honest peer
// sends, so the reader takes it.
TEST_F(MessagesTest, AFlickLetGoInTheSamePassAsAKicksReleaseCarriesWhatTheKickLeft) {
  OpenNetworkMatch();
  KickAt(48, /*clickAgain=*/true);
  const std::vector<std::string> kinds = link->SentKinds();
  const auto flick = std::find(kinds.begin(), kinds.end(), "Flick");
  ASSERT_NE(flick, kinds.end());
  EXPECT_EQ(std::vector<std::string>(kinds.begin(), flick),
            (std::vector<std::string>{"Goal", "RESULT", "Continue"}));
  const std::vector<uint8_t> bytes = link->sent[flick - kinds.begin()];
  auto m = platform::DirectPlayMessage::Decode(bytes);
  m.ReadString();
  for (int i = 0; i < 3; ++i) m.ReadSingle();
  EXPECT_EQ(m.ReadSingle(), -(48.0f / 40));

  // Watching, as the peer does when it reads it.
  state().LocalTurn = false;
  w().ShootingSide = 2;
  w().ShotsLeft = 3;
  ASSERT_FALSE(w().KickMode);
  link->incoming.push_back(bytes);
  const Snapshot before = Take();
  w().CheckMessages();
  EXPECT_FALSE(Take() == before) << "the reader dropped it";
}

TEST_F(MessagesTest, SyncScoreSendsBothScoresAndTheRoundThenRedraws) {
  OpenNetworkMatch();
  w().HomeScore = 9;
  w().AwayScore = 4;
  w().RoundNo = 3;
  w().SyncScore();
  ASSERT_EQ(link->sent.size(), 1u);
  auto m = platform::DirectPlayMessage::Decode(link->sent[0]);
  EXPECT_EQ(m.ReadString(), "Score");
  EXPECT_EQ(m.ReadLong(), 9);
  EXPECT_EQ(m.ReadLong(), 4);
  EXPECT_EQ(m.ReadLong(), 3);
  EXPECT_EQ(w().lblPlayer1.caption, "Home Team Score: 9");
  EXPECT_EQ(w().lblPlayer2.caption, "Away Team Score: 4");
}

// The host's last round, played to the result window: its own possession of
// three flicks without force, then the joiner's last possession as a script
// that answers what the host shows. The joiner scores a touchdown and a good
// field goal; the kick's "Continue", its score and its "OVER" come at once,
// as a joiner sends them, when the host's wait of the kick's result is over.
// With an early "OVER" the match has two rounds, and in the first the joiner
// sends "OVER" before its possession of three flicks without force.
class LastRoundTest : public MessagesTest {
 protected:
  struct Ending {
    int32_t home = -1, away = -1;
    std::string window;  // the result window shown
    std::vector<std::string> kindsLeft;
  };

  Ending PlayTheLastRound(int32_t hostPoints, bool earlyOver) {
    link = std::make_shared<WatchingLink>(*b);
    state().DPlay = std::make_shared<platform::DirectPlay4>();
    state().DPlay->AttachLink(link);
    state().IsHost = true;
    state().LocalTurn = false;
    state().NumRounds = earlyOver ? 2 : 1;
    state().SoundOn = false;
    state().GameMode = "INET";
    VorletWindow& v = frmVorlet();
    // What the joiner has counted for the host so far.
    Queue({std::string("Score"), int32_t{0}, hostPoints, int32_t{1}});
    std::deque<std::vector<Field>> firstRound;
    if (earlyOver) {
      firstRound = {{std::string("OVER")},
                    ShotFields("Flick", 0),
                    ShotFields("Flick", 0),
                    ShotFields("Flick", 0)};
    }
    int step = 0, flicks = 0;
    int32_t since = 0;
    Ending end;
    b->onYield = [&] {
      for (platform::Form* f :
           std::initializer_list<platform::Form*>{&frmHome(), &frmAway(), &frmTie()}) {
        if (f->Visible()) {
          end.window = f->name;
          end.home = v.HomeScore;
          end.away = v.AwayScore;
          b->ClickForm(*f);
        }
      }
      if (!v.Loaded()) return;
      if (state().LocalTurn) {
        // The host's own possession: each shot without force.
        if (!v.InFlight && !v.InputBlocked && !v.AnyPictures() && !v.KickMode && v.MouseMode == 0 &&
            step == 0) {
          b->MouseDown(v.RMCanvas1, 1);
          b->MouseUp(v.RMCanvas1, 1);
        }
        return;
      }
      const bool idle = link->incoming.empty();
      switch (step) {
        case 0:  // two flicks without force, then a touchdown from the far edge
          if (idle && !v.ReplayingFlick && !firstRound.empty()) {
            Queue(firstRound.front());
            firstRound.pop_front();
          } else if (idle && !v.ReplayingFlick) {
            Queue(flicks < 2 ? ShotFields("Flick", 0) : ShotFields("Flick", 6, 1, -87.3f));
            if (++flicks == 3) step = 1;
          }
          break;
        case 1:  // the touchdown's picture shows on the joiner
          if (v.ReplayingFlick && v.InputBlocked && !v.KickMode && !v.AnyPictures()) {
            Queue({std::string("RESULT"), int32_t{3}});
            since = b->now;
            step = 2;
          }
          break;
        case 2:
          if (v.Picture3.visible && b->now - since >= 3000) {
            Queue({std::string("Continue")});
            step = 3;
          }
          break;
        case 3:  // the kick
          if (idle && v.KickMode && !v.ReplayingKick) {
            std::vector<Field> kick = ShotFields("Goal", 90, 1, 87);
            Queue(kick);
            step = 4;
          }
          break;
        case 4:  // it was good, the joiner says
          if (v.ReplayingKick && v.InputBlocked && !v.AnyPictures()) {
            Queue({std::string("RESULT"), int32_t{1}});
            since = b->now;
            step = 5;
          }
          break;
        case 5:
          if (v.Picture1.visible && b->now - since >= 3000) {
            Queue({std::string("Continue")});
            Queue({std::string("Score"), int32_t{7}, hostPoints, int32_t{5}});
            Queue({std::string("OVER")});
            step = 6;
          }
          break;
      }
    };
    EXPECT_THROW(v.Show(), platform::EndOfProcess);
    b->onYield = nullptr;
    EXPECT_EQ(step, 6) << "the joiner's script ran to its end";
    for (const auto& bytes : link->incoming) {
      end.kindsLeft.push_back(platform::DirectPlayMessage::Decode(bytes).ReadString());
    }
    return end;
  }
};

TEST_F(LastRoundTest, AJoinersLastFieldGoalCountsOnTheHostBeforeItsResultWindow) {
  const struct {
    int32_t hostPoints;
    const char* window;
    bool earlyOver;
  } cases[] = {{0, "frmAway", false},
               {7, "frmTie", false},
               {6, "frmAway", false},
               {8, "frmHome", false},
               // An "OVER" of round 1 does not end the host's wait in the last.
               {7, "frmTie", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE("the host has " + std::to_string(c.hostPoints) +
                 (c.earlyOver ? ", an OVER in round 1" : ""));
    ResetWindows();
    const Ending end = PlayTheLastRound(c.hostPoints, c.earlyOver);
    EXPECT_EQ(end.home, c.hostPoints);
    EXPECT_EQ(end.away, 7) << "the joiner counts 6 and the kick";
    EXPECT_EQ(end.window, c.window);
    EXPECT_TRUE(end.kindsLeft.empty()) << "every message up to OVER is taken";
  }
}
}  // namespace
}  // namespace kwinta::testing
