#include "client/front/title_screen.h"

#include <string>

#include "client/front/front_buttons.h"
#include "client/game/replay_state.h"
#include "client/record/record.h"
#include "client/screen_fx/play_video_fullscreen.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/startup/client_hooks.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "engine/input/input_cursor.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/img256/img256.h"
#include "graphics/img256/img256_draw.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"

namespace {

constexpr const char* kLogo = "MainCommand8";
constexpr const char* kFilm = "system\\title.avi";
constexpr const char* kBackground = "system\\c1meu005b.JPG";
constexpr const char* kDecorations = "SYSTEM\\c1meu005b.MDA";
constexpr int32_t kDecorationCount = 7;
constexpr int32_t kFadeStep = 16;
constexpr int kFilmSkippable = 2;  // Enter, Esc or a click ends the film

// What the title holds while it runs; released on every way out.
struct TITLE_STATE {
  int32_t button_file = -1;
  uint8_t* decorations[kDecorationCount] = {};
};

TITLE_STATE g;

void release_title() {
  for (uint8_t*& d : g.decorations) mda_frame_buffer_free(&d);
  mda_object_release(&g.button_file);
  g = TITLE_STATE{};
}

// Each decoration read from disk into a buffer of its own and drawn where its box lies.
bool draw_decorations(BITMAP16* target) {
  for (int32_t i = 0; i < kDecorationCount; ++i) {
    uint32_t size = 0;
    if (mda_read_frame_sized(kDecorations, i, &g.decorations[i], &size) != 0) return false;
    Img256Frame frame;
    if (img256_open(g.decorations[i], size, &frame) != 0) continue;  // a sound frame draws nothing
    IMG256_RECT r;
    img256_get_rect(&frame, &r);
    img256_draw(r.left, r.top, &frame, target);
  }
  return true;
}

}  // namespace

int32_t task_show_title() {
  FrontReleaseGuard guard{release_title};
  sys_log(1, "show_title begin");
  FRONT_BOX logo;
  if (mda_load_file(FRONT_BUTTON_FILE, &g.button_file) != 0) return -1;
  if (front_command_box(g.button_file, kLogo, screen_work, &logo) != 0) return -1;
  input_select_cursor(1);
  record_state_reset();
  const std::string record = record_file_from_command_line(client_command_line());
  if (!record.empty() && record_state.replay_clear) record_load(record.c_str());
  // A missing film is told in a box; the title goes on without it.
  if (!replaying) play_video_fullscreen(kFilm, kFilmSkippable);
  input_select_cursor(2);
  sys_log(1, "show_title at processing");
  // The film's last frame, once.
  front_copy_screen(screen_back, screen_new);
  front_present();

  if (jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) return -1;
  mda_run_command(g.button_file, kLogo, logo.x, logo.y, screen_new, FRONT_FIRST, 0, 0, 0);
  if (!draw_decorations(screen_new)) return -1;
  screen_transition_fade(kFadeStep);
  front_copy_screen(screen_back, screen_new);
  front_present();
  sys_log(1, "show_title at processing2");
  release_title();
  sys_log(1, "show_title at end");
  return 0;
}

static const ModuleReset k_reset("title screen", release_title);
