#include "client/state/start_up_state.h"

#include "core/reset/module_resets.h"
#include "graphics/bitmap/bitmap16.h"

START_UP_DATA start_up_data = {};

int32_t start_up_data_init() {
  bitmap16_free(&start_up_data.bitmap);
  start_up_data = START_UP_DATA{};
  start_up_data.bitmap = bitmap16_create(START_UP_WIDTH, START_UP_HEIGHT);
  return start_up_data.bitmap ? 0 : -1;
}

static const ModuleReset k_reset("start-up state", [] {
  bitmap16_free(&start_up_data.bitmap);
  start_up_data = START_UP_DATA{};
});
