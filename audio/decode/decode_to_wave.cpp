// The converter: a whole tune decoded into a RIFF WAVE file of 16-bit PCM, its two sizes patched
// in after the last block.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "audio/decode/audio_decoder.h"
#include "core/log/log.h"
#include "plat/bytes.h"
#include "plat/platform.h"

namespace {

constexpr uint32_t kBlockBytes = 4608;  // one decoder frame of 16-bit stereo

// The output file's header, little-endian; both sizes are written 0 and patched at the end.
constexpr plat::FieldSpec kHeaderFields[] = {
    {"riff", 0, 4}, {"riff size", 4, 4}, {"wave", 8, 4}, {"fmt id", 12, 4}, {"fmt size", 16, 4},
    {"format tag", 20, 2}, {"channels", 22, 2}, {"samples per sec", 24, 4}, {"avg bytes per sec", 28, 4},
    {"block align", 32, 2}, {"bits per sample", 34, 2}, {"data id", 36, 4}, {"data size", 40, 4},
};
constexpr size_t kHeaderBytes = 44;
static_assert(plat::checkLayout(kHeaderFields, kHeaderBytes));
constexpr int64_t kRiffSizeAt = 4;
constexpr int64_t kDataSizeAt = 40;

// The "fmt " record carries the first 16 bytes of the wave format (no extra-size field).
std::vector<uint8_t> header(const WAV_FORMAT& f) {
  plat::ByteWriter w;
  w.bytes("RIFF", 4);
  w.u32(0);
  w.bytes("WAVE", 4);
  w.bytes("fmt ", 4);
  w.u32(16);
  w.u16(f.format_tag);
  w.u16(f.channels);
  w.u32(f.samples_per_sec);
  w.u32(f.avg_bytes_per_sec);
  w.u16(f.block_align);
  w.u16(f.bits_per_sample);
  w.bytes("data", 4);
  w.u32(0);
  return w.take();
}

bool put_u32_at(plat::File& file, int64_t at, uint32_t v) {
  plat::ByteWriter w;
  w.u32(v);
  return file.seek(at, SEEK_SET) && file.write(w.data().data(), w.size()) == w.size();
}

}  // namespace

int32_t audio_decode_to_wave_file(const char* source, const char* destination) {
  AUDIO_DECODER* decoder = audio_open_decoder(source);
  if (decoder == nullptr) {
    sys_log_printf(1, "open mp3 file %s error", source ? source : "");
    return -1;
  }
  std::unique_ptr<plat::File> out = destination ? plat::get().files().open(destination, "wb") : nullptr;
  if (!out) {
    sys_log_printf(1, "open wave file %s error", destination ? destination : "");
    audio_close_decoder(decoder);
    return -1;
  }
  const WAV_FORMAT* format = audio_get_wave_format(decoder);
  if (format == nullptr) {
    sys_log_printf(1, "get mp3 %s 's waveformat error", source);
    out.reset();
    audio_close_decoder(decoder);
    return -1;
  }
  const std::vector<uint8_t> head = header(*format);
  out->write(head.data(), head.size());
  std::unique_ptr<uint8_t[]> block(new uint8_t[kBlockBytes]);
  for (int32_t n; (n = audio_read_pcm(decoder, block.get(), kBlockBytes)) > 0;) out->write(block.get(), static_cast<size_t>(n));
  // A file past 4 GiB keeps the largest sizes the fields hold.
  const int64_t length = std::clamp<int64_t>(out->tell(), kHeaderBytes, UINT32_MAX);
  put_u32_at(*out, kRiffSizeAt, static_cast<uint32_t>(length - 8));
  put_u32_at(*out, kDataSizeAt, static_cast<uint32_t>(length - static_cast<int64_t>(kHeaderBytes)));
  out.reset();
  audio_close_decoder(decoder);
  return 0;
}
