// The glyph cache: 99 nodes in one list headed by directory entry 0, keyed by character and
// cell. A hit keeps its place; a miss takes a free entry or the last node and goes to the front.
#include <cstring>

#include "engine/winfont/winfont_internal.h"
#include "plat/glyphs.h"

namespace {

constexpr uint32_t kFaceKindBits = 0xF;

void render_into(WINFONT_STATE& s, int idx, uint16_t c, int32_t cell) {
  uint32_t* rows = s.glyph_rows[idx];
  std::memset(rows, 0, sizeof s.glyph_rows[idx]);
  if (!s.fonts_ready) return;
  plat::IGlyphRasteriser& r = plat::glyphs();
  plat::GlyphRows out;
  const int rows_used = cell < WINFONT_GLYPH_ROWS ? cell : WINFONT_GLYPH_ROWS;
  if ((s.face_kind & kFaceKindBits) == 0) {
    // No face selected: the two dots ".." stand in for every character.
    plat::GlyphRows dot;
    r.render(static_cast<uint16_t>('.' << 8), cell, true, dot);
    const int shift = cell / 2;
    for (int i = 0; i < rows_used; ++i) rows[i] = dot.row[i] | (dot.row[i] >> shift);
    return;
  }
  const bool single = (c & 0xFF) == 0;
  uint16_t code = c;
  if (!single && (s.face_kind & 1) && (c >> 8) >= 161 && (c & 0xFF) >= 64 && s.conversion) {
    code = font_convert_gb(code);
  }
  r.render(code, cell, single, out);
  for (int i = 0; i < rows_used; ++i) rows[i] = out.row[i];
}

}  // namespace

const uint32_t* font_glyph(uint16_t c) {
  WINFONT_STATE& s = winfont_mutable_state();
  // Character 0 marks a free entry; it is never cached.
  static const uint32_t blank[WINFONT_GLYPH_ROWS] = {};
  if (c == 0) return blank;
  WINFONT_GLYPH_ENTRY* dir = s.directory;
  const uint32_t cell = static_cast<uint32_t>(winfont_cell(s.font_slot));

  int prev = 0;
  int last = 0, before_last = 0;
  for (int n = dir[0].next, guard = 0; n != 0 && guard < WINFONT_GLYPH_ENTRIES; n = dir[n].next, ++guard) {
    if (dir[n].character == c && dir[n].cell_width == cell && dir[n].cell_height == cell) return s.glyph_rows[n];
    before_last = prev;
    last = n;
    prev = n;
  }

  int idx = 0;
  for (int i = 1; i < WINFONT_GLYPH_ENTRIES; ++i) {
    if (dir[i].character == 0) {
      idx = i;
      break;
    }
  }
  if (idx == 0) {
    // Every node is in use: the last of the list is reused.
    idx = last;
    dir[before_last].next = 0;
  }
  render_into(s, idx, c, static_cast<int32_t>(cell));
  dir[idx].character = c;
  dir[idx].cell_width = cell;
  dir[idx].cell_height = cell;
  dir[idx].next = dir[0].next;
  dir[0].next = static_cast<int16_t>(idx);
  return s.glyph_rows[idx];
}
