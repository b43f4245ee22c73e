// The point after a touchdown: the football on its edge, the posts sliding
// from side to side, the kick in an arc and its judgement.
#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

namespace {
constexpr float kPostsTurnAt = 88;
constexpr float kHalfWidth = 14;
constexpr float kGoalLine = -95;
}  // namespace

void VorletWindow::MPAT() {
  SharedState& s = state();
  const rm::FramePtr& scene = Scene();
  PostScore();
  ShotsLeft = 3;
  ArrowFrame->AddVisual(ArrowMesh);
  BallFrame->SetPosition(scene, 0, 4, 85);
  AimFrame->SetPosition(scene, 0, 0, 87);
  CameraFrame->SetPosition(scene, 0, 15, 120);
  CameraFollowBall();
  RMCanvas1.Render();
  KickMode = true;
  NoRender = false;
  BallFrame->SetOrientation(scene, 0, 0, 1, 1, 0, 0);
  AimFrame->SetOrientation(scene, 0, 0, 1, 0, 1, 0);
  RMCanvas1.Render();

  auto endFrame = [&] {
    platform::DoEvents();
    Show();
    RMCanvas1.Render();
    WaitForDeadline();
  };
  auto watchFromTheSide = [&] {
    CameraFrame->SetPosition(scene, 100, 20, 0);
    CameraFollowBall();
  };

  if (s.LocalTurn || (s.GameMode == "Human" && !s.LocalTurn)) {
    // The local kicker (or the second player at the same mouse).
    while (KickMode) {
      StartFrame(s.FlightFrameMs);
      MoveGoal();
      Wind();
      CheckMouse();
      SetMouse();
      endFrame();
    }
  } else if (s.GameMode == "Computer") {
    InFlight = true;
    while (KickMode) {
      StartFrame(s.FlightFrameMs);
      watchFromTheSide();
      MoveGoal();
      rm::Vector posts;
      GoalFrame->GetPosition(scene, posts);
      if (posts.x > 80 && GoalStep < 0) {
        GetFmain();
        float force = 90;
        KickFB(KickPos.x, KickPos.y, KickPos.z, force, KickDir.x, KickDir.y, KickDir.z, KickUp.x,
               KickUp.y, KickUp.z);
      }
      Wind();
      SetMouse();
      endFrame();
    }
  } else if (s.GameMode == "INET") {
    InFlight = true;
    while (KickMode) {
      StartFrame(s.FlightFrameMs);
      watchFromTheSide();
      MoveGoal();
      CheckMessages();
      Wind();
      SetMouse();
      endFrame();
    }
  }
}

void VorletWindow::KickFB(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1,
                          float& Y1, float& Z1, float& X2, float& Y2, float& Z2) {
  SharedState& s = state();
  const rm::FramePtr& scene = Scene();
  AimFrame->SetPosition(scene, FrameX, FrameY, FrameZ);
  AimFrame->SetOrientation(scene, X1, Y1, Z1, X2, Y2, Z2);
  Force = -(Force / 40);
  KickRise = -Force / 3;
  KickRiseDecay = (Force / 20) * -1 / 10;
  ArrowFrame->DeleteVisual(ArrowMesh);

  rm::Vector p;
  AimFrame->GetPosition(scene, p);
  while (p.z > kGoalLine && p.y >= 0) {
    StartFrame(s.FlightFrameMs);
    MoveGoal();
    CameraFrame->SetPosition(scene, 100, 20, 0);
    CameraFollowBall();
    BallFrame->AddRotation(rm::kCombineBefore, 0, 1, 0, Force / 7);
    AimFrame->SetPosition(AimFrame, 0, KickRise, Force);
    const rm::Vector before = p;
    AimFrame->GetPosition(scene, p);
    BallFrame->SetPosition(AimFrame, 0, 0, 0);
    // The aim frame rises a second time; the football shows the first rise.
    AimFrame->SetPosition(AimFrame, 0, KickRise, 0);
    KickRise = KickRise - KickRiseDecay;
    RMCanvas1.Render();
    do {
      platform::DoEvents(FrameDeadline);
    } while (BeforeDeadline());
    SetMouse();
    // A kick without force would stand still for ever: judge it where it is.
    if (p.x == before.x && p.y == before.y && p.z == before.z) break;
  }

  CheckFG();
  if (FGGood) {
    Score(1);
    ShowMessage(1);
    if (s.GameMode == "INET") SyncScore();
  } else {
    ShowMessage(2);
  }
  FGGood = false;
  NoRender = false;
  InFlight = false;
  KickMode = false;
}

void VorletWindow::CheckFG() {
  const SharedState& s = state();
  if (s.GameMode == "INET" && !s.LocalTurn) return;  // the kicker's machine judges
  GoalFrame->GetPosition(Scene(), FGGoalPos);
  BallFrame->GetPosition(Scene(), FGBallPos);
  const float left = FGGoalPos.x - kHalfWidth;
  const float right = FGGoalPos.x + kHalfWidth;
  if (FGBallPos.x > left && FGBallPos.x < right && FGBallPos.y > FGGoalPos.y) FGGood = true;
}

void VorletWindow::MoveGoal() {
  GoalFrame->SetPosition(GoalFrame, GoalStep, 0, 0);
  rm::Vector posts;
  GoalFrame->GetPosition(Scene(), posts);
  if (posts.x < -kPostsTurnAt || posts.x > kPostsTurnAt) GoalStep = -GoalStep;
}

void VorletWindow::GetFmain() {
  AimFrame->GetPosition(Scene(), KickPos);
  AimFrame->GetOrientation(Scene(), KickDir, KickUp);
}

}  // namespace kwinta
