#include "app/frmNewNet.h"

#include <cmath>

#include "app/state.h"
#include "app/windows.h"
#include "builtin_content.h"
#include "net/module1.h"
#include "platform/error.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta {

using platform::RGB;

namespace {

constexpr uint32_t kHeadingColour = RGB(255, 220, 64);
constexpr uint32_t kTextColour = RGB(236, 236, 236);

void Heading(platform::Label& label, const char* text, int left, int top, int width) {
  label.caption = text;
  label.Move(left, top, width, 18);
  label.bold = true;
  label.fontSize = 10;
  label.foreColor = kHeadingColour;
}

void Caption(platform::Label& label, const char* text, int left, int top, int width) {
  label.caption = text;
  label.Move(left, top, width, 18);
  label.bold = true;
  label.foreColor = kTextColour;
}

void Command(platform::Button& button, const char* text, int left, int top, int width,
             std::function<void()> click) {
  button.caption = text;
  button.Move(left, top, width, 26);
  button.onClick = std::move(click);
}

}  // namespace

NewNetWindow::NewNetWindow() : Form("frmNewNet") {}

void NewNetWindow::Design() {
  caption = "Kwinta V1.01";
  clientWidth = 640;
  clientHeight = 480;
  picture = content::pics_startup_png;
  centred = true;
  backColor = RGB(16, 40, 32);

  Heading(Label5, "Game Options:", 24, 100, 200);
  Caption(Label7, "Stadium/Sky On:", 24, 126, 124);
  Check1.Move(152, 124, 22, 22);
  Check1.value = 1;
  Check1.onClick = [this] { Check1_Click(); };
  Command(Command1, "VS, Computer", 24, 156, 131, [this] { Command1_Click(); });
  Command(Command2, "VS. Human", 163, 156, 131, [this] { Command2_Click(); });
  Command(Command3, "Controls", 24, 190, 86, [this] { Command3_Click(); });
  Command(Command6, "Background", 116, 190, 86, [this] { Command6_Click(); });
  Command(Command7, "ReadMe", 208, 190, 86, [this] { Command7_Click(); });
  Heading(Label8, "Rules:", 24, 232, 120);
  Label9.caption =
      "A touchdown is worth 6 points: flick the football so that part of it hangs over the "
      "far edge of the field without falling off.\n\n"
      "Each player has 3 chances, and the touchdown counts on the 3rd attempt only. Crossing "
      "the edge earlier is a penalty.\n\n"
      "Reach the circular bonus area near the goal post on the 1st attempt for 3 points.\n\n"
      "After a touchdown, a field goal through the moving posts is worth 1 more point.\n\n"
      "Good Luck!";
  Label9.Move(24, 254, 270, 204);
  Label9.wordWrap = true;
  Label9.foreColor = kTextColour;

  Heading(Label4, "Network Play Options:", 330, 100, 286);
  Caption(Label2, "Connection Methods:", 330, 124, 286);
  lstConnections.Clear();
  lstConnections.Move(330, 144, 286, 52);
  Command(cmdConnect, "Connect", 330, 202, 90, [this] { cmdConnect_Click(); });
  Caption(Label1, "Session Name:", 330, 240, 108);
  txtName.text = "TAKW";
  txtName.Move(440, 237, 176, 24);
  Command(cmdCreate, "Create", 330, 270, 67, [this] { cmdCreate_Click(); });
  Command(cmdJoin, "Join", 403, 270, 67, [this] { cmdJoin_Click(); });
  Command(Command4, "Refresh", 476, 270, 67, [this] { Command4_Click(); });
  Command(Command5, "Cancel", 549, 270, 67, [this] { Command5_Click(); });
  Caption(Label3, "Available Games (Local Network):", 330, 306, 286);
  lstSessions.Clear();
  lstSessions.Move(330, 326, 286, 90);
  Command(Command8, "What's my IP address?", 330, 426, 286, [this] { Command8_Click(); });
  ResetButtons();
}

