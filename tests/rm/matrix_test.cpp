#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "rm/rm_test_support.h"

namespace {

using rm::Vector;
using rm_test::kPi;
using rm_test::Near;

struct TurnCase {
  const char* what;
  Vector axis;
  float theta;
  Vector point;
  Vector expected;
};

class RotationSense : public ::testing::TestWithParam<TurnCase> {};

TEST_P(RotationSense, TurnsPointsTheLeftHandedWay) {
  const TurnCase& c = GetParam();
  EXPECT_TRUE(Near(rm::TransformPoint(c.point, rm::RotationMatrix(c.axis, c.theta)), c.expected))
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RotationSense,
    ::testing::Values(
        TurnCase{"+y takes +z toward +x", {0, 1, 0}, kPi / 2, {0, 0, 1}, {1, 0, 0}},
        TurnCase{"+y takes +x toward -z", {0, 1, 0}, kPi / 2, {1, 0, 0}, {0, 0, -1}},
        TurnCase{"+y by 30 degrees", {0, 1, 0}, kPi / 6, {0, 0, 2}, {1, 0, 1.7320508f}},
        TurnCase{"+x quarter turn", {1, 0, 0}, kPi / 2, {3, 3, 3}, {3, -3, 3}},
        TurnCase{"+z takes +x toward +y", {0, 0, 1}, kPi / 2, {1, 0, 0}, {0, 1, 0}},
        TurnCase{"axis is normalised", {0, 5, 0}, kPi / 2, {0, 0, 1}, {1, 0, 0}},
        TurnCase{"zero axis means +x", {0, 0, 0}, kPi / 2, {3, 3, 3}, {3, -3, 3}},
        TurnCase{"diagonal third turn cycles axes", {1, 1, 1}, 2 * kPi / 3, {1, 0, 0}, {0, 1, 0}}));

// A: quarter turn about +y, then moved to (1, 2, 3).
// B: quarter turn about +x, then moved to (0, 0, 10).
rm::Matrix TurnedAndMoved(Vector axis, Vector at) {
  rm::Matrix m = rm::RotationMatrix(axis, kPi / 2);
  m.m[3] = {at.x, at.y, at.z, 1};
  return m;
}

TEST(Matrix, ProductAppliesTheLeftMatrixFirst) {
  const rm::Matrix a = TurnedAndMoved({0, 1, 0}, {1, 2, 3});
  const rm::Matrix b = TurnedAndMoved({1, 0, 0}, {0, 0, 10});
  // (0,0,1) -A-> (1,0,0) + (1,2,3) = (2,2,3) -B-> (2,-3,2) + (0,0,10).
  EXPECT_TRUE(Near(rm::TransformPoint({0, 0, 1}, a * b), {2, -3, 12}));
  // Directions ignore translations: (0,0,1) -A-> (1,0,0) -B-> (1,0,0).
  EXPECT_TRUE(Near(rm::TransformVector({0, 0, 1}, a * b), {1, 0, 0}));
  EXPECT_TRUE(Near(rm::TransformPoint({0, 0, 1}, b * a), {11, 1, 3}));
}

TEST(Matrix, InverseUndoesRigidAndScaledMatrices) {
  const rm::Matrix ab =
      TurnedAndMoved({0, 1, 0}, {1, 2, 3}) * TurnedAndMoved({1, 0, 0}, {0, 0, 10});
  EXPECT_TRUE(Near(rm::TransformPoint({2, -3, 12}, rm::Inverse(ab)), {0, 0, 1}));
  const rm::Matrix back = ab * rm::Inverse(ab);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(back.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);

  rm::Matrix scaled = rm::Matrix::Identity();
  scaled.m[0][0] = 2;
  scaled.m[1][1] = 4;
  scaled.m[2][2] = 0.5f;
  scaled.m[3] = {1, 1, 1, 1};
  EXPECT_TRUE(Near(rm::TransformPoint({3, 5, 1.5f}, rm::Inverse(scaled)), {1, 1, 1}));
}

TEST(Matrix, SingularMatrixHasNoInverse) {
  rm::Matrix flat = rm::Matrix::Identity();
  flat.m[1][1] = 0;
  EXPECT_THROW(rm::Inverse(flat), platform::Error);
}

}  // namespace
