// The start-up window: the program's entry, the menu, the game option, the
// rules and (in its network half) the lobby.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/play/play.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"

namespace kwinta {

class NewNetWindow : public platform::Form {
 public:
  NewNetWindow();

  // Menu and options.
  platform::Label Label5{*this, "Label5"};
  platform::Label Label7{*this, "Label7"};
  platform::CheckBox Check1{*this, "Check1"};
  platform::Button Command1{*this, "Command1"};
  platform::Button Command2{*this, "Command2"};
  platform::Button Command3{*this, "Command3"};
  platform::Button Command6{*this, "Command6"};
  platform::Button Command7{*this, "Command7"};
  platform::Label Label8{*this, "Label8"};
  platform::Label Label9{*this, "Label9"};
  // Lobby.
  platform::Label Label4{*this, "Label4"};
  platform::Label Label2{*this, "Label2"};
  platform::ListBox lstConnections{*this, "lstConnections"};
  platform::Button cmdConnect{*this, "cmdConnect"};
  platform::Label Label1{*this, "Label1"};
  platform::TextBox txtName{*this, "txtName"};
  platform::Button cmdCreate{*this, "cmdCreate"};
  platform::Button cmdJoin{*this, "cmdJoin"};
  platform::Button Command4{*this, "Command4"};
  platform::Button Command5{*this, "Command5"};
  platform::Label Label3{*this, "Label3"};
  platform::ListBox lstSessions{*this, "lstSessions"};
  platform::Button Command8{*this, "Command8"};

  int16_t SessionSuffix = 0;
  bool WaitCancelled = false;
  std::shared_ptr<platform::DirectPlaySessionData> SessionDesc;
  bool WaitingForPlayer = false;

  void Check1_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command6_Click();
  void Command7_Click();

  // The lobby (net/lobby.cpp) and the address button (net/module2.cpp).
  void cmdConnect_Click();
  void cmdCreate_Click();
  void cmdJoin_Click();
  void Command4_Click();
  void Command5_Click();
  void Command8_Click();

  // Closing the window ends the program, but only while it is the only one:
  // beneath a running network match the close box does nothing.
  void Form_QueryClose() override;

  // The lobby's idle state: only "Connect" enabled.
  void ResetButtons();
  // The host's wait poll (public so that the fuzz target can drive it).
  void CheckMessages();

 protected:
  void Design() override;
  void Form_Load() override;

 private:
  // A network match keeps this window live beneath the play window; its
  // buttons then leave the match and its session alone.
  static bool MatchRunning();
  void StartLocalMatch(const char* mode);
  void SoundFailed();
  void LoadSounds();
  void DisplayTest();
  // Steps 7 to 9 of Connect: a search description, the search, the list.
  void ListSessions();
};

}  // namespace kwinta
