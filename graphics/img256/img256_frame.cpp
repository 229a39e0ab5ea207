// Reading and checking IMG256 frames.
#include <cstring>

#include "graphics/img256/img256.h"

namespace {

constexpr char kMagic[IMG256_MAGIC_SIZE] = "VORN IMG256 FILE";

uint8_t fold(uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 32) : c; }

struct StreamShape {
  uint32_t rows = 0;        // rows the walk visits
  bool needs_clip = false;  // a drawn row passes the width
};

// The whole stream, once, so that the blitters can walk it without checks: every code's bytes
// lie inside the stream, below the last row too (a sprite slot converts the stream whole). Rows
// past the height and runs past the width are kept; what the walk needs to cut them is recorded.
bool stream_ok(const uint8_t* s, uint32_t len, uint32_t width, uint32_t height, StreamShape* shape) {
  uint32_t pos = 0, row = 0, x = 0;
  bool clip = false;
  while (pos < len) {
    const uint8_t code = s[pos];
    if (code != IMG256_ROW_END && code != IMG256_SKIP && code != IMG256_RUN) break;  // ends the frame
    ++pos;
    if (code == IMG256_ROW_END) {
      if (row < height) ++row;
      x = 0;
      continue;
    }
    if (len - pos < 2) return false;
    const uint32_t n = static_cast<uint32_t>(s[pos] | s[pos + 1] << 8);
    pos += 2;
    if (row < height && n > width - x) clip = true;
    x = n < width - x ? x + n : width;  // past the edge only the edge matters
    if (code == IMG256_RUN) {
      if ((len - pos) / 2 < n) return false;  // pairs past the stream
      pos += 2 * n;
    }
  }
  shape->rows = row < height ? row + 1 : height;
  shape->needs_clip = clip;
  return true;
}

}  // namespace

bool img256_has_magic(const uint8_t* data, size_t size) {
  if (!data || size < IMG256_MAGIC_SIZE) return false;
  for (size_t i = 0; i < IMG256_MAGIC_SIZE; ++i) {
    if (fold(data[i]) != fold(static_cast<uint8_t>(kMagic[i]))) return false;
  }
  return true;
}

int img256_open(uint8_t* data, size_t size, Img256Frame* out) {
  if (!out) return -2;
  *out = Img256Frame();
  if (!data || size < IMG256_HEAD_SIZE || size > UINT32_MAX || !img256_has_magic(data, size)) return -2;
  Img256Frame f;
  try {
    plat::ByteReader r(data, IMG256_HEAD_SIZE);
    r.skip(20, "magic");
    f.width_ = r.u16("width");
    f.height_ = r.u16("height");
    f.box_x_ = r.u16("box_x");
    f.box_y_ = r.u16("box_y");
    f.hot_x_ = r.i16("hot_x");
    f.hot_y_ = r.i16("hot_y");
    f.stream_length_ = r.u32("stream_length");
    r.skip(IMG256_PALETTE_SIZE, "palette");
    const uint32_t offset = r.u32("stream_offset");
    // The stream may not overlap the head: palette changes while drawing would rewrite it.
    if (offset < IMG256_HEAD_SIZE || uint64_t{offset} + f.stream_length_ > size) return -2;
    f.stream_ = data + offset;
  } catch (const plat::MalformedInput&) {
    return -2;
  }
  StreamShape shape;
  if (!stream_ok(f.stream_, f.stream_length_, f.width_, f.height_, &shape)) return -2;
  f.rows_ = shape.rows;
  f.needs_clip_ = shape.needs_clip;
  f.data_ = data;
  f.size_ = static_cast<uint32_t>(size);
  *out = f;
  return 0;
}

void img256_get_rect(const Img256Frame* frame, IMG256_RECT* out) {
  if (!out) return;
  if (!frame || !frame->valid()) {
    *out = {0, 0, 0, 0};
    return;
  }
  out->left = frame->box_x();
  out->top = frame->box_y();
  out->right = frame->box_x() + frame->width();
  out->bottom = frame->box_y() + frame->height();
}
