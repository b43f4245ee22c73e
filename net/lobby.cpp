// The network half of the start-up window.
#include "app/frmNewNet.h"

namespace kwinta {

void NewNetWindow::ResetButtons() {
  cmdConnect.enabled = true;
  cmdJoin.enabled = false;
  cmdCreate.enabled = false;
  Command4.enabled = false;
  Command5.enabled = false;
}

}  // namespace kwinta
