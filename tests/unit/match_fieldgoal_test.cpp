// The point after a touchdown: the sliding posts, the kick's arc, its
// judgement and who kicks when.
#include <cmath>
#include <string>
#include <vector>

#include "match_support.h"
#include "support/fake_link.h"

namespace kwinta::testing {
namespace {

// A straight kick from (0, 0, 87) worked out by hand: the aim frame goes
// F/40 forward and rises twice a frame, the football shows the first rise.
struct KickCourse {
  int frames = 0;
  float y = 0, z = 87;  // where the football is judged
};
KickCourse ExpectedKick(float force) {
  KickCourse c;
  float step = -(force / 40);
  float rise = -step / 3;
  const float decay = (step / 20) * -1 / 10;
  float aimY = 0, aimZ = 87;
  float py = 0, pz = 87;
  while (pz > -95 && py >= 0) {
    aimY += rise;
    aimZ += step;
    py = aimY;
    pz = aimZ;
    c.y = aimY;
    c.z = aimZ;
    aimY += rise;
    rise -= decay;
    ++c.frames;
  }
  return c;
}

class FieldGoalTest : public MatchTest {
 protected:
  struct KickWatch {
    int frames = 0;
    rm::Vector first{}, last{}, previous{};
    float postsAtFirst = 0, stepAtFirst = 0, postsAtLast = 0;
    bool cameraAtTheSide = true;
    bool skyStill = true;
    float sky = 0;
  };
  // Watches every frame of a kick in flight (the aim arrow is hidden then).
  void WatchKick(KickWatch& k) {
    b->onCanvasRender = [this, &k] {
      VorletWindow& v = w();
      if (!v.KickMode || !v.ArrowFrame->Visuals().empty() || v.AnyPictures()) return;
      const rm::Vector ball = Pos(v.BallFrame);
      const float posts = Pos(v.GoalFrame).x;
      if (k.frames == 0) {
        k.sky = v.SkyOffsetU;
        k.first = ball;
        k.postsAtFirst = posts;
        k.stepAtFirst = v.GoalStep;
      }
      k.previous = k.last;
      k.last = ball;
      k.postsAtLast = posts;
      const rm::Vector camera = Pos(v.CameraFrame);
      k.cameraAtTheSide = k.cameraAtTheSide && std::fabs(camera.x - 100) < 1e-3f &&
                          std::fabs(camera.y - 20) < 1e-3f && std::fabs(camera.z) < 1e-3f;
      k.skyStill = k.skyStill && v.SkyOffsetU == k.sky;
      ++k.frames;
    };
  }

