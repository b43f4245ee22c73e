// The table scene as the play window builds it, the ground under the
// football, the start of a possession, the result view and the sky drift.
#include <cmath>
#include <string>

#include "platform/error.h"
#include "support/fake_link.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

class SceneTest : public GameTest {
 protected:
  VorletWindow& Open(const std::string& mode = "Computer", bool sceneryOn = true) {
    return OpenPlayWindow(mode, sceneryOn);
  }
  VorletWindow& JustBuilt() { return OpenPlayWindow("Computer", true, true); }

  static rm::Vector Pos(const rm::FramePtr& f, const rm::FramePtr& ref) {
    rm::Vector v;
    f->GetPosition(ref, v);
    return v;
  }

  // What lies straight below (x, 0, z) on the table, or "" for nothing.
  static std::string Ground(VorletWindow& w, float x, float z) {
    rm::Ray ray{{0, -1, 0}, {x, 0, z}};
    try {
      return w.TableFrame->RayPick(w.RMCanvas1.SceneFrame(), ray, 2).GetPickVisual(0)->GetName();
    } catch (const platform::Error&) {
      return "";
    }
  }
};

void ExpectNear(const rm::Vector& v, float x, float y, float z, float eps = 1e-3f) {
  EXPECT_NEAR(v.x, x, eps);
  EXPECT_NEAR(v.y, y, eps);
  EXPECT_NEAR(v.z, z, eps);
}

TEST_F(SceneTest, FramesStandWhereThePlayStarts) {
  VorletWindow& w = Open();
  const rm::FramePtr& scene = w.RMCanvas1.SceneFrame();
  ExpectNear(Pos(w.CornerFrame1, scene), 5, 0, 87.5f);
  ExpectNear(Pos(w.CornerFrame2, scene), -5, 0, 87.5f);
  ExpectNear(Pos(w.CornerFrame3, scene), 0, 0, 82.5f);
  ExpectNear(Pos(w.BallFrame, scene), 0, 0, 85);
  ExpectNear(Pos(w.AimFrame, scene), 0, 0, 85);
  ExpectNear(Pos(w.ArrowFrame, scene), 0, 0, 85);
  ExpectNear(Pos(w.TableFrame, scene), 0, -0.5f, 0);
  ExpectNear(Pos(w.GoalFrame, scene), 0, 20, -95);
  ExpectNear(Pos(w.SkyFrame, scene), 0, 80, 0);
  ExpectNear(Pos(w.StadiumFrame, scene), 0, 10, 0);
  ExpectNear(Pos(w.CameraFrame, scene), 0, 10, 120);
  // The camera looks at the football without roll.
  rm::Vector dir, up;
  w.CameraFrame->GetOrientation(scene, dir, up);
  float len = std::sqrt(10.0f * 10.0f + 35.0f * 35.0f);
  ExpectNear(dir, 0, -10 / len, -35 / len);
  EXPECT_GT(up.y, 0.9f);
  EXPECT_NEAR(up.x, 0, 1e-4f);
  // The table frame carries exactly its three meshes, in order.
  ASSERT_EQ(w.TableFrame->Visuals().size(), 3u);
  EXPECT_EQ(w.TableFrame->Visuals()[0], w.TableMesh);
  EXPECT_EQ(w.TableFrame->Visuals()[1], w.ExtraMesh);
  EXPECT_EQ(w.TableFrame->Visuals()[2], w.BonusMesh);
  EXPECT_EQ(w.ArrowFrame->Visuals().size(), 1u);
  EXPECT_EQ(w.GoalFrame->Visuals().size(), 1u);
}

TEST_F(SceneTest, GroundTestsFindTheTableTheBonusCircleOrNothing) {
  VorletWindow& w = Open();
  struct Probe {
    float x, z;
    const char* expected;
  } probes[] = {
      {0, 85, "Table"},    {0, -79.2f, "TableBon"}, {7, -79.2f, "TableBon"}, {0, -89.5f, "Table"},
      {24.5f, 0, "Table"}, {-24.5f, 0, "Table"},    {0, 94.5f, "Table"},     {0, -60, "Table"},
      {0, -90.5f, ""},     {25.5f, 0, ""},          {-25.5f, 0, ""},         {0, 95.5f, ""},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(Ground(w, p.x, p.z), p.expected) << "at x=" << p.x << " z=" << p.z;
  }
}

