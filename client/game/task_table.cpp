// The task table and its dispatcher.
#include "client/game/task_table.h"

#include <cstdio>

#include "client/charsel/char_create.h"
#include "client/charsel/char_select.h"
#include "client/front/account_input.h"
#include "client/front/announcements.h"
#include "client/front/main_menu.h"
#include "client/front/server_select.h"
#include "client/front/title_screen.h"
#include "client/game/frame_input.h"
#include "client/game/game_login.h"
#include "client/game/game_main.h"
#include "client/game/task_system_init.h"
#include "client/ui/message_box.h"
#include "core/reset/module_resets.h"
#include "engine/input/input.h"
#include "plat/platform.h"

namespace {

// Rows 6 and 7 hold ids 7 and 6: always go through task_find_row.
constexpr TASK_ENTRY kTable[TASK_ROWS] = {
    {0, "TASK_SYSTEM_INITIALIZE", task_system_initialize, 0, 5, 9999, 9999},
    {1, "TASK_SHOW_TITLE", task_show_title, 0, 2, 9999, 9999},
    {2, "TASK_SELECT_MAINFUNCTION", task_select_mainfunction, 0, 3, 9999, 9999},
    {3, "TASK_SYSTEM_BROADCAST", task_system_broadcast, 0, 4, 9999, 9999},
    {4, "TASK_SERVER_SELECT", task_server_select, 0, 7, 5, 9999},
    {5, "TASK_ACCOUNT_INPUT", task_account_input, 0, 4, 5, 9999},
    {7, "TASK_SELECT_CHARACTER_IN", task_select_character_in, 0, 6, 4, 9999},
    {6, "TASK_SELECT_CHARACTER", task_select_character, 0, 10, 4, 9999},
    {8, "TASK_CREATE_CHARACTER", task_create_character, 0, 10, 6, 9999},
    {10, "TASK_GAME_LOGIN", task_game_login, 0, 100, 4, 9999},
    {100, "TASK_GAME_MAIN", task_game_main, 0, 5, 5, 9999},
    {11, "TASK_SERVER_LINE_SELECT", task_server_select, 0, 5, 4, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
    {9999, "TASK_SYSTEM_QUIT", nullptr, 0, 9999, 9999, 9999},
};

}  // namespace

TASK_ENTRY task_table[TASK_ROWS] = {
    kTable[0],  kTable[1],  kTable[2],  kTable[3],  kTable[4],  kTable[5],  kTable[6],
    kTable[7],  kTable[8],  kTable[9],  kTable[10], kTable[11], kTable[12], kTable[13],
    kTable[14], kTable[15], kTable[16], kTable[17], kTable[18], kTable[19],
};
int (*task_login_retry)() = login_retry;

void task_table_reset() {
  for (int i = 0; i < TASK_ROWS; ++i) task_table[i] = kTable[i];
  task_login_retry = login_retry;
}

void task_table_first_task(int32_t id) {
  if (id < 0) return;
  // Only a row that runs a task, and not the start-up task itself (it would start again).
  for (int32_t row = 1; row < TASK_ROWS; ++row) {
    if (task_table[row].id != id || !task_table[row].function) continue;
    task_table[0].next_on_0 = id;
    return;
  }
  char line[64];
  std::snprintf(line, sizeof line, "VELDRA_FIRST_TASK: no task %d, ignored", id);
  plat::get().debugOut(line);
}

int32_t task_current_id() {
  if (task_current_row < 0 || task_current_row >= TASK_ROWS) return TASK_SYSTEM_QUIT;
  return task_table[task_current_row].id;
}

int32_t task_find_row(int32_t id) {
  if (id == TASK_SYSTEM_QUIT) return TASK_SYSTEM_QUIT;
  for (int32_t row = 0; row < TASK_ROWS; ++row) {
    if (task_table[row].id == id) return row;
  }
  char text[96];
  std::snprintf(text, sizeof text, "System internal error !!!!(TASK Not define %d)", id);
  show_message_box(text, 1);
  return TASK_SYSTEM_QUIT;
}

int32_t task_run_current() {
  const int32_t row = task_current_row;
  int32_t next = TASK_SYSTEM_QUIT;
  if (row >= 0 && row < TASK_ROWS) {
    TASK_ENTRY& task = task_table[row];
    // The road through the screens, for the debugger and the end-to-end runs.
    char line[TASK_NAME_SIZE + 32];
    std::snprintf(line, sizeof line, "task enter %d %.*s", task.id, TASK_NAME_SIZE, task.name);
    plat::get().debugOut(line);
    const int32_t result = task.function ? task.function() : TASK_SYSTEM_QUIT;
    task.last_result = result;
    if (result >= TASK_RESULT_JUMP) {
      next = task_find_row(result - TASK_RESULT_JUMP);
    } else if (link_lost_word != 0) {
      // After a lost link the task's own result is not used.
      if (task_login_retry() != 0) {
        next = task_find_row(TASK_SERVER_SELECT);
      } else if (link_lost_word == 1) {
        next = task_find_row(TASK_SELECT_CHARACTER_IN);
      } else {
        next = task_find_row(TASK_GAME_MAIN);
      }
      link_lost_word = 0;
    } else if (result == 0) {
      next = task_find_row(task.next_on_0);
    } else if (result == -2) {
      next = task_find_row(task.next_on_minus_2);
    } else if (result == -1) {
      next = task_find_row(task.next_on_minus_1);
    } else {
      show_message_box("System internal error !!!! ( Return Code error )", 1);
      next = row;  // the same task runs again
    }
  }
  task_current_row = next;
  frame_input.event_code = 0;
  frame_input.key_code = 0;
  frame_input.scan_code = 0;
  input_clear_keys();
  input_clear_key();
  return task_current_row;
}

static const ModuleReset k_reset("task table", task_table_reset);
