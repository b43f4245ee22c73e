// The player's hands on the play window: the power meter, the gates of the
// mouse buttons, aiming, panning and zooming, the camera box and the keys.
#include <cmath>
#include <string>
#include <vector>

#include "match_support.h"
#include "support/fake_link.h"

namespace kwinta::testing {
namespace {

rm::Vector Cross(const rm::Vector& a, const rm::Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

class InputTest : public MatchTest {
 protected:
  // One frame's poll, with the pointer put back afterwards as the frame does.
  void Poll() {
    w().CheckMouse();
    w().SetMouse();
  }
  void Press(int16_t button) { w().RMCanvas1_MouseDown(button, 0, 0, 0); }
  void Release(int16_t button) { w().RMCanvas1_MouseUp(button, 0, 0, 0); }

  // The force of the flick that `run` launches, read from its first pass.
  float LaunchedForce(const std::function<void()>& run) {
    float force = -1;
    rm::Vector start = Pos(w().AimFrame);
    b->onCanvasRender = [&] {
      if (force < 0 && w().InFlight) {
        const rm::Vector now = Pos(w().AimFrame);
        force = 50 * std::hypot(now.x - start.x, now.z - start.z);
      }
    };
    run();
    b->onCanvasRender = nullptr;
    return force;
  }
};

TEST_F(InputTest, TheMeterFillsByEightAndTheThirteenthPollFiresTheAutomaticFlickAt120) {
  Open();
  Press(1);
  EXPECT_EQ(w().MouseMode, 1);
  EXPECT_TRUE(w().NoRender);
  for (int poll = 1; poll <= 12; ++poll) {
    Poll();
    EXPECT_EQ(w().Power, 8 * poll);
    EXPECT_EQ(w().ProgressBar1.Value(), 8 * poll);
  }
  EXPECT_EQ(w().ShotsLeft, 3) << "96 is the strongest flick a hand can release";
  bool noRenderDuringFlight = true;
  std::vector<int> pictures;
  const float force = LaunchedForce([&] {
    b->onYield = [&] {
      if (w().InFlight && !w().AnyPictures()) noRenderDuringFlight &= w().NoRender;
    };
    pictures = PicturesDuring([&] { Poll(); });
    b->onYield = nullptr;
  });
  EXPECT_NEAR(force, 120, 0.01f);
  EXPECT_TRUE(noRenderDuringFlight) << "the automatic flick leaves NoRender to the flight";
  EXPECT_EQ(pictures, std::vector<int>{4}) << "240 units carry it off the far end";
  EXPECT_EQ(w().Power, 0);
  EXPECT_EQ(w().ProgressBar1.Value(), 0);
  EXPECT_EQ(w().MouseMode, 0);
  EXPECT_FALSE(w().NoRender);
}

TEST_F(InputTest, AMeterOfExactlyAHundredDoesNotFire) {
  Open();
  Press(1);
  w().Power = 92;
  const int64_t yields = b->yields;
  Poll();
  EXPECT_EQ(w().Power, 100);
  EXPECT_EQ(w().ProgressBar1.Value(), 100);
  EXPECT_EQ(w().ShotsLeft, 3);
  EXPECT_EQ(b->yields, yields);
  EXPECT_EQ(w().MouseMode, 1);
  const float force = LaunchedForce([&] { Poll(); });
  EXPECT_NEAR(force, 120, 0.01f);
}

TEST_F(InputTest, EachOfTheFourGatesShutsOutPressAndRelease) {
  struct Gate {
    const char* what;
    const char* mode;
    void (*close)(VorletWindow&);
    void (*open)(VorletWindow&);
  } gates[] = {
      {"a result picture", "Computer", [](VorletWindow& v) { v.Picture6.visible = true; },
       [](VorletWindow& v) { v.Picture6.visible = false; }},
      {"input blocked", "Computer", [](VorletWindow& v) { v.InputBlocked = true; },
       [](VorletWindow& v) { v.InputBlocked = false; }},
      {"the computer's turn", "Computer", [](VorletWindow&) { state().LocalTurn = false; },
       [](VorletWindow&) { state().LocalTurn = true; }},
      {"a shot in flight", "Human", [](VorletWindow& v) { v.InFlight = true; },
       [](VorletWindow& v) { v.InFlight = false; }},
  };
  for (const Gate& g : gates) {
    SCOPED_TRACE(g.what);
    ResetWindows();
    Open(g.mode);
    g.close(w());
    for (int16_t button : {1, 2}) {
      Press(button);
      EXPECT_EQ(w().MouseMode, 0);
      EXPECT_FALSE(w().NoRender);
    }
    w().MouseMode = 1;  // a charge whose release is swallowed goes on
    Release(1);
    EXPECT_EQ(w().MouseMode, 1);
    EXPECT_EQ(w().ShotsLeft, 3) << "no flick";
    w().MouseMode = 0;
    g.open(w());
    Press(1);
    EXPECT_EQ(w().MouseMode, 1) << "the same press passes once the gate is open";
  }
}

TEST_F(InputTest, InHumanPlayTheButtonsWorkOnBothPlayersTurns) {
  Open("Human");
  state().LocalTurn = false;
  w().Reset();
  w().Reset();  // the second player's possession again
  ASSERT_FALSE(state().LocalTurn);
  Press(1);
  EXPECT_EQ(w().MouseMode, 1);
  Release(1);
  EXPECT_EQ(w().MouseMode, 0);
  EXPECT_EQ(w().ShotsLeft, 2);
}

TEST_F(InputTest, PressesPickTheModeAndOnlyTheLeftReleaseLaunches) {
  Open();
  struct Step {
    bool press;
    int16_t button;
    int16_t mode;   // afterwards
    bool launches;  // the attempt is used up
  } steps[] = {
      {true, 3, 0, false}, {true, 2, 2, false}, {false, 2, 0, false},
      {true, 1, 1, false}, {true, 1, 1, false}, {false, 3, 0, false},
      {true, 2, 2, false}, {true, 1, 1, false}, {false, 1, 0, true},
  };
  int16_t shots = w().ShotsLeft;
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.press ? "press " : "release ") + std::to_string(s.button));
    s.press ? Press(s.button) : Release(s.button);
    EXPECT_EQ(w().MouseMode, s.mode);
    if (s.launches) --shots;
    EXPECT_EQ(w().ShotsLeft, shots);
  }
}