TEST_F(SceneTest, WithoutSceneryTheSkyStandsAndLinesAreBuiltButNotShown) {
  VorletWindow& w = Open("Computer", false);
  EXPECT_TRUE(w.SkyFrame->Visuals().empty());
  EXPECT_TRUE(w.StadiumFrame->Visuals().empty());
  for (const rm::MeshBuilderPtr& m : {w.SkyMesh, w.StadiumMesh, w.LinesMesh}) {
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->positions.empty());
  }
  EXPECT_EQ(w.SkyMesh->texture, w.SkyTexture);
  EXPECT_EQ(w.StadiumMesh->texture, w.CrowdTexture);
  EXPECT_EQ(w.LinesMesh->GetName(), "TableLines");

  VorletWindow& shown = (ResetWindows(), Open("Computer", true));
  ASSERT_EQ(shown.StadiumFrame->Visuals().size(), 2u);
  EXPECT_EQ(shown.StadiumFrame->Visuals()[0], shown.StadiumMesh);
  EXPECT_EQ(shown.StadiumFrame->Visuals()[1], shown.LinesMesh);
  ASSERT_EQ(shown.SkyFrame->Visuals().size(), 1u);
}

TEST_F(SceneTest, MaterialsTexturesAndNamesGoWhereTheyBelong) {
  VorletWindow& w = Open();
  EXPECT_EQ(w.TableMesh->GetName(), "Table");
  EXPECT_EQ(w.BonusMesh->GetName(), "TableBon");
  EXPECT_EQ(w.ExtraMesh->GetName(), "TableBon");
  for (const rm::MeshBuilderPtr& m : {w.ArrowMesh, w.GoalMesh, w.ExtraMesh, w.LinesMesh}) {
    EXPECT_EQ(m->material, w.MarkMaterial);
  }
  EXPECT_EQ(w.BallMesh->material, w.BallMaterial);
  EXPECT_EQ(w.SkyMesh->material, w.BallMaterial);
  EXPECT_EQ(w.BallMesh->texture, w.BallTexture);
  EXPECT_EQ(w.TableMesh->texture, w.GrassTexture);
  EXPECT_EQ(w.BonusMesh->texture, w.GrassTexture);
  EXPECT_FLOAT_EQ(w.MarkMaterial->emissive.b, 0);
  EXPECT_FLOAT_EQ(w.BallMaterial->emissive.b, 1);
  EXPECT_FLOAT_EQ(w.BallMaterial->power, 0.05f);
  EXPECT_FLOAT_EQ(w.ArrowMesh->color.b, 0);
  EXPECT_FLOAT_EQ(w.GoalMesh->color.g, 1);
}

TEST_F(SceneTest, TheBonusDiscIsWrappedBeforeItIsMoved) {
  VorletWindow& w = Open();
  const rm::MeshBuilderPtr& bonus = w.BonusMesh;
  ASSERT_EQ(bonus->uvs.size(), bonus->positions.size());
  for (size_t i = 0; i < bonus->positions.size(); ++i) {
    const rm::Vector& p = bonus->positions[i];
    EXPECT_NEAR(bonus->uvs[i][0], 0.03f * (p.z + 79.2f), 1e-4f);
    EXPECT_NEAR(bonus->uvs[i][1], 0.03f * p.x, 1e-4f);
  }
}

TEST_F(SceneTest, TheStadiumWrapIsLastUntilTheFirstWindReproducesTheSkyWrap) {
  VorletWindow& w = JustBuilt();
  ASSERT_TRUE(w.CurWrap);
  EXPECT_FLOAT_EQ(w.CurWrap->su, 0.01f);
  EXPECT_EQ(w.CurWrap->ref, w.TableFrame);

  auto built = w.SkyMesh->uvs;
  w.Wind();
  EXPECT_FLOAT_EQ(w.CurWrap->su, 0.003f);
  EXPECT_FLOAT_EQ(w.CurWrap->ou, 0);
  EXPECT_EQ(w.SkyMesh->uvs, built) << "the first drift leaves the sky as it was built";
  w.Wind();
  EXPECT_FLOAT_EQ(w.CurWrap->ou, static_cast<float>(0.0 + 0.0008));
  for (size_t i = 0; i < built.size(); ++i) {
    EXPECT_NEAR(w.SkyMesh->uvs[i][0], built[i][0] - 0.0008f, 1e-5f);
    EXPECT_NEAR(w.SkyMesh->uvs[i][1], built[i][1] - 0.0008f, 1e-5f);
  }
  // The offsets keep growing in double steps stored as singles.
  float u = 0;
  for (int i = 0; i < 3; ++i) u = static_cast<float>(static_cast<double>(u) + 0.0008);
  w.Wind();
  EXPECT_EQ(w.SkyOffsetU, u);
  EXPECT_EQ(w.SkyOffsetV, u);
}

