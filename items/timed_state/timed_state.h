// The player's timed states (potions, blessings, the kind-0 state of the own character): 12-byte
// entries that the experience messages and the character-state messages start, renew and end,
// and that the game screen counts down.
#pragma once
#include <cstdint>

#include "core/grow_array.h"

struct TIMED_STATE_ENTRY {
  uint32_t kind;
  uint32_t start;     // frame time (ms) at which it began
  uint32_t duration;  // ms
};
static_assert(sizeof(TIMED_STATE_ENTRY) == 12);

extern GrowArray<TIMED_STATE_ENTRY> timed_states;
// Set while the own character is in its kind-0 timed state.
extern uint8_t own_timed_state_flag;

// The index of the entry of that kind, or -1.
int32_t timed_state_find(uint32_t kind);
// Renews the entry of that kind (start, duration) or appends one.
void timed_state_set(uint32_t kind, uint32_t start, uint32_t duration);
// Removes the entry of that kind; nothing when there is none.
void timed_state_remove(uint32_t kind);
// Every entry removed and the flag cleared.
void timed_states_reset();
