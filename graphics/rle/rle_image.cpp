// RLE images: allocation, the colour conversions, row offsets, validation, the file payload
// and the encoders.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/log/log.h"
#include "core/pak/pak.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/bitmap8.h"
#include "graphics/primitives/gfx16.h"
#include "graphics/rle/rle.h"
#include "graphics/rle/stream_source.h"
#include "plat/bytes.h"
#include "plat/files.h"

namespace {

constexpr int64_t kMaxSide = BITMAP16_MAX_SIZE;
// Largest stream the readers accept: a 16384-pixel row of literal runs times the cap in rows is
// far beyond any sprite; this keeps a hostile size from allocating gigabytes.
constexpr uint64_t kMaxStream = 256ull << 20;

uint16_t load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
void store16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }

uint64_t image_bytes(uint64_t height, uint64_t stream) { return (12 + 4 * height + stream + 3) & ~uint64_t{3}; }

// Converts the colour words of a stream from src into dst (the same buffer or a copy).
void convert_stream(const uint8_t* src, uint8_t* dst, uint32_t size, uint16_t (*fn)(uint16_t)) {
  uint32_t at = 0;
  while (at + 2 <= size) {
    const uint8_t count = src[at], code = src[at + 1];
    if (count) {
      if (at + 4 > size) return;
      store16(dst + at + 2, fn(load16(src + at + 2)));
      at += 4;
    } else if (code == 0) {
      at += 2;
    } else if (code == 1) {
      return;
    } else if (code == 2) {
      at += 4;
    } else {
      const uint32_t end = at + 2 + 2u * code;
      if (end > size) return;
      for (uint32_t p = at + 2; p < end; p += 2) store16(dst + p, fn(load16(src + p)));
      at = end;
    }
  }
}

// One row's walk as the drawers make it, from offset `at` on row `row`; false when it would
// leave the stream, the width or the height. `row` comes back as the row the walk ended on.
bool validate_row(const uint8_t* s, uint32_t size, uint32_t width, uint32_t height, uint32_t at, uint32_t& row,
                  bool& image_end) {
  uint32_t col = 0;
  while (col < width) {
    if (at + 2 > size) return false;
    const uint8_t count = s[at], code = s[at + 1];
    if (count) {
      if (at + 4 > size || col + count > width) return false;
      col += count;
      at += 4;
    } else if (code == 0) {
      return true;
    } else if (code == 1) {
      image_end = true;
      return true;
    } else if (code == 2) {
      if (at + 4 > size) return false;
      const uint32_t dx = s[at + 2], dy = s[at + 3];
      if (col + dx > width || row + dy >= height) return false;
      col += dx;
      row += dy;
      at += 4;
    } else {
      if (at + 2 + 2u * code > size || col + code > width) return false;
      col += code;
      at += 2 + 2u * code;
    }
  }
  return true;
}

}  // namespace

RLE_IMAGE* rle_create(int32_t width, int32_t height, uint32_t stream_size) {
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide || stream_size > kMaxStream) return nullptr;
  auto* image = static_cast<RLE_IMAGE*>(std::calloc(1, image_bytes(static_cast<uint64_t>(height), stream_size)));
  if (!image) return nullptr;
  image->width = static_cast<uint32_t>(width);
  image->height = static_cast<uint32_t>(height);
  image->stream_size = stream_size;
  return image;
}

void rle_free(RLE_IMAGE** image) {
  if (!image) return;
  std::free(*image);
  *image = nullptr;
}

RLE_IMAGE* rle_clone(const RLE_IMAGE* image) {
  if (!image) return nullptr;
  const size_t bytes = image_bytes(image->height, image->stream_size);
  auto* copy = static_cast<RLE_IMAGE*>(std::malloc(bytes));
  if (copy) std::memcpy(copy, image, bytes);
  return copy;
}

void rle_to_555(RLE_IMAGE* image) {
  if (image) convert_stream(rle_stream(image), rle_stream(image), image->stream_size, pixel_ops.to_555);
}

void rle_from_555(RLE_IMAGE* image) {
  if (image) convert_stream(rle_stream(image), rle_stream(image), image->stream_size, pixel_ops.from_555);
}

void rle_rebuild_rows(RLE_IMAGE* image) {
  if (!image || image->height == 0) return;
  std::vector<uint32_t> rows(image->height, 0);
  const uint8_t* s = rle_stream(image);
  const uint32_t size = image->stream_size;
  uint32_t at = 0, col = 0, row = 0;
  while (at + 2 <= size && row < image->height) {
    const uint8_t count = s[at], code = s[at + 1];
    if (col == 0) rows[row] = at;
    if (count) {
      col += count;
      at += 4;
    } else if (code == 0) {
      col = 0;
      ++row;
      at += 2;
    } else if (code == 1) {
      break;
    } else if (code == 2) {
      if (at + 4 > size) break;
      col += s[at + 2];
      row += s[at + 3];
      at += 4;
    } else {
      col += code;
      at += 2 + 2u * code;
    }
  }
  std::copy(rows.begin(), rows.end(), image->rows);
}

