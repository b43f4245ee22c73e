// The match driver: the load handler of the play window.
#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

void VorletWindow::Form_Load() {
  SharedState& s = state();
  if (s.SoundOn) {
    s.SndCrowd2->Stop();
    s.SndCrowd->Stop();
    s.SndYeah2->Stop();
    s.SndTheme->Stop();
    s.SndWis2->Play(platform::DSBPLAY_DEFAULT);
    s.SndGuit2->Play(platform::DSBPLAY_DEFAULT);
  }
  Label1.caption = "Round: 1 of " + std::to_string(s.NumRounds);
  GoalStep = 1.0f;
  ShotsLeft = 3;
  s.FlightFrameMs = 20;
  s.FrameMs = 25;
  Friction = 0.6f;
  RMCanvas1.Init();
  RMCanvas1.Viewport().SetBack(5000.0f);
  BuildScene();
  RMCanvas1.Render();
  RoundNo = 0;
  Reset();
  if (s.GameMode == "INET") {
    Text1.enabled = true;
    Text2.enabled = true;
  }
  if (s.SoundOn) {
    s.SndCrowd->Play(platform::DSBPLAY_LOOPING);
    s.SndCrowd2->Play(platform::DSBPLAY_LOOPING);
  }
}

}  // namespace kwinta
