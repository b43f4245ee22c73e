#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "rm/rm_test_support.h"

namespace {

using rm::FramePtr;
using rm::Vector;
using rm_test::Direction;
using rm_test::kPi;
using rm_test::Near;
using rm_test::Position;
using rm_test::Up;
using rm_test::WorldXAxis;

class FrameTest : public ::testing::Test {
 protected:
  FramePtr Frame(const FramePtr& parent) { return d3drm.CreateFrame(parent); }

  rm::Direct3DRM3 d3drm;
  FramePtr scene = d3drm.CreateFrame(nullptr);
};

TEST_F(FrameTest, CreatedFramesHangBelowTheirParent) {
  FramePtr child = Frame(scene);
  EXPECT_EQ(child->Parent(), scene.get());
  ASSERT_EQ(scene->Children().size(), 1u);
  EXPECT_EQ(scene->Children()[0], child);
  EXPECT_EQ(scene->Parent(), nullptr);

  // A root frame's world is its own matrix.
  scene->SetPosition(nullptr, 1, 2, 3);
  EXPECT_TRUE(Near(Position(scene, nullptr), {1, 2, 3}));
  EXPECT_TRUE(Near(rm::TransformPoint({}, scene->World()), {1, 2, 3}));
}

TEST_F(FrameTest, ChildOutlivingItsParentBecomesARoot) {
  FramePtr parent = Frame(nullptr);
  parent->SetPosition(nullptr, 5, 0, 0);
  FramePtr child = Frame(parent);
  child->SetPosition(nullptr, 1, 0, 0);
  parent.reset();
  EXPECT_EQ(child->Parent(), nullptr);
  EXPECT_TRUE(Near(Position(child, nullptr), {1, 0, 0}));
}

// Parent: turned +90 degrees about y (its +z is world +x), standing at (5,0,0).
// Child: 2 along the parent's z, so at world (7,0,0).
TEST_F(FrameTest, PositionsThroughAParentChain) {
  FramePtr parent = Frame(scene);
  parent->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi / 2);
  parent->SetPosition(scene, 5, 0, 0);
  FramePtr child = Frame(parent);
  child->SetPosition(parent, 0, 0, 2);
  // Third frame: turned +90 about x, at (0,1,0); world (7,0,0) is (7,0,1) there.
  FramePtr third = Frame(scene);
  third->AddRotation(rm::kCombineReplace, 1, 0, 0, kPi / 2);
  third->SetPosition(scene, 0, 1, 0);

  EXPECT_TRUE(Near(Position(child, scene), {7, 0, 0}));
  EXPECT_TRUE(Near(Position(child, parent), {0, 0, 2}));
  EXPECT_TRUE(Near(Position(child, nullptr), {0, 0, 2}));  // null: the parent's space
  EXPECT_TRUE(Near(Position(child, third), {7, 0, 1}));
  EXPECT_TRUE(Near(Position(parent, child), {0, 0, -2}));
  EXPECT_TRUE(Near(Position(child, child), {0, 0, 0}));

  // The child follows its parent; a grandchild 1 along the child's x axis,
  // which is world -z.
  parent->SetPosition(scene, 5, 1, 0);
  FramePtr grandchild = Frame(child);
  grandchild->SetPosition(child, 1, 0, 0);
  EXPECT_TRUE(Near(Position(child, scene), {7, 1, 0}));
  EXPECT_TRUE(Near(Position(grandchild, scene), {7, 1, -1}));

  // Placing by another frame's space keeps the child's turn.
  child->SetPosition(third, 7, 0, 1);
  EXPECT_TRUE(Near(Position(child, scene), {7, 0, 0}));
  EXPECT_TRUE(Near(Direction(child, scene), {1, 0, 0}));
}

