// Every window of the program, created once, as the old project held them.
#pragma once

#include "app/frmNewNet.h"
#include "app/info_windows.h"
#include "match/frmVorlet.h"

namespace kwinta {

NewNetWindow& frmNewNet();
VorletWindow& frmVorlet();
PictureWindow& frmHome();
PictureWindow& frmAway();
PictureWindow& frmTie();
PictureWindow& frmControls();
PictureWindow& frmBackground();
TextWindow& frmText();

// Throws every window away and makes them anew (between tests).
void ResetWindows();

}  // namespace kwinta