bool rle_validate(const RLE_IMAGE* image) {
  if (!image) return false;
  const uint8_t* s = rle_stream(image);
  const uint32_t size = image->stream_size;
  // The stream must parse to an end of image, and every row must start on one of its runs:
  // the colour conversions walk the stream this way, so a row starting inside a colour word
  // would change shape when converted.
  bool ended = false;
  std::vector<bool> run_start(size, false);
  for (uint32_t at = 0; at + 2 <= size;) {
    run_start[at] = true;
    const uint8_t count = s[at], code = s[at + 1];
    if (count || code == 2) {
      at += 4;
    } else if (code == 0) {
      at += 2;
    } else if (code == 1) {
      ended = true;
      break;
    } else {
      at += 2 + 2u * code;
    }
  }
  if (!ended) return false;
  for (uint32_t r = 0; r < image->height; ++r) {
    if (image->rows[r] >= size || !run_start[image->rows[r]]) return false;
    uint32_t row = r;
    bool image_end = false;
    if (!validate_row(s, size, image->width, image->height, image->rows[r], row, image_end)) return false;
  }
  return true;
}

namespace {

void rle_serialize(plat::ByteWriter& w, const RLE_IMAGE* image) {
  w.u32(image->width);
  w.u32(image->height);
  w.u32(image->stream_size);
  for (uint32_t r = 0; r < image->height; ++r) w.u32(image->rows[r]);
  // The caller's image stays in the screen's format: the copy is converted.
  std::vector<uint8_t> stream(rle_stream(image), rle_stream(image) + image->stream_size);
  convert_stream(stream.data(), stream.data(), image->stream_size, pixel_ops.to_555);
  w.bytes(stream.data(), stream.size());
}

}  // namespace

void rle_write_payload(plat::ByteWriter& w, const RLE_IMAGE* image) { rle_serialize(w, image); }

int rle_write_file(plat::File* file, const RLE_IMAGE* image) {
  if (!file || !image) return -1;
  plat::ByteWriter w;
  rle_serialize(w, image);
  return file->write(w.data().data(), w.size()) == w.size() ? 0 : -1;
}

RLE_IMAGE* rle_read_payload(StreamSource& src, uint64_t limit) {
  uint32_t width = 0, height = 0, size = 0;
  if (limit < 12 || !src.u32(width) || !src.u32(height) || !src.u32(size)) {
    sys_log(1, "rle stream error");
    return nullptr;
  }
  const uint64_t need = 12 + 4ull * height + size;
  if (width > kMaxSide || height > kMaxSide || size > kMaxStream || need > limit ||
      need - 12 > static_cast<uint64_t>(src.remaining())) {
    sys_log(1, "rle stream error");
    return nullptr;
  }
  RLE_IMAGE* image = rle_create(static_cast<int32_t>(width), static_cast<int32_t>(height), size);
  if (!image) {
    sys_log(1, "memory alloc error when read rle");
    return nullptr;
  }
  std::vector<uint8_t> offsets(4ull * height);
  if (!src.read(offsets.data(), offsets.size()) || !src.read(rle_stream(image), size)) {
    sys_log(1, "rle stream error");
    rle_free(&image);
    return nullptr;
  }
  plat::ByteReader r(offsets.data(), offsets.size());
  for (uint32_t i = 0; i < height; ++i) image->rows[i] = r.u32("row offset");
  if (!rle_validate(image)) {
    sys_log(1, "rle stream error");
    rle_free(&image);
    return nullptr;
  }
  rle_from_555(image);
  return image;
}

int rle_read_pak(PAK_FILE* file, RLE_IMAGE** image) {
  if (!image) return -1;
  *image = nullptr;
  if (!file) return -1;
  PakSource src(file);
  *image = rle_read_payload(src, UINT64_MAX);
  return *image ? 0 : -1;
}

// ---- encoding ----

namespace {

struct StreamBuilder {
  std::vector<uint8_t> bytes;
  void two(uint8_t a, uint8_t b) {
    bytes.push_back(a);
    bytes.push_back(b);
  }
  void word(uint16_t v) { two(static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)); }
  void run(uint8_t count, uint8_t code, uint16_t colour) {
    two(count, code);
    word(colour);
  }
  void literal(const uint16_t* px, int n) {
    two(0, static_cast<uint8_t>(n));
    for (int i = 0; i < n; ++i) word(px[i]);
  }
};

