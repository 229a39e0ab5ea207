// Writing 16-bit pixels as an uncompressed, bottom-up 24-bit BMP file.
#include <algorithm>
#include <memory>
#include <vector>

#include "core/log/log.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bmp/bmp.h"
#include "graphics/bmp/bmp_format.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/platform.h"

namespace {

// Rows are gathered into chunks of about this size before each write.
constexpr size_t kChunk = 256 * 1024;
constexpr uint32_t kPixelValues = 65536;

plat::ByteWriter head_bytes(int32_t width, int32_t height) {
  const uint64_t image = bmp_stride24(width) * static_cast<uint64_t>(height);
  plat::ByteWriter w;
  w.bytes("BM", 2);
  w.u32(static_cast<uint32_t>(image + BMP_HEAD_SIZE));
  w.u16(0);
  w.u16(0);
  w.u32(BMP_HEAD_SIZE);
  w.u32(BMP_INFO_SIZE);
  w.i32(width);
  w.i32(height);
  w.u16(1);
  w.u16(24);
  w.u32(0);
  w.u32(0);
  w.i32(72);
  w.i32(72);
  w.u32(0);
  w.u32(0);
  return w;
}

// Writes the file; row(y) gives the pixels of row y. Every write is checked: a file that could
// not be written whole is removed rather than left behind as a broken picture.
template <class RowFn>
int write_bmp(const char* path, int32_t width, int32_t height, RowFn row) {
  plat::IFileSystem& files = plat::get().files();
  std::unique_ptr<plat::File> f = files.open(path, "wb");
  if (!f) {
    sys_log_printf(1, "Can't open bmp file %s", path);
    return -1;
  }
  const size_t stride = static_cast<size_t>(bmp_stride24(width));
  const size_t pad = stride - 3 * static_cast<size_t>(width);
  const plat::ByteWriter head = head_bytes(width, height);
  bool ok = f->write(head.data().data(), head.size()) == head.size();
  // Whole rows are gathered into a chunk of about kChunk bytes before each write.
  const size_t rows_per_chunk = std::max<size_t>(1, kChunk / std::max<size_t>(stride, 1));
  std::vector<uint8_t> chunk(rows_per_chunk * stride);
  uint32_t (*const unpack)(uint16_t) = pixel_ops.unpack_rgb;
  // A large picture (a screenshot, a replay frame) unpacks through a table of every pixel
  // value: one call per value instead of one per pixel.
  std::vector<uint32_t> table;
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) >= 2 * kPixelValues) {
    table.resize(kPixelValues);
    for (uint32_t v = 0; v < kPixelValues; ++v) table[v] = unpack(static_cast<uint16_t>(v));
  }
  size_t used = 0;
  for (int32_t y = height - 1; ok && y >= 0; --y) {
    const uint16_t* px = row(y);
    uint8_t* out = chunk.data() + used;
    uint32_t rgb = 0;
    for (int32_t x = 0; x < width; ++x, out += 3) {
      rgb = table.empty() ? unpack(px[x]) : table[px[x]];
      out[0] = static_cast<uint8_t>(rgb);
      out[1] = static_cast<uint8_t>(rgb >> 8);
      out[2] = static_cast<uint8_t>(rgb >> 16);
    }
    // The pad repeats the first bytes (blue, green, red) of the row's last value.
    for (size_t i = 0; i < pad; ++i) out[i] = static_cast<uint8_t>(rgb >> (8 * i));
    used += stride;
    if (used == chunk.size() || y == 0) {
      ok = f->write(chunk.data(), used) == used;
      used = 0;
    }
  }
  ok = ok && f->flush();
  f.reset();
  if (!ok) {
    files.remove(path);
    sys_log_printf(1, "Can't write bmp file %s", path);
    return -1;
  }
  return 0;
}

}  // namespace

int bmp_save(BITMAP16* bitmap, const char* path) {
  if (!bitmap) {
    sys_log_printf(1, "Can't save null bmp to file %s", path ? path : "");
    return -2;
  }
  if (!path) return -1;
  return write_bmp(path, static_cast<int32_t>(bitmap->width), static_cast<int32_t>(bitmap->height),
                   [bitmap](int32_t y) { return static_cast<const uint16_t*>(bitmap->rows[y]); });
}

int bmp_save_pixels(const uint16_t* pixels, int32_t width, int32_t height, const char* path) {
  if (!pixels) {
    sys_log_printf(1, "Can't save null bmp to file %s", path ? path : "");
    return -2;
  }
  if (!path || width < 0 || height < 0 || width > BITMAP16_MAX_SIZE || height > BITMAP16_MAX_SIZE) return -1;
  return write_bmp(path, width, height,
                   [pixels, width](int32_t y) { return pixels + static_cast<size_t>(y) * static_cast<size_t>(width); });
}
