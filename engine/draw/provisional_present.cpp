// The present slot's first occupant: a black frame on the platform display, so that the window
// shows something until the display module takes the slot over.
#include <vector>

#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "plat/platform.h"

namespace {
constexpr int kFrameWidth = 800;
constexpr int kFrameHeight = 600;
}  // namespace

DrawPresentFn draw_present_slot = draw_present_provisional;

int32_t draw_present_provisional(BITMAP16* /*bitmap*/) {
  static const std::vector<uint16_t> black(kFrameWidth * kFrameHeight, 0);
  plat::IDisplay& display = plat::get().display();
  if (!display.isOpen()) {
    const plat::WindowId window = sys_main_window();
    if (window == plat::kNoWindow) return -1;
    if (!display.open(window, sys_get_display_mode() == 0, plat::PixelFamily::Rgb565)) return -1;
  }
  return display.present(black.data(), kFrameWidth * 2, 0, kFrameHeight) ? 0 : -1;
}
