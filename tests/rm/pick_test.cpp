#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "rm/rm_test_support.h"

namespace {

using rm::FramePtr;
using rm::Ray;
using rm_test::kPi;
using rm_test::Near;

constexpr int kNearest = rm::kRayPickIgnoreFurtherPrimitives;

Ray Down(float x, float y, float z) {
  return Ray{{0, -1, 0}, {x, y, z}};
}

// The table as the game builds it: a slab in file units scaled by 0.5 on a
// frame at y = -0.5, so its top is at -0.05, its bottom at -2, x from -25 to
// 25 and z from -90 to 95. On it a disc of radius 9 around (0, -79.2) whose
// top is at -0.02 after a scale of 0.08 and a translation by (0, 0.05, -79.2).
class TablePick : public ::testing::Test {
 protected:
  TablePick() {
    table->SetPosition(scene, 0, -0.5f, 0);
    slab->ScaleMesh(0.5f, 0.5f, 0.5f);
    table->AddVisual(slab);
    disc->ScaleMesh(0.08f, 0.08f, 0.08f);
    disc->Translate(0, 0.05f, -79.2f);
    table->AddVisual(disc);
  }

  rm::Direct3DRM3 d3drm;
  FramePtr scene = d3drm.CreateFrame(nullptr);
  FramePtr table = d3drm.CreateFrame(scene);
  rm::MeshBuilderPtr slab = rm_test::Box({-50, -3, -180}, {50, 0.9f, 190}, "table");
  rm::MeshBuilderPtr disc = rm_test::Disc(112.5f, 5.375f, 15, "bonus");
};

struct DownCase {
  float x, z;
  const char* hit;  // nullptr: nothing is hit
  float distance;
};

class TableDownPick : public TablePick, public ::testing::WithParamInterface<DownCase> {};

TEST_P(TableDownPick, NearestHitFromAboveTheTable) {
  const DownCase& c = GetParam();
  const rm::PickArray picks = scene->RayPick(scene, Down(c.x, 0, c.z), kNearest);
  if (!c.hit) {
    EXPECT_EQ(picks.GetSize(), 0);
    EXPECT_THROW(picks.GetPickVisual(0), platform::Error);
    return;
  }
  ASSERT_EQ(picks.GetSize(), 1);
  EXPECT_EQ(picks.GetPickVisual(0)->GetName(), c.hit);
  EXPECT_NEAR(picks.hits[0].distance, c.distance, 1e-4f);
  EXPECT_TRUE(Near(picks.hits[0].position, {c.x, -c.distance, c.z}, 1e-4f));
  EXPECT_EQ(picks.hits[0].frame, table);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TableDownPick,
    ::testing::Values(DownCase{0, -79.2f, "bonus", 0.02f}, DownCase{5, -75, "bonus", 0.02f},
                      DownCase{-3, -85, "bonus", 0.02f}, DownCase{20, -79.2f, "table", 0.05f},
                      DownCase{0, -69, "table", 0.05f}, DownCase{0, 0, "table", 0.05f},
                      DownCase{24.9f, 94.9f, "table", 0.05f},
                      DownCase{-24.9f, -89.9f, "table", 0.05f}, DownCase{25.1f, 0, nullptr, 0},
                      DownCase{-25.1f, 0, nullptr, 0}, DownCase{0, -90.1f, nullptr, 0},
                      DownCase{0, 95.1f, nullptr, 0}));

TEST_F(TablePick, AllHitsComeNearestFirstAndSkipBackFaces) {
  // Down through the disc: the disc, then the slab's top; its bottom faces away.
  rm::PickArray picks = scene->RayPick(scene, Down(1, 0, -79), 0);
  ASSERT_EQ(picks.GetSize(), 2);
  EXPECT_EQ(picks.GetPickVisual(0)->GetName(), "bonus");
  EXPECT_EQ(picks.GetPickVisual(1)->GetName(), "table");
  EXPECT_NEAR(picks.hits[1].distance, 0.05f, 1e-4f);

  // Up from below: only the slab's bottom faces the ray.
  picks = scene->RayPick(scene, Ray{{0, 1, 0}, {1, -5, -79}}, 0);
  ASSERT_EQ(picks.GetSize(), 1);
  EXPECT_EQ(picks.GetPickVisual(0)->GetName(), "table");
  EXPECT_NEAR(picks.hits[0].distance, 3.0f, 1e-4f);
  EXPECT_THROW(picks.GetPickVisual(1), platform::Error);
  EXPECT_THROW(picks.GetPickVisual(-1), platform::Error);
}

TEST_F(TablePick, OnlyTheFrameAndItsChildrenAreTested) {
  FramePtr elsewhere = d3drm.CreateFrame(scene);
  EXPECT_EQ(elsewhere->RayPick(scene, Down(0, 0, 0), kNearest).GetSize(), 0);
  EXPECT_EQ(table->RayPick(scene, Down(0, 0, 0), kNearest).GetSize(), 1);
}

class FacePick : public ::testing::Test {
 protected:
  FacePick() { scene->AddVisual(square); }

