// The computer's flicks: a small random turn of the aim and a fixed force
// per attempt with a small random change.
#include <cmath>

#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

namespace {
int Draw(int range) {
  platform::Randomize();
  return static_cast<int>(std::floor(platform::Rnd() * range));
}
}  // namespace

void VorletWindow::CompShot1() {
  const rm::FramePtr& scene = Scene();
  CameraFrame->SetPosition(scene, 100, 20, 0);
  CameraFollowBall();

  float yaw = Draw(10) / 80.0f;
  float bonus = Draw(50) / 40.0f;
  if (Draw(10) <= 5) yaw = -yaw;
  if (Draw(10) <= 5) bonus = -bonus;

  AimFrame->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
  AimFrame->AddRotation(rm::kCombineBefore, 0, 1, 0, yaw);
  rm::Vector dir, up;
  AimFrame->GetOrientation(scene, dir, up);
  AimFrame->GetPosition(scene, FlickPos);

  float force;
  switch (ShotsLeft) {
    case 3:
      force = 96 + bonus;
      break;
    case 2:
      force = 27 + bonus;
      break;
    case 1:
      force = 20 + bonus;
      break;
    default:
      return;
  }
  int16_t side = 2;
  Flick(FlickPos.x, FlickPos.y, FlickPos.z, force, dir.x, dir.y, dir.z, up.x, up.y, up.z, side);
}

}  // namespace kwinta
