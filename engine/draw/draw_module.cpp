// DRAW's module hooks.
#include <cstdio>

#include "core/reset/module_resets.h"
#include "engine/display/display.h"
#include "engine/draw/draw.h"
#include "engine/draw/draw_state.h"
#include "engine/engine_main/engine_main.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/primitives/gfx16.h"
#include "plat/platform.h"

namespace {
DrawState state;
}  // namespace

DrawState& draw_state() { return state; }

DrawStubHooks& draw_stub_hooks() {
  static DrawStubHooks hooks;
  return hooks;
}

DrawStagingProvider& draw_staging_provider() {
  static DrawStagingProvider provider;
  return provider;
}

int draw_module_init() {
  if (screen_buffers_create() != 0) sys_fatal_error("init_grafx() failed");
  sys_log(1, "DRAW module initialize starting...");
  char* line = sys_message_buffer();
  std::snprintf(line, SYS_MESSAGE_BUFFER_SIZE, "    Update Screen : %s", "DirectDraw");
  sys_log(1, line);

  // Reset: no display objects, format 555 until the screen says otherwise.
  display_release();
  draw_staging_release();
  state.format_id = 1;
  state.initialised = true;

  draw_create_display(sys_get_display_mode());
  plat::IDisplay& display = plat::get().display();
  if (!display.isOpen()) sys_fatal_error("GetPixelFormat failed");
  const plat::PixelMasks masks = display.masks();
  draw_install_pixel_ops(masks.red, masks.green, masks.blue);
  gfx16_init_colours();

  sys_log(1, "DRAW module initialized OKay.");
  sys_log(1, "");
  return 0;
}

void draw_module_free() {
  draw_staging_release();
  display_release();
  bitmap16_free(&state.memory);
  state.last_presented = nullptr;
  screen_buffers_free();
  draw_present_slot = nullptr;
  draw_grab_slot = nullptr;
  state.initialised = false;
  sys_log(1, "DRAW module free OKay.");
}

void draw_module_notify(uint32_t /*active*/) {}

void draw_reset() {
  if (state.memory) bitmap16_free(&state.memory);
  state = DrawState{};
  draw_stub_hooks() = DrawStubHooks{};
  draw_staging_provider() = DrawStagingProvider{};
  draw_present_slot = draw_present_provisional;
  draw_grab_slot = nullptr;
}

static const ModuleReset k_reset("DRAW", draw_reset);
