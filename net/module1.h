// The shared network procedures: the DirectPlay object and the local player.
#pragma once

namespace kwinta {

// Creates the root object if needed, a new DPlay bound to no connection yet,
// and the list of connection methods. Failures reach the caller.
void InitDirectPlay();

}  // namespace kwinta
