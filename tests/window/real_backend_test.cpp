// The real back end in this process under an X server: a window with the
// toolkit's controls is drawn and answers clicks and keys, a message box
// closes on OK, the 3D canvas shows its scene, the display depth and the
// pointer work, and sound reaches SDL's disk audio driver.
#include "platform/real/real_backend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>

#include "platform/canvas/rmcanvas.h"
#include "platform/error.h"
#include "platform/sound/sound.h"
#include "platform/toolkit/form.h"
#include "platform/toolkit/modal.h"
#include "platform/toolkit/toolkit.h"
#include "support/desktop.h"

namespace kwinta::testing {
namespace {

namespace fs = std::filesystem;
using platform::RGB;

fs::path ShotDir() {
  fs::path dir = fs::path(KWINTA_BIN_DIR).parent_path() / "screenshots";
  fs::create_directories(dir);
  return dir;
}

// Yields to the event loop until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    platform::DoEvents();
    if (done()) return true;
  }
  return false;
}

void Xdo(const std::string& args) {
  kwinta::testing::Run("xdotool " + args);
}

// The X screen's size, from xwininfo.
std::pair<int, int> ScreenSize() {
  std::string info = kwinta::testing::Run("xwininfo -root 2>/dev/null");
  auto field = [&](const std::string& name) {
    size_t at = info.find(name);
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + name.size());
  };
  return {field("Width:"), field("Height:")};
}

void Pump(double seconds) {
  PumpUntil([] { return false; }, seconds);
}

struct Rgb {
  int r, g, b;
};
Rgb Split(uint32_t c) {
  return {int(c >> 16) & 255, int(c >> 8) & 255, int(c) & 255};
}

class RealBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no X display";
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
    platform::ResetToolkit();
    platform::UseBackend(platform::real::CreateBackend());
  }
  void TearDown() override {
    if (platform::HasBackend()) platform::UseBackend(nullptr);
    platform::ResetToolkit();
  }
};

class ControlsWindow : public platform::Form {
 public:
  ControlsWindow() : Form("frmControlsTest") {}

  platform::Label heading{*this, "heading"};
  platform::Label rules{*this, "rules"};
  platform::Button play{*this, "play"};
  platform::Button idle{*this, "idle"};
  platform::CheckBox scenery{*this, "scenery"};
  platform::ListBox methods{*this, "methods"};
  platform::TextBox name{*this, "name"};
  platform::ProgressBar meter{*this, "meter"};

  int playClicks = 0;
  int sceneryClicks = 0;
  int listClicks = 0;
  int enters = 0;
  int backgroundClicks = 0;
  int closes = 0;

  void Form_Click() override { ++backgroundClicks; }
  void Form_QueryClose() override { ++closes; }

 protected:
  void Design() override {
    caption = "Real Back End Controls";
    clientWidth = 480;
    clientHeight = 320;
    backColor = RGB(16, 40, 32);
    heading.caption = "Game Options:";
    heading.Move(16, 12, 200, 18);
    heading.bold = true;
    heading.fontSize = 10;
    heading.foreColor = RGB(255, 220, 64);
    rules.caption =
        "A touchdown is worth 6 points: flick the football so that part of it hangs over the far "
        "edge of the field without falling off.";
    rules.Move(16, 36, 250, 60);
    rules.wordWrap = true;
    rules.bold = true;
    rules.foreColor = RGB(236, 236, 236);
    play.caption = "VS, Computer";
    play.Move(16, 110, 131, 26);
    play.onClick = [this] { ++playClicks; };
    idle.caption = "VS. Human";
    idle.Move(155, 110, 111, 26);
    idle.enabled = false;
    scenery.caption = "Stadium/Sky On";
    scenery.Move(16, 146, 160, 22);
    scenery.value = 1;
    scenery.onClick = [this] { ++sceneryClicks; };
    methods.Clear();
    methods.AddItem("Local Network Connection (UDP)");
    methods.AddItem("Internet TCP/IP Connection");
    methods.Move(280, 36, 186, 52);
    methods.SetListIndex(1);
    methods.onClick = [this] { ++listClicks; };
    name.text = "TAKW";
    name.Move(280, 100, 186, 24);
    name.onKeyPress = [this](int16_t& key) {
      if (key == 13) ++enters;
    };
    meter.Move(440, 140, 17, 160);
    meter.vertical = true;
    meter.SetValue(60);
  }
};

