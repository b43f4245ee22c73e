// The module-level state that the windows share: the game mode, the options,
// the turn, the platform objects and the eleven sound buffers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/directx7.h"
#include "platform/play/play.h"
#include "platform/sound/sound.h"

namespace kwinta {

struct SharedState {
  std::string GameMode;  // "Computer", "Human" or "INET"
  int16_t NumRounds = 0;
  bool SoundOn = false;
  bool SceneryOn = false;
  bool LocalTurn = false;
  bool IsHost = false;
  int16_t FrameMs = 0;
  int16_t FlightFrameMs = 0;

  std::shared_ptr<platform::DirectX7> Dx7;
  std::shared_ptr<platform::DirectSound> DSound;
  platform::DSBUFFERDESC SoundBufferDesc;
  platform::WAVEFORMATEX SoundWaveFormat;

  using Buffer = std::shared_ptr<platform::DirectSoundBuffer>;
  Buffer SndCrowd, SndCrowd2, SndYeah, SndYeah2, SndBoo, SndTheme, SndGuit2, SndSwoosh, SndWis1,
      SndWis2, SndWis3;

  std::shared_ptr<platform::DirectPlay4> DPlay;
  std::shared_ptr<platform::DirectPlayEnumConnections> DPConnections;
  std::shared_ptr<platform::DirectPlayEnumSessions> DPSessions;
  std::string PlayerFriendlyName, PlayerFormalName;
  int32_t MyPlayerId = 0;
  std::shared_ptr<platform::DirectPlayMessage> InMsg;
  std::shared_ptr<platform::DirectPlayMessage> OutMsg;
  int32_t MsgCount = 0;
  int32_t MsgFromId = 0;
  int32_t MsgToId = 0;
};

// The one instance, as the old modules held it.
SharedState& state();
// Back to the state of a new process (between tests).
void ResetState();

// Plays a buffer once or looping when sound is on.
void PlaySound(const SharedState::Buffer& buffer, int flags);

}  // namespace kwinta
