// The program: the start-up window and the event loop until it closes.
#pragma once

namespace kwinta {

// Opens the start-up window and runs until it is closed or the program ends.
void RunProgram();

}  // namespace kwinta
