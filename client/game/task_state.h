// The task dispatcher's state that other parts of the client read: the current row and the
// link-lost word.
#pragma once
#include <cstdint>

constexpr int32_t TASK_GAME_MAIN = 100;

// Row index into the task table; 9999 when the game is to end.
extern int32_t task_current_row;
// 0 none; 2 the world link was lost during the game main task; 1 a retried login goes to the
// character selection.
extern int32_t link_lost_word;

// The task id of the current row; 9999 when there is none.
int32_t task_current_id();
