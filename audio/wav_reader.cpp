// The RIFF walk shared by WAV images and files. Sizes in the data are checked against what is
// there: a chunk that runs past its end, a "fmt " chunk outside 16..18 bytes, "data" sizes
// summing above 2^31, and 0 channels or 0 block align are format errors.
#include <cstring>

#include "audio/wav.h"
#include "audio/wav_walk.h"
#include "core/log/log.h"
#include "core/pak/pak.h"
#include "plat/bytes.h"

namespace {

constexpr uint32_t fourcc(const char (&s)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(s[0])) | static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(s[3])) << 24;
}
constexpr uint32_t kRiff = fourcc("RIFF");
constexpr uint32_t kWave = fourcc("WAVE");
constexpr uint32_t kFmt = fourcc("fmt ");
constexpr uint32_t kData = fourcc("data");
constexpr uint64_t kMaxDataBytes = 0x80000000ull;

struct ChunkHeader {
  uint32_t id, size;
};

bool read_header(const wav_walk::ReadAt& read, uint64_t pos, uint64_t end, ChunkHeader& h) {
  uint8_t raw[8];
  if (end < pos || end - pos < 8 || !read(pos, raw, 8)) return false;
  plat::ByteReader r(raw, sizeof raw);
  h.id = r.u32("chunk id");
  h.size = r.u32("chunk size");
  return true;
}

bool walk(uint64_t total, const wav_walk::ReadAt& read, wav_walk::Header& out) {
  uint64_t pos = 0;
  for (;;) {
    ChunkHeader h;
    if (!read_header(read, pos, total, h)) return false;
    pos += 8;
    if (h.size > total - pos) return false;
    const uint64_t chunk_end = pos + h.size;
    if (h.id != kRiff) {
      pos = chunk_end;
      continue;
    }
    uint8_t form_raw[4];
    if (h.size < 4 || !read(pos, form_raw, 4)) return false;
    uint64_t cur = pos + 4;
    if (plat::ByteReader(form_raw, 4).u32("form") != kWave) {
      pos = chunk_end;
      continue;
    }
    bool found = false;
    ChunkHeader sub{};
    while (cur < chunk_end) {
      if (!read_header(read, cur, chunk_end, sub)) return false;
      cur += 8;
      if (sub.id == kFmt) {
        found = true;
        break;
      }
      if (sub.size > chunk_end - cur) return false;
      cur += sub.size;
    }
    if (!found) {
      // A RIFF without "fmt ": the next chunk may hold the sound.
      pos = chunk_end;
      continue;
    }
    if (sub.size < 16 || sub.size > 18 || sub.size > chunk_end - cur) return false;
    uint8_t fmt_raw[18] = {};
    if (!read(cur, fmt_raw, sub.size)) return false;
    plat::ByteReader f(fmt_raw, sub.size);
    out.format.format_tag = f.u16("format tag");
    out.format.channels = f.u16("channels");
    out.format.samples_per_sec = f.u32("samples per second");
    out.format.avg_bytes_per_sec = f.u32("average bytes per second");
    out.format.block_align = f.u16("block align");
    out.format.bits_per_sample = f.u16("bits per sample");
    out.format.extra_size = 0;
    cur += sub.size;
    out.data_offset = cur;
    out.remaining = chunk_end - cur;
    out.data_bytes = 0;
    const bool sizes_ok = wav_walk::sub_chunks(cur, chunk_end, read, [&](uint64_t, uint32_t size) {
      out.data_bytes += size;
      return out.data_bytes <= kMaxDataBytes;
    });
    return sizes_ok && out.format.channels != 0 && out.format.block_align != 0;
  }
}

}  // namespace

