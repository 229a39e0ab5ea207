// The staging surface and the one-time measurement that picks its kind.
#include "engine/display/display.h"
#include "engine/draw/draw.h"
#include "engine/draw/draw_state.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"
#include "plat/tier0.h"

namespace {
constexpr float kNoTime = 10000.0f;
constexpr uint32_t kCaps2NonlocalIsTwo = 0x400;
}  // namespace

int draw_staging_kind() { return draw_state().staging_kind; }

const uint32_t* draw_staging_pixels32() {
  const DrawState& s = draw_state();
  return s.staging && s.screen32 ? s.staging32.data() : nullptr;
}

bool draw_staging_create(int kind) {
  draw_staging_release();
  DrawState& s = draw_state();
  const DrawStagingProvider& provider = draw_staging_provider();
  if (!(provider.create ? provider.create(kind) : kind == 0)) return false;
  const plat::PixelMasks m = plat::get().display().masks();
  s.screen32 = (m.red | m.green | m.blue) > 0xFFFFu;
  if (s.screen32) {
    s.staging32.assign(static_cast<size_t>(SCREEN_WIDTH) * SCREEN_HEIGHT, 0);
    s.row32.assign(SCREEN_WIDTH, 0);
  }
  s.live_kind = kind;
  s.staging = true;
  return true;
}

void draw_staging_release() {
  DrawState& s = draw_state();
  s.staging = false;
  s.staging32.clear();
  s.staging32.shrink_to_fit();
  s.row32.clear();
}

// Each kind the display can make is timed over five uploads with three 10 ms pauses; a kind
// that cannot be made counts as 10000 s. Ties keep the earlier kind.
void draw_staging_test(BITMAP16* bitmap) {
  const DDRAW_DISPLAY& d = ddraw_display();
  if (!d.object || !d.primary || !d.back) return;
  DrawState& s = draw_state();
  const DrawStagingProvider& provider = draw_staging_provider();
  plat::IClock& clock = plat::get().clock();
  float best = kNoTime;
  int best_kind = 0;
  draw_staging_release();
  for (int kind = 0; kind < 4; ++kind) {
    if ((kind == 1 || kind == 2) && !provider.nonlocal_blt) continue;
    float elapsed = kNoTime;
    if (draw_staging_create(kind)) {
      draw_upload_and_show(bitmap);
      draw_upload_and_show(bitmap);
      // The difference is taken before narrowing: a float clock value loses the milliseconds
      // after a few hours.
      const double start = plat::tier0::floatTime();
      for (int i = 0; i < 3; ++i) {
        draw_upload_and_show(bitmap);
        clock.sleepMs(10);
      }
      elapsed = static_cast<float>(plat::tier0::floatTime() - start);
    }
    if (elapsed < best) {
      best = elapsed;
      best_kind = kind;
    }
    draw_staging_release();
  }
  if (best_kind == 1 || best_kind == 2) best_kind = (provider.caps2 & kCaps2NonlocalIsTwo) ? 2 : 1;
  s.staging_kind = best_kind;
}
