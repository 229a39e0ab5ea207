#include "client/game/battle_return.h"

#include "core/reset/module_resets.h"

int32_t battle_return_word = 0;
int32_t battle_resume_word = 0;

void battle_return_reset() {
  battle_return_word = 0;
  battle_resume_word = 0;
}

static const ModuleReset k_reset("battle return", battle_return_reset);
