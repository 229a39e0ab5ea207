#include "world/battle/battle_words.h"

#include "core/reset/module_resets.h"

uint32_t battle_round_state = 0;
int32_t battle_leave_word = 0;

void battle_words_reset() {
  battle_round_state = 0;
  battle_leave_word = 0;
}

static const ModuleReset k_reset("battle words", battle_words_reset);
