#include "ui/pager/page_arrows.h"

#include <cstdio>

#include "client/game/frame_input.h"
#include "core/reset/module_resets.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "items/bag/bag_page.h"
#include "ui/player/player_record.h"
#include "world/battle/fight_units.h"

int32_t page_arrow_media = -1;
int32_t page_arrow_prev_frame = 0;
int32_t page_arrow_next_frame = 0;

namespace {

constexpr uint8_t EVENT_LEFT_DOWN = 244;
constexpr uint8_t EVENT_LEFT_UP = 245;
constexpr int64_t BUTTON_SIZE = 21;
constexpr uint32_t FLAGS_NORMAL = 2;
constexpr uint32_t FLAGS_GREYED = 0x2002;

int32_t highest_page() {
  if (in_battle_flag) {
    const int32_t unit = battle_find_unit(frame_input.own_char_id);
    return unit >= 0 && unit < FIGHT_UNITS ? fight_units[unit].page_count : 0;
  }
  return player_record_loaded ? player_record.page_count : 0;
}

bool hit(int64_t bx, int64_t by) {
  const int64_t mx = frame_input.mouse_x, my = frame_input.mouse_y;
  const bool inside = mx >= bx && mx <= bx + BUTTON_SIZE && my >= by && my <= by + BUTTON_SIZE;
  return inside && (frame_input.event_code == EVENT_LEFT_DOWN || frame_input.event_code == EVENT_LEFT_UP);
}

void draw_button(int32_t frame, int32_t x, int32_t y, uint32_t flags) {
  char command[32];
  std::snprintf(command, sizeof command, "MainCommand%d", frame);
  mda_run_command(page_arrow_media, command, x, y, screen_back, flags, 0, 0, 0);
}

// One button: blocked when the page cannot move that way; step is -1 or +1.
void button(int32_t frame, int64_t bx, int64_t by, bool blocked, int32_t step) {
  int32_t shown = frame;
  uint32_t flags = blocked ? FLAGS_GREYED : FLAGS_NORMAL;
  if (hit(bx, by) && !blocked) {
    if (frame_input.event_code == EVENT_LEFT_DOWN) {
      shown = frame + 1;
    } else {
      bag_page += step;
    }
  }
  draw_button(shown, static_cast<int32_t>(bx), static_cast<int32_t>(by), flags);
}

}  // namespace

void pager_draw_arrows(int32_t x, int32_t y, int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2) {
  const int32_t highest = highest_page();
  button(page_arrow_prev_frame, int64_t{x} + dx1, int64_t{y} + dy1, bag_page < 1, -1);
  button(page_arrow_next_frame, int64_t{x} + dx2, int64_t{y} + dy2, bag_page >= highest, +1);
}

static const ModuleReset k_reset("page arrows", [] {
  page_arrow_media = -1;
  page_arrow_prev_frame = 0;
  page_arrow_next_frame = 0;
});
