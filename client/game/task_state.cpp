#include "client/game/task_state.h"

#include "client/record/record.h"

int32_t task_current_row = 0;
int32_t link_lost_word = 0;
uint32_t reconnect_host = 0;
int32_t reconnect_port = 0;
LOGIN_CREDENTIALS login_credentials = {};

void task_state_reset() { record_state.mirror = 0; }
