// Input as the back ends report it. The event loop dispatches these to the
// control handlers after the back end has finished its frame.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class Form;
class Control;

struct InputEvent {
  enum class Kind {
    Click,        // button, check box (toggles), list box (with index), form background
    TextChanged,  // text box edited by the back end's own line editor (text)
    KeyPress,     // a character typed in a text box (code)
    KeyDown,      // key down on the focused control (code: virtual-key code)
    KeyUp,
    MouseDown,  // on a canvas (code: 1 left, 2 right), at (x, y)
    MouseUp,
    Focus,  // the user put the focus on a control
    Close,  // the window's close box
  };
  Kind kind = Kind::Click;
  Form* form = nullptr;
  Control* control = nullptr;  // null: the form itself
  int code = 0;
  int index = -1;
  float x = 0, y = 0;
  std::string text;
};

}  // namespace platform
