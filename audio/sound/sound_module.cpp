// The SOUND module's hooks and the device's set-up and close.
#include "audio/sound/sound_module.h"

#include "audio/sound/music_backend.h"
#include "audio/sound/sound_channel.h"
#include "audio/sound/sound_state.h"
#include "core/log/log.h"
#include "plat/audio.h"
#include "plat/platform.h"

int32_t sound_device_open(plat::WindowId /*window*/) {
  SOUND_STATE& s = sound_state();
  s.device_open = 0;
  // COM initialisation has no counterpart here and cannot fail.
  sys_log_printf(1, "       Sound Play : %s", "DirectSound");
  plat::IAudioDevice& device = plat::get().audio();
  const plat::WaveFormat primary{plat::kWaveFormatPcm, 2, 22050, 88200, 4, 16};
  const int32_t r = device.open(primary);
  if (r != plat::DS_OK) return r;
  s.device = &device;
  s.device_open |= 1;
  for (SOUND_CHANNEL_STATE& ch : s.channels) {
    ch.sample = nullptr;
    ch.requested_pan = 0;
    ch.requested_volume = 0;
  }
  sys_log_printf(1, "      Wave format : %s", "PCM Wave");
  sys_log_printf(1, "         Channels : %d", primary.channels);
  sys_log_printf(1, "  Samples per sec : %d", static_cast<int>(primary.samplesPerSec));
  sys_log_printf(1, "  Bits per sample : %d", primary.bitsPerSample);
  return 0;
}

void sound_device_close() {
  SOUND_STATE& s = sound_state();
  for (int c = 0; c < SOUND_CHANNELS; ++c) sound_channel_clear(c);
  if (s.device) s.device->close();
  s.device = nullptr;
  s.device_open &= ~1u;
}

void sound_state_reset() {
  SOUND_STATE& s = sound_state();
  s.music_on = 0;
  s.current_music = -1;
  s.voice_master_volume = 0;
  s.voice_master_pan = 0;
  s.music_master_volume = 0;
  s.music_master_pan = 0;
  s.ready = 0;
}

int sound_module_init() {
  sys_log(1, "SOUND module initialize starting...");
  sound_state_reset();
  if (sound_device_open(plat::get().windows().mainWindow()) != 0) return -1;
  if (music_backend.init() != 0) return -1;
  SOUND_STATE& s = sound_state();
  s.music_on = 1;
  s.ready = 1;
  sys_log(1, "SOUND module initialized OKay.");
  sys_log(1, "");
  return 0;
}

void sound_module_free() {
  music_backend.free();
  sound_device_close();
  SOUND_STATE& s = sound_state();
  s.music_on = 0;
  s.ready = 0;
  sys_log(1, "SOUND module free OKay.");
}

void sound_module_notify(uint32_t active) {
  if (active == 0) return;
  music_backend.restore(active);
  for (int c = 0; c < SOUND_CHANNELS; ++c) sound_channel_restore(c);
}
