// The start of a possession, the camera's views and the drifting sky.
#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

void VorletWindow::Reset() {
  SharedState& s = state();
  const rm::FramePtr& scene = Scene();
  Show();
  s.LocalTurn = !s.LocalTurn;
  ShootingSide = s.LocalTurn ? 1 : 2;
  ShotsLeft = 3;
  Power = 0;
  TurnColor();
  ProgressBar1.SetValue(0);
  BallFrame->SetPosition(scene, 0, 0, 85);
  AimFrame->SetPosition(scene, 0, 0, 85);
  ArrowFrame->SetPosition(scene, 0, 0, 85);
  GoalFrame->SetPosition(scene, 0, 20, -95);
  BallFrame->SetRotation(scene, 0, 0, 0, 0);
  BallFrame->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
  AimFrame->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
  CameraFrame->SetPosition(scene, 0, 10, 120);
  CameraFollowBall();
  if (s.GameMode == "INET" && ShootingSide == 2) {
    CameraFrame->SetPosition(scene, 100, 20, 0);
    CameraFollowBall();
  }
  RMCanvas1.Render();
}

void VorletWindow::CameraFollowBall() {
  CameraFrame->LookAt(BallFrame, Scene(), rm::kConstrainZ);
}

void VorletWindow::WinCam() {
  const rm::FramePtr& scene = Scene();
  rm::Vector ball;
  BallFrame->GetPosition(scene, ball);
  if (ball.x < 0) {
    CameraFrame->SetPosition(scene, -88, 30, -88);
  } else {
    CameraFrame->SetPosition(scene, 88, 30, -88);
  }
  CameraFollowBall();
  RMCanvas1.Render();
}

void VorletWindow::Wind() {
  CurWrap = RMCanvas1.D3DRM().CreateWrap(rm::kWrapFlat, TableFrame, 0, 0, 0, 0, 1, 0, 0, 0, 0,
                                         SkyOffsetU, SkyOffsetV, 0.003f, 0.003f);
  CurWrap->Apply(SkyMesh);
  // Each sum is formed in double and stored back as a single.
  SkyOffsetU = static_cast<float>(static_cast<double>(SkyOffsetU) + 0.0008);
  SkyOffsetV = static_cast<float>(static_cast<double>(SkyOffsetV) + 0.0008);
}

}  // namespace kwinta
