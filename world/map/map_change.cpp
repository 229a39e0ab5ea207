#include <cstdio>
#include <cstring>

#include "client/game/game_window_title.h"
#include "client/sound/sound_front.h"
#include "client/state/map_record.h"
#include "client/ui/message_box.h"
#include "engine/system/system.h"
#include "plat/bytes.h"
#include "plat/platform.h"
#include "world/map/map_load.h"
#include "world/weather/weather.h"

namespace {
// The own character's position in the scene entry's character block.
constexpr size_t kCharX = 58, kCharY = 60;
}  // namespace

void map_change() {
  char path[64];
  std::snprintf(path, sizeof path, "MAP\\%s", map_state.map_file);
  uint8_t block[sizeof map_state.block_88];
  std::memcpy(block, map_state.block_88, sizeof block);
  plat::ByteReader r(block, sizeof block);
  r.seek(kCharX);
  const uint16_t x = r.u16("x");
  r.seek(kCharY);
  const uint16_t y = r.u16("y");
  if (map_load_file(path, x, y) != 0) {
    std::snprintf(sys_message_buffer(), SYS_MESSAGE_BUFFER_SIZE, "Unable to load map file(%s)", path);
    show_message_box(sys_message_buffer(), 1);
    plat::get().debugOut("ERROR MAP ERROR 1");
    return;
  }
  char music[64];
  std::snprintf(music, sizeof music, "MUSIC\\%s", map_state.music_files[0]);
  game_music_play(music, 1, 100);
  game_window_title_show();
  weather_set(map_state.block_60[0]);
}
