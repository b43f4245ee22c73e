#include "net/module1.h"

#include "app/state.h"

namespace kwinta {

void InitDirectPlay() {
  SharedState& s = state();
  if (!s.Dx7) s.Dx7 = std::make_shared<platform::DirectX7>();
  s.DPlay = s.Dx7->DirectPlayCreate("");
  s.DPConnections = s.DPlay->GetDPEnumConnections("", platform::DPCONNECTION_DIRECTPLAY);
}

void CreatePlayerHelper(std::string& FriendlyName, std::string& FormalName) {
  SharedState& s = state();
  s.PlayerFriendlyName = FriendlyName;
  s.PlayerFormalName = FormalName;
  s.MyPlayerId = s.DPlay->CreatePlayer(s.PlayerFriendlyName, s.PlayerFormalName, 0, 0);
}

}  // namespace kwinta
