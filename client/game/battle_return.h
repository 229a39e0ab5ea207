// The game main task's battle-return and battle resume words, written by world messages 0xf0005
// and 0xf0006.
#pragma once
#include <cstdint>

// Non-zero: a battle is to be resumed at the next game entry; entering the battle clears it.
extern int32_t battle_return_word;
// Set by 0xf0006 once the server resumes the battle the task waits for.
extern int32_t battle_resume_word;

void battle_return_reset();
