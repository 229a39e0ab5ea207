// The table's own rows: what the dispatcher does inline, and the adapters for the handlers whose
// call shape is not the handler form.
#pragma once
#include <cstdint>

#include "client/net_msg/payload.h"

// Inline rows.
void msg_own_disconnect(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_nothing(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_status_bar_first(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_status_bar_second(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_shop_flag_a(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_shop_flag_b(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_battle_round_state(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_battle_return(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_battle_resume(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_link_lost(uint32_t id, int32_t arg, net_msg::Payload payload);
void msg_record_mirror_on(uint32_t id, int32_t arg, net_msg::Payload payload);

// Adapters.
void adapt_show_system_message(uint32_t id, int32_t arg, net_msg::Payload payload);
void adapt_give_on_open(uint32_t id, int32_t arg, net_msg::Payload payload);
void adapt_trade_close_window(uint32_t id, int32_t arg, net_msg::Payload payload);
void adapt_mail_open_compose_window(uint32_t id, int32_t arg, net_msg::Payload payload);
void adapt_game_leave_quit(uint32_t id, int32_t arg, net_msg::Payload payload);