TEST_F(FrameTest, CameraSeenFromATurnedFrame) {
  FramePtr camera = Frame(scene);
  camera->SetPosition(scene, 0, 10, 120);
  FramePtr turned = Frame(scene);
  turned->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi / 2);
  turned->SetPosition(scene, 10, 0, 0);
  // (0,10,120) - (10,0,0) = (-10,10,120); along the frame's x = (0,0,-1): -120,
  // along its y: 10, along its z = (1,0,0): -10.
  EXPECT_TRUE(Near(Position(camera, turned), {-120, 10, -10}, 1e-4f));
}

TEST_F(FrameTest, MovingRelativeToItselfFollowsItsOwnAxes) {
  FramePtr f = Frame(scene);
  f->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi / 2);  // +z is now world +x
  f->SetPosition(f, 0, 0, -1);
  EXPECT_TRUE(Near(Position(f, scene), {-1, 0, 0}));
  f->SetPosition(f, 0, 0, -1);
  EXPECT_TRUE(Near(Position(f, scene), {-2, 0, 0}));
  f->SetPosition(f, 1, 0, 0);  // own x is world -z
  EXPECT_TRUE(Near(Position(f, scene), {-2, 0, -1}));
  EXPECT_TRUE(Near(Direction(f, scene), {1, 0, 0}));
}

struct CombineCase {
  int combine;
  Vector position, direction, up;
};

class AddRotationTest : public FrameTest, public ::testing::WithParamInterface<CombineCase> {};

// Start: turned +90 about y (z = +x, y = +y) at (0,0,2); then +90 about x.
TEST_P(AddRotationTest, CombinesWithTheCurrentMatrix) {
  const CombineCase& c = GetParam();
  FramePtr f = Frame(scene);
  f->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi / 2);
  f->SetPosition(scene, 0, 0, 2);
  f->AddRotation(c.combine, 1, 0, 0, kPi / 2);
  EXPECT_TRUE(Near(Position(f, scene), c.position));
  EXPECT_TRUE(Near(Direction(f, scene), c.direction));
  EXPECT_TRUE(Near(Up(f, scene), c.up));
}

INSTANTIATE_TEST_SUITE_P(Cases, AddRotationTest,
                         ::testing::Values(
                             // Replace: just the new turn, back at the parent's origin.
                             CombineCase{rm::kCombineReplace, {0, 0, 0}, {0, -1, 0}, {0, 0, 1}},
                             // Before: about the frame's own x axis (world -z); position kept.
                             CombineCase{rm::kCombineBefore, {0, 0, 2}, {0, -1, 0}, {1, 0, 0}},
                             // After: about the parent's x axis through its origin; position turns.
                             CombineCase{rm::kCombineAfter, {0, -2, 0}, {1, 0, 0}, {0, 0, 1}}));

TEST_F(FrameTest, UnknownCombineTypeIsAnError) {
  EXPECT_THROW(Frame(scene)->AddRotation(7, 0, 1, 0, 1), platform::Error);
}

struct OrientationCase {
  Vector d, u;
  Vector direction, up, xAxis;
};

class SetOrientationTest : public FrameTest,
                           public ::testing::WithParamInterface<OrientationCase> {};

TEST_P(SetOrientationTest, BuildsAxesFromDirectionAndUp) {
  const OrientationCase& c = GetParam();
  FramePtr f = Frame(scene);
  f->SetPosition(scene, 4, 5, 6);
  f->SetOrientation(scene, c.d.x, c.d.y, c.d.z, c.u.x, c.u.y, c.u.z);
  EXPECT_TRUE(Near(Direction(f, scene), c.direction));
  EXPECT_TRUE(Near(Up(f, scene), c.up));
  EXPECT_TRUE(Near(WorldXAxis(f), c.xAxis));
  EXPECT_TRUE(Near(Position(f, scene), {4, 5, 6}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetOrientationTest,
    ::testing::Values(OrientationCase{{0, 0, 1}, {0, 1, 0}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}},
                      OrientationCase{{0, 0, -1}, {0, 1, 0}, {0, 0, -1}, {0, 1, 0}, {-1, 0, 0}},
                      // Lengths do not matter; up is made orthogonal to the direction.
                      OrientationCase{{0, 0, 5}, {0, 3, 3}, {0, 0, 1}, {0, 1, 0}, {1, 0, 0}},
                      OrientationCase{{1, 0, 0}, {0, 0, 2}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}}));

