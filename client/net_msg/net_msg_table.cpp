// The world message table: every id the client accepts, in ascending order, with its group and
// its handler. Ids read like decimals after 9 in places (0x100009 is followed by 0x100010); they
// are hex values as the server sends them.
#include "client/net_msg/net_msg_table.h"

#include <algorithm>
#include <array>

#include "client/handlers/client_handlers.h"
#include "client/net_msg/net_msg_rows.h"
#include "core/reset/module_resets.h"
#include "items/handlers/items_handlers.h"
#include "social/handlers/social_handlers.h"
#include "world/handlers/world_handlers.h"

namespace {

constexpr std::array<NET_MSG_ROW, NET_MSG_TABLE_SIZE> kRows = {{
    {0x20001, MSG_GROUP_LOGIN, NetMsgKind::Handler, "login_on_result", login_on_result},
    {0x30001, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_positions", scene_on_positions},
    {0x30002, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_positions", scene_on_positions},
    {0x30003, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_positions_reset", scene_on_positions_reset},
    {0x30004, MSG_GROUP_PLAYER, NetMsgKind::Handler, "chat_server_on_address", chat_server_on_address},
    {0x30007, MSG_GROUP_PLAYER, NetMsgKind::Handler, "char_list_on_list", char_list_on_list},
    {0x30008, MSG_GROUP_PLAYER, NetMsgKind::Handler, "char_on_select", char_on_select},
    {0x3000a, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_chars_entered", scene_on_chars_entered},
    {0x3000c, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_enter", scene_on_enter},
    {0x3000e, MSG_GROUP_PLAYER, NetMsgKind::Handler, "nickname_on_check", nickname_on_check},
    {0x3000f, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_chars_removed", scene_on_chars_removed},
    {0x30010, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_leave", scene_on_leave},
    {0x30012, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_chars_added", scene_on_chars_added},
    {0x30013, MSG_GROUP_PLAYER, NetMsgKind::Handler, "login_on_other_char_in_game", login_on_other_char_in_game},
    {0x30014, MSG_GROUP_PLAYER, NetMsgKind::Handler, "login_on_account_in_use", login_on_account_in_use},
    {0x30015, MSG_GROUP_PLAYER, NetMsgKind::Handler, "weather_on_flags", weather_on_flags},
    {0x30016, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_list", friend_on_list},
    {0x30017, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_add_result", friend_on_add_result},
    {0x30018, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_removed", friend_on_removed},
    {0x30019, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_record_msg", friend_on_record_msg},
    {0x3001a, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_online", friend_on_online},
    {0x3001b, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_offline", friend_on_offline},
    {0x3001c, MSG_GROUP_PLAYER, NetMsgKind::Handler, "options_on_request", options_on_request},
    {0x3001d, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_kind_msg", friend_on_kind_msg},
    {0x3001e, MSG_GROUP_PLAYER, NetMsgKind::Handler, "player_on_search_result", player_on_search_result},
    {0x3001f, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_chars_removed", scene_on_chars_removed},
    {0x30020, MSG_GROUP_PLAYER, NetMsgKind::Handler, "friend_on_points_msg", friend_on_points_msg},
    {0x30030, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_leader", party_on_leader},
    {0x30031, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_apply_result", party_on_apply_result},
    {0x30032, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_applicant_removed", party_on_applicant_removed},
    {0x30033, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_member_flag", party_on_member_flag},
    {0x30034, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_member_left", party_on_member_left},
    {0x30035, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_member_joined", party_on_member_joined},
    {0x30036, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_applicants", party_on_applicants},
    {0x30037, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_members", party_on_members},
    {0x30038, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_applicants_cleared", party_on_applicants_cleared},
    {0x30039, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_member_value", party_on_member_value},
    {0x30040, MSG_GROUP_PLAYER, NetMsgKind::Handler, "party_on_rejected", party_on_rejected},
    {0x30060, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_own_char", scene_on_own_char},
    {0x30061, MSG_GROUP_PLAYER, NetMsgKind::Inline, "inline: own-disconnect flag", msg_own_disconnect},
    {0x30062, MSG_GROUP_PLAYER, NetMsgKind::Inline, "inline: own-disconnect flag", msg_own_disconnect},
    {0x30063, MSG_GROUP_PLAYER, NetMsgKind::Handler, "nickname_on_set", nickname_on_set},
    {0x30100, MSG_GROUP_PLAYER, NetMsgKind::Handler, "scene_on_map_change", scene_on_map_change},
    {0x40004, MSG_GROUP_NPC, NetMsgKind::Handler, "npc_on_macro_command", npc_on_macro_command},
    {0x40005, MSG_GROUP_NPC, NetMsgKind::Handler, "quest_on_added", quest_on_added},
    {0x40007, MSG_GROUP_NPC, NetMsgKind::Handler, "quest_on_text", quest_on_text},
    {0x40008, MSG_GROUP_NPC, NetMsgKind::Inline, "inline: nothing", msg_nothing},
    {0x40009, MSG_GROUP_NPC, NetMsgKind::Handler, "quest_on_progress", quest_on_progress},
    {0x40010, MSG_GROUP_NPC, NetMsgKind::Handler, "quest_on_removed", quest_on_removed},
    {0x40011, MSG_GROUP_NPC, NetMsgKind::Handler, "quest_on_new", quest_on_new},
    {0x40012, MSG_GROUP_NPC, NetMsgKind::Handler, "give_on_open", adapt_give_on_open},
    {0x50001, MSG_GROUP_EXP, NetMsgKind::Handler, "char_on_full_details", char_on_full_details},
    {0x50002, MSG_GROUP_EXP, NetMsgKind::Handler, "points_on_allocated", points_on_allocated},
    {0x50003, MSG_GROUP_EXP, NetMsgKind::Handler, "exp_on_level", exp_on_level},
    {0x50004, MSG_GROUP_EXP, NetMsgKind::Handler, "exp_on_change", exp_on_change},
    {0x50005, MSG_GROUP_EXP, NetMsgKind::Handler, "char_on_details", char_on_details},
    {0x50006, MSG_GROUP_EXP, NetMsgKind::Handler, "char_on_values", char_on_values},
    {0x50007, MSG_GROUP_EXP, NetMsgKind::Handler, "timed_on_kind1", timed_on_kind1},
    {0x50008, MSG_GROUP_EXP, NetMsgKind::Handler, "timed_on_kind23", timed_on_kind23},
    {0x50009, MSG_GROUP_EXP, NetMsgKind::Handler, "timed_on_kind", timed_on_kind},
    {0x5000a, MSG_GROUP_EXP, NetMsgKind::Inline, "inline: status bars: first value", msg_status_bar_first},
    {0x5000b, MSG_GROUP_EXP, NetMsgKind::Inline, "inline: status bars: second value", msg_status_bar_second},
    {0x60001, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_list", pet_on_list},
    {0x60002, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_rename", pet_on_rename},
    {0x60003, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_points_allocated", pet_on_points_allocated},
    {0x60004, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_level", pet_on_level},
    {0x60005, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_exp", pet_on_exp},
    {0x60006, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_follow", pet_on_follow},
    {0x60007, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_unfollow", pet_on_unfollow},
    {0x60008, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_active", pet_on_active},
    {0x60009, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_inactive", pet_on_inactive},
    {0x6000a, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_new", pet_on_new},
    {0x6000b, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_removed", pet_on_removed},
    {0x6000c, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_details", pet_on_details},
    {0x6000d, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_block", pet_on_block},
    {0x6000e, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_values", pet_on_values},
    {0x6000f, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_level_bits", pet_on_level_bits},
    {0x60010, MSG_GROUP_PET, NetMsgKind::Handler, "pet_on_all_details", pet_on_all_details},
    {0x70001, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_list", item_on_list},
    {0x70002, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_slots_update", item_on_slots_update},
    {0x70003, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_drop_result", item_on_drop_result},
    {0x70004, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_move", item_on_move},
    {0x70005, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_use_result", item_on_use_result},
    {0x70006, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_gold_change", item_on_gold_change},
    {0x70007, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_give_result", item_on_give_result},
    {0x70009, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_equip_result", item_on_equip_result},
    {0x7000a, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_container_list", item_on_container_list},
    {0x7000d, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_details", item_on_details},
    {0x7000e, MSG_GROUP_ITEM, NetMsgKind::Handler, "shop_on_goods_list", shop_on_goods_list},
    {0x70011, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_slot_update", item_on_slot_update},
    {0x70012, MSG_GROUP_ITEM, NetMsgKind::Handler, "mall_on_goods_list", mall_on_goods_list},
    {0x70013, MSG_GROUP_ITEM, NetMsgKind::Handler, "mall_on_purchase_result", mall_on_purchase_result},
    {0x70014, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_swap", item_on_swap},
    {0x70015, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_gold_ingot_balance", item_on_gold_ingot_balance},
    {0x70016, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_silver_ingot_balance", item_on_silver_ingot_balance},
    {0x70017, MSG_GROUP_ITEM, NetMsgKind::Handler, "item_on_silver_ingot_delta", item_on_silver_ingot_delta},
    {0x70018, MSG_GROUP_ITEM, NetMsgKind::Handler, "pet_on_info", pet_on_info},
    {0x7001b, MSG_GROUP_ITEM, NetMsgKind::Handler, "gear_on_result", gear_on_result},
    {0x7001c, MSG_GROUP_ITEM, NetMsgKind::Handler, "gear_on_open", gear_on_open},
    {0x80001, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_on_request_refused", trade_on_request_refused},
    {0x80002, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_on_request", trade_on_request},
    {0x80003, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_on_cancel", trade_on_cancel},
    {0x80004, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_on_offer_placed", trade_on_offer_placed},
    {0x80005, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_on_partner_offer", trade_on_partner_offer},
    {0x80006, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_on_offer_withdrawn", trade_on_offer_withdrawn},
    {0x80007, MSG_GROUP_TRADE, NetMsgKind::Handler, "trade_close_window", adapt_trade_close_window},
    {0x90001, MSG_GROUP_PULSE, NetMsgKind::Handler, "pulse_on_reply", pulse_on_reply},
    {0xa0001, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "shop_on_buy_result", shop_on_buy_result},
    {0xa0002, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "shop_on_sell_result", shop_on_sell_result},
    {0xa0003, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_deposit_gold_result", bank_on_deposit_gold_result},
    {0xa0004, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_withdraw_gold_result", bank_on_withdraw_gold_result},
    {0xa0005, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_list", bank_on_list},
    {0xa0006, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_item_move_result", bank_on_item_move_result},
    {0xa0007, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_withdraw_item_result", bank_on_withdraw_item_result},
    {0xa0008, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_open", bank_on_open},
    {0xa0009, MSG_GROUP_NPC_SHOP, NetMsgKind::Inline, "inline: shop flag A", msg_shop_flag_a},
    {0xa000a, MSG_GROUP_NPC_SHOP, NetMsgKind::Inline, "inline: shop flag B", msg_shop_flag_b},
    {0xa000b, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_item_move_result", bank_on_item_move_result},
    {0xa000c, MSG_GROUP_NPC_SHOP, NetMsgKind::Handler, "bank_on_withdraw_item_result", bank_on_withdraw_item_result},
    {0xb0001, MSG_GROUP_SKILL, NetMsgKind::Handler, "skill_on_list", skill_on_list},
    {0xb0002, MSG_GROUP_SKILL, NetMsgKind::Handler, "skill_on_one", skill_on_one},
    {0xb0003, MSG_GROUP_SKILL, NetMsgKind::Handler, "pet_skill_on_list", pet_skill_on_list},
    {0xb0004, MSG_GROUP_SKILL, NetMsgKind::Handler, "pet_skill_on_one", pet_skill_on_one},
    {0xb0005, MSG_GROUP_SKILL, NetMsgKind::Handler, "skill_on_level", skill_on_level},
    {0xb0006, MSG_GROUP_SKILL, NetMsgKind::Handler, "stats_points_on_change", stats_points_on_change},
    {0xc0001, MSG_GROUP_BATTLE, NetMsgKind::Inline, "inline: battle round state", msg_battle_round_state},
    {0xc0002, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_unit_ready", battle_on_unit_ready},
    {0xc0003, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_all_ready", battle_on_all_ready},
    {0xc0006, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_action", battle_on_action},
    {0xc0008, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_round_end", battle_on_round_end},
    {0xc0009, MSG_GROUP_BATTLE, NetMsgKind::Inline, "inline: nothing", msg_nothing},
    {0xc000b, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_command_ack", battle_on_command_ack},
    {0xc000c, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_status", battle_on_status},
    {0xc000d, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_stats", battle_on_stats},
    {0xc0011, MSG_GROUP_BATTLE, NetMsgKind::Handler, "scene_on_battle_flag_set", scene_on_battle_flag_set},
    {0xc0012, MSG_GROUP_BATTLE, NetMsgKind::Handler, "scene_on_battle_flag_clear", scene_on_battle_flag_clear},
    {0xc0013, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_spectator_left", battle_on_spectator_left},
    {0xc0014, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_unit_bytes", battle_on_unit_bytes},
    {0xc0015, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_spectators", battle_on_spectators},
    {0xc0016, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_start", battle_on_start},
    {0xc0017, MSG_GROUP_BATTLE, NetMsgKind::Handler, "battle_on_unit_tag", battle_on_unit_tag},
    {0xd0001, MSG_GROUP_RESTORE, NetMsgKind::Handler, "restore_on_player_hp", restore_on_player_hp},
    {0xd0002, MSG_GROUP_RESTORE, NetMsgKind::Handler, "restore_on_player_mp", restore_on_player_mp},
    {0xd0003, MSG_GROUP_RESTORE, NetMsgKind::Handler, "restore_on_pet_hp", restore_on_pet_hp},
    {0xd0004, MSG_GROUP_RESTORE, NetMsgKind::Handler, "restore_on_pet_mp", restore_on_pet_mp},
    {0xd0005, MSG_GROUP_RESTORE, NetMsgKind::Handler, "pet_on_item_use_result", pet_on_item_use_result},
    {0xd0006, MSG_GROUP_RESTORE, NetMsgKind::Handler, "pet_on_value24", pet_on_value24},
    {0xe0001, MSG_GROUP_TITLE, NetMsgKind::Handler, "title_on_base", title_on_base},
    {0xe0002, MSG_GROUP_TITLE, NetMsgKind::Handler, "title_on_list", title_on_list},
    {0xe0003, MSG_GROUP_TITLE, NetMsgKind::Handler, "title_on_list", title_on_list},
    {0xe0004, MSG_GROUP_TITLE, NetMsgKind::Handler, "title_on_set", title_on_set},
    {0xe0005, MSG_GROUP_TITLE, NetMsgKind::Handler, "title_on_clear", title_on_clear},
    {0xe0006, MSG_GROUP_TITLE, NetMsgKind::Handler, "title_on_block", title_on_block},
    {0xe0007, MSG_GROUP_TITLE, NetMsgKind::Handler, "char_title_remove", char_title_remove},
    {0xf0001, MSG_GROUP_PRIZE, NetMsgKind::Handler, "prize_on_text", prize_on_text},
    {0xf0003, MSG_GROUP_PRIZE, NetMsgKind::Handler, "version_on_mismatch", version_on_mismatch},
    {0xf0005, MSG_GROUP_PRIZE, NetMsgKind::Inline, "inline: battle return", msg_battle_return},
    {0xf0006, MSG_GROUP_PRIZE, NetMsgKind::Inline, "inline: battle resume", msg_battle_resume},
    {0xf0007, MSG_GROUP_PRIZE, NetMsgKind::Handler, "scene_on_reenter", scene_on_reenter},
    {0xf0008, MSG_GROUP_PRIZE, NetMsgKind::Handler, "event_on_notice", event_on_notice},
    {0xf0009, MSG_GROUP_PRIZE, NetMsgKind::Handler, "event_on_notice_removed", event_on_notice_removed},
    {0xf000a, MSG_GROUP_PRIZE, NetMsgKind::Handler, "prize_on_reminder", prize_on_reminder},
    {0xf000b, MSG_GROUP_PRIZE, NetMsgKind::Handler, "mail_on_addressee", mail_on_addressee},
    {0xf000c, MSG_GROUP_PRIZE, NetMsgKind::Handler, "prize_on_result", prize_on_result},
    {0x100006, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_info", guild_on_info},
    {0x100007, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_list", guild_on_member_list},
    {0x100008, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_applicant_list", guild_on_applicant_list},
    {0x100009, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_joined", guild_on_member_joined},
    {0x100010, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_left", guild_on_member_left},
    {0x100011, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_info", guild_on_member_info},
    {0x100012, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_application_result", guild_on_application_result},
    {0x100014, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_applicant_refused", guild_on_applicant_refused},
    {0x100015, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_removed", guild_on_member_removed},
    {0x100016, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_message", guild_on_message},
    {0x100017, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_list_page", guild_on_list_page},
    {0x100018, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_applicant_request", guild_on_applicant_request},
    {0x100019, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_disband", guild_on_disband},
    {0x100020, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_appointment", guild_on_appointment},
    {0x100021, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_deposal", guild_on_deposal},
    {0x100022, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_leader_appointment", guild_on_leader_appointment},
    {0x100023, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_details", guild_on_member_details},
    {0x100024, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_info_word0", guild_on_info_word0},
    {0x100025, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_fund", guild_on_fund},
    {0x100026, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_count", guild_on_member_count},
    {0x100027, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_info_word3", guild_on_info_word3},
    {0x100028, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_info_word4", guild_on_info_word4},
    {0x100029, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_level", guild_on_level},
    {0x100030, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_affiche_text", guild_on_affiche_text},
    {0x100031, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_officer_line", guild_on_officer_line},
    {0x100032, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_online", guild_on_member_online},
    {0x100033, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_member_offline", guild_on_member_offline},
    {0x100035, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_affiche_line", guild_on_affiche_line},
    {0x100036, MSG_GROUP_GUILD, NetMsgKind::Handler, "guild_on_list_total", guild_on_list_total},
    {0x110001, MSG_GROUP_CHAR_STATE, NetMsgKind::Handler, "timed_state_on_start", timed_state_on_start},
    {0x110002, MSG_GROUP_CHAR_STATE, NetMsgKind::Handler, "timed_state_on_end", timed_state_on_end},
    {0x110003, MSG_GROUP_CHAR_STATE, NetMsgKind::Handler, "scene_on_char_value", scene_on_char_value},
    {0x110004, MSG_GROUP_CHAR_STATE, NetMsgKind::Handler, "char_state_on_pair", char_state_on_pair},
    {0x110005, MSG_GROUP_CHAR_STATE, NetMsgKind::Handler, "char_state_on_npc_look", char_state_on_npc_look},
    {0x120001, MSG_GROUP_STALL, NetMsgKind::Handler, "stall_on_setup_result", stall_on_setup_result},
    {0x120002, MSG_GROUP_STALL, NetMsgKind::Handler, "stall_on_closed", stall_on_closed},
    {0x120003, MSG_GROUP_STALL, NetMsgKind::Handler, "stall_on_buy_result", stall_on_buy_result},
    {0x120004, MSG_GROUP_STALL, NetMsgKind::Handler, "stall_on_goods_list", stall_on_goods_list},
    {0x120006, MSG_GROUP_STALL, NetMsgKind::Handler, "item_on_details", item_on_details},
    {0x120007, MSG_GROUP_STALL, NetMsgKind::Handler, "stall_on_setup_allowed", stall_on_setup_allowed},
    {0x120008, MSG_GROUP_STALL, NetMsgKind::Handler, "pet_on_info", pet_on_info},
    {0x130001, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "char_on_speech", char_on_speech},
    {0x130002, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "player_on_value_a", player_on_value_a},
    {0x130003, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "player_on_value_c", player_on_value_c},
    {0x130004, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "battle_on_unit_flag", battle_on_unit_flag},
    {0x130005, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "login_on_wait", login_on_wait},
    {0x130006, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "macro_on_state", macro_on_state},
    {0x130007, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "auto_fight_on_mode", auto_fight_on_mode},
    {0x130008, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "scene_on_animation", scene_on_animation},
    {0x130009, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "auto_fight_on_block", auto_fight_on_block},
    {0x130010, MSG_GROUP_AUTO_FIGHT, NetMsgKind::Handler, "auto_fight_on_bout", auto_fight_on_bout},
    {0x150001, MSG_GROUP_LINE_INFO, NetMsgKind::Handler, "line_on_population", line_on_population},
    {0x160001, MSG_GROUP_LINE_SWITCH, NetMsgKind::Inline, "inline: link-lost word", msg_link_lost},
    {0x170001, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_send_result", mail_on_send_result},
    {0x170002, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_count", mail_on_count},
    {0x170003, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_list", mail_on_list},
    {0x170004, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_body", mail_on_body},
    {0x170005, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_withdraw_result", mail_on_withdraw_result},
    {0x170006, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_withdraw_result", mail_on_withdraw_result},
    {0x170008, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_attachments", mail_on_attachments},
    {0x170009, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_delete_result", mail_on_delete_result},
    {0x17000a, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_new", mail_on_new},
    {0x17000b, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_open_compose_window", adapt_mail_open_compose_window},
    {0x17000c, MSG_GROUP_MAIL, NetMsgKind::Handler, "mail_on_withdraw_fail", mail_on_withdraw_fail},
    {0x180001, MSG_GROUP_INGOT_MARKET, NetMsgKind::Handler, "market_on_list_1", market_on_list_1},
    {0x180002, MSG_GROUP_INGOT_MARKET, NetMsgKind::Handler, "market_on_list_2", market_on_list_2},
    {0x180003, MSG_GROUP_INGOT_MARKET, NetMsgKind::Handler, "market_on_trade_result", market_on_trade_result},
    {0x180004, MSG_GROUP_INGOT_MARKET, NetMsgKind::Handler, "market_on_order_result", market_on_order_result},
    {0x180005, MSG_GROUP_INGOT_MARKET, NetMsgKind::Handler, "show_system_message", adapt_show_system_message},
    {0x190002, MSG_GROUP_MISC, NetMsgKind::Handler, "event_on_exp_release", event_on_exp_release},
    {0x190003, MSG_GROUP_MISC, NetMsgKind::Handler, "event_on_notice_removed", event_on_notice_removed},
    {0x190004, MSG_GROUP_MISC, NetMsgKind::Handler, "line_on_loads", line_on_loads},
    {0x190005, MSG_GROUP_MISC, NetMsgKind::Handler, "game_leave_quit", adapt_game_leave_quit},
    {0x190006, MSG_GROUP_MISC, NetMsgKind::Handler, "market_on_order_list", market_on_order_list},
    {0x190008, MSG_GROUP_MISC, NetMsgKind::Handler, "clock_on_server_time", clock_on_server_time},
    {0x19000a, MSG_GROUP_MISC, NetMsgKind::Handler, "ranking_on_records", ranking_on_records},
    {0x19000c, MSG_GROUP_MISC, NetMsgKind::InlineUnguarded, "inline: record mirroring on", msg_record_mirror_on},
    {0x1a0001, MSG_GROUP_RELATION, NetMsgKind::Handler, "relation_on_master_removed", relation_on_master_removed},
    {0x1a0002, MSG_GROUP_RELATION, NetMsgKind::Handler, "relation_on_brother_removed", relation_on_brother_removed},
}};

constexpr bool rows_ascending() {
  for (size_t i = 1; i < kRows.size(); ++i)
    if (kRows[i - 1].id >= kRows[i].id) return false;
  return true;
}
constexpr bool rows_in_their_groups() {
  for (const NET_MSG_ROW& r : kRows)
    if ((r.id >> 16) != r.group || (r.id & 0xFFFF) == 0) return false;
  return true;
}
// Names only: a sanitizer build cannot fold a function's address to non-null at compile time, so
// the handlers are checked by the test that dispatches every row.
constexpr bool rows_complete() {
  for (const NET_MSG_ROW& r : kRows)
    if (!r.name || !r.name[0]) return false;
  return true;
}
static_assert(rows_ascending());
static_assert(rows_in_their_groups());
static_assert(rows_complete());

constexpr std::array<NET_MSG_GROUP_SLOTS, NET_MSG_GROUP_LIMIT> group_slots() {
  std::array<NET_MSG_GROUP_SLOTS, NET_MSG_GROUP_LIMIT> g{};
  for (const NET_MSG_ROW& r : kRows)
    g[r.group].span = static_cast<uint16_t>(std::max<uint32_t>(g[r.group].span, (r.id & 0xFFFF) + 1));
  uint32_t at = 0;
  for (NET_MSG_GROUP_SLOTS& s : g) {
    s.base = static_cast<uint16_t>(at);
    at += s.span;
  }
  return g;
}

constexpr std::array<uint8_t, NET_MSG_SLOT_CAPACITY> row_slots() {
  constexpr std::array<NET_MSG_GROUP_SLOTS, NET_MSG_GROUP_LIMIT> g = group_slots();
  static_assert(g.back().base + g.back().span <= NET_MSG_SLOT_CAPACITY);
  std::array<uint8_t, NET_MSG_SLOT_CAPACITY> slot{};
  for (uint8_t& s : slot) s = NET_MSG_NO_ROW;
  for (size_t i = 0; i < kRows.size(); ++i) slot[g[kRows[i].group].base + (kRows[i].id & 0xFFFF)] = static_cast<uint8_t>(i);
  return slot;
}

// The copy of the rows that net_msg_swap_handler edits; nothing else writes rows.
std::array<NET_MSG_ROW, NET_MSG_TABLE_SIZE> g_swapped_rows;

}  // namespace

constinit const std::array<NET_MSG_GROUP_SLOTS, NET_MSG_GROUP_LIMIT> net_msg_group_slots = group_slots();
constinit const std::array<uint8_t, NET_MSG_SLOT_CAPACITY> net_msg_row_slot = row_slots();
constinit const NET_MSG_ROW* net_msg_rows_in_use = kRows.data();

std::span<const NET_MSG_ROW, NET_MSG_TABLE_SIZE> net_msg_table() { return kRows; }

bool net_msg_use_rows(std::span<const NET_MSG_ROW, NET_MSG_TABLE_SIZE> rows) {
  // The lookup's slots hold row indexes: other rows must keep every id in its place.
  for (size_t i = 0; i < kRows.size(); ++i)
    if (rows[i].id != kRows[i].id) return false;
  net_msg_rows_in_use = rows.data();
  return true;
}

net_msg::Handler net_msg_swap_handler(MSG_ID id, net_msg::Handler handler) {
  const NET_MSG_ROW* row = net_msg_find(id);
  if (!row) return nullptr;
  const size_t index = static_cast<size_t>(row - net_msg_rows_in_use);
  if (net_msg_rows_in_use != g_swapped_rows.data()) {
    std::copy_n(net_msg_rows_in_use, NET_MSG_TABLE_SIZE, g_swapped_rows.begin());
    net_msg_rows_in_use = g_swapped_rows.data();
  }
  const net_msg::Handler old = g_swapped_rows[index].handler;
  g_swapped_rows[index].handler = handler;
  return old;
}

void net_msg_table_reset() { net_msg_rows_in_use = kRows.data(); }

static const ModuleReset k_reset("message table", net_msg_table_reset);
