// The battle's words that world messages write directly.
#pragma once
#include <cstdint>

// The argument of message 0xc0001; the first-round wait ends when it is 1.
extern uint32_t battle_round_state;
// Set to 1 by message 0xf0005; leaving the battle turns it from 1 to 2.
extern int32_t battle_leave_word;

// The scene character the player picked and the one under the pointer; -1 none.
extern int32_t pick_char_id;
extern int32_t pick_hover_id;

// Set by message 0xc0016; the game main task enters the battle and clears it.
extern uint8_t battle_start_byte;
// Set by message 0xc0008; the game main task leaves the battle when it is set.
extern uint8_t battle_round_end_byte;

void battle_words_reset();
