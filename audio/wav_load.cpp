// Whole WAV samples from data files and from images: the header walk, one block for header and
// PCM, then every "data" chunk in order. A sample never holds bytes that were not read.
#include <cstdlib>
#include <new>

#include "audio/wav.h"
#include "audio/wav_walk.h"
#include "core/log/log.h"
#include "core/pak/pak.h"

namespace {

// Copies every "data" payload of [pos, pos + remaining) into exactly capacity bytes.
bool copy_data(const wav_walk::ReadAt& read, uint64_t pos, uint32_t remaining, uint8_t* destination,
               uint32_t capacity) {
  if (!destination && capacity) return false;
  uint64_t copied = 0;
  const bool ok = wav_walk::sub_chunks(pos, pos + remaining, read, [&](uint64_t at, uint32_t size) {
    if (size > capacity - copied) return false;
    if (size && !read(at, destination + copied, size)) return false;
    copied += size;
    return true;
  });
  return ok && copied == capacity;
}

WAV_SAMPLE* new_sample(const WAV_FORMAT& format, uint32_t data_bytes) {
  void* block = std::malloc(sizeof(WAV_SAMPLE) + data_bytes);
  if (!block) return nullptr;
  return new (block) WAV_SAMPLE{format, data_bytes, -1};
}

}  // namespace

int32_t wav_read_data(PAK_FILE* file, uint8_t* destination, uint32_t capacity, uint32_t remaining) {
  if (!file) return -1;
  const long size = pak_fsize(file);
  const long pos = pak_ftell(file);
  if (size < 0 || pos < 0) return -1;
  return copy_data(wav_walk::file_reader(file, size), static_cast<uint64_t>(pos), remaining, destination, capacity)
             ? 0
             : -1;
}

int32_t wav_copy_image_data(const uint8_t* image, uint32_t length, uint32_t offset, uint8_t* destination,
                            uint32_t capacity, uint32_t remaining) {
  if (!image) return -1;
  return copy_data(wav_walk::image_reader(image, length), offset, remaining, destination, capacity) ? 0 : -1;
}

WAV_SAMPLE* wav_load_file(const char* name) {
  PAK_FILE* file = name ? pak_fopen(name, "rb") : nullptr;
  if (!file) {
    sys_log_printf(1, "open file %s error", name ? name : "");
    return nullptr;
  }
  WAV_FORMAT format{};
  uint32_t remaining = 0, data_bytes = 0;
  WAV_SAMPLE* sample = nullptr;
  if (wav_read_header(file, &format, &remaining, &data_bytes) != 0) {
    sys_log_printf(1, "get wav %s format error", name);
  } else if (!(sample = new_sample(format, data_bytes))) {
    sys_log(1, "sample memory alloc error");
  } else if (wav_read_data(file, sample->pcm(), data_bytes, remaining) != 0) {
    sys_log_printf(1, "get wav %s data error", name);
    wav_free(&sample);
  }
  pak_fclose(file);
  return sample;
}

WAV_SAMPLE* wav_load_image(const uint8_t* image, uint32_t length) {
  WAV_FORMAT format{};
  uint32_t offset = 0, remaining = 0, data_bytes = 0;
  if (wav_parse_image(image, length, &offset, &format, &remaining, &data_bytes) != 0) {
    sys_log(1, "get buffer wav format error");
    return nullptr;
  }
  WAV_SAMPLE* sample = new_sample(format, data_bytes);
  if (!sample) {
    sys_log(1, "sample memory alloc error");
    return nullptr;
  }
  if (wav_copy_image_data(image, length, offset, sample->pcm(), data_bytes, remaining) != 0) {
    sys_log(1, "get buffer wav data error");
    wav_free(&sample);
  }
  return sample;
}

void wav_free(WAV_SAMPLE** sample) {
  if (!sample || !*sample) return;
  std::free(*sample);
  *sample = nullptr;
}
