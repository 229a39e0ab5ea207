// The leave request that ends the game main task: a flag byte and a mode word.
#pragma once
#include <cstdint>

constexpr int32_t GAME_LEAVE_NONE = -1;
constexpr int32_t GAME_LEAVE_TO_LOGIN = 0;
constexpr int32_t GAME_LEAVE_SYSTEM_MENU = 1;
constexpr int32_t GAME_LEAVE_QUIT = 2;

struct GAME_LEAVE_MODE {
  uint8_t flag;
  int32_t mode;  // GAME_LEAVE_*
};

extern GAME_LEAVE_MODE game_leave_mode;

// Disconnects both server links and asks the game main task to return to the account input.
void game_leave_to_login();
