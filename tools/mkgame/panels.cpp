// The block font and the panel and background pictures.
#include "tools/mkgame/panels.h"

#include <algorithm>
#include <cctype>

namespace mkgame {

namespace {

// 3 x 5 glyphs, one row a digit (bit 4 left, bit 1 right).
struct Glyph {
  char c;
  uint8_t rows[5];
};
constexpr Glyph kGlyphs[] = {
    {'A', {2, 5, 7, 5, 5}}, {'B', {6, 5, 6, 5, 6}}, {'C', {3, 4, 4, 4, 3}}, {'D', {6, 5, 5, 5, 6}},
    {'E', {7, 4, 6, 4, 7}}, {'F', {7, 4, 6, 4, 4}}, {'G', {3, 4, 5, 5, 3}}, {'H', {5, 5, 7, 5, 5}},
    {'I', {7, 2, 2, 2, 7}}, {'J', {1, 1, 1, 5, 2}}, {'K', {5, 5, 6, 5, 5}}, {'L', {4, 4, 4, 4, 7}},
    {'M', {5, 7, 7, 5, 5}}, {'N', {6, 5, 5, 5, 5}}, {'O', {2, 5, 5, 5, 2}}, {'P', {6, 5, 6, 4, 4}},
    {'Q', {2, 5, 5, 6, 3}}, {'R', {6, 5, 6, 5, 5}}, {'S', {3, 4, 2, 1, 6}}, {'T', {7, 2, 2, 2, 2}},
    {'U', {5, 5, 5, 5, 7}}, {'V', {5, 5, 5, 2, 2}}, {'W', {5, 5, 7, 7, 5}}, {'X', {5, 5, 2, 5, 5}},
    {'Y', {5, 5, 2, 2, 2}}, {'Z', {7, 1, 2, 4, 7}}, {'0', {7, 5, 5, 5, 7}}, {'1', {2, 6, 2, 2, 7}},
    {'2', {6, 1, 2, 4, 7}}, {'3', {6, 1, 2, 1, 6}}, {'4', {5, 5, 7, 1, 1}}, {'5', {7, 4, 6, 1, 6}},
    {'6', {3, 4, 7, 5, 7}}, {'7', {7, 1, 2, 2, 2}}, {'8', {7, 5, 7, 5, 7}}, {'9', {7, 5, 7, 1, 6}},
    {'-', {0, 0, 7, 0, 0}}, {' ', {0, 0, 0, 0, 0}},
};

const Glyph* glyph(char c) {
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : kGlyphs)
    if (g.c == c) return &g;
  return nullptr;
}

}  // namespace

mdaw::Rgba rgb(uint32_t v, uint8_t alpha) {
  return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v), alpha};
}

void fill(mdaw::Picture& p, int x, int y, int w, int h, mdaw::Rgba colour) {
  for (int yy = std::max(0, y); yy < std::min(p.height, y + h); ++yy)
    for (int xx = std::max(0, x); xx < std::min(p.width, x + w); ++xx) p.at(xx, yy) = colour;
}

int labelWidth(const std::string& text, int scale) {
  return text.empty() ? 0 : static_cast<int>(text.size()) * 4 * scale - scale;
}

void label(mdaw::Picture& p, int x, int y, const std::string& text, mdaw::Rgba colour, int scale) {
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph* g = glyph(text[i]);
    if (!g) continue;
    const int gx = x + static_cast<int>(i) * 4 * scale;
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        if (g->rows[row] & (4 >> col)) fill(p, gx + col * scale, y + row * scale, scale, scale, colour);
  }
}

mdaw::Picture panel(int w, int h, mdaw::Rgba fillColour, mdaw::Rgba border, const std::string& text, int scale) {
  mdaw::Picture p = mdaw::picture_fill(w, h, fillColour);
  fill(p, 0, 0, w, 2, border);
  fill(p, 0, h - 2, w, 2, border);
  fill(p, 0, 0, 2, h, border);
  fill(p, w - 2, 0, 2, h, border);
  label(p, (w - labelWidth(text, scale)) / 2, (h - 5 * scale) / 2, text, border, scale);
  return p;
}

mdaw::Picture background(uint32_t top, uint32_t bottom, const std::string& title) {
  mdaw::Picture p = mdaw::picture_fill(800, 600, rgb(top));
  const mdaw::Rgba a = rgb(top), b = rgb(bottom);
  for (int y = 0; y < 600; ++y) {
    auto mix = [&](uint8_t u, uint8_t v) { return static_cast<uint8_t>(u + (v - u) * y / 599); };
    fill(p, 0, y, 800, 1, {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), 255});
  }
  label(p, (800 - labelWidth(title, 4)) / 2, 24, title, rgb(0xF0E6C8), 4);
  return p;
}

}  // namespace mkgame
