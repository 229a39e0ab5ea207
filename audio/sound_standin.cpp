// Silent stand-in of the SOUND module's voice calls.
#include "audio/audio_standin.h"
#include "audio/sound.h"
#include "core/reset/module_resets.h"

std::vector<AUDIO_CALL>& audio_standin_calls() {
  static std::vector<AUDIO_CALL> calls;
  return calls;
}

void audio_standin_reset() { audio_standin_calls().clear(); }

namespace {
void record(const char* op, int32_t channel, int32_t value, const char* name = nullptr, uint32_t size = 0) {
  audio_standin_calls().push_back(AUDIO_CALL{op, channel, value, name ? name : "", size});
}
}  // namespace

void sound_play_voice_file(int32_t channel, int32_t loop, const char* name) {
  record("sound_play_voice_file", channel, loop, name);
}

void sound_play_voice_buffer(int32_t channel, int32_t loop, const uint8_t*, uint32_t size) {
  record("sound_play_voice_buffer", channel, loop, nullptr, size);
}

void sound_set_voice_volume(int32_t channel, int32_t volume) { record("sound_set_voice_volume", channel, volume); }
void sound_set_voice_pan(int32_t channel, int32_t pan) { record("sound_set_voice_pan", channel, pan); }
void sound_stop_voice(int32_t channel) { record("sound_stop_voice", channel, 0); }

static const ModuleReset k_reset("audio stand-in", audio_standin_reset);
