// Dispatcher state. The row ids mirror the task table's order until the table itself lands.
#include "client/game/task_state.h"

int32_t task_current_row = 0;
int32_t link_lost_word = 0;

namespace {
constexpr int32_t kRowIds[20] = {0, 1, 2, 3, 4, 5, 7, 6, 8, 10, 100, 11,
                                 9999, 9999, 9999, 9999, 9999, 9999, 9999, 9999};
}  // namespace

int32_t task_current_id() {
  if (task_current_row < 0 || task_current_row >= 20) return 9999;
  return kRowIds[task_current_row];
}
