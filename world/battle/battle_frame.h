// The battle's frame work that the game main task runs while a battle lasts.
#pragma once

struct BITMAP16;

// Starts the battle whose start byte message 0xc0016 set: the in-battle flag 1 and the
// battle-return word cleared.
void battle_enter();
// Ends the battle: the in-battle flag 0 and the scene refresh deadline moved on.
void battle_leave();
void battle_draw_frame(BITMAP16* target);
void battle_play_action(BITMAP16* target);
void battle_draw_command_text();
void battle_update_command_countdown();