namespace wav_walk {

bool sub_chunks(uint64_t pos, uint64_t end, const ReadAt& read, const DataVisitor& visit) {
  try {
    ChunkHeader sub{};
    while (pos < end) {
      if (!read_header(read, pos, end, sub)) return false;
      pos += 8;
      if (sub.size > end - pos) return false;
      if (sub.id == kData && !visit(pos, sub.size)) return false;
      pos += sub.size;
    }
    return true;
  } catch (const plat::MalformedInput&) {
    return false;
  }
}

bool header(uint64_t total, const ReadAt& read, Header& out) {
  try {
    return walk(total, read, out);
  } catch (const plat::MalformedInput&) {
    return false;
  }
}

}  // namespace wav_walk

uint32_t wav_duration_ms(uint32_t data_bytes, uint32_t avg_bytes_per_sec) {
  // Divisor 1 for a zero average, which otherwise divides by zero.
  return data_bytes * 1000u / (avg_bytes_per_sec ? avg_bytes_per_sec : 1u);
}

namespace wav_walk {

ReadAt image_reader(const uint8_t* image, uint32_t length) {
  return [image, length](uint64_t pos, void* dst, size_t n) {
    if (pos > length || n > length - pos) return false;
    std::memcpy(dst, image + pos, n);
    return true;
  };
}

ReadAt file_reader(PAK_FILE* file, long size) {
  return [file, size](uint64_t pos, void* dst, size_t n) {
    if (size < 0 || pos > static_cast<uint64_t>(size) || n > static_cast<uint64_t>(size) - pos) return false;
    if (pak_fseek(file, static_cast<long>(pos), 0) != 0) return false;
    return pak_fread(dst, 1, n, file) == n;
  };
}

}  // namespace wav_walk

int32_t wav_parse_image(const uint8_t* image, uint32_t length, uint32_t* data_offset, WAV_FORMAT* format,
                        uint32_t* remaining, uint32_t* data_bytes) {
  if (!image) return -1;
  wav_walk::Header h;
  if (!wav_walk::header(length, wav_walk::image_reader(image, length), h)) return -1;
  if (data_offset) *data_offset = static_cast<uint32_t>(h.data_offset);
  if (format) *format = h.format;
  if (remaining) *remaining = static_cast<uint32_t>(h.remaining);
  if (data_bytes) *data_bytes = static_cast<uint32_t>(h.data_bytes);
  return 0;
}

int32_t wav_read_header(PAK_FILE* file, WAV_FORMAT* format, uint32_t* remaining, uint32_t* data_bytes) {
  if (!file) return -1;
  const long size = pak_fsize(file);
  wav_walk::Header h;
  if (size < 0 || !wav_walk::header(static_cast<uint64_t>(size), wav_walk::file_reader(file, size), h)) return -1;
  // The data reader goes on from just behind "fmt ".
  if (pak_fseek(file, static_cast<long>(h.data_offset), 0) != 0) return -1;
  if (format) *format = h.format;
  if (remaining) *remaining = static_cast<uint32_t>(h.remaining);
  if (data_bytes) *data_bytes = static_cast<uint32_t>(h.data_bytes);
  return 0;
}

int32_t wav_get_file_info(const char* name, uint32_t* channels, uint32_t* samples_per_sec, uint32_t* bits,
                          uint32_t* data_bytes, uint32_t* duration_ms) {
  PAK_FILE* file = name ? pak_fopen(name, "rb") : nullptr;
  if (!file) {
    sys_log_printf(1, "open file %s error", name ? name : "");
    return -2;
  }
  WAV_FORMAT format{};
  uint32_t bytes = 0;
  const bool ok = wav_read_header(file, &format, nullptr, &bytes) == 0;
  pak_fclose(file);
  if (!ok) {
    sys_log_printf(1, "get wav %s format error", name);
    return -2;
  }
  if (channels) *channels = format.channels;
  if (samples_per_sec) *samples_per_sec = format.samples_per_sec;
  if (bits) *bits = format.bits_per_sample;
  if (data_bytes) *data_bytes = bytes;
  if (duration_ms) *duration_ms = wav_duration_ms(bytes, format.avg_bytes_per_sec);
  return 0;
}
