#include "client/game/task_system_init.h"

#include <cstring>

#include "client/game/frame_step.h"
#include "client/game/game_main_state.h"
#include "client/game/system_media.h"
#include "client/game/task_state.h"
#include "client/sound/music_state.h"
#include "client/sound/sound_front.h"
#include "client/state/start_up_state.h"
#include "client/state/title_table.h"
#include "client/ui/message_box.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "engine/emote/emote_text.h"
#include "engine/engine_main/engine_main.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/mda/mda.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "social/chat_log/chat_log.h"
#include "social/chat_log/msg_history.h"
#include "social/friends/friend_table.h"
#include "ui/game_leave/game_leave_mode.h"
#include "ui/game_screen/game_screen_buttons.h"
#include "ui/game_screen/game_screen_state.h"
#include "ui/game_screen/window_slots.h"
#include "ui/notices/notice_lines.h"
#include "world/battle/battle_words.h"
#include "world/map/map_data.h"
#include "world/scene/chat_bubbles.h"
#include "world/scene/extra_media.h"
#include "world/scene/view_frames.h"
#include "world/weather/weather_module.h"

uint16_t system_colours[SYSTEM_COLOURS] = {};
const uint32_t system_colour_rgb[SYSTEM_COLOURS] = {
    0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x808080, 0x404040, 0x80FF80, 0x8080FF, 0xFF6600, 0x00FF00, 0xFF8C00, 0xFA8CFA,
    0x00FFFF, 0x072C7C, 0x07133B, 0x280000, 0xFF8A00, 0x00FC0C, 0x2021A1, 0x1402CA,
};
uint8_t task_system_state_block[TASK_STATE_BLOCK_SIZE] = {};

namespace {

bool g_initialised = false;

// The fixed interface media in their load order; "frames" files are read frame by frame.
struct MediaLoad {
  const char* name;
  bool frames;
};
constexpr MediaLoad kFirstMedia[] = {
    {"system\\c1meu018b.mda", false}, {"npc\\Npc136a.MDA", false},  {"system\\head.mda", false},
    {"system\\weather.mda", false},   {"system\\estate.mda", false}, {"system\\icon.mda", false},
    {"system\\glow.mda", false},      {"system\\lock.mda", false},   {"system\\mend.mda", false},
    {"ani\\skl001.mda", false},       {"system\\info.mda", true},    {"system\\c1meu018a.mda", true},
};
constexpr const char* kButtonFile = "system\\c1meu018b.mda";
constexpr const char* kSettingsFile = "system\\c1meu026.mda";
constexpr MediaLoad kLastMedia[] = {
    {"system\\c1meu074.mda", false},    {"system\\mapmenu.mda", true},       {"system\\c1meu031.mda", true},
    {"system\\c1meu010.mda", true},     {"system\\phiz.mda", false},         {"system\\petaction.mda", false},
    {"system\\playeraction.mda", false}, {"system\\mapbutton.mda", false},   {"system\\mapbutton02.mda", false},
    {"system\\c1meu031.mda", false},    {"system\\c1meu010.MDA", false},     {"system\\item.mda", false},
    {"system\\bigitem.mda", false},
};
struct SettingsButton {
  int32_t command;
  const char* name;
};
constexpr SettingsButton kSettingsButtons[SETTINGS_WINDOW_BUTTONS] = {
    {2, "Close"}, {4, "Lower Volume"}, {6, "Raise Volume"}};

template <size_t N>
bool load_all(const MediaLoad (&list)[N]) {
  for (const MediaLoad& m : list) {
    if ((m.frames ? system_media_read_frames(m.name) : system_media_load(m.name)) != 0) return false;
  }
  return true;
}

int32_t extra_media_init() {
  extra_media_reset();
  return 0;
}

int32_t display_text_init() {
  chat_bubbles_reset();
  return 0;
}

int32_t music_voice_init() {
  std::memset(effect_channels, 0, sizeof effect_channels);
  return 0;
}

int32_t system_control_init() { return 0; }

int32_t chat_data_init() {
  delete emote_text;
  emote_text = new IEmoteText;
  return emote_text->emote_text_init("system\\Phiz.MDA") < 0 ? -1 : 0;
}

int32_t chat_data_buffer_init() {
  chat_log_reset();
  msg_history_reset();
  return 0;
}

int32_t title_data_init() {
  title_records_reset();
  return 0;
}

// The bitmap into holder (a kept one freed first); false with the log line when it cannot be made.
bool create_bitmap(BITMAP16** holder, int32_t width, int32_t height) {
  bitmap16_free(holder);
  *holder = bitmap16_create(width, height);
  if (*holder) return true;
  sys_log_printf(1, "Unable to collocate memory");
  return false;
}

constexpr INIT_STEP kChain[INIT_STEPS] = {
    {"colour control", colour_control_init, "Initialize color control Error !"},
    {"extra media", extra_media_init, "Initialize extra mda Error !"},
    {"display text", display_text_init, "Initialize display text Error !"},
    {"game control", game_control_init, "Initialize game control Error !"},
    {"music and voice", music_voice_init, "Initialize music & voice Error !"},
    {"system images", system_images_load, "Read system image error !"},
    {"map base data", map_base_data_init, "Initialize map_base_data Error !"},
    {"map control", map_control_init, "Initialize map control Error !"},
    {"system control", system_control_init, "Initialize system control Error !"},
    {"chat data", chat_data_init, "Initialize chat data Error !"},
    {"chat data buffer", chat_data_buffer_init, "Initialize chat data buffer Error !"},
    {"start-up data", start_up_data_init, "Initialize START_UP Error !"},
    {"title data", title_data_init, "Initialize Title data Error !"},
};

}  // namespace

