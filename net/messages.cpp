// The in-game messages of a network match: the senders, the reader that the
// play window polls, the wait for the peer's "Continue" and the chat line.
#include <cmath>

#include "app/state.h"
#include "match/frmVorlet.h"
#include "platform/error.h"

namespace kwinta {

namespace {

// Well above any force a player can give (120 at the most). A larger one is
// no shot of this game: a non-finite one would never come to rest, and a huge
// one would fly for minutes, far beyond the table.
constexpr float kLargestForce = 200;
// The meter fills in steps of 8, so a shot's force is 0 or at least 8. A
// kick with a force that is not 0 but next to nothing would rise by so little
// per frame, and slow its rise by less still, that it never came down.
constexpr float kSmallestForce = 1;
// A kick leaves -(its force)/40 in the meter until the next possession
// starts, and a flick let go in the same pass of input as the kick's release
// flies with it: the one negative force an honest peer sends. A kick's force
// is a number of steps of 8, and above 100 the kick goes off by itself.
constexpr float kMostKickLeftover = -(100.0f / 40);
constexpr float kLeastKickLeftover = -(8.0f / 40);
// No match comes near this score; a peer's score above it is not merged, so
// that the points this machine adds later cannot overflow.
constexpr int32_t kHighestScore = 1000000;

using Message = std::shared_ptr<platform::DirectPlayMessage>;

Message& NewMessage(const char* kind) {
  SharedState& s = state();
  s.OutMsg = s.DPlay->CreateMessage();
  s.OutMsg->WriteString(kind);
  return s.OutMsg;
}

void SendOut() {
  SharedState& s = state();
  s.DPlay->Send(s.MyPlayerId, platform::DPID_ALLPLAYERS, platform::DPSEND_GUARANTEED, s.OutMsg);
}

void WriteShot(const char* kind, float x, float y, float z, float force, float x1, float y1,
               float z1, float x2, float y2, float z2, int16_t player) {
  Message& m = NewMessage(kind);
  for (float v : {x, y, z, force, x1, y1, z1, x2, y2, z2}) m->WriteSingle(v);
  m->WriteLong(player);
  SendOut();
}

using PeerShot = VorletWindow::PeerShot;

// The eleven values of a "Flick" or "Goal", read in full before any is used.
bool ReadShot(platform::DirectPlayMessage& m, PeerShot& shot) {
  float values[10];
  for (float& v : values) {
    v = m.ReadSingle();
    if (!std::isfinite(v)) return false;
  }
  // The sender's own side: 1 in its own turn, and never other than 1 or 2.
  int32_t player = m.ReadLong();
  if (player != 1 && player != 2) return false;
  const float force = values[3];
  const bool fits =
      force < 0 ? shot.kind == "Flick" && force >= kMostKickLeftover && force <= kLeastKickLeftover
                : force <= kLargestForce && (force == 0 || force >= kSmallestForce);
  if (!fits) return false;
  std::copy(values, values + 3, shot.pos);
  shot.force = values[3];
  std::copy(values + 4, values + 7, shot.dir);
  std::copy(values + 7, values + 10, shot.up);
  shot.player = static_cast<int16_t>(player);
  return true;
}

// What a received "END" does: the game is over.
[[noreturn]] void AwayTeamDisconnected() {
  SharedState& s = state();
  PlaySound(s.SndWis3, platform::DSBPLAY_DEFAULT);
  platform::ShowCursor(true);
  platform::MsgBox("Away Team Disconnected!", platform::vbOKOnly, "Game Over:");
  platform::End();
}

// Where a flick can start: the football lies on the table top, and the
// table spans x from -25 to 25 and z from -90 to 95 (a little slack for
// rounding). A start anywhere else has no place in the match, and far off it
// the camera that follows the football could not even aim at it.
bool OnTheTable(const float* pos) {
  return std::fabs(pos[0]) <= 26 && std::fabs(pos[1]) <= 1 && pos[2] >= -91 && pos[2] <= 96;
}

// A flick flies along its direction with its up vector. The sender reads
// both off its aim frame, so they are of unit length and at right angles;
// a pose far from that (a vector next to nothing, or up almost along the
// direction) gives no frame to fly in, or one that rounding breaks. A kick
// flies from this machine's own aim frame, but its sender read the pose off
// its aim frame too: one that no aim frame could have is no kick of a match.
bool UsablePose(const PeerShot& shot) {
  if (!OnTheTable(shot.pos)) return false;
  const float* d = shot.dir;
  const float* u = shot.up;
  const float dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  const float uu = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
  if (dd < 0.25f || dd > 4 || uu < 0.25f || uu > 4) return false;
  const float cx = u[1] * d[2] - u[2] * d[1];
  const float cy = u[2] * d[0] - u[0] * d[2];
  const float cz = u[0] * d[1] - u[1] * d[0];
  // At least 30 degrees between them.
  return cx * cx + cy * cy + cz * cz >= 0.25f * dd * uu;
}

}  // namespace

void VorletWindow::SendFlick(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1,
                             float& Y1, float& Z1, float& X2, float& Y2, float& Z2,
                             int16_t& Player) {
  WriteShot("Flick", FrameX, FrameY, FrameZ, Force, X1, Y1, Z1, X2, Y2, Z2, Player);
}

void VorletWindow::SendFG(float& FrameX, float& FrameY, float& FrameZ, float& Force, float& X1,
                          float& Y1, float& Z1, float& X2, float& Y2, float& Z2, int16_t& Player) {
  WriteShot("Goal", FrameX, FrameY, FrameZ, Force, X1, Y1, Z1, X2, Y2, Z2, Player);
}

void VorletWindow::SyncScore() {
  Message& m = NewMessage("Score");
  m->WriteLong(HomeScore);
  m->WriteLong(AwayScore);
  m->WriteLong(RoundNo);
  SendOut();
  PostScore();
}

void VorletWindow::SendText() {
  NewMessage("MESSAGE")->WriteString(Text2.text.substr(0, platform::DirectPlayMessage::kMaxString));
  SendOut();
  Text2.text.clear();
  RMCanvas1.SetFocus();
}

void VorletWindow::Text2_KeyPress(int16_t& KeyAscii) {
  if (KeyAscii == 13) SendText();
}

void VorletWindow::SendEnd() {
  NewMessage("END");
  SendOut();
}

void VorletWindow::SendContinue() {
  NewMessage("Continue");
  SendOut();
}

void VorletWindow::SendVersion() {
  Message& m = NewMessage("Version");
  m->WriteString("KW");
  m->WriteLong(1);
  SendOut();
}

void VorletWindow::SendMessage() {
  NewMessage("Hello this is a test");
  SendOut();
}

void VorletWindow::SendResult(int16_t MES) {
  NewMessage("RESULT")->WriteLong(MES);
  SendOut();
}

void VorletWindow::SendOver() {
  NewMessage("OVER");
  SendOut();
}

void VorletWindow::CheckMessages() {
  SharedState& s = state();
  // A held shot comes first; the messages behind it wait with it.
  if (HeldShot) {
    const ShotFit fit = FitOf(*HeldShot);
    if (fit == ShotFit::Hold) return;
    const PeerShot shot = *HeldShot;
    HeldShot.reset();
    if (fit == ShotFit::Replay) {
      Show();
      Replay(shot);
      return;
    }
  }
  s.MsgCount = s.DPlay->GetMessageCount(s.MyPlayerId);
  if (s.MsgCount <= 0) return;
  Show();
  s.InMsg = s.DPlay->Receive(s.MsgFromId, s.MsgToId, platform::DPRECEIVE_ALL);
  s.MsgCount = s.MsgCount - 1;
  Message msg = s.InMsg;

  // A message that lacks a field, or holds one of another type, is dropped
  // whole: every field is read before anything takes effect.
  auto read = [](auto&& body) {
    try {
      body();
      return true;
    } catch (const platform::Error&) {
      return false;
    }
  };
  std::string kind;
  if (!read([&] { kind = msg->ReadString(); })) return;

  if (kind == "Flick" || kind == "Goal") {
    PeerShot shot;
    shot.kind = kind;
    bool ok = false;
    if (!read([&] { ok = ReadShot(*msg, shot); }) || !ok) return;
    if (!UsablePose(shot)) return;
    switch (FitOf(shot)) {
      case ShotFit::Replay:
        Replay(shot);
        break;
      case ShotFit::Hold:
        HeldShot = shot;
        break;
      case ShotFit::Drop:
        break;
    }
  } else if (kind == "MESSAGE") {
    std::string line;
    if (!read([&] { line = msg->ReadString(); })) return;
    PlaySound(s.SndWis1, platform::DSBPLAY_DEFAULT);
    Text1.text = line;
  } else if (kind == "Version") {
    std::string tag;
    int32_t version = 0;
    if (!read([&] {
          tag = msg->ReadString();
          version = msg->ReadLong();
        })) {
      return;
    }
    Label5.caption = "OV:" + tag + ":" + std::to_string(version);
  } else if (kind == "Score") {
    int32_t a = 0, b = 0;
    if (!read([&] {
          a = msg->ReadLong();
          b = msg->ReadLong();
        })) {
      return;
    }
    if (a > kHighestScore || b > kHighestScore) return;
    if (a > AwayScore) AwayScore = a;
    if (b > HomeScore) HomeScore = b;
    PostScore();
  } else if (kind == "RESULT") {
    int32_t n = 0;
    if (!read([&] { n = msg->ReadLong(); })) return;
    InputBlocked = true;
    if (n >= 1 && n <= 7) {
      using S = SharedState;
      static const struct {
        S::Buffer S::*before;
        S::Buffer S::*after;
      } sounds[8] = {{nullptr, nullptr},         {nullptr, &S::SndBoo},   {nullptr, &S::SndYeah2},
                     {&S::SndWis2, &S::SndBoo},  {nullptr, &S::SndYeah2}, {nullptr, &S::SndBoo},
                     {&S::SndWis1, &S::SndYeah}, {nullptr, &S::SndYeah2}};
      if (sounds[n].before) PlaySound(s.*sounds[n].before, platform::DSBPLAY_DEFAULT);
      Picture(n).visible = true;
      Refresh();
      if (sounds[n].after) PlaySound(s.*sounds[n].after, platform::DSBPLAY_DEFAULT);
      CanIContinue();
      Picture(n).visible = false;
      RMCanvas1.SetFocus();
    }
    InputBlocked = false;
  } else if (kind == "END") {
    AwayTeamDisconnected();
  } else if (kind == "OVER") {
    // The joiner sends it after its turn of the last round, which follows
    // this machine's own; one before that is no end of the match, and would
    // cut short the wait for the joiner's last field goal.
    if (RoundNo >= s.NumRounds) PeerOver = true;
  }
}

// A peer's shot is replayed when this machine watches for one of its kind: a
// flick in the watch loop, a kick in the wait of the point after. One that
// comes while another is being replayed waits until that has returned (a
// watcher that fell behind reads the next shot inside the last one's result
// wait). One that can't be what is awaited, or that comes in this machine's
// own turn, is no shot of the match and is dropped.
VorletWindow::ShotFit VorletWindow::FitOf(const PeerShot& shot) const {
  if (state().LocalTurn) return ShotFit::Drop;
  const bool awaitingKick = KickMode && !ReplayingKick;
  const bool awaitingFlick = !KickMode && !ReplayingFlick && !ReplayingKick;
  if (shot.kind == "Goal" ? awaitingKick : awaitingFlick) return ShotFit::Replay;
  if (awaitingKick || awaitingFlick) return ShotFit::Drop;
  return ShotFit::Hold;
}

void VorletWindow::Replay(const PeerShot& shot) {
  struct Replaying {
    bool& flag;
    explicit Replaying(bool& f) : flag(f) { flag = true; }
    ~Replaying() { flag = false; }
  };
  PeerShot launch = shot;
  Power = shot.force;
  ShootingSide = shot.player;
  if (shot.kind == "Flick") {
    Replaying replaying(ReplayingFlick);
    Flick(launch.pos[0], launch.pos[1], launch.pos[2], Power, launch.dir[0], launch.dir[1],
          launch.dir[2], launch.up[0], launch.up[1], launch.up[2], ShootingSide);
  } else {
    // The kick flies from this machine's own aim frame.
    Replaying replaying(ReplayingKick);
    GetFmain();
    KickFB(KickPos.x, KickPos.y, KickPos.z, Power, KickDir.x, KickDir.y, KickDir.z, KickUp.x,
           KickUp.y, KickUp.z);
  }
}

void VorletWindow::CanIContinue() {
  SharedState& s = state();
  bool goOn = false;
  while (!goOn) {
    s.MsgCount = s.DPlay->GetMessageCount(s.MyPlayerId);
    if (s.MsgCount > 0) {
      s.InMsg = s.DPlay->Receive(s.MsgFromId, s.MsgToId, platform::DPRECEIVE_ALL);
      s.MsgCount = s.MsgCount - 1;
      std::string kind;
      try {
        kind = s.InMsg->ReadString();
      } catch (const platform::Error&) {
      }
      goOn = kind == "Continue";
      // A peer that has left never sends "Continue": the session then hands
      // out "END", and the wait ends the game as the reader does.
      if (kind == platform::kPeerGoneKind && s.DPlay->PeerGone()) AwayTeamDisconnected();
    }
    platform::DoEvents();
  }
}

}  // namespace kwinta
