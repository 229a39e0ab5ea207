// Glyphs of known shapes for exact-pixel tests of text drawing.
#include "plat/glyphs.h"

namespace plat {

FakeRasteriser::FakeRasteriser() {
  shapes_[static_cast<uint16_t>(' ' << 8)] = Shape::Blank;
  shapes_[static_cast<uint16_t>('.' << 8)] = Shape::Dot;
  shapes_[static_cast<uint16_t>('o' << 8)] = Shape::Box;
}

bool FakeRasteriser::open(std::string* triedPath) {
  if (openFails_ && triedPath) *triedPath = failPath_;
  return !openFails_;
}

bool FakeRasteriser::render(uint16_t code, int cellPx, bool halfWidth, GlyphRows& out) {
  out = GlyphRows{};
  if (openFails_ || cellPx <= 0) return false;
  ++renders_;
  int w = halfWidth ? cellPx / 2 : cellPx;
  int h = cellPx;
  if (w > 32) w = 32;
  if (h > 32) h = 32;
  if (w <= 0) return false;
  auto it = shapes_.find(code);
  const Shape shape = it == shapes_.end() ? Shape::Block : it->second;
  const uint32_t full = w == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> w);
  const uint32_t edges = 0x80000000u | (0x80000000u >> (w - 1));
  switch (shape) {
    case Shape::Blank:
      return false;
    case Shape::Dot:
      if (w < 2 || h < 2) return false;
      out.row[1] = 0x80000000u >> 1;
      return true;
    case Shape::Block:
      for (int r = 0; r < h; ++r) out.row[r] = full;
      return true;
    case Shape::Box:
      for (int r = 0; r < h; ++r) out.row[r] = (r == 0 || r == h - 1) ? full : edges;
      return true;
  }
  return false;
}

}  // namespace plat
