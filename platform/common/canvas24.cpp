// The software canvas. Text goes through the installed glyph rasteriser, as the text module's does.
#include "plat/canvas24.h"

#include <algorithm>

#include "plat/cp936.h"
#include "plat/glyphs.h"

namespace plat {

namespace {

// Clips a w x h block at (dx, dy) from a source of sw x sh at (sx, sy) to both; false when empty.
bool clipBlit(int32_t& dx, int32_t& dy, int32_t& w, int32_t& h, int32_t& sx, int32_t& sy, int32_t dw, int32_t dh,
              int32_t sw, int32_t sh) {
  int64_t x0 = dx, y0 = dy, s0 = sx, t0 = sy, ww = w, hh = h;
  const int64_t cutX = std::max<int64_t>({0, -x0, -s0}), cutY = std::max<int64_t>({0, -y0, -t0});
  x0 += cutX, s0 += cutX, ww -= cutX;
  y0 += cutY, t0 += cutY, hh -= cutY;
  ww = std::min<int64_t>({ww, dw - x0, sw - s0});
  hh = std::min<int64_t>({hh, dh - y0, sh - t0});
  if (ww <= 0 || hh <= 0) return false;
  dx = static_cast<int32_t>(x0), dy = static_cast<int32_t>(y0), sx = static_cast<int32_t>(s0),
  sy = static_cast<int32_t>(t0), w = static_cast<int32_t>(ww), h = static_cast<int32_t>(hh);
  return true;
}

void blitRow(uint8_t* d, const uint8_t* s, size_t n, BlitOp op) {
  switch (op) {
    case BlitOp::Copy: std::copy(s, s + n, d); break;
    case BlitOp::And: for (size_t i = 0; i < n; ++i) d[i] &= s[i]; break;
    case BlitOp::Or: for (size_t i = 0; i < n; ++i) d[i] |= s[i]; break;
  }
}

// The glyph code of the character at i and its byte length.
uint16_t glyphCode(std::string_view s, size_t i, size_t& len, bool& half) {
  len = cp936::next(s, i) - i;
  half = len == 1;
  const auto b = static_cast<uint8_t>(s[i]);
  return static_cast<uint16_t>(b << 8 | (half ? 0 : static_cast<uint8_t>(s[i + 1])));
}

void put(uint8_t* p, uint32_t rgb) {
  p[0] = static_cast<uint8_t>(rgb);
  p[1] = static_cast<uint8_t>(rgb >> 8);
  p[2] = static_cast<uint8_t>(rgb >> 16);
}

}  // namespace

Canvas24::Canvas24(int32_t width, int32_t height, bool bottomUp) : bottomUp_(bottomUp) {
  if (width < 0 || height < 0 || width > kMaxSize || height > kMaxSize) return;
  width_ = width;
  height_ = height;
  stride_ = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  pixels_.assign(stride_ * static_cast<size_t>(height), 0);
}

uint8_t* Canvas24::row(int32_t y) {
  if (y < 0 || y >= height_) return nullptr;
  const size_t stored = bottomUp_ ? static_cast<size_t>(height_ - 1 - y) : static_cast<size_t>(y);
  return pixels_.data() + stored * stride_;
}

const uint8_t* Canvas24::row(int32_t y) const { return const_cast<Canvas24*>(this)->row(y); }

uint32_t Canvas24::pixel(int32_t x, int32_t y) const {
  const uint8_t* r = row(y);
  if (!r || x < 0 || x >= width_) return 0;
  const uint8_t* p = r + static_cast<size_t>(x) * 3;
  return rgb24(p[2], p[1], p[0]);
}

void Canvas24::setPixel(int32_t x, int32_t y, uint32_t rgb) {
  uint8_t* r = row(y);
  if (!r || x < 0 || x >= width_) return;
  put(r + static_cast<size_t>(x) * 3, rgb);
}

void Canvas24::fill(const Rect& r, uint32_t rgb) {
  const int32_t x0 = std::max(r.left, 0), x1 = std::min(r.right, width_);
  const int32_t y0 = std::max(r.top, 0), y1 = std::min(r.bottom, height_);
  // Clipped once; each row is then written straight through.
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* p = row(y) + static_cast<size_t>(x0) * 3;
    for (int32_t x = x0; x < x1; ++x, p += 3) put(p, rgb);
  }
}

void Canvas24::frame(const Rect& r, uint32_t rgb) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  fill({r.left, r.top, r.right, r.top + 1}, rgb);
  fill({r.left, r.bottom - 1, r.right, r.bottom}, rgb);
  fill({r.left, r.top, r.left + 1, r.bottom}, rgb);
  fill({r.right - 1, r.top, r.right, r.bottom}, rgb);
}

