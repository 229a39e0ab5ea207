// The game screen's buttons: the three button tables of the interface file and the settings
// window's buttons. The start-up fills the buttons.
#pragma once
#include <cstdint>

#include "graphics/frame_cmd/frame_cmd.h"

constexpr int HUD_BOTTOM_BAR_BUTTONS = 19;
constexpr int HUD_CHAT_CHANNEL_BUTTONS = 6;
constexpr int HUD_TOP_RIGHT_BUTTONS = 7;
constexpr int HUD_BUTTONS = HUD_BOTTOM_BAR_BUTTONS + HUD_CHAT_CHANNEL_BUTTONS + HUD_TOP_RIGHT_BUTTONS;

// One row of the button tables: the frame ("MainCommand<frame>"), the tooltip and the id.
struct HUD_BUTTON_DEF {
  int32_t frame;
  const char* tooltip;
  int32_t id;
};

// The rows in table order: bottom bar, chat channel, top right.
extern const HUD_BUTTON_DEF hud_button_defs[HUD_BUTTONS];

// The registered buttons (command = frame, user value = id, name = tooltip, the frame's
// rectangle), in the order of hud_button_defs.
struct GAME_SCREEN_BUTTONS {
  MDA_BUTTON bottom_bar[HUD_BOTTOM_BAR_BUTTONS];
  MDA_BUTTON chat_channel[HUD_CHAT_CHANNEL_BUTTONS];
  MDA_BUTTON top_right[HUD_TOP_RIGHT_BUTTONS];
};
extern GAME_SCREEN_BUTTONS game_screen_buttons;
// The i-th button in table order (0 .. HUD_BUTTONS - 1).
MDA_BUTTON& game_screen_button(int i);

constexpr int SETTINGS_WINDOW_BUTTONS = 3;  // close, lower volume, raise volume
extern MDA_BUTTON settings_window_buttons[SETTINGS_WINDOW_BUTTONS];
