#include "client/game/task_state.h"

#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "world/scene/scene_chars.h"

int32_t task_current_row = 0;
int32_t link_lost_word = 0;
uint32_t reconnect_host = 0;
int32_t reconnect_port = 0;
LOGIN_CREDENTIALS login_credentials = {};
TASK_STATE_WORDS task_state_words = {{-1, -1, -1, -1, -1}, {}, {}};

void task_state_reset() {
  task_state_words = TASK_STATE_WORDS{{-1, -1, -1, -1, -1}, {}, {}};
  scene_clear_chars();
  record_state.mirror = 0;
}

// The dispatcher's words at program start (task_state_reset above is the start-up task's, narrower).
static const ModuleReset k_reset("task state", [] {
  task_current_row = 0;
  link_lost_word = 0;
  reconnect_host = 0;
  reconnect_port = 0;
  login_credentials = LOGIN_CREDENTIALS{};
  task_state_words = TASK_STATE_WORDS{{-1, -1, -1, -1, -1}, {}, {}};
});
