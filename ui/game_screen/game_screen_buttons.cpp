#include "ui/game_screen/game_screen_buttons.h"

#include "core/reset/module_resets.h"

const HUD_BUTTON_DEF hud_button_defs[HUD_BUTTONS] = {
    // bottom bar
    {29, "Item(E)", 0}, {31, "Party(T)", 1}, {33, "Attack(A)", 2}, {35, "Give(G)", 3}, {37, "Trade(X)", 4},
    {39, "Quest(Q)", 5}, {41, "Guild(B)", 6}, {43, "System(S)", 7}, {45, "Chat(F)", 8}, {59, "Skill(V)", 9},
    {13, "Window Switch", 20}, {15, "History", 21}, {17, "Shield", 22}, {57, "Add Friend", 23},
    {19, "Emotion(I)", 24}, {21, "Scroll", 25}, {23, "Expand Window(+/-)", 26}, {25, "Scroll Up", 27},
    {27, "Scroll Down", 28},
    // chat channel
    {1, "", 60}, {3, "", 60}, {5, "", 60}, {7, "", 60}, {9, "", 60}, {11, "", 60},
    // top right
    {47, "Window Switch", 40}, {49, "World Map", 41}, {51, "Mini Map(Tab)", 42}, {55, "Help", 43},
    {53, "Item Mall", 44}, {61, "Route Switch", 45}, {63, "Mail System", 46},
};

GAME_SCREEN_BUTTONS game_screen_buttons = {};
MDA_BUTTON settings_window_buttons[SETTINGS_WINDOW_BUTTONS] = {};

MDA_BUTTON& game_screen_button(int i) {
  if (i < HUD_BOTTOM_BAR_BUTTONS) return game_screen_buttons.bottom_bar[i];
  i -= HUD_BOTTOM_BAR_BUTTONS;
  if (i < HUD_CHAT_CHANNEL_BUTTONS) return game_screen_buttons.chat_channel[i];
  return game_screen_buttons.top_right[i - HUD_CHAT_CHANNEL_BUTTONS];
}

static const ModuleReset k_reset("game screen buttons", [] {
  game_screen_buttons = GAME_SCREEN_BUTTONS{};
  for (MDA_BUTTON& b : settings_window_buttons) b = MDA_BUTTON{};
});
