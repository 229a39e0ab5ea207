#include "world/battle/battle_effects.h"

#include "client/common/seam_calls.h"
#include "core/reset/module_resets.h"

BATTLE_EFFECT battle_effects[BATTLE_EFFECT_SLOTS];

namespace {
void clear_effects() {
  for (BATTLE_EFFECT& e : battle_effects) {
    e = BATTLE_EFFECT{};
    e.media_id = -1;
  }
}
const ModuleReset k_reset("battle effects", clear_effects);
}  // namespace

int32_t battle_effect_free_slot() {
  for (int32_t i = 0; i < BATTLE_EFFECT_SLOTS; ++i)
    if (!battle_effects[i].active) return i;
  return -1;
}

int32_t battle_add_effect(const char* path, int32_t x, int32_t y, uint8_t mirrored, int32_t command) {
  seam_call("battle_add_effect", x, y, command, path ? path : "");
  const int32_t slot = battle_effect_free_slot();
  if (slot < 0) return -2;
  BATTLE_EFFECT& e = battle_effects[slot];
  e = BATTLE_EFFECT{1, -1, x, y, 1, 1, mirrored, command};
  return slot;
}

void battle_free_effects() {
  seam_call("battle_free_effects");
  clear_effects();
}
