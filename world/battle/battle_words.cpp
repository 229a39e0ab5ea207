#include "world/battle/battle_words.h"

uint32_t battle_round_state = 0;
int32_t battle_leave_word = 0;

void battle_words_reset() {
  battle_round_state = 0;
  battle_leave_word = 0;
}
