// The labels of the play window: the side to play, the shots, the round and
// the scores.
#include "app/state.h"
#include "match/frmVorlet.h"

namespace kwinta {

namespace {
constexpr uint32_t kBright = 65535;
constexpr uint32_t kDull = 49344;
}  // namespace

void VorletWindow::TurnColor() {
  if (ShootingSide == 1) {
    lblPlayer1.foreColor = kBright;
    Label3.visible = true;
    Label4.visible = false;
  } else {
    lblPlayer1.foreColor = kDull;
    Label4.visible = true;
    Label3.visible = false;
  }
  if (ShootingSide == 2) {
    Label4.visible = true;
    Label3.visible = false;
    lblPlayer2.foreColor = kBright;
  } else {
    Label3.visible = true;
    Label4.visible = false;
    lblPlayer2.foreColor = kDull;
  }
  Label2.caption = "Shots: " + std::to_string(ShotsLeft);
  Label1.caption =
      "Round: " + std::to_string(RoundNo) + " of " + std::to_string(state().NumRounds);
}

void VorletWindow::PostScore() {
  lblPlayer1.caption = "Home Team Score: " + std::to_string(HomeScore);
  lblPlayer2.caption = "Away Team Score: " + std::to_string(AwayScore);
  Label1.caption =
      "Round: " + std::to_string(RoundNo) + " of " + std::to_string(state().NumRounds);
}

}  // namespace kwinta
