// WAV headers: the "fmt " record and the total size of the "data" chunks of a RIFF WAVE file
// or image. The sound-effect front takes its durations from these.
#pragma once
#include <cstdint>

// The wave format as the sound device takes it (18 bytes: tag, channels, rate, average bytes
// per second, block align, bits, extra size).
struct WAV_FORMAT {
  uint16_t format_tag;
  uint16_t channels;
  uint32_t samples_per_sec;
  uint32_t avg_bytes_per_sec;
  uint16_t block_align;
  uint16_t bits_per_sample;
  uint16_t extra_size;  // always 0
};

// Walks a WAV image of length bytes: data offset = just behind the "fmt " chunk, remaining =
// the bytes of the RIFF chunk after it, data bytes = the sum of every "data" chunk. 0, or -1
// for a format error (nothing is read beyond the image; every out pointer may be null).
int32_t wav_parse_image(const uint8_t* image, uint32_t length, uint32_t* data_offset, WAV_FORMAT* format,
                        uint32_t* remaining, uint32_t* data_bytes);

// The header of a WAV file (data files: disk, then the current archive). 0, or -2 when the file
// cannot be opened ("open file %s error") or its header is refused ("get wav %s format error").
// Every out pointer may be null.
int32_t wav_get_file_info(const char* name, uint32_t* channels, uint32_t* samples_per_sec, uint32_t* bits,
                          uint32_t* data_bytes, uint32_t* duration_ms);

// data bytes x 1000 / average bytes per second in unsigned 32-bit arithmetic (a product above
// 2^32 wraps, which only shortens very long sounds); a zero average divides by 1.
uint32_t wav_duration_ms(uint32_t data_bytes, uint32_t avg_bytes_per_sec);
