// The picture and read-me windows: opened modally from the menu, closed by a
// click or by "Continue..", each loaded afresh, their content built into the
// program.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/toolkit/toolkit.h"
#include "support/game_fixture.h"

namespace kwinta::testing {
namespace {

struct PictureCase {
  const char* name;
  PictureWindow& (*window)();
  const char* caption;
  int width, height;
  platform::BorderStyle border;
  int pictureWidth, pictureHeight;
};

void PrintTo(const PictureCase& c, std::ostream* os) {
  *os << c.name;
}

// What a PNG's header says about the image.
struct PngHeader {
  uint32_t width, height;
  int colourType;  // 3: palette, at most 256 colours
};

std::optional<PngHeader> ReadPngHeader(std::string_view png) {
  using namespace std::string_view_literals;
  if (png.size() < 33 || png.substr(0, 8) != "\x89PNG\r\n\x1a\n"sv || png.substr(12, 4) != "IHDR") {
    return std::nullopt;
  }
  auto be32 = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | uint8_t(png[at + i]);
    return v;
  };
  return PngHeader{be32(16), be32(20), uint8_t(png[25])};
}

// A program folder that doesn't exist: what the windows show can't come from
// files beside the program.
constexpr const char* kNoFolder = "/nonexistent/kwinta";

class PictureWindowTest : public GameTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureWindowTest, ShowsModallyAndAClickClosesIt) {
  const PictureCase& c = GetParam();
  PictureWindow& w = c.window();
  b->programFolder = kNoFolder;
  int yieldsWhileOpen = 0;
  std::optional<PngHeader> picture;
  b->onYield = [&] {
    if (!w.Visible()) return;
    picture = ReadPngHeader(w.picture);
    if (++yieldsWhileOpen == 3) b->ClickForm(w);
  };
  w.ShowModal();  // returns only once the click closed it
  EXPECT_FALSE(w.Loaded());
  EXPECT_GE(yieldsWhileOpen, 3);
  EXPECT_EQ(w.caption, c.caption);
  EXPECT_EQ(w.clientWidth, c.width);
  EXPECT_EQ(w.clientHeight, c.height);
  EXPECT_EQ(w.border, c.border);
  EXPECT_TRUE(w.centred);
  EXPECT_TRUE(w.Controls().empty());
  std::string shown = "show " + w.name, unloaded = "unload " + w.name;
  EXPECT_EQ(b->windowLog, (std::vector<std::string>{shown, unloaded}));
  ASSERT_TRUE(picture) << "the window shows no built-in PNG picture";
  EXPECT_EQ(picture->width, uint32_t(c.pictureWidth));
  EXPECT_EQ(picture->height, uint32_t(c.pictureHeight));
  EXPECT_EQ(picture->colourType, 3) << "a palette picture of at most 256 colours";
}

using platform::BorderStyle;
INSTANTIATE_TEST_SUITE_P(Windows, PictureWindowTest,
                         ::testing::Values(PictureCase{"Home", frmHome, "Home Team Wins!!", 300,
                                                       231, BorderStyle::FixedToolWindow, 300, 300},
                                           PictureCase{"Away", frmAway, "Away Team Wins!!", 300,
                                                       231, BorderStyle::FixedToolWindow, 300, 300},
                                           PictureCase{"Tie", frmTie, "It's All Tied Up!", 298, 226,
                                                       BorderStyle::FixedToolWindow, 300, 300},
                                           PictureCase{"Controls", frmControls, "Controls", 497,
                                                       399, BorderStyle::FixedSingle, 500, 400},
                                           PictureCase{"Background", frmBackground, "Background",
                                                       493, 398, BorderStyle::FixedSingle, 500,
                                                       400}),
                         [](const auto& info) { return std::string(info.param.name); });

using InfoWindowTest = GameTest;

struct MenuCase {
  platform::Button NewNetWindow::*button;
  platform::Form& (*window)();
};

TEST_F(InfoWindowTest, MenuButtonsOpenTheirWindowsModallyAndTheMenuSoundsPlayOn) {
  ASSERT_TRUE(StartProgram());
  NewNetWindow& menu = frmNewNet();
  const MenuCase cases[] = {
      {&NewNetWindow::Command3, []() -> platform::Form& { return frmControls(); }},
      {&NewNetWindow::Command6, []() -> platform::Form& { return frmBackground(); }},
      {&NewNetWindow::Command7, []() -> platform::Form& { return frmText(); }},
  };
  for (const MenuCase& c : cases) {
    platform::Form& w = c.window();
    bool triedMenu = false;
    b->onYield = [&] {
      if (!w.Visible()) return;
      if (!triedMenu) {
        // The start-up window is inert while the modal window is open.
        triedMenu = true;
        b->Click(menu.Check1);
        return;
      }
      if (&w == &frmText()) {
        b->Click(frmText().Command1);
      } else {
        b->ClickForm(w);
      }
    };
    b->Click(menu.*(c.button));
    platform::DoEvents();  // the handler returns once the window has closed
    EXPECT_FALSE(w.Loaded()) << w.name;
    EXPECT_TRUE(triedMenu);
    EXPECT_EQ(menu.Check1.value, 1) << "the click on the inert menu must not count";
  }
  for (const auto& line : b->soundLog) EXPECT_NE(line.rfind("stop ", 0), 0u) << line;
  EXPECT_TRUE(menu.Visible());
}

TEST_F(InfoWindowTest, ReadMeHandsTheFocusToContinueSoEnterClosesIt) {
  TextWindow& w = frmText();
  b->onYield = [&] {
    if (!w.Visible()) return;
    EXPECT_TRUE(w.Command1.HasFocus());
    b->KeyDown(*w.ActiveControl(), 13);
  };
  w.ShowModal();
  EXPECT_FALSE(w.Loaded());
  EXPECT_EQ(w.caption, "ReadMe");
  EXPECT_EQ(w.clientWidth, 570);
  EXPECT_EQ(w.clientHeight, 413);
  EXPECT_EQ(w.Command1.caption, "Continue..");
}

TEST_F(InfoWindowTest, ReadMeHoldsTheTitleContentsAndAllSections) {
  b->programFolder = kNoFolder;
  TextWindow& w = frmText();
  b->onYield = [&] {
    if (w.Visible()) b->Click(w.Command1);
  };
  w.ShowModal();
  const std::string& text = w.RichTextBox1.text;
  ASSERT_FALSE(text.empty()) << "the read-me is built into the program";
  EXPECT_EQ(text.rfind("# ", 0), 0u) << "the document opens with its title line";
  for (const char* section : {"Introduction", "Controls", "single computer", "multiplayer",
                              "Internet", "Notes", "Polling...", "What's my IP address?"}) {
    EXPECT_NE(text.find(section), std::string::npos) << section;
  }
  // Focus goes back to the box when it is clicked, and on to the button again.
  w.Show();
  w.RichTextBox1.SetFocus();
  EXPECT_TRUE(w.Command1.HasFocus());
}

TEST_F(InfoWindowTest, EachShowingLoadsTheWindowAfresh) {
  PictureWindow& w = frmHome();
  w.Show();
  w.caption = "changed";
  w.Unload();
  w.Show();
  EXPECT_EQ(w.caption, "Home Team Wins!!");
}

}  // namespace
}  // namespace kwinta::testing
