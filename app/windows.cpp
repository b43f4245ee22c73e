#include "app/windows.h"

#include <memory>

#include "builtin_content.h"

namespace kwinta {

namespace {

using platform::BorderStyle;

struct Windows {
  NewNetWindow newNet;
  VorletWindow vorlet;
  PictureWindow home{"frmHome", "Home Team Wins!!",     300,
                     231,       content::pics_home_png, BorderStyle::FixedToolWindow};
  PictureWindow away{"frmAway", "Away Team Wins!!",     300,
                     231,       content::pics_away_png, BorderStyle::FixedToolWindow};
  PictureWindow tie{"frmTie", "It's All Tied Up!",   298,
                    226,      content::pics_tie_png, BorderStyle::FixedToolWindow};
  PictureWindow controls{"frmControls",           "Controls", 497, 399, content::pics_controls_png,
                         BorderStyle::FixedSingle};
  PictureWindow background{
      "frmBackground",         "Background", 493, 398, content::pics_background_png,
      BorderStyle::FixedSingle};
  TextWindow text;
};

std::unique_ptr<Windows>& instance() {
  static std::unique_ptr<Windows> w;
  return w;
}

Windows& all() {
  if (!instance()) instance() = std::make_unique<Windows>();
  return *instance();
}

}  // namespace

NewNetWindow& frmNewNet() {
  return all().newNet;
}
VorletWindow& frmVorlet() {
  return all().vorlet;
}
PictureWindow& frmHome() {
  return all().home;
}
PictureWindow& frmAway() {
  return all().away;
}
PictureWindow& frmTie() {
  return all().tie;
}
PictureWindow& frmControls() {
  return all().controls;
}
PictureWindow& frmBackground() {
  return all().background;
}
TextWindow& frmText() {
  return all().text;
}

void ResetWindows() {
  instance().reset();
}

}  // namespace kwinta
