// The world-message handlers of friends and the guild that the client's dispatcher calls.
#pragma once
#include <cstdint>

#include "client/net_msg/payload.h"

void friend_on_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x30018
void guild_on_info(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100006
void guild_on_member_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100007
void guild_on_applicant_list(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100008
void guild_on_member_joined(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100009
void guild_on_member_left(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100010
void guild_on_member_info(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100011
void guild_on_application_result(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100012
void guild_on_applicant_refused(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100014
void guild_on_member_removed(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100015
void guild_on_message(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100016
void guild_on_list_page(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100017
void guild_on_applicant_request(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100018
void guild_on_disband(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100019
void guild_on_appointment(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100020
void guild_on_deposal(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100021
void guild_on_leader_appointment(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100022
void guild_on_member_details(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100023
void guild_on_info_word0(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100024
void guild_on_fund(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100025
void guild_on_member_count(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100026
void guild_on_info_word3(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100027
void guild_on_info_word4(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100028
void guild_on_level(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100029
void guild_on_affiche_text(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100030
void guild_on_officer_line(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100031
void guild_on_member_online(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100032
void guild_on_member_offline(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100033
void guild_on_affiche_line(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100035
void guild_on_list_total(uint32_t id, int32_t arg, net_msg::Payload payload);  // 0x100036
