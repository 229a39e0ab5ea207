// Message sequences over the rows of the client core's game handlers (quests, experience, pets,
// skills, battle, restore, titles, prizes and notices, character states, group 0x13, lines, the
// ranking and relations) through the real dispatcher, with the stand-ins of the other subsystems:
// the handlers must take any payload and any count without a sanitizer report, and the state
// they leave must let the next message run.
//
// Input: as fuzz_net_dispatch, with the table index taken over these rows only:
//   one switch byte (bit 0 recording, bit 1 mirroring), then up to 64 messages, each
//   u8 form: bit 7 a raw u32 id follows, else a u8 row index follows; bit 6 do_not_record;
//            bit 5 an empty payload is passed as a null pointer
//   id or index, i32 argument, u16 length (cut to what is left), the payload bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "client/handlers/client_handlers.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/net_msg/net_msg_table.h"
#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "fuzz/fuzz_support.h"
#include "plat/bytes.h"
#include "plat/headless.h"
#include "plat/test.h"

namespace {

constexpr int kMaxMessages = 64;

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

std::vector<uint32_t> core_rows() {
  std::vector<uint32_t> ids;
  for (const NET_MSG_ROW& row : net_msg_table())
    if (std::find(std::begin(kCoreHandlers), std::end(kCoreHandlers), row.handler) != std::end(kCoreHandlers))
      ids.push_back(static_cast<uint32_t>(row.id));
  if (ids.empty()) std::abort();
  return ids;
}

void setUp() {
  plat::HeadlessOptions o;
  o.maxDrains = 200;  // a box's nested loop ends quickly with FrameBudgetExceeded
  fuzz_support::installHeadlessGameDir("core_handlers", o);
  plat::test::setExitHandler(true);
}

void run(plat::ByteReader& in, const std::vector<uint32_t>& rows) {
  const uint8_t switches = in.u8();
  if (switches & 1) record_start();
  if (switches & 2) record_state.mirror = 1;
  for (int i = 0; i < kMaxMessages && !in.empty(); ++i) {
    const uint8_t form = in.u8();
    const uint32_t id = (form & 0x80) ? in.u32() : rows[in.u8() % rows.size()];
    const int32_t arg = in.i32();
    const size_t len = std::min<size_t>(in.u16(), in.remaining());
    const auto bytes = in.bytes(len);
    // Exactly len bytes on the heap, so that a read one byte past them is a report.
    std::unique_ptr<uint8_t[]> exact(len ? new uint8_t[len] : nullptr);
    if (len) std::copy(bytes.begin(), bytes.end(), exact.get());
    const uint8_t* payload = exact.get();
    uint8_t none = 0;
    if (len == 0 && !(form & 0x20)) payload = &none;
    net_dispatch_message(id, arg, payload, static_cast<uint32_t>(len), (form & 0x40) != 0);
    if (net_link.world_dispatching != 0) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  static const std::vector<uint32_t> rows = core_rows();
  plat::ByteReader in(data, size);
  try {
    run(in, rows);
  } catch (const plat::MalformedInput&) {
  } catch (const plat::test::ExitCalled&) {
  } catch (const plat::test::FrameBudgetExceeded&) {
  }
  module_resets_run_all();
  plat::headless()->debugLines().clear();
  return 0;
}