  rm::Direct3DRM3 d3drm;
  FramePtr scene = d3drm.CreateFrame(nullptr);
  rm::MeshBuilderPtr square = rm_test::Square(1, "square");  // y = 0, facing up
};

TEST_F(FacePick, RayMustStartAboveTheFaceToHitIt) {
  struct Case {
    float y;
    int hits;
  };
  for (const Case& c : {Case{1, 1}, Case{1e-3f, 1}, Case{0, 0}, Case{-1, 0}}) {
    EXPECT_EQ(scene->RayPick(scene, Down(0.3f, c.y, -0.4f), 0).GetSize(), c.hits)
        << "start at y = " << c.y;
  }
}

TEST_F(FacePick, BackFacesAreNotHit) {
  EXPECT_EQ(scene->RayPick(scene, Ray{{0, 1, 0}, {0.3f, -1, -0.4f}}, 0).GetSize(), 0);
  // Rewound, the same square faces down and the upward ray hits it.
  for (auto& face : square->faces) std::swap(face.v[1], face.v[2]);
  EXPECT_EQ(scene->RayPick(scene, Ray{{0, 1, 0}, {0.3f, -1, -0.4f}}, 0).GetSize(), 1);
  EXPECT_EQ(scene->RayPick(scene, Down(0.3f, 1, -0.4f), 0).GetSize(), 0);
}

TEST_F(FacePick, RayAlongASharedEdgeHitsOnce) {
  // (0.5, 0.5) lies on the diagonal both triangles share.
  const rm::PickArray picks = scene->RayPick(scene, Down(0.5f, 2, 0.5f), 0);
  ASSERT_EQ(picks.GetSize(), 1);
  EXPECT_NEAR(picks.hits[0].distance, 2.0f, 1e-5f);
}

TEST_F(FacePick, ZeroDirectionIsAnError) {
  EXPECT_THROW(scene->RayPick(scene, Ray{{0, 0, 0}, {0, 1, 0}}, 0), platform::Error);
}

// The square stands on a frame turned +90 about x (facing world +z) at
// (3, 0, 10); the ray comes from a camera at (3, 0, 20) turned half round, so
// its +z is world -z.
TEST(HierarchyPick, MeshOnAMovedFrameSeenFromATurnedCamera) {
  rm::Direct3DRM3 d3drm;
  FramePtr scene = d3drm.CreateFrame(nullptr);
  FramePtr holder = d3drm.CreateFrame(scene);
  holder->AddRotation(rm::kCombineReplace, 1, 0, 0, kPi / 2);
  holder->SetPosition(scene, 3, 0, 10);
  FramePtr inner = d3drm.CreateFrame(holder);
  auto square = rm_test::Square(1, "sign");
  inner->AddVisual(square);
  FramePtr camera = d3drm.CreateFrame(scene);
  camera->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi);
  camera->SetPosition(scene, 3, 0, 20);

  rm::PickArray picks = scene->RayPick(camera, Ray{{0, 0, 1}, {0, 0, 0}}, kNearest);
  ASSERT_EQ(picks.GetSize(), 1);
  EXPECT_EQ(picks.GetPickVisual(0), square);
  EXPECT_EQ(picks.hits[0].frame, inner);
  EXPECT_NEAR(picks.hits[0].distance, 10.0f, 1e-4f);
  EXPECT_TRUE(Near(picks.hits[0].position, {3, 0, 10}, 1e-4f));

  // Offset 1.5 sideways in the camera's space misses the 1 x 1 half-size square.
  EXPECT_EQ(scene->RayPick(camera, Ray{{0, 0, 1}, {1.5f, 0, 0}}, kNearest).GetSize(), 0);
  // From behind the sign the ray meets its back.
  EXPECT_EQ(scene->RayPick(scene, Ray{{0, 0, 1}, {3, 0, 0}}, kNearest).GetSize(), 0);
  // Picking on the frame that holds the visual itself.
  EXPECT_EQ(inner->RayPick(camera, Ray{{0, 0, 1}, {0, 0, 0}}, kNearest).GetSize(), 1);
}

}  // namespace