// A stretch of opaque pixels: literal runs of 255, then the rest as a literal run when it has
// 3 or more pixels (shorter ones cannot be literal runs: codes 1 and 2 are commands).
void emit_opaque(StreamBuilder& b, const uint16_t* px, int n) {
  while (n >= 255) {
    b.literal(px, 255);
    px += 255;
    n -= 255;
  }
  if (n >= 3) {
    b.literal(px, n);
  } else {
    for (int i = 0; i < n; ++i) b.run(1, 1, px[i]);
  }
}

}  // namespace

RLE_IMAGE* rle_encode(const BITMAP16* bitmap, const BITMAP8* mask) {
  if (!bitmap || !mask || bitmap->width != mask->width || bitmap->height != mask->height) return nullptr;
  const int w = static_cast<int>(bitmap->width), h = static_cast<int>(bitmap->height);
  if (w > kMaxSide || h > kMaxSide) return nullptr;
  bool any = false;
  for (int y = 0; y < h && !any; ++y)
    for (int x = 0; x < w; ++x)
      if (mask->rows[y][x]) {
        any = true;
        break;
      }
  if (!any) {
    RLE_IMAGE* image = rle_create(w, h, 2);
    if (image) rle_stream(image)[1] = 1;
    return image;
  }
  const uint16_t black = gfx16_colours[GFX16_BLACK];
  StreamBuilder b;
  b.bytes.reserve(static_cast<size_t>(std::min<uint64_t>((static_cast<uint64_t>(w) + 16) * h * 4 + 256, 1u << 24)));
  std::vector<uint32_t> rows(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y) {
    rows[static_cast<size_t>(y)] = static_cast<uint32_t>(b.bytes.size());
    const uint8_t* m = mask->rows[y];
    const uint16_t* px = bitmap->rows[y];
    int last = w - 1;
    while (last >= 0 && m[last] == 0) --last;
    for (int x = 0; x <= last;) {
      const uint8_t v = m[x];
      int end = x;
      if (v == 0 || v == 1 || v == 2)
        while (end < w && m[end] == v) ++end;
      else
        end = x + 1;
      int n = end - x;
      if (v == 0) {
        for (; n >= 255; n -= 255) b.two(0, 2), b.two(255, 0);
        if (n) b.two(0, 2), b.two(static_cast<uint8_t>(n), 0);
      } else if (v == 1) {
        emit_opaque(b, px + x, n);
      } else if (v == 2) {
        for (; n >= 255; n -= 255) b.run(255, 2, black);
        if (n) b.run(static_cast<uint8_t>(n), 2, black);
      } else {
        b.run(1, v, px[x]);
      }
      x = end;
    }
    b.two(0, 0);
  }
  b.two(0, 1);
  RLE_IMAGE* image = rle_create(w, h, static_cast<uint32_t>(b.bytes.size()));
  if (!image) return nullptr;
  std::copy(rows.begin(), rows.end(), image->rows);
  std::memcpy(rle_stream(image), b.bytes.data(), b.bytes.size());
  return image;
}

RLE_IMAGE* rle_from_alpha_bitmap(BITMAP16A* source, BITMAP16A* shadow) {
  if (!source) return nullptr;
  if (shadow && (shadow->width != source->width || shadow->height != source->height)) return nullptr;
  const int w = static_cast<int>(source->width), h = static_cast<int>(source->height);
  if (w > kMaxSide || h > kMaxSide) return nullptr;
  BITMAP16* colours = bitmap16_create(w, h);
  BITMAP8* mask = bitmap8_create(w, h);
  RLE_IMAGE* image = nullptr;
  if (colours && mask) {
    const uint16_t black = gfx16_colours[GFX16_BLACK];
    auto alpha_at = [&](int x, int y) -> int {
      if (x < 0 || y < 0 || x >= w || y >= h) return 0;
      return bitmap16a_alpha(source, static_cast<uint32_t>(y))[x];
    };
    for (int y = 0; y < h; ++y) {
      const uint16_t* px = bitmap16a_pixels(source, static_cast<uint32_t>(y));
      const uint8_t* sa = shadow ? bitmap16a_alpha(shadow, static_cast<uint32_t>(y)) : nullptr;
      for (int x = 0; x < w; ++x) {
        const int a = alpha_at(x, y);
        uint8_t m;
        if (a == 0) {
          m = (sa && sa[x] > 127) ? 2 : 0;
          colours->rows[y][x] = black;
        } else {
          bool edge = false;
          for (int dy = -1; dy <= 1 && !edge; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
              if ((dx || dy) && alpha_at(x + dx, y + dy) == 0) {
                edge = true;
                break;
              }
          const int level = a == 255 ? 1 : std::max(a & 0xF8, 8);
          m = static_cast<uint8_t>((edge ? 4 : 0) + level);
          colours->rows[y][x] = px[x];
        }
        mask->rows[y][x] = m;
      }
    }
    image = rle_encode(colours, mask);
  }
  bitmap16_free(&colours);
  bitmap8_free(&mask);
  return image;
}
