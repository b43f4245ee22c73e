// The rules of the game: the flight of a flick, the ground under the
// football, the outcome of a stopped flick and the fall off the table.
#include <algorithm>

#include "app/state.h"
#include "match/frmVorlet.h"
#include "platform/error.h"

namespace kwinta {

namespace {
constexpr float kFarEdge = -88;
}  // namespace

bool VorletWindow::GroundTest(const rm::Vector& point, std::string& name) {
  PickRay.dvDir = {0, -1, 0};
  PickRay.dvPos = point;
  try {
    rm::PickArray picked =
        TableFrame->RayPick(Scene(), PickRay, rm::kRayPickIgnoreFurtherPrimitives);
    name = picked.GetPickVisual(0)->GetName();
    return true;
  } catch (const platform::Error&) {
    return false;  // nothing below
  }
}

void VorletWindow::Flick(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1,
                         float& Y1, float& Z1, float& X2, float& Y2, float& Z2, int16_t& Player) {
  SharedState& s = state();
  const rm::FramePtr& scene = Scene();

  ShotsLeft = ShotsLeft - 1;
  InFlight = true;
  CameraFrame->GetPosition(AimFrame, CameraOffset);
  AimFrame->SetPosition(scene, FrameX, FrameY, FrameZ);
  AimFrame->SetOrientation(scene, X1, Y1, Z1, X2, Y2, Z2);
  ArrowFrame->DeleteVisual(ArrowMesh);
  Label2.caption = "Shots: " + std::to_string(ShotsLeft);
  PlaySound(s.SndSwoosh, platform::DSBPLAY_DEFAULT);

  while (Force != 0) {
    StartFrame(s.FlightFrameMs);
    AimFrame->SetPosition(AimFrame, 0, 0, -Force / 50);
    BallFrame->AddRotation(rm::kCombineBefore, 0, 1, 0, -Force / 200);
    BallFrame->SetPosition(AimFrame, 0, 0, 0);
    Force = Force - Friction;
    if (Force < 0) Force = 0;
    // The meter drains one step per pass; it never goes below empty.
    if (ProgressBar1.Value() > 0) ProgressBar1.SetValue(std::max(0.0f, ProgressBar1.Value() - 1));
    Wind();
    RMCanvas1.Render();
    platform::DoEvents();
    if (CheckRay() == "Fall") return;
    CameraFollowBall();
    WaitForDeadline();
    SetMouse();
  }

  if (s.LocalTurn || (s.GameMode == "Human" && !s.LocalTurn)) {
    CameraFrame->SetPosition(AimFrame, CameraOffset.x, CameraOffset.y, CameraOffset.z);
  }
  InFlight = false;
  CheckScore(Player);
  ArrowFrame->AddVisual(ArrowMesh);
  PostScore();
  CameraFollowBall();
  NoRender = false;
}

std::string VorletWindow::CheckRay() {
  std::string result = "OK";
  rm::Vector centre;
  BallFrame->GetPosition(Scene(), centre);
  std::string name;
  if (GroundTest(centre, name)) {
    GroundName = name;
    return result;
  }
  GroundName = "";
  result = "Fall";
  Fall();
  return result;
}

void VorletWindow::CloseUp() {
  CameraFrame->SetPosition(BallFrame, 0, 20, 20);
  CameraFrame->LookAt(BallFrame, Scene(), rm::kConstrainZ);
  RMCanvas1.Render();
}

void VorletWindow::Score(int32_t points) {
  if (state().LocalTurn) {
    HomeScore += points;
  } else {
    AwayScore += points;
  }
}

void VorletWindow::CheckScore(int16_t& /*Player*/) {
  const rm::FramePtr& scene = Scene();
  const rm::FramePtr corners[] = {CornerFrame1, CornerFrame2, CornerFrame3};
  float z[3] = {0, 0, 0};
  bool bonus = false;
  bool overAnEdge = false;

  for (int i = 0; i < 3 && !overAnEdge; ++i) {
    std::string name;
    try {
      rm::Vector corner;
      corners[i]->GetPosition(scene, corner);
      z[i] = corner.z;
      overAnEdge = !GroundTest(corner, name);
    } catch (const platform::Error&) {
      overAnEdge = true;
    }
    if (overAnEdge) break;
    CornerGroundName = name;
    if (name == "TableBon" && ShotsLeft == 2) bonus = true;
  }

  if (!overAnEdge) {
    if (bonus) {
      CloseUp();
      Score(3);
      ShowMessage(5);
    }
  } else {
    const bool crossed = (z[0] < kFarEdge || z[1] < kFarEdge || z[2] < kFarEdge) &&
                         GroundName.substr(0, 5) == "Table";
    if (crossed && (ShotsLeft == 2 || ShotsLeft == 1)) {
      CloseUp();
      WinCam();
      ShowMessage(6);
      Reset();
      return;
    }
    if (crossed && ShotsLeft == 0) {
      CloseUp();
      WinCam();
      Score(6);
      ShowMessage(3);
      MPAT();
      Reset();
      return;
    }
  }

  if (ShotsLeft < 1) {
    WinCam();
    ShowMessage(7);
    Reset();
    ShotsLeft = 3;
  }
}

void VorletWindow::Fall() {
  const SharedState& s = state();
  const rm::FramePtr& scene = Scene();
  rm::Vector camera;
  CameraFrame->GetPosition(scene, camera);
  CameraFrame->SetPosition(scene, camera.x, -10, camera.z);
  rm::Vector ball;
  BallFrame->GetPosition(scene, ball);
  BallFrame->SetRotation(scene, 1, 1, 1, 0.45f);
  float y = ball.y;
  for (int pass = 1; pass <= 50; ++pass) {
    StartFrame(s.FlightFrameMs);
    BallFrame->SetPosition(scene, ball.x, y, ball.z);
    CameraFollowBall();
    RMCanvas1.Render();
    y = y - 3.0f;
    WaitForDeadline();
    SetMouse();
  }
  InFlight = false;
  NoRender = false;
  ArrowFrame->AddVisual(ArrowMesh);
  ShowMessage(4);
  Reset();
}

}  // namespace kwinta
