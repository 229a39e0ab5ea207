#include <cstdio>
#include <cstring>

#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda.h"

int32_t mda_init_button(int32_t handle, int32_t n, MDA_BUTTON* out, const char* name, int32_t user_value) {
  if (!out || mda_find_by_id(handle) < 0) return -2;
  out->command = n;
  std::snprintf(out->name, sizeof(out->name), "%s", name ? name : "");
  out->user_value = user_value;
  char command[32];
  std::snprintf(command, sizeof(command), "MainCommand%d", n);
  // Played off screen into the scratch bitmap, only to learn the frame it draws.
  if (mda_run_command(handle, command, -9999, -9999, screen_work, MDA_FIRST_STEP, 0, 0, 0) == 0) return -2;
  const int32_t index = mda_find_by_id(handle);
  const Img256Frame* frame = index >= 0 ? mda_last_drawn_frame(index) : nullptr;
  if (!frame) return -2;
  IMG256_RECT r;
  img256_get_rect(frame, &r);
  out->left = r.left;
  out->top = r.top;
  out->right = r.right;
  out->bottom = r.bottom;
  return 0;
}
