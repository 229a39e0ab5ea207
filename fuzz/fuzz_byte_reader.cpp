// ByteReader over random field tables and random data: every bad read is a MalformedInput, and
// nothing else may escape or read out of bounds. The first byte is the table length; the table's
// bytes pick operations and sizes; the rest is the record.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plat/bytes.h"

namespace {

void run(plat::ByteReader& r, const uint8_t* table, size_t n, int depth) {
  for (size_t i = 0; i < n; ++i) {
    uint8_t op = table[i] % 12;
    size_t arg = table[i] / 12;  // 0..21
    try {
      switch (op) {
        case 0: r.u8("u8"); break;
        case 1: r.u16("u16"); break;
        case 2: r.u32("u32"); break;
        case 3: r.u64("u64"); break;
        case 4: r.f32("f32"); break;
        case 5: r.bytes(arg, "bytes"); break;
        case 6: (void)r.fixedString(arg, "string"); break;
        case 7: r.skip(arg, "skip"); break;
        case 8: r.seek(arg, "seek"); break;
        case 9: {
          uint8_t buf[32];
          r.copy(buf, arg, "copy");
          break;
        }
        case 10: {
          // The next arg % 8 operations read inside the sub-record.
          plat::ByteReader s = r.sub(arg, "sub");
          size_t inner = arg % 8 < n - i - 1 ? arg % 8 : n - i - 1;
          if (depth < 4) run(s, table + i + 1, inner, depth + 1);
          i += inner;
          break;
        }
        case 11: {
          // Counts and sizes up to the 64-bit limits.
          uint64_t count = arg < 11 ? arg : (uint64_t{1} << (arg * 3 % 64));
          uint64_t size = r.remaining() ? r.rest()[0] : (uint64_t{1} << 63);
          plat::ByteReader s = r.records(count, size, "records");
          if (s.size() != count * size) __builtin_trap();
          break;
        }
      }
    } catch (const plat::MalformedInput& e) {
      if (e.wanted() <= e.available() && op != 8 && op != 11) __builtin_trap();  // a refusal must be short
    }
    if (r.position() > r.size()) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  size_t n = data[0];
  if (n > size - 1) n = size - 1;
  const uint8_t* table = data + 1;
  std::vector<uint8_t> record(data + 1 + n, data + size);
  plat::ByteReader r(record.data(), record.size(), 7);
  run(r, table, n, 0);
  return 0;
}
