// The player's hands: the per-frame poll of the hidden pointer, the power
// meter, the camera box, and the canvas's key and mouse handlers.
#include "app/state.h"
#include "match/frmVorlet.h"
#include "platform/error.h"

namespace kwinta {

namespace {

// The pointer goes back here after every poll: absolute, on the 0..65535 scale.
constexpr int kHomeTarget = 30000;

constexpr float kBoxMin = -130, kBoxMax = 130, kBoxLow = 5, kBoxHigh = 30;

}  // namespace

void VorletWindow::SetMouse() {
  platform::mouse_event(platform::MOUSEEVENTF_MOVE | platform::MOUSEEVENTF_ABSOLUTE, kHomeTarget,
                        kHomeTarget, 0, 0);
}

void VorletWindow::InitMouse() {
  SetMouse();
  platform::GetCursorPos(CursorPos);
  MouseHomeX = static_cast<int16_t>(CursorPos.x);
  MouseHomeY = static_cast<int16_t>(CursorPos.y);
}

void VorletWindow::CheckMouse() {
  const rm::FramePtr& scene = Scene();
  platform::GetCursorPos(CursorPos);
  const float dx = static_cast<float>(int32_t(MouseHomeX) - CursorPos.x);
  const float dy = static_cast<float>(int32_t(MouseHomeY) - CursorPos.y);

  // Once the meter has been written, a failing step of this poll is passed
  // over and the next one runs.
  bool passOver = false;
  auto step = [&](auto&& body) {
    if (!passOver) {
      body();
      return;
    }
    try {
      body();
    } catch (const platform::Error&) {
    }
  };

  if (MouseMode == 1) {
    Power = Power + 8;
    if (Power > 100) {
      if (KickMode) {
        PrematureKick();
      } else {
        PrematureFlick();
      }
      return;
    }
    passOver = true;
    step([&] { ProgressBar1.SetValue(Power); });
  }

  if (ShiftHeld) {
    step([&] { CameraFrame->SetPosition(CameraFrame, 0, 0, dy / 10); });
  } else if (MouseMode == 0) {
    step([&] { AimFrame->AddRotation(rm::kCombineBefore, 0, 1, 0, dx / 300); });
  } else if (MouseMode == 2) {
    step([&] { CameraFrame->SetPosition(CameraFrame, dx / 10, 0, 0); });
    step([&] { CameraFrame->SetPosition(CameraFrame, 0, dy / 10, 0); });
  }

  // Keep the camera inside its box, one coordinate at a time.
  step([&] { CameraFrame->GetPosition(scene, CameraPos); });
  auto clamp = [&](bool outside, float& coordinate, float bound) {
    if (!outside) return;
    step([&] {
      coordinate = bound;
      CameraFrame->SetPosition(scene, CameraPos.x, CameraPos.y, CameraPos.z);
    });
  };
  clamp(CameraPos.z > kBoxMax, CameraPos.z, kBoxMax);
  clamp(CameraPos.z < kBoxMin, CameraPos.z, kBoxMin);
  clamp(CameraPos.x > kBoxMax, CameraPos.x, kBoxMax);
  clamp(CameraPos.x < kBoxMin, CameraPos.x, kBoxMin);
  clamp(CameraPos.y < kBoxLow, CameraPos.y, kBoxLow);
  clamp(CameraPos.y > kBoxHigh, CameraPos.y, kBoxHigh);

  step([&] { CameraFollowBall(); });
}

void VorletWindow::RMCanvas1_KeyDown(int16_t KeyCode, int16_t /*Shift*/) {
  SharedState& s = state();
  if (KeyCode == 27) {
    if (s.GameMode == "INET") SendEnd();
    PlaySound(s.SndWis3, platform::DSBPLAY_DEFAULT);
    platform::ShowCursor(true);
    platform::End();
  }
  if (KeyCode == 192) {
    if (s.GameMode == "INET") Text2.SetFocus();
  }
  if (KeyCode == 16) ShiftHeld = true;
  if (KeyCode == 83) {
    s.SceneryOn = !s.SceneryOn;
    if (s.SceneryOn) {
      StadiumFrame->AddVisual(StadiumMesh);
      StadiumFrame->AddVisual(LinesMesh);
      SkyFrame->AddVisual(SkyMesh);
    } else {
      StadiumFrame->DeleteVisual(StadiumMesh);
      StadiumFrame->DeleteVisual(LinesMesh);
      SkyFrame->DeleteVisual(SkyMesh);
    }
    RMCanvas1.Render();
  }
}

void VorletWindow::RMCanvas1_KeyUp(int16_t KeyCode, int16_t /*Shift*/) {
  if (KeyCode == 16) ShiftHeld = false;
}

// The gates of the mouse buttons, tested in this order: a result picture, the
// input block, the other side's turn (except between two players at one
// computer), a shot in flight.
bool VorletWindow::ButtonsIgnored() {
  const SharedState& s = state();
  if (AnyPictures()) return true;
  if (InputBlocked) return true;
  if (s.GameMode != "Human" && !s.LocalTurn) return true;
  return InFlight;
}

void VorletWindow::RMCanvas1_MouseDown(int16_t Button, int16_t /*Shift*/, float /*X*/,
                                       float /*Y*/) {
  if (ButtonsIgnored()) return;
  if (Button == 1) {
    NoRender = true;
    MouseMode = 1;
  } else if (Button == 2) {
    MouseMode = 2;
  }
}

void VorletWindow::RMCanvas1_MouseUp(int16_t Button, int16_t /*Shift*/, float /*X*/, float /*Y*/) {
  if (ButtonsIgnored()) return;
  MouseMode = 0;
  if (Button != 1) return;
  const SharedState& s = state();

  if (!KickMode) {
    LaunchFlick();
  } else {
    InFlight = true;
    GetFmain();
    if (s.GameMode == "INET") {
      SendFG(KickPos.x, KickPos.y, KickPos.z, Power, KickDir.x, KickDir.y, KickDir.z, KickUp.x,
             KickUp.y, KickUp.z, ShootingSide);
    }
    KickFB(KickPos.x, KickPos.y, KickPos.z, Power, KickDir.x, KickDir.y, KickDir.z, KickUp.x,
           KickUp.y, KickUp.z);
  }
}

// A local flick with the present Power, from the aim frame's pose: sent to
// the peer first in network play, then flown here.
void VorletWindow::LaunchFlick() {
  const rm::FramePtr& scene = Scene();
  AimFrame->GetOrientation(scene, FlickDir, FlickUp);
  AimFrame->GetPosition(scene, FlickPos);
  if (state().GameMode == "INET") {
    SendFlick(FlickPos.x, FlickPos.y, FlickPos.z, Power, FlickDir.x, FlickDir.y, FlickDir.z,
              FlickUp.x, FlickUp.y, FlickUp.z, ShootingSide);
  }
  Flick(FlickPos.x, FlickPos.y, FlickPos.z, Power, FlickDir.x, FlickDir.y, FlickDir.z, FlickUp.x,
        FlickUp.y, FlickUp.z, ShootingSide);
}

void VorletWindow::PrematureFlick() {
  InFlight = true;
  Power = 120;
  LaunchFlick();
  Power = 0;
  ProgressBar1.SetValue(0);
  MouseMode = 0;
}

void VorletWindow::PrematureKick() {
  const rm::FramePtr& scene = Scene();
  InFlight = true;
  Power = 30;
  AimFrame->GetPosition(scene, KickPos);
  AimFrame->GetOrientation(scene, KickDir, KickUp);
  if (state().GameMode == "INET") {
    SendFG(KickPos.x, KickPos.y, KickPos.z, Power, KickDir.x, KickDir.y, KickDir.z, KickUp.x,
           KickUp.y, KickUp.z, ShootingSide);
  }
  float force = 30;
  KickFB(KickPos.x, KickPos.y, KickPos.z, force, KickDir.x, KickDir.y, KickDir.z, KickUp.x,
         KickUp.y, KickUp.z);
  Power = 0;
  ProgressBar1.SetValue(0);
  MouseMode = 0;
}

}  // namespace kwinta
