// The network half of the start-up window: Connect, Refresh, Create with the
// host's wait, Join, Cancel and the button reset.
#include <string>

#include "app/frmNewNet.h"
#include "app/state.h"
#include "app/windows.h"
#include "net/module1.h"
#include "platform/error.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta {

namespace {

constexpr const char* kTitle = "Error initializing DirectPlay.";
constexpr const char* kConnectFailed =
    "Error Initializing DirectPlay.  Please make sure that you have the latest DirectX7 Drivers "
    "installed.";
constexpr const char* kCreateFailed =
    "An error was encountered while attempting to create a DirectPlay session.  Please make sure "
    "that you entered a Session Name and that you have the latest DirectX Drivers installed.";
constexpr const char* kJoinFailed = "You must select a game to join.";

platform::DirectPlay4& DPlay() {
  if (!state().DPlay) throw platform::Error("no DirectPlay object");
  return *state().DPlay;
}

}  // namespace

void NewNetWindow::cmdConnect_Click() {
  if (MatchRunning()) return;
  SharedState& s = state();
  lstSessions.Clear();
  cmdConnect.enabled = false;
  try {
    InitDirectPlay();
  } catch (const platform::Error&) {
    // Before Connect's own failure path: reported the same way all the same.
    platform::MsgBox(kConnectFailed, platform::vbOKOnly, kTitle);
    ResetButtons();
    return;
  }
  const int item = lstConnections.listIndex + 1;
  try {
    DPlay().InitializeConnection(s.DPConnections->GetAddress(item));
    ListSessions();
    cmdJoin.enabled = true;
    cmdCreate.enabled = true;
    Command4.enabled = true;
  } catch (const platform::Error&) {
    platform::MsgBox(kConnectFailed, platform::vbOKOnly, kTitle);
    ResetButtons();
  }
}

void NewNetWindow::ListSessions() {
  SharedState& s = state();
  s.DPSessions.reset();
  SessionDesc = DPlay().CreateSessionData();
  SessionDesc->SetGuidApplication(AppGuid);
  SessionDesc->SetSessionPassword("");
  s.DPSessions = DPlay().GetDPEnumSessions(SessionDesc, 0, platform::DPENUMSESSIONS_AVAILABLE);
  const int32_t count = s.DPSessions->GetCount();
  for (int32_t i = 1; i <= count; ++i) {
    SessionDesc = s.DPSessions->GetItem(i);
    lstSessions.AddItem(SessionDesc->GetSessionName() + " (" +
                        std::to_string(SessionDesc->GetCurrentPlayers()) + "/" +
                        std::to_string(SessionDesc->GetMaxPlayers()) + ")");
  }
}

void NewNetWindow::Command4_Click() {
  if (MatchRunning()) return;
  Command4.enabled = false;
  cmdJoin.enabled = false;
  cmdCreate.enabled = false;
  lstSessions.Clear();
  try {
    ListSessions();
  } catch (const platform::Error&) {
    // No failure path of its own: the list keeps what was found, and the
    // window is connected again as after any Refresh.
  }
  Command4.enabled = true;
  cmdJoin.enabled = true;
  cmdCreate.enabled = true;
}

void NewNetWindow::cmdCreate_Click() {
  if (MatchRunning()) return;
  SharedState& s = state();
  cmdCreate.enabled = false;
  if (txtName.text.empty()) {
    platform::MsgBox(kCreateFailed, platform::vbOKOnly, kTitle);
    ResetButtons();
    return;
  }
  try {
    s.LocalTurn = false;
    s.GameMode = "INET";
    s.IsHost = true;
    SessionDesc = DPlay().CreateSessionData();
    SessionDesc->SetMaxPlayers(2);
    SessionDesc->SetSessionName(txtName.text);
    SessionDesc->SetGuidApplication(AppGuid);
    SessionDesc->SetFlags(platform::DPSESSION_MIGRATEHOST);
    DPlay().Open(SessionDesc, platform::DPOPEN_CREATE);
    std::string friendly = "Quibly", formal = "Player1";
    CreatePlayerHelper(friendly, formal);
    WaitingForPlayer = true;
    Command5.enabled = true;
    cmdJoin.enabled = false;
    Command4.enabled = false;
    // The host's wait: no time limit, no pause.
    while (WaitingForPlayer) {
      CheckMessages();
      platform::DoEvents();
      Show();
    }
    if (WaitCancelled) {
      WaitCancelled = false;
      // Cancel closes the session here, once the poll it broke into has
      // returned: nobody can find or join it any more, and a player who got
      // in during the wait's last pass is told that the host has left.
      DPlay().Close();
      return;
    }
    frmVorlet().Show();
  } catch (const platform::Error&) {
    platform::MsgBox(kCreateFailed, platform::vbOKOnly, kTitle);
    ResetButtons();
  }
}

void NewNetWindow::CheckMessages() {
  SharedState& s = state();
  caption = "Polling...";
  s.MsgCount = DPlay().GetMessageCount(s.MyPlayerId);
  while (s.MsgCount > 0) {
    Show();
    s.InMsg = DPlay().Receive(s.MsgFromId, s.MsgToId, platform::DPRECEIVE_ALL);
    s.MsgCount = s.MsgCount - 1;
    WaitingForPlayer = false;
    platform::DoEvents();
  }
}

void NewNetWindow::cmdJoin_Click() {
  if (MatchRunning()) return;
  SharedState& s = state();
  try {
    s.GameMode = "INET";
    s.LocalTurn = true;
    s.IsHost = false;  // left over from a cancelled Create, it would spoil the match
    if (!s.DPSessions) throw platform::Error("no sessions have been listed");
    SessionDesc = s.DPSessions->GetItem(lstSessions.listIndex + 1);
    DPlay().Open(SessionDesc, platform::DPOPEN_JOIN);
    std::string friendly = "Vimbo", formal = "Player2";
    CreatePlayerHelper(friendly, formal);
    frmVorlet().Show();
  } catch (const platform::Error&) {
    platform::MsgBox(kJoinFailed, platform::vbOKOnly, kTitle);
    ResetButtons();
  }
}

void NewNetWindow::Command5_Click() {
  WaitCancelled = true;
  WaitingForPlayer = false;
  caption = "Kwinta V1.0";
  ResetButtons();
}

void NewNetWindow::ResetButtons() {
  cmdConnect.enabled = true;
  cmdJoin.enabled = false;
  cmdCreate.enabled = false;
  Command4.enabled = false;
  Command5.enabled = false;
}

}  // namespace kwinta
