// The command countdowns of a round as the client core runs them.
#pragma once

// Starts both countdowns, then resumes both: (player, start), (pet, start), (player, resume),
// (pet, resume).
void battle_timers_start();
// Resumes the player's countdown only.
void battle_timer_player_resume();