TEST_F(FrameTest, OrientationIsConvertedBetweenSpaces) {
  FramePtr parent = Frame(scene);
  parent->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi / 2);
  FramePtr child = Frame(parent);
  child->SetPosition(parent, 0, 0, 2);

  // Given in world space, read back in world space and in the parent's,
  // where world +z is the parent's -x.
  child->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
  EXPECT_TRUE(Near(Direction(child, scene), {0, 0, 1}));
  EXPECT_TRUE(Near(Up(child, scene), {0, 1, 0}));
  EXPECT_TRUE(Near(Direction(child, parent), {-1, 0, 0}));
  EXPECT_TRUE(Near(Direction(child, nullptr), {-1, 0, 0}));
  EXPECT_TRUE(Near(Position(child, parent), {0, 0, 2}));

  // Given in a turned frame's space: its +z is world -y.
  FramePtr tilted = Frame(scene);
  tilted->AddRotation(rm::kCombineReplace, 1, 0, 0, kPi / 2);
  child->SetOrientation(tilted, 0, 0, 1, 0, 1, 0);
  EXPECT_TRUE(Near(Direction(child, scene), {0, -1, 0}));
  EXPECT_TRUE(Near(Up(child, scene), {0, 0, 1}));
  EXPECT_TRUE(Near(Direction(child, tilted), {0, 0, 1}));
}

TEST_F(FrameTest, OrientationWithoutAUsableUpIsAnError) {
  FramePtr f = Frame(scene);
  EXPECT_THROW(f->SetOrientation(scene, 0, 0, 1, 0, 0, 3), platform::Error);
  EXPECT_THROW(f->SetOrientation(scene, 0, 1, 0, 0, -2, 0), platform::Error);
  EXPECT_THROW(f->SetOrientation(scene, 0, 0, 0, 0, 1, 0), platform::Error);
  EXPECT_THROW(f->SetOrientation(scene, 0, 0, 1, 0, 0, 0), platform::Error);
}

// Camera at (0,10,120) looking at (0,0,85): direction (0,-10,-35) = (0,-2,-7)/sqrt(53);
// up (0,7,-2)/sqrt(53); no roll, so the x axis stays level at (-1,0,0).
TEST_F(FrameTest, LookAtPointsTheZAxisWithoutRoll) {
  FramePtr rig = Frame(scene);
  rig->AddRotation(rm::kCombineReplace, 0, 1, 0, 1.0f);  // the camera's parent is turned
  rig->SetPosition(scene, 3, 4, 5);
  FramePtr camera = Frame(rig);
  camera->SetPosition(scene, 0, 10, 120);
  FramePtr target = Frame(scene);
  target->SetPosition(scene, 0, 0, 85);

  camera->LookAt(target, scene, rm::kConstrainZ);
  EXPECT_TRUE(Near(Direction(camera, scene), {0, -0.2747211f, -0.9615239f}));
  EXPECT_TRUE(Near(Up(camera, scene), {0, 0.9615239f, -0.2747211f}));
  EXPECT_TRUE(Near(WorldXAxis(camera), {-1, 0, 0}));
  EXPECT_TRUE(Near(Position(camera, scene), {0, 10, 120}, 1e-4f));
}

TEST_F(FrameTest, LookAtStraightDownOrAtItselfDoesNotFail) {
  FramePtr camera = Frame(scene);
  camera->SetPosition(scene, 0, 10, 0);
  FramePtr below = Frame(scene);
  camera->LookAt(below, scene, rm::kConstrainZ);
  EXPECT_TRUE(Near(Direction(camera, scene), {0, -1, 0}));
  EXPECT_TRUE(Near(Up(camera, scene), {0, 0, 1}));

  FramePtr same = Frame(scene);
  same->SetPosition(scene, 0, 10, 0);
  camera->LookAt(same, scene, rm::kConstrainZ);
  EXPECT_TRUE(Near(Direction(camera, scene), {0, -1, 0}));
}

