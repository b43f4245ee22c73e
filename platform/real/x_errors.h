// X errors that a window the program has already destroyed can bring back.
// Xlib's names clash with the toolkit's, so only x_errors.cpp sees them.
#pragma once

namespace platform::real {

// Once SDL's video runs on X: errors that only say a window is gone are
// passed over, every other one goes on to the handler before (SDL's, then
// Xlib's, which ends the program).
void PassOverErrorsOfGoneWindows();

}  // namespace platform::real
