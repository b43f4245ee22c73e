// The computer's flicks: a small random turn of the aim and a fixed force per
// attempt with a small random change, drawn from a generator seeded by the
// system timer.
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "match_support.h"
#include "platform/toolkit/modal.h"

namespace kwinta::testing {
namespace {

class ComputerTest : public MatchTest {
 protected:
  struct Shot {
    bool flew = false;
    float force = 0;  // from the first pass: 50 times the distance moved
    float yaw = 0;    // of the aim, from straight (0, 0, 1)
    rm::Vector start{}, firstPass{}, camera{};
  };

  // One call of the computer's shot from (x, 0, z) with the timer at `timer`.
  Shot TakeShot(int16_t shotsLeft, double timer, float x = 0, float z = 85) {
    b->timer = timer;
    w().ShotsLeft = shotsLeft;
    Place(x, z);
    Shot s;
    s.start = Pos(w().AimFrame);
    b->onCanvasRender = [&] {
      if (s.flew || !w().InFlight) return;
      s.flew = true;
      s.firstPass = Pos(w().AimFrame);
      s.force = 50 * std::hypot(s.firstPass.x - s.start.x, s.firstPass.z - s.start.z);
      const rm::Vector d = Dir(w().AimFrame);
      s.yaw = std::atan2(d.x, d.z);
      s.camera = Pos(w().CameraFrame);
    };
    w().CompShot1();
    b->onCanvasRender = nullptr;
    if (!s.flew) {
      const rm::Vector d = Dir(w().AimFrame);
      s.yaw = std::atan2(d.x, d.z);
      s.camera = Pos(w().CameraFrame);
    }
    return s;
  }
};

bool OnSteps(float value, float step) {
  const float n = value / step;
  return std::fabs(n - std::round(n)) < 0.05f;
}

TEST_F(ComputerTest, ForcesLieInTheirRangesAndTheAimTurnsAtMostAnEighthOfARadian) {
  Open();
  state().LocalTurn = false;
  struct Attempt {
    int16_t shotsLeft;
    float base;
  } attempts[] = {{3, 96}, {2, 27}, {1, 20}};
  for (const Attempt& a : attempts) {
    SCOPED_TRACE("shots left " + std::to_string(a.shotsLeft));
    std::set<int> forces, yaws;
    bool positiveBonus = false, negativeBonus = false, positiveYaw = false, negativeYaw = false;
    for (int i = 0; i < 30; ++i) {
      const double timer = 3600.25 + 17.3 * i;
      SCOPED_TRACE("timer " + std::to_string(timer));
      const Shot s = TakeShot(a.shotsLeft, timer, 0, 60);
      ASSERT_TRUE(s.flew);
      const float bonus = s.force - a.base;
      EXPECT_LE(std::fabs(bonus), 1.225f + 2e-3f);
      EXPECT_TRUE(OnSteps(bonus, 0.025f)) << "bonus " << bonus;
      EXPECT_LE(std::fabs(s.yaw), 0.1125f + 1e-5f);
      EXPECT_TRUE(OnSteps(s.yaw, 0.0125f)) << "yaw " << s.yaw;
      // The flight goes along the turned aim, away from its +z axis.
      const float d = s.force / 50;
      ExpectNear(s.firstPass, s.start.x - d * std::sin(s.yaw), 0, s.start.z - d * std::cos(s.yaw),
                 2e-3f);
      ExpectNear(s.camera, 100, 20, 0, 1e-4f);
      forces.insert(static_cast<int>(std::lround(bonus / 0.025f)));
      yaws.insert(static_cast<int>(std::lround(s.yaw / 0.0125f)));
      positiveBonus |= bonus > 0.01f;
      negativeBonus |= bonus < -0.01f;
      positiveYaw |= s.yaw > 1e-4f;
      negativeYaw |= s.yaw < -1e-4f;
    }
    EXPECT_GE(forces.size(), 5u) << "the change of force is drawn afresh for each shot";
    EXPECT_GE(yaws.size(), 4u);
    EXPECT_TRUE(positiveBonus && negativeBonus);
    EXPECT_TRUE(positiveYaw && negativeYaw);
  }
}

TEST_F(ComputerTest, TheShotFollowsTheTimerThatSeedsEachDraw) {
  Open();
  state().LocalTurn = false;
  auto shotAt = [&](double timer) {
    platform::ResetToolkit();  // the generator as at program start
    return TakeShot(2, timer, 0, 60);
  };
  const Shot a = shotAt(51234.5);
  const Shot again = shotAt(51234.5);
  EXPECT_EQ(a.force, again.force);
  EXPECT_EQ(a.yaw, again.yaw);
  bool differs = false;
  for (double timer : {51234.75, 60000.0, 100.5, 7777.125}) {
    const Shot other = shotAt(timer);
    differs |= other.force != a.force || other.yaw != a.yaw;
  }
  EXPECT_TRUE(differs);
}

TEST_F(ComputerTest, LaterAttemptsStartWhereTheFootballLies) {
  Open();
  state().LocalTurn = false;
  const Shot s = TakeShot(2, 4000.5, 6, -20);
  ASSERT_TRUE(s.flew);
  ExpectNear(s.start, 6, 0, -20);
  EXPECT_EQ(w().ShotsLeft, 1);
  const rm::Vector ball = Pos(w().BallFrame);
  EXPECT_LT(ball.z, -20 + 10) << "the flight went on from the given spot";
}

TEST_F(ComputerTest, TheComputerLeavesThePlayersPowerAndModeAlone) {
  Open();
  state().LocalTurn = false;
  w().Power = 33;
  w().MouseMode = 2;
  const Shot s = TakeShot(2, 9000.5, 0, 60);
  ASSERT_TRUE(s.flew);
  EXPECT_EQ(w().Power, 33);
  EXPECT_EQ(w().MouseMode, 2);
  EXPECT_EQ(w().ShootingSide, 1) << "the side number goes to the flight only";
}

TEST_F(ComputerTest, WithShotsLeftOutsideOneToThreeNoFlickIsPlayed) {
  UseRecordedSounds(*b);
  Open();
  UseRecordedSounds(*b);
  state().LocalTurn = false;
  for (int16_t shotsLeft : {0, 4, -1}) {
    SCOPED_TRACE("shots left " + std::to_string(shotsLeft));
    const size_t sounds = b->soundLog.size();
    const int64_t yields = b->yields;
    const std::string label = w().Label2.caption;
    const Shot s = TakeShot(shotsLeft, 12345.5, 0, 60);
    EXPECT_FALSE(s.flew);
    EXPECT_EQ(w().ShotsLeft, shotsLeft);
    EXPECT_EQ(b->yields, yields);
    EXPECT_EQ(b->soundLog.size(), sounds);
    EXPECT_EQ(w().Label2.caption, label);
    ExpectNear(Pos(w().BallFrame), 0, 0, 60);
    ExpectNear(Pos(w().AimFrame), 0, 0, 60);
    // The camera is placed and the aim turned all the same.
    ExpectNear(s.camera, 100, 20, 0, 1e-4f);
    EXPECT_LE(std::fabs(s.yaw), 0.1125f + 1e-5f);
    const rm::Vector d = Dir(w().CameraFrame);
    const float len = std::sqrt(100.0f * 100 + 20.0f * 20 + 60.0f * 60);
    ExpectNear(d, -100 / len, -20 / len, 60 / len, 1e-4f);
  }
}

}  // namespace
}  // namespace kwinta::testing