void Canvas24::pattern(const Rect& r, const uint8_t rows[8], uint32_t ink, uint32_t paper) {
  const int32_t x0 = std::max(r.left, 0), x1 = std::min(r.right, width_);
  const int32_t y0 = std::max(r.top, 0), y1 = std::min(r.bottom, height_);
  for (int32_t y = y0; y < y1; ++y) {
    uint8_t* p = row(y) + static_cast<size_t>(x0) * 3;
    for (int32_t x = x0; x < x1; ++x, p += 3) put(p, (rows[y & 7] & (0x80 >> (x & 7))) ? ink : paper);
  }
}

void Canvas24::line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t rgb) {
  forEachLinePoint(x1, y1, x2, y2, [&](int32_t x, int32_t y) { setPixel(x, y, rgb); });
}

void Canvas24::blit(int32_t dx, int32_t dy, int32_t w, int32_t h, const Canvas24& src, int32_t sx, int32_t sy,
                    BlitOp op) {
  if (&src == this) {
    const Canvas24 copy = src;
    blit(dx, dy, w, h, copy, sx, sy, op);
    return;
  }
  if (!clipBlit(dx, dy, w, h, sx, sy, width_, height_, src.width_, src.height_)) return;
  for (int32_t y = 0; y < h; ++y) {
    blitRow(row(dy + y) + static_cast<size_t>(dx) * 3, src.row(sy + y) + static_cast<size_t>(sx) * 3,
            static_cast<size_t>(w) * 3, op);
  }
}

void Canvas24::blit(int32_t dx, int32_t dy, int32_t w, int32_t h, const Pixels24View& src, int32_t sx, int32_t sy,
                    BlitOp op) {
  if (!src.rows) return;
  if (!clipBlit(dx, dy, w, h, sx, sy, width_, height_, src.width, src.height)) return;
  for (int32_t y = 0; y < h; ++y) {
    blitRow(row(dy + y) + static_cast<size_t>(dx) * 3, src.rows[sy + y] + static_cast<size_t>(sx) * 3,
            static_cast<size_t>(w) * 3, op);
  }
}

int32_t Canvas24::text(int32_t x, int32_t y, std::string_view cp936, uint32_t rgb) {
  return text(x, y, cp936, rgb, Rect{0, 0, width_, height_});
}

int32_t Canvas24::text(int32_t x, int32_t y, std::string_view s, uint32_t rgb, const Rect& clip) {
  const int32_t x0 = std::max(clip.left, 0), x1 = std::min(clip.right, width_);
  const int32_t y0 = std::max(clip.top, 0), y1 = std::min(clip.bottom, height_);
  GlyphRows rows;
  size_t i = 0;
  while (i < s.size()) {
    size_t len = 1;
    bool half = true;
    const uint16_t code = glyphCode(s, i, len, half);
    i += len;
    const int32_t advance = half ? cell_ / 2 : cell_;
    // Nothing of a glyph wholly outside the clip is rendered.
    if (x < x1 && x + advance > x0 && y < y1 && y + cell_ > y0 && glyphs().render(code, cell_, half, rows)) {
      for (int32_t r = 0; r < std::min(cell_, 32); ++r) {
        const int32_t py = y + r;
        if (py < y0 || py >= y1 || !rows.row[r]) continue;
        for (int32_t c = 0; c < std::min(advance, 32); ++c) {
          const int32_t px = x + c;
          if (px >= x0 && px < x1 && (rows.row[r] & (0x80000000u >> c))) setPixel(px, py, rgb);
        }
      }
    }
    x += advance;
  }
  return x;
}

void Canvas24::drawText(const Rect& r, std::string_view s, uint32_t rgb) {
  int32_t y = r.top;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = start;
    while (end < s.size() && s[end] != '\r' && s[end] != '\n') end = cp936::next(s, end);
    text(r.left, y, s.substr(start, end - start), rgb, r);
    if (end >= s.size()) break;
    start = end + ((s[end] == '\r' && end + 1 < s.size() && s[end + 1] == '\n') ? 2 : 1);
    y += cell_;
    if (y >= r.bottom) break;
  }
}

TextExtent Canvas24::measure(std::string_view s) const {
  TextExtent e{0, cell_};
  size_t i = 0;
  while (i < s.size()) {
    size_t len = 1;
    bool half = true;
    glyphCode(s, i, len, half);
    i += len;
    e.cx += half ? cell_ / 2 : cell_;
  }
  return e;
}

}  // namespace plat
