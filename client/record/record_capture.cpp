// The capture hook every screen loop runs after drawing: the replayed cursor, or the frame saved
// as a numbered BMP file without the saving time counting against the replay.
#include <cstdio>

#include "client/game/replay_state.h"
#include "client/record/record.h"
#include "engine/input/input_cursor.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/bmp/bmp.h"
#include "plat/platform.h"
#include "plat/tier0.h"

void record_capture_frame() {
  RECORD_STATE& s = record_state;
  if (!screen_back) return;
  if (!s.capture) {
    if (replaying) {
      cursor_draw_into(s.replay_mouse_x, s.replay_mouse_y, screen_back->rows[0], static_cast<int32_t>(screen_back->pitch),
                       static_cast<int32_t>(screen_back->width), static_cast<int32_t>(screen_back->height));
    }
    return;
  }
  const uint32_t start = plat::tier0::msTime();
  plat::IFileSystem& files = plat::get().files();
  if (!files.isDir("bmp")) files.mkdir("bmp");
  char path[RECORD_PATH_SIZE + 32];
  std::snprintf(path, sizeof path, "%s\\bmp\\CAP%05d.BMP", sys_working_folder(), s.capture_counter);
  bmp_save(screen_back, path);
  ++s.capture_counter;
  s.capture_offset += plat::tier0::msTime() - start;
}