TEST_F(RealBackendTest, DrawsAFormWithItsControlsAndTurnsClicksAndKeysIntoEvents) {
  ControlsWindow w;
  w.Show();
  auto box = WaitForWindow("Real Back End Controls", 10);
  ASSERT_TRUE(box) << "the window is not listed by xwininfo";
  EXPECT_EQ(box->width, 480);
  EXPECT_EQ(box->height, 320);
  Pump(0.4);

  Image shot = Screenshot((ShotDir() / "real_controls.png").string(), box);
  ASSERT_EQ(shot.width, 480);
  EXPECT_GT(shot.DistinctColours(0, 0, 480, 320), 40) << "the window looks blank";
  // The background colour, the button face, the list's selection, the meter.
  Rgb back = Split(shot.At(470, 10));
  EXPECT_EQ(back.r, 16);
  EXPECT_EQ(back.g, 40);
  EXPECT_EQ(back.b, 32);
  Rgb face = Split(shot.At(20, 132));
  EXPECT_GT(face.r, 180);
  EXPECT_GT(shot.DistinctColours(16, 110, 131, 26), 6) << "the button has no caption";
  Rgb selected = Split(shot.At(455, 36 + 2 + 16 + 6));
  EXPECT_GT(selected.b, selected.r + 40) << "the second list item is not highlighted";
  Rgb meterLow = Split(shot.At(448, 290));
  Rgb meterHigh = Split(shot.At(448, 150));
  EXPECT_GT(meterLow.b, meterLow.r + 60) << "the meter is not filled from the bottom";
  EXPECT_GT(meterHigh.r, 150) << "the meter is filled above its value";
  EXPECT_GT(shot.DistinctColours(16, 36, 250, 60), 6) << "the label shows no text";

  ClickAt(box->x + 16 + 60, box->y + 110 + 13);
  EXPECT_TRUE(PumpUntil([&] { return w.playClicks == 1; }, 3)) << "the button click was lost";
  EXPECT_TRUE(w.play.HasFocus()) << "a clicked button takes the focus";

  ClickAt(box->x + 16 + 7, box->y + 146 + 11);
  EXPECT_TRUE(PumpUntil([&] { return w.sceneryClicks == 1; }, 3));
  EXPECT_EQ(w.scenery.value, 0);

  ClickAt(box->x + 300, box->y + 36 + 2 + 6);
  EXPECT_TRUE(PumpUntil([&] { return w.listClicks == 1; }, 3));
  EXPECT_EQ(w.methods.listIndex, 0);

  ClickAt(box->x + 300, box->y + 250);  // the bare background
  EXPECT_TRUE(PumpUntil([&] { return w.backgroundClicks == 1; }, 3));

  ClickAt(box->x + 155 + 50, box->y + 110 + 13);  // disabled: nothing happens
  Pump(0.3);

  ClickAt(box->x + 400, box->y + 100 + 12);
  EXPECT_TRUE(PumpUntil([&] { return w.name.HasFocus(); }, 3));
  Pump(0.2);
  Xdo("key End type --delay 40 '1234'");
  EXPECT_TRUE(PumpUntil([&] { return w.name.text == "TAKW1234"; }, 3)) << w.name.text;
  Xdo("key BackSpace");
  EXPECT_TRUE(PumpUntil([&] { return w.name.text == "TAKW123"; }, 3)) << w.name.text;
  Xdo("key Return");
  EXPECT_TRUE(PumpUntil([&] { return w.enters == 1; }, 3));
  EXPECT_EQ(w.name.text, "TAKW123");
  EXPECT_EQ(w.playClicks, 1);

  // Enter on a focused button clicks it.
  w.play.SetFocus();
  Pump(0.1);
  Xdo("key Return");
  EXPECT_TRUE(PumpUntil([&] { return w.playClicks == 2; }, 3));

  // A caption change reaches the window's title.
  w.caption = "Real Back End Renamed";
  Pump(0.2);
  EXPECT_TRUE(WaitForWindow("Real Back End Renamed", 3));

  w.Unload();
  Pump(0.1);
  EXPECT_TRUE(WaitForWindowGone("Real Back End Renamed", 3));
}

