#include "world/map/small_map.h"

#include <cstdlib>

#include "client/state/map_record.h"
#include "client/window/window_manager.h"
#include "core/log/log.h"
#include "core/pak/pak.h"
#include "core/reset/module_resets.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "ui/area_map/area_map_state.h"
#include "ui/game_screen/window_slots.h"
#include "world/map/map_data.h"

SMALL_MAP small_map = {};

namespace {

constexpr uint16_t kFillColour = 0;

// The small-map picture files and the indexes each holds.
struct PictureFile {
  const char* path;
  int32_t first, last;
};
constexpr PictureFile kFiles[] = {
    {"system\\smallmap.mda", 0, 19},
    {"system\\smallmap02.mda", 20, 35},
    {"system\\smallmap03.mda", 36, 51},
};

void close_map_windows() {
  for (WindowKind kind : {WINDOW_AREA_MAP, WINDOW_NPC_LIST, WINDOW_WORLD_MAP}) {
    if (window_slots.ids[kind] != -1) window_remove(window_slots.ids[kind], 0);
    window_slots.ids[kind] = -1;
  }
  area_map_click_x = area_map_click_y = -1;
}

void decode_picture(const char* path, int32_t frame) {
  // A map without its picture file keeps the fill quietly.
  PAK_FILE* file = pak_fopen(path, "rb");
  if (!file) return;
  pak_fclose(file);
  uint8_t* jpeg = nullptr;
  uint32_t size = 0;
  if (mda_read_frame_sized(path, frame, &jpeg, &size) != 0) {
    mda_frame_buffer_free(&jpeg);
    return;
  }
  uint8_t* rgb = nullptr;
  size_t rgb_size = 0;
  if (jpeg_decode(jpeg, size, 0, 0, SMALL_MAP_WIDTH, SMALL_MAP_HEIGHT, &rgb, &rgb_size) == 0) {
    convert_rgb24_rows(rgb, small_map.bitmap, SMALL_MAP_WIDTH, SMALL_MAP_HEIGHT);
  } else {
    sys_log_printf(1, "%s file decode error", map_record.path);
  }
  std::free(rgb);
  mda_frame_buffer_free(&jpeg);
}

}  // namespace

void map_build_small_map() {
  close_map_windows();
  const float width = static_cast<float>(map_record.display.map_width);
  const float height = static_cast<float>(map_record.map_height);
  small_map.sx = static_cast<float>(SMALL_MAP_WIDTH) / width;
  small_map.sy = static_cast<float>(SMALL_MAP_HEIGHT) / height;
  small_map.px = width * 0.0025f;
  small_map.py = height * 0.0033333334f;
  if (!small_map.bitmap) small_map.bitmap = bitmap16_create(SMALL_MAP_WIDTH, SMALL_MAP_HEIGHT);
  if (!small_map.bitmap) return;
  bitmap16_fill(small_map.bitmap, kFillColour);
  const int32_t index = map_state.values[0];
  for (const PictureFile& f : kFiles) {
    if (index < f.first || index > f.last) continue;
    small_map.from_first_file = f.first == 0 ? 1 : 0;
    decode_picture(f.path, index - f.first);
    return;
  }
}

static const ModuleReset k_reset("small map", [] {
  bitmap16_free(&small_map.bitmap);
  small_map = SMALL_MAP{};
});
