// Creating the display in either mode, switching between them and placing the window.
#include <algorithm>

#include "engine/display/display.h"
#include "engine/draw/draw.h"
#include "engine/draw/draw_state.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

namespace {

// Centred in the usable area when centring is on, else at the stored position.
void place_window(plat::WindowId window) {
  if (window == plat::kNoWindow) return;
  plat::IWindowSystem& w = plat::get().windows();
  EngineState& st = engine_state();
  if (st.centre) {
    const plat::Rect area = w.workArea();
    st.window_x = area.left + (area.width() - SCREEN_WIDTH) / 2;
    st.window_y = area.top + (area.height() - SCREEN_HEIGHT) / 2;
  }
  w.move(window, plat::Point{st.window_x, st.window_y});
  w.show(window, plat::ShowMode::Normal);
}

// The memory surface and the staging surface of the current kind.
void make_surfaces() {
  DrawState& s = draw_state();
  if (!s.memory) s.memory = bitmap16_create(SCREEN_WIDTH, SCREEN_HEIGHT);
  if (!s.memory) sys_fatal_error("CreateSurface (lpDDSMemory7) failed");
  if (!draw_staging_create(s.staging_kind)) sys_fatal_error("CreateSurface (lpDDSMemory7_vector) failed");
}

int32_t fullscreen_setup(plat::WindowId window) {
  const int32_t hr = display_open_fullscreen(window, SCREEN_WIDTH, SCREEN_HEIGHT, 16);
  if (hr != DD_OK) return hr;
  display_attach_clipper();
  sys_set_display_mode(0);
  make_surfaces();
  draw_update_dest_rect();
  return DD_OK;
}

int32_t windowed_setup(plat::WindowId window) {
  plat::IWindowSystem& w = plat::get().windows();
  // Centred in the usable area, its top-left edges kept inside it.
  const plat::Rect area = w.workArea();
  w.move(window, plat::Point{std::max(area.left, area.left + (area.width() - SCREEN_WIDTH) / 2),
                             std::max(area.top, area.top + (area.height() - SCREEN_HEIGHT) / 2)});
  const int32_t hr = display_open_windowed(window, SCREEN_WIDTH, SCREEN_HEIGHT);
  if (hr != DD_OK) return hr;
  make_surfaces();
  sys_set_display_mode(1);
  draw_update_dest_rect();
  return DD_OK;
}

int32_t create_windowed(plat::WindowId window) {
  const int32_t hr = windowed_setup(window);
  if (hr != DD_OK) return hr;
  place_window(window);
  return DD_OK;
}

}  // namespace

int32_t draw_create_display(int mode) {
  draw_staging_release();
  display_release();
  const plat::WindowId window = sys_main_window();
  plat::Platform& p = plat::get();
  if (mode != 0) return create_windowed(window);

  const int32_t hr = fullscreen_setup(window);
  if (hr == DD_OK) {
    p.windows().move(window, plat::Point{0, 0});
    p.windows().show(window, plat::ShowMode::Normal);
    return DD_OK;
  }
  p.messageBox().show(window, "This display card does not support 640x480x16. ", "DirectDraw Sample",
                      plat::MB_ICONHAND);  // MB_ICONERROR
  // Going on without a display leaves the game running blind: a window takes its place.
  sys_log(1, "Full screen failed, window used");
  draw_staging_release();
  display_release();
  sys_set_display_mode(1);
  return create_windowed(window);
}

void draw_apply_display_mode() {
  if (auto fn = draw_stub_hooks().apply_display_mode) fn();
  if (!draw_state().initialised) return;
  // The platform neither needs nor shows the minimise and restore around the rebuild.
  draw_create_display(sys_get_display_mode() == 0 ? 1 : 0);
}

int draw_update_dest_rect() {
  if (auto fn = draw_stub_hooks().update_dest_rect) fn();
  DrawState& s = draw_state();
  const bool windowed = sys_get_display_mode() != 0;
  const plat::WindowId window = sys_main_window();
  if (!windowed || window != plat::kNoWindow) s.dest_rect = display_screen_rect(window, windowed);
  return 0;
}
