// The WAV walker over arbitrary images: it must refuse or answer within the image.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A copy of exactly size bytes, so that any read past the end is caught.
  std::vector<uint8_t> image(data, data + size);
  WAV_FORMAT format;
  uint32_t offset = 0, remaining = 0, bytes = 0;
  const uint8_t* p = image.empty() ? reinterpret_cast<const uint8_t*>("") : image.data();
  if (wav_parse_image(p, static_cast<uint32_t>(size), &offset, &format, &remaining, &bytes) == 0) {
    if (offset > size || remaining > size || bytes > 0x80000000u) __builtin_trap();
    if (format.channels == 0 || format.block_align == 0) __builtin_trap();
    (void)wav_duration_ms(bytes, format.avg_bytes_per_sec);
  }
  return 0;
}
