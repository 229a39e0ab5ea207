// Until the battle scene is built these keep the flags the game main task reads and record the
// rest.
#include "world/battle/battle_frame.h"

#include "client/common/seam_calls.h"
#include "client/game/battle_return.h"
#include "client/game/frame_input.h"
#include "client/game/game_main_state.h"
#include "world/battle/battle_words.h"
#include "world/battle/fight_units.h"

void battle_enter() {
  seam_call("battle_enter");
  in_battle_flag = 1;
  battle_return_word = 0;
}

void battle_leave() {
  seam_call("battle_leave");
  in_battle_flag = 0;
  // The round end that asked for the leave is done with: a resumed battle must not leave at once.
  battle_round_end_byte = 0;
  scene_refresh_deadline = frame_input.frame_time + SCENE_REFRESH_NEXT_MS;
}

void battle_draw_frame(BITMAP16* /*target*/) { seam_call("battle_draw_frame"); }
void battle_play_action(BITMAP16* /*target*/) { seam_call("battle_play_action"); }
void battle_draw_command_text() { seam_call("battle_draw_command_text"); }
void battle_update_command_countdown() { seam_call("battle_update_command_countdown"); }
