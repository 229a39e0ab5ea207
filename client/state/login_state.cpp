#include "client/state/login_state.h"

#include "core/reset/module_resets.h"

LOGIN_STATE login_state{};
std::vector<CHAR_RECORD> char_list;
int32_t char_selected_flag = 0;
int32_t nickname_accepted_flag = 0;
uint32_t selected_char_id = 0;

namespace {
void login_state_reset() {
  login_state = {};
  char_list.clear();
  char_list.shrink_to_fit();
  char_selected_flag = 0;
  nickname_accepted_flag = 0;
  selected_char_id = 0;
}
const ModuleReset k_reset("login state", login_state_reset);
}  // namespace
