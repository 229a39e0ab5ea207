// The game screen's words that the game main task and the client core's handlers write: the pick
// target and its cursor mode, the battle HUD's state word, the hit code under the pointer, the
// character-state pair and the news bytes the buttons blink with.
#pragma once
#include <cstdint>

constexpr uint16_t HIT_CODE_NONE = 0xFFFF;

struct GAME_SCREEN_STATE {
  int32_t pick_target_id;  // -1 none
  int32_t pick_mode;       // the pick cursor mode; -1 none, 0 or more while picking
  int32_t hud_battle_state;  // the battle HUD's state word; -1 when a game entry starts
  uint16_t hit_code;       // hit-map code under the pointer, HIT_CODE_NONE before the frame's HUD
  int32_t char_state_high;  // message 0x110004: argument >> 16
  int32_t char_state_low;   // and argument & 0xFFFF
  uint8_t spectator_news;   // someone came to watch the battle
  uint8_t quest_news;       // a quest arrived
};

extern GAME_SCREEN_STATE game_screen_state;

// The start values (pick words -1, hit code none, the rest 0).
void game_screen_state_reset();
