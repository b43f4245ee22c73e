#include "match/frmVorlet.h"

#include <string_view>

#include "app/state.h"
#include "builtin_content.h"
#include "platform/error.h"

namespace kwinta {

using platform::Alignment;
using platform::RGB;

namespace {

void StatusLabel(platform::Label& label, const char* text, int left, int top, int width,
                 Alignment alignment, uint32_t colour, bool visible) {
  label.caption = text;
  label.Move(left, top, width, 17);
  label.alignment = alignment;
  label.foreColor = colour;
  label.bold = true;
  label.fontSize = 8.25f;
  label.visible = visible;
}

}  // namespace

VorletWindow::VorletWindow() : Form("frmVorlet") {}

// The close box leaves the game the way Esc does.
void VorletWindow::Form_QueryClose() {
  RMCanvas1_KeyDown(27, 0);
}

platform::PictureBox& VorletWindow::Picture(int mes) {
  platform::PictureBox* boxes[] = {&Picture1, &Picture2, &Picture3, &Picture4,
                                   &Picture5, &Picture6, &Picture7};
  if (mes < 1 || mes > 7) throw platform::Error("no result picture " + std::to_string(mes));
  return *boxes[mes - 1];
}

void VorletWindow::Design() {
  caption = "Kwinta V1.01";
  clientWidth = 640;
  clientHeight = 480;
  picture = content::pics_play_png;
  centred = true;
  backColor = RGB(8, 16, 24);

  RMCanvas1.Move(112, 58, 417, 361);
  RMCanvas1.KeyDown = [this](int16_t key, int16_t shift) { RMCanvas1_KeyDown(key, shift); };
  RMCanvas1.KeyUp = [this](int16_t key, int16_t shift) { RMCanvas1_KeyUp(key, shift); };
  RMCanvas1.MouseDown = [this](int16_t button, int16_t shift, float x, float y) {
    RMCanvas1_MouseDown(button, shift, x, y);
  };
  RMCanvas1.MouseUp = [this](int16_t button, int16_t shift, float x, float y) {
    RMCanvas1_MouseUp(button, shift, x, y);
  };
  Text1.Move(112, 30, 417, 27);
  Text1.text.clear();
  Text1.enabled = false;
  Text2.Move(110, 420, 417, 27);
  Text2.text.clear();
  Text2.enabled = false;
  Text2.onKeyPress = [this](int16_t& key) { Text2_KeyPress(key); };
  ProgressBar1.Move(536, 32, 17, 409);
  ProgressBar1.vertical = true;
  ProgressBar1.SetValue(0);

  StatusLabel(lblPlayer1, "Home Team Score: 0", 104, 6, 153, Alignment::Left, kSideToPlay, true);
  StatusLabel(Label3, "<", 248, 6, 17, Alignment::Left, kSideToPlay, false);
  StatusLabel(Label1, "Round: 1", 278, 0, 81, Alignment::Center, kSideToPlay, true);
  StatusLabel(Label2, "Shots: 3", 278, 16, 81, Alignment::Center, kSideToPlay, true);
  StatusLabel(Label4, ">", 376, 6, 17, Alignment::Left, kSideToPlay, false);
  StatusLabel(lblPlayer2, "Away Team Score: 0", 376, 6, 161, Alignment::Right, kOtherSide, true);
  StatusLabel(Label5, "", 4, 460, 104, Alignment::Left, kOtherSide, true);

  const int tops[] = {112, 144, 56, 176, 88, 240, 208};
  const std::string_view pictures[] = {content::pics_result1_png, content::pics_result2_png,
                                       content::pics_result3_png, content::pics_result4_png,
                                       content::pics_result5_png, content::pics_result6_png,
                                       content::pics_result7_png};
  for (int mes = 1; mes <= 7; ++mes) {
    platform::PictureBox& box = Picture(mes);
    box.Move(432, tops[mes - 1], 201, 177);
    box.picture = pictures[mes - 1];
    box.visible = false;
  }
}

}  // namespace kwinta
