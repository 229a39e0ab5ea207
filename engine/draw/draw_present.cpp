// Showing a bitmap: the present slot, the keyed present, the upload band and the grab.
#include <algorithm>
#include <cstring>
#include <exception>

#include "engine/display/display.h"
#include "engine/draw/draw.h"
#include "engine/draw/draw_state.h"
#include "engine/engine_main/engine_main.h"
#include "engine/input/input_cursor.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/cpu/mmx.h"
#include "plat/platform.h"

DrawPresentFn draw_grab_slot = nullptr;

namespace {

bool has_display() { return ddraw_display().primary || ddraw_display().back; }

bool is_screen_bitmap(const BITMAP16* bm) {
  return bm && (bm == screen_back || bm == screen_new || bm == screen_work || bm == screen_saved);
}

// The platform takes the frame as rows one pitch apart from row 0; a bitmap that is narrower
// than the screen or whose rows are not one block cannot be handed over.
bool uploadable(const BITMAP16* bm) {
  if (bm->pitch < static_cast<uint32_t>(SCREEN_WIDTH) * 2 || bm->height == 0) return false;
  const uint32_t last = bm->height - 1;
  return bm->rows[last] == bm->rows[0] + static_cast<size_t>(last) * (bm->pitch / 2);
}

// The band clamped to the rows the bitmap has.
void band_of(const BITMAP16* bm, int32_t& first, int32_t& count) {
  const DrawState& s = draw_state();
  first = std::min<int32_t>(s.upload_first, static_cast<int32_t>(bm->height));
  count = std::max<int32_t>(0, std::min<int32_t>(s.upload_count, static_cast<int32_t>(bm->height) - first));
}

// A 32-bit screen's staging surface gets each pixel widened; local video memory (kind 3) is
// written a row at a time from a row buffer.
void upload_32(const BITMAP16* bm, int32_t first, int32_t count, int kind) {
  DrawState& s = draw_state();
  for (int32_t y = first; y < first + count; ++y) {
    uint32_t* target = s.staging32.data() + static_cast<size_t>(y) * SCREEN_WIDTH;
    if (kind == 3) {
      mmx_widen_row(bm->rows[y], s.row32.data(), SCREEN_WIDTH);
      std::memcpy(target, s.row32.data(), SCREEN_WIDTH * sizeof(uint32_t));
    } else {
      mmx_widen_row(bm->rows[y], target, SCREEN_WIDTH);
    }
  }
}

}  // namespace

void draw_set_present_mode(int mode) { draw_present_slot = mode == 1 ? draw_present_keyed : draw_present; }

void draw_set_upload_rows(int32_t first, int32_t count) {
  DrawState& s = draw_state();
  s.upload_first = (first >= 0 && first < SCREEN_HEIGHT) ? first : 0;
  s.upload_count = (count >= 0 && static_cast<int64_t>(s.upload_first) + count < SCREEN_HEIGHT)
                       ? count
                       : SCREEN_HEIGHT - s.upload_first;
}

int32_t draw_upload_first_row() { return draw_state().upload_first; }
int32_t draw_upload_row_count() { return draw_state().upload_count; }

int32_t draw_upload_and_show(BITMAP16* bm) {
  DrawState& s = draw_state();
  if (bm->height > 0) input_cursor_draw(bm->rows[0], static_cast<int32_t>(bm->pitch),
                                        static_cast<int32_t>(bm->width), static_cast<int32_t>(bm->height));
  int32_t first = 0, count = 0;
  band_of(bm, first, count);
  const bool ok = uploadable(bm);
  if (ok && s.staging) {
    if (s.screen32) upload_32(bm, first, count, s.live_kind);
    if (auto fn = draw_staging_provider().uploaded) fn(s.live_kind);
  }
  int32_t hr = DRAW_E_POINTER;
  if (has_display()) {
    // A lost render device is made again by the platform and never reported here.
    if (ok) plat::get().display().present(bm->rows[0], static_cast<int>(bm->pitch), first, count);
    hr = 0;
    if (is_screen_bitmap(bm)) s.last_presented = bm;
  }
  input_cursor_restore(bm);
  return hr;
}

int32_t draw_present(BITMAP16* bitmap) {
  DrawState& s = draw_state();
  if (!bitmap || !has_display()) return DRAW_E_POINTER;
  if (s.staging_test_pending) {
    s.staging_test_pending = false;
    s.staging_kind = 0;
    try {
      draw_staging_test(bitmap);
    } catch (const std::exception&) {
      // A failed measurement keeps system memory.
    }
    if (!draw_staging_create(s.staging_kind)) sys_fatal_error("CreateSurface (lpDDSMemory7_vector) failed");
  }
  // The full-screen game draws nothing while it is in the background.
  plat::IWindowSystem& windows = plat::get().windows();
  const plat::WindowId window = sys_main_window();
  if (!windows.hasFocus(window) && sys_get_display_mode() == 0) {
    windows.show(window, plat::ShowMode::Minimise);
    return 0;
  }
  // VELDRA_TEST_PATTERN=1: every frame shows the colour bars, whichever screen drew it.
  if (plat::environment().testPattern) draw_test_pattern(bitmap);
  return draw_upload_and_show(bitmap);
}

int32_t draw_present_keyed(BITMAP16* bitmap) {
  DrawState& s = draw_state();
  if (!bitmap || !has_display()) return DRAW_E_POINTER;
  s.keyed_back.resize(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT);
  int32_t first = 0, count = 0;
  band_of(bitmap, first, count);
  const int32_t width = std::min<int32_t>(static_cast<int32_t>(bitmap->width), SCREEN_WIDTH);
  for (int32_t y = first; y < first + count; ++y) {
    const uint16_t* src = bitmap->rows[y];
    uint16_t* dst = s.keyed_back.data() + static_cast<size_t>(y) * SCREEN_WIDTH;
    for (int32_t x = 0; x < width; ++x) {
      if (src[x] != 0) dst[x] = src[x];
    }
  }
  input_cursor_draw(s.keyed_back.data(), SCREEN_WIDTH * 2, SCREEN_WIDTH, SCREEN_HEIGHT);
  plat::get().display().present(s.keyed_back.data(), SCREEN_WIDTH * 2, 0, SCREEN_HEIGHT);
  return 0;
}

// The platform cannot read the screen back, so the grab takes the screen bitmap presented last.
// The bitmap must have room for a whole screen; its pitch stays.
int32_t draw_grab_screen(BITMAP16* bitmap) {
  const BITMAP16* src = draw_state().last_presented;
  if (!src || !has_display()) return DRAW_E_FAIL;
  if (!bitmap || bitmap->pitch < src->pitch || bitmap->height < src->height) return DRAW_E_FAIL;
  bitmap->width = src->width;
  bitmap->height = src->height;
  for (uint32_t y = 0; y < src->height; ++y) std::memcpy(bitmap->rows[y], src->rows[y], src->pitch);
  return 0;
}
