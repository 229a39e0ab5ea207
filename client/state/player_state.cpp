#include "client/state/player_state.h"

#include "core/reset/module_resets.h"

PLAYER_STATE player_state{};

void player_state_reset() { player_state = PLAYER_STATE{}; }

uint32_t player_record_u32(size_t at) { return player_state.record[at / 4]; }

void player_record_set_u32(size_t at, uint32_t value) { player_state.record[at / 4] = value; }

int16_t player_record_i16(size_t at) {
  return static_cast<int16_t>(player_state.record[at / 4] >> (8 * (at % 4)));
}

void player_record_set_i16(size_t at, int16_t value) {
  const unsigned shift = 8 * (at % 4);
  uint32_t& word = player_state.record[at / 4];
  word = (word & ~(0xFFFFu << shift)) | (static_cast<uint32_t>(static_cast<uint16_t>(value)) << shift);
}

uint8_t player_record_u8(size_t at) { return static_cast<uint8_t>(player_state.record[at / 4] >> (8 * (at % 4))); }

uint32_t player_base(int i) { return player_record_u32(PLAYER_AT_BASE + 4 * static_cast<size_t>(i)); }

void player_base_set(int i, uint32_t value) { player_record_set_u32(PLAYER_AT_BASE + 4 * static_cast<size_t>(i), value); }

namespace {
const ModuleReset k_reset("player state", player_state_reset);
}  // namespace
