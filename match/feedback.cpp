// The labels of the play window: the side to play, the shots, the round and
// the scores.
#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

void VorletWindow::TurnColor() {
  if (ShootingSide == 1) {
    lblPlayer1.foreColor = kSideToPlay;
    Label3.visible = true;
    Label4.visible = false;
  } else {
    lblPlayer1.foreColor = kOtherSide;
    Label4.visible = true;
    Label3.visible = false;
  }
  if (ShootingSide == 2) {
    Label4.visible = true;
    Label3.visible = false;
    lblPlayer2.foreColor = kSideToPlay;
  } else {
    Label3.visible = true;
    Label4.visible = false;
    lblPlayer2.foreColor = kOtherSide;
  }
  Label2.caption = "Shots: " + std::to_string(ShotsLeft);
  Label1.caption = "Round: " + std::to_string(RoundNo) + " of " + std::to_string(state().NumRounds);
}

void VorletWindow::PostScore() {
  lblPlayer1.caption = "Home Team Score: " + std::to_string(HomeScore);
  lblPlayer2.caption = "Away Team Score: " + std::to_string(AwayScore);
  Label1.caption = "Round: " + std::to_string(RoundNo) + " of " + std::to_string(state().NumRounds);
}

}  // namespace kwinta

namespace kwinta {

namespace {

// The sounds of a result picture, by who made the shot.
struct ResultSounds {
  SharedState::Buffer SharedState::*own[2];
  SharedState::Buffer SharedState::*other[2];
};

const ResultSounds& SoundsFor(int16_t mes) {
  using S = SharedState;
  static const ResultSounds table[8] = {
      {{nullptr, nullptr}, {nullptr, nullptr}},
      {{&S::SndYeah, nullptr}, {nullptr, nullptr}},              // It's Good !
      {{&S::SndBoo, nullptr}, {&S::SndYeah2, nullptr}},          // It's No Good !
      {{&S::SndYeah2, &S::SndWis2}, {&S::SndBoo, &S::SndWis2}},  // Touchdown !!
      {{nullptr, nullptr}, {&S::SndYeah2, nullptr}},             // Turnover !
      {{&S::SndYeah, nullptr}, {nullptr, nullptr}},              // 3 Points !
      {{&S::SndWis1, nullptr}, {&S::SndYeah, &S::SndWis1}},      // Penalty !!
      {{nullptr, nullptr}, {&S::SndYeah2, nullptr}},             // Short of End Zone !
  };
  return table[(mes >= 1 && mes <= 7) ? mes : 0];
}

}  // namespace

void VorletWindow::ShowMessage(int16_t MES) {
  SharedState& s = state();
  TurnColor();
  if (s.GameMode == "INET" && !s.LocalTurn) {
    // Watching the peer's shot: its own "RESULT" shows the picture here.
    MyDelay2();
    return;
  }
  InputBlocked = true;
  const ResultSounds& sounds = SoundsFor(MES);
  for (auto buffer : s.LocalTurn ? sounds.own : sounds.other) {
    if (buffer) PlaySound(s.*buffer, platform::DSBPLAY_DEFAULT);
  }
  Picture(MES).visible = true;
  if (s.GameMode == "INET") SendResult(MES);
  Refresh();
  MyDelay();
  if (s.GameMode == "INET") SendContinue();
  Picture(MES).visible = false;
  RMCanvas1.SetFocus();
  InputBlocked = false;
}

void VorletWindow::MyDelay() {
  InputBlocked = true;
  StartFrame(3000);
  while (BeforeDeadline()) platform::DoEvents(FrameDeadline);
  InputBlocked = false;
}

void VorletWindow::MyDelay2() {
  InputBlocked = true;
  StartFrame(1000);
  while (BeforeDeadline()) {
    CheckMessages();
    platform::DoEvents(FrameDeadline);
  }
  InputBlocked = false;
}

bool VorletWindow::AnyPictures() {
  bool any = false;
  for (int mes = 1; mes <= 7; ++mes) {
    if (Picture(mes).visible) any = true;
  }
  return any;
}

}  // namespace kwinta
