// Message sequences over the rows of the client core's game handlers (quests, experience, pets,
// skills, battle, restore, titles, prizes and notices, character states, group 0x13, lines, the
// ranking and relations) through the real dispatcher, with the stand-ins of the other subsystems:
// the handlers must take any payload and any count without a sanitizer report, and the state
// they leave must let the next message run.
//
// Input: as fuzz/fuzz_dispatch.h gives it, the row index taken over these rows only.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "client/handlers/client_handlers.h"
#include "client/net_msg/net_msg_table.h"
#include "fuzz/fuzz_dispatch.h"

namespace {

constexpr net_msg::Handler kCoreHandlers[] = {
    npc_on_macro_command, quest_on_added, quest_on_text, quest_on_progress, quest_on_new, char_on_full_details,
    points_on_allocated, exp_on_level, exp_on_change, char_on_details, char_on_values, timed_on_kind1,
    timed_on_kind23, timed_on_kind, pet_on_list, pet_on_rename, pet_on_points_allocated, pet_on_level,
    pet_on_exp, pet_on_follow, pet_on_unfollow, pet_on_active, pet_on_inactive, pet_on_new, pet_on_removed,
    pet_on_details, pet_on_block, pet_on_values, pet_on_level_bits, pet_on_all_details, pulse_on_reply,
    skill_on_list, skill_on_one, pet_skill_on_list, pet_skill_on_one, skill_on_level, stats_points_on_change,
    battle_on_unit_ready, battle_on_all_ready, battle_on_action, battle_on_round_end, battle_on_command_ack,
    battle_on_status, battle_on_stats, scene_on_battle_flag_set, scene_on_battle_flag_clear,
    battle_on_spectator_left, battle_on_unit_bytes, battle_on_spectators, battle_on_start, battle_on_unit_tag,
    restore_on_player_hp, restore_on_player_mp, restore_on_pet_hp, restore_on_pet_mp, pet_on_value24,
    title_on_base, title_on_list, title_on_set, title_on_clear, title_on_block, prize_on_text,
    version_on_mismatch, scene_on_reenter, event_on_notice, event_on_notice_removed, char_state_on_pair,
    char_state_on_npc_look, char_on_speech, player_on_value_a, player_on_value_c, battle_on_unit_flag,
    login_on_wait, macro_on_state, auto_fight_on_mode, scene_on_animation, auto_fight_on_block,
    auto_fight_on_bout, line_on_population, event_on_exp_release, line_on_loads, clock_on_server_time,
    ranking_on_records, relation_on_master_removed, relation_on_brother_removed, quest_on_removed,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<uint32_t> rows = [] {
    fuzz_dispatch::setUp("core_handlers");
    std::vector<uint32_t> ids;
    for (const NET_MSG_ROW& row : net_msg_table())
      if (std::find(std::begin(kCoreHandlers), std::end(kCoreHandlers), row.handler) != std::end(kCoreHandlers))
        ids.push_back(static_cast<uint32_t>(row.id));
    if (ids.empty()) std::abort();
    return ids;
  }();
  return fuzz_dispatch::runInput(data, size, rows);
}
