// MPEG audio bytes -> the decoder stream over a memory stream (seekable or not by the first
// byte), opened with an output configuration from the input, then reads of varied sizes, seeks,
// peeks and the output controls with floats taken from the input: no input may fault or hang.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/mpeg/mpeg_audio_stream.h"
#include "tests/support/memory_stream.h"

namespace {

// Values for the operations, drawn from the input's own bytes.
class Draw {
 public:
  Draw(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint32_t next() {
    x_ = x_ * 1103515245u + 12345u + (size_ ? data_[i_++ % size_] : 0u);
    return x_ >> 8;
  }
  float real() {
    static const float k_values[] = {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, 1e30f, -1e30f, 1e-30f, 65536.0f};
    const uint32_t v = next();
    if (v & 1) {
      float f;
      uint32_t bits = next() << 8 ^ next();
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    return k_values[(v >> 1) % (sizeof k_values / sizeof k_values[0])];
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t i_ = 0;
  uint32_t x_ = 1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t config = data[0];
  std::vector<uint8_t> bytes(data + 1, data + size);
  test_support::MemoryStream in(bytes, (config & 1) != 0);
  audio::CMpegAudioStream s;
  static const int k_channels[4] = {0, 1, 2, -2};
  int rate = 0, stereo = 0;
  if (s.open(&in, &rate, &stereo, (config & 2) != 0, (config >> 2) & 3, k_channels[(config >> 4) & 3]) != 0) return 0;
  Draw draw(data, size);
  std::vector<uint8_t> buf(20000);
  std::vector<float> floats(576);
  for (int op = 0; op < 64; ++op) {
    const uint32_t v = draw.next();
    switch (v % 8) {
      case 0:
      case 1:
      case 2: {
        const int64_t n = static_cast<int64_t>(draw.next() % buf.size());
        if (s.read(buf.data(), n) <= 0 && (v & 0x100)) return 0;
        break;
      }
      case 3: s.seek(static_cast<int64_t>(draw.next()) % (s.size() + 10000)); break;
      case 4: s.peek(buf.data(), static_cast<int64_t>(draw.next() % buf.size())); break;
      case 5: s.control(4100 + static_cast<int>(draw.next() % 2), nullptr, draw.next() & 1); break;
      default: {
        for (float& f : floats) f = draw.real();
        const int code = 4096 + static_cast<int>(draw.next() % 4);
        s.control(code, (draw.next() % 5) ? floats.data() : nullptr, 0);
        break;
      }
    }
  }
  s.control(49, nullptr, 0);
  return 0;
}
