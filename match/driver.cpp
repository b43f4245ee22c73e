// The match driver: the load handler of the play window runs the whole match
// in fixed-period frames and ends the program after the result window.
#include "app/state.h"
#include "app/windows.h"
#include "match/frmVorlet.h"
#include "platform/error.h"
#include "platform/frame_stats.h"

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
  InitMouse();
  RoundNo = 0;
  Reset();
  if (s.GameMode == "INET") {
    Text1.enabled = true;
    Text2.enabled = true;
  }
  platform::ShowCursor(false);
  if (s.SoundOn) {
    s.SndCrowd->Play(platform::DSBPLAY_LOOPING);
    s.SndCrowd2->Play(platform::DSBPLAY_LOOPING);
  }
  if (s.GameMode == "INET") SendVersion();

  const bool inet = s.GameMode == "INET";
  while (RoundNo < s.NumRounds) {
    if (!inet) RoundNo = RoundNo + 1;
    Label1.caption = "Round: " + std::to_string(RoundNo) + " of " + std::to_string(s.NumRounds);
    if (inet) SyncScore();
    // Only the host of a network match counts here; a session that was
    // created and cancelled must not shorten a later local match.
    if (inet && s.IsHost) RoundNo = RoundNo + 1;
    PostScore();
    RunTurnLoop("A", Turn::Local);
    if (inet) SyncScore();
    if (s.GameMode == "Computer") RunTurnLoop("B", Turn::Computer);
    if (inet) {
      InputBlocked = true;
      if (!s.IsHost) RoundNo = RoundNo + 1;
      PostScore();
      RunTurnLoop("C", Turn::Watch);
    }
    if (s.GameMode == "Human") RunTurnLoop("D", Turn::SecondPlayer);
  }

  if (inet && !s.IsHost) {
    // The joiner's turn of the last round comes after its round loop.
    RunTurnLoop("A", Turn::Local);
    SendOver();
  }
  // The joiner's last turn can end after the host's last watch loop: a good
  // field goal is judged on the kicker's side alone, and its score comes
  // after the kick's "Continue". Its "OVER" follows everything it sent.
  if (inet && s.IsHost) WaitForOver();
  EndOfMatch();
}

void VorletWindow::WaitForOver() {
  InFlight = true;  // no more shots from this side
  RunTurnLoop("C", Turn::PeerEnd);
}

void VorletWindow::RunTurnLoop(const char* marker, Turn turn) {
  const SharedState& s = state();
  auto goesOn = [&] {
    switch (turn) {
      case Turn::Local:
        return s.LocalTurn;
      case Turn::Watch:
        return !s.LocalTurn;
      case Turn::Computer:
      case Turn::SecondPlayer:
        return ShootingSide == 2;
      case Turn::PeerEnd:
        return !PeerOver;
    }
    return false;
  };
  while (goesOn()) MatchFrame(marker, turn);
}

void VorletWindow::MatchFrame(const char* marker, Turn turn) {
  SharedState& s = state();
  std::string wmod = marker;
  WhatPlayer(wmod);
  if (turn == Turn::Local && s.GameMode == "INET") CheckMessages();
  StartFrame(s.FrameMs);
  Wind();
  switch (turn) {
    case Turn::Local:
    case Turn::SecondPlayer:
      CheckMouse();
      SetMouse();
      break;
    case Turn::Computer:
      CompShot1();
      break;
    case Turn::Watch:
      CameraFrame->SetPosition(Scene(), 100, 20, 0);
      CameraFollowBall();
      CheckMessages();
      break;
    case Turn::PeerEnd:
      CheckMessages();
      break;
  }
  platform::DoEvents();
  Show();
  if (!NoRender) RMCanvas1.Render();
  WaitForDeadline();
}

void VorletWindow::EndOfMatch() {
  SharedState& s = state();
  PlaySound(s.SndWis3, platform::DSBPLAY_DEFAULT);
  InFlight = true;
  platform::ShowCursor(true);
  PlaySound(s.SndGuit2, platform::DSBPLAY_DEFAULT);
  PlaySound(s.SndTheme, platform::DSBPLAY_LOOPING);
  if (HomeScore > AwayScore) {
    PlaySound(s.SndYeah2, platform::DSBPLAY_DEFAULT);
    frmHome().ShowModal();
  }
  if (AwayScore > HomeScore) {
    PlaySound(s.SndBoo, platform::DSBPLAY_DEFAULT);
    frmAway().ShowModal();
  }
  if (HomeScore == AwayScore) {
    PlaySound(s.SndYeah, platform::DSBPLAY_DEFAULT);
    frmTie().ShowModal();
  }
  platform::End();
}

void VorletWindow::WhatPlayer(std::string& /*WMOD*/) {}

void VorletWindow::StartFrame(int32_t period) {
  FrameStart = platform::timeGetTime();
  platform::stats::FrameStarted(FrameStart, period);
  FrameDeadline =
      static_cast<int32_t>(static_cast<uint32_t>(FrameStart) + static_cast<uint32_t>(period));
}

// Compared through the difference, so a frame keeps its period when the
// millisecond clock wraps.
bool VorletWindow::BeforeDeadline() const {
  const uint32_t now = static_cast<uint32_t>(platform::timeGetTime());
  return static_cast<int32_t>(now - static_cast<uint32_t>(FrameDeadline)) < 0;
}

void VorletWindow::WaitForDeadline() {
  while (BeforeDeadline()) platform::DoEvents(FrameDeadline);
}

}  // namespace kwinta
