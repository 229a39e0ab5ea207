#include "client/screen_fx/screen_transitions.h"

#include <algorithm>
#include <cstring>

#include "client/game/frame_step.h"
#include "client/game/record_capture.h"
#include "client/handover/replay_controls.h"
#include "client/window/window_manager.h"
#include "core/log/log.h"
#include "engine/draw/draw.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/blit_ops.h"
#include "graphics/pixel_ops/pixel_ramp.h"
#include "graphics/bitmap/blit_scaled.h"
#include "plat/crt.h"
#include "plat/platform.h"
#include "plat/tier0.h"

uint16_t zoom_background_colour = 0;

namespace {

constexpr int32_t kDissolveAdvance = 32;
constexpr int32_t kZoomPasses = 9;
constexpr int32_t kZoomStepX = 40, kZoomStepY = 30;

// Our blends and present return at once, so without a pause a transition would be over before
// anyone saw it: each present is held for one frame period.
void present_paced(BITMAP16* bitmap) {
  plat::IClock& clock = plat::get().clock();
  const uint32_t shown = clock.ms();
  if (draw_present_slot && bitmap) draw_present_slot(bitmap);
  const uint32_t spent = clock.ms() - shown;
  if (spent < FRAME_PERIOD_MS) clock.sleepMs(FRAME_PERIOD_MS - spent);
}

// How every screen frame ends: both window lists, the capture hook, the present.
void finish_frame(BITMAP16* bitmap) {
  window_lists_run(0);
  window_lists_run(1);
  record_capture_frame();
  present_paced(bitmap);
}

bool screens_ready() {
  for (const BITMAP16* b : {screen_back, screen_new, screen_work, screen_saved}) {
    if (!b || b->width < static_cast<uint32_t>(SCREEN_WIDTH) || b->height < static_cast<uint32_t>(SCREEN_HEIGHT)) {
      return false;
    }
  }
  return true;
}

// Without the four screen bitmaps there is nothing to animate: the new screen is taken as it is.
bool skip_without_screens() {
  if (screens_ready()) return false;
  blit_copy_whole(screen_new, screen_back);
  return true;
}

int32_t divisor_now() {
  const int32_t d = speed_divisor.load(std::memory_order_relaxed);
  return d < 1 ? 1 : d;
}

}  // namespace

void dissolve_rows_init(DISSOLVE_ROW* rows) {
  for (int32_t y = 0; y < DISSOLVE_ROWS; ++y) {
    rows[y].delay = plat::crt_rand() % 4;
    rows[y].edge = plat::crt_rand() % 2 + 1;
  }
}

int32_t dissolve_pass(DISSOLVE_ROW* rows) {
  // Each row is built from screen_saved and screen_new straight into screen_back; this is the
  // same picture as copying screen_saved over first and drawing on it, with one write a pixel.
  constexpr size_t kRowBytes = SCREEN_WIDTH * sizeof(uint16_t);
  int32_t done = 0;
  for (int32_t y = 0; y < DISSOLVE_ROWS; ++y) {
    DISSOLVE_ROW& r = rows[y];
    uint16_t* back = screen_back->rows[y];
    const uint16_t* saved = screen_saved->rows[y];
    const uint16_t* fresh = screen_new->rows[y];
    if (r.delay > 0) {
      --r.delay;
      std::memcpy(back, saved, kRowBytes);
      continue;
    }
    const int32_t e = r.edge;
    const int32_t drawn = std::min(e, SCREEN_WIDTH);
    // Pixel i has level e - i: from 255 up the new pixel is copied.
    const int32_t copied = std::clamp(e - 254, 0, drawn);
    std::memcpy(back, fresh, static_cast<size_t>(copied) * sizeof(uint16_t));
    pixel_blend_ramp(fresh + copied, saved + copied, back + copied, drawn - copied, e - copied);
    std::memcpy(back + drawn, saved + drawn, static_cast<size_t>(SCREEN_WIDTH - drawn) * sizeof(uint16_t));
    if (e < DISSOLVE_DONE_EDGE) {
      r.edge = e + kDissolveAdvance;
    } else {
      ++done;
    }
  }
  return done;
}

void fade_pass(int32_t level) { blit_blend_whole(screen_new, screen_back, level); }

void zoom_pass(BITMAP16* source, int32_t x, int32_t y, int32_t w, int32_t h) {
  bitmap16_fill(screen_work, zoom_background_colour);
  if (!source) return;
  gfx16_blit_scaled(x, y, w, h, screen_work, 0, 0, static_cast<int32_t>(source->width),
                    static_cast<int32_t>(source->height), source);
}

void screen_transition_dissolve() {
  if (skip_without_screens()) return;
  DISSOLVE_ROW rows[DISSOLVE_ROWS];
  dissolve_rows_init(rows);
  blit_copy_whole(screen_back, screen_saved);
  for (;;) {
    const int32_t done = dissolve_pass(rows);
    finish_frame(screen_back);
    if (done == DISSOLVE_ROWS) return;
  }
}

void screen_transition_fade(int32_t step) {
  if (skip_without_screens()) return;
  if (step < 1) {
    // A step below 1 would never reach 255: only the new screen is shown.
    sys_log_printf(1, "screen fade: step %d ignored", step);
  } else {
    blit_copy_whole(screen_back, screen_saved);
    for (int32_t level = 0; level < 255; level += step) {
      fade_pass(level);
      finish_frame(screen_back);
      blit_copy_whole(screen_saved, screen_back);
    }
  }
  blit_copy_whole(screen_new, screen_back);
  record_capture_frame();
  present_paced(screen_back);
}

void screen_transition_zoom() {
  if (skip_without_screens()) return;
  int32_t x = 0, y = 0, w = SCREEN_WIDTH, h = SCREEN_HEIGHT;
  for (int32_t pass = 0; pass < kZoomPasses; ++pass) {
    input_set_wait_start();
    zoom_pass(screen_back, x, y, w, h);
    record_capture_frame();
    present_paced(screen_work);
    x += kZoomStepX;
    y += kZoomStepY;
    w -= 2 * kZoomStepX;
    h -= 2 * kZoomStepY;
  }
  x = (SCREEN_WIDTH - 2 * kZoomStepX) / 2;
  y = (SCREEN_HEIGHT - 2 * kZoomStepY) / 2;
  w = 2 * kZoomStepX;
  h = 2 * kZoomStepY;
  for (int32_t pass = 0; pass < kZoomPasses; ++pass) {
    input_set_wait_start();
    // No frame step runs here, so every pass sees the same frame number.
    if (frame_counter() % static_cast<uint64_t>(divisor_now()) != 0) continue;
    zoom_pass(screen_new, x, y, w, h);
    finish_frame(screen_work);
    x -= kZoomStepX;
    y -= kZoomStepY;
    w += 2 * kZoomStepX;
    h += 2 * kZoomStepY;
  }
  blit_copy_whole(screen_new, screen_back);
}

void screen_transition_random3(int32_t /*unused*/) {
  switch (plat::tier0::msTime() % 3) {
    case 0:
      screen_transition_dissolve();
      break;
    case 1:
      screen_transition_zoom();
      break;
    default:
      screen_transition_fade(16);
      break;
  }
}

void screen_transition_random() {
  switch (plat::crt_rand() % 13) {
    case 0:
    case 2:
      screen_transition_dissolve();
      break;
    case 1:
      screen_transition_zoom();
      break;
    case 3:
      screen_transition_fade(8);
      break;
    default:
      screen_transition_random3(0);
      break;
  }
}
