// The SOUND module's state and its reset.
#include "audio/sound/sound_state.h"

#include "audio/sound/music_mp3.h"
#include "audio/sound/sound_module.h"
#include "core/reset/module_resets.h"

SOUND_STATE& sound_state() {
  static SOUND_STATE state;
  return state;
}

namespace {

void sound_reset() {
  // The stream thread ends before the buffers it fills go.
  music_mp3_reset();
  sound_device_close();
  SOUND_STATE& s = sound_state();
  for (SOUND_CHANNEL_STATE& ch : s.channels) ch = SOUND_CHANNEL_STATE{};
  s = SOUND_STATE{};
}

}  // namespace

static const ModuleReset k_reset("SOUND", sound_reset);
