// The main thread's stack of a stuck process, printed where gdb is installed:
// where the game hung, for whoever reads the report. (Its other threads are
// the sound's and the software renderer's, waiting for work.)
#pragma once

#include <sys/types.h>

namespace kwinta::monkey {

void PrintStack(pid_t pid);

}  // namespace kwinta::monkey
