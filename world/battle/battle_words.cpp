#include "world/battle/battle_words.h"

#include "core/reset/module_resets.h"

uint32_t battle_round_state = 0;
int32_t battle_leave_word = 0;
int32_t pick_char_id = -1;
int32_t pick_hover_id = -1;
uint8_t battle_start_byte = 0;
uint8_t battle_round_end_byte = 0;

void battle_words_reset() {
  battle_round_state = 0;
  battle_leave_word = 0;
  pick_char_id = -1;
  pick_hover_id = -1;
  battle_start_byte = 0;
  battle_round_end_byte = 0;
}

static const ModuleReset k_reset("battle words", battle_words_reset);