TEST_F(InputTest, ARightPressFreezesTheMeterAndALaterLeftReleaseFliesAtTheFrozenValue) {
  Open();
  Press(1);
  for (int i = 0; i < 5; ++i) Poll();
  ASSERT_EQ(w().Power, 40);
  Press(2);
  EXPECT_EQ(w().MouseMode, 2);
  for (int i = 0; i < 3; ++i) Poll();
  EXPECT_EQ(w().Power, 40);
  EXPECT_EQ(w().ProgressBar1.Value(), 40);
  Release(2);
  EXPECT_EQ(w().MouseMode, 0);
  Poll();
  EXPECT_EQ(w().Power, 40);
  const float force = LaunchedForce([&] { Release(1); });
  EXPECT_NEAR(force, 40, 0.01f);
  EXPECT_EQ(w().ShotsLeft, 2);
  EXPECT_EQ(w().Power, 0) << "the flight drains the power in place";
}

TEST_F(InputTest, APressFromPanGoesOnChargingFromThePresentPower) {
  Open();
  w().Power = 16;
  Press(2);
  Press(1);
  EXPECT_EQ(w().MouseMode, 1);
  EXPECT_TRUE(w().NoRender);
  Poll();
  EXPECT_EQ(w().Power, 24);
}

TEST_F(InputTest, AReleaseWithoutChargeStillUsesUpAnAttempt) {
  Open();
  const float force = LaunchedForce([&] { Release(1); });
  EXPECT_LT(force, 0) << "no pass was flown";
  EXPECT_EQ(w().ShotsLeft, 2);
  EXPECT_EQ(w().Label2.caption, "Shots: 2");
}

TEST_F(InputTest, APressDuringAFlightIsIgnoredButItsLaterReleaseLaunches) {
  Open();
  Press(1);
  for (int i = 0; i < 5; ++i) Poll();
  int flightYields = 0;
  bool modeKept = true;
  b->onYield = [&] {
    if (!w().InFlight) return;
    if (++flightYields == 30) b->MouseDown(w().RMCanvas1, 1);
    if (flightYields > 30) modeKept = modeKept && w().MouseMode == 0;
  };
  Release(1);
  b->onYield = nullptr;
  ASSERT_GT(flightYields, 30);
  EXPECT_TRUE(modeKept);
  EXPECT_EQ(w().ShotsLeft, 2);
  b->MouseUp(w().RMCanvas1, 1);
  platform::DoEvents();
  EXPECT_EQ(w().ShotsLeft, 1) << "the late release launches with the power then standing";
}