  void Kick(float force) {
    float x = 0, y = 0, z = 87, dx = 0, dy = 0, dz = 1, ux = 0, uy = 1, uz = 0;
    w().KickFB(x, y, z, force, dx, dy, dz, ux, uy, uz);
  }
};

TEST_F(FieldGoalTest, TheComputerKicksAsThePostsTurnAt89AndItsKickOf90IsGood) {
  UseRecordedSounds(*b);
  Open();
  UseRecordedSounds(*b);
  state().LocalTurn = false;  // the computer scored the touchdown
  const size_t sounds = b->soundLog.size();
  KickWatch k;
  WatchKick(k);
  bool mouseIgnored = true, blockedAtStart = false;
  bool firstYield = true;
  b->onYield = [&] {
    VorletWindow& v = w();
    if (firstYield) {
      firstYield = false;
      blockedAtStart = v.InFlight;
    }
    if (k.frames == 40) {
      b->MouseDown(v.RMCanvas1, 1);
      b->MouseUp(v.RMCanvas1, 1);
    }
    if (k.frames > 40 && v.KickMode) mouseIgnored = mouseIgnored && v.MouseMode == 0;
  };
  std::vector<int> pictures = PicturesDuring([&] { w().MPAT(); });
  b->onYield = nullptr;
  b->onCanvasRender = nullptr;

  EXPECT_TRUE(blockedAtStart) << "the mouse is shut out for the whole of the computer's wait";
  EXPECT_EQ(k.postsAtFirst, 88) << "one step after the posts stood at 89";
  EXPECT_EQ(k.stepAtFirst, -1) << "... and had just turned";
  const KickCourse expected = ExpectedKick(90);
  EXPECT_EQ(expected.frames, 81);
  EXPECT_EQ(k.frames, 81);
  EXPECT_NEAR(k.last.z, expected.z, 0.01f);
  EXPECT_LE(k.last.z, -95);
  EXPECT_GT(k.previous.z, -95);
  EXPECT_NEAR(k.last.y, expected.y, 0.01f);
  EXPECT_NEAR(k.last.y, 49, 0.5f);
  EXPECT_EQ(k.postsAtLast, 8);
  EXPECT_TRUE(k.cameraAtTheSide);
  EXPECT_TRUE(k.skyStill) << "no sky drift during a kick";
  EXPECT_TRUE(mouseIgnored);
  EXPECT_EQ(pictures, std::vector<int>{1});
  EXPECT_EQ(w().AwayScore, 1);
  EXPECT_EQ(w().HomeScore, 0);
  EXPECT_EQ(LogSince(b->soundLog, sounds), std::vector<std::string>{})
      << "the computer's good kick is shown without a sound";
  EXPECT_FALSE(w().KickMode || w().InFlight || w().NoRender || w().FGGood);
}

TEST_F(FieldGoalTest, StraightKicksRiseTwiceAFrameAndOnlyTheStrongOnesClearTheBar) {
  Open();
  struct Case {
    float force;
    bool good;
    int frames;
    float height;  // where the football is judged, roughly
    float z;
  } cases[] = {
      {72, true, 102, 30, -96.6f},
      {64, false, 114, 19, -95.4f},
      {30, false, 135, -0.1f, -14.25f},  // the automatic kick drops below the table
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("force " + std::to_string(c.force));
    w().Reset();
    w().Reset();
    w().GoalStep = 0;  // the posts held straight ahead
    w().HomeScore = 0;
    w().KickMode = true;
    KickWatch k;
    WatchKick(k);
    const std::vector<int> pictures = PicturesDuring([&] { Kick(c.force); });
    b->onCanvasRender = nullptr;
    const KickCourse expected = ExpectedKick(c.force);
    EXPECT_EQ(expected.frames, c.frames);
    EXPECT_EQ(k.frames, c.frames);
    EXPECT_NEAR(k.last.y, expected.y, 0.01f);
    EXPECT_NEAR(k.last.z, expected.z, 0.01f);
    EXPECT_NEAR(k.last.y, c.height, 0.5f);
    EXPECT_NEAR(k.last.z, c.z, 0.1f);
    EXPECT_EQ(pictures, std::vector<int>{c.good ? 1 : 2});
    EXPECT_EQ(w().HomeScore, c.good ? 1 : 0);
    EXPECT_FALSE(w().KickMode || w().FGGood);
  }
}

TEST_F(FieldGoalTest, KickFBWritesItsForwardStepBackIntoTheForce) {
  Open();
  w().GoalStep = 0;
  float force = 72;
  float x = 0, y = 0, z = 87, dx = 0, dy = 0, dz = 1, ux = 0, uy = 1, uz = 0;
  w().KickFB(x, y, z, force, dx, dy, dz, ux, uy, uz);
  EXPECT_EQ(force, -(72.0f / 40));
  EXPECT_EQ(x, 0);
  EXPECT_EQ(z, 87) << "only the force is written back";
}

TEST_F(FieldGoalTest, AKickWithoutForceEndsWhereItIsAndIsNoGood) {
  Open();
  w().GoalStep = 0;
  w().KickMode = true;
  w().InFlight = true;
  const int64_t yieldsBefore = b->yields;
  const std::vector<int> pictures = PicturesDuring([&] { Kick(0); });
  EXPECT_EQ(pictures, std::vector<int>{2});
  EXPECT_LT(b->yields - yieldsBefore, 3100) << "one frame at most, then the picture";
  EXPECT_EQ(w().HomeScore, 0);
  EXPECT_FALSE(w().KickMode || w().InFlight || w().FGGood);
}

TEST_F(FieldGoalTest, APoseAlreadyPastTheGoalLineFliesNoFrame) {
  Open();
  w().GoalStep = 0;
  KickWatch k;
  WatchKick(k);
  float x = 0, y = 0, z = -95, f = 90, dx = 0, dy = 0, dz = 1, ux = 0, uy = 1, uz = 0;
  const std::vector<int> pictures =
      PicturesDuring([&] { w().KickFB(x, y, z, f, dx, dy, dz, ux, uy, uz); });
  b->onCanvasRender = nullptr;
  EXPECT_EQ(k.frames, 0);
  EXPECT_EQ(pictures, std::vector<int>{2});
}

TEST_F(FieldGoalTest, ThePostsSlideAStepAFrameAndTurnAt89) {
  Open();
  ASSERT_EQ(Pos(w().GoalFrame).x, 0);
  ASSERT_EQ(w().GoalStep, 1);
  std::vector<int> turns;  // the frames on which the posts turned
  float lowest = 0, highest = 0;
  for (int frame = 1; frame <= 450; ++frame) {
    const float step = w().GoalStep;
    w().MoveGoal();
    const rm::Vector posts = Pos(w().GoalFrame);
    EXPECT_EQ(posts.x, std::round(posts.x)) << "frame " << frame;
    EXPECT_EQ(posts.y, 20);
    EXPECT_EQ(posts.z, -95);
    lowest = std::min(lowest, posts.x);
    highest = std::max(highest, posts.x);
    if (w().GoalStep != step) {
      turns.push_back(frame);
      EXPECT_EQ(std::fabs(posts.x), 89);
    }
  }
  EXPECT_EQ(lowest, -89);
  EXPECT_EQ(highest, 89);
  EXPECT_EQ(turns, (std::vector<int>{89, 89 + 178, 89 + 2 * 178}));
  EXPECT_EQ(std::fabs(w().GoalStep), 1) << "only the sign of the step changes";

  // A new possession puts the posts back in the middle; they keep their way.
  const float step = w().GoalStep;
  w().Reset();
  EXPECT_EQ(Pos(w().GoalFrame).x, 0);
  EXPECT_EQ(w().GoalStep, step);
  w().MoveGoal();
  EXPECT_EQ(Pos(w().GoalFrame).x, step);
}

TEST_F(FieldGoalTest, AKickIsGoodOnlyStrictlyBetweenAndAboveThePosts) {
  Open();
  struct Case {
    float posts, x, y;
    bool good;
  } cases[] = {
      {0, 0, 21, true},         {0, 14, 21, false}, {0, 13.99f, 21, true}, {0, -14, 21, false},
      {0, -13.99f, 21, true},   {0, 0, 20, false},  {0, 0, 20.01f, true},  {8, 22, 40, false},
      {8, 21.99f, 40, true},    {8, -6, 40, false}, {8, -5.99f, 40, true}, {-89, -75, 49, false},
      {-89, -75.01f, 49, true}, {0, 0, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("posts " + std::to_string(c.posts) + " football " + std::to_string(c.x) + ", " +
                 std::to_string(c.y));
    w().GoalFrame->SetPosition(Scene(), c.posts, 20, -95);
    w().BallFrame->SetPosition(Scene(), c.x, c.y, -96);
    w().FGGood = false;
    w().CheckFG();
    EXPECT_EQ(w().FGGood, c.good);
    ExpectNear(w().FGBallPos, c.x, c.y, -96, 1e-5f);
    ExpectNear(w().FGGoalPos, c.posts, 20, -95, 1e-5f);
  }
  // A miss leaves an earlier verdict as it was.
  w().BallFrame->SetPosition(Scene(), 40, 0, -96);
  w().FGGood = true;
  w().CheckFG();
  EXPECT_TRUE(w().FGGood);
}

TEST_F(FieldGoalTest, OverTheNetworkOnlyTheKickersMachineJudges) {
  auto link = AttachFakeLink(state().DPlay);
  Open("INET");
  w().GoalFrame->SetPosition(Scene(), 0, 20, -95);
  w().BallFrame->SetPosition(Scene(), 0, 40, -96);
  state().LocalTurn = false;
  w().CheckFG();
  EXPECT_FALSE(w().FGGood);
  state().LocalTurn = true;
  w().CheckFG();
  EXPECT_TRUE(w().FGGood);
}

TEST_F(FieldGoalTest, OverTheNetworkThePeersKickArrivesDuringTheWait) {
  auto link = AttachFakeLink(state().DPlay);
  Open("INET");
  state().LocalTurn = false;  // the peer scored the touchdown
  int waitFrames = 0;
  bool blocked = true;
  KickWatch k;
  WatchKick(k);
  b->onYield = [&] {
    VorletWindow& v = w();
    if (!v.KickMode || k.frames > 0) return;
    blocked = blocked && v.InFlight;
    ExpectNear(Pos(v.CameraFrame), 100, 20, 0, 1e-4f);
    if (++waitFrames == 300) {
      platform::DirectPlayMessage goal;
      goal.WriteString("Goal");
      for (float f : {0.0f, 0.0f, 87.0f, 90.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f}) {
        goal.WriteSingle(f);
      }
      goal.WriteLong(1);
      link->Queue(goal);
    }
  };
  const std::vector<int> pictures = PicturesDuring([&] { w().MPAT(); });
  b->onYield = nullptr;
  b->onCanvasRender = nullptr;
  EXPECT_GE(waitFrames, 300) << "the wait has no time limit of its own";
  EXPECT_TRUE(blocked);
  EXPECT_EQ(k.frames, ExpectedKick(90).frames);
  EXPECT_TRUE(pictures.empty()) << "the kicker's RESULT brings the picture here";
  EXPECT_EQ(w().HomeScore + w().AwayScore, 0);
  EXPECT_EQ(w().ShootingSide, 1);
  EXPECT_FALSE(w().KickMode || w().InFlight);
}

TEST_F(FieldGoalTest, TheLocalKickerAimsAndKicksWithTheMouse) {
  Open();
  ASSERT_TRUE(state().LocalTurn);
  w().HomeScore = 6;
  bool setUpChecked = false, pressed = false, released = false;
  bool flyingBlocked = true, powerKept = true;
  KickWatch k;
  WatchKick(k);
  b->onYield = [&] {
    VorletWindow& v = w();
    if (!v.KickMode) return;
    if (!setUpChecked) {
      setUpChecked = true;
      ExpectNear(Pos(v.BallFrame), 0, 4, 85);
      ExpectNear(Pos(v.AimFrame), 0, 0, 87);
      ExpectNear(Pos(v.CameraFrame), 0, 15, 120);
      rm::Vector d, u;
      v.BallFrame->GetOrientation(Scene(), d, u);
      ExpectNear(d, 0, 0, 1, 1e-5f);
      ExpectNear(u, 1, 0, 0, 1e-5f);
      EXPECT_EQ(v.ArrowFrame->Visuals().size(), 1u);
      EXPECT_EQ(v.ShotsLeft, 3);
      EXPECT_EQ(v.lblPlayer1.caption, "Home Team Score: 6");
      EXPECT_FALSE(v.InFlight) << "the local kicker's wait leaves the mouse free";
      EXPECT_FALSE(v.NoRender);
    }
    if (!pressed) {
      pressed = true;
      b->MouseDown(v.RMCanvas1, 1);
    } else if (!released && v.Power >= 72) {
      released = true;
      b->MouseUp(v.RMCanvas1, 1);
    } else if (released && k.frames > 0) {
      flyingBlocked = flyingBlocked && v.InFlight;
      if (k.frames == 10) b->MouseDown(v.RMCanvas1, 1);
      powerKept = powerKept && v.MouseMode == 0;
    }
  };
  const std::vector<int> pictures = PicturesDuring([&] { w().MPAT(); });
  b->onYield = nullptr;
  b->onCanvasRender = nullptr;
  EXPECT_TRUE(setUpChecked);
  EXPECT_EQ(k.frames, ExpectedKick(72).frames);
  EXPECT_TRUE(k.cameraAtTheSide) << "every kick is watched from the side";
  EXPECT_TRUE(flyingBlocked);
  EXPECT_TRUE(powerKept) << "a press during the kick is ignored";
  EXPECT_EQ(w().Power, -(72.0f / 40)) << "the released power holds the kick's step";
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_FALSE(w().KickMode || w().InFlight || w().NoRender);
}

TEST_F(FieldGoalTest, AnOverflowingChargeKicksTheAutomatic30) {
  Open();
  float powerDuringKick = -1;
  KickWatch k;
  WatchKick(k);
  b->onYield = [&] {
    VorletWindow& v = w();
    if (v.KickMode && !v.InFlight && v.MouseMode == 0 && !v.AnyPictures()) {
      b->MouseDown(v.RMCanvas1, 1);
    }
    if (k.frames == 5) powerDuringKick = v.Power;
  };
  const std::vector<int> pictures = PicturesDuring([&] { w().MPAT(); });
  b->onYield = nullptr;
  b->onCanvasRender = nullptr;
  EXPECT_EQ(powerDuringKick, 30) << "the kick's step goes into its own variable";
  EXPECT_EQ(k.frames, ExpectedKick(30).frames);
  EXPECT_LT(k.last.y, 0);
  EXPECT_EQ(pictures, std::vector<int>{2});
  EXPECT_EQ(w().Power, 0);
  EXPECT_EQ(w().ProgressBar1.Value(), 0);
  EXPECT_EQ(w().MouseMode, 0);
}

}  // namespace
}  // namespace kwinta::testing
