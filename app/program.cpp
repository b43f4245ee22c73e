#include "app/program.h"

#include "app/windows.h"
#include "platform/toolkit/toolkit.h"

namespace kwinta {

void RunProgram() {
  frmNewNet().Show();
  while (frmNewNet().Loaded()) platform::DoEvents();
}

}  // namespace kwinta
