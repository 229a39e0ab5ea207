// font_draw_text: the byte walk with its tilde codes, and the pixel loops of transparent text
// (with outline or shadow) and opaque text.
#include <cstddef>
#include <cstdint>

#include "engine/winfont/winfont_internal.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"

namespace {

bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }

uint8_t upper(uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 'a' + 'A') : c; }

// Applies "~<letter><arg>" when the letter takes the argument; false leaves the tilde to be
// drawn as a character.
bool apply_code(WINFONT_STATE& s, uint8_t letter, uint8_t arg, bool opaque) {
  switch (upper(letter)) {
    case 'A':
      if (!is_digit(arg)) return false;
      s.level = (arg - '0') * 32 / 10;
      return true;
    case 'C':
      if (!is_digit(arg)) return false;
      s.colour_index = arg - '0';
      return true;
    case 'F':
      if (arg < '0' || arg > '2') return false;
      if (!opaque) s.outline_mode = arg - '0';  // opaque text has no outline
      return true;
    case 'O':
      if (!is_digit(arg)) return false;
      if (arg == '0') {
        s.outline_mode = 0;
      } else {
        s.outline_mode = 1;
        s.second_colours[s.colour_index] = s.colours[arg - '0'];
      }
      return true;
    case 'S':
      if (arg < '0' || arg > '2') return false;
      s.draw_mode = arg - '0';
      return true;
    case 'Z':
      if (arg == '+') {
        s.font_slot += 1;
      } else if (arg == '-') {
        s.font_slot -= 1;
      } else if (arg >= '1' && arg <= '9') {
        s.font_slot = arg - '1';
      } else {
        s.font_slot = 0;
      }
      if (s.font_slot > WINFONT_SLOTS - 1) s.font_slot = WINFONT_SLOTS - 1;
      if (s.font_slot < 0) s.font_slot = 0;
      return true;
    default:
      return false;
  }
}

struct Target {
  BITMAP16* bm;
  int32_t w, h;
  bool inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  uint16_t* at(int64_t x, int64_t y) const { return bm->rows[y] + x; }
  void put(int64_t x, int64_t y, uint16_t colour) const {
    if (inside(x, y)) *at(x, y) = colour;
  }
  // cell(r, k, px, py) for every cell (row r < rows, column k < cols) of a glyph placed at
  // (x, y) that lands on the target.
  template <class Cell>
  void each_cell(int64_t x, int64_t y, int cols, int rows, Cell cell) const {
    for (int r = 0; r < rows; ++r) {
      const int64_t py = y + r;
      if (py < 0 || py >= h) continue;
      for (int k = 0; k < cols; ++k) {
        const int64_t px = x + k;
        if (px < 0 || px >= w) continue;
        cell(r, k, px, py);
      }
    }
  }
};

inline bool bit(const uint32_t* rows, int r, int k) { return (rows[r] >> (31 - k)) & 1u; }

void draw_transparent(const WINFONT_STATE& s, const Target& t, int64_t x, int64_t y, const uint32_t* rows, int gw,
                      int h) {
  const uint16_t colour = s.colours[s.colour_index];
  const uint16_t second = s.second_colours[s.colour_index];
  const int blend_level = s.level * 8;
  const int outline = s.outline_mode;
  t.each_cell(x, y, gw, h, [&](int r, int k, int64_t px, int64_t py) {
    if (bit(rows, r, k)) {
      if (s.draw_mode == 0) {
        *t.at(px, py) = colour;
      } else if (s.draw_mode == 1) {
        pixel_ops.blend(&colour, t.at(px, py), blend_level);
      }
      if (outline == 1) {
        if (k == 0) t.put(px - 1, py, second);
        if (k == gw - 1) t.put(px + 1, py, second);
        if (r == 0) t.put(px, py - 1, second);
        if (r == h - 1) t.put(px, py + 1, second);
      } else if (outline == 2) {
        if (k == gw - 1) t.put(px + 1, py, second);
        if (r == h - 1) t.put(px, py + 1, second);
      }
    } else if (outline == 1) {
      if ((r > 0 && bit(rows, r - 1, k)) || (k < gw - 1 && bit(rows, r, k + 1)) ||
          (r < h - 1 && bit(rows, r + 1, k)) || (k > 0 && bit(rows, r, k - 1))) {
        *t.at(px, py) = second;
      }
    } else if (outline == 2) {
      if ((r > 0 && bit(rows, r - 1, k)) || (k > 0 && bit(rows, r, k - 1))) *t.at(px, py) = second;
    }
  });
}

void draw_opaque(const WINFONT_STATE& s, const Target& t, int64_t x, int64_t y, const uint32_t* rows, int gw, int h) {
  if (s.draw_mode == 2) return;
  const uint16_t colour = s.colours[s.colour_index];
  const uint16_t background = s.second_colours[s.background_index];
  const int blend_level = s.level * 8;
  t.each_cell(x, y, gw, h, [&](int r, int k, int64_t px, int64_t py) {
    const uint16_t c = bit(rows, r, k) ? colour : background;
    if (s.draw_mode == 0) {
      *t.at(px, py) = c;
    } else {
      pixel_ops.blend(&c, t.at(px, py), blend_level);
    }
  });
}

}  // namespace

int32_t font_draw_text(int32_t x, int32_t y, const char* text, uint32_t style, BITMAP16* target) {
  WINFONT_STATE& s = winfont_mutable_state();
  const bool opaque = style != 1;
  if (opaque) {
    s.second_colours[0] = static_cast<uint16_t>(style >> 16);
    s.background_index = 0;
  }
  if (!text) return x;
  const Target t{target, target ? static_cast<int32_t>(target->width) : 0,
                 target ? static_cast<int32_t>(target->height) : 0};
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  // Positions run in 64 bits so that text placed near the ends of the range cannot overflow.
  int64_t pen = x;
  size_t i = 0;
  while (p[i] != 0) {
    const uint8_t b = p[i];
    if (b == '~' && p[i + 1] != 0 && p[i + 2] != 0 && apply_code(s, p[i + 1], p[i + 2], opaque)) {
      i += 3;
      continue;
    }
    const int32_t cell = winfont_cell(s.font_slot);
    uint16_t character;
    int32_t gw;
    if (b >= 128 && p[i + 1] != 0) {
      character = static_cast<uint16_t>(b << 8 | p[i + 1]);
      gw = cell;
      i += 2;
    } else {
      character = static_cast<uint16_t>(b << 8);
      gw = cell / 2;
      i += 1;
    }
    if (target && s.fonts_ready) {
      const uint32_t* rows = font_glyph(character);
      const int h = cell < WINFONT_GLYPH_ROWS ? cell : WINFONT_GLYPH_ROWS;
      if (opaque) {
        draw_opaque(s, t, pen, y, rows, gw, h);
      } else {
        draw_transparent(s, t, pen, y, rows, gw, h);
      }
    }
    pen += gw;
  }
  if (pen > INT32_MAX) return INT32_MAX;
  return static_cast<int32_t>(pen);
}