TEST_F(RealBackendTest, AMessageBoxShowsItsPromptAndClosesOnOk) {
  std::optional<WindowBox> seen;
  Image shot;
  std::thread clicker([&] {
    seen = WaitForWindow("Error initializing DirectSound.", 10);
    if (!seen) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    shot = Screenshot((ShotDir() / "real_message_box.png").string(), seen);
    // The OK button sits centred at the bottom.
    ClickAt(seen->x + seen->width / 2, seen->y + seen->height - 14 - 11);
  });
  auto start = std::chrono::steady_clock::now();
  platform::MsgBox(
      "Kwinta will run without sound.  Please make sure that you have the latest DirectX7 "
      "Drivers installed.",
      platform::vbCritical, "Error initializing DirectSound.");
  clicker.join();
  ASSERT_TRUE(seen) << "the message box never appeared";
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_GT(shot.DistinctColours(0, 0, shot.width, shot.height), 20);
  // The stop icon: red at its centre, white on its cross.
  Rgb icon = Split(shot.At(14 + 16 - 10, 14 + 16));
  EXPECT_GT(icon.r, 150);
  EXPECT_LT(icon.g, 80);
  Rgb cross = Split(shot.At(14 + 16, 14 + 16));
  EXPECT_GT(cross.g, 200);
  EXPECT_TRUE(WaitForWindowGone("Error initializing DirectSound.", 3));
}

class CanvasWindow : public platform::Form {
 public:
  CanvasWindow() : Form("frmCanvasTest") {}
  platform::RMCanvas canvas{*this, "canvas"};
  std::vector<int> keysDown, keysUp, buttonsDown, buttonsUp;
  float downX = -1, downY = -1;

 protected:
  void Design() override {
    caption = "Real Back End Canvas";
    clientWidth = 320;
    clientHeight = 260;
    backColor = RGB(8, 16, 24);
    canvas.Move(20, 20, 280, 220);
    canvas.KeyDown = [this](int16_t k, int16_t) { keysDown.push_back(k); };
    canvas.KeyUp = [this](int16_t k, int16_t) { keysUp.push_back(k); };
    canvas.MouseDown = [this](int16_t b, int16_t, float x, float y) {
      buttonsDown.push_back(b);
      downX = x;
      downY = y;
    };
    canvas.MouseUp = [this](int16_t b, int16_t, float, float) { buttonsUp.push_back(b); };
  }
};

// A red square over the upper half of the camera's view, both sides facing.
rm::MeshBuilderPtr AddUpperSquare(platform::RMCanvas& canvas) {
  auto mesh = canvas.D3DRM().CreateMeshBuilder();
  mesh->positions = {{-20, 0.5f, 6}, {-20, 20, 6}, {20, 20, 6}, {20, 0.5f, 6}};
  mesh->uvs = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  mesh->faces = {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 2, 1}}, {{0, 3, 2}}};
  mesh->SetColorRGB(1, 0, 0);
  auto frame = canvas.D3DRM().CreateFrame(canvas.SceneFrame());
  frame->AddVisual(mesh);
  return mesh;
}

// Shows the window and starts its canvas with the red square in view.
rm::MeshBuilderPtr ShowWithSquare(platform::Form& w, platform::RMCanvas& canvas) {
  w.Show();
  canvas.Init();
  canvas.Viewport().SetBack(100);
  return AddUpperSquare(canvas);
}

