#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "rm/rm_test_support.h"

namespace {

using rm::Vector;
using rm_test::kPi;

struct WrapCase {
  const char* what;
  Vector origin, direction, up;
  float ou, ov, su, sv;
  Vector vertex;
  float u, v;
};

class FlatWrap : public ::testing::TestWithParam<WrapCase> {};

TEST_P(FlatWrap, MapsVerticesAlongTheWrapsAxes) {
  const WrapCase& c = GetParam();
  rm::Direct3DRM3 d3drm;
  rm::WrapPtr wrap = d3drm.CreateWrap(rm::kWrapFlat, nullptr, c.origin.x, c.origin.y, c.origin.z,
                                      c.direction.x, c.direction.y, c.direction.z, c.up.x, c.up.y,
                                      c.up.z, c.ou, c.ov, c.su, c.sv);
  auto mesh = d3drm.CreateMeshBuilder();
  mesh->positions = {c.vertex};
  wrap->Apply(mesh);
  ASSERT_EQ(mesh->uvs.size(), 1u);
  EXPECT_NEAR(mesh->uvs[0][0], c.u, 1e-5f) << c.what;
  EXPECT_NEAR(mesh->uvs[0][1], c.v, 1e-5f) << c.what;
}

// Direction (0,1,0) with a zero up: up is taken as (1,0,0), so the wrap's x
// axis is (1,0,0) x (0,1,0) = (0,0,1): u follows z and v follows x.
// Direction (1,1,1) with up (0,1,0): y = (-1,2,-1)/sqrt(6), x = (1,0,-1)/sqrt(2).
INSTANTIATE_TEST_SUITE_P(Cases, FlatWrap,
                         ::testing::Values(WrapCase{"zero up",
                                                    {0, 0, 0},
                                                    {0, 1, 0},
                                                    {0, 0, 0},
                                                    0.5f,
                                                    0.25f,
                                                    0.03f,
                                                    0.03f,
                                                    {10, 0, -20},
                                                    0.03f * -20 - 0.5f,
                                                    0.03f * 10 - 0.25f},
                                           WrapCase{"zero up, height ignored",
                                                    {0, 0, 0},
                                                    {0, 1, 0},
                                                    {0, 0, 0},
                                                    0.5f,
                                                    0.25f,
                                                    0.03f,
                                                    0.03f,
                                                    {0, 7, 5},
                                                    -0.35f,
                                                    -0.25f},
                                           WrapCase{"zero up, moved origin",
                                                    {1, 2, 3},
                                                    {0, 1, 0},
                                                    {0, 0, 0},
                                                    0.5f,
                                                    0.25f,
                                                    0.03f,
                                                    0.03f,
                                                    {10, 0, -20},
                                                    0.03f * -23 - 0.5f,
                                                    0.03f * 9 - 0.25f},
                                           WrapCase{"diagonal, along x",
                                                    {0, 0, 0},
                                                    {1, 1, 1},
                                                    {0, 1, 0},
                                                    0,
                                                    0,
                                                    1,
                                                    1,
                                                    {2, 0, 0},
                                                    1.4142136f,
                                                    -0.8164966f},
                                           WrapCase{"diagonal, along y",
                                                    {0, 0, 0},
                                                    {1, 1, 1},
                                                    {0, 1, 0},
                                                    0,
                                                    0,
                                                    1,
                                                    1,
                                                    {0, 3, 0},
                                                    0,
                                                    2.4494897f},
                                           WrapCase{"diagonal, along z, scaled",
                                                    {0, 0, 0},
                                                    {1, 1, 1},
                                                    {0, 1, 0},
                                                    0.1f,
                                                    0.2f,
                                                    2,
                                                    3,
                                                    {0, 0, 1},
                                                    2 * -0.7071068f - 0.1f,
                                                    3 * -0.4082483f - 0.2f},
                                           WrapCase{"diagonal, on the wrap's axis",
                                                    {0, 0, 0},
                                                    {1, 1, 1},
                                                    {0, 1, 0},
                                                    0,
                                                    0,
                                                    1,
                                                    1,
                                                    {1, 1, 1},
                                                    0,
                                                    0}));

TEST(FlatWrapApply, UsesTheVerticesAsTheyAreWhenApplied) {
  rm::Direct3DRM3 d3drm;
  rm::FramePtr turned = d3drm.CreateFrame(nullptr);
  turned->AddRotation(rm::kCombineReplace, 0, 1, 0, kPi / 3);
  rm::WrapPtr wrap =
      d3drm.CreateWrap(rm::kWrapFlat, turned, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f);
  auto mesh = d3drm.CreateMeshBuilder();
  mesh->positions = {{1, 0, 2}, {-4, 3, 6}};
  mesh->ScaleMesh(2, 2, 2);
  const unsigned before = mesh->revision;
  wrap->Apply(mesh);  // the turned reference frame plays no part
  EXPECT_EQ(mesh->revision, before + 1);
  mesh->Translate(100, 100, 100);  // after the wrap: coordinates stay
  EXPECT_EQ(mesh->uvs, (std::vector<std::array<float, 2>>{{2, 1}, {6, -4}}));
}

TEST(FlatWrapApply, UnusableAxesAreErrors) {
  rm::Direct3DRM3 d3drm;
  auto mesh = d3drm.CreateMeshBuilder();
  mesh->positions = {{1, 2, 3}};
  EXPECT_THROW(
      d3drm.CreateWrap(rm::kWrapFlat, nullptr, 0, 0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 1)->Apply(mesh),
      platform::Error);
  EXPECT_THROW(
      d3drm.CreateWrap(rm::kWrapFlat, nullptr, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1)->Apply(mesh),
      platform::Error);
  EXPECT_THROW(d3drm.CreateWrap(1, nullptr, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 1),
               platform::Error);
}

}  // namespace
