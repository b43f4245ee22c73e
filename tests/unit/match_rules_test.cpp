// The rules of a flick: how far it flies, what the ground under the football
// and its corners decides, who gets the points and when the possession passes.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "match_support.h"

namespace kwinta::testing {
namespace {

// The course of a flick worked out by hand: the force drains by 0.6 a pass,
// and each pass moves the football a fiftieth of the force it had.
struct Course {
  int passes = 0;
  float distance = 0;
};
Course Expected(float force) {
  Course c;
  while (force != 0) {
    c.distance += force / 50;
    force = force - 0.6f;
    if (force < 0) force = 0;
    ++c.passes;
  }
  return c;
}

class RulesTest : public MatchTest {
 protected:
  // Counts the renders made while a flick is in the air.
  int FlightPassesDuring(const std::function<void()>& run) {
    int passes = 0;
    b->onCanvasRender = [&] { passes += w().InFlight ? 1 : 0; };
    run();
    b->onCanvasRender = nullptr;
    return passes;
  }

  // During a field goal the local kicker holds the button until the meter
  // overflows, which kicks the automatic 30 (no good).
  void HoldTheButtonInKickMode() {
    b->onYield = [this] {
      VorletWindow& v = w();
      if (v.KickMode && !v.InFlight && !v.AnyPictures() && !v.InputBlocked && v.MouseMode == 0) {
        b->MouseDown(v.RMCanvas1, 1);
      }
    };
  }
};

TEST_F(RulesTest, AFlickRunsItsPassesAndCarriesTheFootballTheSumOfItsSteps) {
  Open();
  for (float force : {96.0f, 60.0f, 30.0f, 6.0f, 1.2f, 0.5f}) {
    SCOPED_TRACE("force " + std::to_string(force));
    w().Reset();
    w().Reset();  // back to the local side, on the start spot
    const Course course = Expected(force);
    float f = force;
    int passes = FlightPassesDuring([&] { FlickFrom(0, 85, f); });
    EXPECT_EQ(passes, course.passes);
    // About F/0.6 passes: single-precision draining may leave a last sliver.
    EXPECT_LE(std::fabs(passes - force / 0.6f), 1.01f);
    EXPECT_EQ(f, 0) << "the caller's force is drained to nothing";
    if (force == 96.0f) continue;  // a bonus may have moved the turn on; checked below
    const rm::Vector ball = Pos(w().BallFrame);
    EXPECT_NEAR(85 - ball.z, course.distance, 0.01f);
    EXPECT_NEAR(ball.x, 0, 1e-3f);
    EXPECT_NEAR(ball.y, 0, 1e-3f);
  }
}

TEST_F(RulesTest, AFullFlickOf96CarriesTheFootballAbout155Units) {
  Open();
  const Course course = Expected(96);
  EXPECT_NEAR(course.distance, 154.56f, 0.05f);
  float f = 96;
  rm::Vector last;
  b->onCanvasRender = [&] {
    if (w().InFlight) last = Pos(w().BallFrame);
  };
  FlickFrom(0, 85, f);
  EXPECT_NEAR(85 - last.z, course.distance, 0.01f);
  EXPECT_NEAR(last.x, 0, 1e-3f);
}

TEST_F(RulesTest, ForceZeroFliesNoPassButUsesUpAnAttempt) {
  UseRecordedSounds(*b);
  Open();
  UseRecordedSounds(*b);
  ASSERT_EQ(w().ShotsLeft, 3);
  ASSERT_EQ(w().GroundName, "");
  const size_t sounds = b->soundLog.size();
  float f = 0;
  std::vector<int> pictures;
  int passes = FlightPassesDuring([&] { pictures = PicturesDuring([&] { FlickFrom(0, 85, f); }); });
  EXPECT_EQ(passes, 0);
  EXPECT_TRUE(pictures.empty());
  EXPECT_EQ(w().ShotsLeft, 2);
  EXPECT_EQ(w().Label2.caption, "Shots: 2");
  EXPECT_EQ(LogSince(b->soundLog, sounds), std::vector<std::string>{"play swoosh.daw once"});
  ExpectNear(Pos(w().BallFrame), 0, 0, 85);
  EXPECT_FALSE(w().InFlight);
  EXPECT_FALSE(w().NoRender);
  EXPECT_EQ(w().ArrowFrame->Visuals().size(), 1u) << "the aim arrow shows again";
  EXPECT_TRUE(state().LocalTurn);
}

TEST_F(RulesTest, ANegativeForceMovesTheFootballBackOnePassAndEndsAtZero) {
  Open();
  Place(0, 0);
  float f = -6;
  int passes = FlightPassesDuring([&] { FlickFrom(0, 0, f); });
  EXPECT_EQ(passes, 1);
  EXPECT_EQ(f, 0);
  ExpectNear(Pos(w().BallFrame), 0, 0, 6.0f / 50);
}

TEST_F(RulesTest, TheMeterDrainsOneAPassFromWhatItShowedAtRelease) {
  Open();
  struct Case {
    float meter, force;
  } cases[] = {{40, 12}, {40, 96}, {100, 6}, {0, 30}, {3, 30}};
  for (const Case& c : cases) {
    SCOPED_TRACE("meter " + std::to_string(c.meter) + " force " + std::to_string(c.force));
    w().Reset();
    w().Reset();
    w().ProgressBar1.SetValue(c.meter);
    float f = c.force;
    FlickFrom(0, 40, f);
    const int passes = Expected(c.force).passes;
    EXPECT_EQ(w().ProgressBar1.Value(), std::max(0.0f, c.meter - passes));
  }
}

TEST_F(RulesTest, AFootballThatLeavesTheSideFallsAndTheBallPasses) {
  Open();
  w().ShotsLeft = 1;  // a third attempt: the fall still gives only the turnover
  float skyAtFall = 0;
  float force = 30;
  int fallRenders = 0;
  float forceAtFall = -1, lastY = 1;
  bool skyDrifted = false;
  b->onCanvasRender = [&] {
    if (!w().InFlight) return;
    if (std::fabs(Pos(w().CameraFrame).y - -10) < 1e-3f) {
      if (fallRenders == 0) {
        forceAtFall = force;
        skyAtFall = w().SkyOffsetU;
      }
      ++fallRenders;
      lastY = Pos(w().BallFrame).y;
      skyDrifted = skyDrifted || w().SkyOffsetU != skyAtFall;
    }
  };
  std::vector<int> pictures;
  // Straight toward +x from near the right-hand edge.
  pictures = PicturesDuring([&] { FlickFrom(20, 0, force, -1, 0); });
  EXPECT_EQ(pictures, std::vector<int>{4});
  EXPECT_EQ(fallRenders, 50);
  EXPECT_NEAR(lastY, -147, 1e-3f) << "the last fall step shows the football 147 below";
  EXPECT_GT(forceAtFall, 0);
  EXPECT_EQ(force, forceAtFall) << "the flick stops where the centre left the table";
  EXPECT_LT(force, 30);
  EXPECT_FALSE(skyDrifted) << "the sky stands still while the football falls";
  EXPECT_EQ(w().GroundName, "");
  // The next possession.
  EXPECT_FALSE(state().LocalTurn);
  EXPECT_EQ(w().ShootingSide, 2);
  EXPECT_EQ(w().ShotsLeft, 3);
  ExpectNear(Pos(w().BallFrame), 0, 0, 85);
  EXPECT_FALSE(w().InFlight || w().NoRender);
  EXPECT_EQ(w().ArrowFrame->Visuals().size(), 1u);
  EXPECT_EQ(w().HomeScore + w().AwayScore, 0);
}

TEST_F(RulesTest, AFallDuringALocalFlickLeavesThePowerAsTheNewPossessionSetIt) {
  Open();
  w().Power = 30;
  float x = 20, y = 0, z = 0, dx = -1, dy = 0, dz = 0, ux = 0, uy = 1, uz = 0;
  int16_t side = 1;
  w().Flick(x, y, z, w().Power, dx, dy, dz, ux, uy, uz, side);
  EXPECT_EQ(w().Power, 0);
  EXPECT_FALSE(state().LocalTurn);
}

TEST_F(RulesTest, TheBonusCountsOnTheFirstAttemptOnlyAndForTheSideThatShot) {
  Open();
  struct Case {
    int16_t shotsLeft;
    bool localTurn;
    std::vector<int> pictures;
    int32_t home, away;
    int16_t shotsAfter;
    bool turnPasses;
  } cases[] = {
      {3, true, {5}, 3, 0, 2, false}, {3, false, {5}, 0, 3, 2, false},
      {2, true, {}, 0, 0, 1, false},  {2, false, {}, 0, 0, 1, false},
      {1, true, {7}, 0, 0, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("shots left " + std::to_string(c.shotsLeft) + (c.localTurn ? " home" : " away"));
    w().HomeScore = w().AwayScore = 0;
    state().LocalTurn = c.localTurn;
    w().ShotsLeft = c.shotsLeft;
    Place(0, -78.5f);
    float f = 6;  // stops on the middle of the bonus circle
    rm::Vector closeUp{};
    b->onYield = [&] {
      if (w().Picture5.visible) w().CameraFrame->GetPosition(w().BallFrame, closeUp);
    };
    const std::vector<int> pictures = PicturesDuring([&] { FlickFrom(0, -78.5f, f); });
    b->onYield = nullptr;
    EXPECT_EQ(pictures, c.pictures);
    EXPECT_EQ(w().HomeScore, c.home);
    EXPECT_EQ(w().AwayScore, c.away);
    EXPECT_EQ(w().ShotsLeft, c.shotsAfter);
    EXPECT_EQ(state().LocalTurn, c.turnPasses ? !c.localTurn : c.localTurn);
    if (c.pictures == std::vector<int>{5}) {
      ExpectNear(closeUp, 0, 20, 20);
      EXPECT_EQ(w().CornerGroundName, "TableBon");
      EXPECT_LT(Pos(w().BallFrame).z, -78.5f) << "the next attempt starts where it lies";
      EXPECT_EQ(w().lblPlayer1.caption, "Home Team Score: " + std::to_string(c.home));
    }
  }
}

TEST_F(RulesTest, CrossingTheFarEdgeEarlyIsAPenaltyAndPassesTheBall) {
  Open();
  for (int16_t shotsLeft : {3, 2}) {
    SCOPED_TRACE("shots left " + std::to_string(shotsLeft));
    state().LocalTurn = true;
    w().ShotsLeft = shotsLeft;
    Place(0, -87.3f);
    float f = 6;
    rm::Vector camera{};
    b->onYield = [&] {
      if (w().Picture6.visible) camera = Pos(w().CameraFrame);
    };
    const std::vector<int> pictures = PicturesDuring([&] { FlickFrom(0, -87.3f, f); });
    b->onYield = nullptr;
    EXPECT_EQ(pictures, std::vector<int>{6});
    EXPECT_EQ(w().HomeScore + w().AwayScore, 0);
    EXPECT_FALSE(state().LocalTurn);
    EXPECT_EQ(w().ShotsLeft, 3);
    EXPECT_EQ(std::fabs(camera.x), 88) << "the result view looks from the far corner";
    EXPECT_EQ(camera.y, 30);
    EXPECT_EQ(camera.z, -88);
  }
}

TEST_F(RulesTest, ATouchdownOnTheThirdAttemptScoresSixThenTheFieldGoalThenTheBallPasses) {
  Open();
  struct Case {
    bool localTurn;
    std::vector<int> pictures;  // the touchdown, then the kick's result
    int32_t home, away;
  } cases[] = {
      {true, {3, 2}, 6, 0},   // the local kicker holds the button: the automatic kick misses
      {false, {3, 1}, 0, 7},  // the computer's kick is good
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.localTurn ? "home" : "away");
    w().HomeScore = w().AwayScore = 0;
    state().LocalTurn = c.localTurn;
    w().ShotsLeft = 1;
    Place(0, -87.3f);
    HoldTheButtonInKickMode();
    int32_t scoredAtPicture = -1;
    bool kickedAfterPicture = false, pictureSeen = false;
    auto kicker = b->onYield;
    b->onYield = [&] {
      if (w().Picture3.visible) {
        pictureSeen = true;
        scoredAtPicture = c.localTurn ? w().HomeScore : w().AwayScore;
        EXPECT_FALSE(w().KickMode) << "the field goal comes after the picture";
      }
      if (w().KickMode && pictureSeen) kickedAfterPicture = true;
      kicker();
    };
    float f = 6;
    const std::vector<int> pictures = PicturesDuring([&] { FlickFrom(0, -87.3f, f); });
    b->onYield = nullptr;
    EXPECT_EQ(pictures, c.pictures);
    EXPECT_EQ(scoredAtPicture, 6) << "the six points are on the board before the picture";
    EXPECT_TRUE(kickedAfterPicture);
    EXPECT_EQ(w().HomeScore, c.home);
    EXPECT_EQ(w().AwayScore, c.away);
    // Then the next possession.
    EXPECT_EQ(state().LocalTurn, !c.localTurn);
    EXPECT_EQ(w().ShotsLeft, 3);
    EXPECT_FALSE(w().KickMode || w().InFlight);
    ExpectNear(Pos(w().BallFrame), 0, 0, 85);
  }
}

// Where the football's corners hang decides: the corners are tested in
// order, and the first one with nothing below ends the testing.
TEST_F(RulesTest, TheEdgeRuleLooksAtTheCornersInOrderAndAtTheCentresLastGround) {
  Open();
  struct Case {
    const char* what;
    float x, z;
    int16_t shotsLeft;  // before the launch
    const char* groundName;
    std::vector<int> pictures;
    bool turnPasses;
  } cases[] = {
      {"past the far edge on the 1st attempt, corners on the circle",
       0,
       -88.5f,
       3,
       "Table",
       {6},
       true},
      {"past the far edge on the 2nd attempt", 0, -88.5f, 2, "TableBon", {6}, true},
      {"past the far edge, but the centre last found nothing", 0, -88.5f, 1, "", {7}, true},
      {"corner 1 over the side hides corner 3 past the edge (3rd)",
       21.5f,
       -88.5f,
       1,
       "Table",
       {7},
       true},
      {"corner 1 over the side hides corner 3 past the edge (1st)",
       21.5f,
       -88.5f,
       3,
       "Table",
       {},
       false},
      {"corner 2 over the side, 2nd attempt", -21.5f, -88.5f, 2, "Table", {}, false},
      {"a corner over the side on the 3rd attempt", 22, 0, 1, "Table", {7}, true},
      {"all corners on the table on the 3rd attempt", 0, -86, 1, "Table", {7}, true},
      {"all corners on the table on the 2nd attempt", 0, -86, 2, "Table", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    state().LocalTurn = true;
    w().HomeScore = w().AwayScore = 0;
    w().ShotsLeft = c.shotsLeft;
    w().GroundName = c.groundName;
    Place(c.x, c.z);
    float f = 0;  // judged where it lies
    const std::vector<int> pictures = PicturesDuring([&] { FlickFrom(c.x, c.z, f); });
    EXPECT_EQ(pictures, c.pictures);
    EXPECT_EQ(w().HomeScore + w().AwayScore, 0);
    EXPECT_EQ(state().LocalTurn, !c.turnPasses);
    EXPECT_EQ(w().ShotsLeft, c.turnPasses ? 3 : c.shotsLeft - 1);
  }
}

TEST_F(RulesTest, ANewPossessionLeavesTheFlagsScoresAndSkyAlone) {
  Open();
  VorletWindow& v = w();
  v.KickMode = v.InFlight = v.NoRender = v.InputBlocked = true;
  v.MouseMode = 2;
  v.GoalStep = -1;
  v.HomeScore = 4;
  v.AwayScore = 9;
  v.RoundNo = 3;
  v.CameraOffset = {1, 2, 3};
  v.ArrowFrame->DeleteVisual(v.ArrowMesh);
  const float sky = v.SkyOffsetU;
  v.Power = 50;
  v.ProgressBar1.SetValue(50);
  v.Reset();
  EXPECT_TRUE(v.KickMode && v.InFlight && v.NoRender && v.InputBlocked);
  EXPECT_EQ(v.MouseMode, 2);
  EXPECT_EQ(v.GoalStep, -1);
  EXPECT_EQ(v.HomeScore, 4);
  EXPECT_EQ(v.AwayScore, 9);
  EXPECT_EQ(v.RoundNo, 3);
  ExpectNear(v.CameraOffset, 1, 2, 3, 0);
  EXPECT_TRUE(v.ArrowFrame->Visuals().empty()) << "the flight shows the arrow again, not Reset";
  EXPECT_EQ(v.SkyOffsetU, sky);
  EXPECT_EQ(v.Power, 0);
  EXPECT_EQ(v.ProgressBar1.Value(), 0);
  ExpectNear(Pos(v.ArrowFrame), 0, 0, 85);
  ExpectNear(Pos(v.GoalFrame), 0, 20, -95);
  ExpectNear(Pos(v.CameraFrame), 0, 10, 120);
}

TEST_F(RulesTest, TheCameraKeepsItsLaunchOffsetAfterTheLocalSidesFlicksAndInHumanPlay) {
  struct Case {
    const char* mode;
    bool localTurn;
    bool keeps;
  } cases[] = {
      {"Computer", true, true},
      {"Computer", false, false},
      {"Human", true, true},
      {"Human", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + (c.localTurn ? " local" : " other"));
    ResetWindows();
    Open(c.mode);
    state().LocalTurn = c.localTurn;
    w().CameraFrame->SetPosition(Scene(), 3, 12, 100);
    float f = 30;
    FlickFrom(0, 85, f);
    const rm::Vector ball = Pos(w().BallFrame);
    const rm::Vector camera = Pos(w().CameraFrame);
    if (c.keeps) {
      ExpectNear(camera, 3, 12, ball.z + 15);
    } else {
      ExpectNear(camera, 3, 12, 100);
    }
  }
}

}  // namespace
}  // namespace kwinta::testing