void NewNetWindow::Form_Load() {
  SharedState& s = state();

  platform::Randomize();
  SessionSuffix = static_cast<int16_t>(std::floor(platform::Rnd() * 10000.0));
  txtName.text = txtName.text + std::to_string(SessionSuffix);

  s.NumRounds = 5;
  s.SceneryOn = true;
  WaitCancelled = false;
  s.SoundOn = true;

  // A sound failure anywhere from the device to the last menu sound turns the
  // sound off and carries on at the display test, skipping the rest.
  try {
    if (!s.Dx7) s.Dx7 = std::make_shared<platform::DirectX7>();
    s.DSound = s.Dx7->DirectSoundCreate("");
  } catch (const platform::Error&) {
    SoundFailed();
  }
  for (;;) {
    DisplayTest();
    if (!s.SoundOn) break;
    try {
      LoadSounds();
      break;
    } catch (const platform::Error&) {
      SoundFailed();
    }
  }

  try {
    InitDirectPlay();
    for (int i = 1; i <= s.DPConnections->GetCount(); ++i) {
      lstConnections.AddItem(s.DPConnections->GetName(i));
    }
    lstConnections.SetListIndex(1);
  } catch (const platform::Error&) {
    platform::MsgBox(
        "Error Initializing DirectPlay.  Please make sure that you have the latest DirectX7 "
        "Drivers installed.",
        platform::vbOKOnly, "Error initializing DirectPlay.");
    ResetButtons();
  }
}

void NewNetWindow::SoundFailed() {
  state().SoundOn = false;
  platform::MsgBox(
      "Kwinta will run without sound.  Please make sure that you have the latest DirectX7 "
      "Drivers installed.",
      platform::vbOKOnly, "Error initializing DirectSound.");
}

void NewNetWindow::DisplayTest() {
  if (state().Dx7->SystemBpp() != 16) {
    platform::MsgBox(
        "Kwinta was designed to run in High Color (16 bit).  Please check your display "
        "settings.",
        platform::vbCritical, "Error:");
    platform::End();
  }
}

void NewNetWindow::LoadSounds() {
  SharedState& s = state();
  s.DSound->SetCooperativeLevel(hWnd(), platform::DSSCL_PRIORITY);
  const std::string folder = platform::AppPath();
  auto load = [&](const char* literal) {
    return s.DSound->CreateSoundBufferFromFile(folder + literal, s.SoundBufferDesc,
                                               s.SoundWaveFormat);
  };
  s.SndCrowd = load("\\crowd.daw");
  s.SndCrowd2 = load("\\crowd2.daw");
  s.SndYeah = load("\\yeah.daw");
  s.SndYeah2 = load("\\yeah2.daw");
  s.SndBoo = load("\\boo.daw");
  s.SndTheme = load("\\theme.daw");
  s.SndGuit2 = load("\\guit2.daw");
  s.SndSwoosh = load("\\swoosh.daw");
  s.SndWis1 = load("\\wis1.daw");
  s.SndWis2 = load("\\wis2.daw");
  s.SndWis3 = load("\\wis3.daw");

  s.SndCrowd2->Play(platform::DSBPLAY_LOOPING);
  s.SndCrowd->Play(platform::DSBPLAY_LOOPING);
  s.SndYeah2->Play(platform::DSBPLAY_DEFAULT);
  s.SndTheme->Play(platform::DSBPLAY_LOOPING);
  s.SndGuit2->Play(platform::DSBPLAY_DEFAULT);
}

void NewNetWindow::Form_QueryClose() {
  if (!MatchRunning()) Unload();
}

void NewNetWindow::Check1_Click() {
  state().SceneryOn = (Check1.value != 0);
}

bool NewNetWindow::MatchRunning() {
  return frmVorlet().Loaded();
}

void NewNetWindow::StartLocalMatch(const char* mode) {
  if (MatchRunning()) return;
  Hide();
  state().GameMode = mode;
  // A failed Join leaves the turn with the local side, which would hand the
  // first possession to the other side: a local match always starts with it.
  state().LocalTurn = false;
  frmVorlet().Show();
}

void NewNetWindow::Command1_Click() {
  StartLocalMatch("Computer");
}
void NewNetWindow::Command2_Click() {
  StartLocalMatch("Human");
}
void NewNetWindow::Command3_Click() {
  frmControls().ShowModal();
}
void NewNetWindow::Command6_Click() {
  frmBackground().ShowModal();
}
void NewNetWindow::Command7_Click() {
  frmText().ShowModal();
}

}  // namespace kwinta
