#include "ui/game_screen/game_screen_words.h"

#include "core/reset/module_resets.h"

GAME_SCREEN_WORDS game_screen_words = {0, 0, -1, 0, 0, 0};

void weather_apply_server_flags(int32_t flags) {
  game_screen_words.weather_flags = flags;
  ++game_screen_words.weather_applies;
}

static const ModuleReset k_reset("game screen words", [] { game_screen_words = {0, 0, -1, 0, 0, 0}; });
