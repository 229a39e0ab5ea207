// The record of the music stand-in's calls (audio/music_standin.cpp); it goes with that file.
#include "audio/audio_standin.h"
#include "core/reset/module_resets.h"

std::vector<AUDIO_CALL>& audio_standin_calls() {
  static std::vector<AUDIO_CALL> calls;
  return calls;
}

void audio_standin_reset() { audio_standin_calls().clear(); }

static const ModuleReset k_reset("audio stand-in", audio_standin_reset);
