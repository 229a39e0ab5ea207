// Bytes as an MPEG-1 system stream over a memory stream (seekable or not, and with or without
// the system header check, by the first byte), then reads and peeks of sizes drawn from the
// input until the audio stream ends: no input may fault, hang or read past what it was given.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/stream/system_stream.h"
#include "tests/support/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t config = data[0];
  test_support::MemoryStream in(std::vector<uint8_t>(data + 1, data + size), (config & 1) != 0);
  audio::CMpegSystemStream s;
  const int streamId = (config & 4) ? 0xC1 : 0xC0;
  if (s.open(&in, streamId, (config & 2) != 0) != 0) return 0;
  std::vector<uint8_t> buf(4096);
  uint32_t x = config;
  // Every read consumes at least one inner byte or ends the stream, so this loop is bounded by
  // the input's size; the cap guards against a parser that stops making progress.
  for (size_t op = 0; op <= size + 16; ++op) {
    x = x * 1103515245u + 12345u;
    const int64_t n = static_cast<int64_t>((x >> 8) % (buf.size() + 1));
    if ((x >> 4) % 5 == 0) {
      s.peek(buf.data(), n);
      continue;
    }
    if (s.read(buf.data(), n) < n) break;
  }
  s.control(49, nullptr, 0);
  return 0;
}
