// The client core's own world-message handlers.
#pragma once
#include <cstdint>

#include "client/net_msg/payload.h"

// Login, characters, scene entry, friends and party.
void login_on_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x20001
void scene_on_positions(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30001, 0x30002
void scene_on_positions_reset(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30003
void chat_server_on_address(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30004
void char_list_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30007
void char_on_select(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30008
void scene_on_chars_entered(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3000a
void scene_on_enter(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3000c
void nickname_on_check(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3000e
void scene_on_chars_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3000f, 0x3001f
void scene_on_leave(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30010
void scene_on_chars_added(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30012
void login_on_other_char_in_game(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30013
void login_on_account_in_use(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30014
void weather_on_flags(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30015
void friend_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30016
void friend_on_add_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30017
void friend_on_record_msg(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30019
void friend_on_online(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3001a
void friend_on_offline(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3001b
void options_on_request(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3001c
void friend_on_kind_msg(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3001d
void player_on_search_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x3001e
void friend_on_points_msg(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30020
void party_on_leader(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30030
void party_on_apply_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30031
void party_on_applicant_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30032
void party_on_member_flag(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30033
void party_on_member_left(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30034
void party_on_member_joined(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30035
void party_on_applicants(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30036
void party_on_members(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30037
void party_on_applicants_cleared(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30038
void party_on_member_value(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30039
void party_on_rejected(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30040
void scene_on_own_char(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30060
void nickname_on_set(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30063
void scene_on_map_change(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30100

// Quests, experience, pets, skills, battle, titles and notices.
void npc_on_macro_command(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x40004
void quest_on_added(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x40005
void quest_on_text(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x40007
void quest_on_progress(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x40009
void quest_on_new(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x40011
void char_on_full_details(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50001
void points_on_allocated(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50002
void exp_on_level(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50003
void exp_on_change(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50004
void char_on_details(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50005
void char_on_values(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50006
void timed_on_kind1(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50007
void timed_on_kind23(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50008
void timed_on_kind(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x50009
void pet_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60001
void pet_on_rename(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60002
void pet_on_points_allocated(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60003
void pet_on_level(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60004
void pet_on_exp(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60005
void pet_on_follow(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60006
void pet_on_unfollow(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60007
void pet_on_active(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60008
void pet_on_inactive(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60009
void pet_on_new(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x6000a
void pet_on_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x6000b
void pet_on_details(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x6000c
void pet_on_block(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x6000d
void pet_on_values(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x6000e
void pet_on_level_bits(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x6000f
void pet_on_all_details(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x60010
void pulse_on_reply(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x90001
void skill_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xb0001
void skill_on_one(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xb0002
void pet_skill_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xb0003
void pet_skill_on_one(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xb0004
void skill_on_level(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xb0005
void stats_points_on_change(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xb0006
void battle_on_unit_ready(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0002
void battle_on_all_ready(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0003
void battle_on_action(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0006
void battle_on_round_end(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0008
void battle_on_command_ack(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc000b
void battle_on_status(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc000c
void battle_on_stats(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc000d
void scene_on_battle_flag_set(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0011
void scene_on_battle_flag_clear(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0012
void battle_on_spectator_left(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0013
void battle_on_unit_bytes(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0014
void battle_on_spectators(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0015
void battle_on_start(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0016
void battle_on_unit_tag(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xc0017
void restore_on_player_hp(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xd0001
void restore_on_player_mp(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xd0002
void restore_on_pet_hp(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xd0003
void restore_on_pet_mp(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xd0004
void pet_on_value24(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xd0006
void title_on_base(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xe0001
void title_on_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xe0002, 0xe0003
void title_on_set(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xe0004
void title_on_clear(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xe0005
void title_on_block(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xe0006
void prize_on_text(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf0001
void version_on_mismatch(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf0003
void scene_on_reenter(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf0007
void event_on_notice(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf0008
void event_on_notice_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0xf0009, 0x190003
void char_state_on_pair(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x110004
void char_state_on_npc_look(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x110005
void char_on_speech(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130001
void player_on_value_a(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130002
void player_on_value_c(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130003
void battle_on_unit_flag(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130004
void login_on_wait(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130005
void macro_on_state(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130006
void auto_fight_on_mode(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130007
void scene_on_animation(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130008
void auto_fight_on_block(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130009
void auto_fight_on_bout(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x130010
void line_on_population(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x150001
void event_on_exp_release(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x190002
void line_on_loads(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x190004
void clock_on_server_time(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x190008
void ranking_on_records(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x19000a
void relation_on_master_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x1a0001
void relation_on_brother_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x1a0002

// The quest tables: removes one quest.
void quest_on_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x40010
