// Small vector helpers shared by the rm sources. Single precision throughout,
// always in the same order of operations.
#pragma once

#include <cmath>

#include "platform/rm/rm.h"

namespace rm::detail {

inline Vector Add(const Vector& a, const Vector& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector Sub(const Vector& a, const Vector& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector Scale(const Vector& a, float s) {
  return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(const Vector& a, const Vector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vector Cross(const Vector& a, const Vector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(const Vector& a) {
  return std::sqrt(Dot(a, a));
}

// A right-angled frame of axes built from a direction and an up vector, the
// way orientations and flat wraps are defined: z = d / |d|, y = u made
// orthogonal to z and normalised, x = y x z. Returns false when d is zero or
// u is (nearly) parallel to d.
inline bool AxesFrom(const Vector& d, const Vector& u, Vector& x, Vector& y, Vector& z) {
  const float dl = Length(d);
  if (!(dl > 0.0f) || !std::isfinite(dl)) return false;
  z = Scale(d, 1.0f / dl);
  const Vector along = Scale(z, Dot(u, z));
  const Vector ortho = Sub(u, along);
  const float ol = Length(ortho);
  // Relative to the up vector's own length, so that a short up still works.
  if (!(ol > 1e-6f * Length(u)) || !std::isfinite(ol)) return false;
  y = Scale(ortho, 1.0f / ol);
  x = Cross(y, z);
  return true;
}

// The 3x3 part of a matrix whose rows are the given axes, no translation.
inline Matrix AxesMatrix(const Vector& x, const Vector& y, const Vector& z) {
  Matrix r = Matrix::Identity();
  r.m[0] = {x.x, x.y, x.z, 0.0f};
  r.m[1] = {y.x, y.y, y.z, 0.0f};
  r.m[2] = {z.x, z.y, z.z, 0.0f};
  return r;
}

inline Vector Row(const Matrix& m, int row) {
  return {m.m[row][0], m.m[row][1], m.m[row][2]};
}

}  // namespace rm::detail
