// Frames: the hierarchy, positions and orientations relative to any frame,
// turns and the continuing rotation.
//
// Reference frames: every operation taking a reference frame also accepts a
// null one, which stands for the frame's parent (the world for a root frame).
// So SetPosition(nullptr, x, y, z) sets the local translation directly.

#include <algorithm>

#include "platform/error.h"
#include "platform/rm/rm.h"
#include "platform/rm/vector_ops.h"

namespace rm {

using detail::AxesFrom;
using detail::AxesMatrix;
using detail::Row;

namespace {

// The world matrix of a reference frame; null means the parent's space.
Matrix RefWorld(const Frame& self, const FramePtr& ref) {
  if (ref) return ref->World();
  if (const Frame* parent = self.Parent()) return parent->World();
  return Matrix::Identity();
}

Matrix ParentWorld(const Frame& self) {
  if (const Frame* parent = self.Parent()) return parent->World();
  return Matrix::Identity();
}

// Replaces the 3x3 part of `local`, keeping its translation.
void SetTurn(Matrix& local, const Matrix& turn) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) local.m[i][j] = turn.m[i][j];
}

}  // namespace

Frame::~Frame() {
  // A child that somebody still holds becomes a root frame of its own.
  for (const FramePtr& child : children_)
    if (child && child->parent_ == this) child->parent_ = nullptr;
}

Matrix Frame::World() const {
  if (parent_) return local * parent_->World();
  return local;
}

// A visual is held once: adding it again changes nothing.
void Frame::AddVisual(const MeshBuilderPtr& visual) {
  if (!visual) throw platform::Error("AddVisual: no visual");
  if (std::find(visuals_.begin(), visuals_.end(), visual) == visuals_.end())
    visuals_.push_back(visual);
}

void Frame::DeleteVisual(const MeshBuilderPtr& visual) {
  auto it = std::find(visuals_.begin(), visuals_.end(), visual);
  if (it != visuals_.end()) visuals_.erase(it);
}

void Frame::SetPosition(const FramePtr& ref, float x, float y, float z) {
  const Vector world = TransformPoint({x, y, z}, RefWorld(*this, ref));
  const Vector p = TransformPoint(world, Inverse(ParentWorld(*this)));
  local.m[3][0] = p.x;
  local.m[3][1] = p.y;
  local.m[3][2] = p.z;
}

void Frame::GetPosition(const FramePtr& ref, Vector& out) const {
  const Matrix world = World();
  out = TransformPoint(Row(world, 3), Inverse(RefWorld(*this, ref)));
}

void Frame::SetOrientation(const FramePtr& ref, float dx, float dy, float dz, float ux, float uy,
                           float uz) {
  Vector x, y, z;
  if (!AxesFrom({dx, dy, dz}, {ux, uy, uz}, x, y, z))
    throw platform::Error("SetOrientation: direction is zero or parallel to up");
  // Axes in ref's space -> world -> parent's space; only the 3x3 part matters.
  const Matrix turn = AxesMatrix(x, y, z) * RefWorld(*this, ref) * Inverse(ParentWorld(*this));
  SetTurn(local, turn);
}

void Frame::GetOrientation(const FramePtr& ref, Vector& dir, Vector& up) const {
  const Matrix world = World();
  const Matrix toRef = Inverse(RefWorld(*this, ref));
  dir = TransformVector(Row(world, 2), toRef);
  up = TransformVector(Row(world, 1), toRef);
}

void Frame::AddRotation(int combine, float x, float y, float z, float theta) {
  const Matrix r = RotationMatrix({x, y, z}, theta);
  switch (combine) {
    case kCombineReplace:
      local = r;
      break;
    case kCombineBefore:
      local = r * local;
      break;
    case kCombineAfter:
      local = local * r;
      break;
    default:
      throw platform::Error("AddRotation: unknown combine type");
  }
}

void Frame::SetRotation(const FramePtr& ref, float x, float y, float z, float theta) {
  Vector axis{x, y, z};
  if (ref) {
    const Vector world = TransformVector(axis, ref->World());
    axis = TransformVector(world, Inverse(ParentWorld(*this)));
  }
  rotationAxis = axis;
  rotationTheta = theta;
}

// With the constraint only "no roll" is offered: the frame's up stays as near
// the reference's +y as the direction allows. Looking straight up or down,
// where +y cannot serve as up, the reference's +z is used instead. A target at
// the frame's own position leaves the orientation as it is.
void Frame::LookAt(const FramePtr& target, const FramePtr& ref, int /*constraint*/) {
  if (!target) throw platform::Error("LookAt: no target");
  Vector from, to;
  GetPosition(ref, from);
  target->GetPosition(ref, to);
  const Vector d = detail::Sub(to, from);
  if (d.x == 0.0f && d.y == 0.0f && d.z == 0.0f) return;
  Vector ax, ay, az;
  if (AxesFrom(d, {0.0f, 1.0f, 0.0f}, ax, ay, az))
    SetOrientation(ref, d.x, d.y, d.z, 0.0f, 1.0f, 0.0f);
  else
    SetOrientation(ref, d.x, d.y, d.z, 0.0f, 0.0f, 1.0f);
}

// A continuing rotation turns the frame about its own origin, about an axis
// of the parent's space: the 3x3 part becomes turn * R, the translation stays.
// delta scales the angle of the step.
void Frame::Move(float delta) {
  if (rotationTheta != 0.0f) {
    const Matrix r = RotationMatrix(rotationAxis, rotationTheta * delta);
    Matrix turn = local;
    turn.m[3] = {0.0f, 0.0f, 0.0f, 1.0f};
    SetTurn(local, turn * r);
  }
  for (const FramePtr& child : children_) child->Move(delta);
}

}  // namespace rm
