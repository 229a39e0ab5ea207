// IMG256 frames: a 256-colour picture with an alpha byte per pixel, stored as a run stream
// behind an 808-byte head. Blitters take an Img256Frame, a view that only img256_open makes
// after checking the whole stream, so drawing never reads outside a frame. What a stream draws
// past the frame's height or right edge is not drawn; the rest of the frame is.
#pragma once
#include <cstddef>
#include <cstdint>

#include "plat/bytes.h"

constexpr size_t IMG256_HEAD_SIZE = 808;
constexpr size_t IMG256_MAGIC_SIZE = 17;   // "VORN IMG256 FILE" and its NUL
constexpr size_t IMG256_PALETTE_OFFSET = 36;
constexpr size_t IMG256_PALETTE_SIZE = 768;

// Stream codes.
constexpr uint8_t IMG256_ROW_END = 253;
constexpr uint8_t IMG256_SKIP = 254;
constexpr uint8_t IMG256_RUN = 255;

inline constexpr plat::FieldSpec kImg256HeadLayout[] = {
    {"magic", 0, 17},          {"unread", 17, 3},        {"width", 20, 2},          {"height", 22, 2},
    {"box_x", 24, 2},          {"box_y", 26, 2},         {"hot_x", 28, 2},          {"hot_y", 30, 2},
    {"stream_length", 32, 4},  {"palette", 36, 768},     {"stream_offset", 804, 4}};
static_assert(plat::checkLayout(kImg256HeadLayout, IMG256_HEAD_SIZE));

// The case-insensitive magic test (the head's first 17 bytes).
bool img256_has_magic(const uint8_t* data, size_t size);

class Img256Frame {
 public:
  Img256Frame() = default;  // an empty frame: every blitter draws nothing
  bool valid() const { return data_ != nullptr; }
  uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }
  uint16_t width() const { return width_; }
  uint16_t height() const { return height_; }
  uint16_t box_x() const { return box_x_; }
  uint16_t box_y() const { return box_y_; }
  int16_t hot_x() const { return hot_x_; }
  int16_t hot_y() const { return hot_y_; }
  const uint8_t* stream() const { return stream_; }
  uint32_t stream_length() const { return stream_length_; }
  // Rows the walk visits: the height, or fewer when the stream ends sooner.
  uint32_t rows() const { return rows_; }
  // Some drawn row has a run or skip past the right edge: only then does the walk clip.
  bool needs_clip() const { return needs_clip_; }
  // 256 entries of red, green, blue; writable for the interpreter's palette changes, which
  // leave the stream (and so the checks) untouched.
  uint8_t* palette() const { return data_ ? data_ + IMG256_PALETTE_OFFSET : nullptr; }

 private:
  friend int img256_open(uint8_t* data, size_t size, Img256Frame* out);
  uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
  uint16_t width_ = 0, height_ = 0, box_x_ = 0, box_y_ = 0;
  int16_t hot_x_ = 0, hot_y_ = 0;
  const uint8_t* stream_ = nullptr;
  uint32_t stream_length_ = 0;
  uint32_t rows_ = 0;
  bool needs_clip_ = false;
};

// Checks a frame of size bytes: the head, the stream inside the frame, and every code's bytes
// inside the stream (rows past the height and runs past the width are kept, to be cut when
// drawn). 0 and out set, or -2 with out left empty. The frame's bytes must outlive the view.
int img256_open(uint8_t* data, size_t size, Img256Frame* out);

// left = box x, top = box y, right = box x + width, bottom = box y + height.
struct IMG256_RECT {
  int32_t left, top, right, bottom;
};
void img256_get_rect(const Img256Frame* frame, IMG256_RECT* out);

// Walks the stream of a checked frame: run(row, x, pairs, n) for each run of n (index, alpha)
// pairs, with row and x counted from the frame's top-left corner, rows below rows() and runs cut
// at the frame's width. Frames that never pass the width take the walk without the cut.
template <bool Clip, class Run>
void img256_walk_as(const Img256Frame& frame, Run& run) {
  const uint8_t* s = frame.stream();
  const uint32_t len = frame.stream_length(), rows = frame.rows(), width = frame.width();
  uint32_t pos = 0, row = 0, x = 0;
  while (pos < len && row < rows) {
    const uint8_t code = s[pos++];
    if (code == IMG256_ROW_END) {
      ++row;
      x = 0;
    } else if (code == IMG256_SKIP) {
      x += static_cast<uint32_t>(s[pos] | s[pos + 1] << 8);
      if constexpr (Clip) x = x < width ? x : width;  // nothing right of the edge is drawn
      pos += 2;
    } else if (code == IMG256_RUN) {
      const uint32_t n = static_cast<uint32_t>(s[pos] | s[pos + 1] << 8);
      if constexpr (Clip) {
        const uint32_t shown = n < width - x ? n : width - x;
        if (shown) run(row, x, s + pos + 2, shown);
        x += shown;
      } else {
        run(row, x, s + pos + 2, n);
        x += n;
      }
      pos += 2 + 2 * n;
    } else {
      break;
    }
  }
}

template <class Run>
void img256_walk(const Img256Frame& frame, Run run) {
  if (frame.needs_clip()) {
    img256_walk_as<true>(frame, run);
  } else {
    img256_walk_as<false>(frame, run);
  }
}
