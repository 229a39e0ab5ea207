#include "client/state/pet_table.h"

#include "core/reset/module_resets.h"

PET_RECORD pet_table[PET_COUNT] = {};
PET_STATE pet_state = [] {
  PET_STATE s{};
  s.active_index = PET_NO_INDEX;
  return s;
}();
int32_t pet_current_index = -1;
int32_t pet_shown_media = -1;
PET_SLOT_LIST pet_slot_list = {};

void pet_state_reset() {
  for (PET_RECORD& p : pet_table) p = {};
  pet_state = {};
  pet_state.active_index = PET_NO_INDEX;
  pet_current_index = -1;
  pet_shown_media = -1;
  pet_slot_list = {};
}

static const ModuleReset k_reset("pet table", pet_state_reset);
