// Until the sound device and the music player are built, the voice and music calls succeed,
// play nothing and record each call, so that the front's behaviour can be checked.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct AUDIO_CALL {
  std::string op;        // the call's name, as "sound_play_voice_file"
  int32_t channel = -1;  // voice calls
  int32_t value = 0;     // loop flag, volume, pan or music volume
  std::string name;      // file name of the play and open calls
  uint32_t size = 0;     // image size of sound_play_voice_buffer
};

std::vector<AUDIO_CALL>& audio_standin_calls();
void audio_standin_reset();
