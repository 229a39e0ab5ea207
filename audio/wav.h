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

struct PAK_FILE;

// A loaded sound: the header and its PCM bytes in one block (8-bit unsigned or 16-bit signed).
struct WAV_SAMPLE {
  WAV_FORMAT format;
  uint32_t data_size;
  int32_t reserved;  // -1 at load, never read
  uint8_t* pcm() { return reinterpret_cast<uint8_t*>(this + 1); }
  const uint8_t* pcm() const { return reinterpret_cast<const uint8_t*>(this + 1); }
};

// The header of the WAV file open on the stream; the stream is left just behind "fmt ", where
// wav_read_data goes on. 0, or -1 for a format error.
int32_t wav_read_header(PAK_FILE* file, WAV_FORMAT* format, uint32_t* remaining, uint32_t* data_bytes);
// Appends the payload of every "data" chunk of the remaining bytes at the destination, which
// holds capacity bytes. 0 only when exactly capacity bytes were read; -1 for a short read or a
// chunk that does not fit.
int32_t wav_read_data(PAK_FILE* file, uint8_t* destination, uint32_t capacity, uint32_t remaining);
// The same from offset (as wav_parse_image gave it) within an image of length bytes.
int32_t wav_copy_image_data(const uint8_t* image, uint32_t length, uint32_t offset, uint8_t* destination,
                            uint32_t capacity, uint32_t remaining);

// A whole sample from a data file or from an image of length bytes; null after logging why.
WAV_SAMPLE* wav_load_file(const char* name);
WAV_SAMPLE* wav_load_image(const uint8_t* image, uint32_t length);
// Frees the sample and clears the owner's pointer.
void wav_free(WAV_SAMPLE** sample);
