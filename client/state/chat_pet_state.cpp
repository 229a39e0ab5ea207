#include "client/state/chat_input_state.h"
#include "client/state/pet_table.h"
#include "core/reset/module_resets.h"

CHAT_INPUT_STATE chat_input_state = {-1, 0};
PET_RECORD pet_table[PET_COUNT] = {};
int32_t pet_current_index = -1;

namespace {
void chat_pet_state_reset() {
  chat_input_state = {-1, 0};
  for (PET_RECORD& p : pet_table) p = {};
  pet_current_index = -1;
}
const ModuleReset k_reset("chat input and pet state", chat_pet_state_reset);
}  // namespace