TEST_F(InputTest, MouseMotionAimsPansOrDoesNothingByMode) {
  Open();
  const rm::Vector aimBefore = Dir(w().AimFrame);
  ExpectNear(aimBefore, 0, 0, 1, 1e-5f);

  // Aim: 30 pixels left turn the aim 0.1 rad toward +x.
  b->MovePointer(-30, 0);
  Poll();
  ExpectNear(Dir(w().AimFrame), std::sin(0.1f), 0, std::cos(0.1f), 1e-4f);
  b->MovePointer(30, 0);
  Poll();
  ExpectNear(Dir(w().AimFrame), 0, 0, 1, 1e-4f);

  // Charging: the aim and the camera stay.
  Press(1);
  const rm::Vector camera = Pos(w().CameraFrame);
  b->MovePointer(-40, 25);
  Poll();
  ExpectNear(Dir(w().AimFrame), 0, 0, 1, 1e-4f);
  ExpectNear(Pos(w().CameraFrame), camera.x, camera.y, camera.z, 1e-4f);
  EXPECT_EQ(w().Power, 8);
  Release(2);  // stops the charge without a launch
  ASSERT_EQ(w().ShotsLeft, 3);

  // Pan: dx/10 along the camera's own x, then dy/10 along its own y.
  Press(2);
  rm::Vector dir, up;
  w().CameraFrame->GetOrientation(Scene(), dir, up);
  const rm::Vector side = Cross(up, dir);
  const rm::Vector from = Pos(w().CameraFrame);
  b->MovePointer(-20, -30);  // dx 20, dy 30
  Poll();
  ExpectNear(Pos(w().CameraFrame), from.x + 2 * side.x + 3 * up.x, from.y + 2 * side.y + 3 * up.y,
             from.z + 2 * side.z + 3 * up.z, 1e-3f);
  ExpectNear(Dir(w().AimFrame), 0, 0, 1, 1e-4f);
  // ... and the camera swings round to the football.
  w().CameraFrame->GetOrientation(Scene(), dir, up);
  const rm::Vector cam = Pos(w().CameraFrame);
  const rm::Vector ball = Pos(w().BallFrame);
  const float len =
      std::sqrt((ball.x - cam.x) * (ball.x - cam.x) + (ball.y - cam.y) * (ball.y - cam.y) +
                (ball.z - cam.z) * (ball.z - cam.z));
  ExpectNear(dir, (ball.x - cam.x) / len, (ball.y - cam.y) / len, (ball.z - cam.z) / len, 1e-4f);
}

TEST_F(InputTest, WithShiftHeldMotionZoomsInEveryMode) {
  Open();
  w().RMCanvas1_KeyDown(16, 0);
  EXPECT_TRUE(w().ShiftHeld);
  for (int16_t mode : {0, 2, 1}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    w().CameraFrame->SetPosition(Scene(), 0, 10, 120);
    w().CameraFollowBall();
    w().MouseMode = mode;
    const float power = w().Power;
    const rm::Vector from = Pos(w().CameraFrame);
    const rm::Vector view = Dir(w().CameraFrame);
    b->MovePointer(-7, -50);  // away from the player: forward by 5
    Poll();
    ExpectNear(Pos(w().CameraFrame), from.x + 5 * view.x, from.y + 5 * view.y, from.z + 5 * view.z,
               1e-3f);
    ExpectNear(Dir(w().AimFrame), 0, 0, 1, 1e-5f);  // the aim does not turn
    EXPECT_EQ(w().Power, mode == 1 ? power + 8 : power) << "a charge goes on rising";
  }
  w().RMCanvas1_KeyUp(16, 0);
  EXPECT_FALSE(w().ShiftHeld);
  w().RMCanvas1_KeyUp(17, 0);
  w().RMCanvas1_KeyDown(17, 0);
  EXPECT_FALSE(w().ShiftHeld);
}

