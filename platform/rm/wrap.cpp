// Flat texture wraps.

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "platform/rm/vector_ops.h"

namespace rm {

// The wrap's axes follow SetOrientation: z = direction, y = up made
// orthogonal, x = y x z; a zero up stands for (1, 0, 0). Then for a vertex p,
// q = p - origin, u = su (q . x) - ou, v = sv (q . y) - ov.
void Wrap::Apply(const MeshBuilderPtr& mesh) const {
  if (!mesh) throw platform::Error("Wrap::Apply: no mesh");
  Vector u = up;
  if (u.x == 0.0f && u.y == 0.0f && u.z == 0.0f) u = {1.0f, 0.0f, 0.0f};
  Vector ax, ay, az;
  if (!detail::AxesFrom(direction, u, ax, ay, az))
    throw platform::Error("Wrap::Apply: direction is zero or parallel to up");
  mesh->uvs.resize(mesh->positions.size());
  for (size_t i = 0; i < mesh->positions.size(); ++i) {
    const Vector q = detail::Sub(mesh->positions[i], origin);
    mesh->uvs[i] = {su * detail::Dot(q, ax) - ou, sv * detail::Dot(q, ay) - ov};
  }
  ++mesh->revision;
}

}  // namespace rm
