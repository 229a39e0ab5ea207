// The world-message handlers of items and trade that the client's dispatcher calls: bag and
// item details, trade, NPC shop and bank, mall and ingot market, stalls, mail, gear, prizes and
// timed states. The three without arguments take none from the message either.
#pragma once
#include <cstdint>

#include "client/net_msg/payload.h"

void give_on_open();  // 0x40012
void item_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70001
void item_on_slots_update(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70002
void item_on_drop_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70003
void item_on_move(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70004
void item_on_use_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70005
void item_on_gold_change(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70006
void item_on_give_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70007
void item_on_equip_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70009
void item_on_container_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x7000a
void item_on_details(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x7000d, 0x120006
void shop_on_goods_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x7000e
void item_on_slot_update(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70011
void mall_on_goods_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70012
void mall_on_purchase_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70013
void item_on_swap(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70014
void item_on_gold_ingot_balance(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70015
void item_on_silver_ingot_balance(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70016
void item_on_silver_ingot_delta(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70017
void pet_on_info(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x70018, 0x120008
void gear_on_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x7001b
void gear_on_open(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x7001c
void trade_on_request_refused(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x80001
void trade_on_request(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x80002
void trade_on_cancel(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x80003
void trade_on_offer_placed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x80004
void trade_on_partner_offer(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x80005
void trade_on_offer_withdrawn(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x80006
void trade_close_window();  // 0x80007
void shop_on_buy_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0001
void shop_on_sell_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0002
void bank_on_deposit_gold_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0003
void bank_on_withdraw_gold_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0004
void bank_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0005
void bank_on_item_move_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0006, 0xa000b
void bank_on_withdraw_item_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0007, 0xa000c
void bank_on_open(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xa0008
void pet_on_item_use_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xd0005
void prize_on_reminder(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf000a
void mail_on_addressee(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf000b
void prize_on_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf000c
void timed_state_on_start(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x110001
void timed_state_on_end(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x110002
void scene_on_char_value(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x110003
void stall_on_setup_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x120001
void stall_on_closed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x120002
void stall_on_buy_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x120003
void stall_on_goods_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x120004
void stall_on_setup_allowed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x120007
void mail_on_send_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170001
void mail_on_count(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170002
void mail_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170003
void mail_on_body(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170004
void mail_on_withdraw_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170005, 0x170006
void mail_on_attachments(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170008
void mail_on_delete_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x170009
void mail_on_new(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x17000a
void mail_open_compose_window();  // 0x17000b
void mail_on_withdraw_fail(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x17000c
void market_on_list_1(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x180001
void market_on_list_2(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x180002
void market_on_trade_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x180003
void market_on_order_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x180004
void market_on_order_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x190006
