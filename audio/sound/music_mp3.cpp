// The MP3 stream back end. The stream thread refills the half of the buffer that has just been
// played; the stop sequence ends the thread (its quit event) and joins it before the buffer and
// the notifications go, so no refill runs then.
#include "audio/sound/music_mp3.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#include "audio/sound/sound_channel.h"
#include "core/log/fatal_handover.h"
#include "core/log/log.h"
#include "plat/audio.h"
#include "plat/event.h"
#include "plat/platform.h"
#include "plat/thread_name.h"

namespace {

constexpr uint32_t kStreamCaps = plat::DSBCAPS_GETCURRENTPOSITION2 | plat::DSBCAPS_CTRLPOSITIONNOTIFY |
                                 plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN;  // 0x101C0
constexpr uint32_t kStopWaitMs = 200;
constexpr int32_t kLockFailed = -1;

const MUSIC_DECODER_OPS kFrontEnd = {audio_open_decoder, audio_read_pcm, audio_get_wave_format, audio_close_decoder};

struct Mp3State {
  std::atomic<uint32_t> flags{0};  // bit 0 initialised, bit 1 playing
  std::unique_ptr<plat::ISoundBuffer> buffer;
  AUDIO_DECODER* decoder = nullptr;  // the chain held for the tune
  std::atomic<bool> current_decoder{false};
  std::atomic<int32_t> pan{0}, volume{0};
  std::atomic<int32_t> loop_mode{-1};
  std::unique_ptr<plat::Event> half_played[2];  // A at offset 0, B at the middle
  std::unique_ptr<plat::Event> quit;
  std::thread thread;
  char file_name[256] = {};
  const MUSIC_DECODER_OPS* ops = &kFrontEnd;
};

Mp3State& mp3() {
  static Mp3State s;
  return s;
}

void close_decoder(Mp3State& s) {
  if (s.decoder) s.ops->close(s.decoder);
  s.decoder = nullptr;
}

// Ends the thread, then lets go of the notifications, the buffer and the events.
void release_stream(Mp3State& s) {
  if (s.thread.joinable()) {
    if (s.quit) s.quit->set();
    // The stop sequence never runs on the stream thread itself (its fatal road is handed over).
    if (s.thread.get_id() != std::this_thread::get_id()) s.thread.join();
    else s.thread.detach();
    plat::get().clock().sleepMs(kStopWaitMs);
  }
  if (s.buffer) {
    s.buffer->setNotifications({});
    s.buffer.reset();
  }
  s.half_played[0].reset();
  s.half_played[1].reset();
  s.quit.reset();
  s.flags &= ~2u;
}

void stop_sequence(Mp3State& s) {
  if (s.buffer) {
    s.buffer->stop();
    s.buffer->setCurrentPosition(0);
  }
  s.loop_mode = -1;
  s.current_decoder = false;
  release_stream(s);
}

void zero(uint8_t* p, uint32_t n) {
  if (p && n) std::memset(p, 0, n);
}

}  // namespace

void music_mp3_set_decoder(const MUSIC_DECODER_OPS* ops) { mp3().ops = ops ? ops : &kFrontEnd; }

int32_t music_mp3_init() {
  Mp3State& s = mp3();
  if (s.flags & 1) return 0;
  s.buffer.reset();
  s.current_decoder = false;
  s.pan = 0;
  s.volume = 0;
  s.loop_mode = -1;
  s.flags = 1;
  return 0;
}

int32_t music_mp3_refill(uint32_t offset, uint32_t length) {
  Mp3State& s = mp3();
  if (!s.buffer) return 0;
  if (s.loop_mode < 0) {
    // The tune ended on an earlier refill: stop at the start and hold the file again.
    s.buffer->stop();
    s.buffer->setCurrentPosition(0);
    close_decoder(s);
    s.decoder = s.ops->open(s.file_name);
    s.current_decoder = false;
    return 0;
  }
  plat::LockRegion region;
  if (s.buffer->lock(offset, length, region) != plat::DS_OK) {
    sys_hand_over_fatal_error("Lock stream sound buffer failed !");
    return kLockFailed;
  }
  const uint32_t locked = region.firstBytes;
  int32_t n = s.decoder ? s.ops->read(s.decoder, region.first, locked) : -1;
  if (n < 0 || static_cast<uint32_t>(n) < locked) {
    if (s.loop_mode == 1) {
      if (n < 1) {
        close_decoder(s);
        s.decoder = s.ops->open(s.file_name);
        n = s.decoder ? s.ops->read(s.decoder, region.first, locked) : -1;
        if (!s.decoder) s.loop_mode = -1;  // nothing to loop: silence, then the end
      }
      // A negative count never becomes an offset.
      const uint32_t got = static_cast<uint32_t>(std::clamp<int64_t>(n, 0, locked));
      zero(region.first + got, locked - got);
    } else {
      zero(region.first, locked);
      s.loop_mode = -1;
    }
  }
  zero(region.second, region.secondBytes);
  sys_log_printf(1, "read mp3 len = %d", n);
  s.buffer->unlock(region);
  return 0;
}