TEST_F(RealBackendTest, TheCanvasShowsItsSceneUprightAndTakesKeysAndButtons) {
  CanvasWindow w;
  ShowWithSquare(w, w.canvas);
  w.canvas.Render();
  auto box = WaitForWindow("Real Back End Canvas", 10);
  ASSERT_TRUE(box);
  Pump(0.3);
  w.canvas.Render();
  Image shot = Screenshot((ShotDir() / "real_canvas.png").string(), box);
  ASSERT_EQ(shot.width, 320);
  Rgb upper = Split(shot.At(160, 60));
  Rgb lower = Split(shot.At(160, 200));
  EXPECT_GT(upper.r, upper.b + 40) << "the square is not in the upper half";
  EXPECT_GT(lower.b, lower.r + 40) << "the sky colour is missing below";
  Rgb frame = Split(shot.At(5, 5));
  EXPECT_EQ(frame.r, 8);
  EXPECT_EQ(frame.b, 24);

  ClickAt(box->x + 20 + 100, box->y + 20 + 50);
  EXPECT_TRUE(PumpUntil([&] { return !w.buttonsUp.empty(); }, 3));
  ASSERT_EQ(w.buttonsDown.size(), 1u);
  EXPECT_EQ(w.buttonsDown[0], 1);
  EXPECT_EQ(w.buttonsUp[0], 1);
  EXPECT_NEAR(w.downX, 100, 1);
  EXPECT_NEAR(w.downY, 50, 1);
  EXPECT_TRUE(w.canvas.HasFocus());

  Xdo("mousedown 3 sleep 0.1 mouseup 3");
  EXPECT_TRUE(PumpUntil([&] { return w.buttonsUp.size() == 2; }, 3));
  EXPECT_EQ(w.buttonsDown.back(), 2);

  Xdo("key Escape key a key shift+b key grave key Left key 5 key space");
  EXPECT_TRUE(PumpUntil([&] { return w.keysUp.size() >= 8; }, 3));
  std::vector<int> expected{27, 65, 16, 66, 192, 37, 53, 32};
  EXPECT_EQ(w.keysDown, expected);
  w.Unload();
}

// The canvas with a label below it and one that can show over it, as on the
// play window.
class CanvasAndLabelWindow : public CanvasWindow {
 public:
  platform::Label score{*this, "score"};
  platform::Label cover{*this, "cover"};

 protected:
  void Design() override {
    CanvasWindow::Design();
    caption = "Real Back End Canvas And Label";
    canvas.Move(20, 20, 280, 180);
    for (platform::Label* label : {&score, &cover}) {
      label->bold = true;
      label->fontSize = 20;
      label->foreColor = RGB(255, 255, 255);
    }
    score.Move(20, 210, 280, 40);
    score.caption = "HOME 0";
    cover.Move(180, 150, 120, 40);
    cover.caption = "GOOD";
    cover.visible = false;
  }
};

int BrightIn(const Image& shot, int x0, int y0, int w, int h) {
  int n = 0;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) {
      Rgb c = Split(shot.At(x, y));
      n += c.r > 200 && c.g > 200 && c.b > 200;
    }
  }
  return n;
}

// Frames in which only the canvas changes reuse the rest of the window: a
// label that changes between renders, a control shown over the canvas and a
// scene that changes must all still reach the screen.
TEST_F(RealBackendTest, ChangesBesideAndOverTheCanvasReachTheScreenBetweenRenders) {
  CanvasAndLabelWindow w;
  rm::MeshBuilderPtr square = ShowWithSquare(w, w.canvas);
  auto box = WaitForWindow("Real Back End Canvas And Label", 10);
  ASSERT_TRUE(box);
  auto frames = [&](int n) {
    for (int i = 0; i < n; ++i) {
      w.canvas.Render();
      Pump(0.03);
    }
  };
  frames(10);
  Image before = Screenshot((ShotDir() / "real_canvas_label_before.png").string(), box);
  ASSERT_EQ(before.width, 320);
  EXPECT_GT(BrightIn(before, 20, 210, 280, 40), 50) << "the label is not drawn";
  Rgb red = Split(before.At(160, 60));
  EXPECT_GT(red.r, red.b + 40);
  EXPECT_EQ(0, BrightIn(before, 180, 150, 120, 40));

  // Changed between two renders, with nothing else to draw the window for.
  w.score.caption = "";
  frames(5);
  Image cleared = Screenshot((ShotDir() / "real_canvas_label_cleared.png").string(), box);
  EXPECT_EQ(0, BrightIn(cleared, 20, 210, 280, 40)) << "the old label stayed on screen";

  w.score.caption = "AWAY 7";
  frames(5);
  Image changed = Screenshot((ShotDir() / "real_canvas_label_changed.png").string(), box);
  EXPECT_GT(BrightIn(changed, 20, 210, 280, 40), 50) << "the new label never showed";

  // A label over the canvas stays on top of new canvas frames, and the
  // scene's change of colour shows.
  w.cover.visible = true;
  for (int i = 0; i < 6; ++i) {
    square->SetColorRGB(0, i % 2 ? 1.0f : 0.9f, 0);  // a new picture every frame
    frames(1);
  }
  Image after = Screenshot((ShotDir() / "real_canvas_label_after.png").string(), box);
  EXPECT_GT(BrightIn(after, 180, 150, 120, 40), 50) << "the label over the canvas is gone";
  Rgb green = Split(after.At(100, 60));
  EXPECT_GT(green.g, green.r + 40) << "the scene's change never showed";
  w.Unload();
}

