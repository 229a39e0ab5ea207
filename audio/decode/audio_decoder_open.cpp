// Opening a tune: what the file holds decides the chain in front of the decoder. An MPEG-1
// system stream goes through the demultiplexer (audio stream 0xC0), a RIFF file through a slice
// over its "data" chunk, anything else is MPEG audio, sliced between leading junk and an ID3v1
// trailer.
#include <algorithm>
#include <cstring>
#include <new>

#include "audio/decode/audio_decoder_chain.h"
#include "audio/mpeg/mpa_frame.h"
#include "audio/mpeg/mpeg_audio_stream.h"
#include "audio/stream/file_stream.h"
#include "audio/stream/slice_stream.h"
#include "audio/stream/system_stream.h"
#include "core/log/log.h"

namespace {

using audio::ByteOrder;
using audio::CStream;

constexpr uint32_t kPackStart = 0x000001BA;
constexpr uint32_t kRiff = 0x52494646;  // "RIFF"
constexpr uint32_t kInfo = 0x494E464F;  // "INFO"
constexpr int kAudioStreamId = 0xC0;
constexpr int kMaxJunk = 1024;
constexpr int64_t kTagBytes = 128;
constexpr int64_t kReadCache = 64 * 1024;  // the junk skip and the packet search read bytewise
constexpr int kFileReadRandom = 2;

// Where the bytes after an ID3v2 head start ("ID3", version, flags, a syncsafe size, then a
// 10-byte footer when flag bit 4 is set); 0 when the file does not start with one.
int64_t id3v2_end(CStream& file) {
  uint8_t h[10];
  if (file.peek(h, sizeof h) != sizeof h || std::memcmp(h, "ID3", 3) != 0) return 0;
  int64_t size = 0;
  for (int i = 6; i < 10; ++i) {
    if (h[i] & 0x80) return 0;  // not a syncsafe size: no tag after all
    size = size << 7 | h[i];
  }
  return 10 + size + ((h[5] & 0x10) ? 10 : 0);
}

// Leading junk is skipped while the word under the position is no 12-bit sync (below 0xFFF0)
// or is part of a run of 0xFF bytes; the music rule also stops at any valid frame header.
bool before_sync(CStream& file, AudioStartRule rule) {
  const uint16_t w = file.peekU16(ByteOrder::Big);
  if (w >= 0xFFF0 && w != 0xFFFF) return false;
  return rule != AudioStartRule::Music || !mpa::header_word_valid(file.peekU32(ByteOrder::Big));
}

// The MPEG audio runs from p to the end of the file, or to an ID3v1 trailer ("TAG" 128 bytes
// before the end). A file stream that cannot seek is read as it is.
void slice_to_tag(AUDIO_DECODER& d, int64_t p) {
  audio::CFileStream& file = *d.file;
  if (!(file.flags() & CStream::kRandomAccess)) return;
  const int64_t size = file.size();
  file.seek(size - kTagBytes);
  uint8_t tag[3] = {};
  const bool tagged = file.read(tag, sizeof tag) == sizeof tag && std::memcmp(tag, "TAG", 3) == 0;
  // A file shorter than the trailer would give a negative length.
  const int64_t length = std::max<int64_t>(0, size - p - (tagged ? kTagBytes : 0));
  if (d.slice->open(&file, p, length) == 0) d.input = d.slice;
}

// Steps 4 to 8 of the recognition, from the file stream's current position; false after
// logging why.
bool recognise(AUDIO_DECODER& d, AudioStartRule rule) {
  audio::CFileStream& file = *d.file;
  const uint32_t word = file.peekU32(ByteOrder::Big);
  if (word == kPackStart) {
    if (d.system->open(&file, kAudioStreamId, false) != 0) {
      sys_log(1, "mpeg stream does not contain audio data");
      return false;
    }
    d.input = d.system;
    return true;
  }
  if (word == kRiff) {
    file.read(nullptr, 12);  // the RIFF header and the form type
    for (;;) {
      uint8_t id[4];
      if (file.read(id, sizeof id) != sizeof id) {
        sys_log(1, "Could not find data chunk in RIFF file");
        return false;
      }
      const uint32_t size = file.readU32(ByteOrder::Little);
      if (std::memcmp(id, "data", 4) == 0) {
        if (d.slice->open(&file, file.position(), size) == 0) d.input = d.slice;
        return true;
      }
      file.read(nullptr, size);
    }
  }
  if (word == kInfo) {
    file.readU32(ByteOrder::Big);
    file.read(nullptr, file.readU32(ByteOrder::Big));
    slice_to_tag(d, file.position());
    return true;
  }
  // A first word of 0xFFFF is taken as the start; only junk below the sync starts the skip.
  if (file.peekU16(ByteOrder::Big) < 0xFFF0 && before_sync(file, rule)) {
    for (int skipped = 0; skipped < kMaxJunk && stream_at_end(&file) == 0 && before_sync(file, rule); ++skipped)
      file.readByte();
  }
  slice_to_tag(d, file.position());
  return true;
}

template <typename T>
T* make(T*& slot) {
  slot = new (std::nothrow) T;
  return slot;
}

}  // namespace

AUDIO_DECODER* audio_open_decoder_with(const char* name, AudioStartRule rule) {
  AUDIO_DECODER* d = new (std::nothrow) AUDIO_DECODER;
  if (d == nullptr || !make(d->file) || !make(d->slice) || !make(d->system)) {
    sys_log(1, "memory alloc error");
    audio_close_decoder(d);
    return nullptr;
  }
  if (name == nullptr || d->file->open(name, kFileReadRandom) != 0) {
    sys_log_printf(1, "open file %s error", name ? name : "");
    audio_close_decoder(d);
    return nullptr;
  }
  d->file->control(15, nullptr, kReadCache);
  d->current = d->input = d->file;
  if (rule == AudioStartRule::Music) d->file->seek(id3v2_end(*d->file));
  if (!recognise(*d, rule)) {
    audio_close_decoder(d);
    return nullptr;
  }
  int rate = 0, stereo = 0;
  if (!make(d->decoder) || !make(d->format)) {
    sys_log(1, "memory alloc error");
    audio_close_decoder(d);
    return nullptr;
  }
  if (d->decoder->open(d->input, &rate, &stereo, true, 0, 0) != 0) {
    sys_log(1, "Could not open audio mpeg");
    audio_close_decoder(d);
    return nullptr;
  }
  WAV_FORMAT& f = *d->format;
  f.format_tag = 1;
  f.channels = stereo ? 2 : 1;
  f.samples_per_sec = static_cast<uint32_t>(rate);
  f.bits_per_sample = 16;
  f.block_align = static_cast<uint16_t>(f.channels * 16 / 8);
  f.avg_bytes_per_sec = f.block_align * f.samples_per_sec;
  f.extra_size = 0;
  return d;
}

AUDIO_DECODER* audio_open_decoder(const char* name) { return audio_open_decoder_with(name, AudioStartRule::FrontEnd); }