TEST_F(SceneTest, ResetPassesTheBallAndTwoResetsGiveItBack) {
  VorletWindow& w = Open();
  // The first possession went to the local side (the turn starts False).
  EXPECT_TRUE(state().LocalTurn);
  EXPECT_EQ(w.ShootingSide, 1);
  EXPECT_TRUE(w.Label3.visible);
  EXPECT_FALSE(w.Label4.visible);
  w.Reset();
  EXPECT_FALSE(state().LocalTurn);
  EXPECT_EQ(w.ShootingSide, 2);
  EXPECT_TRUE(w.Label4.visible);
  EXPECT_FALSE(w.Label3.visible);
  EXPECT_EQ(w.lblPlayer2.foreColor, 65535u);
  EXPECT_EQ(w.lblPlayer1.foreColor, 49344u);
  EXPECT_EQ(w.Label2.caption, "Shots: 3");
  w.Reset();
  EXPECT_TRUE(state().LocalTurn);
  EXPECT_EQ(w.ShootingSide, 1);
}

TEST_F(SceneTest, ResetStopsATumbleAndLaysTheFootballFlatOnTheStartSpot) {
  VorletWindow& w = Open();
  const rm::FramePtr& scene = w.RMCanvas1.SceneFrame();
  w.ShotsLeft = 1;
  w.Power = 42;
  w.BallFrame->SetPosition(scene, 10, -60, -40);
  w.BallFrame->SetRotation(scene, 1, 1, 1, 0.45f);
  w.RMCanvas1.Render();
  w.RMCanvas1.Render();
  w.Reset();
  ExpectNear(Pos(w.BallFrame, scene), 0, 0, 85);
  w.RMCanvas1.Render();
  rm::Vector dir, up;
  w.BallFrame->GetOrientation(scene, dir, up);
  ExpectNear(dir, 0, 0, 1, 1e-5f);
  ExpectNear(up, 0, 1, 0, 1e-5f);
  EXPECT_EQ(w.ShotsLeft, 3);
  EXPECT_EQ(w.Power, 0);
  EXPECT_EQ(w.ProgressBar1.Value(), 0);
}

TEST_F(SceneTest, WinCamLooksFromTheFarCornerOnTheFootballsSide) {
  VorletWindow& w = Open();
  const rm::FramePtr& scene = w.RMCanvas1.SceneFrame();
  struct Case {
    float ballX;
    float cameraX;
  } cases[] = {{0, 88}, {3, 88}, {-0.01f, -88}, {-12, -88}};
  for (const Case& c : cases) {
    w.BallFrame->SetPosition(scene, c.ballX, 0, -80);
    int before = w.RMCanvas1.renderCount;
    w.WinCam();
    ExpectNear(Pos(w.CameraFrame, scene), c.cameraX, 30, -88);
    EXPECT_EQ(w.RMCanvas1.renderCount, before + 1);
    rm::Vector dir, up;
    w.CameraFrame->GetOrientation(scene, dir, up);
    EXPECT_LT(dir.y, 0) << "the result view looks down at the football";
  }
}

TEST_F(SceneTest, OverTheNetworkThePeersPossessionIsWatchedFromTheSide) {
  state().LocalTurn = true;  // after "Join": the first Reset hands the ball to the peer
  auto link = AttachFakeLink(state().DPlay);
  VorletWindow& w = Open("INET");
  ASSERT_FALSE(link->SentKinds().empty());
  EXPECT_EQ(link->SentKinds()[0], "Version");
  const rm::FramePtr& scene = w.RMCanvas1.SceneFrame();
  EXPECT_EQ(w.ShootingSide, 2);
  ExpectNear(Pos(w.CameraFrame, scene), 100, 20, 0);
  rm::Vector dir, up;
  w.CameraFrame->GetOrientation(scene, dir, up);
  float len = std::sqrt(100.0f * 100.0f + 20.0f * 20.0f + 85.0f * 85.0f);
  ExpectNear(dir, -100 / len, -20 / len, 85 / len);
  EXPECT_TRUE(w.Text1.enabled && w.Text2.enabled);

  w.Reset();  // now this machine shoots
  ExpectNear(Pos(w.CameraFrame, scene), 0, 10, 120);
}

TEST_F(SceneTest, TheSceneIsBuiltOnceAndRenderedBeforeThePossessionStarts) {
  VorletWindow& built = JustBuilt();
  EXPECT_EQ(built.RMCanvas1.renderCount, 1);
  EXPECT_EQ(built.Label1.caption, "Round: 1 of 5");
  EXPECT_EQ(built.ShootingSide, 0) << "no possession before the first render";
  ResetWindows();
  ResetState();
  b = &platform::test::Install();
  VorletWindow& w = Open();
  EXPECT_EQ(w.RMCanvas1.Viewport().GetBack(), 5000.0f);
  EXPECT_EQ(w.RMCanvas1.renderCount, 2);  // after the build, and by the first Reset
  EXPECT_EQ(w.Label1.caption, "Round: 1 of 5");
  EXPECT_FALSE(w.Text1.enabled || w.Text2.enabled);
  EXPECT_EQ(w.CameraFrame, w.RMCanvas1.Camera());
}

}  // namespace
}  // namespace kwinta::testing
