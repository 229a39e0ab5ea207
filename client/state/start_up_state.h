// The start-up bitmap with its state.
#pragma once
#include <cstddef>
#include <cstdint>

struct BITMAP16;

constexpr int32_t START_UP_WIDTH = 400, START_UP_HEIGHT = 300;

struct START_UP_DATA {
  BITMAP16* bitmap;  // 400 x 300
  int32_t state;
  int32_t step;
  uint32_t time;
};
extern START_UP_DATA start_up_data;

// The state cleared and the bitmap created (a kept one is freed first); 0, or -1 when the
// bitmap cannot be made.
int32_t start_up_data_init();