void music_stream_thread() {
  Mp3State& s = mp3();
  try {
    plat::setCurrentThreadName("music stream");
    plat::Event* events[3] = {s.half_played[0].get(), s.half_played[1].get(), s.quit.get()};
    for (;;) {
      const int which = plat::waitAny(events);
      if (which == 2) return;
      int32_t r = 0;
      if (which == 0) {
        r = music_mp3_refill(MUSIC_STREAM_HALF, MUSIC_STREAM_HALF);  // the second half was played
      } else if (which == 1) {
        r = music_mp3_refill(0, MUSIC_STREAM_HALF);
      } else {
        continue;
      }
      if (r != 0) {
        s.buffer->stop();
        s.buffer->setCurrentPosition(0);
        s.current_decoder = false;
        s.loop_mode = -1;
        // The main thread takes the fatal road; this thread only ends.
        if (r == kLockFailed) return;
      }
    }
  } catch (const std::exception& e) {
    sys_log_printf(1, "music stream thread: %s", e.what());
  } catch (...) {
    sys_log(1, "music stream thread: unknown exception");
  }
}

void music_mp3_play(int32_t number, int32_t loop) {
  Mp3State& s = mp3();
  if (!(s.flags & 1)) return;
  if (s.flags & 2) {
    // An ended tune leaves the back end flagged playing with nothing current: start afresh.
    if (s.current_decoder) return;
    stop_sequence(s);
  }
  std::snprintf(s.file_name, sizeof s.file_name, "music\\mus%03d.mp3", number);
  close_decoder(s);
  s.loop_mode = loop;
  s.decoder = s.ops->open(s.file_name);
  if (!s.decoder) {
    sys_log_printf(1, "open mp3 file %s error", s.file_name);
    return;
  }
  const WAV_FORMAT* f = s.ops->format(s.decoder);
  if (!f) return;
  if (plat::get().audio().createBuffer(sound_wave_format(*f), MUSIC_STREAM_BYTES, kStreamCaps, s.buffer) != plat::DS_OK) {
    s.buffer.reset();
    return;
  }
  s.half_played[0] = std::make_unique<plat::Event>();
  s.half_played[1] = std::make_unique<plat::Event>();
  s.quit = std::make_unique<plat::Event>();
  const plat::Notification marks[2] = {{0, s.half_played[0].get()}, {MUSIC_STREAM_HALF, s.half_played[1].get()}};
  if (s.buffer->setNotifications(marks) != plat::DS_OK) {
    release_stream(s);
    return;
  }
  s.pan = 0;
  s.volume = 0;
  s.current_decoder = true;
  s.flags |= 2;  // the stop sequence must be able to end what starts here
  try {
    s.thread = std::thread(music_stream_thread);
  } catch (const std::exception& e) {
    sys_log_printf(1, "music stream thread: %s", e.what());
    s.current_decoder = false;
    release_stream(s);
    return;
  }
  // From here a failure must not leave a thread and a silent buffer flagged playing.
  if (music_mp3_refill(0, MUSIC_STREAM_HALF) != 0 || s.buffer->setCurrentPosition(0) != plat::DS_OK ||
      s.buffer->setPan(s.pan) != plat::DS_OK || s.buffer->setVolume(s.volume) != plat::DS_OK ||
      s.buffer->play(true) != plat::DS_OK) {
    stop_sequence(s);
    close_decoder(s);
  }
}

void music_mp3_stop() {
  Mp3State& s = mp3();
  if (!(s.flags & 1) || !(s.flags & 2) || !s.buffer || !s.current_decoder) return;
  stop_sequence(s);
}

void music_mp3_free() {
  Mp3State& s = mp3();
  if (!(s.flags & 1)) return;
  music_mp3_stop();
  // An ended or failed tune still holds its thread, buffer and chain.
  release_stream(s);
  close_decoder(s);
  s.flags = 0;
}

void music_mp3_restore(uint32_t state) {
  Mp3State& s = mp3();
  if (state == 0 || !s.buffer) return;
  if (s.buffer->status() & plat::DSBSTATUS_BUFFERLOST) s.buffer->restore();
}

void music_mp3_set_volume(int32_t volume) {
  Mp3State& s = mp3();
  if (!(s.flags & 1) || !s.buffer || volume == s.volume) return;
  s.buffer->setVolume(volume);
  s.volume = volume;
}

void music_mp3_set_pan(int32_t pan) {
  Mp3State& s = mp3();
  if (!(s.flags & 1) || !s.buffer || pan == s.pan) return;
  s.buffer->setPan(pan);
  s.pan = pan;
}

bool music_mp3_is_playing() {
  Mp3State& s = mp3();
  return (s.flags & 1) && (s.flags & 2) && s.buffer && (s.buffer->status() & plat::DSBSTATUS_PLAYING);
}

MUSIC_MP3_VIEW music_mp3_view() {
  Mp3State& s = mp3();
  return MUSIC_MP3_VIEW{s.flags, s.loop_mode, s.volume, s.pan, s.buffer != nullptr, s.thread.joinable(),
                        s.current_decoder, s.decoder != nullptr, s.file_name};
}

plat::ISoundBuffer* music_mp3_buffer() { return mp3().buffer.get(); }

void music_mp3_reset() {
  Mp3State& s = mp3();
  release_stream(s);
  close_decoder(s);
  s.flags = 0;
  s.loop_mode = -1;
  s.current_decoder = false;
  s.pan = 0;
  s.volume = 0;
  s.file_name[0] = 0;
  s.ops = &kFrontEnd;
}
