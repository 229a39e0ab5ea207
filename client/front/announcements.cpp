#include "client/front/announcements.h"

#include <cstdio>
#include <string>

#include "client/common/web_addresses.h"
#include "client/front/front_buttons.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/net/net_link.h"
#include "client/screen_fx/screen_transitions.h"
#include "core/file/whole_file.h"
#include "core/reset/module_resets.h"
#include "engine/emote/emote_text.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "plat/types.h"

namespace {

constexpr const char* kScreenFile = "system\\c1meu005c.MDA";
constexpr const char* kBackground = "system\\c1meu005c.JPG";
constexpr const char* kPageFormat = "download\\Affiche%02d.txt";
constexpr uint32_t kPageMax = 1u << 20;  // the updater's download: a larger page is refused
constexpr int32_t kFadeStep = 16;
constexpr uint8_t kEnter = 13;
constexpr float kEmoteSpeed = 0.07f;

// The text box; a line whose bottom passes kBoxLast fills it.
constexpr int32_t kBoxLeft = 140, kBoxTop = 120, kBoxRight = 420, kBoxBottom = 440, kBoxLast = 439;

enum Box : int32_t { PAGE_FIRST = 0, OFFICIAL = 4, FORUM = 5, FAQ = 6, GO_ON = 7, UP = 8, DOWN = 9, BOXES = 10 };
constexpr int32_t kButtons = 8;
constexpr int32_t kUpCommand = 9, kDownCommand = 12;  // + the box state

// The main-button anchors; only the go-on button takes the enabled markers. Buttons 1-5 show the
// first caption set, 0, 6 and 7 the second.
constexpr FRONT_MAIN_BUTTON kAnchors[kButtons] = {
    {758, 148, 749, 140, 609, 158, FRONT_SET0_HOVER, FRONT_SET0_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 189, 749, 181, 498, 188, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 235, 749, 227, 489, 240, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 278, 749, 270, 466, 280, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 321, 749, 313, 498, 323, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 363, 749, 355, 491, 369, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 405, 749, 397, 612, 413, FRONT_SET0_HOVER, FRONT_SET0_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    FRONT_MAIN_LOWER,
};

// The screen's state for one run.
struct ANNOUNCEMENTS {
  int32_t button_file = -1;
  int32_t screen_file = -1;
  FRONT_BOX title{};  // only its draw point is used
  FRONT_BOX boxes[BOXES]{};
  int32_t entered = -1;
  uint32_t next_blink = 0;
  FILE_BUFFER page;
  int32_t current = 0;
  int32_t first_line = 0;
  int32_t lines = 0;
  bool overflowed = false;
  bool layout_needed = false;
};

ANNOUNCEMENTS g;

void release_screen() {
  mda_object_release(&g.button_file);
  mda_object_release(&g.screen_file);
  file_buffer_free(&g.page);
  g = ANNOUNCEMENTS{};
}

// The box's own command: buttons 1-8, then the two arrows.
int32_t box_command(int32_t box) {
  if (box == UP) return kUpCommand;
  if (box == DOWN) return kDownCommand;
  return box + 1;
}

bool load_art() {
  if (mda_load_file(FRONT_BUTTON_FILE, &g.button_file) != 0) return false;
  if (mda_load_file(kScreenFile, &g.screen_file) != 0) return false;
  if (jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) return false;
  front_copy_screen(screen_front_copy, screen_new);
  if (front_command_box(g.screen_file, "MainCommand0", screen_work, &g.title) != 0) return false;
  for (int32_t i = 0; i < BOXES; ++i) {
    const std::string command = front_command_name(box_command(i));
    if (front_command_box(g.screen_file, command.c_str(), screen_work, &g.boxes[i]) != 0) return false;
  }
  for (int32_t i = 0; i < BOXES; ++i) {
    mda_run_command(g.screen_file, front_command_name(box_command(i)).c_str(), g.boxes[i].x, g.boxes[i].y, screen_new,
                    FRONT_BLINK, 0, 0, 0);
  }
  mda_run_command(g.screen_file, "MainCommand0", g.title.x, g.title.y, screen_new, FRONT_BLINK, 0, 0, 0);
  return true;
}

// The page (0-3) from its file; a page that does not load leaves the shown one and its scroll.
bool load_page(int32_t page) {
  char path[32];
  std::snprintf(path, sizeof path, kPageFormat, page + 1);
  FILE_BUFFER fresh;
  if (load_whole_file(path, &fresh, kPageMax) != 0) return false;
  file_buffer_free(&g.page);
  g.page = fresh;
  g.current = page;
  g.first_line = 0;
  g.overflowed = false;
  g.layout_needed = true;
  return true;
}

void lay_out() {
  g.layout_needed = false;
  g.lines = announcements_lay_out(g.page, g.first_line, &g.overflowed);
}

// The step counters of the arrow looks now shown start again.
void restart_arrows() {
  front_restart_command(g.screen_file, front_command_name(kUpCommand + g.boxes[UP].state).c_str());
  front_restart_command(g.screen_file, front_command_name(kDownCommand + g.boxes[DOWN].state).c_str());
}

void hit_test() {
  const int32_t under =
      front_hit_test(g.boxes, BOXES, frame_input.mouse_x, frame_input.mouse_y, frame_input.event_code);
  if (under != g.entered) {
    front_restart_steps(g.button_file);
    restart_arrows();
    g.entered = under;
  }
}

// A release over a box: true to leave.
bool release_box(int32_t box) {
  input_clear_key();
  restart_arrows();
  if (box >= PAGE_FIRST && box < PAGE_FIRST + ANNOUNCEMENT_PAGES) {
    if (box - PAGE_FIRST != g.current) load_page(box - PAGE_FIRST);
    return false;
  }
  switch (box) {
    case OFFICIAL:
      open_web_address(WEB_OFFICIAL);
      break;
    case FORUM:
      open_web_address(WEB_FORUM);
      break;
    case FAQ:
      open_web_address(WEB_FAQ);
      break;
    case GO_ON:
      return true;
    case UP:
      if (g.first_line > 0) --g.first_line;
      g.layout_needed = true;
      break;
    case DOWN:
      if (g.first_line < g.lines - 1 && g.overflowed) ++g.first_line;
      g.layout_needed = true;
      break;
    default:
      break;
  }
  return false;
}

void draw(uint32_t blink) {
  BITMAP16* back = screen_back;
  front_copy_screen(back, screen_new);
  mda_run_command(g.screen_file, "MainCommand0", g.title.x, g.title.y, back, FRONT_BLINK, 0, 0, 0);
  for (int32_t i = 0; i < kButtons; ++i) {
    front_main_button_draw(g.button_file, kAnchors[i], g.screen_file, front_command_name(box_command(i)).c_str(),
                           g.boxes[i], blink, back);
  }
  mda_run_command(g.screen_file, front_command_name(kUpCommand + g.boxes[UP].state).c_str(), g.boxes[UP].x,
                  g.boxes[UP].y, back, FRONT_ONCE, 0, 0, 0);
  mda_run_command(g.screen_file, front_command_name(kDownCommand + g.boxes[DOWN].state).c_str(), g.boxes[DOWN].x,
                  g.boxes[DOWN].y, back, FRONT_ONCE, 0, 0, 0);
  if (emote_text) {
    emote_text->emote_text_flush(frame_input.mouse_x, frame_input.mouse_y, kEmoteSpeed, back, blink == FRONT_BLINK);
  }
}

}  // namespace

int32_t announcements_lay_out(const FILE_BUFFER& page, int32_t first_line, bool* overflowed) {
  const int32_t lines = page.data ? count_line_separators(&page) + 1 : 0;
  if (!emote_text) return lines;
  emote_text->emote_text_clear();
  static char line[TEXT_LINE_SIZE];
  int32_t top = kBoxTop;
  for (int32_t i = first_line; i < lines; ++i) {
    get_text_line(i, &page, line);
    plat::Rect r{kBoxLeft, top, kBoxRight, kBoxBottom};
    emote_text->emote_text_layout(line, &r, 1, nullptr, 0);
    if (r.bottom > kBoxLast) {
      *overflowed = true;
      break;
    }
    // An empty line lays out nothing (its box is empty): the next one goes on from here, not
    // from the top of the screen.
    if (r.bottom > top) top = r.bottom;
  }
  return lines;
}

ANNOUNCEMENT_VIEW announcements_view() { return {g.current, g.first_line, g.lines, g.overflowed}; }

int32_t task_system_broadcast() {
  FrontReleaseGuard guard{release_screen};
  release_screen();
  net_disconnect_all(0);
  if (!load_art()) return -1;
  screen_transition_fade(kFadeStep);
  front_copy_screen(screen_new, screen_front_copy);
  if (load_page(0)) {
    lay_out();
  }
  g.next_blink = frame_input.frame_time + FRONT_BLINK_MS;

  bool leave = false;
  while (!leave) {
    frame_step();
    if (front_minimised()) continue;
    const uint32_t blink = front_blink(&g.next_blink, frame_input.frame_time);
    hit_test();
    if (frame_input.event_code == FRONT_MOUSE_RELEASE) leave = release_box(g.entered);
    if (frame_input.key_code == kEnter) {
      input_clear_keys();
      leave = true;
    }
    if (g.layout_needed) lay_out();
    draw(blink);
    front_windows_present();
  }
  if (emote_text) emote_text->emote_text_clear();
  screen_transition_fade(kFadeStep);
  return 0;
}

static const ModuleReset k_reset("announcements", release_screen);
