// Ray picking against the visuals of a frame and its children, in world space.
//
// Only front faces are hit: faces whose normal (v1 - v0) x (v2 - v0) points
// against the ray. A hit must lie a little ahead of the ray's start (more than
// a small tolerance that grows with the size of the start's coordinates), so a
// ray that starts on a face does not hit that face. A ray through an edge or
// corner shared by faces of one visual counts as one hit of that visual.
// Faces with indices outside the visual's vertices are passed over, as the
// renderer passes them over.

#include <algorithm>
#include <cmath>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "platform/rm/vector_ops.h"

namespace rm {

using detail::Cross;
using detail::Dot;
using detail::Sub;

MeshBuilderPtr PickArray::GetPickVisual(int index) const {
  if (index < 0 || index >= GetSize())
    throw platform::Error("pick array has no entry " + std::to_string(index));
  return hits[index].visual;
}

namespace {

struct WorldRay {
  Vector pos, dir;  // dir has unit length, so t is a distance
  float epsilon;
};

// Möller-Trumbore, front faces only. Barycentric bounds are a hair lenient so
// that rays along shared edges do not slip between two faces.
bool HitTriangle(const WorldRay& ray, const Vector& v0, const Vector& v1, const Vector& v2,
                 float& t) {
  const Vector e1 = Sub(v1, v0);
  const Vector e2 = Sub(v2, v0);
  const Vector p = Cross(ray.dir, e2);
  const float det = Dot(e1, p);  // = -dir . ((v1 - v0) x (v2 - v0))
  if (!(det > 0.0f)) return false;
  const float slack = 1e-6f * det;
  const Vector s = Sub(ray.pos, v0);
  const float u = Dot(s, p);
  if (u < -slack || u > det + slack) return false;
  const Vector q = Cross(s, e1);
  const float v = Dot(ray.dir, q);
  if (v < -slack || u + v > det + slack) return false;
  t = Dot(e2, q) / det;
  return t > ray.epsilon && std::isfinite(t);
}

void PickFrame(const Frame& frame, const FramePtr& self, const WorldRay& ray,
               std::vector<PickArray::Hit>& hits) {
  if (!frame.Visuals().empty()) {
    const Matrix world = frame.World();
    std::vector<Vector> points;
    for (const MeshBuilderPtr& visual : frame.Visuals()) {
      points.clear();
      for (const Vector& p : visual->positions) points.push_back(TransformPoint(p, world));
      const int count = static_cast<int>(points.size());
      for (const MeshBuilder::Face& face : visual->faces) {
        bool valid = true;
        for (int index : face.v) valid = valid && index >= 0 && index < count;
        if (!valid) continue;
        float t;
        if (!HitTriangle(ray, points[face.v[0]], points[face.v[1]], points[face.v[2]], t)) continue;
        const Vector at{ray.pos.x + ray.dir.x * t, ray.pos.y + ray.dir.y * t,
                        ray.pos.z + ray.dir.z * t};
        hits.push_back({visual, self, t, at});
      }
    }
  }
  for (const FramePtr& child : frame.Children()) PickFrame(*child, child, ray, hits);
}

}  // namespace

PickArray Frame::RayPick(const FramePtr& ref, const Ray& ray, int flags) const {
  Matrix refWorld = Matrix::Identity();
  if (ref)
    refWorld = ref->World();
  else if (parent_)
    refWorld = parent_->World();
  WorldRay w;
  w.pos = TransformPoint(ray.dvPos, refWorld);
  const Vector dir = TransformVector(ray.dvDir, refWorld);
  const float len = detail::Length(dir);
  if (!(len > 0.0f) || !std::isfinite(len)) throw platform::Error("RayPick: no ray direction");
  w.dir = detail::Scale(dir, 1.0f / len);
  const float size = std::max({std::fabs(w.pos.x), std::fabs(w.pos.y), std::fabs(w.pos.z)});
  w.epsilon = 1e-5f * (1.0f + size);

  std::vector<PickArray::Hit> hits;
  const FramePtr self = std::const_pointer_cast<Frame>(weak_from_this().lock());
  PickFrame(*this, self, w, hits);
  std::stable_sort(hits.begin(), hits.end(), [](const PickArray::Hit& a, const PickArray::Hit& b) {
    return a.distance < b.distance;
  });

  PickArray result;
  for (const PickArray::Hit& hit : hits) {
    const bool repeat =
        std::any_of(result.hits.begin(), result.hits.end(), [&](const PickArray::Hit& kept) {
          return kept.visual == hit.visual && kept.frame == hit.frame &&
                 hit.distance - kept.distance <= w.epsilon;
        });
    if (!repeat) result.hits.push_back(hit);
    if ((flags & kRayPickIgnoreFurtherPrimitives) && !result.hits.empty()) break;
  }
  return result;
}

}  // namespace rm