INIT_STEP init_chain[INIT_STEPS] = {kChain[0], kChain[1], kChain[2],  kChain[3],  kChain[4],  kChain[5], kChain[6],
                                    kChain[7], kChain[8], kChain[9], kChain[10], kChain[11], kChain[12]};

int32_t colour_control_init() {
  for (int i = 0; i < SYSTEM_COLOURS; ++i) system_colours[i] = pixel_ops.pack_rgb(system_colour_rgb[i]);
  // Text colour i is entry i and second colour i entry i + 8, so that text colour 0 stays white.
  for (int i = 0; i < WINFONT_COLOURS; ++i) {
    font_set_table_color(i, system_colours[i]);
    font_set_outline_color(i, system_colours[i + 8]);
  }
  return 0;
}

int32_t game_control_init() {
  music_playing = 0;
  music_loop_flag = 0;
  game_leave_mode.flag = 0;
  game_leave_mode.mode = GAME_LEAVE_NONE;
  pick_char_id = -1;
  pick_hover_id = -1;
  game_screen_state.hit_code = HIT_CODE_NONE;
  window_slots_reset();
  weather_display_flag = 0;
  return 0;
}

int32_t system_images_load() {
  if (!load_all(kFirstMedia)) return -2;
  const int32_t buttons = system_media_handle(kButtonFile);
  for (int i = 0; i < HUD_BUTTONS; ++i) {
    const HUD_BUTTON_DEF& d = hud_button_defs[i];
    if (mda_init_button(buttons, d.frame, &game_screen_button(i), d.tooltip, d.id) != 0) return -2;
  }
  if (system_media_load(kSettingsFile) != 0) return -2;
  const int32_t settings = system_media_handle(kSettingsFile);
  for (int i = 0; i < SETTINGS_WINDOW_BUTTONS; ++i) {
    const SettingsButton& b = kSettingsButtons[i];
    if (mda_init_button(settings, b.command, &settings_window_buttons[i], b.name, i) != 0) return -2;
  }
  return load_all(kLastMedia) ? 0 : -2;
}

int32_t map_base_data_init() {
  for (BITMAP16*& layer : map_layers) {
    if (!create_bitmap(&layer, MAP_LAYER_WIDTH, MAP_LAYER_HEIGHT)) return -1;
  }
  return 0;
}

int32_t map_control_init() {
  if (!create_bitmap(&map_control_bitmap, MAP_CONTROL_WIDTH, MAP_CONTROL_HEIGHT)) return -1;
  mda_object_release(&map_point_handle);
  return mda_load_file("MDA\\point.mda", &map_point_handle) == 0 ? 0 : -1;
}

int32_t task_system_initialize() {
  task_state_reset();
  std::memset(task_system_state_block, 0, sizeof task_system_state_block);
  if (g_initialised) return 0;
  g_initialised = true;
  // Until the chain completes, an end of the process (a failed step, a close request while a
  // box waits) is a failure.
  sys_set_exit_status(-1);
  message_slots_clear();
  friend_table_reset();
  notice_lines_clear();
  view_frames_create(1);
  for (const INIT_STEP& step : init_chain) {
    if (step.run() != 0) {
      show_message_box(step.failure_text, 1);
      return -1;
    }
  }
  weather_notify(sys_get_active_state());
  // A close that came in while the chain ran is taken in this frame step: still a failed start.
  frame_step();
  sys_set_exit_status(0);
  return 0;
}

static const ModuleReset k_reset("system init task", [] {
  g_initialised = false;
  std::memset(task_system_state_block, 0, sizeof task_system_state_block);
  std::memset(system_colours, 0, sizeof system_colours);
  for (int i = 0; i < INIT_STEPS; ++i) init_chain[i] = kChain[i];
  delete emote_text;
  emote_text = nullptr;
});
