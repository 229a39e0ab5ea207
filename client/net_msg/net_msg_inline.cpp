// The rows the dispatcher does itself: each writes one word of its owner.
#include "client/game/battle_return.h"
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_msg_rows.h"
#include "client/record/record.h"
#include "items/shop/shop_flags.h"
#include "ui/status_bars/player_status_bars.h"
#include "world/battle/battle_words.h"
#include "world/scene/scene_chars.h"

// 0x30061, 0x30062: the server ends the link in order; its loss is not a failure.
void msg_own_disconnect(uint32_t, int32_t, net_msg::Payload) { net_link.own_disconnect = 1; }

// 0x40008, 0xc0009.
void msg_nothing(uint32_t, int32_t, net_msg::Payload) {}

void msg_status_bar_first(uint32_t, int32_t arg, net_msg::Payload) { player_status_bars.first = arg; }
void msg_status_bar_second(uint32_t, int32_t arg, net_msg::Payload) { player_status_bars.second = arg; }

void msg_shop_flag_a(uint32_t, int32_t arg, net_msg::Payload) {
  shop_flag_a = arg != 0;
  if (shop_flag_a) shop_pages_mark_refresh(ShopPages::Shop);
}

void msg_shop_flag_b(uint32_t, int32_t arg, net_msg::Payload) {
  shop_flag_b = arg != 0;
  if (shop_flag_b) shop_pages_mark_refresh(ShopPages::Bank);
}

void msg_battle_round_state(uint32_t, int32_t arg, net_msg::Payload) {
  battle_round_state = static_cast<uint32_t>(arg);
}

// 0xf0005: back into the scene with a battle to return to; the argument does not matter.
void msg_battle_return(uint32_t, int32_t, net_msg::Payload) {
  scene_in_scene = 1;
  battle_return_word = 1;
  battle_leave_word = 1;
}

void msg_battle_resume(uint32_t, int32_t, net_msg::Payload) { battle_resume_word = 1; }

void msg_link_lost(uint32_t, int32_t arg, net_msg::Payload) { link_lost_word = arg; }

// 0x19000c: the server asks for the recorded entries; runs outside the guard.
void msg_record_mirror_on(uint32_t, int32_t, net_msg::Payload) { record_state.mirror = 1; }
