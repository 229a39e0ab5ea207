#include "items/timed_state/timed_state.h"

#include "core/reset/module_resets.h"

GrowArray<TIMED_STATE_ENTRY> timed_states;
uint8_t own_timed_state_flag = 0;

int32_t timed_state_find(uint32_t kind) {
  for (int32_t i = 0; i < timed_states.count; ++i)
    if (timed_states.data[i].kind == kind) return i;
  return -1;
}

void timed_state_set(uint32_t kind, uint32_t start, uint32_t duration) {
  const int32_t at = timed_state_find(kind);
  if (at >= 0) {
    timed_states.data[at].start = start;
    timed_states.data[at].duration = duration;
    return;
  }
  timed_states.append({kind, start, duration});
}

void timed_state_remove(uint32_t kind) {
  const int32_t at = timed_state_find(kind);
  if (at >= 0) timed_states.remove(at);
}

void timed_states_reset() {
  timed_states.free();
  own_timed_state_flag = 0;
}

namespace {
const ModuleReset k_reset("timed states", timed_states_reset);
}  // namespace
