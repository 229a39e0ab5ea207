// The full-screen film: each pass runs the frame step (messages, pacing, input, the frame
// counter); on frames the speed divisor lets through, the film's next frame goes into its
// rectangle of screen_back and is scaled from there to the whole of screen_new, which is
// captured and presented.
#include "client/screen_fx/play_video_fullscreen.h"

#include <cstdio>

#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/record_capture.h"
#include "client/handover/replay_controls.h"
#include "client/ui/message_box.h"
#include "core/file/file_checks.h"
#include "engine/draw/draw.h"
#include "engine/input/input.h"
#include "engine/video/video.h"
#include "graphics/bitmap/blit_scaled.h"
#include "graphics/bitmap/screen_buffers.h"

namespace {

constexpr uint8_t KEY_ENTER = 13;
constexpr uint8_t KEY_ESC = 27;
constexpr uint8_t EVENT_CLICK = 245;

bool ends_film(int mode) {
  const uint8_t key = frame_input.key_code;
  if (mode == 1) return key == KEY_ESC;
  if (mode == 2) return key == KEY_ENTER || key == KEY_ESC || frame_input.event_code == EVENT_CLICK;
  return false;
}

}  // namespace

int play_video_fullscreen(const char* path, int mode) {
  if (!path || file_exists(path) != 0) {
    char text[300];
    std::snprintf(text, sizeof text, "File %s open error", path ? path : "");
    show_message_box(text, 1);
    return -2;
  }
  bitmap16_clear(screen_back);
  plat::Rect rect;
  if (video_open(path, &rect) != 0) {
    video_close();
    return 0;
  }
  for (;;) {
    const uint32_t frame = frame_step();
    if (ends_film(mode)) {
      input_clear_keys();
      input_clear_key();
      break;
    }
    const int32_t divisor = speed_divisor.load();
    if (divisor > 0 && frame % static_cast<uint32_t>(divisor) != 0) continue;
    video_update(screen_back, 1);
    // Only the decoder's end ends the film; -2 alone may be a frame that is not there yet.
    if (video_at_end()) break;
    gfx16_blit_scaled(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, screen_new, rect.left, rect.top, rect.width(), rect.height(),
                      screen_back);
    record_capture_frame();
    if (draw_present_slot) draw_present_slot(screen_new);
  }
  video_close();
  return 0;
}