TEST_F(FrameTest, ContinuingRotationTurnsAboutTheFramesOwnOrigin) {
  FramePtr f = Frame(scene);
  f->SetPosition(scene, 4, 0, 0);
  f->SetRotation(scene, 0, 1, 0, kPi / 2);
  const Vector directions[] = {{1, 0, 0}, {0, 0, -1}, {-1, 0, 0}, {0, 0, 1}};
  for (const Vector& expected : directions) {
    scene->Move(1.0f);
    EXPECT_TRUE(Near(Direction(f, scene), expected));
    EXPECT_TRUE(Near(Position(f, scene), {4, 0, 0}));
  }

  // Two half steps make one whole step.
  f->Move(0.5f);
  f->Move(0.5f);
  EXPECT_TRUE(Near(Direction(f, scene), {1, 0, 0}));

  f->SetRotation(scene, 0, 0, 0, 0);
  scene->Move(1.0f);
  EXPECT_TRUE(Near(Direction(f, scene), {1, 0, 0}));
}

TEST_F(FrameTest, ContinuingRotationAxisIsKeptInTheParentsSpace) {
  FramePtr parent = Frame(scene);
  parent->AddRotation(rm::kCombineReplace, 0, 0, 1, kPi / 2);  // parent's x is world +y
  FramePtr child = Frame(parent);
  child->SetPosition(scene, 0, 3, 0);
  child->SetRotation(scene, 0, 1, 0, kPi / 2);
  EXPECT_TRUE(Near(child->rotationAxis, {1, 0, 0}));

  scene->Move(1.0f);
  // A quarter turn about world +y takes the child's z from +z to +x.
  EXPECT_TRUE(Near(Direction(child, scene), {1, 0, 0}));
  EXPECT_TRUE(Near(Position(child, scene), {0, 3, 0}));
}

// Already turned +90 about z (its y axis is world -x), the frame still turns
// about world +y, not about its own y axis.
TEST_F(FrameTest, ContinuingRotationIgnoresTheFramesOwnTurn) {
  FramePtr f = Frame(scene);
  f->AddRotation(rm::kCombineReplace, 0, 0, 1, kPi / 2);
  f->SetRotation(scene, 0, 1, 0, kPi / 2);
  scene->Move(1.0f);
  EXPECT_TRUE(Near(Direction(f, scene), {1, 0, 0}));
  EXPECT_TRUE(Near(Up(f, scene), {0, 0, 1}));
}

TEST_F(FrameTest, MoveStepsOnlyTheFramesBelow) {
  FramePtr a = Frame(scene);
  FramePtr b = Frame(a);
  FramePtr other = Frame(scene);
  b->SetRotation(nullptr, 0, 1, 0, kPi / 2);
  other->SetRotation(nullptr, 0, 1, 0, kPi / 2);
  a->Move(1.0f);
  EXPECT_TRUE(Near(Direction(b, scene), {1, 0, 0}));
  EXPECT_TRUE(Near(Direction(other, scene), {0, 0, 1}));
}

TEST_F(FrameTest, VisualsAreHeldOnceAndRemovedOnRequest) {
  FramePtr f = Frame(scene);
  auto a = d3drm.CreateMeshBuilder();
  auto b = d3drm.CreateMeshBuilder();
  f->AddVisual(a);
  f->AddVisual(b);
  f->AddVisual(a);
  EXPECT_EQ(f->Visuals(), (std::vector<rm::MeshBuilderPtr>{a, b}));
  f->DeleteVisual(a);
  EXPECT_EQ(f->Visuals(), (std::vector<rm::MeshBuilderPtr>{b}));
  f->DeleteVisual(a);  // no longer there: nothing happens
  EXPECT_EQ(f->Visuals(), (std::vector<rm::MeshBuilderPtr>{b}));
  EXPECT_THROW(f->AddVisual(nullptr), platform::Error);
}

}  // namespace
