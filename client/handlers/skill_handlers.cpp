// The player's and the shown pet's skills, and the stats points.
#include <string>
#include <vector>

#include "client/common/screen_state.h"
#include "client/handlers/client_handlers.h"
#include "client/state/player_state.h"
#include "client/state/skill_tables.h"

namespace {

// count words from the payload, at most max of them kept.
std::vector<uint32_t> skill_words(net_msg::Payload payload, int32_t count, int32_t max) {
  plat::ByteReader r = payload.records(count, 4);
  std::vector<uint32_t> words(static_cast<size_t>(count < max ? count : max));
  for (uint32_t& w : words) w = r.u32("skill");
  return words;
}

// Rank 8 does not fit the status byte's three bits: it is held at 7.
void store_rank() {
  int32_t rank = player_skill_rank();
  if (rank > 7) rank = 7;
  player_state.status = static_cast<uint8_t>((player_state.status & PLAYER_STATUS_REPUTATION_MASK) |
                                             (rank << PLAYER_STATUS_RANK_SHIFT));
}

}  // namespace

void skill_on_list(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<uint32_t> words = skill_words(payload, count, PLAYER_SKILLS);
  for (size_t i = 0; i < words.size(); ++i) skill_tables.player[i] = words[i];
  store_rank();
  skill_tables.player_changed = 1;
}

void skill_on_one(uint32_t, int32_t index, net_msg::Payload payload) {
  const uint32_t word = payload.u32(0);
  if (index < 0 || index >= PLAYER_SKILLS) return;
  skill_tables.player[index] = word;
  skill_tables.player_changed = 1;
}

void pet_skill_on_list(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<uint32_t> words = skill_words(payload, count, PET_SKILLS);
  for (uint16_t& id : skill_tables.pet) id = SKILL_NONE;
  for (size_t i = 0; i < words.size(); ++i) skill_tables.pet[i] = static_cast<uint16_t>(words[i]);
  skill_tables.pet_changed = 1;
}

void pet_skill_on_one(uint32_t, int32_t index, net_msg::Payload payload) {
  const uint16_t id = payload.u16(0);
  if (index < 0 || index >= PET_SKILLS) return;
  skill_tables.pet[index] = id;
}

void skill_on_level(uint32_t, int32_t, net_msg::Payload payload) {
  const uint32_t word = payload.u32(0);
  const uint16_t id = skill_word_id(word);
  if (id == SKILL_NONE) return;
  for (uint32_t& w : skill_tables.player) {
    if (skill_word_id(w) != id) continue;
    const bool rose = skill_word_level(word) > skill_word_level(w);
    w = word;
    if (!rose) continue;
    notice_linef("~C2%s hit level~C4%d~C2 ~C0", skill_name(id).c_str(), skill_word_level(word));
  }
}

void stats_points_on_change(uint32_t, int32_t value, net_msg::Payload) {
  const int32_t old = static_cast<int32_t>(player_state.stats_points);
  player_state.stats_points = static_cast<uint32_t>(value);
  if (old == 0) return;
  // The difference in 32 bits, as the server's words wrap.
  const auto diff = [](int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); };
  if (value >= old) {
    notice_linef("~C2 obtained ~C4%d~C2 stats points~C0", diff(value, old));
  } else {
    notice_linef("~C2 was deducted by ~C4%d~C2 stats points~C0", diff(old, value));
  }
}