TEST_F(InputTest, TheCameraBoxBringsEveryCoordinateBackInOnePollButLeavesTheBounds) {
  Open();
  struct Case {
    rm::Vector from, to;
  } cases[] = {
      {{140, 40, -140}, {130, 30, -130}}, {{-131, 2, 131}, {-130, 5, 130}},
      {{130, 5, -130}, {130, 5, -130}},   {{0, 30, 130}, {0, 30, 130}},
      {{200, 10, 0}, {130, 10, 0}},       {{-130, 4.5f, 40}, {-130, 5, 40}},
      {{10, 31, -131}, {10, 30, -130}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("from " + std::to_string(c.from.x) + ", " + std::to_string(c.from.y) + ", " +
                 std::to_string(c.from.z));
    w().CameraFrame->SetPosition(Scene(), c.from.x, c.from.y, c.from.z);
    Poll();
    ExpectNear(Pos(w().CameraFrame), c.to.x, c.to.y, c.to.z, 1e-4f);
    ExpectNear(w().CameraPos, c.to.x, c.to.y, c.to.z, 1e-4f);
  }
}

TEST_F(InputTest, AFailingMeterWriteIsPassedOverAndTheRestOfThePollRuns) {
  Open();
  w().ProgressBar1.max = 50;  // a meter that refuses what the charge gives it
  w().MouseMode = 1;
  w().Power = 48;
  w().CameraFrame->SetPosition(Scene(), 150, 10, 120);
  EXPECT_NO_THROW(Poll());
  EXPECT_EQ(w().Power, 56);
  EXPECT_EQ(w().ProgressBar1.Value(), 0) << "the write failed";
  ExpectNear(Pos(w().CameraFrame), 130, 10, 120, 1e-4f);
}

TEST_F(InputTest, TheSKeySwitchesTheSceneryAndRendersAtOnce) {
  Open();
  ASSERT_TRUE(state().SceneryOn);
  int renders = w().RMCanvas1.renderCount;
  w().RMCanvas1_KeyDown(83, 0);
  EXPECT_FALSE(state().SceneryOn);
  EXPECT_TRUE(w().StadiumFrame->Visuals().empty());
  EXPECT_TRUE(w().SkyFrame->Visuals().empty());
  EXPECT_EQ(w().RMCanvas1.renderCount, renders + 1);
  w().RMCanvas1_KeyDown(83, 0);
  EXPECT_TRUE(state().SceneryOn);
  ASSERT_EQ(w().StadiumFrame->Visuals().size(), 2u);
  EXPECT_EQ(w().StadiumFrame->Visuals()[0], w().StadiumMesh);
  EXPECT_EQ(w().StadiumFrame->Visuals()[1], w().LinesMesh);
  ASSERT_EQ(w().SkyFrame->Visuals().size(), 1u);
  EXPECT_EQ(w().SkyFrame->Visuals()[0], w().SkyMesh);
  EXPECT_EQ(w().RMCanvas1.renderCount, renders + 2);
}

TEST_F(InputTest, KeysActDuringAResultPicture) {
  Open();
  bool sent = false;
  b->onYield = [&] {
    if (!sent && w().Picture7.visible) {
      sent = true;
      b->KeyDown(w().RMCanvas1, 83);
      b->KeyDown(w().RMCanvas1, 16);
    }
  };
  w().ShowMessage(7);
  b->onYield = nullptr;
  EXPECT_TRUE(sent);
  EXPECT_FALSE(state().SceneryOn);
  EXPECT_TRUE(w().ShiftHeld);
}

TEST_F(InputTest, TheChatKeyMovesTheFocusOnlyInNetworkPlay) {
  Open();
  ASSERT_TRUE(w().RMCanvas1.HasFocus());
  w().RMCanvas1_KeyDown(192, 0);
  EXPECT_TRUE(w().RMCanvas1.HasFocus());
  EXPECT_FALSE(w().ShiftHeld);

  ResetWindows();
  auto link = AttachFakeLink(state().DPlay);
  Open("INET");
  w().RMCanvas1_KeyDown(192, 0);
  EXPECT_TRUE(w().Text2.HasFocus());
}

// A link that notes each message sent in the sound log, to show the order of
// sends and sounds.
class LoggingLink : public FakeLink {
 public:
  explicit LoggingLink(platform::test::TestBackend& b) : b_(b) {}
  void Send(const std::vector<uint8_t>& bytes) override {
    FakeLink::Send(bytes);
    b_.soundLog.push_back("send " + platform::DirectPlayMessage::Decode(bytes).ReadString());
  }

 private:
  platform::test::TestBackend& b_;
};

TEST_F(InputTest, EscapeEndsTheGameWithTheWhistleAndShowsThePointer) {
  struct Case {
    const char* mode;
    std::vector<std::string> tail;
  } cases[] = {
      {"Computer", {"play wis3.daw once"}},
      {"Human", {"play wis3.daw once"}},
      {"INET", {"send END", "play wis3.daw once"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ResetWindows();
    auto link = std::make_shared<LoggingLink>(*b);
    if (!state().DPlay) state().DPlay = std::make_shared<platform::DirectPlay4>();
    state().DPlay->AttachLink(link);
    Open(c.mode);
    UseRecordedSounds(*b);
    const size_t sounds = b->soundLog.size();
    const int cursor = b->cursorCount;
    bool ended = false;
    try {
      w().RMCanvas1_KeyDown(27, 0);
    } catch (const platform::EndOfProcess&) {
      ended = true;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(LogSince(b->soundLog, sounds), c.tail);
    EXPECT_EQ(b->cursorCount, cursor + 1);
  }
  // Without sound the game still ends, silently.
  ResetWindows();
  Open();
  const size_t sounds = b->soundLog.size();
  EXPECT_THROW(w().RMCanvas1_KeyDown(27, 0), platform::EndOfProcess);
  EXPECT_EQ(b->soundLog.size(), sounds);
}

}  // namespace
}  // namespace kwinta::testing
