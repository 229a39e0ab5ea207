// The link receive path: random bytes through the incremental frame decoder, fed in chunks of
// random size, with a receiver that sometimes drops the link from inside a delivery (the buffer
// is handed away and the payload must stay readable). No read past a frame, no frame above the
// cap, and no buffer beyond what the bytes in flight need.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "plat/netframe.h"

namespace {
constexpr uint32_t kCap = 4096;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // Byte 0 seeds the chunk sizes, byte 1 the disconnect pattern; the rest is the stream.
  uint32_t chunkSeed = data[0];
  const uint8_t dropPattern = data[1];
  data += 2;
  size -= 2;

  plat::netframe::Decoder d(kCap);
  std::vector<std::vector<uint8_t>> retired;
  size_t at = 0;
  unsigned delivered = 0;
  while (at < size) {
    chunkSeed = chunkSeed * 1103515245u + 12345u;
    size_t n = 1 + (chunkSeed >> 16) % 257;
    if (n > size - at) n = size - at;
    d.feed(data + at, n);
    at += n;

    plat::netframe::Frame f;
    for (;;) {
      plat::netframe::Decoder::Result r = d.next(f);
      if (r == plat::netframe::Decoder::Result::NeedMore) break;
      if (r == plat::netframe::Decoder::Result::TooLong) {
        d.reset();  // the link is lost; a new connection starts clean
        break;
      }
      if (f.length > kCap) std::abort();
      volatile uint8_t sum = 0;
      if (dropPattern & (1u << (delivered++ % 8))) {
        retired.push_back(d.takeBuffer());  // disconnect inside the callback
        for (uint32_t i = 0; i < f.length; ++i) sum = static_cast<uint8_t>(sum + f.payload[i]);
        retired.clear();  // the poll returned
        break;
      }
      for (uint32_t i = 0; i < f.length; ++i) sum = static_cast<uint8_t>(sum + f.payload[i]);
    }
    if (d.capacity() > 2 * (kCap + plat::netframe::kHeaderSize + 257)) std::abort();
  }
  return 0;
}
