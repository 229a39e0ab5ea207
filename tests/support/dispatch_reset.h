// Every word the world dispatcher and its handlers write, back at its start: shared by the
// dispatcher tests and the dispatch fuzz target (header-only, so that the fuzz tree needs no test
// library).
#pragma once
#include "client/game/battle_return.h"
#include "client/game/game_main_state.h"
#include "client/game/task_state.h"
#include "client/net_msg/net_dispatch.h"
#include "client/record/record.h"
#include "items/shop/shop_flags.h"
#include "ui/status_bars/player_status_bars.h"
#include "world/battle/battle_words.h"
#include "world/scene/scene_chars.h"

namespace veldra_test {

inline void resetDispatchState() {
  net_dispatch_reset();
  record_state_reset();
  scene_redraw_flag = 0;
  scene_in_scene = 0;
  link_lost_word = 0;
  battle_return_reset();
  battle_words_reset();
  player_status_bars_reset();
  shop_flags_reset();
}

}  // namespace veldra_test
