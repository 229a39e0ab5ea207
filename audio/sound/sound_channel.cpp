// The channel primitives over the device's static buffers.
#include "audio/sound/sound_channel.h"

#include <algorithm>
#include <cstring>

#include "audio/sound/sound_state.h"
#include "plat/crt.h"
#include "plat/platform.h"

namespace {

constexpr uint32_t kEffectCaps = plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN | plat::DSBCAPS_STATIC;  // 0xC2
constexpr int kRestoreAttempts = 100;
constexpr uint32_t kRestoreWaitMs = 10;

bool device_open() { return (sound_state().device_open & 1) != 0; }

SOUND_CHANNEL_STATE* channel_at(int32_t channel) {
  if (channel < 0 || channel >= SOUND_CHANNELS) return nullptr;
  return &sound_state().channels[channel];
}

int32_t make_buffer(SOUND_CHANNEL_STATE& ch) {
  const WAV_FORMAT& f = ch.sample->format;
  const int32_t r =
      sound_state().device->createBuffer(sound_wave_format(f), ch.sample->data_size, kEffectCaps, ch.buffer);
  if (r != plat::DS_OK) {
    ch.buffer.reset();
    return r;
  }
  ch.data_size = ch.sample->data_size;
  ch.duration_ms = wav_duration_ms(ch.data_size, f.avg_bytes_per_sec);
  return 0;
}

template <typename Load>
int32_t create(int32_t channel, Load load) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch) return 0;
  sound_channel_clear(channel);
  ch->sample = load();
  if (!ch->sample) return -1;
  return make_buffer(*ch);
}

}  // namespace

plat::WaveFormat sound_wave_format(const WAV_FORMAT& f) {
  return plat::WaveFormat{f.format_tag,        f.channels,    f.samples_per_sec,
                          f.avg_bytes_per_sec, f.block_align, f.bits_per_sample};
}

void sound_channel_clear(int32_t channel) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!ch) return;
  // The device takes a playing buffer out of the mix before its memory goes.
  ch->buffer.reset();
  wav_free(&ch->sample);
}

int32_t sound_channel_create_file(int32_t channel, const char* name) {
  return create(channel, [&] { return wav_load_file(name); });
}

int32_t sound_channel_create_image(int32_t channel, const uint8_t* image, uint32_t length) {
  return create(channel, [&] { return wav_load_image(image, length); });
}

int32_t sound_channel_fill(int32_t channel) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch) return 0;
  if (!ch->buffer || !ch->sample) return plat::DSERR_GENERIC;
  plat::LockRegion region;
  const int32_t r = ch->buffer->lock(0, ch->data_size, region);
  if (r != plat::DS_OK) return r;
  const uint32_t n = std::min({region.firstBytes, ch->sample->data_size, ch->data_size});
  if (n) std::memcpy(region.first, ch->sample->pcm(), n);
  return ch->buffer->unlock(region);
}

int32_t sound_channel_load_file(int32_t channel, const char* name) {
  const int32_t r = sound_channel_create_file(channel, name);
  return r < 0 ? r : sound_channel_fill(channel);
}

int32_t sound_channel_load_image(int32_t channel, const uint8_t* image, uint32_t length) {
  const int32_t r = sound_channel_create_image(channel, image, length);
  return r < 0 ? r : sound_channel_fill(channel);
}

int32_t sound_channel_restore(int32_t channel) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch || !ch->buffer) return 0;
  if (!(ch->buffer->status() & plat::DSBSTATUS_BUFFERLOST)) return 0;
  // A device that never comes back must not hang the caller: bounded attempts.
  int32_t r = plat::DSERR_BUFFERLOST;
  for (int attempt = 0; attempt < kRestoreAttempts; ++attempt) {
    if (attempt > 0 && r == plat::DSERR_BUFFERLOST) plat::get().clock().sleepMs(kRestoreWaitMs);
    r = ch->buffer->restore();
    if (r == plat::DS_OK) break;
  }
  if (r != plat::DS_OK) return r;
  return sound_channel_fill(channel);
}

int32_t sound_channel_play(int32_t channel, int32_t loop) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch) return 0;
  if (!ch->buffer) return plat::DSERR_GENERIC;
  const int32_t r = sound_channel_restore(channel);
  if (r != 0) return r;
  return ch->buffer->play(loop != 0);
}

int32_t sound_channel_stop(int32_t channel, int32_t rewind) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch || !ch->buffer) return 0;
  const int32_t r = ch->buffer->stop();
  if (rewind) return ch->buffer->setCurrentPosition(0);
  return r;
}

int32_t sound_channel_set_volume(int32_t channel, int32_t volume) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch || !ch->buffer) return 0;
  const int32_t v = std::clamp(volume, plat::DSBVOLUME_MIN, plat::DSBVOLUME_MAX);
  const int32_t r = ch->buffer->setVolume(v);
  ch->applied_volume = v;
  return r;
}

int32_t sound_channel_set_pan(int32_t channel, int32_t pan) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch || !ch->buffer) return 0;
  const int32_t p = std::clamp(pan, plat::DSBPAN_LEFT, plat::DSBPAN_RIGHT);
  const int32_t r = ch->buffer->setPan(p);
  ch->applied_pan = p;
  return r;
}

bool sound_channel_is_playing(int32_t channel) {
  SOUND_CHANNEL_STATE* ch = channel_at(channel);
  if (!device_open() || !ch || !ch->buffer) return false;
  return (ch->buffer->status() & plat::DSBSTATUS_PLAYING) != 0;
}

int32_t sound_pick_channel(int32_t first, int32_t last) {
  if (!device_open()) return 0;
  for (int32_t c = first; c <= last; ++c) {
    SOUND_CHANNEL_STATE* ch = channel_at(c);
    if (ch && ch->buffer && !(ch->buffer->status() & plat::DSBSTATUS_PLAYING)) return c;
  }
  if (first < last) return static_cast<int32_t>(first + plat::crt_rand() % (int64_t{last} - first + 1));
  return first;
}
