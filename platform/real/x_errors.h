// X errors that a window the program has already destroyed can bring back.
// Xlib's names clash with the toolkit's, so only x_errors.cpp sees them.
#pragma once

namespace platform::real {

// From now on, errors that only say a window is gone are passed over, every
// other one goes on to the handler before (Xlib's, which ends the program).
// Called before SDL's video starts: SDL hands errors on to the handler it
// found, and puts that one back when its video shuts down, while a refusal
// may still be on its way.
void PassOverErrorsOfGoneWindows();

}  // namespace platform::real
