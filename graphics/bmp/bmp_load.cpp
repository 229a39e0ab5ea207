// Reading 24-bit and 8-bit BMP files into 16-bit bitmaps through the PAK layer.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/pak/pak.h"
#include "core/log/log.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/image_limits.h"
#include "graphics/bmp/bmp.h"
#include "graphics/bmp/bmp_format.h"
#include "graphics/pixel_ops/pixel_ops.h"

namespace {

constexpr size_t kProbeSize = 30;  // up to and including the bit count
constexpr uint32_t kMaxPalette = 256;

struct Closer {
  PAK_FILE* f;
  ~Closer() { pak_fclose(f); }
};

// Reads one row into buf; returns the bytes read, zeroing the rest.
size_t read_row(PAK_FILE* f, std::vector<uint8_t>& buf) {
  const size_t n = pak_fread(buf.data(), 1, buf.size(), f);
  std::memset(buf.data() + n, 0, buf.size() - n);
  return n;
}

// Rows 0..last were never read: black, whatever the pixel format.
void blacken_rows_above(BITMAP16* bm, int32_t last) {
  const uint16_t black = pixel_ops.pack_rgb(0);
  for (int32_t y = 0; y <= last; ++y) std::fill(bm->rows[y], bm->rows[y] + bm->width, black);
}

BITMAP16* load24(PAK_FILE* f, uint32_t pixel_offset, int32_t width, int32_t height) {
  // The file decides the sizes: only 1..IMAGE_MAX_SIDE each way is read (a negative height, a
  // top-down file, is left unread too).
  if (!image_sides_ok(width, height)) return nullptr;
  BITMAP16* bm = bitmap16_create(width, height);
  if (!bm) return nullptr;
  std::vector<uint8_t> row(static_cast<size_t>(bmp_stride24(width)));
  pak_fseek(f, static_cast<long>(pixel_offset), 0);
  // The file's first row is the bitmap's last. Rows past the end of the data stay black.
  bool more = true;
  int32_t y_end = height - 1;
  for (; more && y_end >= 0; --y_end) {
    more = read_row(f, row) == row.size();  // a short row ends in zeros: black
    uint16_t* out = bm->rows[y_end];
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = &row[3 * static_cast<size_t>(x)];
      out[x] = pixel_ops.pack_rgb(p[0] | p[1] << 8 | uint32_t{p[2]} << 16);
    }
  }
  blacken_rows_above(bm, y_end);
  return bm;
}

BITMAP16* load8(PAK_FILE* f) {
  uint8_t info[BMP_INFO_SIZE];
  pak_fseek(f, BMP_FILE_HEAD_SIZE, 0);
  if (pak_fread(info, 1, sizeof info, f) != sizeof info) return nullptr;
  plat::ByteReader r(info, sizeof info, BMP_FILE_HEAD_SIZE);
  r.skip(4, "info size");
  const int32_t width = r.i32("width");
  const int32_t height = r.i32("height");
  r.skip(2, "planes");
  const uint16_t bits = r.u16("bit count");
  r.skip(16, "compression to y pixels per m");
  const uint32_t used = r.u32("colours used");
  const uint32_t count = used != 0 ? used : (bits == 8 ? kMaxPalette : 0);
  if (!image_sides_ok(width, height) || count > kMaxPalette) return nullptr;
  const uint16_t black = pixel_ops.pack_rgb(0);
  // Indices at or above the palette count, and entries the file lacks, are black.
  uint16_t palette[kMaxPalette];
  std::fill(palette, palette + kMaxPalette, black);
  uint8_t raw[4 * kMaxPalette] = {};
  // Item size 1: an archive entry counts bytes where a disk file counts items.
  const size_t entries = pak_fread(raw, 1, 4 * size_t{count}, f) / 4;
  for (size_t i = 0; i < entries && i < count; ++i)
    palette[i] = pixel_ops.pack_rgb(raw[4 * i] | raw[4 * i + 1] << 8 | uint32_t{raw[4 * i + 2]} << 16);
  BITMAP16* bm = bitmap16_create(width, height);
  if (!bm) return nullptr;
  // The rows follow the palette directly, whatever the head's pixel offset says.
  std::vector<uint8_t> row(static_cast<size_t>(bmp_stride8(width)));
  bool more = true;
  int32_t y_end = height - 1;
  for (; more && y_end >= 0; --y_end) {
    const size_t n = read_row(f, row);
    more = n == row.size();
    uint16_t* out = bm->rows[y_end];
    for (int32_t x = 0; x < width; ++x) out[x] = size_t(x) < n ? palette[row[size_t(x)]] : black;
  }
  blacken_rows_above(bm, y_end);
  return bm;
}

}  // namespace

BITMAP16* bmp_load(const char* path) {
  PAK_FILE* f = path ? pak_fopen(path, "rb") : nullptr;
  if (!f) {
    sys_log_printf(1, "Can't open bmp file %s", path ? path : "");
    return nullptr;
  }
  Closer closer{f};
  uint8_t head[kProbeSize];
  if (pak_fread(head, 1, sizeof head, f) != sizeof head) return nullptr;
  plat::ByteReader r(head, sizeof head);
  const auto signature = r.bytes(2, "signature");
  r.skip(8, "file size and reserved");
  const uint32_t pixel_offset = r.u32("pixel offset");
  r.skip(4, "info size");
  const int32_t width = r.i32("width");
  const int32_t height = r.i32("height");
  r.skip(2, "planes");
  const uint16_t bits = r.u16("bit count");
  if (signature[0] != 'B' || signature[1] != 'M') return nullptr;
  if (bits == 24) return load24(f, pixel_offset, width, height);
  if (bits == 8) return load8(f);
  return nullptr;
}
