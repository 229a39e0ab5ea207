// Media-file bytes -> mda_load_file, then every command played under each flag set into a small
// target and into screen_back with occlusion and masks on: no input may fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/sprite_state.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "graphics/frame_cmd/map_effects.h"
#include "graphics/img256/scene_masks.h"
#include "graphics/img256/scene_view_origin.h"

namespace {

BITMAP16* g_small = nullptr;
uint8_t g_bits[4 * 64];
const SCENE_MASK g_mask = {32, 64, 10, 5, g_bits};
const int32_t g_order[] = {0};
uint8_t g_palette_table[768];

void setUp() {
  fuzz_support::installHeadlessGameDir("mda");
  mda_set_message_box([](const char*) {});
  mda_set_sound_player([](const uint8_t*, int32_t, int32_t) { return 0; });
  screen_buffers_create();
  g_small = bitmap16_create(64, 48);
  for (size_t i = 0; i < sizeof(g_bits); ++i) g_bits[i] = static_cast<uint8_t>(i * 37);
  for (size_t i = 0; i < sizeof(g_palette_table); ++i) g_palette_table[i] = static_cast<uint8_t>(i * 11);
  std::atexit([] {
    mda_table_reset();
    bitmap16_free(&g_small);
    screen_buffers_free();
  });
}

void play(int32_t id, const char* name, BITMAP16* target, int32_t steps) {
  static constexpr uint32_t kFlags[] = {0x2, 0x12, 0x20, 0x1, 0x40, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000,
                                        0x0C, 0x61, 0x21};
  for (uint32_t f : kFlags) {
    mda_run_command(id, name, 30, 40, target, f, 150, 60, 0);
    mda_run_command(id, name, -5, 47, target, f | 0x2, 40, 300, 0);
  }
  for (int32_t s = -1; s <= steps && s < 40; ++s) mda_run_command(id, name, 10, 10, target, 0x80, 0, 0, s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  if (size > (1u << 20)) return 0;
  fuzz_support::writeGameFile("fuzz.mda", data, size);
  mda_palette_table = g_palette_table;
  int32_t id = -1;
  if (mda_load_file("FUZZ.mda", &id) == 0) {
    const int32_t index = mda_find_by_id(id);
    const int32_t commands = mda_table.entries[index].command_records;
    for (int32_t c = 0; c < commands && c < 16; ++c) {
      char name[MDA_NAME_SIZE];
      int32_t steps = 0;
      {
        const MDA_ENTRY& e = mda_table.entries[mda_find_by_id(id)];
        std::memcpy(name, e.commands[c].name, sizeof(name));
        steps = c < e.command_count ? e.step_count[c] : 0;
      }
      sprite_draw_state_reset();
      play(id, name, g_small, steps);
      sprite_draw_state.occlusion_test = sprite_draw_state.occlusion_write = 1;
      sprite_draw_state.highlight_on = 1;
      sprite_draw_state.highlight_bitmap = g_small;
      sprite_draw_state.mask_test = 1;
      sprite_draw_state.mask_see_through = c & 1;
      scene_mask_list = {1, g_order, &g_mask, 1};
      scene_view_origin = {3, 4};
      play(id, name, screen_back, steps);
      sprite_draw_state_reset();
      scene_mask_list_reset();
    }
    MDA_BUTTON button;
    mda_init_button(id, 0, &button, "b", 0);
    map_effect_add(id, 0, 100, 100, 1);
    map_effect_add(id, -1, 900, 100, 1);
    for (int i = 0; i < 4; ++i) mda_draw_effects();
    map_effect_list_clear();
    for (int32_t f = 0; f < 4; ++f) {
      uint8_t* frame = nullptr;
      mda_read_frame("fuzz.mda", f, &frame);
      mda_frame_buffer_free(&frame);
    }
  }
  mda_object_release(&id);
  mda_table_reset();
  return 0;
}
