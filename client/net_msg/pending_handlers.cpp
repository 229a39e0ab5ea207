// Placeholders for the world-message handlers not built yet, under their final names. Building
// a handler means deleting its line here and defining the real function in its own folder; the
// table does not change. This list is thus what is still missing.
#include "client/handlers/client_handlers.h"
#include "client/net_msg/pending_handlers.h"
#include "items/handlers/items_handlers.h"
#include "social/handlers/social_handlers.h"
#include "ui/handlers/ui_handlers.h"
#include "world/handlers/world_handlers.h"

// X(name): a handler; V(name, id): a handler without arguments, called for that one id.
#define NET_MSG_PENDING(X, V) \
  X(char_title_remove) \
  V(give_on_open, 0x40012) \
  X(item_on_list) \
  X(item_on_slots_update) \
  X(item_on_drop_result) \
  X(item_on_move) \
  X(item_on_use_result) \
  X(item_on_gold_change) \
  X(item_on_give_result) \
  X(item_on_equip_result) \
  X(item_on_container_list) \
  X(item_on_details) \
  X(shop_on_goods_list) \
  X(item_on_slot_update) \
  X(mall_on_goods_list) \
  X(mall_on_purchase_result) \
  X(item_on_swap) \
  X(item_on_gold_ingot_balance) \
  X(item_on_silver_ingot_balance) \
  X(item_on_silver_ingot_delta) \
  X(pet_on_info) \
  X(gear_on_result) \
  X(gear_on_open) \
  X(trade_on_request_refused) \
  X(trade_on_request) \
  X(trade_on_cancel) \
  X(trade_on_offer_placed) \
  X(trade_on_partner_offer) \
  X(trade_on_offer_withdrawn) \
  V(trade_close_window, 0x80007) \
  X(shop_on_buy_result) \
  X(shop_on_sell_result) \
  X(bank_on_deposit_gold_result) \
  X(bank_on_withdraw_gold_result) \
  X(bank_on_list) \
  X(bank_on_item_move_result) \
  X(bank_on_withdraw_item_result) \
  X(bank_on_open) \
  X(pet_on_item_use_result) \
  X(prize_on_reminder) \
  X(mail_on_addressee) \
  X(prize_on_result) \
  X(timed_state_on_start) \
  X(timed_state_on_end) \
  X(scene_on_char_value) \
  X(stall_on_setup_result) \
  X(stall_on_closed) \
  X(stall_on_buy_result) \
  X(stall_on_goods_list) \
  X(stall_on_setup_allowed) \
  X(mail_on_send_result) \
  X(mail_on_count) \
  X(mail_on_list) \
  X(mail_on_body) \
  X(mail_on_withdraw_result) \
  X(mail_on_attachments) \
  X(mail_on_delete_result) \
  X(mail_on_new) \
  V(mail_open_compose_window, 0x17000b) \
  X(mail_on_withdraw_fail) \
  X(market_on_list_1) \
  X(market_on_list_2) \
  X(market_on_trade_result) \
  X(market_on_order_result) \
  X(market_on_order_list) \
  X(friend_on_removed) \
  X(guild_on_info) \
  X(guild_on_member_list) \
  X(guild_on_applicant_list) \
  X(guild_on_member_joined) \
  X(guild_on_member_left) \
  X(guild_on_member_info) \
  X(guild_on_application_result) \
  X(guild_on_applicant_refused) \
  X(guild_on_member_removed) \
  X(guild_on_message) \
  X(guild_on_list_page) \
  X(guild_on_applicant_request) \
  X(guild_on_disband) \
  X(guild_on_appointment) \
  X(guild_on_deposal) \
  X(guild_on_leader_appointment) \
  X(guild_on_member_details) \
  X(guild_on_info_word0) \
  X(guild_on_fund) \
  X(guild_on_member_count) \
  X(guild_on_info_word3) \
  X(guild_on_info_word4) \
  X(guild_on_level) \
  X(guild_on_affiche_text) \
  X(guild_on_officer_line) \
  X(guild_on_member_online) \
  X(guild_on_member_offline) \
  X(guild_on_affiche_line) \
  X(guild_on_list_total) \
  /* end of the list */

#define NET_MSG_PENDING_DEFINE(name) \
  void name(uint32_t id, int32_t, net_msg::Payload) { net_msg_pending_drop(id, #name); }
#define NET_MSG_PENDING_DEFINE_VOID(name, id) \
  void name() { net_msg_pending_drop(id, #name); }
NET_MSG_PENDING(NET_MSG_PENDING_DEFINE, NET_MSG_PENDING_DEFINE_VOID)

std::vector<const char*> net_msg_pending_names() {
#define NET_MSG_PENDING_NAME(name) #name,
#define NET_MSG_PENDING_NAME_VOID(name, id) #name,
  return {NET_MSG_PENDING(NET_MSG_PENDING_NAME, NET_MSG_PENDING_NAME_VOID)};
}