TEST_F(RealBackendTest, ReportsTheSixteenBitPlayBufferAndMovesThePointer) {
  EXPECT_EQ(platform::backend().SystemBpp(), 16);
  EXPECT_EQ(platform::ShowCursor(false), -1);
  EXPECT_EQ(platform::ShowCursor(true), 0);
  platform::mouse_event(platform::MOUSEEVENTF_MOVE | platform::MOUSEEVENTF_ABSOLUTE, 32768, 32768);
  auto [width, height] = ScreenSize();
  ASSERT_GT(width, 0);
  platform::POINT p;
  platform::GetCursorPos(p);
  EXPECT_EQ(p.x, width / 2);
  EXPECT_EQ(p.y, height / 2);
  platform::mouse_event(platform::MOUSEEVENTF_MOVE | platform::MOUSEEVENTF_ABSOLUTE, 16384, 49152);
  platform::GetCursorPos(p);
  EXPECT_EQ(p.x, width / 4);
  EXPECT_EQ(p.y, height * 3 / 4);

  // As the match does: the pointer hidden, put back home, read how far it moved.
  EXPECT_EQ(platform::ShowCursor(false), -1);
  for (int i = 0; i < 3; ++i) {
    platform::mouse_event(platform::MOUSEEVENTF_MOVE | platform::MOUSEEVENTF_ABSOLUTE, 32768,
                          32768);
    Xdo("mousemove_relative -- 10 -5");
    platform::DoEvents();
    platform::GetCursorPos(p);
    EXPECT_EQ(p.x, width / 2 + 10);
    EXPECT_EQ(p.y, height / 2 - 5);
  }
  EXPECT_EQ(platform::ShowCursor(true), 0);
  double t = platform::backend().Timer();
  EXPECT_GE(t, 0);
  EXPECT_LT(t, 86400);
  EXPECT_FALSE(platform::AppPath().empty());
  EXPECT_NE(platform::AppPath().back(), '/');
}

void WriteTone(const fs::path& path) {
  const int rate = 22050, samples = rate / 2;
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + samples * 2);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  out.write("data", 4);
  u32(samples * 2);
  for (int i = 0; i < samples; ++i) u16(uint16_t(int16_t(12000 * std::sin(i * 0.12))));
}

TEST(RealBackendSound, PlaysThroughTheDiskDriverAndRaisesForAMissingFile) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  fs::path dir = ShotDir();
  fs::path audio = dir / "real_sound.raw";
  fs::remove(audio);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", audio.c_str(), 1);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  fs::create_directories(dir / "sounds");
  WriteTone(dir / "sounds" / "tone.daw");
  {
    platform::UseBackend(platform::real::CreateBackend());
    platform::DirectSound sound(platform::backend().CreateSoundDevice());
    sound.SetCooperativeLevel(0, platform::DSSCL_PRIORITY);
    platform::DSBUFFERDESC desc;
    platform::WAVEFORMATEX format;
    EXPECT_THROW(
        sound.CreateSoundBufferFromFile((dir / "sounds\\nothing.daw").string(), desc, format),
        platform::Error);
    auto tone = sound.CreateSoundBufferFromFile((dir / "sounds\\tone.daw").string(), desc, format);
    EXPECT_EQ(format.nFormatTag, 1);
    EXPECT_EQ(format.nBitsPerSample, 16);
    tone->Play(platform::DSBPLAY_DEFAULT);
    tone->Play(platform::DSBPLAY_DEFAULT);  // still playing: goes on
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    tone->Stop();
    tone.reset();
    platform::UseBackend(nullptr);
  }
  std::ifstream in(audio, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 10000u) << "nothing was written";
  size_t loud = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    int16_t sample = int16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8));
    loud += std::abs(sample) > 500;
  }
  EXPECT_GT(loud, bytes.size() / 20) << "the tone was silent";
}

}  // namespace
}  // namespace kwinta::testing
