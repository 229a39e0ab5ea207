// The game states: a fixed table of tasks, each a function that runs its own screen loop and
// returns a result, and the dispatcher that runs the current task and chooses the next.
#pragma once
#include <cstdint>

#include "client/game/task_state.h"

constexpr int TASK_ROWS = 20;
constexpr int TASK_NAME_SIZE = 80;
constexpr int32_t TASK_RESULT_JUMP = 1000;  // results from 1000 on name the next task: 1000 + id

using TaskFn = int32_t (*)();

struct TASK_ENTRY {
  int32_t id;
  char name[TASK_NAME_SIZE];
  TaskFn function;  // null for the quit rows
  int32_t last_result;
  int32_t next_on_0;
  int32_t next_on_minus_2;
  int32_t next_on_minus_1;
};

extern TASK_ENTRY task_table[TASK_ROWS];
// The login retry the dispatcher runs after a lost link; tests replace it.
extern int (*task_login_retry)();

// Runs the current row's task once and moves on; the new current row (9999 ends the game).
int32_t task_run_current();
// The first row with that id; 9999 for 9999 and, after a message, for an id no row has.
int32_t task_find_row(int32_t id);
// Reconnects to the stored world server and logs in again: 0, or -1 when it cannot.
int login_retry();

// The table and the retry hook as at program start (registered; the words of
// task_state.h have their own reset).
void task_table_reset();

// The start-up task's success goes to the task of that id instead (VELDRA_FIRST_TASK); an id no
// row runs a task for (the start-up task's own 0 and the quit rows' 9999 among them) is ignored
// with a debug line, a negative one means unset.
void task_table_first_task(int32_t id);

