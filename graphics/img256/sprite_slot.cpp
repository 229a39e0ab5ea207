#include "graphics/img256/sprite_slot.h"

#include <algorithm>

#include "core/reset/module_resets.h"
#include "graphics/img256/img256_pixel.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx_block.h"

using namespace img256_px;

SPRITE_SLOT sprite_slots[SPRITE_SLOT_COUNT] = {};

namespace {

constexpr uint32_t kHead = 3;  // length (two words) and the hot spot

void free_slot(SPRITE_SLOT& s) {
  gfx_block_free(s.colours);
  gfx_block_free(s.alphas);
  s = SPRITE_SLOT{};
}

}  // namespace

bool img256_measure_rle(const Img256Frame* frame, uint32_t* out_length) {
  if (!frame || !frame->valid()) return false;
  const uint8_t* s = frame->stream();
  const uint32_t len = frame->stream_length();
  uint64_t words = 0;
  uint32_t pos = 0;
  while (pos < len) {
    const uint8_t code = s[pos++];
    if (code == IMG256_ROW_END) {
      words += 2;
      continue;
    }
    if (code != IMG256_SKIP && code != IMG256_RUN) return false;
    if (len - pos < 2) return false;
    const uint32_t n = static_cast<uint32_t>(s[pos] | s[pos + 1] << 8);
    pos += 2;
    words += 2;
    if (code == IMG256_RUN) {
      if ((len - pos) / 2 < n) return false;
      pos += 2 * n;
      words += n;
    }
  }
  if (words > UINT32_MAX - 8) return false;
  if (out_length) *out_length = static_cast<uint32_t>(words);
  return true;
}

bool img256_build_slot(const Img256Frame* frame, int slot) {
  if (slot < 0 || slot >= SPRITE_SLOT_COUNT) return false;
  SPRITE_SLOT& out = sprite_slots[slot];
  if (out.built) return true;
  uint32_t length = 0;
  if (!img256_measure_rle(frame, &length)) return false;
  free_slot(out);
  const uint32_t words = (length + kHead + 3) & ~3u;
  out.colours = static_cast<uint16_t*>(gfx_block_alloc(size_t{words} * 2));
  out.alphas = out.colours ? static_cast<uint16_t*>(gfx_block_alloc(size_t{words} * 2)) : nullptr;
  if (!out.alphas) {
    free_slot(out);
    return false;
  }
  out.words = words;
  out.rows = frame->rows();
  out.width = frame->width();
  out.colours[0] = out.alphas[0] = static_cast<uint16_t>(length & 0xFFFF);
  out.colours[1] = out.alphas[1] = static_cast<uint16_t>(length >> 16);
  out.colours[2] = static_cast<uint16_t>(frame->hot_x());
  out.alphas[2] = static_cast<uint16_t>(frame->hot_y());

  const uint8_t* s = frame->stream();
  const uint8_t* palette = frame->palette();
  const uint32_t len = frame->stream_length();
  uint32_t pos = 0, w = kHead;
  const uint32_t end = kHead + length;
  while (pos < len) {
    const uint8_t code = s[pos++];
    if (w + 2 > end) break;
    out.colours[w] = out.alphas[w] = code;
    if (code == IMG256_ROW_END) {
      out.colours[w + 1] = out.alphas[w + 1] = code;
      w += 2;
      continue;
    }
    const uint32_t n = static_cast<uint32_t>(s[pos] | s[pos + 1] << 8);
    pos += 2;
    out.colours[w + 1] = code;
    out.alphas[w + 1] = static_cast<uint16_t>(n);
    w += 2;
    if (code == IMG256_RUN) {
      if (n > end - w) break;
      for (uint32_t i = 0; i < n; ++i, pos += 2) {
        const uint8_t* rgb = palette + 3 * s[pos];
        out.colours[w + i] = pixel_ops.pack(rgb[0], rgb[1], rgb[2]);
        out.alphas[w + i] = s[pos + 1];
      }
      w += n;
    }
  }
  if (pos != len || w != end) {
    free_slot(out);
    return false;
  }
  out.built = 1;
  return true;
}

void img256_draw_slot(int32_t x, int32_t y, int slot, BITMAP16* target) {
  if (slot < 0 || slot >= SPRITE_SLOT_COUNT || !target) return;
  SPRITE_SLOT& s = sprite_slots[slot];
  if (!s.built) return;
  const SPRITE_DRAW_STATE& st = sprite_draw_state;
  const uint32_t length = s.colours[0] | static_cast<uint32_t>(s.colours[1]) << 16;
  const int64_t left = int64_t{x} - static_cast<int16_t>(s.colours[2]);
  const int64_t right = std::min<int64_t>(left + s.width, target->width), th = target->height;
  const int64_t top = int64_t{y} - static_cast<int16_t>(s.alphas[2]), bottom = top + s.rows;
  int64_t py = top, px = left;
  const uint32_t end = kHead + length;
  uint32_t w = kHead;
  while (w + 2 <= end && py < bottom) {
    const uint16_t code = s.colours[w];
    if (code == IMG256_ROW_END) {
      ++py;
      px = left;
      w += 2;
      continue;
    }
    if (code != IMG256_SKIP && code != IMG256_RUN) break;
    const uint32_t n = s.alphas[w + 1];
    w += 2;
    if (code == IMG256_SKIP) {
      px += n;
      continue;
    }
    if (n > end - w) break;
    if (py >= 0 && py < th) {
      // Every edge clips, not only the right one.
      const int64_t a = std::max<int64_t>(px, 0), b = std::min<int64_t>(px + n, right);
      uint16_t* row = target->rows[py];
      for (int64_t p = a; p < b; ++p) {
        const uint32_t i = w + static_cast<uint32_t>(p - px);
        const uint8_t alpha = static_cast<uint8_t>(s.alphas[i]);
        highlight(st, p, py, alpha);
        if (masked(st, p, py)) s.alphas[i] = st.mask_see_through ? 80 : 0;  // kept in the slot
        const uint32_t weight = (s.alphas[i] & 0xFF) >> 3;
        if (weight) row[p] = blend565(s.colours[i], row[p], weight);
      }
    }
    px += n;
    w += n;
  }
}

void sprite_slots_free_all() {
  for (SPRITE_SLOT& s : sprite_slots) free_slot(s);
}

static const ModuleReset k_reset("sprite slots", sprite_slots_free_all);
