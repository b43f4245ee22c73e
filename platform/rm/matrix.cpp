// Matrix maths of the scene graph: row vectors, p' = p * M, translation in
// the fourth row. Matrices here are affine: their last column is (0, 0, 0, 1).

#include <cmath>

#include "platform/error.h"
#include "platform/rm/rm.h"

namespace rm {

Matrix Matrix::Identity() {
  Matrix r;
  for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
  return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  }
  return r;
}

Vector TransformPoint(const Vector& p, const Matrix& m) {
  return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
          p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
          p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

Vector TransformVector(const Vector& v, const Matrix& m) {
  return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
          v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
          v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Matrix Inverse(const Matrix& m) {
  const auto& a = m.m;
  // Cofactors of the 3x3 part.
  const float c00 = a[1][1] * a[2][2] - a[1][2] * a[2][1];
  const float c01 = a[1][2] * a[2][0] - a[1][0] * a[2][2];
  const float c02 = a[1][0] * a[2][1] - a[1][1] * a[2][0];
  const float det = a[0][0] * c00 + a[0][1] * c01 + a[0][2] * c02;
  if (det == 0.0f || !std::isfinite(det)) throw platform::Error("matrix cannot be inverted");
  const float k = 1.0f / det;
  Matrix r = Matrix::Identity();
  r.m[0][0] = c00 * k;
  r.m[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) * k;
  r.m[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) * k;
  r.m[1][0] = c01 * k;
  r.m[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) * k;
  r.m[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) * k;
  r.m[2][0] = c02 * k;
  r.m[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) * k;
  r.m[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) * k;
  // The translation t maps back to the origin: t' = -t * A^-1.
  const Vector t = TransformVector({a[3][0], a[3][1], a[3][2]}, r);
  r.m[3][0] = -t.x;
  r.m[3][1] = -t.y;
  r.m[3][2] = -t.z;
  return r;
}

Matrix RotationMatrix(Vector axis, float theta) {
  float len = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
  if (len == 0.0f) {
    axis = {1.0f, 0.0f, 0.0f};
    len = 1.0f;
  }
  const float x = axis.x / len, y = axis.y / len, z = axis.z / len;
  const float c = std::cos(theta), s = std::sin(theta), t = 1.0f - c;
  Matrix r = Matrix::Identity();
  r.m[0] = {t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0.0f};
  r.m[1] = {t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0.0f};
  r.m[2] = {t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0.0f};
  return r;
}

}  // namespace rm
