// Two small start-up tables: the start-up bitmap with its state, and the title records.
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

constexpr int TITLE_RECORDS = 18;
constexpr size_t TITLE_RECORD_SIZE = 70;
// Where the reset clears a record: its first byte, byte 27 and the 16-bit word at 34.
constexpr size_t TITLE_NAME_AT = 0, TITLE_TEXT_AT = 27, TITLE_ID_AT = 34;

struct TITLE_RECORD {
  uint8_t bytes[TITLE_RECORD_SIZE];
};
extern TITLE_RECORD title_records[TITLE_RECORDS];

// Each record's first byte, byte 27 and word 34 cleared.
void title_records_reset();
