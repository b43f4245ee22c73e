// The shared network procedures: the DirectPlay object and the local player.
#pragma once

#include <string>

namespace kwinta {

// The application GUID of every session the lobby creates or searches for:
// one fixed value, the same in every copy of the game.
inline constexpr const char* AppGuid = "{5E3A9C21-7B4D-4F1E-9A6C-2D8B0F47E913}";

// Creates the root object if needed, a new DPlay bound to no connection yet,
// and the list of connection methods. Failures reach the caller.
void InitDirectPlay();

// Creates the local player with the two names and keeps its id in
// MyPlayerId. Failures reach the caller.
void CreatePlayerHelper(std::string& FriendlyName, std::string& FormalName);

}  // namespace kwinta
