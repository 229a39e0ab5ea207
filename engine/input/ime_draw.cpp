// The in-game IME display: the record's composition, candidates and mode drawn into a 16-bit
// bitmap. Nothing in the game switches it on; it is complete for whoever does.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/input/ime.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"

namespace {

constexpr int32_t BAND_ROWS = 40;
constexpr int BAND_LEVEL = 128;
// GB2312 words for full width and half width.
constexpr const char FULL_WIDTH[] = "\xC8\xAB\xBD\xC7";
constexpr const char HALF_WIDTH[] = "\xB0\xEB\xBD\xC7";

// Blue blended over the rows top..top+rows-1 (clipped to the target).
void blue_band(BITMAP16* target, int32_t top, int32_t rows) {
  const uint16_t blue = pixel_ops.pack_rgb(0x0000FF);
  const int32_t height = static_cast<int32_t>(target->height);
  for (int32_t y = top < 0 ? 0 : top; y < top + rows && y < height; ++y) {
    for (uint32_t x = 0; x < target->width; ++x) pixel_ops.blend(&blue, &target->rows[y][x], BAND_LEVEL);
  }
}

// Text advance: 12 pixels a byte.
int32_t text_width(const char* text) { return static_cast<int32_t>(std::strlen(text)) * 12; }

std::string mode_text(const IME_STATE* r) {
  return std::string(r->ime_name) + "/" + (r->full_width ? FULL_WIDTH : HALF_WIDTH);
}

// The candidates one after another, the selected one highlighted; returns the x reached.
int32_t draw_candidates(const IME_STATE* r, int32_t x, int32_t y, BITMAP16* target) {
  const IME_CANDIDATE_LIST* list = r->candidate_list;
  if (!list) return x;
  for (uint32_t i = 0; i < list->page_size && list->page_start + i < list->candidates.size(); ++i) {
    const uint32_t index = list->page_start + i;
    const std::string& word = list->candidates[index];
    char item[IME_TEXT_SIZE + 16];
    if (index == list->selection) {
      std::snprintf(item, sizeof item, "%u.~C4~O3%s~C0~O0", i < 9 ? i + 1 : 0, word.c_str());
    } else {
      std::snprintf(item, sizeof item, "%u.%s", i < 9 ? i + 1 : 0, word.c_str());
    }
    font_draw_text(x, y, item, 1, target);
    x += static_cast<int32_t>(word.size() + 2) * 12 + 8;
  }
  return x;
}

}  // namespace

void ime_draw_bar(BITMAP16* target) {
  const IME_STATE* r = ime_state();
  if (!r || !target) return;
  const int32_t height = static_cast<int32_t>(target->height);
  const int32_t width = static_cast<int32_t>(target->width);
  const int32_t band = height - BAND_ROWS;
  blue_band(target, band, BAND_ROWS);
  font_draw_text(0, 0, "~Z2~C0", 1, nullptr);
  const std::string mode = mode_text(r);
  font_draw_text(width - text_width(mode.c_str()) - 8, band + 4, mode.c_str(), 1, target);
  font_draw_text(0, 0, "~Z4", 1, nullptr);
  draw_candidates(r, 8, band + 14, target);
  if (r->composition[0]) {
    blue_band(target, band - BAND_ROWS, BAND_ROWS);
    font_draw_text(8, band - BAND_ROWS + 12, r->composition, 1, target);
  }
  font_draw_text(0, 0, "~Z2", 1, nullptr);
  font_draw_text(0, 0, "~C0", 1, nullptr);
}

void ime_draw_bar_compact(BITMAP16* target) {
  const IME_STATE* r = ime_state();
  if (!r || !target) return;
  // One band: composition, then the candidates, then the mode at the right end.
  const int32_t band = static_cast<int32_t>(target->height) - BAND_ROWS / 2;
  blue_band(target, band, BAND_ROWS / 2);
  font_draw_text(0, 0, "~Z1~C0", 1, nullptr);
  int32_t x = 4;
  if (r->composition[0]) {
    font_draw_text(x, band + 4, r->composition, 1, target);
    x += text_width(r->composition) + 8;
  }
  draw_candidates(r, x, band + 4, target);
  const std::string mode = mode_text(r);
  font_draw_text(static_cast<int32_t>(target->width) - text_width(mode.c_str()) - 4, band + 4, mode.c_str(), 1,
                 target);
  font_draw_text(0, 0, "~Z0~C0", 1, nullptr);
}

void ime_draw_bar_full(BITMAP16* target) {
  const IME_STATE* r = ime_state();
  if (!r || !target) return;
  // Three rows of the band's height: mode, composition with its reading, candidates.
  const int32_t top = static_cast<int32_t>(target->height) - 3 * BAND_ROWS;
  blue_band(target, top, 3 * BAND_ROWS);
  font_draw_text(0, 0, "~Z2~C0", 1, nullptr);
  const std::string mode = mode_text(r);
  font_draw_text(8, top + 12, mode.c_str(), 1, target);
  font_draw_text(0, 0, "~Z4~C0", 1, nullptr);
  font_draw_text(8, top + BAND_ROWS + 8, r->composition, 1, target);
  if (r->reading[0]) font_draw_text(text_width(r->composition) + 24, top + BAND_ROWS + 8, r->reading, 1, target);
  draw_candidates(r, 8, top + 2 * BAND_ROWS + 8, target);
  for (int size = 1; size <= 6; ++size) {
    char restore[8];
    std::snprintf(restore, sizeof restore, "~Z%d~C0", size);
    font_draw_text(0, 0, restore, 1, nullptr);
  }
  font_draw_text(0, 0, "~Z0~C0", 1, nullptr);
}
